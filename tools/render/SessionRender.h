// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rendering what the program plays to a WAV file, as if its timers were perfect: the sweep
// steps exactly on the run's phase (a twentieth of a period each, a tenth with "1/2 Period"),
// the session is looked at exactly every kSessionTickMs, the tone's beat starts on the phase's
// zero, and the sound goes through the same offline mixer, modulation step, tables and
// frequency rules as the program's.

#include "SoundWriter.h"
#include "platform/ResourceModule.h"
#include "session/Session.h"
#include "sound/Tone.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
    TSoundFormat Format = TSoundFormat::Pcm16;
    std::string OutputPath;
    std::string Metadata; // the render's description, kept in the file (RenderMetadata.h)
    // The languages the session's texts are spoken in, most wanted first (SpeechVoiceFor).
    std::vector<std::string> Languages;
    // Told once why the texts cannot be spoken; the render goes on without them.
    std::function<void(const std::string&)> Report;
};

// A library found as the program finds it, open; the caller frees it. Fails saying whether it
// was not found or is no stimulus library.
TModuleHandle OpenLibraryModule(const std::string& libraryPath);

// Frames rendered so far and in all.
using TRenderProgress = std::function<void(uint64_t done, uint64_t total)>;

// The output frame of a moment, to the nearest frame.
uint64_t FrameAtMs(int64_t ms);
uint64_t FrameAtNs(int64_t ns);

// Renders the whole session into the job's file, in its format, its cues placed at their
// points' frames (a cue at the session's very end falls after the file's last frame). Fails with an
// Exception carrying the message.
void RenderToWav(const TRenderJob& job, const TRenderProgress& progress = {});
