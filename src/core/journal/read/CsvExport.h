#pragma once

#include "core/journal/accounts/RunAudit.h"
#include "core/journal/store/JournalTypes.h"
#include "core/report/OutputFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

class JournalConnection;

struct RunKey
{
    QString station;
    QString id;
};

// What an export did. The two sides fail apart: the runs could not be read (journal), or the
// file could not be written (output); a command line reports them with different statuses.
struct ExportResult
{
    JournalResult journal;
    OutputFile::Failure output = OutputFile::Failure::None;
    QString text; // why, for either side

    bool ok() const { return journal.ok() && output == OutputFile::Failure::None; }
};

// Runs as CSV for spreadsheets and a LIMS: UTF-8 with a byte-order mark (so that spreadsheet
// programs show the Chinese), CRLF, RFC 4180 quoting, one row per reading with its run's fields
// repeated, times in ISO 8601 with the offset they were recorded with. A typed text that a
// spreadsheet would run as a formula gets a leading apostrophe; numbers stay plain numbers.
// Columns are only ever added at the end, so that a LIMS that reads them by position keeps
// reading them.
class CsvExport
{
public:
    // Byte-order mark and the column names; with those of accounts where the journal has them.
    static QByteArray Header(bool accounts = false);
    // With who confirmed each reading, its exclusion and the run's signatures, where accounts
    // are in use (audit given).
    static QByteArray Rows(const JournalRun &run, const QList<JournalReading> &readings,
                           const RunAudit *audit = nullptr);
    // A run's audit trail: time, account, action, change, reason.
    static QByteArray AuditTrail(const QList<AuditEntry> &trail);

    // A stored number text as the exports write it, a plain number ("-66.200", "34626").
    static bool IsPlainNumber(const QString &text);
    // One text field: quoted where RFC 4180 needs it, neutralised where it starts a formula.
    static QByteArray TextField(const QString &text);
    // A stored UTC time at the offset it was recorded with (rows from before offsets were stored:
    // in local time) with that offset, e.g. 2026-12-07T11:15:00.123+08:00.
    static QString LocalTime(const QString &journalTime, std::optional<int> offset = std::nullopt);

    // Writes the runs, oldest first whatever order they are given in, to path atomically: the
    // file appears whole or not at all, and only a regular file is replaced.
    static ExportResult Write(JournalConnection &db, const QList<RunKey> &runs,
                              const QString &path);
};
