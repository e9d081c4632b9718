#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "core/journal/accounts/AccountJournal.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalSchema.h"
#include "core/link/Frame.h"
#include "core/measure/ModeChoice.h"
#include "core/session/MeasurementSession.h"
#include "core/settings/Settings.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView kStation = "station"_L1;

// One column of a query's rows, joined by spaces.
QString Column(const QString &path, const QString &sql)
{
    SqliteConnection db;
    QStringList values;
    QSqlQuery query;
    if (JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok()) {
        query = QSqlQuery(db.database());
        if (db.exec(query, sql).ok())
            while (query.next())
                values << query.value(0).toString();
    }
    return values.join(u' ');
}

// A session on a pseudo-terminal behind COM1 and a journal of its own, a silence limit of one
// second.
struct Station
{
    explicit Station(const QByteArray &settingsLines = {})
    {
        QFile ini(dir.filePath(u"Velmora.ini"_s));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[ports]\r\nCOM1=" + QFile::encodeName(pty.SlavePath())
                      + "\r\n[link]\r\nSilentSeconds=1\r\n" + settingsLines);
        ini.close();
        settings.Load();
    }

    QString journalPath() const { return dir.filePath(u"VelmoraJournal.sqlite"_s); }

    // The start of the main window: line, mode, journal; a run offered back is kept in offer.
    bool start(const QString &inspector = u"李娜"_s, int busyTimeoutMs = 4000)
    {
        Session login = Session::Read(settings, dir.path());
        login.inspector = inspector;
        login.account = account;
        session = std::make_unique<MeasurementSession>(login, settings);
        session->setMethod(method);
        if (!journal.open(journalPath(), {}, busyTimeoutMs).result.ok())
            return false;
        session->attachJournal(&journal, {});
        const bool opened = session->openPort();
        session->loadModeSettings();
        offer = session->startRecording();
        return opened;
    }

    // A frame from the instrument, decoded by the session.
    bool send(const QByteArray &frame)
    {
        QSignalSpy decoded(&session->run(), &MeasurementRun::frameDecoded);
        pty.Send(frame);
        return decoded.wait(5000) || !decoded.isEmpty();
    }

    // One step: r<thousandths>, A (reading "A"), Z (zero notice), ok, del, n=<count>, m<mode>,
    // zero (command), lost (the instrument unplugged), wait (past the silence limit).
    bool play(const QString &step)
    {
        if (step.startsWith(u'r'))
            return send(ReadingFrame(step.mid(1).toLong()));
        if (step == u"A")
            return send(ReadingFrame("A"));
        if (step == u"Z")
            return send(BuildFrame(Frame::FRAME_ZERO));
        if (step == u"ok")
            session->confirm();
        else if (step == u"del")
            session->deleteRun();
        else if (step.startsWith(u"n="))
            session->setSampleCount(step.mid(2).toInt());
        else if (step.startsWith(u'm'))
            session->applyMode({ step.mid(1).toInt(), {}, {}, {}, {}, {} });
        else if (step == u"zero")
            session->sendCommand(MeasurementSession::Command::Zero);
        else if (step == u"lost")
            return (pty.CloseMaster(),
                    QTest::qWaitFor([this] { return !session->link().isLive(); }, 5000));
        else if (step == u"wait")
            QTest::qWait(1200);
        return true;
    }

    QString account; // signed in, where accounts are required
    QTemporaryDir dir;
    PtyPair pty;
    Settings settings { dir.filePath(u"Velmora.ini"_s) };
    Journal journal { kStation };
    std::optional<Method> method; // chosen at the login
    std::unique_ptr<MeasurementSession> session;
    std::optional<MeasurementSession::RecoveryOffer> offer;
};

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void inputsReachRunAndJournal_data();
    void inputsReachRunAndJournal();
    void unsavedReadingsWrittenLateInOrder();
    void recoveredRunKeepsItsCountAndLogin();
    void methodRunJudged_data();
    void methodRunJudged();
    void autoConfirmOncePerStablePeriod();
    void recoveredRunKeepsItsMethod();
    void idleLockHoldsInputs();
};

namespace {

Method ThreeReadings(std::optional<double> lower, std::optional<double> upper)
{
    Method method;
    method.name = u"葡萄糖"_s;
    method.version = 2;
    method.sampleCount = 3;
    method.lower = lower;
    method.upper = upper;
    return method;
}

} // namespace

