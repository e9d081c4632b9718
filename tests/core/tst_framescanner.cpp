#include "InstrumentFrames.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"
#include "core/link/RxRoom.h"

#include <QTest>

#include <climits>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kFrame12345 = QByteArray::fromHex("0207012b31323334351e03");

} // namespace

class tst_FrameScanner : public QObject
{
    Q_OBJECT

private slots:
    void readingText_data();
    void readingText();
    void scan_data();
    void scan();
    void brokenBookkeeping_data();
    void brokenBookkeeping();
};

void tst_FrameScanner::readingText_data()
{
    QTest::addColumn<qlonglong>("r");
    QTest::addColumn<QString>("text");
    QTest::newRow("12.345") << 12345LL << u"+12.345"_s;
    QTest::newRow("-0.005") << -5LL << u"-00.005"_s;
    QTest::newRow("zero") << 0LL << u"+00.000"_s;
    QTest::newRow("123.456 drops a digit") << 123456LL << u"+123.45"_s;
    QTest::newRow("1234.567") << 1234567LL << u"+1234.5"_s;
    QTest::newRow("12345.678: the point closes the text") << 12345678LL << u"+12345."_s;
    QTest::newRow("100000 degrees") << 100000000LL << u"+--.---"_s;
    QTest::newRow("most negative") << qlonglong(LONG_MIN) << u"---.---"_s;
}

void tst_FrameScanner::readingText()
{
    QFETCH(qlonglong, r);
    QFETCH(QString, text);
    QCOMPARE(FormatReadingText(static_cast<long>(r)), text);
}

void tst_FrameScanner::scan_data()
{
    // Each batch is appended behind the held bytes, after the room-keeping, and scanned, as the
    // receive thread and the decoder do. Events read "R:<r>:<text>", "A:0:<text>", "Z:0:<text>" or
    // "S".
    QTest::addColumn<QByteArrayList>("batches");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QByteArray>("held");
    const QStringList r12345 { u"R:12345:+12.345"_s };
    const auto row = [](const char *name, const QByteArray &bytes) -> QTestData & {
        return QTest::newRow(name) << QByteArrayList { bytes };
    };

    // How bytes split into frames across batches is the fuzz corpus's part; these pin meanings.
    row("12.345 frame", kFrame12345) << r12345 << QByteArray();
    QTest::newRow("split over two batches decodes once")
        << QByteArrayList { kFrame12345.first(3), kFrame12345.sliced(3) } << r12345 << QByteArray();
    row("wrong check byte consumed", QByteArray::fromHex("0207012b31323334351f03") + kFrame12345)
        << r12345 << QByteArray();
    row("wrong end byte consumed", QByteArray::fromHex("0207012b31323334351e04"))
        << QStringList() << QByteArray();
    // A stray start byte takes the frame's start byte for a length and swallows its head.
    row("stray start byte", "\x02" + kFrame12345) << QStringList() << kFrame12345.sliced(5);
    row("long length byte waits, a later frame is found", "\x02\xff" + kFrame12345)
        << r12345 << QByteArray();
    row("A reading", ReadingFrame("A1")) << QStringList { u"A:0: 00.000"_s } << QByteArray();
    row("zero frame", BuildFrame(Frame::FRAME_ZERO))
        << QStringList { u"Z:0: 00.000"_s } << QByteArray();
    row("status frame", QByteArray::fromHex("0201070403"))
        << QStringList { u"S"_s } << QByteArray();
    // All but the last byte of the longest frame fill the end of the area: they must stay.
    const QByteArray longest = BuildFrame(9, QByteArray(254, 'x'));
    QTest::newRow("full area keeps a frame that may complete")
        << QByteArrayList { QByteArray(RxBuffer::kSize - 258, 'n') + longest.first(258),
                            longest.last(1) }
        << QStringList() << QByteArray();
    row("19 characters", ReadingFrame("0000000000000012345")) << r12345 << QByteArray();
    row("20 characters ignored", ReadingFrame("00000000000000012345"))
        << QStringList() << QByteArray();
    row("C blanks and a sign before the digits, anything after them", ReadingFrame(" \t-12345x"))
        << QStringList { u"R:-12345:-12.345"_s } << QByteArray();
    row("a sign without digits is no reading", ReadingFrame("-x")) << QStringList() << QByteArray();
    row("digits saturate", ReadingFrame("9999999999999999999"))
        << QStringList { u"R:%1:+--.---"_s.arg(LONG_MAX) } << QByteArray();
    row("unknown type", BuildFrame(5, "x")) << QStringList() << QByteArray();
    row("L = 0 is no frame", QByteArray::fromHex("0200020300"))
        << QStringList() << QByteArray::fromHex("00");
}

void tst_FrameScanner::scan()
{
    QFETCH(QByteArrayList, batches);
    QFETCH(QStringList, events);
    QFETCH(QByteArray, held);
    RxBuffer buffer;
    QStringList seen;
    for (const QByteArray &bytes : batches) {
        MakeRxRoom(buffer, bytes.size());
        std::copy(bytes.begin(), bytes.end(), buffer.data.begin() + buffer.nStart + buffer.nCount);
        buffer.nCount += int(bytes.size());
        ScanHeldBytes(buffer, [&seen](const FrameEvent &event) {
            const char kind = "RAZS"[int(event.kind)];
            seen << (kind == 'S' ? u"S"_s
                                 : u"%1:%2:%3"_s.arg(QLatin1Char(kind))
                                       .arg(event.reading)
                                       .arg(event.displayText()));
        });
    }
    QCOMPARE(seen, events);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer.data.data()) + buffer.nStart,
                        buffer.nCount),
             held);
}

void tst_FrameScanner::brokenBookkeeping_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::newRow("start beyond the area") << RxBuffer::kSize << 5;
    QTest::newRow("negative start") << -1 << 5;
    QTest::newRow("negative count") << 10 << -3;
    QTest::newRow("count beyond the area") << 10 << RxBuffer::kSize;
}

// Start and count come from the other side of the read permission: neither the room-keeping
// nor the scan may read or write outside the area on their word.
void tst_FrameScanner::brokenBookkeeping()
{
    QFETCH(int, start);
    QFETCH(int, count);
    auto rx = std::make_unique<RxBuffer>();
    rx->nStart = start;
    rx->nCount = count;
    ScanHeldBytes(*rx, [](const FrameEvent &) {});
    QVERIFY(rx->nStart >= 0 && rx->nCount >= 0 && rx->nStart + rx->nCount <= RxBuffer::kSize);
    rx->nStart = start;
    rx->nCount = count;
    MakeRxRoom(*rx, 1);
    QCOMPARE(rx->nStart, 0);
    QCOMPARE(rx->nCount, 0);
}

QTEST_GUILESS_MAIN(tst_FrameScanner)
#include "tst_framescanner.moc"
