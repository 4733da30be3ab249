// SPDX-License-Identifier: GPL-3.0-or-later
// The journal: the lines a run leaves, the reader's tolerance of torn and hostile lines,
// rotation, deletion, the file's mode, and a run saved as a session and read back.
#include "journal/Journal.h"
#include "common/TempDir.h"
#include "session/SessionFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TJournalStart Start(int64_t wallMs, int32_t milli = 10000) {
    TJournalStart s;
    s.WallMs = wallMs;
    s.Library = "main.zdl";
    s.Picture = "Dhereddr";
    s.Sound = "Sound1";
    s.FrequencyMilli = milli;
    s.Knobs = {7, 2, 3, 10, 0, 1, 200};
    return s;
}

TEST(JournalTest, ARunWithChangesABookmarkAndANoteLeavesItsLines) {
    TempDir dir("journal");
    TJournal journal((dir / "velmora/journal.jsonl").string());
    const int64_t id = journal.BeginRun(Start(1765170000000));
    journal.Frequency(1500, 10500, false, false);
    journal.Frequency(1600, 10500, false, false); // no move, no line
    journal.Knob(2000, TSessionKnob::AM, 4, false);
    journal.Frequency(3000, 12000, false, false);
    EXPECT_EQ(journal.Mark(4000), 1);
    journal.EndRun(5000, TJournalEnd::Esc);
    journal.Note(id, 1, "calm\nhere");
    EXPECT_FALSE(journal.Running());

    const std::vector<std::string> lines = Lines(ReadFile(journal.Path()));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NE(lines[0].find("\"ev\":\"start\""), std::string::npos);
    EXPECT_NE(lines[0].find("\"at\":\"2025-12-08T05:00:00.000Z\""), std::string::npos);
    EXPECT_NE(lines[0].find("\"knobs\":{\"am\":2,\"carrier\":200,\"depth\":7"), std::string::npos);
    EXPECT_NE(lines[1].find("\"by\":\"hand\",\"ev\":\"freq\",\"hz\":10.5,\"ms\":1500"),
              std::string::npos);
    EXPECT_NE(lines[2].find("\"ev\":\"knob\",\"knob\":\"am\",\"ms\":2000"), std::string::npos);
    EXPECT_NE(lines[3].find("\"hz\":12,\"ms\":3000"), std::string::npos);
    EXPECT_NE(lines[4].find("\"ev\":\"mark\",\"mark\":1,\"ms\":4000"), std::string::npos);
    EXPECT_NE(lines[5].find("\"ev\":\"end\",\"ms\":5000,\"reason\":\"esc\""), std::string::npos);
    EXPECT_NE(lines[6].find("\"text\":\"calm\\nhere\""), std::string::npos);

    const TJournalContents read = journal.Read();
    EXPECT_EQ(read.SkippedLines, 0u);
    ASSERT_EQ(read.Runs.size(), 1u);
    const TJournalRun& run = read.Runs[0];
    EXPECT_EQ(run.Id, id);
    EXPECT_EQ(run.Start.Picture, "Dhereddr");
    EXPECT_EQ(run.Start.Knobs[6], 200);
    ASSERT_EQ(run.Changes.size(), 3u);
    EXPECT_EQ(run.Changes[0].Value, 10500);
    EXPECT_TRUE(run.Changes[1].IsKnob);
    EXPECT_EQ(run.Changes[2].Value, 12000);
    ASSERT_EQ(run.Marks.size(), 1u);
    EXPECT_EQ(run.Marks[0].Ms, 4000);
    EXPECT_EQ(run.Marks[0].Note, "calm?here"); // no control character reaches a list
    EXPECT_EQ(run.End, TJournalEnd::Esc);
    EXPECT_EQ(run.LengthMs, 5000);
}

