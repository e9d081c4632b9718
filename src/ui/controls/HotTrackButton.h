#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QRect>

// Where caption and image go inside a hover button (see CHotTrackButton::SetLayout).
struct HotTrackGeometry
{
    QRect captionRect;
    int captionFlags = 0;
    QRect imageRect;
    int imageCentring = 0;
};

inline constexpr int kCentreHorizontally = 1;
inline constexpr int kCentreVertically = 2;

// Caption and image rectangles for a button of `item` size: 5 pixels in at the sides, 2 at
// top and bottom, 1 pixel right and down while pressed (never while disabled), then arranged
// by `layout`. `imageSize` is empty when no image is drawn.
HotTrackGeometry ComputeHotTrackGeometry(const QRect &item, int layout, bool pressed, bool disabled,
                                         const QSize &captionSize, const QSize &imageSize);

// Which part of a bitmap lands where when it is centred in `rect` as `centring` says: a
// bitmap larger than the rectangle shows its middle, a smaller one is moved in. Only the
// bitmap's own pixels are copied, so `block` may be smaller than the rectangle.
struct BlitGeometry
{
    QPoint source;
    QPoint destination;
    QSize block;
};
BlitGeometry ComputeBlit(const QRect &rect, const QSize &bitmap, int centring);

// A push button with an image and a caption that lights up while the pointer is over it or
// while it has the focus, looks sunken while the left button is held on it, and sends one
// click for each left-button release on it.
class CHotTrackButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CHotTrackButton(QWidget *parent = nullptr);

    // Drops the images held so far and loads the normal, highlighted and disabled images (Qt
    // resource paths). The highlighted and disabled paths may be empty, which leaves those
    // images empty. Returns false at the first image that cannot be loaded (a missing normal
    // image included); the images before it stay, the later ones stay empty.
    bool AssignBitmaps(const QString &normal, const QString &hot, const QString &disabled);
    // The same with numeric image IDs; 0 stands for no image.
    bool AssignBitmapIds(uint normal, uint hot, uint disabled);

    // 0: caption left, image right of it; 1: image left, caption right of it; 2: image at the
    // top, caption centred at the bottom; 3: caption centred at the top, image below it.
    // Takes effect at the next paint.
    void SetLayout(int layout);
    int Layout() const { return m_layout; }

    bool IsHot() const { return m_hot; }
    bool IsPressed() const { return m_pressed; }
    bool IsFocused() const { return m_focused; }
    bool IsTracking() const { return m_tracking; }
    // 0 flat, 1 sunken, 2 raised.
    int FrameStyle() const { return m_frameStyle; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void TakeFocus();
    void Enter(bool leftButtonDown);
    void Leave();
    void DrawBorder3d(QPainter &painter, const QRect &rect) const;

    bool m_hot = false;
    QPixmap m_bitmapNormal;
    QPixmap m_bitmapHot;
    QPixmap m_bitmapDisabled;
    int m_layout = 0;
    bool m_disabled = false;
    bool m_focused = false;
    bool m_pressed = false;
    int m_frameStyle = 0;
    // Set while the button follows the pointer, as if it held the mouse capture.
    bool m_tracking = false;
    // The focus arrived for a mouse press, before the press event itself.
    bool m_focusFromPress = false;
    bool m_takingFocus = false;
};
