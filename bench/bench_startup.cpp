// Start-up time and resident memory of the application, measured end to end.
//
// Without arguments the program starts itself again with "--child" several times and times each
// child from process start until its main window is shown, as the child reports on stdout. The
// child runs the real start-up sequence (settings, language, login dialog confirmed at once,
// main window with its serial channel on a pseudo-terminal), then feeds readings through the
// terminal and reports its resident memory. Run it with QT_QPA_PLATFORM=offscreen or on a display.
#include "AppHarness.h"
#include "ui/controls/LedDigitDisplay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 10;
constexpr int kFrames = 2000;

long ResidentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int ReportShownAndFlooded(CVelmoraDlg &window, PtyPair &terminal)
{
    std::printf("shown %ld\n", ResidentKiB());
    std::fflush(stdout);
    QByteArray stream;
    for (int i = 1; i <= kFrames; ++i)
        stream += ReadingFrame(i);
    terminal.Send(stream);
    WaitUntil([&] { return window.m_ctlReading->DisplayText() == u"+02.000"_s; });
    std::printf("after %d frames %ld\n", kFrames, ResidentKiB());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return RunApplication(argc, argv, ReportShownAndFlooded);

    QCoreApplication application(argc, argv);
    std::vector<double> startMs;
    QByteArray lastReport;
    for (int run = 0; run < kRuns; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), { u"--child"_s });
        QByteArray out;
        while (!out.contains('\n') && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        startMs.push_back(clock.nsecsElapsed() / 1e6);
        child.waitForFinished(60000);
        lastReport = out + child.readAllStandardOutput();
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf(
        "start-up to main window shown, %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n", kRuns,
        startMs[startMs.size() / 2], startMs.front(), startMs.back());
    std::printf("resident memory (KiB) of the last run:\n%s", lastReport.constData());
    return 0;
}
