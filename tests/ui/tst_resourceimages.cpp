#include "ui/controls/ResourceImages.h"

#include <QPixmap>
#include <QTest>

class TestResourceImages : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
    void bitmapIds();
    void lampsGetBrighter();
};

void TestResourceImages::lookup_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");
    // The only colours the image may hold; recolouring relies on the digits' lit segments
    // being exactly (255, 0, 0) and their unlit ones (128, 0, 0).
    QTest::addColumn<QList<QRgb>>("colours");

    const QList<QRgb> digit { qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(128, 0, 0) };
    for (int id = 131; id <= 145; ++id) {
        QTest::addRow("digit image %d", id) << id << QSize(13, 23) << digit;
    }
    QTest::newRow("lamp lit 149") << 149 << QSize(14, 14) << QList<QRgb>();
    QTest::newRow("lamp half lit 150") << 150 << QSize(14, 14) << QList<QRgb>();
    QTest::newRow("lamp dark 151") << 151 << QSize(14, 14) << QList<QRgb>();
    QTest::newRow("help 152: black arrow, navy question mark on grey")
        << 152 << QSize(24, 23)
        << QList<QRgb> { qRgb(0, 0, 0), qRgb(0, 0, 128), qRgb(192, 192, 192) };
    QTest::newRow("icon 128") << 128 << QSize(32, 32) << QList<QRgb>();
    for (int id : { 0, 130, 146, 153 }) {
        QTest::addRow("%d names no image", id) << id << QSize() << QList<QRgb>();
    }
}

void TestResourceImages::lookup()
{
    QFETCH(int, id);
    QFETCH(QSize, size);
    QFETCH(QList<QRgb>, colours);
    const QImage image = LoadResourceImage(id).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.isNull() ? QSize() : image.size(), size);
    for (int y = 0; y < image.height() && !colours.isEmpty(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QVERIFY(colours.contains(image.pixel(x, y)));
        }
    }
}

void TestResourceImages::bitmapIds()
{
    // The controls take the low 16 bits as the resource number; 0 asks for no image, which
    // fails only where an image is required.
    QCOMPARE(QImage(BitmapPathForId(0x10000 + 151)), LoadResourceImage(151));
    QPixmap pixmap;
    QVERIFY(LoadBitmap(pixmap, BitmapPathForId(0), false));
    QVERIFY(!LoadBitmap(pixmap, BitmapPathForId(0), true));
    QVERIFY(LoadBitmap(pixmap, BitmapPathForId(152), true));
    QVERIFY(!LoadBitmap(pixmap, BitmapPathForId(999), false));
}

void TestResourceImages::lampsGetBrighter()
{
    const auto centre = [](int id) {
        return QColor(LoadResourceImage(id).pixel(7, 7)).value();
    };
    QVERIFY(centre(151) < centre(150)); // dark, half lit
    QVERIFY(centre(150) < centre(149)); // half lit, lit
}

QTEST_MAIN(TestResourceImages)
#include "tst_resourceimages.moc"
