#include "FileBytes.h"
#include "FileNodes.h"
#include "core/journal/read/CsvExport.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalVerify.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(JournalResult::Error)

namespace {

const QString kStation = u"station-a"_s;

RunHeader Header(const QString &inspector = u"张三"_s, const QString &batch = u"B-7"_s)
{
    RunHeader header { u"/dev/pts/3"_s, u"检验所, 一室"_s, u"蔗糖"_s, batch, inspector, 3, {}, {} };
    header.mode = MeasurementMode::SugarDegree;
    header.constants = { 66.5f, 2.0f, 1.0f, 2.0f };
    return header;
}

const QList<std::pair<QString, double>> kReadings { { u"34626"_s, 100.00000474974513 },
                                                    { u"A"_s, 0.0 },
                                                    { u"-12345"_s, -35.65240162408605 } };

// Confirms the readings; the third completes a run of three.
void Confirm(Journal &journal, qsizetype count, int first = 1)
{
    for (qsizetype i = 0; i < count; ++i) {
        const int number = first + static_cast<int>(i);
        ConfirmedReading reading { number, kReadings.at(i % 3).first, kReadings.at(i % 3).second,
                                   std::nullopt };
        if (number == 3)
            reading.totals = RunTotals { u"45.218"_s, u""_s };
        const JournalResult result = journal.recordReading(reading);
        QVERIFY2(result.ok(), qPrintable(result.text));
    }
}

// A journal with one completed run (and a zero command before it).
void MakeJournal(const QString &path, const QString &inspector = u"张三"_s)
{
    Journal journal(kStation);
    const JournalResult opened = journal.open(path).result;
    QVERIFY2(opened.ok(), qPrintable(opened.text));
    journal.beginRun(Header(inspector));
    QVERIFY(journal.recordEvent(JournalEvent::ZeroSent).ok());
    Confirm(journal, 3);
}

void Exec(const QString &path, const QString &statements)
{
    SqliteConnection db;
    QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Write).ok());
    QSqlQuery query(db.database());
    for (const QString &sql : statements.split(u';', Qt::SkipEmptyParts))
        QVERIFY2(query.exec(sql), qPrintable(sql + u": "_s + query.lastError().text()));
}

} // namespace

class tst_Journal : public QObject
{
    Q_OBJECT

private slots:
    // Every row gets a folder of its own.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void recordsRunAndReadsItBack()
    {
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        MakeJournal(path);
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        const JournalHistory history(db);
        QList<JournalRun> runs;
        QVERIFY(history.runs({}, 10, runs).ok());
        QCOMPARE(runs.size(), 1);
        const JournalRun &run = runs.constFirst();
        QCOMPARE(run.status, RunStatus::Completed);
        QCOMPARE(run.readingCount, 3);
        QCOMPARE(run.header.batchNo, u"B-7"_s);
        QCOMPARE(run.header.constants.a, 66.5f);
        QCOMPARE(run.totals.mean, u"45.218"_s);
        QVERIFY(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"_s)
                    .match(run.startedAt)
                    .hasMatch());

        QList<JournalReading> readings;
        QVERIFY(history.readings(run.station, run.id, readings).ok());
        QCOMPARE(readings.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(readings[i].number, i + 1);
            QCOMPARE(readings[i].received, kReadings[i].first);
            QCOMPARE(readings[i].value, kReadings[i].second);
            QVERIFY(readings[i].confirmedAt >= run.startedAt);
        }
        QVERIFY(run.endedAt >= readings.constLast().confirmedAt);

        const VerifyReport report = VerifyJournal(db);
        QVERIFY2(report.intact(), qPrintable(report.breaks.join(u'\n')));
        QCOMPARE(report.rowsChecked, 7); // 3 readings, 3 events, 1 run

        // The program's own rows are append-only even for a second writer.
        SqliteConnection writer;
        QVERIFY(JournalSchema::Open(writer, path, SqliteConnection::OpenMode::Write).ok());
        QSqlQuery query(writer.database());
        QVERIFY(query.exec(u"PRAGMA journal_mode"_s) && query.next());
        QCOMPARE(query.value(0).toString(), u"wal"_s);
        QVERIFY(query.exec(u"PRAGMA synchronous"_s) && query.next());
        QCOMPARE(query.value(0).toInt(), 2); // FULL
        for (const QString &sql : { u"UPDATE readings SET value = 1"_s, u"DELETE FROM events"_s,
                                    u"DELETE FROM runs"_s, u"UPDATE runs SET inspector = 'x'"_s })
            QVERIFY2(!query.exec(sql), qPrintable(sql));
    }

