// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/Tone.h"

#include "framework/Rounding.h"
#include "sound/DXClass.h"
#include "sound/ModulationStep.h"

#include <algorithm>
#include <cmath>

const char* ToneModeName(TToneMode mode) {
    switch (mode) {
    case TToneMode::Binaural:
        return "binaural";
    case TToneMode::Isochronic:
        return "isochronic";
    case TToneMode::Off:
        break;
    }
    return "off";
}

bool ParseToneMode(std::string_view text, TToneMode& mode) {
    for (TToneMode m : {TToneMode::Off, TToneMode::Binaural, TToneMode::Isochronic}) {
        if (text == ToneModeName(m)) {
            mode = m;
            return true;
        }
    }
    return false;
}

int32_t ToneVolume(int32_t position, int32_t levelDb, double soundRms) {
    const int32_t step = kVolumeSteps[std::clamp(position, 0, 10)];
    if (step <= DSBVOLUME_MIN) return DSBVOLUME_MIN;
    // The tone is a sine, whose root mean square is its peak over the square root of 2: at
    // volume 0 its peak is full scale, so a sound of this loudness is that many hundredths of a
    // decibel from it.
    const double rms = soundRms > 1e-5 ? std::min(soundRms, 1.0) : kFullScaleSineRms;
    const auto loudness =
        static_cast<int32_t>(std::lround(2000.0 * std::log10(rms / kFullScaleSineRms)));
    return std::clamp(step + levelDb * 100 + loudness, DSBVOLUME_MIN, DSBVOLUME_MAX);
}

uint32_t ToneBeatMilliHz(long double frequency) {
    return static_cast<uint32_t>(std::max<int64_t>(0, RoundToInt64(frequency * 1000.0L)));
}

void SetToneMode(TDirectSound& device, TToneMode mode) {
    device.SetResult(device.RequireSound().SetToneMode(static_cast<uint32_t>(mode)));
}

void SetToneCarrier(TDirectSound& device, int hz) {
    device.SetResult(device.RequireSound().SetToneCarrier(static_cast<uint32_t>(hz) * 1000u));
}

void SetToneBeat(TDirectSound& device, long double frequency) {
    device.SetResult(device.RequireSound().SetToneBeat(ToneBeatMilliHz(frequency)));
}

void ApplyToneVolume(TDirectSound& device, int32_t position, int32_t levelDb) {
    if (position < 0 || position > 10) return;
    IDirectSound& sound = device.RequireSound();
    float rms = 0.0f;
    if (sound.GetSoundLoudness(&rms) != DS_OK) rms = 0.0f;
    device.SetResult(sound.SetToneVolume(ToneVolume(position, levelDb, rms)));
}

void PlayTone(TDirectSound& device) {
    device.SetResult(device.RequireSound().PlayTone());
}

void SetTonePhase(TDirectSound& device, long double cycles) {
    const long double fraction = cycles - std::floor(cycles);
    const auto fixed = static_cast<uint64_t>(RoundToInt64(fraction * 4294967296.0L)) & 0xFFFFFFFFu;
    device.SetResult(device.RequireSound().SetTonePhase(static_cast<uint32_t>(fixed)));
}

void StopTone(TDirectSound& device) {
    device.SetResult(device.RequireSound().StopTone());
}
