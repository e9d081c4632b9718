#include "WindowFixture.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/store/JournalSchema.h"
#include "core/link/CSerialPort.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/StateImageButton.h"
#include "ui/controls/StyledLabel.h"
#include "ui/history/CHistoryDlg.h"
#include "ui/history/RunHistoryModel.h"
#include "ui/windows/CModeSelectDlg.h"
#include "ui/windows/CSampleCountDlg.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

// Works a dialog of the window: records the texts of its edits in ID order, types those given (a
// null text leaves the edit), checks the radio button `mode` (none for -1), then OK. A refusal's
// message is taken and the dialog is then cancelled.
std::deque<ModalDriver::Step> WorkDialog(QStringList type, int mode, QStringList *shown,
                                         QString *message)
{
    return {
        [=](QWidget *modal) {
            qsizetype i = 0;
            for (int id :
                 { CSampleCountDlg::IDC_COUNT, CModeSelectDlg::IDC_LEN_C, CModeSelectDlg::IDC_A,
                   CModeSelectDlg::IDC_LENA, CModeSelectDlg::IDC_C }) {
                if (auto *edit = GetDlgItem<QLineEdit>(*modal, id)) {
                    shown->append(edit->text());
                    if (i < type.size() && !type[i].isNull())
                        edit->setText(type[i]);
                    ++i;
                }
            }
            if (mode >= 0)
                GetDlgItem<QAbstractButton>(*modal, CModeSelectDlg::IDC_MODE_FIRST + mode)->click();
            GetDlgItem<QAbstractButton>(*modal, IDOK)->click();
        },
        ModalDriver::AnswerBox(message),
        [](QWidget *modal) {
            qobject_cast<QDialog *>(modal)->reject();
        }
    };
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void windowPaintsTheRun_data();
    void windowPaintsTheRun();
    void colourButtonsSendOnMousePressOnly();
    void sampleAndModeDialogs_data();
    void sampleAndModeDialogs();
    void missingPortShowsTheMessageAndTheWindowWorks_data();
    void missingPortShowsTheMessageAndTheWindowWorks();
    void journalOfTheWindow_data();
    void journalOfTheWindow();
    void unplugDuringARunAndReplug();
    void methodRunShowsItsVerdict();
};

void TestMainWindow::windowPaintsTheRun_data()
{
    QTest::addColumn<QByteArray>("settings"); // keys of section SYSTEM
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("converted"); // empty: the converted display and its caption hidden
    QTest::addColumn<QString>("value");
    QTest::addColumn<QColor>("color");
    QTest::newRow("mode 0, red digits by default")
        << QByteArray() << u"旋光度(α°)"_s << QString() << u"12.345"_s << QColor(255, 0, 0);
    QTest::newRow("mode 1 sugar degree, green digits, colour bytes masked")
        << "nSelMode=1\r\nLEDR=0\r\nLEDG=255\r\nLEDB=256\r\n"_ba << u"糖度(Z)"_s << u"+35.652"_s
        << u"35.652"_s << QColor(0, 255, 0);
}

