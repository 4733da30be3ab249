// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a render keeps of itself in its file, so that the session travels with its sound: the
// session's text with the starting settings written into its first point, the library, the
// sound, the tone's level and the program's version. Kept as text:
//
//   velmora-render render
//   version 2.4
//   library main.zdl
//   sound Surf
//   tone-level -6
//   session
//   <the session's text to its end>
//
// Rendering the session taken back out, with the same library, sound and tone level, gives the
// same description and so the same file.

#include "SessionRender.h"

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

struct TRenderDescription {
    std::string Version;
    std::string Library;
    std::string Sound; // empty: the library's first
    int ToneLevel = kToneLevelDefault;
    std::string SessionText;
};

// The most a description may hold: a session file's most, and room for the rest.
inline constexpr size_t kDescriptionMaxBytes = (size_t{1} << 20) + 4096;

// The session's text with the job's starting settings (knobs, "1/2 Period", tone, carrier)
// written into its first point where that point does not set them; the line keeps what it
// had. Text that already sets them all comes back unchanged.
std::string WithStartingSettings(const std::string& text, const TSession& session,
                                 const TRenderJob& job);
// The starting settings as the first point sets them: a setting that point makes stands
// from the first frame, not only from the moment after it.
void TakeFirstPointSettings(TRenderJob& job);
// The text of a session of one frequency held for a length.
std::string SteadySessionText(int32_t frequencyMilli, int64_t lengthMs);

std::string DescriptionText(const TRenderDescription& description);
// Refuses, with an Exception saying why, anything that is no description or whose session
// does not parse.
TRenderDescription ParseDescription(std::string_view text);

// The body of a RIFF WAVE file's chunk with this id, from a stream of the given size; empty
// when the file has none. Refuses a file that is no RIFF WAVE, a chunk running past the end
// and a body over maxBytes.
std::string FindWavChunk(std::istream& in, uint64_t size, const char id[4], size_t maxBytes);

// The description kept in a rendered file of any format the renderer writes.
TRenderDescription ReadDescription(const std::string& path);
