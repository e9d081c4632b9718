#pragma once

#include "core/journal/accounts/AccountTypes.h"
#include "core/journal/store/JournalTypes.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

class JournalConnection;

struct RunSignature
{
    QString by; // the account
    QString fullName;
    Meaning meaning = Meaning::Performed;
    QString at;
    std::optional<int> atOffset;
    QString comment;
    QByteArray signedHash; // the run's record as it stood when signed
    bool current = false; // the record is still the one signed
};

struct ReadingExclusion
{
    int reading = 0;
    QString reason;
    QString by;
    QString at;
    std::optional<int> atOffset;
};

// One line of a run's audit trail: what happened, when, by whom, the value before and after,
// and the reason given.
struct AuditEntry
{
    QString at;
    std::optional<int> atOffset;
    QString by;
    QString action;
    QString change;
    QString reason;
};

// What a run's journal rows say beyond its readings: the signatures, each tied to the hash of
// the run's record as it stood when signed; the readings excluded, with their reasons; and the
// trail of every row of the run. A run's record is its readings, its start, its closing and its
// exclusions: signatures, refusals and the commands sent after it closed do not change it.
struct RunAudit
{
    Q_DECLARE_TR_FUNCTIONS(RunAudit)

public:
    QList<RunSignature> signatures;
    QList<ReadingExclusion> exclusions;
    QList<AuditEntry> trail;
    QStringList confirmedBy; // the accounts that confirmed its readings
    QByteArray recordHash; // of the last row of its record

    // Reads the run from a journal, local or the lab server's.
    static JournalResult Read(JournalConnection &db, const QString &station, const QString &runId,
                              RunAudit &out);
    // Whether an event of this kind belongs to a run's record.
    static bool IsRecordKind(const QString &kind);

    // A signature no longer tied to the run's record as it is.
    bool changedAfterSignature() const;
    const ReadingExclusion *exclusionOf(int reading) const;
    // The signature of this meaning that is tied to the record as it is, if any.
    const RunSignature *currentSignature(Meaning meaning) const;
    bool hasSignature(Meaning meaning) const;
};
