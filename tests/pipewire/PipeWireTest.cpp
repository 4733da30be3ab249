// SPDX-License-Identifier: GPL-3.0-or-later
// The real sound engine played into a private PipeWire, through the SDL driver that
// SDL_AUDIODRIVER names ("pipewire", the default here, or "pulseaudio" for PipeWire's
// PulseAudio service), recorded with pw-record. SDL opens one stream per process, so each
// driver runs in a process of its own.

#include "PrivatePipeWire.h"
#include "audio/FrameClock.h"
#include "audio/SoundDevice.h"
#include "common/LoopingSound.h"
#include "common/PanSteps.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <pthread.h>
#include <string>
#include <thread>
#include <time.h>

namespace {

void Wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

TEST(PipeWireTest, PanStepsEvery2MsAreHeardAsDistinctLevelsInOrder) {
    if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "pipewire", 1);
    const std::string driver = std::getenv("SDL_AUDIODRIVER");
    PrivatePipeWire server;
    ASSERT_TRUE(server.Start()) << server.Error();

    std::shared_ptr<IDirectSound> device;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    ASSERT_STREQ(device->OutputName(), "sdl") << "SDL could not open its " << driver << " driver";
    ASSERT_EQ(std::string(SDL_GetCurrentAudioDriver()), driver);

    // A constant level on both channels: the balance of every recorded frame is the pan.
    auto buffer = PlayLooping(*device, 44100, std::vector<int16_t>(2 * 4410, 16384), -3000);
    ASSERT_TRUE(buffer);
    Wait(300);
    // PipeWire's PulseAudio service marks the streams that come through it.
    const bool throughPulse =
        server.Streams().find("client.api = \"pipewire-pulse\"") != std::string::npos;
    EXPECT_EQ(throughPulse, driver == "pulseaudio") << server.Streams();

    const size_t from = server.RecordedFrames();
    constexpr int kSteps = 500;
    const auto pan = [](int i) { return -2495 + 10 * i; };
    // Each step stamped with its due time, as the program's sound timer does: a stepper that
    // wakes late on a busy machine still puts its step at its own frame.
    sweep::Every(std::chrono::microseconds(2000), kSteps, [&](int i, int64_t due) {
        const ScopedChangeStamp stamp(due);
        buffer->SetPan(pan(i));
    });
    // The recorder may lag behind the server on a busy machine: wait for the whole sweep.
    const size_t wanted = from + 44100 * (2 * kSteps + 300) / 1000;
    for (int i = 0; i < 200 && server.RecordedFrames() < wanted; ++i)
        Wait(50);
    const auto rec = server.RecordedSince(from);
    buffer->Stop();

    // pw-record's stream is one node of the graph like the program's: on a busy machine it
    // can miss a cycle, and the recording then lacks those frames.
    const PanStepsFound found = FindPanSteps(rec, kSteps, pan, true);
    ASSERT_LT(found.excused, kSteps / 2) << "silence or gaps in the recording for most steps";
    EXPECT_GE(found.heard, (kSteps - found.excused) * 99 / 100)
        << "of " << kSteps << " steps, " << found.excused << " lost in silence or gaps, in "
        << rec.size() / 2 << " recorded frames";
}
