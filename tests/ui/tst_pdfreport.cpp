#include "core/report/RunReportLayout.h"
#include "core/text/Language.h"
#include "ui/report/PdfReport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A run of a few readings with every part the report can show, or a long one without a result,
// a method, limits, a verdict or signatures.
RunReport Report(int readings)
{
    RunReport report;
    report.runId = u"0d6f2c1e-run"_s;
    report.lastHash = QByteArray(32, '\xab');
    report.mode = MeasurementMode::SugarDegree;
    for (int i = 1; i <= readings; ++i) {
        RunReport::Reading &row = report.readings.emplace_back();
        row.number = i;
        row.confirmed = u"2026-12-07T%1:%2:00.123+08:00"_s.arg(10 + i / 60)
                            .arg(i % 60, 2, 10, QLatin1Char('0'));
        row.received = u"12345"_s;
        row.value = u"35.652"_s;
    }
    if (readings > 3)
        return report;
    report.readings[0].stable = true;
    report.readings[1].exclusion = RunReport::Exclusion { u"气泡"_s, u"王五"_s, {} };
    report.lab = u"质检一室"_s;
    report.station = u"lab-pc-3"_s;
    report.port = u"/dev/ttyUSB0"_s;
    report.instrument = u"P-810 SN 4411"_s;
    report.method = u"蔗糖 USP"_s;
    report.methodVersion = u"3"_s;
    report.summary = SummarizeRun(std::vector<double> { 35.2, 36.0 });
    report.lowerLimit = 35.0;
    report.upperLimit = 36.5;
    report.passed = true;
    report.signatures = { { u"王五"_s, RunReport::Meaning::Reviewed, u"2026-12-08T09:00:00+08:00"_s,
                            u"复核无误"_s } };
    return report;
}

// Every character as wide as a digit of the body font, near enough for the layout.
class FixedMeasure : public ReportTextMeasure
{
public:
    int width(const QString &text, ReportStyle style) const override
    {
        return static_cast<int>(text.size()) * ReportCharacterHeight(style) / 2;
    }
};

} // namespace

class tst_PdfReport : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { InstallTranslators(false, QCoreApplication::applicationDirPath()); }

    void pdfText_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("readings");
        QTest::addColumn<QStringList>("texts");
        const QStringList common { u"质检一室"_s,      u"lab-pc-3"_s,       u"/dev/ttyUSB0"_s,
                                   u"P-810 SN 4411"_s, u"蔗糖 USP"_s,       u"12.345"_s,
                                   u"35.652"_s,        u"35.600"_s,         u"0.566"_s,
                                   u"1.59 %"_s,        u"35.000"_s,         u"36.500"_s,
                                   u"王五"_s,          u"复核无误"_s,       u"气泡"_s,
                                   u"0d6f2c1e-run"_s,  u"ab"_s.repeated(32) };
        QTest::newRow("Chinese, every part")
            << false << 3 << common + QStringList { u"合格"_s, u"审核"_s, u"确认时间"_s };
        QTest::newRow("English, every part")
            << true << 3 << common + QStringList { u"Pass"_s, u"Reviewed"_s, u"Confirmed"_s };
        QTest::newRow("100 readings run over pages")
            << false << 100 << QStringList { u"本次测量没有结果"_s };
    }

    // What pdftotext finds: each reading's time, the statistics, the optional parts, and on every
    // page the table's header and the page marker.
    void pdfText()
    {
        QFETCH(bool, english);
        QFETCH(int, readings);
        QFETCH(QStringList, texts);
        QCOMPARE(InstallTranslators(english, QCoreApplication::applicationDirPath())
                     == UiLanguage::English,
                 english);
        const RunReport report = Report(readings);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"run.pdf"_s);
        QVERIFY(PdfReport::write(path, report).ok());
        QProcess pdftotext;
        pdftotext.start(u"pdftotext"_s, { u"-layout"_s, path, u"-"_s });
        QVERIFY(pdftotext.waitForFinished() && pdftotext.exitCode() == 0);
        // pdftotext drops some blanks between Chinese characters.
        const auto bare = [](QString text) {
            return text.remove(u' ');
        };
        const QStringList pages = bare(QString::fromUtf8(pdftotext.readAllStandardOutput()))
                                      .split(u'\f', Qt::SkipEmptyParts);
        QVERIFY(pages.size() >= 1 + readings / 50);
        const QString all = pages.join(u'\n');
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QString marker = RunReportLayout::pageMarker(static_cast<int>(i) + 1,
                                                               static_cast<int>(pages.size()));
            QVERIFY2(pages.at(i).contains(bare(marker)), qPrintable(marker));
            QVERIFY2(pages.at(i).contains(bare(RunReportLayout::tr("确认时间"))),
                     qPrintable(pages.at(i)));
        }
        for (const RunReport::Reading &reading : report.readings)
            QVERIFY2(all.contains(reading.confirmed), qPrintable(reading.confirmed));
        for (const QString &text : std::as_const(texts))
            QVERIFY2(all.contains(bare(text)), qPrintable(text + u'\n' + all));
        // The excluded reading is struck through in its four cells, and only it.
        int struck = 0;
        for (const ReportPage &page : RunReportLayout::layOut(report, FixedMeasure()))
            struck +=
                static_cast<int>(std::count_if(page.texts.cbegin(), page.texts.cend(),
                                               [](const ReportText &text) { return text.struck; }));
        QCOMPARE(struck, readings > 3 ? 0 : 4);
        // Every font is embedded: the PDF shows the same on a computer without them.
        QProcess fonts;
        fonts.start(u"pdffonts"_s, { path });
        QVERIFY(fonts.waitForFinished() && fonts.exitCode() == 0);
        const QStringList lines = QString::fromUtf8(fonts.readAllStandardOutput()).split(u'\n');
        static const QRegularExpression kEmbedded(u" yes +(yes|no) +(yes|no) +[0-9]+ +[0-9]+$"_s);
        QVERIFY(lines.size() > 3);
        for (const QString &font : lines.mid(2, lines.size() - 3))
            QVERIFY2(kEmbedded.match(font).hasMatch(), qPrintable(font));
    }

    // Three body characters (UTF-16 units) to a line.
    void wrap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("at a blank, else where it is full")
            << u"abc de fgh"_s << QStringList { u"abc"_s, u"de"_s, u"fgh"_s };
        QTest::newRow("Chinese without blanks")
            << u"质检一室样品"_s << QStringList { u"质检一"_s, u"室样品"_s };
        QTest::newRow("line ends kept, a tab a blank")
            << u"a\tb\nc"_s << QStringList { u"a b"_s, u"c"_s };
        QTest::newRow("a surrogate pair stays whole")
            << u"\U0001F600\U0001F600\U0001F600"_s
            << QStringList { u"\U0001F600"_s, u"\U0001F600"_s, u"\U0001F600"_s };
    }

    void wrap()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(RunReportLayout::wrap(text, 3 * ReportCharacterHeight(ReportStyle::Body) / 2,
                                       ReportStyle::Body, FixedMeasure()),
                 lines);
    }
};

QTEST_MAIN(tst_PdfReport)
#include "tst_pdfreport.moc"
