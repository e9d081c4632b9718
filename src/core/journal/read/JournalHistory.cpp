#include "core/journal/read/JournalHistory.h"

#include "core/journal/store/JournalConnection.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

const QString kRunColumns =
    u"rowid, station, run_id, port, started_at, unit, sample, batch, inspector, sample_count, "
    "mode, const_a, const_len_c, const_c, const_len_a, status, ended_at, cause, mean, deviation, "
    "(SELECT count(*) FROM readings r WHERE r.station = runs.station AND r.run_id = runs.run_id)"_s;

JournalRun RunFromQuery(const QSqlQuery &q)
{
    JournalRun run;
    run.rowId = q.value(0).toLongLong();
    run.station = q.value(1).toString();
    run.id = q.value(2).toString();
    run.header.port = q.value(3).toString();
    run.startedAt = q.value(4).toString();
    run.header.unit = q.value(5).toString();
    run.header.sampleName = q.value(6).toString();
    run.header.batchNo = q.value(7).toString();
    run.header.inspector = q.value(8).toString();
    run.header.sampleCount = q.value(9).toInt();
    run.header.mode = ModeFromInt(q.value(10).toInt());
    run.header.constants = { q.value(11).toFloat(), q.value(12).toFloat(), q.value(13).toFloat(),
                             q.value(14).toFloat() };
    run.status = StatusFromText(q.value(15).toString()).value_or(RunStatus::Open);
    run.endedAt = q.value(16).toString();
    run.cause = q.value(17).toString();
    run.totals = { q.value(18).toString(), q.value(19).toString() };
    run.readingCount = q.value(20).toInt();
    return run;
}

// LIKE with the typed text taken literally: its own % and _ match only themselves. Letters match
// without regard to case as SQLite's LIKE does it, for A to Z only, so that the lab server finds
// the same runs as the station's own journal: PostgreSQL's LIKE heeds case, and what its ILIKE
// folds depends on the server's locale. Chinese has no case; a mixed text folds its Latin part.
QString LikePattern(QString text)
{
    text.replace(u'\\', u"\\\\"_s).replace(u'%', u"\\%"_s).replace(u'_', u"\\_"_s);
    for (QChar &c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return u'%' + text + u'%';
}

void AppendFilter(const RunFilter &filter, bool server, QStringList &where, QVariantList &values)
{
    if (!filter.text.isEmpty()) {
        QStringList matches;
        for (const QString &column : { u"unit"_s, u"sample"_s, u"batch"_s, u"inspector"_s }) {
            const QString folded = server
                ? u"translate(%1, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')"_s
                      .arg(column)
                : column;
            matches << folded + u" LIKE ? ESCAPE '\\'"_s;
            values << LikePattern(filter.text);
        }
        where << u'(' + matches.join(u" OR "_s) + u')';
    }
    if (filter.from.isValid()) {
        where << u"started_at >= ?"_s;
        values << JournalTimestamp(filter.from);
    }
    if (filter.to.isValid()) {
        where << u"started_at < ?"_s;
        values << JournalTimestamp(filter.to);
    }
    if (!filter.station.isEmpty()) {
        where << u"station = ?"_s;
        values << filter.station;
    }
}

QString WhereClause(const QStringList &where)
{
    return where.isEmpty() ? QString() : u" WHERE "_s + where.join(u" AND "_s);
}

} // namespace

JournalHistory::JournalHistory(JournalConnection &db)
    : m_db(&db)
{ }

JournalResult JournalHistory::queryRuns(const QString &where, const QVariantList &values,
                                        const QString &tail, QList<JournalRun> &out) const
{
    out.clear();
    QSqlQuery query(m_db->database());
    query.setForwardOnly(true);
    const JournalResult result =
        m_db->exec(query, u"SELECT "_s + kRunColumns + u" FROM runs"_s + where + tail, values);
    while (result.ok() && query.next())
        out.append(RunFromQuery(query));
    return result;
}

JournalResult JournalHistory::runs(const RunFilter &filter, int limit, QList<JournalRun> &out,
                                   const JournalRun *after) const
{
    QStringList where;
    QVariantList values;
    AppendFilter(filter, m_db->isServer(), where, values);
    if (after) {
        where << u"started_at <= ? AND (started_at < ? OR rowid < ?)"_s;
        values << after->startedAt << after->startedAt << after->rowId;
    }
    values << limit;
    return queryRuns(WhereClause(where), values, u" ORDER BY started_at DESC, rowid DESC LIMIT ?"_s,
                     out);
}

JournalResult JournalHistory::countRuns(const RunFilter &filter, int &count) const
{
    QStringList where;
    QVariantList values;
    AppendFilter(filter, m_db->isServer(), where, values);
    QSqlQuery query(m_db->database());
    const JournalResult result =
        m_db->exec(query, u"SELECT count(*) FROM runs"_s + WhereClause(where), values);
    count = result.ok() && query.next() ? query.value(0).toInt() : 0;
    return result;
}

JournalResult JournalHistory::stations(QStringList &out) const
{
    out.clear();
    QSqlQuery query(m_db->database());
    const JournalResult result =
        m_db->exec(query, u"SELECT DISTINCT station FROM runs ORDER BY station"_s);
    while (result.ok() && query.next())
        out << query.value(0).toString();
    return result;
}

JournalResult JournalHistory::run(const QString &station, const QString &runId,
                                  std::optional<JournalRun> &out) const
{
    QList<JournalRun> found;
    const JournalResult result = station.isEmpty()
        ? queryRuns(u" WHERE run_id = ?"_s, { runId }, u" LIMIT 1"_s, found)
        : queryRuns(u" WHERE station = ? AND run_id = ?"_s, { station, runId }, {}, found);
    out = found.isEmpty() ? std::nullopt : std::optional(found.constFirst());
    return result;
}

JournalResult JournalHistory::readings(const QString &station, const QString &runId,
                                       QList<JournalReading> &out) const
{
    out.clear();
    QSqlQuery query(m_db->database());
    query.setForwardOnly(true);
    const JournalResult result =
        m_db->exec(query,
                   u"SELECT seq, number, received, value, confirmed_at FROM readings "
                   "WHERE station = ? AND run_id = ? ORDER BY number"_s,
                   { station, runId });
    while (result.ok() && query.next())
        out.append({ query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toString(),
                     query.value(3).toDouble(), query.value(4).toString() });
    return result;
}

JournalResult JournalHistory::openRuns(const QString &station, int limit,
                                       QList<JournalRun> &out) const
{
    return queryRuns(u" WHERE station = ? AND status = 'open' AND EXISTS (SELECT 1 FROM readings r "
                     "WHERE r.station = runs.station AND r.run_id = runs.run_id)"_s,
                     { station, limit }, u" ORDER BY started_at DESC LIMIT ?"_s, out);
}

ReportContent JournalHistory::ReportContentFor(const JournalRun &run,
                                               const QList<JournalReading> &readings)
{
    ReportContent content;
    content.mode = run.header.mode;
    content.unit = run.header.unit;
    content.sampleName = run.header.sampleName;
    content.batchNo = run.header.batchNo;
    content.inspector = run.header.inspector;
    content.date = FormatReportDate(FromJournalTimestamp(run.startedAt).toLocalTime().date());
    for (const JournalReading &reading : readings)
        content.values << TableValueText(reading.value);
    content.mean = run.totals.mean;
    content.deviation = run.totals.deviation;
    return content;
}
