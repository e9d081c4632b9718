#include "../app/ModalDriver.h"
#include "../link/PtyPair.h"
#include "app/CVelmoraApp.h"
#include "app/Gb18030.h"
#include "app/Language.h"
#include "app/StringTable.h"
#include "controls/HotTrackButton.h"
#include "controls/LedDigitDisplay.h"
#include "measure/CModeSelectDlg.h"
#include "measure/CVelmoraDlg.h"
#include "report/HelpLauncher.h"
#include "report/PrintJob.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray ReadingFrame(long r)
{
    QByteArray frame("\x02\x07\x01", 3);
    frame += (r < 0 ? "-"_ba : "+"_ba) + QByteArray::number(qAbs(r)).rightJustified(5, '0');
    char check = 0;
    for (char c : frame)
        check ^= c;
    return frame + check + '\x03';
}

QByteArray ReportBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Gb18030::Encode(line) + "\r\n";
    return bytes;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Today()
{
    return QDate::currentDate().toString(u"yyyy-MM-dd"_s);
}

// The save dialog: the file typed as given, then Save.
ModalDriver::Step SaveAs(const QString &path)
{
    return [path](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        auto *name = dialog ? dialog->findChild<QLineEdit *>() : nullptr;
        if (!name)
            return;
        name->setText(path);
        // QFileDialog's own accept is protected; through QDialog it is the Save button.
        static_cast<QDialog *>(dialog)->accept();
    };
}

ModalDriver::Step Press(QMessageBox::StandardButton which, QString *text = nullptr)
{
    return [which, text](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (text)
                *text = box->text();
            box->button(which)->click();
        }
    };
}

ModalDriver::Step Reject()
{
    return [](QWidget *modal) {
        modal->close();
    };
}

bool HasChinese(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c.unicode() >= 0x2E80 && c.unicode() <= 0x9FFF)
            || (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF);
    });
}

// Every text a person reads in the window: captions, labels, buttons, table headers.
QStringList VisibleTexts(const QWidget &window)
{
    QStringList texts { window.windowTitle() };
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisibleTo(&window))
            continue;
        if (auto *label = qobject_cast<const QLabel *>(w))
            texts << label->text();
        else if (auto *button = qobject_cast<const QAbstractButton *>(w))
            texts << button->text();
        else if (auto *table = qobject_cast<const QTableWidget *>(w)) {
            for (int c = 0; c < table->columnCount(); ++c)
                texts << table->horizontalHeaderItem(c)->text();
        }
    }
    return texts;
}

// A stand-in viewer first on PATH that records its arguments, one per line.
class ViewerStandIn
{
public:
    ViewerStandIn()
    {
        const QString script = m_dir.filePath(u"xdg-open"_s);
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly))
            return;
        const QByteArray record = QFile::encodeName(RecordPath());
        file.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + record + ".tmp\"\nmv \""
                   + record + ".tmp\" \"" + record + "\"\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + m_oldPath);
    }
    ~ViewerStandIn() { qputenv("PATH", m_oldPath); }

    QString RecordPath() const { return m_dir.filePath(u"record"_s); }
    QStringList Record() const
    {
        return QString::fromUtf8(ReadFile(RecordPath())).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};

} // namespace

class tst_ReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesTheReport_data();
    void saveWritesTheReport();
    void existingReportIsReplacedOnlyWhenConfirmed_data();
    void existingReportIsReplacedOnlyWhenConfirmed();
    void unwritableTargetShowsAccessDenied();
    void printOpensOneDialogPerPress();
    void helpOpensTheHelpTextBesideTheProgram();
    // Last: it installs the English catalogue on the application.
    void englishEverywhere();

private:
    void WriteSettings(const QByteArray &systemLines);
    std::unique_ptr<CVelmoraDlg> OpenWindow(const QByteArray &systemLines = {});
    QString UnwritableTarget();
    void Confirm(CVelmoraDlg &window, long reading);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<CVelmoraApp> m_app;
};

void tst_ReportWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->IsValid());
    m_app = std::make_unique<CVelmoraApp>(m_dir->path());
    m_app->LocateSettings();
}

void tst_ReportWindow::cleanup()
{
    m_app.reset();
    m_pty.reset();
    m_dir.reset();
}

void tst_ReportWindow::WriteSettings(const QByteArray &systemLines)
{
    QFile ini(m_app->m_strIniPath);
    if (ini.open(QIODevice::WriteOnly)) {
        ini.write("[SYSTEM]\r\nLOGINDLGUNIT=U1\r\nLOGINDLGSAMPLENAME=S1\r\nLOGINDLGNO=B1\r\n"
                  "LOGINDLGNAME=I1\r\n"
                  + systemLines + "[ports]\r\nCOM1=" + m_pty->SlavePath().toLocal8Bit() + "\r\n");
        ini.close();
    }
    m_app->LoadSettings();
}

