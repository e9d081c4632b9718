#include "core/journal/Journal.h"
#include "core/journal/RunHistoryModel.h"
#include "core/report/TextReport.h"
#include "core/settings/Settings.h"
#include "core/text/Gb18030.h"
#include "ui/controls/RunChart.h"
#include "ui/report/ReportSaver.h"
#include "ui/windows/CHistoryDlg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 25; // every fifth measured by 李四

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_HistoryWindow : public QObject
{
    Q_OBJECT

private slots:
    // One journal for every test, written through the journal as the main window writes it:
    // 25 runs of one reading, then a completed run of three.
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Journal journal(u"lab-1"_s);
        QVERIFY(journal.open(m_journal).result.ok());
        RunHeader header { u"/dev/ttyS0"_s,
                           u"检验所 一室"_s,
                           u"蔗糖"_s,
                           {},
                           {},
                           1,
                           MeasurementMode::SugarDegree,
                           { 66.5f, 2.0f, 1.0f, 2.0f } };
        for (int i = 0; i < kRuns; ++i) {
            header.batchNo = u"B-%1"_s.arg(i);
            header.inspector = i % 5 == 1 ? u"李四"_s : u"张三"_s;
            journal.beginRun(header);
            QVERIFY(journal.recordReading({ 1, u"12345"_s, 12.345, RunTotals { u"12.345"_s, {} } })
                        .ok());
        }
        header.sampleCount = 3;
        header.inspector = u"=1+1"_s;
        journal.beginRun(header);
        QVERIFY(journal.recordReading({ 1, u"34626"_s, 100.00000474974513, {} }).ok());
        QVERIFY(journal.recordReading({ 2, u"A"_s, 0.0, {} }).ok());
        QVERIFY(journal
                    .recordReading(
                        { 3, u"-12345"_s, -35.65240162408605, RunTotals { u"45.218"_s, {} } })
                    .ok());
        QFile ini(m_ini);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(Gb18030::Encode(u"[SYSTEM]\r\nPrintTitle=市药品检验所\r\n"_s));
        ini.close();
        m_settings.Load();
    }

    void pagesLazily_data()
    {
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("pages of 10, no filter") << 10 << QString() << kRuns + 1;
        QTest::newRow("pages of 2, inspector text") << 2 << u"李四"_s << 5;
        QTest::newRow("one page holds all") << 100 << QString() << kRuns + 1;
        QTest::newRow("no match") << 10 << u"nothing like it"_s << 0;
    }

    // Pages continue after the last run held: none is lost or repeated at a page's edge, even
    // among runs started within the same millisecond.
    void pagesLazily()
    {
        QFETCH(int, pageSize);
        QFETCH(QString, text);
        QFETCH(int, expected);
        JournalDatabase db;
        QVERIFY(db.open(m_journal, JournalDatabase::OpenMode::Read).ok());
        const JournalHistory history(db);
        RunHistoryModel model(history, pageSize);
        QVERIFY(model.setFilter({ text, {}, {}, {} }).ok());
        QCOMPARE(model.matchCount(), expected);
        QCOMPARE(model.rowCount(), std::min(pageSize, expected));
        int fetches = 0;
        while (model.canFetchMore()) {
            model.fetchMore();
            QVERIFY(++fetches <= expected / pageSize);
        }
        QCOMPARE(model.rowCount(), expected);
        QSet<QString> ids;
        for (int row = 0; row < model.rowCount(); ++row) {
            ids.insert(model.run(row).id);
            if (row > 0)
                QVERIFY(model.run(row - 1).startedAt >= model.run(row).startedAt);
        }
        QCOMPARE(ids.size(), expected);
    }

    void filters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fromDays"); // relative to today; both 99: no date range
        QTest::addColumn<int>("toDays");
        QTest::addColumn<int>("expected");
        QTest::newRow("no filter") << QString() << 99 << 99 << kRuns + 1;
        QTest::newRow("inspector text") << u"李四"_s << 99 << 99 << 5;
        QTest::newRow("unit text, spaces around it") << u" 一室 "_s << 99 << 99 << kRuns + 1;
        QTest::newRow("today to today counts the whole day") << QString() << 0 << 0 << kRuns + 1;
        QTest::newRow("dates given in reverse") << QString() << 0 << -1 << kRuns + 1;
        QTest::newRow("yesterday only") << QString() << -1 << -1 << 0;
        QTest::newRow("text and today") << u"李四"_s << -1 << 0 << 5;
    }

    // The window's controls: the text trimmed, the date range whole days in local time.
    void filters()
    {
        QFETCH(QString, text);
        QFETCH(int, fromDays);
        QFETCH(int, toDays);
        QFETCH(int, expected);
        CHistoryDlg window(m_journal, m_settings);
        window.filterEdit()->setText(text);
        window.fromEdit()->setDate(QDate::currentDate().addDays(fromDays));
        window.toEdit()->setDate(QDate::currentDate().addDays(toDays));
        window.dateCheck()->setChecked(fromDays != 99);
        QVERIFY(window.refresh());
        QCOMPARE(window.model().matchCount(), expected);
        QCOMPARE(window.model().rowCount(), expected);
    }

    // Opened before the first Confirm wrote the journal, or on a damaged file: nothing to show,
    // no crash, and a later refresh finds the journal once it is there.
    void journalMissingOrDamaged()
    {
        const QString later = m_dir.filePath(u"later.sqlite"_s);
        CHistoryDlg window(later, m_settings);
        QVERIFY(!window.refresh());
        QFile garbage(later);
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) > 0);
        garbage.close();
        QVERIFY(!window.refresh());
        QCOMPARE(window.model().rowCount(), 0);
        QVERIFY(QFile::remove(later) && QFile::copy(m_journal, later));
        QVERIFY(window.refresh());
        QCOMPARE(window.model().matchCount(), kRuns + 1);
    }

    void chartGeometry_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("mean"); // NaN: none
        QTest::addColumn<double>("deviation");
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<double>("meanY");
        QTest::addColumn<QRectF>("band");
        QTest::addColumn<QList<int>>("numbers");
        const double none = std::nan("");
        // Plot 0,0 100 x 100. Scale 0 to 4 in steps of 1: y = 100 - 25 v.
        QTest::newRow("three values, mean and band")
            << QList<double> { 1, 2, 3 } << 2.0 << 1.0
            << QList<QPointF> { { 100 / 6.0, 75 }, { 50, 50 }, { 500 / 6.0, 25 } } << 50.0
            << QRectF(0, 25, 100, 50) << QList<int> { 1, 2, 3 };
        // The band widens the scale: 0 to 8 in steps of 2, y = 100 - 12.5 v.
        QTest::newRow("band wider than the values")
            << QList<double> { 3, 4 } << 4.0 << 3.0 << QList<QPointF> { { 25, 62.5 }, { 75, 50 } }
            << 50.0 << QRectF(0, 12.5, 100, 75) << QList<int> { 1, 2 };
        // Equal values: a span of 2 % around them, 4.9 to 5.1.
        QTest::newRow("equal values, no deviation")
            << QList<double> { 5, 5 } << 5.0 << none << QList<QPointF> { { 25, 50 }, { 75, 50 } }
            << 50.0 << QRectF() << QList<int> { 1, 2 };
        QTest::newRow("a value that is not a number has no point")
            << QList<double> { 1, none, 3 } << none << none
            << QList<QPointF> { { 100 / 6.0, 75 }, { 500 / 6.0, 25 } } << none << QRectF()
            << QList<int> { 1, 2, 3 };
        // 60 readings in 100 pixels, 24 pixels a number: every 15th.
        QTest::newRow("crowded reading numbers")
            << QList<double>(60, 1.0) << none << none << QList<QPointF>() << none << QRectF()
            << QList<int> { 1, 16, 31, 46 };
        QTest::newRow("no values") << QList<double>() << none << none << QList<QPointF>() << none
                                   << QRectF() << QList<int>();
    }

    void chartGeometry()
    {
        QFETCH(QList<double>, values);
        QFETCH(double, mean);
        QFETCH(double, deviation);
        QFETCH(QList<QPointF>, points);
        QFETCH(double, meanY);
        QFETCH(QRectF, band);
        QFETCH(QList<int>, numbers);
        const auto given = [](double v) {
            return std::isnan(v) ? std::nullopt : std::optional(v);
        };
        const QRectF plot(0, 0, 100, 100);
        const RunChartGeometry g = ComputeRunChart(values, given(mean), given(deviation), plot);
        if (!points.isEmpty() || values.isEmpty())
            QCOMPARE(g.points, points);
        QCOMPARE(g.meanY.has_value(), !std::isnan(meanY));
        if (g.meanY)
            QCOMPARE(*g.meanY, meanY);
        QCOMPARE(g.band, band);
        QList<int> shown;
        for (const RunChartGeometry::Tick &tick : g.readingTicks)
            shown << static_cast<int>(tick.value);
        QCOMPARE(shown, numbers);
        // The scale holds everything, its ends on its ticks.
        QVERIFY(g.low < g.high);
        QCOMPARE(g.scaleTicks.constFirst().at, plot.bottom());
        QCOMPARE(g.scaleTicks.constLast().at, plot.top());
        for (const QPointF &point : g.points)
            QVERIFY2(plot.contains(point), qPrintable(u"%1,%2"_s.arg(point.x()).arg(point.y())));
    }

    // The selected run's report is the one the main window saves for the same table: its values
    // as the table shows them, the statistics of its last row, the login texts and the mode.
    void savedReportIsTheMainWindowsReport()
    {
        CHistoryDlg window(m_journal, m_settings);
        window.runsView()->selectRow(0);
        QVERIFY(window.shownRun());
        QCOMPARE(window.chart()->values().size(), 3);
        QCOMPARE(window.chart()->mean(), 45.218);
        const QString fromHistory = m_dir.filePath(u"history.Txt"_s);
        QVERIFY(window.saveReport(fromHistory));

        ReportContent table;
        table.mode = MeasurementMode::SugarDegree;
        table.unit = u"检验所 一室"_s;
        table.sampleName = u"蔗糖"_s;
        table.batchNo = u"B-24"_s;
        table.inspector = u"=1+1"_s;
        table.values = QStringList { u"100.000"_s, u"0.000"_s, u"-35.652"_s };
        table.mean = u"45.218"_s;
        const QString fromTable = m_dir.filePath(u"table.Txt"_s);
        QVERIFY(SaveTextReport(nullptr, fromTable, table, m_settings).ok());
        QCOMPARE(ReadAll(fromHistory), ReadAll(fromTable));
    }

    // Several runs selected: the same bytes as velmora-journal exports for them.
    void csvIsTheToolsCsv()
    {
        CHistoryDlg *window = CHistoryDlg::Show(nullptr, m_journal, m_settings);
        QPointer<CHistoryDlg> guard(window);
        QTableView *view = window->runsView();
        view->selectRow(0);
        view->selectionModel()->select(view->model()->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QString fromWindow = m_dir.filePath(u"window.csv"_s);
        QVERIFY(window->exportCsv(fromWindow));

        const QString fromTool = m_dir.filePath(u"tool.csv"_s);
        QProcess tool;
        tool.start(QStringLiteral(VELMORA_JOURNAL_TOOL),
                   { u"--journal"_s, m_journal, u"export"_s, u"--csv"_s, fromTool, u"--run"_s,
                     window->model().run(0).id + u',' + window->model().run(3).id });
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(ReadAll(fromWindow), ReadAll(fromTool));
        QCOMPARE(ReadAll(fromWindow).count("\r\n"), 1 + 3 + 1);
        QVERIFY(ReadAll(fromWindow).contains(",'=1+1,"));

        window->reject(); // closing deletes it
        QTRY_VERIFY(guard.isNull());
    }

private:
    QTemporaryDir m_dir;
    QString m_journal = m_dir.filePath(u"VelmoraJournal.sqlite"_s);
    QString m_ini = m_dir.filePath(u"Velmora.ini"_s);
    Settings m_settings { m_ini };
};

QTEST_MAIN(tst_HistoryWindow)
#include "tst_historywindow.moc"
