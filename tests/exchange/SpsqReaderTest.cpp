// SPDX-License-Identifier: GPL-3.0-or-later
// Preset schedules: presets, templates and their overrides, the timeline's curves laid down
// within half a per cent of their swing, version 4's steps, the structured form, and the rules
// a hostile file breaks refused with its line.
#include "exchange/SpsqReader.h"
#include "session/SessionFile.h"

#include "ImportedText.h"
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

namespace {

std::string Points(const std::string& text, std::vector<std::string>* report = nullptr) {
    return PointLines(ImportSpsq, text, "s.spsq", report);
}

std::string Refusal(const std::string& text) {
    return RefusalOf(ImportSpsq, text, "s.spsq");
}

TEST(SpsqText, PresetsFadeInAndOutOfSilenceAndSlideBetween) {
    std::vector<std::string> report;
    EXPECT_EQ(Points("alpha-one\n"
                     "  noise pink amplitude 30\n"
                     "  tone 250 binaural 8 amplitude 15\n"
                     "alpha-two\n"
                     "  noise pink amplitude 25\n"
                     "  tone 250 binaural 9 amplitude 15\n"
                     "\n"
                     "00:00:00 silence\n"
                     "00:00:15 alpha-one\n"
                     "00:02:30 alpha-two\n"
                     "00:07:00 silence\n",
                     &report),
              // In at its own beat, the level halfway through the fade; out the same way.
              "0:00  8.0  tone=binaural  carrier=250  volume=0\n"
              "0:07  8.0  volume=3\n"
              "0:15  8.0\n"
              "2:30  9.0\n"
              "4:45  9.0  volume=0\n"
              "7:00  9.0  tone=off\n");
    EXPECT_EQ(report, (std::vector<std::string>{
                          "s.spsq: noise tracks left out (the library's sound plays instead); a "
                          "preset of noise alone sets only the volume (lines 2, 5)"}));
}

TEST(SpsqText, TemplatesOverridesOptionsAndWhatIsReported) {
    std::vector<std::string> report;
    EXPECT_EQ(Points("# focus\n"
                     "@volume 50\n"
                     "@background https://example.org/rain.ogg\n"
                     "@samplerate 44100\n"
                     "base as template\n"
                     "  waveform triangle tone 200 isochronic 14 amplitude 80\n"
                     "  tone 300 monaural 6 amplitude 20\n"
                     "  background pulse 3 intensity 50 amplitude 10\n"
                     "low from base\n"
                     "  track 1 isochronic 4\n"
                     "  track 1 tone +20.5\n"
                     "high from base\n"
                     "  track 1 amplitude -70\n"
                     "00:00:00 low\n"
                     "00:10:00 low\n"
                     "00:20:00 high\n"
                     "00:30:00 silence\n"
                     "## Printed, not spoken.\n",
                     &report),
              // The loudest beating track leads; the same preset twice holds; the carrier steps
              // where the slide ends; @volume halves every level.
              "0:00  4.0  tone=isochronic  carrier=221  volume=6\n"
              "10:00  4.0\n"
              "20:00  6.0  tone=binaural  carrier=300  volume=2\n"
              "25:00  6.0  volume=0\n"
              "30:00  6.0  tone=off\n");
    EXPECT_EQ(report,
              (std::vector<std::string>{
                  "s.spsq: several beating tracks in one preset, the loudest one's beat used "
                  "(line 7)",
                  "s.spsq: monaural beats played as binaural beats (line 7)",
                  "s.spsq: background tracks left out (line 8)",
                  "s.spsq: waveforms other than sine played as sine waves (line 6)",
                  "s.spsq: background sounds, preset lists and extended files are not fetched "
                  "(line 3)",
                  "s.spsq: carrier slides played as steps where the slide ends (line 15)",
                  "s.spsq: carriers rounded to whole hertz (line 11)",
                  "s.spsq: printed comments (##) left out: a session speaks only what its "
                  "points say (line 18)"}));
}

// The frequency a slide from 4 to 14 Hz over 20 minutes has at t on a curve.
double OnCurve(const std::string& curve, int64_t ms) {
    double done = 0;
    EXPECT_TRUE(SpsqCurve(curve, static_cast<double>(ms) / 1200000.0, done));
    return 4 + 10 * done;
}

TEST(SpsqText, CurvesAreLaidDownWithinHalfAPerCentOfTheirSwingInFewPoints) {
    // The curves' ends and middles are what their formulas say.
    double done = 0;
    for (const char* curve : {"steady", "ease-in", "ease-out", "smooth"}) {
        ASSERT_TRUE(SpsqCurve(curve, 0, done));
        EXPECT_NEAR(done, 0, 1e-12) << curve;
        ASSERT_TRUE(SpsqCurve(curve, 1, done));
        EXPECT_NEAR(done, 1, 1e-12) << curve;
    }
    SpsqCurve("smooth", 0.5, done);
    EXPECT_NEAR(done, 0.5, 1e-12);
    SpsqCurve("ease-in", 0.5, done);
    EXPECT_NEAR(done, std::expm1(3.0) / std::expm1(6.0), 1e-12);
    SpsqCurve("ease-out", 0.5, done);
    EXPECT_NEAR(done, std::log1p(std::expm1(6.0) * 0.5) / 6, 1e-12);
    EXPECT_FALSE(SpsqCurve("linear", 0.5, done));
    for (const std::string curve : {"ease-in", "ease-out", "smooth"}) {
        const TImported imported = ImportSpsq("a\n  tone 200 binaural 4 amplitude 50\n"
                                              "b\n  tone 200 binaural 14 amplitude 50\n"
                                              "00:00:00 a " +
                                                  curve + "\n00:20:00 b\n",
                                              "s.spsq");
        const TSession session = ParseSession(imported.Text, "s");
        EXPECT_GE(session.Points().size(), 4u) << curve;
        EXPECT_LE(session.Points().size(), 16u) << curve;
        for (int k = 0; k <= 100; ++k) {
            const int64_t ms = 1200000 * k / 100 + (k % 7) * 137 % 1000;
            const int64_t at = std::min<int64_t>(ms, 1200000);
            ASSERT_NEAR(session.FrequencyMilliAt(at) / 1000.0, OnCurve(curve, at), 0.05)
                << curve << " at " << at;
        }
    }
}

TEST(SpsqText, StepsGoBackAndForthInTwiceTheStepsAndOneLegs) {
    // Two steps: five legs of four minutes, 4 -> 14 -> 4 -> 14 -> 4 -> 14.
    const TImported imported = ImportSpsq("a\n  tone 200 binaural 4 amplitude 50\n"
                                          "b\n  tone 200 binaural 14 amplitude 50\n"
                                          "00:00:00 a steady 2\n00:20:00 b\n",
                                          "s.spsq");
    const TSession session = ParseSession(imported.Text, "s");
    const int32_t expected[] = {4000, 14000, 4000, 14000, 4000, 14000};
    for (int leg = 0; leg <= 5; ++leg)
        EXPECT_EQ(session.FrequencyMilliAt(leg * 240000), expected[leg]) << leg;
    EXPECT_EQ(session.FrequencyMilliAt(120000), 9000);
    EXPECT_EQ(session.Points().size(), 6u);
}

TEST(SpsqStructured, TheConvertersSequenceIsReadWithItsMilliseconds) {
    std::vector<std::string> report;
    EXPECT_EQ(Points(R"({"options": {"volume": 100, "background": "rain.wav"},
        "sequence": [
          {"time": 0, "transition": "steady", "track": {"tones": [], "noises": []}},
          {"time": 60000, "transition": "ease-out", "track": {"tones": [
              {"mode": "binaural", "carrier": 250, "resonance": 10, "amplitude": 50,
               "waveform": "square"}], "noises": [{"type": "pink", "amplitude": 20}]}},
          {"time": 120400, "track": {"tones": [
              {"mode": "binaural", "carrier": 250, "resonance": 10, "amplitude": 50}]}},
          {"time": 180000, "track": {}}]})",
                     &report),
              "0:00  10.0  tone=binaural  carrier=250  volume=0\n"
              "0:30  10.0  volume=7\n"
              "1:00  10.0\n"
              "2:00  10.0\n"
              "2:30  10.0  volume=0\n"
              "3:00  10.0  tone=off\n");
    EXPECT_EQ(report, (std::vector<std::string>{
                          "s.spsq: noise tracks left out (the library's sound plays instead); a "
                          "preset of noise alone sets only the volume (entry 2)",
                          "s.spsq: waveforms other than sine played as sine waves (entry 2)",
                          "s.spsq: background sounds, preset lists and extended files are not "
                          "fetched",
                          "s.spsq: times rounded to whole seconds (entry 3)"}));
}

