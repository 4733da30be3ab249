// SPDX-License-Identifier: GPL-3.0-or-later
#include "safety/SessionFlash.h"

#include "run/RunParameters.h"
#include "session/SessionFollower.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

constexpr int64_t kMinuteMs = 60'000;
// A state held this long has seconds of light of its own and is graded at its exact frequency.
constexpr int64_t kHeldMs = 1000;

// The controls the picture's flashing depends on, as the window sets them from a session.
class TFlashState : public TSessionTarget {
public:
    explicit TFlashState(int level) : level_(level) {}
    void SetFrequency(int32_t milli) override { milli_ = milli; }
    void SetKnob(TSessionKnob knob, int value) override {
        if (knob == TSessionKnob::Depth) level_ = TransformLevelFromKnob(value);
    }
    int32_t Milli() const { return milli_; }
    int Level() const { return level_; }

private:
    int32_t milli_ = 0;
    int level_;
};

// One stretch of ticks in one state.
struct TStretch {
    int64_t StartMs = 0;
    int64_t EndMs = 0;
    int32_t Milli = 0;
    int Level = 0;
};

} // namespace

TSessionFlashGrader::TSessionFlashGrader(const TFlashPicture& picture, int cycleModulus,
                                         const TFlashSettings& display)
    : picture_(picture), display_(display) {
    display_.CycleModulus = cycleModulus;
    if (!picture.Top || picture.Width <= 0 || picture.Height <= 0) return;
    const auto w = static_cast<size_t>(picture.Width);
    pixels_.resize(w * static_cast<size_t>(picture.Height));
    for (int y = 0; y < picture.Height; ++y)
        std::copy_n(picture.Top + y * picture.RowStep, w, &pixels_[static_cast<size_t>(y) * w]);
    picture_.Top = pixels_.data();
    picture_.RowStep = picture.Width;
}

const TFlashReport& TSessionFlashGrader::Check(int32_t milli, int level) {
    const auto key = std::make_pair(milli, level);
    const auto found = checked_.find(key);
    if (found != checked_.end()) return found->second;
    TFlashSettings s = display_;
    s.TransformLevel = level;
    s.StepsPerSecond = PictureStepsPerSecond(FrequencyFromMilli(milli));
    return checked_.emplace(key, CheckFlashing(picture_, s)).first->second;
}

std::vector<TFlashMinute> TSessionFlashGrader::Grade(const TSession& session, int startLevel) {
    std::vector<TFlashMinute> minutes;
    if (session.Empty()) return minutes;
    // The states in order, each stretch cut at the minutes' edges.
    std::vector<TStretch> stretches;
    TFlashState state(startLevel);
    TSessionFollower follower(session);
    const int64_t end = session.LengthMs();
    for (int64_t now = 0; now < end; now += kSessionTickMs) {
        follower.Follow(now, state);
        const int64_t tickEnd = std::min(now + kSessionTickMs, end);
        if (!stretches.empty() && stretches.back().Milli == state.Milli() &&
            stretches.back().Level == state.Level() && now % kMinuteMs != 0) {
            stretches.back().EndMs = tickEnd;
            continue;
        }
        stretches.push_back({now, tickEnd, state.Milli(), state.Level()});
    }
    // A glide holds each frequency for a tick or two: no second of light runs at it alone,
    // so it is graded at the tenth of a hertz the slider shows, which keeps the checks of a
    // long glide to a few hundred. A state that holds, or that runs on into the next minute,
    // is graded at its own frequency.
    for (size_t i = 0; i < stretches.size(); ++i) {
        const TStretch& s = stretches[i];
        const bool continues = i + 1 < stretches.size() && stretches[i + 1].Milli == s.Milli &&
                               stretches[i + 1].Level == s.Level;
        const bool held =
            s.EndMs - s.StartMs >= kHeldMs || continues ||
            (i > 0 && stretches[i - 1].Milli == s.Milli && stretches[i - 1].Level == s.Level);
        const int32_t graded = held ? s.Milli : std::max(100, (s.Milli + 50) / 100 * 100);
        const TFlashReport& report = Check(graded, s.Level);
        const double hz = static_cast<double>(FrequencyFromMilli(s.Milli));
        const int64_t start = s.StartMs / kMinuteMs * kMinuteMs;
        if (minutes.empty() || minutes.back().StartMs != start) {
            TFlashMinute m;
            m.StartMs = start;
            m.EndMs = std::min(start + kMinuteMs, end);
            m.LowestHz = m.HighestHz = hz;
            m.LowestDepth = m.HighestDepth = s.Level;
            m.Worst = report;
            m.WorstDepth = s.Level;
            minutes.push_back(std::move(m));
            continue;
        }
        TFlashMinute& m = minutes.back();
        m.LowestHz = std::min(m.LowestHz, hz);
        m.HighestHz = std::max(m.HighestHz, hz);
        m.LowestDepth = std::min(m.LowestDepth, s.Level);
        m.HighestDepth = std::max(m.HighestDepth, s.Level);
        if (WorseFlashing(report, m.Worst)) {
            m.Worst = report;
            m.WorstDepth = s.Level;
        }
    }
    return minutes;
}

