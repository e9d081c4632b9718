#include "../app/ModalDriver.h"
#include "../link/PtyPair.h"
#include "app/CAboutDlg.h"
#include "app/CLoginDlg.h"
#include "app/CVelmoraApp.h"
#include "app/Gb18030.h"
#include "app/StringTable.h"
#include "controls/ColorButton.h"
#include "controls/LedDigitDisplay.h"
#include "controls/StateImageButton.h"
#include "controls/StyledLabel.h"
#include "link/CSerialPort.h"
#include "measure/CSampleCountDlg.h"
#include "measure/CVelmoraDlg.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray MakeFrame(char type, const QByteArray &payload)
{
    QByteArray frame;
    frame += char(0x02);
    frame += char(payload.size() + 1);
    frame += type;
    frame += payload;
    char check = 0;
    for (char c : frame)
        check ^= c;
    frame += check;
    frame += char(0x03);
    return frame;
}

// A reading frame for r thousandths of a degree, as the instrument writes it.
QByteArray ReadingFrame(long r)
{
    return MakeFrame(
        1, (r < 0 ? "-"_ba : "+"_ba) + QByteArray::number(qAbs(r)).rightJustified(5, '0'));
}

const QByteArray kStatusFrame("\x02\x01\x07\x04\x03", 5);

QString Cell(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readingFrameReachesTheDisplays_data();
    void readingFrameReachesTheDisplays();
    void modeSettingsAreApplied_data();
    void modeSettingsAreApplied();
    void statusFrameLightsTheLampUntilTheNextBatch();
    void runOfSixGivesMeanAndDeviation();
    void deleteStartsANewRun();
    void runStopsAtTheSampleStore_data();
    void runStopsAtTheSampleStore();
    void colourButtonsSendOnMousePressOnly();
    void sampleButtonRefusesBadCounts();
    void lockedCountIsNotStored();
    void missingPortShowsTheMessageAndTheWindowWorks_data();
    void missingPortShowsTheMessageAndTheWindowWorks();
    void closeCommandsEndTheWindow_data();
    void closeCommandsEndTheWindow();
    void enterConfirms();
    void aboutBoxFromTheTopStrip();
    void renderScreens();

private:
    // A window on a pseudo-terminal; extra settings lines go into section SYSTEM.
    std::unique_ptr<CVelmoraDlg> OpenWindow(const QByteArray &systemLines = {},
                                            const QString &device = {});
    void Feed(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<CVelmoraApp> m_app;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->IsValid());
    m_app = std::make_unique<CVelmoraApp>(m_dir->path());
    m_app->LocateSettings();
}

void TestMainWindow::cleanup()
{
    m_app.reset();
    m_pty.reset();
    m_dir.reset();
}

std::unique_ptr<CVelmoraDlg> TestMainWindow::OpenWindow(const QByteArray &systemLines,
                                                        const QString &device)
{
    QFile ini(m_app->m_strIniPath);
    if (ini.open(QIODevice::WriteOnly)) {
        ini.write("[SYSTEM]\r\n" + systemLines + "[ports]\r\nCOM1="
                  + (device.isEmpty() ? m_pty->SlavePath() : device).toLocal8Bit() + "\r\n");
        ini.close();
    }
    m_app->LoadSettings();
    auto window = std::make_unique<CVelmoraDlg>(*m_app);
    window->show();
    return window;
}

void TestMainWindow::Feed(const QByteArray &bytes)
{
    m_pty->Send(bytes);
}

