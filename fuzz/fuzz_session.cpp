// SPDX-License-Identifier: GPL-3.0-or-later
// Session files from outside bytes: the reader either refuses with a message or gives points in
// strictly increasing time, within range, whose timeline stays between its points' values.
#include "session/SessionFile.h"
#include "session/SessionFollower.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Bounds : TSessionTarget {
    void SetFrequency(int32_t milli) override { Check(milli >= 100 && milli <= 35000); }
    void SetKnob(TSessionKnob knob, int value) override {
        Check(value >= kSessionKnobMin[static_cast<int>(knob)] &&
              value <= kSessionKnobMax[static_cast<int>(knob)]);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(kSessionMaxBytes)) return 0;
    TSession session;
    try {
        session = ParseSession(std::string_view(reinterpret_cast<const char*>(data), size), "f");
    } catch (const ESessionError& e) {
        Check(!e.Message().empty());
        return 0;
    }
    const auto& points = session.Points();
    Check(!points.empty() && points.size() <= kSessionMaxPoints && session.LengthMs() > 0);
    for (size_t i = 1; i < points.size(); ++i)
        Check(points[i].TimeMs > points[i - 1].TimeMs);
    // A cue's text is bounded and free of control characters, and what is written of a point's
    // cues reads back the same.
    std::string written;
    for (const TSessionPoint& p : points) {
        Check(p.Say.size() <= 4 * kSessionMaxSayChars);
        for (char c : p.Say)
            Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        written += FormatSessionTime(p.TimeMs) + " 1.0" + SessionCueWords(p) + "\n";
    }
    const TSession again = ParseSession(written, "again");
    for (size_t i = 0; i < points.size(); ++i)
        Check(again.Points()[i].Bell == points[i].Bell && again.Points()[i].Say == points[i].Say);
    // Follow the session in a few hundred even steps: everything set stays in range.
    TSessionFollower follower(session);
    Bounds target;
    const int64_t step = std::max<int64_t>(session.LengthMs() / 300, 1);
    for (int64_t t = 0;; t += step) {
        if (follower.Follow(std::min(t, session.LengthMs()), target)) break;
    }
    return 0;
}
