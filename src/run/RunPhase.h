// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run's one phase, counted in periods of the main frequency from the first Start. It
// advances at the frequency in the box, to its thousandths of a hertz, while the run is on,
// and stands still while it is stopped. A new frequency changes the rate from its moment on;
// nothing ever moves the phase itself, so the light, the sweep and the tone that follow it
// stay together through every change.
//
// The picture steps at each half period, the sweep at each twentieth (each tenth with
// "1/2 Period"): TPhaseSteps gives a timer those steps' due times. Set on the GUI thread,
// read from the timers' workers too, so every member is under one mutex.

#include "timing/ThdTimer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

class TRunPhase {
public:
    using Clock = TTimerClock;

    // Thousandths of a hertz; 0 holds the phase where it is.
    void SetFrequency(uint32_t milliHz, Clock::time_point at);
    uint32_t FrequencyMilliHz() const;
    // The run goes on from where it stood / stands still from this moment.
    void Start(Clock::time_point at);
    void Stop(Clock::time_point at);
    bool Running() const;

    // Periods run by a moment (before the last change, as if the rate had held).
    long double PhaseAt(Clock::time_point t) const;
    // When the phase reaches a value at the present rate; max() while it stands still and
    // for a value already passed when it does.
    Clock::time_point TimeOfPhase(long double phase) const;

private:
    long double PhaseAtLocked(Clock::time_point t) const;

    mutable std::mutex mutex_;
    Clock::time_point anchor_{}; // where the phase last changed its rate
    long double anchorPhase_ = 0;
    uint32_t milliHz_ = 0;
    bool running_ = false;
};

// Steps of a phase, a given number per period: step n is due when the phase reaches n / count,
// so step 0 is due at the first Start, with the beat's zero. With a lead, each step is due that
// much earlier: the sound timer's steps run ahead by the time the sound output takes from a
// change to its sound, so that they are heard with the light's.
class TPhaseSteps : public TDueTimes {
public:
    TPhaseSteps(std::shared_ptr<const TRunPhase> phase, int perPeriod);
    void SetPerPeriod(int perPeriod);
    int PerPeriod() const;
    void SetLead(std::chrono::nanoseconds lead);
    std::chrono::nanoseconds Lead() const;

    uint64_t FirstStepFrom(TTimerClock::time_point at) const override;
    TTimerClock::time_point DueOf(uint64_t step) const override;

private:
    std::shared_ptr<const TRunPhase> phase_;
    std::atomic<int> perPeriod_;
    std::atomic<int64_t> leadNs_{0};
};

// Picture steps per period, and sweep steps per period with and without "1/2 Period".
inline constexpr int kPictureStepsPerPeriod = 2;
inline constexpr int kSweepStepsPerPeriod = 20;
inline constexpr int kHalfSweepStepsPerPeriod = 10;
int SweepStepsPerPeriod(bool halfPeriod);
