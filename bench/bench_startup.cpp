// Start-up time and resident memory of the application, measured end to end.
//
// Without arguments the program starts itself again with "--child" several times and times each
// child from process start until its main window is shown, as the child reports on stdout. The
// child runs the real start-up sequence (settings, language, login dialog confirmed at once,
// results journal, main window with its serial channel on a pseudo-terminal), then feeds readings
// through the terminal and reports its resident memory. Children with and without the journal
// take turns in one program folder, whose journal holds the runs of the earlier children, as a
// station's does. Run it with QT_QPA_PLATFORM=offscreen or on a display.
#include "AppHarness.h"
#include "ui/controls/LedDigitDisplay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 30;
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

int ReportShownAndFlooded(CVelmoraDlg &window, Terminal &terminal)
{
    std::printf("shown %ld\n", ResidentKiB());
    std::fflush(stdout);
    QByteArray stream;
    for (int i = 1; i <= kFrames; ++i)
        stream += ReadingFrame(i);
    terminal.Write(stream);
    WaitUntil([&] { return window.m_ctlReading->DisplayText() == u"+02.000"_s; });
    std::printf("after %d frames %ld\n", kFrames, ResidentKiB());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // --child DIR [--no-journal]
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return RunApplication(argc, argv, ReportShownAndFlooded, QString::fromLocal8Bit(argv[2]),
                              !(argc > 3 && qstrcmp(argv[3], "--no-journal") == 0));

    QCoreApplication application(argc, argv);
    QTemporaryDir programDir;
    std::vector<double> startMs[2]; // without, with the journal
    QByteArray lastReport;
    for (int run = 0; run < 2 * kRuns; ++run) {
        const bool journal = run % 2;
        QStringList arguments { u"--child"_s, programDir.path() };
        if (!journal)
            arguments << u"--no-journal"_s;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), arguments);
        QByteArray out;
        while (!out.contains('\n') && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        startMs[journal].push_back(clock.nsecsElapsed() / 1e6);
        child.waitForFinished(60000);
        lastReport = out + child.readAllStandardOutput();
    }
    for (std::vector<double> &times : startMs)
        std::sort(times.begin(), times.end());
    const auto median = [&](int journal) {
        return startMs[journal][startMs[journal].size() / 2];
    };
    for (const int journal : { 0, 1 })
        std::printf("start-up to main window shown, %s, %d runs: median %.1f ms, min %.1f ms, "
                    "max %.1f ms\n",
                    journal ? "with the journal" : "without the journal", kRuns, median(journal),
                    startMs[journal].front(), startMs[journal].back());
    std::printf("with the journal / without: %.3f (medians)\n", median(1) / median(0));
    std::printf("resident memory (KiB) of the last run (with the journal):\n%s",
                lastReport.constData());
    return 0;
}
