#include "core/report/RunReportLayout.h"

#include "core/measure/ModeText.h"
#include "core/report/ReportContent.h"
#include "core/text/StringTable.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLeft = 200;
constexpr int kRight = kReportPageWidth - 200;
constexpr int kTop = 200;
constexpr int kFooterRule = kReportPageHeight - 220;
constexpr int kContentBottom = kFooterRule - 30;
constexpr int kPad = 8; // above and below the lines of a row, and beside a cell's text
constexpr int kBlockGap = 40;
constexpr int kHalf = (kRight - kLeft) / 2;

constexpr int LineHeight(ReportStyle style)
{
    return ReportCharacterHeight(style) * 3 / 2;
}

struct Column
{
    int x = 0;
    int width = 0;
    bool right = false;
};

constexpr std::array kReadingColumns { Column { kLeft, 120 }, Column { 320, 560 },
                                       Column { 880, 220, true }, Column { 1100, 260, true },
                                       Column { 1380, kRight - 1380 } };
constexpr std::array kSignatureColumns { Column { kLeft, 420 }, Column { 620, 220 },
                                         Column { 840, 560 }, Column { 1400, kRight - 1400 } };

struct Cell
{
    Column column;
    QStringList lines;
    bool struck = false;
};

// Lays the blocks out down the pages; a page is started whenever the next block does not fit.
class Pages
{
public:
    explicit Pages(const ReportTextMeasure &measure)
        : m_measure(measure)
    {
        next();
    }

    QList<ReportPage> &pages() { return m_pages; }
    int y() const { return m_y; }
    void skip(int height) { m_y += height; }
    // What does not fit even on an empty page is placed there all the same, and cut at its end.
    bool fits(int height) const { return m_y + height <= kContentBottom || m_y == kTop; }
    void next()
    {
        m_pages.emplace_back();
        m_y = kTop;
    }

    QStringList wrap(const QString &text, int width, ReportStyle style) const
    {
        return RunReportLayout::wrap(text, width, style, m_measure);
    }

    Cell cell(const Column &column, const QString &text, ReportStyle style,
              bool struck = false) const
    {
        return { column, wrap(text, column.width - 2 * kPad, style), struck };
    }

    static int height(const QList<Cell> &row, ReportStyle style)
    {
        qsizetype lines = 1;
        for (const Cell &cell : row)
            lines = std::max(lines, cell.lines.size());
        return static_cast<int>(lines) * LineHeight(style) + 2 * kPad;
    }

    void text(int x, int y, int width, const QString &text, ReportStyle style, bool right = false,
              bool struck = false)
    {
        m_pages.last().texts.append(
            ReportText { x, y, width, LineHeight(style), text, style, right, struck });
    }

    void rule(int y) { m_pages.last().rules.append(ReportRule { kLeft, y, kRight, y }); }

    void row(const QList<Cell> &row, ReportStyle style)
    {
        for (const Cell &cell : row) {
            for (qsizetype i = 0; i < cell.lines.size(); ++i)
                text(cell.column.x + kPad, m_y + kPad + static_cast<int>(i) * LineHeight(style),
                     cell.column.width - 2 * kPad, cell.lines.at(i), style, cell.column.right,
                     cell.struck);
        }
        m_y += height(row, style);
    }

    // Lines of text at x, one below the other from y; returns where they end.
    int lines(int x, int y, int width, const QStringList &texts, ReportStyle style)
    {
        for (const QString &line : texts) {
            for (const QString &part : wrap(line, width, style)) {
                text(x, y, width, part, style);
                y += LineHeight(style);
            }
        }
        return y;
    }

    int linesHeight(int width, const QStringList &texts, ReportStyle style) const
    {
        qsizetype count = 0;
        for (const QString &line : texts)
            count += wrap(line, width, style).size();
        return static_cast<int>(count) * LineHeight(style);
    }

private:
    const ReportTextMeasure &m_measure;
    QList<ReportPage> m_pages;
    int m_y = kTop;
};