TEST(JournalTest, TheSessionsOwnMovesAreKeptOnlyByATenthOrAtAPoint) {
    TempDir dir("journal");
    TJournal journal((dir / "j.jsonl").string());
    journal.BeginRun(Start(1000));
    int32_t milli = 10000;
    for (int64_t ms = 25; ms <= 10000; ms += 25) // 1 Hz over 10 s, a tick every 25 ms
        journal.Frequency(ms, milli += 2, true, false);
    journal.Frequency(10025, milli + 1, true, true); // a point: kept however small the move
    journal.EndRun(10050, TJournalEnd::SessionEnd);
    const TJournalRun run = journal.Read().Runs.at(0);
    // 0.8 Hz in steps of 0.1 Hz, then the point.
    ASSERT_EQ(run.Changes.size(), 9u);
    EXPECT_EQ(run.Changes[0].Value, 10100);
    EXPECT_TRUE(run.Changes[0].BySession);
    EXPECT_EQ(run.Changes.back().Value, milli + 1);
    EXPECT_EQ(run.End, TJournalEnd::SessionEnd);
}

TEST(JournalTest, TheFileIsTheUsersAloneAndItsFolderToo) {
    TempDir dir("journal");
    const auto path = dir / "data/velmora/journal.jsonl";
    TJournal journal(path.string());
    journal.BeginRun(Start(1000));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(path.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A file another program widened is narrowed at the next event.
    ::chmod(path.c_str(), 0644);
    journal.Mark(10);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // So is one that a rotation writes afresh.
    journal.Rotate();
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(JournalTest, TheReaderSkipsTornBrokenAndOutOfRangeLines) {
    const std::string good = "{\"ev\":\"start\",\"run\":5,\"hz\":7,\"knobs\":{\"depth\":1,\"am\":0,"
                             "\"fm\":0,\"volume\":10,\"half\":0,\"tone\":0,\"carrier\":200}}\n";
    const std::string text =
        good + "{\"ev\":\"freq\",\"run\":5,\"ms\":100,\"hz\":8}\n" +
        "{\"ev\":\"freq\",\"run\":5,\"ms\":200,\"hz\":99}\n" +                   // out of range
        "{\"ev\":\"freq\",\"run\":5,\"ms\":50,\"hz\":9}\n" +                     // back in time
        "{\"ev\":\"freq\",\"run\":6,\"ms\":300,\"hz\":9}\n" +                    // no such run
        "{\"ev\":\"knob\",\"run\":5,\"ms\":300,\"knob\":\"am\",\"value\":6}\n" + // past the knob
        "{\"ev\":\"mark\",\"run\":5,\"ms\":1e300,\"mark\":1}\n" +                // past any run
        "[1,2]\n" + "not json\n" + good + // a second start of run 5
        "{\"ev\":\"mark\",\"run\":5,\"ms\":400,\"mark\":1}\n" +
        "{\"ev\":\"note\",\"run\":5,\"mark\":2,\"text\":\"x\"}\n" + // no such bookmark
        std::string(kJournalMaxLineBytes + 1, ' ') + "\n" +
        "{\"ev\":\"end\",\"run\":5,\"ms\":500,\"reason\":\"stop\"}\n" +
        "{\"ev\":\"freq\",\"run\":5,\"ms\":600,\"hz\":8}\n" + // after the end
        "{\"ev\":\"mark\",\"run\":5,\"ms\":700,\"ma";         // torn by a kill
    const TJournalContents read = ParseJournal(text);
    EXPECT_EQ(read.SkippedLines, 12u);
    ASSERT_EQ(read.Runs.size(), 1u);
    ASSERT_EQ(read.Runs[0].Changes.size(), 1u);
    EXPECT_EQ(read.Runs[0].Changes[0].Value, 8000);
    ASSERT_EQ(read.Runs[0].Marks.size(), 1u);
    EXPECT_EQ(read.Runs[0].End, TJournalEnd::Stop);
    EXPECT_EQ(read.Runs[0].LengthMs, 500);
}

TEST(JournalTest, ARunWithoutItsEndReadsBackUpToItsLastEvent) {
    TempDir dir("journal");
    TJournal journal((dir / "j.jsonl").string());
    journal.BeginRun(Start(1000));
    journal.Frequency(800, 11000, false, false);
    journal.Mark(900);
    // The program dies here: nothing more reaches the file; a second program begins anew.
    TJournal next(journal.Path());
    const TJournalRun run = next.Read().Runs.at(0);
    EXPECT_EQ(run.End, TJournalEnd::None);
    EXPECT_EQ(run.LengthMs, 900);
    EXPECT_EQ(run.Marks.size(), 1u);
}

TEST(JournalTest, RotationKeepsTheNewestRunsAndDeletionRemovesRuns) {
    TempDir dir("journal");
    TJournal journal((dir / "j.jsonl").string(), kJournalMaxKBMin * 1024);
    std::vector<int64_t> ids;
    for (int i = 0; i < 200; ++i) {
        ids.push_back(journal.BeginRun(Start(1000 + i)));
        journal.Frequency(100, 12000 + i, false, false);
        journal.EndRun(200, TJournalEnd::Stop);
    }
    const std::string text = ReadFile(journal.Path());
    EXPECT_LE(static_cast<int64_t>(text.size()), journal.MaxBytes());
    const TJournalContents read = journal.Read();
    ASSERT_GT(read.Runs.size(), 20u);
    ASSERT_LT(read.Runs.size(), 200u);
    EXPECT_EQ(read.SkippedLines, 0u);
    // The newest, in order, without a gap.
    for (size_t i = 0; i < read.Runs.size(); ++i)
        EXPECT_EQ(read.Runs[i].Id, ids[200 - read.Runs.size() + i]);
    EXPECT_FALSE(std::filesystem::exists(journal.Path() + ".part"));

    journal.DeleteRun(ids[198]);
    const TJournalContents after = journal.Read();
    EXPECT_EQ(after.Runs.size(), read.Runs.size() - 1);
    EXPECT_EQ(after.Runs.back().Id, ids[199]);
    EXPECT_EQ(after.Runs[after.Runs.size() - 2].Id, ids[197]);
    journal.DeleteAll();
    EXPECT_TRUE(journal.Read().Runs.empty());
    EXPECT_FALSE(std::filesystem::exists(journal.Path()));
}

TEST(JournalTest, ALongRunKeepsItsBookmarksAndItsEndPastHalfTheBound) {
    TempDir dir("journal");
    TJournal journal((dir / "j.jsonl").string(), kJournalMaxKBMin * 1024);
    journal.BeginRun(Start(1000));
    for (int i = 0; i < 2000; ++i)
        journal.Frequency(i * 10, 1000 + (i % 2) * 500, false, false);
    EXPECT_EQ(journal.Mark(30000), 1);
    journal.EndRun(40000, TJournalEnd::WindowClosed);
    EXPECT_LE(static_cast<int64_t>(ReadFile(journal.Path()).size()), journal.MaxBytes());
    const TJournalRun run = journal.Read().Runs.at(0);
    EXPECT_EQ(run.Marks.size(), 1u);
    EXPECT_EQ(run.End, TJournalEnd::WindowClosed);
}

TEST(JournalTest, ARunSavedAsASessionPlaysItAgain) {
    TJournalRun run;
    run.Start = Start(1000, 10000);
    run.Changes = {{2500, false, TSessionKnob::Depth, 10100, false}, // by hand at 2.5 s
                   {12000, false, TSessionKnob::Depth, 11100, false},
                   {20000, true, TSessionKnob::Volume, 4, false},
                   {30000, false, TSessionKnob::Depth, 12000, true}, // the session's line
                   {40000, false, TSessionKnob::Depth, 14000, true},
                   {41000, true, TSessionKnob::Half, 1, true}};
    run.LengthMs = 50000;
    run.Start.Knobs[0] = 0; // the window's Depth before it is moved: a session's is at least 1
    const std::string text = JournalSessionText(run, "Run of 8 Dec 2025");
    const TSession session = ParseSession(text, "saved");
    EXPECT_EQ(SessionTitle(text), "Run of 8 Dec 2025");
    const auto& p = session.Points();
    ASSERT_GE(p.size(), 6u);
    EXPECT_EQ(p[0].Knob(TSessionKnob::Depth), 1);
    EXPECT_EQ(p[0].Knob(TSessionKnob::Carrier), 200);
    EXPECT_EQ(p[0].Knob(TSessionKnob::Tone), 1);
    EXPECT_EQ(session.FrequencyMilliAt(2000), 10000); // held until the change
    EXPECT_EQ(session.FrequencyMilliAt(3000), 10100); // and stepped within a second
    EXPECT_EQ(session.FrequencyMilliAt(12000), 10100);
    EXPECT_EQ(session.FrequencyMilliAt(13000), 11100);
    EXPECT_EQ(session.FrequencyMilliAt(35000), 13000); // the session's line between its samples
    EXPECT_EQ(session.FrequencyMilliAt(45000), 14000);
    EXPECT_EQ(session.LengthMs(), 50000);
    int volumeAt = -1, halfAt = -1;
    for (const TSessionPoint& point : p) {
        if (point.Knob(TSessionKnob::Volume) == 4) volumeAt = static_cast<int>(point.TimeMs);
        if (point.Knob(TSessionKnob::Half) == 1) halfAt = static_cast<int>(point.TimeMs);
    }
    EXPECT_EQ(volumeAt, 20000);
    EXPECT_EQ(halfAt, 41000);
    // Written beside its place and moved in; the same text comes back.
    TempDir dir("journal");
    const std::string path = (dir / "saved.vsession").string();
    WriteFileAtomically(path, text);
    EXPECT_EQ(LoadSessionFile(path).Points().size(), p.size());
}

TEST(JournalTest, ASessionsCuesAreJournaledAndSavedWithTheRun) {
    TempDir dir("journal-cues");
    TJournal journal((dir / "velmora/journal.jsonl").string());
    journal.BeginRun(Start(1765170000000));
    journal.Frequency(20000, 9000, true, true); // the session's point at 20 s
    journal.Cue(20000, true, "");
    journal.Cue(30400, false, "Breathe \"in\"");
    journal.Cue(30900, true, "");  // the same second: one point
    journal.Cue(35000, false, ""); // nothing to journal
    journal.EndRun(40000, TJournalEnd::SessionEnd);
    // Lines from elsewhere: a text a session would refuse is skipped.
    std::ofstream(journal.Path(), std::ios::app)
        << "{\"ev\":\"cue\",\"run\":1765170000000,\"ms\":39000,\"say\":\"a\\u0007b\"}\n";
    const TJournalContents contents = journal.Read();
    EXPECT_EQ(contents.SkippedLines, 1u);
    const TJournalRun& run = contents.Runs.at(0);
    ASSERT_EQ(run.Cues.size(), 3u);
    EXPECT_TRUE(run.Cues[0].Bell);
    EXPECT_EQ(run.Cues[1].Say, "Breathe \"in\"");
    const TSession session = ParseSession(JournalSessionText(run, "cues"), "cues");
    std::vector<std::string> cues;
    for (const TSessionPoint& p : session.Points())
        if (p.HasCue())
            cues.push_back(FormatSessionTime(p.TimeMs) + SessionCueWords(p) + " " +
                           std::to_string(p.FrequencyMilli));
    EXPECT_EQ(cues, (std::vector<std::string>{"0:20  cue=bell 9000",
                                              "0:30  cue=bell  say=\"Breathe \\\"in\\\"\" 9000"}));
}

TEST(JournalTest, ARunWithMoreChangesThanASessionHoldsIsThinned) {
    TJournalRun run;
    run.Start = Start(1000);
    for (int i = 1; i <= 30000; ++i)
        run.Changes.push_back({i * 1000, false, TSessionKnob::Depth, 1000 + i % 7 * 1000, true});
    run.LengthMs = 30001 * 1000;
    const TSession session = ParseSession(JournalSessionText(run, "long"), "long");
    EXPECT_LE(session.Points().size(), kSessionMaxPoints);
    EXPECT_EQ(session.LengthMs(), run.LengthMs / 1000 * 1000);
}

} // namespace

namespace {
TEST(JournalTest, ARunShorterThanASecondStillMakesASession) {
    TJournalRun run;
    run.Start.FrequencyMilli = 100;
    run.Start.Knobs = {1, 0, 0, 0, 0, 0, 50};
    run.LengthMs = 5;
    const TSession session = ParseSession(JournalSessionText(run, "short"), "short");
    EXPECT_EQ(session.LengthMs(), 1000);
    EXPECT_EQ(session.FrequencyMilliAt(500), 100);
}
} // namespace

namespace {
TEST(JournalTest, RotationWaitsForTheRunsEnd) {
    TempDir dir("journal");
    TJournal journal((dir / "j.jsonl").string(), kJournalMaxKBMin * 1024);
    const int64_t first = journal.BeginRun(Start(1000));
    journal.EndRun(10, TJournalEnd::Stop);
    while (std::filesystem::file_size(journal.Path()) < 15 * 1024) {
        journal.BeginRun(Start(2000));
        journal.EndRun(10, TJournalEnd::Stop);
    }
    ASSERT_EQ(journal.Read().Runs.front().Id, first);
    journal.BeginRun(Start(3000));
    for (int i = 0; i < 60; ++i)
        journal.Frequency(i * 100, 10100 - (i % 2) * 100, false, false);
    // Past the bound, but the file is not rewritten under a running run.
    EXPECT_GT(static_cast<int64_t>(std::filesystem::file_size(journal.Path())), journal.MaxBytes());
    EXPECT_EQ(journal.Read().Runs.front().Id, first);
    journal.EndRun(7000, TJournalEnd::Stop);
    EXPECT_LE(static_cast<int64_t>(std::filesystem::file_size(journal.Path())),
              journal.MaxBytes() / 4 * 3);
    EXPECT_NE(journal.Read().Runs.front().Id, first);
    EXPECT_EQ(journal.Read().Runs.back().Changes.size(), 60u);
}
} // namespace

namespace {
TEST(JournalTest, AChangeAtTheLongestTimeStaysWithinASessionsTimes) {
    TJournalRun run;
    run.Start = Start(1000, 35000);
    run.Changes = {{kJournalMaxRunMs, false, TSessionKnob::Depth, 10600, false},
                   {kJournalMaxRunMs, true, TSessionKnob::AM, 4, false}};
    run.LengthMs = kJournalMaxRunMs;
    const TSession session = ParseSession(JournalSessionText(run, "long"), "long");
    EXPECT_EQ(session.LengthMs(), kJournalMaxRunMs);
    EXPECT_EQ(session.Points().back().Knob(TSessionKnob::AM), 4);
}
} // namespace

TEST(JournalTest, ARunsEndCarriesWhatTheScreenShowedAndStillReadsBack) {
    TempDir dir("journal");
    TJournal journal((dir / "velmora/journal.jsonl").string());
    journal.BeginRun(Start(1765170000000));
    TJournalFrames frames;
    frames.Mode = "synchronised";
    frames.Shown = 598;
    frames.Late = 2;
    frames.Dropped = 1;
    frames.NotDue = 3;
    frames.RefreshHz = 60.00249;
    frames.Clock = "X Present UST (CLOCK_MONOTONIC)";
    journal.EndRun(10000, TJournalEnd::Stop, &frames);
    const std::vector<std::string> lines = Lines(ReadFile(journal.Path()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("\"ev\":\"end\",\"ms\":10000,\"reason\":\"stop\""), std::string::npos);
    EXPECT_NE(
        lines[1].find("\"screen\":{\"clock\":\"X Present UST (CLOCK_MONOTONIC)\",\"dropped\":1,"
                      "\"late\":2,\"mode\":\"synchronised\",\"not_due\":3,"
                      "\"refresh_hz\":60.002,\"shown\":598}"),
        std::string::npos)
        << lines[1];
    const TJournalContents read = journal.Read();
    EXPECT_EQ(read.SkippedLines, 0u);
    ASSERT_EQ(read.Runs.size(), 1u);
    EXPECT_EQ(read.Runs[0].End, TJournalEnd::Stop);
    EXPECT_EQ(read.Runs[0].LengthMs, 10000);
}
