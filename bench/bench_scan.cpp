// Throughput of the frame scan over a long stream of mixed frames and noise, fed through the
// receive area in bursts as the receive thread hands them over.
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <vector>

namespace {

void AppendFrame(std::vector<std::uint8_t> &out, std::uint8_t type, const char *payload)
{
    const QByteArray frame = BuildFrame(type, payload);
    out.insert(out.end(), frame.begin(), frame.end());
}

std::vector<std::uint8_t> MixedStream(std::size_t size)
{
    std::mt19937 random(42);
    std::vector<std::uint8_t> out;
    out.reserve(size + 64);
    char text[16];
    while (out.size() < size) {
        switch (random() % 8) {
        case 0:
            AppendFrame(out, 2, "");
            break;
        case 1:
            AppendFrame(out, 7, "");
            break;
        case 2: // bad check byte
            AppendFrame(out, 1, "+12345");
            out[out.size() - 2] ^= 0x55;
            break;
        case 3: // noise without a start byte
            for (int i = 0; i < 12; ++i)
                out.push_back(static_cast<std::uint8_t>(0x20 + random() % 0x50));
            break;
        default:
            std::snprintf(text, sizeof text, "%+06d", static_cast<int>(random() % 400000) - 200000);
            AppendFrame(out, 1, text);
            break;
        }
    }
    return out;
}

void BM_ScanMixedStream(benchmark::State &state)
{
    const std::vector<std::uint8_t> stream = MixedStream(8 << 20);
    const std::size_t burst = static_cast<std::size_t>(state.range(0));
    RxBuffer buffer;
    long sink = 0;
    for (auto _ : state) {
        buffer.nStart = 0;
        buffer.nCount = 0;
        for (std::size_t at = 0; at < stream.size();) {
            if (buffer.nStart + buffer.nCount + burst > RxBuffer::kSize) {
                std::memmove(buffer.data.data(), buffer.data.data() + buffer.nStart, buffer.nCount);
                buffer.nStart = 0;
            }
            const std::size_t n = std::min(burst, stream.size() - at);
            std::memcpy(buffer.data.data() + buffer.nStart + buffer.nCount, stream.data() + at, n);
            buffer.nCount += static_cast<int>(n);
            at += n;
            ScanHeldBytes(buffer, [&sink](const FrameEvent &event) {
                sink += event.reading + event.text[1];
            });
        }
    }
    benchmark::DoNotOptimize(sink);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

} // namespace

BENCHMARK(BM_ScanMixedStream)->Arg(64)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
