#include "ui/controls/LedDigitDisplay.h"

#include "ui/controls/ResourceImages.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kBlankDigitImage = 10;

// Image index of a character: 0 to 9 the digits, 11 ".", 12 ":", 13 "-", 14 "+", and 10
// (all segments unlit) for a blank and every other character, any non-ASCII one included.
int DigitImageIndex(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    switch (u) {
    case u'.':
        return 11;
    case u':':
        return 12;
    case u'-':
        return 13;
    case u'+':
        return 14;
    default:
        return kBlankDigitImage;
    }
}

// The image index of every cell of a display with `digitCount` cells showing `text`: its first
// characters, then blank cells. Characters beyond the last cell are not shown.
QList<int> DigitCellImages(const QString &text, int digitCount)
{
    QList<int> cells(std::max(digitCount, 0), kBlankDigitImage);
    const qsizetype shown = std::min<qsizetype>(text.size(), cells.size());
    for (qsizetype p = 0; p < shown; ++p) {
        cells[p] = DigitImageIndex(text.at(p));
    }
    return cells;
}

// Cells of equal width, client width / digitCount, each as high as the client; cell
// `position` starts at cellWidth * position. The strip right of the last cell belongs to none.
QRect DigitCellRect(const QSize &client, int digitCount, int position)
{
    const int cellWidth = digitCount > 0 ? client.width() / digitCount : 0;
    return QRect(cellWidth * position, 0, cellWidth, client.height());
}

// A copy of a digit image whose lit segments, the pixels of (255, 0, 0), take `color`; unlit
// segments (128, 0, 0) and the black ground stay.
QImage RecolorLitSegments(const QImage &image, const QColor &color)
{
    QImage result = image.convertToFormat(QImage::Format_RGB32);
    const QRgb lit = qRgb(255, 0, 0);
    const QRgb replacement = qRgb(color.red(), color.green(), color.blue());
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        std::replace(line, line + result.width(), lit, replacement);
    }
    return result;
}

} // namespace

CLedDigitDisplay::CLedDigitDisplay(QWidget *parent)
    : QWidget(parent)
{
    // Every pixel is drawn by the paint, the strip right of the last cell included.
    setAttribute(Qt::WA_OpaquePaintEvent);
    LoadImages();
}

void CLedDigitDisplay::LoadImages()
{
    for (int i = 0; i < kDigitImageCount; ++i) {
        const QImage image = LoadResourceImage(ResourceId::FirstDigitImage + i);
        m_digitImages[i] = QPixmap::fromImage(RecolorLitSegments(image, m_ledColor));
    }
    m_imageInfo = m_digitImages[0].size();
}

void CLedDigitDisplay::SetDisplayText(const QString &text)
{
    m_text = text;
    update();
}

QColor CLedDigitDisplay::SetLedColor(const QColor &color)
{
    const QColor previous = m_ledColor;
    if (color.rgb() == m_ledColor.rgb()) {
        return previous;
    }
    m_ledColor = QColor::fromRgb(color.rgb());
    LoadImages();
    return previous;
}

void CLedDigitDisplay::SetDigitCount(int count)
{
    m_digitCount = std::max(count, 1);
}

QSize CLedDigitDisplay::sizeHint() const
{
    const QSize cell = m_imageInfo.isValid() ? m_imageInfo : QSize(13, 23);
    return QSize(cell.width() * m_digitCount, cell.height());
}

void CLedDigitDisplay::paintEvent(QPaintEvent *)
{
    const QSize client = size();
    const QRect firstCell = DigitCellRect(client, m_digitCount, 0);
    m_cellWidth = firstCell.width();
    m_cellHeight = firstCell.height();

    const qreal ratio = devicePixelRatioF();
    QPixmap picture(client * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::black);
    {
        QPainter memory(&picture);
        const QList<int> cells = DigitCellImages(m_text, m_digitCount);
        for (int p = 0; p < cells.size(); ++p) {
            const QPixmap &image = m_digitImages[cells[p]];
            if (!image.isNull()) {
                memory.drawPixmap(DigitCellRect(client, m_digitCount, p), image,
                                  QRect(QPoint(0, 0), m_imageInfo));
            }
        }
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}
