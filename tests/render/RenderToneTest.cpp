// SPDX-License-Identifier: GPL-3.0-or-later
// The tone in rendered files, over a silent sound so that only the tone is heard: the binaural
// beat's two pitches, the isochronic pulse's rate and edges, a session's beat following its
// line, and no click where the frequency, the carrier or the tone changes during a run.
#include "common/SweepAndPulse.h"
#include "library/LibraryFormat.h"
#include "library/LibraryTestFiles.h"
#include "sound/Wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

namespace {

using sweeppulse::kRate;
using sweeppulse::Stereo;

// Renders with a library whose only sound is silent (or, with a level, a constant that shows
// the balance alone), in float samples.
Stereo RenderTone(const libtest::TempDir& dir, const std::string& args, int16_t level = 0) {
    libtest::WriteFile(
        dir / "silent.zdl",
        BuildLibraryModule(
            {}, {{"Silence", libtest::WaveFile(22050, std::vector<int16_t>(22050, level))}}));
    const std::string out = (dir / "t.wav").string();
    const auto r =
        libtest::RunCommand(std::string(VELMORA_BINARY_DIR) + "/velmora-render --library " +
                            (dir / "silent.zdl").string() + " --format f32 " + args + " -o " + out);
    EXPECT_EQ(r.Exit, 0) << r.Output;
    return sweeppulse::ReadStereo(out);
}

// Moments of rising zero crossings, placed between their two samples.
std::vector<double> Rises(const std::vector<float>& x, size_t from, size_t to) {
    std::vector<double> at;
    for (size_t i = std::max<size_t>(from, 1); i < std::min(to, x.size()); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0)
            at.push_back(static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]));
    }
    return at;
}

// The pitch between two frames, from the first and last rising crossing.
double Pitch(const std::vector<float>& x, size_t from, size_t to) {
    const std::vector<double> r = Rises(x, from, to);
    if (r.size() < 2) return 0;
    return static_cast<double>(r.size() - 1) * kRate / (r.back() - r.front());
}

// The largest step from one sample to the next.
float LargestStep(const std::vector<float>& x) {
    float worst = 0;
    for (size_t i = 1; i < x.size(); ++i)
        worst = std::max(worst, std::fabs(x[i] - x[i - 1]));
    return worst;
}

float Peak(const std::vector<float>& x) {
    float top = 0;
    for (float v : x)
        top = std::max(top, std::fabs(v));
    return top;
}

// A sine's own largest step at a frequency and a peak.
double Slope(double hz, double peak) {
    return peak * 2 * std::numbers::pi * hz / kRate;
}

} // namespace

TEST(RenderedTone, BinauralBeatHasTheCarrierLeftAndCarrierPlusFrequencyRight) {
    libtest::TempDir dir("tone-binaural");
    const Stereo s = RenderTone(dir, "--frequency 10.0 --duration 0:03 --tone binaural");
    ASSERT_EQ(s.Left.size(), 3 * 44100u);
    const double left = Pitch(s.Left, 4410, s.Left.size());
    const double right = Pitch(s.Right, 4410, s.Right.size());
    EXPECT_NEAR(left, 200.0, 200.0 * 0.0005);
    EXPECT_NEAR(right, 210.0, 210.0 * 0.0005);
    EXPECT_NEAR(right - left, 10.0, 10.0 * 0.0005);
    // Full volume with the tone 6 dB below it, and the same level in both ears.
    EXPECT_NEAR(Peak(s.Left), 0.501, 0.01);
    EXPECT_NEAR(Peak(s.Right), 0.501, 0.01);

    // Another carrier, quieter, and off.
    const Stereo q = RenderTone(
        dir, "--frequency 10.0 --duration 0:02 --tone binaural --carrier 440 --tone-level -20");
    EXPECT_NEAR(Pitch(q.Left, 4410, q.Left.size()), 440.0, 440.0 * 0.0005);
    EXPECT_NEAR(Peak(q.Left), 0.1, 0.005);
    const Stereo off = RenderTone(dir, "--frequency 10.0 --duration 0:01 --tone off");
    EXPECT_EQ(Peak(off.Left) + Peak(off.Right), 0.0f);
}

TEST(RenderedTone, IsochronicPulseComesAtTheFrequencyHalfOnWithSoftEdges) {
    libtest::TempDir dir("tone-pulse");
    for (const char* frequency : {"10.0", "35.0"}) {
        const double hz = std::stod(frequency);
        const Stereo s = RenderTone(dir, std::string("--frequency ") + frequency +
                                             " --duration 0:03 --tone isochronic");
        EXPECT_EQ(s.Left, s.Right) << "the same in both ears";
        // Each pulse starts with the first sound after silence.
        std::vector<size_t> starts;
        size_t on = 0;
        for (size_t i = 1; i < s.Left.size(); ++i) {
            if (s.Left[i] != 0) ++on;
            if (s.Left[i - 1] == 0 && s.Left[i] != 0 && (i < 2 || s.Left[i - 2] == 0)) {
                if (starts.empty() || i - starts.back() > kRate / hz / 2) starts.push_back(i);
            }
        }
        ASSERT_GT(starts.size(), 20u) << hz;
        const double rate = static_cast<double>(starts.size() - 2) * kRate /
                            static_cast<double>(starts[starts.size() - 1] - starts[1]);
        EXPECT_NEAR(rate, hz, hz * 0.0005);
        EXPECT_NEAR(static_cast<double>(on) / static_cast<double>(s.Left.size() - starts[0]), 0.5,
                    0.02)
            << hz;
        // The edges rise no faster than the carrier itself.
        EXPECT_LE(LargestStep(s.Left), Slope(200.0, Peak(s.Left)) * 1.01) << hz;
        EXPECT_GT(Peak(s.Left), 0.45f);
    }
}

