#include "FileBytes.h"
#include "FileNodes.h"
#include "JournalEdit.h"
#include "core/journal/methods/MethodStore.h"
#include "core/journal/read/CsvExport.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalVerify.h"
#include "core/journal/server/JournalForwarder.h"
#include "core/journal/store/ChainKey.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalRows.h"
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

#include <ctime>
#include <iostream>
#include <latch>
#include <sys/stat.h>

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
void Confirm(Journal &journal, qsizetype count, int first = 1,
             std::optional<Verdict> verdict = std::nullopt)
{
    for (qsizetype i = 0; i < count; ++i) {
        const int number = first + static_cast<int>(i);
        const auto &[received, value] = kReadings.at((number - 1) % 3);
        ConfirmedReading reading { number, received, value, std::nullopt };
        if (number == 3) {
            reading.totals = RunTotals { u"21.449"_s, u""_s };
            reading.verdict = verdict;
        }
        const JournalResult result = journal.recordReading(reading);
        QVERIFY2(result.ok(), qPrintable(result.text));
    }
}

// A journal with one completed run (and a zero command before it); and, if asked, a second run
// left open after its first reading.
void MakeJournal(const QString &path, const QString &inspector = u"张三"_s, bool leaveOpen = false)
{
    Journal journal(kStation);
    const JournalResult opened = journal.open(path).result;
    QVERIFY2(opened.ok(), qPrintable(opened.text));
    journal.beginRun(Header(inspector));
    QVERIFY(journal.recordEvent(JournalEvent::ZeroSent).ok());
    Confirm(journal, 3);
    if (leaveOpen) {
        journal.beginRun(Header(inspector));
        Confirm(journal, 1);
    }
}

