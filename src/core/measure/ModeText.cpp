#include "core/measure/ModeText.h"

#include <array>
#include <charconv>

using namespace Qt::StringLiterals;

QString ModeName(MeasurementMode mode)
{
    switch (mode) {
    case MeasurementMode::OpticalRotation:
        break;
    case MeasurementMode::SugarDegree:
        return u"sugar-degree"_s;
    case MeasurementMode::Concentration:
        return u"concentration"_s;
    case MeasurementMode::SpecificRotation:
        return u"specific-rotation"_s;
    }
    return u"optical-rotation"_s;
}

QString ConstantText(float value)
{
    std::array<char, 32> text {};
    const std::to_chars_result end = std::to_chars(text.data(), text.data() + text.size(), value);
    return QString::fromLatin1(text.data(), end.ptr - text.data());
}

QJsonObject ModeConstantsJson(const ModeConstants &constants)
{
    const auto number = [](float value) {
        return ConstantText(value).toDouble();
    };
    return { { u"a"_s, number(constants.a) },
             { u"lenC"_s, number(constants.lenC) },
             { u"C"_s, number(constants.C) },
             { u"lena"_s, number(constants.lena) } };
}
