#include "core/journal/store/JournalRows.h"

#include "core/journal/store/JournalConnection.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

std::optional<int> OptionalInt(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<int>(value.toInt());
}

std::optional<double> OptionalDouble(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

std::optional<QString> OptionalText(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<QString>(value.toString());
}

// Any value of auto_confirmed but NULL reads as set, so that an edit of it shows in the hash.
JournalReading ReadingFrom(const QSqlQuery &q, int first)
{
    return { q.value(first).toLongLong(),      q.value(first + 1).toInt(),
             q.value(first + 2).toString(),    q.value(first + 3).toDouble(),
             q.value(first + 4).toString(),    OptionalInt(q.value(first + 5)),
             q.value(first + 6).toString(),    OptionalInt(q.value(first + 7)),
             OptionalText(q.value(first + 8)), !q.value(first + 9).isNull() };
}

std::optional<RunMethod> MethodFrom(const QSqlQuery &q, int first)
{
    if (q.value(first).isNull())
        return std::nullopt;
    return RunMethod { q.value(first).toString(), q.value(first + 1).toInt(),
                       OptionalDouble(q.value(first + 2)), OptionalDouble(q.value(first + 3)),
                       q.value(first + 4).toInt() };
}

} // namespace

QString JournalRows::runColumns()
{
    return u"rowid, station, run_id, port, started_at, unit, sample, batch, inspector, "
           "sample_count, mode, const_a, const_len_c, const_c, const_len_a, status, ended_at, "
           "cause, mean, deviation, (SELECT count(*) FROM readings r WHERE r.station = "
           "runs.station AND r.run_id = runs.run_id), started_offset, ended_offset, account, "
           "method, method_version, lower_limit, upper_limit, result_decimals, verdict, "
           "(SELECT e.detail FROM events e WHERE e.station = runs.station AND e.run_id = "
           "runs.run_id AND e.kind = '%1' ORDER BY e.seq DESC LIMIT 1)"_s.arg(
               EventText(JournalEvent::SampleCountChanged));
}

JournalRun JournalRows::runFrom(const QSqlQuery &q)
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
    run.startedOffset = OptionalInt(q.value(21));
    run.endedOffset = OptionalInt(q.value(22));
    run.header.account = q.value(23).toString();
    run.header.method = MethodFrom(q, 24);
    run.verdict = VerdictFromText(q.value(29).toString());
    if (!q.value(30).isNull())
        run.changedSampleCount = q.value(30).toInt();
    return run;
}

JournalResult JournalRows::readings(JournalConnection &db, const QString &station,
                                    const QString &runId, QList<JournalReading> &out)
{
    out.clear();
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    const JournalResult result =
        db.exec(query,
                u"SELECT seq, number, received, value, confirmed_at, confirmed_offset, written_at, "
                "written_offset, account, auto_confirmed FROM readings WHERE station = ? AND "
                "run_id = ? ORDER BY number"_s,
                { station, runId });
    while (result.ok() && query.next())
        out.append(ReadingFrom(query, 0));
    return result;
}

QString JournalRows::chainQuery(bool server, const QString &where)
{
    const QString journal = server ? u"journal"_s : u"''"_s;
    const QString filter = where.isEmpty() ? QString() : u" WHERE "_s + where;
    return u"SELECT station, %1, run_id, hash, NULL, seq, number, received, value, confirmed_at, "
           "confirmed_offset, written_at, written_offset, account, auto_confirmed FROM "
           "readings%2 UNION ALL "
           "SELECT station, %1, run_id, hash, kind, seq, NULL, at, at_offset, detail, NULL, NULL, "
           "NULL, NULL, NULL FROM events%2 ORDER BY 1, 2, 6"_s.arg(journal, filter);
}

ChainRow JournalRows::chainRowFrom(const QSqlQuery &q)
{
    ChainRow row;
    row.station = q.value(0).toString();
    row.journal = q.value(1).toString();
    if (!q.value(2).isNull())
        row.runId = q.value(2).toString();
    row.hash = q.value(3).toByteArray();
    row.isReading = q.value(4).isNull();
    if (row.isReading) {
        row.reading = ReadingFrom(q, 5);
        row.hasLaterColumns = !q.value(10).isNull() || !q.value(11).isNull()
            || !q.value(12).isNull() || !q.value(13).isNull() || !q.value(14).isNull();
    } else {
        row.event = { q.value(5).toLongLong(), q.value(7).toString(),
                      OptionalInt(q.value(8)), row.runId,
                      q.value(4).toString(),   q.value(9).toString() };
        row.hasLaterColumns = !q.value(8).isNull();
    }
    return row;
}
