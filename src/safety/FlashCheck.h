// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The flash check: how strongly the displayed picture flashes with the run's settings on a
// given display, graded against the broadcast limit (25 % of the screen) and the web's
// (25 % of any 10-degree field of view, a 341 x 256 rectangle of a 1024 x 768 screen scaled
// to the screen). Every pixel of value up to the cycle modulus runs through the same ring of
// palette entries, shifted by its own value, so the work is per palette index and side, each
// weighted by how many pixels hold it; only the area sums look at the pixels again.

#include "framework/DibFormat.h"

#include <QLocale>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TDIB;

// An 8-bit picture as the display holds it: row y starts at Top + y * RowStep.
struct TFlashPicture {
    const uint8_t* Top = nullptr;
    ptrdiff_t RowStep = 0;
    int Width = 0;
    int Height = 0;
    TColorTable Colours{};
};

// The program's picture area in the window's first size, in screen pixels. The picture fills
// the window above the 144-pixel controls of a 390-pixel client area, and the window is held
// at least 576 pixels wide outside its frame, so on a screen that draws no frame around it
// the picture is 576 x 246 (the window's first 568 is widened to that at once).
constexpr int kFirstShownWidth = 576;
constexpr int kFirstShownHeight = 246;

// The picture's steps a second at a main frequency: two a period, of the frequency at the
// frequency box's three decimals within its 0.1 to 35 Hz.
double PictureStepsPerSecond(long double frequencyHz);

struct TFlashSettings {
    int TransformLevel = 1;
    int CycleModulus = 255;
    bool RightLeftDifference = false;
    double StepsPerSecond = 14; // frame steps, PictureStepsPerSecond of the main frequency
    int ShownWidth = 0;         // the picture's size on the screen, in screen pixels
    int ShownHeight = 0;
    int ScreenWidth = 1920;
    int ScreenHeight = 1080;
    double RefreshHz = 60;
};

// One way a run is over the limits: the kind of flashing and the share of the screen or of
// the worst 10-degree field it covers.
enum class TFlashKind { General, Red, Extended };
struct TFlashReason {
    TFlashKind Kind = TFlashKind::General;
    bool InField = false; // the share is of a 10-degree field, not of the screen
    double Fraction = 0;
};

struct TFlashReport {
    bool Checked = false; // false when the picture is not an 8-bit one
    // Flashes in the worst one-second window of any part of the picture.
    double GeneralFlashesPerSecond = 0;
    double RedFlashesPerSecond = 0;
    // The part of the screen flashing more than 3 times in its worst second.
    double ScreenAreaFraction = 0;
    // The largest part of any 10-degree-field rectangle flashing more than 3 times a second.
    double WcagAreaFraction = 0;
    // Four or more transitions a second held for 4 of any 5 seconds over more than the limits.
    bool Extended = false;
    double ExtendedScreenFraction = 0;
    double ExtendedWcagFraction = 0;
    double RefreshHz = 0;
    double StepsPerSecond = 0;
    bool Over = false;
    std::vector<TFlashReason> Reasons; // why it is over; empty when below
    // Why it is over, or that it is below, in English with C numbers: for output that
    // programs read, which stays the same in every language.
    std::string Reason;

    // The texts a person reads, in the user's language as UTF-8, numbers in the locale given.
    // "below the limits" or "over the limits".
    std::string VerdictText() const;
    // Reason, translated.
    std::string ReasonText(const QLocale& numbers = QLocale::c()) const;
    // A few lines with the figures, for a tooltip or a paragraph.
    std::string Figures(const QLocale& numbers = QLocale::c()) const;
};

// The share of the screen or of a field above which flashing is over the limits.
constexpr double FlashAreaLimit = 0.25;

// A figure of the texts: with the locale's decimal separator, or for the C locale as the C
// library writes it.
QString FlashNumber(double value, int decimals, const QLocale& numbers);

TFlashReport CheckFlashing(const TFlashPicture& picture, const TFlashSettings& settings);
// The picture of an 8-bit TDIB; an empty picture (Top null) for any other.
TFlashPicture FlashPictureOf(const TDIB& dib);
