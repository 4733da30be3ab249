// SPDX-License-Identifier: GPL-3.0-or-later
// The tone voice: a new beat lands at its own frame with the phase running on, Stop fades out
// without a click, and values the voice cannot play are refused.

#include "SoundTestSupport.h"
#include "audio/SoundTone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace soundtest;

namespace {

struct OfflineTone {
    OfflineOutput offline;
    std::shared_ptr<IDirectSound> device;

    OfflineTone() {
        EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        EXPECT_EQ(device->SetToneMode(DSTONE_BINAURAL), DS_OK);
        EXPECT_EQ(device->SetToneCarrier(200000), DS_OK);
        EXPECT_EQ(device->SetToneBeat(10000), DS_OK);
        EXPECT_EQ(device->SetToneVolume(0), DS_OK);
        EXPECT_EQ(device->PlayTone(), DS_OK);
    }
    std::vector<float> Out(uint32_t frames) {
        std::vector<float> out(2 * static_cast<size_t>(frames));
        EXPECT_EQ(device->RenderOffline(out.data(), frames), DS_OK);
        return out;
    }
};

double Cycles(double hz, double frames) {
    return hz * frames / 44100.0;
}

} // namespace

TEST(ToneVoice, ANewBeatLandsAtItsFrameAndTheWaveRunsOn) {
    OfflineTone tone;
    const uint32_t change = 10000; // well after the fade-in
    tone.device->SetOfflineTime(change);
    tone.device->SetToneBeat(20000);
    const std::vector<float> out = tone.Out(12000);
    // The right ear: 210 Hz up to the change, 220 Hz from it, one unbroken wave.
    for (uint32_t f = change - 3; f < change + 3; ++f) {
        const double phase =
            f < change ? Cycles(210, f) : Cycles(210, change) + Cycles(220, f - change);
        EXPECT_NEAR(out[2 * f + 1], std::sin(2 * std::numbers::pi * phase), 2e-5) << f;
        EXPECT_NEAR(out[2 * f], std::sin(2 * std::numbers::pi * Cycles(200, f)), 2e-5) << f;
    }
}

TEST(ToneVoice, StopFadesOutWithoutAClickAndPlayFadesIn) {
    OfflineTone tone;
    tone.Out(5000);
    tone.device->StopTone();
    const std::vector<float> out = tone.Out(2000);
    const double slope = 2 * std::numbers::pi * 210 / 44100.0;
    float worst = 0;
    for (size_t i = 2; i < out.size(); ++i)
        worst = std::max(worst, std::fabs(out[i] - out[i - 2]));
    EXPECT_LE(worst, slope * 1.1);
    EXPECT_GT(std::fabs(out[2 * 100]) + std::fabs(out[2 * 100 + 1]), 0.0f) << "not cut off";
    for (size_t f = 441 + 1; f < 2000; ++f)
        ASSERT_EQ(out[2 * f], 0.0f) << "silent 10 ms after Stop, at " << f;
    // Stopped, the tone stays silent; Play brings it back by a glide.
    tone.device->PlayTone();
    const std::vector<float> again = tone.Out(1000);
    EXPECT_LT(std::fabs(again[2 * 10]), 0.05f);
    EXPECT_GT(Rms(again, 0, 500, 1000), 0.6);
}

TEST(ToneVoice, RefusesWhatItCannotPlayAndKeepsTheLastValue) {
    OfflineTone tone;
    EXPECT_EQ(tone.device->SetToneMode(3), DSERR_INVALIDPARAM);
    EXPECT_EQ(tone.device->SetToneCarrier(DSTONE_CARRIER_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(tone.device->SetToneBeat(DSTONE_BEAT_MAX + 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(tone.device->SetToneVolume(1), DSERR_INVALIDPARAM);
    const std::vector<float> out = tone.Out(44100);
    double rises = 0;
    for (size_t f = 1; f < 44100; ++f)
        rises += out[2 * (f - 1)] < 0 && out[2 * f] >= 0;
    EXPECT_NEAR(rises, 200, 1);
}

TEST(ToneVoice, ABeatOffTheRunsPhaseGlidesToItWithoutAClick) {
    OfflineTone tone;
    tone.Out(44100);
    // A quarter of a beat ahead of where the beat stands: the right ear gets there over the
    // glide by a slightly faster beat, and the left ear keeps its carrier.
    const double beatPhase = Cycles(10, 44100) + 0.25;
    tone.device->SetTonePhase(static_cast<uint32_t>(std::fmod(beatPhase, 1.0) * 4294967296.0));
    const uint32_t glide = 44100 * ToneVoice::kSyncMs / 1000;
    const std::vector<float> out = tone.Out(glide + 2000);
    const double slope = 2 * std::numbers::pi * 210.1 / 44100.0;
    float worst = 0;
    for (size_t i = 3; i < out.size(); i += 2)
        worst = std::max(worst, std::fabs(out[i] - out[i - 2]));
    EXPECT_LE(worst, slope * 1.01) << "no click in the right ear";
    for (uint32_t f = glide + 100; f < glide + 110; ++f) {
        const double at = 44100.0 + f;
        EXPECT_NEAR(out[2 * f + 1], std::sin(2 * std::numbers::pi * (Cycles(210, at) + 0.25)), 1e-4)
            << f;
        EXPECT_NEAR(out[2 * f], std::sin(2 * std::numbers::pi * Cycles(200, at)), 2e-5) << f;
    }
}

TEST(ToneVoice, APhaseThatComesLateIsThePhaseItsMomentHasReached) {
    // The same phase for frame 4000, taken on time by one voice and at frame 10000 by another
    // (as at the start of a run whose sound runs ahead of the light): from then on both play
    // the same beat.
    FrameClock clock(FrameClock::Mode::Offline, 44100);
    ToneVoice onTime(44100), late(44100);
    const uint32_t phase = 0x40000000; // a quarter of a beat
    for (ToneVoice* tone : {&onTime, &late}) {
        tone->SetMode(ToneMode::Binaural, 0);
        tone->SetCarrier(200000, 0);
        tone->SetBeat(25000, 0);
        tone->SetVolume(0, 0);
    }
    onTime.SetPhase(phase, 4000);
    onTime.Play(10000);
    std::vector<float> a(2 * 12000), b(2 * 12000);
    onTime.MixInto(a.data(), 12000, 0, clock);
    late.MixInto(b.data(), 10000, 0, clock);
    late.SetPhase(phase, 4000);
    late.Play(10000);
    late.MixInto(b.data() + 2 * 10000, 2000, 10000, clock);
    double worst = 0;
    for (size_t i = 2 * 10000; i < b.size(); ++i)
        worst = std::max(worst, double(std::fabs(a[i] - b[i])));
    EXPECT_LT(worst, 1e-4);
    EXPECT_GT(Rms(b, 1, 11000, 12000), 0.5) << "the tone sounds";
}
