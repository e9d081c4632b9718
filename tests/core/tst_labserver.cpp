#include "PgServer.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalVerify.h"
#include "core/journal/server/JournalForwarder.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalLocation.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;
using Status = ForwardState::Status;

Q_DECLARE_METATYPE(JournalResult::Error)

namespace {

constexpr int kWait = 20000;

const RunHeader kHeader {
    {}, {}, {}, {}, u"张三"_s, 5, MeasurementMode::SugarDegree, { 66.5f, 2.0f, 1.0f, 2.0f }
};

// Confirms reading number of a run of n; the last one completes it.
bool Confirm(Journal &journal, int number, int n)
{
    ConfirmedReading reading { number, QString::number(34626 + number), 100.00000474974513 + number,
                               std::nullopt };
    if (number == n)
        reading.totals = RunTotals { u"103.000"_s, u"1.581"_s };
    return journal.recordReading(reading).ok();
}

int Tool(const QStringList &arguments, QByteArray *out = nullptr)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral(VELMORA_JOURNAL_TOOL), arguments);
    tool.waitForFinished(60000);
    if (out)
        *out = tool.readAllStandardOutput();
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

} // namespace

class tst_LabServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<PgServer> m_pg;
    QTemporaryDir m_dir;
    int m_databases = 0;

    // A database of its own for each case, with the journal schema.
    QString newDatabase()
    {
        const QString name = u"lab%1"_s.arg(++m_databases);
        const bool made = m_pg->sql(u"postgres"_s, u"CREATE DATABASE "_s + name)
            && Tool({ u"--server"_s, m_pg->connInfo(name), u"server-init"_s }) == 0;
        return made ? name : QString();
    }

    std::unique_ptr<Journal> openJournal(const QString &station, const QString &file = {})
    {
        auto journal = std::make_unique<Journal>(station);
        if (!journal->open(m_dir.filePath((file.isEmpty() ? station : file) + u".sqlite"_s))
                 .result.ok())
            return {};
        journal->beginRun(kHeader);
        return journal;
    }

    std::unique_ptr<JournalForwarder> forwarder(Journal &journal, const QString &connInfo)
    {
        auto forwarder = std::make_unique<JournalForwarder>(journal.database().path(), connInfo);
        forwarder->setRetryInterval(std::chrono::milliseconds(50), std::chrono::milliseconds(200));
        forwarder->start();
        return forwarder;
    }

    // The server's journal as velmora-journal verify --server sees it, in rows checked.
    qint64 verifiedServerRows(const QString &db)
    {
        ServerConnection server;
        if (!server.open(m_pg->connInfo(db)).ok())
            return -1;
        const VerifyReport report = VerifyJournal(server);
        return report.intact() ? report.rowsChecked : -1;
    }

    static qint64 localRows(Journal &journal)
    {
        return VerifyJournal(journal.database()).rowsChecked;
    }

