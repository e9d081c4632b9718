#include "link/Frame.h"

#include <QTest>

#include <vector>

class tst_Frame : public QObject
{
    Q_OBJECT

private slots:
    void commandFrames_data();
    void commandFrames();
    void validity_data();
    void validity();
};

void tst_Frame::commandFrames_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("retest plus") << 3 << QByteArray::fromHex("0201030003");
    QTest::newRow("retest minus") << 4 << QByteArray::fromHex("0201040703");
    QTest::newRow("zero") << 2 << QByteArray::fromHex("0201020103");
}

void tst_Frame::commandFrames()
{
    QFETCH(int, type);
    QFETCH(QByteArray, bytes);
    const auto frame = BuildCommandFrame(static_cast<std::uint8_t>(type));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(frame.data()), frame.size()), bytes);
    QVERIFY(IsFrameValid(frame, 1));
}

void tst_Frame::validity_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("reading +12345") << QByteArray::fromHex("0207012b31323334351e03") << true;
    QTest::newRow("wrong check") << QByteArray::fromHex("0207012b31323334351f03") << false;
    QTest::newRow("wrong end") << QByteArray::fromHex("0207012b31323334351e04") << false;
    QTest::newRow("status") << QByteArray::fromHex("0201070403") << true;
}

void tst_Frame::validity()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    QCOMPARE(IsFrameValid(data, data[1]), valid);
}

QTEST_GUILESS_MAIN(tst_Frame)
#include "tst_frame.moc"
