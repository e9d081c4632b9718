#include "ControlTestSupport.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/controls/ResourceImages.h"

using namespace Qt::StringLiterals;

class TestLedDigitDisplay : public QObject
{
    Q_OBJECT

private slots:
    void picture_data();
    void picture();
    void setDisplayTextRepaints();
};

void TestLedDigitDisplay::picture_data()
{
    QTest::addColumn<QColor>("earlierColor");
    QTest::addColumn<QColor>("ledColor");
    QTest::addColumn<int>("digitCount");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("cells");

    // Cells: 0 to 9 the digits, 10 blank, 11 ".", 12 ":", 13 "-", 14 "+".
    QTest::newRow("red, text longer than the cells shows its first characters")
        << QColor() << QColor(255, 0, 0) << 7 << u"8-1. +:5"_s
        << QList<int> { 8, 13, 1, 11, 10, 14, 12 };
    QTest::newRow("green, letters and non-ASCII blank, short text filled with blanks")
        << QColor() << QColor(0, 255, 0) << 5 << u"E5é"_s << QList<int> { 10, 5, 10, 10, 10 };
    QTest::newRow("red again after green")
        << QColor(0, 255, 0) << QColor(255, 0, 0) << 3 << u"-0:"_s << QList<int> { 13, 0, 12 };
    QTest::newRow("no cells asked for gives one")
        << QColor() << QColor(0, 0, 255) << 0 << u"80"_s << QList<int> { 8 };
}

void TestLedDigitDisplay::picture()
{
    QFETCH(QColor, earlierColor);
    QFETCH(QColor, ledColor);
    QFETCH(int, digitCount);
    QFETCH(QString, text);
    QFETCH(QList<int>, cells);

    // Cells twice as wide as the 13 x 23 images, with the most pixels left over right of the
    // last cell that a division by the cell count can leave.
    const int count = int(cells.size());
    CLedDigitDisplay display;
    display.resize(26 * count + count - 1, 23);
    display.SetDigitCount(digitCount);
    const QColor red(255, 0, 0);
    if (earlierColor.isValid()) {
        QCOMPARE(display.SetLedColor(earlierColor), red);
    }
    QCOMPARE(display.SetLedColor(ledColor), earlierColor.isValid() ? earlierColor : red);
    display.SetDisplayText(text);
    const QImage picture = Snapshot(display);

    int lit = 0;
    for (int x = 0; x < picture.width(); ++x) {
        const int cell = x / 26;
        const QImage image = LoadResourceImage(ResourceId::FirstDigitImage + cells.value(cell, 10))
                                 .convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < 23; ++y) {
            // Only lit segments take the LED colour; unlit (128, 0, 0) and black stay, and the
            // strip right of the last cell is black.
            const QRgb original = cell < count ? image.pixel(x % 26 / 2, y) : qRgb(0, 0, 0);
            lit += original == red.rgb() ? 1 : 0;
            QCOMPARE(picture.pixel(x, y), original == red.rgb() ? ledColor.rgb() : original);
        }
    }
    QVERIFY(lit > 0);
}

void TestLedDigitDisplay::setDisplayTextRepaints()
{
    PaintCounting<CLedDigitDisplay> display;
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QTRY_VERIFY(display.m_paints > 0);
    const int before = display.m_paints;
    display.SetDisplayText(u"+12.345"_s);
    QTRY_VERIFY(display.m_paints > before);
}

QTEST_MAIN(TestLedDigitDisplay)
#include "tst_leddigitdisplay.moc"
