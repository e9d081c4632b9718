#include "ui/controls/HotTrackButton.h"

#include "ui/controls/ResourceImages.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kSideInset = 5;
constexpr int kTopInset = 2;
constexpr int kGap = 5;

constexpr int kCentreHorizontally = 1;
constexpr int kCentreVertically = 2;

using Layout = CHotTrackButton::Layout;
using Style = CHotTrackButton::Style;

// Where caption and image go inside the button.
struct HotTrackGeometry
{
    QRect captionRect;
    int captionFlags = 0;
    QRect imageRect;
    int imageCentring = 0;
};

// Caption and image rectangles for a button of `item` size: 5 pixels in at the sides, 2 at top
// and bottom, 1 pixel right and down while pressed (never while disabled), then arranged by
// `layout`. `imageSize` is empty when no image is drawn.
HotTrackGeometry ComputeHotTrackGeometry(const QRect &item, Layout layout, bool pressed,
                                         bool disabled, const QSize &captionSize,
                                         const QSize &imageSize)
{
    QRect working = item.adjusted(kSideInset, kTopInset, -kSideInset, -kTopInset);
    if (!disabled && pressed) {
        working.translate(1, 1);
    }
    HotTrackGeometry geometry;
    geometry.captionRect = working;
    geometry.imageRect = working;
    constexpr int single = Qt::TextSingleLine | Qt::TextShowMnemonic;
    switch (layout) {
    case Layout::CaptionLeft:
    case Layout::ImageLeft:
        geometry.captionFlags = single | Qt::AlignLeft | Qt::AlignVCenter;
        geometry.imageCentring = kCentreVertically;
        break;
    case Layout::ImageTop:
        geometry.captionFlags = single | Qt::AlignHCenter | Qt::AlignBottom;
        geometry.imageCentring = kCentreHorizontally;
        break;
    case Layout::CaptionTop:
        geometry.captionFlags = single | Qt::AlignHCenter | Qt::AlignTop;
        geometry.imageCentring = kCentreHorizontally;
        break;
    }
    if (imageSize.isEmpty()) {
        return geometry;
    }
    switch (layout) {
    case Layout::CaptionLeft:
        geometry.imageRect.translate(captionSize.width() + kGap, 0);
        break;
    case Layout::ImageLeft:
        geometry.captionRect.translate(imageSize.width() + kGap, 0);
        break;
    case Layout::CaptionTop:
        geometry.imageRect.translate(0, captionSize.height() + kGap);
        break;
    case Layout::ImageTop:
        break;
    }
    return geometry;
}

// Which part of a bitmap lands where when it is centred in `rect` as `centring` says: a bitmap
// larger than the rectangle shows its middle, a smaller one is moved in. Only the bitmap's own
// pixels are copied, so `block` may be smaller than the rectangle.
struct BlitGeometry
{
    QPoint source;
    QPoint destination;
    QSize block;
};

BlitGeometry ComputeBlit(const QRect &rect, const QSize &bitmap, int centring)
{
    // Halves truncated toward zero, as integer division does.
    const int dx = (bitmap.width() - rect.width()) / 2;
    const int dy = (bitmap.height() - rect.height()) / 2;
    QPoint source(0, 0);
    QPoint destination = rect.topLeft();
    if (centring & kCentreHorizontally) {
        if (dx > 0) {
            source.setX(dx);
        } else {
            destination.rx() += std::abs(dx);
        }
    }
    if (centring & kCentreVertically) {
        if (dy > 0) {
            source.setY(dy);
        } else {
            destination.ry() += std::abs(dy);
        }
    }
    const QSize block(std::max(0, std::min(rect.width(), bitmap.width() - source.x())),
                      std::max(0, std::min(rect.height(), bitmap.height() - source.y())));
    return { source, destination, block };
}

} // namespace

