// The frame scan as the receive thread and the decoder drive it: a byte stream arrives in bursts
// of any size; before each read the area's room-keeping runs, the read fills at most the free
// room, then the held bytes are scanned. Bytes outside the held ones are poisoned during the scan,
// so a read outside them is an AddressSanitizer report.
//
// The first input byte picks the mode:
// - raw: any bytes; checked are the area's bookkeeping and that nothing outside is read.
// - structured: a stream of tokens (frames of any type and length, corrupted frames, noise,
//   floods of readings) in which no byte inside a frame can start a shorter frame that completes
//   before it; for such a stream the frames found must be the same for every split, and the same
//   as each frame scanned on its own. (Noise that announces a long frame may swallow a later
//   frame or not, depending on where the bursts end; that is the scan's nature, not a fault.)
#include "FuzzCheck.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"
#include "core/link/RxRoom.h"

#include <algorithm>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <sanitizer/asan_interface.h>
#include <vector>

namespace {

struct Event
{
    FrameEvent::Kind kind;
    long reading;
    std::array<char, 7> text;

    bool operator==(const Event &) const = default;
};

void CheckBookkeeping(const RxBuffer &rx)
{
    FUZZ_CHECK(rx.nStart >= 0 && rx.nCount >= 0);
    FUZZ_CHECK(rx.nStart + rx.nCount <= RxBuffer::kSize);
}

void Scan(RxBuffer &rx, std::vector<Event> &events)
{
    std::uint8_t *const area = rx.data.data();
    ASAN_POISON_MEMORY_REGION(area, rx.nStart);
    ASAN_POISON_MEMORY_REGION(area + rx.nStart + rx.nCount,
                              RxBuffer::kSize - rx.nStart - rx.nCount);
    const int before = rx.nCount;
    ScanHeldBytes(rx, [&events](const FrameEvent &event) {
        if (event.kind == FrameEvent::Kind::Reading)
            FUZZ_CHECK(event.text == FormatReadingChars(event.reading));
        events.push_back({ event.kind, event.reading, event.text });
    });
    ASAN_UNPOISON_MEMORY_REGION(area, RxBuffer::kSize);
    CheckBookkeeping(rx);
    FUZZ_CHECK(rx.nCount <= before);
    FUZZ_CHECK(rx.nCount > 0 || rx.nStart == 0);
}

// Receives the stream in passes of the given burst sizes (cycled) and scans after each.
std::vector<Event> Receive(const std::vector<std::uint8_t> &stream,
                           const std::vector<std::size_t> &bursts)
{
    // On the heap, so that a read beyond the area meets a redzone.
    const auto rx = std::make_unique<RxBuffer>();
    std::vector<Event> events;
    std::size_t at = 0;
    for (std::size_t pass = 0; at < stream.size(); ++pass) {
        const std::size_t wanted = std::min(bursts[pass % bursts.size()], stream.size() - at);
        MakeRxRoom(*rx, static_cast<qsizetype>(wanted));
        CheckBookkeeping(*rx);
        const std::size_t n = std::min<std::size_t>(wanted, RxFreeRoom(*rx));
        // The room-keeping always leaves room: a full area is cut back first.
        FUZZ_CHECK(n > 0);
        std::memcpy(rx->data.data() + rx->nStart + rx->nCount, stream.data() + at, n);
        rx->nCount += static_cast<int>(n);
        at += n;
        Scan(*rx, events);
    }
    return events;
}

std::uint8_t NoStart(std::uint8_t byte)
{
    return byte == Frame::kStart ? 0x82 : byte;
}

// A 0x02 inside a frame that could begin a shorter candidate, complete while the frame itself is
// not, is moved out of the way (see the file comment).
void ClearInnerStarts(std::vector<std::uint8_t> &frame, int length)
{
    const int end = length + 3; // bytes held at most while the frame is incomplete
    for (int o = 1; o + 1 < static_cast<int>(frame.size()); ++o) {
        if (frame[o] != Frame::kStart)
            continue;
        const int need = std::max(5, frame[o + 1] + 4);
        if (o + need <= end)
            frame[o] = 0x82;
    }
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t type, const std::vector<std::uint8_t> &payload)
{
    const int length = static_cast<int>(payload.size()) + 1;
    std::vector<std::uint8_t> frame { Frame::kStart, static_cast<std::uint8_t>(length), type };
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0); // check
    frame.push_back(Frame::kEnd);
    ClearInnerStarts(frame, length);
    std::uint8_t check = 0;
    for (int i = 0; i < length + 2; ++i)
        check ^= frame[i];
    frame[length + 2] = check;
    return frame;
}

