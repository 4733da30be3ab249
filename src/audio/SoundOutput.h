// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Outputs that drive the mixer: the SDL device, a silent null output that consumes
// samples in real time when no device can be opened, and an offline output that only
// renders when asked (for tests and measurements).

#include <atomic>
#include <cstdint>
#include <memory>

class SoundMixer;

// Counts the times an output ran dry. The frames handed to it play at its rate from the first
// pull on; a pull that comes a whole block after all of them would have played found nothing
// left to play, and the reckoning starts afresh from it. A pull late by less than its own
// block is taken as the output's jitter.
//
// The same reckoning shows the output's queue: a pull's first frame plays when the frames
// handed before it have played. Pull answers that wait; the most it has been since the stream
// opened is the queue the output keeps (the server asks for more as soon as there is room, so
// most pulls find it nearly full, and running dry does not change what it keeps).
class UnderrunCount {
public:
    // Mixing side, as a pull of frames begins at nowNs on the steady clock. Answers the time
    // until the pull's first frame plays: 0 at the first pull and after running dry.
    int64_t Pull(int64_t nowNs, uint32_t frames, uint32_t rate) {
        if (restart_.exchange(false, std::memory_order_acquire)) {
            startNs_ = 0;
            mostQueued_ = 0;
        }
        int64_t queued = 0;
        if (startNs_ != 0 && rate != 0) {
            const double ns = 1e9 / rate;
            const double playedUntil =
                static_cast<double>(startNs_) + static_cast<double>(handed_) * ns;
            if (static_cast<double>(nowNs) > playedUntil + frames * ns) {
                count_.fetch_add(1, std::memory_order_relaxed);
                startNs_ = 0;
            } else {
                queued = static_cast<int64_t>(playedUntil) - nowNs;
                if (queued < 0) queued = 0;
            }
        }
        if (startNs_ == 0) {
            startNs_ = nowNs;
            handed_ = 0;
        }
        handed_ += frames;
        if (queued > mostQueued_) mostQueued_ = queued;
        return queued;
    }
    // Mixing side: the longest wait Pull has answered since the stream opened.
    int64_t MostQueuedNs() const { return mostQueued_; }
    // Any thread: a stream opened afresh begins a new reckoning.
    void Restart() { restart_.store(true, std::memory_order_release); }
    uint64_t Count() const { return count_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> restart_{false};
    std::atomic<uint64_t> count_{0};
    int64_t startNs_ = 0; // mixing side only
    uint64_t handed_ = 0;
    int64_t mostQueued_ = 0;
};

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Stops the mixing thread; after it returns Render is no longer called.
    virtual void Close() = 0;
    virtual const char* Name() const = 0;
    virtual uint32_t Rate() const = 0;
    // Frames the output asks the mixer for at a time.
    virtual uint32_t BlockFrames() const = 0;
    // Times the output ran dry since it opened (UnderrunCount).
    virtual uint64_t Underruns() const { return 0; }
    // The time from a change's stamp to its being heard (FrameClock.h): the same for every
    // change while the output runs, so that what is stamped this much before its moment is
    // heard at its moment. 0 for an output that nobody hears.
    virtual int64_t DelayNs() const { return 0; }
};

// Whether the outputs report their underruns on stderr as they close: VELMORA_SOUND_REPORT=1.
bool SoundReportWanted();

constexpr uint32_t kOutputRate = 44100;
// Frames the null output mixes at a time.
constexpr uint32_t kOutputBlockFrames = 512;
// How a sound server names the program and its stream.
constexpr const char* kSoundAppName = "Velmora";
constexpr const char* kSoundStreamName = "Stimulation sound";
// Frames asked of the SDL device at a time (5.8 ms). The size does not move changes, which
// land at their own frames (FrameClock.h); it sets how often SDL's audio thread must wake to
// fill the stream.
constexpr uint32_t kSdlRequestFrames = 256;
// The sound server's queue that the program asks for (SoundEnvironment.h): long enough that a
// busy machine does not empty it.
constexpr uint32_t kServerQueueMs = 80;
// The time from a change's stamp to its sound through the SDL device: the server's queue, two
// requests, and room for a handler that runs late on a busy machine (some 30 ms at worst with
// builds running beside it). A change stamped this long before its moment (as the sound
// timer's steps are) is heard at its moment.
constexpr uint32_t kSdlDelayMs = 130;

// Opens the default SDL audio device feeding the mixer; none when no device opens. The
// stream stays open until the output is closed; one that the sound server drops is opened
// again in the background. The sound server's queue length comes from the environment that
// PrepareSoundEnvironment (SoundEnvironment.h) set up at the start of the program.
std::unique_ptr<SoundOutput> OpenSdlOutput(SoundMixer& mixer);
// A thread that renders and discards blocks at the pace of a real device.
std::unique_ptr<SoundOutput> OpenNullOutput(SoundMixer& mixer);
// Nothing runs by itself; the owner calls the mixer's Render.
std::unique_ptr<SoundOutput> OpenOfflineOutput(uint32_t rate);
