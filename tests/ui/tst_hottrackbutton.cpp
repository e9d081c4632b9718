#include "ControlTestSupport.h"
#include "ui/controls/HotTrackButton.h"
#include "ui/controls/ResourceImages.h"

#include <QSignalSpy>

using namespace Qt::StringLiterals;

class TestHotTrackButton : public QObject
{
    Q_OBJECT

private slots:
    void stateTable_data();
    void stateTable();
};

void TestHotTrackButton::stateTable_data()
{
    QTest::addColumn<bool>("clickFocus");
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QString>("states");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QPoint>("helpImageAt");
    // Actions as Perform() takes them. States after each action: the frame (0 flat, 1 sunken,
    // 2 raised), then h lit, f focused, p pressed. The help image lies 5 pixels in from the
    // left, centred in the height less 2 and 2, one pixel right and down while pressed.
    QTest::newRow("press on the unfocused button takes the focus, then a focused click")
        << false << u"mprpr"_s << u"2h 1hfp 2hf 1fp 2hf"_s << 2 << QPoint(5, 3);
    QTest::newRow("click focus given by Qt before the press")
        << true << u"mprp"_s << u"2h 1hfp 2hf 1fp"_s << 1 << QPoint(6, 4);
    QTest::newRow("leaving while pressed, release elsewhere: no click")
        << false << u"mpxo"_s << u"2h 1hfp 0f 0f"_s << 0 << QPoint(5, 3);
    QTest::newRow("back over the button before the release")
        << false << u"mpxMr"_s << u"2h 1hfp 0f 1hfp 2hf"_s << 1 << QPoint(5, 3);
    QTest::newRow("double-click: one click per release")
        << false << u"mprdr"_s << u"2h 1hfp 2hf 0hfp 2hf"_s << 2 << QPoint(5, 3);
    QTest::newRow("space bar on the focused button")
        << false << u"mprs"_s << u"2h 1hfp 2hf 2hf"_s << 2 << QPoint(5, 3);
    QTest::newRow("focus without the pointer lights, pointer passing by ends it")
        << false << u"tmlf"_s << u"2hf 2hf 0f 0"_s << 0 << QPoint(5, 3);
}

void TestHotTrackButton::stateTable()
{
    QFETCH(bool, clickFocus);
    QFETCH(QString, actions);
    QFETCH(QString, states);
    QFETCH(int, clicks);
    QFETCH(QPoint, helpImageAt);

    // The main window's help button.
    Window<CHotTrackButton> window;
    CHotTrackButton &button = *window.button;
    const int help = ResourceId::HelpImage;
    QVERIFY(button.AssignBitmapIds(help, help, help));
    button.SetLayout(CHotTrackButton::Layout::ImageLeft);
    if (clickFocus) {
        button.setFocusPolicy(Qt::StrongFocus);
    }
    QVERIFY(window.Show());
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QVERIFY(clicked.isValid());

    QStringList seen;
    for (const QChar action : actions) {
        Perform(button, action);
        seen << QString::number(int(button.FrameStyle())) + (button.IsHot() ? u"h"_s : QString())
                + (button.IsFocused() ? u"f"_s : QString())
                + (button.IsPressed() ? u"p"_s : QString());
    }
    QCOMPARE(seen.join(u' '), states);
    QCOMPARE(clicked.size(), clicks);
    const QImage image = LoadResourceImage(help).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(Snapshot(button).copy(QRect(helpImageAt, image.size())), image);

    // Disabled, the button shows its disabled image without the pressed shift, or no image
    // when it has none.
    button.setEnabled(false);
    QVERIFY(button.AssignBitmapIds(help, help, 0));
    const QImage none = Snapshot(button);
    QVERIFY(button.AssignBitmapIds(help, help, ResourceId::LampLit));
    const QImage lamp =
        LoadResourceImage(ResourceId::LampLit).convertToFormat(QImage::Format_RGB32);
    // 14 x 14 lamp centred vertically in 25 pixels: (25 - 14) / 2 = 5 below the inset of 2.
    QCOMPARE(Snapshot(button).copy(QRect(QPoint(5, 7), lamp.size())), lamp);
    QVERIFY(!button.AssignBitmapIds(0, 0, 0));
    QCOMPARE(Snapshot(button), none);
}

QTEST_MAIN(TestHotTrackButton)
#include "tst_hottrackbutton.moc"
