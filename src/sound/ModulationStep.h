// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The modulation sequencer: a ten-step sine wave that swings the looping sound's pan and
// playback rate, and the volume steps of the volume knob.
// The main window owns the run parameters and passes them in.

#include <cstdint>

class TDirectSoundBuffer;

// sin(36 degrees x (k - 1)) to four places, for k = 1..10 at indexes 0..9.
extern const long double kModulationSine[10];
// Buffer volumes in hundredths of a decibel for the knob positions 0..10.
extern const int32_t kVolumeSteps[11];

struct ModulationValues {
    int32_t step; // k, 1..10
    int32_t pan;
    int32_t rate;
};

// The pan, rate offset and step for the phase before the step; the phase itself is
// left alone.
ModulationValues ModulationFor(int32_t modPhase, int32_t amDepth, int32_t fmDepth,
                               int32_t baseRate);

// One step: advances modPhase (0..9 between steps), sets the buffer's pan, then its rate.
// A missing buffer raises "%s not made" after the phase has moved; refusals of the
// buffer are left in its LastResult.
ModulationValues ModulationStep(int32_t& modPhase, int32_t amDepth, int32_t fmDepth,
                                int32_t baseRate, TDirectSoundBuffer* buffer);

// Sets the buffer's volume for a knob position; positions outside 0..10 change nothing.
void ApplyVolumeStep(int32_t position, TDirectSoundBuffer* buffer);
