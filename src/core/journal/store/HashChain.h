#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QByteArray>
#include <QString>

// The tamper evidence of the journal: every reading and event row stores the SHA-256 of its
// canonical content together with the hash of the station's previous row (readings and events in
// one sequence), so changing, removing or inserting a row breaks every hash after it.
class HashChain
{
public:
    static QByteArray ReadingHash(const QByteArray &previous, const QString &station,
                                  const QString &runId, const JournalReading &reading);
    static QByteArray EventHash(const QByteArray &previous, const QString &station, qint64 seq,
                                const QString &at, const QString &runId, const QString &kind,
                                const QString &detail);

    // The detail texts of the run-started and run-closing events: the run's header and its
    // closing fields, so that the chain also covers the run rows.
    static QString StartDetail(const JournalRun &run);
    static QString CloseDetail(const JournalRun &run);
};
