#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "core/link/CSerialPort.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"
#include "core/link/LinkMonitor.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <vector>

using namespace Qt::StringLiterals;
using State = LinkMonitor::State;

class tst_LinkMonitor : public QObject
{
    Q_OBJECT

private slots:
    void stability_data();
    void stability();
    void silenceAndStability();
    void unplugAndReplug_data();
    void unplugAndReplug();
};

void tst_LinkMonitor::stability_data()
{
    QTest::addColumn<QString>("readings"); // "ms:degrees ..."
    QTest::addColumn<qint64>("stableFrom"); // tolerance 0.002 degrees, window 3000 ms

    QTest::newRow("one reading: after a whole window") << u"0:12.345"_s << qint64(3000);
    QTest::newRow("repeats keep the moment") << u"0:1 1000:1 2900:1"_s << qint64(3000);
    QTest::newRow("within the tolerance, its edge included")
        << u"0:12.345 500:12.346 1000:12.344"_s << qint64(3000);
    QTest::newRow("a jump starts the window again")
        << u"0:1 1000:1.01 1500:1.011"_s << qint64(4000);
    QTest::newRow("back near an older value, the jump still counts")
        << u"0:1 1000:1.01 2000:1.001"_s << qint64(5000);
    QTest::newRow("a jump long gone is forgotten") << u"0:5 4000:1 8000:1.001"_s << qint64(7000);
}

void tst_LinkMonitor::stability()
{
    QFETCH(QString, readings);
    QFETCH(qint64, stableFrom);
    ReadingStability stability(0.002, 3000);
    for (const QString &reading : readings.split(u' '))
        stability.add(reading.section(u':', 0, 0).toLongLong(),
                      reading.section(u':', 1).toDouble());
    QCOMPARE(stability.stableFrom(), stableFrom);
    QVERIFY(!stability.isStable(stableFrom - 1));
    QVERIFY(stability.isStable(stableFrom));
    stability.clear();
    QVERIFY(!stability.isStable(stableFrom));
}

// No frame after the first: the reading turns stable and the link silent on their own timers,
// each on time, and once silent nothing further happens.
void tst_LinkMonitor::silenceAndStability()
{
    constexpr int kSilentMs = 1500;
    // The frame comes 300 ms into the silence timer's period: re-armed in full instead of for
    // the rest of it, the timer would show the silence 1200 ms late.
    constexpr int kMarginMs = 400;
    LinkMonitor monitor({ 0.002, 1, kSilentMs });
    QStringList heard; // what a window repainting on changed() shows
    std::map<QString, qint64> ages; // the reading's age when each first showed
    connect(&monitor, &LinkMonitor::changed, this, [&] {
        heard << monitor.stateText() + u'|' + monitor.stabilityText();
        ages.try_emplace(heard.last(), monitor.readingAgeMs());
    });
    monitor.onOpened(u"/dev/ttyUSB0"_s);
    QTest::qWait(300);
    monitor.noteFrame({ FrameEvent::Kind::Reading, 12345, {} });
    QTRY_COMPARE_WITH_TIMEOUT(heard.last(), u"无数据|"_s, 2 * kSilentMs);
    const qsizetype settled = heard.size();
    QTest::qWait(kSilentMs + 100);
    QCOMPARE(heard.size(), settled);
    heard.removeDuplicates();
    QCOMPARE(
        heard,
        QStringList({ u"已连接|"_s, u"已连接|读数未稳定"_s, u"已连接|读数稳定"_s, u"无数据|"_s }));
    const qint64 stable = ages[u"已连接|读数稳定"_s];
    const qint64 silent = ages[u"无数据|"_s];
    QVERIFY2(stable >= 1000 && stable < 1000 + kMarginMs, qPrintable(QString::number(stable)));
    QVERIFY2(silent >= kSilentMs && silent < kSilentMs + kMarginMs,
             qPrintable(QString::number(silent)));
    QVERIFY(monitor.isLive()); // a quiet instrument is still this one

    monitor.noteFrame({ FrameEvent::Kind::Status, 0, {} });
    QCOMPARE(monitor.state(), State::Connected);
    QVERIFY(!monitor.isStable()); // the reading before the silence proves nothing
}

void tst_LinkMonitor::unplugAndReplug_data()
{
    QTest::addColumn<QByteArray>("held"); // bytes the channel holds when the line goes
    QTest::newRow("idle line") << QByteArray();
    QTest::newRow("half a frame held") << ReadingFrame(4).left(5);
}

// Unplug: the instrument's side of the terminal closes. Replug: a new terminal behind the same
// link, as a USB adapter that comes back under the same name.
void tst_LinkMonitor::unplugAndReplug()
{
    QFETCH(QByteArray, held);
    QTemporaryDir dir;
    const QString link = dir.filePath(u"ttyVELMORA"_s);
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(pty->SlavePath(), link));

    CSerialPort port;
    port.Configure(link, 9600, 8, 0, 1);
    port.SetReconnectInterval(200);
    LinkMonitor monitor;
    monitor.watch(port);
    std::vector<long> readings;
    int bursts = 0;
    connect(&port, &CSerialPort::serialData, &port, [&](CSerialPort *from, RxBuffer *rx) {
        ++bursts;
        ScanHeldBytes(*rx, [&](const FrameEvent &event) {
            readings.push_back(event.reading);
            monitor.noteFrame(event);
        });
        from->SetReadPermission();
    });

    QVERIFY(port.Open());
    QCOMPARE(monitor.state(), State::Connected);
    QCOMPARE(monitor.detailText(), link);
    pty->Send(ReadingFrame(1) + ReadingFrame(2) + ReadingFrame(3) + held);
    QTRY_COMPARE(bursts, 1);
    QTRY_COMPARE(readings, (std::vector<long> { 1, 2, 3 }));

    pty.reset();
    QFile::remove(link); // as the device's name goes with it; the number may be reused at once
    QTRY_COMPARE_WITH_TIMEOUT(monitor.state(), State::Lost, 1000);
    QVERIFY(!monitor.isLive());
    QVERIFY(!monitor.confirmRefusal().isEmpty());
    QCOMPARE(port.Write(BuildCommandFrame(Frame::CMD_ZERO)), -1);
    QTRY_COMPARE(monitor.state(), State::Reconnecting);
    QCOMPARE(monitor.stateTone(), LinkMonitor::Tone::Fault);

    pty = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(pty->SlavePath(), link));
    QTRY_COMPARE_WITH_TIMEOUT(monitor.state(), State::Connected, 2000);
    pty->Send(ReadingFrame(5) + ReadingFrame(6));
    QTRY_COMPARE(readings, (std::vector<long> { 1, 2, 3, 5, 6 }));
    QCOMPARE(port.Write(BuildCommandFrame(Frame::CMD_ZERO)), 5);
    QTRY_COMPARE(pty->Received(), "\x02\x01\x02\x01\x03"_ba);
}

QTEST_GUILESS_MAIN(tst_LinkMonitor)
#include "tst_linkmonitor.moc"
