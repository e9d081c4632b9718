// Forwarding to a lab server: throughput from a backlog of 100 000 readings, and the lag from
// Confirm to the row committed on the server while idle. The server is a PostgreSQL 15 of the
// benchmark's own on a Unix socket (as in the tests), so the figures leave out a network.
//
//   bench_forward [READINGS]   (default 100000)
#include "BenchFigures.h"
#include "BenchRuns.h"
#include "PgServer.h"
#include "core/journal/HashChain.h"
#include "core/journal/Journal.h"
#include "core/journal/JournalForwarder.h"
#include "core/journal/ServerSchema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPerRun = 12;
constexpr int kConfirms = 300;

RunHeader BenchHeader(int i)
{
    return { u"/dev/ttyS0"_s, u"检验所"_s, u"蔗糖 %1"_s.arg(i % 50),     u"B-%1"_s.arg(i),
             u"张三"_s,       kPerRun,     MeasurementMode::SugarDegree, {} };
}

// The backlog in one local transaction, chained as the program chains it: per run a start
// event, its readings and a completion event.
bool FillBacklog(const QString &path, const QString &station, int readings)
{
    JournalDatabase db;
    if (!db.open(path, JournalDatabase::OpenMode::Write).ok() || !db.begin().ok())
        return false;
    QSqlQuery run(db.database()), reading(db.database()), event(db.database());
    run.prepare(u"INSERT INTO runs (station, run_id, port, started_at, unit, sample, batch, "
                "inspector, sample_count, mode, const_a, const_len_c, const_c, const_len_a, "
                "status, ended_at, cause, mean, deviation) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 1, 0, 0, 0, 0, 'completed', ?, '', ?, '')"_s);
    reading.prepare(u"INSERT INTO readings VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s);
    event.prepare(u"INSERT INTO events VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    QByteArray previous;
    qint64 seq = 0;
    const auto bind = [](QSqlQuery &query, const QVariantList &values) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        return query.exec();
    };
    const auto addEvent = [&](const QString &runId, JournalEvent kind, const QString &detail) {
        const QString at = JournalNow();
        previous =
            HashChain::EventHash(previous, station, ++seq, at, runId, EventText(kind), detail);
        return bind(event, { station, seq, at, runId, EventText(kind), detail, previous });
    };
    for (int i = 0; i * kPerRun < readings; ++i) {
        JournalRun r;
        r.station = station;
        r.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        r.header = BenchHeader(i);
        r.header.constants = {};
        r.startedAt = JournalNow();
        r.endedAt = r.startedAt;
        r.status = RunStatus::Completed;
        r.totals.mean = u"100.006"_s;
        const RunHeader &h = r.header;
        if (!bind(run,
                  { station, r.id, h.port, r.startedAt, h.unit, h.sampleName, h.batchNo,
                    h.inspector, kPerRun, r.endedAt, r.totals.mean })
            || !addEvent(r.id, JournalEvent::RunStarted, HashChain::StartDetail(r)))
            return false;
        for (int n = 1; n <= kPerRun; ++n) {
            const JournalReading rd { ++seq, n, QString::number(34626 + n), 100.0 + n * 0.001,
                                      r.startedAt };
            previous = HashChain::ReadingHash(previous, station, r.id, rd);
            if (!bind(
                    reading,
                    { station, rd.seq, r.id, n, rd.received, rd.value, rd.confirmedAt, previous }))
                return false;
        }
        if (!addEvent(r.id, JournalEvent::RunCompleted, HashChain::CloseDetail(r)))
            return false;
    }
    return db.commit().ok();
}

// Runs the event loop until the forwarder reports every row on the server.
bool WaitSynced(JournalForwarder &forwarder, int timeoutMs)
{
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    const auto connection = QObject::connect(
        &forwarder, &JournalForwarder::stateChanged, &loop, [&](const ForwardState &state) {
            if (state.status == ForwardState::Status::Synced
                || state.status == ForwardState::Status::Unreachable)
                loop.quit();
        });
    loop.exec();
    QObject::disconnect(connection);
    return forwarder.state().status == ForwardState::Status::Synced;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int readings = argc > 1 ? std::max(kPerRun, atoi(argv[1])) : 100000;
    PgServer pg;
    QTemporaryDir dir;
    const QString connInfo = pg.connInfo(u"postgres"_s);
    JournalDatabase admin;
    int from = 0;
    if (!pg.isReady() || !admin.openServer(connInfo).ok()
        || !ServerSchema::Init(admin, from).ok()) {
        std::printf("no PostgreSQL server (Debian package postgresql)\n");
        return 1;
    }

    // Throughput from a backlog.
    const QString backlog = dir.filePath(u"backlog.sqlite"_s);
    if (!FillBacklog(backlog, u"bench-backlog"_s, readings))
        return 1;
    {
        JournalForwarder forwarder(backlog, connInfo);
        QElapsedTimer timer;
        timer.start();
        forwarder.start();
        if (!WaitSynced(forwarder, 600000)) {
            std::printf("backlog not forwarded: %s\n", qPrintable(forwarder.state().reason));
            return 1;
        }
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        const int runs = (readings + kPerRun - 1) / kPerRun;
        const int rows = runs * (kPerRun + 2);
        std::printf("backlog of %d readings (%d rows with the run events) forwarded in %.2f s: "
                    "%.0f rows/s, %.0f readings/s\n",
                    runs * kPerRun, rows, seconds, rows / seconds, runs * kPerRun / seconds);
    }

    // Lag while idle: each Confirm alone, the forwarder told at once, as the window does.
    Journal journal(u"bench-lag"_s);
    if (!journal.open(dir.filePath(u"lag.sqlite"_s)).result.ok())
        return 1;
    JournalForwarder forwarder(journal.database().path(), connInfo);
    forwarder.start();
    std::vector<double> confirmMs;
    std::vector<double> lagMs;
    QElapsedTimer timer;
    for (int i = 0; i < kConfirms; ++i) {
        const ConfirmedReading reading = BenchReading(i, kPerRun);
        if (reading.number == 1)
            journal.beginRun(BenchHeader(i));
        timer.start();
        if (!journal.recordReading(reading).ok())
            return 1;
        confirmMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        forwarder.notifyCommitted();
        if (!WaitSynced(forwarder, 10000)) {
            std::printf("row not forwarded: %s\n", qPrintable(forwarder.state().reason));
            return 1;
        }
        lagMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf(
        "Confirm to committed local row, %d confirms: median %.2f ms, p99 %.2f ms\n"
        "Confirm to row committed on the server: median %.2f ms, p99 %.2f ms, max %.2f ms\n",
        kConfirms, Percentile(confirmMs, 0.5), Percentile(confirmMs, 0.99), Percentile(lagMs, 0.5),
        Percentile(lagMs, 0.99), *std::max_element(lagMs.begin(), lagMs.end()));
    return 0;
}
