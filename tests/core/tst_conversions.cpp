#include "measure/Conversions.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MeasurementMode)
Q_DECLARE_METATYPE(std::optional<float>)

namespace {

// Shortest text that reads back as the same double: equal texts mean equal bits.
QString Exact(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

} // namespace

class tst_Conversions : public QObject
{
    Q_OBJECT

private slots:
    void convert_data();
    void convert();
    void format_data();
    void format();
    void parseConstant_data();
    void parseConstant();
    void modeFromInt();
};

void tst_Conversions::convert_data()
{
    QTest::addColumn<MeasurementMode>("mode");
    QTest::addColumn<qlonglong>("r");
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("lenC");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");

    using M = MeasurementMode;
    QTest::newRow("reading factor is single precision")
        << M::OpticalRotation << 34626LL << 1.0f << 2.0f << u"34.62600164464675"_s << u"+34.626"_s;
    QTest::newRow("sugar 34.626 reaches 100")
        << M::SugarDegree << 34626LL << 1.0f << 2.0f << u"100.00000474974513"_s << u"+100.00"_s;
    QTest::newRow("sugar 12.345 truncated")
        << M::SugarDegree << 12345LL << 1.0f << 2.0f << u"35.65240162408605"_s << u"+35.652"_s;
    QTest::newRow("concentration 13.300")
        << M::Concentration << 13300LL << 66.5f << 2.0f << u"10.000000474974513"_s << u" 10.000"_s;
    QTest::newRow("concentration -13.300 keeps its sign")
        << M::Concentration << -13300LL << 66.5f << 2.0f << u"-10.000000474974513"_s
        << u" 10.000"_s;
    QTest::newRow("concentration clamped to 100")
        << M::Concentration << 133000LL << 66.5f << 2.0f << u"100"_s << u" 100.00"_s;
    QTest::newRow("concentration clamped to -100")
        << M::Concentration << -133000LL << 66.5f << 2.0f << u"-100"_s << u" 100.00"_s;
    QTest::newRow("zero constant, positive reading")
        << M::Concentration << 5LL << 0.0f << 2.0f << u"100"_s << u" 100.00"_s;
    QTest::newRow("zero constant, zero reading is undefined")
        << M::Concentration << 0LL << 0.0f << 2.0f << u"-100"_s << u" 100.00"_s;
    QTest::newRow("specific rotation")
        << M::SpecificRotation << 12345LL << 66.5f << 2.0f
        << Exact(12345 * double(0.001f) * 100.0 / 1.0 / 2.0) << u"+617.25"_s;
}

void tst_Conversions::convert()
{
    QFETCH(MeasurementMode, mode);
    QFETCH(qlonglong, r);
    QFETCH(float, a);
    QFETCH(float, lenC);
    QFETCH(QString, value);
    QFETCH(QString, text);
    const ModeConstants constants { .a = a, .lenC = lenC, .C = 1.0f, .lena = 2.0f };
    const double v = ConvertReading(mode, ReadingDegrees(static_cast<long>(r)), constants);
    QCOMPARE(Exact(v), value);
    QCOMPARE(FormatConvertedValue(mode, v), text);
}

void tst_Conversions::format_data()
{
    QTest::addColumn<MeasurementMode>("mode");
    QTest::addColumn<double>("v");
    QTest::addColumn<QString>("text");
    using M = MeasurementMode;
    QTest::newRow("exactly -100") << M::SugarDegree << -100.0 << u"-100.00"_s;
    QTest::newRow("99.9999") << M::SugarDegree << 99.9999 << u"+99.999"_s;
    QTest::newRow("-5") << M::SpecificRotation << -5.0 << u"-05.000"_s;
    QTest::newRow("288.8") << M::SugarDegree << 288.8 << u"+288.80"_s;
    QTest::newRow("truncation toward zero") << M::SugarDegree << -0.0009 << u"+00.000"_s;
    QTest::newRow("2500 keeps its integer digits")
        << M::SpecificRotation << 2500.25 << u"+2500.2"_s;
    QTest::newRow("-25000.5") << M::SpecificRotation << -25000.5 << u"-25000."_s;
    QTest::newRow("beyond the cells") << M::SpecificRotation << 1.0e9 << u"+--.---"_s;
    QTest::newRow("infinite specific rotation") << M::SpecificRotation << kInf << u"+--.---"_s;
    QTest::newRow("negative infinite") << M::SpecificRotation << -kInf << u"---.---"_s;
    QTest::newRow("undefined specific rotation") << M::SpecificRotation << kNaN << u" --.---"_s;
    QTest::newRow("concentration has no sign") << M::Concentration << -0.5 << u" 00.500"_s;
}

void tst_Conversions::format()
{
    QFETCH(MeasurementMode, mode);
    QFETCH(double, v);
    QFETCH(QString, text);
    QCOMPARE(FormatConvertedValue(mode, v), text);
}

void tst_Conversions::parseConstant_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<float>>("value");
    QTest::newRow("default text") << u"1.00"_s << std::optional(1.0f);
    QTest::newRow("number then unit") << u"2.5dm"_s << std::optional(2.5f);
    QTest::newRow("leading blanks") << u" \t66.5"_s << std::optional(66.5f);
    QTest::newRow("signs") << u"-3"_s << std::optional(-3.0f);
    QTest::newRow("plus") << u"+.5"_s << std::optional(0.5f);
    QTest::newRow("exponent") << u"1e3"_s << std::optional(1000.0f);
    QTest::newRow("bare e is not an exponent") << u"2e"_s << std::optional(2.0f);
    QTest::newRow("no number") << u"abc"_s << std::optional<float>();
    QTest::newRow("empty") << QString() << std::optional<float>();
    QTest::newRow("point alone") << u"."_s << std::optional<float>();
    QTest::newRow("beyond float") << u"1e99"_s << std::optional<float>();
    QTest::newRow("infinity is no constant") << u"inf"_s << std::optional<float>();
    QTest::newRow("full-width digits are not digits") << u"２"_s << std::optional<float>();
}

void tst_Conversions::parseConstant()
{
    QFETCH(QString, text);
    QFETCH(std::optional<float>, value);
    QCOMPARE(ParseModeConstant(text), value);
}

void tst_Conversions::modeFromInt()
{
    QCOMPARE(ModeFromInt(2), MeasurementMode::Concentration);
    QCOMPARE(ModeFromInt(3), MeasurementMode::SpecificRotation);
    QCOMPARE(ModeFromInt(4), MeasurementMode::OpticalRotation);
    QCOMPARE(ModeFromInt(-1), MeasurementMode::OpticalRotation);
}

QTEST_GUILESS_MAIN(tst_Conversions)
#include "tst_conversions.moc"
