// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A session: the main frequency as a programme over time, with knob settings at its points.
// The frequency moves linearly from point to point; a knob setting takes effect at its point
// and holds. Frequencies are kept in thousandths of a hertz, the frequency edit's resolution,
// so every value the session hands out is exact.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The knobs a point may set. Tone is 0 off, 1 binaural beat, 2 isochronic pulse; Carrier is the
// tone's carrier in Hz.
enum class TSessionKnob { Depth, AM, FM, Volume, Half, Tone, Carrier };
inline constexpr int kSessionKnobCount = 7;

// A knob setting a point leaves alone.
inline constexpr int16_t kKnobUnset = -1;

struct TSessionPoint {
    int64_t TimeMs = 0;
    int32_t FrequencyMilli = 0; // thousandths of a hertz
    std::array<int16_t, kSessionKnobCount> Knobs{
        kKnobUnset, kKnobUnset, kKnobUnset, kKnobUnset,
        kKnobUnset, kKnobUnset, kKnobUnset}; // "half": 1 on, 0 off
    int Line = 0;                            // where the point stands in its file
    // Cues sounded over the stimulation at the point's time: a bell, and a text spoken.
    bool Bell = false;
    std::string Say; // UTF-8, empty for none

    int16_t Knob(TSessionKnob knob) const { return Knobs[static_cast<size_t>(knob)]; }
    bool HasCue() const { return Bell || !Say.empty(); }
};

// The frequency edit's value for a number of thousandths: the nearest extended-precision
// number, which is also what the edit reads back from its three-decimal text.
long double FrequencyFromMilli(int32_t milli);

class TSession {
public:
    TSession() = default;
    // Points in strictly increasing time, as the parser makes them.
    explicit TSession(std::vector<TSessionPoint> points) : points_(std::move(points)) {}

    const std::vector<TSessionPoint>& Points() const { return points_; }
    bool Empty() const { return points_.empty(); }
    // The session ends at its last point.
    int64_t LengthMs() const { return points_.empty() ? 0 : points_.back().TimeMs; }
    // The frequency at a moment, in thousandths: linear between the points around it,
    // rounded to the nearest (halves to even); the first point's value before it, the last
    // one's after it.
    int32_t FrequencyMilliAt(int64_t ms) const;

private:
    std::vector<TSessionPoint> points_;
};

// A duration as the session files write times: m:ss below an hour, h:mm:ss from an hour.
std::string FormatSessionTime(int64_t ms);
