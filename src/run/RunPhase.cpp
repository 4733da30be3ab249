// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunPhase.h"

#include <cmath>

namespace {
constexpr long double kNsPerSecond = 1e9L;
}

long double TRunPhase::PhaseAtLocked(Clock::time_point t) const {
    if (!running_ || milliHz_ == 0) return anchorPhase_;
    const long double seconds = static_cast<long double>((t - anchor_).count()) / kNsPerSecond;
    return anchorPhase_ + seconds * static_cast<long double>(milliHz_) / 1000.0L;
}

long double TRunPhase::PhaseAt(Clock::time_point t) const {
    std::lock_guard lock(mutex_);
    return PhaseAtLocked(t);
}

void TRunPhase::SetFrequency(uint32_t milliHz, Clock::time_point at) {
    std::lock_guard lock(mutex_);
    if (milliHz == milliHz_) return;
    anchorPhase_ = PhaseAtLocked(at);
    anchor_ = at;
    milliHz_ = milliHz;
}

uint32_t TRunPhase::FrequencyMilliHz() const {
    std::lock_guard lock(mutex_);
    return milliHz_;
}

void TRunPhase::Start(Clock::time_point at) {
    std::lock_guard lock(mutex_);
    if (running_) return;
    anchor_ = at;
    running_ = true;
}

void TRunPhase::Stop(Clock::time_point at) {
    std::lock_guard lock(mutex_);
    if (!running_) return;
    anchorPhase_ = PhaseAtLocked(at);
    anchor_ = at;
    running_ = false;
}

bool TRunPhase::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

TRunPhase::Clock::time_point TRunPhase::TimeOfPhase(long double phase) const {
    std::lock_guard lock(mutex_);
    if (!running_ || milliHz_ == 0) return Clock::time_point::max();
    const long double ns =
        (phase - anchorPhase_) * 1000.0L / static_cast<long double>(milliHz_) * kNsPerSecond;
    // Past a few centuries the answer is "never" for any run.
    constexpr long double kFar = 1e19L;
    if (!(ns < kFar)) return Clock::time_point::max();
    return anchor_ + Clock::duration(static_cast<Clock::rep>(std::llround(std::max(ns, -kFar))));
}

TPhaseSteps::TPhaseSteps(std::shared_ptr<const TRunPhase> phase, int perPeriod)
    : phase_(std::move(phase)), perPeriod_(perPeriod) {}

void TPhaseSteps::SetPerPeriod(int perPeriod) {
    perPeriod_.store(perPeriod, std::memory_order_relaxed);
}

int TPhaseSteps::PerPeriod() const {
    return perPeriod_.load(std::memory_order_relaxed);
}

void TPhaseSteps::SetLead(std::chrono::nanoseconds lead) {
    leadNs_.store(lead.count(), std::memory_order_relaxed);
}

std::chrono::nanoseconds TPhaseSteps::Lead() const {
    return std::chrono::nanoseconds(leadNs_.load(std::memory_order_relaxed));
}

uint64_t TPhaseSteps::FirstStepFrom(TTimerClock::time_point at) const {
    const long double steps = phase_->PhaseAt(at + Lead()) * PerPeriod();
    return static_cast<uint64_t>(std::max(0.0L, std::ceil(steps)));
}

TTimerClock::time_point TPhaseSteps::DueOf(uint64_t step) const {
    const TTimerClock::time_point due =
        phase_->TimeOfPhase(static_cast<long double>(step) / PerPeriod());
    if (due == TTimerClock::time_point::max()) return due; // standing still
    return due - std::chrono::duration_cast<TTimerClock::duration>(Lead());
}

int SweepStepsPerPeriod(bool halfPeriod) {
    return halfPeriod ? kHalfSweepStepsPerPeriod : kSweepStepsPerPeriod;
}