QString ModeTitle(MeasurementMode mode)
{
    return LoadString(StringId::ModeTitleBase + static_cast<int>(mode));
}

QString Note(const RunReport::Reading &reading)
{
    QStringList parts;
    if (reading.stable)
        parts << (*reading.stable ? RunReportLayout::tr("稳定") : RunReportLayout::tr("未稳定"));
    if (reading.autoConfirmed.value_or(false))
        parts << RunReportLayout::tr("自动确认");
    if (const auto &exclusion = reading.exclusion) {
        const QString who = QStringList { exclusion->by, exclusion->at }.join(u' ').trimmed();
        parts << RunReportLayout::tr("已剔除: %1").arg(exclusion->reason)
                + (who.isEmpty() ? QString() : u" ("_s + who + u')');
    }
    return parts.join(u"; "_s);
}

void Header(Pages &pages, const RunReport &report)
{
    const int width = kRight - kLeft;
    int y = pages.y();
    if (!report.lab.isEmpty())
        y = pages.lines(kLeft, y, width, { report.lab }, ReportStyle::Title);
    y = pages.lines(kLeft, y, width,
                    { ModeTitle(report.mode) + u' ' + LoadString(StringId::ReportWord) },
                    ReportStyle::Heading)
        + kBlockGap / 2;

    QStringList left { RunReportLayout::tr("工作站: %1").arg(report.station),
                       RunReportLayout::tr("端口: %1").arg(report.port) };
    if (!report.instrument.isEmpty())
        left << RunReportLayout::tr("仪器: %1").arg(report.instrument);
    if (!report.method.isEmpty())
        left << RunReportLayout::tr("方法: %1 (版本 %2)").arg(report.method, report.methodVersion);
    left << RunReportLayout::tr("状态: %1").arg(report.status)
         << RunReportLayout::tr("开始: %1").arg(report.started);
    if (!report.ended.isEmpty())
        left << RunReportLayout::tr("结束: %1").arg(report.ended);

    const ModeConstants &c = report.constants;
    const QStringList right {
        ReportLabelLine(StringId::UnitLine, report.unit),
        ReportLabelLine(StringId::SampleNameLine, report.sampleName),
        ReportLabelLine(StringId::BatchNoLine, report.batchNo),
        ReportLabelLine(StringId::InspectorLine, report.inspector),
        RunReportLayout::tr("模式: %1").arg(ModeTitle(report.mode)),
        RunReportLayout::tr("浓度模式: 比旋度 %1 [α], 试管长度 %2 dm")
            .arg(ConstantText(c.a), ConstantText(c.lenC)),
        RunReportLayout::tr("比旋度模式: 浓度 %1 g/100ml, 试管长度 %2 dm")
            .arg(ConstantText(c.C), ConstantText(c.lena)),
    };
    const int end = std::max(pages.lines(kLeft, y, kHalf - kPad, left, ReportStyle::Body),
                             pages.lines(kLeft + kHalf, y, kHalf, right, ReportStyle::Body));
    pages.skip(end - pages.y() + kBlockGap);
}

