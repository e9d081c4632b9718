#include "ControlTestSupport.h"
#include "ResourceImages.h"
#include "controls/HotTrackButton.h"

#include <QSignalSpy>

using namespace Qt::StringLiterals;

class TestHotTrackButton : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data();
    void geometry();
    void blit_data();
    void blit();
    void assignBitmapIds();
    void pressOnUnfocusedButton_data();
    void pressOnUnfocusedButton();
    void clickCounts_data();
    void clickCounts();
    void focusWithoutPointerShowsHighlight();
    void helpButtonImagePlace_data();
    void helpButtonImagePlace();
    void disabledShowsDisabledImageUnmoved();

private:
    struct Window
    {
        QWidget parent;
        CHotTrackButton *button = nullptr;
        QPushButton *other = nullptr;
    };
    static void Build(Window &window);
};

void TestHotTrackButton::Build(Window &window)
{
    window.parent.resize(200, 80);
    window.button = new CHotTrackButton(&window.parent);
    window.button->setGeometry(10, 10, 38, 29);
    window.button->AssignBitmapIds(ResourceId::HelpImage, ResourceId::HelpImage,
                                   ResourceId::HelpImage);
    window.button->SetLayout(1);
    window.other = new QPushButton(u"other"_s, &window.parent);
    window.other->setGeometry(100, 10, 60, 25);
}

void TestHotTrackButton::geometry_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<bool>("disabled");
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QRect>("captionRect");
    QTest::addColumn<QRect>("imageRect");
    QTest::addColumn<int>("centring");
    QTest::addColumn<int>("alignment");

    const QSize image(24, 23);
    const QRect working(5, 2, 90, 36);
    const int vcentre = kCentreVertically;
    const int hcentre = kCentreHorizontally;
    const int leftCentre = Qt::AlignLeft | Qt::AlignVCenter;
    QTest::newRow("layout 0: image right of the caption")
        << 0 << false << false << image << working << working.translated(35, 0) << vcentre
        << leftCentre;
    QTest::newRow("layout 1: caption right of the image")
        << 1 << false << false << image << working.translated(29, 0) << working << vcentre
        << leftCentre;
    QTest::newRow("layout 2: nothing moves, caption at the bottom")
        << 2 << false << false << image << working << working << hcentre
        << int(Qt::AlignHCenter | Qt::AlignBottom);
    QTest::newRow("layout 3: image below the caption")
        << 3 << false << false << image << working << working.translated(0, 17) << hcentre
        << int(Qt::AlignHCenter | Qt::AlignTop);
    QTest::newRow("layout 1 pressed: one pixel right and down")
        << 1 << true << false << image << working.translated(30, 1) << working.translated(1, 1)
        << vcentre << leftCentre;
    QTest::newRow("pressed but disabled does not move")
        << 1 << true << true << image << working.translated(29, 0) << working << vcentre
        << leftCentre;
    QTest::newRow("layout 1 without an image: nothing moves")
        << 1 << false << false << QSize() << working << working << vcentre << leftCentre;
    QTest::newRow("unknown layout: top-left, no centring")
        << 9 << false << false << image << working << working << 0
        << int(Qt::AlignLeft | Qt::AlignTop);
}

void TestHotTrackButton::geometry()
{
    QFETCH(int, layout);
    QFETCH(bool, pressed);
    QFETCH(bool, disabled);
    QFETCH(QSize, image);
    QFETCH(QRect, captionRect);
    QFETCH(QRect, imageRect);
    QFETCH(int, centring);
    QFETCH(int, alignment);

    const HotTrackGeometry result = ComputeHotTrackGeometry(QRect(0, 0, 100, 40), layout, pressed,
                                                            disabled, QSize(30, 12), image);
    QCOMPARE(result.captionRect, captionRect);
    QCOMPARE(result.imageRect, imageRect);
    QCOMPARE(result.imageCentring, centring);
    QCOMPARE(result.captionFlags & 0xff, alignment);
    QVERIFY(result.captionFlags & Qt::TextSingleLine);
}

