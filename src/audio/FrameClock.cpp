// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/FrameClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

// A pull this far from where the clock expects it (a stall, a reopened stream) starts the
// clock afresh from that pull instead of being followed slowly.
constexpr double kResyncNs = 50e6;
// The loop's bandwidth: wide while it locks on, so that an output far off its nominal rate is
// followed within a fraction of a second, then narrow, so that the jitter of the output's
// thread hardly moves the changes.
constexpr double kLockingHz = 4.0;
constexpr double kLockedHz = 0.5;
// Locking on lasts a second, and at least this many pulls, so that pulls of a sixth of a second
// also lock on and learn the output's rate before the gain narrows (below): at the widest gain
// an error shrinks to about half from one pull to the next, below a ten-thousandth in sixteen.
constexpr double kLockingNs = 1e9;
constexpr int kLockingPulls = 16;
// The loop's gain per pull, 2 pi times the bandwidth times the pull's length, is held below
// this: the loop is stable only while it stays under about 1.4, and at 0.5 an error shrinks
// to about half from one pull to the next without overshooting, however long the pulls (a
// server may hand out a tenth of a second at once).
constexpr double kMaxOmega = 0.5;
// Locked on, the gain per pull is held far lower: the anchor takes 1.4 times the gain of each
// pull's error, and a long pull's error is the lateness of one wake-up of the output's thread
// (several milliseconds when it is preempted), with no neighbours to average it with. At 0.1 a
// pull 7 ms late moves the changes by 1 ms. The bound narrows the bandwidth only for pulls over
// 30 ms, and the loop still follows a drifting output there: a crystal's rate, learnt while
// locking on, wanders far slower than the ten pulls the loop then takes to follow it.
constexpr double kMaxLockedOmega = 0.1;
// An output is taken to run within this share of its nominal rate.
constexpr double kMaxRateError = 0.25;

thread_local const ScopedChangeStamp* g_stamp = nullptr;

} // namespace

int64_t SteadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ScopedChangeStamp::ScopedChangeStamp(int64_t steadyNs) : outer_(g_stamp), stamp_(steadyNs) {
    g_stamp = this;
}

ScopedChangeStamp::~ScopedChangeStamp() {
    g_stamp = outer_;
}

int64_t FrameClock::Now() const {
    if (mode_ == Mode::Offline) {
        return static_cast<int64_t>(offlineNow_.load(std::memory_order_acquire));
    }
    return g_stamp != nullptr ? g_stamp->stamp_ : SteadyNanos();
}

void FrameClock::SetOfflineNow(uint64_t frame) {
    uint64_t now = offlineNow_.load(std::memory_order_relaxed);
    while (frame > now && !offlineNow_.compare_exchange_weak(now, frame)) {
    }
}

void FrameClock::BeginPull(uint64_t firstFrame, int64_t nowNs) {
    if (mode_ == Mode::Offline) return;
    const double now = static_cast<double>(nowNs);
    const double frames = static_cast<double>(firstFrame - anchorFrame_);
    const double expected = anchorNs_ + frames * nsPerFrame_;
    const double error = now - expected;
    if (!anchored_ || error > kResyncNs || error < -kResyncNs) {
        anchored_ = true;
        anchorNs_ = now;
        lockedNs_ = 0;
        lockedPulls_ = 0;
    } else if (frames > 0) {
        // A second-order delay-locked loop: the anchor takes a share of the error, the frame
        // length a smaller one, so that a steady drift leaves no lasting error.
        const double span = frames * nsPerFrame_;
        const bool locking = lockedNs_ < kLockingNs || lockedPulls_ < kLockingPulls;
        const double omega =
            std::min(locking ? kMaxOmega : kMaxLockedOmega,
                     2.0 * 3.14159265358979 * (locking ? kLockingHz : kLockedHz) * span * 1e-9);
        anchorNs_ = expected + 1.4142 * omega * error;
        const double nominal = 1e9 / rate_;
        nsPerFrame_ = std::clamp(nsPerFrame_ + omega * omega * error / frames,
                                 nominal * (1.0 - kMaxRateError), nominal * (1.0 + kMaxRateError));
        lockedNs_ += span;
        ++lockedPulls_;
    }
    anchorFrame_ = firstFrame;
}

void FrameClock::EndPull(uint64_t endFrame) {
    if (mode_ == Mode::Offline) SetOfflineNow(endFrame);
}

int64_t FrameClock::FrameOf(int64_t stamp) const {
    if (mode_ == Mode::Offline) return stamp;
    // In floating point, so a stamp however far from the anchor cannot overflow; the answer
    // saturates.
    const double frames = std::floor((static_cast<double>(stamp) - anchorNs_) / nsPerFrame_);
    const double frame = static_cast<double>(anchorFrame_) + frames + LatencyFrames();
    constexpr double kLimit = 9.2e18;
    return static_cast<int64_t>(std::clamp(frame, -kLimit, kLimit));
}
