// SPDX-License-Identifier: GPL-3.0-or-later
// The frame pacer: the display's period measured from its own frame times, one paint per
// frame at the time that frame will be shown, late and dropped frames counted, no vblank and
// a lost source handed back to the timer; and the reader of the X server's frame notices.
#include "picture/FramePacer.h"
#include "picture/FramePacerSources.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Clock = TFramePacer::Clock;
using std::chrono::nanoseconds;

TEST(FramePeriod, MeasuresAcrossJitterAndFramesNeverSeen) {
    TFramePeriod period;
    const int64_t p = 16'666'667;
    // Notices 1 ms late every other frame, and frames 5 and 9 never told.
    for (uint64_t n = 0; n < 12; ++n) {
        if (n == 5 || n == 9) continue;
        const int64_t jitter = n % 2 ? 1'000'000 : 0;
        EXPECT_TRUE(period.Add(1000 + n, static_cast<int64_t>(n) * p + jitter));
        if (period.PeriodNs() == 0) {
            EXPECT_LT(n, TFramePeriod::kNeeded);
        }
    }
    // Every other notice 1 ms late moves the line by far less than a notice's lateness.
    EXPECT_NEAR(period.PeriodNs(), p, p * 0.005);
    EXPECT_TRUE(period.Usable());
    // The same frame again, and a counter going back, which starts afresh.
    EXPECT_FALSE(period.Add(1011, 11 * p));
    EXPECT_TRUE(period.Add(3, 12 * p));
    EXPECT_EQ(period.PeriodNs(), 0);
}

