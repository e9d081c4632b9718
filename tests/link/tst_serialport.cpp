#include "PtyPair.h"
#include "link/CSerialPort.h"
#include "link/Frame.h"
#include "link/FrameScanner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

QByteArray ReadingFrame(const QByteArray &text)
{
    QByteArray frame;
    frame += char(Frame::kStart);
    frame += char(text.size() + 1);
    frame += char(Frame::FRAME_READING);
    frame += text;
    char check = 0;
    for (const char c : frame)
        check ^= c;
    frame += check;
    frame += char(Frame::kEnd);
    return frame;
}

int OpenDescriptorCount()
{
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size());
}

// The owner's side of the protocol as a test sees it: every notification is recorded, the held
// bytes are scanned or taken, and the permission is given back.
struct Owner
{
    CSerialPort &port;
    int notifications = 0;
    int largestCount = 0;
    std::vector<FrameEvent> events;
    QByteArray taken; // bytes consumed from the front of the area, in order
    int keep = 0; // bytes to leave held after taking
    bool scan = false;
    bool permitLater = false;
    bool grant = true;
    bool notifiedWhileHeld = false;
    bool holding = false;

    explicit Owner(CSerialPort &p)
        : port(p)
    {
        QObject::connect(&port, &CSerialPort::serialData, &port,
                         [this](CSerialPort *from, RxBuffer *rx) { Handle(from, rx); });
    }

    void Handle(CSerialPort *from, RxBuffer *rx)
    {
        ++notifications;
        notifiedWhileHeld |= holding || from != &port;
        largestCount = std::max(largestCount, rx->nCount);
        if (scan) {
            ScanHeldBytes(*rx, [this](const FrameEvent &e) { events.push_back(e); });
        } else {
            const int take = std::max(0, rx->nCount - keep);
            taken.append(reinterpret_cast<const char *>(rx->data.data() + rx->nStart), take);
            rx->nStart += take;
            rx->nCount -= take;
            if (rx->nCount == 0)
                rx->nStart = 0;
        }
        if (!grant)
            return;
        if (permitLater) {
            holding = true;
            QTimer::singleShot(0, &port, [this] {
                holding = false;
                port.SetReadPermission();
            });
        } else {
            port.SetReadPermission();
        }
    }
};

} // namespace

class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void splitFrameDecodesOnce_data();
    void splitFrameDecodesOnce();
    void burstLargerThanFreeRoom_data();
    void burstLargerThanFreeRoom();
    void fullAreaNeverStalls();
    void writeCommandFrame_data();
    void writeCommandFrame();
    void openFails_data();
    void openFails();
    void closeWhenNotRunning();
    void closeReturnsPromptly_data();
    void closeReturnsPromptly();
    void unplug();
};

void tst_SerialPort::splitFrameDecodesOnce_data()
{
    QTest::addColumn<int>("split");
    QTest::newRow("after start byte") << 1;
    QTest::newRow("after type byte") << 3;
    QTest::newRow("before end byte") << 10;
}

void tst_SerialPort::splitFrameDecodesOnce()
{
    QFETCH(int, split);
    PtyPair pty;
    QVERIFY(pty.IsValid());
    CSerialPort port;
    port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
    Owner owner(port);
    owner.scan = true;
    QVERIFY(port.Open());

    const QByteArray frame = ReadingFrame("+12345");
    QCOMPARE(frame.size(), 11);
    pty.Send(frame.left(split));
    QTRY_COMPARE(owner.notifications, 1);
    QVERIFY(owner.events.empty());

    pty.Send(frame.mid(split));
    QTRY_COMPARE(owner.notifications, 2);
    QCOMPARE(owner.events.size(), size_t(1));
    QCOMPARE(owner.events[0].reading, 12345L);
    QCOMPARE(owner.events[0].DisplayText(), u"+12.345"_s);
}

void tst_SerialPort::burstLargerThanFreeRoom_data()
{
    QTest::addColumn<int>("keep");
    QTest::addColumn<bool>("permitLater");
    QTest::newRow("all taken, permit at once") << 0 << false;
    QTest::newRow("all taken, permit from a later event") << 0 << true;
    QTest::newRow("200 bytes stay held") << 200 << false;
    QTest::newRow("6000 bytes stay held") << 6000 << true;
}

void tst_SerialPort::burstLargerThanFreeRoom()
{
    QFETCH(int, keep);
    QFETCH(bool, permitLater);
    PtyPair pty;
    QVERIFY(pty.IsValid());
    CSerialPort port;
    port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
    Owner owner(port);
    owner.keep = keep;
    owner.permitLater = permitLater;
    QVERIFY(port.Open());

    QByteArray sent(35000, Qt::Uninitialized);
    for (int i = 0; i < sent.size(); ++i)
        sent[i] = char(i % 251);
    pty.Send(sent);
    QTRY_COMPARE(owner.taken.size(), sent.size() - keep);
    QVERIFY(owner.taken == sent.left(sent.size() - keep));
    QVERIFY2(owner.notifications >= 4, "35000 bytes cannot fit fewer than four areas");
    QVERIFY(owner.largestCount <= RxBuffer::kSize);
    QVERIFY(!owner.notifiedWhileHeld);
    QCOMPARE(port.DroppedByteCount(), qint64(0));
}