TEST(SpsqRules, HostileFilesAreRefusedWithTheirLine) {
    const std::string a = "a\n  tone 200 binaural 4 amplitude 50\n";
    std::string many;
    for (int i = 0; i < 33; ++i)
        many += "p" + std::to_string(i) + "\n  tone 200 binaural 4 amplitude 50\n";
    std::string wide = "a\n";
    for (int i = 0; i < 17; ++i)
        wide += "  tone 200 binaural 4 amplitude 5\n";
    // Each line's hundred steps lay down 201 legs in a minute: a point every second, thinned to
    // what a session holds.
    std::string hundreds = "a\n  tone 200 binaural 4 amplitude 50\n"
                           "b\n  tone 200 binaural 14 amplitude 50\n";
    for (int i = 0; i < 1000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%02d:%02d:00 %s smooth 100\n", i / 60, i % 60,
                      i % 2 ? "b" : "a");
        hundreds += line;
    }
    const TImported thinned = ImportSpsq(hundreds, "s.spsq");
    EXPECT_EQ(thinned.Points.size(), kSessionMaxPoints);
    ASSERT_EQ(thinned.Report.size(), 1u);
    EXPECT_EQ(thinned.Report[0].substr(0, 50),
              "s.spsq: the frequency thinned from 59941 to 10000 ");
    const std::pair<std::string, std::string> refusals[] = {
        {a + "00:00:01 a\n00:01:00 a\n", "s.spsq, line 3: the timeline starts at 00:00:00"},
        {a + "00:00:00 a\n00:00:00 a\n",
         "s.spsq, line 4: time 00:00:00 does not come after the line above"},
        {a + "00:00:00 a\n24:00:00 a\n", "s.spsq, line 4: time \"24:00:00\" is not HH:MM:SS"},
        {a + "00:00:00 a\n", "s.spsq, line 3: the timeline needs at least two lines"},
        {a + "00:00:00 b\n", "s.spsq, line 3: preset \"b\" is not defined"},
        {"@extends base.spsq\n" + a + "00:00:00 b\n",
         "s.spsq, line 4: preset \"b\" is not defined (preset lists and extended files are not "
         "read)"},
        {"t as template\n  tone 200 binaural 4 amplitude 5\n00:00:00 t\n00:01:00 silence\n",
         "s.spsq, line 3: \"t\" is a template, not for the timeline"},
        {a + "@volume 50\n", "s.spsq, line 3: options come before the presets"},
        {"a\n   tone 200 binaural 4 amplitude 50\n", "s.spsq, line 2: tracks are indented by two "
                                                     "spaces"},
        {"a\n  tone 200 binaural 4 amplitude 500\n",
         "s.spsq, line 2: a track ends with \"amplitude 0..100\""},
        {a + "00:00:00 a steady 0\n00:01:00 a\n",
         "s.spsq, line 3: steps take a whole number from 1 to 100"},
        {a + "00:00:00 a sudden\n00:01:00 a\n",
         "s.spsq, line 3: \"sudden\" is not steady, ease-in, ease-out or smooth"},
        {a + "b from a\n  track 2 tone 300\n",
         "s.spsq, line 4: track takes the number of one of the template's tracks"},
        {many, "s.spsq, line 65: more than 32 presets"},
        {wide, "s.spsq, line 18: more than 16 tracks in a preset"},
        {"{\"sequence\": [{\"time\": 5}", "s.spsq: not JSON"},
        {"{\"sequence\": [{\"time\": 0}, {\"time\": -1}]}",
         "s.spsq, entry 2: the time is 0 to 24 hours in milliseconds"},
    };
    for (const auto& [text, message] : refusals)
        EXPECT_EQ(Refusal(text).substr(0, message.size()), message) << text;
}

} // namespace
