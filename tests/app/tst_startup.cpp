#include "FileBytes.h"
#include "app/CVelmoraApp.h"
#include "core/text/Gb18030.h"
#include "ui/controls/StyledLabel.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// libpq is mapped only once a lab server is used (nothing without /proc: then nothing to see).
QStringList LoadedForLater()
{
    QFile maps(u"/proc/self/maps"_s);
    const bool pq = maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/libpq.so");
    return pq ? QStringList { u"libpq"_s } : QStringList();
}

const QStringList kEntry { u"药检所"_s, u"葡萄糖"_s, u"B-17"_s, u"李四"_s };

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void chosenAdapterIsStored();
};

void TestStartup::startUp_data()
{
    QTest::addColumn<QString>("subdir"); // of the program directory
    QTest::addColumn<QByteArray>("stored"); // the settings file; empty: none
    QTest::addColumn<QStringList>("shown"); // unit, sample name, batch number, inspector
    QTest::addColumn<int>("preselected");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pick"); // -2: leave the list as it is
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("written"); // the file afterwards; empty: as it was
    QTest::addColumn<bool>("blocked"); // Velmora.ini is a directory

    const QString keys = u"LOGINDLGNAME=李四\r\nLOGINDLGNO=B-17\r\nLOGINDLGSAMPLENAME=葡萄糖\r\n"
                         u"LOGINDLGUNIT=药检所\r\n"_s;
    QTest::newRow("first run, OK writes the five keys in order")
        << QString() << QByteArray() << QStringList(4) << 0 << 12 << 2 << true
        << u"[SYSTEM]\r\n"_s + keys + u"LOGINDLGSERIALNO=2\r\n"_s << false;
    QTest::newRow("first run, Cancel writes nothing and opens no window")
        << QString() << QByteArray() << QStringList(4) << 0 << 12 << 4 << false << QString()
        << false;
    QTest::newRow("stored index 20 selects no port, -1 written back")
        << QString() << "[SYSTEM]\r\nLOGINDLGSERIALNO=20\r\n"_ba << QStringList(4) << -1 << 12 << -2
        << true << u"[SYSTEM]\r\nLOGINDLGSERIALNO=-1\r\n"_s + keys << false;
    QTest::newRow("Chinese program directory, keys in any case")
        << u"旋光仪/数据记录"_s
        << Gb18030::Encode(u"[system]\r\nloginDlgName=张三\r\nVELMORADLGCOLLECTIONNUM=6\r\n"_s)
        << QStringList { {}, {}, {}, u"张三"_s } << 0 << 6 << 0 << false << QString() << false;
    QTest::newRow("settings not a file: told once, defaults, never overwritten")
        << QString() << QByteArray() << QStringList(4) << 0 << 12 << 2 << true << QString() << true;
}