void TestMainWindow::readingFrameReachesTheDisplays_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("converted");
    QTest::addColumn<double>("value");
    QTest::addColumn<QColor>("color");

    const QByteArray frame("\x02\x07\x01+12345\x1E\x03", 11);
    QTest::newRow("mode 0") << QByteArray() << frame << u"+12.345"_s << u" 00.000"_s << 12.345
                            << QColor(255, 0, 0);
    QTest::newRow("mode 1 sugar degree, green digits")
        << "nSelMode=1\r\nLEDR=0\r\nLEDG=255\r\nLEDB=256\r\n"_ba << frame << u"+12.345"_s
        << u"+35.652"_s << 35.6524 << QColor(0, 255, 0);
    QTest::newRow("frame split over two batches")
        << QByteArray() << frame << u"+12.345"_s << u" 00.000"_s << 12.345 << QColor(255, 0, 0);
    QTest::newRow("zero frame after a reading")
        << "nSelMode=1\r\n"_ba << frame + QByteArray("\x02\x01\x02\x01\x03", 5) << u" 00.000"_s
        << u" 00.000"_s << 0.0 << QColor(255, 0, 0);
    QTest::newRow("A reading") << QByteArray() << ReadingFrame(5000) + MakeFrame(1, "A"_ba)
                               << u" 00.000"_s << u" 00.000"_s << 0.0 << QColor(255, 0, 0);
    QTest::newRow("bad check byte changes nothing")
        << QByteArray() << QByteArray("\x02\x07\x01+12345\x1F\x03", 11) << u" 00.000"_s
        << u" 00.000"_s << 0.0 << QColor(255, 0, 0);
}

void TestMainWindow::readingFrameReachesTheDisplays()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reading);
    QFETCH(QString, converted);
    QFETCH(double, value);
    QFETCH(QColor, color);

    auto window = OpenWindow(settings);
    QVERIFY(window->m_pSerialPort->IsRunning());
    QSignalSpy bursts(window->m_pSerialPort.get(), &CSerialPort::serialData);
    QVERIFY(bursts.isValid());
    if (QByteArray(QTest::currentDataTag()).contains("split")) {
        Feed(bytes.left(3));
        QTRY_COMPARE(bursts.count(), 1);
        QCOMPARE(window->m_ctlReading->DisplayText(), u" 00.000"_s);
        Feed(bytes.mid(3));
    } else {
        Feed(bytes);
    }
    // A status frame behind the data marks the moment every frame before it was decoded.
    Feed(kStatusFrame);
    QTRY_COMPARE(window->m_btnStatus->GetState(), 2);
    QCOMPARE(window->m_ctlReading->DisplayText(), reading);
    QCOMPARE(window->m_ctlConverted->DisplayText(), converted);
    QVERIFY(qAbs(window->m_dReading - value) < 1e-4);
    QCOMPARE(window->m_ctlReading->LedColor(), color);
    QCOMPARE(window->m_ctlConverted->LedColor(), color);
}

void TestMainWindow::modeSettingsAreApplied_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<float>("lenC");
    QTest::addColumn<float>("a");
    QTest::newRow("first run") << QByteArray() << 0 << u"旋光度(α°)"_s << 2.0f << 1.0f;
    QTest::newRow("concentration, 2.5dm read as 2.5")
        << "nSelMode=2\r\n[consistence]\r\nm_a=66.5\r\nm_lenC= 2.5dm\r\n"_ba << 2 << u"浓度(C)"_s
        << 2.5f << 66.5f;
    QTest::newRow("text without a number keeps the default")
        << "nSelMode=3\r\n[consistence]\r\nm_a=abc\r\nm_lenC=\r\n"_ba << 3 << u"比旋度([α])"_s
        << 2.0f << 1.0f;
    QTest::newRow("mode outside 0 to 3 is optical rotation")
        << "nSelMode=7\r\n"_ba << 0 << u"旋光度(α°)"_s << 2.0f << 1.0f;
}

void TestMainWindow::modeSettingsAreApplied()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, mode);
    QFETCH(QString, title);
    QFETCH(float, lenC);
    QFETCH(float, a);
    auto window = OpenWindow(settings);
    QCOMPARE(window->m_nSelMode, mode);
    QCOMPARE(window->m_lenC, lenC);
    QCOMPARE(window->m_a, a);
    QCOMPARE(window->m_list->horizontalHeaderItem(1)->text(), title);
    QCOMPARE(window->m_list->horizontalHeaderItem(2)->text(), u"平均结果(n)"_s);
    QCOMPARE(window->m_ctlConverted->isVisible(), mode != 0);
    QCOMPARE(window->m_stcModeName->isVisible(), mode != 0);
    if (mode != 0)
        QCOMPARE(window->m_stcModeName->text(), title + u':');
    QCOMPARE(window->m_list->columnWidth(3), 140);
    QCOMPARE(window->m_stcDate->text(), QDate::currentDate().toString(u"yyyy-MM-dd"_s));
    QCOMPARE(window->m_stcSampleCount->text(), u"12"_s);
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), window->m_btnConfirm);
}

