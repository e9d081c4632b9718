#include "ui/controls/ColorButton.h"
#include "ui/controls/DlgItem.h"
#include "ui/controls/HotTrackButton.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/controls/ResourceImages.h"
#include "ui/controls/StateImageButton.h"
#include "ui/controls/StyledLabel.h"
#include "ui/dialogs/DialogBuilder.h"
#include "ui/report/HelpLauncher.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage Rgb32(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// A button in a shown, active window, so that focus and focus events behave as on a desktop;
// the focus starts on another button.
template<class Button>
struct Window
{
    QWidget parent;
    Button *button = new Button(&parent);
    QPushButton *other = new QPushButton(&parent);

    bool Show()
    {
        button->setGeometry(10, 10, 60, 29);
        other->setGeometry(100, 10, 40, 20);
        parent.show();
        parent.activateWindow();
        if (!QTest::qWaitForWindowActive(&parent))
            return false;
        other->setFocus(Qt::TabFocusReason);
        return other->hasFocus();
    }
};

// A control that counts its paints, to see when a change reaches the screen.
template<class Control>
class PaintCounting : public Control
{
public:
    using Control::Control;
    int m_paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++m_paints;
        Control::paintEvent(event);
    }
};

// One step of a scripted use of a button: m pointer over it, M the same with the left button
// held, x pointer moved off with the left button held, p left press, r left release, o left
// release off the button, d second press of a double-click, R right click, t Tab to it, s space
// bar, l pointer leaves, f focus taken away.
void Perform(QWidget &button, QChar action)
{
    const QPoint inside(10, 10);
    const QPoint outside(70, 12);
    // Moves reach the button itself, as the window system sends them while the pointer is over
    // it or while a button is held since a press on it.
    const auto move = [&button](QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(QEvent::MouseMove, at, button.mapToGlobal(at), Qt::NoButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    };
    QEvent leave(QEvent::Leave);
    switch (action.unicode()) {
    case u'm':
    case u'M':
        return move(inside, action == u'M' ? Qt::LeftButton : Qt::NoButton);
    case u'x':
        move(outside, Qt::LeftButton);
        return move(outside + QPoint(5, 0), Qt::LeftButton);
    case u'p':
        return QTest::mousePress(&button, Qt::LeftButton, {}, inside);
    case u'r':
    case u'o':
        return QTest::mouseRelease(&button, Qt::LeftButton, {}, action == u'r' ? inside : outside);
    case u'd':
        return QTest::mouseDClick(&button, Qt::LeftButton, {}, inside);
    case u'R':
        return QTest::mouseClick(&button, Qt::RightButton, {}, inside);
    case u't':
        return button.setFocus(Qt::TabFocusReason);
    case u's':
        return QTest::keyClick(&button, Qt::Key_Space);
    case u'l':
        return void(QApplication::sendEvent(&button, &leave));
    case u'f':
        return button.clearFocus();
    }
    QFAIL("unknown action");
}

} // namespace

class tst_Widgets : public QObject
{
    Q_OBJECT

private slots:
    void colorButtonSignalsToTheParent_data();
    void colorButtonSignalsToTheParent();
    void colorButtonRings_data();
    void colorButtonRings();
    void hotTrackStates_data();
    void hotTrackStates();
    void stateImageButton_data();
    void stateImageButton();
    void ledPicture_data();
    void ledPicture();
    void ledTextRepaints();
    void resourceImages_data();
    void resourceImages();
    void lampsAndBitmapIds();
    void styledLabelFont();
    void dialogUnits();
    void templateBuildsItsItems_data();
    void templateBuildsItsItems();
    void commandLine_data();
    void commandLine();
    void failureNamesTheHelpFile_data();
    void failureNamesTheHelpFile();
};

void tst_Widgets::colorButtonSignalsToTheParent_data()
{
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QString>("events");
    // "pressed", "released" and "clicked" come from the default button handling, so their place
    // shows where the signals come relative to it.
    QTest::newRow("click") << u"pr"_s << u"down pressed up released clicked"_s;
    QTest::newRow("release away from the button: up, no click") << u"po"_s << u"down pressed up"_s;
    QTest::newRow("double-click: no down for the second press")
        << u"prdr"_s << u"down pressed up released clicked pressed up released clicked"_s;
    QTest::newRow("space bar: neither signal") << u"ts"_s << u"pressed released clicked"_s;
    QTest::newRow("right button: nothing") << u"R"_s << QString();
}

