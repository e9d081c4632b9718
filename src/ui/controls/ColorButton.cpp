#include "ui/controls/ColorButton.h"

#include "ui/controls/DlgItem.h"

#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>

namespace {

constexpr int kFocusInset = 4;
constexpr int kMaxCaptionLength = 511;

// One pixel-wide edge of a bevel ring: the pixels it covers and their colour.
struct BevelEdge
{
    QRect pixels;
    QColor color;
};

// The edges of a bevel of |bevelWidth| rings, outermost first, in drawing order (top, left,
// bottom, right per ring). A negative width gives a sunken bevel, 0 gives none.
QList<BevelEdge> ColorButtonBevelEdges(const QRect &rect, int bevelWidth)
{
    QList<BevelEdge> edges;
    const int rings = std::abs(bevelWidth);
    const bool sunken = bevelWidth < 0;
    // Window-style edges: right and bottom are one past the last pixel.
    int left = rect.left();
    int top = rect.top();
    int right = rect.left() + rect.width();
    int bottom = rect.top() + rect.height();
    for (int i = 0; i < rings; ++i) {
        QColor light;
        QColor dark;
        if (rings == 1) {
            light = QColor(255, 255, 255);
            dark = QColor(128, 128, 128);
        } else {
            const int d = 255 / (i + 2);
            const int l = 192 + 63 / (i + 1);
            light = QColor(l, l, l);
            dark = QColor(d, d, d);
        }
        const QColor topLeft = sunken ? dark : light;
        QColor bottomRight = sunken ? light : dark;
        if (sunken && rings > 1 && i == rings - 1) {
            bottomRight = QColor(1, 1, 1);
        }
        // Each line leaves out its end point, as a line drawn to a point does.
        edges.append({ QRect(QPoint(left, top), QPoint(right - 1, top)), topLeft });
        edges.append({ QRect(QPoint(left, top), QPoint(left, bottom - 1)), topLeft });
        edges.append(
            { QRect(QPoint(left + 1, bottom - 1), QPoint(right - 1, bottom - 1)), bottomRight });
        edges.append(
            { QRect(QPoint(right - 1, top + 1), QPoint(right - 1, bottom - 1)), bottomRight });
        ++left;
        ++top;
        --right;
        --bottom;
    }
    // A ring on a rectangle too small for it covers nothing.
    edges.removeIf([](const BevelEdge &edge) { return !edge.pixels.isValid(); });
    return edges;
}

// The focus rectangle lies 4 pixels inside the button on every side.
QRect ColorButtonFocusRect(const QRect &rect)
{
    return rect.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
}

// The caption as drawn: at most 511 characters, the room of the caption buffer.
QString ColorButtonCaption(const QString &text)
{
    return text.left(kMaxCaptionLength);
}

} // namespace

CColorButton::CColorButton(QWidget *parent)
    : QPushButton(parent)
{
    // An owner-drawn button is never the dialog's default button: Enter on it goes to the
    // default button (Confirm in the main window).
    setAutoDefault(false);
    // The button takes the focus itself, after it has told its parent about the press.
    setFocusPolicy(Qt::TabFocus);
}

bool CColorButton::SubclassWithColors(int nID, QWidget *pParent, const QColor &faceColor,
                                      const QColor &textColor, const QColor &disabledTextColor,
                                      int bevelWidth)
{
    if (!SubclassDlgItem(this, nID, pParent)) {
        return false;
    }
    m_faceColor = faceColor;
    m_textColor = textColor;
    m_disabledTextColor = disabledTextColor;
    m_bevelWidth = bevelWidth;
    update();
    return true;
}

QSize CColorButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const QSize textSize =
        metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, ColorButtonCaption(text()));
    const int frame = std::abs(m_bevelWidth) + kFocusInset + 2;
    return QSize(textSize.width() + 2 * frame + 8, textSize.height() + 2 * frame);
}

QSize CColorButton::minimumSizeHint() const
{
    const int frame = 2 * (std::abs(m_bevelWidth) + kFocusInset);
    return QSize(frame, frame);
}

void CColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect buttonRect = rect();
    const QString caption = ColorButtonCaption(text());

    DrawFace(painter, buttonRect, caption, m_bevelWidth, m_textColor);
    if (hasFocus()) {
        DrawFocusRect(painter, ColorButtonFocusRect(buttonRect));
        if (isDown()) {
            // Pressed: a one-pixel sunken bevel; the caption stays where it was.
            DrawFace(painter, buttonRect, caption, -1, m_textColor);
            DrawFocusRect(painter, ColorButtonFocusRect(buttonRect));
        }
    } else if (!isEnabled()) {
        DrawCaption(painter, buttonRect, caption, m_disabledTextColor);
    }
}

void CColorButton::DrawFace(QPainter &painter, const QRect &rect, const QString &caption,
                            int bevelWidth, const QColor &captionColor) const
{
    painter.fillRect(rect, m_faceColor);
    for (const BevelEdge &edge : ColorButtonBevelEdges(rect, bevelWidth)) {
        painter.fillRect(edge.pixels, edge.color);
    }
    DrawCaption(painter, rect, caption, captionColor);
}

void CColorButton::DrawCaption(QPainter &painter, const QRect &rect, const QString &caption,
                               const QColor &color) const
{
    painter.save();
    painter.setFont(font());
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, caption);
    painter.restore();
}

void CColorButton::DrawFocusRect(QPainter &painter, const QRect &rect)
{
    if (rect.width() <= 0 || rect.height() <= 0) {
        return;
    }
    // A dotted frame that inverts every other pixel, so that it shows on any face colour.
    QList<QPoint> dots;
    const auto addDot = [&dots](int x, int y) {
        if ((x + y) % 2 == 0) {
            dots.append(QPoint(x, y));
        }
    };
    for (int x = rect.left(); x <= rect.right(); ++x) {
        addDot(x, rect.top());
        if (rect.bottom() != rect.top()) {
            addDot(x, rect.bottom());
        }
    }
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        addDot(rect.left(), y);
        if (rect.right() != rect.left()) {
            addDot(rect.right(), y);
        }
    }
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const QPoint &dot : dots) {
        painter.fillRect(QRect(dot, QSize(1, 1)), Qt::white);
    }
    painter.restore();
}

void CColorButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // The parent hears of the press before the button takes the focus or looks pressed.
        emit colorButtonDown(DlgCtrlId(this));
        setFocus(Qt::MouseFocusReason);
    }
    QPushButton::mousePressEvent(event);
}

void CColorButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit colorButtonUp(DlgCtrlId(this));
    }
    QPushButton::mouseReleaseEvent(event);
}

void CColorButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click is handled like a press but tells the parent nothing.
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
    }
    QPushButton::mousePressEvent(event);
}
