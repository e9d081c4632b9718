#include "link/FrameScanner.h"

#include <QTest>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

QByteArray Reading(const QByteArray &text, quint8 type = 1)
{
    QByteArray frame = QByteArray("\x02") + char(text.size() + 1) + char(type) + text;
    char check = 0;
    for (const char c : frame)
        check ^= c;
    return frame + check + '\x03';
}

// Appends a batch behind the held bytes, as the receive thread does, and scans it. Each event
// becomes one word: "R:<r>:<text>", "A:<text>", "Z:<text>" or "S".
QStringList ReceiveAndScan(RxBuffer &buffer, const QByteArray &bytes)
{
    std::copy(bytes.begin(), bytes.end(), buffer.data.begin() + buffer.nStart + buffer.nCount);
    buffer.nCount += static_cast<int>(bytes.size());
    QStringList seen;
    ScanHeldBytes(buffer, [&seen](const FrameEvent &event) {
        const QString text = event.DisplayText();
        switch (event.kind) {
        case FrameEvent::Kind::Reading:
            seen << u"R:%1:%2"_s.arg(event.reading).arg(text);
            break;
        case FrameEvent::Kind::ZeroReading:
            seen << u"A:"_s + text;
            break;
        case FrameEvent::Kind::Zero:
            seen << u"Z:"_s + text;
            break;
        case FrameEvent::Kind::Status:
            seen << u"S"_s;
            break;
        }
    });
    return seen;
}

QByteArray Held(const RxBuffer &buffer)
{
    return QByteArray(reinterpret_cast<const char *>(buffer.data.data()) + buffer.nStart,
                      buffer.nCount);
}

const QByteArray kFrame12345 = QByteArray::fromHex("0207012b31323334351e03");

} // namespace

class tst_FrameScanner : public QObject
{
    Q_OBJECT

private slots:
    void readingText_data();
    void readingText();
    void batch_data();
    void batch();
    void splitOverTwoBatches();
};

void tst_FrameScanner::readingText_data()
{
    QTest::addColumn<qlonglong>("r");
    QTest::addColumn<QString>("text");
    QTest::newRow("12.345") << 12345LL << u"+12.345"_s;
    QTest::newRow("-0.005") << -5LL << u"-00.005"_s;
    QTest::newRow("zero") << 0LL << u"+00.000"_s;
    QTest::newRow("99.999") << 99999LL << u"+99.999"_s;
    QTest::newRow("123.456 drops a digit") << 123456LL << u"+123.45"_s;
    QTest::newRow("-100.000") << -100000LL << u"-100.00"_s;
    QTest::newRow("1234.567") << 1234567LL << u"+1234.5"_s;
    QTest::newRow("100000 degrees") << 100000000LL << u"+--.---"_s;
    QTest::newRow("most negative") << qlonglong(LONG_MIN) << u"---.---"_s;
}

void tst_FrameScanner::readingText()
{
    QFETCH(qlonglong, r);
    QFETCH(QString, text);
    QCOMPARE(FormatReadingText(static_cast<long>(r)), text);
}

void tst_FrameScanner::batch_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QByteArray>("held");
    const QStringList r12345 { u"R:12345:+12.345"_s };

    QTest::newRow("12.345 frame") << kFrame12345 << r12345 << QByteArray();
    QTest::newRow("two frames in order")
        << Reading("+150000") + kFrame12345 << QStringList { u"R:150000:+150.00"_s, r12345[0] }
        << QByteArray();
    QTest::newRow("wrong check byte")
        << QByteArray::fromHex("0207012b31323334351f03") << QStringList() << QByteArray();
    QTest::newRow("noise goes with the next frame")
        << "xx\x03" + kFrame12345 << r12345 << QByteArray();
    // A stray start byte takes the frame's start byte for a length and swallows its head.
    QTest::newRow("stray start byte")
        << "\x02" + kFrame12345 << QStringList() << kFrame12345.sliced(5);
    QTest::newRow("incomplete frame stays held")
        << kFrame12345 + kFrame12345.first(5) << r12345 << kFrame12345.first(5);
    QTest::newRow("four bytes are no candidate")
        << QByteArray::fromHex("02010704") << QStringList() << QByteArray::fromHex("02010704");
    QTest::newRow("A reading") << Reading("A1") << QStringList { u"A: 00.000"_s } << QByteArray();
    QTest::newRow("zero frame") << Reading({}, 2) << QStringList { u"Z: 00.000"_s } << QByteArray();
    QTest::newRow("status frame") << QByteArray::fromHex("0201070403") << QStringList { u"S"_s }
                                  << QByteArray();
    QTest::newRow("unknown type") << Reading("x", 5) << QStringList() << QByteArray();
    QTest::newRow("number ends at a letter")
        << Reading(" \t-12a4") << QStringList { u"R:-12:-00.012"_s } << QByteArray();
    QTest::newRow("19 characters") << Reading("0000000000000012345") << r12345 << QByteArray();
    QTest::newRow("20 characters ignored")
        << Reading("00000000000000012345") << QStringList() << QByteArray();
    QTest::newRow("L = 1 reading ignored") << Reading({}) << QStringList() << QByteArray();
    QTest::newRow("no number ignored") << Reading("+x1") << QStringList() << QByteArray();
    QTest::newRow("L = 0 is no frame")
        << QByteArray::fromHex("0200020300") << QStringList() << QByteArray::fromHex("00");
    QTest::newRow("digits saturate")
        << Reading("9999999999999999999") << QStringList { u"R:%1:+--.---"_s.arg(LONG_MAX) }
        << QByteArray();
}

void tst_FrameScanner::batch()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, events);
    QFETCH(QByteArray, held);
    RxBuffer buffer;
    QCOMPARE(ReceiveAndScan(buffer, bytes), events);
    QCOMPARE(Held(buffer), held);
    if (held.isEmpty())
        QCOMPARE(buffer.nStart, 0);
}

void tst_FrameScanner::splitOverTwoBatches()
{
    RxBuffer buffer;
    QCOMPARE(ReceiveAndScan(buffer, kFrame12345.first(3)), QStringList());
    QCOMPARE(Held(buffer), kFrame12345.first(3));
    QCOMPARE(ReceiveAndScan(buffer, kFrame12345.sliced(3)), QStringList { u"R:12345:+12.345"_s });
    QCOMPARE(buffer.nCount, 0);
}

QTEST_GUILESS_MAIN(tst_FrameScanner)
#include "tst_framescanner.moc"
