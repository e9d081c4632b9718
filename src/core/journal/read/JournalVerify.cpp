#include "core/journal/read/JournalVerify.h"

#include "core/journal/accounts/AccountTypes.h"
#include "core/journal/accounts/PasswordHash.h"
#include "core/journal/accounts/RunAudit.h"
#include "core/journal/methods/Method.h"
#include "core/journal/methods/MethodVerdict.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/store/HashChain.h"
#include "core/journal/store/JournalRows.h"
#include "core/journal/store/JournalSchema.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlQuery>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

// What the chain says of one run, gathered row by row.
struct RunTrace
{
    QString start;
    QString close;
    QList<double> values; // until it is closed
    int readings = 0;
    QByteArray lastHash;
    bool closed = false;
    bool leftMethod = false; // before its closing
    QByteArray recordHash; // of the last row of its record, which a signature names
};

QString Key(const QString &a, const QString &b)
{
    return a + u'\n' + b;
}

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

// Where each chain's keyed rows begin, by station and journal; a chain not named here is keyed
// from its first row.
JournalResult KeyingStarts(JournalConnection &db, QHash<QString, qint64> &starts)
{
    QSqlQuery query(db.database());
    const JournalResult result =
        db.exec(query,
                u"SELECT station, %1, min(seq) FROM events WHERE kind = ? GROUP BY 1, 2"_s.arg(
                    db.isServer() ? u"journal"_s : u"''"_s),
                { EventText(JournalEvent::ChainKeyed) });
    while (result.ok() && query.next())
        starts.insert(Key(query.value(0).toString(), query.value(1).toString()),
                      query.value(2).toLongLong());
    return result;
}

// At the run's closing: its readings are all there, as the closing names them.
void CheckClosing(const QString &runId, const RunTrace &trace, QStringList &breaks)
{
    const QJsonObject detail = QJsonDocument::fromJson(trace.close.toUtf8()).object();
    if (const std::optional<RunClosing> closing = HashChain::ClosingOf(trace.close)) {
        if (closing->readings != trace.readings)
            breaks << u"run %1: its closing names %2 readings, the journal holds %3"_s.arg(runId)
                          .arg(closing->readings)
                          .arg(trace.readings);
        else if (closing->lastHash != trace.lastHash)
            breaks << u"run %1: its closing names another last reading"_s.arg(runId);
    }
    const RunTotals totals { detail.value(u"mean"_s).toString(),
                             detail.value(u"deviation"_s).toString() };
    const bool completed = detail.value(u"status"_s).toString() == StatusText(RunStatus::Completed);
    if (completed && !TotalsMatch(totals, trace.values))
        breaks << u"run %1: mean %2 and deviation '%3' are not those of its %4 readings"_s
                      .arg(runId, totals.mean, totals.deviation)
                      .arg(trace.values.size());
    // Only a run completed under its method has a verdict, the one its readings and limits give.
    const auto text = [](const std::optional<Verdict> &verdict) {
        return verdict ? VerdictText(*verdict) : u"none"_s;
    };
    const std::optional<RunMethod> method = HashChain::MethodOf(trace.start);
    const QString expected = completed && method && !trace.leftMethod
        ? text(JudgeRun(*method, trace.values))
        : text(std::nullopt);
    if (const QString verdict = text(HashChain::VerdictOf(trace.close)); verdict != expected)
        breaks << u"run %1: verdict %2 where its readings and method give %3"_s.arg(runId, verdict,
                                                                                    expected);
}

// A run under a method starts with that method's definition, as a version the chain holds before
// it: mode, constants, N, limits and decimals.
void CheckRunMethod(const QString &where, const QString &runId, const QString &start,
                    const QHash<QString, QString> &methods, const QString &chainKey,
                    QStringList &breaks)
{
    const std::optional<RunMethod> recorded = HashChain::MethodOf(start);
    if (!recorded)
        return;
    const std::optional<Method> method = Method::FromDetail(
        methods.value(Key(chainKey, recorded->name + u'\n' + QString::number(recorded->version))));
    if (!method) {
        breaks << u"%1: run %2 is under method %3 version %4, which the journal does not hold "
                  "before it"_s.arg(where, runId, recorded->name)
                      .arg(recorded->version);
        return;
    }
    const QJsonObject header = QJsonDocument::fromJson(start.toUtf8()).object();
    const QJsonObject mode =
        QJsonDocument::fromJson(HashChain::ModeDetail(method->mode, method->constants).toUtf8())
            .object();
    bool same =
        method->forRun() == *recorded && header.value(u"n"_s).toInt() == method->sampleCount;
    for (auto it = mode.constBegin(); it != mode.constEnd(); ++it)
        same = same && header.value(it.key()) == it.value();
    if (!same)
        breaks << u"%1: run %2 differs from its method %3 version %4"_s
                      .arg(where, runId, recorded->name)
                      .arg(recorded->version);
}

