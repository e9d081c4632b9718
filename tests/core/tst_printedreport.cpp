#include "core/report/PrintedReport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Records every call as one line: "font <face> <height> <weight>", "text <x> <y> <text>",
// "page".
struct RecordingCanvas : ReportCanvas
{
    void SelectFont(const Font &font) override
    {
        height = font.characterHeight;
        calls << u"font %1 %2 %3"_s.arg(font.face).arg(font.characterHeight).arg(font.weight);
    }
    TextMetrics GetTextMetrics() const override { return { height, 0 }; }
    void DrawText(int x, int y, const QString &text) override
    {
        calls << u"text %1 %2 %3"_s.arg(x).arg(y).arg(text);
    }
    int PrintableHeight() const override { return printableHeight; }
    bool NewPage() override
    {
        calls << u"page"_s;
        return pagesLeft-- > 0;
    }

    QStringList calls;
    int printableHeight = 0;
    int pagesLeft = 10;
    int height = 0;
};

ReportContent Content(int valueCount)
{
    ReportContent content;
    content.unit = u"U"_s;
    content.date = u"2024-03-07"_s;
    content.sampleName = u"S"_s;
    content.batchNo = u"B"_s;
    content.inspector = u"I"_s;
    for (int i = 0; i < valueCount; ++i)
        content.values << u"%1.000"_s.arg(i + 1);
    if (valueCount > 0)
        content.mean = u"M"_s;
    return content;
}

const QStringList kHead {
    u"font 宋体 60 700"_s,
    u"text 200 -200 旋光度(α°) 测试报表"_s,
    u"font 宋体 40 400"_s,
    u"text 200 -300 送样单位: U"_s,
    u"text 200 -350 日期: 2024-03-07"_s,
    u"text 200 -400 样品名称: S"_s,
    u"text 200 -450 批    号: B"_s,
    u"text 200 -500 次序:"_s,
};

} // namespace

class tst_PrintedReport : public QObject
{
    Q_OBJECT

private slots:
    void furtherPages();
};

void tst_PrintedReport::furtherPages()
{
    // 100 mm printable: slot s ends at -300 - 50s - 40, so slots up to 13 (value 10) fit.
    RecordingCanvas canvas;
    canvas.printableHeight = 1000;
    QVERIFY(DrawPrintedReport(canvas, Content(20)));
    const qsizetype first = kHead.size();
    QCOMPARE(canvas.calls.mid(0, first), kHead);
    QCOMPARE(canvas.calls.at(first + 9), u"text 360 -950 10.旋光度(α°)= 10.000"_s);
    QCOMPARE(canvas.calls.mid(first + 10, 3),
             (QStringList { u"page"_s, u"text 360 -300 11.旋光度(α°)= 11.000"_s,
                            u"text 360 -350 12.旋光度(α°)= 12.000"_s }));
    QCOMPARE(
        canvas.calls.mid(first + 20),
        (QStringList { u"text 360 -750 20.旋光度(α°)= 20.000"_s, u"text 200 -850 平均结果(n)= M"_s,
                       u"text 200 -900 标准偏差(σ)= "_s, u"text 200 -950 检 验 员: I"_s }));

    // A page that cannot be started ends the drawing, and the caller learns of it.
    RecordingCanvas failing;
    failing.printableHeight = 1000;
    failing.pagesLeft = 0;
    QVERIFY(!DrawPrintedReport(failing, Content(20)));
    QCOMPARE(failing.calls.last(), u"page"_s);
}

QTEST_GUILESS_MAIN(tst_PrintedReport)
#include "tst_printedreport.moc"
