// SPDX-License-Identifier: GPL-3.0-or-later
#include "safety/FlashCheck.h"

#include "run/RunParameters.h"
#include "run/RunPhase.h"

#include "framework/Rounding.h"
#include "picture/DIB.h"
#include "safety/FlashColours.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

namespace {

constexpr double GeneralChange = 0.1; // a luminance change that makes a transition
constexpr double DarkLimit = 0.8;     // the darker state must be below this
// More than 3 flashes in a second: 7 transitions are three and a half flashes.
constexpr int OverTransitions = 7;
constexpr int ExtendedTransitions = 4;
constexpr int SidesGroups = 2 * 256;
constexpr double kLowestStepsPerSecond = 0.2; // 0.1 Hz

struct Frame {
    double Time;
    int64_t Step;
};

// A general transition is a swing of at least 0.1 in luminance between two turning points;
// smaller wobbles on the way do not turn it. A rise counts when it reaches 0.1, since its
// darker state is where it started. A fall's darker state is where it ends, so a fall counts
// once it is 0.1 deep and has gone below the dark limit, however gradually it gets there.
class Swings {
public:
    bool Next(double y) {
        if (!started_) {
            started_ = true;
            lo_ = hi_ = extreme_ = y;
            return false;
        }
        if (direction_ == 0) {
            lo_ = std::min(lo_, y);
            hi_ = std::max(hi_, y);
            if (y - lo_ >= GeneralChange) return Turn(1, y, lo_);
            if (hi_ - y >= GeneralChange) return Turn(-1, y, y);
            return false;
        }
        if (direction_ > 0) {
            if (y > extreme_) {
                extreme_ = y;
                return false;
            }
            return extreme_ - y >= GeneralChange && Turn(-1, y, y);
        }
        if (y < extreme_) {
            extreme_ = y;
            if (fallPending_ && y < DarkLimit) {
                fallPending_ = false;
                return true;
            }
            return false;
        }
        return y - extreme_ >= GeneralChange && Turn(1, y, extreme_);
    }

private:
    // Turns towards direction at y; the transition counts when its darker state is dark enough,
    // and a fall not yet dark enough waits for its end.
    bool Turn(int direction, double y, double darker) {
        direction_ = direction;
        extreme_ = y;
        const bool counts = darker < DarkLimit;
        fallPending_ = direction < 0 && !counts;
        return counts;
    }

    bool started_ = false;
    int direction_ = 0;
    bool fallPending_ = false;
    double lo_ = 0, hi_ = 0, extreme_ = 0;
};

// The states the display shows: at each refresh the latest step, kept only when it changed;
// phase is how far into a step the first frame comes.
std::vector<Frame> ShownFrames(double stepsPerSecond, double refreshHz, double until,
                               double phase = 0) {
    std::vector<Frame> frames;
    const double stepsPerRefresh = stepsPerSecond / refreshHz;
    const auto refreshes = static_cast<int64_t>(std::ceil(until * refreshHz)) + 1;
    int64_t last = -1;
    for (int64_t k = 0; k < refreshes; ++k) {
        const auto step = static_cast<int64_t>(
            std::floor(static_cast<double>(k) * stepsPerRefresh + phase + 1e-9));
        if (step != last) frames.push_back({static_cast<double>(k) / refreshHz, step});
        last = step;
    }
    return frames;
}

// The main frequency is to its thousandths, as in the frequency box.
constexpr double kHzGrain = 0.0005;

// For each window start i, the first frame at or after frames[i].Time + seconds.
std::vector<size_t> WindowEnds(const std::vector<Frame>& frames, size_t starts, double seconds) {
    std::vector<size_t> ends(starts);
    size_t j = 0;
    for (size_t i = 0; i < starts; ++i) {
        while (j < frames.size() && frames[j].Time < frames[i].Time + seconds - 1e-9)
            ++j;
        ends[i] = j;
    }
    return ends;
}

// The most pixels marked by flagged (per side and value) inside any rw x rh rectangle of the
// picture, through a summed-area table; a rectangle larger than the picture takes all of it.
int64_t MostInField(const TFlashPicture& p, const std::array<bool, SidesGroups>& flagged,
                    bool split, int rw, int rh) {
    const int w = p.Width;
    const int h = p.Height;
    const int leftEnd = std::min(w, (split ? w / 2 : w) + 1);
    std::array<uint32_t, SidesGroups> one{};
    for (size_t g = 0; g < SidesGroups; ++g)
        one[g] = flagged[g] ? 1 : 0;
    const uint32_t* left = one.data();
    const uint32_t* right = one.data() + 256;
    if (rw >= w && rh >= h) {
        // The field holds the whole picture: a plain count does.
        int64_t n = 0;
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = p.Top + y * p.RowStep;
            for (int x = 0; x < leftEnd; ++x)
                n += left[row[x]];
            for (int x = leftEnd; x < w; ++x)
                n += right[row[x]];
        }
        return n;
    }
    const size_t stride = static_cast<size_t>(w) + 1;
    // Every entry past the first row is written before it is read.
    const std::unique_ptr<uint32_t[]> sat(new uint32_t[stride * static_cast<size_t>(h + 1)]);
    std::fill_n(sat.get(), stride, 0u);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = p.Top + y * p.RowStep;
        const uint32_t* above = &sat[static_cast<size_t>(y) * stride];
        uint32_t* here = &sat[static_cast<size_t>(y + 1) * stride];
        here[0] = 0;
        uint32_t run = 0;
        for (int x = 0; x < leftEnd; ++x) {
            run += left[row[x]];
            here[x + 1] = above[x + 1] + run;
        }
        for (int x = leftEnd; x < w; ++x) {
            run += right[row[x]];
            here[x + 1] = above[x + 1] + run;
        }
    }
    rw = std::min(rw, w);
    rh = std::min(rh, h);
    uint32_t most = 0;
    for (int y = 0; y + rh <= h; ++y) {
        const uint32_t* top = &sat[static_cast<size_t>(y) * stride];
        const uint32_t* bottom = &sat[static_cast<size_t>(y + rh) * stride];
        for (int x = 0; x + rw <= w; ++x)
            most = std::max(most, bottom[x + rw] - bottom[x] - top[x + rw] + top[x]);
    }
    return most;
}

