#pragma once
// Where a parameter change lands in the output. The control side stamps every change with
// the moment it was made; the mixing side turns the stamp into an output frame.
//
// Real time: stamps are steady-clock nanoseconds. The clock follows the times at which the
// output asks for frames, smoothed so that the jitter of the output's thread does not move
// the changes about, and places a change one fixed latency after its moment, so that a
// change made just after a pull still lands at its own time in a later one.
//
// Offline: stamps are output frames. "Now" is the end of what has been rendered, or a later
// frame the caller sets, so a render with the same changes is the same whatever the pieces.

#include <atomic>
#include <cstdint>

int64_t SteadyNanos();

class FrameClock {
public:
    enum class Mode { RealTime, Offline };

    FrameClock(Mode mode, uint32_t rate) : mode_(mode), rate_(rate) {}

    Mode GetMode() const { return mode_; }

    // Control side: the stamp of a change made now.
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

private:
    const Mode mode_;
    const uint32_t rate_;
    std::atomic<uint32_t> latency_{0};
    std::atomic<uint64_t> offlineNow_{0};

    // Mixing side only: the steady time that belongs to anchorFrame_.
    bool anchored_ = false;
    uint64_t anchorFrame_ = 0;
    int64_t anchorNs_ = 0;
};
