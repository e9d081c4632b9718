// The link through an unplug and a replug, in this process (a plain program):
//   reconnect  20 times: unplug (the line fails and the device's name goes), wait a random
//              0.1 to 1.1 s, replug (the same terminal behind the same link again); the time
//              from the replug to the channel open again, and to the first reading decoded
//   lost       CPU time of this process over 10 s of a lost link, reconnect attempts included
//   other      another terminal behind the link after an unplug: the time from its arrival to
//              the link state naming it, and CPU time over 10 s of attempts that find it again
//   idle       wake-ups (context switches) of every thread over 20 s connected without data,
//              with the link state followed (it turns silent once, after 5 s)
// The channel tries to reopen once a second, as the main window sets it.
//   bench_reconnect [reconnect|lost|other|idle]...      (all four without arguments)
#include "BenchFigures.h"
#include "PtyPair.h"
#include "core/link/CSerialPort.h"
#include "core/link/FrameScanner.h"
#include "core/link/LinkMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kReplugs = 20;
constexpr int kReconnectMs = 1000;

QByteArray ReadingFrame(int r)
{
    const QByteArray text = QByteArray::number(r);
    QByteArray frame = "\x02"_ba + char(text.size() + 1) + char(1) + text;
    char check = 0;
    for (const char c : frame)
        check ^= c;
    return frame + check + '\x03';
}

// Sleeps in the event loop between events: the waiting itself must cost no CPU time.
void WaitUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(timeoutMs);
    while (!done() && deadline.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void WaitMs(int ms)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(ms);
    WaitUntil([&] { return !deadline.isActive(); }, ms + 1000);
}

double ProcessCpuMs()
{
    timespec t {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Context switches by thread name.
std::map<QString, qint64> ContextSwitches()
{
    std::map<QString, qint64> count;
    const QDir tasks(u"/proc/self/task"_s);
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + u"/comm"_s));
        QFile status(tasks.filePath(task + u"/status"_s));
        if (!comm.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromLocal8Bit(comm.readAll().trimmed());
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:")
                || line.startsWith("nonvoluntary_ctxt_switches:")) {
                const qint64 n = line.split(':').value(1).trimmed().toLongLong();
                count[name] += n;
            }
        }
    }
    return count;
}

QString SwitchesSince(const std::map<QString, qint64> &before)
{
    QStringList parts;
    for (const auto &[name, n] : ContextSwitches()) {
        const auto it = before.find(name);
        parts << u"%1 %2"_s.arg(name).arg(n - (it == before.end() ? 0 : it->second));
    }
    return parts.join(u", "_s);
}

// CPU time and context switches of the process over `ms` of waiting for events.
struct Quiet
{
    QString cpu; // "10.0 s: CPU 1.11 ms (0.011 % of one core)"
    QString switches;
};

Quiet WaitQuietly(int ms)
{
    const double cpu = ProcessCpuMs();
    const auto switches = ContextSwitches();
    QElapsedTimer wall;
    wall.start();
    WaitMs(ms);
    const double cpuMs = ProcessCpuMs() - cpu;
    return { QString::asprintf("%.1f s: CPU %.2f ms (%.3f %% of one core)", wall.elapsed() / 1e3,
                               cpuMs, 100 * cpuMs / double(wall.elapsed())),
             SwitchesSince(switches) };
}

// The instrument behind a link that outlives its terminals, and the channel that reads it.
struct Bench
{
    QTemporaryDir dir;
    QString link = dir.filePath(u"ttyVELMORA"_s);
    std::unique_ptr<PtyPair> pty;
    CSerialPort port;
    LinkMonitor monitor;
    std::vector<long> readings;

    Bench()
    {
        pty = std::make_unique<PtyPair>();
        Plug();
        port.Configure(link, 9600, 8, 0, 1);
        port.SetReconnectInterval(kReconnectMs);
        monitor.watch(port);
        QObject::connect(&port, &CSerialPort::serialData, &port,
                         [this](CSerialPort *from, RxBuffer *rx) {
                             ScanHeldBytes(*rx, [this](const FrameEvent &event) {
                                 readings.push_back(event.reading);
                                 monitor.noteFrame(event);
                             });
                             from->SetReadPermission();
                         });
    }

    void Plug() { QFile::link(pty->SlavePath(), link); }
    // The name goes and the line fails, as a USB adapter's on a flaky cable; the device stays,
    // so that the channel may open it again. (A pseudo-terminal, once gone, never comes back.)
    void Unplug()
    {
        pty->FailLine();
        QFile::remove(link);
    }
};

