#include "core/measure/MeasurementRun.h"
#include "core/measure/RunStatistics.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// One step of a row's script: n=<count>, r<thousandths>, A (reading text "A"), Z (zero frame),
// ok[*<times>] (Confirm), del, m<mode>[:a,lenC,C,lena] (the mode dialog's OK).
void Play(MeasurementRun &run, const QString &step)
{
    if (step.startsWith(u"n="))
        run.SetSampleCount(step.mid(2).toInt());
    else if (step.startsWith(u'r'))
        run.OnReading(step.mid(1).toLong());
    else if (step == u"A")
        run.OnZeroReading();
    else if (step == u"Z")
        run.OnZero();
    else if (step.startsWith(u"ok")) {
        for (int i = qMax(1, step.section(u'*', 1).toInt()); i > 0; --i)
            run.Confirm();
    } else if (step == u"del")
        run.Clear();
    else if (step.startsWith(u'm')) {
        ModeConstants c = run.Constants();
        if (const QStringList v = step.section(u':', 1).split(u','); v.size() == 4)
            c = { v[0].toFloat(), v[1].toFloat(), v[2].toFloat(), v[3].toFloat() };
        run.ApplyMode(ModeFromInt(step.section(u':', 0, 0).mid(1).toInt()), c);
    } else
        QFAIL(qPrintable(u"unknown step "_s + step));
}

} // namespace

class tst_MeasurementRun : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void batchIsDecodedBeforeTheAreaIsHandedBack();
    void lampShowsDataAndCompletion_data();
    void lampShowsDataAndCompletion();
    void summary_data();
    void summary();
};

void tst_MeasurementRun::run_data()
{
    QTest::addColumn<QString>("steps");
    // reading display|converted display|rows|last value|mean|deviation|lamp
    QTest::addColumn<QString>("state");

    QTest::newRow("nothing received: Confirm enters 0.000")
        << u"ok"_s << u" 00.000| 00.000|1|0.000|||0"_s;
    QTest::newRow("sugar degree, the display truncated")
        << u"m1 r12345 ok"_s << u"+12.345|+35.652|1|35.652|||0"_s;
    QTest::newRow("zero frame clears both")
        << u"m1 r12345 Z ok"_s << u" 00.000| 00.000|1|0.000|||0"_s;
    QTest::newRow("A in mode 0, back to sugar degree: display and Confirm agree")
        << u"m1 r12345 m0 A m1 ok"_s << u" 00.000| 00.000|1|0.000|||0"_s;
    QTest::newRow("a new tube length converts the held reading again")
        << u"m2 r500 m2:1,1,1,2 ok"_s << u"+00.500| 50.000|1|50.000|||0"_s;
    QTest::newRow("specific rotation back to optical rotation")
        << u"m3 r-2000 m0 ok"_s << u"-02.000|-100.00|1|-2.000|||0"_s;
    QTest::newRow("stored mode 7 is optical rotation")
        << u"m7 r12345 ok"_s << u"+12.345| 00.000|1|12.345|||0"_s;
    QTest::newRow("a zero divisor shows no inf")
        << u"n=1 m3:1,2,0,2 r-1 ok"_s << u"-00.001|---.---|1|--.---|--.---||2"_s;
    QTest::newRow("applying the same mode again starts a new run")
        << u"n=2 r1000 ok ok m0 ok"_s << u"+01.000| 00.000|1|1.000|||0"_s;
    QTest::newRow("1 to 6: mean and deviation, no row beyond")
        << u"n=6 r1000 ok r2000 ok r3000 ok r4000 ok r5000 ok r6000 ok ok"_s
        << u"+06.000| 00.000|6|6.000|3.500|1.871|2"_s;
    QTest::newRow("count 12: no deviation")
        << u"r-1000 ok*12"_s << u"-01.000| 00.000|12|-1.000|-1.000||2"_s;
    QTest::newRow("count 1000 ends at the 256-value store")
        << u"n=1000 ok*300"_s << u" 00.000| 00.000|256|0.000|0.000||2"_s;
    QTest::newRow("count lowered below the rows: the next Confirm ends over all")
        << u"r1000 ok*5 n=3 r4000 ok"_s << u"+04.000| 00.000|6|4.000|1.500||2"_s;
    QTest::newRow("count raised after the end: still complete")
        << u"n=1 ok n=12 ok"_s << u" 00.000| 00.000|1|0.000|0.000||2"_s;
    QTest::newRow("delete empties the run and reopens it")
        << u"n=2 ok ok del ok"_s << u" 00.000| 00.000|1|0.000|||0"_s;
}

void tst_MeasurementRun::run()
{
    QFETCH(QString, steps);
    QFETCH(QString, state);

    MeasurementRun run;
    for (const QString &step : steps.split(u' '))
        Play(run, step);

    QStringList now { run.ReadingText(), run.ConvertedText(), QString::number(run.RowCount()) };
    now << run.ValueTexts().value(run.RowCount() - 1) << run.MeanText() << run.DeviationText()
        << QString::number(run.LampState());
    QCOMPARE(now.join(u'|'), state);
    QCOMPARE(run.IsComplete(), !run.MeanText().isEmpty());
    // The values are kept exactly; the texts are those of the table and of the reports.
    for (int row = 0; row < run.RowCount(); ++row)
        QCOMPARE(FormatRunValue(run.Values().at(row)), run.ValueTexts().at(row));
    // The exports' figures agree with the table's.
    if (run.IsComplete()) {
        const auto summary = SummarizeRun(run.Values());
        QCOMPARE(FormatRunValue(summary->mean), run.MeanText());
        if (!run.DeviationText().isEmpty())
            QCOMPARE(FormatRunValue(*summary->deviation), run.DeviationText());
    }
}

