// SPDX-License-Identifier: GPL-3.0-or-later
// When a follower sets the frequency and the knobs as its session's clock moves on.
#include "session/SessionFollower.h"
#include "session/SessionClock.h"
#include "session/SessionFile.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Recorder : TSessionTarget {
    std::vector<std::string> calls;
    void SetFrequency(int32_t milli) override { calls.push_back("f" + std::to_string(milli)); }
    void SetKnob(TSessionKnob knob, int value) override {
        calls.push_back("k" + std::to_string(static_cast<int>(knob)) + "=" + std::to_string(value));
    }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }
};

using Calls = std::vector<std::string>;

TEST(SessionFollower, SetsChangedFrequencyAtMostEvery50msAndKnobsAtTheirPoints) {
    const TSession s = ParseSession("0:00 10.0 am=3\n"
                                    "0:01 10.0\n"
                                    "0:02 11.0 am=5 half=on\n"
                                    "0:03 11.0\n",
                                    "s");
    TSessionFollower follower(s);
    Recorder r;
    EXPECT_FALSE(follower.Follow(0, r));
    EXPECT_EQ(r.Take(), (Calls{"f10000", "k1=3"})); // frequency first, then the point's knobs
    follower.Follow(25, r);
    follower.Follow(1000, r); // a point without knobs, on a level stretch
    EXPECT_EQ(r.Take(), Calls{});
    follower.Follow(1025, r);
    follower.Follow(1050, r); // changed, but only 25 ms after the last setting
    follower.Follow(1075, r);
    EXPECT_EQ(r.Take(), (Calls{"f10025", "f10075"}));

    follower.ReleaseFrequency(); // moved by hand: left alone until the next point
    follower.Follow(1500, r);
    EXPECT_EQ(r.Take(), Calls{});
    EXPECT_FALSE(follower.Follow(2000, r));
    EXPECT_EQ(r.Take(), (Calls{"f11000", "k1=5", "k4=1"}));
    EXPECT_TRUE(follower.FrequencyHeld());
    EXPECT_TRUE(follower.Follow(3000, r));
    EXPECT_EQ(r.Take(), Calls{});

    follower.Rewind();
    follower.Follow(0, r);
    EXPECT_EQ(r.Take(), (Calls{"f10000", "k1=3"}));
}

TEST(SessionClock, RunsOnlyWhileStartedAndRewindsToZero) {
    int64_t now = 1000;
    TSessionClock clock([&] { return now; });
    now += 500;
    EXPECT_EQ(clock.ElapsedMs(), 0);
    clock.Start();
    now += 300;
    EXPECT_EQ(clock.ElapsedMs(), 300);
    clock.Pause();
    now += 10000;
    EXPECT_EQ(clock.ElapsedMs(), 300);
    clock.Start();
    now += 200;
    EXPECT_EQ(clock.ElapsedMs(), 500);
    clock.Rewind();
    EXPECT_FALSE(clock.Running());
    EXPECT_EQ(clock.ElapsedMs(), 0);
}

} // namespace
