#include "PgServer.h"
#include "core/journal/accounts/AccountJournal.h"
#include "core/journal/methods/MethodStore.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalVerify.h"
#include "core/journal/server/JournalForwarder.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalLocation.h"

#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Status = ForwardState::Status;

Q_DECLARE_METATYPE(JournalResult::Error)

namespace {

constexpr int kWait = 20000;

const RunHeader kHeader {
    {}, {}, {}, {}, u"张三"_s, 5, MeasurementMode::SugarDegree, { 66.5f, 2.0f, 1.0f, 2.0f }
};

// Confirms reading number of a run of n; the last one completes it.
bool Confirm(Journal &journal, int number, int n, std::optional<Verdict> verdict = std::nullopt)
{
    ConfirmedReading reading { number, QString::number(34626 + number), 100.00000474974513 + number,
                               std::nullopt };
    if (number == n)
        reading.totals = RunTotals { u"103.000"_s, u"1.581"_s };
    reading.verdict = verdict;
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

    // underMethod: the run is measured under a method the journal holds, its mean on the limit.
    std::unique_ptr<Journal> openJournal(const QString &station, const QString &file = {},
                                         bool underMethod = false)
    {
        auto journal = std::make_unique<Journal>(station);
        if (!journal->open(m_dir.filePath((file.isEmpty() ? station : file) + u".sqlite"_s))
                 .result.ok())
            return {};
        RunHeader header = kHeader;
        if (underMethod) {
            Method method = Method::OfRun(kHeader);
            method.name = u"蔗糖"_s;
            method.lower = 103.0;
            MethodStore::Change change {};
            if (!MethodStore::Set(*journal, method, change).ok())
                return {};
            header.method = method.forRun();
        }
        journal->beginRun(header);
        return journal;
    }

    std::unique_ptr<JournalForwarder> forwarder(Journal &journal, const QString &connInfo,
                                                std::chrono::milliseconds retry = 50ms)
    {
        auto forwarder = std::make_unique<JournalForwarder>(journal.database().path(), connInfo);
        forwarder->setRetryInterval(retry, std::max(retry, 200ms));
        forwarder->setServerTimeout(1000ms);
        forwarder->start();
        return forwarder;
    }

    // When the station's forwarder last sent the server a statement.
    QString lastStatement(const QString &db) const
    {
        return m_pg->value(db,
                           u"SELECT max(query_start) FROM pg_stat_activity "
                           "WHERE application_name = 'velmora' AND datname = current_database()"_s);
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
        auto journal = openJournal(u"station-a"_s, {}, true);
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
        QVERIFY(Confirm(*journal, 5, 5, Verdict::Pass));
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
        QCOMPARE(m_pg->value(db,
                             u"SELECT method || ':' || method_version || ':' || lower_limit || ':' "
                             "|| verdict FROM velmora.runs"_s),
                 u"蔗糖:1:103:pass"_s);

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
                && cut.exec(u"DELETE FROM events WHERE seq = 9"_s));
        QCOMPARE(Tool(verify, &listed), 1);
        QVERIFY2(listed.contains("row 9 is on the server but not in this journal"), listed);
        // A server row changed under the same number differs from the local one.
        QVERIFY(m_pg->sql(db,
                          u"ALTER TABLE velmora.readings DISABLE TRIGGER USER; "
                          "UPDATE velmora.readings SET value = 1 WHERE seq = 4"_s));
        QCOMPARE(Tool(verify, &listed), 1);
        QVERIFY2(listed.contains("row 4 differs between this journal and the server"), listed);
    }

