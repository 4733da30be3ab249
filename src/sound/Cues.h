// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A session's cues as the main window and the renderer play them on the device: the bell,
// made once, and any cue sound at the cues' level below the sound as heard, the Volume knob
// setting both as it sets the tone's.

#include "audio/SoundCue.h"

#include <cstdint>
#include <memory>

class TDirectSound;

// dB below the sound as heard (as the tone's level is set).
inline constexpr int kCueLevelDb = -10;

// The bell at an output rate, made on first use and kept.
std::shared_ptr<const CueSound> BellSound(uint32_t rate);
// The cue's volume for the Volume knob's position against the sound's loudness (ToneVolume).
int32_t CueVolume(int32_t position, double soundRms);
// Plays the sound from now (or the moment of the change stamp in force) at the cue level for
// the Volume knob's position against the sound loaded now; records the device's result.
void PlayCueSound(TDirectSound& device, std::shared_ptr<const CueSound> sound, int32_t position);
void StopCueSounds(TDirectSound& device);