void Readings(Pages &pages, const RunReport &report)
{
    const QStringList titles { RunReportLayout::tr("序号"), RunReportLayout::tr("确认时间"),
                               RunReportLayout::tr("读数 (°)"), ModeTitle(report.mode),
                               RunReportLayout::tr("备注") };
    QList<Cell> header;
    for (qsizetype i = 0; i < titles.size(); ++i)
        header << pages.cell(kReadingColumns.at(i), titles.at(i), ReportStyle::Bold);
    const auto placeHeader = [&] {
        pages.rule(pages.y());
        pages.row(header, ReportStyle::Bold);
        pages.rule(pages.y());
    };

    placeHeader();
    for (const RunReport::Reading &reading : report.readings) {
        // An excluded reading stays in the table, struck through, with its reason beside it.
        const bool struck = reading.exclusion.has_value();
        const QList<Cell> row {
            pages.cell(kReadingColumns[0], QString::number(reading.number), ReportStyle::Body,
                       struck),
            pages.cell(kReadingColumns[1], reading.confirmed, ReportStyle::Body, struck),
            pages.cell(kReadingColumns[2], ReceivedDegrees(reading.received), ReportStyle::Body,
                       struck),
            pages.cell(kReadingColumns[3], reading.value, ReportStyle::Body, struck),
            pages.cell(kReadingColumns[4], Note(reading), ReportStyle::Body),
        };
        const int height = Pages::height(row, ReportStyle::Body);
        if (!pages.fits(height)) {
            pages.rule(pages.y());
            pages.next();
            placeHeader();
        }
        pages.row(row, ReportStyle::Body);
    }
    pages.rule(pages.y());
    pages.skip(kBlockGap);
}

void Statistics(Pages &pages, const RunReport &report)
{
    QStringList left { RunReportLayout::tr("测量次数(N)= %1").arg(report.readings.size()) };
    QStringList right;
    if (const auto &s = report.summary) {
        left << ReportLabelLine(StringId::MeanLine, FormatRunValue(static_cast<double>(s->mean)))
             << ReportLabelLine(StringId::DeviationLine,
                                s->deviation ? FormatRunValue(*s->deviation) : QString())
             << RunReportLayout::tr("相对标准偏差(RSD)= %1")
                    .arg(s->relativeDeviation
                             ? FormatRelativeDeviation(*s->relativeDeviation) + u" %"_s
                             : QString());
        right << RunReportLayout::tr("最小值= %1").arg(FormatRunValue(s->minimum))
              << RunReportLayout::tr("最大值= %1").arg(FormatRunValue(s->maximum));
    } else {
        left << RunReportLayout::tr("本次测量没有结果");
    }
    if (report.lowerLimit)
        right << RunReportLayout::tr("下限= %1").arg(FormatRunValue(*report.lowerLimit));
    if (report.upperLimit)
        right << RunReportLayout::tr("上限= %1").arg(FormatRunValue(*report.upperLimit));
    if (report.passed)
        right << RunReportLayout::tr("判定: %1")
                     .arg(*report.passed ? RunReportLayout::tr("合格")
                                         : RunReportLayout::tr("不合格"));

    const int height = std::max(pages.linesHeight(kHalf - kPad, left, ReportStyle::Body),
                                pages.linesHeight(kHalf, right, ReportStyle::Body));
    if (!pages.fits(height))
        pages.next();
    const int y = pages.y();
    pages.lines(kLeft, y, kHalf - kPad, left, ReportStyle::Body);
    pages.lines(kLeft + kHalf, y, kHalf, right, ReportStyle::Body);
    pages.skip(height + kBlockGap);
}

void Signatures(Pages &pages, const RunReport &report)
{
    if (report.signatures.isEmpty())
        return;
    const QStringList titles { RunReportLayout::tr("签名人"), RunReportLayout::tr("含义"),
                               RunReportLayout::tr("签名时间"), RunReportLayout::tr("备注") };
    QList<Cell> header;
    for (qsizetype i = 0; i < titles.size(); ++i)
        header << pages.cell(kSignatureColumns.at(i), titles.at(i), ReportStyle::Bold);
    bool first = true;
    for (const RunReport::Signature &signature : report.signatures) {
        const QList<Cell> row {
            pages.cell(kSignatureColumns[0], signature.fullName, ReportStyle::Body),
            pages.cell(kSignatureColumns[1],
                       RunReportLayout::meaningText(signature.meaning)
                           + (signature.changedAfter ? u"\n"_s + RunReportLayout::tr("签名后已更改")
                                                     : QString()),
                       ReportStyle::Body),
            pages.cell(kSignatureColumns[2], signature.at, ReportStyle::Body),
            pages.cell(kSignatureColumns[3], signature.comment, ReportStyle::Body),
        };
        // The heading goes with the first signature.
        const int above = first ? Pages::height(header, ReportStyle::Bold) : 0;
        if (!pages.fits(above + Pages::height(row, ReportStyle::Body)))
            pages.next();
        if (first)
            pages.row(header, ReportStyle::Bold);
        pages.rule(pages.y());
        pages.row(row, ReportStyle::Body);
        first = false;
    }
    pages.rule(pages.y());
}

