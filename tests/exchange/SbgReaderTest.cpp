// SPDX-License-Identifier: GPL-3.0-or-later
// Binaural-beat schedules as their own program plays them: times counted from the right
// moment, blocks placed at each use, fades centred on their lines, silence between tone-sets,
// and what a session cannot hold reported.
#include "exchange/SbgReader.h"
#include "session/SessionFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// The points of the converted session, without its header.
std::string Points(const std::string& sbg, std::vector<std::string>* report = nullptr) {
    const TImported imported = ImportSbg(sbg, "s.sbg");
    if (report) *report = imported.Report;
    std::string points;
    for (size_t start = 0; start < imported.Text.size();) {
        const size_t end = imported.Text.find('\n', start);
        const std::string line = imported.Text.substr(start, end - start);
        if (line.front() != '#') points += line + "\n";
        start = end + 1;
    }
    return points;
}

std::string Refusal(const std::string& sbg) {
    try {
        ImportSbg(sbg, "s.sbg");
    } catch (const EImportError& e) {
        return e.Message();
    }
    return "imported";
}

const char* const kSets = "a: 200+10/50\n"
                          "b: 150+4/50\n"
                          "off: -\n";

TEST(SbgTimes, ClockTimesWithOneDigitHoursAndSeconds) {
    EXPECT_EQ(Points(std::string(kSets) + "9:30 a\n"
                                          "9:50 b\n"
                                          "10:00 = a\n"
                                          "10:30:30 = off\n"),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "19:30  10.0  carrier=150\n"
              "20:30  4.0\n"
              "29:59  4.0\n"
              "30:00  10.0  carrier=200\n"
              "1:00:30  10.0  tone=off  volume=0\n");
}

TEST(SbgTimes, RelativeTimesCountFromTheLastClockTime) {
    // From 10:00, not from the schedule's start at 08:00.
    EXPECT_EQ(Points(std::string(kSets) + "08:00 a\n"
                                          "+00:20 b\n"
                                          "10:00 = a\n"
                                          "+00:30:30 = off\n"),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "19:30  10.0  carrier=150\n"
              "20:30  4.0\n"
              "1:59:59  4.0\n"
              "2:00:00  10.0  carrier=200\n"
              "2:30:30  10.0  tone=off  volume=0\n");
}

TEST(SbgTimes, NowBeforeClockTimesKeepsItsToneSet) {
    // NOW is placed before the first clock time, or where -T says.
    std::vector<std::string> report;
    EXPECT_EQ(Points(std::string(kSets) + "NOW a\n08:00 b\n08:30 off\n", &report),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "0:30  10.0  carrier=150\n"
              "1:30  4.0\n"
              "31:30  4.0  tone=off  volume=0\n");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0], "s.sbg: NOW taken as the clock time 07:59, so that the lines from NOW "
                         "end the fade time (at least a minute) before the first clock time; -T "
                         "sets the clock time NOW stands for (line 4)");
    EXPECT_EQ(
        Points("-T 23:00\n" + std::string(kSets) + "NOW a\nNOW+00:20 b\n00:15 off\n", &report),
        "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
        "19:30  10.0  carrier=150\n"
        "20:30  4.0\n"
        "1:15:30  4.0  tone=off  volume=0\n");
    EXPECT_TRUE(report.empty());
}

TEST(SbgTimes, FadesAreCentredOnTheirLinesAndShortenedWhereLinesAreClose) {
    // Lines a minute and then 40 s apart: each fade takes at most half the way to its
    // neighbours, so b fades over 0:40..1:20 and c over 1:20..2:00.
    EXPECT_EQ(Points("c: 300+7/50\n" + std::string(kSets) + "NOW a\n+00:01 b\n+00:01:40 c\n" +
                     "+00:05 off\n"),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "0:40  10.0  carrier=150\n"
              "1:20  4.0  carrier=300\n"
              "2:00  7.0\n"
              "5:30  7.0  tone=off  volume=0\n");
    // "-F" sets the fade time; fade marks: "=" switches at once, "<" and ">" go through
    // silence, so the beat steps at the line's time; "->" after the name slides.
    EXPECT_EQ(Points("-F 20000\n" + std::string(kSets) + "NOW a\n+0:10 = b\n+0:20 < a\n" +
                     "+0:30 > b\n+0:40 a\n+0:50 a ->\n+1:00 b\n+1:10 off\n"),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "9:59  10.0\n"
              "10:00  4.0  carrier=150\n"
              "19:59  4.0\n"
              "20:00  10.0  carrier=200\n"
              "29:50  10.0  carrier=150\n"
              "30:10  4.0\n"
              "39:59  4.0\n"
              "40:00  10.0  carrier=200\n"
              "50:00  10.0\n"
              "1:00:00  4.0  carrier=150\n"
              "1:10:10  4.0  tone=off  volume=0\n");
}

