// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/ModulationStep.h"

#include "framework/Rounding.h"
#include "sound/DXSounds.h"

const long double kModulationSine[10] = {0.0L, 0.5878L,  0.9511L,  0.9511L,  0.5878L,
                                         0.0L, -0.5878L, -0.9511L, -0.9511L, -0.5878L};

const int32_t kVolumeSteps[11] = {-10000, -2500, -2000, -1500, -1200, -1000,
                                  -900,   -500,  -300,  -100,  0};

ModulationValues ModulationFor(int32_t modPhase, int32_t amDepth, int32_t fmDepth,
                               int32_t baseRate) {
    // The phase is 0..9 between steps; anything else is brought back into the table.
    const int32_t phase = ((modPhase % 10) + 10) % 10;
    const int32_t k = phase + 1;
    ModulationValues v{k, 0, baseRate};
    if (k != 1 && k != 6) {
        const long double s = kModulationSine[k - 1];
        v.pan = static_cast<int32_t>(RoundToInt64(static_cast<long double>(amDepth) * s));
        v.rate = static_cast<int32_t>(int64_t{baseRate} +
                                      RoundToInt64(static_cast<long double>(fmDepth) * s));
    }
    return v;
}

ModulationValues ModulationStep(int32_t& modPhase, int32_t amDepth, int32_t fmDepth,
                                int32_t baseRate, TDirectSoundBuffer* buffer) {
    const ModulationValues v = ModulationFor(modPhase, amDepth, fmDepth, baseRate);
    modPhase = v.step > 9 ? 0 : v.step;
    TDirectSoundBuffer& target = TDirectSoundBuffer::Require(buffer);
    target.SetPan(v.pan);
    target.SetFrequency(v.rate);
    return v;
}

void ApplyVolumeStep(int32_t position, TDirectSoundBuffer* buffer) {
    if (position < 0 || position > 10) return;
    TDirectSoundBuffer::Require(buffer).SetVolume(kVolumeSteps[position]);
}