TEST(RenderedTone, SessionBeatFollowsItsLineFrom10To4Hz) {
    libtest::TempDir dir("tone-session");
    std::ofstream(dir / "d.vsession") << "0:00 10.0 tone=binaural carrier=250\n0:06 4.0\n";
    const Stereo s = RenderTone(dir, "--session " + (dir / "d.vsession").string());
    ASSERT_EQ(s.Left.size(), 6 * 44100u);
    for (double t = 0.25; t < 5.8; t += 0.5) {
        const auto from = static_cast<size_t>((t - 0.2) * kRate),
                   to = static_cast<size_t>((t + 0.2) * kRate);
        const double beat = Pitch(s.Right, from, to) - Pitch(s.Left, from, to);
        EXPECT_NEAR(Pitch(s.Left, from, to), 250.0, 0.01) << t;
        EXPECT_NEAR(beat, 10.0 - t, 0.03) << "at " << t << " s";
    }
}

TEST(RenderedTone, NoClickWhereFrequencyCarrierOrToneChangesDuringARun) {
    libtest::TempDir dir("tone-changes");
    // A frequency jump, a carrier jump, binaural to isochronic and back, off and on.
    std::ofstream(dir / "c.vsession") << "0:00 10.0 tone=binaural carrier=300\n"
                                         "0:01 30.0\n0:02 30.0 carrier=120\n"
                                         "0:03 5.0 tone=isochronic\n0:04 5.0 tone=binaural\n"
                                         "0:05 8.0 tone=off\n0:06 8.0 tone=isochronic carrier=300\n"
                                         "0:07 8.0\n";
    const Stereo s = RenderTone(dir, "--session " + (dir / "c.vsession").string());
    // No step larger than the highest tone played takes by itself (carrier + beat).
    const double bound = Slope(330.0, 0.502) * 1.02;
    EXPECT_LE(LargestStep(s.Left), bound);
    EXPECT_LE(LargestStep(s.Right), bound);
    // Every part is heard where it should be: off between 5.05 and 6 s, on elsewhere.
    EXPECT_EQ(Peak({s.Left.begin() + 5.05 * kRate, s.Left.begin() + 6 * kRate}), 0.0f);
    EXPECT_GT(Peak({s.Left.begin() + 2.2 * kRate, s.Left.begin() + 2.9 * kRate}), 0.45f);
    EXPECT_NEAR(Pitch(s.Left, 2.2 * kRate, 2.9 * kRate), 120.0, 0.01);
}

namespace {
using namespace sweeppulse;

// Renders the same run twice, the sweep of a constant sound alone and the isochronic tone
// alone, and checks every pulse against the sweep: the step nearest its onset lies within
// half a millisecond, and is the one that brings the balance back to the centre from the left
// (the sweep's first step of a period). Returns the sweep's steps and the pulses.
std::pair<size_t, size_t> ExpectPulsesOnSweepSteps(const libtest::TempDir& dir,
                                                   const std::string& args) {
    const Stereo sweep = RenderTone(dir, args + " --am 5 --tone off", 8000);
    const Stereo tone = RenderTone(dir, args + " --tone isochronic");
    const std::vector<size_t> steps = BalanceSteps(sweep), pulses = PulseOnsets(tone);
    if (steps.empty()) return {0, pulses.size()};
    const auto balance = [&](size_t f) { return sweep.Right[f] - sweep.Left[f]; };
    for (size_t p : pulses) {
        const size_t nearest = NearestStep(steps, p);
        const double apart = std::fabs(static_cast<double>(nearest) - static_cast<double>(p));
        EXPECT_LT(apart, kRate * 0.0005) << "pulse at frame " << p;
        // The balance comes from the left and ends near the centre before the next step.
        const auto after = std::upper_bound(steps.begin(), steps.end(), nearest);
        if (nearest < 5 || after == steps.end()) continue;
        const float before = balance(nearest - 1), settled = balance(*after - 1);
        EXPECT_LT(before, -1e-3f) << "pulse at frame " << p;
        EXPECT_LT(std::fabs(settled), 0.2f * std::fabs(before)) << "pulse at frame " << p;
    }
    return {steps.size(), pulses.size()};
}
} // namespace

TEST(RenderedTone, SweepAndPulseShareThePhaseAtAFrequencyOffTheMillisecondGrid) {
    libtest::TempDir dir("tone-phase");
    // 17.3 Hz: a sweep step every 2.890 ms (whole milliseconds would give 2 ms), 346 a second.
    const auto [steps, pulses] = ExpectPulsesOnSweepSteps(dir, "--frequency 17.3 --duration 0:10");
    EXPECT_NEAR(static_cast<double>(steps), VisibleSteps(173), 2);
    EXPECT_NEAR(static_cast<double>(pulses), 173, 1);
}

TEST(RenderedTone, SweepAndPulseShareThePhaseThroughASessionRamp) {
    libtest::TempDir dir("tone-phase-ramp");
    // Up to 30 Hz: a sweep step still outlasts the balance's 1.5 ms glide, so each is seen.
    std::ofstream(dir / "ramp.vsession") << "0:00 4.0\n0:20 30.0\n";
    const auto [steps, pulses] =
        ExpectPulsesOnSweepSteps(dir, "--session " + (dir / "ramp.vsession").string());
    // The periods run: the session is followed every 25 ms, each tick's frequency holding
    // until the next.
    double periods = 0;
    for (int tick = 0; tick < 800; ++tick)
        periods += (4.0 + 26.0 * tick / 800) * 0.025;
    EXPECT_NEAR(static_cast<double>(pulses), periods, 1);
    EXPECT_NEAR(static_cast<double>(steps), VisibleSteps(periods), 8);
}
