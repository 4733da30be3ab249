// SPDX-License-Identifier: GPL-3.0-or-later
// A journal's run turned into a session, so a run can be seen as a session is and played again.
#include "journal/Journal.h"

#include "session/SessionFile.h"

#include <algorithm>
#include <cstdio>

namespace {

// Points laid down in time order, in whole seconds: one that would fall at or before the last
// moves a second after it, unless it only adds knob settings to the last one's frequency.
class TPointList {
public:
    TSessionPoint& Add(int64_t ms, int32_t milli) {
        ms = ms / 1000 * 1000;
        if (!points_.empty() && ms <= points_.back().TimeMs) {
            if (points_.back().FrequencyMilli == milli) return points_.back();
            ms = points_.back().TimeMs + 1000;
        }
        // Nothing goes past the longest time a session file can write: a change there only
        // adds its knobs to the last point.
        if (ms > kJournalMaxRunMs && !points_.empty()) return points_.back();
        TSessionPoint p;
        p.TimeMs = ms;
        p.FrequencyMilli = milli;
        points_.push_back(p);
        return points_.back();
    }
    // Keeps the frequency where it is until a change, where that adds a point.
    void Hold(int64_t ms, int32_t milli) {
        ms = ms / 1000 * 1000;
        if (!points_.empty() && ms <= points_.back().TimeMs) return;
        Add(ms, milli);
    }
    std::vector<TSessionPoint>& Points() { return points_; }

private:
    std::vector<TSessionPoint> points_;
};

int16_t SessionKnobValue(int knob, int value) {
    return static_cast<int16_t>(std::clamp(value, kSessionKnobMin[knob], kSessionKnobMax[knob]));
}

// At most the points a session holds: the frequency's points between those that set knobs are
// thinned evenly, the first and the last staying.
void Thin(std::vector<TSessionPoint>& points) {
    while (points.size() > kSessionMaxPoints) {
        std::vector<TSessionPoint> kept;
        kept.reserve(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            const bool knobs =
                points[i].HasCue() || std::any_of(points[i].Knobs.begin(), points[i].Knobs.end(),
                                                  [](int16_t k) { return k != kKnobUnset; });
            if (knobs || i == 0 || i + 1 == points.size() || i % 2 == 0) kept.push_back(points[i]);
        }
        if (kept.size() == points.size()) {
            kept.resize(kSessionMaxPoints - 1);
            kept.push_back(points.back());
        }
        points = std::move(kept);
    }
}

} // namespace

TSession JournalRunSession(const TJournalRun& run) {
    TPointList list;
    TSessionPoint& first = list.Add(0, run.Start.FrequencyMilli);
    for (int k = 0; k < kSessionKnobCount; ++k)
        first.Knobs[static_cast<size_t>(k)] =
            SessionKnobValue(k, run.Start.Knobs[static_cast<size_t>(k)]);
    int32_t milli = run.Start.FrequencyMilli;
    for (const TJournalChange& c : run.Changes) {
        const int64_t ms = std::min(c.Ms, kJournalMaxRunMs);
        if (c.IsKnob) {
            const int k = static_cast<int>(c.Knob);
            list.Add(ms, milli).Knobs[static_cast<size_t>(k)] = SessionKnobValue(k, c.Value);
        } else if (c.BySession) {
            // The session's own line: its samples joined as it joins its points.
            list.Add(ms, c.Value);
            milli = c.Value;
        } else {
            // By hand the frequency held until the change and then stepped.
            list.Hold(ms, milli);
            list.Add(ms + 1000, c.Value);
            milli = c.Value;
        }
    }
    // A session lasts at least a second, however short the run.
    list.Hold(std::clamp<int64_t>(run.LengthMs, 1000, kJournalMaxRunMs), milli);
    std::vector<TSessionPoint> points = std::move(list.Points());
    // The cues at their seconds, on the line's frequency there (a point put on the line leaves
    // it as it was); two in one second share a point.
    const TSession line(points);
    for (const TJournalCue& cue : run.Cues) {
        const int64_t ms = std::min(cue.Ms, points.back().TimeMs) / 1000 * 1000;
        auto at = std::lower_bound(points.begin(), points.end(), ms,
                                   [](const TSessionPoint& p, int64_t t) { return p.TimeMs < t; });
        if (at == points.end() || at->TimeMs != ms) {
            TSessionPoint p;
            p.TimeMs = ms;
            p.FrequencyMilli = line.FrequencyMilliAt(ms);
            at = points.insert(at, p);
        }
        at->Bell = at->Bell || cue.Bell;
        if (at->Say.empty()) at->Say = cue.Say;
    }
    Thin(points);
    return TSession(std::move(points));
}

std::string JournalSessionText(const TJournalRun& run, const std::string& title) {
    std::string text = "# ";
    for (char c : title)
        text += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    text += '\n';
    const TSession session = JournalRunSession(run);
    for (const TSessionPoint& p : session.Points()) {
        char hz[32];
        std::snprintf(hz, sizeof hz, "%d.%03d", p.FrequencyMilli / 1000, p.FrequencyMilli % 1000);
        text += FormatSessionTime(p.TimeMs) + "  " + hz;
        for (int k = 0; k < kSessionKnobCount; ++k) {
            const int16_t v = p.Knobs[static_cast<size_t>(k)];
            if (v == kKnobUnset) continue;
            text += "  ";
            text += JournalKnobWord(static_cast<TSessionKnob>(k));
            text += '=';
            if (k == static_cast<int>(TSessionKnob::Half))
                text += v != 0 ? "on" : "off";
            else if (k == static_cast<int>(TSessionKnob::Tone))
                text += kSessionToneWords[v];
            else
                text += std::to_string(v);
        }
        text += SessionCueWords(p);
        text += '\n';
    }
    return text;
}
