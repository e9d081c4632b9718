#include "BenchRuns.h"

#include "core/journal/store/ChainKey.h"
#include "core/journal/store/HashChain.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalSchema.h"
#include "core/measure/RunStatistics.h"

#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

RunHeader BenchHeader(int i, int perRun)
{
    static const QStringList inspectors { u"张三"_s, u"李四"_s, u"王五"_s, u"赵六"_s, u"Miller"_s };
    return { u"/dev/ttyS0"_s,
             u"检验所 %1"_s.arg(i % 10),
             u"蔗糖 %1"_s.arg(i % 50),
             u"B-%1"_s.arg(i, 6, 10, QLatin1Char('0')),
             inspectors.at(i % inspectors.size()),
             perRun,
             MeasurementMode::SugarDegree,
             {} };
}

ConfirmedReading BenchReading(int i, int perRun)
{
    const int number = i % perRun + 1;
    ConfirmedReading reading { number, QString::number(34626 + i), 100.0 + i * 0.001,
                               std::nullopt };
    if (number < perRun)
        return reading;
    // The journal takes only the statistics of the run's own readings.
    std::vector<float> values;
    for (int k = i - perRun + 1; k <= i; ++k)
        values.push_back(static_cast<float>(100.0 + k * 0.001));
    reading.totals =
        RunTotals { FormatRunValue(static_cast<double>(ComputeRunStatistics(values).mean)),
                    QString() };
    return reading;
}

bool WriteBenchRuns(const QString &path, const QString &station, int runs, int perRun)
{
    SqliteConnection db;
    QByteArray key;
    QString identity;
    if (!ChainKey::loadOrCreate(ChainKeyPath(path), key).ok()
        || !JournalSchema::Open(db, path, SqliteConnection::OpenMode::Write).ok()
        || !JournalSchema::ReadIdentity(db, identity).ok())
        return false;
    const HashChain chain(key, identity);
    QSqlQuery query(db.database());
    // Filling is not what is measured.
    query.exec(u"PRAGMA synchronous = OFF"_s);
    if (!db.begin().ok())
        return false;
    QSqlQuery run(db.database()), reading(db.database()), event(db.database());
    run.prepare(u"INSERT INTO runs (station, run_id, port, started_at, unit, sample, batch, "
                "inspector, sample_count, mode, const_a, const_len_c, const_c, const_len_a, "
                "status, ended_at, cause, mean, deviation, started_offset, ended_offset) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '', ?, '', 0, 0)"_s);
    reading.prepare(u"INSERT INTO readings (station, seq, run_id, number, received, value, "
                    "confirmed_at, confirmed_offset, written_at, written_offset, hash) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, 0, ?, 0, ?)"_s);
    event.prepare(u"INSERT INTO events (station, seq, at, at_offset, run_id, kind, detail, hash) "
                  "VALUES (?, ?, ?, 0, ?, ?, ?, ?)"_s);
    const auto bind = [](QSqlQuery &insert, const QVariantList &values) {
        for (const QVariant &value : values)
            insert.addBindValue(value);
        return insert.exec();
    };
    QByteArray previous;
    qint64 seq = 0;
    const auto addEvent = [&](const QString &at, const QString &runId, JournalEvent kind,
                              const QString &detail) {
        const JournalEventRow row { ++seq, at, 0, runId, EventText(kind), detail };
        previous = chain.eventHash(previous, station, row);
        return bind(event, { station, seq, at, runId, row.kind, detail, previous });
    };
    const QDateTime first = QDateTime::currentDateTimeUtc().addSecs(-600LL * runs);
    for (int i = 0; i < runs; ++i) {
        JournalRun r;
        r.station = station;
        r.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        r.header = BenchHeader(i, perRun);
        const QDateTime start = first.addSecs(600LL * i);
        r.startedAt = JournalTimestamp(start);
        r.startedOffset = 0;
        r.endedAt = JournalTimestamp(start.addSecs(perRun * 20));
        r.endedOffset = 0;
        r.status = RunStatus::Completed;
        const ConfirmedReading last = BenchReading(perRun - 1, perRun);
        r.totals.mean = last.totals->mean;
        const RunHeader &h = r.header;
        if (!bind(run,
                  { station, r.id, h.port, r.startedAt, h.unit, h.sampleName, h.batchNo,
                    h.inspector, perRun, static_cast<int>(h.mode), h.constants.a, h.constants.lenC,
                    h.constants.C, h.constants.lena, StatusText(r.status), r.endedAt,
                    r.totals.mean })
            || !addEvent(r.startedAt, r.id, JournalEvent::RunStarted, HashChain::StartDetail(r)))
            return false;
        for (int n = 1; n <= perRun; ++n) {
            const QString at = JournalTimestamp(start.addSecs(n * 20));
            const JournalReading rd {
                ++seq, n, QString::number(34626 + n - 1), 100.0 + (n - 1) * 0.001, at, 0, at, 0
            };
            previous = chain.readingHash(previous, station, r.id, rd);
            if (!bind(
                    reading,
                    { station, rd.seq, r.id, rd.number, rd.received, rd.value, at, at, previous }))
                return false;
        }
        if (!addEvent(r.endedAt, r.id, JournalEvent::RunCompleted,
                      HashChain::CloseDetail(r, RunClosing { perRun, previous })))
            return false;
    }
    return db.commit().ok();
}