int MeasureReconnect()
{
    Bench bench;
    if (!bench.port.Open())
        return 1;
    std::vector<double> reopenMs;
    std::vector<double> readingMs;
    int failed = 0;
    QElapsedTimer clock;
    qint64 reopenedNs = -1;
    QObject::connect(&bench.port, &CSerialPort::opened, &bench.port, [&] {
        reopenedNs = clock.nsecsElapsed();
        bench.pty->Send(ReadingFrame(int(bench.readings.size()) + 1)); // the instrument talks
    });
    for (int i = 0; i < kReplugs; ++i) {
        bench.Unplug();
        WaitUntil([&] { return bench.monitor.state() == LinkMonitor::State::Lost; });
        WaitMs(100 + int(QRandomGenerator::global()->bounded(1000)));
        const std::size_t before = bench.readings.size();
        reopenedNs = -1;
        clock.start();
        bench.Plug();
        WaitUntil([&] { return bench.readings.size() > before; }, 3 * kReconnectMs);
        if (bench.readings.size() == before || reopenedNs < 0) {
            ++failed;
            continue;
        }
        readingMs.push_back(clock.nsecsElapsed() / 1e6);
        reopenMs.push_back(reopenedNs / 1e6);
    }
    if (readingMs.empty())
        return 1;
    std::printf("reconnect after replug, %d replugs (reopen attempt every %d ms):\n"
                "  replug to channel open again: median %.1f ms, min %.1f, max %.1f\n"
                "  replug to first reading decoded: median %.1f ms, p90 %.1f, max %.1f; "
                "not reconnected %d\n",
                kReplugs, kReconnectMs, Percentile(reopenMs, 0.5), Percentile(reopenMs, 0),
                Percentile(reopenMs, 1), Percentile(readingMs, 0.5), Percentile(readingMs, 0.9),
                Percentile(readingMs, 1), failed);
    return failed == 0 ? 0 : 1;
}

int MeasureLost()
{
    Bench bench;
    if (!bench.port.Open())
        return 1;
    bench.Unplug();
    WaitUntil([&] { return bench.monitor.state() == LinkMonitor::State::Lost; });
    const Quiet quiet = WaitQuietly(10000);
    std::printf("lost %s, reconnect attempts %d, context switches: %s\n", qPrintable(quiet.cpu),
                bench.monitor.attempt(), qPrintable(quiet.switches));
    return 0;
}

int MeasureOther()
{
    Bench bench;
    if (!bench.port.Open())
        return 1;
    bench.pty.reset();
    QFile::remove(bench.link);
    WaitUntil([&] { return bench.monitor.state() == LinkMonitor::State::Lost; });
    bench.pty = std::make_unique<PtyPair>();
    QElapsedTimer clock;
    clock.start();
    bench.Plug();
    WaitUntil([&] { return bench.monitor.state() == LinkMonitor::State::OtherDevice; },
              3 * kReconnectMs);
    const qint64 namedMs = clock.elapsed();
    if (bench.monitor.state() != LinkMonitor::State::OtherDevice)
        return 1;
    const Quiet quiet = WaitQuietly(10000);
    std::printf("another device: named %lld ms after it appeared; then %s, opened %s, "
                "context switches: %s\n",
                namedMs, qPrintable(quiet.cpu), bench.pty->IsOpenAtFarEnd() ? "yes" : "never",
                qPrintable(quiet.switches));
    return bench.pty->IsOpenAtFarEnd() ? 1 : 0;
}

int MeasureIdle()
{
    Bench bench;
    if (!bench.port.Open())
        return 1;
    bench.pty->Send(ReadingFrame(12345));
    WaitUntil([&] { return !bench.readings.empty(); });
    const auto switches = ContextSwitches();
    const double cpu = ProcessCpuMs();
    WaitMs(20000);
    std::printf("connected without data 20 s: CPU %.2f ms, state %s, context switches: %s\n",
                ProcessCpuMs() - cpu, qPrintable(bench.monitor.stateText()),
                qPrintable(SwitchesSince(switches)));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList which = app.arguments().mid(1);
    if (which.isEmpty())
        which = { u"reconnect"_s, u"lost"_s, u"other"_s, u"idle"_s };
    int result = 0;
    for (const QString &measure : which) {
        if (measure == u"reconnect"_s)
            result |= MeasureReconnect();
        else if (measure == u"lost"_s)
            result |= MeasureLost();
        else if (measure == u"other"_s)
            result |= MeasureOther();
        else if (measure == u"idle"_s)
            result |= MeasureIdle();
        else
            return std::fprintf(stderr, "unknown measure: %s\n", qPrintable(measure)), 2;
    }
    return result;
}
