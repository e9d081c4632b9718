#include "ui/report/PdfReport.h"

#include "core/report/RunReportLayout.h"
#include "core/text/StringTable.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <array>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// At this resolution a device unit is the layout's 0.1 mm, and a font's pixel size its character
// height in those units.
constexpr int kUnitsPerInch = 254;

constexpr std::array kStyles { ReportStyle::Title, ReportStyle::Heading, ReportStyle::Body,
                               ReportStyle::Bold, ReportStyle::Small };

// The report's fonts on the writer; a face the system lacks (宋体 on Linux) falls back to one that
// has the glyphs, and whatever is used is embedded.
class PdfFonts : public ReportTextMeasure
{
public:
    explicit PdfFonts(QPdfWriter &writer)
    {
        const QString face = LoadString(StringId::FontFace);
        for (const ReportStyle style : kStyles) {
            QFont font(face);
            font.setPixelSize(ReportCharacterHeight(style));
            font.setBold(ReportStyleIsBold(style));
            // No ligatures: the "ff" of a hash would otherwise be one character (U+FB00) for
            // whoever copies or searches the text. Qt 6.4 has no switch for font features, but
            // shapes any letter-spaced text without them; 0.005 mm is spacing enough.
            font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
            m_fonts[Index(style)] = QFont(font, &writer);
        }
        for (const ReportStyle style : kStyles)
            m_metrics[Index(style)].emplace(m_fonts[Index(style)], &writer);
    }

    const QFont &font(ReportStyle style) const { return m_fonts[Index(style)]; }

    int width(const QString &text, ReportStyle style) const override
    {
        return static_cast<int>(std::ceil(m_metrics[Index(style)]->horizontalAdvance(text)));
    }

private:
    static std::size_t Index(ReportStyle style) { return static_cast<std::size_t>(style); }

    std::array<QFont, kStyles.size()> m_fonts;
    std::array<std::optional<QFontMetricsF>, kStyles.size()> m_metrics;
};

void DrawPage(QPainter &painter, const PdfFonts &fonts, const ReportPage &page)
{
    painter.setPen(QPen(Qt::black, 2));
    for (const ReportRule &rule : page.rules)
        painter.drawLine(rule.x1, rule.y1, rule.x2, rule.y2);
    for (const ReportText &text : page.texts) {
        QFont font = fonts.font(text.style);
        font.setStrikeOut(text.struck);
        painter.setFont(font);
        painter.drawText(QRectF(text.x, text.y, text.width, text.height),
                         Qt::AlignVCenter | Qt::TextSingleLine
                             | (text.alignRight ? Qt::AlignRight : Qt::AlignLeft),
                         text.text);
    }
}

} // namespace

QByteArray PdfReport::render(const RunReport &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(kUnitsPerInch);
        writer.setCreator(u"Velmora"_s);
        writer.setTitle(report.runId);
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        const PdfFonts fonts(writer);
        const QList<ReportPage> pages = RunReportLayout::layOut(report, fonts);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (i > 0 && !writer.newPage())
                return {};
            DrawPage(painter, fonts, pages.at(i));
        }
        if (!painter.end())
            return {};
    }
    return buffer.data();
}

PdfReport::Result PdfReport::write(const QString &path, const RunReport &report)
{
    const QByteArray bytes = render(report);
    if (bytes.isEmpty())
        return { OutputFile::Failure::CannotWrite, tr("PDF 文档无法生成") };
    OutputFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return {};
    return { file.failure(), file.errorString() };
}
