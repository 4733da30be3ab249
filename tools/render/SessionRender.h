// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rendering what the program plays to a WAV file, as if its timers were perfect: the sound
// timer fires exactly every Timer2.Interval ms, the session is looked at exactly every
// kSessionTickMs, and the sound goes through the same offline mixer, modulation step, tables
// and frequency rules as the program's. A new interval counts here from the firing after the
// change; the program's threaded timer starts a new schedule at the change itself, so after
// each change the render's steps may lie up to one old interval from the program's.

#include "WavWriter.h"
#include "platform/ResourceModule.h"
#include "session/Session.h"
#include "sound/Tone.h"

#include <cstdint>
#include <functional>
#include <string>

struct TRenderJob {
    std::string LibraryPath = "main.zdl"; // looked for as the program looks for libraries
    std::string SoundName;                // empty: the first entry of the library's list
    TSession Session;
    // The knobs as they stand when the run starts; the session's points set them from there.
    int AM = 0;
    int FM = 0;
    int Volume = 10;
    bool Half = false;
    TToneMode Tone = TToneMode::Off;
    int Carrier = kToneCarrierDefault; // Hz
    int ToneLevel = kToneLevelDefault; // dB below the sound
    TWavFormat Format = TWavFormat::Pcm16;
    std::string OutputPath;
};

// A library found as the program finds it, open; the caller frees it. Fails saying whether it
// was not found or is no stimulus library.
TModuleHandle OpenLibraryModule(const std::string& libraryPath);

// Frames rendered so far and in all.
using TRenderProgress = std::function<void(uint64_t done, uint64_t total)>;

// The output frame of a moment on the timers' millisecond grid.
uint64_t FrameAtMs(int64_t ms);

// Renders the whole session into the job's file. Fails with an Exception carrying the message.
void RenderToWav(const TRenderJob& job, const TRenderProgress& progress = {});
