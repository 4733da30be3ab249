// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The session file, "*.vsession": UTF-8 text, one point a line. Blank lines and lines starting
// with "#" are ignored; every other line holds a time (m:ss or h:mm:ss, strictly increasing),
// a frequency in hertz with a decimal point (0.1..35.0, up to three decimals) and optional
// knob settings: depth=1..15 am=0..5 fm=0..10 volume=0..10 half=on|off
// tone=off|binaural|isochronic carrier=50..1000, and cues: cue=bell and say="text" (at most
// kSessionMaxSayChars characters, no control characters; \" is a quote and \\ a backslash in
// it). A file that breaks any rule is refused as a whole, naming the line and what is wrong.

#include "framework/Exception.h"
#include "session/Session.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

VELMORA_EXCEPTION(ESessionError, Exception);

inline constexpr int64_t kSessionMaxBytes = int64_t{1} << 20;
inline constexpr size_t kSessionMaxPoints = 10000;
inline constexpr size_t kSessionMaxSayChars = 500;

// The smallest and largest position of each knob, in TSessionKnob order; "half" is 0 or 1,
// "tone" 0..2 in the order of its words. The Depth knob springs back from 0 to 1, so a session
// cannot ask for 0.
inline constexpr int kSessionKnobMin[kSessionKnobCount] = {1, 0, 0, 0, 0, 0, 50};
inline constexpr int kSessionKnobMax[kSessionKnobCount] = {15, 5, 10, 10, 1, 2, 1000};
// The words of "tone=", in the order of their values.
inline constexpr const char* kSessionToneWords[3] = {"off", "binaural", "isochronic"};

// One time or one frequency written as a session file writes it; false when it breaks a rule.
bool ParseSessionTime(std::string_view text, int64_t& ms);
bool ParseSessionFrequency(std::string_view text, int32_t& milli);

// A point's cues as a session file writes them, each after two spaces ("  cue=bell  say=\"...\""),
// the text escaped; empty without cues.
std::string SessionCueWords(const TSessionPoint& point);

// Parses a whole file's text; name stands for the file in the messages.
TSession ParseSession(std::string_view text, const std::string& name);

// Reads and parses a file. Only a regular file is opened (a pipe or a device would hold the
// caller until something writes to it); one over 1 MiB is refused before it is parsed; one
// that cannot be opened fails with "Cannot open file %s".
TSession LoadSessionFile(const std::string& path);

// A session's title: the first line of its text when that is a comment, without the "#" and
// the blanks around it, cut to a few dozen characters and without control characters; empty
// when the first line is no comment.
std::string SessionTitle(std::string_view text);

struct TSessionEntry {
    std::string Path;
    std::string Title;
};

// The session files ("*.vsession", regular files only) of a folder with their titles, a file
// without one named by its file name; sorted by title. Only the start of each file is read,
// and nothing is parsed: loading one still checks it whole.
std::vector<TSessionEntry> ListSessionFiles(const std::string& folder);
