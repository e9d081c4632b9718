// Forwarding to a lab server: throughput from a backlog of 100 000 readings, and the lag from
// Confirm to the row committed on the server while idle. The server is a PostgreSQL 15 of the
// benchmark's own on a Unix socket (as in the tests), so the figures leave out a network.
//
//   bench_forward [READINGS]   (default 100000)
#include "BenchFigures.h"
#include "BenchRuns.h"
#include "PgServer.h"
#include "core/journal/server/JournalForwarder.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/Journal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPerRun = 12;
constexpr int kConfirms = 300;

// Runs the event loop until the forwarder reports every row on the server.
bool WaitSynced(JournalForwarder &forwarder, int timeoutMs)
{
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    const auto connection = QObject::connect(
        &forwarder, &JournalForwarder::stateChanged, &loop, [&](const ForwardState &state) {
            if (state.status != ForwardState::Status::Starting
                && state.status != ForwardState::Status::Pending)
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
    ServerConnection admin;
    int from = 0;
    if (!pg.isReady() || !admin.open(connInfo).ok() || !ServerSchema::Init(admin, from).ok()) {
        std::printf("no PostgreSQL server (Debian package postgresql)\n");
        return 1;
    }

    // Throughput from a backlog.
    const QString backlog = dir.filePath(u"backlog.sqlite"_s);
    if (!WriteBenchRuns(backlog, u"bench-backlog"_s, (readings + kPerRun - 1) / kPerRun, kPerRun))
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
            journal.beginRun(BenchHeader(i, kPerRun));
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
