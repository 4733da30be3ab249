// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the sound output needs from the process environment. Changing the environment is not
// safe while other threads may read it, so every program calls this first in main, before Qt,
// the timers or the sound output start a thread.

#include <cstdlib>

inline void PrepareSoundEnvironment() {
    // SDL asks a sound server to keep only one block queued; a busy moment of a few
    // milliseconds then empties it and the sound drops out. A 10 ms queue rides over such
    // moments and still puts a change within about 20 ms of its moment. A value the user has
    // set is kept.
    setenv("PULSE_LATENCY_MSEC", "10", 0);
}