// Frames from the line, Confirm by the button, by Return and by the dialog's OK, and Delete
// reach the run; the displays, the lamp and the table show what it holds.
void TestMainWindow::windowPaintsTheRun()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, title);
    QFETCH(QString, converted);
    QFETCH(QString, value);
    QFETCH(QColor, color);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open("[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=6\r\n"_ba + settings);
    const MainItems w(*window);
    QCOMPARE(w.list->horizontalHeaderItem(1)->text(), title);
    QCOMPARE(GetDlgItem<QLabel>(*window, CVelmoraDlg::IDC_DATE)->text(),
             QDate::currentDate().toString(u"yyyy-MM-dd"_s));
    QCOMPARE(GetDlgItem<QLabel>(*window, CVelmoraDlg::IDC_MODE_NAME)->isVisible()
                 ? GetDlgItem<QLabel>(*window, CVelmoraDlg::IDC_MODE_NAME)->text()
                 : QString(),
             converted.isEmpty() ? QString() : title + u':');

    // The status frame behind the reading lights the lamp once both are decoded.
    f.pty.Send(WindowFixture::ReadingFrame(12345) + QByteArray("\x02\x01\x07\x04\x03", 5));
    QTRY_COMPARE(w.lamp->GetState(), 2);
    QCOMPARE(w.reading->DisplayText(), u"+12.345"_s);
    QCOMPARE(w.converted->isVisible() ? w.converted->DisplayText() : QString(), converted);
    QCOMPARE(w.reading->LedColor(), color);
    QCOMPARE(w.converted->LedColor(), color);
    // The next batch darkens it.
    f.pty.Send("noise"_ba);
    QTRY_COMPARE(w.lamp->GetState(), 0);

    for (int i = 0; i < 7; ++i) // the seventh press adds nothing
        i % 3 ? (i % 3 == 1 ? window->accept() : w.confirm->click())
              : QTest::keyClick(window.get(), Qt::Key_Return);
    QCOMPARE(w.list->rowCount(), 6);
    QTRY_VERIFY(!w.list->horizontalScrollBar()->isVisible());
    QCOMPARE(w.cell(4, 2), QString());
    QCOMPARE(QStringList({ w.cell(5, 0), w.cell(5, 1), w.cell(5, 2), w.cell(5, 3) }),
             QStringList({ u"6"_s, value, value, u"0.000"_s }));
    QVERIFY(!w.confirm->isEnabled());
    QCOMPARE(w.lamp->GetState(), 2);
    QVERIFY(window->isVisible());

    // Delete asks first: No keeps the run.
    for (const auto answer : { QMessageBox::No, QMessageBox::Yes }) {
        ModalDriver driver({ [answer](QWidget *modal) {
            qobject_cast<QMessageBox *>(modal)->button(answer)->click();
        } });
        QTest::mouseClick(GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_DELETE),
                          Qt::LeftButton);
        QVERIFY(driver.Done());
        QCOMPARE(w.list->rowCount(), answer == QMessageBox::Yes ? 0 : 6);
    }
    QVERIFY(w.confirm->isEnabled());
    QCOMPARE(w.lamp->GetState(), 0);
}

void TestMainWindow::colourButtonsSendOnMousePressOnly()
{
    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open();
    const MainItems w(*window);
    QTest::keyClick(GetDlgItem<QWidget>(*window, CVelmoraDlg::IDC_ZERO), Qt::Key_Space);
    QTest::mousePress(GetDlgItem<QWidget>(*window, CVelmoraDlg::IDC_RETEST_PLUS), Qt::LeftButton);
    QTest::mouseRelease(GetDlgItem<QWidget>(*window, CVelmoraDlg::IDC_RETEST_PLUS), Qt::LeftButton);
    QTest::mousePress(GetDlgItem<QWidget>(*window, CVelmoraDlg::IDC_ZERO), Qt::LeftButton);
    QTest::mousePress(GetDlgItem<QWidget>(*window, CVelmoraDlg::IDC_RETEST_MINUS), Qt::LeftButton);
    // The space bar sent nothing: the first bytes on the line are those of the first press.
    const QByteArray expected("\x02\x01\x03\x00\x03"
                              "\x02\x01\x02\x01\x03"
                              "\x02\x01\x04\x07\x03",
                              15);
    QTRY_COMPARE(f.pty.Received(), expected);
}

