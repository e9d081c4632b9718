#pragma once

#include <QColor>
#include <QPushButton>

class QPainter;

// A push button with its own face, caption and disabled-caption colours and a shaded bevel.
// It tells its parent the moment the left mouse button goes down on it and comes up again,
// before the ordinary button handling; the keyboard sends neither signal.
class CColorButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CColorButton(QWidget *parent = nullptr);

    // Attaches the button to dialog item nID of pParent (see SubclassDlgItem) and stores the
    // colours and the bevel width. Returns false and stores nothing when there is no such item.
    bool SubclassWithColors(int nID, QWidget *pParent, const QColor &faceColor,
                            const QColor &textColor, const QColor &disabledTextColor,
                            int bevelWidth);

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
