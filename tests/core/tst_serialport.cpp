#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "core/link/CSerialPort.h"
#include "core/link/DeviceIdentity.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <vector>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(DeviceIdentity)

namespace {

// What the owner saw and how it answers.
struct Owner
{
    int notifications = 0;
    int largestCount = 0;
    std::vector<long> readings;
    bool permitLater = false;
    bool grant = true;
    bool holding = false;
    bool notifiedWhileHeld = false;
};

} // namespace

// The test is the channel's owner: it records every notification, scans the held bytes and
// gives the read permission back (or withholds it).
class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsWaitForThePermission();
    void lifecycle();
    void openFails_data();
    void openFails();
    void closeReturnsPromptly_data();
    void closeReturnsPromptly();
    void sameDevice_data();
    void sameDevice();

private:
    void Handle(CSerialPort *from, RxBuffer *rx);

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<CSerialPort> m_port;
    Owner m_owner;
};

void tst_SerialPort::init()
{
    m_port.reset(); // before its terminal goes
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->IsValid());
    m_port = std::make_unique<CSerialPort>();
    m_port->Configure(m_pty->SlavePath(), 9600, 8, 0, 1);
    connect(m_port.get(), &CSerialPort::serialData, this, &tst_SerialPort::Handle);
    m_owner = {};
}

void tst_SerialPort::Handle(CSerialPort *from, RxBuffer *rx)
{
    ++m_owner.notifications;
    m_owner.notifiedWhileHeld |= m_owner.holding || from != m_port.get();
    m_owner.largestCount = std::max(m_owner.largestCount, rx->nCount);
    ScanHeldBytes(*rx, [this](const FrameEvent &e) { m_owner.readings.push_back(e.reading); });
    if (!m_owner.grant)
        return;
    if (!m_owner.permitLater)
        return from->SetReadPermission();
    m_owner.holding = true;
    QTimer::singleShot(0, from, [this, from] {
        m_owner.holding = false;
        from->SetReadPermission();
    });
}

void tst_SerialPort::readsWaitForThePermission()
{
    // 35,200 bytes: more than the free room, so the bursts meet the withheld permission.
    m_owner.permitLater = true;
    QVERIFY(m_port->Open());
    QByteArray sent;
    std::vector<long> expected;
    for (int i = 0; i < 3200; ++i) {
        sent += ReadingFrame(i);
        expected.push_back(i);
    }
    m_pty->Send(sent);
    QTRY_COMPARE(m_owner.readings.size(), expected.size());
    QCOMPARE(m_owner.readings, expected);
    QVERIFY(m_owner.largestCount <= RxBuffer::kSize);
    QVERIFY(!m_owner.notifiedWhileHeld);
    QCOMPARE(m_port->DroppedByteCount(), 0);
}

void tst_SerialPort::lifecycle()
{
    const auto zero = BuildCommandFrame(Frame::CMD_ZERO);
    m_port->Close(); // never opened: nothing happens
    QVERIFY(m_port->Open());
    QVERIFY(!m_port->Open()); // already running: refused, and the channel carries on
    QCOMPARE(m_port->Write(zero), 5);
    QTRY_COMPARE(m_pty->Received(), "\x02\x01\x02\x01\x03"_ba);

    m_port->Close();
    m_port->Close(); // already closed: nothing happens
    QVERIFY(!m_port->IsRunning());
    QCOMPARE(m_port->Write(zero), -1);
    // Neither Close left anything behind: the channel opens again and works.
    QVERIFY(m_port->Open());
    m_pty->Send(ReadingFrame(42));
    QTRY_COMPARE(m_owner.readings, std::vector<long> { 42 });
}

void tst_SerialPort::openFails_data()
{
    QTest::addColumn<QString>("device"); // below the temporary directory "$"; "busy": the pty
    QTest::addColumn<PortError::Kind>("kind");
    QTest::newRow("missing device") << u"$/no-such-port"_s << PortError::Kind::Missing;
    QTest::newRow("device open elsewhere") << u"busy"_s << PortError::Kind::Busy;
    QTest::newRow("regular file") << u"$/file"_s << PortError::Kind::NotSerial;
    QTest::newRow("directory") << u"$"_s << PortError::Kind::NotSerial;
    QTest::newRow("null device") << u"/dev/null"_s << PortError::Kind::NotSerial;
    QTest::newRow("FIFO, which an open could wait on") << u"$/fifo"_s << PortError::Kind::NotSerial;
}

