// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the display did with a run's pictures: how many frames showed one, how many came late
// or were never shown, the refresh rate measured from the display's own frame times, where
// those times came from, and how far the pictures were tied to the display at all.

#include <QtGlobal>

#include <cstdint>

enum class TFrameMode {
    // Painted once per display frame, each frame's presentation time and counter told by the
    // display (vblank notifications, presentation feedback with its vsync flag).
    Synchronised,
    // Painted once per display frame; the display tells when each frame was shown, but not that
    // its times are those of a vertical blank (a headless or virtual output).
    TimestampsOnly,
    // Painted once per display frame, but nothing tells when a frame reached the screen.
    NoFeedback,
    // Painted by the picture timer: the display gave no frame clock to follow.
    Unsynchronised,
};

struct TFrameStats {
    TFrameMode Mode = TFrameMode::Unsynchronised;
    uint64_t Shown = 0;   // frames that showed a picture of the run
    uint64_t Late = 0;    // frames whose picture reached the display after their frame began
    uint64_t Dropped = 0; // frames the display passed without a new picture it was given
    // Frames shown with another picture than the one due when they began (synchronised only).
    uint64_t NotDue = 0;
    double RefreshHz = 0; // measured from the display's frame times; 0 when not measured
    // Where the frame times came from, a fixed technical name ("X Present UST", "timer").
    const char* ClockSource = "timer";
};

// The mode's name as the journal writes it: "synchronised", "timestamps only", "no
// presentation feedback", "unsynchronised".
inline const char* FrameModeKey(TFrameMode mode) {
    switch (mode) {
    case TFrameMode::Synchronised:
        return "synchronised";
    case TFrameMode::TimestampsOnly:
        return "timestamps only";
    case TFrameMode::NoFeedback:
        return "no presentation feedback";
    case TFrameMode::Unsynchronised:
        break;
    }
    return "unsynchronised";
}

// The same for the user, translated in the context "TFrameStats".
inline const char* FrameModeText(TFrameMode mode) {
    switch (mode) {
    case TFrameMode::Synchronised:
        return QT_TRANSLATE_NOOP("TFrameStats", "synchronised");
    case TFrameMode::TimestampsOnly:
        return QT_TRANSLATE_NOOP("TFrameStats", "timestamps only");
    case TFrameMode::NoFeedback:
        return QT_TRANSLATE_NOOP("TFrameStats", "no presentation feedback");
    case TFrameMode::Unsynchronised:
        break;
    }
    return QT_TRANSLATE_NOOP("TFrameStats", "unsynchronised");
}
