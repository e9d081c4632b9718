#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QRect>

// A push button with an image and a caption that lights up while the pointer is over it or
// while it has the focus, looks sunken while the left button is held on it, and sends one
// click for each left-button release on it.
class CHotTrackButton : public QPushButton
{
    Q_OBJECT

public:
    // Where image and caption go.
    enum class Layout {
        CaptionLeft, // caption left, image right of it
        ImageLeft, // image left, caption right of it
        ImageTop, // image at the top, caption centred at the bottom
        CaptionTop, // caption centred at the top, image below it
    };
    enum class Style { Flat, Sunken, Raised };

    explicit CHotTrackButton(QWidget *parent = nullptr);

    // Drops the images held so far and loads the normal, highlighted and disabled images (Qt
    // resource paths). The highlighted and disabled paths may be empty, which leaves those
    // images empty. Returns false at the first image that cannot be loaded (a missing normal
    // image included); the images before it stay, the later ones stay empty.
    bool AssignBitmaps(const QString &normal, const QString &hot, const QString &disabled);
    // The same with numeric image IDs; 0 stands for no image.
    bool AssignBitmapIds(uint normal, uint hot, uint disabled);

    // Takes effect at the next paint.
    void SetLayout(Layout layout);

    bool IsHot() const { return m_hot; }
    bool IsPressed() const { return m_pressed; }
    bool IsFocused() const { return m_focused; }
    Style FrameStyle() const { return m_frameStyle; }

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
    Layout m_layout = Layout::CaptionLeft;
    bool m_disabled = false;
    bool m_focused = false;
    bool m_pressed = false;
    Style m_frameStyle = Style::Flat;
    // Set while the button follows the pointer, as if it held the mouse capture.
    bool m_tracking = false;
    // The focus arrived for a mouse press, before the press event itself.
    bool m_focusFromPress = false;
    bool m_takingFocus = false;
};