// Every password hash of the station's table is the one its chained event names a digest of,
// for the account it names; and every event that sets a password has its row.
void CheckPasswords(JournalConnection &db, QStringList &breaks)
{
    const QString kinds = u"'%1', '%2', '%3'"_s.arg(
        AccountEvent::kAdded, AccountEvent::kPasswordSet, AccountEvent::kPasswordChanged);
    QSqlQuery query(db.database());
    JournalResult result = db.exec(
        query,
        u"SELECT e.station, e.seq, e.detail, p.account, p.hash FROM events e LEFT JOIN passwords "
        "p ON p.station = e.station AND p.seq = e.seq WHERE e.kind IN (%1) UNION ALL "
        "SELECT p.station, p.seq, NULL, p.account, p.hash FROM passwords p LEFT JOIN events e ON "
        "e.station = p.station AND e.seq = p.seq WHERE e.kind IS NULL OR e.kind NOT IN (%1)"_s.arg(
            kinds));
    while (result.ok() && query.next()) {
        const QJsonObject detail =
            QJsonDocument::fromJson(query.value(2).toString().toUtf8()).object();
        const QString hash = query.value(4).toString();
        if (query.value(2).isNull() || query.value(4).isNull()
            || detail.value(u"name"_s).toString() != query.value(3).toString()
            || detail.value(u"password"_s).toString()
                != QString::fromLatin1(PasswordHash::digest(hash).toHex()))
            breaks << u"station %1, row %2: the password hash the journal holds is not the one "
                      "its event names"_s.arg(query.value(0).toString())
                          .arg(query.value(1).toLongLong());
    }
    if (!result.ok())
        breaks << u"the password hashes cannot be read: "_s + result.text;
}

QString Rows(qint64 first, qint64 last)
{
    return first == last ? u"row %1"_s.arg(first) : u"rows %1 to %2"_s.arg(first).arg(last);
}

} // namespace

