#include "AccountLab.h"
#include "FileBytes.h"
#include "InstrumentFrames.h"
#include "PgServer.h"
#include "PtyPair.h"
#include "core/journal/accounts/RunAudit.h"
#include "core/journal/server/JournalForwarder.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalSchema.h"
#include "core/link/CSerialPort.h"
#include "core/measure/MeasurementRun.h"
#include "core/report/TextReport.h"
#include "core/settings/Settings.h"
#include "core/text/Gb18030.h"
#include "ui/dialogs/AccountDialog.h"
#include "ui/history/CHistoryDlg.h"
#include "ui/history/RunChart.h"
#include "ui/history/RunHistoryModel.h"
#include "ui/report/ReportSaver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        QTRY_VERIFY(!window.reader().isLoading());
        // An answer made stale by the next filter is never shown.
        QSignalSpy shown(&window.reader(), &HistoryReader::runsReset);
        window.reader().setFilter({ u"stale"_s, {}, {}, {} });
        window.filterEdit()->setText(text);
        window.fromEdit()->setDate(QDate::currentDate().addDays(fromDays));
        window.toEdit()->setDate(QDate::currentDate().addDays(toDays));
        window.dateCheck()->setChecked(fromDays != 99);
        window.refresh();
        QTRY_VERIFY(!window.reader().isLoading());
        QCOMPARE(shown.count(), 1);
        QCOMPARE(window.model().matchCount(), expected);
        QCOMPARE(window.model().rowCount(), expected);

        HistoryReader paged(m_journal, {}, 2);
        paged.setFilter(window.reader().filter());
        for (int fetches = 0; paged.isLoading() || paged.canFetchMore(); ++fetches) {
            QVERIFY(fetches <= expected / 2);
            QTRY_VERIFY(!paged.isLoading());
            paged.fetchMore();
        }
        QSet<QString> ids;
        for (qsizetype row = 0; row < paged.runs().size(); ++row) {
            ids.insert(paged.runs().at(row).id);
            QVERIFY(row == 0
                    || paged.runs().at(row - 1).startedAt >= paged.runs().at(row).startedAt);
        }
        QCOMPARE(ids.size(), expected);
        QCOMPARE(paged.runs().size(), expected);
    }

    // Opened before the first Confirm wrote the journal, or on a damaged file: nothing to show,
    // no crash, and a later refresh finds the journal once it is there.
    void journalMissingOrDamaged()
    {
        const QString later = m_dir.filePath(u"later.sqlite"_s);
        CHistoryDlg window(later, m_settings);
        QSignalSpy failed(&window.reader(), &HistoryReader::readFailed);
        QTRY_COMPARE(failed.count(), 1);
        QFile garbage(later);
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) > 0);
        garbage.close();
        window.refresh();
        QTRY_COMPARE(failed.count(), 2);
        QCOMPARE(failed.constLast().constFirst().value<JournalResult>().error,
                 JournalResult::Error::NotJournal);
        QVERIFY(QFile::remove(later) && QFile::copy(m_journal, later));
        window.refresh();
        QTRY_COMPARE(window.model().matchCount(), kRuns + 1);
    }

    // Plot 0,0 100 x 100, scale 0 to 4 in steps of 1: y = 100 - 25 v. A value that is not a
    // number has no point; equal values get a span around them, with the mean line through their
    // points; no values, no crash. The legend names the mean with its sign.
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
        // Equal readings with the float noise of the instrument's value, and their mean.
        const double noisy = -100.00000474974513;
        const RunChartGeometry flat = ComputeRunChart({ noisy, noisy }, -100.0, {}, plot);
        QVERIFY(flat.high - flat.low >= 0.01 && flat.low < -100.0 && flat.high > -100.0);
        QCOMPARE(qRound(flat.points.constFirst().y()), qRound(*flat.meanY));
        QVERIFY(ComputeRunChart({}, {}, {}, plot).points.isEmpty());
        QCOMPARE(RunChart::LegendText(false, -45.218, 0.5), u"平均 -45.218    ±1 标准偏差 0.500"_s);
    }

    // The selected run's report is the one the main window saves for the same table: its values
    // as the table shows them, the statistics of its last row, the login texts and the mode. With
    // a second run selected, the CSV holds the header, then each selected run's readings.
    void savedReportAndCsv()
    {
        CHistoryDlg window(m_journal, m_settings);
        QTRY_VERIFY(!window.reader().isLoading());
        QTableView *view = window.runsView();
        view->selectRow(0);
        QTRY_VERIFY(window.shownRun());
        QCOMPARE(window.chart()->values().size(), 3);
        QCOMPARE(window.chart()->mean(), -45.217);
        // SD and RSD above the readings; the PDF read on the reader's thread, written here.
        QCOMPARE(window.findChild<QLabel *>(u"runSummary"_s)->text(),
                 u"N= 3    平均结果 -45.217    SD 50.682    RSD 112.08 %"_s);
        const QString pdf = m_dir.filePath(u"history.pdf"_s);
        QVERIFY(window.writePdf(pdf));
        QTRY_VERIFY(ReadAll(pdf).startsWith("%PDF"));
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
        QSignalSpy exported(&window.reader(), &HistoryReader::exported);
        QVERIFY(window.exportCsv(fromWindow));
        QTRY_COMPARE(exported.count(), 1);
        QVERIFY(exported.constFirst().at(1).value<JournalResult>().ok());
        QCOMPARE(ReadAll(fromWindow).count("\r\n"), 1 + 3 + 1);
        QVERIFY(ReadAll(fromWindow).contains(",'=1+1,"));
    }

    void signRun_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("right password") << Password(u"op"_s) << QString();
        QTest::newRow("wrong password") << u"op-secret-2"_s << u"密码不正确"_s;
    }

    // "签名…" on a completed run: the account, password, meaning and comment typed in its dialog
    // sign the run in the journal, and the audit-trail tab lists the signature. A wrong password
    // signs nothing, and the window says why.
    void signRun()
    {
        QFETCH(QString, password);
        QFETCH(QString, refusal);
        const QTemporaryDir dir;
        QString run;
        {
            Lab lab(dir.path(), { { u"op"_s, Role::Operator } });
            run = lab.measure({ u"op"_s, u"op"_s, u"op"_s });
        }
        const Settings settings(dir.filePath(u"Velmora.ini"_s));
        CHistoryDlg window(dir.filePath(u"j.sqlite"_s), settings);
        QTRY_VERIFY(!window.reader().isLoading());
        window.runsView()->selectRow(0);
        QTRY_VERIFY(window.shownRun());
        // The dialog and the message box are modal: each is answered from the event loop it runs.
        QString said;
        int dialogs = 0;
        QTimer answer;
        connect(&answer, &QTimer::timeout, &window, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                said = box->text();
                box->accept();
            } else if (auto *dialog = qobject_cast<AccountDialog *>(modal); dialog && !dialogs++) {
                const QList<QLineEdit *> edits = dialog->findChildren<QLineEdit *>();
                QCOMPARE(edits.size(), 3);
                edits.at(0)->setText(u"op"_s);
                edits.at(1)->setText(password);
                edits.at(2)->setText(u"checked"_s);
                dialog->findChild<QComboBox *>()->setCurrentIndex(0);
                dialog->accept();
            } else if (modal) {
                modal->close(); // a second dialog: refused in it, not in the window
            }
        });
        answer.start(10);
        const auto buttons = window.findChildren<QPushButton *>();
        const auto sign = std::find_if(buttons.cbegin(), buttons.cend(),
                                       [](const QPushButton *b) { return b->text() == u"签名…"; });
        QVERIFY(sign != buttons.cend() && (*sign)->isEnabled());
        (*sign)->click();
        QCOMPARE(dialogs, 1);
        const auto signedRows = [&window] {
            int rows = 0;
            for (int row = 0; row < window.trailTable()->rowCount(); ++row)
                rows += window.trailTable()->item(row, 2)->text() == u"签名"
                    && window.trailTable()->item(row, 1)->text() == u"op"
                    && window.trailTable()->item(row, 4)->text() == u"checked";
            return rows;
        };
        if (refusal.isEmpty())
            QTRY_COMPARE(signedRows(), 1);
        else
            QTRY_VERIFY2(said.contains(refusal), qPrintable(said));
        QCOMPARE(signedRows(), refusal.isEmpty() ? 1 : 0);
        QCOMPARE(said.isEmpty(), refusal.isEmpty());

        SqliteConnection db;
        RunAudit audit;
        QVERIFY(
            JournalSchema::Open(db, dir.filePath(u"j.sqlite"_s), SqliteConnection::OpenMode::Read)
                .ok());
        QVERIFY(RunAudit::Read(db, Journal::DefaultStation(), run, audit).ok());
        QCOMPARE(audit.signatures.size(), refusal.isEmpty() ? 1 : 0);
        if (refusal.isEmpty())
            QVERIFY(audit.currentSignature(Meaning::Performed)
                    && audit.signatures.constFirst().comment == u"checked");
    }

    // With a lab server, every station's runs come from it, with a station filter.
    void serverHistory()
    {
        m_pg = std::make_unique<PgServer>();
        QVERIFY2(m_pg->isReady(), "PostgreSQL 15 (Debian package postgresql) did not start");
        QVERIFY(m_pg->sql(u"postgres"_s, u"CREATE DATABASE lab"_s));
        const QString conn = m_pg->connInfo(u"lab"_s);
        ServerConnection admin;
        int from = 0;
        QVERIFY(admin.open(conn).ok() && ServerSchema::Init(admin, from).ok());
        Journal other(u"lab-2"_s);
        QVERIFY(other.open(m_other).result.ok());
        RunHeader header;
        header.unit = u"Lab Ä"_s;
        header.inspector = u"检验员Wang"_s;
        other.beginRun(header);
        QVERIFY(other.recordReading({ 1, u"1000"_s, 1.0, RunTotals { u"1.000"_s, {} } }).ok());
        for (const QString &journal : { m_journal, m_other }) {
            JournalForwarder forwarder(journal, conn);
            forwarder.start();
            QTRY_COMPARE_WITH_TIMEOUT(forwarder.state().status, ForwardState::Status::Synced,
                                      20000);
        }
        QFile ini(m_dir.filePath(u"server.ini"_s));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[journal]\r\nserver=" + conn.toUtf8() + "\r\n");
        ini.close();
        m_serverSettings.Load();

        CHistoryDlg window(m_journal, m_serverSettings);
        QTRY_VERIFY(!window.reader().isLoading());
        QVERIFY(window.readsServer());
        QCOMPARE(window.model().matchCount(), kRuns + 2);
        QVERIFY(!window.runsView()->isColumnHidden(RunHistoryModel::ColumnStation));
        QCOMPARE(window.stationBox()->count(), 3);
        window.stationBox()->setCurrentIndex(window.stationBox()->findData(u"lab-2"_s));
        window.refresh();
        QTRY_COMPARE(window.model().matchCount(), 1);
        QCOMPARE(window.model().run(0).station, u"lab-2"_s);
    }

    void filterAlikeOnServer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("Latin in lower case") << u"wang"_s << 1;
        QTest::newRow("Latin in upper case") << u"WANG"_s << 1;
        QTest::newRow("Chinese and Latin") << u"检验员w"_s << 1;
        QTest::newRow("other letters as typed") << u"LAB Ä"_s << 1;
        QTest::newRow("other letters in another case") << u"lab ä"_s << 0;
        QTest::newRow("batch, in lower case") << u"b-1"_s << 11;
    }

    // The text filter finds the same runs on the server as in the stations' own journals: Latin
    // letters without regard to case, every other letter as typed.
    void filterAlikeOnServer()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const RunFilter filter { text, {}, {}, {} };
        ServerConnection server;
        int onServer = -1;
        QVERIFY(server.open(m_pg->connInfo(u"lab"_s)).ok());
        QVERIFY(JournalHistory(server).countRuns(filter, onServer).ok());
        int locally = 0;
        for (const QString &path : { m_journal, m_other }) {
            SqliteConnection db;
            int count = -1;
            QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
            QVERIFY(JournalHistory(db).countRuns(filter, count).ok());
            locally += count;
        }
        QCOMPARE(onServer, expected);
        QCOMPARE(locally, expected);
    }

    // A server that stops answering never holds the instrument's readings: the history queries on
    // a thread of its own and says it is loading, gives the server up within its bound, and
    // closes at once. Once the server is gone, Refresh shows this station's own journal.
    void frozenServerLeavesReadingsMoving()
    {
        PtyPair pty;
        QVERIFY(pty.IsValid());
        MeasurementRun run;
        CSerialPort port;
        port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
        connect(&port, &CSerialPort::serialData, &run,
                [&run](CSerialPort *from, RxBuffer *rx) { run.DecodeBatch(*from, *rx); });
        QVERIFY(port.Open());
        auto window = std::make_unique<CHistoryDlg>(m_journal, m_serverSettings);
        window->reader().setServerTimeout(std::chrono::milliseconds(1500));
        QTRY_VERIFY(window->readsServer() && !window->reader().isLoading());

        QVERIFY(m_pg->freeze(true));
        auto thaw = qScopeGuard([this] { m_pg->freeze(false); });
        QElapsedTimer waited;
        waited.start();
        window->filterEdit()->setText(u"李四"_s);
        window->refresh();
        for (long r = 1001; r <= 1005; ++r) {
            pty.Send(ReadingFrame(r));
            QTRY_COMPARE_WITH_TIMEOUT(run.ReceivedText(), QString::number(r), 500);
            QVERIFY(window->reader().isLoading());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!window->reader().isLoading(), 5000);
        QVERIFY2(waited.elapsed() < 2000, qPrintable(QString::number(waited.elapsed())));
        window->refresh();
        QTest::qWait(200); // its worker now waits on a connection to the frozen server
        waited.restart();
        window.reset();
        QVERIFY2(waited.elapsed() < 1000, qPrintable(QString::number(waited.elapsed())));
        thaw.dismiss();
        QVERIFY(m_pg->freeze(false));
        // The worker left to itself ends once the server answers.
        QTRY_COMPARE(m_pg->value(u"lab"_s,
                                 u"SELECT count(*) FROM pg_stat_activity "
                                 "WHERE application_name = 'velmora'"_s),
                     u"0"_s);

        CHistoryDlg fallback(m_journal, m_serverSettings);
        QVERIFY(m_pg->stop());
        fallback.reload();
        QTRY_VERIFY(!fallback.reader().isLoading());
        QVERIFY(!fallback.readsServer());
        QCOMPARE(fallback.model().matchCount(), kRuns + 1);
        QVERIFY(fallback.runsView()->isColumnHidden(RunHistoryModel::ColumnStation));
        QVERIFY(fallback.sourceLabel()->text().startsWith(u"实验室服务器无法读取"_s));
    }

private:
    QTemporaryDir m_dir;
    QString m_journal = m_dir.filePath(u"VelmoraJournal.sqlite"_s);
    QString m_other = m_dir.filePath(u"lab-2.sqlite"_s);
    Settings m_settings { m_dir.filePath(u"Velmora.ini"_s) };
    std::unique_ptr<PgServer> m_pg;
    Settings m_serverSettings { m_dir.filePath(u"server.ini"_s) };
};

QTEST_MAIN(tst_HistoryWindow)
#include "tst_historywindow.moc"