    // Accounts and signatures reach the server as events, with who confirmed each reading;
    // neither a password nor its hash does.
    void accountsReachServerWithoutPasswords()
    {
        const QString db = newDatabase();
        auto journal = openJournal(u"station-a"_s, u"accounts"_s);
        QVERIFY(journal);
        AccountJournal accounts(*journal, AccountPolicy {});
        QVERIFY(accounts.addAccount({}, { u"root"_s, {}, Role::Admin }, u"root-secret"_s).ok());
        QVERIFY(accounts
                    .addAccount({ u"root"_s, u"root-secret"_s }, { u"op"_s, {}, Role::Operator },
                                u"op-secret-1"_s)
                    .ok());
        journal->beginRun({ {}, {}, {}, {}, u"op"_s, 1, {}, {}, u"op"_s });
        QVERIFY(
            journal->recordReading({ 1, u"1"_s, 0.001, RunTotals { u"0.001"_s, {} }, {}, u"op"_s })
                .ok());
        QSqlQuery query(journal->database().database());
        QVERIFY(query.exec(u"SELECT run_id FROM runs"_s) && query.next());
        QVERIFY(accounts
                    .sign({ u"op"_s, u"op-secret-1"_s }, query.value(0).toString(),
                          Meaning::Performed, {})
                    .ok());
        auto forward = forwarder(*journal, m_pg->connInfo(db, u"station"_s));
        QTRY_COMPARE_WITH_TIMEOUT(verifiedServerRows(db), localRows(*journal), kWait);
        QCOMPARE(m_pg->value(db, u"SELECT account FROM velmora.readings"_s), u"op"_s);
        QCOMPARE(m_pg->value(db, u"SELECT account FROM velmora.runs"_s), u"op"_s);
        QCOMPARE(
            m_pg->value(db, u"SELECT count(*) FROM velmora.events WHERE kind = 'run-signed'"_s),
            u"1"_s);
        QCOMPARE(m_pg->value(db,
                             u"SELECT count(*) FROM velmora.events WHERE detail LIKE "
                             "'%secret%' OR detail LIKE '%argon2%'"_s),
                 u"0"_s);
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

    // A connection string gets the bounds the lab left open; a server that stops answering in the
    // middle of a statement is given up once it stays silent for the bound.
    void frozenServerGivenUp()
    {
        QCOMPARE(ServerConnection::ConnectOptions(u" velmora "_s),
                 u"service=velmora connect_timeout=5 keepalives=1 keepalives_idle=10 "
                 "keepalives_interval=5 keepalives_count=3 tcp_user_timeout=30000 "
                 "application_name=velmora"_s);
        QVERIFY(ServerConnection::ConnectOptions(u"host=h keepalives=0 connect_timeout=2"_s)
                    .startsWith(u"host=h keepalives=0 connect_timeout=2 keepalives_idle=10"_s));
        for (const auto timeout : { ServerConnection::kDefaultTimeout, 800ms }) {
            ServerConnection server(timeout);
            QVERIFY(server.open(m_pg->connInfo(u"postgres"_s)).ok());
            QSqlQuery query(server.database());
            QVERIFY(server.exec(query, u"SHOW statement_timeout"_s).ok() && query.next());
            QCOMPARE(query.value(0).toString(), timeout == 800ms ? u"800ms"_s : u"10s"_s);
        }
        ServerConnection server(800ms);
        QVERIFY(server.open(m_pg->connInfo(u"postgres"_s)).ok());
        QSqlQuery query(server.database());
        QVERIFY(m_pg->freeze(true));
        auto thaw = qScopeGuard([this] { m_pg->freeze(false); });
        QElapsedTimer silent;
        silent.start();
        const JournalResult result = server.exec(query, u"SELECT 1"_s);
        QVERIFY2(silent.elapsed() >= 700 && silent.elapsed() < 1200,
                 qPrintable(QString::number(silent.elapsed())));
        QCOMPARE(result.error, JournalResult::Error::Unreachable);
        QVERIFY2(result.text.contains(u"did not answer"_s), qPrintable(result.text));
    }

    // While the server is frozen, a Confirm never shows as synced: its row is pending at once,
    // and once the server has been silent for the bound the strip says it does not answer, with
    // the rows waiting. Stopping never waits for the server, neither while the forwarder
    // connects to it nor while a statement waits for it; the rows go once it is back.
    void frozenServerNotAnswering()
    {
        const QString db = newDatabase();
        auto journal = openJournal(u"station-frozen"_s);
        QVERIFY(journal);
        auto forward = forwarder(*journal, m_pg->connInfo(db, u"station"_s));
        QVERIFY(Confirm(*journal, 1, 5));
        forward->notifyCommitted();
        QTRY_COMPARE_WITH_TIMEOUT(forward->state().status, Status::Synced, kWait);
        QVERIFY(m_pg->freeze(true));
        auto thaw = qScopeGuard([this] { m_pg->freeze(false); });
        QSignalSpy states(forward.get(), &JournalForwarder::stateChanged);
        QVERIFY(Confirm(*journal, 2, 5));
        QElapsedTimer silent;
        silent.start();
        forward->notifyCommitted();
        QCOMPARE(forward->state().status, Status::Pending);
        QTRY_COMPARE_WITH_TIMEOUT(forward->state().status, Status::NotAnswering, 3000);
        QVERIFY2(silent.elapsed() >= 900 && silent.elapsed() < 1500,
                 qPrintable(QString::number(silent.elapsed())));
        QCOMPARE(forward->state().pendingRows, 1);
        QVERIFY(forward->state().text().startsWith(u"实验室服务器没有响应，1 行在本机等待"_s));
        for (const QList<QVariant> &state : std::as_const(states))
            QVERIFY(state.constFirst().value<ForwardState>().status != Status::Synced);

        const auto stopTakes = [&forward] {
            QElapsedTimer timer;
            timer.start();
            forward->stop();
            return timer.elapsed();
        };
        QTest::qWait(300); // the next attempt now connects to the frozen server
        QVERIFY2(stopTakes() < 1000, "stopped while connecting");
        thaw.dismiss();
        QVERIFY(m_pg->freeze(false));
        forward->start();
        QTRY_COMPARE_WITH_TIMEOUT(verifiedServerRows(db), localRows(*journal), kWait);
        QTRY_COMPARE(forward->state().status, Status::Synced);

        QVERIFY(m_pg->freeze(true));
        auto thawAgain = qScopeGuard([this] { m_pg->freeze(false); });
        QVERIFY(Confirm(*journal, 3, 5));
        forward->notifyCommitted();
        QTest::qWait(300); // the worker now waits for an answer
        QVERIFY2(stopTakes() < 1000, "stopped while sending");
        thawAgain.dismiss();
        QVERIFY(m_pg->freeze(false));
        forward->start();
        QTRY_COMPARE_WITH_TIMEOUT(verifiedServerRows(db), localRows(*journal), kWait);
    }

    // After an outage the first attempt comes within the longest wait of the server's return
    // (waits of 1, 2, 4 s, then 5 s rather than 8 s), and a Confirm tries at once, whatever
    // wait is running. Once synced, nothing more is sent until the next commit.
    void retryAfterOutage()
    {
        const QString db = newDatabase();
        const QString conn = m_pg->connInfo(db, u"station"_s);
        auto paced = openJournal(u"station-paced"_s);
        auto told = openJournal(u"station-told"_s);
        QVERIFY(paced && told);
        JournalForwarder byDefault(paced->database().path(), conn);
        byDefault.start();
        auto slow = forwarder(*told, conn, 60s);
        QTRY_COMPARE_WITH_TIMEOUT(byDefault.state().status, Status::Synced, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(slow->state().status, Status::Synced, kWait);

        QVERIFY(m_pg->stop());
        auto restart = qScopeGuard([this] { m_pg->start(); });
        QVERIFY(Confirm(*paced, 1, 5) && Confirm(*told, 1, 5));
        byDefault.notifyCommitted();
        slow->notifyCommitted();
        QTRY_COMPARE(byDefault.state().status, Status::Unreachable);
        QTRY_COMPARE(slow->state().status, Status::Unreachable);
        QTest::qWait(7500); // failures after 0, 1, 3 and 7 s
        QVERIFY(m_pg->start());
        restart.dismiss();
        QElapsedTimer back;
        back.start();
        QTRY_COMPARE_WITH_TIMEOUT(byDefault.state().status, Status::Synced, kWait);
        QVERIFY2(back.elapsed() < 5300, qPrintable(QString::number(back.elapsed())));
        QSignalSpy states(&byDefault, &JournalForwarder::stateChanged);
        const QString last = lastStatement(db);
        QTest::qWait(1500);
        QCOMPARE(lastStatement(db), last);
        QCOMPARE(states.count(), 0);
        QVERIFY(Confirm(*told, 2, 5));
        slow->notifyCommitted();
        QTRY_COMPARE_WITH_TIMEOUT(slow->state().status, Status::Synced, 2000);
        QCOMPARE(verifiedServerRows(db), localRows(*paced) + localRows(*told));
    }

    void refusingServerKeepsRecording_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("user");
        QTest::addColumn<JournalResult::Error>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("newer schema")
            << u"INSERT INTO velmora.schema_version VALUES (%1)"_s.arg(ServerSchema::kVersion + 1)
            << u"station"_s << JournalResult::Error::NewerVersion << u"newer than this program"_s;
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
        QTRY_COMPARE_WITH_TIMEOUT(forward->state().status, Status::Unreachable, kWait);
        QCOMPARE(forward->state().pendingRows, -1);
        QCOMPARE(forward->state().error, error);
        QVERIFY2(forward->state().reason.contains(reason), qPrintable(forward->state().reason));
        QCOMPARE(states.constLast().constFirst().value<ForwardState>(), forward->state());
        QCOMPARE(m_pg->value(db, u"SELECT count(*) FROM velmora.readings"_s), u"0"_s);
    }

    // The README's set-up as it is written: the programs installed as it says, the administrator's
    // commands run by the postgres user against this test's server, its pg_hba.conf lines (over
    // the server's socket rather than the lab's network), a station forwarding through the service
    // and password files it writes, and the reader role reading what the station sent.
    void readmeSetUp()
    {
        QFile file(QStringLiteral(VELMORA_SOURCE_DIR "/README.md"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString section = QString::fromUtf8(file.readAll())
                                    .section(u"\n## Lab server\n"_s, 1)
                                    .section(u"\n## "_s, 0, 0);
        QHash<QString, QStringList> blocks; // by language, in order
        const QRegularExpression block(u"```(\\w+)\n(.*?)```"_s,
                                       QRegularExpression::DotMatchesEverythingOption);
        for (auto it = block.globalMatch(section); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            blocks[match.captured(1)] << match.captured(2);
        }
        QStringList &sh = blocks[u"sh"_s];
        QCOMPARE(sh.size(), 3);

        QTemporaryDir root;
        QVERIFY(QFile::setPermissions(root.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadOther | QFile::ExeOther));
        // sudo -u USER: as that user under root, else as this one under its role.
        QFile sudo(root.filePath(u"sudo"_s));
        QVERIFY(sudo.open(QIODevice::WriteOnly)
                && sudo.write("#!/bin/sh\nuser=$2; shift 2\n[ $(id -u) = 0 ] && exec runuser "
                              "-u \"$user\" -- \"$@\"\nPGUSER=$user exec \"$@\"\n")
                    > 0);
        sudo.close();
        QVERIFY(sudo.setPermissions(sudo.permissions() | QFile::ExeOwner | QFile::ExeOther));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"PATH"_s,
                   root.filePath(u"usr/bin:"_s) + root.path() + u':' + env.value(u"PATH"_s));
        env.insert(u"PGHOST"_s, m_pg->socketDir());
        env.insert(u"PGPORT"_s, QString::number(PgServer::kPort));
        env.insert(u"HOME"_s, root.path());
        const auto run = [&env](QString script) {
            QProcess shell;
            shell.setProcessEnvironment(env);
            shell.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            shell.setStandardOutputFile(QProcess::nullDevice());
            shell.start(u"sh"_s, { u"-ec"_s, script });
            return shell.waitForFinished(60000) && shell.exitCode() == 0;
        };
        QVERIFY(run(sh[0]
                        .replace(u"build/default"_s, QStringLiteral(VELMORA_BUILD_DIR))
                        .replace(u"/usr/local"_s, root.filePath(u"usr"_s))));
        QVERIFY(run(sh[1]));
        QByteArray rules = "local all station,intruder scram-sha-256\n";
        for (const QString &line :
             blocks.value(u"conf"_s).value(0).split(u'\n', Qt::SkipEmptyParts)) {
            QStringList fields = line.simplified().split(u' ');
            fields[0] = u"local"_s;
            fields.removeAt(3); // the network's address
            rules += fields.join(u' ').toUtf8() + '\n';
        }
        auto access = qScopeGuard([this] { m_pg->requirePasswords(); });
        QVERIFY(m_pg->setAccess(rules));
        QVERIFY(run(sh[2]
                        .replace(u"lab-db.example"_s, m_pg->socketDir())
                        .replace(u"5432"_s, QString::number(PgServer::kPort))));
        const QByteArray passwords = qgetenv("PGPASSFILE");
        auto files = qScopeGuard([&passwords] { qputenv("PGPASSFILE", passwords); });
        qputenv("PGSERVICEFILE", QFile::encodeName(root.filePath(u".pg_service.conf"_s)));
        qputenv("PGPASSFILE", QFile::encodeName(root.filePath(u".pgpass"_s)));

        const QString conn = blocks.value(u"ini"_s).value(0).section(u"server="_s, 1).trimmed();
        auto journal = openJournal(u"station3"_s);
        QVERIFY(journal && Confirm(*journal, 1, 5));
        auto forward = forwarder(*journal, conn);
        QTRY_COMPARE_WITH_TIMEOUT(forward->state().status, Status::Synced, kWait);
        QVERIFY(run(u"echo '%1:%2:velmora:qa:secret' >> ~/.pgpass"_s.arg(m_pg->socketDir())
                        .arg(PgServer::kPort)));
        ServerConnection reader;
        QList<JournalRun> runs;
        QVERIFY(reader.open(conn + u" user=qa"_s).ok());
        QVERIFY(JournalHistory(reader).runs({}, 10, runs).ok());
        QCOMPARE(runs.size(), 1);
        QSqlQuery insert(reader.database());
        QCOMPARE(reader.exec(insert, u"DELETE FROM run_ends"_s).error,
                 JournalResult::Error::Refused);
    }
};

QTEST_GUILESS_MAIN(tst_LabServer)
#include "tst_labserver.moc"
