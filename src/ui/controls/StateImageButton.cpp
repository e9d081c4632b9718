#include "ui/controls/StateImageButton.h"

#include "ui/controls/ResourceImages.h"

#include <QPainter>

CStateImageButton::CStateImageButton(QWidget *parent)
    : QPushButton(parent)
{
    setAutoDefault(false);
}

bool CStateImageButton::AssignStateBitmaps(const QString &state0, const QString &state1,
                                           const QString &state2, const QString &state3)
{
    m_imageState0 = QPixmap();
    m_imageState1 = QPixmap();
    m_imageState2 = QPixmap();
    m_imageState3 = QPixmap();
    const bool loaded = LoadBitmap(m_imageState0, state0, true)
        && LoadBitmap(m_imageState1, state1, false) && LoadBitmap(m_imageState2, state2, false)
        && LoadBitmap(m_imageState3, state3, false);
    update();
    return loaded;
}

bool CStateImageButton::AssignStateBitmapIds(uint state0, uint state1, uint state2, uint state3)
{
    return AssignStateBitmaps(BitmapPathForId(state0), BitmapPathForId(state1),
                              BitmapPathForId(state2), BitmapPathForId(state3));
}

void CStateImageButton::SetState(int nState)
{
    const int previous = m_state;
    m_state = nState;
    switch (nState) {
    case 1:
    case 2:
        setEnabled(true);
        setDown(true);
        break;
    case 3:
        setEnabled(false);
        break;
    default:
        m_state = 0;
        setEnabled(true);
        setDown(false);
        break;
    }
    // The lamp flashes (1, then 0 at once) while data arrive: each image has to reach the
    // screen, so the change is painted now rather than at the next paint cycle.
    if (m_state != previous) {
        repaint();
    }
}

const QPixmap &CStateImageButton::ImageForState(int state) const
{
    switch (state) {
    case 1:
        return m_imageState1;
    case 2:
        return m_imageState2;
    case 3:
        return m_imageState3;
    default:
        return m_imageState0;
    }
}

QSize CStateImageButton::sizeHint() const
{
    QSize hint =
        m_imageState0.isNull() ? QSize(14, 14) : m_imageState0.deviceIndependentSize().toSize();
    if (!text().isEmpty()) {
        const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
        hint = hint.expandedTo(caption);
    }
    return hint;
}

void CStateImageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect item = rect();
    const QPixmap &image = ImageForState(m_state);
    if (!image.isNull()) {
        // Only the image's own pixels are drawn, from the top-left corner; past them the
        // parent's background shows.
        const QSize imageSize = image.deviceIndependentSize().toSize().boundedTo(item.size());
        painter.drawPixmap(QRect(QPoint(0, 0), imageSize), image,
                           QRect(QPoint(0, 0), imageSize * image.devicePixelRatio()));
    }

    painter.setFont(font());
    constexpr int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    QColor textColor = palette().color(QPalette::Normal, QPalette::WindowText);
    if (m_state == 3) {
        painter.setPen(palette().color(QPalette::Normal, QPalette::Light));
        painter.drawText(item.translated(1, 1), flags, text());
        textColor = palette().color(QPalette::Normal, QPalette::Dark);
    }
    painter.setPen(textColor);
    painter.drawText(item, flags, text());
}
