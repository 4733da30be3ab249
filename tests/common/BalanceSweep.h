// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sweep of pan steps and how to find its levels in a recording: a stepper that runs at due
// times on the steady clock, and the search for each step's balance in order.

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

namespace sweep {

// Runs f(i, due) count times on a thread of its own at the best priority the system grants,
// step i due at i periods after the start; due is in steady-clock nanoseconds. Steps are due
// on a grid, so a late wake-up does not delay the ones after it.
template <typename F> void Every(std::chrono::microseconds period, int count, F f) {
    std::thread stepper([&] {
        sched_param param{};
        param.sched_priority = 20;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        const int64_t origin = int64_t(start.tv_sec) * 1'000'000'000 + start.tv_nsec;
        for (int i = 0; i < count; ++i) {
            const int64_t due = origin + int64_t(i) * period.count() * 1000;
            const timespec at{time_t(due / 1'000'000'000), long(due % 1'000'000'000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
            f(i, due);
        }
    });
    stepper.join();
}

// Balance of a recorded stereo frame in hundredths of a decibel, as a pan sets it.
inline double Balance(const std::vector<float>& rec, size_t frame) {
    return 2000.0 * std::log10(double(rec[2 * frame + 1]) / double(rec[2 * frame]));
}

// For each of count levels pan(i), the frame after which the recording first held it within a
// hundredth of a decibel for five frames running, searched in order; 0 where it was not found.
template <typename Pan>
std::vector<size_t> FindLevels(const std::vector<float>& rec, int count, Pan pan) {
    const size_t frames = rec.size() / 2;
    std::vector<size_t> foundAt(size_t(count), 0);
    size_t at = 0;
    for (int i = 0; i < count; ++i) {
        int run = 0;
        for (size_t f = at; f < frames; ++f) {
            const bool level = rec[2 * f] > 0.01f && rec[2 * f + 1] > 0.01f &&
                               std::abs(Balance(rec, f) - pan(i)) <= 1.0;
            run = level ? run + 1 : 0;
            if (run == 5) {
                foundAt[size_t(i)] = at = f + 1;
                break;
            }
        }
    }
    return foundAt;
}

} // namespace sweep