CHotTrackButton::CHotTrackButton(QWidget *parent)
    : QPushButton(parent)
{
    setAutoDefault(false);
    // Pointer moves without a pressed button are needed to light up under the pointer.
    setMouseTracking(true);
    // A press takes the focus itself, after it has marked the button pressed.
    setFocusPolicy(Qt::TabFocus);
    m_disabled = !isEnabled();
}

bool CHotTrackButton::AssignBitmaps(const QString &normal, const QString &hot,
                                    const QString &disabled)
{
    m_bitmapNormal = QPixmap();
    m_bitmapHot = QPixmap();
    m_bitmapDisabled = QPixmap();
    const bool loaded = LoadBitmap(m_bitmapNormal, normal, true)
        && LoadBitmap(m_bitmapHot, hot, false) && LoadBitmap(m_bitmapDisabled, disabled, false);
    update();
    return loaded;
}

bool CHotTrackButton::AssignBitmapIds(uint normal, uint hot, uint disabled)
{
    return AssignBitmaps(BitmapPathForId(normal), BitmapPathForId(hot), BitmapPathForId(disabled));
}

void CHotTrackButton::SetLayout(Layout layout)
{
    m_layout = layout;
}

QSize CHotTrackButton::sizeHint() const
{
    const QSize caption = fontMetrics().size(Qt::TextSingleLine | Qt::TextShowMnemonic, text());
    const QSize image = m_bitmapNormal.deviceIndependentSize().toSize();
    QSize content;
    if (image.isEmpty()) {
        content = caption;
    } else if (text().isEmpty()) {
        content = image;
    } else if (m_layout == Layout::ImageTop || m_layout == Layout::CaptionTop) {
        content = QSize(std::max(caption.width(), image.width()),
                        caption.height() + kGap + image.height());
    } else {
        content = QSize(caption.width() + kGap + image.width(),
                        std::max(caption.height(), image.height()));
    }
    // Insets on both sides, and one pixel for the pressed shift.
    return content + QSize(2 * kSideInset + 1, 2 * kTopInset + 1);
}

void CHotTrackButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    const QString caption = text();

    DrawBorder3d(painter, rect());

    QColor textColor = palette().color(QPalette::Normal, QPalette::WindowText);
    const QPixmap *image = &m_bitmapNormal;
    if (m_focused) {
        textColor = QColor(0, 0, 255);
        image = m_bitmapHot.isNull() ? &m_bitmapNormal : &m_bitmapHot;
    }
    // The highlight wins over the focus.
    if (m_hot) {
        textColor = QColor(255, 255, 0);
        image = m_bitmapHot.isNull() ? &m_bitmapNormal : &m_bitmapHot;
    }
    if (m_disabled) {
        image = &m_bitmapDisabled;
    }

    const QSize imageSize = image->deviceIndependentSize().toSize();
    const QSize captionSize(painter.fontMetrics().horizontalAdvance(caption),
                            painter.fontMetrics().height());
    const HotTrackGeometry geometry =
        ComputeHotTrackGeometry(rect(), m_layout, m_pressed, m_disabled, captionSize, imageSize);
    if (!image->isNull()) {
        const BlitGeometry blit =
            ComputeBlit(geometry.imageRect, imageSize, geometry.imageCentring);
        const qreal ratio = image->devicePixelRatio();
        painter.drawPixmap(QRect(blit.destination, blit.block), *image,
                           QRectF(QPointF(blit.source) * ratio, QSizeF(blit.block) * ratio));
    }
    if (m_disabled) {
        painter.setPen(palette().color(QPalette::Normal, QPalette::Light));
        painter.drawText(geometry.captionRect.translated(1, 1), geometry.captionFlags, caption);
        textColor = palette().color(QPalette::Normal, QPalette::Dark);
    }
    painter.setPen(textColor);
    painter.drawText(geometry.captionRect, geometry.captionFlags, caption);
}

