#include "core/measure/Conversions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace {

// 1 / 0.34626: one degree Z is 0.34626 degrees of rotation on the International Sugar Scale.
constexpr double kSugarFactor = 2.8880032345636226;
constexpr double kConcentrationLimit = 100.0;

// Seven cells hold at most five integer digits besides the sign and the point; beyond that,
// and for an undefined value, the display shows bars.
constexpr double kDisplayLimit = 100000.0;

QString OverRangeText(char sign)
{
    return QLatin1Char(sign) + QLatin1StringView("--.---");
}

bool IsCSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

MeasurementMode ModeFromInt(int value)
{
    switch (value) {
    case 1:
        return MeasurementMode::SugarDegree;
    case 2:
        return MeasurementMode::Concentration;
    case 3:
        return MeasurementMode::SpecificRotation;
    default:
        return MeasurementMode::OpticalRotation;
    }
}

double ConvertReading(MeasurementMode mode, double x, const ModeConstants &constants)
{
    switch (mode) {
    case MeasurementMode::OpticalRotation:
        return x;
    case MeasurementMode::SugarDegree:
        return x * kSugarFactor;
    case MeasurementMode::Concentration: {
        double v =
            x * 100.0 / static_cast<double>(constants.a) / static_cast<double>(constants.lenC);
        if (v > kConcentrationLimit)
            v = kConcentrationLimit;
        // Also catches the undefined quotient of a zero constant and a zero reading.
        if (!(v >= -kConcentrationLimit))
            v = -kConcentrationLimit;
        return v;
    }
    case MeasurementMode::SpecificRotation:
        return x * 100.0 / static_cast<double>(constants.C) / static_cast<double>(constants.lena);
    }
    return x;
}

QString FormatConvertedValue(MeasurementMode mode, double v)
{
    const bool concentration = mode == MeasurementMode::Concentration;
    if (std::isnan(v))
        return OverRangeText(' ');
    const char sign = concentration ? ' ' : (v < 0 ? '-' : '+');
    if (!(std::fabs(v) < kDisplayLimit))
        return OverRangeText(sign);

    // Truncated toward zero, never rounded: 35.6529 shows 35.652.
    const long long g = static_cast<long long>(v * 1000.0);
    std::array<char, 16> s {};
    const int length = concentration ? std::snprintf(s.data(), s.size(), " %05lld", std::llabs(g))
                                     : std::snprintf(s.data(), s.size(), "%+06lld", g);
    // The point stands before the last three digits: position 3 below 100, 4 from 100 on, and
    // further right for the larger values that the seven cells still hold.
    const int point = length - 3;
    if (point > 6)
        return OverRangeText(sign);
    QString text = QString::fromLatin1(s.data(), point) + QLatin1Char('.')
        + QString::fromLatin1(s.data() + point, 6 - point);
    return text;
}

ConstantReading ClassifyModeConstant(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && IsCSpace(text[i].unicode()))
        ++i;
    std::array<char, 128> number {};
    qsizetype length = 0;
    bool tooLong = false;
    const auto take = [&](char16_t c) {
        if (length + 1 >= qsizetype(number.size()))
            tooLong = true;
        else
            number[length++] = static_cast<char>(c);
    };
    // from_chars reads a minus sign but no plus sign.
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            take(u'-');
        ++i;
    }
    int digits = 0;
    for (; i < text.size() && IsDigit(text[i].unicode()); ++i, ++digits)
        take(text[i].unicode());
    if (i < text.size() && text[i] == u'.') {
        take(u'.');
        for (++i; i < text.size() && IsDigit(text[i].unicode()); ++i, ++digits)
            take(text[i].unicode());
    }
    if (digits == 0)
        return { ConstantText::NoNumber, 0.0f };
    // An exponent counts only when digits follow it, as in "%f".
    if (i + 1 < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < text.size() && IsDigit(text[j].unicode())) {
            for (qsizetype k = i; k < j; ++k)
                take(text[k].unicode());
            for (; j < text.size() && IsDigit(text[j].unicode()); ++j)
                take(text[j].unicode());
        }
    }
    // Every constant divides: zero, a value that rounds to zero or beyond single precision, or
    // one too long to read, would put infinities into the results.
    float value = 0.0f;
    const auto [end, error] = std::from_chars(number.data(), number.data() + length, value);
    if (tooLong || error != std::errc() || value == 0.0f || !std::isfinite(value))
        return { ConstantText::Unusable, 0.0f };
    return { ConstantText::Usable, value };
}

std::optional<float> ParseModeConstant(QStringView text)
{
    const ConstantReading reading = ClassifyModeConstant(text);
    if (reading.kind != ConstantText::Usable)
        return std::nullopt;
    return reading.value;
}
