// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The flash check over a whole session from a picture of a library: for each minute, the
// frequencies and depths the session passes through and the worst verdict among them, so a
// session's author sees where it goes over the limits. The grading is the window's own
// (safety/SessionFlash.h).

#include "safety/FlashCheck.h"
#include "safety/SessionFlash.h"
#include "session/Session.h"

#include <string>
#include <vector>

struct TFlashReportJob {
    std::string LibraryPath = "main.zdl"; // looked for as the program looks for libraries
    std::string PictureName;
    TSession Session;
    int Depth = 1; // the knob as it stands when the run starts; the session's points set it
    bool Reduced = false;
    // Difference, shown size, screen and refresh; the rest comes from the session.
    TFlashSettings Display;
};

// Follows the session as the program does, every session tick, and checks each state once.
std::vector<TFlashMinute> ReportSessionFlashing(const TFlashReportJob& job);
