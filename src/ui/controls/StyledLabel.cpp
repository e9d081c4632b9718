#include "ui/controls/StyledLabel.h"

#include <QPalette>

#include <cstdint>

namespace {

constexpr int kFaceNameLength = 31;
constexpr int kPointsPerInch = 72;

// The face name as a font description holds it: at most 31 characters.
QString FaceNameField(const QString &faceName)
{
    return faceName.left(kFaceNameLength);
}

} // namespace

int PointSizeToPixelHeight(int points, int logicalDpiY)
{
    // Rounded half away from zero, as the platform's multiply-and-divide rounds.
    const std::int64_t product = std::int64_t(points) * logicalDpiY;
    const std::int64_t half = kPointsPerInch / 2;
    return int(product >= 0 ? (product + half) / kPointsPerInch
                            : (product - half) / kPointsPerInch);
}

CStyledLabel::CStyledLabel(QWidget *parent)
    : QLabel(parent)
    , m_textColor(palette().color(QPalette::WindowText))
    , m_backColor(palette().color(QPalette::Base))
{
    // A static text control: left-aligned from the top, wrapped at word boundaries.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    // Names typed by the user are shown as they are, never read as markup.
    setTextFormat(Qt::PlainText);
    ApplyColors();
}

bool CStyledLabel::ApplyTextColor(const QColor &color)
{
    m_textColor = color;
    ApplyColors();
    update();
    return true;
}

bool CStyledLabel::ApplyFaceName(const QString &faceName)
{
    QFont current = font();
    current.setFamily(FaceNameField(faceName));
    RebuildFont(current);
    return true;
}

bool CStyledLabel::ApplyPointSize(int points)
{
    QFont current = font();
    const int pixels = PointSizeToPixelHeight(points, logicalDpiY());
    // A height of zero or less names no size that a font can have; the size stays.
    if (pixels > 0) {
        current.setPixelSize(pixels);
    }
    current.setStretch(QFont::AnyStretch);
    RebuildFont(current);
    return true;
}

bool CStyledLabel::ApplyBold(bool bold)
{
    QFont current = font();
    // "Don't care" (weight 0) renders as the normal weight.
    current.setWeight(bold ? QFont::Bold : QFont::Normal);
    RebuildFont(current);
    return true;
}

bool CStyledLabel::ApplyItalic(bool italic)
{
    QFont current = font();
    current.setItalic(italic);
    RebuildFont(current);
    return true;
}

void CStyledLabel::RebuildFont(const QFont &font)
{
    m_font = font;
    setFont(m_font);
}

void CStyledLabel::ApplyColors()
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, m_textColor);
    colors.setColor(QPalette::Window, m_backColor);
    setPalette(colors);
    setAutoFillBackground(!m_transparent);
}

QSize CStyledLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    return metrics.size(0, text()).grownBy(contentsMargins());
}
