// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a stimulus library holds: two "TEXT" name lists, "WAV" sounds and bitmap pictures,
// each picture and sound named by its entry in a list. Building one from its parts.

#include "platform/ResourceModule.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* kListType = "TEXT";
inline constexpr const char* kPictureList = "Picturez";
inline constexpr const char* kSoundList = "Soundz";
inline constexpr const char* kSoundType = "WAV";

struct TNamedData {
    std::string Name;
    std::vector<uint8_t> Bytes;
};

// The text of a name list: each name followed by CR LF.
std::string JoinNameList(const std::vector<std::string>& names);

// A library module with the pictures (bitmap resources, packed) and sounds (whole wave
// files) in the order given. Fails with an Exception for a name that a list cannot carry or
// a lookup cannot tell apart: empty, not valid UTF-8, holding a line break or zero byte, of
// the form "#123", or the same as another name of its kind without regard to case.
std::vector<uint8_t> BuildLibraryModule(const std::vector<TNamedData>& pictures,
                                        const std::vector<TNamedData>& sounds);