void tst_SerialPort::fullAreaNeverStalls()
{
    PtyPair pty;
    QVERIFY(pty.IsValid());
    CSerialPort port;
    port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
    Owner owner(port);
    owner.scan = true;
    QVERIFY(port.Open());

    // Noise without a start byte is never consumed: the area fills up.
    pty.Send(QByteArray(RxBuffer::kSize + 3000, 'x') + ReadingFrame("-500"));
    QTRY_COMPARE(owner.events.size(), size_t(1));
    QCOMPARE(owner.events[0].reading, -500L);
    QVERIFY(port.DroppedByteCount() > 0);
}

void tst_SerialPort::writeCommandFrame_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CMD_RETEST_PLUS") << int(Frame::CMD_RETEST_PLUS) << "\x02\x01\x03\x00\x03"_ba;
    QTest::newRow("CMD_RETEST_MINUS") << int(Frame::CMD_RETEST_MINUS) << "\x02\x01\x04\x07\x03"_ba;
    QTest::newRow("CMD_ZERO") << int(Frame::CMD_ZERO) << "\x02\x01\x02\x01\x03"_ba;
}

void tst_SerialPort::writeCommandFrame()
{
    QFETCH(int, type);
    QFETCH(QByteArray, bytes);
    PtyPair pty;
    QVERIFY(pty.IsValid());
    CSerialPort port;
    QCOMPARE(port.Write(BuildCommandFrame(type)), -1); // not running yet
    port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
    QVERIFY(port.Open());
    QVERIFY(!port.Open()); // already running: refused, and the channel carries on

    QCOMPARE(port.Write(BuildCommandFrame(type)), 5);
    QTRY_COMPARE(pty.Received(), bytes);
    QCOMPARE(port.Write(BuildCommandFrame(type)), 5);
    QTRY_COMPARE(pty.Received(), bytes + bytes);
}

void tst_SerialPort::openFails_data()
{
    QTest::addColumn<bool>("busy");
    QTest::newRow("missing device") << false;
    QTest::newRow("device open elsewhere") << true;
}

void tst_SerialPort::openFails()
{
    QFETCH(bool, busy);
    PtyPair pty;
    QVERIFY(pty.IsValid());
    QSerialPort other(busy ? pty.SlavePath() : QString());
    if (busy)
        QVERIFY(other.open(QIODevice::ReadWrite));

    const int before = OpenDescriptorCount();
    CSerialPort port;
    port.Configure(busy ? pty.SlavePath() : u"/dev/velmora-no-such-port"_s, 9600, 8, 0, 1);
    QVERIFY(!port.Open());
    QVERIFY(!port.IsRunning());
    QCOMPARE(port.Write(BuildCommandFrame(Frame::CMD_ZERO)), -1);
    QCOMPARE(OpenDescriptorCount(), before);
}

void tst_SerialPort::closeWhenNotRunning()
{
    PtyPair pty;
    QVERIFY(pty.IsValid());
    CSerialPort port;
    port.Close(); // never opened
    port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
    Owner owner(port);
    owner.scan = true;
    QVERIFY(port.Open());
    port.Close();
    port.Close(); // already closed
    QVERIFY(!port.IsRunning());
    QCOMPARE(port.Write(BuildCommandFrame(Frame::CMD_ZERO)), -1);

    // Neither Close left anything behind: the channel opens again and works.
    QVERIFY(port.Open());
    pty.Send(ReadingFrame("42"));
    QTRY_COMPARE(owner.events.size(), size_t(1));
    QCOMPARE(owner.events[0].reading, 42L);
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
    PtyPair pty;
    QVERIFY(pty.IsValid());
    auto port = std::make_unique<CSerialPort>();
    port->Configure(pty.SlavePath(), 9600, 8, 0, 1);
    Owner owner(*port);
    owner.grant = state != u"held"_s;
    QSignalSpy lost(port.get(), &CSerialPort::linkLost);
    QVERIFY(lost.isValid());
    QVERIFY(port->Open());

    if (state == u"held"_s) {
        pty.Send(QByteArray(100, 'a'));
        QTRY_COMPARE(owner.notifications, 1);
        pty.Send(QByteArray(100, 'b')); // waits behind the withheld permission
        QTRY_VERIFY(pty.AllSent());
    } else if (state == u"flood"_s) {
        pty.Send(QByteArray(1 << 20, 'f'));
        QTRY_VERIFY(owner.notifications > 2);
    } else if (state == u"unplugged"_s) {
        pty.CloseMaster();
        QTRY_COMPARE(lost.size(), 1);
    }

    QElapsedTimer timer;
    timer.start();
    port.reset(); // the owner's destructor closes the channel
    QVERIFY2(timer.elapsed() < 1000, qPrintable(u"Close took %1 ms"_s.arg(timer.elapsed())));
}

void tst_SerialPort::unplug()
{
    PtyPair pty;
    QVERIFY(pty.IsValid());
    CSerialPort port;
    port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
    Owner owner(port);
    owner.scan = true;
    QSignalSpy lost(&port, &CSerialPort::linkLost);
    QVERIFY(lost.isValid());
    QVERIFY(port.Open());
    pty.Send(ReadingFrame("1"));
    QTRY_COMPARE(owner.events.size(), size_t(1));

    pty.CloseMaster();
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(port.Write(BuildCommandFrame(Frame::CMD_ZERO)), -1);
    QVERIFY(port.IsRunning()); // stopped receiving, but only Close ends the channel
    port.Close();
    QVERIFY(!port.IsRunning());
    QCOMPARE(lost.size(), 1);
}

QTEST_GUILESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"
