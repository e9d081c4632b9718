// The reading-text and conversion path for any input: any integer reading, any mode value, any
// single-precision constants (zero, infinities, NaN, subnormals) and any converted value.
// UndefinedBehaviorSanitizer aborts on an overflowing conversion; the checks below hold the display
// texts to their seven-cell layout. How a frame's reading text is read is pinned by the frame
// scanner's test and the frame-scan corpus.
#include "FuzzCheck.h"
#include "core/link/FrameScanner.h"
#include "core/measure/Conversions.h"

#include <cmath>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

namespace {

// Seven cells: a sign or a blank, digits (or bars when the value does not fit), one point.
void CheckDisplayText(const QString &text)
{
    FUZZ_CHECK(text.size() == 7);
    FUZZ_CHECK(text[0] == u' ' || text[0] == u'+' || text[0] == u'-');
    FUZZ_CHECK(text.count(u'.') == 1);
    for (qsizetype i = 1; i < text.size(); ++i)
        FUZZ_CHECK(text[i] == u'.' || text[i] == u'-' || (text[i] >= u'0' && text[i] <= u'9'));
}

float AnyFloat(FuzzedDataProvider &input)
{
    static constexpr float kSpecial[] = { 0.0f, -0.0f, INFINITY, -INFINITY, NAN, 1e-45f, 3.4e38f };
    if (input.ConsumeBool())
        return kSpecial[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
    const auto bits = input.ConsumeIntegral<std::uint32_t>();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const long r = input.ConsumeIntegral<long>();
    const int modeValue = input.ConsumeIntegral<int>();
    const ModeConstants constants { AnyFloat(input), AnyFloat(input), AnyFloat(input),
                                    AnyFloat(input) };
    const auto anyBits = input.ConsumeIntegral<std::uint64_t>();
    double anyValue;
    std::memcpy(&anyValue, &anyBits, sizeof anyValue);

    const QString readingText = FormatReadingText(r);
    CheckDisplayText(readingText);
    FUZZ_CHECK(readingText[0] == (r < 0 ? u'-' : u'+'));

    const MeasurementMode mode = ModeFromInt(modeValue);
    const double x = ReadingDegrees(r);
    const double v = ConvertReading(mode, x, constants);
    if (mode == MeasurementMode::Concentration)
        FUZZ_CHECK(v >= -100.0 && v <= 100.0);
    if (mode == MeasurementMode::OpticalRotation || mode == MeasurementMode::SugarDegree)
        FUZZ_CHECK(std::isfinite(v));
    for (const MeasurementMode shown :
         { MeasurementMode::SugarDegree, MeasurementMode::Concentration,
           MeasurementMode::SpecificRotation }) {
        const QString converted = FormatConvertedValue(shown, v);
        CheckDisplayText(converted);
        if (shown == MeasurementMode::Concentration)
            FUZZ_CHECK(converted[0] == u' ');
        CheckDisplayText(FormatConvertedValue(shown, anyValue));
    }

    const std::string text = input.ConsumeRemainingBytesAsString();
    if (const auto constant =
            ParseModeConstant(QString::fromUtf8(text.data(), qsizetype(text.size()))))
        FUZZ_CHECK(std::isfinite(*constant));
    return 0;
}