    void verifyFindsEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("found");
        QTest::newRow("untouched") << QString() << QString();
        QTest::newRow("reading value changed")
            << u"DROP TRIGGER readings_kept; UPDATE readings SET value = 0.001 WHERE number = 2"_s
            << u"row 4: hash does not match"_s;
        QTest::newRow("event removed")
            << u"DROP TRIGGER events_not_deleted; DELETE FROM events WHERE kind = 'zero-sent'"_s
            << u"row 2: follows row 0"_s;
        QTest::newRow("inspector changed")
            << u"DROP TRIGGER runs_closed_once; UPDATE runs SET inspector = '李四'"_s
            << u"header differs"_s;
        QTest::newRow("mean changed")
            << u"DROP TRIGGER runs_closed_once; UPDATE runs SET mean = '45.219'"_s
            << u"closing differs"_s;
        QTest::newRow("received text changed")
            << u"DROP TRIGGER readings_kept; UPDATE readings SET received = '34627'"_s
            << u"row 3: hash does not match"_s;
    }

    void verifyFindsEdits()
    {
        QFETCH(QString, edit);
        QFETCH(QString, found);
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        MakeJournal(path);
        if (!edit.isEmpty())
            Exec(path, edit);
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        const VerifyReport report = VerifyJournal(db);
        QVERIFY(report.result.ok());
        QCOMPARE(report.intact(), found.isEmpty());
        QVERIFY2(found.isEmpty() || report.breaks.join(u'\n').contains(found),
                 qPrintable(report.breaks.join(u'\n')));

        // The command-line tool says the same through its exit status.
        QProcess tool;
        tool.start(QStringLiteral(VELMORA_JOURNAL_TOOL), { u"--journal"_s, path, u"verify"_s });
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), found.isEmpty() ? 0 : 1);
    }

    void damagedFileMovedAside_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        const QTemporaryDir dir;
        const QString path = dir.filePath(u"whole.sqlite"_s);
        Exec(path, u"CREATE TABLE pad (x); INSERT INTO pad VALUES (zeroblob(100000))"_s);
        const QByteArray journalBytes = ReadAll(path);
        QTest::newRow("garbage") << QByteArray(5000, 'x');
        QTest::newRow("truncated") << journalBytes.left(journalBytes.size() / 2);
    }

    void damagedFileMovedAside()
    {
        QFETCH(QByteArray, damaged);
        const QString path = m_dir->filePath(u"VelmoraJournal.sqlite"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
        file.close();

        Journal journal(kStation);
        const Journal::OpenOutcome outcome = journal.open(path);
        QVERIFY2(outcome.result.ok(), qPrintable(outcome.result.text));
        QVERIFY(!outcome.damage.isEmpty());
        QVERIFY(QRegularExpression(u"/VelmoraJournal\\.corrupt-\\d{8}T\\d{9}Z\\.sqlite$"_s)
                    .match(outcome.movedAsideTo)
                    .hasMatch());
        QCOMPARE(ReadAll(outcome.movedAsideTo), damaged);
        journal.beginRun(Header());
        Confirm(journal, 1);

        // A second damage in the same millisecond never overwrites the first one's file.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QString first = CorruptAsideName(path, now);
        QFile(first).open(QIODevice::WriteOnly);
        QVERIFY(CorruptAsideName(path, now) != first);
    }

    void failedWritesReported_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<JournalResult::Error>("openError");
        QTest::addColumn<JournalResult::Error>("writeError");
        using E = JournalResult::Error;
        QTest::newRow("folder is a regular file") << u"below-file"_s << E::CannotOpen << E::NotOpen;
        QTest::newRow("locked by another writer") << u"locked"_s << E::None << E::Locked;
        QTest::newRow("newer version")
            << u"PRAGMA user_version = 3"_s << E::NewerVersion << E::NotOpen;
        QTest::newRow("another program's database")
            << u"DROP TABLE readings; DROP TABLE events; DROP TABLE runs; DROP TABLE identity; "
               "PRAGMA user_version = 0; "
               "CREATE TABLE other (x)"_s
            << E::CannotOpen << E::NotOpen;
    }

    void failedWritesReported()
    {
        QFETCH(QString, setup);
        QFETCH(JournalResult::Error, openError);
        QFETCH(JournalResult::Error, writeError);
        QString path = m_dir->filePath(u"j.sqlite"_s);
        SqliteConnection locker;
        if (setup == u"below-file"_s) {
            QFile(path).open(QIODevice::WriteOnly);
            path += u"/VelmoraJournal.sqlite"_s;
        } else if (setup == u"locked"_s) {
            QVERIFY(JournalSchema::Open(locker, path, SqliteConnection::OpenMode::Write).ok());
            QVERIFY(locker.begin().ok());
        } else {
            MakeJournal(path);
            Exec(path, setup);
        }
        const QByteArray before = ReadAll(path);

        Journal journal(kStation);
        const Journal::OpenOutcome outcome = journal.open(path, 100);
        QCOMPARE(outcome.result.error, openError);
        QVERIFY(outcome.movedAsideTo.isEmpty());
        journal.beginRun(Header());
        const JournalResult written = journal.recordReading({ 1, u"1"_s, 0.001, std::nullopt });
        QCOMPARE(written.error, writeError);
        QVERIFY(!written.text.isEmpty());
        if (setup == u"locked"_s) {
            locker.rollback();
            QVERIFY(journal.recordReading({ 1, u"1"_s, 0.001, std::nullopt }).ok());
        } else {
            QCOMPARE(ReadAll(path), before);
        }
    }

    // A journal of the first version gains its identity, once, and keeps its rows and chain.
    void firstVersionMigrated()
    {
        const QString path = m_dir->filePath(u"first.sqlite"_s);
        MakeJournal(path);
        Exec(path, u"DROP TABLE identity; PRAGMA user_version = 1"_s);
        for (int open = 0; open < 2; ++open) {
            Journal journal(kStation);
            QVERIFY(journal.open(path).result.ok());
            QSqlQuery query(journal.database().database());
            QVERIFY(query.exec(u"SELECT count(*), max(length(journal)) FROM identity"_s));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), 1);
            QCOMPARE(query.value(1).toInt(), 32);
            const VerifyReport report = VerifyJournal(journal.database());
            QVERIFY(report.intact());
            QCOMPARE(report.rowsChecked, 7); // as MakeJournal wrote them
        }
    }

    void twoWritersLoseNoRows()
    {
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        constexpr int kEach = 40;
        const auto writer = [path] {
            Journal journal(kStation);
            if (!journal.open(path).result.ok())
                return;
            for (int i = 1; i <= kEach; ++i) {
                journal.beginRun(Header());
                journal.recordReading({ 1, QString::number(i), i * 0.001, std::nullopt });
                journal.recordEvent(JournalEvent::LinkLost);
            }
        };
        std::unique_ptr<QThread> first(QThread::create(writer));
        std::unique_ptr<QThread> second(QThread::create(writer));
        first->start();
        second->start();
        QVERIFY(first->wait(60000) && second->wait(60000));

        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        int count = 0;
        QVERIFY(JournalHistory(db).countRuns({}, count).ok());
        QCOMPARE(count, 2 * kEach);
        const VerifyReport report = VerifyJournal(db);
        QVERIFY2(report.intact(), qPrintable(report.breaks.join(u'\n')));
        QCOMPARE(report.rowsChecked, 2 * kEach * 4); // run, start event, reading, link event
    }

    void recoveryOffersOpenRunOnly_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("offered");
        QTest::newRow("crash after two confirms, continued") << u"continue"_s << 2;
        QTest::newRow("crash after two confirms, abandoned") << u"abandon"_s << 2;
        QTest::newRow("completed") << u"complete"_s << 0;
        QTest::newRow("deleted") << u"delete"_s << 0;
        QTest::newRow("another station") << u"other"_s << 0;
        QTest::newRow("still measured by another instance") << u"in use"_s << 0;
    }

    void recoveryOffersOpenRunOnly()
    {
        QFETCH(QString, ending);
        QFETCH(int, offered);
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        // The earlier session; it ends (as a crash does for the journal) unless still in use.
        auto before = std::make_unique<Journal>(ending == u"other"_s ? u"station-b"_s : kStation);
        QVERIFY(before->open(path).result.ok());
        before->beginRun(Header());
        Confirm(*before, ending == u"complete"_s ? 3 : 2);
        if (ending == u"delete"_s)
            QVERIFY(before->deleteRun().ok());
        if (ending != u"in use"_s)
            before.reset();
        Journal journal(kStation);
        QVERIFY(journal.open(path).result.ok());
        journal.beginRun(Header(u"李四"_s)); // this session's login
        std::optional<JournalRun> run;
        QList<JournalReading> readings;
        QVERIFY(journal.findRecoverableRun(run, readings).ok());
        QCOMPARE(run.has_value(), offered > 0);
        QCOMPARE(readings.size(), offered);
        if (!run)
            return;
        QCOMPARE(readings.constLast().received, u"A"_s);
        if (ending == u"continue"_s) {
            QVERIFY(journal.continueRun(*run, {}).ok());
            Confirm(journal, 1, 3); // the third reading completes the run
        } else {
            QVERIFY(journal.abandonRun(*run).ok());
        }
        QVERIFY(journal.findRecoverableRun(run, readings).ok());
        QVERIFY(!run);
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        QList<JournalRun> runs;
        QVERIFY(JournalHistory(db).runs({}, 5, runs).ok());
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].status,
                 ending == u"continue"_s ? RunStatus::Completed : RunStatus::Abandoned);
        QCOMPARE(runs[0].readingCount, ending == u"continue"_s ? 3 : 2);
        QVERIFY(VerifyJournal(db).intact());
        // Runs after a continued one take this session's login, not the continued run's.
        QVERIFY(journal.deleteRun().ok());
        QCOMPARE(journal.currentRun().header.inspector, u"李四"_s);
    }

    void csvBytes()
    {
        JournalRun run;
        run.station = u"lab-1"_s;
        run.id = u"0d6f"_s;
        // Formula starters a spreadsheet finds behind blanks and in their full-width forms.
        run.header = Header(u"=1+1"_s, u"－5"_s);
        run.header.unit = u"\u3000@检验所, 一室"_s;
        run.header.sampleName = u"say \"hi\"\r\n@once"_s;
        run.cause = u" =1+2"_s;
        run.header.constants.a = 1.1f;
        run.startedAt = u"2026-12-07T03:15:00.123Z"_s;
        run.endedAt = u"2026-12-07T03:16:00.000Z"_s;
        run.status = RunStatus::Completed;
        run.totals = { u"-66.200"_s, u"1.871"_s };
        const QList<JournalReading> readings {
            { 1, 1, u"-12345"_s, -12.345, u"2026-12-06T23:59:59.999Z"_s },
            { 2, 2, u"A"_s, 0.0, u"2026-12-07T03:15:59.000Z"_s }
        };
        const QByteArray run1 =
            "0d6f,lab-1,/dev/pts/3,2026-12-07T11:15:00.123+08:00,2026-12-07T11:16:00.000+08:00,"
            "completed,' =1+2,\"'\u3000@检验所, 一室\",\"say "
            "\"\"hi\"\"\r\n@once\",'－5,'=1+1,1,3,1.1,2,1,2,-66.200,"
            "1.871,";
        const QByteArray rows = CsvExport::Rows(run, readings);
        // A run without a mean has no deviation either.
        run.totals = {};
        QVERIFY(CsvExport::Rows(run, readings).endsWith(",sugar-degree,,\r\n"));
        QCOMPARE(
            CsvExport::Header() + rows,
            "\xEF\xBB\xBFrun_id,station,port,started,ended,status,cause,unit,sample,batch,"
            "inspector,mode,n,a,lenC,C,lena,mean,deviation,number,received,value,confirmed,"
            "mode_name,sd,rsd\r\n"
                + run1
                + "1,-12345,-12.345,2026-12-07T07:59:59.999+08:00,sugar-degree,8.729,141.42\r\n"
                + run1 + "2,A,0.000,2026-12-07T11:15:59.000+08:00,sugar-degree,8.729,141.42\r\n");
    }

    // A journal that fails while the file is written is told apart from a file that cannot be:
    // the command line answers them with different statuses.
    void exportTellsJournalFromOutput()
    {
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        MakeJournal(path);
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        QList<JournalRun> runs;
        QVERIFY(JournalHistory(db).runs({}, 1, runs).ok() && runs.size() == 1);
        db.close();
        const ExportResult result = CsvExport::Write(db, { { runs[0].station, runs[0].id } },
                                                     m_dir->filePath(u"out.csv"_s));
        QVERIFY(!result.journal.ok() && !result.text.isEmpty());
        QCOMPARE(result.output, OutputFile::Failure::None);
        QVERIFY(!QFile::exists(m_dir->filePath(u"out.csv"_s)));
    }

    void commandLine_data()
    {
        // What stands at out.csv or standard output first, or "server": Velmora.ini names a lab
        // server that cannot be reached.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("output"); // each in stdout or stderr
        const QString soon =
            QDateTime::currentDateTime().addSecs(120).toString(u"yyyy-MM-ddTHH:mm"_s);
        const QStringList exportAll { u"export"_s, u"--csv"_s, u"out.csv"_s };
        QTest::newRow("list, typed control characters shown as escapes")
            << QString() << QStringList { u"list"_s } << 0
            << QStringList { u"\t=1+1\\t\\x1b[2J\\\\\t"_s };
        QTest::newRow("list --json: numbers, null, the mode's name")
            << QString() << QStringList { u"list"_s, u"--json"_s } << 0
            << QStringList { u"\"mean\": 45.218,"_s,
                             u"\"deviation\": null,"_s,
                             u"\"mode_name\": \"sugar-degree\""_s,
                             u"\"readings\": 3,"_s,
                             u"\"sd\": 70.324"_s,
                             u"\"rsd\": 327.86"_s };
        QTest::newRow("list --json --readings")
            << QString() << QStringList { u"list"_s, u"--json"_s, u"--readings"_s } << 0
            << QStringList { u"\"received\": 34626,"_s, u"\"received\": \"A\","_s,
                             u"\"value\": -35.652"_s, u"\"number\": 3,"_s };
        QTest::newRow("list since tomorrow")
            << QString()
            << QStringList { u"list"_s, u"--json"_s, u"--since"_s,
                             QDate::currentDate().addDays(1).toString(Qt::ISODate) }
            << 0 << QStringList { u"[\n]"_s };
        QTest::newRow("since keeps its time")
            << QString() << QStringList { u"list"_s, u"--json"_s, u"--since"_s, soon } << 0
            << QStringList { u"[\n]"_s };
        QTest::newRow("since with a garbled time")
            << QString() << QStringList { u"list"_s, u"--since"_s, u"2026-12-07Tgarbage"_s } << 2
            << QStringList { u"2026-12-07Tgarbage"_s };
        QTest::newRow("empty run list")
            << QString() << exportAll + QStringList { u"--run"_s, u","_s } << 2
            << QStringList { u"--run"_s };
        QTest::newRow("unknown run") << QString() << exportAll + QStringList { u"--run"_s, u"x"_s }
                                     << 3 << QStringList { u"no run x"_s };
        QTest::newRow("output below a file")
            << QString() << QStringList { u"export"_s, u"--csv"_s, u"VelmoraJournal.sqlite/x"_s }
            << 4 << QStringList { u"cannot write"_s };
        QTest::newRow("output is a FIFO")
            << u"fifo"_s << exportAll << 4 << QStringList { u"not a regular file"_s };
        QTest::newRow("output is a device")
            << u"device"_s << exportAll << 4 << QStringList { u"not a regular file"_s };
        QTest::newRow("standard output full")
            << u"full"_s << QStringList { u"list"_s } << 4 << QStringList { u"standard output"_s };
        QTest::newRow("export all") << QString() << exportAll << 0 << QStringList();
        // RUN stands for the journal's run; the PDF's text also holds each reading's time.
        const QStringList report { u"report"_s, u"--run"_s, u"RUN"_s, u"--pdf"_s };
        QTest::newRow("report: readings, statistics")
            << QString() << report + QStringList { u"out.pdf"_s } << 0
            << QStringList { u"34.626"_s, u"-35.652"_s, u"21.449"_s, u"70.324"_s, u"327.86 %"_s };
        QTest::newRow("report in English, with the lab's name")
            << u"english"_s << report + QStringList { u"out.pdf"_s } << 0
            << QStringList { u"Lab One"_s, u"Page 1 of 1"_s, u"Completed"_s };
        QTest::newRow("report of an unknown run")
            << QString() << QStringList { u"report"_s, u"--run"_s, u"x"_s, u"--pdf"_s, u"o.pdf"_s }
            << 3 << QStringList { u"no run x"_s };
        QTest::newRow("report to a FIFO") << u"fifo"_s << report + QStringList { u"out.csv"_s } << 4
                                          << QStringList { u"not a regular file"_s };
        QTest::newRow("report without --pdf")
            << QString() << report.first(3) << 2 << QStringList { u"--pdf"_s };
        QTest::newRow("list, lab server away") << u"server"_s << QStringList { u"list"_s } << 5
                                               << QStringList { u"local journal"_s, u"=1+1"_s };
        QTest::newRow("export, lab server away")
            << u"server"_s << exportAll << 5 << QStringList { u"local journal"_s };
    }

    void commandLine()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, output);
        const QString csv = m_dir->filePath(u"out.csv"_s);
        if (setup == u"fifo"_s)
            QVERIFY(MakeFifo(csv));
        if (setup == u"device"_s && !MakeDevice(csv))
            QSKIP("No device node can be made here (that needs root)");
        QString program = QStringLiteral(VELMORA_JOURNAL_TOOL);
        if (setup == u"server"_s || setup == u"english"_s) {
            // The tool finds Velmora.ini, EN.qm and the journal beside it, where the program is.
            program = m_dir->filePath(u"velmora-journal"_s);
            QVERIFY(QFile::copy(QStringLiteral(VELMORA_JOURNAL_TOOL), program));
            QFile::copy(QFileInfo(QStringLiteral(VELMORA_JOURNAL_TOOL)).dir().filePath(u"EN.qm"_s),
                        m_dir->filePath(u"EN.qm"_s));
            QFile ini(m_dir->filePath(u"Velmora.ini"_s));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(setup == u"english"_s
                          ? QByteArray("[SYSTEM]\r\nlang=1\r\n[report]\r\nLab=Lab One\r\n")
                          : "[journal]\r\nserver=host=" + QFile::encodeName(m_dir->path())
                              + "/none dbname=velmora connect_timeout=5\r\n");
            ini.close();
        } else {
            arguments = QStringList { u"--journal"_s, u"VelmoraJournal.sqlite"_s } + arguments;
        }
        MakeJournal(m_dir->filePath(u"VelmoraJournal.sqlite"_s), u"=1+1\t\x1b[2J\\"_s);
        if (const qsizetype at = arguments.indexOf(u"RUN"_s); at >= 0) {
            SqliteConnection db;
            QVERIFY(JournalSchema::Open(db, m_dir->filePath(u"VelmoraJournal.sqlite"_s),
                                        SqliteConnection::OpenMode::Read)
                        .ok());
            QList<JournalRun> runs;
            QList<JournalReading> readings;
            QVERIFY(JournalHistory(db).runs({}, 1, runs).ok() && runs.size() == 1);
            QVERIFY(JournalHistory(db).readings(runs[0].station, runs[0].id, readings).ok());
            arguments[at] = runs[0].id;
            for (const JournalReading &reading : std::as_const(readings))
                output << (exitCode == 0 ? CsvExport::LocalTime(reading.confirmedAt) : QString());
            // Every row of this journal is the run's: its last row is the journal's last.
            QSqlQuery last(db.database());
            QVERIFY(last.exec(u"SELECT lower(hex(hash)) FROM (SELECT seq, hash FROM readings "
                              "UNION ALL SELECT seq, hash FROM events) ORDER BY seq DESC"_s)
                    && last.next());
            output << (exitCode == 0 ? last.value(0).toString() : QString());
        }
        QProcess tool;
        tool.setWorkingDirectory(m_dir->path());
        if (setup == u"full"_s)
            tool.setStandardOutputFile(u"/dev/full"_s);
        tool.start(program, arguments);
        QVERIFY(tool.waitForFinished());
        QString text =
            QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
        if (QFileInfo(m_dir->filePath(u"out.pdf"_s)).isFile()) {
            QProcess pdftotext;
            pdftotext.start(u"pdftotext"_s, { m_dir->filePath(u"out.pdf"_s), u"-"_s });
            QVERIFY(pdftotext.waitForFinished());
            text += QString::fromUtf8(pdftotext.readAllStandardOutput());
        }
        QCOMPARE(tool.exitCode(), exitCode);
        for (const QString &expected : output)
            QVERIFY2(text.contains(expected), qPrintable(text));
        // Without --run every run goes out: the header and the run's three readings.
        if (arguments.contains(u"out.csv"_s) && (exitCode == 0 || exitCode == 5))
            QCOMPARE(ReadAll(csv).count("\r\n"), 1 + 3);
        // A FIFO or a device stays what it was, and nothing is left beside it.
        if (setup == u"fifo"_s || setup == u"device"_s) {
            QVERIFY(QFileInfo::exists(csv) && !QFileInfo(csv).isFile());
            QCOMPARE(
                QDir(m_dir->path()).entryList({ u"out.csv*"_s }, QDir::AllEntries | QDir::System),
                QStringList { u"out.csv"_s });
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_Journal)
#include "tst_journal.moc"