TEST(SbgTimes, AfterSilenceTheNextToneSetStartsAtItsOwnBeat) {
    // Before, the frequency glided from 10 Hz to 4 Hz over b's fade-in, while b played 4 Hz.
    // A last line that changes nothing still ends the session at its time.
    EXPECT_EQ(Points(std::string(kSets) + "NOW a\n+00:10 off\n+00:20 off\n"),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "10:30  10.0  tone=off  volume=0\n"
              "20:00  10.0\n");
    EXPECT_EQ(Points(std::string(kSets) + "NOW a\n+00:10 off\n+00:20 b\n+00:30 off\n"),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "10:30  10.0  tone=off  volume=0\n"
              "19:29  10.0\n"
              "19:30  4.0  tone=binaural  carrier=150  volume=7\n"
              "30:30  4.0  tone=off  volume=0\n");
}

TEST(SbgBlocks, ABlockPlaysItsLinesAtEachTimeLineThatNamesIt) {
    std::vector<std::string> report;
    EXPECT_EQ(Points("-SE\n" + std::string(kSets) +
                         "pair: {\n"
                         "  +0:00 a\n"
                         "  +0:10 b\n"
                         "}\n"
                         "twice: {\n"
                         "  +0:00 pair\n"
                         "  +0:20 = pair\n"
                         "}\n"
                         "NOW twice\n"
                         "+0:40 off\n",
                     &report),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "9:30  10.0  carrier=150\n"
              "10:30  4.0\n"
              "19:59  4.0\n"
              "20:00  10.0  carrier=200\n"
              "29:30  10.0  carrier=150\n"
              "30:30  4.0\n"
              "40:30  4.0  tone=off  volume=0\n");
    EXPECT_TRUE(report.empty());
    // Bounded after expansion, not only in the file.
    std::string big = "a: 200+10/50\nlong: {\n";
    for (int i = 0; i < 1000; ++i)
        big += "+" + std::to_string(i / 60) + ":" + (i % 60 < 10 ? "0" : "") +
               std::to_string(i % 60) + " a\n";
    big += "}\n";
    for (int i = 0; i < 101; ++i)
        big += "NOW long\n";
    EXPECT_EQ(Refusal(big), "s.sbg, line 1104: more than 100000 time lines once blocks are "
                            "expanded");
    // Blocks of blocks double at every step: bounded in all, not block by block.
    std::string doubling = "a: 200+10/50\nb0: {\n+0:00 a\n+0:01 a\n}\n";
    for (int i = 1; i < 20; ++i) {
        doubling += "b" + std::to_string(i) + ": {\n+0:00 b" + std::to_string(i - 1) + "\n+0:01 b" +
                    std::to_string(i - 1) + "\n}\n";
    }
    EXPECT_EQ(Refusal(doubling), "s.sbg, line 64: blocks of more than 100000 lines in all");
    EXPECT_EQ(Refusal("a: 200+10/50\nx: {\n+0:01 a\n"),
              "s.sbg, line 2: the block \"x\" has no closing }");
    EXPECT_EQ(Refusal("a: 200+10/50\nx: {\n08:00 a\n}\n"),
              "s.sbg, line 3: a block's lines give their time from the block's start, as +h:mm");
}

