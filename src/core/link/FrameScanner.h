#pragma once

#include "core/link/RxBuffer.h"

#include <QString>

#include <array>
#include <type_traits>
#include <utility>

// What one valid frame from the instrument means.
struct FrameEvent
{
    enum class Kind {
        Reading, // a new reading of `reading` thousandths of a degree
        ZeroReading, // a reading text beginning with "A": both displays zero, reading 0.0
        Zero, // zero frame: both displays zero, reading 0.0
        Status, // status frame: the status indicator lights
    };

    Kind kind = Kind::Reading;
    long reading = 0; // r, Reading only
    // Seven characters for the reading display: FormatReadingText(r), or " 00.000".
    std::array<char, 7> text {};

    QString displayText() const { return QString::fromLatin1(text.data(), text.size()); }
};

// A reading payload longer than this is ignored: the instrument's text area holds 19 characters.
inline constexpr int kMaxReadingTextLength = 19;

inline constexpr char kZeroDisplayText[] = " 00.000";

// The reading display's text for r thousandths of a degree: "%+06ld" with a point after the
// integer digits and seven characters kept (+12.345, +123.45, -00.005).
QString FormatReadingText(long r);
std::array<char, 7> FormatReadingChars(long r);

using FrameCallback = void (*)(void *context, const FrameEvent &event);

// One scan of the held bytes as a batch of the decoder: every complete candidate (valid or not)
// is consumed together with the bytes before it, an incomplete frame stays held, and each valid
// frame's meaning goes to the callback in order. Returns the number of candidates consumed.
int ScanHeldBytes(RxBuffer &buffer, FrameCallback callback, void *context);

template<typename Handler>
requires std::is_invocable_v<Handler &, const FrameEvent &>
int ScanHeldBytes(RxBuffer &buffer, Handler &&handler)
{
    using H = std::remove_reference_t<Handler>;
    return ScanHeldBytes(
        buffer, [](void *context, const FrameEvent &event) { (*static_cast<H *>(context))(event); },
        const_cast<void *>(static_cast<const void *>(&handler)));
}