void TestSession::inputsReachRunAndJournal_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("values"); // the table's values
    QTest::addColumn<QString>("refusal"); // what the last step left on the state line
    QTest::addColumn<QString>("runs"); // status:cause:mean:deviation, oldest first
    QTest::addColumn<QString>("events");
    QTest::addColumn<QByteArray>("sent"); // the bytes on the line

    const QByteArray zero("\x02\x01\x02\x01\x03", 5);
    QTest::newRow("completed run with its statistics and a command")
        << u"n=3 r1000 ok ok zero r2000 ok ok"_s << u"1.000 1.000 2.000"_s << QString()
        << u"completed::1.333:"_s << u"run-started zero-sent run-completed"_s << zero;
    QTest::newRow("Delete and mode change discard, rows kept")
        << u"r1000 ok del ok m1 r1000 ok"_s << u"2.888"_s << QString()
        << u"discarded:deleted:: discarded:mode-changed:: open:::"_s
        << u"run-started run-discarded run-started mode-changed run-discarded run-started"_s
        << QByteArray();
    // A reading only counts when it came after the link went live, recently, and no zero
    // notice cleared it since.
    QTest::newRow("no reading yet: nothing entered")
        << u"ok"_s << QString() << u"还没有新的读数，读数未录入"_s << QString() << QString()
        << QByteArray();
    QTest::newRow("a zero notice since the reading: nothing entered")
        << u"r1000 Z ok"_s << QString() << u"还没有新的读数，读数未录入"_s << QString() << QString()
        << QByteArray();
    QTest::newRow("reading A entered")
        << u"A ok"_s << u"0.000"_s << QString() << u"open:::"_s << u"run-started"_s << QByteArray();
    QTest::newRow("a reading older than the silence limit: nothing entered")
        << u"r1000 wait ok"_s << QString() << u"读数已超过 1 秒没有更新，读数未录入"_s << QString()
        << QString() << QByteArray();
    QTest::newRow("link lost: nothing entered, the command refused and journaled so")
        << u"r1000 ok lost ok zero"_s << u"1.000"_s << u"仪器未连接，命令未发送"_s << u"open:::"_s
        << u"run-started link-lost command-refused"_s << QByteArray();
}

// Each input of the main window as the session decides it: what the table holds, what the
// journal holds before the table shows it, what the line carries, and why an input did nothing.
void TestSession::inputsReachRunAndJournal()
{
    QFETCH(QString, steps);
    QFETCH(QString, values);
    QFETCH(QString, refusal);
    QFETCH(QString, runs);
    QFETCH(QString, events);
    QFETCH(QByteArray, sent);
    Station s;
    QVERIFY(s.pty.IsValid() && s.start());
    QStringList committed;
    connect(&s.session->run(), &MeasurementRun::rowAdded, this, [&](int row) {
        committed << Column(s.journalPath(),
                            u"SELECT count(*) FROM readings WHERE number = %1 "
                            "AND run_id = (SELECT max(run_id) FROM readings)"_s.arg(row + 1));
    });
    for (const QString &step : steps.split(u' '))
        QVERIFY2(s.play(step), qPrintable(step));
    QCOMPARE(s.session->run().ValueTexts().join(u' '), values);
    QCOMPARE(committed, QStringList(committed.size(), u"1"_s));
    QCOMPARE(s.session->refusal(), refusal);
    QCOMPARE(Column(s.journalPath(),
                    u"SELECT status || ':' || ifnull(cause, '') || ':' || ifnull(mean, '') || ':' "
                    "|| ifnull(deviation, '') FROM runs ORDER BY rowid"_s),
             runs);
    QCOMPARE(Column(s.journalPath(), u"SELECT kind FROM events ORDER BY seq"_s), events);
    QTRY_COMPARE(s.pty.Received(), sent);
    QVERIFY(s.session->journalAvailable());
}

