#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

inline QImage Snapshot(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
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
        if (!QTest::qWaitForWindowActive(&parent)) {
            return false;
        }
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
inline void Perform(QWidget &button, QChar action)
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
        QApplication::sendEvent(&button, &leave);
        return;
    case u'f':
        return button.clearFocus();
    }
    QFAIL("unknown action");
}
