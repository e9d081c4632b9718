#include "FileBytes.h"
#include "PgServer.h"
#include "core/journal/server/JournalForwarder.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalSchema.h"
#include "core/report/TextReport.h"
#include "core/settings/Settings.h"
#include "core/text/Gb18030.h"
#include "ui/history/CHistoryDlg.h"
#include "ui/history/RunChart.h"
#include "ui/history/RunHistoryModel.h"
#include "ui/report/ReportSaver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 25; // every fifth measured by 李四

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
        RunHeader header;
        header.unit = u"检验所 一室"_s;
        header.sampleName = u"蔗糖"_s;
        header.sampleCount = 1;
        header.mode = MeasurementMode::SugarDegree;
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
        // Laevorotatory: the chart's mean line lies among the negative readings.
        QVERIFY(journal.recordReading({ 1, u"-34626"_s, -100.00000474974513, {} }).ok());
        QVERIFY(journal.recordReading({ 2, u"A"_s, 0.0, {} }).ok());
        const RunTotals totals { u"-45.217"_s, {} };
        QVERIFY(journal.recordReading({ 3, u"-12345"_s, -35.65240162408605, totals }).ok());
        // The report's title from the settings, or else each report is titled with its own path.
        QFile ini(m_dir.filePath(u"Velmora.ini"_s));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(Gb18030::Encode(u"[SYSTEM]\r\nPrintTitle=市药品检验所\r\n"_s));
        ini.close();
        m_settings.Load();
    }

    void filters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fromDays"); // relative to today; both 99: no date range
        QTest::addColumn<int>("toDays");
        QTest::addColumn<int>("expected");
        QTest::newRow("unit text, spaces around it") << u" 一室 "_s << 99 << 99 << kRuns + 1;
        QTest::newRow("today to today counts the whole day") << QString() << 0 << 0 << kRuns + 1;
        QTest::newRow("dates given in reverse") << QString() << 0 << -1 << kRuns + 1;
        QTest::newRow("yesterday only") << QString() << -1 << -1 << 0;
        QTest::newRow("text and today") << u"李四"_s << -1 << 0 << 5;
        QTest::newRow("from tomorrow") << QString() << 1 << 1 << 0;
        QTest::newRow("_ in the text is literal") << u"B_1"_s << 99 << 99 << 0;
        QTest::newRow("text in the batch") << u"B-1"_s << 99 << 99 << 11;
    }

    // The window's controls make the filter: the text trimmed, the date range whole days in local
    // time. Pages of two then hold every match once: none is lost or repeated at a page's edge,
    // even among runs started within the same millisecond.
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

        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, m_journal, SqliteConnection::OpenMode::Read).ok());
        const JournalHistory history(db);
        RunHistoryModel paged(history, 2);
        QVERIFY(paged.setFilter(window.model().filter()).ok());
        for (int fetches = 0; paged.canFetchMore(); ++fetches) {
            QVERIFY(fetches < expected / 2);
            paged.fetchMore();
        }
        QSet<QString> ids;
        for (int row = 0; row < paged.rowCount(); ++row) {
            ids.insert(paged.run(row).id);
            QVERIFY(row == 0 || paged.run(row - 1).startedAt >= paged.run(row).startedAt);
        }
        QCOMPARE(ids.size(), expected);
        QCOMPARE(paged.rowCount(), expected);
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
        QVERIFY(QFile::remove(later) && QFile::copy(m_journal, later));
        QVERIFY(window.refresh());
        QCOMPARE(window.model().matchCount(), kRuns + 1);
    }

    // Plot 0,0 100 x 100, scale 0 to 4 in steps of 1: y = 100 - 25 v. A value that is not a
    // number has no point; equal values get a span around them; no values, no crash.
    void chartGeometry()
    {
        const QRectF plot(0, 0, 100, 100);
        const RunChartGeometry g = ComputeRunChart({ 1, std::nan(""), 3 }, 2.0, 1.0, plot);
        QCOMPARE(g.points, (QList<QPointF> { { 100 / 6.0, 75 }, { 500 / 6.0, 25 } }));
        QCOMPARE(g.meanY, 50.0);
        QCOMPARE(g.band, QRectF(0, 25, 100, 50));
        QCOMPARE(g.scaleTicks.constFirst().at, plot.bottom());
        QCOMPARE(g.scaleTicks.constLast().at, plot.top());
        const QList<QPointF> level { { 25, 50 }, { 75, 50 } };
        QCOMPARE(ComputeRunChart({ 5, 5 }, 5.0, {}, plot).points, level);
        QVERIFY(ComputeRunChart({}, {}, {}, plot).points.isEmpty());
    }

    // The selected run's report is the one the main window saves for the same table: its values
    // as the table shows them, the statistics of its last row, the login texts and the mode. With
    // a second run selected, the CSV holds the header, then each selected run's readings.
    void savedReportAndCsv()
    {
        CHistoryDlg window(m_journal, m_settings);
        QTableView *view = window.runsView();
        view->selectRow(0);
        QVERIFY(window.shownRun());
        QCOMPARE(window.chart()->values().size(), 3);
        QCOMPARE(window.chart()->mean(), -45.217);
        const QString fromHistory = m_dir.filePath(u"history.Txt"_s);
        QVERIFY(window.saveReport(fromHistory));

        ReportContent table;
        table.mode = MeasurementMode::SugarDegree;
        table.unit = u"检验所 一室"_s;
        table.sampleName = u"蔗糖"_s;
        table.batchNo = u"B-24"_s;
        table.inspector = u"=1+1"_s;
        table.values = QStringList { u"-100.000"_s, u"0.000"_s, u"-35.652"_s };
        table.mean = u"-45.217"_s;
        const QString fromTable = m_dir.filePath(u"table.Txt"_s);
        QVERIFY(SaveTextReport(nullptr, fromTable, table, m_settings).ok());
        QCOMPARE(ReadAll(fromHistory), ReadAll(fromTable));

        view->selectionModel()->select(view->model()->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QString fromWindow = m_dir.filePath(u"window.csv"_s);
        QVERIFY(window.exportCsv(fromWindow));
        QCOMPARE(ReadAll(fromWindow).count("\r\n"), 1 + 3 + 1);
        QVERIFY(ReadAll(fromWindow).contains(",'=1+1,"));
    }

    // With a lab server, every station's runs come from it, with a station filter; once it is
    // gone, the window says so and shows this station's own journal.
    void serverHistory()
    {
        PgServer pg;
        QVERIFY2(pg.isReady(), "PostgreSQL 15 (Debian package postgresql) did not start");
        QVERIFY(pg.sql(u"postgres"_s, u"CREATE DATABASE lab"_s));
        const QString conn = pg.connInfo(u"lab"_s);
        ServerConnection admin;
        int from = 0;
        QVERIFY(admin.open(conn).ok() && ServerSchema::Init(admin, from).ok());
        Journal other(u"lab-2"_s);
        QVERIFY(other.open(m_dir.filePath(u"lab-2.sqlite"_s)).result.ok());
        other.beginRun({});
        QVERIFY(other.recordReading({ 1, u"1000"_s, 1.0, RunTotals { u"1.000"_s, {} } }).ok());
        for (const QString &journal : { m_journal, other.database().path() }) {
            JournalForwarder forwarder(journal, conn);
            forwarder.start();
            QTRY_COMPARE_WITH_TIMEOUT(forwarder.state().status, ForwardState::Status::Synced,
                                      20000);
        }
        QFile ini(m_dir.filePath(u"server.ini"_s));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[journal]\r\nserver=" + conn.toUtf8() + "\r\n");
        ini.close();
        Settings settings(ini.fileName());
        settings.Load();

        CHistoryDlg window(m_journal, settings);
        QVERIFY(window.readsServer());
        QCOMPARE(window.model().matchCount(), kRuns + 2);
        QVERIFY(!window.runsView()->isColumnHidden(RunHistoryModel::ColumnStation));
        QCOMPARE(window.stationBox()->count(), 3);
        window.stationBox()->setCurrentIndex(window.stationBox()->findData(u"lab-2"_s));
        QVERIFY(window.refresh());
        QCOMPARE(window.model().matchCount(), 1);
        QCOMPARE(window.model().run(0).station, u"lab-2"_s);

        QVERIFY(pg.stop());
        QVERIFY(window.reload());
        QVERIFY(!window.readsServer());
        QCOMPARE(window.model().matchCount(), kRuns + 1);
        QVERIFY(window.runsView()->isColumnHidden(RunHistoryModel::ColumnStation));
        QVERIFY(window.sourceLabel()->text().startsWith(u"实验室服务器无法读取"_s));
    }

private:
    QTemporaryDir m_dir;
    QString m_journal = m_dir.filePath(u"VelmoraJournal.sqlite"_s);
    Settings m_settings { m_dir.filePath(u"Velmora.ini"_s) };
};

QTEST_MAIN(tst_HistoryWindow)
#include "tst_historywindow.moc"
