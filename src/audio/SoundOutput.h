// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Outputs that drive the mixer: the SDL device, a silent null output that consumes
// samples in real time when no device can be opened, and an offline output that only
// renders when asked (for tests and measurements).

#include <cstdint>
#include <memory>

class SoundMixer;

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Stops the mixing thread; after it returns Render is no longer called.
    virtual void Close() = 0;
    virtual const char* Name() const = 0;
    virtual uint32_t Rate() const = 0;
    // Frames the output asks the mixer for at a time.
    virtual uint32_t BlockFrames() const = 0;
};

constexpr uint32_t kOutputRate = 44100;
// Frames the null output mixes at a time.
constexpr uint32_t kOutputBlockFrames = 512;
// How a sound server names the program and its stream.
constexpr const char* kSoundAppName = "Velmora";
constexpr const char* kSoundStreamName = "Stimulation sound";
// Frames asked of the SDL device at a time (5.8 ms). The size does not move changes, which
// land at their own frames (FrameClock.h); it sets the fixed delay from a change to its sound,
// two requests (11.6 ms), against how often SDL's audio thread must wake to fill the stream.
constexpr uint32_t kSdlRequestFrames = 256;

// Opens the default SDL audio device feeding the mixer; none when no device opens. The
// stream stays open until the output is closed; one that the sound server drops is opened
// again in the background. The sound server's queue length comes from the environment that
// PrepareSoundEnvironment (SoundEnvironment.h) set up at the start of the program.
std::unique_ptr<SoundOutput> OpenSdlOutput(SoundMixer& mixer);
// A thread that renders and discards blocks at the pace of a real device.
std::unique_ptr<SoundOutput> OpenNullOutput(SoundMixer& mixer);
// Nothing runs by itself; the owner calls the mixer's Render.
std::unique_ptr<SoundOutput> OpenOfflineOutput(uint32_t rate);
