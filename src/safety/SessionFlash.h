// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The flash check over a whole session: for each minute, the frequencies and depths the
// session passes through and the worst verdict among them, so that the window before a run
// and the renderer's report grade the same light. The session is followed as the program
// follows it, every session tick.

#include "safety/FlashCheck.h"
#include "session/Session.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct TFlashMinute {
    int64_t StartMs = 0;
    int64_t EndMs = 0;
    double LowestHz = 0;
    double HighestHz = 0;
    int LowestDepth = 0;
    int HighestDepth = 0;
    TFlashReport Worst; // of every state the minute passes through
    int WorstDepth = 0; // the transform level of the worst state; its frequency is in Worst
};

// Grades sessions on one picture and display, checking each state once however often it
// comes back. It keeps its own copy of the picture.
class TSessionFlashGrader {
public:
    // display: the Right/Left difference, the shown size, the screen and its refresh; the
    // frequency and the depth come from the session.
    TSessionFlashGrader(const TFlashPicture& picture, int cycleModulus,
                        const TFlashSettings& display);

    // The session's minutes, from the transform level the run starts with until a point sets
    // the depth.
    std::vector<TFlashMinute> Grade(const TSession& session, int startLevel);
    // The check of one state; milli in thousandths of a hertz.
    const TFlashReport& Check(int32_t milli, int level);
    const TFlashSettings& Display() const { return display_; }

private:
    std::vector<uint8_t> pixels_;
    TFlashPicture picture_;
    TFlashSettings display_;
    std::map<std::pair<int32_t, int>, TFlashReport> checked_;
};

// Whether a is a worse verdict than b: over before below, then more flashes, then more area.
bool WorseFlashing(const TFlashReport& a, const TFlashReport& b);
// The index of the worst minute; 0 for none.
size_t WorstFlashMinute(const std::vector<TFlashMinute>& minutes);
// How many minutes are over the limits.
size_t FlashMinutesOver(const std::vector<TFlashMinute>& minutes);
// "9:00-10:00  21.7-23.3 Hz, depth 8": the minute and its frequency and depth ranges.
// In the user's language as UTF-8, numbers in the locale given.
std::string FlashMinuteHeading(const TFlashMinute& minute, const QLocale& numbers = QLocale::c());
// One line: the heading, the verdict and why, and the figures.
std::string DescribeFlashMinute(const TFlashMinute& minute, const QLocale& numbers = QLocale::c());
