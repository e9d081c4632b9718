#pragma once

#include <QString>
#include <QStringView>

#include <optional>

enum class MeasurementMode : int {
    OpticalRotation = 0,
    SugarDegree = 1,
    Concentration = 2,
    SpecificRotation = 3,
};

// A stored or exchanged mode value; anything outside 0 to 3 is optical rotation.
MeasurementMode ModeFromInt(int value);

// The single-precision inputs of the conversions (members m_a, m_lenC, m_C, m_lena of the main
// window), with their defaults.
struct ModeConstants
{
    float a = 1.0f; // specific rotation, concentration mode
    float lenC = 2.0f; // tube length in dm, concentration mode
    float C = 1.0f; // concentration in g/100 ml, specific-rotation mode
    float lena = 2.0f; // tube length in dm, specific-rotation mode
};

// The instrument's factor: the float nearest 0.001, widened exactly to double.
inline constexpr double kReadingFactor = static_cast<double>(0.001f);

// The reading in degrees for r thousandths of a degree, as the decoder holds it.
constexpr double ReadingDegrees(long r)
{
    return static_cast<double>(r) * kReadingFactor;
}

// The value of the mode's quantity for a reading of x degrees.
double ConvertReading(MeasurementMode mode, double x, const ModeConstants &constants);

// The seven-character text of the converted-value display.
QString FormatConvertedValue(MeasurementMode mode, double v);

enum class ConstantText {
    NoNumber, // no leading number: the constant keeps its value
    Usable,
    Unusable, // zero, rounding to zero, or beyond single precision: no divisor
};

struct ConstantReading
{
    ConstantText kind = ConstantText::NoNumber;
    float value = 0.0f; // Usable only
};

// A mode constant's text read as "%f" would: leading blanks skipped, the longest leading decimal
// number taken ("2.5dm" gives 2.5).
ConstantReading ClassifyModeConstant(QStringView text);

// The constant of a usable text; nothing otherwise, so that the caller keeps its value.
std::optional<float> ParseModeConstant(QStringView text);