VerifyReport VerifyJournal(JournalConnection &db, const QByteArray &stationKey,
                           const QString &keyedJournal)
{
    VerifyReport report;
    // A lab server checks its own storage; there the chains and runs are what can be verified.
    if (!db.isServer())
        CheckIntegrity(db, report);
    QString identity = keyedJournal;
    if (report.result.ok() && !db.isServer())
        report.result = JournalSchema::ReadIdentity(db, identity);
    QHash<QString, qint64> keyingStarts;
    if (report.result.ok())
        report.result = KeyingStarts(db, keyingStarts);
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    if (report.result.ok())
        report.result = db.exec(query, JournalRows::chainQuery(db.isServer()));

    QString chainKey;
    QString chainName; // as the lines name it
    qint64 lastSeq = 0;
    qint64 keyedFrom = 1;
    QByteArray previous;
    HashChain chain;
    const HashChain plain;
    QHash<QString, RunTrace> runs; // by station and run id
    QHash<QString, QString> methods; // method-set details by chain, name and version
    const auto endChain = [&] {
        if (chainKey.isEmpty())
            return;
        // The keyed rows after them cover them, but their own hashes cannot tell NULL from ''.
        if (keyedFrom > 1)
            report.notes << u"%1: %2 were written before the chain was keyed and carry plain "
                            "hashes"_s.arg(chainName, Rows(1, std::min(keyedFrom - 1, lastSeq)));
        if (!chain.isKeyed() && lastSeq >= keyedFrom)
            report.notes << u"%1: %2 are keyed, but cannot be checked without the station's "
                            "key"_s.arg(chainName, Rows(keyedFrom, lastSeq));
    };
    while (report.result.ok() && query.next()) {
        ++report.rowsChecked;
        const ChainRow row = JournalRows::chainRowFrom(query);
        const qint64 seq = row.seq();
        if (Key(row.station, row.journal) != chainKey) {
            endChain();
            chainKey = Key(row.station, row.journal);
            lastSeq = 0;
            previous.clear();
            keyedFrom = keyingStarts.value(chainKey, 1);
            chainName = db.isServer() ? u"station %1, journal %2"_s.arg(row.station, row.journal)
                                      : u"station %1"_s.arg(row.station);
            const QString journal = db.isServer() ? row.journal : identity;
            chain = !stationKey.isEmpty() && journal == identity ? HashChain(stationKey, journal)
                                                                 : HashChain();
        }
        const QString where = u"%1, row %2"_s.arg(chainName).arg(seq);
        if (seq != lastSeq + 1)
            report.breaks << u"%1: follows row %2 (rows missing or inserted)"_s.arg(where).arg(
                lastSeq);
        const HashChain *hasher = seq < keyedFrom ? &plain : &chain;
        if (seq < keyedFrom) {
            ++report.hashedRows;
            if (row.hasLaterColumns)
                report.breaks << u"%1: holds values its plain hash does not cover"_s.arg(where);
        } else if (chain.isKeyed()) {
            ++report.keyedRows;
        } else {
            ++report.uncheckedRows;
            hasher = nullptr;
        }
        const QString runId = row.runId.value_or(QString());
        if (hasher) {
            const QByteArray expected = row.isReading
                ? hasher->readingHash(previous, row.station, runId, row.reading)
                : hasher->eventHash(previous, row.station, row.event);
            if (row.hash != expected)
                report.breaks << u"%1: hash does not match its content"_s.arg(where);
        }
        previous = row.hash;
        lastSeq = seq;

        RunTrace &trace = runs[Key(row.station, runId)];
        if (row.isReading) {
            if (trace.closed)
                report.breaks << u"%1: a reading of run %2 after its closing"_s.arg(where, runId);
            else if (row.reading.number != trace.readings + 1)
                report.breaks << u"%1: reading number %2 of run %3 where %4 is due (a reading "
                                 "missing, renumbered or out of order)"_s.arg(where)
                                     .arg(row.reading.number)
                                     .arg(runId)
                                     .arg(trace.readings + 1);
            ++trace.readings;
            trace.values << row.reading.value;
            trace.lastHash = row.hash;
            trace.recordHash = row.hash;
        } else if (row.event.kind == AccountEvent::kRunSigned) {
            // A signature seals the record as it stood: a signature naming any other row was
            // not made by this program, or the record was rewritten under it.
            const QJsonObject detail = QJsonDocument::fromJson(row.event.detail.toUtf8()).object();
            if (detail.value(u"last"_s).toString() != QString::fromLatin1(trace.recordHash.toHex()))
                report.breaks << u"%1: a signature of run %2 is not tied to the run's last row "
                                 "as it stood"_s.arg(where, runId);
        } else if (row.event.kind == EventText(JournalEvent::RunStarted) && trace.start.isNull()) {
            trace.start = row.event.detail;
            CheckRunMethod(where, runId, trace.start, methods, chainKey, report.breaks);
        } else if (row.event.kind == EventText(JournalEvent::MethodSet)) {
            if (const std::optional<Method> method = Method::FromDetail(row.event.detail))
                methods.insert(
                    Key(chainKey, method->name + u'\n' + QString::number(method->version)),
                    row.event.detail);
        } else if (row.event.kind == EventText(JournalEvent::MethodLeft) && !trace.closed) {
            trace.leftMethod = true;
        } else if (IsClosingEvent(row.event.kind) && !trace.closed) {
            trace.close = row.event.detail;
            trace.closed = true;
            CheckClosing(runId, trace, report.breaks);
            trace.values.clear();
        }
        if (!row.isReading && RunAudit::IsRecordKind(row.event.kind))
            trace.recordHash = row.hash;
    }
    endChain();
    if (!report.result.ok())
        return report;

    if (!db.isServer())
        CheckPasswords(db, report.breaks);

    // Every run row as its events describe it, and every started run with its row.
    QList<JournalRun> rows;
    report.result = JournalHistory(db).runs({}, std::numeric_limits<int>::max(), rows);
    QSet<QString> withRow;
    for (const JournalRun &run : std::as_const(rows)) {
        ++report.rowsChecked;
        const QString key = Key(run.station, run.id);
        withRow.insert(key);
        const RunTrace trace = runs.value(key);
        if (trace.start != HashChain::StartDetail(run))
            report.breaks << u"station %1, run %2: header differs from its start event"_s.arg(
                run.station, run.id);
        const QString close = run.status == RunStatus::Open
            ? QString()
            : HashChain::CloseDetail(run, HashChain::ClosingOf(trace.close));
        if (trace.close != close)
            report.breaks << u"station %1, run %2: closing differs from its closing event"_s.arg(
                run.station, run.id);
    }
    for (auto it = runs.cbegin(); it != runs.cend(); ++it) {
        if (!it.value().start.isNull() && !withRow.contains(it.key()))
            report.breaks << u"station %1, run %2: started, but its run row is missing"_s.arg(
                it.key().section(u'\n', 0, 0), it.key().section(u'\n', 1));
    }
    // Closing fields are written once, at the closing: an open run has none, not even ''.
    if (report.result.ok())
        report.result = db.exec(query,
                                u"SELECT station, run_id FROM runs WHERE status = 'open' AND "
                                "(ended_at IS NOT NULL OR ended_offset IS NOT NULL OR cause IS "
                                "NOT NULL OR mean IS NOT NULL OR deviation IS NOT NULL OR verdict "
                                "IS NOT NULL)"_s);
    while (report.result.ok() && query.next())
        report.breaks << u"station %1, run %2: open, but with closing fields"_s.arg(
            query.value(0).toString(), query.value(1).toString());
    if (!runs.isEmpty())
        report.notes << u"rows cut off the end of a chain, with the last readings of a run still "
                        "open, leave no trace here: verify --server compares the journal with "
                        "the lab server's copy"_s;
    return report;
}

