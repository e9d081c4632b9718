#include "core/measure/Conversions.h"
#include "core/measure/RunStatistics.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MeasurementMode)
Q_DECLARE_METATYPE(ConstantText)

class tst_Conversions : public QObject
{
    Q_OBJECT

private slots:
    void convert_data();
    void convert();
    void parseConstant_data();
    void parseConstant();
    void statistics_data();
    void statistics();
};

void tst_Conversions::convert_data()
{
    QTest::addColumn<MeasurementMode>("mode");
    QTest::addColumn<int>("r");
    QTest::addColumn<float>("constant"); // a or C; the mode's tube is 2 dm long, the other 5 dm
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");
    using M = MeasurementMode;
    QTest::newRow("single-precision factor")
        << M::OpticalRotation << 34626 << 1.0f << u"34.62600164464675"_s << u"+34.626"_s;
    QTest::newRow("sugar 34.626") << M::SugarDegree << 34626 << 1.0f << u"100.00000474974513"_s
                                  << u"+100.00"_s;
    QTest::newRow("cut, not rounded")
        << M::SugarDegree << 1 << 1.0f << u"0.0028880033717364156"_s << u"+00.002"_s;
    QTest::newRow("concentration -13.300")
        << M::Concentration << -13300 << 66.5f << u"-10.000000474974513"_s << u" 10.000"_s;
    QTest::newRow("concentration clamped")
        << M::Concentration << 133000 << 66.5f << u"100"_s << u" 100.00"_s;
    QTest::newRow("zero constant, zero reading")
        << M::Concentration << 0 << 0.0f << u"-100"_s << u" 100.00"_s;
    QTest::newRow("specific rotation")
        << M::SpecificRotation << 12345 << 1.0f << u"617.2500293178018"_s << u"+617.25"_s;
    QTest::newRow("sign and zero padding")
        << M::SpecificRotation << -100 << 1.0f << u"-5.0000002374872565"_s << u"-05.000"_s;
    QTest::newRow("four integer digits")
        << M::SpecificRotation << 50005 << 1.0f << u"2500.2501187555026"_s << u"+2500.2"_s;
    QTest::newRow("beyond the cells")
        << M::SpecificRotation << 2000000 << 1.0f << u"100000.00474974513"_s << u"+--.---"_s;
    QTest::newRow("zero concentration, zero reading")
        << M::SpecificRotation << 0 << 0.0f << u"nan"_s << u" --.---"_s;
}

void tst_Conversions::convert()
{
    QFETCH(MeasurementMode, mode);
    QFETCH(int, r);
    QFETCH(float, constant);
    QFETCH(QString, value);
    QFETCH(QString, text);
    // The other mode's constants differ, so that a conversion that takes one of them shows.
    const ModeConstants constants = mode == MeasurementMode::Concentration
        ? ModeConstants { .a = constant, .lenC = 2.0f, .C = 3.0f, .lena = 5.0f }
        : ModeConstants { .a = 3.0f, .lenC = 5.0f, .C = constant, .lena = 2.0f };
    const double v = ConvertReading(mode, ReadingDegrees(r), constants);
    // The shortest text that reads back as the same double: equal texts mean equal values.
    QCOMPARE(QString::number(v, 'g', QLocale::FloatingPointShortest), value);
    QCOMPARE(FormatConvertedValue(mode, v), text);
}

void tst_Conversions::parseConstant_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ConstantText>("kind");
    QTest::addColumn<float>("value");
    using K = ConstantText;
    QTest::newRow("number then unit") << u" 2.5dm"_s << K::Usable << 2.5f;
    QTest::newRow("signs and exponent") << u"-1e3"_s << K::Usable << -1000.0f;
    QTest::newRow("bare e, plus sign") << u"+.5e"_s << K::Usable << 0.5f;
    QTest::newRow("no number") << u"abc"_s << K::NoNumber << 0.0f;
    QTest::newRow("zero divides by nothing") << u"-0.00"_s << K::Unusable << 0.0f;
    QTest::newRow("rounds to zero") << u"1e-50"_s << K::Unusable << 0.0f;
    QTest::newRow("beyond float") << u"1e99"_s << K::Unusable << 0.0f;
}

void tst_Conversions::parseConstant()
{
    QFETCH(QString, text);
    QFETCH(ConstantText, kind);
    QFETCH(float, value);
    const ConstantReading reading = ClassifyModeConstant(text);
    QCOMPARE(reading.kind, kind);
    QCOMPARE(reading.value, value);
    QCOMPARE(ParseModeConstant(text).has_value(), kind == ConstantText::Usable);
}

void tst_Conversions::statistics_data()
{
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<QString>("result");
    QTest::newRow("1 to 6") << QList<float> { 1, 2, 3, 4, 5, 6 } << u"3.500 1.871"_s;
    QTest::newRow("signed, across zero")
        << QList<float> { -1, 1, -1, 1, -1, 1 } << u"0.000 1.095"_s;
    QTest::newRow("a value beyond single precision shows no inf")
        << QList<float> { float(qInf()), 1 } << u"--.--- --.---"_s;
    QTest::newRow("no values") << QList<float> {} << u"0.000 0.000"_s;
}

void tst_Conversions::statistics()
{
    QFETCH(QList<float>, values);
    QFETCH(QString, result);
    const RunStatistics statistics = ComputeRunStatistics(values);
    QCOMPARE(FormatRunValue(double(statistics.mean)) + u' ' + FormatRunValue(statistics.deviation),
             result);
}

QTEST_GUILESS_MAIN(tst_Conversions)
#include "tst_conversions.moc"