// The texts are translated under "FlashCheck"; the English ones also make the machine-read reason.
constexpr const char* kContext = "FlashCheck";

struct TReasonTexts {
    const char* Screen;
    const char* Field;
};
// By TFlashKind.
constexpr TReasonTexts kReasonTexts[] = {
    {QT_TRANSLATE_NOOP("FlashCheck",
                       "more than 3 general flashes a second over %1 % of the screen"),
     QT_TRANSLATE_NOOP("FlashCheck",
                       "more than 3 general flashes a second over %1 % of a 10-degree field")},
    {QT_TRANSLATE_NOOP("FlashCheck", "more than 3 red flashes a second over %1 % of the screen"),
     QT_TRANSLATE_NOOP("FlashCheck",
                       "more than 3 red flashes a second over %1 % of a 10-degree field")},
    {QT_TRANSLATE_NOOP("FlashCheck",
                       "4 or more transitions a second for 4 of 5 seconds over %1 % of the screen"),
     QT_TRANSLATE_NOOP(
         "FlashCheck",
         "4 or more transitions a second for 4 of 5 seconds over %1 % of a 10-degree field")},
};
constexpr const char* kBelowReason =
    QT_TRANSLATE_NOOP("FlashCheck", "no part larger than a quarter of the screen or of a "
                                    "10-degree field flashes more than 3 times a second");
constexpr const char* kNotEightBit =
    QT_TRANSLATE_NOOP("FlashCheck", "the picture is not an 8-bit picture");

QString Text(const char* source, bool translated) {
    return translated ? QCoreApplication::translate(kContext, source) : QString::fromUtf8(source);
}

QString Tr(const char* source) {
    return QCoreApplication::translate(kContext, source);
}

QString Number(const QLocale& numbers, double value, int decimals) {
    return FlashNumber(value, decimals, numbers);
}

// The reason in the user's language, or in English for the machine-read output.
QString ReasonOf(const TFlashReport& r, bool translated, const QLocale& numbers) {
    if (!r.Checked) return Text(kNotEightBit, translated);
    if (r.Reasons.empty()) return Text(kBelowReason, translated);
    QString out;
    for (const TFlashReason& reason : r.Reasons) {
        const TReasonTexts& texts = kReasonTexts[static_cast<size_t>(reason.Kind)];
        if (!out.isEmpty()) out += Text(QT_TRANSLATE_NOOP("FlashCheck", "; "), translated);
        out += Text(reason.InField ? texts.Field : texts.Screen, translated)
                   .arg(Number(numbers, reason.Fraction * 100, 0));
    }
    return out;
}

} // namespace

