#include "ControlTestSupport.h"
#include "controls/StyledLabel.h"

using namespace Qt::StringLiterals;

class TestStyledLabel : public QObject
{
    Q_OBJECT

private slots:
    void faceNameField_data();
    void faceNameField();
    void pointSizeToPixelHeight_data();
    void pointSizeToPixelHeight();
    void eachStepKeepsTheOtherAttributes();
    void boldOffIsNormalWeight();
    void textColourOnTransparentBackground();
    void textIsNotMarkup();
};

void TestStyledLabel::faceNameField_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("field");
    QTest::newRow("Chinese face name") << u"宋体"_s << u"宋体"_s;
    QTest::newRow("31 characters stay") << QString(31, u'a') << QString(31, u'a');
    QTest::newRow("32 characters lose the last") << QString(32, u'b') << QString(31, u'b');
}

void TestStyledLabel::faceNameField()
{
    QFETCH(QString, face);
    QFETCH(QString, field);
    QCOMPARE(FaceNameField(face), field);
}

void TestStyledLabel::pointSizeToPixelHeight_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("9 pt at 96 dpi") << 9 << 96 << 12;
    QTest::newRow("12 pt at 96 dpi") << 12 << 96 << 16;
    QTest::newRow("9 pt at 120 dpi") << 9 << 120 << 15;
    QTest::newRow("10 pt at 96 dpi rounds down") << 10 << 96 << 13;
    QTest::newRow("11 pt at 96 dpi rounds up") << 11 << 96 << 15;
    QTest::newRow("half rounds away from zero") << 3 << 12 << 1;
    QTest::newRow("9 pt at 144 dpi") << 9 << 144 << 18;
}

void TestStyledLabel::pointSizeToPixelHeight()
{
    QFETCH(int, points);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QCOMPARE(PointSizeToPixelHeight(points, dpi), pixels);
}

void TestStyledLabel::eachStepKeepsTheOtherAttributes()
{
    QWidget dialog;
    QFont dialogFont(u"DejaVu Sans"_s);
    dialogFont.setPixelSize(20);
    dialog.setFont(dialogFont);
    auto *label = new CStyledLabel(&dialog);
    label->setText(u"Static"_s);

    // The order of the main window: face, size, colour, italic, bold.
    QVERIFY(label->ApplyFaceName(u"宋体"_s));
    QCOMPARE(label->font().pixelSize(), 20);
    QVERIFY(label->ApplyPointSize(9));
    const int pixels = PointSizeToPixelHeight(9, label->logicalDpiY());
    QCOMPARE(label->font().pixelSize(), pixels);
    QCOMPARE(label->font().family(), u"宋体"_s);
    QVERIFY(label->ApplyTextColor(QColor(0, 0, 0)));
    QVERIFY(label->ApplyItalic(true));
    QCOMPARE(label->font().pixelSize(), pixels);
    QCOMPARE(label->font().family(), u"宋体"_s);
    QVERIFY(label->font().italic());
    QVERIFY(label->ApplyBold(true));
    QCOMPARE(label->font().pixelSize(), pixels);
    QVERIFY(label->font().italic());
    QCOMPARE(label->font().weight(), QFont::Bold);
    QVERIFY(label->ApplyFaceName(QString(40, u'x')));
    QCOMPARE(label->font().family(), QString(31, u'x'));
    QVERIFY(label->font().italic());
    QCOMPARE(label->font().weight(), QFont::Bold);
    QCOMPARE(label->font().pixelSize(), pixels);
}

void TestStyledLabel::boldOffIsNormalWeight()
{
    CStyledLabel label;
    label.ApplyBold(true);
    QVERIFY(label.ApplyBold(false));
    QCOMPARE(label.font().weight(), QFont::Normal);
}

void TestStyledLabel::textColourOnTransparentBackground()
{
    QWidget parent;
    QPalette background = parent.palette();
    background.setColor(QPalette::Window, QColor(0, 0, 255));
    parent.setPalette(background);
    parent.setAutoFillBackground(true);
    parent.resize(200, 60);
    auto *label = new CStyledLabel(&parent);
    label->setGeometry(10, 10, 180, 40);
    QFont font = label->font();
    font.setStyleStrategy(QFont::NoAntialias);
    label->setFont(font);
    label->ApplyPointSize(12);
    label->ApplyBold(true);
    label->ApplyTextColor(QColor(255, 0, 0));
    label->setText(u"HHHH"_s);
    QCOMPARE(label->TextColor(), QColor(255, 0, 0));

    const QImage image =
        parent.grab(label->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    int blue = 0;
    int other = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == qRgb(255, 0, 0)) {
                ++red;
            } else if (pixel == qRgb(0, 0, 255)) {
                ++blue;
            } else {
                ++other;
            }
        }
    }
    QVERIFY(red > 20);
    QVERIFY(blue > red);
    QCOMPARE(other, 0);
}

void TestStyledLabel::textIsNotMarkup()
{
    CStyledLabel label;
    label.setText(u"<b>Li</b>"_s);
    QCOMPARE(label.textFormat(), Qt::PlainText);
    const QSize plain = label.sizeHint();
    label.setText(u"Li"_s);
    // The tags are text: they take room.
    QVERIFY(plain.width() > label.sizeHint().width());
}

QTEST_MAIN(TestStyledLabel)
#include "tst_styledlabel.moc"
