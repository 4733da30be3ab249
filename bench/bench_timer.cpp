// SPDX-License-Identifier: GPL-3.0-or-later
// The threaded timer with an empty handler at the sound timer's shortest pause (2 ms) and at
// 20 ms: the median cost of one hand-over to the GUI thread (the worker's blocking call, round
// trip), the mean period divided by Interval, the 99th-percentile lateness of a firing (period
// minus Interval), and the heap allocations per firing in every thread of the process, counted
// by wrapping malloc, calloc and realloc (operator new goes through malloc). Runs a real event
// loop on the main thread; the one-minute load average of the machine is reported beside.
#include "timing/ThdTimer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {
std::atomic<uint64_t> allocations{0};
} // namespace

// The address sanitizer has its own allocator: there the wrappers stay out and nothing is counted.
#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
}
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void BM_ThreadedTimer(benchmark::State& state) {
    const auto interval = static_cast<uint16_t>(state.range(0));
    const int firings = static_cast<int>(state.range(1));
    for (auto _ : state) {
        std::vector<Clock::time_point> at;
        std::vector<double> handOverUs;
        uint64_t allocationsAtFirst = 0;
        uint64_t allocationsAtLast = 0;
        at.reserve(firings);
        handOverUs.reserve(firings);
        QEventLoop loop;
        TThreadedTimer timer;
        timer.SetThreadPriority(interval <= 2 ? tpTimeCritical : tpHigher);
        timer.SetInterval(interval);
        timer.SetOnTimer([&](TThreadedTimer* sender) {
            const uint64_t allocated = allocations.load(std::memory_order_relaxed);
            if (at.empty()) allocationsAtFirst = allocated;
            allocationsAtLast = allocated;
            at.push_back(Clock::now());
            // The previous firing's hand-over has completed by now.
            if (at.size() > 1) handOverUs.push_back(sender->Worker().LastHandOverNs() / 1000.0);
            if (static_cast<int>(at.size()) == firings) {
                sender->SetEnabled(false);
                loop.quit();
            }
        });
        const auto start = Clock::now();
        loop.exec();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());

        std::vector<double> latenessUs;
        double periodSum = 0;
        for (std::size_t i = 1; i < at.size(); ++i) {
            const double periodUs =
                std::chrono::duration<double, std::micro>(at[i] - at[i - 1]).count();
            periodSum += periodUs;
            latenessUs.push_back(periodUs - interval * 1000.0);
        }
        const double meanPeriodUs = periodSum / static_cast<double>(at.size() - 1);
        state.counters["handover_median_us"] = Percentile(handOverUs, 0.5);
        state.counters["handover_p99_us"] = Percentile(handOverUs, 0.99);
        state.counters["period_per_interval"] = meanPeriodUs / (interval * 1000.0);
        state.counters["lateness_p99_us"] = Percentile(latenessUs, 0.99);
        state.counters["lateness_median_us"] = Percentile(latenessUs, 0.5);
        state.counters["allocs_per_firing"] =
            static_cast<double>(allocationsAtLast - allocationsAtFirst) /
            static_cast<double>(at.size() - 1);
        double load[1] = {0};
        getloadavg(load, 1);
        state.counters["load1"] = load[0];
    }
}

BENCHMARK(BM_ThreadedTimer)
    ->Args({2, 2000})
    ->Args({20, 300})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