QString FlashNumber(double value, int decimals, const QLocale& numbers) {
    if (numbers.language() != QLocale::C) return numbers.toString(value, 'f', decimals);
    // Rounded exactly as the C library rounds, so that English output stays as it was.
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return QString::fromLatin1(text);
}

std::string TFlashReport::VerdictText() const {
    if (!Checked) return Tr(QT_TRANSLATE_NOOP("FlashCheck", "not checked")).toStdString();
    return Tr(Over ? QT_TRANSLATE_NOOP("FlashCheck", "over the limits")
                   : QT_TRANSLATE_NOOP("FlashCheck", "below the limits"))
        .toStdString();
}

std::string TFlashReport::ReasonText(const QLocale& numbers) const {
    return ReasonOf(*this, true, numbers).toStdString();
}

std::string TFlashReport::Figures(const QLocale& numbers) const {
    if (!Checked) return ReasonText(numbers);
    const QStringList lines = {
        Tr(QT_TRANSLATE_NOOP("FlashCheck", "General flashes: %1 a second"))
            .arg(Number(numbers, GeneralFlashesPerSecond, 1)),
        Tr(QT_TRANSLATE_NOOP("FlashCheck", "Red flashes: %1 a second"))
            .arg(Number(numbers, RedFlashesPerSecond, 1)),
        Tr(QT_TRANSLATE_NOOP("FlashCheck",
                             "Flashing area: %1 % of the screen, %2 % of a 10-degree field"))
            .arg(Number(numbers, ScreenAreaFraction * 100, 0),
                 Number(numbers, WcagAreaFraction * 100, 0)),
        Tr(QT_TRANSLATE_NOOP("FlashCheck", "Extended flashing: %1"))
            .arg(Extended ? Tr(QT_TRANSLATE_NOOP("FlashCheck", "yes"))
                          : Tr(QT_TRANSLATE_NOOP("FlashCheck", "no"))),
        Tr(QT_TRANSLATE_NOOP("FlashCheck", "Display refresh: %1 Hz"))
            .arg(Number(numbers, RefreshHz, 1)),
        Tr(QT_TRANSLATE_NOOP("FlashCheck", "Frequency the display shows: %1 Hz"))
            .arg(Number(numbers, Shown.ShownHz, 1)),
    };
    return lines.join(QLatin1Char('\n')).toStdString();
}

bool TShownLight::Differs() const {
    return std::abs(ShownHz - MainHz) >= kHzGrain || !Even();
}

TShownLight ShownLightOf(double stepsPerSecond, double refreshHz) {
    TShownLight light;
    light.RefreshHz = refreshHz;
    light.MainHz = stepsPerSecond / 2;
    if (!(refreshHz > 0) || !(stepsPerSecond > 0)) return light;
    const double folded = std::fmod(light.MainHz, refreshHz);
    light.ShownHz = std::min(folded, refreshHz - folded);
    light.NearestEvenHz = NearestEvenFrequency(light.MainHz, refreshHz);
    // The halves as the frames show them: runs of shown steps of one parity, the first and
    // the last cut short by the ends. The frames come half a step into the first one, as a
    // frequency a thousandth off an even one meets them: they slip past its steps only after
    // many periods, where a step starting on a frame would slip at once. Ten seconds let the
    // slips of a frequency further off show.
    const double until = std::max(10.0, 6.0 / stepsPerSecond);
    const std::vector<Frame> frames = ShownFrames(stepsPerSecond, refreshHz, until, 0.5);
    int64_t runStart = -1;
    for (size_t j = 1; j < frames.size(); ++j) {
        if ((frames[j].Step - frames[j - 1].Step) % 2 == 0) continue;
        const auto frame = static_cast<int64_t>(std::llround(frames[j].Time * refreshHz));
        const bool whole = runStart >= 0;
        const auto length = static_cast<int>(frame - runStart);
        runStart = frame;
        if (!whole) continue;
        light.FewestFrames =
            light.FewestFrames == 0 ? length : std::min(light.FewestFrames, length);
        light.MostFrames = std::max(light.MostFrames, length);
    }
    return light;
}

