#include "AccountLab.h"
#include "FileBytes.h"
#include "JournalEdit.h"
#include "core/journal/accounts/RunAudit.h"
#include "core/journal/read/JournalVerify.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Status = AccountOutcome::Status;

} // namespace

class tst_Accounts : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // What comes before a sign-in: wrong passwords (three lock the account for a while), an
    // administrator's disabling, the password's age.
    void signIn_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<Status>("status");
        const QString right = Password(u"op"_s);
        QTest::newRow("right password") << QString() << u"op"_s << right << Status::Done;
        QTest::newRow("wrong password")
            << QString() << u"op"_s << u"op-secret-2"_s << Status::Refused;
        QTest::newRow("empty password") << QString() << u"op"_s << QString() << Status::Refused;
        QTest::newRow("another's password")
            << QString() << u"op"_s << Password(u"root"_s) << Status::Refused;
        QTest::newRow("unknown account") << QString() << u"nobody"_s << right << Status::Refused;
        QTest::newRow("disabled") << u"disable"_s << u"op"_s << right << Status::Refused;
        QTest::newRow("enabled again") << u"disable enable"_s << u"op"_s << right << Status::Done;
        QTest::newRow("two failures") << u"wrong wrong"_s << u"op"_s << right << Status::Done;
        QTest::newRow("three failures lock")
            << u"wrong wrong wrong"_s << u"op"_s << right << Status::Refused;
        QTest::newRow("failures apart do not lock")
            << u"wrong wrong right wrong"_s << u"op"_s << right << Status::Done;
        QTest::newRow("the lock ends")
            << u"wrong wrong wrong +16"_s << u"op"_s << right << Status::Done;
        QTest::newRow("still locked")
            << u"wrong wrong wrong +14"_s << u"op"_s << right << Status::Refused;
        QTest::newRow("password expired") << u"+131040"_s << u"op"_s << right << Status::Expired;
    }

    void signIn()
    {
        QFETCH(QString, before);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(Status, status);
        Lab lab(m_dir->path(), { { u"op"_s, Role::Operator } });
        const Credentials op { u"op"_s, Password(u"op"_s) };
        for (const QString &step : before.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith(u'+'))
                lab.now = lab.now.addSecs(step.toInt() * 60);
            else if (step == u"wrong" || step == u"right")
                lab.accounts.signIn({ u"op"_s, step == u"right" ? op.password : u"x"_s },
                                    AccountJournal::Place::Login);
            else
                QVERIFY(lab.accounts.setEnabled(Lab::admin(), u"op"_s, step == u"enable").ok());
        }
        const int failed =
            lab.count(u"SELECT count(*) FROM events WHERE kind = 'sign-in-failed'"_s);
        const AccountOutcome outcome =
            lab.accounts.signIn({ name, password }, AccountJournal::Place::Login);
        QCOMPARE(outcome.status, status);
        QCOMPARE(lab.count(u"SELECT count(*) FROM events WHERE kind = 'sign-in-failed'"_s),
                 failed + (status == Status::Done ? 0 : 1));
        QCOMPARE(lab.count(u"SELECT count(*) FROM events WHERE kind = 'signed-in'"_s),
                 int(before.count(u"right"_s)) + (status == Status::Done ? 1 : 0));
        // An expired password may still be changed by its owner, then it signs in.
        if (status == Status::Expired) {
            QCOMPARE(lab.accounts.changePassword(op, op.password).status, Status::Refused);
            QVERIFY(lab.accounts.changePassword(op, u"op-secret-2"_s).ok());
            lab.now = QDateTime::currentDateTimeUtc(); // the new password's age
            QVERIFY(lab.accounts.signIn({ u"op"_s, u"op-secret-2"_s }, AccountJournal::Place::Lock)
                        .ok());
        }
    }

    // Performed by one who confirmed the readings, reviewed by another reviewer, approved by a
    // third; an exclusion breaks the signatures given before it; nothing changes after review.
    // Every refusal is a row of the chain, and the chain holds no password nor its hash.
    void signaturesAndExclusions()
    {
        Lab lab(m_dir->path(),
                { { u"op"_s, Role::Operator },
                  { u"rv1"_s, Role::Reviewer },
                  { u"rv2"_s, Role::Reviewer },
                  { u"rv3"_s, Role::Reviewer } });
        const QString open =
            (lab.journal.beginRun({}),
             lab.journal.recordReading({ 1, u"1"_s, 0.001, std::nullopt, {}, u"rv1"_s }),
             lab.measure({ u"rv1"_s, u"rv1"_s, u"op"_s }));
        QVERIFY(!open.isEmpty());
        const QList<std::tuple<QString, QString, Status>> steps {
            { u"rv2"_s, u"reviewed"_s, Status::Refused }, // not performed yet
            { u"rv2"_s, u"performed"_s, Status::Refused }, // confirmed none of its readings
            { u"rv1"_s, u"performed"_s, Status::Done },
            { u"rv1"_s, u"reviewed"_s, Status::Refused }, // the performer
            { u"op"_s, u"reviewed"_s, Status::Refused }, // confirmed a reading
            { u"rv2"_s, u"exclude 2"_s, Status::Done },
            { u"rv2"_s, u"reviewed"_s, Status::Refused }, // its performance no longer signed
            { u"rv1"_s, u"performed"_s, Status::Done },
            { u"rv2"_s, u"exclude 2"_s, Status::Refused }, // excluded already
            { u"rv2"_s, u"reviewed"_s, Status::Done },
            { u"rv1"_s, u"exclude 1"_s, Status::Refused }, // reviewed
            { u"rv2"_s, u"approved"_s, Status::Refused }, // the reviewer
            { u"rv3"_s, u"approved"_s, Status::Done },
        };
        int refused = 0;
        for (const auto &[who, what, status] : steps) {
            const Credentials credentials { who, Password(who) };
            const AccountOutcome outcome = what.startsWith(u"exclude"_s)
                ? lab.accounts.exclude(credentials, open, what.back().digitValue(), u"bubble"_s)
                : lab.accounts.sign(credentials, open, *MeaningFromText(what), {});
            QVERIFY2(outcome.status == status,
                     qPrintable(who + u' ' + what + u": "_s + outcome.text));
            refused += status == Status::Refused;
        }
        QCOMPARE(lab.count(u"SELECT count(*) FROM events WHERE kind = 'action-refused'"_s),
                 refused);

        RunAudit audit;
        QVERIFY(RunAudit::Read(lab.journal.database(), lab.journal.station(), open, audit).ok());
        QCOMPARE(audit.signatures.size(), 4);
        QVERIFY(!audit.signatures.at(0).current && audit.changedAfterSignature());
        QVERIFY(audit.currentSignature(Meaning::Approved) && audit.exclusionOf(2)
                && !audit.exclusionOf(3));
        QCOMPARE(audit.signatures.at(2).fullName, u"RV2"_s);
        const VerifyReport report = VerifyJournal(lab.journal.database(), KeyBeside(lab.path()));
        QVERIFY2(report.intact(), qPrintable(report.breaks.join(u'\n')));

        QByteArray bytes;
        for (const QString &file : QDir(m_dir->path()).entryList(QDir::Files))
            bytes += ReadAll(m_dir->filePath(file));
        for (const QString &name : { u"root"_s, u"op"_s, u"rv1"_s, u"rv2"_s, u"rv3"_s })
            QVERIFY2(!bytes.contains(Password(name).toUtf8()), qPrintable(name));
        QCOMPARE(lab.count(u"SELECT count(*) FROM passwords"_s), 5);
        QCOMPARE(lab.count(u"SELECT count(*) FROM events WHERE detail LIKE '%argon2%'"_s), 0);
    }

    // Accounts and signatures edited in the file: verify names each.
    void verifyFindsAccountEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("forge");
        QTest::addColumn<QString>("found");
        QTest::newRow("untouched") << QString() << false << QString();
        QTest::newRow("role raised")
            << u"UPDATE events SET detail = replace(detail, 'operator', 'admin')"_s << false
            << u"hash does not match"_s;
        QTest::newRow("password hash replaced")
            << u"UPDATE passwords SET hash = (SELECT hash FROM passwords WHERE account = 'root') "
               "WHERE account = 'op'"_s
            << false << u"password hash the journal holds is not the one its event names"_s;
        QTest::newRow("password hash removed") << u"DELETE FROM passwords WHERE account = 'op'"_s
                                               << false << u"is not the one its event names"_s;
        QTest::newRow("signature moved by the key's holder")
            << u"UPDATE events SET detail = replace(detail, '\"last\":\"', '\"last\":\"00') "
               "WHERE kind = 'run-signed'"_s
            << true << u"is not tied to the run's last row"_s;
    }

    void verifyFindsAccountEdits()
    {
        QFETCH(QString, edit);
        QFETCH(bool, forge);
        QFETCH(QString, found);
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        {
            Lab lab(m_dir->path(), { { u"op"_s, Role::Operator } });
            const QString run = lab.measure({ u"op"_s, u"op"_s, u"op"_s });
            QVERIFY(lab.accounts.sign({ u"op"_s, Password(u"op"_s) }, run, Meaning::Performed, {})
                        .ok());
        }
        if (!edit.isEmpty())
            Edit(path, edit);
        if (forge)
            Forge(path, KeyBeside(path));
        SqliteConnection db;
        QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
        const VerifyReport report = VerifyJournal(db, KeyBeside(path));
        QVERIFY(report.result.ok());
        QVERIFY2(found.isEmpty() ? report.intact() : report.breaks.join(u'\n').contains(found),
                 qPrintable(report.breaks.join(u'\n')));
    }

    // The administrator's and the reviewer's command line: passwords on standard input only,
    // 6 for a refusal, the signatures in list --json and the CSV, marked once a reading was
    // excluded after them.
    void commandLine()
    {
        const QString path = m_dir->filePath(u"j.sqlite"_s);
        const QString csv = m_dir->filePath(u"runs.csv"_s);
        QString run;
        {
            Journal journal;
            QVERIFY(journal.open(path).result.ok());
            RunHeader header;
            header.sampleCount = 2;
            journal.beginRun(header);
            for (const int n : { 1, 2 })
                QVERIFY(journal
                            .recordReading({ n,
                                             u"1"_s,
                                             0.001,
                                             n == 2 ? std::optional(RunTotals { u"0.001"_s, {} })
                                                    : std::nullopt,
                                             {},
                                             u"op"_s })
                            .ok());
            QSqlQuery query(journal.database().database());
            QVERIFY(query.exec(u"SELECT run_id FROM runs"_s) && query.next());
            run = query.value(0).toString();
        }
        const QList<std::tuple<QString, QString, int, QString>> steps {
            { u"user add root --role operator"_s, u"root-secret-1"_s, 6, u"管理员"_s },
            { u"user add root --role admin --full-name Root"_s, u"root-secret-1"_s, 0, {} },
            { u"user add root2 --role admin"_s, u"root-secret-1"_s, 6, u"refused"_s },
            { u"user add op --role operator --as root"_s, u"root-secret-2\nop-secret-1"_s, 6,
              u"密码不正确"_s },
            { u"user add op --role operator --as root"_s, u"root-secret-1\nop-secret-1"_s, 0, {} },
            { u"user add rv --role reviewer --as root"_s, u"root-secret-1\nrv-secret-1"_s, 0, {} },
            { u"sign --meaning reviewed --user rv --run "_s + run, u"rv-secret-1"_s, 6, {} },
            { u"sign --meaning performed --user op --run "_s + run, u"op-secret-1"_s, 0, {} },
            { u"exclude --reading 1 --reason x --user op --run "_s + run, u"op-secret-1"_s, 0, {} },
            { u"list --json"_s, {}, 0, u"\"changedAfterSignature\": true"_s },
            { u"sign --meaning performed --user op --run "_s + run, u"op-secret-1"_s, 0, {} },
            { u"sign --meaning reviewed --user rv --run "_s + run, u"rv-secret-1"_s, 0, {} },
            { u"exclude --reading 2 --reason x --user op --run "_s + run, u"op-secret-1"_s, 6,
              u"已审核"_s },
            { u"user disable op --as root"_s, u"root-secret-1"_s, 0, {} },
            { u"user list --json"_s, {}, 0, u"\"state\": \"disabled\""_s },
            { u"list --json"_s, {}, 0, u"\"meaning\": \"reviewed\""_s },
            { u"export --csv "_s + csv, {}, 0, {} },
            { u"verify --key "_s + ChainKeyPath(path), {}, 0, {} },
        };
        for (const auto &[arguments, input, status, said] : steps) {
            QProcess tool;
            tool.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            tool.start(QStringLiteral(VELMORA_JOURNAL_TOOL),
                       QStringList { u"--journal"_s, path } + arguments.split(u' '));
            tool.write(input.toUtf8() + '\n');
            tool.closeWriteChannel();
            QVERIFY(tool.waitForFinished(20000));
            const QString output =
                QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
            QVERIFY2(tool.exitCode() == status && output.contains(said),
                     qPrintable(arguments + u": "_s + output));
            QVERIFY(!output.contains(u"secret"_s));
        }
        // The first performance signature on each reading's row, the later ones unmarked.
        QCOMPARE(ReadAll(csv).count("changed after signature"), 2);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_Accounts)
#include "tst_accounts.moc"
