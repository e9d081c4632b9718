#include "app/CLoginDlg.h"
#include "app/CVelmoraApp.h"
#include "app/Gb18030.h"
#include "controls/StyledLabel.h"
#include "measure/CVelmoraDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct LoginEntry
{
    QString unit, sampleName, batchNo, inspector;
    int portIndex = 0; // -2: leave the list as it is
    bool confirm = true;
};

// Shows the login dialog, types the entry and presses OK or Cancel.
CVelmoraApp::ModalRunner LoginRunner(const LoginEntry &entry, QStringList *ports = nullptr,
                                     int *preselected = nullptr)
{
    return [=](QDialog &dialog) {
        auto &login = dynamic_cast<CLoginDlg &>(dialog);
        login.show();
        if (ports) {
            for (int i = 0; i < login.m_cmbPort->count(); ++i)
                ports->append(login.m_cmbPort->itemText(i));
        }
        if (preselected)
            *preselected = login.m_cmbPort->currentIndex();
        GetDlgItem<QLineEdit>(login, CLoginDlg::IDC_UNIT)->setText(entry.unit);
        GetDlgItem<QLineEdit>(login, CLoginDlg::IDC_SAMPLE_NAME)->setText(entry.sampleName);
        GetDlgItem<QLineEdit>(login, CLoginDlg::IDC_BATCH_NO)->setText(entry.batchNo);
        GetDlgItem<QLineEdit>(login, CLoginDlg::IDC_INSPECTOR)->setText(entry.inspector);
        if (entry.portIndex >= -1)
            login.m_cmbPort->setCurrentIndex(entry.portIndex);
        QTest::mouseClick(GetDlgItem<QPushButton>(login, entry.confirm ? IDOK : IDCANCEL),
                          Qt::LeftButton);
        return login.result();
    };
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void sampleCountStaysInsideTheStore_data();
    void sampleCountStaysInsideTheStore();
    void loginDialogOffersTwentyPorts();
    void okWritesTheFiveKeysInOrder();
    void cancelWritesNothing();
    void portIndexOutsideTheList_data();
    void portIndexOutsideTheList();
    void chineseProgramDirectoryFindsItsSettings();
    void mainWindowRunsOnlyAfterOk_data();
    void mainWindowRunsOnlyAfterOk();

private:
};

void TestStartup::sampleCountStaysInsideTheStore_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("count");
    QTest::newRow("zero runs one sample") << "0"_ba << 1;
    QTest::newRow("store size kept") << "256"_ba << 256;
    QTest::newRow("beyond the store bounded") << "1000"_ba << 256;
}

void TestStartup::sampleCountStaysInsideTheStore()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, count);
    QTemporaryDir dir;
    WriteAll(dir.filePath(u"Velmora.ini"_s),
             "[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=" + stored + "\r\n");
    CVelmoraApp app(dir.path());
    app.LocateSettings();
    app.LoadSettings();
    QCOMPARE(app.m_nSampleCount, count);
}

void TestStartup::loginDialogOffersTwentyPorts()
{
    CLoginDlg login;
    login.m_nSerialNo = 0;
    login.show();
    QVERIFY(QTest::qWaitForWindowActive(&login));
    QCOMPARE(login.m_cmbPort->count(), 20);
    QCOMPARE(login.m_cmbPort->itemText(0), u"串口1"_s);
    QCOMPARE(login.m_cmbPort->itemText(19), u"串口20"_s);
    QCOMPARE(login.m_cmbPort->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), GetDlgItem(login, CLoginDlg::IDC_UNIT));
    QCOMPARE(login.m_stcTitle->TextColor(), QColor(255, 0, 0));
    QVERIFY(login.m_stcTitle->font().bold());
    QVERIFY(!login.m_stcTitle->font().italic());
    QCOMPARE(login.m_stcTitle->font().pixelSize(),
             PointSizeToPixelHeight(12, login.m_stcTitle->logicalDpiY()));
    QCOMPARE(login.m_stcTitle->text(), u" 旋光仪数据记录"_s);
}