// The first value of a query on a reader's connection; -1 when the journal cannot be read.
int Count(const QString &path, const QString &sql)
{
    SqliteConnection db;
    if (!JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok())
        return -1;
    QSqlQuery query(db.database());
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

// velmora-journal with its status, standard output and standard error; -1 if it does not end.
int Tool(const QStringList &arguments, QString *output = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral(VELMORA_JOURNAL_TOOL), arguments);
    const bool ended = tool.waitForFinished(10000);
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    tool.kill();
    return ended && tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

void SetZone(const QByteArray &zone)
{
    qputenv("TZ", zone);
    tzset();
}

// A Confirm at a local time of the test's zone.
ConfirmedReading At(int number, const QString &local, std::optional<RunTotals> totals = {})
{
    return { number, QString::number(number * 1000), number * 1.0, std::move(totals),
             QDateTime::fromString(local, Qt::ISODateWithMs) };
}

// The writer of noLocksLostToOutsideReaders, in a process of its own that the test kills: with a
// lab server set that it cannot reach, it confirms a reading for each "confirm" line and opens
// and closes a second connection for each "second" line, answering "ok" once done.
int WriterProcess(const QString &path)
{
    Journal journal(kStation);
    if (!journal.open(path).result.ok())
        return 1;
    JournalForwarder forwarder(path, u"host=/nonexistent port=1"_s);
    forwarder.setRetryInterval(std::chrono::milliseconds(5), std::chrono::milliseconds(5));
    forwarder.start();
    journal.beginRun(Header());
    int number = 0;
    for (std::string line; std::getline(std::cin, line);) {
        SqliteConnection second;
        const bool ok = line == "confirm"
            ? journal.recordReading({ ++number, u"1"_s, 0.001, std::nullopt }).ok()
            : JournalSchema::Open(second, path, SqliteConnection::OpenMode::Read).ok();
        std::cout << (ok ? "ok" : "failed") << std::endl;
    }
    return 0;
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
        // The key is the station's, in a file of its own that only its user reads.
        QCOMPARE(QFile::permissions(ChainKeyPath(path)),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(KeyBeside(path).size(), ChainKey::kSize);
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
        QCOMPARE(run.totals.mean, u"21.449"_s);
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

        const VerifyReport report = VerifyJournal(db, KeyBeside(path));
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

    // Methods are rows of the chain: each change a version, the same definition none, a retired
    // name never used again. Verify judges a run under one again from its readings and limits, so
    // that even the key's holder cannot turn its verdict.
    void methodsVersionedAndJudgedAgain()
    {
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        QStringList changes; // change:version
        {
            Journal journal(kStation);
            QVERIFY(journal.open(path).result.ok());
            Method method = Method::OfRun(Header());
            method.name = u"蔗糖"_s;
            method.lower = 21.449; // the mean as shown: inside
            for (const std::optional<double> upper : { std::optional<double>(), {}, { 30.0 } }) {
                method.upper = upper;
                MethodStore::Change change = MethodStore::Change::Unknown;
                QVERIFY(MethodStore::Set(journal, method, change).ok());
                changes << u"%1:%2"_s.arg(int(change)).arg(method.version);
            }
            RunHeader header = Header();
            header.method = method.forRun();
            journal.beginRun(header);
            Confirm(journal, 3, 1, Verdict::Pass);
            for (int i = 0; i < 2; ++i) {
                MethodStore::Change change = MethodStore::Change::Unknown;
                QVERIFY(MethodStore::Retire(journal, method.name, change).ok());
                changes << QString::number(int(change));
            }
            MethodStore::Change change = MethodStore::Change::Unknown;
            QVERIFY(MethodStore::Set(journal, method, change).ok());
            changes << QString::number(int(change));
        }
        using C = MethodStore::Change;
        QCOMPARE(
            changes,
            QStringList({ u"%1:1"_s.arg(int(C::Stored)), u"%1:1"_s.arg(int(C::Unchanged)),
                          u"%1:2"_s.arg(int(C::Stored)), QString::number(int(C::Stored)),
                          QString::number(int(C::Retired)), QString::number(int(C::Retired)) }));
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        QList<Method> methods;
        QVERIFY(MethodStore::List(db, methods).ok() && methods.size() == 1);
        QVERIFY(methods[0].retired && methods[0].version == 2 && methods[0].upper == 30.0);
        QVERIFY2(VerifyJournal(db, KeyBeside(path)).intact(),
                 qPrintable(VerifyJournal(db, KeyBeside(path)).breaks.join(u'\n')));
        db.close();
        Edit(path,
             u"UPDATE runs SET verdict = 'fail'\nUPDATE events SET detail = replace(detail, "
             "'\"verdict\":\"pass\"', '\"verdict\":\"fail\"') WHERE kind = 'run-completed'"_s);
        Forge(path, KeyBeside(path));
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        QCOMPARE(VerifyJournal(db, KeyBeside(path))
                     .breaks.join(u'\n')
                     .count(u"verdict fail where its readings and method give pass"_s),
                 1);
    }

    // An editor with the file, one field at a time, then recomputing the hashes as they were
    // plain (0), or even with the station's key (1). The journal: an event (row 1), a completed
    // run (rows 2 to 6, readings 3 to 5), an open run (rows 7 and 8).
    void verifyFindsEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("forge"); // -1: none
        QTest::addColumn<QString>("found");
        QTest::newRow("untouched") << QString() << -1 << QString();
        const QString hash = u"row %1: hash does not match"_s;
        const QList<std::tuple<const char *, QString, int>> fields {
            { "reading value", u"readings SET value = 0.001"_s, 4 },
            { "reading number", u"readings SET number = 7"_s, 4 },
            { "reading received text", u"readings SET received = '34627'"_s, 4 },
            { "reading run", u"readings SET run_id = 'x'"_s, 4 },
            { "Confirm time", u"readings SET confirmed_at = '2026-01-01T00:00:00.000Z'"_s, 4 },
            { "Confirm offset", u"readings SET confirmed_offset = 0"_s, 4 },
            { "write time", u"readings SET written_at = '2026-01-01T00:00:00.000Z'"_s, 4 },
            { "write offset", u"readings SET written_offset = NULL"_s, 4 },
            { "event time", u"events SET at = '2026-01-01T00:00:00.000Z'"_s, 1 },
            { "event offset", u"events SET at_offset = 3600"_s, 1 },
            { "event outside any run: NULL run turned into ''", u"events SET run_id = ''"_s, 1 },
            { "event kind", u"events SET kind = 'retest-plus-sent'"_s, 1 },
            { "event detail", u"events SET detail = 'x'"_s, 1 },
        };
        for (const auto &[name, update, row] : fields)
            QTest::newRow(name) << u"UPDATE %1 WHERE seq = %2"_s.arg(update).arg(row) << -1
                                << hash.arg(row);
        const QList<std::tuple<const char *, QString, int, QString>> others {
            { "inspector", u"UPDATE runs SET inspector = '李四'"_s, -1, u"header differs"_s },
            { "start offset", u"UPDATE runs SET started_offset = 0"_s, -1, u"header differs"_s },
            { "mean", u"UPDATE runs SET mean = '45.219'"_s, -1, u"closing differs"_s },
            { "end offset", u"UPDATE runs SET ended_offset = 0"_s, -1, u"closing differs"_s },
            { "open run: NULL turned into ''",
              u"UPDATE runs SET cause = '' WHERE status = 'open'"_s, -1,
              u"open, but with closing fields"_s },
            { "run row deleted", u"DELETE FROM runs WHERE status = 'completed'"_s, -1,
              u"its run row is missing"_s },
            { "event removed", u"DELETE FROM events WHERE seq = 1"_s, -1,
              u"row 2: follows row 0"_s },
            { "journal identity changed", u"UPDATE identity SET journal = 'x'"_s, -1, hash.arg(1) },
            { "value changed, plain hashes recomputed",
              u"UPDATE readings SET value = 1 WHERE seq = 4"_s, 0, hash.arg(4) },
            { "value changed by the key's holder", u"UPDATE readings SET value = 1 WHERE seq = 4"_s,
              1, u"are not those of its 3 readings"_s },
            { "readings reordered by the key's holder",
              u"UPDATE readings SET seq = -seq WHERE seq IN (3, 4)\n"
              "UPDATE readings SET seq = 7 + seq WHERE seq < 0"_s,
              1, u"reading number 2 of run"_s },
            { "closed run cut by the key's holder",
              u"DELETE FROM readings WHERE seq = 5\n"
              "UPDATE readings SET seq = seq - 1 WHERE seq > 5\n"
              "UPDATE events SET seq = seq - 1 WHERE seq > 5"_s,
              1, u"its closing names 3 readings, the journal holds 2"_s },
        };
        for (const auto &[name, edit, forge, found] : others)
            QTest::newRow(name) << edit << forge << found;
    }

    void verifyFindsEdits()
    {
        QFETCH(QString, edit);
        QFETCH(int, forge);
        QFETCH(QString, found);
        // One journal for every row, copied while no connection holds it.
        static const QTemporaryDir made;
        if (!QFileInfo::exists(made.filePath(u"j.sqlite"_s)))
            MakeJournal(made.filePath(u"j.sqlite"_s), u"张三"_s, true);
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        for (const QString &name : { u"j.sqlite"_s, ChainKey::kFileName.toString() })
            QVERIFY(QFile::copy(made.filePath(name), m_dir->filePath(name)));
        const QByteArray key = KeyBeside(path);
        if (!edit.isEmpty())
            Edit(path, edit);
        if (forge >= 0)
            Forge(path, forge ? key : QByteArray());
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        const VerifyReport report = VerifyJournal(db, key);
        QVERIFY(report.result.ok());
        QCOMPARE(report.intact(), found.isEmpty());
        QVERIFY2(found.isEmpty() || report.breaks.join(u'\n').contains(found),
                 qPrintable(report.breaks.join(u'\n')));

        // The command-line tool says the same through its exit status, and cannot vouch for
        // the keyed rows without the key.
        const QString keyPath = ChainKeyPath(path);
        QCOMPARE(Tool({ u"--journal"_s, path, u"verify"_s, u"--key"_s, keyPath }),
                 found.isEmpty() ? 0 : 1);
        QString output;
        if (found.isEmpty() && QFile::remove(keyPath))
            QCOMPARE(Tool({ u"--journal"_s, path, u"verify"_s, u"--key"_s, keyPath }, &output), 7);
        QVERIFY(found.isEmpty()
                == output.contains(u"cannot be checked without the station's key"_s));
    }

    void pathMustNameAJournal_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<JournalResult::Error>("error");
        using E = JournalResult::Error;
        QTest::newRow("not SQLite") << u"garbage"_s << E::NotJournal;
        QTest::newRow("the settings file") << u"ini"_s << E::NotJournal;
        QTest::newRow("another program's database") << u"other"_s << E::NotJournal;
        QTest::newRow("another program's marked database") << u"marked"_s << E::NotJournal;
        QTest::newRow("a damaged journal of ours") << u"truncated"_s << E::None;
        QTest::newRow("a FIFO") << u"fifo"_s << E::NotJournal;
        QTest::newRow("a folder") << u"folder"_s << E::NotJournal;
        QTest::newRow("a link to nothing") << u"dangling"_s << E::NotJournal;
        QTest::newRow("a link to a journal") << u"link"_s << E::None;
    }

    void pathMustNameAJournal()
    {
        QFETCH(QString, kind);
        QFETCH(JournalResult::Error, error);
        const QString path = m_dir->filePath(u"VelmoraJournal.sqlite"_s);
        const QString journal = m_dir->filePath(u"journal.sqlite"_s);
        if (kind == u"truncated"_s || kind == u"link"_s) {
            MakeJournal(journal);
            // Pages beyond the first, so that half the file keeps the header and loses the rest.
            Exec(journal, u"CREATE TABLE pad (x)\nINSERT INTO pad VALUES (zeroblob(100000))"_s);
        }
        const QHash<QString, QByteArray> bytes { { u"garbage"_s, QByteArray(5000, 'x') },
                                                 { u"ini"_s, "[SYSTEM]\r\nlang=1\r\n" } };
        const QHash<QString, QString> sql { { u"other"_s, u"CREATE TABLE runs (x)"_s },
                                            { u"marked"_s, u"PRAGMA application_id = 7"_s } };
        QFile file(path);
        QVERIFY(!bytes.contains(kind)
                || (file.open(QIODevice::WriteOnly) && file.write(bytes[kind]) > 0));
        file.close();
        QVERIFY(!sql.contains(kind)
                || QProcess::execute(u"sqlite3"_s, { path, sql[kind] + u"; CREATE TABLE t (x)"_s })
                    == 0);
        QVERIFY(kind != u"truncated"_s
                || (QFile::rename(journal, path) && file.resize(file.size() / 2)));
        QVERIFY(kind != u"fifo"_s || ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        QVERIFY(kind != u"folder"_s || QDir().mkdir(path));
        QVERIFY((kind != u"dangling"_s && kind != u"link"_s)
                || QFile::link(kind == u"link"_s ? journal : m_dir->filePath(u"none"_s), path));
        const QByteArray before = QFileInfo(path).isFile() ? ReadAll(path) : QByteArray();

        // The tool refuses it at once, as the program does, which leaves it exactly as it was.
        if (error != JournalResult::Error::None)
            QCOMPARE(Tool({ u"--journal"_s, path, u"list"_s }), 3);
        Journal program(kStation);
        const Journal::OpenOutcome outcome = program.open(path);
        QCOMPARE(outcome.result.error, error);
        QCOMPARE(outcome.movedAsideTo.isEmpty(), kind != u"truncated"_s);
        if (kind == u"truncated"_s) {
            QVERIFY(QRegularExpression(u"/VelmoraJournal\\.corrupt-\\d{8}T\\d{9}Z\\.sqlite$"_s)
                        .match(outcome.movedAsideTo)
                        .hasMatch());
            QVERIFY(!outcome.damage.isEmpty());
            program.beginRun(Header());
            Confirm(program, 1);
            // A second damage in the same millisecond never overwrites the first one's file.
            const QDateTime now = QDateTime::currentDateTimeUtc();
            const QString first = CorruptAsideName(path, now);
            QVERIFY(QFile(first).open(QIODevice::WriteOnly)
                    && CorruptAsideName(path, now) != first);
        } else if (error != JournalResult::Error::None) {
            QCOMPARE(QFileInfo(path).isFile() ? ReadAll(path) : QByteArray(), before);
            // Nothing beside it but the station's key: no log, no file moved aside.
            QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::System).size(),
                     kind == u"folder"_s ? 1 : 2);
        }
    }

    // Item by item, as Confirm hands them over: "~" confirmed ten seconds before it is
    // written, "=" completing the run with its statistics, "!" with statistics of other values;
    // "|" between calls, the last of which is refused when an error is expected.
    void confirmsEnterInOrder_data()
    {
        QTest::addColumn<QString>("calls");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("stored");
        QTest::newRow("in order") << u"1|2|3="_s << false << u"1 2 3 completed"_s;
        QTest::newRow("missed readings written late with the next")
            << u"1|2~ 3~ 4"_s << false << u"1 2~ 3~ 4 open"_s;
        QTest::newRow("a run started late starts at its first Confirm")
            << u"1~ 2~ 3="_s << false << u"1~ 2~ 3 completed"_s;
        QTest::newRow("gap") << u"1|3"_s << true << u"1 open"_s;
        QTest::newRow("gap inside a call refuses all of it") << u"1|2 4"_s << true << u"1 open"_s;
        QTest::newRow("statistics of other readings") << u"1 2|3!"_s << true << u"1 2 open"_s;
    }

    void confirmsEnterInOrder()
    {
        QFETCH(QString, calls);
        QFETCH(bool, refused);
        QFETCH(QString, stored);
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        Journal journal(kStation);
        QVERIFY(journal.open(path).result.ok());
        journal.beginRun(Header());
        const QDateTime before = QDateTime::currentDateTime().addSecs(-10);
        const QStringList batches = calls.split(u'|');
        for (qsizetype i = 0; i < batches.size(); ++i) {
            QList<ConfirmedReading> readings;
            for (const QString &item : batches.at(i).split(u' ')) {
                const int number = item.left(1).toInt();
                readings << ConfirmedReading { number, QString::number(number), number * 1.0,
                                               std::nullopt,
                                               item.contains(u'~') ? before : QDateTime() };
                if (item.endsWith(u'=') || item.endsWith(u'!'))
                    readings.last().totals = { item.endsWith(u'=') ? u"2.000"_s : u"2.001"_s, {} };
            }
            const JournalResult result = journal.recordReadings(readings);
            QCOMPARE(result.ok(), i + 1 < batches.size() || !refused);
        }
        QList<JournalRun> runs;
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        QVERIFY(JournalHistory(db).runs({}, 2, runs).ok());
        QStringList got;
        for (const JournalRun &run : std::as_const(runs)) {
            QList<JournalReading> readings;
            QVERIFY(JournalHistory(db).readings(run.station, run.id, readings).ok());
            QCOMPARE(run.startedAt, readings.constFirst().confirmedAt);
            for (const JournalReading &reading : std::as_const(readings))
                got << QString::number(reading.number) + (reading.writtenLate() ? u"~"_s : u""_s);
            got << StatusText(run.status);
        }
        QCOMPARE(got.join(u' '), stored);
        QVERIFY(VerifyJournal(db, KeyBeside(path)).intact());
    }

    // Recorded in one zone, read in another: every time keeps the offset it was recorded with,
    // the report its recorded date, and --since counts days in local time.
    void timesKeepTheirOffset_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("day"); // run 1 starts just before it, run 2 at its midnight
        QTest::addColumn<QString>("later"); // run 2's second Confirm
        QTest::addColumn<QStringList>("csv"); // both runs' Confirm times as exported
        QTest::newRow("Berlin, into summer time")
            << QByteArray("Europe/Berlin") << u"2026-03-29"_s << u"2026-03-29T03:00:00.000"_s
            << QStringList { u"2026-03-28T23:59:59.999+01:00"_s, u"2026-03-29T00:00:00.000+01:00"_s,
                             u"2026-03-29T03:00:00.000+02:00"_s };
        QTest::newRow("a fixed zone five hours west")
            << QByteArray("EST5") << u"2026-12-07"_s << u"2026-12-07T03:00:00.000"_s
            << QStringList { u"2026-12-06T23:59:59.999-05:00"_s, u"2026-12-07T00:00:00.000-05:00"_s,
                             u"2026-12-07T03:00:00.000-05:00"_s };
    }

    void timesKeepTheirOffset()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, day);
        QFETCH(QString, later);
        QFETCH(QStringList, csv);
        const QByteArray testZone = qgetenv("TZ");
        const auto restore = qScopeGuard([&testZone] { SetZone(testZone); });
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        const QDate date = QDate::fromString(day, Qt::ISODate);
        SetZone(zone);
        {
            Journal journal(kStation);
            QVERIFY(journal.open(path).result.ok());
            journal.beginRun(Header());
            const QString eve = date.addDays(-1).toString(Qt::ISODate) + u"T23:59:59.999"_s;
            QVERIFY(journal.recordReading(At(1, eve)).ok() && journal.deleteRun().ok());
            QVERIFY(journal.recordReadings({ At(1, day + u"T00:00:00.000"_s), At(2, later) }).ok());
        }
        QString listed; // by the tool in the zone of the station
        QCOMPARE(Tool({ u"--journal"_s, path, u"list"_s, u"--since"_s, day }, &listed), 0);
        SetZone("Asia/Tokyo");
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        QList<JournalRun> runs;
        QVERIFY(JournalHistory(db).runs({}, 2, runs).ok());
        QCOMPARE(runs.size(), 2);
        QStringList times;
        for (qsizetype i = runs.size() - 1; i >= 0; --i) {
            QList<JournalReading> readings;
            QVERIFY(JournalHistory(db).readings(kStation, runs[i].id, readings).ok());
            for (const JournalReading &reading : std::as_const(readings))
                times << CsvExport::LocalTime(reading.confirmedAt, reading.confirmedOffset);
            QCOMPARE(JournalHistory::ReportContentFor(runs[i], readings).date,
                     FormatReportDate(date.addDays(-i)));
        }
        QCOMPARE(times, csv);
        QVERIFY2(listed.contains(runs[0].id) && !listed.contains(runs[1].id), qPrintable(listed));
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
            << u"PRAGMA user_version = %1"_s.arg(JournalSchema::kVersion + 1) << E::NewerVersion
            << E::NotOpen;
        QTest::newRow("station's key replaced") << u"key"_s << E::Other << E::NotOpen;
        QTest::newRow("a statement fails after BEGIN")
            << u"CREATE TRIGGER planted BEFORE INSERT ON readings WHEN NEW.number = 2 "
               "BEGIN SELECT RAISE(ABORT, 'planted'); END"_s
            << E::None << E::Other;
        QTest::newRow("COMMIT fails")
            << u"CREATE TABLE planted (s, r, FOREIGN KEY (s, r) REFERENCES runs (station, run_id) "
               "DEFERRABLE INITIALLY DEFERRED)\nCREATE TRIGGER planted AFTER INSERT ON readings "
               "BEGIN INSERT INTO planted VALUES ('x', 'y'); END"_s
            << E::None << E::Other;
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
        } else if (setup == u"key"_s) {
            MakeJournal(path);
            QFile key(ChainKeyPath(path));
            QVERIFY(key.open(QIODevice::WriteOnly) && key.write(QByteArray(32, 'k')) == 32);
        } else {
            MakeJournal(path);
            Exec(path, setup);
        }
        const QByteArray before = locker.isOpen() ? QByteArray() : ReadAll(path);

        Journal journal(kStation);
        const Journal::OpenOutcome outcome = journal.open(path, {}, 100);
        QCOMPARE(outcome.result.error, openError);
        QVERIFY(outcome.movedAsideTo.isEmpty());
        journal.beginRun(Header());
        const QList<ConfirmedReading> two { { 1, u"1"_s, 0.001, std::nullopt },
                                            { 2, u"2"_s, 0.002, std::nullopt } };
        const JournalResult written = journal.recordReadings(two);
        QCOMPARE(written.error, writeError);
        QVERIFY(!written.text.isEmpty());
        if (openError != JournalResult::Error::None) {
            QCOMPARE(ReadAll(path), before);
            return;
        }
        // Nothing of the failed transaction stays, and the same readings go in once the fault
        // is gone.
        const QString count = u"SELECT count(*) FROM readings"_s;
        QCOMPARE(Count(path, count), locker.isOpen() ? 0 : 3);
        locker.isOpen() ? locker.rollback() : Exec(path, u"DROP TRIGGER planted"_s);
        QVERIFY(journal.recordReadings(two).ok());
        QCOMPARE(Count(path, count), locker.isOpen() ? 2 : 5);
    }

    // Journals of the versions before: version 2 as the program wrote it, and version 1 without
    // the journal's identity. They keep their rows, chain and open run, and go on keyed.
    void olderVersionsMigrated_data()
    {
        QTest::addColumn<QString>("downgrade");
        QTest::newRow("version 2") << QString();
        QTest::newRow("version 1") << u"DROP TABLE identity\nPRAGMA user_version = 1"_s;
    }

    void olderVersionsMigrated()
    {
        QFETCH(QString, downgrade);
        const QString path = m_dir->filePath(u"old.sqlite"_s);
        QProcess shell;
        shell.setStandardInputFile(QFINDTESTDATA("data/journal-v2.sql"));
        shell.start(u"sqlite3"_s, { path });
        QVERIFY(shell.waitForFinished() && shell.exitCode() == 0);
        if (!downgrade.isEmpty())
            QCOMPARE(QProcess::execute(u"sqlite3"_s, { path, downgrade.replace(u'\n', u';') }), 0);
        QCOMPARE(Tool({ u"--journal"_s, path, u"verify"_s }), 3); // velmora brings it up first
        for (int open = 0; open < 2; ++open) {
            Journal journal(kStation);
            QVERIFY(journal.open(path).result.ok());
            std::optional<JournalRun> run;
            QList<JournalReading> readings;
            QVERIFY(journal.findRecoverableRun(run, readings).ok());
            QVERIFY(run && readings.size() == 2);
            QCOMPARE(run->header.sampleCount, 5);
            VerifyReport report = VerifyJournal(journal.database(), KeyBeside(path));
            QVERIFY2(report.intact(), qPrintable(report.breaks.join(u'\n')));
            QCOMPARE(report.hashedRows, 11);
            QCOMPARE(report.keyedRows, 1); // the row that says keying starts
            QVERIFY(report.notes.join(u'\n').contains(u"rows 1 to 11 were written before"_s));
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
        // Both created the station's key at once, and both got the same one.
        const VerifyReport report = VerifyJournal(db, KeyBeside(path));
        QVERIFY2(report.intact(), qPrintable(report.breaks.join(u'\n')));
        QCOMPARE(report.keyedRows, 2 * kEach * 3);
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
        QTest::newRow("count raised to 4 before the crash") << u"count"_s << 2;
        QTest::newRow("closed by another instance meanwhile") << u"closed"_s << 2;
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
        if (ending == u"count"_s)
            QVERIFY(before->changeSampleCount(4).ok());
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
        QCOMPARE(run->header.sampleCount, ending == u"count"_s ? 4 : 3);
        if (ending == u"closed"_s) {
            Journal other(kStation);
            QVERIFY(other.open(path).result.ok() && other.continueRun(*run, u"王五"_s).ok());
            QVERIFY(other.deleteRun().ok());
            QVERIFY(!journal.continueRun(*run, u"李四"_s).ok());
            QVERIFY(!journal.abandonRun(*run).ok());
            return;
        }
        if (ending == u"abandon"_s) {
            QVERIFY(journal.abandonRun(*run).ok());
        } else {
            QVERIFY(journal.continueRun(*run, u"李四"_s).ok());
            Confirm(journal, 1, 3); // the third reading completes the run
        }
        QVERIFY(journal.findRecoverableRun(run, readings).ok());
        QVERIFY(!run);
        QCOMPARE(Count(path,
                       u"SELECT count(*) FROM runs WHERE status = '%1'"_s.arg(
                           ending == u"abandon"_s ? u"abandoned"_s : u"completed"_s)),
                 1);
        QCOMPARE(Count(path, u"SELECT count(*) FROM readings"_s), ending == u"abandon"_s ? 2 : 3);
        // Listed with the count it had last, not the one it started with.
        QList<JournalRun> runs;
        QVERIFY(JournalHistory(journal.database()).runs({}, 10, runs).ok() && runs.size() == 1);
        QCOMPARE(runs.constFirst().sampleCount(), ending == u"count"_s ? 4 : 3);
        QVERIFY(VerifyJournal(journal.database(), KeyBeside(path)).intact());
        // Runs after a continued one take this session's login, not the continued run's, and
        // the restoring login is on record.
        QVERIFY(journal.deleteRun().ok());
        QCOMPARE(journal.currentRun().header.inspector, u"李四"_s);
        QCOMPARE(Count(path, u"SELECT count(*) FROM events WHERE detail = '{\"by\":\"李四\"}'"_s),
                 ending == u"abandon"_s ? 0 : 1);
    }

    // Two instances answer Yes to the same run at the same moment: exactly one takes it; the
    // other is told who has it, and cannot abandon it either.
    void takeOverIsExclusive()
    {
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        std::optional<JournalRun> run;
        QList<JournalReading> readings;
        {
            Journal crashed(kStation);
            QVERIFY(crashed.open(path).result.ok());
            crashed.beginRun(Header());
            Confirm(crashed, 2);
        }
        Journal finder(kStation);
        QVERIFY(finder.open(path).result.ok() && finder.findRecoverableRun(run, readings).ok());
        JournalResult took[2];
        std::latch ready(2);
        std::latch answered(2); // an instance that took the run holds it till both answered
        const auto instance = [&](int i) {
            Journal journal(kStation);
            const bool opened = journal.open(path).result.ok();
            ready.arrive_and_wait();
            took[i] = opened ? journal.continueRun(*run, QString::number(i)) : JournalResult {};
            if (!took[i].ok())
                took[i] = journal.abandonRun(*run);
            answered.arrive_and_wait();
        };
        std::unique_ptr<QThread> a(QThread::create(instance, 0));
        std::unique_ptr<QThread> b(QThread::create(instance, 1));
        a->start();
        b->start();
        QVERIFY(a->wait(10000) && b->wait(10000));
        QCOMPARE(took[0].ok() + took[1].ok(), 1);
        const JournalResult &refused = took[0].ok() ? took[1] : took[0];
        QCOMPARE(refused.error, JournalResult::Error::Claimed);
        QVERIFY2(refused.text.contains(QString::number(QCoreApplication::applicationPid())),
                 qPrintable(refused.text));
        QCOMPARE(Count(path, u"SELECT count(*) FROM events WHERE kind = 'run-restored'"_s), 1);
    }

    // A writer in a process of its own; in it, a second connection opened and closed, and a
    // forwarder to a server it cannot reach; then a reader in another process that ends; then
    // more Confirms, and the writer killed. Had anything but SQLite opened the journal's file in
    // the writer's process, its locks would be gone, and the reader's exit would have deleted the
    // write-ahead log under it, with every later Confirm.
    void noLocksLostToOutsideReaders()
    {
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        QProcess writer;
        qputenv("TST_JOURNAL_WRITER", QFile::encodeName(path));
        writer.start(QCoreApplication::applicationFilePath(), {});
        qunsetenv("TST_JOURNAL_WRITER");
        const auto ask = [&writer](const QByteArray &line) {
            writer.write(line + '\n');
            while (!writer.canReadLine() && writer.waitForReadyRead(10000)) { }
            return writer.readLine().trimmed() == "ok";
        };
        for (const char *step : { "confirm", "confirm", "second", "confirm" })
            QVERIFY2(ask(step), step);
        QTest::qWait(100); // the forwarder has opened and closed its own connection many times
        QProcess reader;
        reader.start(u"sqlite3"_s, { path, u"SELECT count(*) FROM readings"_s });
        QVERIFY(reader.waitForFinished() && reader.readAll().trimmed() == "3");
        QVERIFY(QFileInfo::exists(path + u"-wal"_s));
        for (int i = 0; i < 3; ++i)
            QVERIFY(ask("confirm"));
        writer.kill();
        QVERIFY(writer.waitForFinished());
        QCOMPARE(Count(path, u"SELECT count(*) FROM readings"_s), 6);
    }

    // A journal on read-only media (here a read-only mount of its own, which holds for root too)
    // is verified, listed and exported.
    void readOnlyMediaVerified()
    {
        if (QProcess::execute(u"unshare"_s, { u"-rm"_s, u"true"_s }) != 0)
            QSKIP("no user and mount namespaces here to mount a read-only file system in");
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        MakeJournal(path);
        const QString media = m_dir->filePath(u"media"_s);
        QVERIFY(QDir().mkdir(media));
        const QString on =
            u"%1 --journal %2/j.sqlite "_s.arg(QStringLiteral(VELMORA_JOURNAL_TOOL), media);
        const QString script =
            u"mount -t tmpfs none %1 && cp %2 %1/ && mount -o remount,ro %1 && "
            "%3 verify --key %4 && %3 list && %3 export --csv %5"_s.arg(
                media, path, on, ChainKeyPath(path), m_dir->filePath(u"out.csv"_s));
        QProcess shell;
        shell.start(u"unshare"_s, { u"-rm"_s, u"sh"_s, u"-c"_s, script });
        QVERIFY(shell.waitForFinished(30000));
        QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());
        QCOMPARE(ReadAll(m_dir->filePath(u"out.csv"_s)).count("\r\n"), 1 + 3);
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
        run.header.method = RunMethod { u"=m"_s, 2, 35.5, std::nullopt, 3 };
        run.verdict = Verdict::Fail;
        const QList<JournalReading> readings {
            { 1, 1, u"-12345"_s, -12.345, u"2026-12-06T23:59:59.999Z"_s, {}, {}, {}, {}, true },
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
        run.header.method.reset();
        run.verdict.reset();
        QVERIFY(CsvExport::Rows(run, readings).endsWith(",sugar-degree,,,,,,,,\r\n"));
        QCOMPARE(
            CsvExport::Header() + rows,
            "\xEF\xBB\xBFrun_id,station,port,started,ended,status,cause,unit,sample,batch,"
            "inspector,mode,n,a,lenC,C,lena,mean,deviation,number,received,value,confirmed,"
            "mode_name,sd,rsd,method,method_version,lower,upper,verdict,auto\r\n"
                + run1
                + "1,-12345,-12.345,2026-12-07T07:59:59.999+08:00,sugar-degree,8.729,141.42,'=m,2,"
                  "35.5,,fail,1\r\n"
                + run1
                + "2,A,0.000,2026-12-07T11:15:59.000+08:00,sugar-degree,8.729,141.42,'=m,2,35.5,,"
                  "fail,\r\n");
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
            << QStringList { u"\"mean\": 21.449,"_s,
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
        const QStringList method { u"method"_s, u"set"_s, u"蔗糖"_s, u"--mode"_s, u"0"_s };
        QTest::newRow("method set without N")
            << QString() << method << 2 << QStringList { u"needs --mode and --n"_s };
        QTest::newRow("method set, limits crossed")
            << QString()
            << method + QStringList { u"--n"_s, u"3"_s, u"--lower"_s, u"2"_s, u"--upper"_s, u"1"_s }
            << 2 << QStringList { u"lower limit is above"_s };
        QTest::newRow("method retire, no such method")
            << QString() << QStringList { u"method"_s, u"retire"_s, u"蔗糖"_s } << 3
            << QStringList { u"there is no method 蔗糖"_s };
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

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (const QString path = qEnvironmentVariable("TST_JOURNAL_WRITER"); !path.isEmpty())
        return WriterProcess(path);
    tst_Journal test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journal.moc"
