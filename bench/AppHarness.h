#pragma once

// What the end-to-end benchmarks share: the real start-up with the login confirmed at once, the
// main window's instrument on a pseudo-terminal, and reading frames to write into it.
#include "app/CVelmoraApp.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

inline QByteArray ReadingFrame(int r)
{
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%+06d", r);
    QByteArray frame = "\x02"_ba + char(n + 1) + '\x01' + QByteArray(text, n);
    char check = 0;
    for (const char c : frame)
        check ^= c;
    return frame + check + '\x03';
}

inline bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 30000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return condition();
}

class Terminal
{
public:
    Terminal()
    {
        char name[256] = {};
        int slave = -1;
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw {};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        // The window reads on this thread's turn, so the writer must never block it.
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = QByteArray(name);
    }
    ~Terminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    Terminal(const Terminal &) = delete;
    Terminal &operator=(const Terminal &) = delete;

    bool IsValid() const { return m_master >= 0; }
    const QByteArray &Path() const { return m_path; }

    void Write(const QByteArray &bytes)
    {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n = ::write(m_master, bytes.constData() + sent, bytes.size() - sent);
            if (n > 0)
                sent += n;
            else
                QCoreApplication::processEvents();
        }
    }

private:
    int m_master = -1;
    QByteArray m_path;
};

// Runs the application's start-up with the login confirmed at once and hands the shown main
// window to `measure`, whose result becomes the exit code. programDir: where Velmora.ini and the
// journal are (empty: a new temporary folder); without journal, every step of the start-up but
// the journal's.
inline int RunApplication(int argc, char *argv[],
                          const std::function<int(CVelmoraDlg &, Terminal &)> &measure,
                          const QString &programDir = {}, bool journal = true)
{
    QApplication application(argc, argv);
    Terminal terminal;
    QTemporaryDir temporary;
    const QDir dir(programDir.isEmpty() ? temporary.path() : programDir);
    QFile ini(dir.filePath(u"Velmora.ini"_s));
    if (!terminal.IsValid() || !ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[ports]\r\nCOM1=" + terminal.Path() + "\r\n");
    ini.close();

    CVelmoraApp velmora(dir.path());
    int result = 1;
    velmora.SetModalRunner([&](QDialog &dialog) {
        if (qobject_cast<CLoginDlg *>(&dialog)) {
            dialog.show();
            return int(QDialog::Accepted);
        }
        auto &window = dynamic_cast<CVelmoraDlg &>(dialog);
        window.show();
        WaitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); });
        result = measure(window, terminal);
        return int(QDialog::Rejected);
    });
    if (journal) {
        velmora.InitInstance();
        return result;
    }
    velmora.LocateSettings();
    velmora.LoadSettings();
    velmora.ChooseLanguage();
    if (velmora.RunLoginDialog()) {
        CVelmoraDlg window(velmora.GetSession(), velmora.GetSettings());
        velmora.SetModalRunner({});
        window.show();
        WaitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); });
        result = measure(window, terminal);
    }
    return result;
}
