#include "core/link/FrameScanner.h"

#include "core/link/Frame.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr std::array<char, 7> ToChars(const char (&text)[8])
{
    std::array<char, 7> chars {};
    std::copy_n(text, 7, chars.begin());
    return chars;
}

constexpr std::array<char, 7> kZeroChars = ToChars(kZeroDisplayText);

bool IsCSpace(std::uint8_t c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The reading text as a signed decimal integer: optional leading white space, an optional sign,
// digits up to the first other character. Nothing when no digit follows; too many digits
// saturate instead of overflowing.
std::optional<long> ParseReading(std::span<const std::uint8_t> text)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    constexpr unsigned long kMax = std::numeric_limits<long>::max();
    unsigned long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = text[i] - '0';
        magnitude = magnitude > (kMax - digit) / 10 ? kMax : magnitude * 10 + digit;
    }
    const long value = static_cast<long>(magnitude);
    return negative ? -value : value;
}

// The meaning of a valid frame; nothing for one the program ignores.
std::optional<FrameEvent> Interpret(std::span<const std::uint8_t> frame, int length)
{
    // With L = 0 the type byte would be the check byte itself: no frame of the format.
    if (length < 1)
        return std::nullopt;
    FrameEvent event;
    switch (frame[2]) {
    case Frame::FRAME_READING: {
        const auto payload = frame.subspan(3, length - 1);
        if (payload.empty() || payload.size() > kMaxReadingTextLength)
            return std::nullopt;
        if (payload[0] == 'A') {
            event.kind = FrameEvent::Kind::ZeroReading;
            event.text = kZeroChars;
            return event;
        }
        const auto r = ParseReading(payload);
        if (!r)
            return std::nullopt;
        event.kind = FrameEvent::Kind::Reading;
        event.reading = *r;
        event.text = FormatReadingChars(*r);
        return event;
    }
    case Frame::FRAME_ZERO:
        event.kind = FrameEvent::Kind::Zero;
        event.text = kZeroChars;
        return event;
    case Frame::FRAME_STATUS:
        event.kind = FrameEvent::Kind::Status;
        event.text.fill(' ');
        return event;
    default:
        return std::nullopt;
    }
}

} // namespace

std::array<char, 7> FormatReadingChars(long r)
{
    // The magnitude as unsigned, so that the most negative long has one too.
    const unsigned long magnitude =
        r < 0 ? 0UL - static_cast<unsigned long>(r) : static_cast<unsigned long>(r);
    // "%+06ld": the sign, then at least five digits.
    std::array<char, 24> digits {};
    int count = 0;
    for (unsigned long rest = magnitude; rest != 0 || count < 5; rest /= 10)
        digits[count++] = static_cast<char>('0' + rest % 10);
    std::array<char, 24> s {};
    s[0] = r < 0 ? '-' : '+';
    for (int i = 0; i < count; ++i)
        s[1 + i] = digits[count - 1 - i];
    const int length = count + 1;
    // The point stands before the last three digits (3 up to 99.999 degrees, 4 from 100
    // degrees on); seven characters are kept, so the decimals that do not fit are dropped.
    const int point = length - 3;
    std::array<char, 7> text {};
    if (point > 6) {
        // 100000 degrees or more: no integer part fits the seven cells.
        text = { s[0], '-', '-', '.', '-', '-', '-' };
        return text;
    }
    std::copy_n(s.begin(), point, text.begin());
    text[point] = '.';
    std::copy_n(s.begin() + point, 6 - point, text.begin() + point + 1);
    return text;
}

QString FormatReadingText(long r)
{
    const auto text = FormatReadingChars(r);
    return QString::fromLatin1(text.data(), text.size());
}

int ScanHeldBytes(RxBuffer &buffer, FrameCallback callback, void *context)
{
    // A corrupted bookkeeping is brought back inside the area before any byte is read.
    if (buffer.nStart < 0 || buffer.nStart > RxBuffer::kSize)
        buffer.nStart = 0;
    buffer.nCount = std::clamp(buffer.nCount, 0, RxBuffer::kSize - buffer.nStart);

    const std::span<const std::uint8_t> data(buffer.data);
    int consumed = 0;
    int pos = buffer.nStart;
    while (pos < buffer.nStart + buffer.nCount) {
        const int held = buffer.nStart + buffer.nCount - pos;
        if (data[pos] != Frame::kStart || held <= 4) {
            ++pos;
            continue;
        }
        const int length = data[pos + 1];
        if (held < length + 4) {
            ++pos;
            continue;
        }
        const auto candidate = data.subspan(pos, length + 4);
        if (IsFrameValid(candidate, length)) {
            if (const auto event = Interpret(candidate, length))
                callback(context, *event);
        }
        ++consumed;
        const int next = pos + length + 4;
        buffer.nCount -= next - buffer.nStart;
        buffer.nStart = next;
        if (buffer.nCount == 0) {
            buffer.nStart = 0;
            break;
        }
        pos = next;
    }
    return consumed;
}
