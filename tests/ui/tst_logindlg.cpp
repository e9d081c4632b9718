#include "PtyPair.h"
#include "core/link/CSerialPort.h"
#include "ui/windows/CLoginDlg.h"

#include <QComboBox>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_LoginDlg : public QObject
{
    Q_OBJECT

private slots:
    void portChoice_data();
    void portChoice();
};

void tst_LoginDlg::portChoice_data()
{
    QTest::addColumn<int>("pick");
    QTest::addColumn<int>("mapped"); // the port number to store; 0: nothing to store
    QTest::newRow("a port of the first twenty: nothing to store") << 2 << 0;
    QTest::newRow("the offered device: stored as COM21") << 20 << 21;
}

// A terminal that exists but no port resolves to stands for a USB adapter just plugged in.
void tst_LoginDlg::portChoice()
{
    QFETCH(int, pick);
    QFETCH(int, mapped);
    PtyPair pty;
    CLoginDlg login;
    login.m_serialDevices = QList<SerialDevice> { { pty.SlavePath(), u"Sim"_s, u"Velmora"_s } };
    login.show();
    QCOMPARE(login.m_cmbPort->count(), 21);
    QCOMPARE(login.m_cmbPort->itemText(20), u"串口21"_s);
    QCOMPARE(login.m_cmbPort->model()->index(20, 1).data().toString(),
             pty.SlavePath() + u" (Sim, Velmora)"_s);

    login.m_cmbPort->setCurrentIndex(pick);
    login.accept();
    QCOMPARE(login.m_nSerialNo, pick);
    const auto chosen = login.ChosenPortMapping();
    QCOMPARE(chosen ? chosen->number : 0, mapped);
    if (!chosen)
        return;
    // What the window then opens: COM<index + 1>, through the mapping as stored.
    CSerialPort port;
    port.SetPortLookup([&](const QString &key) {
        return key == u"COM%1"_s.arg(chosen->number) ? chosen->device : QString();
    });
    port.Configure(u"COM%1"_s.arg(login.m_nSerialNo + 1), 9600, 8, 0, 1);
    QVERIFY(port.Open());
    QCOMPARE(port.LastOpenError().kind, PortError::Kind::None);
}

QTEST_MAIN(tst_LoginDlg)
#include "tst_logindlg.moc"