void tst_Widgets::colorButtonSignalsToTheParent()
{
    QFETCH(QString, actions);
    QFETCH(QString, events);
    // The zero button of the main window, put in place of its dialog item.
    Window<CColorButton> window;
    CColorButton *button = window.button;
    auto *item = new QPushButton(u"清零"_s, &window.parent);
    item->setGeometry(5, 6, 70, 25);
    SetDlgCtrlId(item, 1009);
    const QColor face(0, 128, 255);
    QVERIFY(!button->SubclassWithColors(1010, &window.parent, face, Qt::white, Qt::darkBlue, 2));
    QVERIFY(button->SubclassWithColors(1009, &window.parent, face, Qt::white, Qt::darkBlue, 2));
    QCOMPARE(FindDlgItem(&window.parent, 1009), button);
    QCOMPARE(button->geometry(), QRect(5, 6, 70, 25));
    QCOMPARE(button->text(), u"清零"_s);
    QVERIFY(window.Show() && item->isHidden());

    QStringList seen;
    connect(button, &CColorButton::colorButtonDown, this, [&](int id) {
        // The parent hears of the press before the button takes the focus or looks pressed.
        seen << (button->isDown() || button->hasFocus() ? u"late down"_s : u"down"_s)
                + (id == 1009 ? QString() : u" %1"_s.arg(id));
    });
    connect(button, &CColorButton::colorButtonUp, this,
            [&](int id) { seen << u"up"_s + (id == 1009 ? QString() : u" %1"_s.arg(id)); });
    connect(button, &QAbstractButton::pressed, this, [&] { seen << u"pressed"_s; });
    connect(button, &QAbstractButton::released, this, [&] { seen << u"released"_s; });
    connect(button, &QAbstractButton::clicked, this, [&] { seen << u"clicked"_s; });
    for (const QChar action : actions)
        Perform(*button, action);
    QCOMPARE(seen.join(u' '), events);
    QCOMPARE(button->hasFocus(), actions.contains(u'p') || actions.contains(u't'));
}

void tst_Widgets::colorButtonRings_data()
{
    QTest::addColumn<int>("bevel");
    QTest::addColumn<bool>("pressed"); // with the focus
    // Grey levels at (0,0), (1,1), (4,4), (58,27) and (59,28) of a 60 x 29 button on a face of 192.
    QTest::addColumn<QList<int>>("levels");
    QTest::newRow("raised, two rings") << 2 << false << QList<int> { 255, 223, 192, 85, 127 };
    QTest::newRow("sunken, two rings: the inner one black below")
        << -2 << false << QList<int> { 127, 85, 192, 1, 255 };
    QTest::newRow("pressed: one sunken ring on a fresh face, the focus dots on top")
        << 2 << true << QList<int> { 128, 192, 63, 192, 255 };
}

void tst_Widgets::colorButtonRings()
{
    QFETCH(int, bevel);
    QFETCH(bool, pressed);
    QFETCH(QList<int>, levels);
    Window<CColorButton> window;
    SetDlgCtrlId(new QPushButton(&window.parent), 1007);
    QVERIFY(window.button->SubclassWithColors(1007, &window.parent, QColor(192, 192, 192),
                                              Qt::black, Qt::gray, bevel));
    QVERIFY(window.Show());
    if (pressed) {
        window.button->setFocus();
        window.button->setDown(true);
    }
    const QImage image = window.button->grab().toImage();
    QList<int> seen;
    for (const QPoint at :
         { QPoint(0, 0), QPoint(1, 1), QPoint(4, 4), QPoint(58, 27), QPoint(59, 28) })
        seen << qGray(image.pixel(at));
    QCOMPARE(seen, levels);
}

void tst_Widgets::hotTrackStates_data()
{
    QTest::addColumn<bool>("clickFocus");
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QString>("states");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QPoint>("helpImageAt");
    // States after each action: the frame (0 flat, 1 sunken, 2 raised), then h lit, f focused,
    // p pressed. The help image lies 5 pixels in from the left, centred in the height less 2 and
    // 2, one pixel right and down while pressed.
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

void tst_Widgets::hotTrackStates()
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
    if (clickFocus)
        button.setFocusPolicy(Qt::StrongFocus);
    QVERIFY(window.Show());
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QStringList seen;
    for (const QChar action : actions) {
        Perform(button, action);
        seen << QString::number(int(button.FrameStyle())) + (button.IsHot() ? u"h"_s : QString())
                + (button.IsFocused() ? u"f"_s : QString())
                + (button.IsPressed() ? u"p"_s : QString());
    }
    QCOMPARE(seen.join(u' '), states);
    QCOMPARE(clicked.size(), clicks);
    const QImage image = Rgb32(LoadResourceImage(help));
    QCOMPARE(Rgb32(button.grab().toImage()).copy(QRect(helpImageAt, image.size())), image);
}

