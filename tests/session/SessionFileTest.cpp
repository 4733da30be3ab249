// SPDX-License-Identifier: GPL-3.0-or-later
// The session file's rules and refusals, and the timeline between its points.
#include "session/SessionFile.h"

#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::string Refusal(const std::string& text) {
    try {
        ParseSession(text, "s.vsession");
    } catch (const ESessionError& e) {
        return e.Message();
    }
    return "accepted";
}

TEST(SessionFile, ReadsPointsSettingsCommentsAndBlankLines) {
    const TSession s = ParseSession("\xEF\xBB\xBF# wind down\r\n"
                                    "0:00   14.0   depth=7 am=3 fm=2 volume=5\r\n"
                                    "\n"
                                    "  # indented comment\n"
                                    "2:00\t14.0\n"
                                    "1:00:00 7.525 half=on\n"
                                    "1:20:05 0.1 half=off volume=0 tone=isochronic carrier=1000\n"
                                    "1:30:00 0.1 tone=off carrier=50 \n"
                                    "1:40:00 0.1 tone=binaural",
                                    "s");
    ASSERT_EQ(s.Points().size(), 6u);
    const TSessionPoint& first = s.Points()[0];
    EXPECT_EQ(first.Line, 2);
    EXPECT_EQ(first.FrequencyMilli, 14000);
    EXPECT_EQ(first.Knob(TSessionKnob::Depth), 7);
    EXPECT_EQ(first.Knob(TSessionKnob::AM), 3);
    EXPECT_EQ(first.Knob(TSessionKnob::FM), 2);
    EXPECT_EQ(first.Knob(TSessionKnob::Volume), 5);
    EXPECT_EQ(first.Knob(TSessionKnob::Half), kKnobUnset);
    EXPECT_EQ(s.Points()[1].Line, 5);
    EXPECT_EQ(s.Points()[1].TimeMs, 120000);
    EXPECT_EQ(s.Points()[1].Knob(TSessionKnob::Volume), kKnobUnset);
    EXPECT_EQ(s.Points()[2].TimeMs, 3600000);
    EXPECT_EQ(s.Points()[2].FrequencyMilli, 7525);
    EXPECT_EQ(s.Points()[2].Knob(TSessionKnob::Half), 1);
    EXPECT_EQ(s.Points()[3].Knob(TSessionKnob::Half), 0);
    EXPECT_EQ(s.Points()[3].Knob(TSessionKnob::Volume), 0);
    // The tone's words in their order, and the carrier in Hz, which is wider than the knobs.
    EXPECT_EQ(first.Knob(TSessionKnob::Tone), kKnobUnset);
    EXPECT_EQ(first.Knob(TSessionKnob::Carrier), kKnobUnset);
    EXPECT_EQ(s.Points()[3].Knob(TSessionKnob::Tone), 2);
    EXPECT_EQ(s.Points()[3].Knob(TSessionKnob::Carrier), 1000);
    EXPECT_EQ(s.Points()[4].Knob(TSessionKnob::Tone), 0);
    EXPECT_EQ(s.Points()[4].Knob(TSessionKnob::Carrier), 50);
    EXPECT_EQ(s.Points()[5].Knob(TSessionKnob::Tone), 1);
    EXPECT_EQ(s.LengthMs(), 100 * 60 * 1000);
}

