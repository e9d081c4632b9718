// Floods and faults from the simulated instrument (velmora-sim) on a pseudo-terminal, received by
// the serial channel and scanned as the main window's decoder scans: every valid frame is decoded
// exactly once and in order, every spoiled one is dropped, nothing hangs. What the instrument sent
// comes from its own log ("sent reading +00012: ...", "sent burst of 1091 readings ...",
// "... with a bad check byte: ..."), so the expected frames are known independently of the scan.
#include "core/link/CSerialPort.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The value the instrument sends in its bursts and as its answer to a retest.
constexpr long kValue = 99999;

QString Describe(const FrameEvent &e)
{
    return e.kind == FrameEvent::Kind::Reading ? u"R%1"_s.arg(e.reading)
                                               : QString(QLatin1Char("RAZS"[int(e.kind)]));
}

// velmora-sim in a child process; its log tells what a correct decoder must decode.
class Instrument
{
public:
    Instrument()
    {
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] {
            while (process.canReadLine())
                Parse(QString::fromLatin1(process.readLine()).trimmed());
        });
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

    // Starts it and returns its terminal's device path; empty on failure.
    QString Start(const QStringList &arguments)
    {
        process.start(QStringLiteral(VELMORA_SIM_PATH),
                      QStringList { u"--value=%1"_s.arg(kValue) } + arguments);
        while (m_device.isEmpty() && process.waitForReadyRead(10000)) { }
        return m_device;
    }

    // Every planned frame is on the line ("done" may come before a split frame's second half).
    bool Done() const { return m_planned >= 0 && m_items >= m_planned; }

    QProcess process;
    QStringList expected; // as Describe() gives them
    QStringList received; // what the instrument read from the line
    qint64 spoiled = 0;
    bool unplugged = false;

private:
    void Parse(const QString &line)
    {
        static const QRegularExpression done(u"^done: (\\d+) frames sent"_s);
        static const QRegularExpression reading(u"^sent reading ([+-]\\d+)"_s);
        static const QRegularExpression burst(u"^sent burst of (\\d+) readings"_s);
        if (m_device.isEmpty())
            m_device = line;
        else if (const auto m = done.match(line); m.hasMatch())
            m_planned = m.captured(1).toLongLong();
        else if (line == u"unplugged"_s)
            unplugged = true;
        else if (line.startsWith(u"received "_s))
            received << line.mid(9);
        if (!line.startsWith(u"sent "_s) || line.startsWith(u"sent garbage"_s))
            return;
        ++m_items;
        if (const auto m = burst.match(line); m.hasMatch()) {
            for (int i = m.captured(1).toInt(); i > 0; --i)
                expected << u"R%1"_s.arg(kValue);
        } else if (line.contains(u" with a bad "_s)) {
            ++spoiled;
        } else if (const auto m = reading.match(line); m.hasMatch()) {
            expected << u"R%1"_s.arg(m.captured(1).toLong());
        } else if (line.startsWith(u"sent A reading"_s)) {
            expected << u"A"_s;
        } else if (line.startsWith(u"sent zero frame"_s)) {
            expected << u"Z"_s;
        } else if (line.startsWith(u"sent status frame"_s)) {
            expected << u"S"_s;
        }
    }

    QString m_device;
    qint64 m_planned = -1;
    qint64 m_items = 0;
};

// The channel's owner, as the main window is: scans each burst and gives the permission back.
struct Receiver
{
    Receiver()
    {
        QObject::connect(
            &port, &CSerialPort::serialData, &port, [this](CSerialPort *from, RxBuffer *rx) {
                areaBroken |=
                    rx->nStart < 0 || rx->nCount <= 0 || rx->nStart + rx->nCount > RxBuffer::kSize;
                ScanHeldBytes(*rx, [this](const FrameEvent &e) { decoded << Describe(e); });
                from->SetReadPermission();
            });
    }

    CSerialPort port;
    QStringList decoded;
    bool areaBroken = false;
};

// Readings 1..n with an "A" reading, a zero and a status frame among them.
QString Sequence(int n)
{
    QStringList items;
    for (int i = 1; i <= n; ++i) {
        items << QString::number(i);
        if (i % 97 == 0)
            items << u"A"_s << u"Z"_s << u"S"_s;
    }
    return u"--sequence="_s + items.join(u',');
}

} // namespace

class tst_Flood : public QObject
{
    Q_OBJECT

private slots:
    void streamWithFaults_data();
    void streamWithFaults();
    void commandsUnplugAndReplug();
};