// Readings confirmed while another program locked the journal are written once it lets go,
// before the next one, under the table's row numbers, with the time they were confirmed.
void TestSession::unsavedReadingsWrittenLateInOrder()
{
    Station s("[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=5\r\n");
    QVERIFY(s.start(u"李娜"_s, 50));
    QSignalSpy told(s.session.get(), &MeasurementSession::journalAvailabilityChanged);
    QVERIFY(s.play(u"r1000"_s) && s.play(u"ok"_s));
    SqliteConnection locker;
    QVERIFY(JournalSchema::Open(locker, s.journalPath(), SqliteConnection::OpenMode::Write).ok());
    QVERIFY(locker.begin().ok());
    for (long r : { 2000L, 3000L }) {
        QVERIFY(s.play(u"r%1"_s.arg(r)) && s.play(u"ok"_s));
        QTest::qWait(20); // the confirm times of the two differ
    }
    QCOMPARE(s.session->run().RowCount(), 3);
    locker.rollback();
    QVERIFY(s.play(u"r4000"_s) && s.play(u"ok"_s) && s.play(u"r5000"_s) && s.play(u"ok"_s));
    QCOMPARE(told.size(), 2); // unavailable once, available again once
    QCOMPARE(
        Column(s.journalPath(), u"SELECT number || '=' || received FROM readings ORDER BY seq"_s),
        u"1=1000 2=2000 3=3000 4=4000 5=5000"_s);
    QCOMPARE(Column(s.journalPath(), u"SELECT count(DISTINCT confirmed_at) FROM readings"_s),
             u"5"_s);
    QCOMPARE(Column(s.journalPath(), u"SELECT status || ':' || mean FROM runs"_s),
             u"completed:3.000"_s);
}

// A run killed under one login and continued under another keeps its own login and the count
// it had last; the runs after it are the current login's. A second instance offered the same run
// cannot take it too.
void TestSession::recoveredRunKeepsItsCountAndLogin()
{
    Station s;
    {
        Journal killed(kStation);
        QVERIFY(killed.open(s.journalPath()).result.ok());
        killed.beginRun(
            { {}, {}, u"葡萄糖"_s, {}, u"张伟"_s, 5, MeasurementMode::OpticalRotation, {} });
        QVERIFY(killed.recordReading({ 1, u"1000"_s, 1.0, std::nullopt }).ok());
        QVERIFY(killed.changeSampleCount(8).ok());
        for (int n = 2; n <= 6; ++n)
            QVERIFY(killed.recordReading({ n, u"1000"_s, 1.0, std::nullopt }).ok());
    }
    QVERIFY(s.start(u"李娜"_s));
    QVERIFY(s.offer && s.offer->readings.size() == 6);
    Journal second(kStation);
    QVERIFY(second.open(s.journalPath()).result.ok());
    std::optional<JournalRun> alsoOffered;
    QList<JournalReading> readings;
    QVERIFY(second.findRecoverableRun(alsoOffered, readings).ok() && alsoOffered);

    QVERIFY(s.session->continueRun(*s.offer).ok());
    QCOMPARE(second.continueRun(*alsoOffered, u"王五"_s).error, JournalResult::Error::Claimed);
    QCOMPARE(s.session->run().RowCount(), 6);
    QCOMPARE(s.session->run().SampleCount(), 8);
    QCOMPARE(s.session->runLogin().inspector, u"张伟"_s);
    QCOMPARE(Column(s.journalPath(), u"SELECT detail FROM events WHERE kind = 'run-restored'"_s),
             u"{\"by\":\"李娜\"}"_s);
    for (const QString &step : { u"r2000"_s, u"ok"_s, u"r2000"_s, u"ok"_s })
        QVERIFY(s.play(step));
    QVERIFY(s.session->run().IsComplete());
    QCOMPARE(Column(s.journalPath(), u"SELECT status || ':' || mean FROM runs"_s),
             u"completed:1.250"_s);
    QVERIFY(s.play(u"del"_s) && s.play(u"ok"_s));
    QCOMPARE(s.session->runLogin().inspector, u"李娜"_s);
    QCOMPARE(Column(s.journalPath(), u"SELECT inspector FROM runs ORDER BY rowid"_s),
             u"张伟 李娜"_s);
}

