// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The binaural-beat schedule (".sbg": option lines, tone-set definitions, blocks and time
// lines) read into a session, following the schedule as its own program plays it. The main
// frequency is the beat (or pulse) of the loudest beating voice of each tone-set; its kind and
// carrier become the tone keys and its amplitude the Volume knob. A slide ("->") becomes a
// straight line to the next tone-set; a cross-fade a straight line centred on its time line,
// shortened where lines are closer than the fade time; after silence, or through a fade mark
// to or from silence, the next tone-set starts at its own beat. A block's lines are placed at
// each time line that names it. Whatever has no place in a session is left out and reported;
// too many points for a session are thinned where that changes the frequency least, and the
// report says how much.

#include "exchange/Import.h"

#include <string>
#include <string_view>

// The cross-fade between tone-sets unless an "-F ms" option line sets another.
inline constexpr int64_t kSbgDefaultFadeMs = 60000;

// Converts a schedule's text; name stands for the file in the messages and the header. A
// schedule that cannot be read as one (an unknown tone-set, a time not understood, an unclosed
// block, nothing with a beat) fails with EImportError naming the line.
TImported ImportSbg(std::string_view text, const std::string& name);
