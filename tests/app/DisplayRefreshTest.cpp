// SPDX-License-Identifier: GPL-3.0-or-later
// The display's refresh rate from the times of its frames and from an X video mode's timings.
#include "app/DisplayRefresh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {
// The intervals between frame times on a grid of period ns, each stamp late by late(i) ns.
std::vector<int64_t> Intervals(int64_t period, size_t n, int64_t (*late)(size_t)) {
    std::vector<int64_t> out;
    for (size_t i = 1; i <= n; ++i) {
        const auto at = [&](size_t k) { return static_cast<int64_t>(k) * period + late(k); };
        out.push_back(at(i) - at(i - 1));
    }
    return out;
}
} // namespace

TEST(DisplayRefresh, TheFramesGridWhenTheRateHolds) {
    // 60 Hz frames answered with a little jitter, one 8 ms late, one frame missed.
    std::vector<int64_t> frames =
        Intervals(16'666'667, 40, [](size_t i) -> int64_t { return i == 9 ? 8'000'000 : 0; });
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] += (i % 2 ? 100'000 : -100'000);
    frames[20] += frames[21];
    frames.erase(frames.begin() + 21);
    EXPECT_NEAR(RefreshFromIntervals(frames), 60, 0.01);
    // A headless compositor's 40 Hz, answered 20 and 30 ms apart in turn.
    EXPECT_NEAR(RefreshFromIntervals(Intervals(
                    25'000'000, 48, [](size_t i) -> int64_t { return i % 2 ? -5'000'000 : 0; })),
                40, 1e-6);

    // Too few, a rate that changes half way, or no rate a display runs at: unknown.
    EXPECT_EQ(RefreshFromIntervals(std::vector<int64_t>(5, 16'666'667)), 0);
    std::vector<int64_t> changing(20, 10'000'000);
    changing.resize(40, 30'000'000);
    EXPECT_EQ(RefreshFromIntervals(changing), 0);
    EXPECT_EQ(RefreshFromIntervals(std::vector<int64_t>(40, 0)), 0);           // no wait at all
    EXPECT_EQ(RefreshFromIntervals(std::vector<int64_t>(40, 100'000'000)), 0); // 10 Hz
}

TEST(DisplayRefresh, AVideoModesRateIsItsPixelClockOverItsWholeFrame) {
    // 1920 x 1080 at 60 Hz (CEA-861), and the 59.94 Hz of the same with a slower clock.
    EXPECT_NEAR(VideoModeRefreshHz(148'500'000, 2200, 1125, false, false), 60, 1e-9);
    EXPECT_NEAR(VideoModeRefreshHz(148'351'648, 2200, 1125, false, false), 59.94, 0.001);
    EXPECT_NEAR(VideoModeRefreshHz(74'250'000, 2200, 1125, true, false), 60, 1e-9);
    EXPECT_NEAR(VideoModeRefreshHz(25'175'000, 800, 525, false, true), 29.97, 0.01);
    // A virtual server's mode has a size and no timings.
    EXPECT_EQ(VideoModeRefreshHz(0, 0, 0, false, false), 0);
    EXPECT_EQ(VideoModeRefreshHz(0, 1280, 1024, false, false), 0);
}
