// Start-up time and resident memory of the application, measured end to end.
//
// Without arguments the program starts itself again with "--child" several times and times each
// child from process start until its main window is shown, as the child reports on stdout. The
// child runs the real start-up sequence (settings, language, login dialog confirmed at once,
// main window with its serial channel on a pseudo-terminal), then feeds readings through the
// terminal and reports its resident memory. Run it with QT_QPA_PLATFORM=offscreen or on a display.
#include "app/CLoginDlg.h"
#include "app/CVelmoraApp.h"
#include "controls/LedDigitDisplay.h"
#include "measure/CVelmoraDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
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

QByteArray ReadingFrame(int r)
{
    const QByteArray text = "+" + QByteArray::number(r).rightJustified(5, '0');
    QByteArray frame = "\x02"_ba + char(text.size() + 1) + '\x01' + text;
    char check = 0;
    for (char c : frame)
        check ^= c;
    return frame + check + '\x03';
}

void WaitUntil(const std::function<bool()> &condition)
{
    while (!condition())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int RunChild(int argc, char *argv[])
{
    QApplication application(argc, argv);
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return 1;
    termios raw {};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    // The window reads on this thread's turn, so the writer must never block it.
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    QTemporaryDir dir;
    QFile ini(dir.filePath(u"Velmora.ini"_s));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[ports]\r\nCOM1=" + QByteArray(name) + "\r\n");
    ini.close();

    CVelmoraApp velmora(dir.path());
    velmora.SetModalRunner([&](QDialog &dialog) {
        if (qobject_cast<CLoginDlg *>(&dialog)) {
            dialog.show();
            return int(QDialog::Accepted);
        }
        auto &window = dynamic_cast<CVelmoraDlg &>(dialog);
        window.show();
        WaitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); });
        std::printf("shown %ld\n", ResidentKiB());
        std::fflush(stdout);

        QByteArray stream;
        for (int i = 1; i <= kFrames; ++i)
            stream += ReadingFrame(i);
        for (qsizetype sent = 0; sent < stream.size();) {
            const ssize_t n = ::write(master, stream.constData() + sent, stream.size() - sent);
            if (n > 0)
                sent += n;
            QCoreApplication::processEvents();
        }
        WaitUntil([&] { return window.m_ctlReading->DisplayText() == u"+02.000"_s; });
        std::printf("after %d frames %ld\n", kFrames, ResidentKiB());
        return int(QDialog::Rejected);
    });
    const int result = velmora.InitInstance();
    ::close(slave);
    ::close(master);
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv);

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