TEST(SbgVoices, BeatsWithManyDecimalsAndOptionLinesAreRead) {
    std::vector<std::string> report;
    EXPECT_EQ(Points("-m river.ogg\n-Q -L 1:00\na: 100+5.5928571/80 mix/60\nNOW a\n", &report),
              "0:00  5.593  tone=binaural  carrier=100  volume=9\n"
              "1:00  5.593\n");
    EXPECT_EQ(report, (std::vector<std::string>{
                          "s.sbg: mix input left out (line 3)",
                          "s.sbg: sound files mixed in (-m) left out (line 1)",
                          "s.sbg: option lines left out (line 2)",
                          "s.sbg: the last tone-set is not silent: held for the fade time, "
                          "where the session ends (line 4)"}));
    // A session's carrier is a whole number of hertz.
    EXPECT_EQ(Points("a: 200.5+10/50\noff: -\nNOW a\n+0:01 off\n", &report),
              "0:00  10.0  tone=binaural  carrier=201  volume=7\n"
              "1:30  10.0  tone=off  volume=0\n");
    EXPECT_EQ(report,
              (std::vector<std::string>{"s.sbg: carriers rounded to whole hertz (line 1)"}));
    // A pre-programmed sequence has no steps this importer knows: followed by time lines it
    // is reported, alone it leaves nothing to follow.
    EXPECT_EQ(Refusal("-p drop 00ds+\n"), "s.sbg, line 1: the pre-programmed sequence (-p) is "
                                          "not converted, and there are no time lines to follow "
                                          "instead");
}

TEST(SbgLength, MoreLinesThanASessionHoldsAreThinnedWithinTheReportedError) {
    // 12,000 lines 7 s apart with a beat drifting back and forth: 24,000 points laid down.
    std::string text = "-F 4000\n";
    for (int k = 0; k < 20; ++k)
        text += "s" + std::to_string(k) + ": 200+" + std::to_string(4 + k % 10) + "." +
                std::to_string(k) + "/40 pink/5\n";
    const int lines = 12000;
    for (int i = 0; i < lines; ++i) {
        const int s = i * 7;
        text += std::to_string(s / 3600) + ":" + (s / 60 % 60 < 10 ? "0" : "") +
                std::to_string(s / 60 % 60) + ":" + (s % 60 < 10 ? "0" : "") +
                std::to_string(s % 60) + " s" + std::to_string(i % 20) + "\n";
    }
    const TImported imported = ImportSbg(text, "s.sbg");
    ASSERT_EQ(imported.Points.size(), kSessionMaxPoints);
    ASSERT_FALSE(imported.Report.empty());
    ASSERT_EQ(imported.Report.size(), 3u);
    // Long lists of lines are cut short.
    EXPECT_EQ(imported.Report[0], "s.sbg: noise voices left out (the library's sound plays "
                                  "instead); a tone-set of noise alone sets only the volume "
                                  "(lines 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 and 10 more)");
    const std::string& thinned = imported.Report[1];
    const std::string lead = "s.sbg: the frequency thinned from ";
    ASSERT_EQ(thinned.substr(0, lead.size()), lead) << thinned;
    const double within = std::stod(thinned.substr(thinned.find("within ") + 7));
    EXPECT_GT(within, 0.0);
    // Every tone-set is still heard at its own beat at its line's time, within the bound, and
    // the text is a session of exactly these points.
    const TSession session = ParseSession(imported.Text, "s.vsession");
    ASSERT_EQ(session.Points().size(), kSessionMaxPoints);
    for (int i = 1; i + 1 < lines; ++i) {
        const int k = i % 20;
        const double beat = 4 + k % 10 + k / 10.0 / (k >= 10 ? 10 : 1);
        const double heard = session.FrequencyMilliAt((i * 7 + 2) * int64_t{1000}) / 1000.0;
        ASSERT_NEAR(heard, beat, within + 0.0015) << i;
    }
}