// The receive thread refills the area as soon as it has it back: a run that handed it back
// before decoding would act on the new bytes instead of the held ones.
void tst_MeasurementRun::batchIsDecodedBeforeTheAreaIsHandedBack()
{
    RxBuffer rx;
    const auto fill = [&rx](const QByteArray &bytes) {
        std::memcpy(rx.data.data(), bytes.data(), bytes.size());
        rx.nStart = 0;
        rx.nCount = int(bytes.size());
    };
    fill(QByteArray("\x02\x07\x01+12345\x1E\x03\x02\x01\x07\x04\x03", 16));
    const QByteArray refill("\x02\x07\x01+99999\x16\x03", 11);
    MeasurementRun run;
    run.DecodeBatch(rx, [&] { fill(refill); });
    QCOMPARE(run.ReadingText(), u"+12.345"_s);
    QCOMPARE(rx.nCount, int(refill.size()));
    run.DecodeBatch(rx, [] {});
    QCOMPARE(run.ReadingText(), u"+99.999"_s);
    QCOMPARE(rx.nCount, 0);
}

void tst_MeasurementRun::lampShowsDataAndCompletion_data()
{
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("resting");
    const QByteArray reading("\x02\x07\x01+12345\x1E\x03", 11);
    const QByteArray status("\x02\x01\x07\x04\x03", 5);
    QTest::newRow("a reading: a flash, then dark") << reading << false << 0;
    QTest::newRow("a status frame: a flash, then lit") << reading + status << false << 2;
    QTest::newRow("a complete run: lit through later data") << reading << true << 2;
}

// Each batch half-lights the lamp for long enough to be seen; then it rests, lit while the run
// is complete or a status frame of the batch lit it, and nothing more happens.
void tst_MeasurementRun::lampShowsDataAndCompletion()
{
    QFETCH(QByteArray, batch);
    QFETCH(bool, complete);
    QFETCH(int, resting);
    MeasurementRun run;
    if (complete) {
        run.SetSampleCount(1);
        QVERIFY(run.Confirm());
        QCOMPARE(run.LampState(), MeasurementRun::LampLit);
    }
    RxBuffer rx;
    std::memcpy(rx.data.data(), batch.data(), batch.size());
    rx.nCount = int(batch.size());
    QList<int> shown;
    connect(&run, &MeasurementRun::lampChanged, this, [&](int state) { shown << state; });
    QElapsedTimer flash;
    flash.start();
    run.DecodeBatch(rx, [] {});
    QCOMPARE(run.LampState(), MeasurementRun::LampHalf);
    QTRY_COMPARE(int(run.LampState()), resting);
    // A flash shorter than this is not seen; the margin is far below the fault of none at all.
    QVERIFY2(flash.elapsed() >= MeasurementRun::kLampFlashMs - 20,
             qPrintable(QString::number(flash.elapsed())));
    QTest::qWait(MeasurementRun::kLampFlashMs * 2);
    QCOMPARE(shown, QList<int>({ 1, resting }));
}

void tst_MeasurementRun::summary_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QString>("figures"); // mean|deviation|relative deviation|minimum|maximum
    QTest::newRow("one value: no deviation") << QList<double> { 2.5 } << u"2.500|||2.500|2.500"_s;
    QTest::newRow("two values: a deviation")
        << QList<double> { 35.2, 36.0 } << u"35.600|0.566|1.59|35.200|36.000"_s;
    QTest::newRow("negative mean: relative to its size")
        << QList<double> { -1, -2, -3 } << u"-2.000|1.000|50.00|-3.000|-1.000"_s;
    QTest::newRow("zero mean: no relative deviation")
        << QList<double> { -1, 1 } << u"0.000|1.414||-1.000|1.000"_s;
    QTest::newRow("a mean single precision leaves at -2e-9: none either")
        << QList<double> { 0.1, 0.2, -0.3 } << u"-0.000|0.265||-0.300|0.200"_s;
}

void tst_MeasurementRun::summary()
{
    QFETCH(QList<double>, values);
    QFETCH(QString, figures);
    const std::optional<RunSummary> s = SummarizeRun(values);
    QVERIFY(s && s->count == values.size());
    const auto text = [](std::optional<double> value, QString (*format)(double)) {
        return value ? format(*value) : QString();
    };
    QCOMPARE(QStringList({ FormatRunValue(s->mean), text(s->deviation, FormatRunValue),
                           text(s->relativeDeviation, FormatRelativeDeviation),
                           FormatRunValue(s->minimum), FormatRunValue(s->maximum) })
                 .join(u'|'),
             figures);
}

QTEST_GUILESS_MAIN(tst_MeasurementRun)
#include "tst_measurementrun.moc"