void TestSession::methodRunJudged_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("limits"); // lower:upper, either may be empty
    QTest::addColumn<QString>("runs"); // method:version:verdict, oldest first
    QTest::addColumn<QString>("events");
    QTest::newRow("a mean equal to the lower limit passes")
        << u"r1000 ok ok ok"_s << u"1:2"_s << u"葡萄糖:2:pass"_s << u"run-started run-completed"_s;
    // 1.6666... is judged as the 1.667 it shows.
    QTest::newRow("a mean equal to the upper limit passes")
        << u"r1000 ok r2000 ok ok"_s << u":1.667"_s << u"葡萄糖:2:pass"_s
        << u"run-started run-completed"_s;
    QTest::newRow("a mean beyond a limit fails")
        << u"r1000 ok ok ok"_s << u"1.001:"_s << u"葡萄糖:2:fail"_s
        << u"run-started run-completed"_s;
    QTest::newRow("N changed during the run: left, no verdict")
        << u"r1000 ok n=2 ok"_s << u"1:"_s << u"葡萄糖:2:-"_s
        << u"run-started method-left sample-count-changed run-completed"_s;
    QTest::newRow("mode changed before the run: no method")
        << u"m1 r1000 ok ok ok"_s << u"1:"_s << u"-:-:-"_s
        << u"method-left mode-changed run-started run-completed"_s;
}

// A run under a method is judged on its mean as shown, a limit itself inside; a change of what
// the method fixes leaves it, and such a run has no verdict.
void TestSession::methodRunJudged()
{
    QFETCH(QString, steps);
    QFETCH(QString, limits);
    QFETCH(QString, runs);
    QFETCH(QString, events);
    const auto limit = [&limits](int i) {
        const QString text = limits.section(u':', i, i);
        return text.isEmpty() ? std::nullopt : std::optional(text.toDouble());
    };
    Station s;
    s.method = ThreeReadings(limit(0), limit(1));
    QVERIFY(s.start());
    for (const QString &step : steps.split(u' '))
        QVERIFY2(s.play(step), qPrintable(step));
    QVERIFY(s.session->run().IsComplete());
    QCOMPARE(Column(s.journalPath(),
                    u"SELECT ifnull(method, '-') || ':' || ifnull(method_version, '-') || ':' || "
                    "ifnull(verdict, '-') FROM runs ORDER BY rowid"_s),
             runs);
    const std::optional<Verdict> verdict = s.session->verdict();
    QCOMPARE(verdict ? VerdictText(*verdict) : u"-"_s, runs.section(u':', 2));
    QCOMPARE(Column(s.journalPath(), u"SELECT kind FROM events ORDER BY seq"_s), events);
    QCOMPARE(s.session->method().has_value(), !events.contains(u"method-left"_s));
}

// Under a method with auto-confirm a stable reading is confirmed once; a stable period that
// comes back after a break of the stream, with the same reading, confirms nothing more; a
// reading that moved beyond the tolerance and settled is the next.
void TestSession::autoConfirmOncePerStablePeriod()
{
    Station s("StableSeconds=1\r\n");
    s.method = ThreeReadings(std::nullopt, std::nullopt);
    s.method->autoConfirm = true;
    QVERIFY(s.start());
    long reading = 1000;
    QTimer stream;
    connect(&stream, &QTimer::timeout, this, [&] { s.pty.Send(ReadingFrame(reading)); });
    stream.start(100);
    QTRY_COMPARE_WITH_TIMEOUT(s.session->run().RowCount(), 1, 5000);
    // Silent past its limit, then the same reading again, stable for two periods.
    stream.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!s.session->link().isStable(), 5000);
    stream.start();
    QTRY_VERIFY_WITH_TIMEOUT(s.session->link().isStable(), 5000);
    QTest::qWait(1500);
    QCOMPARE(s.session->run().RowCount(), 1);
    reading = 1500;
    QTRY_COMPARE_WITH_TIMEOUT(s.session->run().RowCount(), 2, 5000);
    QCOMPARE(s.session->run().ValueTexts().join(u' '), u"1.000 1.500"_s);
    QCOMPARE(Column(s.journalPath(), u"SELECT ifnull(auto_confirmed, 0) FROM readings"_s),
             u"1 1"_s);
    // A hand's Confirm is no auto one, and the next auto one waits for a change again.
    QVERIFY(s.play(u"ok"_s));
    QCOMPARE(Column(s.journalPath(), u"SELECT ifnull(auto_confirmed, 0) FROM readings"_s),
             u"1 1 0"_s);
}