void TestMainWindow::statusFrameLightsTheLampUntilTheNextBatch()
{
    auto window = OpenWindow();
    Feed(kStatusFrame);
    QTRY_COMPARE(window->m_btnStatus->GetState(), 2);
    Feed("noise"_ba);
    QTRY_COMPARE(window->m_btnStatus->GetState(), 0);
}

void TestMainWindow::runOfSixGivesMeanAndDeviation()
{
    auto window = OpenWindow("VELMORADLGCOLLECTIONNUM=6\r\n"_ba);
    for (int k = 1; k <= 6; ++k) {
        Feed(ReadingFrame(k * 1000));
        QTRY_COMPARE(window->m_ctlReading->DisplayText(), u"+0%1.000"_s.arg(k));
        QVERIFY(window->m_btnConfirm->isEnabled());
        QTest::mouseClick(window->m_btnConfirm, Qt::LeftButton);
    }
    QCOMPARE(window->m_list->rowCount(), 6);
    QCOMPARE(Cell(window->m_list, 5, 0), u"6"_s);
    QCOMPARE(Cell(window->m_list, 5, 1), u"6.000"_s);
    QCOMPARE(Cell(window->m_list, 5, 2), u"3.500"_s);
    QCOMPARE(Cell(window->m_list, 5, 3), u"1.871"_s);
    QCOMPARE(Cell(window->m_list, 4, 2), QString());
    QVERIFY(!window->m_btnConfirm->isEnabled());
    QCOMPARE(window->m_btnStatus->GetState(), 2);

    // A complete run takes no more rows, also not through the dialog's OK.
    window->accept();
    QCOMPARE(window->m_list->rowCount(), 6);
    QVERIFY(window->isVisible());
}

void TestMainWindow::deleteStartsANewRun()
{
    auto window = OpenWindow("VELMORADLGCOLLECTIONNUM=1\r\n"_ba);
    QTest::mouseClick(window->m_btnConfirm, Qt::LeftButton);
    QCOMPARE(Cell(window->m_list, 0, 1), u"0.000"_s);
    QCOMPARE(Cell(window->m_list, 0, 2), u"0.000"_s);
    QCOMPARE(Cell(window->m_list, 0, 3), QString());
    QVERIFY(!window->m_btnConfirm->isEnabled());

    QTest::mouseClick(GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_DELETE), Qt::LeftButton);
    QCOMPARE(window->m_list->rowCount(), 0);
    QVERIFY(window->m_btnConfirm->isEnabled());
    QCOMPARE(window->m_btnStatus->GetState(), 0);
}

void TestMainWindow::runStopsAtTheSampleStore_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("countAfterLoad");
    QTest::newRow("stored 1000") << "VELMORADLGCOLLECTIONNUM=1000\r\n"_ba << 256;
    QTest::newRow("count raised past the store while running") << QByteArray() << 300;
}

void TestMainWindow::runStopsAtTheSampleStore()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, countAfterLoad);
    auto window = OpenWindow(settings);
    m_app->m_nSampleCount = countAfterLoad;
    for (int i = 0; i < 300; ++i)
        window->OnOK();
    QCOMPARE(window->m_list->rowCount(), 256);
    QCOMPARE(Cell(window->m_list, 255, 2), u"0.000"_s);
    QVERIFY(!window->m_btnConfirm->isEnabled());
}