void TestMainWindow::sampleAndModeDialogs_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("typed"); // mode dialog: tube length C, [α], tube length [α], C
    QTest::addColumn<int>("mode"); // -1: no radio button
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("message"); // empty: the dialog closes
    QTest::addColumn<QByteArray>("after"); // empty: the file is left as it was
    // The sampling count shown | a, lenC, C, lena | rows | the value a Confirm enters next
    QTest::addColumn<QString>("state");

    constexpr int sample = CVelmoraDlg::IDC_SAMPLE;
    constexpr int mode = CVelmoraDlg::IDC_MODE;
    const QStringList twelve { u"12"_s };
    const QString range = u"“请填入一个在1和100之间的整数。”"_s;
    const QString kept = u"12|1,2,1,2|1|1.000"_s;
    QTest::newRow("count 0 refused") << QByteArray() << sample << QStringList { u"0"_s } << -1
                                     << twelve << range << QByteArray() << kept;
    QTest::newRow("count 101 refused") << QByteArray() << sample << QStringList { u"101"_s } << -1
                                       << twelve << range << QByteArray() << kept;
    QTest::newRow("count abc refused") << QByteArray() << sample << QStringList { u"abc"_s } << -1
                                       << twelve << u"请键入一个整数。"_s << QByteArray() << kept;
    QTest::newRow("count 6 taken and stored, the run kept")
        << QByteArray() << sample << QStringList { u" 6 "_s } << -1 << twelve << QString()
        << "[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=6\r\n"_ba << u"6|1,2,1,2|1|1.000"_s;
    QTest::newRow("ISLOCK=1: count 3 taken, the file's count kept")
        << "[SYSTEM]\r\nISLOCK=1\r\nVELMORADLGCOLLECTIONNUM=12\r\n"_ba << sample
        << QStringList { u"3"_s } << -1 << twelve << QString() << QByteArray()
        << u"3|1,2,1,2|1|1.000"_s;

    const QByteArray stored = "[SYSTEM]\r\nnSelMode=2\r\n[consistence]\r\nm_a=66.5\r\n"
                              "m_lenC=1\r\n[a]\r\nm_lena=0.5\r\nm_C=3\r\n"_ba;
    const QStringList storedTexts { u"1.000000"_s, u"66.500000"_s, u"0.500000"_s, u"3.000000"_s };
    QTest::newRow("mode in effect again: keys written as typed, a new run")
        << QByteArray() << mode << QStringList { u"abc"_s, u"2.5dm"_s, u"-1.5"_s, u" 4"_s } << 0
        << QStringList { u"2.000000"_s, u"1.000000"_s, u"2.000000"_s, u"1.000000"_s } << QString()
        << "[consistence]\r\nm_a=2.5dm\r\nm_lenC=abc\r\n[a]\r\nm_C= 4\r\nm_Lena=-1.5\r\n"
           "[SYSTEM]\r\nnSelMode=0\r\n"_ba
        << u"12|2.5,2,4,-1.5|0|1.000"_s;
    QTest::newRow("another mode converts the held reading")
        << stored << mode << QStringList() << 1 << storedTexts << QString()
        << "[SYSTEM]\r\nnSelMode=1\r\n[consistence]\r\nm_a=66.500000\r\nm_lenC=1.000000\r\n"
           "[a]\r\nm_Lena=0.500000\r\nm_C=3.000000\r\n"_ba
        << u"12|66.5,1,3,0.5|0|2.888"_s;
    QTest::newRow("a zero constant refused; Cancel then changes nothing")
        << stored << mode << QStringList { {}, {}, {}, u"0.0"_s } << 3 << storedTexts
        << u"常数不能为 0，也不能超出范围。"_s << QByteArray() << u"12|66.5,1,3,0.5|1|1.504"_s;
}

void TestMainWindow::sampleAndModeDialogs()
{
    QFETCH(QByteArray, before);
    QFETCH(int, button);
    QFETCH(QStringList, typed);
    QFETCH(int, mode);
    QFETCH(QStringList, shown);
    QFETCH(QString, message);
    QFETCH(QByteArray, after);
    QFETCH(QString, state);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open(before);
    const MainItems w(*window);
    QVERIFY(f.Confirm(*window, 1000));
    const QByteArray fileBefore = ReadAll(f.app->GetSettings().Path());

    QStringList seen;
    QString answer;
    std::deque<ModalDriver::Step> steps = WorkDialog(typed, mode, &seen, &answer);
    if (message.isEmpty())
        steps.resize(1);
    QVERIFY(f.Click(*window, button, std::move(steps)));
    QCOMPARE(seen, shown);
    QCOMPARE(answer, message);
    QCOMPARE(ReadAll(f.app->GetSettings().Path()),
             after.isEmpty() ? fileBefore : fileBefore.chopped(before.size()) + after);

    const ModeConstants c = window->GetSession().run().Constants();
    QStringList now { GetDlgItem<QLabel>(*window, CVelmoraDlg::IDC_SAMPLE_COUNT)->text(),
                      u"%1,%2,%3,%4"_s.arg(c.a).arg(c.lenC).arg(c.C).arg(c.lena),
                      QString::number(w.list->rowCount()) };
    w.confirm->click();
    QCOMPARE((now << w.cell(w.list->rowCount() - 1, 1)).join(u'|'), state);
}