void TestStartup::startUp()
{
    QFETCH(QString, subdir);
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, shown);
    QFETCH(int, preselected);
    QFETCH(int, count);
    QFETCH(int, pick);
    QFETCH(bool, confirm);
    QFETCH(QString, written);
    QFETCH(bool, blocked);

    QTemporaryDir dir;
    const QString programDir = QDir(dir.path()).filePath(subdir);
    const QString ini = QDir(programDir).filePath(u"Velmora.ini"_s);
    QVERIFY(QDir().mkpath(programDir));
    QVERIFY(stored.isEmpty() || WriteAll(ini, stored));
    QVERIFY(!blocked || QDir().mkpath(ini));
    CVelmoraApp app(programDir);
    QStringList runs;
    QStringList seen;
    int shownPort = -3;
    bool unitFocused = false;
    app.SetModalRunner([&](QDialog &dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            runs << box->text();
            return int(QMessageBox::Ok);
        }
        auto *login = dynamic_cast<CLoginDlg *>(&dialog);
        if (!login) {
            auto *window = dynamic_cast<CVelmoraDlg *>(&dialog);
            runs << (window ? u"main "_s + window->GetSession().login().unit : u"other"_s)
                 << LoadedForLater();
            return int(QDialog::Rejected);
        }
        runs << u"login"_s;
        login->show();
        if (!QTest::qWaitForWindowActive(login))
            return int(QDialog::Rejected);
        const CStyledLabel *title = login->m_stcTitle;
        seen << login->m_cmbPort->itemText(0) << login->m_cmbPort->itemText(19)
             << login->m_cmbPort->itemText(20) << title->text()
             << title->TextColor().name() + (title->font().bold() ? u" bold"_s : u""_s);
        shownPort = login->m_cmbPort->currentIndex();
        unitFocused = QApplication::focusWidget() == GetDlgItem(*login, CLoginDlg::IDC_UNIT);
        for (int i = 0; i < kEntry.size(); ++i) {
            auto *edit = GetDlgItem<QLineEdit>(*login, CLoginDlg::IDC_UNIT + i);
            seen << edit->text();
            edit->setText(kEntry[i]);
        }
        if (pick >= -1)
            login->m_cmbPort->setCurrentIndex(pick);
        QTest::mouseClick(GetDlgItem<QPushButton>(*login, confirm ? IDOK : IDCANCEL),
                          Qt::LeftButton);
        return login->result();
    });
    QCOMPARE(app.InitInstance(), 0);

    QCOMPARE(app.GetSettings().Path(), ini);
    const Session &session = app.GetSession();
    QCOMPARE(session.sampleCount, count);
    QStringList expectedRuns { u"login"_s, u"main "_s + kEntry[0] };
    expectedRuns = expectedRuns.first(confirm ? 2 : 1);
    if (blocked)
        expectedRuns.prepend(
            u"设置文件 "_s + QDir::toNativeSeparators(ini)
            + u" 无法读取（不是普通文件）。\n程序使用默认设置，不会改写该文件。"_s);
    QCOMPARE(runs, expectedRuns);
    QCOMPARE(seen,
             QStringList({ u"串口1"_s, u"串口20"_s, {}, u" 旋光仪数据记录"_s, u"#ff0000 bold"_s })
                 + shown);
    QCOMPARE(shownPort, preselected);
    QVERIFY(unitFocused);
    QCOMPARE((QStringList { session.unit, session.sampleName, session.batchNo, session.inspector }),
             confirm ? kEntry : shown);
    QCOMPARE(session.serialNo, confirm ? (pick >= -1 ? pick : -1) : preselected);
    QCOMPARE(QFileInfo(ini).isFile(), !(stored.isEmpty() && written.isEmpty()));
    QCOMPARE(ReadAll(ini), written.isEmpty() ? stored : Gb18030::Encode(written));
}

// An adapter that no entry resolves to, chosen at the login: the next start must find it again.
void TestStartup::chosenAdapterIsStored()
{
    QTemporaryDir dir;
    CVelmoraApp app(dir.path());
    app.SetModalRunner([](QDialog &dialog) {
        auto *login = dynamic_cast<CLoginDlg *>(&dialog);
        if (!login)
            return qobject_cast<QMessageBox *>(&dialog) ? int(QMessageBox::Ok)
                                                        : int(QDialog::Rejected);
        login->m_serialDevices = QList<SerialDevice> { { u"/dev/ttyUSB7"_s, {}, {} } };
        login->show();
        login->m_cmbPort->setCurrentIndex(CLoginDlg::kPortCount);
        login->accept();
        return login->result();
    });
    QCOMPARE(app.InitInstance(), 0);
    const QByteArray written = ReadAll(QDir(dir.path()).filePath(u"Velmora.ini"_s));
    QVERIFY2(written.contains("LOGINDLGSERIALNO=20\r\n")
                 && written.endsWith("[ports]\r\nCOM21=/dev/ttyUSB7\r\n"),
             written.constData());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
