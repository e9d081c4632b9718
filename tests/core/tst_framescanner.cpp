#include "link/FrameScanner.h"

#include <QTest>

using namespace Qt::StringLiterals;

#include <climits>
#include <vector>

namespace {

// Appends a batch behind the held bytes, as the receive thread does.
void Receive(RxBuffer &buffer, const QByteArray &bytes)
{
    QVERIFY(buffer.nStart + buffer.nCount + bytes.size() <= RxBuffer::kSize);
    std::copy(bytes.begin(), bytes.end(), buffer.data.begin() + buffer.nStart + buffer.nCount);
    buffer.nCount += static_cast<int>(bytes.size());
}

QByteArray MakeFrame(quint8 type, const QByteArray &payload)
{
    QByteArray frame;
    frame.append(char(0x02)).append(char(payload.size() + 1)).append(char(type)).append(payload);
    char check = 0;
    for (const char c : frame)
        check ^= c;
    return frame.append(check).append(char(0x03));
}

QByteArray Reading(const QByteArray &text)
{
    return MakeFrame(1, text);
}

// Each event as one comparable word: "R:<r>:<text>", "A:<text>", "Z:<text>", "S".
QStringList Scan(RxBuffer &buffer)
{
    QStringList seen;
    ScanHeldBytes(buffer, [&seen](const FrameEvent &event) {
        switch (event.kind) {
        case FrameEvent::Kind::Reading:
            seen << QStringLiteral("R:%1:%2").arg(event.reading).arg(event.DisplayText());
            break;
        case FrameEvent::Kind::ZeroReading:
            seen << QStringLiteral("A:") + event.DisplayText();
            break;
        case FrameEvent::Kind::Zero:
            seen << QStringLiteral("Z:") + event.DisplayText();
            break;
        case FrameEvent::Kind::Status:
            seen << QStringLiteral("S");
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
    void corruptedBookkeeping();
};

void tst_FrameScanner::readingText_data()
{
    QTest::addColumn<qlonglong>("r");
    QTest::addColumn<QString>("text");
    QTest::newRow("12.345") << 12345LL << u"+12.345"_s;
    QTest::newRow("-0.005") << -5LL << u"-00.005"_s;
    QTest::newRow("zero") << 0LL << u"+00.000"_s;
    QTest::newRow("99.999") << 99999LL << u"+99.999"_s;
    QTest::newRow("123.456 drops the last digit") << 123456LL << u"+123.45"_s;
    QTest::newRow("-100.000") << -100000LL << u"-100.00"_s;
    QTest::newRow("1234.567 keeps its integer digits") << 1234567LL << u"+1234.5"_s;
    QTest::newRow("-99999.999") << -99999999LL << u"-99999."_s;
    QTest::newRow("100000 degrees over range") << 100000000LL << u"+--.---"_s;
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

    const QByteArray r12345 = QByteArray::fromHex("0207012b31323334351e03");
    QTest::newRow("12.345 frame") << r12345 << QStringList { u"R:12345:+12.345"_s } << QByteArray();
    QTest::newRow("built frame equals the example")
        << Reading("+12345") << QStringList { u"R:12345:+12.345"_s } << QByteArray();
    QTest::newRow("two frames in order")
        << Reading("+150000") + r12345
        << QStringList { u"R:150000:+150.00"_s, u"R:12345:+12.345"_s } << QByteArray();
    QTest::newRow("wrong check byte consumed silently")
        << QByteArray::fromHex("0207012b31323334351f03") << QStringList() << QByteArray();
    QTest::newRow("wrong end byte consumed silently")
        << QByteArray::fromHex("0207012b31323334351e04") << QStringList() << QByteArray();
    QTest::newRow("noise before a frame goes with it")
        << QByteArray("xx\x03") + r12345 << QStringList { u"R:12345:+12.345"_s } << QByteArray();
    // A stray start byte takes the frame's own start byte for its length and swallows the
    // frame's first bytes as an invalid candidate.
    QTest::newRow("stray start byte swallows the next frame")
        << QByteArray("\x02") + r12345 << QStringList() << r12345.sliced(5);
    QTest::newRow("noise alone stays held")
        << QByteArray("abc\x02zz") << QStringList() << QByteArray("abc\x02zz");
    QTest::newRow("incomplete frame after a complete one stays held")
        << r12345 + r12345.first(5) << QStringList { u"R:12345:+12.345"_s } << r12345.first(5);
    QTest::newRow("A reading") << Reading("A123") << QStringList { u"A: 00.000"_s } << QByteArray();
    QTest::newRow("zero frame") << MakeFrame(2, {}) << QStringList { u"Z: 00.000"_s }
                                << QByteArray();
    QTest::newRow("status frame") << QByteArray::fromHex("0201070403") << QStringList { u"S"_s }
                                  << QByteArray();
    QTest::newRow("unknown type ignored") << MakeFrame(5, "x") << QStringList() << QByteArray();
    QTest::newRow("leading blanks and minus")
        << Reading(" \t-5") << QStringList { u"R:-5:-00.005"_s } << QByteArray();
    QTest::newRow("number ends at a non-digit")
        << Reading("+12a45") << QStringList { u"R:12:+00.012"_s } << QByteArray();
    QTest::newRow("19-character text accepted")
        << Reading("0000000000000012345") << QStringList { u"R:12345:+12.345"_s } << QByteArray();
    QTest::newRow("20-character text ignored")
        << Reading("00000000000000012345") << QStringList() << QByteArray();
    QTest::newRow("empty reading text ignored") << Reading({}) << QStringList() << QByteArray();
    QTest::newRow("text without a number ignored")
        << Reading("+x1") << QStringList() << QByteArray();
    QTest::newRow("length 0 is no frame")
        << QByteArray::fromHex("0200020300") << QStringList() << QByteArray::fromHex("00");
    QTest::newRow("too many digits saturate")
        << Reading("9999999999999999999") << QStringList { u"R:%1:+--.---"_s.arg(LONG_MAX) }
        << QByteArray();
    QTest::newRow("four bytes are never a candidate")
        << QByteArray::fromHex("02010704") << QStringList() << QByteArray::fromHex("02010704");
}

void tst_FrameScanner::batch()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, events);
    QFETCH(QByteArray, held);
    RxBuffer buffer;
    Receive(buffer, bytes);
    QCOMPARE(Scan(buffer), events);
    QCOMPARE(Held(buffer), held);
    if (held.isEmpty())
        QCOMPARE(buffer.nStart, 0);
}

void tst_FrameScanner::splitOverTwoBatches()
{
    const QByteArray frame = QByteArray::fromHex("0207012b31323334351e03");
    RxBuffer buffer;
    Receive(buffer, frame.first(3));
    QCOMPARE(Scan(buffer), QStringList());
    QCOMPARE(Held(buffer), frame.first(3));
    Receive(buffer, frame.sliced(3));
    QCOMPARE(Scan(buffer), QStringList { u"R:12345:+12.345"_s });
    QCOMPARE(buffer.nCount, 0);
    QCOMPARE(Scan(buffer), QStringList());
}

void tst_FrameScanner::corruptedBookkeeping()
{
    RxBuffer buffer;
    buffer.nStart = RxBuffer::kSize - 2;
    buffer.nCount = 50;
    buffer.data.fill(0x02);
    Scan(buffer);
    QVERIFY(buffer.nStart >= 0 && buffer.nCount >= 0);
    QVERIFY(buffer.nStart + buffer.nCount <= RxBuffer::kSize);
}

QTEST_GUILESS_MAIN(tst_FrameScanner)
#include "tst_framescanner.moc"