void TestMainWindow::missingPortShowsTheMessageAndTheWindowWorks_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("state"); // the state line; DIR is the test's folder
    QTest::newRow("device missing")
        << QByteArray() << u"no-such-device"_s << u"未连接  DIR/no-such-device：设备不存在"_s;
    // No port chosen in the login dialog: nothing is opened, not even the pty behind COM1.
    QTest::newRow("no port chosen")
        << "[SYSTEM]\r\nLOGINDLGSERIALNO=-1\r\n"_ba << QString() << u"未连接"_s;
}

void TestMainWindow::missingPortShowsTheMessageAndTheWindowWorks()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, device);
    QFETCH(QString, state);
    WindowFixture f;
    QVERIFY(f.IsValid());
    QString message;
    ModalDriver driver({ ModalDriver::AnswerBox(&message) });
    auto window = f.Open(settings, device.isEmpty() ? device : f.dir.filePath(device));
    const MainItems w(*window);
    QVERIFY(driver.Done());
    QCOMPARE(message, u"打开串口失败!!!"_s);
    QVERIFY(window->isVisible());
    QVERIFY(!window->GetSession().port().IsRunning());
    // Confirm is disabled and says why; Return enters nothing and the state line says so.
    QVERIFY(!w.confirm->isEnabled());
    QCOMPARE(w.confirm->toolTip(), u"未连接仪器，读数未录入"_s);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QCOMPARE(w.list->rowCount(), 0);
    QCOMPARE(w.link->toolTip(),
             state.replace(u"DIR"_s, f.dir.path()) + u"\n未连接仪器，读数未录入"_s);
    QTest::mousePress(GetDlgItem<QWidget>(*window, CVelmoraDlg::IDC_ZERO), Qt::LeftButton);
    QVERIFY(w.link->toolTip().endsWith(u"\n仪器未连接，命令未发送"_s));
    QTest::mouseClick(GetDlgItem<QPushButton>(*window, IDCANCEL), Qt::LeftButton);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::journalOfTheWindow_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("question"); // a part of it; empty: none asked
    QTest::addColumn<int>("rows"); // once the window is open
    QTest::addColumn<QString>("runs"); // status and reading count of the runs, newest first
    QTest::newRow("below a regular file: told once, marked, measuring goes on")
        << u"blocked"_s << QString() << 0 << QString();
    QTest::newRow("a killed run continued: refilled, completed by the next Confirm")
        << u"yes"_s << u"上次的测量没有结束：2 个读数"_s << 2 << u"completed:3"_s;
    QTest::newRow("a killed run abandoned, kept")
        << u"no"_s << u"检验者：王五"_s << 0 << u"open:2 abandoned:2"_s;
    QTest::newRow("lab server unreachable: marked, measuring goes on")
        << u"server"_s << u"检验者：王五"_s << 0 << u"open:2 abandoned:2"_s;
}

