#include "WindowFixture.h"
#include "core/link/CSerialPort.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/StateImageButton.h"
#include "ui/controls/StyledLabel.h"
#include "ui/windows/CSampleCountDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

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
    void framesReachTheDisplaysInTheirMode_data();
    void framesReachTheDisplaysInTheirMode();
    void runEndsAtTheSampleCount_data();
    void runEndsAtTheSampleCount();
    void colourButtonsSendOnMousePressOnly();
    void sampleButton_data();
    void sampleButton();
    void missingPortShowsTheMessageAndTheWindowWorks_data();
    void missingPortShowsTheMessageAndTheWindowWorks();
};

void TestMainWindow::framesReachTheDisplaysInTheirMode_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("converted"); // empty: the converted display is hidden
    QTest::addColumn<double>("value");
    QTest::addColumn<QColor>("color");

    const QByteArray frame = WindowFixture::ReadingFrame(12345);
    const QByteArray zero("\x02\x01\x02\x01\x03", 5);
    QTest::newRow("mode 0, red digits by default")
        << QByteArray() << frame << u"旋光度(α°)"_s << u"+12.345"_s << QString() << 12.345
        << QColor(255, 0, 0);
    QTest::newRow("mode 1 sugar degree, green digits, colour bytes masked")
        << "[SYSTEM]\r\nnSelMode=1\r\nLEDR=0\r\nLEDG=255\r\nLEDB=256\r\n"_ba << frame
        << u"糖度(Z)"_s << u"+12.345"_s << u"+35.652"_s << 35.6524 << QColor(0, 255, 0);
    QTest::newRow("zero frame after a reading clears both displays")
        << "[SYSTEM]\r\nnSelMode=1\r\n"_ba << frame + zero << u"糖度(Z)"_s << u" 00.000"_s
        << u" 00.000"_s << 0.0 << QColor(255, 0, 0);
    QTest::newRow("A reading after a reading")
        << QByteArray() << frame + WindowFixture::Frame(1, "A"_ba) << u"旋光度(α°)"_s
        << u" 00.000"_s << QString() << 0.0 << QColor(255, 0, 0);
    QTest::newRow("stored mode 7 is optical rotation")
        << "[SYSTEM]\r\nnSelMode=7\r\n"_ba << frame << u"旋光度(α°)"_s << u"+12.345"_s << QString()
        << 12.345 << QColor(255, 0, 0);
}

void TestMainWindow::framesReachTheDisplaysInTheirMode()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);
    QFETCH(QString, reading);
    QFETCH(QString, converted);
    QFETCH(double, value);
    QFETCH(QColor, color);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open(settings);
    QCOMPARE(window->m_list->horizontalHeaderItem(1)->text(), title);
    QCOMPARE(window->m_stcDate->text(), QDate::currentDate().toString(u"yyyy-MM-dd"_s));
    QCOMPARE(window->m_ctlConverted->isVisible(), !converted.isEmpty());
    QCOMPARE(window->m_stcModeName->isVisible(), !converted.isEmpty());
    if (!converted.isEmpty())
        QCOMPARE(window->m_stcModeName->text(), title + u':');

    // The status frame behind the data lights the lamp once every frame before it is decoded.
    f.pty.Send(bytes + kStatusFrame);
    QTRY_COMPARE(window->m_btnStatus->GetState(), 2);
    QCOMPARE(window->m_ctlReading->DisplayText(), reading);
    if (!converted.isEmpty())
        QCOMPARE(window->m_ctlConverted->DisplayText(), converted);
    QVERIFY(qAbs(window->m_dReading - value) < 1e-4);
    QCOMPARE(window->m_ctlReading->LedColor(), color);
    QCOMPARE(window->m_ctlConverted->LedColor(), color);
    // The next batch darkens it.
    f.pty.Send("noise"_ba);
    QTRY_COMPARE(window->m_btnStatus->GetState(), 0);
}

void TestMainWindow::runEndsAtTheSampleCount_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QList<int>>("readings");
    // Return and the dialog's OK in turn after the readings, both meaning Confirm
    QTest::addColumn<int>("extraPresses");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("mean");
    QTest::addColumn<QString>("deviation");

    QTest::newRow("six readings 1 to 6, further presses add nothing")
        << "[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=6\r\n"_ba
        << QList<int> { 1000, 2000, 3000, 4000, 5000, 6000 } << 2 << 6 << u"3.500"_s << u"1.871"_s;
    QTest::newRow("stored count 0 runs one sample, signed mean, no deviation")
        << "[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=0\r\n"_ba << QList<int> { -1500 } << 2 << 1
        << u"-1.500"_s << QString();
    QTest::newRow("stored count 1000 ends at the 256-value store")
        << "[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=1000\r\n"_ba << QList<int> {} << 300 << 256
        << u"0.000"_s << QString();
}