void TestMainWindow::colourButtonsSendOnMousePressOnly()
{
    auto window = OpenWindow();
    QTest::keyClick(window->m_btnZero, Qt::Key_Space);
    QTest::mousePress(window->m_btnRetestPlus, Qt::LeftButton);
    QTest::mouseRelease(window->m_btnRetestPlus, Qt::LeftButton);
    QTest::mousePress(window->m_btnZero, Qt::LeftButton);
    QTest::mousePress(window->m_btnRetestMinus, Qt::LeftButton);
    // The space bar sent nothing: the first bytes on the line are those of the first press.
    const QByteArray expected("\x02\x01\x03\x00\x03"
                              "\x02\x01\x02\x01\x03"
                              "\x02\x01\x04\x07\x03",
                              15);
    QTRY_COMPARE(m_pty->Received(), expected);
}

void TestMainWindow::sampleButtonRefusesBadCounts()
{
    auto window = OpenWindow();
    QStringList messages(3);
    auto typeAndConfirm = [](const QString &text) {
        return [text](QWidget *modal) {
            auto *dialog = qobject_cast<CSampleCountDlg *>(modal);
            if (!dialog)
                return;
            GetDlgItem<QLineEdit>(*dialog, CSampleCountDlg::IDC_COUNT)->setText(text);
            QTest::mouseClick(GetDlgItem<QPushButton>(*dialog, IDOK), Qt::LeftButton);
        };
    };
    QString initial;
    ModalDriver driver({
        [&initial](QWidget *modal) {
            initial = GetDlgItem<QLineEdit>(*modal, CSampleCountDlg::IDC_COUNT)->text();
            QTest::mouseClick(GetDlgItem<QPushButton>(*modal, IDCANCEL), Qt::LeftButton);
        },
    });
    window->OnSampleButton();
    QVERIFY(driver.Done() && !driver.TimedOut());
    QCOMPARE(initial, u"12"_s);

    ModalDriver refusals({
        typeAndConfirm(u"0"_s),
        ModalDriver::AnswerBox(&messages[0]),
        typeAndConfirm(u"101"_s),
        ModalDriver::AnswerBox(&messages[1]),
        typeAndConfirm(u"abc"_s),
        ModalDriver::AnswerBox(&messages[2]),
        [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); },
    });
    window->OnSampleButton();
    QVERIFY(refusals.Done() && !refusals.TimedOut());
    const QString range = LoadString(StringId::ParseIntRange).arg(1).arg(100);
    QCOMPARE(messages, QStringList({ range, range, LoadString(StringId::ParseInt) }));
    QCOMPARE(m_app->m_nSampleCount, 12);

    ModalDriver accepted({ typeAndConfirm(u" 6 "_s) });
    window->OnSampleButton();
    QVERIFY(accepted.Done());
    QCOMPARE(m_app->m_nSampleCount, 6);
    QCOMPARE(window->m_stcSampleCount->text(), u"6"_s);
    QFile ini(m_app->m_strIniPath);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains("VELMORADLGCOLLECTIONNUM=6"));
}

void TestMainWindow::lockedCountIsNotStored()
{
    auto window = OpenWindow("ISLOCK=1\r\nVELMORADLGCOLLECTIONNUM=12\r\n"_ba);
    ModalDriver driver({ [](QWidget *modal) {
        GetDlgItem<QLineEdit>(*modal, CSampleCountDlg::IDC_COUNT)->setText(u"3"_s);
        QTest::mouseClick(GetDlgItem<QPushButton>(*modal, IDOK), Qt::LeftButton);
    } });
    window->OnSampleButton();
    QCOMPARE(m_app->m_nSampleCount, 3);
    CVelmoraApp next(m_dir->path());
    next.LocateSettings();
    next.LoadSettings();
    QCOMPARE(next.m_nSampleCount, 12);
}

void TestMainWindow::missingPortShowsTheMessageAndTheWindowWorks_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("device");
    QTest::newRow("device missing") << QByteArray() << u"no-such-device"_s;
    // No port chosen in the login dialog: nothing is opened, not even the pty behind COM1.
    QTest::newRow("no port chosen") << "LOGINDLGSERIALNO=-1\r\n"_ba << QString();
}

