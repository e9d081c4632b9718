#include "core/journal/store/JournalSchema.h"
#include "core/measure/MeasurementRun.h"
#include "core/session/RunRecorder.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One step: n=<count>, r<thousandths>, A (reading text "A"), ok (Confirm), del, m<mode>, zero
// (command sent), lost, open (the line again).
void Play(RunRecorder &journal, MeasurementRun &run, const QString &step)
{
    if (step.startsWith(u"n="))
        run.SetSampleCount(step.mid(2).toInt());
    else if (step.startsWith(u'r'))
        run.OnReading(step.mid(1).toLong());
    else if (step == u"A")
        run.OnZeroReading();
    else if (step == u"ok")
        journal.Confirm();
    else if (step == u"del")
        journal.Delete();
    else if (step.startsWith(u'm'))
        journal.ApplyMode(ModeFromInt(step.mid(1).toInt()), run.Constants());
    else if (step == u"zero")
        journal.CommandSent(JournalEvent::ZeroSent);
    else if (step == u"lost")
        journal.LinkLost(u"unplugged"_s);
    else if (step == u"open")
        journal.LinkOpened(u"/dev/pts/9"_s);
}

// One column of a query's rows, joined by spaces.
QString Column(JournalConnection &db, const QString &sql)
{
    QSqlQuery query(db.database());
    QStringList values;
    if (db.exec(query, sql).ok())
        while (query.next())
            values << query.value(0).toString();
    return values.join(u' ');
}

} // namespace

class tst_RunJournal : public QObject
{
    Q_OBJECT

private slots:
    void runInJournal_data();
    void runInJournal();
    void lockedJournalToldOnceRunGoesOn();
};

void tst_RunJournal::runInJournal_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("runs"); // status:cause:mean:deviation:port, oldest first
    QTest::addColumn<QString>("received"); // every reading as received
    QTest::addColumn<QString>("events");
    QTest::newRow("completed run with its statistics")
        << u"n=6 r1000 ok ok zero r2000 ok ok ok r3000 ok"_s
        << u"completed::1.833:0.753:/dev/pts/9"_s << u"1000 1000 2000 2000 2000 3000"_s
        << u"run-started zero-sent run-completed"_s;
    QTest::newRow("Delete and mode change discard, rows kept")
        << u"r1000 ok del ok m1 ok"_s
        << u"discarded:deleted:::/dev/pts/9 discarded:mode-changed:::/dev/pts/9 open::::/dev/pts/9"_s
        << u"1000 1000 1000"_s
        << u"run-started run-discarded run-started mode-changed run-discarded run-started"_s;
    QTest::newRow("count change, link lost and restored, reading A")
        << u"A ok n=6 lost open"_s << u"open::::/dev/pts/9"_s << u"A"_s
        << u"run-started sample-count-changed link-lost link-restored"_s;
}

// Each Confirm is in the journal before the run shows it.
void tst_RunJournal::runInJournal()
{
    QFETCH(QString, steps);
    QFETCH(QString, runs);
    QFETCH(QString, received);
    QFETCH(QString, events);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"j.sqlite"_s);
    Journal journal(u"station"_s);
    QVERIFY(journal.open(path).result.ok());
    MeasurementRun run;
    RunRecorder runJournal(run);
    runJournal.LinkOpened(u"/dev/pts/9"_s); // the line opens before the journal starts
    runJournal.Start(&journal, {});
    SqliteConnection db;
    QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok());
    int rows = 0;
    QStringList committed;
    connect(&run, &MeasurementRun::rowAdded, this, [&] {
        committed << Column(db, u"SELECT count(*) FROM readings"_s);
        ++rows;
    });
    for (const QString &step : steps.split(u' '))
        Play(runJournal, run, step);
    QCOMPARE(committed.size(), rows);
    for (int i = 0; i < rows; ++i)
        QCOMPARE(committed[i].toInt(), i + 1);
    QCOMPARE(Column(db,
                    u"SELECT status || ':' || ifnull(cause, '') || ':' || ifnull(mean, '') || ':' "
                    "|| ifnull(deviation, '') || ':' || port FROM runs ORDER BY rowid"_s),
             runs);
    QCOMPARE(Column(db, u"SELECT received FROM readings ORDER BY seq"_s), received);
    QCOMPARE(Column(db, u"SELECT kind FROM events ORDER BY seq"_s), events);
    QVERIFY(runJournal.IsAvailable());
}

void tst_RunJournal::lockedJournalToldOnceRunGoesOn()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"j.sqlite"_s);
    Journal journal(u"station"_s);
    QVERIFY(journal.open(path, {}, 50).result.ok());
    MeasurementRun run;
    RunRecorder runJournal(run);
    runJournal.Start(&journal, {});
    QSignalSpy told(&runJournal, &RunRecorder::availabilityChanged);
    QVERIFY(told.isValid());

    SqliteConnection locker;
    QVERIFY(JournalSchema::Open(locker, path, SqliteConnection::OpenMode::Write).ok());
    QVERIFY(locker.begin().ok());
    runJournal.Confirm();
    runJournal.Confirm();
    QCOMPARE(run.RowCount(), 2);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0][0].toBool(), false);
    QCOMPARE(told[0][1].value<JournalResult>().error, JournalResult::Error::Locked);

    locker.rollback();
    runJournal.Confirm();
    QCOMPARE(run.RowCount(), 3);
    QCOMPARE(told.size(), 2);
    QVERIFY(runJournal.IsAvailable());
    // The two the journal missed went in with the third, as rows 1 and 2.
    QCOMPARE(journal.currentRun().readingCount, 3);
}

QTEST_GUILESS_MAIN(tst_RunJournal)
#include "tst_runrecorder.moc"
