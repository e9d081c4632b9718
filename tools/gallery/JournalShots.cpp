#include "JournalShots.h"

#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "WaitUntil.h"
#include "app/CVelmoraApp.h"
#include "core/journal/server/JournalForwarder.h"
#include "core/journal/store/Journal.h"
#include "core/text/Gb18030.h"
#include "core/text/Language.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A program folder whose journal holds a run of three readings that a killed program left open.
bool PrepareFolder(const QString &dir, const QString &device, const QByteArray &journalKey)
{
    QFile ini(QDir(dir).filePath(u"Velmora.ini"_s));
    if (!ini.open(QIODevice::WriteOnly))
        return false;
    ini.write(
        "[ports]\r\nCOM1=" + QFile::encodeName(device) + "\r\n" + journalKey
        + Gb18030::Encode(u"[SYSTEM]\r\nnSelMode=1\r\nVELMORADLGCOLLECTIONNUM=6\r\n"
                          u"LOGINDLGNAME=李四\r\nLOGINDLGNO=20261206-03\r\n"
                          u"LOGINDLGSAMPLENAME=葡萄糖注射液\r\nLOGINDLGUNIT=市药品检验所\r\n"));
    ini.close();
    if (journalKey.contains("path="))
        return true;
    Journal killed;
    if (!killed.open(QDir(dir).filePath(u"VelmoraJournal.sqlite"_s)).result.ok())
        return false;
    killed.beginRun({ device,
                      u"市药品检验所"_s,
                      u"葡萄糖注射液"_s,
                      u"20261206-03"_s,
                      u"李四"_s,
                      6,
                      MeasurementMode::SugarDegree,
                      {} });
    bool ok = true;
    for (const double value : { 35.652, 35.669, 35.634 }) {
        const int number = int(killed.currentRun().readingCount) + 1;
        ok &= killed
                  .recordReading({ number, QString::number(qRound(value / 2.888 * 1000)), value,
                                   std::nullopt })
                  .ok();
    }
    return ok;
}

// The main window of a start-up in folder; the question it asks is saved and answered Yes.
bool Shoot(const QString &folder, const QString &suffix, bool blocked)
{
    QTemporaryDir dir;
    PtyPair instrument;
    if (!dir.isValid() || !instrument.IsValid()
        || !QFile(dir.filePath(u"file"_s)).open(QIODevice::WriteOnly)
        || !PrepareFolder(dir.path(), instrument.SlavePath(),
                          (blocked ? "[journal]\r\npath=file/j.sqlite\r\n"_ba : "[journal]\r\n"_ba)
                              + "server=host=" + QFile::encodeName(dir.filePath(u"none"_s))
                              + "\r\n"))
        return false;
    CVelmoraApp app(dir.path());
    app.LocateSettings();
    app.LoadSettings();
    app.OpenJournal();
    CVelmoraDlg window(app.GetSession(), app.GetSettings());
    window.AttachJournal(app.GetJournal(), app.JournalOutcome().result);
    bool asked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            asked = box->grab().save(QDir(folder).filePath(u"window_recovery"_s + suffix));
            box->button(QMessageBox::Yes)->click();
        }
    });
    poll.start(20);
    window.show();
    poll.stop();
    QCoreApplication::processEvents();
    // A lab server that is not there: its state shows below Exit.
    const JournalForwarder *forwarder = window.GetSession().forwarder();
    if (!forwarder
        || !WaitUntil(
            [&] { return forwarder->state().status == ForwardState::Status::Unreachable; }, 5000))
        return false;
    if (!blocked)
        return asked && window.grab().save(QDir(folder).filePath(u"window_recovered"_s + suffix));
    instrument.Send(ReadingFrame(12345));
    if (!WaitUntil(
            [&] {
                return GetDlgItem<CLedDigitDisplay>(window, CVelmoraDlg::IDC_READING)->DisplayText()
                    == u"+12.345"_s;
            },
            5000))
        return false;
    GetDlgItem<QPushButton>(window, IDOK)->click();
    const auto told = window.findChildren<QMessageBox *>();
    return told.size() == 1
        && told[0]->grab().save(QDir(folder).filePath(u"window_journal_message"_s + suffix))
        && window.grab().save(QDir(folder).filePath(u"window_journal_unavailable"_s + suffix));
}

} // namespace

bool RenderJournalShots(const QString &folder)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    bool ok = Shoot(folder, u".png"_s, false) && Shoot(folder, u".png"_s, true);
    ok &= InstallTranslators(true, programDir) == UiLanguage::English
        && Shoot(folder, u"_en.png"_s, false) && Shoot(folder, u"_en.png"_s, true);
    InstallTranslators(false, programDir);
    return ok;
}
