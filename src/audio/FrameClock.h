// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a parameter change lands in the output. The control side stamps every change with
// the moment it was made; the mixing side turns the stamp into an output frame.
//
// Real time: stamps are steady-clock nanoseconds. The clock follows the times at which the
// output asks for frames with a delay-locked loop: it learns the rate at which the output
// really consumes frames (a device's clock is never quite its nominal rate, and some outputs
// are far off), while the jitter of the output's thread does not move the changes about. A
// change lands one fixed latency after its moment, so that a change made just after a pull
// still lands at its own time in a later one.
//
// Offline: stamps are output frames. "Now" is the end of what has been rendered, or a later
// frame the caller sets, so a render with the same changes is the same whatever the pieces.

#include <atomic>
#include <cstdint>

int64_t SteadyNanos();

// Changes made on this thread while a stamp lives carry its moment (steady-clock nanoseconds)
// instead of the moment of the call: a step that was due at a time sounds at that time, however
// late its handler ran. Real-time clocks only; offline stamps are frames.
class ScopedChangeStamp {
public:
    explicit ScopedChangeStamp(int64_t steadyNs);
    ~ScopedChangeStamp();
    ScopedChangeStamp(const ScopedChangeStamp&) = delete;
    ScopedChangeStamp& operator=(const ScopedChangeStamp&) = delete;

private:
    const ScopedChangeStamp* outer_;
    int64_t stamp_;
    friend class FrameClock;
};

class FrameClock {
public:
    enum class Mode { RealTime, Offline };

    FrameClock(Mode mode, uint32_t rate) : mode_(mode), rate_(rate) {}

    Mode GetMode() const { return mode_; }

    // Control side: the stamp of a change made now, or the stamp in force on this thread.
    int64_t Now() const;
    // Offline: changes made from now on belong to this frame (never earlier than what has
    // been rendered).
    void SetOfflineNow(uint64_t frame);

    // Frames between the moment of a change and its place in the output (real time only).
    void SetLatencyFrames(uint32_t frames) { latency_.store(frames, std::memory_order_relaxed); }
    uint32_t LatencyFrames() const { return latency_.load(std::memory_order_relaxed); }

    // Mixing side: a pull begins at firstFrame, asked for at nowNs on the steady clock...
    void BeginPull(uint64_t firstFrame, int64_t nowNs);
    // ...and ends before endFrame.
    void EndPull(uint64_t endFrame);
    // Mixing side: the output frame a change with this stamp belongs to.
    int64_t FrameOf(int64_t stamp) const;
    // Mixing side (real time): the output's rate as the clock has learnt it, in frames per
    // second.
    double MeasuredRate() const { return 1e9 / nsPerFrame_; }

private:
    const Mode mode_;
    const uint32_t rate_;
    std::atomic<uint32_t> latency_{0};
    std::atomic<uint64_t> offlineNow_{0};

    // Mixing side only: the steady time that belongs to anchorFrame_, the length of one output
    // frame as measured, and how long (and for how many pulls) the loop has followed the output
    // since it last locked on.
    bool anchored_ = false;
    uint64_t anchorFrame_ = 0;
    double anchorNs_ = 0;
    double nsPerFrame_ = 1e9 / rate_;
    double lockedNs_ = 0;
    int lockedPulls_ = 0;
};
