#include "ControlTestSupport.h"
#include "ui/controls/StyledLabel.h"

using namespace Qt::StringLiterals;

class TestStyledLabel : public QObject
{
    Q_OBJECT

private slots:
    void pointSizeToPixelHeight_data();
    void pointSizeToPixelHeight();
    void fontBuiltOneAttributeAtATime();
    void plainTextInItsColourOnATransparentGround();
};

void TestStyledLabel::pointSizeToPixelHeight_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("9 pt at 96 dpi") << 9 << 96 << 12;
    QTest::newRow("9 pt at 120 dpi") << 9 << 120 << 15;
    QTest::newRow("10 pt at 96 dpi rounds down") << 10 << 96 << 13;
    QTest::newRow("11 pt at 96 dpi rounds up") << 11 << 96 << 15;
}

void TestStyledLabel::pointSizeToPixelHeight()
{
    QFETCH(int, points);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QCOMPARE(PointSizeToPixelHeight(points, dpi), pixels);
}

void TestStyledLabel::fontBuiltOneAttributeAtATime()
{
    QWidget dialog;
    QFont dialogFont(u"DejaVu Sans"_s);
    dialogFont.setPixelSize(20);
    dialog.setFont(dialogFont);
    auto *label = new CStyledLabel(&dialog);

    // The order of the main window: face, size, colour, italic, bold; each step keeps the rest.
    QVERIFY(label->ApplyFaceName(u"宋体"_s));
    QCOMPARE(label->font().pixelSize(), 20);
    QVERIFY(label->ApplyPointSize(9));
    const int pixels = PointSizeToPixelHeight(9, label->logicalDpiY());
    QCOMPARE(label->font().pixelSize(), pixels);
    QVERIFY(label->ApplyTextColor(Qt::black));
    QVERIFY(label->ApplyItalic(true));
    QVERIFY(label->ApplyBold(true));
    QCOMPARE(label->font().family(), u"宋体"_s);
    QCOMPARE(label->font().pixelSize(), pixels);
    QVERIFY(label->font().italic());
    QCOMPARE(label->font().weight(), QFont::Bold);
    // The face name field holds 31 characters.
    QVERIFY(label->ApplyFaceName(QString(31, u'a')));
    QCOMPARE(label->font().family(), QString(31, u'a'));
    QVERIFY(label->ApplyFaceName(QString(32, u'x')));
    QCOMPARE(label->font().family(), QString(31, u'x'));
    QVERIFY(label->ApplyBold(false));
    QCOMPARE(label->font().weight(), QFont::Normal);
    QVERIFY(label->font().italic());
    QCOMPARE(label->font().pixelSize(), pixels);
}

void TestStyledLabel::plainTextInItsColourOnATransparentGround()
{
    QWidget parent;
    QPalette ground = parent.palette();
    ground.setColor(QPalette::Window, Qt::blue);
    parent.setPalette(ground);
    parent.setAutoFillBackground(true);
    auto *label = new CStyledLabel(&parent);
    label->setGeometry(10, 10, 180, 40);
    QFont font = label->font();
    font.setStyleStrategy(QFont::NoAntialias);
    label->setFont(font);
    label->ApplyPointSize(12);
    label->ApplyBold(true);
    label->ApplyTextColor(Qt::red);
    // Names typed by the user are shown as they are: as markup this would draw nothing.
    label->setText(u"<i></i>"_s);

    const QImage image =
        parent.grab(label->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            red += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
            QVERIFY(image.pixel(x, y) == qRgb(255, 0, 0) || image.pixel(x, y) == qRgb(0, 0, 255));
        }
    }
    QVERIFY(red > 20);
}

QTEST_MAIN(TestStyledLabel)
#include "tst_styledlabel.moc"
