// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionClock.h"

#include <chrono>

namespace {
int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

TSessionClock::TSessionClock() : now_(SteadyMs) {}

TSessionClock::TSessionClock(TimeSource now) : now_(std::move(now)) {}

void TSessionClock::SetTimeSource(TimeSource now) {
    // The time reached so far is kept; only later stretches are measured on the new source.
    const int64_t reached = ElapsedMs();
    now_ = std::move(now);
    elapsedBefore_ = reached;
    startedAt_ = now_();
}

void TSessionClock::Start() {
    if (running_) return;
    startedAt_ = now_();
    running_ = true;
}

void TSessionClock::Pause() {
    if (!running_) return;
    elapsedBefore_ = ElapsedMs();
    running_ = false;
}

void TSessionClock::Rewind() {
    running_ = false;
    elapsedBefore_ = 0;
}

void TSessionClock::Seek(int64_t ms) {
    running_ = false;
    elapsedBefore_ = ms > 0 ? ms : 0;
}

int64_t TSessionClock::ElapsedMs() const {
    if (!running_) return elapsedBefore_;
    const int64_t stretch = now_() - startedAt_;
    return elapsedBefore_ + (stretch > 0 ? stretch : 0);
}
