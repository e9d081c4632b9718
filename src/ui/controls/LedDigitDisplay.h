#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

// Image index of a character: 0 to 9 the digits, 11 ".", 12 ":", 13 "-", 14 "+", and 10
// (all segments unlit) for a blank and every other character, any non-ASCII one included.
int DigitImageIndex(QChar c);

inline constexpr int kBlankDigitImage = 10;
inline constexpr int kDigitImageCount = 15;

// The image index of every cell of a display with `digitCount` cells showing `text`: its first
// characters, then blank cells. Characters beyond the last cell are not shown.
QList<int> DigitCellImages(const QString &text, int digitCount);

// Cells of equal width, client width / digitCount, each as high as the client; cell
// `position` starts at cellWidth * position. The strip right of the last cell belongs to none.
QRect DigitCellRect(const QSize &client, int digitCount, int position);

// A copy of a digit image whose lit segments, the pixels of (255, 0, 0), take `color`; unlit
// segments (128, 0, 0) and the black ground stay.
QImage RecolorLitSegments(const QImage &image, const QColor &color);

// A row of seven-segment LED digits: every character of the text takes one cell of equal
// width and shows the image of its character stretched to the cell. The picture is composed
// off screen and drawn in one step.
class CLedDigitDisplay : public QWidget
{
    Q_OBJECT

public:
    explicit CLedDigitDisplay(QWidget *parent = nullptr);

    // Stores the text and repaints.
    void SetDisplayText(const QString &text);
    QString DisplayText() const { return m_text; }

    // Returns the previous colour. A new colour recolours the lit segments of the images; it
    // shows at the next paint.
    QColor SetLedColor(const QColor &color);
    QColor LedColor() const { return m_ledColor; }

    // Number of cells, at least 1; takes effect at the next paint.
    void SetDigitCount(int count);
    int DigitCount() const { return m_digitCount; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void LoadImages();

    QColor m_ledColor { 255, 0, 0 };
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    QSize m_imageInfo;
    int m_digitCount = 8;
    std::array<QPixmap, kDigitImageCount> m_digitImages;
    QString m_text = QStringLiteral(" 00.000");
};