// Schedules written from the format's description, as people write them: each imports with the
// length its last line gives and the kinds of things reported, or is refused for its reason.
TEST(SbgCollection, EachScheduleImportsOrIsRefusedForItsReason) {
    struct TExpected {
        const char* File;
        const char* End; // the session's length, or the refusal
        size_t Reported;
    };
    const TExpected expected[] = {
        {"evening-unwind.sbg", "40:30", 1},
        {"night-by-clock.sbg", "8:30:00", 4},
        {"nap-cycles.sbg", "36:30", 2},
        {"focus-pulses.sbg", "1:00:05", 2},
        {"river-meditation.sbg", "30:00", 3},
        {"wake-by-clock.sbg", "7:30:30", 1},
        {"now-then-clock.sbg", "1:01:30", 1},
        {"programme-and-lines.sbg", "20:30", 1},
        {"drop-programme.sbg",
         "drop-programme.sbg, line 3: the pre-programmed sequence (-p) is not converted", 0},
    };
    const fs::path folder = fs::path(VELMORA_SOURCE_DIR) / "tests/exchange/sbg";
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        files += entry.path().extension() == ".sbg" ? 1 : 0;
    EXPECT_EQ(files, std::size(expected));
    for (const TExpected& e : expected) {
        const std::string path = (folder / e.File).string();
        try {
            const TImported imported = ImportScheduleFile(path);
            const TSession session = ParseSession(imported.Text, e.File);
            EXPECT_EQ(FormatSessionTime(session.LengthMs()), e.End) << e.File;
            EXPECT_EQ(imported.Report.size(), e.Reported) << e.File;
        } catch (const EImportError& error) {
            EXPECT_EQ(error.Message().substr(0, std::string(e.End).size()), e.End) << e.File;
        }
    }
}

std::string Convert(const std::string& sbg, std::vector<std::string>* report = nullptr,
                    const std::string& name = "s.sbg") {
    const TImported imported = ImportSbg(sbg, name);
    if (report) *report = imported.Report;
    // Only the points: the header is checked once below.
    std::string points;
    size_t start = 0;
    while (start < imported.Text.size()) {
        const size_t end = imported.Text.find('\n', start);
        const std::string line = imported.Text.substr(start, end - start);
        if (line.front() != '#') points += line + "\n";
        start = end + 1;
    }
    return points;
}

TEST(SbgImport, PlainSchedulesCrossFadeOverAMinuteAndEndAtSilence) {
    const TImported imported = ImportSbg("# evening\n"
                                         "alpha: 200+10/50\n"
                                         "theta: 150-6/50   # carrier below: the same beat\n"
                                         "off: -\n"
                                         "NOW alpha\n"
                                         "NOW+00:10 theta\n"
                                         "+00:30:30 off\n",
                                         "plain.sbg");
    EXPECT_EQ(imported.Text, "# plain (imported)\n"
                             "#\n"
                             "# Converted from plain.sbg.\n"
                             "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
                             "9:30  10.0  carrier=150\n"
                             "10:30  6.0\n"
                             "31:00  6.0  tone=off  volume=0\n");
    EXPECT_TRUE(imported.Report.empty());
    ASSERT_EQ(imported.Points.size(), 4u);
    EXPECT_EQ(imported.Points[2].TimeMs, 10 * 60000 + 30000);
    EXPECT_EQ(imported.Points[2].FrequencyMilli, 6000);
}

TEST(SbgImport, SlidesIsochronicPulsesAndTheLoudestOfSeveralBeats) {
    std::vector<std::string> report;
    EXPECT_EQ(Convert("-F 30000\n"
                      "a: 200+4/20 300+8/40\n"
                      "b: 180@12.5/40 pink/20\n"
                      "off: -\n"
                      "NOW a ->\n"
                      "+00:05 b\n"
                      "+00:20 a\n"
                      "+00:25 off\n",
                      &report),
              "0:00  8.0  tone=binaural  carrier=300  volume=6\n"
              "5:00  12.5  tone=isochronic  carrier=180\n"
              "19:45  12.5  tone=binaural  carrier=300\n"
              "20:15  8.0\n"
              "25:15  8.0  tone=off  volume=0\n");
    EXPECT_EQ(report, (std::vector<std::string>{
                          "s.sbg: several beating voices in one tone-set, the loudest one's beat "
                          "used (line 2)",
                          "s.sbg: noise voices left out (the library's sound plays instead); a "
                          "tone-set of noise alone sets only the volume (line 3)",
                          "s.sbg: carrier slides played as steps where the slide ends (line 5)"}));
}

