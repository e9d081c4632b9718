#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>

// Digit images: 0 to 9, blank, point, colon, minus, plus.
inline constexpr int kDigitImageCount = 15;

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
