// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main frequency and the run parameters derived from it: one home for the rules, shared by
// the window and the renderer so that both make the same sound. The rules are pure functions of
// their inputs; the run parameters themselves are plain program-wide values, written and read
// on the GUI thread only (both timers hand their firings to it), so they need no locks.

#include <QString>

#include <cstdint>
#include <string>

// The main frequency's range in Hz, and the slider's in tenths of a hertz.
inline constexpr long double kMinFrequency = 0.1L;
inline constexpr long double kMaxFrequency = 35.0L;
inline constexpr int kMinSliderValue = 1;
inline constexpr int kMaxSliderValue = 250;

// round(F x 10), halves to even, clamped to 1..250 as the slider does.
int SliderValueFromFrequency(long double frequency);
// v x 0.1, the frequency a slider value stands for.
long double FrequencyFromSliderValue(int sliderValue);
// 5000 div v ms: half a period, so the picture steps twice per period. A value below 1 counts
// as 1, so no slider value can divide by zero.
int PictureInterval(int sliderValue);
// t div 10, or t div 5 where the "1/2 Period" box is consulted and ticked.
int SoundInterval(int pictureInterval, bool halfPeriod);
// round(F x 1000): the frequency edit's own resolution, at which the run's phase and the tone's
// beat advance.
uint32_t FrequencyMilliHz(long double frequency);
// round(F x 2205) samples per second, halves to even, from the edit's own value.
int32_t BaseRateFromFrequency(long double frequency);
// What a main frequency sets where it is typed in or followed from a session: the slider's
// value, both timer intervals (the sound's a tenth of the picture's, since the frequency's
// handlers never consult "1/2 Period") and the base playback rate from the frequency itself.
struct TFrequencySettings {
    int SliderValue = 0;
    int PictureInterval = 0;
    int SoundInterval = 0;
    int32_t BaseRate = 0;
};
TFrequencySettings FrequencySettings(long double frequency);
// The brainwave band named under the slider; empty below 0.5 Hz.
QString BandLabel(int sliderValue);
// The transform-level knob springs back from 0 to 1 when it reports a change.
int TransformLevelFromKnob(int position);
// Knob positions to the precomputed swing depths.
int32_t AMDepthFromKnob(int position);
int32_t FMDepthFromKnob(int position);

struct TRunParameters {
    int32_t TransformLevel = 0; // 1..15; 0 only until the knob first moves
    int32_t AMDepth = 0;        // pan swing, 0..500
    int32_t FMDepth = 0;        // playback-rate swing, 0..2000
    int32_t BaseRate = 0;       // samples per second; 0 until first computed
    int32_t CycleModulus = 0;   // 0 until the first picture is loaded
    int32_t ModPhase = 0;       // 0..9 between modulation steps
    std::string LibraryPath;    // the current stimulus library, UTF-8
};

// The program's one set of run parameters.
extern TRunParameters RunParams;