void tst_Widgets::stateImageButton_data()
{
    QTest::addColumn<QList<int>>("calls");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("highlighted");
    QTest::addColumn<int>("image");
    const int dark = ResourceId::LampDark;
    QTest::newRow("3 disables") << QList<int> { 3 } << 3 << false << false << dark;
    QTest::newRow("1 after 3 enables and highlights")
        << QList<int> { 3, 1 } << 1 << true << true << int(ResourceId::LampHalfLit);
    QTest::newRow("2 after 3 enables and highlights")
        << QList<int> { 3, 2 } << 2 << true << true << int(ResourceId::LampLit);
    QTest::newRow("7 after 3 becomes 0, enabled")
        << QList<int> { 3, 7 } << 0 << true << false << dark;
    // What the decoder does at the start of every burst of data: both images reach the screen.
    QTest::newRow("flash") << QList<int> { 1, 0 } << 0 << true << false << dark;
}

void tst_Widgets::stateImageButton()
{
    QFETCH(QList<int>, calls);
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(bool, highlighted);
    QFETCH(int, image);
    QWidget ground;
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 10));
    ground.setPalette(palette);
    auto *lamp = new PaintCounting<CStateImageButton>(&ground);
    lamp->setGeometry(5, 5, 30, 24);
    // The main window's lamp: dark, half lit, lit, dark.
    QVERIFY(lamp->AssignStateBitmapIds(151, 150, 149, 151));
    ground.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ground));
    QTRY_VERIFY(lamp->m_paints > 0);
    lamp->m_paints = 0;
    for (int call : calls)
        lamp->SetState(call);
    QCOMPARE(lamp->GetState(), state);
    QCOMPARE(lamp->isEnabled(), enabled);
    QCOMPARE(lamp->isDown(), highlighted);
    // Every call changes the state here, and each change is painted at once.
    QCOMPARE(lamp->m_paints, calls.size());
    // The image at the top-left corner, the parent's ground beyond it.
    const QImage shown = Rgb32(ground.grab(lamp->geometry()).toImage());
    QCOMPARE(shown.copy(0, 0, 14, 14), Rgb32(LoadResourceImage(image)));
    QCOMPARE(shown.pixel(20, 5), qRgb(10, 200, 10));
    QCOMPARE(shown.pixel(5, 20), qRgb(10, 200, 10));
}

void tst_Widgets::ledPicture_data()
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

void tst_Widgets::ledPicture()
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
    if (earlierColor.isValid())
        QCOMPARE(display.SetLedColor(earlierColor), red);
    QCOMPARE(display.SetLedColor(ledColor), earlierColor.isValid() ? earlierColor : red);
    display.SetDisplayText(text);
    const QImage picture = Rgb32(display.grab().toImage());
    int lit = 0;
    for (int x = 0; x < picture.width(); ++x) {
        const int cell = x / 26;
        const QImage image =
            Rgb32(LoadResourceImage(ResourceId::FirstDigitImage + cells.value(cell, 10)));
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

void tst_Widgets::ledTextRepaints()
{
    PaintCounting<CLedDigitDisplay> display;
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QTRY_VERIFY(display.m_paints > 0);
    const int before = display.m_paints;
    display.SetDisplayText(u"+12.345"_s);
    QTRY_VERIFY(display.m_paints > before);
}

void tst_Widgets::resourceImages_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");
    // The only colours the image may hold; recolouring relies on the digits' lit segments
    // being exactly (255, 0, 0) and their unlit ones (128, 0, 0).
    QTest::addColumn<QList<QRgb>>("colours");
    const QList<QRgb> digit { qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(128, 0, 0) };
    for (int id = 131; id <= 145; ++id)
        QTest::addRow("digit image %d", id) << id << QSize(13, 23) << digit;
    QTest::newRow("help 152: black arrow, navy question mark on grey")
        << 152 << QSize(24, 23)
        << QList<QRgb> { qRgb(0, 0, 0), qRgb(0, 0, 128), qRgb(192, 192, 192) };
    for (int id : { 0, 130, 146, 153 })
        QTest::addRow("%d names no image", id) << id << QSize() << QList<QRgb>();
}

void tst_Widgets::resourceImages()
{
    QFETCH(int, id);
    QFETCH(QSize, size);
    QFETCH(QList<QRgb>, colours);
    const QImage image = Rgb32(LoadResourceImage(id));
    QCOMPARE(image.isNull() ? QSize() : image.size(), size);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(colours.contains(image.pixel(x, y)));
}

