#include "ControlTestSupport.h"
#include "controls/ColorButton.h"
#include "controls/DlgItem.h"

#include <QSignalSpy>

using namespace Qt::StringLiterals;

class TestColorButton : public QObject
{
    Q_OBJECT

private slots:
    void bevelEdges_data();
    void bevelEdges();
    void subclassWithColors();
    void pressAndReleaseSignalOrder();
    void signalCounts_data();
    void signalCounts();
    void pixels_data();
    void pixels();

private:
    struct Window
    {
        QWidget parent;
        CColorButton *button = nullptr;
        QPushButton *other = nullptr;
        // Shown and active, with the focus on the other button.
        bool Show()
        {
            if (!ShowActive(parent)) {
                return false;
            }
            other->setFocus(Qt::TabFocusReason);
            return other->hasFocus();
        }
    };
    static void Build(Window &window, int id, const QColor &face, const QColor &text,
                      const QColor &disabledText, int bevel);
};

void TestColorButton::Build(Window &window, int id, const QColor &face, const QColor &text,
                            const QColor &disabledText, int bevel)
{
    window.parent.resize(200, 100);
    window.button = new CColorButton(&window.parent);
    window.button->setGeometry(20, 20, 60, 28);
    window.other = new QPushButton(&window.parent);
    window.other->setGeometry(100, 20, 40, 20);
    SetDlgCtrlId(window.button, id);
    QFont font = window.button->font();
    font.setStyleStrategy(QFont::NoAntialias);
    window.button->setFont(font);
    QVERIFY(window.button->SubclassWithColors(id, &window.parent, face, text, disabledText, bevel));
}

void TestColorButton::bevelEdges_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("topLeftLevels");
    QTest::addColumn<QList<int>>("bottomRightLevels");

    QTest::newRow("no bevel") << 0 << QList<int>() << QList<int>();
    QTest::newRow("width 1 plain white over 128") << 1 << QList<int> { 255 } << QList<int> { 128 };
    QTest::newRow("width 2 raised") << 2 << QList<int> { 255, 223 } << QList<int> { 127, 85 };
    QTest::newRow("width 4 raised")
        << 4 << QList<int> { 255, 223, 213, 207 } << QList<int> { 127, 85, 63, 51 };
    QTest::newRow("pressed look, sunken 1") << -1 << QList<int> { 128 } << QList<int> { 255 };
    QTest::newRow("sunken 2, innermost dark edges almost black")
        << -2 << QList<int> { 127, 85 } << QList<int> { 255, 1 };
}

void TestColorButton::bevelEdges()
{
    QFETCH(int, width);
    QFETCH(QList<int>, topLeftLevels);
    QFETCH(QList<int>, bottomRightLevels);

    const QRect rect(10, 20, 40, 30);
    const QList<BevelEdge> edges = ColorButtonBevelEdges(rect, width);
    QCOMPARE(edges.size(), topLeftLevels.size() * 4);
    for (int ring = 0; ring < topLeftLevels.size(); ++ring) {
        const QRect inner = rect.adjusted(ring, ring, -ring, -ring);
        const BevelEdge &top = edges[ring * 4];
        const BevelEdge &left = edges[ring * 4 + 1];
        const BevelEdge &bottom = edges[ring * 4 + 2];
        const BevelEdge &right = edges[ring * 4 + 3];
        QCOMPARE(top.color.rgb(), Gray(topLeftLevels[ring]));
        QCOMPARE(left.color.rgb(), Gray(topLeftLevels[ring]));
        QCOMPARE(bottom.color.rgb(), Gray(bottomRightLevels[ring]));
        QCOMPARE(right.color.rgb(), Gray(bottomRightLevels[ring]));
        // Top and left run the full length; bottom and right start one pixel in.
        QCOMPARE(top.pixels, QRect(inner.left(), inner.top(), inner.width(), 1));
        QCOMPARE(left.pixels, QRect(inner.left(), inner.top(), 1, inner.height()));
        QCOMPARE(bottom.pixels, QRect(inner.left() + 1, inner.bottom(), inner.width() - 1, 1));
        QCOMPARE(right.pixels, QRect(inner.right(), inner.top() + 1, 1, inner.height() - 1));
    }
}

