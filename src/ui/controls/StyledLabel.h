#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

// Character height in pixels of a font of `points` points on a device of `logicalDpiY`
// pixels per inch, rounded to the nearest pixel (9 pt at 96 dpi: 12 pixels).
int PointSizeToPixelHeight(int points, int logicalDpiY);

// A static text with its own font, built from its current font one attribute at a time, and
// its own text colour, drawn on a transparent background.
class CStyledLabel : public QLabel
{
    Q_OBJECT

public:
    explicit CStyledLabel(QWidget *parent = nullptr);

    // Each operation changes one attribute, keeps the others of the current font, and
    // returns true.
    bool ApplyTextColor(const QColor &color);
    bool ApplyFaceName(const QString &faceName);
    bool ApplyPointSize(int points);
    bool ApplyBold(bool bold);
    bool ApplyItalic(bool italic);

    QColor TextColor() const { return m_textColor; }

    QSize sizeHint() const override;

private:
    void RebuildFont(const QFont &font);
    void ApplyColors();

    QFont m_font;
    QColor m_textColor;
    QColor m_backColor;
    bool m_transparent = true;
};