void TestMainWindow::journalOfTheWindow()
{
    QFETCH(QString, setup);
    QFETCH(QString, question);
    QFETCH(int, rows);
    QFETCH(QString, runs);
    WindowFixture f;
    QVERIFY(f.IsValid());
    const QString path = f.dir.filePath(u"VelmoraJournal.sqlite"_s);
    QByteArray settings = "[journal]\r\npath=" + QFile::encodeName(path) + "\r\n";
    if (setup == u"server"_s)
        settings += "server=host=" + QFile::encodeName(f.dir.filePath(u"none"_s)) + "\r\n";
    if (setup == u"blocked"_s) {
        QVERIFY(QFile(f.dir.filePath(u"file"_s)).open(QIODevice::WriteOnly));
        settings = "[journal]\r\npath=file/j.sqlite\r\n"; // ENOTDIR, for root too
    } else {
        Journal killed(Journal::DefaultStation());
        QVERIFY(killed.open(path).result.ok());
        killed.beginRun(
            { {}, {}, u"葡萄糖"_s, {}, u"王五"_s, 3, MeasurementMode::SugarDegree, {} });
        QVERIFY(killed.recordReading({ 1, u"1000"_s, 2.888, std::nullopt }).ok());
        QVERIFY(killed.recordReading({ 2, u"A"_s, 0.0, std::nullopt }).ok());
    }
    QString asked;
    ModalDriver driver({ [&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        asked = box->text();
        box->button(setup == u"yes"_s ? QMessageBox::Yes : QMessageBox::No)->click();
    } });
    auto window = f.Open(settings, {}, true);
    const MainItems w(*window);
    QVERIFY(asked.contains(question));
    QCOMPARE(w.list->rowCount(), rows);
    QCOMPARE(w.list->horizontalHeaderItem(1)->text(),
             setup == u"yes"_s ? u"糖度(Z)"_s : u"旋光度(α°)"_s);
    QCOMPARE(w.inspector->text(), setup == u"yes"_s ? u"王五"_s : QString());
    QVERIFY(f.Confirm(*window, 1000) && f.Confirm(*window, 1000));
    QCOMPARE(w.list->rowCount(), setup == u"yes"_s ? 3 : 2);
    const auto told = window->findChildren<QMessageBox *>();
    QCOMPARE(told.size(), setup == u"blocked"_s ? 1 : 0);
    QCOMPARE(w.journal->isVisible(), setup == u"blocked"_s);
    QCOMPARE(w.server->isVisible(), setup == u"server"_s);
    if (setup == u"server"_s)
        QTRY_VERIFY(w.server->toolTip().startsWith(u"实验室服务器不可达，"_s));
    if (setup == u"blocked"_s) {
        QVERIFY(told[0]->isVisible() && !told[0]->isModal());
        QVERIFY(told[0]->text().contains(u"结果日志"_s));
        QCOMPARE(w.journal->text(), u"结果日志不可用：读数没有存入日志"_s);
        return;
    }
    QCOMPARE(w.cell(rows, 2).isEmpty(), setup != u"yes"_s); // the mean
    SqliteConnection db;
    QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
    QList<JournalRun> stored;
    QVERIFY(JournalHistory(db).runs({}, 10, stored).ok());
    QStringList shown;
    for (const JournalRun &run : std::as_const(stored))
        shown << StatusText(run.status) + u':' + QString::number(run.readingCount);
    QCOMPARE(shown.join(u' '), runs);

    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_H, Qt::ControlModifier);
    auto *history = window->findChild<CHistoryDlg *>();
    QVERIFY(history && history->isVisible() && !history->isModal());
    QTRY_COMPARE(history->model().rowCount(), stored.size());
}