TEST(FramePeriod, AFrameFarOffThePeriodStartsAfreshAndAStandInVblankIsNoDisplays) {
    TFramePeriod period;
    for (uint64_t n = 0; n < 8; ++n)
        period.Add(n, static_cast<int64_t>(n) * 10'000'000);
    EXPECT_DOUBLE_EQ(period.PeriodNs(), 10'000'000);
    // A frame a whole second later: the window went where frames come once a second.
    period.Add(8, 70'000'000 + 1'000'000'000);
    EXPECT_EQ(period.PeriodNs(), 0);
    for (uint64_t n = 9; n < 14; ++n)
        period.Add(n, 1'070'000'000 + static_cast<int64_t>(n - 8) * 1'000'000'000);
    EXPECT_DOUBLE_EQ(period.PeriodNs(), 1e9);
    EXPECT_FALSE(period.Usable());
}

class FakeSource : public TFrameSource {
public:
    explicit FakeSource(TFrameMode mode, int* requests) : mode_(mode), requests_(requests) {}
    void RequestFrame() override { ++*requests_; }
    TFrameMode Mode() const override { return mode_; }
    const char* ClockSource() const override { return "fake"; }

private:
    TFrameMode mode_;
    int* requests_;
};

struct Paced {
    QWidget widget;
    std::vector<Clock::time_point> paints;
    int requests = 0;
    TFramePacer pacer{widget, [this](Clock::time_point due, bool) { paints.push_back(due); }};
    explicit Paced(TFrameMode mode) {
        pacer.UseSource(std::make_unique<FakeSource>(mode, &requests));
    }
};

constexpr int64_t kPeriod = 2'000'000; // 500 Hz, so that the frames in the past stay near

TEST(FramePacer, PaintsOncePerFrameAtTheFrameItReachesAndCountsFramesSkipped) {
    Paced p(TFrameMode::Synchronised);
    p.pacer.RunStarted();
    EXPECT_EQ(p.requests, 1);
    EXPECT_FALSE(p.pacer.Pacing());
    // Frames up to now: the first ones only measure, the timer paints meanwhile.
    const Clock::time_point now = Clock::now();
    const uint64_t first = 500;
    for (uint64_t n = 0; n < TFramePeriod::kNeeded; ++n)
        p.pacer.FrameBegan(first + n, now - nanoseconds(kPeriod * (8 - static_cast<int64_t>(n))));
    // Measured from the fifth frame on; the frame it can still reach is some frames on.
    ASSERT_EQ(p.paints.size(), 1u);
    const auto lastAt = now - nanoseconds(kPeriod * 4);
    const auto ahead = (p.paints[0] - lastAt) / nanoseconds(kPeriod);
    EXPECT_GE(ahead, 4);
    EXPECT_EQ(p.paints[0], lastAt + nanoseconds(kPeriod * ahead));
    EXPECT_GE(p.paints[0], now);
    EXPECT_TRUE(p.pacer.Pacing());
    EXPECT_EQ(p.requests, 1 + static_cast<int>(TFramePeriod::kNeeded));
    // The frames in between got no picture: dropped. The same frame told again paints nothing.
    p.pacer.FrameBegan(first + 4, lastAt);
    EXPECT_EQ(p.paints.size(), 1u);
    TFrameStats stats = p.pacer.Stats();
    EXPECT_EQ(stats.Mode, TFrameMode::Synchronised);
    EXPECT_EQ(stats.Shown, 1u);
    EXPECT_EQ(stats.Dropped, 0u);
    EXPECT_NEAR(stats.RefreshHz, 500, 1e-6);
    EXPECT_STREQ(stats.ClockSource, "fake");
    // The frame after the one painted for, which itself never came: one frame dropped.
    const auto later = p.paints[0] + nanoseconds(kPeriod);
    p.pacer.FrameBegan(first + 4 + static_cast<uint64_t>(ahead) + 1, later);
    ASSERT_EQ(p.paints.size(), 2u);
    EXPECT_EQ((p.paints[1] - later) % nanoseconds(kPeriod), nanoseconds(0));
    EXPECT_GE(p.pacer.Stats().Dropped, 1u);
    p.pacer.RunStopped();
    EXPECT_FALSE(p.pacer.Pacing());
    // Stopped, frames measure and paint nothing.
    p.pacer.FrameBegan(first + 100, Clock::now());
    EXPECT_EQ(p.paints.size(), 2u);
    EXPECT_EQ(p.pacer.Stats().Shown, 2u);
}

TEST(FramePacer, APaintHeldPastItsFrameIsLate) {
    Paced p(TFrameMode::Synchronised);
    p.pacer.SetSlowEvery(2);
    p.pacer.RunStarted();
    // A display whose frames begin every period from an origin, each told as it begins.
    const Clock::time_point origin = Clock::now() - nanoseconds(kPeriod * 10);
    uint64_t last = 0;
    while (p.paints.size() < 6 && last < 100'000) {
        const auto counter = static_cast<uint64_t>((Clock::now() - origin) / nanoseconds(kPeriod));
        if (counter <= last) continue;
        last = counter;
        p.pacer.FrameBegan(counter, origin + nanoseconds(kPeriod * static_cast<int64_t>(counter)));
    }
    // Each paint was for the frame after the one told; the second, fourth and sixth held for
    // two periods past it.
    const TFrameStats stats = p.pacer.Stats();
    EXPECT_EQ(stats.Shown, 6u);
    EXPECT_GE(stats.Late, 3u);
    EXPECT_LE(stats.Late, 6u);
}

TEST(FramePacer, NoVblankALostSourceAndCallbacksWithoutTimes) {
    {
        // A stand-in vblank once a second: no display's, the timer paints.
        Paced p(TFrameMode::Synchronised);
        p.pacer.RunStarted();
        const Clock::time_point now = Clock::now();
        for (int64_t n = 0; n < 6; ++n)
            p.pacer.FrameBegan(static_cast<uint64_t>(n),
                               now - nanoseconds((6 - n) * 1'000'000'000));
        EXPECT_TRUE(p.paints.empty());
        EXPECT_FALSE(p.pacer.Pacing());
        const TFrameStats stats = p.pacer.Stats();
        EXPECT_EQ(stats.Mode, TFrameMode::Unsynchronised);
        EXPECT_EQ(stats.RefreshHz, 0);
        EXPECT_STREQ(stats.ClockSource, "timer");
    }
    {
        Paced p(TFrameMode::Synchronised);
        p.pacer.RunStarted();
        const Clock::time_point now = Clock::now();
        for (int64_t n = 0; n < 6; ++n)
            p.pacer.FrameBegan(static_cast<uint64_t>(n), now - nanoseconds((6 - n) * kPeriod));
        ASSERT_TRUE(p.pacer.Pacing());
        const size_t painted = p.paints.size();
        EXPECT_GE(painted, 1u);
        p.pacer.SourceLost("test");
        EXPECT_FALSE(p.pacer.Pacing());
        p.pacer.FrameBegan(20, Clock::now()); // nothing reaches a source that is gone
        EXPECT_EQ(p.paints.size(), painted);
        EXPECT_EQ(p.pacer.Stats().Mode, TFrameMode::Unsynchronised);
    }
    {
        // Frame callbacks: one paint each, due now, never late; no refresh is told.
        Paced p(TFrameMode::NoFeedback);
        p.pacer.RunStarted();
        for (int i = 0; i < 3; ++i)
            p.pacer.FrameRequested();
        EXPECT_EQ(p.paints.size(), 3u);
        EXPECT_EQ(p.requests, 4);
        EXPECT_TRUE(p.pacer.Pacing());
        const TFrameStats stats = p.pacer.Stats();
        EXPECT_EQ(stats.Mode, TFrameMode::NoFeedback);
        EXPECT_EQ(stats.Shown, 3u);
        EXPECT_EQ(stats.RefreshHz, 0);
        EXPECT_STREQ(FrameModeKey(stats.Mode), "no presentation feedback");
    }
}

// A complete notification as the connection stores it.
std::vector<uint8_t> Notice(uint32_t length = 2) {
    std::vector<uint8_t> b(std::max<size_t>(44, 36 + size_t{length} * 4), 0);
    b[0] = 35; // generic event
    b[1] = 140;
    std::memcpy(&b[4], &length, 4);
    const uint16_t type = 1;
    std::memcpy(&b[8], &type, 2);
    b[10] = 1; // of a frame counter
    const uint32_t event = 7, window = 0x400001, serial = 9;
    std::memcpy(&b[12], &event, 4);
    std::memcpy(&b[16], &window, 4);
    std::memcpy(&b[20], &serial, 4);
    const uint64_t ust = 123456789, msc = 4242;
    std::memcpy(&b[24], &ust, 8);
    std::memcpy(&b[36], &msc, 8);
    return b;
}

TEST(PresentNotice, ReadsOnlyACompleteFrameNoticeOfItsOwnWholeAndInSize) {
    TPresentComplete out;
    std::vector<uint8_t> b = Notice();
    ASSERT_TRUE(DecodePresentComplete(b.data(), b.size(), 140, 7, 0x400001, out));
    EXPECT_EQ(out.Serial, 9u);
    EXPECT_EQ(out.Ust, 123456789u);
    EXPECT_EQ(out.Msc, 4242u);
    // Every field that makes it someone else's, or bytes it does not have.
    const auto rejects = [](std::vector<uint8_t> v, size_t size) {
        TPresentComplete o;
        return !DecodePresentComplete(v.data(), size, 140, 7, 0x400001, o);
    };
    EXPECT_TRUE(rejects(b, b.size() - 1));
    EXPECT_TRUE(rejects(b, 32));
    EXPECT_FALSE(DecodePresentComplete(nullptr, 44, 140, 7, 0x400001, out));
    for (const auto& [at, value] : std::vector<std::pair<size_t, uint8_t>>{
             {0, 35 | 0x80}, {1, 141}, {8, 2}, {10, 0}, {12, 8}, {16, 2}}) {
        std::vector<uint8_t> v = b;
        v[at] = value;
        EXPECT_TRUE(rejects(v, v.size())) << at;
    }
    // A length too short for the counter, or longer than the bytes there are.
    std::vector<uint8_t> shortLength = Notice(1);
    EXPECT_TRUE(rejects(shortLength, 44));
    std::vector<uint8_t> longLength = b;
    const uint32_t huge = 0x40000000;
    std::memcpy(&longLength[4], &huge, 4);
    EXPECT_TRUE(rejects(longLength, longLength.size()));
    // A longer notice (a later version's) still reads.
    std::vector<uint8_t> longer = Notice(6);
    EXPECT_FALSE(rejects(longer, longer.size()));
}

} // namespace
