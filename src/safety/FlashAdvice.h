// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What would bring a run under the flash limits: a lower frequency, reduced flashing, or a
// smaller picture on the screen, each tried with the check itself.

#include "safety/FlashCheck.h"

struct TFlashAdvice {
    // The highest frequency under the present one, in tenths of a hertz, that the check
    // passes; 0 for none.
    double BelowAtHz = 0;
    bool AllSlowerBelow = false; // and every slower frequency tried passes too
    bool ReducedIsBelow = false; // reduced flashing alone brings it below
    double BelowAtScale = 0;     // the largest tried share of the picture's size; 0 for none
};

// The picture's colours through the lookup of reduced flashing.
TColorTable ReducedFlashingColours(const TColorTable& colours);
TFlashAdvice AdviseFlashing(const TFlashPicture& picture, const TFlashSettings& settings);
