// The reading-text and conversion path for any input: any reading text inside a valid frame, any
// integer reading, any mode value and any single-precision constants (zero, infinities, NaN,
// subnormals) and any converted value. UndefinedBehaviorSanitizer aborts on an overflowing
// conversion; the checks below hold the display texts to their seven-cell layout.
#include "FuzzCheck.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"
#include "core/measure/Conversions.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <optional>
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

double AnyDouble(FuzzedDataProvider &input)
{
    const auto bits = input.ConsumeIntegral<std::uint64_t>();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The reading text as the C library reads a decimal integer, saturated at the range of long;
// nothing when no digit follows the blanks and the sign.
std::optional<long> Strtol(const std::string &text)
{
    const std::string untilNul(text.c_str());
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(untilNul.c_str(), &end, 10);
    if (end == untilNul.c_str())
        return std::nullopt;
    return value == LONG_MIN ? -LONG_MAX : value;
}

// A valid reading frame around any text; what the scan makes of it.
void CheckReadingText(const std::string &text)
{
    if (text.size() > 254)
        return;
    const auto rx = std::make_unique<RxBuffer>();
    std::uint8_t *out = rx->data.data();
    out[0] = Frame::kStart;
    out[1] = static_cast<std::uint8_t>(text.size() + 1);
    out[2] = Frame::FRAME_READING;
    std::memcpy(out + 3, text.data(), text.size());
    std::uint8_t check = 0;
    for (std::size_t i = 0; i < text.size() + 3; ++i)
        check ^= out[i];
    out[text.size() + 3] = check;
    out[text.size() + 4] = Frame::kEnd;
    rx->nCount = static_cast<int>(text.size() + 5);

    const bool shown = !text.empty() && text.size() <= std::size_t(kMaxReadingTextLength)
        && (text[0] == 'A' || Strtol(text));
    int events = 0;
    ScanHeldBytes(*rx, [&](const FrameEvent &event) {
        ++events;
        if (text[0] == 'A') {
            FUZZ_CHECK(event.kind == FrameEvent::Kind::ZeroReading);
            FUZZ_CHECK(event.DisplayText() == QLatin1StringView(kZeroDisplayText));
            return;
        }
        FUZZ_CHECK(event.kind == FrameEvent::Kind::Reading);
        FUZZ_CHECK(event.reading == Strtol(text));
        FUZZ_CHECK(event.DisplayText() == FormatReadingText(event.reading));
    });
    FUZZ_CHECK(events == (shown ? 1 : 0));
    // The frame is consumed whatever it held.
    FUZZ_CHECK(rx->nCount == 0 && rx->nStart == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const long r = input.ConsumeIntegral<long>();
    const int modeValue = input.ConsumeIntegral<int>();
    const ModeConstants constants { AnyFloat(input), AnyFloat(input), AnyFloat(input),
                                    AnyFloat(input) };
    const double anyValue = AnyDouble(input);

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
    CheckReadingText(text);
    if (const auto constant =
            ParseModeConstant(QString::fromUtf8(text.data(), qsizetype(text.size()))))
        FUZZ_CHECK(std::isfinite(*constant));
    return 0;
}