std::vector<std::uint8_t> ReadingPayload(FuzzedDataProvider &input)
{
    char text[24];
    const int n = std::snprintf(text, sizeof text, "%+06d",
                                input.ConsumeIntegralInRange<int>(-999999, 999999));
    return { text, text + n };
}

void RunStructured(FuzzedDataProvider &input, const std::vector<std::size_t> &bursts)
{
    std::vector<std::uint8_t> stream;
    std::vector<Event> expected;
    const auto append = [&](const std::vector<std::uint8_t> &bytes, bool complete) {
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        if (complete) {
            const auto events = Receive(bytes, { RxBuffer::kSize }); // the frame on its own
            expected.insert(expected.end(), events.begin(), events.end());
        }
    };
    while (input.remaining_bytes() > 0 && stream.size() < 40000) {
        switch (input.ConsumeIntegralInRange(0, 5)) {
        case 0: { // any type, any length
            const auto type = input.ConsumeIntegral<std::uint8_t>();
            const auto size = input.ConsumeIntegralInRange<std::size_t>(0, 254);
            auto payload = input.ConsumeBytes<std::uint8_t>(size);
            payload.resize(size, '0');
            append(BuildFrame(type, payload), true);
            break;
        }
        case 1: { // a reading text of any bytes
            const auto size = input.ConsumeIntegralInRange<std::size_t>(0, 24);
            append(BuildFrame(Frame::FRAME_READING, input.ConsumeBytes<std::uint8_t>(size)), true);
            break;
        }
        case 2: { // wrong check or end byte
            auto frame = BuildFrame(input.ConsumeIntegral<std::uint8_t>(), ReadingPayload(input));
            const std::size_t at = frame.size() - (input.ConsumeBool() ? 2 : 1);
            frame[at] ^= std::max<std::uint8_t>(1, input.ConsumeIntegral<std::uint8_t>());
            if (at == frame.size() - 2)
                frame[at] = NoStart(frame[at]);
            append(frame, true);
            break;
        }
        case 3: { // noise without a start byte
            auto noise = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 3000));
            std::transform(noise.begin(), noise.end(), noise.begin(), NoStart);
            append(noise, false);
            break;
        }
        case 4: { // a flood of readings
            const int count = input.ConsumeIntegralInRange(1, 400);
            for (int i = 0; i < count; ++i)
                append(BuildFrame(Frame::FRAME_READING, ReadingPayload(input)), true);
            break;
        }
        case 5: { // zero, status and "A" frames
            static constexpr std::uint8_t kTypes[] = { Frame::FRAME_ZERO, Frame::FRAME_STATUS,
                                                       Frame::FRAME_READING };
            const auto type = kTypes[input.ConsumeIntegralInRange(0, 2)];
            append(BuildFrame(type,
                              type == Frame::FRAME_READING ? std::vector<std::uint8_t> { 'A' }
                                                           : std::vector<std::uint8_t> {}),
                   true);
            break;
        }
        }
    }
    // A frame cut off by the end of the stream: held, never acted on.
    if (input.ConsumeBool()) {
        const auto frame = BuildFrame(Frame::FRAME_READING, ReadingPayload(input));
        append({ frame.begin(), frame.end() - 1 }, false);
    }

    FUZZ_CHECK(Receive(stream, bursts) == expected);
    FUZZ_CHECK(Receive(stream, { RxBuffer::kSize }) == expected);
    if (stream.size() <= 2000)
        FUZZ_CHECK(Receive(stream, { 1 }) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool structured = input.ConsumeBool();
    std::vector<std::size_t> bursts(input.ConsumeIntegralInRange(1, 16));
    for (auto &burst : bursts)
        burst = input.ConsumeIntegralInRange<std::size_t>(1, 3 * RxBuffer::kSize / 2);
    if (structured) {
        RunStructured(input, bursts);
    } else {
        const auto stream = input.ConsumeRemainingBytes<std::uint8_t>();
        Receive(stream, bursts);
    }
    return 0;
}
