#include "ui/report/QtPainterCanvas.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

constexpr double kUnitsPerInch = 254.0; // 0.1 mm

// The character height (a Windows font height given negative) is the em height, which is what
// a Qt pixel size is; the painter's transform makes its units 0.1 mm.
QFont ToQFont(const ReportCanvas::Font &font)
{
    QFont qfont(font.face);
    qfont.setPixelSize(std::max(1, font.characterHeight));
    qfont.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
    qfont.setItalic(false);
    qfont.setUnderline(false);
    qfont.setStrikeOut(false);
    return qfont;
}

} // namespace

QtPainterCanvas::QtPainterCanvas(QPainter &painter, QPagedPaintDevice &device)
    : m_painter(painter)
    , m_device(device)
{
    ApplyUnits();
}

void QtPainterCanvas::ApplyUnits()
{
    m_painter.setTransform(QTransform::fromScale(m_device.logicalDpiX() / kUnitsPerInch,
                                                 m_device.logicalDpiY() / kUnitsPerInch));
    m_painter.setPen(Qt::black);
    m_painter.setFont(m_font);
}

void QtPainterCanvas::SelectFont(const Font &font)
{
    m_font = QFont(ToQFont(font), &m_device);
    m_painter.setFont(m_font);
}

ReportCanvas::TextMetrics QtPainterCanvas::GetTextMetrics() const
{
    // The font's pixel size is independent of the device, so its metrics come out in the
    // painter's logical units, 0.1 mm.
    const QFontMetricsF metrics(m_font, &m_device);
    return { qRound(metrics.ascent() + metrics.descent()), std::max(0, qRound(metrics.leading())) };
}

void QtPainterCanvas::DrawText(int x, int y, const QString &text)
{
    const QFontMetricsF metrics(m_font, &m_device);
    m_painter.drawText(QPointF(x, -y + metrics.ascent()), text);
}

int QtPainterCanvas::PrintableHeight() const
{
    return qRound(m_device.height() * kUnitsPerInch / m_device.logicalDpiY());
}

bool QtPainterCanvas::NewPage()
{
    if (!m_device.newPage())
        return false;
    ApplyUnits();
    return true;
}
