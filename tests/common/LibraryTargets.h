// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything a library load fills, on a sound device that renders offline, for the library
// tests and benchmarks. Selects the offline output while it lives.

#include "audio/SoundDevice.h"
#include "framework/Picture.h"
#include "library/LibraryLoader.h"
#include "picture/DIB.h"
#include "sound/DXSounds.h"

#include <cstdint>

struct TOfflineLibraryTargets {
    struct TOfflineChoice {
        TOfflineChoice() { SetSoundOutputChoice(SoundOutputChoice::Offline); }
        ~TOfflineChoice() { SetSoundOutputChoice(SoundOutputChoice::Device); }
    } Choice;
    TDirectSound Device{nullptr};
    TDirectSoundBuffer Buffer{Device};
    TNameList Pictures, Sounds;
    TPicture Source;
    TDIB Display;
    int32_t Modulus = 0;
    TLibraryTargets Targets{Pictures, Sounds, Source, Display, &Buffer, Modulus};
};
