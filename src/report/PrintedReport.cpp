#include "report/PrintedReport.h"

#include "app/StringTable.h"

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

    body.Draw(0, kLeft, ReportLabelLine(StringId::UnitLine, content.unit));
    body.Draw(1, kLeft, ReportLabelLine(StringId::DateLine, content.date));
    body.Draw(2, kLeft, ReportLabelLine(StringId::SampleNameLine, content.sampleName));
    body.Draw(3, kLeft, ReportLabelLine(StringId::BatchNoLine, content.batchNo));
    body.Draw(4, kLeft, LoadString(StringId::OrderLabel));

    const int n = static_cast<int>(content.values.size());
    if (n == 0)
        return true;
    for (int i = 1; i <= n; ++i) {
        if (!body.Draw(3 + i, kValueLeft, ReportValueLine(content, i)))
            return false;
    }
    return body.Draw(n + 5, kLeft, ReportLabelLine(StringId::MeanLine, content.mean))
        && body.Draw(n + 6, kLeft, ReportLabelLine(StringId::DeviationLine, content.deviation))
        && body.Draw(n + 7, kLeft, ReportLabelLine(StringId::InspectorLine, content.inspector));
}
