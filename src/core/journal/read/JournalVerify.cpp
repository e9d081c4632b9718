#include "core/journal/read/JournalVerify.h"

#include "core/journal/read/JournalHistory.h"
#include "core/journal/store/HashChain.h"
#include "core/journal/store/SqliteConnection.h"

#include <QHash>
#include <QSqlQuery>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

struct RunEvents
{
    QString start;
    QString close;
};

void CheckIntegrity(JournalConnection &db, VerifyReport &report)
{
    QSqlQuery query(db.database());
    report.result = db.exec(query, u"PRAGMA integrity_check"_s);
    while (report.result.ok() && query.next()) {
        const QString line = query.value(0).toString();
        if (line != u"ok"_s)
            report.breaks << u"integrity: "_s + line;
    }
}

} // namespace

VerifyReport VerifyJournal(JournalConnection &db)
{
    VerifyReport report;
    // A lab server checks its own storage; there the chains and runs are what can be verified.
    if (!db.isServer())
        CheckIntegrity(db, report);
    if (!report.result.ok())
        return report;

    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    // On a lab server, each station may have several chains, one per local journal.
    const QString chain = db.isServer() ? u"journal"_s : u"''"_s;
    report.result = db.exec(
        query,
        u"SELECT station, seq, run_id, 'r', number, received, value, confirmed_at, NULL, NULL, "
        "hash, %1 FROM readings UNION ALL "
        "SELECT station, seq, run_id, 'e', NULL, NULL, NULL, at, kind, detail, hash, %1 "
        "FROM events ORDER BY 1, 12, 2"_s.arg(chain));
    QString station;
    QString journal;
    qint64 lastSeq = 0;
    QByteArray previous;
    QHash<QString, RunEvents> runEvents; // by station and run id
    while (report.result.ok() && query.next()) {
        ++report.rowsChecked;
        const QString rowStation = query.value(0).toString();
        const qint64 seq = query.value(1).toLongLong();
        const QString runId = query.value(2).toString();
        if (rowStation != station || query.value(11).toString() != journal) {
            station = rowStation;
            journal = query.value(11).toString();
            lastSeq = 0;
            previous.clear();
        }
        const QString where = journal.isEmpty()
            ? u"station %1, row %2"_s.arg(station).arg(seq)
            : u"station %1, journal %2, row %3"_s.arg(station, journal).arg(seq);
        if (seq != lastSeq + 1)
            report.breaks << u"%1: follows row %2 (rows missing or inserted)"_s.arg(where).arg(
                lastSeq);
        QByteArray expected;
        if (query.value(3).toString() == u"r"_s) {
            const JournalReading reading { seq, query.value(4).toInt(), query.value(5).toString(),
                                           query.value(6).toDouble(), query.value(7).toString() };
            expected = HashChain::ReadingHash(previous, station, runId, reading);
        } else {
            const QString kind = query.value(8).toString();
            const QString detail = query.value(9).toString();
            expected = HashChain::EventHash(previous, station, seq, query.value(7).toString(),
                                            runId, kind, detail);
            RunEvents &events = runEvents[station + u'\n' + runId];
            if (kind == EventText(JournalEvent::RunStarted))
                events.start = detail;
            else if (kind == EventText(JournalEvent::RunCompleted)
                     || kind == EventText(JournalEvent::RunDiscarded)
                     || kind == EventText(JournalEvent::RunAbandoned))
                events.close = detail;
        }
        const QByteArray stored = query.value(10).toByteArray();
        if (stored != expected)
            report.breaks << u"%1: hash does not match its content"_s.arg(where);
        previous = stored;
        lastSeq = seq;
    }
    if (!report.result.ok())
        return report;

    // Every run row as its events describe it.
    QList<JournalRun> runs;
    const JournalHistory history(db);
    report.result = history.runs({}, std::numeric_limits<int>::max(), runs);
    for (const JournalRun &run : std::as_const(runs)) {
        ++report.rowsChecked;
        const RunEvents events = runEvents.value(run.station + u'\n' + run.id);
        if (events.start != HashChain::StartDetail(run))
            report.breaks << u"station %1, run %2: header differs from its start event"_s.arg(
                run.station, run.id);
        const QString close =
            run.status == RunStatus::Open ? QString() : HashChain::CloseDetail(run);
        if (events.close != close)
            report.breaks << u"station %1, run %2: closing differs from its closing event"_s.arg(
                run.station, run.id);
    }
    return report;
}
