// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/Cues.h"

#include "sound/DXClass.h"
#include "sound/Tone.h"

#include <map>
#include <mutex>

std::shared_ptr<const CueSound> BellSound(uint32_t rate) {
    static std::mutex mutex;
    static std::map<uint32_t, std::shared_ptr<const CueSound>> made;
    std::lock_guard lock(mutex);
    auto& bell = made[rate];
    if (!bell) bell = std::make_shared<const CueSound>(MakeBell(rate));
    return bell;
}

int32_t CueVolume(int32_t position, double soundRms) {
    // Cue sounds are made as loud as heard as a full-scale sine, as the tone is.
    return ToneVolume(position, kCueLevelDb, soundRms);
}

void PlayCueSound(TDirectSound& device, std::shared_ptr<const CueSound> sound, int32_t position) {
    IDirectSound& output = device.RequireSound();
    float rms = 0.0f;
    if (output.GetSoundLoudness(&rms) != DS_OK) rms = 0.0f;
    const int32_t volume = CueVolume(position, rms);
    if (volume <= DSBVOLUME_MIN) return; // silence plays nothing
    device.SetResult(output.PlayCue(std::move(sound), volume));
}

void StopCueSounds(TDirectSound& device) {
    device.SetResult(device.RequireSound().StopCues());
}
