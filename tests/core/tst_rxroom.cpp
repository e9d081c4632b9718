#include "core/link/RxRoom.h"

#include <QTest>

#include <numeric>

class tst_RxRoom : public QObject
{
    Q_OBJECT

private slots:
    void makeRoom_data();
    void makeRoom();
};

void tst_RxRoom::makeRoom_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newCount");
    QTest::addColumn<int>("dropped");

    constexpr int kSize = RxBuffer::kSize;
    constexpr int kKeep = kLongestFrame - 1;
    QTest::newRow("nothing held: read starts at the front") << 700 << 0 << 50 << 0 << 0 << 0;
    QTest::newRow("room behind the held bytes: untouched") << 100 << 20 << 50 << 100 << 20 << 0;
    QTest::newRow("tail too small for what waits: move to the front")
        << 9000 << 500 << 600 << 0 << 500 << 0;
    QTest::newRow("held from the front to the end: the oldest go")
        << 0 << kSize << 1 << 0 << kKeep << kSize - kKeep;
    QTest::newRow("start beyond the area: emptied") << kSize << 5 << 1 << 0 << 0 << 5;
    QTest::newRow("negative count: emptied") << 10 << -3 << 1 << 0 << 0 << 0;
}

void tst_RxRoom::makeRoom()
{
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, wanted);
    QFETCH(int, newStart);
    QFETCH(int, newCount);
    QFETCH(int, dropped);

    RxBuffer rx;
    std::iota(rx.data.begin(), rx.data.end(), std::uint8_t(0));
    const RxBuffer before = rx;
    rx.nStart = start;
    rx.nCount = count;

    QCOMPARE(MakeRxRoom(rx, wanted), dropped);
    QCOMPARE(rx.nStart, newStart);
    QCOMPARE(rx.nCount, newCount);
    QVERIFY(RxFreeRoom(rx) > 0);
    // The held bytes that remain are the newest ones, in arrival order.
    if (newCount > 0) {
        const auto *oldTail = before.data.data() + start + count - newCount;
        QVERIFY(std::equal(oldTail, oldTail + newCount, rx.data.data() + rx.nStart));
    }
}

QTEST_GUILESS_MAIN(tst_RxRoom)
#include "tst_rxroom.moc"