void TestStartup::okWritesTheFiveKeysInOrder()
{
    QTemporaryDir dir;
    CVelmoraApp app(dir.path());
    app.LocateSettings();
    app.LoadSettings();
    app.SetModalRunner(LoginRunner({ u"药检所"_s, u"葡萄糖"_s, u"B-17"_s, u"李四"_s, 2, true }));
    QVERIFY(app.RunLoginDialog());

    QCOMPARE(app.m_strUnit, u"药检所"_s);
    QCOMPARE(app.m_strSampleName, u"葡萄糖"_s);
    QCOMPARE(app.m_strBatchNo, u"B-17"_s);
    QCOMPARE(app.m_strInspector, u"李四"_s);
    QCOMPARE(app.m_nSerialNo, 2);

    const QString text = Gb18030::Decode(ReadAll(app.m_strIniPath));
    const QStringList expected { u"LOGINDLGNAME=李四"_s, u"LOGINDLGNO=B-17"_s,
                                 u"LOGINDLGSAMPLENAME=葡萄糖"_s, u"LOGINDLGUNIT=药检所"_s,
                                 u"LOGINDLGSERIALNO=2"_s };
    qsizetype at = text.indexOf(u"[SYSTEM]"_s);
    QVERIFY(at >= 0);
    for (const QString &line : expected) {
        const qsizetype next = text.indexOf(line, at);
        QVERIFY2(next > at, qPrintable(line));
        at = next;
    }

    CVelmoraApp again(dir.path());
    again.LocateSettings();
    again.LoadSettings();
    QCOMPARE(again.m_strInspector, u"李四"_s);
    QCOMPARE(again.m_nSerialNo, 2);
}

// First run: no settings file, so empty fields, COM1 and 12 samples; Cancel keeps it so.
void TestStartup::cancelWritesNothing()
{
    QTemporaryDir dir;
    CVelmoraApp app(dir.path());
    app.LocateSettings();
    app.LoadSettings();
    QCOMPARE(app.m_strIniPath, QDir(dir.path()).filePath(u"Velmora.ini"_s));
    QVERIFY(app.m_strInspector.isEmpty() && app.m_strUnit.isEmpty());
    QCOMPARE(app.m_nSampleCount, 12);
    app.SetModalRunner(LoginRunner({ u"x"_s, u"y"_s, u"z"_s, u"w"_s, 4, false }));
    QVERIFY(!app.RunLoginDialog());
    QVERIFY(app.m_strUnit.isEmpty());
    QCOMPARE(app.m_nSerialNo, 0);
    QVERIFY(!QFile::exists(app.m_strIniPath));
}

void TestStartup::portIndexOutsideTheList_data()
{
    QTest::addColumn<int>("stored");
    QTest::newRow("index 20") << 20;
    QTest::newRow("index -1") << -1;
}

void TestStartup::portIndexOutsideTheList()
{
    QFETCH(int, stored);
    QTemporaryDir dir;
    WriteAll(dir.filePath(u"Velmora.ini"_s),
             "[SYSTEM]\r\nLOGINDLGSERIALNO=" + QByteArray::number(stored) + "\r\n");
    CVelmoraApp app(dir.path());
    app.LocateSettings();
    app.LoadSettings();
    int preselected = 0;
    app.SetModalRunner(LoginRunner({ {}, {}, {}, {}, -2, true }, nullptr, &preselected));
    QVERIFY(app.RunLoginDialog());
    QCOMPARE(preselected, -1);
    QCOMPARE(app.m_nSerialNo, -1);
    QVERIFY(ReadAll(app.m_strIniPath).contains("LOGINDLGSERIALNO=-1"));
    QVERIFY(ReadAll(app.m_strIniPath).contains("LOGINDLGNAME=\r\n"));
}

void TestStartup::chineseProgramDirectoryFindsItsSettings()
{
    QTemporaryDir dir;
    const QString programDir = dir.filePath(u"旋光仪/数据记录"_s);
    QVERIFY(QDir().mkpath(programDir));
    WriteAll(QDir(programDir).filePath(u"Velmora.ini"_s),
             Gb18030::Encode(u"[system]\r\nloginDlgName=张三\r\nVELMORADLGCOLLECTIONNUM=6\r\n"));
    CVelmoraApp app(programDir);
    app.LocateSettings();
    app.LoadSettings();
    QCOMPARE(app.m_strIniPath, QDir(programDir).filePath(u"Velmora.ini"_s));
    QCOMPARE(app.m_strInspector, u"张三"_s);
    QCOMPARE(app.m_nSampleCount, 6);
}

void TestStartup::mainWindowRunsOnlyAfterOk_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel") << false;
}

void TestStartup::mainWindowRunsOnlyAfterOk()
{
    QFETCH(bool, confirm);
    QTemporaryDir dir;
    CVelmoraApp app(dir.path());
    QStringList runs;
    const auto login = LoginRunner({ u"u"_s, {}, {}, {}, 0, confirm });
    app.SetModalRunner([&](QDialog &dialog) {
        if (dynamic_cast<CLoginDlg *>(&dialog)) {
            runs << u"login"_s;
            return login(dialog);
        }
        if (auto *window = dynamic_cast<CVelmoraDlg *>(&dialog))
            runs << (&window->App() == &app ? u"main"_s : u"main of another app"_s);
        return int(QDialog::Rejected);
    });
    QCOMPARE(app.InitInstance(), 0);
    const QStringList expected =
        confirm ? QStringList { u"login"_s, u"main"_s } : QStringList { u"login"_s };
    QCOMPARE(runs, expected);
    QCOMPARE(QFile::exists(app.m_strIniPath), confirm);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
