// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The flash check over a whole session: for each minute, the frequencies and depths the
// session passes through and the worst verdict among them, so a session's author sees where
// it goes over the limits.

#include "safety/FlashCheck.h"
#include "session/Session.h"

#include <cstdint>
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

struct TFlashMinute {
    int64_t StartMs = 0;
    int64_t EndMs = 0;
    double LowestHz = 0;
    double HighestHz = 0;
    int LowestDepth = 0;
    int HighestDepth = 0;
    TFlashReport Worst; // of every state the minute passes through
};

// Follows the session as the program does, every session tick, and checks each state once.
std::vector<TFlashMinute> ReportSessionFlashing(const TFlashReportJob& job);
// One line: the minute, its frequency and depth ranges, the verdict and why.
std::string DescribeFlashMinute(const TFlashMinute& minute);
