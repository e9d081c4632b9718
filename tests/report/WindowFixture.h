#pragma once

#include "../app/ModalDriver.h"
#include "../link/PtyPair.h"
#include "app/CVelmoraApp.h"
#include "controls/LedDigitDisplay.h"
#include "measure/CVelmoraDlg.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The main window in a fresh program directory, its instrument a pseudo-terminal on COM1.
struct WindowFixture
{
    explicit WindowFixture(const QString &programSubdir = {})
        : programDir(programSubdir.isEmpty() ? dir.path() : dir.filePath(programSubdir))
    {
        QDir().mkpath(programDir);
        app = std::make_unique<CVelmoraApp>(programDir);
        app->LocateSettings();
    }

    bool IsValid() const { return dir.isValid() && pty.IsValid(); }

    // The settings file: the port section, then the given lines.
    void WriteSettings(const QByteArray &lines)
    {
        QFile ini(app->m_strIniPath);
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[ports]\r\nCOM1=" + pty.SlavePath().toLocal8Bit() + "\r\n" + lines);
        ini.close();
        app->LoadSettings();
    }

    std::unique_ptr<CVelmoraDlg> Open(const QByteArray &lines = {})
    {
        WriteSettings(lines);
        auto window = std::make_unique<CVelmoraDlg>(*app);
        window->show();
        return window;
    }

    // The instrument sends r thousandths of a degree; true once the window shows it.
    bool Send(CVelmoraDlg &window, long r)
    {
        QByteArray frame("\x02\x07\x01", 3);
        frame += (r < 0 ? "-" : "+") + QByteArray::number(qAbs(r)).rightJustified(5, '0');
        char check = 0;
        for (char c : frame)
            check ^= c;
        pty.Send(frame + check + '\x03');
        const QString shown = QString::asprintf("%+07.3f", r * 0.001);
        return QTest::qWaitFor([&] { return window.m_ctlReading->DisplayText() == shown; });
    }

    bool Confirm(CVelmoraDlg &window, long r)
    {
        if (!Send(window, r))
            return false;
        window.m_btnConfirm->click();
        return true;
    }

    // Clicks a button of the window while the steps work the dialogs it opens.
    static bool Click(CVelmoraDlg &window, int id, std::deque<ModalDriver::Step> steps)
    {
        ModalDriver driver(std::move(steps));
        GetDlgItem<QPushButton>(window, id)->click();
        return driver.Done() && !driver.TimedOut();
    }

    static QByteArray ReadFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    PtyPair pty;
    QString programDir;
    std::unique_ptr<CVelmoraApp> app;
};