private slots:
    void initTestCase()
    {
        m_pg = std::make_unique<PgServer>();
        QVERIFY2(m_pg->isReady(), "PostgreSQL 15 (Debian package postgresql) did not start");
        QVERIFY(!newDatabase().isEmpty()); // creates the roles
        QVERIFY(m_pg->sql(u"postgres"_s,
                          u"CREATE ROLE station LOGIN PASSWORD 'right' IN ROLE velmora_station; "
                          "CREATE ROLE intruder LOGIN PASSWORD 'other' IN ROLE velmora_station"_s));
        // A station's password is in libpq's password file, never in the settings.
        QFile passwords(m_dir.filePath(u"pgpass"_s));
        QVERIFY(passwords.open(QIODevice::WriteOnly));
        QVERIFY(passwords.write("*:*:*:station:right\n*:*:*:intruder:wrong\n") > 0);
        passwords.close();
        QVERIFY(passwords.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        qputenv("PGPASSFILE", QFile::encodeName(passwords.fileName()));
        QVERIFY(m_pg->requirePasswords());
    }

    // The server stops mid-run: the Confirm never waits for it, and every row arrives once, in
    // order, after it is back.
    void runReachesServerThroughAnOutage()
    {
        const QString db = newDatabase();
        auto journal = openJournal(u"station-a"_s);
        QVERIFY(journal);
        auto forward = forwarder(*journal, m_pg->connInfo(db, u"station"_s));
        QVERIFY(journal->recordEvent(JournalEvent::ZeroSent).ok());
        QVERIFY(Confirm(*journal, 1, 5));
        forward->notifyCommitted();
        QTRY_COMPARE_WITH_TIMEOUT(verifiedServerRows(db), localRows(*journal), kWait);

        QVERIFY(m_pg->stop());
        auto restart = qScopeGuard([this] { m_pg->start(); });
        for (int number = 2; number <= 4; ++number)
            QVERIFY(Confirm(*journal, number, 5));
        forward->notifyCommitted();
        QTRY_COMPARE_WITH_TIMEOUT(forward->state().pendingRows, 3, kWait);
        QCOMPARE(forward->state().status, Status::Unreachable);
        QCOMPARE(forward->state().error, JournalResult::Error::Unreachable);
        QVERIFY(m_pg->start());
        restart.dismiss();
        QVERIFY(Confirm(*journal, 5, 5));
        forward->notifyCommitted();
        QTRY_COMPARE_WITH_TIMEOUT(verifiedServerRows(db), localRows(*journal), kWait);
        QTRY_COMPARE(forward->state().status, Status::Synced);
        QCOMPARE(forward->state().pendingRows, 0);
        // Every column reached it.
        QCOMPARE(
            m_pg->value(db,
                        u"SELECT count(*) FROM velmora.readings r JOIN velmora.runs USING "
                        "(station, run_id) WHERE written_at = confirmed_at AND "
                        "written_offset = confirmed_offset AND ended_offset = started_offset"_s),
            u"5"_s);

        ServerConnection server;
        QVERIFY(server.open(m_pg->connInfo(db, u"station"_s)).ok());
        QList<JournalRun> runs;
        QVERIFY(JournalHistory(server).runs({}, 10, runs).ok());
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].status, RunStatus::Completed);
        // The tool reads the server with a station filter; rows stay as written, even for the
        // tables' owner, and an edit behind the triggers' back breaks the chain.
        QByteArray listed;
        const QString conn = m_pg->connInfo(db);
        QCOMPARE(Tool({ u"--server"_s, conn, u"list"_s, u"--station"_s, u"station-a"_s }, &listed),
                 0);
        QVERIFY(listed.contains(runs[0].id.toUtf8()));
        QCOMPARE(Tool({ u"--server"_s, conn, u"list"_s, u"--station"_s, u"other"_s }, &listed), 0);
        QVERIFY(!listed.contains(runs[0].id.toUtf8()));
        // The server's copy, keyed rows included, is checked with the station's key, and compared
        // with the local journal row by row.
        const QString path = journal->database().path();
        const QStringList verify { u"--server"_s, conn, u"--journal"_s, path, u"verify"_s };
        QCOMPARE(Tool(verify + QStringList { u"--key"_s, ChainKeyPath(path) }), 0);
        QVERIFY(!m_pg->sql(db, u"UPDATE velmora.readings SET value = 0"_s));
        QVERIFY(!m_pg->sql(db, u"DELETE FROM velmora.events"_s));
        // The last row cut off the local journal shows only against the server.
        QSqlQuery cut(journal->database().database());
        QVERIFY(cut.exec(u"DROP TRIGGER events_not_deleted"_s)
                && cut.exec(u"DELETE FROM events WHERE seq = 8"_s));
        QCOMPARE(Tool(verify, &listed), 1);
        QVERIFY2(listed.contains("row 8 is on the server but not in this journal"), listed);
        // A server row changed under the same number differs from the local one.
        QVERIFY(m_pg->sql(db,
                          u"ALTER TABLE velmora.readings DISABLE TRIGGER USER; "
                          "UPDATE velmora.readings SET value = 1 WHERE seq = 3"_s));
        QCOMPARE(Tool(verify, &listed), 1);
        QVERIFY2(listed.contains("row 3 differs between this journal and the server"), listed);
    }

    // Two stations at once, a second instance forwarding the same journal as the first, and a
    // journal started afresh at the first station (as after damage), numbered from 1 again.
    void twoStationsAtOnce()
    {
        const QString db = newDatabase();
        const QString conn = m_pg->connInfo(db, u"station"_s);
        auto a = openJournal(u"station-c"_s);
        auto b = openJournal(u"station-d"_s);
        auto afresh = openJournal(u"station-c"_s, u"afresh"_s);
        QVERIFY(a && b && afresh);
        std::unique_ptr<JournalForwarder> forwarders[] = { forwarder(*a, conn), forwarder(*b, conn),
                                                           forwarder(*a, conn),
                                                           forwarder(*afresh, conn) };
        for (int i = 0; i < 4 * 5; ++i) { // four runs of five in each journal
            for (Journal *journal : { a.get(), b.get(), afresh.get() }) {
                if (i % 5 == 0)
                    journal->beginRun(kHeader);
                QVERIFY(Confirm(*journal, i % 5 + 1, 5));
            }
            for (auto &forward : forwarders)
                forward->notifyCommitted();
        }
        QTRY_COMPARE_WITH_TIMEOUT(verifiedServerRows(db),
                                  localRows(*a) + localRows(*b) + localRows(*afresh), kWait);
        for (auto &forward : forwarders)
            QTRY_COMPARE(forward->state().status, Status::Synced);
        QCOMPARE(m_pg->value(db,
                             u"SELECT string_agg(station || n, ' ' ORDER BY station) FROM "
                             "(SELECT station, count(*) AS n FROM velmora.runs GROUP BY 1) s"_s),
                 u"station-c8 station-d4"_s);
    }

    // A server that stops answering never holds the program: stopping the forwarder cuts the
    // connection, and the row it was sending goes once the server is back.
    void hungServerCut()
    {
        const QString db = newDatabase();
        auto journal = openJournal(u"station-hung"_s);
        QVERIFY(journal);
        auto forward = forwarder(*journal, m_pg->connInfo(db, u"station"_s));
        QVERIFY(Confirm(*journal, 1, 5));
        forward->notifyCommitted();
        QTRY_COMPARE_WITH_TIMEOUT(forward->state().status, Status::Synced, kWait);
        QVERIFY(m_pg->freeze(true));
        std::unique_ptr<QThread> stopper(QThread::create([&forward] { forward->stop(); }));
        // Whatever happens, the server answers again and the stopper ends before the test does.
        auto thaw = qScopeGuard([&] {
            m_pg->freeze(false);
            stopper->wait();
        });
        QVERIFY(Confirm(*journal, 2, 5));
        forward->notifyCommitted();
        QTest::qWait(300); // the worker now waits for an answer
        stopper->start();
        QVERIFY(stopper->wait(kWait));
        thaw.dismiss();
        QVERIFY(m_pg->freeze(false));
        forward->start();
        QTRY_COMPARE_WITH_TIMEOUT(verifiedServerRows(db), localRows(*journal), kWait);
    }

    void refusingServerKeepsRecording_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("user");
        QTest::addColumn<JournalResult::Error>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("newer schema")
            << u"INSERT INTO velmora.schema_version VALUES (3)"_s << u"station"_s
            << JournalResult::Error::NewerVersion << u"newer than this program"_s;
        // A copy of this journal went its own way under the same identity.
        QTest::newRow("copy") << u"INSERT INTO velmora.events VALUES ('station-copy', 1, '', "
                                 "NULL, 'zero-sent', '', '\\x00', '%1')"_s
                              << u"station"_s << JournalResult::Error::Mismatch
                              << u"another row 1"_s;
        QTest::newRow("wrong password")
            << u"SELECT 1"_s << u"intruder"_s << JournalResult::Error::Refused
            << u"password authentication failed"_s;
    }

    void refusingServerKeepsRecording()
    {
        QFETCH(QString, setup);
        QFETCH(QString, user);
        QFETCH(JournalResult::Error, error);
        QFETCH(QString, reason);
        const QString db = newDatabase();
        auto journal = openJournal(u"station-"_s + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(journal);
        QSqlQuery identity(journal->database().database());
        QVERIFY(identity.exec(u"SELECT journal FROM identity"_s) && identity.next());
        QVERIFY(m_pg->sql(db, setup.replace(u"%1"_s, identity.value(0).toString())));
        auto forward = forwarder(*journal, m_pg->connInfo(db, user));
        QSignalSpy states(forward.get(), &JournalForwarder::stateChanged);
        for (int number = 1; number <= 3; ++number)
            QVERIFY(Confirm(*journal, number, 5));
        forward->notifyCommitted();
        // Rows wait, and how many of them the server lacks is not known.
        QTRY_COMPARE_WITH_TIMEOUT(forward->state().pendingRows, -1, kWait);
        QCOMPARE(forward->state().status, Status::Unreachable);
        QCOMPARE(forward->state().error, error);
        QVERIFY2(forward->state().reason.contains(reason), qPrintable(forward->state().reason));
        QCOMPARE(states.constLast().constFirst().value<ForwardState>(), forward->state());
        QCOMPARE(m_pg->value(db, u"SELECT count(*) FROM velmora.readings"_s), u"0"_s);
    }
};

QTEST_GUILESS_MAIN(tst_LabServer)
#include "tst_labserver.moc"
