// The serial channel end to end through a pseudo-terminal: the instrument's side writes reading
// frames, CSerialPort reads them in bursts on its receive thread, and a handler on this thread
// scans them as the main window's decoder does.
//
// BM_FramesThroughPty: frames as fast as the terminal takes them (far above the line's 960 bytes
// per second); counts frames decoded per second, frames lost and frames out of order.
// BM_ResidentGrowth: the resident memory of this process while 300000 frames pass, from a tenth
// of the stream on to its end; the channel allocates nothing per frame, so it should stay flat.
// BM_LatencyToHandler: one frame at a time; the time from the write() that puts the frame on the
// line to the handler having decoded it, median and 99th percentile.
#include "BenchFigures.h"
#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "WaitUntil.h"
#include "core/link/CSerialPort.h"
#include "core/link/FrameScanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

// The owner of the channel: scans every burst and records the readings in order.
struct Decoder
{
    std::vector<long> readings;
    bool record = true; // false: count only, so that the decoder's own memory stays flat
    qint64 decoded = 0;
    qint64 lastDecodedNs = 0;
    QElapsedTimer clock;

    explicit Decoder(CSerialPort &port)
    {
        clock.start();
        QObject::connect(&port, &CSerialPort::serialData, &port,
                         [this](CSerialPort *from, RxBuffer *rx) {
                             ScanHeldBytes(*rx, [this](const FrameEvent &event) {
                                 ++decoded;
                                 if (record)
                                     readings.push_back(event.reading);
                             });
                             lastDecodedNs = clock.nsecsElapsed();
                             from->SetReadPermission();
                         });
    }
};

void BM_FramesThroughPty(benchmark::State &state)
{
    const int frames = static_cast<int>(state.range(0));
    QByteArray stream;
    for (int i = 1; i <= frames; ++i)
        stream += ReadingFrame(i % 200000);
    long lost = 0;
    long disordered = 0;
    for (auto _ : state) {
        PtyPair pty;
        CSerialPort port;
        port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
        Decoder decoder(port);
        if (!pty.IsValid() || !port.Open()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        pty.Send(stream);
        WaitUntil([&] { return int(decoder.readings.size()) >= frames; }, 60000);
        lost += frames - long(decoder.readings.size());
        for (std::size_t i = 0; i < decoder.readings.size(); ++i)
            disordered += decoder.readings[i] != long((i + 1) % 200000);
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(double(stream.size()) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.counters["lost"] = double(lost);
    state.counters["out_of_order"] = double(disordered);
}

void BM_ResidentGrowth(benchmark::State &state)
{
    constexpr int kFrames = 300000;
    constexpr int kChunk = 1000;
    QByteArray chunk;
    for (int i = 1; i <= kChunk; ++i)
        chunk += ReadingFrame(i);
    for (auto _ : state) {
        PtyPair pty;
        CSerialPort port;
        port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
        Decoder decoder(port);
        decoder.record = false;
        if (!pty.IsValid() || !port.Open()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        long warmKiB = -1;
        // A chunk at a time, so that the queue of the writing side stays small.
        for (int sent = 0; sent < kFrames; sent += kChunk) {
            pty.Send(chunk);
            WaitUntil([&] { return pty.AllSent(); }, 60000);
            if (warmKiB < 0 && sent >= kFrames / 10)
                warmKiB = ResidentKiB();
        }
        WaitUntil([&] { return decoder.decoded >= kFrames; }, 60000);
        state.counters["resident_KiB"] = double(ResidentKiB());
        state.counters["growth_KiB"] = double(ResidentKiB() - warmKiB);
        state.counters["lost"] = double(kFrames - decoder.decoded);
    }
}

void BM_LatencyToHandler(benchmark::State &state)
{
    PtyPair pty;
    CSerialPort port;
    port.Configure(pty.SlavePath(), 9600, 8, 0, 1);
    Decoder decoder(port);
    if (!pty.IsValid() || !port.Open()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    std::vector<double> latencyUs;
    long lost = 0;
    int r = 0;
    for (auto _ : state) {
        const std::size_t before = decoder.readings.size();
        // Taken before the write: the terminal may hand the bytes on while write() still runs.
        const qint64 writtenNs = decoder.clock.nsecsElapsed();
        pty.Send(ReadingFrame(++r % 200000));
        if (!WaitUntil([&] { return decoder.readings.size() > before; }, 2000)) {
            ++lost;
            continue;
        }
        latencyUs.push_back(double(decoder.lastDecodedNs - writtenNs) / 1e3);
    }
    std::sort(latencyUs.begin(), latencyUs.end());
    if (!latencyUs.empty()) {
        state.counters["median_us"] = latencyUs[latencyUs.size() / 2];
        state.counters["p99_us"] =
            latencyUs[std::min(latencyUs.size() - 1, latencyUs.size() * 99 / 100)];
    }
    state.counters["lost"] = double(lost);
}

} // namespace

BENCHMARK(BM_FramesThroughPty)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ResidentGrowth)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LatencyToHandler)->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
