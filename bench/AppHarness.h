#pragma once

// What the end-to-end benchmarks share: the real start-up with the login confirmed at once, the
// main window's instrument on the tests' pseudo-terminal pair, and reading frames to send into it.
#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "WaitUntil.h"
#include "app/CVelmoraApp.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <functional>

using namespace Qt::StringLiterals;

// Runs the application's start-up with the login confirmed at once and hands the shown main
// window to `measure`, whose result becomes the exit code. programDir: where Velmora.ini and the
// journal are (empty: a new temporary folder); without journal, every step of the start-up but
// the journal's.
inline int RunApplication(int argc, char *argv[],
                          const std::function<int(CVelmoraDlg &, PtyPair &)> &measure,
                          const QString &programDir = {}, bool journal = true)
{
    QApplication application(argc, argv);
    PtyPair terminal;
    QTemporaryDir temporary;
    const QDir dir(programDir.isEmpty() ? temporary.path() : programDir);
    QFile ini(dir.filePath(u"Velmora.ini"_s));
    if (!terminal.IsValid() || !ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[ports]\r\nCOM1=" + QFile::encodeName(terminal.SlavePath()) + "\r\n");
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
        window.show();
        WaitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); });
        result = measure(window, terminal);
    }
    return result;
}