bool WorseFlashing(const TFlashReport& a, const TFlashReport& b) {
    if (a.Over != b.Over) return a.Over;
    const double flashesA = std::max(a.GeneralFlashesPerSecond, a.RedFlashesPerSecond);
    const double flashesB = std::max(b.GeneralFlashesPerSecond, b.RedFlashesPerSecond);
    if (flashesA != flashesB) return flashesA > flashesB;
    return std::max(a.ScreenAreaFraction, a.WcagAreaFraction) >
           std::max(b.ScreenAreaFraction, b.WcagAreaFraction);
}

size_t WorstFlashMinute(const std::vector<TFlashMinute>& minutes) {
    size_t worst = 0;
    for (size_t i = 1; i < minutes.size(); ++i) {
        if (WorseFlashing(minutes[i].Worst, minutes[worst].Worst)) worst = i;
    }
    return worst;
}

size_t FlashMinutesOver(const std::vector<TFlashMinute>& minutes) {
    return static_cast<size_t>(std::count_if(minutes.begin(), minutes.end(),
                                             [](const TFlashMinute& m) { return m.Worst.Over; }));
}

namespace {
QString Tr(const char* source) {
    return QCoreApplication::translate("FlashCheck", source);
}
} // namespace

std::string FlashMinuteHeading(const TFlashMinute& m, const QLocale& numbers) {
    const auto hz = [&](double value) { return FlashNumber(value, 1, numbers); };
    const QString range =
        m.LowestHz == m.HighestHz
            ? Tr(QT_TRANSLATE_NOOP("FlashCheck", "%1 Hz")).arg(hz(m.LowestHz))
            : Tr(QT_TRANSLATE_NOOP("FlashCheck", "%1-%2 Hz")).arg(hz(m.LowestHz), hz(m.HighestHz));
    const QString depth = m.LowestDepth == m.HighestDepth
                              ? Tr(QT_TRANSLATE_NOOP("FlashCheck", "depth %1")).arg(m.LowestDepth)
                              : Tr(QT_TRANSLATE_NOOP("FlashCheck", "depth %1-%2"))
                                    .arg(m.LowestDepth)
                                    .arg(m.HighestDepth);
    return FormatSessionTime(m.StartMs) + "-" + FormatSessionTime(m.EndMs) + "  " +
           (range + QStringLiteral(", ") + depth).toStdString();
}

std::string DescribeFlashMinute(const TFlashMinute& m, const QLocale& numbers) {
    const TFlashReport& r = m.Worst;
    const auto number = [&](double value, int decimals) {
        return FlashNumber(value, decimals, numbers);
    };
    const QString figures =
        Tr(QT_TRANSLATE_NOOP("FlashCheck", "%1 general and %2 red flashes a second, %3 % of the "
                                           "screen, %4 % of a 10-degree field"))
            .arg(number(r.GeneralFlashesPerSecond, 1), number(r.RedFlashesPerSecond, 1),
                 number(r.ScreenAreaFraction * 100, 0), number(r.WcagAreaFraction * 100, 0));
    return FlashMinuteHeading(m, numbers) + ": " + r.VerdictText() +
           (r.Over ? " (" + r.ReasonText(numbers) + ")" : "") + "; " + figures.toStdString();
}