void TestMainWindow::runEndsAtTheSampleCount()
{
    QFETCH(QByteArray, settings);
    QFETCH(QList<int>, readings);
    QFETCH(int, extraPresses);
    QFETCH(int, rows);
    QFETCH(QString, mean);
    QFETCH(QString, deviation);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open(settings);
    for (int r : readings)
        QVERIFY(f.Confirm(*window, r));
    for (int i = 0; i < extraPresses; ++i)
        i % 2 ? window->accept() : QTest::keyClick(window.get(), Qt::Key_Return);

    QCOMPARE(window->m_list->rowCount(), rows);
    QCOMPARE(Cell(window->m_list, rows - 1, 0), QString::number(rows));
    QCOMPARE(Cell(window->m_list, rows - 1, 2), mean);
    QCOMPARE(Cell(window->m_list, rows - 1, 3), deviation);
    if (rows > 1)
        QCOMPARE(Cell(window->m_list, rows - 2, 2), QString());
    QVERIFY(!window->m_btnConfirm->isEnabled());
    QCOMPARE(window->m_btnStatus->GetState(), 2);
    QVERIFY(window->isVisible());

    QTest::mouseClick(GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_DELETE), Qt::LeftButton);
    QCOMPARE(window->m_list->rowCount(), 0);
    QVERIFY(window->m_btnConfirm->isEnabled());
    QCOMPARE(window->m_btnStatus->GetState(), 0);
}

void TestMainWindow::colourButtonsSendOnMousePressOnly()
{
    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open();
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
    QTRY_COMPARE(f.pty.Received(), expected);
}

void TestMainWindow::sampleButton_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stored"); // the count the next start reads

    const QString range = u"“请填入一个在1和100之间的整数。”"_s;
    QTest::newRow("0 refused") << QByteArray() << u"0"_s << range << 12 << 12;
    QTest::newRow("101 refused") << QByteArray() << u"101"_s << range << 12 << 12;
    QTest::newRow("abc refused") << QByteArray() << u"abc"_s << u"请键入一个整数。"_s << 12 << 12;
    QTest::newRow(" 6 accepted and stored") << QByteArray() << u" 6 "_s << QString() << 6 << 6;
    QTest::newRow("ISLOCK=1 uses 3 but keeps the file's count")
        << "[SYSTEM]\r\nISLOCK=1\r\nVELMORADLGCOLLECTIONNUM=12\r\n"_ba << u"3"_s << QString() << 3
        << 12;
}

void TestMainWindow::sampleButton()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(int, count);
    QFETCH(int, stored);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open(settings);
    QString shown;
    QString answer;
    std::deque<ModalDriver::Step> steps { [&](QWidget *modal) {
        auto *edit = GetDlgItem<QLineEdit>(*modal, CSampleCountDlg::IDC_COUNT);
        shown = edit->text();
        edit->setText(typed);
        QTest::mouseClick(GetDlgItem<QPushButton>(*modal, IDOK), Qt::LeftButton);
    } };
    if (!message.isEmpty()) {
        steps.push_back(ModalDriver::AnswerBox(&answer));
        steps.push_back([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    }
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_SAMPLE, std::move(steps)));
    QCOMPARE(shown, u"12"_s);
    QCOMPARE(answer, message);
    QCOMPARE(f.app->m_nSampleCount, count);
    QCOMPARE(window->m_stcSampleCount->text(), QString::number(count));
    CVelmoraApp next(f.programDir);
    next.LocateSettings();
    next.LoadSettings();
    QCOMPARE(next.m_nSampleCount, stored);
}

void TestMainWindow::missingPortShowsTheMessageAndTheWindowWorks_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("device");
    QTest::newRow("device missing") << QByteArray() << u"no-such-device"_s;
    // No port chosen in the login dialog: nothing is opened, not even the pty behind COM1.
    QTest::newRow("no port chosen") << "[SYSTEM]\r\nLOGINDLGSERIALNO=-1\r\n"_ba << QString();
}

void TestMainWindow::missingPortShowsTheMessageAndTheWindowWorks()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, device);
    WindowFixture f;
    QVERIFY(f.IsValid());
    QString message;
    ModalDriver driver({ ModalDriver::AnswerBox(&message) });
    auto window = f.Open(settings, device.isEmpty() ? device : f.dir.filePath(device));
    QVERIFY(driver.Done());
    QCOMPARE(message, u"打开串口失败!!!"_s);
    QVERIFY(window->isVisible());
    QVERIFY(!window->m_pSerialPort->IsRunning());
    QTest::mousePress(window->m_btnZero, Qt::LeftButton);
    QTest::mouseClick(window->m_btnConfirm, Qt::LeftButton);
    QCOMPARE(Cell(window->m_list, 0, 1), u"0.000"_s);
    QTest::mouseClick(GetDlgItem<QPushButton>(*window, IDCANCEL), Qt::LeftButton);
    QVERIFY(!window->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
