// SPDX-License-Identifier: GPL-3.0-or-later
#include "FlashReport.h"

#include "SessionRender.h"
#include "framework/Exception.h"
#include "library/LibraryFormat.h"
#include "library/LibraryLoader.h"
#include "picture/DIB.h"
#include "run/RunParameters.h"
#include "safety/FlashAdvice.h"
#include "session/SessionFollower.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace {

constexpr int64_t kMinuteMs = 60'000;

// The controls the picture's flashing depends on, as the window sets them from a session.
class TFlashState : public TSessionTarget {
public:
    explicit TFlashState(int depth) : depth_(TransformLevelFromKnob(depth)) {}
    void SetFrequency(int32_t milli) override { milli_ = milli; }
    void SetKnob(TSessionKnob knob, int value) override {
        if (knob == TSessionKnob::Depth) depth_ = TransformLevelFromKnob(value);
    }
    int32_t Milli() const { return milli_; }
    int Depth() const { return depth_; }

private:
    int32_t milli_ = 0;
    int depth_;
};

bool Worse(const TFlashReport& a, const TFlashReport& b) {
    if (a.Over != b.Over) return a.Over;
    const double flashesA = std::max(a.GeneralFlashesPerSecond, a.RedFlashesPerSecond);
    const double flashesB = std::max(b.GeneralFlashesPerSecond, b.RedFlashesPerSecond);
    if (flashesA != flashesB) return flashesA > flashesB;
    return std::max(a.ScreenAreaFraction, a.WcagAreaFraction) >
           std::max(b.ScreenAreaFraction, b.WcagAreaFraction);
}

} // namespace

std::vector<TFlashMinute> ReportSessionFlashing(const TFlashReportJob& job) {
    if (job.Session.Empty()) throw Exception("nothing to check");
    const TModuleHandle module = OpenLibraryModule(job.LibraryPath);
    struct Release {
        TModuleHandle m;
        ~Release() { FreeResourceModule(m); }
    } release{module};
    TDIB dib;
    int32_t modulus = 0;
    try {
        LoadLibraryPicture(module, job.PictureName, dib, modulus);
    } catch (const Exception& e) {
        throw Exception(job.LibraryPath + " has no usable picture \"" + job.PictureName +
                        "\": " + e.Message());
    }
    TFlashPicture picture = FlashPictureOf(dib);
    if (job.Reduced) picture.Colours = ReducedFlashingColours(picture.Colours);

    // Many ticks share a state; each is checked once.
    std::map<std::pair<int32_t, int>, TFlashReport> checked;
    auto check = [&](int32_t milli, int depth) -> const TFlashReport& {
        const auto key = std::make_pair(milli, depth);
        auto found = checked.find(key);
        if (found != checked.end()) return found->second;
        TFlashSettings s = job.Display;
        s.TransformLevel = depth;
        s.CycleModulus = modulus;
        s.StepsPerSecond = PictureStepsPerSecond(FrequencyFromMilli(milli));
        TFlashReport r = CheckFlashing(picture, s);
        if (!r.Checked) throw Exception(job.PictureName + ": " + r.Reason);
        return checked.emplace(key, std::move(r)).first->second;
    };

    TFlashState state(job.Depth);
    TSessionFollower follower(job.Session);
    std::vector<TFlashMinute> minutes;
    const int64_t end = job.Session.LengthMs();
    for (int64_t now = 0; now < end; now += kSessionTickMs) {
        follower.Follow(now, state);
        const double hz = static_cast<double>(FrequencyFromMilli(state.Milli()));
        const TFlashReport& report = check(state.Milli(), state.Depth());
        const int64_t start = now / kMinuteMs * kMinuteMs;
        if (minutes.empty() || minutes.back().StartMs != start) {
            TFlashMinute m;
            m.StartMs = start;
            m.EndMs = std::min(start + kMinuteMs, end);
            m.LowestHz = m.HighestHz = hz;
            m.LowestDepth = m.HighestDepth = state.Depth();
            m.Worst = report;
            minutes.push_back(std::move(m));
            continue;
        }
        TFlashMinute& m = minutes.back();
        m.LowestHz = std::min(m.LowestHz, hz);
        m.HighestHz = std::max(m.HighestHz, hz);
        m.LowestDepth = std::min(m.LowestDepth, state.Depth());
        m.HighestDepth = std::max(m.HighestDepth, state.Depth());
        if (Worse(report, m.Worst)) m.Worst = report;
    }
    return minutes;
}

std::string DescribeFlashMinute(const TFlashMinute& m) {
    char range[64];
    if (m.LowestHz == m.HighestHz)
        std::snprintf(range, sizeof range, "%.1f Hz", m.LowestHz);
    else
        std::snprintf(range, sizeof range, "%.1f-%.1f Hz", m.LowestHz, m.HighestHz);
    char depth[32];
    if (m.LowestDepth == m.HighestDepth)
        std::snprintf(depth, sizeof depth, "depth %d", m.LowestDepth);
    else
        std::snprintf(depth, sizeof depth, "depth %d-%d", m.LowestDepth, m.HighestDepth);
    const TFlashReport& r = m.Worst;
    char figures[160];
    std::snprintf(figures, sizeof figures,
                  "%.1f general and %.1f red flashes a second, %.0f %% of the screen, %.0f %% of "
                  "a 10-degree field",
                  r.GeneralFlashesPerSecond, r.RedFlashesPerSecond, r.ScreenAreaFraction * 100,
                  r.WcagAreaFraction * 100);
    return FormatSessionTime(m.StartMs) + "-" + FormatSessionTime(m.EndMs) + "  " + range + ", " +
           depth + ": " + r.VerdictText() + (r.Over ? " (" + r.Reason + ")" : "") + "; " + figures;
}