void tst_SerialPort::openFails()
{
    QFETCH(QString, device);
    QFETCH(PortError::Kind, kind);
    QTemporaryDir dir;
    QSerialPort other(m_pty->SlavePath());
    if (device == u"busy"_s) {
        QVERIFY(other.open(QIODevice::ReadWrite));
        device = m_pty->SlavePath();
    }
    device.replace(u"$"_s, dir.path());
    QFile(dir.filePath(u"file"_s)).open(QIODevice::WriteOnly);
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0600), 0);
    m_port->Configure(device, 9600, 8, 0, 1);
    QSignalSpy failed(m_port.get(), &CSerialPort::openFailed);

    const auto descriptors = [] {
        return QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size();
    };
    const auto before = descriptors();
    QVERIFY(!m_port->Open());
    QVERIFY(!m_port->IsRunning());
    QCOMPARE(m_port->Write(BuildCommandFrame(Frame::CMD_ZERO)), -1);
    QCOMPARE(descriptors(), before);
    QCOMPARE(m_port->LastOpenError().kind, kind);
    QVERIFY2(m_port->LastOpenError().text().startsWith(device),
             qPrintable(m_port->LastOpenError().text()));
    QCOMPARE(failed.size(), 1);
}

void tst_SerialPort::closeReturnsPromptly_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("idle") << u"idle"_s;
    QTest::newRow("waiting for the read permission") << u"held"_s;
    QTest::newRow("mid-burst") << u"flood"_s;
    QTest::newRow("after an unplug") << u"unplugged"_s;
}

void tst_SerialPort::closeReturnsPromptly()
{
    QFETCH(QString, state);
    m_owner.grant = state != u"held"_s;
    QSignalSpy lost(m_port.get(), &CSerialPort::linkLost);
    QVERIFY(lost.isValid());
    QVERIFY(m_port->Open());

    if (state == u"held"_s) {
        m_pty->Send(QByteArray(100, 'a'));
        QTRY_COMPARE(m_owner.notifications, 1);
        m_pty->Send(QByteArray(100, 'b')); // waits behind the withheld permission
        QTRY_VERIFY(m_pty->AllSent());
    } else if (state == u"flood"_s) {
        m_pty->Send(QByteArray(1 << 20, 'f'));
        QTRY_VERIFY(m_owner.notifications > 2);
    } else if (state == u"unplugged"_s) {
        m_pty->CloseMaster();
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(m_port->Write(BuildCommandFrame(Frame::CMD_ZERO)), -1);
        QVERIFY(m_port->IsRunning()); // stopped receiving, but only Close ends the channel
    }

    QElapsedTimer timer;
    timer.start();
    m_port.reset(); // the owner's destructor closes the channel
    QVERIFY2(timer.elapsed() < 1000, qPrintable(u"Close took %1 ms"_s.arg(timer.elapsed())));
    QCOMPARE(lost.size(), state == u"unplugged"_s ? 1 : 0);
}

void tst_SerialPort::sameDevice_data()
{
    // No USB adapter can be plugged in here: these are the fields the system would report.
    QTest::addColumn<DeviceIdentity>("found");
    QTest::addColumn<bool>("same"); // as the adapter first opened
    QTest::newRow("the adapter replugged: a new node")
        << DeviceIdentity { true, 0x0403, 0x6001, u"A50285BI"_s, makedev(188, 0), 2000 } << true;
    QTest::newRow("another adapter of the same make")
        << DeviceIdentity { true, 0x0403, 0x6001, u"A50285BJ"_s, makedev(188, 0), 2000 } << false;
    QTest::newRow("no adapter on a new node")
        << DeviceIdentity { false, 0, 0, {}, makedev(188, 0), 2000 } << false;
    QTest::newRow("the node first opened, its adapter not read")
        << DeviceIdentity { false, 0, 0, {}, makedev(188, 0), 1000 } << true;
}

void tst_SerialPort::sameDevice()
{
    QFETCH(DeviceIdentity, found);
    QFETCH(bool, same);
    const DeviceIdentity opened { true, 0x0403, 0x6001, u"A50285BI"_s, makedev(188, 0), 1000 };
    QCOMPARE(found.isSameDevice(opened), same);
}

QTEST_GUILESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"