std::unique_ptr<CVelmoraDlg> tst_ReportWindow::OpenWindow(const QByteArray &systemLines)
{
    WriteSettings(systemLines);
    auto window = std::make_unique<CVelmoraDlg>(*m_app);
    window->show();
    return window;
}

// The instrument sends a reading; the inspector confirms it once it shows.
void tst_ReportWindow::Confirm(CVelmoraDlg &window, long reading)
{
    m_pty->Send(ReadingFrame(reading));
    const QString shown = QString::asprintf("%+07.3f", reading * 0.001);
    QTRY_COMPARE(window.m_ctlReading->DisplayText(), shown);
    window.m_btnConfirm->click();
}

void tst_ReportWindow::saveWritesTheReport_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<QString>("name"); // as typed in the dialog
    QTest::addColumn<QString>("file"); // as written
    QTest::addColumn<QStringList>("lines"); // "<path>" stands for the file's full path

    QTest::newRow("run 12.345 / 12.346 in mode 0")
        << "PrintTitle=\r\n"_ba << QList<int> { 12345, 12346 } << u"run.Txt"_s << u"run.Txt"_s
        << QStringList { u"旋光度(α°) 测试报表"_s,
                         u"送样单位: U1"_s,
                         u"日期: "_s + Today(),
                         u"样品名称: S1"_s,
                         u"批    号: B1"_s,
                         u"次序: 1.旋光度(α°)= 12.345"_s,
                         u"      2.旋光度(α°)= 12.346"_s,
                         QString(),
                         u"平均结果(n)= "_s,
                         u"标准偏差(σ)= "_s,
                         u"检 验 员: I1"_s };
    QTest::newRow("empty table gives six lines")
        << "PrintTitle=T\r\n"_ba << QList<int> {} << u"empty"_s << u"empty.Txt"_s
        << QStringList { u"T旋光度(α°) 测试报表"_s, u"送样单位: U1"_s, u"日期: "_s + Today(),
                         u"样品名称: S1"_s,         u"批    号: B1"_s, u"次序: "_s };
    QTest::newRow("without PrintTitle the path is the title")
        << QByteArray() << QList<int> {} << u"t1"_s << u"t1.Txt"_s
        << QStringList { u"<path>旋光度(α°) 测试报表"_s,
                         u"送样单位: U1"_s,
                         u"日期: "_s + Today(),
                         u"样品名称: S1"_s,
                         u"批    号: B1"_s,
                         u"次序: "_s };
}

void tst_ReportWindow::saveWritesTheReport()
{
    QFETCH(QByteArray, settings);
    QFETCH(QList<int>, readings);
    QFETCH(QString, name);
    QFETCH(QString, file);
    QFETCH(QStringList, lines);

    auto window = OpenWindow(settings);
    for (int reading : readings)
        Confirm(*window, reading);

    const QString path = m_dir->filePath(file);
    lines.replaceInStrings(u"<path>"_s, QDir::toNativeSeparators(path));
    ModalDriver driver({ SaveAs(m_dir->filePath(name)) });
    GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_SAVE)->click();
    QVERIFY(driver.Done() && !driver.TimedOut());
    QCOMPARE(ReadFile(path), ReportBytes(lines));
    QCOMPARE(window->m_list->rowCount(), readings.size());
}

void tst_ReportWindow::existingReportIsReplacedOnlyWhenConfirmed_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("No keeps the earlier report") << false;
    QTest::newRow("Yes replaces it") << true;
}

void tst_ReportWindow::existingReportIsReplacedOnlyWhenConfirmed()
{
    QFETCH(bool, replace);
    auto window = OpenWindow();
    const QString path = m_dir->filePath(u"old.Txt"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier report\r\n");
    old.close();

    std::deque<ModalDriver::Step> steps { SaveAs(path),
                                          Press(replace ? QMessageBox::Yes : QMessageBox::No) };
    if (!replace)
        steps.push_back(Reject()); // back in the save dialog: Cancel
    ModalDriver driver(std::move(steps));
    GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_SAVE)->click();
    QVERIFY(driver.Done() && !driver.TimedOut());
    QCOMPARE(ReadFile(path).startsWith("earlier report"), !replace);
}

// A file nobody may create: root writes wherever mere permissions forbid it, but sysfs refuses
// new files to everyone. Empty when there is no such place.
QString tst_ReportWindow::UnwritableTarget()
{
    if (::geteuid() != 0) {
        const QString locked = m_dir->filePath(u"locked"_s);
        if (!QDir().mkpath(locked)
            || !QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner))
            return {};
        return locked + u"/report.Txt"_s;
    }
    return QFileInfo(u"/sys"_s).isDir() ? u"/sys/velmora-report.Txt"_s : QString();
}

void tst_ReportWindow::unwritableTargetShowsAccessDenied()
{
    const QString target = UnwritableTarget();
    if (target.isEmpty())
        QSKIP("no place here refuses a new file");
    auto window = OpenWindow();
    QString message;
    ModalDriver driver({ SaveAs(target), ModalDriver::AnswerBox(&message) });
    GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_SAVE)->click();
    QVERIFY(driver.Done() && !driver.TimedOut());
    QCOMPARE(message, u"对 %1 的存取被拒绝。"_s.arg(target));
    QVERIFY(!QFile::exists(target));
}

