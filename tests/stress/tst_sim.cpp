#include "SimFrames.h"
#include "SimOptions.h"
#include "core/link/CSerialPort.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <vector>

using namespace Qt::StringLiterals;

class tst_Sim : public QObject
{
    Q_OBJECT

private slots:
    void framesFollowTheFormat_data();
    void framesFollowTheFormat();
    void commandReader_data();
    void commandReader();
    void options_data();
    void options();
    void playsTheInstrumentThroughTheChannel();
};

void tst_Sim::framesFollowTheFormat_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("reading +12345")
        << SimFrames::MakeReadingFrame(12345) << "\x02\x07\x01+12345\x1e\x03"_ba;
    QTest::newRow("reading -5, zero-padded")
        << SimFrames::MakeReadingFrame(-5) << "\x02\x07\x01-00005\x1c\x03"_ba;
    QTest::newRow("A reading") << BuildFrame(Frame::FRAME_READING, "A")
                               << "\x02\x02\x01\x41\x40\x03"_ba;
    QTest::newRow("zero frame") << BuildFrame(Frame::FRAME_ZERO) << "\x02\x01\x02\x01\x03"_ba;
    QTest::newRow("status frame") << BuildFrame(Frame::FRAME_STATUS) << "\x02\x01\x07\x04\x03"_ba;
}

void tst_Sim::framesFollowTheFormat()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame, expected);
    const auto valid = [](const QByteArray &bytes) {
        const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
        return IsFrameValid(std::span(data, size_t(bytes.size())), bytes[1]);
    };
    QVERIFY(valid(frame));
    QVERIFY(!valid(SimFrames::WithBadCheck(frame)));
    QVERIFY(!valid(SimFrames::WithBadEnd(frame)));
}

void tst_Sim::commandReader_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("zero command") << QByteArrayList { "\x02\x01\x02\x01\x03"_ba }
                                  << QStringList { u"CMD_ZERO: 02 01 02 01 03"_s };
    QTest::newRow("retest split over two reads")
        << QByteArrayList { "\x02\x01"_ba, "\x04\x07\x03"_ba }
        << QStringList { u"CMD_RETEST_MINUS: 02 01 04 07 03"_s };
    QTest::newRow("stray bytes, then a bad check byte")
        << QByteArrayList { "ab\x02\x01\x03\x05\x03"_ba }
        << QStringList { u"stray bytes: 61 62"_s,
                         u"bad frame (check byte 05, expected 00): 02 01 03 05 03"_s };
    QTest::newRow("wrong end byte") << QByteArrayList { "\x02\x01\x03\x00\x09"_ba }
                                    << QStringList { u"bad frame (end byte 09): 02 01 03 00 09"_s };
    QTest::newRow("incomplete at the end")
        << QByteArrayList { "\x02\x05\x01"_ba } << QStringList { u"incomplete frame: 02 05 01"_s };
}

void tst_Sim::commandReader()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QStringList, lines);
    SimFrames::CommandReader reader;
    QStringList got;
    SimFrames::CommandReader::Item item;
    for (const QByteArray &chunk : chunks) {
        reader.Append(chunk);
        while (reader.Next(item))
            got << item.text;
    }
    while (reader.Flush(item))
        got << item.text;
    QCOMPARE(got, lines);
}

void tst_Sim::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::newRow("defaults") << QStringList {} << true;
    QTest::newRow("sequence with every kind")
        << QStringList { u"--sequence=12345,-500,A,z,S"_s } << true;
    QTest::newRow("faults with periods")
        << QStringList { u"--fault=split:3"_s, u"--fault=burst"_s, u"--rate=0"_s } << true;
    QTest::newRow("unknown fault") << QStringList { u"--fault=smoke"_s } << false;
    QTest::newRow("fault period zero") << QStringList { u"--fault=split:0"_s } << false;
    QTest::newRow("bad sequence item") << QStringList { u"--sequence=12,x"_s } << false;
    QTest::newRow("negative rate") << QStringList { u"--rate=-1"_s } << false;
    QTest::newRow("stray argument") << QStringList { u"COM1"_s } << false;
}

void tst_Sim::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    QString error;
    QString text;
    const auto options = ParseSimOptions(QStringList { u"velmora-sim"_s } + arguments, error, text);
    QCOMPARE(options.has_value(), valid);
    QCOMPARE(error.isEmpty(), valid);
}

void tst_Sim::playsTheInstrumentThroughTheChannel()
{
    QProcess sim;
    sim.start(QStringLiteral(VELMORA_SIM_PATH), { u"--script"_s, u"--value=2500"_s, u"--quiet"_s });
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY(sim.canReadLine());
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY(device.startsWith(u"/dev/"_s));

    CSerialPort port;
    port.Configure(device, 9600, 8, 0, 1);
    std::vector<FrameEvent> events;
    int notifications = 0;
    int received = 0; // bytes
    int held = 0;
    connect(&port, &CSerialPort::serialData, this, [&](CSerialPort *from, RxBuffer *rx) {
        ++notifications;
        received += rx->nCount - held;
        ScanHeldBytes(*rx, [&](const FrameEvent &e) { events.push_back(e); });
        held = rx->nCount;
        from->SetReadPermission();
    });
    QSignalSpy lost(&port, &CSerialPort::linkLost);
    QVERIFY(lost.isValid());
    QVERIFY(port.Open());

    port.Write(BuildCommandFrame(Frame::CMD_ZERO));
    QTRY_COMPARE(events.size(), size_t(1));
    QCOMPARE(events[0].kind, FrameEvent::Kind::Zero);
    port.Write(BuildCommandFrame(Frame::CMD_RETEST_PLUS));
    QTRY_COMPARE(events.size(), size_t(2));
    QCOMPARE(events[1].reading, 2500L);

    const int before = notifications;
    sim.write("split -700\n");
    QTRY_COMPARE(events.size(), size_t(3));
    QCOMPARE(events[2].reading, -700L);
    QVERIFY(notifications >= before + 2);

    const int beforeFaults = received;
    sim.write("bad-check 11\nbad-end 12\ngarbage 40\nS\nburst 12000\n");
    // 12000 bytes of 11-byte readings: 1091 frames, every one decoded after the status frame.
    // The spoiled frames and the garbage arrive whole and show nothing.
    QTRY_COMPARE(events.size(), size_t(3 + 1 + 1091));
    QCOMPARE(events[3].kind, FrameEvent::Kind::Status);
    QCOMPARE(received - beforeFaults, 11 + 11 + 40 + 5 + 1091 * 11);

    sim.write("unplug\n");
    QTRY_COMPARE(lost.size(), 1);
    QTRY_COMPARE(sim.state(), QProcess::NotRunning);
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    const QString log = QString::fromLocal8Bit(sim.readAll());
    QVERIFY2(log.contains(u"received CMD_ZERO: 02 01 02 01 03"_s), qPrintable(log));
    QVERIFY2(log.contains(u"received CMD_RETEST_PLUS: 02 01 03 00 03"_s), qPrintable(log));
    QVERIFY(log.contains(u"unplugged"_s));
}

QTEST_GUILESS_MAIN(tst_Sim)
#include "tst_sim.moc"
