// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loading a stimulus library into what the main window shows and plays: the two name lists
// with their selections, the picture holder, the display bitmap, the sound buffer and the
// cycle modulus. Failures are raised as they happen; what was done before stays done.

#include "library/NameLists.h"
#include "platform/ResourceModule.h"

#include <cstdint>
#include <string>

class TDIB;
class TDirectSoundBuffer;
class TPicture;
class TStream;

struct TLibraryTargets {
    TNameList& Pictures;
    TNameList& Sounds;
    TPicture& SourcePicture;
    TDIB& Display;
    TDirectSoundBuffer* SoundBuffer; // a missing buffer fails as the buffer's own error
    int32_t& CycleModulus;
};

// (Re)loads a library, in this order: both lists ("Picturez", then "Soundz"), the remembered
// selections (sound, then picture; an index the new list lacks, or an empty entry, falls back
// to entry 0), the selected sound into the buffer, the cycle modulus from the selected
// picture's header, the picture into the holder and from there into the display. The module
// is released in every case. A missing file, one that is no module, and a path over 260
// characters all fail as a missing "Picturez".
void LoadStimulusLibrary(const std::string& libraryPath, TLibraryTargets& targets);

// The cycle modulus a picture's data gives: 255 minus the 16-bit word at byte 6 of its first
// 14 bytes. Fails with "Stream read error" when fewer than 14 bytes are left.
int32_t CycleModulusFromHeader(TStream& stream);

// One picture of an open library, as the window shows it (a compressed one expanded), and its
// cycle modulus. Fails as the resource stream does when the library has no such picture.
void LoadLibraryPicture(TModuleHandle module, const std::string& name, TDIB& picture,
                        int32_t& cycleModulus);

// A single bitmap file into the display, then the cycle modulus from the file's own header
// (its first reserved word). The display keeps its picture when the file cannot be read.
void LoadPictureFile(const std::string& fileName, TDIB& display, int32_t& cycleModulus);

// A single wave file into the sound buffer, at the file's own rate and full volume.
void LoadSoundFile(const std::string& fileName, TDirectSoundBuffer* soundBuffer);
