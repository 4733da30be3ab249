// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionFollower.h"

bool TSessionFollower::Follow(int64_t elapsedMs, TSessionTarget& target) {
    const auto& points = session_.Points();
    size_t reached = nextPoint_;
    while (reached < points.size() && points[reached].TimeMs <= elapsedMs)
        ++reached;
    if (reached != nextPoint_ && !frequencyHeld_) {
        // Every point names a frequency, so each one takes it back from the user.
        frequencyHeld_ = true;
        frequencySet_ = false;
    }

    if (frequencyHeld_ && (!everSet_ || elapsedMs - lastSetMs_ >= kFrequencyUpdateMs)) {
        const int32_t milli = session_.FrequencyMilliAt(elapsedMs);
        if (!frequencySet_ || milli != lastMilli_) {
            target.SetFrequency(milli);
            lastMilli_ = milli;
            lastSetMs_ = elapsedMs;
            frequencySet_ = true;
            everSet_ = true;
        }
    }

    for (; nextPoint_ < reached; ++nextPoint_) {
        const TSessionPoint& point = points[nextPoint_];
        for (int k = 0; k < kSessionKnobCount; ++k) {
            const auto knob = static_cast<TSessionKnob>(k);
            if (point.Knob(knob) != kKnobUnset) target.SetKnob(knob, point.Knob(knob));
        }
    }
    return !points.empty() && elapsedMs >= session_.LengthMs();
}

void TSessionFollower::Rewind() {
    nextPoint_ = 0;
    frequencyHeld_ = true;
    frequencySet_ = false;
    everSet_ = false;
    lastMilli_ = 0;
    lastSetMs_ = 0;
}