void TestMainWindow::missingPortShowsTheMessageAndTheWindowWorks()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, device);
    QString message;
    ModalDriver driver({ ModalDriver::AnswerBox(&message) });
    auto window = OpenWindow(settings, device.isEmpty() ? device : m_dir->filePath(device));
    QVERIFY(driver.Done() && !driver.TimedOut());
    QCOMPARE(message, u"打开串口失败!!!"_s);
    QVERIFY(window->isVisible());
    QVERIFY(!window->m_pSerialPort->IsRunning());
    QCOMPARE(window->m_ctlReading->DisplayText(), u" 00.000"_s);
    QTest::mousePress(window->m_btnZero, Qt::LeftButton);
    QTest::mouseClick(window->m_btnConfirm, Qt::LeftButton);
    QCOMPARE(Cell(window->m_list, 0, 1), u"0.000"_s);
}

void TestMainWindow::closeCommandsEndTheWindow_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("escape") << 0;
    QTest::newRow("exit button") << 1;
    QTest::newRow("close box") << 2;
}

void TestMainWindow::closeCommandsEndTheWindow()
{
    QFETCH(int, how);
    auto window = OpenWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    if (how == 0)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else if (how == 1)
        QTest::mouseClick(GetDlgItem<QPushButton>(*window, IDCANCEL), Qt::LeftButton);
    else
        window->close();
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Rejected));
}

void TestMainWindow::enterConfirms()
{
    auto window = OpenWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(window->m_list->rowCount(), 2);
    QVERIFY(window->isVisible());
}

void TestMainWindow::aboutBoxFromTheTopStrip()
{
    auto window = OpenWindow();
    QStringList menus;
    bool choose = false;
    QTimer menuPoll; // a context menu is a popup, not a modal widget
    connect(&menuPoll, &QTimer::timeout, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || menu->actions().isEmpty())
            return;
        menus << menu->actions().constFirst()->text();
        if (choose)
            menu->setActiveAction(menu->actions().constFirst());
        QTest::keyClick(menu, choose ? Qt::Key_Return : Qt::Key_Escape);
    });
    menuPoll.start(5);
    QString title;
    ModalDriver driver({ [&title](QWidget *modal) {
        title = modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Escape);
    } });
    // Below the upper separator the window has no menu; above it the about item.
    for (const int y : { 400, 5 }) {
        choose = y == 5;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(300, y),
                                window->mapToGlobal(QPoint(300, y)));
        QApplication::sendEvent(window.get(), &event);
    }
    QTRY_VERIFY(driver.Done());
    QCOMPARE(menus, QStringList { u"关于 Velmora(&A)..."_s });
    QCOMPARE(title, u"关于 Velmora"_s);
}

// Writes the login dialog and the main window, in mode 1 with a run in progress, as PNG files
// into VELMORA_SCREENSHOT_DIR when it is set.
void TestMainWindow::renderScreens()
{
    const QString outDir = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (outDir.isEmpty())
        QSKIP("VELMORA_SCREENSHOT_DIR not set");
    auto window = OpenWindow(Gb18030::Encode(u"nSelMode=1\r\nVELMORADLGCOLLECTIONNUM=6\r\n"
                                             u"LOGINDLGNAME=李四\r\nLOGINDLGNO=20240518-03\r\n"
                                             u"LOGINDLGSAMPLENAME=葡萄糖注射液\r\n"
                                             u"LOGINDLGUNIT=市药品检验所\r\n"));
    for (long r : { 12345L, 12351L, 12339L }) {
        Feed(ReadingFrame(r));
        QTRY_COMPARE(window->m_ctlReading->DisplayText(),
                     QString::number(r / 1000.0, 'f', 3).prepend(u'+'));
        window->OnOK();
    }
    QVERIFY(window->grab().save(QDir(outDir).filePath(u"main-window.png"_s)));

    CLoginDlg login;
    login.m_strUnit = u"市药品检验所"_s;
    login.show();
    QVERIFY(login.grab().save(QDir(outDir).filePath(u"login.png"_s)));
    CAboutDlg about;
    about.show();
    QVERIFY(about.grab().save(QDir(outDir).filePath(u"about.png"_s)));
    CSampleCountDlg count;
    count.m_nCount = 12;
    count.show();
    QVERIFY(count.grab().save(QDir(outDir).filePath(u"sample-count.png"_s)));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
