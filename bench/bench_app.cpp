// The application end to end. Each measure runs in a child process with the real start-up
// (settings file, login dialog confirmed at once, main window with its serial channel on a
// pseudo-terminal whose other side this program writes):
//   latency  the time from the write() of a reading frame to the reading display painting that
//            reading, one frame at a time: median and 99th percentile
//   flood    N frames written as fast as the terminal takes them; time until the display shows
//            the last one, as frames per second
//   idle     CPU time and wake-ups (context switches of all threads) of the child over 30 s with
//            the port open and nothing arriving; taken by the parent from /proc
//   lost     the same with the instrument unplugged: the window shows the lost link and tries
//            to reopen its port once a second
// Run it with QT_QPA_PLATFORM=offscreen or on a display:
//   bench_app [latency|flood|idle|lost]...      (the first three without arguments)
#include "AppHarness.h"
#include "core/link/FrameScanner.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <signal.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLatencyFrames = 1000;
constexpr int kFloodFrames = 200000;
constexpr int kIdleSeconds = 30;

// Notes when the reading display paints, and what it shows then.
class PaintWatch : public QObject
{
public:
    QElapsedTimer clock;
    qint64 lastPaintNs = -1;
    QString lastPaintText;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            lastPaintNs = clock.nsecsElapsed();
            lastPaintText = static_cast<CLedDigitDisplay *>(watched)->DisplayText();
        }
        return false;
    }
};

int MeasureLatency(CVelmoraDlg &window, PtyPair &terminal)
{
    PaintWatch watch;
    watch.clock.start();
    GetDlgItem<CLedDigitDisplay>(window, CVelmoraDlg::IDC_READING)->installEventFilter(&watch);
    std::vector<double> latencyUs;
    int missed = 0;
    for (int i = 0; i < kLatencyFrames; ++i) {
        const int r = 10000 + i;
        const QString expected = FormatReadingText(r);
        // Taken before the write: the terminal may hand the bytes on while write() still runs.
        const qint64 writtenNs = watch.clock.nsecsElapsed();
        terminal.Send(ReadingFrame(r));
        if (!WaitUntil(
                [&] { return watch.lastPaintNs > writtenNs && watch.lastPaintText == expected; },
                2000)) {
            ++missed;
            continue;
        }
        latencyUs.push_back(double(watch.lastPaintNs - writtenNs) / 1e3);
    }
    std::sort(latencyUs.begin(), latencyUs.end());
    if (latencyUs.empty())
        return 1;
    std::printf("latency, frame written to reading display painted, %zu frames: median %.0f us, "
                "p99 %.0f us, max %.0f us, not shown %d\n",
                latencyUs.size(), latencyUs[latencyUs.size() / 2],
                latencyUs[std::min(latencyUs.size() - 1, latencyUs.size() * 99 / 100)],
                latencyUs.back(), missed);
    return 0;
}

int MeasureFlood(CVelmoraDlg &window, PtyPair &terminal)
{
    QByteArray stream;
    for (int i = 1; i <= kFloodFrames; ++i)
        stream += ReadingFrame(i);
    const QString last = FormatReadingText(kFloodFrames);
    QElapsedTimer clock;
    clock.start();
    terminal.Send(stream);
    const bool shown = WaitUntil(
        [&] {
            return GetDlgItem<CLedDigitDisplay>(window, CVelmoraDlg::IDC_READING)->DisplayText()
                == last;
        },
        60000);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("flood through the main window: %d frames (%lld bytes) in %.3f s, %.0f frames/s, "
                "last reading shown: %s\n",
                kFloodFrames, static_cast<long long>(stream.size()), seconds,
                kFloodFrames / seconds, shown ? "yes" : "no");
    return shown ? 0 : 1;
}

int IdleUntilKilled(CVelmoraDlg &, PtyPair &)
{
    std::printf("shown\n");
    std::fflush(stdout);
    QEventLoop loop;
    loop.exec();
    return 0;
}

int LostUntilKilled(CVelmoraDlg &window, PtyPair &terminal)
{
    terminal.CloseMaster();
    if (!WaitUntil([&] { return !window.GetSession().link().isLive(); }, 5000))
        return 1;
    return IdleUntilKilled(window, terminal);
}

struct ThreadTimes
{
    double cpuMs = 0;
    long switches = 0;
};

// Run time and context switches of every thread of the process, by thread id.
std::map<QString, ThreadTimes> SampleProcess(qint64 pid)
{
    std::map<QString, ThreadTimes> threads;
    const QString base = u"/proc/%1/task"_s.arg(pid);
    for (const QString &task : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ThreadTimes &times = threads[task];
        QFile schedstat(base + u'/' + task + u"/schedstat"_s);
        if (schedstat.open(QIODevice::ReadOnly))
            times.cpuMs = schedstat.readAll().split(' ').value(0).toDouble() / 1e6;
        QFile status(base + u'/' + task + u"/status"_s);
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:")
                || line.startsWith("nonvoluntary_ctxt_switches:"))
                times.switches += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
    }
    return threads;
}

int RunIdleParent(const QByteArray &what)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                { u"--child"_s, QString::fromLatin1(what) });
    QByteArray out;
    while (!out.contains("shown") && child.waitForReadyRead(30000))
        out += child.readAllStandardOutput();
    if (!out.contains("shown"))
        return 1;
    // Let start-up work (fonts, first paints, helper threads ending) settle before counting.
    QThread::sleep(2);
    const auto before = SampleProcess(child.processId());
    QThread::sleep(kIdleSeconds);
    const auto after = SampleProcess(child.processId());
    child.kill();
    child.waitForFinished();
    double cpuMs = 0;
    long switches = 0;
    for (const auto &[tid, times] : after) {
        const auto earlier = before.find(tid);
        const ThreadTimes start = earlier == before.end() ? ThreadTimes {} : earlier->second;
        cpuMs += times.cpuMs - start.cpuMs;
        switches += times.switches - start.switches;
    }
    std::printf("%s %d s with the port %s: CPU %.3f ms (%.4f %% of one core), context switches "
                "%ld, threads %zu (%zu at the start of the interval)\n",
                what.constData(), kIdleSeconds, what == "idle" ? "open" : "lost", cpuMs,
                cpuMs / (kIdleSeconds * 10.0), switches, after.size(), before.size());
    return 0;
}

int RunChildMeasure(const QByteArray &what, const QString &program)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(program, { u"--child"_s, QString::fromLatin1(what) });
    child.waitForFinished(180000);
    return child.exitCode();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0) {
        const QByteArray what = argv[2];
        if (what == "latency")
            return RunApplication(argc, argv, MeasureLatency);
        if (what == "flood")
            return RunApplication(argc, argv, MeasureFlood);
        if (what == "lost")
            return RunApplication(argc, argv, LostUntilKilled);
        return RunApplication(argc, argv, IdleUntilKilled);
    }

    QCoreApplication application(argc, argv);
    QList<QByteArray> measures;
    for (int i = 1; i < argc; ++i)
        measures << argv[i];
    if (measures.isEmpty())
        measures = { "latency", "flood", "idle" };
    int status = 0;
    for (const QByteArray &what : measures)
        status |= what == "idle" || what == "lost"
            ? RunIdleParent(what)
            : RunChildMeasure(what, QCoreApplication::applicationFilePath());
    return status;
}