void TestHotTrackButton::blit_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QSize>("bitmap");
    QTest::addColumn<int>("centring");
    QTest::addColumn<QPoint>("source");
    QTest::addColumn<QPoint>("destination");
    QTest::addColumn<QSize>("block");

    QTest::newRow("help button, vertical centring")
        << QRect(5, 2, 28, 25) << QSize(24, 23) << int(kCentreVertically) << QPoint(0, 0)
        << QPoint(5, 3) << QSize(24, 23);
    QTest::newRow("odd difference truncates toward zero")
        << QRect(5, 2, 90, 36) << QSize(24, 23) << int(kCentreVertically) << QPoint(0, 0)
        << QPoint(5, 8) << QSize(24, 23);
    QTest::newRow("horizontal centring")
        << QRect(5, 2, 90, 36) << QSize(24, 23) << int(kCentreHorizontally) << QPoint(0, 0)
        << QPoint(38, 2) << QSize(24, 23);
    QTest::newRow("larger bitmap shows its middle")
        << QRect(0, 0, 10, 10) << QSize(24, 23) << int(kCentreHorizontally | kCentreVertically)
        << QPoint(7, 6) << QPoint(0, 0) << QSize(10, 10);
    QTest::newRow("no centring: top-left part") << QRect(3, 4, 10, 30) << QSize(24, 23) << 0
                                                << QPoint(0, 0) << QPoint(3, 4) << QSize(10, 23);
}

void TestHotTrackButton::blit()
{
    QFETCH(QRect, rect);
    QFETCH(QSize, bitmap);
    QFETCH(int, centring);
    QFETCH(QPoint, source);
    QFETCH(QPoint, destination);
    QFETCH(QSize, block);

    const BlitGeometry result = ComputeBlit(rect, bitmap, centring);
    QCOMPARE(result.source, source);
    QCOMPARE(result.destination, destination);
    QCOMPARE(result.block, block);
}

void TestHotTrackButton::assignBitmapIds()
{
    CHotTrackButton button;
    QVERIFY(button.AssignBitmapIds(152, 152, 152));
    QVERIFY(button.AssignBitmapIds(152, 0, 0));
    QVERIFY(!button.AssignBitmapIds(0, 152, 152));
    QVERIFY(!button.AssignBitmapIds(152, 999, 152));
}

void TestHotTrackButton::pressOnUnfocusedButton_data()
{
    QTest::addColumn<Qt::FocusPolicy>("policy");
    QTest::newRow("own focus handling") << Qt::TabFocus;
    QTest::newRow("click focus given before the press") << Qt::StrongFocus;
}

void TestHotTrackButton::pressOnUnfocusedButton()
{
    QFETCH(Qt::FocusPolicy, policy);
    Window window;
    Build(window);
    window.button->setFocusPolicy(policy);
    QVERIFY(ShowActive(window.parent));
    window.other->setFocus();
    CHotTrackButton &button = *window.button;
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QVERIFY(clicked.isValid());

    SendMouseMove(button, QPoint(10, 10));
    QVERIFY(button.IsHot());
    QCOMPARE(button.FrameStyle(), 2);

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(button.hasFocus());
    QVERIFY(button.IsPressed());
    QCOMPARE(button.FrameStyle(), 1);
    // The focus step after the press lights the button again.
    QVERIFY(button.IsHot());
    QCOMPARE(clicked.size(), 0);

    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(clicked.size(), 1);
    QVERIFY(!button.IsPressed());
    QCOMPARE(button.FrameStyle(), 2);

    // A second click on the now focused button: again exactly one click.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!button.IsHot());
    QCOMPARE(button.FrameStyle(), 1);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(clicked.size(), 2);
}

void TestHotTrackButton::clickCounts_data()
{
    QTest::addColumn<QString>("actions");
    QTest::addColumn<int>("clicks");
    // m pointer over the button, M the same with the left button held, x moved off with the
    // left button held, p press, r release, o release off the button, d second press of a
    // double-click, s space bar. The focus starts on another button.
    QTest::newRow("click") << u"mpr"_s << 1;
    QTest::newRow("leaving while pressed, release elsewhere") << u"mpxo"_s << 0;
    QTest::newRow("back over the button before the release") << u"mpxMr"_s << 1;
    QTest::newRow("double-click: one click per release") << u"mprdr"_s << 2;
    QTest::newRow("space bar on the focused button") << u"mprs"_s << 2;
}