void tst_Widgets::lampsAndBitmapIds()
{
    // The lamps: dark, half lit, lit, each brighter than the one before.
    const auto centre = [](int lamp) {
        return QColor(LoadResourceImage(lamp).pixel(7, 7)).value();
    };
    QVERIFY(centre(151) < centre(150) && centre(150) < centre(149));
    // The controls take the low 16 bits as the resource number; 0 asks for no image, which
    // fails only where an image is required.
    QCOMPARE(QImage(BitmapPathForId(0x10000 + 151)), LoadResourceImage(151));
    QPixmap pixmap;
    QVERIFY(LoadBitmap(pixmap, BitmapPathForId(0), false));
    QVERIFY(!LoadBitmap(pixmap, BitmapPathForId(0), true));
    QVERIFY(!LoadBitmap(pixmap, BitmapPathForId(999), false));
}

void tst_Widgets::styledLabelFont()
{
    QCOMPARE(PointSizeToPixelHeight(9, 120), 15);
    QCOMPARE(PointSizeToPixelHeight(10, 96), 13); // rounds down
    QCOMPARE(PointSizeToPixelHeight(11, 96), 15); // rounds up
    QWidget dialog;
    QFont dialogFont(u"DejaVu Sans"_s);
    dialogFont.setPixelSize(20);
    dialog.setFont(dialogFont);
    auto *label = new CStyledLabel(&dialog);
    // The order of the main window: face, size, colour, italic, bold; each step keeps the rest.
    QVERIFY(label->ApplyFaceName(u"宋体"_s));
    QCOMPARE(label->font().pixelSize(), 20);
    QVERIFY(label->ApplyPointSize(9) && label->ApplyTextColor(Qt::black));
    QVERIFY(label->ApplyItalic(true) && label->ApplyBold(true));
    const int pixels = PointSizeToPixelHeight(9, label->logicalDpiY());
    QCOMPARE(label->font().family(), u"宋体"_s);
    QCOMPARE(label->font().pixelSize(), pixels);
    QVERIFY(label->font().italic());
    QCOMPARE(label->font().weight(), QFont::Bold);
    // The face name field holds 31 characters.
    QVERIFY(label->ApplyFaceName(QString(32, u'x')));
    QCOMPARE(label->font().family(), QString(31, u'x'));
    QVERIFY(label->ApplyBold(false));
    QCOMPARE(label->font().weight(), QFont::Normal);
    QVERIFY(label->font().italic());
    QCOMPARE(label->font().pixelSize(), pixels);
    // Names typed by the user are shown as they are: as markup "<i></i>" would show nothing.
    QCOMPARE(label->textFormat(), Qt::PlainText);
}

// Both corners are mapped, as the dialog manager does, rounding half up; 6 x 12 are the base
// units of a 9-point face at 96 dpi on the original platform.
void tst_Widgets::dialogUnits()
{
    QCOMPARE((DialogBaseUnits { 6, 12 }.MapRect(261, 170, 80, 19)), QRect(392, 255, 120, 29));
    QCOMPARE((DialogBaseUnits { 7, 15 }.MapRect(1, 1, 1, 1)), QRect(2, 2, 2, 2));
    QCOMPARE((DialogBaseUnits { 6, 14 }.MapRect(7, 31, 393, 1)), QRect(11, 54, 589, 2));
}

void tst_Widgets::templateBuildsItsItems_data()
{
    QTest::addColumn<int>("templateId");
    QTest::addColumn<int>("radios"); // in the group of the first radio button
    for (int id : { 100, 102, 129, 130 }) // about, main window, login, sampling count
        QTest::addRow("%d", id) << id << 0;
    QTest::newRow("mode 170") << 170 << 4;
}

