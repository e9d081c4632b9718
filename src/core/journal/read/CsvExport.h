#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

class JournalConnection;

struct RunKey
{
    QString station;
    QString id;
};

// Runs as CSV for spreadsheets and a LIMS: UTF-8 with a byte-order mark (so that spreadsheet
// programs show the Chinese), CRLF, RFC 4180 quoting, one row per reading with its run's fields
// repeated, times in ISO 8601 with the offset they were recorded with. A typed text that a
// spreadsheet would run as a formula gets a leading apostrophe; numbers stay numbers.
class CsvExport
{
public:
    static QByteArray Header(); // byte-order mark and the column names
    static QByteArray Rows(const JournalRun &run, const QList<JournalReading> &readings);

    // One text field: quoted where RFC 4180 needs it, neutralised where it starts a formula.
    static QByteArray TextField(const QString &text);
    // A stored UTC time at the offset it was recorded with (rows from before offsets were stored:
    // in local time) with that offset, e.g. 2026-12-07T11:15:00.123+08:00.
    static QString LocalTime(const QString &journalTime, std::optional<int> offset = std::nullopt);

    // Writes the runs, oldest first whatever order they are given in, to path atomically: the
    // file appears whole or not at all.
    static JournalResult Write(JournalConnection &db, const QList<RunKey> &runs,
                               const QString &path);
};