TEST(SbgImport, ClockTimesCountFromTheFirstPastMidnightAndTheRestIsReported) {
    std::vector<std::string> report;
    EXPECT_EQ(Convert("-SE\n"
                      "-p drop 00ls\n"
                      "a: 100+2.5/10 spin:300+4.2/20\n"
                      "b: 200+45/10 bell+400/10\n"
                      "c: mix/50 400/10\n"
                      "d: -\n"
                      "22:00 a\n"
                      "23:30 <> b ->\n"
                      "00:15 == c\n"
                      "00:45:10 d\n",
                      &report),
              "0:00  2.5  tone=binaural  carrier=100  volume=2\n"
              "1:29:59  2.5\n"
              "1:30:00  35.0  carrier=200  cue=bell\n"
              "2:15:00  35.0  tone=off\n"
              "2:45:10  35.0  volume=0\n");
    EXPECT_EQ(report,
              (std::vector<std::string>{
                  "s.sbg: pure tones without a beat left out (line 5)",
                  "s.sbg: spin voices left out (line 3)",
                  "s.sbg: bell voices kept as the session's bell at their tone-sets' times, "
                  "without their pitch and level (line 4)",
                  "s.sbg: mix input left out (line 5)",
                  "s.sbg: pre-programmed sequences (-p) left out: the time lines are followed "
                  "(line 2)",
                  "s.sbg: beats above 35 Hz clamped to 35 Hz (line 4)"}));
}

TEST(SbgImport, RefusesWhatCannotBeFollowedAndHoldsASoundingEnd) {
    std::vector<std::string> report;
    EXPECT_EQ(Convert("a: 200+10/100\nNOW a\n", &report), "0:00  10.0  tone=binaural  "
                                                          "carrier=200  volume=10\n"
                                                          "1:00  10.0\n");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0], "s.sbg: the last tone-set is not silent: held for the fade time, "
                         "where the session ends (line 2)");
    const std::pair<const char*, const char*> refusals[] = {
        {"a: 200+10/10\nNOW b\n", "s.sbg, line 2: tone-set \"b\" is not defined"},
        {"a: 200+10/10\nNOW <<> a\n", "s.sbg, line 2: fade mark \"<<>\" is not understood"},
        {"a: pink/10\nNOW a\n", "s.sbg, line 2: no tone-set of the schedule has a beating voice"},
        {"a: 200+10/10\nNOW+1:0 a\n", "s.sbg, line 2: time \"NOW+1:0\" is not understood"},
        {"a: 200+10/10\na: 300+4/10\n", "s.sbg, line 2: tone-set \"a\" is defined twice"},
        {"# nothing\n", "s.sbg, line 1: the schedule has no time lines"},
    };
    for (const auto& [text, message] : refusals) {
        try {
            ImportSbg(text, "s.sbg");
            ADD_FAILURE() << text;
        } catch (const EImportError& e) {
            EXPECT_EQ(e.Message().substr(0, std::string(message).size()), message) << text;
        }
    }
}

TEST(SbgImport, ATonesetsBellRingsAsItBeginsAlsoBetweenPointsAndInBlocks) {
    // A bell inside a cross-fade gets a point of its own on the line; one whose tone-set changes
    // nothing else gets a point too; a block's bell rings at each of its lines' times.
    std::vector<std::string> report;
    EXPECT_EQ(Points("a: 200+10/50\n"
                     "b: 200+20/50 bell+800/20\n"
                     "same: 200+10/50 bell+800/20\n"
                     "off: -\n"
                     "blk: {\n"
                     "+0:00 same\n"
                     "+0:02 same\n"
                     "}\n"
                     "0:00 a\n"
                     "0:10 b\n"
                     "0:20 a\n"
                     "0:40 blk\n"
                     "0:50 == off\n",
                     &report),
              "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
              "9:30  10.0\n"
              "10:00  15.0  cue=bell\n"
              "10:30  20.0\n"
              "19:30  20.0\n"
              "20:30  10.0\n"
              "40:00  10.0  cue=bell\n"
              "42:00  10.0  cue=bell\n"
              "50:00  10.0  tone=off  volume=0\n");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0], "s.sbg: bell voices kept as the session's bell at their tone-sets' "
                         "times, without their pitch and level (lines 2, 3)");
}

} // namespace
