#include "ResourceImages.h"

#include <QSet>
#include <QTest>

class TestResourceImages : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void digitColours();
};

namespace {

QSet<QRgb> Colours(const QImage &image)
{
    QSet<QRgb> colours;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            colours.insert(rgb.pixel(x, y));
        }
    }
    return colours;
}

} // namespace

void TestResourceImages::sizes_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");
    for (int i = 0; i < ResourceId::DigitImageCount; ++i) {
        QTest::addRow("digit image %d", ResourceId::FirstDigitImage + i)
            << ResourceId::FirstDigitImage + i << QSize(13, 23);
    }
    QTest::newRow("lamp lit 149") << ResourceId::LampLit << QSize(14, 14);
    QTest::newRow("lamp half lit 150") << ResourceId::LampHalfLit << QSize(14, 14);
    QTest::newRow("lamp dark 151") << ResourceId::LampDark << QSize(14, 14);
    QTest::newRow("help 152") << ResourceId::HelpImage << QSize(24, 23);
    QTest::newRow("icon 128") << ResourceId::MainIcon << QSize(32, 32);
}

void TestResourceImages::sizes()
{
    QFETCH(int, id);
    QFETCH(QSize, size);
    QCOMPARE(LoadResourceImage(id).size(), size);
}

void TestResourceImages::digitColours()
{
    const QSet<QRgb> allowed { qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(128, 0, 0) };
    for (int i = 0; i < ResourceId::DigitImageCount; ++i) {
        const QSet<QRgb> colours = Colours(LoadResourceImage(ResourceId::FirstDigitImage + i));
        QVERIFY2(allowed.contains(colours), qPrintable(QString::number(i)));
        // Every image but the blank one lights something; all but "8" show unlit segments.
        QCOMPARE(colours.contains(qRgb(255, 0, 0)), i != 10);
        QCOMPARE(colours.contains(qRgb(128, 0, 0)), i != 8);
    }
    const QSet<QRgb> help = Colours(LoadResourceImage(ResourceId::HelpImage));
    QCOMPARE(help, (QSet<QRgb> { qRgb(0, 0, 0), qRgb(0, 0, 128), qRgb(192, 192, 192) }));
    for (int lamp : { ResourceId::LampLit, ResourceId::LampHalfLit, ResourceId::LampDark }) {
        const QImage image = LoadResourceImage(lamp).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.pixel(0, 0), qRgb(192, 192, 192));
        QCOMPARE(image.pixel(13, 13), qRgb(192, 192, 192));
    }
}

QTEST_GUILESS_MAIN(TestResourceImages)
#include "tst_resourceimages.moc"
