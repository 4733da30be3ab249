// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Converting a binaural-beat schedule (".sbg": option lines, tone-set definitions, blocks and
// time lines) into a session, following the schedule as its own program plays it. The main
// frequency is the beat (or pulse) of the loudest beating voice of each tone-set; its kind and
// carrier become the tone keys and its amplitude the Volume knob. A slide ("->") becomes a
// straight line to the next tone-set; a cross-fade a straight line centred on its time line,
// shortened where lines are closer than the fade time; after silence, or through a fade mark
// to or from silence, the next tone-set starts at its own beat. A block's lines are placed
// at each time line that names it. Whatever has no place in a session is left out and listed
// in the report, one line per kind with the lines where it stands; too many points for a
// session are thinned where that changes the frequency least, and the report says how much.

#include "framework/Exception.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

VELMORA_EXCEPTION(ESbgError, Exception);

inline constexpr int64_t kSbgMaxBytes = int64_t{1} << 20;
// The cross-fade between tone-sets unless an "-F ms" option line sets another.
inline constexpr int64_t kSbgDefaultFadeMs = 60000;

struct TSbgPoint {
    int64_t TimeMs = 0;
    int32_t FrequencyMilli = 0;
    // The settings a point makes, only where they change; -1 or empty when it leaves them.
    int Volume = -1;
    std::string Tone; // "binaural", "isochronic" or "off"
    int32_t CarrierMilli = -1;
};

struct TSbgImport {
    std::vector<TSbgPoint> Points;
    // One line per kind of thing left out or changed, with its line numbers.
    std::vector<std::string> Report;
    // The session file's text.
    std::string Text;
};

// Converts a schedule's text; name stands for the file in the messages and the header. A
// schedule that cannot be read as one (an unknown tone-set, a time not understood, an unclosed
// block, nothing with a beat) fails with ESbgError naming the line.
TSbgImport ImportSbg(std::string_view text, const std::string& name);

// Reads a regular file of at most 1 MiB and converts it.
TSbgImport ImportSbgFile(const std::string& path);

// Writes a converted session beside path under a ".part" name and then moves it into place, so
// that nobody reads half a file and a failed write leaves what was there. Fails with ESbgError.
void WriteImportedSession(const std::string& path, const std::string& text);
