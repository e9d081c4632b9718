#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "core/link/CSerialPort.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"
#include "core/link/LinkMonitor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <utility>
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
    void reconnect_data();
    void reconnect();
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

void tst_LinkMonitor::reconnect_data()
{
    QTest::addColumn<QString>("change"); // what happens to the line after three frames
    QTest::newRow("the line fails, the device stays: opened again") << u"line"_s;
    QTest::newRow("another terminal under the old one's number") << u"number"_s;
    QTest::newRow("the settings name another terminal now") << u"settings"_s;
}

// The channel holds half a frame when the line goes. It opens again only the device it opened,
// once, on time; another device at the port is named, never opened, until the port is chosen
// again.
void tst_LinkMonitor::reconnect()
{
    QFETCH(QString, change);
    constexpr int kIntervalMs = 400;
    constexpr int kMarginMs = 300; // below the interval that a later attempt would add
    QTemporaryDir dir;
    auto pty = std::make_unique<PtyPair>();
    QString mapped = pty->SlavePath(); // what the settings name for COM1
    CSerialPort port;
    port.SetPortLookup([&](const QString &key) { return key == u"COM1"_s ? mapped : QString(); });
    port.Configure(u"COM1"_s, 9600, 8, 0, 1);
    port.SetReconnectInterval(kIntervalMs);
    LinkMonitor monitor;
    monitor.watch(port);
    QSignalSpy changes(&monitor, &LinkMonitor::changed);
    std::vector<long> readings;
    connect(&port, &CSerialPort::serialData, &port, [&](CSerialPort *from, RxBuffer *rx) {
        ScanHeldBytes(*rx, [&](const FrameEvent &event) {
            readings.push_back(event.reading);
            monitor.noteFrame(event);
        });
        from->SetReadPermission();
    });
    QVERIFY(port.Open());
    QElapsedTimer sinceLoss;
    qint64 reopenedAfter = -1;
    connect(&port, &CSerialPort::linkLost, this, [&] { sinceLoss.start(); });
    connect(&port, &CSerialPort::opened, this,
            [&] { reopenedAfter = sinceLoss.isValid() ? sinceLoss.elapsed() : -1; });
    pty->Send(ReadingFrame(1) + ReadingFrame(2) + ReadingFrame(3) + ReadingFrame(4).left(5));
    QTRY_COMPARE(readings, (std::vector<long> { 1, 2, 3 }));

    std::vector<std::unique_ptr<PtyPair>> others; // terminals that took other numbers
    if (change == u"line") {
        pty->FailLine();
        QTRY_VERIFY(reopenedAfter >= 0);
        QVERIFY2(reopenedAfter >= kIntervalMs && reopenedAfter < kIntervalMs + kMarginMs,
                 qPrintable(QString::number(reopenedAfter)));
    } else {
        const QString old = pty->SlavePath();
        pty.reset();
        if (change == u"settings")
            mapped = dir.filePath(u"ttyOTHER"_s); // nothing there yet
        // Another program may take the old number at once: only the settings' name stays free.
        QTRY_VERIFY(change == u"settings" ? monitor.state() == State::Reconnecting
                                          : !monitor.isLive());
        pty = std::make_unique<PtyPair>();
        while (change == u"number" && pty->SlavePath() != old && others.size() < 64)
            others.push_back(std::exchange(pty, std::make_unique<PtyPair>()));
        if (change == u"number" && pty->SlavePath() != old)
            QSKIP("Another program holds the old terminal's number");
        if (change == u"settings")
            QVERIFY(QFile::link(pty->SlavePath(), mapped));
        QTRY_COMPARE(monitor.state(), State::OtherDevice);
        QCOMPARE(monitor.stateTone(), LinkMonitor::Tone::Fault);
        QVERIFY2(monitor.detailText().startsWith(mapped + u'：'), qPrintable(monitor.detailText()));
    }
    // Settled: no attempt after the reopening, and the same other device is no news.
    const qsizetype settled = changes.size();
    QTest::qWait(kIntervalMs * 5 / 2);
    QCOMPARE(changes.size(), settled);
    if (change != u"line") {
        QVERIFY(!pty->IsOpenAtFarEnd());
        QVERIFY(port.AcceptNewDevice());
    }
    QCOMPARE(monitor.state(), State::Connected);
    pty->Send(ReadingFrame(5) + ReadingFrame(6));
    QTRY_COMPARE(readings, (std::vector<long> { 1, 2, 3, 5, 6 }));
    QCOMPARE(port.Write(BuildCommandFrame(Frame::CMD_ZERO)), 5);
    QTRY_COMPARE(pty->Received(), "\x02\x01\x02\x01\x03"_ba);
}

QTEST_GUILESS_MAIN(tst_LinkMonitor)
#include "tst_linkmonitor.moc"