void TestColorButton::subclassWithColors()
{
    QWidget parent;
    CColorButton button(&parent);
    // No dialog item 1009 yet: nothing is stored.
    QVERIFY(!button.SubclassWithColors(1009, &parent, Qt::blue, Qt::white, Qt::darkBlue, 3));
    QCOMPARE(button.BevelWidth(), 2);

    // A stand-in built from the template is replaced in place.
    auto *standIn = new QPushButton(u"清零"_s, &parent);
    standIn->setGeometry(5, 6, 70, 25);
    SetDlgCtrlId(standIn, 1009);
    QVERIFY(button.SubclassWithColors(1009, &parent, QColor(0, 128, 255), Qt::white,
                                      QColor(0, 0, 128), 2));
    QCOMPARE(FindDlgItem(&parent, 1009), &button);
    QCOMPARE(button.geometry(), QRect(5, 6, 70, 25));
    QCOMPARE(button.text(), u"清零"_s);
    QVERIFY(standIn->isHidden());
    QCOMPARE(button.FaceColor(), QColor(0, 128, 255));
    QCOMPARE(button.TextColor(), QColor(Qt::white));
    QCOMPARE(button.DisabledTextColor(), QColor(0, 0, 128));
}

void TestColorButton::pressAndReleaseSignalOrder()
{
    QStringList events;
    Window window;
    Build(window, 1007, QColor(192, 192, 192), QColor(1, 1, 1), QColor(128, 128, 128), 2);
    QVERIFY(window.Show());
    CColorButton &button = *window.button;

    bool downBeforePressedLook = false;
    bool downBeforeFocus = false;
    connect(&button, &CColorButton::colorButtonDown, this, [&](int id) {
        events << u"down %1"_s.arg(id);
        downBeforePressedLook = !button.isDown();
        downBeforeFocus = !button.hasFocus();
    });
    connect(&button, &CColorButton::colorButtonUp, this,
            [&](int id) { events << u"up %1"_s.arg(id); });
    connect(&button, &QAbstractButton::pressed, this, [&] { events << u"pressed"_s; });
    connect(&button, &QAbstractButton::released, this, [&] { events << u"released"_s; });
    connect(&button, &QAbstractButton::clicked, this, [&] { events << u"clicked"_s; });

    QTest::mousePress(&button, Qt::LeftButton);
    QCOMPARE(events, QStringList({ u"down 1007"_s, u"pressed"_s }));
    QVERIFY(downBeforePressedLook);
    QVERIFY(downBeforeFocus);
    QVERIFY(button.hasFocus());
    QVERIFY(button.isDown());

    QTest::mouseRelease(&button, Qt::LeftButton);
    QCOMPARE(
        events,
        QStringList({ u"down 1007"_s, u"pressed"_s, u"up 1007"_s, u"released"_s, u"clicked"_s }));
}

void TestColorButton::signalCounts_data()
{
    QTest::addColumn<QString>("actions");
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("ups");
    QTest::addColumn<int>("clicks");
    // p press, r release, o release away from the button, d second press of a double-click,
    // s space bar, R right click.
    QTest::newRow("click") << u"pr"_s << 1 << 1 << 1;
    QTest::newRow("release after leaving: up, no click") << u"po"_s << 1 << 1 << 0;
    QTest::newRow("double-click: no down for the second press") << u"prdr"_s << 1 << 2 << 2;
    QTest::newRow("space bar: click only") << u"s"_s << 0 << 0 << 1;
    QTest::newRow("right button: nothing") << u"R"_s << 0 << 0 << 0;
}