void tst_ReportWindow::printOpensOneDialogPerPress()
{
    auto window = OpenWindow();
    auto *print = GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_PRINT);
    print->click();
    print->click();
    const QList<QPrintDialog *> dialogs = window->findChildren<QPrintDialog *>();
    QCOMPARE(dialogs.size(), 2);
    for (QPrintDialog *dialog : dialogs) {
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::NonModal);
    }
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // The window goes on working while both are open; the page shows the table at accept.
    Confirm(*window, 12345);
    QCOMPARE(window->m_list->rowCount(), 1);
    const QString pdf = m_dir->filePath(u"page.pdf"_s);
    auto *printers = dialogs[0]->findChild<QComboBox *>(u"printers"_s);
    QVERIFY(printers);
    printers->setCurrentIndex(printers->findText(u"PDF"_s, Qt::MatchContains));
    dialogs[0]->findChild<QLineEdit *>(u"filename"_s)->setText(pdf);
    dialogs[0]->accept();
    dialogs[1]->reject();
    QTRY_VERIFY(window->findChildren<PrintJob *>().isEmpty());

    QProcess text;
    text.start(u"pdftotext"_s, { pdf, u"-"_s });
    QVERIFY(text.waitForFinished());
    QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(u"1.旋光度(α°)= 12.345"_s));
    // Cancel printed nothing and said nothing.
    QCOMPARE(QDir(m_dir->path()).entryList({ u"*.pdf"_s }).size(), 1);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<QMessageBox *>(w) && w->isVisible()));
}

// The program lives in a directory with a blank; the build put help.txt beside the executable.
void tst_ReportWindow::helpOpensTheHelpTextBesideTheProgram()
{
    if (PlatformHelpViewer() != HelpViewer::XdgOpen)
        QSKIP("the stand-in viewer is a shell script");
    const QString programDir = m_dir->filePath(u"my program"_s);
    const QString help = programDir + u"/help.txt"_s;
    QVERIFY(QDir().mkpath(programDir));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + u"/help.txt"_s, help));
    m_app = std::make_unique<CVelmoraApp>(programDir);
    m_app->LocateSettings();
    ViewerStandIn viewer;
    auto window = OpenWindow();

    QTest::mouseClick(window->m_btnHelp, Qt::LeftButton);
    QTRY_VERIFY(QFile::exists(viewer.RecordPath()));
    QCOMPARE(viewer.Record(), (QStringList { u"1"_s, help }));
    QVERIFY(QString::fromUtf8(ReadFile(help)).contains(u"测量模式"_s));
}

void tst_ReportWindow::englishEverywhere()
{
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + u"/EN.qm"_s,
                        m_dir->filePath(u"EN.qm"_s)));
    WriteSettings("lang=1\r\nnSelMode=3\r\n"_ba);
    m_app->ChooseLanguage();
    QVERIFY(m_app->IsEnglish());
    auto window = std::make_unique<CVelmoraDlg>(*m_app);
    window->show();
    for (const QString &text : VisibleTexts(*window))
        QVERIFY2(!HasChinese(text), qPrintable(text));

    QStringList modeTexts;
    ModalDriver mode({ [&](QWidget *modal) {
        modeTexts = VisibleTexts(*modal);
        if (const QString shots = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !shots.isEmpty())
            modal->grab().save(shots + u"/mode_dialog_en.png"_s);
        modal->close();
    } });
    GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_MODE)->click();
    QVERIFY(mode.Done() && !mode.TimedOut());
    QVERIFY(modeTexts.size() > 10);
    for (const QString &text : modeTexts)
        QVERIFY2(!HasChinese(text), qPrintable(text));

    Confirm(*window, 1000);
    const QString path = m_dir->filePath(u"en.Txt"_s);
    ModalDriver save({ SaveAs(path) });
    GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_SAVE)->click();
    QVERIFY(save.Done() && !save.TimedOut());
    const QString report = Gb18030::Decode(ReadFile(path));
    QVERIFY2(!HasChinese(report), qPrintable(report));
    QVERIFY2(report.contains(u"Order: 1.Specific rotation([α])="_s), qPrintable(report));

    const QString target = UnwritableTarget();
    if (!target.isEmpty()) {
        QString message;
        ModalDriver failed({ SaveAs(target), ModalDriver::AnswerBox(&message) });
        GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_SAVE)->click();
        QVERIFY(failed.Done() && !failed.TimedOut());
        QCOMPARE(message, u"Access to %1 was denied."_s.arg(target));
    }
    window.reset();
    InstallTranslators(false, m_dir->path());
}

QTEST_MAIN(tst_ReportWindow)
#include "tst_reportwindow.moc"