TEST(SessionFile, RefusesEachBrokenRuleNamingTheLine) {
    const std::string ok = "0:00 10.0\n";
    const std::string frequency = "\" is not a number with a decimal point and up to three "
                                  "decimals";
    const std::string settings = "\" (depth, am, fm, volume, half, tone, carrier, cue, say)";
    const std::pair<std::string, std::string> cases[] = {
        {ok + "0:60 10.0", "line 2: time \"0:60\" is not m:ss or h:mm:ss"},
        {ok + "1:5 10.0", "line 2: time \"1:5\" is not m:ss or h:mm:ss"},
        {ok + "1:00:00:00 10.0", "line 2: time \"1:00:00:00\" is not m:ss or h:mm:ss"},
        {ok + "-1:00 10.0", "line 2: time \"-1:00\" is not m:ss or h:mm:ss"},
        {ok + "1:00 10.0\n1:00 9.0", "line 3: time 1:00 does not come after 1:00"},
        {ok + "0:30 10", "line 2: frequency \"10" + frequency},
        {ok + "0:30 7.1234", "line 2: frequency \"7.1234" + frequency},
        {ok + "0:30 +1.5", "line 2: frequency \"+1.5" + frequency},
        {ok + "0:30 35.001", "line 2: frequency 35.001 is outside 0.1..35.0"},
        {ok + "0:30 0.09", "line 2: frequency 0.09 is outside 0.1..35.0"},
        {"0:30", "line 1: a point needs a time and a frequency"},
        {ok + "0:30 5.0 speed=3", "line 2: unknown setting \"speed=3" + settings},
        {ok + "0:30 5.0 # late comment", "line 2: unknown setting \"#" + settings},
        {ok + "0:30 5.0 depth=16", "line 2: depth must be a whole number from 1 to 15"},
        {ok + "0:30 5.0 depth=0", "line 2: depth must be a whole number from 1 to 15"},
        {ok + "0:30 5.0 x\x1b[2J\x07", "line 2: unknown setting \"x?[2J?" + settings},
        {ok + "0:30 5.0 am=6", "line 2: am must be a whole number from 0 to 5"},
        {ok + "0:30 5.0 fm=-1", "line 2: fm must be a whole number from 0 to 10"},
        {ok + "0:30 5.0 volume=", "line 2: volume must be a whole number from 0 to 10"},
        {ok + "0:30 5.0 half=yes", "line 2: half must be on or off"},
        {ok + "0:30 5.0 am=1 am=2", "line 2: am is set twice"},
        {ok + "0:30 5.0 tone=on", "line 2: tone must be off, binaural or isochronic"},
        {ok + "0:30 5.0 tone=", "line 2: tone must be off, binaural or isochronic"},
        {ok + "0:30 5.0 carrier=49", "line 2: carrier must be a whole number from 50 to 1000"},
        {ok + "0:30 5.0 carrier=1001", "line 2: carrier must be a whole number from 50 to 1000"},
        {ok + "0:30 5.0 carrier=99999", "line 2: carrier must be a whole number from 50 to 1000"},
        {ok + "0:30 5.0 tone=off tone=off", "line 2: tone is set twice"},
        {ok + "0:30 5.0\n# caf\xC3\n", "line 3: not UTF-8 text"},
        {ok + std::string("0:30 5.0\0", 9), "line 2: not UTF-8 text"},
        {"\n0:00 5.0\n", "line 2: the last point is at 0:00, so the session has no length"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(Refusal(text), "s.vsession, " + message) << text;
    EXPECT_EQ(Refusal("# nothing\n\n"), "s.vsession holds no points");
}

TEST(SessionFile, LimitsPointsAndFileSize) {
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += std::to_string(i / 60) + ":" + (i % 60 < 10 ? "0" : "") + std::to_string(i % 60) +
                " 10.0\n";
    EXPECT_EQ(ParseSession(text, "s").Points().size(), 10000u);
    EXPECT_EQ(Refusal(text + "999:00 10.0"), "s.vsession, line 10001: more than 10000 points");

    QTemporaryDir dir;
    const std::string big = dir.filePath("big.vsession").toStdString();
    {
        std::ofstream out(big, std::ios::binary);
        out << "0:00 10.0\n0:01 10.0\n" << std::string((1 << 20) - 19, '#');
    }
    try {
        LoadSessionFile(big);
        ADD_FAILURE() << "a file over 1 MiB was read";
    } catch (const ESessionError& e) {
        EXPECT_EQ(e.Message(), "big.vsession is larger than 1 MiB");
    }
    std::filesystem::resize_file(big, 1 << 20); // exactly 1 MiB is allowed; the tail is a comment
    EXPECT_EQ(LoadSessionFile(big).LengthMs(), 1000);

    // One huge word is quoted by its first few dozen characters, not repeated whole.
    const std::string ok = "0:00 10.0\n";
    const std::string frequency = "\" is not a number with a decimal point and up to three "
                                  "decimals";
    const std::string settings = "\" (depth, am, fm, volume, half, tone, carrier, cue, say)";
    const std::string word(900000, 'w');
    EXPECT_EQ(Refusal(ok + "0:30 " + word),
              "s.vsession, line 2: frequency \"" + std::string(40, 'w') + "..." + frequency);
    EXPECT_EQ(Refusal(ok + "0:30 5.0 " + std::string(39, 'x') + "\xC3\xA9yyy"),
              "s.vsession, line 2: unknown setting \"" + std::string(39, 'x') + "..." + settings);
}

TEST(SessionFile, OnlyARegularFileIsOpenedAndNeverWaitedOn) {
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("pipe.vsession").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Loaded on a thread of its own: a load that waits for a writer fails here instead of
    // hanging the test, and the writer set free lets it end.
    auto load = std::async(std::launch::async, [&] {
        try {
            LoadSessionFile(fifo);
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string("accepted");
    });
    if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the load waited for a writer";
        std::ofstream(fifo) << "0:00 1.0\n";
    }
    EXPECT_EQ(load.get(), "pipe.vsession is not a regular file");
    EXPECT_THROW(LoadSessionFile(dir.path().toStdString()), ESessionError);
}

TEST(SessionTimeline, FrequencyIsLinearBetweenPointsAndHeldOutside) {
    const TSession s = ParseSession("0:10 14.0\n"
                                    "2:10 14.0\n"
                                    "12:10 7.5\n"
                                    "12:13 7.501\n",
                                    "s");
    EXPECT_EQ(s.FrequencyMilliAt(0), 14000);      // before the first point: its value
    EXPECT_EQ(s.FrequencyMilliAt(60000), 14000);  // a level stretch
    EXPECT_EQ(s.FrequencyMilliAt(130000), 14000); // at a point: its value
    // Halfway from 14.0 to 7.5 over ten minutes, and a tenth of the way.
    EXPECT_EQ(s.FrequencyMilliAt(130000 + 300000), 10750);
    EXPECT_EQ(s.FrequencyMilliAt(130000 + 60000), 13350);
    // One thousandth over three seconds: a half at 1.5 s goes to the even 7500, and past it up.
    EXPECT_EQ(s.FrequencyMilliAt(730000 + 1500), 7500);
    EXPECT_EQ(s.FrequencyMilliAt(730000 + 1501), 7501);
    EXPECT_EQ(s.FrequencyMilliAt(730000 + 1499), 7500);
    EXPECT_EQ(s.FrequencyMilliAt(10'000'000), 7501); // after the last point
    EXPECT_EQ(FrequencyFromMilli(7525), 7.525L);
    EXPECT_EQ(FormatSessionTime(59'999), "0:59");
    EXPECT_EQ(FormatSessionTime(3'725'000), "1:02:05");
}

TEST(SessionCuesFile, ReadsBellAndQuotedTextWithEscapesAndWritesThemBack) {
    const TSession s = ParseSession(
        "0:00 10.0 cue=bell\n"
        "# a comment with an \"odd quote\n"
        "1:00 9.0 say=\"Breathe in,  \\\"slowly\\\" \\\\ out\" depth=3\n"
        "2:00 8.0 say=\"Ruhig atmen \u2014 \u0441\u043f\u043e\u043a\u043e\u0439\u043d\u043e\" "
        "cue=bell\n",
        "s");
    ASSERT_EQ(s.Points().size(), 3u);
    EXPECT_TRUE(s.Points()[0].Bell);
    EXPECT_TRUE(s.Points()[0].Say.empty());
    EXPECT_FALSE(s.Points()[1].Bell);
    EXPECT_EQ(s.Points()[1].Say, "Breathe in,  \"slowly\" \\ out"); // blanks inside kept
    EXPECT_EQ(s.Points()[1].Knob(TSessionKnob::Depth), 3);
    EXPECT_TRUE(s.Points()[2].Bell);
    EXPECT_EQ(SessionCueWords(s.Points()[0]), "  cue=bell");
    EXPECT_EQ(SessionCueWords(s.Points()[1]), "  say=\"Breathe in,  \\\"slowly\\\" \\\\ out\"");
}

TEST(SessionCuesFile, RefusesBrokenCues) {
    const std::string line = "s.vsession, line 1: ";
    EXPECT_EQ(Refusal("0:00 1.0 cue=gong\n1:00 1.0\n"), line + "cue must be bell");
    EXPECT_EQ(Refusal("0:00 1.0 cue=bell cue=bell\n1:00 1.0\n"), line + "cue is set twice");
    EXPECT_EQ(Refusal("0:00 1.0 say=\"a\" say=\"b\"\n1:00 1.0\n"), line + "say is set twice");
    const std::string quotes = "say takes a text in double quotes: say=\"...\"";
    EXPECT_EQ(Refusal("0:00 1.0 say=hello\n1:00 1.0\n"), line + quotes);
    EXPECT_EQ(Refusal("0:00 1.0 say=\"\"\n1:00 1.0\n"), line + quotes);
    EXPECT_EQ(Refusal("0:00 1.0 say=\"a\"b\"c\"\n1:00 1.0\n"), line + quotes);
    const std::string open = "the text's closing quote is missing";
    EXPECT_EQ(Refusal("0:00 1.0 say=\"never closed\n1:00 1.0\n"), line + open);
    EXPECT_EQ(Refusal("0:00 1.0 say=\"ends in \\\"\n1:00 1.0\n"), line + open);
    EXPECT_EQ(Refusal("0:00 1.0 say=\"a\\nb\"\n1:00 1.0\n"),
              line + "unknown escape \"\\n\" in the text (only \\\" and \\\\ are known)");
    const std::string control = "the text holds a control character";
    EXPECT_EQ(Refusal("0:00 1.0 say=\"tab\there\"\n1:00 1.0\n"), line + control);
    EXPECT_EQ(Refusal("0:00 1.0 say=\"bell\x07\"\n1:00 1.0\n"), line + control);
    EXPECT_EQ(Refusal("0:00 1.0 say=\"c1 \xC2\x85\"\n1:00 1.0\n"), line + control);
    // 500 characters are taken, counted as characters, not bytes; 501 are not.
    std::string most;
    for (int i = 0; i < 500; ++i)
        most += "\u00e9";
    EXPECT_EQ(Refusal("0:00 1.0 say=\"" + most + "\"\n1:00 1.0\n"), "accepted");
    EXPECT_EQ(Refusal("0:00 1.0 say=\"" + most + "x\"\n1:00 1.0\n"),
              line + "the text is longer than 500 characters");
}

} // namespace
