#include "ControlTestSupport.h"
#include "ResourceImages.h"
#include "controls/LedDigitDisplay.h"

using namespace Qt::StringLiterals;

namespace {

constexpr QRgb kLit = qRgb(255, 0, 0);
constexpr QRgb kUnlit = qRgb(128, 0, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Counts a display repaints, to see when a change reaches the screen.
class CountingDisplay : public CLedDigitDisplay
{
public:
    using CLedDigitDisplay::CLedDigitDisplay;
    int m_paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++m_paints;
        CLedDigitDisplay::paintEvent(event);
    }
};

QImage DigitImage(int index)
{
    return LoadResourceImage(ResourceId::FirstDigitImage + index)
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestLedDigitDisplay : public QObject
{
    Q_OBJECT

private slots:
    void cellImages_data();
    void cellImages();
    void cellRects();
    void setLedColorReturnsPrevious();
    void recolouredPixels_data();
    void recolouredPixels();
    void stripRightOfLastCellIsBlack();
    void longTextShowsOnlyItsFirstCells();
    void digitCountAtLeastOne();
    void setDisplayTextRepaints();
};

void TestLedDigitDisplay::cellImages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digitCount");
    QTest::addColumn<QList<int>>("cells");
    QTest::newRow("initial text") << u" 00.000"_s << 7 << QList<int> { 10, 0, 0, 11, 0, 0, 0 };
    QTest::newRow("four characters fill up with blanks")
        << u"+1.5"_s << 7 << QList<int> { 14, 1, 11, 5, 10, 10, 10 };
    QTest::newRow("empty text") << QString() << 3 << QList<int> { 10, 10, 10 };
    QTest::newRow("longer than the cells") << u"-100.005"_s << 5 << QList<int> { 13, 1, 0, 0, 11 };
    QTest::newRow("letters and symbols")
        << u"Err 1:2"_s << 7 << QList<int> { 10, 10, 10, 10, 1, 12, 2 };
}

void TestLedDigitDisplay::cellImages()
{
    QFETCH(QString, text);
    QFETCH(int, digitCount);
    QFETCH(QList<int>, cells);
    QCOMPARE(DigitCellImages(text, digitCount), cells);
}

void TestLedDigitDisplay::cellRects()
{
    // 200 pixels over 7 cells: 28 each, the last 4 pixels in no cell.
    QCOMPARE(DigitCellRect(QSize(200, 62), 7, 0), QRect(0, 0, 28, 62));
    QCOMPARE(DigitCellRect(QSize(200, 62), 7, 6), QRect(168, 0, 28, 62));
    QCOMPARE(DigitCellRect(QSize(5, 10), 7, 3), QRect(0, 0, 0, 10));
}

void TestLedDigitDisplay::setLedColorReturnsPrevious()
{
    CLedDigitDisplay display;
    QCOMPARE(display.LedColor(), QColor(255, 0, 0));
    QCOMPARE(display.SetLedColor(QColor(255, 0, 0)), QColor(255, 0, 0));
    QCOMPARE(display.SetLedColor(QColor(0, 255, 0)), QColor(255, 0, 0));
    QCOMPARE(display.SetLedColor(QColor(0, 0, 255)), QColor(0, 255, 0));
    QCOMPARE(display.LedColor(), QColor(0, 0, 255));
}

void TestLedDigitDisplay::recolouredPixels_data()
{
    QTest::addColumn<QColor>("earlierColor");
    QTest::addColumn<QColor>("ledColor");
    QTest::newRow("default red") << QColor() << QColor(255, 0, 0);
    QTest::newRow("green") << QColor() << QColor(0, 255, 0);
    QTest::newRow("green, then back to red") << QColor(0, 255, 0) << QColor(255, 0, 0);
    QTest::newRow("blue after green") << QColor(0, 255, 0) << QColor(0, 0, 255);
    QTest::newRow("dark red like the unlit segments") << QColor() << QColor(128, 0, 0);
}

void TestLedDigitDisplay::recolouredPixels()
{
    QFETCH(QColor, earlierColor);
    QFETCH(QColor, ledColor);
    // At one pixel per image pixel every cell shows its image unscaled.
    CLedDigitDisplay display;
    display.resize(7 * 13, 23);
    display.SetDigitCount(7);
    if (earlierColor.isValid()) {
        display.SetLedColor(earlierColor);
    }
    display.SetLedColor(ledColor);
    display.SetDisplayText(u"8-1. +:"_s);
    const QImage picture = Snapshot(display);

    const QList<int> cells = DigitCellImages(display.DisplayText(), 7);
    int litPixels = 0;
    int unlitPixels = 0;
    for (int p = 0; p < cells.size(); ++p) {
        const QImage source = DigitImage(cells[p]);
        QCOMPARE(source.size(), QSize(13, 23));
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 13; ++x) {
                const QRgb shown = picture.pixel(p * 13 + x, y);
                const QRgb original = source.pixel(x, y);
                if (original == kLit) {
                    ++litPixels;
                    QCOMPARE(shown, ledColor.rgb());
                } else {
                    unlitPixels += original == kUnlit ? 1 : 0;
                    QCOMPARE(shown, original);
                }
            }
        }
    }
    QVERIFY(litPixels > 50);
    QVERIFY(unlitPixels > 50);
}

void TestLedDigitDisplay::stripRightOfLastCellIsBlack()
{
    CLedDigitDisplay display;
    // 41 pixels over 3 cells: 13 each, 2 left over.
    display.resize(3 * 13 + 2, 23);
    display.SetDigitCount(3);
    display.SetDisplayText(u"888"_s);
    const QImage picture = Snapshot(display);
    for (int x = 3 * 13; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            QCOMPARE(picture.pixel(x, y), kBlack);
        }
    }
    QCOMPARE(picture.pixel(2 * 13 + 5, 1), kLit);
}

void TestLedDigitDisplay::longTextShowsOnlyItsFirstCells()
{
    CLedDigitDisplay shortDisplay;
    CLedDigitDisplay longDisplay;
    for (CLedDigitDisplay *display : { &shortDisplay, &longDisplay }) {
        display->resize(200, 62);
        display->SetDigitCount(7);
    }
    shortDisplay.SetDisplayText(u"-123.45"_s);
    longDisplay.SetDisplayText(u"-123.456789"_s);
    QCOMPARE(Snapshot(longDisplay), Snapshot(shortDisplay));

    longDisplay.SetDisplayText(u"-123.46"_s);
    QVERIFY(Snapshot(longDisplay) != Snapshot(shortDisplay));
}

void TestLedDigitDisplay::digitCountAtLeastOne()
{
    CLedDigitDisplay display;
    display.resize(26, 23);
    display.SetDigitCount(0);
    QCOMPARE(display.DigitCount(), 1);
    display.SetDigitCount(-5);
    QCOMPARE(display.DigitCount(), 1);
    display.SetDisplayText(u"8"_s);
    const QImage picture = Snapshot(display);
    // One cell over the whole width: the image of "8" stretched twice as wide.
    QCOMPARE(picture.pixel(2 * 5, 1), kLit);
}

void TestLedDigitDisplay::setDisplayTextRepaints()
{
    CountingDisplay display;
    display.resize(100, 30);
    QVERIFY(ShowActive(display));
    QTRY_VERIFY(display.m_paints > 0);
    const int before = display.m_paints;
    display.SetDisplayText(u"+12.345"_s);
    QTRY_VERIFY(display.m_paints > before);
}

QTEST_MAIN(TestLedDigitDisplay)
#include "tst_leddigitdisplay.moc"
