// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The journal of runs: one JSON object a line in the user's data folder, appended and handed to
// the system at each event, so a program killed at any moment leaves every event before it.
// Each line names its run by the run's start in milliseconds since 1970, so a note written
// long after its run still finds it. The file is the user's alone (mode 0600) and bounded: past
// its limit the oldest runs are rotated out by writing the file afresh beside it and moving it
// into place. The reader distrusts what it reads: a torn last line, a broken or oversized line
// and a value out of range are skipped, and every count is bounded.

#include "session/Session.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Why a run ended; None when the journal stops before its end (the program was killed).
enum class TJournalEnd { None, Stop, Esc, SessionEnd, Signal, WindowClosed };

inline constexpr int64_t kJournalMaxKBDefault = 1024;
inline constexpr int64_t kJournalMaxKBMin = 16;
inline constexpr int64_t kJournalMaxKBMax = 65536;
// What the reader takes at most: the largest limit, read from the file's end.
inline constexpr int64_t kJournalMaxReadBytes = kJournalMaxKBMax * 1024;
inline constexpr size_t kJournalMaxLineBytes = 16 * 1024;
inline constexpr size_t kJournalMaxChanges = 100000; // per run
inline constexpr size_t kJournalMaxMarks = 1000;     // per run
inline constexpr size_t kJournalMaxNoteChars = 200;
inline constexpr size_t kJournalMaxTextChars = 1024; // names and paths
// A run's times stay below the longest a session file can hold.
inline constexpr int64_t kJournalMaxRunMs = (99 * 3600 + 59 * 60 + 59) * int64_t{1000};
// A session's own moves of the frequency are kept only when they move this far, or at a point.
inline constexpr int32_t kJournalSessionStepMilli = 100;

struct TJournalStart {
    int64_t WallMs = 0; // the run's start, milliseconds since 1970 (UTC)
    std::string Library, Picture, Sound;
    std::string SessionTitle, SessionFile; // empty without a session
    int64_t SessionMs = 0;                 // where the session stood at the start
    int32_t FrequencyMilli = 0;
    std::array<int16_t, kSessionKnobCount> Knobs{}; // every knob, in TSessionKnob order
};

struct TJournalChange {
    int64_t Ms = 0;
    bool IsKnob = false;
    TSessionKnob Knob = TSessionKnob::Depth;
    int32_t Value = 0; // thousandths of a hertz, or the knob's position
    bool BySession = false;
};

struct TJournalMark {
    int64_t Ms = 0;
    int Number = 0; // 1, 2, ... within its run
    std::string Note;
};

// A session's cue that sounded: the bell, a text spoken, or both.
struct TJournalCue {
    int64_t Ms = 0;
    bool Bell = false;
    std::string Say;
};

// What the display showed of a run: written with its end as "screen", read by people and
// tests, not read back.
struct TJournalFrames {
    std::string Mode; // "synchronised", "timestamps only", "no presentation feedback",
                      // "unsynchronised"
    uint64_t Shown = 0;
    uint64_t Late = 0;
    uint64_t Dropped = 0;
    uint64_t NotDue = 0;  // shown with another picture than the one due
    double RefreshHz = 0; // measured; 0 when not
    std::string Clock;    // where the frame times came from
};

struct TJournalRun {
    int64_t Id = 0; // the start's WallMs, unique within the file
    TJournalStart Start;
    std::vector<TJournalChange> Changes; // in time order
    std::vector<TJournalMark> Marks;
    std::vector<TJournalCue> Cues; // in time order
    TJournalEnd End = TJournalEnd::None;
    int64_t LengthMs = 0; // the end's moment, or the last event's when the run has no end
};

struct TJournalContents {
    std::vector<TJournalRun> Runs; // oldest first
    size_t SkippedLines = 0;
};

const char* JournalEndWord(TJournalEnd end);
const char* JournalKnobWord(TSessionKnob knob);

// Reads a journal's bytes; never throws on what they hold.
TJournalContents ParseJournal(std::string_view bytes);

// $XDG_DATA_HOME/velmora/journal.jsonl when that is an absolute path, else under
// ~/.local/share.
std::string DefaultJournalPath();

// The journal file and the run being written. Failures to write are counted, never thrown: a
// journal must not get in the way of a run.
class TJournal {
public:
    explicit TJournal(std::string path, int64_t maxBytes = kJournalMaxKBDefault * 1024);

    const std::string& Path() const { return path_; }
    void SetMaxBytes(int64_t maxBytes);
    int64_t MaxBytes() const { return maxBytes_; }

    // A run begins; returns its id. A run still open is ended as cut off first.
    int64_t BeginRun(TJournalStart start);
    bool Running() const { return runId_ != 0; }
    int64_t RunId() const { return runId_; }
    // The main frequency moved at ms into the run. A session's own move is kept only when it
    // moves kJournalSessionStepMilli from the last kept value or reaches a point (atPoint).
    // byNudge: a step of a nudge's glide, kept as a session's moves are.
    void Frequency(int64_t ms, int32_t milli, bool bySession, bool atPoint, bool byNudge = false);
    void Knob(int64_t ms, TSessionKnob knob, int value, bool bySession);
    // A session's cue sounded at ms.
    void Cue(int64_t ms, bool bell, const std::string& say);
    // A bookmark at ms; returns its number, 0 when none is made (no run, or too many).
    int Mark(int64_t ms);
    // With what the display showed of the run, when the window measured it.
    void EndRun(int64_t ms, TJournalEnd reason, const struct TJournalFrames* frames = nullptr);

    // A note for a bookmark of any run, later notes replacing earlier ones.
    void Note(int64_t runId, int mark, const std::string& text);
    TJournalContents Read() const;
    // Removes one run, or every run; the run being written is then no longer written.
    void DeleteRun(int64_t runId);
    void DeleteAll();
    // Rewrites the file without its oldest runs until it holds at most three quarters of its
    // limit; the run being written stays. Done when a run ends with the file past its limit
    // (during a run only past twice the limit).
    void Rotate();

    // Events that could not be written.
    int Failures() const { return failures_; }
    // Bytes written for the current run.
    int64_t RunBytes() const { return runBytes_; }

private:
    bool Append(const std::string& line);
    void Rewrite(const std::vector<int64_t>& dropRuns, bool dropAll);

    std::string path_;
    int64_t maxBytes_;
    int64_t runId_ = 0;
    int64_t lastId_ = 0;
    int64_t lastMs_ = 0;
    int32_t lastMilli_ = -1;
    std::array<int, kSessionKnobCount> knobs_{};
    int marks_ = 0;
    int64_t runBytes_ = 0;
    int64_t size_ = 0; // the file's size after the last write
    int failures_ = 0;
};

// A run as a session: the frequency over time with the knob settings and the cues, in whole
// seconds. A
// change by hand becomes a step of one second; the session's own moves are joined by lines.
TSession JournalRunSession(const TJournalRun& run);
// The session file's text of a run, with a title line.
std::string JournalSessionText(const TJournalRun& run, const std::string& title);
// Writes a file beside path under a ".part" name and moves it into place, mode 0600.
void WriteFileAtomically(const std::string& path, const std::string& text);