void Footers(QList<ReportPage> &pages, const RunReport &report)
{
    const int line = LineHeight(ReportStyle::Small);
    const int markerWidth = 500;
    const int idWidth = kRight - kLeft - markerWidth;
    const int pageCount = static_cast<int>(pages.size());
    for (int i = 0; i < pageCount; ++i) {
        ReportPage &page = pages[i];
        const int y = kFooterRule + kPad;
        page.rules.append(ReportRule { kLeft, kFooterRule, kRight, kFooterRule });
        page.texts.append(ReportText { kLeft, y, idWidth, line,
                                       RunReportLayout::tr("运行编号: %1").arg(report.runId),
                                       ReportStyle::Small });
        page.texts.append(ReportText { kRight - markerWidth, y, markerWidth, line,
                                       RunReportLayout::pageMarker(i + 1, pageCount),
                                       ReportStyle::Small, true });
        if (!report.lastHash.isEmpty())
            page.texts.append(ReportText {
                kLeft, y + line, kRight - kLeft, line,
                RunReportLayout::tr("链哈希: %1").arg(QString::fromLatin1(report.lastHash.toHex())),
                ReportStyle::Small });
    }
}

} // namespace

QList<ReportPage> RunReportLayout::layOut(const RunReport &report, const ReportTextMeasure &measure)
{
    Pages pages(measure);
    Header(pages, report);
    Readings(pages, report);
    Statistics(pages, report);
    Signatures(pages, report);
    Footers(pages.pages(), report);
    return pages.pages();
}

QString RunReportLayout::pageMarker(int page, int pages)
{
    return tr("第 %1 页 共 %2 页").arg(page).arg(pages);
}

QString RunReportLayout::meaningText(RunReport::Meaning meaning)
{
    switch (meaning) {
    case RunReport::Meaning::Performed:
        break;
    case RunReport::Meaning::Reviewed:
        return tr("审核");
    case RunReport::Meaning::Approved:
        return tr("批准");
    }
    return tr("执行");
}

QStringList RunReportLayout::wrap(const QString &text, int width, ReportStyle style,
                                  const ReportTextMeasure &measure)
{
    QStringList lines;
    for (QString paragraph : text.split(u'\n')) {
        for (QChar &c : paragraph) {
            if (c.category() == QChar::Other_Control)
                c = u' ';
        }
        while (measure.width(paragraph, style) > width) {
            // The longest start that fits, at least one character, never half a surrogate pair.
            qsizetype end = 1;
            for (qsizetype next = end; next <= paragraph.size(); ++next) {
                if (next < paragraph.size() && paragraph.at(next).isLowSurrogate())
                    continue;
                if (measure.width(paragraph.first(next), style) > width)
                    break;
                end = next;
            }
            if (end < paragraph.size() && paragraph.at(end - 1).isHighSurrogate())
                ++end;
            // A blank right after the start that fits ends the line as well as one inside it; one
            // early in the line would leave it half empty, as Chinese text has no blanks to wrap.
            const qsizetype blank =
                end < paragraph.size() ? paragraph.first(end + 1).lastIndexOf(u' ') : -1;
            const qsizetype cut = blank > end / 2 ? blank : end;
            lines << paragraph.first(cut);
            paragraph = paragraph.sliced(cut).trimmed();
        }
        lines << paragraph;
    }
    return lines;
}
