// The frame scan as the receive thread and the decoder drive it: a byte stream arrives in bursts
// of any size; before each read the area's room-keeping runs, the read fills at most the free
// room, then the held bytes are scanned. Bytes outside the held ones are poisoned during the scan,
// so a read outside them is an AddressSanitizer report. That the frames found do not depend on
// where the bursts end is the flood test's part, with the simulated instrument's splits and floods.
#include "FuzzCheck.h"
#include "core/link/FrameScanner.h"
#include "core/link/RxRoom.h"

#include <algorithm>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <sanitizer/asan_interface.h>
#include <vector>

namespace {

void CheckBookkeeping(const RxBuffer &rx)
{
    FUZZ_CHECK(rx.nStart >= 0 && rx.nCount >= 0);
    FUZZ_CHECK(rx.nStart + rx.nCount <= RxBuffer::kSize);
}

void Scan(RxBuffer &rx)
{
    std::uint8_t *const area = rx.data.data();
    ASAN_POISON_MEMORY_REGION(area, rx.nStart);
    ASAN_POISON_MEMORY_REGION(area + rx.nStart + rx.nCount,
                              RxBuffer::kSize - rx.nStart - rx.nCount);
    const int before = rx.nCount;
    ScanHeldBytes(rx, [](const FrameEvent &event) {
        if (event.kind == FrameEvent::Kind::Reading)
            FUZZ_CHECK(event.text == FormatReadingChars(event.reading));
    });
    ASAN_UNPOISON_MEMORY_REGION(area, RxBuffer::kSize);
    CheckBookkeeping(rx);
    FUZZ_CHECK(rx.nCount <= before);
    FUZZ_CHECK(rx.nCount > 0 || rx.nStart == 0);
}

// Receives the stream in passes of the given burst sizes (cycled) and scans after each.
void Receive(const std::vector<std::uint8_t> &stream, const std::vector<std::size_t> &bursts)
{
    // On the heap, so that a read beyond the area meets a redzone.
    const auto rx = std::make_unique<RxBuffer>();
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
        Scan(*rx);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    input.ConsumeBool(); // the seeds' old mode flag: they keep their burst sizes
    std::vector<std::size_t> bursts(input.ConsumeIntegralInRange(1, 16));
    for (auto &burst : bursts)
        burst = input.ConsumeIntegralInRange<std::size_t>(1, 3 * RxBuffer::kSize / 2);
    Receive(input.ConsumeRemainingBytes<std::uint8_t>(), bursts);
    return 0;
}
