#include "WindowShots.h"

#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "WaitUntil.h"
#include "app/CVelmoraApp.h"
#include "core/link/CSerialPort.h"
#include "core/text/Gb18030.h"
#include "core/text/Language.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/windows/CAboutDlg.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CModeSelectDlg.h"
#include "ui/windows/CSampleCountDlg.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

bool Save(QWidget &widget, const QString &folder, const QString &name)
{
    widget.show();
    QCoreApplication::processEvents();
    return widget.grab().save(QDir(folder).filePath(name + u".png"_s));
}

// Every window once, in the language installed now; the file names end in `suffix`.
bool RenderLanguage(const QString &folder, const QString &suffix)
{
    QTemporaryDir programDir;
    // The far side of a pseudo-terminal plays the instrument, so that the main window opens its
    // port and shows readings that really went through the decoder.
    PtyPair instrument;
    if (!programDir.isValid() || !instrument.IsValid())
        return false;

    QFile ini(programDir.filePath(u"Velmora.ini"_s));
    if (!ini.open(QIODevice::WriteOnly))
        return false;
    ini.write(
        "[ports]\r\nCOM1=" + QFile::encodeName(instrument.SlavePath()) + "\r\n"
        + Gb18030::Encode(u"[SYSTEM]\r\nnSelMode=1\r\nVELMORADLGCOLLECTIONNUM=6\r\n"
                          u"LOGINDLGNAME=李四\r\nLOGINDLGNO=20261206-03\r\n"
                          u"LOGINDLGSAMPLENAME=葡萄糖注射液\r\nLOGINDLGUNIT=市药品检验所\r\n"));
    ini.close();

    CVelmoraApp app(programDir.path());
    app.LocateSettings();
    app.LoadSettings();
    bool ok = true;
    CLoginDlg login;
    const Session &session = app.GetSession();
    login.m_strUnit = session.unit;
    login.m_strSampleName = session.sampleName;
    login.m_strBatchNo = session.batchNo;
    login.m_strInspector = session.inspector;
    login.m_nSerialNo = session.serialNo;
    ok &= Save(login, folder, u"window_login"_s + suffix);
    // With accounts and methods in use: the password and the method beside the original fields.
    CLoginDlg signIn;
    signIn.m_strInspector = session.inspector;
    signIn.m_bAskPassword = true;
    signIn.m_methodNames = { u"葡萄糖 比旋度"_s, u"Sucrose USP"_s };
    ok &= Save(signIn, folder, u"window_login_accounts"_s + suffix);

    CVelmoraDlg window(session, app.GetSettings());
    window.show();
    // A run in progress in the sugar-degree mode: three confirmed readings, a fourth on display.
    for (const long r : { 12345L, 12351L, 12339L, 12348L }) {
        const QString shown = QString::asprintf("%+07.3f", r * 0.001);
        instrument.Send(ReadingFrame(r));
        ok &= WaitUntil(
            [&] {
                return GetDlgItem<CLedDigitDisplay>(window, CVelmoraDlg::IDC_READING)->DisplayText()
                    == shown;
            },
            5000);
        if (r != 12348L)
            GetDlgItem<QPushButton>(window, IDOK)->click();
    }
    // The link states the inspector sees: readings settled, then the instrument quiet, then
    // unplugged with a Confirm refused.
    ok &= WaitUntil([&] { return window.GetSession().link().isStable(); }, 5000);
    ok &= Save(window, folder, u"window_main"_s + suffix);
    ok &= WaitUntil(
        [&] { return window.GetSession().link().state() == LinkMonitor::State::Silent; }, 10000);
    ok &= Save(window, folder, u"window_silent"_s + suffix);
    instrument.CloseMaster();
    ok &= WaitUntil([&] { return window.GetSession().link().state() == LinkMonitor::State::Lost; },
                    5000);
    GetDlgItem<QPushButton>(window, IDOK)->click();
    ok &= Save(window, folder, u"window_lost"_s + suffix);

    CAboutDlg about;
    ok &= Save(about, folder, u"window_about"_s + suffix);
    CSampleCountDlg count;
    count.m_nCount = session.sampleCount;
    ok &= Save(count, folder, u"window_sample_count"_s + suffix);
    CModeSelectDlg mode;
    mode.SetChoice(window.GetSession().run().Constants(),
                   static_cast<int>(window.GetSession().run().Mode()));
    ok &= Save(mode, folder, u"window_mode_select"_s + suffix);
    return ok;
}

} // namespace

bool RenderWindows(const QString &folder)
{
    // The English catalogue lies beside the executables, where the build puts it.
    bool ok = true;
    for (const bool english : { false, true }) {
        const bool installed = InstallTranslators(english, QCoreApplication::applicationDirPath())
            == (english ? UiLanguage::English : UiLanguage::Chinese);
        ok &= installed && RenderLanguage(folder, english ? u"_en"_s : QString());
    }
    return ok;
}