VerifyReport CompareWithServer(JournalConnection &local, JournalConnection &server)
{
    VerifyReport report;
    QString identity;
    report.result = JournalSchema::ReadIdentity(local, identity);
    QStringList stations;
    QSqlQuery query(local.database());
    if (report.result.ok())
        report.result = local.exec(query, u"SELECT DISTINCT station FROM events"_s);
    while (report.result.ok() && query.next())
        stations << query.value(0).toString();
    QSqlQuery remote(server.database());
    remote.setForwardOnly(true);
    if (report.result.ok())
        report.result = server.exec(
            remote, u"SELECT DISTINCT station FROM events WHERE journal = ?"_s, { identity });
    while (report.result.ok() && remote.next()) {
        if (!stations.contains(remote.value(0).toString()))
            stations << remote.value(0).toString();
    }
    query.setForwardOnly(true);
    qint64 pending = 0;
    for (const QString &station : std::as_const(stations)) {
        if (report.result.ok())
            report.result = local.exec(query, JournalRows::chainQuery(false, u"station = ?"_s),
                                       { station, station });
        if (report.result.ok())
            report.result =
                server.exec(remote, JournalRows::chainQuery(true, u"station = ? AND journal = ?"_s),
                            { station, identity, station, identity });
        bool moreHere = report.result.ok() && query.next();
        bool moreThere = report.result.ok() && remote.next();
        while (moreHere || moreThere) {
            const std::optional<ChainRow> here =
                moreHere ? std::optional(JournalRows::chainRowFrom(query)) : std::nullopt;
            const std::optional<ChainRow> there =
                moreThere ? std::optional(JournalRows::chainRowFrom(remote)) : std::nullopt;
            const qint64 seq = here && there ? std::min(here->seq(), there->seq())
                                             : (here ? here->seq() : there->seq());
            const QString where = u"station %1, row %2"_s.arg(station).arg(seq);
            ++report.rowsChecked;
            if (here && there && here->seq() == there->seq()) {
                if (here->isReading != there->isReading || here->runId != there->runId
                    || here->hash != there->hash
                    || (here->isReading ? here->reading != there->reading
                                        : here->event != there->event))
                    report.breaks << u"%1 differs between this journal and the server"_s.arg(where);
            } else if (here && seq == here->seq() && !there) {
                ++pending; // after the server's last row: on its way
            } else if (here && seq == here->seq()) {
                report.breaks << u"%1 is missing on the server"_s.arg(where);
            } else {
                report.breaks << u"%1 is on the server but not in this journal"_s.arg(where);
            }
            if (here && seq == here->seq())
                moreHere = query.next();
            if (there && seq == there->seq())
                moreThere = remote.next();
        }
    }
    if (pending > 0)
        report.notes << u"%1 rows of this journal are not on the server yet"_s.arg(pending);
    return report;
}