void CHotTrackButton::DrawBorder3d(QPainter &painter, const QRect &rect) const
{
    QColor topLeft;
    QColor bottomRight;
    switch (m_frameStyle) {
    case Style::Flat:
        topLeft = bottomRight = palette().color(QPalette::Normal, QPalette::Button);
        break;
    case Style::Sunken:
        topLeft = palette().color(QPalette::Normal, QPalette::Dark);
        bottomRight = palette().color(QPalette::Normal, QPalette::Light);
        break;
    case Style::Raised:
        topLeft = palette().color(QPalette::Normal, QPalette::Light);
        bottomRight = palette().color(QPalette::Normal, QPalette::Dark);
        break;
    }
    // Top and left without their last pixel, right and bottom in full.
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), topLeft);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
}

void CHotTrackButton::TakeFocus()
{
    m_takingFocus = true;
    setFocus(Qt::MouseFocusReason);
    m_takingFocus = false;
}

void CHotTrackButton::Enter(bool leftButtonDown)
{
    m_tracking = true;
    m_pressed = leftButtonDown;
    m_hot = true;
    m_frameStyle = m_pressed ? Style::Sunken : Style::Raised;
    repaint();
}

void CHotTrackButton::Leave()
{
    m_frameStyle = Style::Flat;
    m_pressed = false;
    m_hot = false;
    repaint();
    m_tracking = false;
}

void CHotTrackButton::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    const bool inside = rect().contains(event->position().toPoint());
    // Without the (virtual) capture a move outside belongs to the window under the pointer;
    // Qt still reports it here while a button is held since the press.
    if (!m_tracking && !inside) {
        return;
    }
    if (m_tracking && m_frameStyle != Style::Flat) {
        if (!inside) {
            Leave();
        }
        return;
    }
    Enter(event->buttons().testFlag(Qt::LeftButton));
}

void CHotTrackButton::leaveEvent(QEvent *event)
{
    // Holding the capture, the button would see the next move outside and leave.
    if (m_tracking) {
        Leave();
    }
    QPushButton::leaveEvent(event);
}

void CHotTrackButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QPushButton::mousePressEvent(event);
        return;
    }
    event->accept();
    m_pressed = true;
    m_hot = false;
    if (std::exchange(m_focusFromPress, false)) {
        // A click focus policy gave the focus before this press arrived: finish as the
        // focus step does for a press on an unfocused button.
        m_focused = true;
        m_hot = true;
        m_frameStyle = Style::Sunken;
        repaint();
        return;
    }
    if (!hasFocus()) {
        // Taking the focus shows the button sunken, as it is already marked pressed.
        TakeFocus();
        return;
    }
    m_frameStyle = Style::Sunken;
    repaint();
}

void CHotTrackButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    // After the pointer left the button, the release belongs to the window under it.
    if (!m_tracking && !rect().contains(event->position().toPoint())) {
        return;
    }
    m_pressed = false;
    m_hot = true;
    if (!hasFocus()) {
        TakeFocus();
    } else {
        m_frameStyle = Style::Raised;
        repaint();
    }
    emit clicked();
}

void CHotTrackButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QPushButton::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    m_pressed = true;
    if (!hasFocus()) {
        TakeFocus();
        return;
    }
    m_frameStyle = Style::Sunken;
    repaint();
    // Flat again, but only drawn so at the next repaint.
    m_frameStyle = Style::Flat;
}

void CHotTrackButton::focusInEvent(QFocusEvent *event)
{
    // Focus given for a mouse press by anyone but the button itself: the press follows.
    m_focusFromPress = event->reason() == Qt::MouseFocusReason && !m_takingFocus;
    m_focused = true;
    m_hot = true;
    m_frameStyle = m_pressed ? Style::Sunken : Style::Raised;
    QPushButton::focusInEvent(event);
    repaint();
}

void CHotTrackButton::focusOutEvent(QFocusEvent *event)
{
    m_focusFromPress = false;
    m_frameStyle = Style::Flat;
    m_focused = false;
    m_hot = false;
    QPushButton::focusOutEvent(event);
    repaint();
}

void CHotTrackButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_disabled = !isEnabled();
    }
    QPushButton::changeEvent(event);
}
