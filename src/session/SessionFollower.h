// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Following a session: what to set, and when, as its clock moves on. The program's main
// window and the renderer both follow through this one class, so a rendered file holds what
// the program plays.
//
// The program looks at its session every kSessionTickMs. The main frequency is set only when
// its value at the edit's three decimals changes, and at most once every kFrequencyUpdateMs;
// a knob is set only at a point that names it, and then holds. When the user takes the
// frequency over, the session leaves it alone until its next point.

#include "session/Session.h"

#include <cstddef>
#include <cstdint>

inline constexpr int64_t kSessionTickMs = 25;
inline constexpr int64_t kFrequencyUpdateMs = 50;

// What a session sets: the main frequency (through the same path as typing it) and the knobs.
class TSessionTarget {
public:
    virtual ~TSessionTarget() = default;
    virtual void SetFrequency(int32_t milli) = 0;
    virtual void SetKnob(TSessionKnob knob, int value) = 0;
};

class TSessionFollower {
public:
    // The session must outlive the follower.
    explicit TSessionFollower(const TSession& session) : session_(session) {}

    // Brings the target to the session's state at elapsedMs: first the frequency, then the
    // knob settings of every point reached since the last call, in their order. True once
    // the session's end has been reached.
    bool Follow(int64_t elapsedMs, TSessionTarget& target);

    // The user has moved the frequency by hand.
    void ReleaseFrequency() { frequencyHeld_ = false; }
    bool FrequencyHeld() const { return frequencyHeld_; }

    // Back to the start: no point reached, nothing set yet.
    void Rewind();

    // The index of the next point to reach.
    size_t NextPoint() const { return nextPoint_; }

private:
    const TSession& session_;
    size_t nextPoint_ = 0;
    bool frequencyHeld_ = true;
    bool frequencySet_ = false; // whether this follower has set the frequency since it held it
    int32_t lastMilli_ = 0;
    int64_t lastSetMs_ = 0;
    bool everSet_ = false; // the 50 ms spacing counts from the last setting made
};
