#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

// A shown, active top-level window, so that focus and focus events behave as on a desktop.
inline bool ShowActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// A pointer move delivered to `widget` itself, as the window system does while the pointer is
// over it or while a button held since a press on it.
inline void SendMouseMove(QWidget &widget, QPoint at, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent event(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline QImage Snapshot(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb Gray(int level)
{
    return qRgb(level, level, level);
}
