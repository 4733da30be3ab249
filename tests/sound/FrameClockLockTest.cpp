// SPDX-License-Identifier: GPL-3.0-or-later
// The frame clock's locking loop against outputs as they really pull: pulls of every length a
// sound server hands out, each asked for a little late, now and then much later, from an output
// whose crystal is not quite its nominal rate.
#include "audio/FrameClock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

namespace {

// An error below this is not heard against the light, and is a tenth of a picture step at the
// highest frequency (35 Hz, a step every 14 ms); the pulls' own lateness (up to 1 ms, its mean
// 0.5 ms, which no clock can tell from the output's time) is inside it.
constexpr double kBoundMs = 2.0;

struct TLockRun {
    double FirstSecondMs = 0; // the largest error over the first second
    int SettlingPulls = 0;    // the pulls before the error stays below the bound
    double SettledMs = 0;     // the largest error after that
    double RateError = 0;     // the learnt rate against the true one, a share
};

// Follows an output of `trueRate` frames a second (nominal `rate`) for `seconds`, pulled
// `length` frames at a time. Every pull is asked for up to 1 ms late, one in 25 up to 6 ms more
// (the thread preempted). After each pull the clock's frame for the moment the output really
// reached the pull's first frame is compared with that frame.
TLockRun Follow(uint32_t rate, double trueRate, uint32_t length, double seconds) {
    FrameClock clock(FrameClock::Mode::RealTime, rate);
    constexpr uint32_t kLatency = 1024;
    clock.SetLatencyFrames(kLatency);
    std::mt19937 random(length + rate); // the same draws on every run
    const auto uniform = [&random] { return double(random()) / 4294967296.0; };
    const double t0 = 3e9;
    TLockRun run;
    const int pulls = int(seconds * trueRate / length);
    std::vector<double> errors;
    for (int k = 0; k < pulls; ++k) {
        const uint64_t frame = uint64_t(k) * length;
        const double truth = t0 + double(frame) * 1e9 / trueRate;
        double late = uniform() * 1e6;
        if (uniform() < 0.04) late += uniform() * 6e6;
        clock.BeginPull(frame, int64_t(truth + late));
        const double off = double(clock.FrameOf(int64_t(truth)) - kLatency) - double(frame);
        errors.push_back(std::abs(off) * 1000.0 / trueRate);
        if (double(frame) < trueRate)
            run.FirstSecondMs = std::max(run.FirstSecondMs, errors.back());
    }
    run.SettlingPulls = int(errors.size());
    while (run.SettlingPulls > 0 && errors[size_t(run.SettlingPulls) - 1] < kBoundMs)
        --run.SettlingPulls;
    for (size_t k = size_t(run.SettlingPulls); k < errors.size(); ++k)
        run.SettledMs = std::max(run.SettledMs, errors[k]);
    run.RateError = std::abs(clock.MeasuredRate() - trueRate) / trueRate;
    return run;
}

} // namespace

// Every pull length from 256 frames (5 ms) to 8192 (186 ms at 44.1 kHz) settles within the bound
// in a bounded number of pulls and stays there for a minute, the slow output and the fast one,
// at both rates.
TEST(FrameClockLock, EveryPullLengthSettlesWithinTwoMillisecondsAndStays) {
    for (const uint32_t rate : {44100u, 48000u}) {
        for (const double drift : {1.003, 0.998}) {
            for (const uint32_t length : {256u, 512u, 1024u, 4096u, 8192u}) {
                const TLockRun run = Follow(rate, rate * drift, length, 60);
                std::printf("rate %u drift %+.1f%% pull %5u: first second %6.2f ms, settled after "
                            "%3d pulls, then at most %4.2f ms; rate off by %.0e\n",
                            rate, (drift - 1) * 100, length, run.FirstSecondMs, run.SettlingPulls,
                            run.SettledMs, run.RateError);
                SCOPED_TRACE(testing::Message() << rate << " Hz, " << drift << ", " << length);
                // Two seconds of pulls at most, and never fewer than the loop needs to lock.
                EXPECT_LE(run.SettlingPulls, std::max(20, int(2.0 * rate / length)));
                EXPECT_LT(run.SettledMs, kBoundMs);
                EXPECT_LT(run.RateError, 1e-3);
            }
        }
    }
}
