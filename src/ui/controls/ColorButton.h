#pragma once

#include <QColor>
#include <QList>
#include <QPushButton>
#include <QRect>

class QPainter;

// One pixel-wide edge of a bevel ring: the pixels it covers and their colour.
struct BevelEdge
{
    QRect pixels;
    QColor color;
};

// The edges of a bevel of |bevelWidth| rings, outermost first, in drawing order (top, left,
// bottom, right per ring). A negative width gives a sunken bevel, 0 gives none.
QList<BevelEdge> ColorButtonBevelEdges(const QRect &rect, int bevelWidth);

// The focus rectangle lies 4 pixels inside the button on every side.
QRect ColorButtonFocusRect(const QRect &rect);

// The caption as drawn: at most 511 characters, the room of the caption buffer.
QString ColorButtonCaption(const QString &text);

// A push button with its own face, caption and disabled-caption colours and a shaded bevel.
// It tells its parent the moment the left mouse button goes down on it and comes up again,
// before the ordinary button handling; the keyboard sends neither signal.
class CColorButton : public QPushButton
{
    Q_OBJECT

public:
    // The values of the private window messages that these signals replace.
    static constexpr int WM_COLORBUTTON_DOWN = 0x0400 + 11;
    static constexpr int WM_COLORBUTTON_UP = 0x0400 + 12;

    explicit CColorButton(QWidget *parent = nullptr);

    // Attaches the button to dialog item nID of pParent (see SubclassDlgItem) and stores the
    // colours and the bevel width. Returns false and stores nothing when there is no such item.
    bool SubclassWithColors(int nID, QWidget *pParent, const QColor &faceColor,
                            const QColor &textColor, const QColor &disabledTextColor,
                            int bevelWidth);

    QColor FaceColor() const { return m_faceColor; }
    QColor TextColor() const { return m_textColor; }
    QColor DisabledTextColor() const { return m_disabledTextColor; }
    int BevelWidth() const { return m_bevelWidth; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void colorButtonDown(int nID);
    void colorButtonUp(int nID);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void DrawFace(QPainter &painter, const QRect &rect, const QString &caption, int bevelWidth,
                  const QColor &captionColor) const;
    void DrawCaption(QPainter &painter, const QRect &rect, const QString &caption,
                     const QColor &color) const;
    static void DrawFocusRect(QPainter &painter, const QRect &rect);

    QColor m_textColor { 1, 1, 1 };
    QColor m_faceColor { 192, 192, 192 };
    QColor m_disabledTextColor { 128, 128, 128 };
    int m_bevelWidth = 2;
};
