// SPDX-License-Identifier: GPL-3.0-or-later
// Voice schedules in XML: every entry ramping to the next and the last to the first, steps,
// values as attributes or child elements, the loudest beating voice followed, what a session
// cannot hold reported with its element's line, and hostile files refused with their line.
#include "exchange/GnauralReader.h"
#include "session/SessionFile.h"

#include "ImportedText.h"

#include <gtest/gtest.h>

namespace {

std::string Points(const std::string& text, std::vector<std::string>* report = nullptr) {
    return PointLines(ImportGnaural, text, "s.gnaural", report);
}

std::string Refusal(const std::string& text) {
    return RefusalOf(ImportGnaural, text, "s.gnaural");
}

TEST(Gnaural, EntriesRampToTheNextTheLastToTheFirstAndTheLoudestBeatingVoiceLeads) {
    std::vector<std::string> report;
    const std::string text =
        "<!-- made for the test, without a declaration -->\n"                              // 1
        "<schedule>\n"                                                                     // 2
        "<title>Evening</title><loops>0</loops>\n"                                         // 3
        "<voice type=\"1\"><description>pink</description><entries>\n"                     // 4
        "<entry duration=\"600\" volume_left=\"0.3\" volume_right=\"0.3\" beatfreq=\"0\" " // 5
        "basefreq=\"0\"/></entries></voice>\n"
        "<voice voice_mono=\"1\">\n"                                                       // 6
        "<type>0</type><entries>\n"                                                        // 7
        "<entry duration=\"60\" volume_left=\"0.5\" volume_right=\"0.5\" beatfreq=\"10\" " // 8
        "basefreq=\"200\"/>\n"
        "<entry duration=\"0\" volume_left=\"0.5\" volume_right=\"0.5\" beatfreq=\"8\" " // 9
        "basefreq=\"200\"/>\n"
        "<entry state=\"1\"><duration>120</duration><volume_left>0.5</volume_left>\n"    // 10
        "<volume_right>0.3</volume_right><beatfreq>-4</beatfreq>\n"                      // 11
        "<basefreq>180.4</basefreq></entry>\n"                                           // 12
        "<entry duration=\"1e+02\" volume_left=\"1\" volume_right=\"1\" beatfreq=\"6\" " // 13
        "basefreq=\"180\"/>\n"
        "</entries></voice>\n"                                                    // 14
        "<voice type=\"3\"><entries><entry duration=\"100\" volume_left=\"0.1\" " // 15
        "volume_right=\"0.1\" beatfreq=\"12\" basefreq=\"300\"/></entries></voice>\n"
        "<voice type=\"2\" description=\"rain.ogg\"><entries><entry duration=\"10\"/>" // 16
        "</entries></voice>\n"
        "<voice type=\"6\"><entries><entry duration=\"10\"/></entries></voice>\n" // 17
        "</schedule>\n";
    // The followed voice runs 280 s, stretched to the noise's 600 s; the step at 1:00 takes a
    // second; the volume changes halfway through each ramp, the carrier where it ends.
    EXPECT_EQ(Points(text, &report), "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
                                     "1:00  8.0\n"
                                     "1:01  4.0  carrier=180  volume=6\n"
                                     "2:00  5.0  volume=10\n"
                                     "3:00  6.0\n"
                                     "6:30  8.0  volume=7\n"
                                     "10:00  10.0\n");
    EXPECT_EQ(report,
              (std::vector<std::string>{
                  "s.gnaural: several binaural or isochronic voices, the loudest one's beat used "
                  "(line 15)",
                  "s.gnaural: pink-noise voices left out (the library's sound plays instead) "
                  "(line 4)",
                  "s.gnaural: audio-file voices left out (line 16)",
                  "s.gnaural: water-drop and rain voices left out (line 17)",
                  "s.gnaural: mono voices played in stereo (line 6)",
                  "s.gnaural: per-ear volumes: the mean of the two ears used (line 10)",
                  "s.gnaural: volume ramps played as steps halfway through the ramp (lines 9, 10, "
                  "13)",
                  "s.gnaural: base-frequency ramps played as steps where the ramp ends (lines 9, "
                  "13)",
                  "s.gnaural: loops left out: the schedule plays once (line 3)",
                  "s.gnaural: base frequencies rounded to whole hertz (line 10)"}));
    // The header carries the report; the text is a session the session reader takes.
    const TImported imported = ImportGnaural(text, "s.gnaural");
    const std::string head = "# s (imported)\n#\n# Converted from s.gnaural.\n# Left out or "
                             "changed: several binaural or isochronic voices, the loudest one's "
                             "beat used (line 15)\n";
    EXPECT_EQ(imported.Text.substr(0, head.size()), head);
    EXPECT_EQ(ParseSession(imported.Text, "s").LengthMs(), 600000);
}

TEST(Gnaural, IsochronicVoicesClampsRoundingAndTheSchedulesOwnSettings) {
    std::vector<std::string> report;
    EXPECT_EQ(
        Points("<?xml version=\"1.0\"?>\n"                                                     // 1
               "<schedule overallvolume_left=\"0.5\" stereoswap=\"1\" loops=\"1\">\n"          // 2
               "<overallvolume_right>0.5</overallvolume_right>\n"                              // 3
               "<voice type=\"0\" voice_mute=\"1\"><entries>\n"                                // 4
               "<entry duration=\"60\" volume_left=\"2\" beatfreq=\"4\"/></entries></voice>\n" // 5
               "<voice type=\"4\"><entries>\n"                                                 // 6
               "<entry duration=\"30.5\" volume_left=\"1.5\" beatfreq=\"40\" "                 // 7
               "basefreq=\"20\"/>\n"
               "<entry duration=\"29.5\" beatfreq=\"0.05\" basefreq=\"20\"/>\n" // 8
               "</entries></voice></schedule>\n",
               &report),
        // Half the overall volume on every entry; the last entry ramps back to the first.
        "0:00  35.0  tone=isochronic  carrier=50  volume=7\n"
        "0:31  0.1\n"
        "1:00  35.0\n");
    EXPECT_EQ(report, (std::vector<std::string>{
                          "s.gnaural: staggered and alternating isochronic voices played as plain "
                          "isochronic tones (line 6)",
                          "s.gnaural: muted voices left out (line 4)",
                          "s.gnaural: volumes above 1 taken as 1 (line 7)",
                          "s.gnaural: the stereo swap left out (line 2)",
                          "s.gnaural: beats above 35 Hz clamped to 35 Hz (line 7)",
                          "s.gnaural: beats below 0.1 Hz raised to 0.1 Hz (line 8)",
                          "s.gnaural: base frequencies outside 50..1000 Hz clamped (lines 7, 8)",
                          "s.gnaural: times rounded to whole seconds (line 8)"}));
}

TEST(Gnaural, LongSchedulesAreCutWhereTheirRampStandsAndManyEntriesThinned) {
    std::vector<std::string> report;
    EXPECT_EQ(Points("<schedule><voice>\n<entry duration=\"719998\" beatfreq=\"4\" "
                     "basefreq=\"200\"/>\n<entry duration=\"0\" beatfreq=\"8\" "
                     "basefreq=\"200\"/>\n</voice></schedule>",
                     &report),
              "0:00  4.0  tone=binaural  carrier=200  volume=10\n99:59:59  6.0\n");
    EXPECT_EQ(report,
              std::vector<std::string>{"s.gnaural: the schedule is cut at 99:59:59 (line 3)"});
    std::string text = "<schedule><voice><entries>\n";
    for (int i = 0; i < 12000; ++i)
        text += "<entry duration=\"7\" volume_left=\"1\" volume_right=\"1\" beatfreq=\"" +
                std::to_string(4 + i % 7) + "\" basefreq=\"200\"/>\n";
    text += "</entries></voice></schedule>\n";
    const TImported imported = ImportGnaural(text, "s.gnaural");
    EXPECT_EQ(imported.Points.size(), kSessionMaxPoints);
    EXPECT_EQ(imported.Points.back().TimeMs, 12000 * 7000);
    ASSERT_EQ(imported.Report.size(), 1u);
    EXPECT_EQ(imported.Report[0].substr(0, 53),
              "s.gnaural: the frequency thinned from 12001 to 10000 ");
}

TEST(Gnaural, HostileFilesAreRefusedWithTheirLineAndElement) {
    const std::string entry = "<entry duration=\"60\" beatfreq=\"4\" basefreq=\"200\"/>";
    std::string deep = "<schedule>\n";
    for (int i = 0; i < 20; ++i)
        deep += "<a>";
    std::string wide = "<schedule>\n";
    for (int i = 0; i < 200000; ++i)
        wide += "<a/>";
    std::string entries = "<schedule><voice>\n";
    for (int i = 0; i < 100001; ++i)
        entries += "<entry/>";
    std::string voices = "<schedule>\n";
    for (int i = 0; i < 257; ++i)
        voices += "<voice/>";
    const std::pair<std::string, std::string> refusals[] = {
        {"<schedule><voice>\n<entries>", "s.gnaural, line 2: not well-formed XML ("},
        {"", "s.gnaural, line 1: not well-formed XML ("},
        {"\n<html/>", "s.gnaural, line 2: the document is <html>, not a <schedule>"},
        {"<!DOCTYPE schedule [<!ENTITY a \"aaaa\">]>\n<schedule/>",
         "s.gnaural, line 1: a document type declaration is not read"},
        {deep, "s.gnaural, line 2: elements nested more than 16 deep"},
        {wide, "s.gnaural, line 2: more than 200000 elements"},
        {entries, "s.gnaural, line 2: <entry>: more than 100000 entries"},
        {voices, "s.gnaural, line 2: <voice>: more than 256 voices"},
        {"<schedule>\n<voice><entry beatfreq=\"4\"/></voice></schedule>",
         "s.gnaural, line 2: <entry> has no duration"},
        {"<schedule><voice>\n<entry duration=\"1,5\"/></voice></schedule>",
         "s.gnaural, line 2: <entry> duration \"1,5\" is not a number"},
        {"<schedule><voice><entry>\n<duration>-3</duration></entry></voice></schedule>",
         "s.gnaural, line 2: <entry> duration \"-3\" is not a number"},
        {"<schedule><voice>" + entry + "</voice>\n<loops>many</loops></schedule>",
         "s.gnaural, line 2: <schedule> loops \"many\" is not a number"},
        {"<schedule>\n<voice type=\"x\">" + entry + "</voice></schedule>",
         "s.gnaural, line 2: <voice> type \"x\" is not a number"},
        {"\n<schedule><voice type=\"1\">" + entry + "</voice></schedule>",
         "s.gnaural, line 2: <schedule> has no binaural or isochronic voice to follow"},
        {"<schedule><voice><entry duration=\"0.4\" beatfreq=\"4\"/></voice></schedule>",
         "s.gnaural, line 1: <schedule> lasts less than a second"},
        {"<schedule><voice>" + entry + "</voice><!--" + std::string(4 << 20, 'x') +
             "--></schedule>",
         "s.gnaural is larger than 4 MiB"},
    };
    for (const auto& [text, message] : refusals)
        EXPECT_EQ(Refusal(text).substr(0, message.size()), message) << text.substr(0, 80);
}

} // namespace
