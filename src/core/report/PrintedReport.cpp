#include "core/report/PrintedReport.h"

#include "core/text/StringTable.h"

#include <QList>

namespace {

constexpr int kLeft = 200;
constexpr int kValueLeft = 360;
constexpr int kTitleTop = -200;
constexpr int kBodyTop = -300;
constexpr int kPitchExtra = 10;

// Body lines by their slot: slot s stands at kBodyTop - s * pitch on the first page. Slots that
// would end below the printable area move to a further page, keeping their spacing, with the
// first moved slot at kBodyTop.
class BodyLayout
{
public:
    BodyLayout(ReportCanvas &canvas, int pitch, int cellHeight)
        : m_canvas(canvas)
        , m_pitch(pitch)
        , m_cellHeight(cellHeight)
        , m_pageHeight(canvas.PrintableHeight())
    { }

    bool Draw(int slot, int x, const QString &text)
    {
        int y = kBodyTop - (slot - m_pageFirstSlot) * m_pitch;
        const bool below = m_pageHeight > 0 && y - m_cellHeight < -m_pageHeight;
        if (below && slot > m_pageFirstSlot) {
            if (!m_canvas.NewPage())
                return false;
            m_pageFirstSlot = slot;
            y = kBodyTop;
        }
        m_canvas.DrawText(x, y, text);
        return true;
    }

private:
    ReportCanvas &m_canvas;
    int m_pitch = 0;
    int m_cellHeight = 0;
    int m_pageHeight = 0;
    int m_pageFirstSlot = 0;
};

} // namespace

int ReportLinePitch(const ReportCanvas::TextMetrics &metrics)
{
    return metrics.height + metrics.externalLeading + kPitchExtra;
}

bool DrawPrintedReport(ReportCanvas &canvas, const ReportContent &content)
{
    const QString face = LoadString(StringId::FontFace);
    canvas.SelectFont({ face, kTitleFontHeight, kTitleFontWeight });
    canvas.DrawText(kLeft, kTitleTop, ReportTitleLine(content));

    canvas.SelectFont({ face, kBodyFontHeight, kBodyFontWeight });
    const ReportCanvas::TextMetrics metrics = canvas.GetTextMetrics();
    BodyLayout body(canvas, ReportLinePitch(metrics), metrics.height);

    struct Line
    {
        int slot;
        int x;
        QString text;
    };
    QList<Line> lines {
        { 0, kLeft, ReportLabelLine(StringId::UnitLine, content.unit) },
        { 1, kLeft, ReportLabelLine(StringId::DateLine, content.date) },
        { 2, kLeft, ReportLabelLine(StringId::SampleNameLine, content.sampleName) },
        { 3, kLeft, ReportLabelLine(StringId::BatchNoLine, content.batchNo) },
        { 4, kLeft, LoadString(StringId::OrderLabel) },
    };
    // The first value stands on the label's line; one empty line separates the statistics.
    const int n = static_cast<int>(content.values.size());
    if (n > 0) {
        for (int i = 1; i <= n; ++i)
            lines.append({ 3 + i, kValueLeft, ReportValueLine(content, i) });
        lines.append({ n + 5, kLeft, ReportLabelLine(StringId::MeanLine, content.mean) });
        lines.append({ n + 6, kLeft, ReportLabelLine(StringId::DeviationLine, content.deviation) });
        lines.append({ n + 7, kLeft, ReportLabelLine(StringId::InspectorLine, content.inspector) });
    }
    for (const Line &line : lines) {
        if (!body.Draw(line.slot, line.x, line.text))
            return false;
    }
    return true;
}
