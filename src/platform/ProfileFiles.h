// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Profile files: INI text read and written one value at a time. A line "[name]" opens a
// section, "key=value" lines follow; lines starting with ';' or '#' are comments. Section and
// key names are matched without regard to ASCII case, and the first match wins. Every write
// goes straight to the file through a temporary file and a rename, keeping every other line as
// it was, so a crash never leaves a half-written file. Nothing here throws.

#include <cstddef>
#include <string>
#include <string_view>

// The longest value a read returns, in bytes (never cutting a UTF-8 sequence).
inline constexpr std::size_t kProfileValueLimit = 1023;

// --- The text itself -----------------------------------------------------------------------

// The value of a key in profile text, trimmed, with one pair of surrounding quotes (double or
// single) removed and cut to the limit; def when the section or key is missing.
std::string ProfileTextRead(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view def);

// Whether a name pair and value can be written as one key line that reads back as the same key.
bool ProfileEntryWritable(std::string_view section, std::string_view key, std::string_view value);

// Sets a key in profile text: replaces the first matching key line, or adds the key after the
// last line of the first matching section, or appends the section. New lines use the line ends
// the text already has. False, with the text untouched, when the entry is not writable.
bool ProfileTextWrite(std::string& text, std::string_view section, std::string_view key,
                      std::string_view value);

// Removes every section of that name with all its lines. Returns whether anything was removed.
bool ProfileTextEraseSection(std::string& text, std::string_view section);

// --- Files -----------------------------------------------------------------------------------

// Reads a value from a file; a missing, unreadable or oversized file gives def.
std::string ReadProfileString(const std::string& fileName, std::string_view section,
                              std::string_view key, std::string_view def);

// The whole text of a file, empty for a missing one. False when the file cannot be read in full.
bool LoadProfileText(const std::string& fileName, std::string& text);

// Replaces the whole file with text in one step: the file holds either its old or its new
// text, whatever happens in between. False, with the file as it was, when that fails.
bool ReplaceProfileText(const std::string& fileName, const std::string& text);

// Writes a value into a file, creating the file when missing. False when the file cannot be
// read in full or cannot be replaced; the file is then left exactly as it was.
bool WriteProfileString(const std::string& fileName, std::string_view section, std::string_view key,
                        std::string_view value);

// Erases a section from a file. A missing file or section is no failure and writes nothing.
bool EraseProfileSection(const std::string& fileName, std::string_view section);
