// SPDX-License-Identifier: GPL-3.0-or-later
// The tone's level against the sound as heard, and a mix that never reaches full scale: each
// default sound under each tone at Volume 10, and a full-scale sound under a tone as loud.

#include "SoundTestSupport.h"
#include "sound/DXSounds.h"
#include "sound/ModulationStep.h"
#include "sound/Tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

using namespace soundtest;

namespace {

constexpr uint32_t kRate = 44100;

// A device with one looping sound at a Volume position and a tone of 10 Hz on 200 Hz.
struct Mix {
    OfflineOutput offline;
    TDirectSound device{nullptr};
    TDirectSoundBuffer sound{device};

    void Start(TToneMode mode, int32_t position, int32_t levelDb) {
        ApplyVolumeStep(position, &sound);
        SetToneMode(device, mode);
        SetToneCarrier(device, 200);
        SetToneBeat(device, 10.0L);
        ApplyToneVolume(device, position, levelDb);
        sound.Play(DSBPLAY_LOOPING);
    }
};

double Db(double x) {
    return 20.0 * std::log10(x);
}

// Both channels' root mean square over whole frames from a frame on.
double Loudness(const std::vector<float>& out, size_t from) {
    const size_t frames = out.size() / 2;
    const double l = Rms(out, 0, from, frames), r = Rms(out, 1, from, frames);
    return std::sqrt((l * l + r * r) / 2);
}

// The loudness while it sounds: that of its loudest 10 ms, where an isochronic pulse is on.
double Sounding(const std::vector<float>& out, size_t from) {
    double loudest = 0;
    for (size_t at = from; at + 441 <= out.size() / 2; at += 441) {
        const double l = Rms(out, 0, at, at + 441), r = Rms(out, 1, at, at + 441);
        loudest = std::max(loudest, std::sqrt((l * l + r * r) / 2));
    }
    return loudest;
}

// Samples at full scale, where the output cuts the wave off.
size_t Clipped(const std::vector<float>& out) {
    return static_cast<size_t>(
        std::count_if(out.begin(), out.end(), [](float x) { return std::fabs(x) >= 1.0f; }));
}

} // namespace

TEST(ToneLevel, TheToneIsItsLevelBelowEachDefaultSoundAsHeardAndTheMixNeverClips) {
    for (const char* name : {"Drone", "Surf", "Bell", "Hum", "Rain", "Pink Noise", "Brown Noise"}) {
        for (const TToneMode mode : {TToneMode::Binaural, TToneMode::Isochronic}) {
            SCOPED_TRACE(std::string(name) + " " + ToneModeName(mode));
            Mix mix;
            mix.sound.LoadFromFile(std::string(VELMORA_BINARY_DIR) + "/default-library/" + name +
                                   ".wav");
            mix.Start(mode, 10, kToneLevelDefault);
            // The sound alone for one whole loop (16-bit mono at 22050 Hz, played at 44100 Hz),
            // two seconds of the tone alone, then both for as long as two loops.
            const uint32_t loop = mix.sound.BufferInterface()->Bytes();
            const double sound = Loudness(Render(mix.device, loop), 0);
            PlayTone(mix.device);
            mix.sound.Stop();
            const double tone = Sounding(Render(mix.device, 2 * kRate + 4410), 4410);
            mix.sound.Play(DSBPLAY_LOOPING);
            const std::vector<float> both = Render(mix.device, 2 * loop);
            const size_t clipped = Clipped(both);
            const uint64_t limited = mix.device.RequireSound().LimitedFrames();
            std::printf("%-11s %-10s sound %6.2f dB  tone %6.2f dB  tone - sound %6.2f dB  "
                        "clipped %zu  limited frames %llu\n",
                        name, ToneModeName(mode), Db(sound), Db(tone), Db(tone) - Db(sound),
                        clipped, static_cast<unsigned long long>(limited));
            EXPECT_NEAR(Db(tone) - Db(sound), kToneLevelDefault, 0.6);
            EXPECT_EQ(clipped, 0u);
            // The default sounds leave the tone room enough: the limiter never acts.
            EXPECT_EQ(limited, 0u);
        }
    }
}

TEST(ToneLevel, AFullScaleSoundUnderAToneAsLoudIsTurnedDownOnceAndHeldWithoutPumping) {
    // A full-scale sine and the tone at its loudness: together they would reach twice full
    // scale.
    std::vector<int16_t> wave(kRate);
    for (size_t i = 0; i < wave.size(); ++i)
        wave[i] = static_cast<int16_t>(
            std::lround(32767 * std::sin(2 * std::numbers::pi * 441.0 * double(i) / kRate)));
    Mix mix;
    TMemoryStream stream(Wave16(1, kRate, wave));
    mix.sound.LoadFromStream(stream);
    mix.Start(TToneMode::Binaural, 10, 0);
    PlayTone(mix.device);
    const std::vector<float> out = Render(mix.device, 8 * kRate);
    EXPECT_EQ(Clipped(out), 0u);
    float peak = 0;
    for (float x : out)
        peak = std::max(peak, std::fabs(x));
    EXPECT_GT(peak, 0.95f); // turned down to just below full scale, not far below
    // After the first peaks the level stands: every tenth of a second is as loud as the next.
    double lowest = 1e9, highest = -1e9;
    for (size_t from = kRate; from + kRate / 10 <= out.size() / 2; from += kRate / 10) {
        const std::vector<float> window(out.begin() + 2 * from,
                                        out.begin() + 2 * (from + kRate / 10));
        const double level = Db(Loudness(window, 0));
        lowest = std::min(lowest, level);
        highest = std::max(highest, level);
    }
    EXPECT_LT(highest - lowest, 0.2);
}
