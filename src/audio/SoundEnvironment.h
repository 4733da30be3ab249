// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the sound output needs from the process environment. Changing the environment is not
// safe while other threads may read it, so every program calls this first in main, before Qt,
// the timers or the sound output start a thread.

#include "audio/SoundOutput.h"

#include <cstdlib>
#include <string>

inline void PrepareSoundEnvironment() {
    // SDL asks a sound server to keep only one block queued; a busy moment of a few
    // milliseconds then empties it and the sound drops out, and with builds running beside
    // the program a 10, 40 or 60 ms queue still did, a few times in ten minutes. The queue delays
    // nothing that must keep time with the light: the frame clock measures it and the sound
    // timer runs that much ahead (SoundOutput.h, kSdlDelayMs). A value the user has set is
    // kept. PipeWire's PulseAudio service, which SDL's pulseaudio driver reaches on PipeWire
    // systems, honours it too.
    setenv("PULSE_LATENCY_MSEC", std::to_string(kServerQueueMs).c_str(), 0);
}
