// SPDX-License-Identifier: GPL-3.0-or-later
// Changes of rate, pan and volume land at the output frame of their moment, inside the
// block being mixed, in order, and none is lost when they come faster than they are mixed.

#include "SoundTestSupport.h"
#include "audio/FrameClock.h"
#include "audio/SoundMixer.h"
#include "audio/SoundOutput.h"
#include "common/LoopingSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

using namespace soundtest;

namespace {

struct OfflineSound {
    OfflineOutput offline;
    std::shared_ptr<IDirectSound> device;
    std::shared_ptr<IDirectSoundBuffer> buffer;

    // Plays a looping sound: a constant half level, or a stereo sine when tone is set.
    explicit OfflineSound(bool tone) {
        EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        std::vector<int16_t> samples(2 * 2205);
        for (size_t i = 0; i < samples.size(); ++i) {
            samples[i] = tone ? static_cast<int16_t>(12000 * std::sin(0.05 * double(i))) : 16384;
        }
        buffer = PlayLooping(*device, 22050, samples);
    }

    std::vector<float> Out(uint32_t frames) {
        std::vector<float> out(2 * static_cast<size_t>(frames));
        EXPECT_EQ(device->RenderOffline(out.data(), frames), DS_OK);
        return out;
    }
};

// A modulation step every 88 frames (2 ms) over frames [0, frames), rendered in pieces of
// the given size; each piece's steps are made before it is rendered, at their own frames.
std::vector<float> RenderSteps(uint32_t frames, uint32_t piece) {
    OfflineSound sound(true);
    std::vector<float> out;
    uint32_t step = 0;
    for (uint32_t at = 0; at < frames; at += piece) {
        for (; step * 88 < at + piece; ++step) {
            sound.device->SetOfflineTime(step * 88);
            sound.buffer->SetPan(static_cast<int32_t>((step % 10) * 100) - 500);
            sound.buffer->SetFrequency(22050 + (step % 7) * 300);
            sound.buffer->SetVolume(-static_cast<int32_t>((step % 5) * 200));
        }
        const auto part = sound.Out(piece);
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

} // namespace

TEST(TimedChanges, AChangeStartsAtExactlyItsFrameInsideTheBlock) {
    OfflineSound sound(false);
    EXPECT_FLOAT_EQ(sound.Out(100)[2 * 99], 0.5f);
    // Made "now", after 100 frames: the glide begins with the next frame rendered.
    sound.buffer->SetPan(600);
    sound.device->SetOfflineTime(1000);
    sound.buffer->SetPan(10000);
    const auto out = sound.Out(1948); // frames 100..2047 in one block
    EXPECT_LT(out[2 * 0], 0.5f);
    const float panned = 0.5f * std::pow(10.0f, -600 / 2000.0f);
    EXPECT_NEAR(out[2 * 899], panned, 1e-5); // frame 999
    EXPECT_LT(out[2 * 900], panned - 1e-4);  // frame 1000: the glide to silence has begun
    EXPECT_EQ(out[2 * 1947], 0.0f);
    int32_t mixed = 0;
    sound.buffer->GetMixedPan(&mixed);
    EXPECT_EQ(mixed, 10000);
}

TEST(TimedChanges, ARenderIsTheSameWhateverPiecesItIsPulledIn) {
    const auto large = RenderSteps(8192, 512);
    const auto small = RenderSteps(8192, 64);
    ASSERT_EQ(large.size(), small.size());
    size_t differing = 0;
    for (size_t i = 0; i < large.size(); ++i)
        differing += large[i] != small[i];
    EXPECT_EQ(differing, 0u);
}

TEST(TimedChanges, AFullRingNeverWaitsAndTheLastValuesStillArrive) {
    OfflineSound sound(false);
    const uint32_t calls = MixerVoice::kChangeCapacity + 904;
    for (uint32_t i = 0; i < calls; ++i)
        ASSERT_EQ(sound.buffer->SetPan(static_cast<int32_t>(i % 2000)), DS_OK);
    EXPECT_EQ(sound.buffer->OverflowedChanges(), 904u);
    int32_t pan = 0;
    sound.buffer->GetPan(&pan);
    EXPECT_EQ(pan, int32_t((calls - 1) % 2000));
    const auto out = sound.Out(1024);
    sound.buffer->GetMixedPan(&pan);
    EXPECT_EQ(pan, int32_t((calls - 1) % 2000));
    EXPECT_NEAR(out[2 * 1023], 0.5f * std::pow(10.0f, -pan / 2000.0f), 1e-5);
}

// Pulls of `length` frames from an output that consumes `rate` frames per second of the steady
// clock, each asked for up to `jitter` ns late, from frame `first` on; answers the true time
// of the next pull.
int64_t Pull(FrameClock& clock, uint64_t& frame, int64_t t, double rate, int count,
             int64_t jitter = 0, uint32_t length = 256) {
    for (int i = 0; i < count; ++i, frame += length) {
        clock.BeginPull(frame, t + (jitter ? (i * 7919) % jitter : 0));
        t += int64_t(length * 1e9 / rate);
    }
    return t;
}

TEST(TimedChanges, TheRealTimeClockFollowsThePullsSmoothlyAndStartsAfreshAfterAStall) {
    FrameClock clock(FrameClock::Mode::RealTime, 44100);
    clock.SetLatencyFrames(512);
    const int64_t t0 = 1'000'000'000;
    clock.BeginPull(0, t0);
    EXPECT_EQ(clock.FrameOf(t0), 512);
    EXPECT_EQ(clock.FrameOf(t0 + 10'000'000), 512 + 441);
    uint64_t frame = 256;
    int64_t t = Pull(clock, frame, t0 + 5'804'988, 44100, 400);
    // Locked on: a pull 2 ms late moves the clock by a small share of that, not by 2 ms.
    const int64_t before = clock.FrameOf(t + 10'000'000);
    clock.BeginPull(frame, t + 2'000'000);
    EXPECT_LE(std::abs(clock.FrameOf(t + 10'000'000) - before), 4);
    // Changes made during a stall of a fifth of a second would all be late: the clock starts
    // again from the pull that ends it.
    const int64_t resumed = t + 200'000'000;
    clock.BeginPull(frame + 256, resumed);
    EXPECT_EQ(clock.FrameOf(resumed), int64_t(frame + 256 + 512));
}

TEST(TimedChanges, TheRealTimeClockLearnsAnOutputThatRunsOffItsNominalRate) {
    // 14 % fast, 3 % slow: a change stamped at a moment still lands at the frame the output
    // plays at that moment, once the clock has followed it for a second.
    for (const double rate : {50400.0, 42777.0}) {
        FrameClock clock(FrameClock::Mode::RealTime, 44100);
        const int64_t t0 = 5'000'000'000;
        uint64_t frame = 0;
        const int64_t t = Pull(clock, frame, t0, rate, int(rate / 256), 400'000);
        EXPECT_NEAR(clock.MeasuredRate(), rate, rate * 0.005);
        for (const int64_t ahead : {0, 2'000'000, 4'000'000}) {
            const double truth = double(frame) + double(ahead) * rate / 1e9;
            EXPECT_NEAR(double(clock.FrameOf(t + ahead)), truth, 25.0) << rate << " " << ahead;
        }
    }
}

TEST(TimedChanges, TheRealTimeClockLocksOnForEveryPullLength) {
    // Up to the 93 ms a server may hand out at once, from an output 3 % fast: at the end of each
    // pull the clock's frame for "now" is compared with the frame the output really plays. The
    // errors shrink from one second to the next and end within a few frames.
    for (const uint32_t length : {256u, 1024u, 2048u, 4096u, 8192u}) {
        FrameClock clock(FrameClock::Mode::RealTime, 44100);
        const double rate = 45423.0;
        const int pullsPerSecond = int(rate / length) + 1;
        uint64_t frame = 0;
        int64_t t = 7'000'000'000;
        std::vector<double> worst; // per second, from the second pull on
        for (int second = 0; second < 4; ++second) {
            double error = 0;
            for (int i = 0; i < pullsPerSecond; ++i) {
                t = Pull(clock, frame, t, rate, 1, 0, length);
                if (second == 0 && i == 0) continue;
                error = std::max(error, std::abs(double(clock.FrameOf(t)) - double(frame)));
            }
            worst.push_back(error);
        }
        SCOPED_TRACE(length);
        EXPECT_LT(worst[1], worst[0] + 1);
        EXPECT_LE(worst[2], worst[1] + 1);
        EXPECT_LE(worst[3], 8.0);
        EXPECT_NEAR(clock.MeasuredRate(), rate, rate * 0.001);
    }
}

TEST(TimedChanges, AStampInForceOnTheThreadReplacesTheMomentOfTheCall) {
    FrameClock live(FrameClock::Mode::RealTime, 44100), offline(FrameClock::Mode::Offline, 44100);
    offline.SetOfflineNow(1000);
    {
        const ScopedChangeStamp stamp(123'456'789);
        EXPECT_EQ(live.Now(), 123'456'789);
        EXPECT_EQ(offline.Now(), 1000); // offline stamps are frames
        int64_t inner = 0;
        std::thread([&] { inner = live.Now(); }).join();
        EXPECT_NE(inner, 123'456'789); // other threads keep the moment of their call
    }
    EXPECT_GT(live.Now(), 123'456'789);
}

TEST(TimedChanges, AnOutputCountsThePullsThatFoundItRunDry) {
    // Blocks of 256 frames at 44100 Hz (5.8 ms), pulled on a simulated steady clock.
    UnderrunCount count;
    const double block = 256 * 1e9 / 44100;
    int64_t t = 1'000'000'000;
    auto pullAt = [&](double late) { count.Pull(t + int64_t(late), 256, 44100); };
    // A queue of three blocks filled at once, then one block a block, each up to most of a
    // block late or early: the output never runs dry.
    for (int i = 0; i < 3; ++i)
        pullAt(0);
    for (int i = 0; i < 1000; ++i) {
        t += int64_t(block);
        pullAt((i % 3 - 1) * 0.9 * block);
    }
    EXPECT_EQ(count.Count(), 0u);
    // A stall of six blocks empties the queue of three once; the reckoning goes on from there.
    t += int64_t(6 * block);
    pullAt(0);
    EXPECT_EQ(count.Count(), 1u);
    for (int i = 0; i < 100; ++i) {
        t += int64_t(block);
        pullAt(0);
    }
    EXPECT_EQ(count.Count(), 1u);
    // A stream opened afresh after a pause starts a new reckoning, not an underrun.
    count.Restart();
    t += 1'000'000'000;
    pullAt(0);
    EXPECT_EQ(count.Count(), 1u);
}

TEST(TimedChanges, AnOutputsReckoningShowsTheQueueItKeeps) {
    // A server that keeps four blocks queued: it takes four at once, then asks for one a block,
    // each pull up to most of a block late. The first frame of a pull plays after the three
    // handed before it, and that is the most any pull shows.
    UnderrunCount count;
    const double block = 256 * 1e9 / 44100;
    int64_t t = 1'000'000'000;
    std::vector<int64_t> queued;
    for (int i = 0; i < 4; ++i)
        queued.push_back(count.Pull(t, 256, 44100));
    EXPECT_EQ(queued,
              (std::vector<int64_t>{0, int64_t(block), int64_t(2 * block), int64_t(3 * block)}));
    for (int i = 0; i < 200; ++i) {
        t += int64_t(block);
        count.Pull(t + int64_t((i % 3) * 0.4 * block), 256, 44100);
    }
    EXPECT_NEAR(double(count.MostQueuedNs()), 3 * block, 1e3);
    // Run dry, the server still keeps the same queue; a stream opened afresh is measured anew.
    t += int64_t(10 * block);
    EXPECT_EQ(count.Pull(t, 256, 44100), 0);
    EXPECT_EQ(count.Count(), 1u);
    EXPECT_NEAR(double(count.MostQueuedNs()), 3 * block, 1e3);
    count.Restart();
    EXPECT_EQ(count.Pull(t + int64_t(block), 256, 44100), 0);
    EXPECT_EQ(count.MostQueuedNs(), 0);
    EXPECT_NEAR(double(count.Pull(t + int64_t(block), 256, 44100)), block, 1e3);
}