// The instrument behind a link that outlives its terminal, as velmora-sim --link keeps it: the
// window shows the loss at once, refuses Confirm without a box and goes on in the same run once
// the port is chosen again.
void TestMainWindow::unplugDuringARunAndReplug()
{
    WindowFixture f;
    QVERIFY(f.IsValid());
    const QString link = f.dir.filePath(u"ttyLINK"_s);
    QVERIFY(QFile::link(f.pty.SlavePath(), link));
    auto window = f.Open({}, link);
    const MainItems w(*window);
    QList<long> decoded;
    connect(&window->GetSession().run(), &MeasurementRun::frameDecoded, this,
            [&](const FrameEvent &event) { decoded << event.reading; });
    QVERIFY(f.Confirm(*window, 1000) && f.Confirm(*window, 2000));
    QVERIFY(w.link->text().startsWith(u"已连接"_s));

    f.pty.CloseMaster();
    QFile::remove(link);
    QTRY_VERIFY_WITH_TIMEOUT(w.link->text().startsWith(u"连接中断"_s), 1000);
    QVERIFY(w.reading->LedColor() != QColor(255, 0, 0));
    w.confirm->click();
    QTest::keyClick(window.get(), Qt::Key_Return);
    QCOMPARE(w.list->rowCount(), 2);
    QVERIFY(w.link->text().endsWith(u"连接中断，读数未录入"_s));
    QVERIFY(!QApplication::activeModalWidget());

    // A new terminal is another device: named, left alone, until the port is chosen again.
    PtyPair replugged;
    decoded.clear();
    QVERIFY(QFile::link(replugged.SlavePath(), link));
    // Another terminal at the old path: named and left alone until the inspector says Yes.
    QTRY_VERIFY_WITH_TIMEOUT(w.link->toolTip().startsWith(u"设备不符  "_s + link), 2000);
    QVERIFY(!window->GetSession().link().isLive() && !replugged.IsOpenAtFarEnd());
    QMessageBox *asked = nullptr;
    QTRY_VERIFY((asked = window->findChild<QMessageBox *>()) && asked->isVisible());
    asked->button(QMessageBox::Yes)->click();
    QTRY_VERIFY_WITH_TIMEOUT(window->GetSession().link().isLive(), 2000);
    for (long r : { 3001L, 3002L, 3003L })
        replugged.Send(WindowFixture::ReadingFrame(r));
    QTRY_COMPARE(decoded, QList<long>({ 3001, 3002, 3003 }));
    QCOMPARE(w.reading->LedColor(), QColor(255, 0, 0));
    w.confirm->click();
    QCOMPARE(QStringList({ w.cell(0, 1), w.cell(1, 1), w.cell(2, 1) }),
             QStringList({ u"1.000"_s, u"2.000"_s, u"3.003"_s }));
}

// Under a method the window names it, takes its N, and shows the verdict in green beside the
// mean; the sampling dialog says whose values it shows, and changing N leaves the method.
void TestMainWindow::methodRunShowsItsVerdict()
{
    WindowFixture f;
    QVERIFY(f.IsValid());
    f.WriteSettings({});
    Method method;
    method.name = u"蔗糖"_s;
    method.version = 4;
    method.sampleCount = 2;
    method.upper = 1.0;
    CVelmoraDlg window(f.app->GetSession(), f.app->GetSettings());
    window.UseMethod(method);
    window.show();
    const auto label = [&window](const QString &name) {
        const auto *shown = window.findChild<QLabel *>(name);
        return shown && shown->isVisible() ? shown->text() : QString();
    };
    QCOMPARE(label(u"methodState"_s), u"方法 蔗糖\n版本 4"_s);
    QVERIFY(f.Confirm(window, 1000) && f.Confirm(window, 1000));
    QCOMPARE(label(u"verdict"_s), u"合格"_s);
    QCOMPARE(window.findChild<QLabel *>(u"verdict"_s)->palette().color(QPalette::WindowText),
             RunHistoryModel::VerdictColor(Verdict::Pass));

    QStringList seen;
    QString note;
    QVERIFY(f.Click(window, CVelmoraDlg::IDC_SAMPLE, { [&](QWidget *modal) {
                        note = modal->findChild<QLabel *>(u"methodNote"_s)->text();
                        GetDlgItem<QLineEdit>(*modal, CSampleCountDlg::IDC_COUNT)->setText(u"3"_s);
                        GetDlgItem<QAbstractButton>(*modal, IDOK)->click();
                    } }));
    QVERIFY(note.contains(u"蔗糖"_s));
    QVERIFY(label(u"methodState"_s).endsWith(u"已脱离方法"_s));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