namespace {
// A frequency to its thousandths, the zeros after its tenths left out.
QString HzText(double hz, const QLocale& numbers) {
    QString text = FlashNumber(hz, 3, numbers);
    const qsizetype point = text.size() - 4;
    while (text.size() > point + 2 && text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}
} // namespace

std::string ShownLightText(const TShownLight& light, const QLocale& numbers) {
    if (!(light.RefreshHz > 0) || !light.Differs()) return {};
    // A refresh as it is measured or set: 60, 59.94.
    QString refresh = FlashNumber(light.RefreshHz, 2, numbers);
    if (std::abs(light.RefreshHz - std::round(light.RefreshHz)) < 0.005)
        refresh = FlashNumber(light.RefreshHz, 0, numbers);
    const QString even = HzText(light.NearestEvenHz, numbers);
    if (std::abs(light.ShownHz - light.MainHz) >= kHzGrain) {
        return Tr(QT_TRANSLATE_NOOP("FlashCheck",
                                    "On a %1 Hz display the light flashes at %2 Hz, not at %3 "
                                    "Hz; the nearest frequency it shows evenly is %4 Hz."))
            .arg(refresh, HzText(light.ShownHz, numbers), HzText(light.MainHz, numbers), even)
            .toStdString();
    }
    return Tr(QT_TRANSLATE_NOOP("FlashCheck",
                                "On a %1 Hz display the halves of each period last %2 to %3 "
                                "frames; the nearest frequency it shows evenly is %4 Hz."))
        .arg(refresh)
        .arg(light.FewestFrames)
        .arg(light.MostFrames)
        .arg(even)
        .toStdString();
}

double NearestEvenFrequency(double hz, double refreshHz) {
    if (!(refreshHz > 0)) return 0;
    const auto even = [&](int64_t k) {
        return std::round(refreshHz / (2.0 * static_cast<double>(k)) * 1000) / 1000;
    };
    // k frames a half period; the box's 35 Hz bounds it from below, its 0.1 Hz from above.
    const auto fewest =
        std::max<int64_t>(1, static_cast<int64_t>(std::ceil(refreshHz / 70 - 1e-9)));
    const auto most = std::max(fewest, static_cast<int64_t>(std::floor(refreshHz / 0.2 + 1e-9)));
    const double k0 = hz > 0 ? refreshHz / (2 * hz) : static_cast<double>(most);
    double best = 0;
    for (const double k : {std::floor(k0), std::ceil(k0)}) {
        const int64_t kk = std::clamp(static_cast<int64_t>(k), fewest, most);
        const double candidate = even(kk);
        if (best == 0 || std::abs(candidate - hz) < std::abs(best - hz) ||
            (std::abs(candidate - hz) == std::abs(best - hz) && candidate < best))
            best = candidate;
    }
    return best;
}

double PictureStepsPerSecond(long double frequencyHz) {
    // The run's own rules: the frequency to its thousandths, two picture steps a period.
    const uint32_t milli = std::clamp<uint32_t>(FrequencyMilliHz(frequencyHz), 100, 35'000);
    return kPictureStepsPerPeriod * static_cast<double>(milli) / 1000.0;
}

TFlashPicture FlashPictureOf(const TDIB& dib) {
    TFlashPicture p;
    const TDIBSharedImage& image = dib.Image();
    if (image.BitCount != 8 || image.Compressed || !image.TopRow || dib.IsEmpty()) return p;
    p.Top = image.TopRow;
    p.RowStep = image.RowStep;
    p.Width = image.Width;
    p.Height = image.Height;
    p.Colours = image.ColorTable;
    return p;
}

TFlashReport CheckFlashing(const TFlashPicture& picture, const TFlashSettings& settings) {
    TFlashReport report;
    report.RefreshHz = std::clamp(settings.RefreshHz > 0 ? settings.RefreshHz : 60.0, 1.0, 1000.0);
    // Below the lowest frequency's rate a cycle of the ring would take hours to check.
    report.StepsPerSecond = std::clamp(settings.StepsPerSecond, kLowestStepsPerSecond, 1000.0);
    report.Shown = ShownLightOf(report.StepsPerSecond, report.RefreshHz);
    if (!picture.Top || picture.Width <= 0 || picture.Height <= 0) {
        report.Reason = ReasonOf(report, false, QLocale::c()).toStdString();
        return report;
    }
    report.Checked = true;
    report.Reason = ReasonOf(report, false, QLocale::c()).toStdString();

    const int m = settings.CycleModulus;
    const int level = settings.TransformLevel;
    const bool split = settings.RightLeftDifference;
    if (m <= 0 || level <= 0 || level % m == 0) return report;

    // Pixels per side and value; values above the modulus never change.
    // Four counts in turn, so that runs of equal pixels do not wait on one counter.
    std::array<std::array<int64_t, SidesGroups>, 4> counts{};
    const int leftEnd = std::min(picture.Width, (split ? picture.Width / 2 : picture.Width) + 1);
    for (int y = 0; y < picture.Height; ++y) {
        const uint8_t* row = picture.Top + y * picture.RowStep;
        for (int x = 0; x < leftEnd; ++x)
            ++counts[static_cast<size_t>(x & 3)][row[x]];
        for (int x = leftEnd; x < picture.Width; ++x)
            ++counts[static_cast<size_t>(x & 3)][256u + row[x]];
    }
    std::array<int64_t, SidesGroups> weight{};
    for (size_t g = 0; g < SidesGroups; ++g)
        weight[g] = counts[0][g] + counts[1][g] + counts[2][g] + counts[3][g];

    std::array<TFlashColour, 256> colour;
    for (size_t i = 0; i < 256; ++i) {
        const TRGBQuad& q = picture.Colours[i];
        colour[i] = MeasureColour(q.Red, q.Green, q.Blue);
    }

    // One cycle of the ring warms the turning-point tracking up; windows start in the second.
    const int64_t lm = level % m;
    const int64_t cycleSteps = m / std::gcd(lm, int64_t{m});
    const double cycle = static_cast<double>(cycleSteps) / report.StepsPerSecond;
    const std::vector<Frame> frames =
        ShownFrames(report.StepsPerSecond, report.RefreshHz, 2 * cycle + 5.5);
    size_t first = 0;
    while (first < frames.size() && frames[first].Time < cycle)
        ++first;
    size_t starts = first;
    while (starts < frames.size() && frames[starts].Time < 2 * cycle)
        ++starts;
    if (starts == first) starts = first + 1;
    const size_t windows = starts - first;
    std::array<std::vector<size_t>, 6> ends;
    for (int k = 0; k <= 5; ++k)
        ends[static_cast<size_t>(k)] = WindowEnds(frames, starts, k);

    // Per group and window: bit 1 general, bit 2 red, bit 4 extended flashing.
    std::vector<uint8_t> flags(SidesGroups * windows, 0);
    std::vector<int64_t> generalArea(windows, 0), redArea(windows, 0), extendedArea(windows, 0);
    int mostGeneral = 0;
    int mostRed = 0;
    std::vector<int> generalSum(frames.size() + 1), redSum(frames.size() + 1);
    for (int g = 0; g < SidesGroups; ++g) {
        const int value = g & 255;
        if (weight[static_cast<size_t>(g)] == 0 || value > m) continue;
        const bool right = g >= 256;
        // The right side moves backwards; a level above the modulus throws it off the ring.
        if (right && level > m) continue;
        const int64_t step = right ? m - lm : lm;
        Swings swings;
        TFlashColour anchor = colour[static_cast<size_t>(value % m)];
        for (size_t j = 0; j < frames.size(); ++j) {
            const auto index = static_cast<size_t>((value % m + frames[j].Step % m * step) % m);
            const TFlashColour& c = colour[index];
            const bool general = swings.Next(c.Luminance);
            const bool red = IsRedTransition(anchor, c);
            if (red) anchor = c;
            generalSum[j + 1] = generalSum[j] + (general ? 1 : 0);
            redSum[j + 1] = redSum[j] + (red ? 1 : 0);
        }
        for (size_t w = 0; w < windows; ++w) {
            const size_t i = first + w;
            const int general = generalSum[ends[1][i]] - generalSum[i];
            const int red = redSum[ends[1][i]] - redSum[i];
            mostGeneral = std::max(mostGeneral, general);
            mostRed = std::max(mostRed, red);
            int busySeconds = 0;
            for (size_t k = 0; k < 5; ++k) {
                busySeconds +=
                    generalSum[ends[k + 1][i]] - generalSum[ends[k][i]] >= ExtendedTransitions;
            }
            uint8_t& f = flags[static_cast<size_t>(g) * windows + w];
            const int64_t n = weight[static_cast<size_t>(g)];
            if (general >= OverTransitions) f |= 1, generalArea[w] += n;
            if (red >= OverTransitions) f |= 2, redArea[w] += n;
            if (busySeconds >= 4) f |= 4, extendedArea[w] += n;
        }
    }
    report.GeneralFlashesPerSecond = mostGeneral / 2.0;
    report.RedFlashesPerSecond = mostRed / 2.0;

    const int shownW = settings.ShownWidth > 0 ? settings.ShownWidth : picture.Width;
    const int shownH = settings.ShownHeight > 0 ? settings.ShownHeight : picture.Height;
    const int screenW = settings.ScreenWidth > 0 ? settings.ScreenWidth : shownW;
    const int screenH = settings.ScreenHeight > 0 ? settings.ScreenHeight : shownH;
    const double pixelOnScreen = static_cast<double>(shownW) * shownH /
                                 (static_cast<double>(picture.Width) * picture.Height);
    const double screenArea = static_cast<double>(screenW) * screenH;
    const int fieldW =
        std::max(1, static_cast<int>(std::lround(screenW * 341.0 / 1024 * picture.Width / shownW)));
    const int fieldH =
        std::max(1, static_cast<int>(std::lround(screenH * 256.0 / 768 * picture.Height / shownH)));

    // The worst window of one kind, on the screen and in the worst field.
    struct Worst {
        double Screen = 0;
        double Field = 0;
    };
    const int64_t fieldPixels = int64_t{fieldW} * fieldH;
    // The most in a field, per set of flagged groups: kinds and windows often flag the same.
    std::map<std::array<uint64_t, SidesGroups / 64>, int64_t> fieldMost;
    auto mostInFieldOf = [&](size_t w, uint8_t bit) {
        std::array<uint64_t, SidesGroups / 64> key{};
        std::array<bool, SidesGroups> flagged{};
        for (size_t g = 0; g < SidesGroups; ++g) {
            flagged[g] = flags[g * windows + w] & bit;
            if (flagged[g]) key[g / 64] |= uint64_t{1} << (g % 64);
        }
        const auto known = fieldMost.find(key);
        if (known != fieldMost.end()) return known->second;
        const int64_t most = MostInField(picture, flagged, split, fieldW, fieldH);
        fieldMost.emplace(key, most);
        return most;
    };
    auto worstOf = [&](const std::vector<int64_t>& area, uint8_t bit) {
        Worst worst;
        std::vector<size_t> order(windows);
        std::iota(order.begin(), order.end(), size_t{0});
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return area[a] != area[b] ? area[a] > area[b] : a < b;
        });
        if (windows == 0 || area[order[0]] == 0) return worst;
        worst.Screen =
            std::min(1.0, static_cast<double>(area[order[0]]) * pixelOnScreen / screenArea);
        // Any field in any window: a window holds no more in a field than it flags, so windows
        // are measured largest first, as long as one could still beat the most found and pass
        // a quarter of a field. The largest is always measured, for the figures.
        int64_t most = 0;
        for (size_t k = 0; k < order.size(); ++k) {
            const int64_t flaggedArea = area[order[k]];
            if (flaggedArea <= most || most >= fieldPixels) break;
            if (k > 0 && static_cast<double>(flaggedArea) <=
                             FlashAreaLimit * static_cast<double>(fieldPixels))
                break;
            most = std::max(most, mostInFieldOf(order[k], bit));
        }
        worst.Field = std::min(1.0, static_cast<double>(most) / static_cast<double>(fieldPixels));
        return worst;
    };
    const Worst general = worstOf(generalArea, 1);
    const Worst red = worstOf(redArea, 2);
    const Worst extended = worstOf(extendedArea, 4);
    report.ScreenAreaFraction = std::max(general.Screen, red.Screen);
    report.WcagAreaFraction = std::max(general.Field, red.Field);
    report.ExtendedScreenFraction = extended.Screen;
    report.ExtendedWcagFraction = extended.Field;

    auto judge = [&](const Worst& worst, TFlashKind kind) {
        if (worst.Screen > FlashAreaLimit) {
            report.Reasons.push_back({kind, false, worst.Screen});
        } else if (worst.Field > FlashAreaLimit) {
            report.Reasons.push_back({kind, true, worst.Field});
        }
    };
    judge(general, TFlashKind::General);
    judge(red, TFlashKind::Red);
    const size_t before = report.Reasons.size();
    judge(extended, TFlashKind::Extended);
    report.Extended = report.Reasons.size() > before;
    if (!report.Reasons.empty()) {
        report.Over = true;
        report.Reason = ReasonOf(report, false, QLocale::c()).toStdString();
    }
    return report;
}