void tst_Flood::streamWithFaults_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QStringList faults { u"--fault=bad-check:7"_s, u"--fault=bad-end:11"_s,
                               u"--fault=split:5"_s, u"--fault=garbage:3"_s };
    const QStringList flatOut { Sequence(1000), u"--repeat"_s, u"--count=6000"_s, u"--rate=0"_s,
                                u"--split-gap=1"_s };
    // 87 frames per second: 9600 baud, 8N1, 11-byte reading frames.
    QTest::newRow("line rate, every fault and oversized bursts") << QStringList {
        Sequence(180), u"--rate=87"_s, u"--fault=burst:40"_s, u"--burst-size=25000"_s
    } + faults;
    QTest::newRow("flat out, oversized bursts among faults")
        << flatOut + faults + QStringList { u"--fault=burst:500"_s, u"--burst-size=12000"_s };
    // Garbage without a start byte is never consumed: the area fills and its oldest bytes go.
    QTest::newRow("flat out, long garbage runs that fill the area")
        << flatOut + QStringList { u"--fault=garbage:400"_s, u"--garbage-size=15000"_s };
}

void tst_Flood::streamWithFaults()
{
    QFETCH(QStringList, arguments);
    Instrument instrument;
    const QString device = instrument.Start(arguments);
    QVERIFY(!device.isEmpty());
    Receiver receiver;
    receiver.port.Configure(device, 9600, 8, 0, 1);
    QVERIFY(receiver.port.Open());

    QTRY_VERIFY_WITH_TIMEOUT(instrument.Done(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.decoded.size(), instrument.expected.size(), 10000);
    QCOMPARE(receiver.decoded, instrument.expected);
    QVERIFY(instrument.expected.size() > 1000);
    QVERIFY(!receiver.areaBroken);
    QCOMPARE(instrument.spoiled > 0, arguments.contains(u"--fault=bad-check:7"_s));

    // Nothing more may turn up after the last frame: no frame is decoded twice.
    receiver.port.Close();
    QTRY_COMPARE(instrument.process.state(), QProcess::NotRunning);
    QCOMPARE(receiver.decoded.size(), instrument.expected.size());
    // Only noise that no frame could consume may be dropped from a full area, never a frame.
    QCOMPARE(receiver.port.DroppedByteCount() > 0, arguments.contains(u"--garbage-size=15000"_s));
}

void tst_Flood::commandsUnplugAndReplug()
{
    // The device keeps its name across the replug, as a USB adapter plugged into the same
    // socket does: both instruments publish their terminal under one link.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(u"ttyVELMORA"_s);
    Receiver receiver;
    QSignalSpy lost(&receiver.port, &CSerialPort::linkLost);
    QVERIFY(lost.isValid());
    receiver.port.Configure(link, 9600, 8, 0, 1);

    // First instrument: answers the commands, sends half a frame, then goes away.
    Instrument first;
    QVERIFY(!first.Start({ u"--script"_s, u"--link="_s + link }).isEmpty());
    QVERIFY(receiver.port.Open());
    receiver.port.Write(BuildCommandFrame(Frame::CMD_ZERO));
    QTRY_COMPARE(receiver.decoded, QStringList { u"Z"_s });
    receiver.port.Write(BuildCommandFrame(Frame::CMD_RETEST_PLUS));
    QTRY_COMPARE(receiver.decoded, (QStringList { u"Z"_s, u"R%1"_s.arg(kValue) }));
    QCOMPARE(first.received,
             (QStringList { u"CMD_ZERO: 02 01 02 01 03"_s, u"CMD_RETEST_PLUS: 02 01 03 00 03"_s }));
    // Bytes still in the terminal when it goes away are lost with it, as on a real line; what
    // the channel already holds, half a frame here, must not outlive the link.
    first.process.write("raw 02 07 01 2B 30 30\nunplug\n");
    QTRY_VERIFY(first.unplugged);
    QTRY_COMPARE(lost.size(), 1);
    QTRY_COMPARE(first.process.state(), QProcess::NotRunning);
    QCOMPARE(first.process.exitCode(), 0);
    QCOMPARE(receiver.port.Write(BuildCommandFrame(Frame::CMD_ZERO)), -1);
    receiver.port.Close();

    // Second instrument on the same name: the half frame held from before must not swallow or
    // spoil the new frames.
    receiver.decoded.clear();
    Instrument second;
    QVERIFY(!second.Start({ u"--link="_s + link, Sequence(500), u"--rate=0"_s }).isEmpty());
    QVERIFY(receiver.port.Open());
    QTRY_VERIFY(second.Done());
    QTRY_COMPARE(receiver.decoded, second.expected);
    QCOMPARE(lost.size(), 1);
    receiver.port.Close();
    QTRY_COMPARE(second.process.state(), QProcess::NotRunning);
}

QTEST_GUILESS_MAIN(tst_Flood)
#include "tst_flood.moc"
