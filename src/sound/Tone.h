// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tone under the sound, as the main window and the renderer set it on the device: its
// mode and carrier, its beat from the main frequency, and its volume from the volume knob's
// table with the tone's own level below it. The Oscilator knobs never touch it.

#include <cstdint>
#include <string_view>

class TDirectSound;

enum class TToneMode { Off, Binaural, Isochronic };

inline constexpr int kToneCarrierMin = 50; // Hz
inline constexpr int kToneCarrierMax = 1000;
inline constexpr int kToneCarrierDefault = 200;
inline constexpr int kToneLevelMin = -60; // dB relative to the sound
inline constexpr int kToneLevelMax = 0;
inline constexpr int kToneLevelDefault = -6;

// The words of the settings, sessions and the renderer: "off", "binaural", "isochronic".
const char* ToneModeName(TToneMode mode);
bool ParseToneMode(std::string_view text, TToneMode& mode);

// The root mean square of a full-scale sine: a sound as loud as that sets the tone's level
// against full scale.
inline constexpr double kFullScaleSineRms = 0.70710678118654752;

// The tone's volume for a knob position: the volume table's step, with the tone levelDb from
// the sound as heard, the sound's loudness being soundRms (its samples' root mean square at
// full volume). A silent sound, or none, counts as a full-scale sine. Silence stays silence.
int32_t ToneVolume(int32_t position, int32_t levelDb, double soundRms = kFullScaleSineRms);
// The main frequency in thousandths of a hertz, the frequency edit's own resolution.
uint32_t ToneBeatMilliHz(long double frequency);

// Each records the device's result; none raises unless the device has no device object.
void SetToneMode(TDirectSound& device, TToneMode mode);
void SetToneCarrier(TDirectSound& device, int hz);
void SetToneBeat(TDirectSound& device, long double frequency);
// Against the loudness of the sound on the device now; positions outside 0..10 change
// nothing, as for the sound.
void ApplyToneVolume(TDirectSound& device, int32_t position, int32_t levelDb);
void PlayTone(TDirectSound& device);
// The beat's phase, in cycles (the whole cycles are dropped), where the tone is silent.
void SetTonePhase(TDirectSound& device, long double cycles);
void StopTone(TDirectSound& device);