// Every item with an ID: at its converted place, inside the dialog, on top where group boxes
// surround it, tab stops in the template's order.
void tst_Widgets::templateBuildsItsItems()
{
    QFETCH(int, templateId);
    QFETCH(int, radios);
    const DialogTemplate *tmpl = FindDialogTemplate(templateId);
    QVERIFY(tmpl);

    QDialog dialog;
    BuildDialog(dialog, *tmpl);
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    QVERIFY(units.cx > 0 && units.cy > 0);
    QCOMPARE(dialog.size(), QSize(units.MapX(tmpl->cx), units.MapY(tmpl->cy)));

    QSet<int> ids;
    QList<QWidget *> tabStops;
    int firstRadio = 0;
    for (const DialogItemTemplate &item : tmpl->items) {
        if (item.id == IDC_STATIC)
            continue;
        const QByteArray label = QByteArray::number(item.id);
        QVERIFY2(!ids.contains(item.id), label);
        ids.insert(item.id);
        QWidget *widget = GetDlgItem(dialog, item.id);
        QVERIFY2(widget, label);
        const QRect expected = units.MapRect(item.x, item.y, item.cx, item.cy);
        if (item.kind == ItemKind::DropList) {
            // The template's height includes the opened list.
            QCOMPARE(widget->geometry().topLeft(), expected.topLeft());
            QVERIFY(widget->height() < expected.height());
            QVERIFY(qobject_cast<QComboBox *>(widget)->maxVisibleItems() >= 5);
        } else {
            QCOMPARE(widget->geometry(), expected);
        }
        QVERIFY2(dialog.rect().contains(widget->geometry()), label);
        QWidget *hit = dialog.childAt(widget->geometry().center());
        QVERIFY2(hit == widget || widget->isAncestorOf(hit), label);
        if (item.kind == ItemKind::DefPushButton)
            QVERIFY(qobject_cast<QPushButton *>(widget)->isDefault());
        if (item.kind == ItemKind::AutoRadioButton && !firstRadio)
            firstRadio = item.id;
        if (item.flags & TabStop)
            tabStops << widget;
    }
    for (int i = 0; i + 1 < tabStops.size(); ++i) {
        QWidget *next = tabStops[i]->nextInFocusChain();
        while (!tabStops.contains(next))
            next = next->nextInFocusChain();
        QCOMPARE(next, tabStops[i + 1]);
    }
    if (radios) {
        QButtonGroup *group = GetDlgGroup(dialog, firstRadio);
        QVERIFY(group);
        QCOMPARE(group->buttons().size(), radios);
        QCOMPARE(group->id(group->buttons().constFirst()), firstRadio);
    }
}

void tst_Widgets::commandLine_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("value");
    QTest::addColumn<HelpViewer>("viewer");
    QTest::addColumn<QStringList>("command");

    QTest::newRow("notepad, backslashes, directory with blanks is one argument")
        << u"C:/Program Files/Velmora/"_s << u"manual.txt"_s << HelpViewer::Notepad
        << QStringList { u"notepad"_s, u"C:\\Program Files\\Velmora\\manual.txt"_s };
    QTest::newRow("empty value is help.txt; blank and shell characters stay in the argument")
        << u"/home/user/旋光 仪;$(x)"_s << QString() << HelpViewer::XdgOpen
        << QStringList { u"xdg-open"_s, u"/home/user/旋光 仪;$(x)/help.txt"_s };
    QTest::newRow("macOS text editor")
        << u"/Applications/Velmora"_s << u"help.txt"_s << HelpViewer::TextEdit
        << QStringList { u"open"_s, u"-t"_s, u"/Applications/Velmora/help.txt"_s };
}

void tst_Widgets::commandLine()
{
    QFETCH(QString, programDir);
    QFETCH(QString, value);
    QFETCH(HelpViewer, viewer);
    QFETCH(QStringList, command);

    const HelpCommand expected { command.takeFirst(), command };
    QCOMPARE(HelpCommandFor(programDir, value, viewer), expected);
}

void tst_Widgets::failureNamesTheHelpFile_data()
{
    QTest::addColumn<QString>("viewer");
    QTest::addColumn<bool>("reported");
    QTest::newRow("viewer missing") << u"/nonexistent/viewer"_s << true;
    QTest::newRow("viewer ends with an error") << u"false"_s << true;
    QTest::newRow("viewer opens the file") << u"true"_s << false;
}

void tst_Widgets::failureNamesTheHelpFile()
{
    QFETCH(QString, viewer);
    QFETCH(bool, reported);
    QWidget window;
    const QString path = u"/opt/旋光 仪/help.txt"_s;
    StartHelpViewer(&window, { viewer, { path } }, path);
    QTRY_VERIFY(qApp->findChildren<QProcess *>(Qt::FindDirectChildrenOnly).isEmpty());
    const QList<QMessageBox *> boxes = window.findChildren<QMessageBox *>();
    QCOMPARE(boxes.size(), int(reported));
    if (reported)
        QVERIFY2(boxes[0]->isVisible() && boxes[0]->text().contains(path),
                 qPrintable(boxes[0]->text()));
}

QTEST_MAIN(tst_Widgets)
#include "tst_widgets.moc"