// A run killed under a method goes on under it when continued, and is judged at its end.
void TestSession::recoveredRunKeepsItsMethod()
{
    Station s;
    s.method = ThreeReadings(1.0, std::nullopt);
    {
        Journal killed(kStation);
        QVERIFY(killed.open(s.journalPath()).result.ok());
        RunHeader header { {}, {}, {}, {}, u"张伟"_s, 3, MeasurementMode::OpticalRotation, {} };
        header.method = s.method->forRun();
        killed.beginRun(header);
        for (int n = 1; n <= 2; ++n)
            QVERIFY(killed.recordReading({ n, u"1000"_s, 1.0, std::nullopt }).ok());
    }
    s.method.reset(); // this login chose none
    QVERIFY(s.start() && s.offer);
    QVERIFY(s.session->continueRun(*s.offer).ok());
    QCOMPARE(s.session->method() ? s.session->method()->name : QString(), u"葡萄糖"_s);
    QVERIFY(s.play(u"r1000"_s) && s.play(u"ok"_s) && s.session->run().IsComplete());
    QCOMPARE(Column(s.journalPath(), u"SELECT method || ':' || verdict FROM runs"_s),
             u"葡萄糖:pass"_s);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"

// Where accounts are required, the session locks after its idle time: readings go on being
// shown, Confirm, the commands, Delete and the mode wait; another account may open it, and the
// readings from then on are its own. Delete names a reason.
void TestSession::idleLockHoldsInputs()
{
    Station s("[accounts]\r\nRequired=1\r\n");
    {
        Journal journal(kStation);
        QVERIFY(journal.open(s.journalPath()).result.ok());
        AccountJournal accounts(journal, AccountPolicy::FromSettings(s.settings));
        QVERIFY(accounts.addAccount({}, { u"root"_s, {}, Role::Admin }, u"root-secret"_s).ok());
        for (const QString &name : { u"op"_s, u"rv"_s })
            QVERIFY(accounts
                        .addAccount({ u"root"_s, u"root-secret"_s }, { name, {}, Role::Operator },
                                    name + u"-secret"_s)
                        .ok());
    }
    s.account = u"op"_s;
    QVERIFY(s.start(u"op"_s));
    AccountSession *lock = s.session->accounts();
    QVERIFY(lock && !lock->isLocked());
    QVERIFY(s.play(u"r1000"_s) && s.play(u"ok"_s));
    QElapsedTimer idle;
    idle.start();
    lock->setIdleTime(std::chrono::milliseconds(400));
    QTRY_VERIFY(lock->isLocked());
    QVERIFY(idle.elapsed() >= 350);
    for (const QString &step : { u"r2000"_s, u"ok"_s, u"zero"_s, u"del"_s, u"m1"_s })
        QVERIFY(s.play(step));
    QCOMPARE(s.session->run().ReceivedText(), u"2000"_s);
    QCOMPARE(s.session->run().ValueTexts().join(u' '), u"1.000"_s);
    QCOMPARE(s.session->refusal(), s.session->lockRefusal());
    QVERIFY(!s.session->canConfirm());
    QCOMPARE(lock->unlock({ u"op"_s, u"rv-secret"_s }).status, AccountOutcome::Status::Refused);
    QVERIFY(lock->isLocked());
    QVERIFY(lock->unlock({ u"rv"_s, u"rv-secret"_s }).ok());
    QVERIFY(!lock->isLocked() && lock->account() == u"rv"_s);
    // A fresh reading: the two password checks may take longer than the silence limit.
    QVERIFY(s.play(u"r3000"_s) && s.play(u"ok"_s));
    QVERIFY(!s.session->deleteRun(u" "_s).isEmpty());
    QVERIFY(s.session->deleteRun(u"bubble"_s).isEmpty());
    QCOMPARE(Column(s.journalPath(), u"SELECT account FROM readings ORDER BY seq"_s), u"op rv"_s);
    QCOMPARE(Column(s.journalPath(),
                    u"SELECT kind FROM events WHERE kind IN ('session-locked', 'signed-in', "
                    "'run-discarded', 'zero-sent', 'mode-changed') ORDER BY seq"_s),
             u"session-locked signed-in run-discarded"_s);
    QVERIFY(Column(s.journalPath(), u"SELECT detail FROM events WHERE kind = 'run-discarded'"_s)
                .contains(u"\"reason\":\"bubble\""_s));
    QCOMPARE(s.pty.Received(), QByteArray());
}
