// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Schedules of other programs turned into sessions: what every reader shares. A reader turns a
// schedule's text into points of the main frequency with the knob settings they make, and
// reports what a session cannot hold, one line per kind with the lines where it stands; the
// points and the report become the session file's text. Which reader reads a file is chosen by
// its content, the file name deciding only where the content does not.

#include "framework/Exception.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

VELMORA_EXCEPTION(EImportError, Exception);

// What a schedule's numbered places are: the lines of a text, or the entries of a structured
// sequence.
enum class TImportUnit { Line, Entry };

// Refuses a schedule at one of its lines (or entries). reason is a whole sentence marked with
// QT_TRANSLATE_NOOP("Import", ...), shown in the user's language with its %1... filled from
// args exactly as given; name stands for the file.
[[noreturn]] void FailImportAt(const std::string& name, TImportUnit unit, int line,
                               const char* reason, std::initializer_list<std::string> args = {});
// Refuses a whole file: reason marked as above, %1 usually its name.
[[noreturn]] void FailImport(const char* reason, std::initializer_list<std::string> args);
// A count or a limit in a message, grouped as the user's locale writes numbers. Line numbers
// are not counts: they name a line and stay plain digits, as editors show them.
std::string ImportCount(long long n);

inline constexpr int64_t kImportMaxBytes = int64_t{4} << 20;

struct TImportPoint {
    int64_t TimeMs = 0; // whole seconds
    int32_t FrequencyMilli = 0;
    // The settings a point makes, only where they change; -1 or empty when it leaves them.
    int Volume = -1;
    std::string Tone; // "binaural", "isochronic" or "off"
    int32_t CarrierMilli = -1;
    // Cues at the point (see SessionFile.h).
    bool Bell = false;
    std::string Say;
};

// A cue a schedule sounds at a moment.
struct TImportCue {
    int64_t TimeMs = 0;
    bool Bell = false;
    std::string Say;
};

// Puts the cues, in time order, on the points at their whole seconds, adding a point on the
// frequency's line where there is none; cues after the last point are left out.
void AddImportCues(std::vector<TImportPoint>& points, const std::vector<TImportCue>& cues);

struct TImported {
    std::vector<TImportPoint> Points;
    // One line per kind of thing left out or changed, with its line numbers.
    std::vector<std::string> Report;
    // The session file's text.
    std::string Text;
};

// The points of the frequency as a reader lays them down, in time order. A point that would fall
// at or before the last one moves a second after it, so a change is never lost.
class TImportPointList {
public:
    // A point that keeps the frequency where it is until a change; needless when it would not
    // come after the last point.
    void Hold(int64_t ms, int32_t milli);
    TImportPoint& Add(int64_t ms, int32_t milli);
    std::vector<TImportPoint>& Points() { return points_; }

private:
    std::vector<TImportPoint> points_;
};

// What a reader leaves out or changes. Kinds are listed in the order of their numbers, each
// with the text of its first note and the lines noted, in order, the first ten of them and a
// count.
class TImportReport {
public:
    // translated: the text in the user's language when it holds figures; otherwise the text is
    // looked up under the context "Import" when the report is read.
    void Note(int kind, std::string_view text, int line, std::string_view translated = {});
    // The lines for the session file in English, or with translated for a person to read.
    std::vector<std::string> Lines(const std::string& lead, bool translated = false) const;
    // What the numbers count, lines unless a reader says otherwise.
    void SetUnit(TImportUnit unit) { unit_ = unit; }
    TImportUnit Unit() const { return unit_; }

private:
    TImportUnit unit_ = TImportUnit::Line;
    std::map<int, std::pair<std::string, std::set<int>>> kinds_;
    std::map<int, std::string> translated_;
};

// The Volume knob's step whose level is nearest to an amplitude in percent of full scale.
int VolumeStepFor(double percent);
// The knob's levels in hundredths of a decibel, step 0 to 10, as the sound engine plays them.
extern const int32_t kImportVolumeCentibels[11];

// 7.5 as "7.5", 7 as "7.0" with keepPoint, else "7".
std::string FormatHertz(int32_t milli, bool keepPoint);

// Leaves out the points whose loss changes the frequency least until at most limit remain
// (points that set knobs, the first and the last stay); returns how far the result strays from
// the original at its points, in thousandths, or -1 when the points that stay are too many.
double ThinPoints(std::vector<TImportPoint>& points, size_t limit);

// Thins the points to what a session holds (noting it under kind thinnedKind), and makes the
// session's text with the report in its header. Fails naming line when too many points set
// knobs. name stands for the schedule.
TImported FinishImport(const std::string& name, std::vector<TImportPoint> points,
                       TImportReport& report, int thinnedKind, int line);

// The schedule formats that come in.
enum class TScheduleFormat { Sbg, Spsq, SpsqStructured, Gnaural, Unknown };
TScheduleFormat DetectScheduleFormat(std::string_view text, std::string_view fileName);

// Reads a regular file of at most 4 MiB; name becomes what messages call it.
std::string ReadScheduleFile(const std::string& path, std::string& name);

// Converts a schedule of any format read here; name stands for it in messages.
TImported ImportSchedule(std::string_view text, const std::string& name);
TImported ImportScheduleFile(const std::string& path);

// Writes a converted session beside path under a ".part" name and then moves it into place, so
// that nobody reads half a file and a failed write leaves what was there.
void WriteImportedSession(const std::string& path, const std::string& text);

// Text from a file as a message quotes it: short, and without control characters.
std::string QuotedForImport(std::string_view s);

// A line's text without the spaces, tabs and carriage returns around it, and its words between
// them: how the text schedules are read.
std::string_view TrimSpaces(std::string_view s);
std::vector<std::string_view> SplitWords(std::string_view s);

// Whether a character is one of the digits 0-9, whatever the locale.
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
// A plain decimal number: at most six digits before the point and fifteen after (schedules
// write beats worked out to many places; the thousandths are what a session keeps).
std::optional<double> Number(std::string_view s);