void TestColorButton::signalCounts()
{
    QFETCH(QString, actions);
    QFETCH(int, downs);
    QFETCH(int, ups);
    QFETCH(int, clicks);

    Window window;
    Build(window, 1008, QColor(192, 192, 192), QColor(1, 1, 1), QColor(128, 128, 128), 2);
    QVERIFY(window.Show());
    CColorButton *button = window.button;
    QSignalSpy down(button, &CColorButton::colorButtonDown);
    QSignalSpy up(button, &CColorButton::colorButtonUp);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QVERIFY(down.isValid() && up.isValid() && clicked.isValid());

    for (const QChar action : actions) {
        switch (action.unicode()) {
        case u'p':
            QTest::mousePress(button, Qt::LeftButton);
            break;
        case u'r':
            QTest::mouseRelease(button, Qt::LeftButton);
            break;
        case u'o':
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-30, 50));
            break;
        case u'd':
            QTest::mouseDClick(button, Qt::LeftButton);
            QVERIFY(button->isDown());
            break;
        case u's':
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, Qt::Key_Space);
            break;
        case u'R':
            QTest::mouseClick(button, Qt::RightButton);
            break;
        }
    }
    QCOMPARE(down.size(), downs);
    QCOMPARE(up.size(), ups);
    QCOMPARE(clicked.size(), clicks);
    for (const auto &arguments : std::as_const(down) + std::as_const(up)) {
        QCOMPARE(arguments.first().toInt(), 1008);
    }
}

void TestColorButton::pixels_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QRgb>("outerTopLeft");
    QTest::addColumn<QRgb>("outerBottomRight");
    QTest::addColumn<QRgb>("secondRingTopLeft");
    QTest::addColumn<bool>("focusFrame");
    QTest::addColumn<QRgb>("captionColour");

    const QRgb face = qRgb(0, 128, 255);
    const QRgb text = qRgb(255, 255, 255);
    QTest::newRow("normal: raised, two rings")
        << false << false << true << Gray(255) << Gray(127) << Gray(223) << false << text;
    QTest::newRow("focused: raised with focus frame")
        << true << false << true << Gray(255) << Gray(127) << Gray(223) << true << text;
    QTest::newRow("pressed with focus: one sunken ring")
        << true << true << true << Gray(128) << Gray(255) << face << true << text;
    QTest::newRow("pressed without focus keeps the raised look")
        << false << true << true << Gray(255) << Gray(127) << Gray(223) << false << text;
    QTest::newRow("disabled: raised, disabled caption")
        << false << false << false << Gray(255) << Gray(127) << Gray(223) << false
        << qRgb(0, 0, 128);
}

void TestColorButton::pixels()
{
    QFETCH(bool, focused);
    QFETCH(bool, pressed);
    QFETCH(bool, enabled);
    QFETCH(QRgb, outerTopLeft);
    QFETCH(QRgb, outerBottomRight);
    QFETCH(QRgb, secondRingTopLeft);
    QFETCH(bool, focusFrame);
    QFETCH(QRgb, captionColour);

    Window window;
    Build(window, 1009, QColor(0, 128, 255), Qt::white, QColor(0, 0, 128), 2);
    CColorButton &button = *window.button;
    button.setText(u"HHH"_s);
    QVERIFY(window.Show());
    if (focused) {
        button.setFocus(Qt::TabFocusReason);
    }
    button.setDown(pressed);
    button.setEnabled(enabled);

    const QImage image = Snapshot(button);
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    QCOMPARE(image.pixel(0, 0), outerTopLeft);
    QCOMPARE(image.pixel(right, bottom), outerBottomRight);
    QCOMPARE(image.pixel(1, 1), secondRingTopLeft);
    // The focus frame inverts every other pixel 4 pixels in: the blue face turns orange.
    const QRgb inverted = qRgb(255, 127, 0);
    QCOMPARE(image.pixel(4, 4) == inverted, focusFrame);
    QCOMPARE(image.pixel(5, 4), qRgb(0, 128, 255));

    int captionPixels = 0;
    for (int y = 6; y < bottom - 5; ++y) {
        for (int x = 6; x < right - 5; ++x) {
            captionPixels += image.pixel(x, y) == captionColour ? 1 : 0;
        }
    }
    QVERIFY2(captionPixels > 10, "caption not drawn in its colour");
}

QTEST_MAIN(TestColorButton)
#include "tst_colorbutton.moc"
