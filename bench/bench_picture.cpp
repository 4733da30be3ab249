// SPDX-License-Identifier: GPL-3.0-or-later
// The picture's frame step against a plain copy of the same bytes, and the step plus an
// immediate stretched paint on the offscreen platform.
#include "GuiBenchMain.h"
#include "picture/DIB.h"
#include "picture/DXPaintBox.h"
#include "picture/FrameStep.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr TFrameStepParams Params{7, 255, true};

void FillPicture(TDIB& dib, int width, int height) {
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        dib.ColorTable[static_cast<size_t>(i)] = TRGBQuad{v, static_cast<uint8_t>(255 - i), v, 0};
    }
    dib.Allocate(width, height, 8);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dib.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            row[x] = static_cast<uint8_t>(seed >> 24);
        }
    }
}

void BM_FrameStep(benchmark::State& state) {
    TDIB dib;
    FillPicture(dib, 1920, 1080);
    for (auto _ : state) {
        StepFrame(dib, Params);
        benchmark::DoNotOptimize(dib.ScanLine(0)[0]);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{1920} * 1080);
}
BENCHMARK(BM_FrameStep)->Unit(benchmark::kMicrosecond);

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> from(size_t{1920} * 1080, 3);
    std::vector<uint8_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(from.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

// The processor time this thread has used; time taken by other programs on a shared machine
// is not counted.
std::chrono::nanoseconds ThreadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Both in the same loop, so that the ratio compares like with like: "ratio" by the wall
// clock, "cpu_ratio" by this thread's processor time.
void BM_FrameStepOverMemcpy(benchmark::State& state) {
    TDIB dib;
    FillPicture(dib, 1920, 1080);
    std::vector<uint8_t> from(size_t{1920} * 1080, 3);
    std::vector<uint8_t> to(from.size());
    using Clock = std::chrono::steady_clock;
    Clock::duration copying{};
    Clock::duration stepping{};
    std::chrono::nanoseconds copyingCpu{};
    std::chrono::nanoseconds steppingCpu{};
    for (auto _ : state) {
        const auto c0 = ThreadCpuTime();
        const auto t0 = Clock::now();
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        const auto c1 = ThreadCpuTime();
        StepFrame(dib, Params);
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        const auto c2 = ThreadCpuTime();
        copying += t1 - t0;
        stepping += t2 - t1;
        copyingCpu += c1 - c0;
        steppingCpu += c2 - c1;
    }
    state.counters["ratio"] = std::chrono::duration<double>(stepping).count() /
                              std::chrono::duration<double>(copying).count();
    state.counters["cpu_ratio"] = std::chrono::duration<double>(steppingCpu).count() /
                                  std::chrono::duration<double>(copyingCpu).count();
    state.counters["memcpy_us"] =
        benchmark::Counter(std::chrono::duration<double, std::micro>(copyingCpu).count(),
                           benchmark::Counter::kAvgIterations);
    state.counters["step_us"] =
        benchmark::Counter(std::chrono::duration<double, std::micro>(steppingCpu).count(),
                           benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FrameStepOverMemcpy)->Unit(benchmark::kMicrosecond);

// One firing of the picture timer: the step and an immediate repaint of the display,
// stretched over a surface of the given size as the main window shows it.
void BM_StepAndPaint(benchmark::State& state) {
    TDXPaintBox box;
    box.SetStretch(true);
    box.SetCenter(true);
    box.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    FillPicture(box.DIB(), 1920, 1080);
    box.show();
    QApplication::processEvents();
    for (auto _ : state) {
        RunFrameStep(box, Params);
    }
}
BENCHMARK(BM_StepAndPaint)->Args({1920, 1080})->Args({566, 244})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
