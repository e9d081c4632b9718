#include "core/journal/read/JournalHistory.h"

#include "core/journal/store/JournalConnection.h"
#include "core/journal/store/JournalRows.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

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
    const JournalResult result = m_db->exec(
        query, u"SELECT "_s + JournalRows::runColumns() + u" FROM runs"_s + where + tail, values);
    while (result.ok() && query.next())
        out.append(JournalRows::runFrom(query));
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
    return JournalRows::readings(*m_db, station, runId, out);
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
    content.date = FormatReportDate(RecordedTime(run.startedAt, run.startedOffset).date());
    for (const JournalReading &reading : readings)
        content.values << FormatRunValue(reading.value);
    content.mean = run.totals.mean;
    content.deviation = run.totals.deviation;
    return content;
}
