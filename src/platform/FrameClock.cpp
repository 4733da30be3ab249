#include "platform/FrameClock.h"

#include <chrono>

namespace {

// A pull this far from where the smoothed clock expects it (a stall, a reopened stream)
// starts the clock afresh instead of being followed slowly.
constexpr int64_t kResyncNs = 50'000'000;
// The share of each pull's timing error the clock follows.
constexpr int64_t kFollowDivisor = 16;

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

int64_t SteadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t FrameClock::Now() const {
    if (mode_ == Mode::Offline) {
        return static_cast<int64_t>(offlineNow_.load(std::memory_order_acquire));
    }
    return SteadyNanos();
}

void FrameClock::SetOfflineNow(uint64_t frame) {
    uint64_t now = offlineNow_.load(std::memory_order_relaxed);
    while (frame > now && !offlineNow_.compare_exchange_weak(now, frame)) {
    }
}

void FrameClock::BeginPull(uint64_t firstFrame, int64_t nowNs) {
    if (mode_ == Mode::Offline) return;
    if (!anchored_) {
        anchored_ = true;
        anchorNs_ = nowNs;
    } else {
        const int64_t elapsed =
            static_cast<int64_t>((firstFrame - anchorFrame_) * 1'000'000'000ull / rate_);
        const int64_t expected = anchorNs_ + elapsed;
        const int64_t error = nowNs - expected;
        anchorNs_ =
            (error > kResyncNs || error < -kResyncNs) ? nowNs : expected + error / kFollowDivisor;
    }
    anchorFrame_ = firstFrame;
}

void FrameClock::EndPull(uint64_t endFrame) {
    if (mode_ == Mode::Offline) SetOfflineNow(endFrame);
}

int64_t FrameClock::FrameOf(int64_t stamp) const {
    if (mode_ == Mode::Offline) return stamp;
    const int64_t frames =
        FloorDiv((stamp - anchorNs_) * static_cast<int64_t>(rate_), 1'000'000'000);
    return static_cast<int64_t>(anchorFrame_) + frames + LatencyFrames();
}