void TestHotTrackButton::clickCounts()
{
    QFETCH(QString, actions);
    QFETCH(int, clicks);

    Window window;
    Build(window);
    QVERIFY(ShowActive(window.parent));
    window.other->setFocus();
    CHotTrackButton &button = *window.button;
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QVERIFY(clicked.isValid());

    const QPoint inside(10, 10);
    const QPoint outside(70, 12);
    for (const QChar action : actions) {
        switch (action.unicode()) {
        case u'm':
            SendMouseMove(button, inside);
            break;
        case u'M':
            SendMouseMove(button, inside, Qt::LeftButton);
            QVERIFY(button.IsPressed());
            QCOMPARE(button.FrameStyle(), 1);
            break;
        case u'x':
            SendMouseMove(button, outside, Qt::LeftButton);
            QCOMPARE(button.FrameStyle(), 0);
            QVERIFY(!button.IsTracking());
            SendMouseMove(button, outside + QPoint(5, 0), Qt::LeftButton);
            QCOMPARE(button.FrameStyle(), 0);
            break;
        case u'p':
            QTest::mousePress(&button, Qt::LeftButton, {}, inside);
            break;
        case u'r':
            QTest::mouseRelease(&button, Qt::LeftButton, {}, inside);
            break;
        case u'o':
            QTest::mouseRelease(&button, Qt::LeftButton, {}, outside);
            break;
        case u'd':
            QTest::mouseDClick(&button, Qt::LeftButton, {}, inside);
            QVERIFY(button.IsPressed());
            break;
        case u's':
            QVERIFY(button.hasFocus());
            QTest::keyClick(&button, Qt::Key_Space);
            break;
        }
    }
    QCOMPARE(clicked.size(), clicks);
}

void TestHotTrackButton::focusWithoutPointerShowsHighlight()
{
    Window window;
    Build(window);
    QVERIFY(ShowActive(window.parent));
    window.other->setFocus();
    CHotTrackButton &button = *window.button;
    button.setFocus(Qt::TabFocusReason);
    QVERIFY(button.IsFocused());
    QVERIFY(button.IsHot());
    QCOMPARE(button.FrameStyle(), 2);

    SendMouseMove(button, QPoint(10, 10));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QVERIFY(button.IsFocused());
    QVERIFY(!button.IsHot());
    QCOMPARE(button.FrameStyle(), 0);

    window.other->setFocus();
    QVERIFY(!button.IsFocused());
    QVERIFY(!button.IsHot());
}

void TestHotTrackButton::helpButtonImagePlace_data()
{
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<QPoint>("imageAt");
    QTest::newRow("5 pixels in, centred in the height less 2 and 2") << false << QPoint(5, 3);
    QTest::newRow("one pixel right and down while pressed") << true << QPoint(6, 4);
}

void TestHotTrackButton::helpButtonImagePlace()
{
    QFETCH(bool, pressed);
    QFETCH(QPoint, imageAt);

    Window window;
    Build(window);
    QVERIFY(ShowActive(window.parent));
    CHotTrackButton &button = *window.button;
    button.setFocus(Qt::TabFocusReason);
    if (pressed) {
        SendMouseMove(button, QPoint(10, 10));
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    }
    const QImage help =
        LoadResourceImage(ResourceId::HelpImage).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(help.size(), QSize(24, 23));
    QCOMPARE(Snapshot(button).copy(QRect(imageAt, help.size())), help);
}

void TestHotTrackButton::disabledShowsDisabledImageUnmoved()
{
    Window window;
    Build(window);
    window.button->AssignBitmapIds(ResourceId::HelpImage, 0, ResourceId::LampLit);
    QVERIFY(ShowActive(window.parent));
    CHotTrackButton &button = *window.button;
    SendMouseMove(button, QPoint(10, 10), Qt::LeftButton);
    QVERIFY(button.IsPressed());
    button.setEnabled(false);
    const QImage lamp =
        LoadResourceImage(ResourceId::LampLit).convertToFormat(QImage::Format_RGB32);
    // 14 x 14 lamp centred vertically in 25 pixels: (25 - 14) / 2 = 5 below the inset of 2.
    QCOMPARE(Snapshot(button).copy(QRect(QPoint(5, 7), lamp.size())), lamp);

    // Without a disabled image nothing is drawn while disabled.
    button.AssignBitmapIds(ResourceId::HelpImage, 0, 0);
    const QImage bare = Snapshot(button);
    button.setEnabled(true);
    QVERIFY(Snapshot(button) != bare);
}

QTEST_MAIN(TestHotTrackButton)
#include "tst_hottrackbutton.moc"
