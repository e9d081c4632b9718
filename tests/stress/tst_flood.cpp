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
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The value the instrument sends in its bursts.
constexpr long kValue = 99999;

// velmora-sim in a child process; its log tells what a correct decoder must decode.
struct Instrument
{
    Instrument()
    {
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] {
            while (process.canReadLine())
                Parse(QString::fromLatin1(process.readLine()).trimmed());
        });
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

    QProcess process;
    QStringList expected; // "R<reading>", "A", "Z" or "S"
    qint64 spoiled = 0;

    void Parse(const QString &line)
    {
        static const QRegularExpression done(u"^done: (\\d+) frames sent"_s);
        static const QRegularExpression reading(u"^sent reading ([+-]\\d+)"_s);
        static const QRegularExpression burst(u"^sent burst of (\\d+) readings"_s);
        if (device.isEmpty())
            device = line;
        else if (const auto m = done.match(line); m.hasMatch())
            planned = m.captured(1).toLongLong();
        if (!line.startsWith(u"sent "_s) || line.startsWith(u"sent garbage"_s))
            return;
        ++items;
        if (const auto m = burst.match(line); m.hasMatch()) {
            for (int i = m.captured(1).toInt(); i > 0; --i)
                expected << u"R%1"_s.arg(kValue);
        } else if (line.contains(u" with a bad "_s)) {
            ++spoiled;
        } else if (const auto m = reading.match(line); m.hasMatch()) {
            expected << u"R%1"_s.arg(m.captured(1).toLong());
        } else {
            for (const auto &[head, kind] :
                 { std::pair(u"sent A reading"_s, u"A"_s), std::pair(u"sent zero frame"_s, u"Z"_s),
                   std::pair(u"sent status frame"_s, u"S"_s) })
                if (line.startsWith(head))
                    expected << kind;
        }
    }

    QString device; // the first line
    qint64 planned = -1; // items, once the instrument is done
    qint64 items = 0;
};

} // namespace

class tst_Flood : public QObject
{
    Q_OBJECT

private slots:
    void streamWithFaults_data();
    void streamWithFaults();
};

void tst_Flood::streamWithFaults_data()
{
    QTest::addColumn<QStringList>("arguments");
    // Readings 1..n with an "A" reading, a zero and a status frame among them.
    const auto sequence = [](int n) -> QString {
        QStringList items;
        for (int i = 1; i <= n; ++i)
            items << QString::number(i)
                  << (i % 97 ? QStringList() : QStringList { u"A"_s, u"Z"_s, u"S"_s });
        return u"--sequence="_s + items.join(u',');
    };
    const QStringList faults { u"--fault=bad-check:7"_s, u"--fault=bad-end:11"_s,
                               u"--fault=split:5"_s, u"--fault=garbage:3"_s };
    const QStringList flatOut { sequence(1000), u"--repeat"_s, u"--count=6000"_s, u"--rate=0"_s,
                                u"--split-gap=1"_s };
    // 87 frames per second: 9600 baud, 8N1, 11-byte reading frames.
    QTest::newRow("line rate, every fault and oversized bursts") << QStringList {
        sequence(180), u"--rate=87"_s, u"--fault=burst:40"_s, u"--burst-size=25000"_s
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
    instrument.process.start(QStringLiteral(VELMORA_SIM_PATH),
                             QStringList { u"--value=%1"_s.arg(kValue) } + arguments);
    QTRY_VERIFY_WITH_TIMEOUT(!instrument.device.isEmpty(), 10000); // its first line
    // The channel's owner, as the main window is: scans each burst and gives the permission back.
    CSerialPort port;
    QStringList decoded;
    bool areaBroken = false;
    connect(&port, &CSerialPort::serialData, &port, [&](CSerialPort *from, RxBuffer *rx) {
        areaBroken |=
            rx->nStart < 0 || rx->nCount <= 0 || rx->nStart + rx->nCount > RxBuffer::kSize;
        ScanHeldBytes(*rx, [&](const FrameEvent &e) {
            decoded << (e.kind == FrameEvent::Kind::Reading
                            ? u"R%1"_s.arg(e.reading)
                            : QString(QLatin1Char("RAZS"[int(e.kind)])));
        });
        from->SetReadPermission();
    });
    port.Configure(instrument.device, 9600, 8, 0, 1);
    QVERIFY(port.Open());

    QTRY_VERIFY_WITH_TIMEOUT(instrument.planned >= 0 && instrument.items >= instrument.planned,
                             30000);
    QTRY_COMPARE_WITH_TIMEOUT(decoded.size(), instrument.expected.size(), 10000);
    QCOMPARE(decoded, instrument.expected);
    QVERIFY(instrument.expected.size() > 1000);
    QVERIFY(!areaBroken);
    QCOMPARE(instrument.spoiled > 0, arguments.contains(u"--fault=bad-check:7"_s));

    // Nothing more may turn up after the last frame: no frame is decoded twice.
    port.Close();
    QTRY_COMPARE(instrument.process.state(), QProcess::NotRunning);
    QCOMPARE(decoded.size(), instrument.expected.size());
    // Only noise that no frame could consume may be dropped from a full area, never a frame.
    QCOMPARE(port.DroppedByteCount() > 0, arguments.contains(u"--garbage-size=15000"_s));
}

QTEST_GUILESS_MAIN(tst_Flood)
#include "tst_flood.moc"
