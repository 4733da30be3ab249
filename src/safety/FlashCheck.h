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

// How a display shows the picture's stepping: each frame holds the latest step, so a step
// between two frames is never seen and another stays up for two or more.
struct TShownLight {
    double RefreshHz = 0;
    double MainHz = 0; // half the picture's steps a second
    // The frequency the eye gets: the main frequency folded by the refresh (35 Hz on a 60 Hz
    // display flashes at 25 Hz, 60 - 35). Each frame shows one step, so the light turns
    // wherever a frame lands an odd number of steps after the one before; the rate of those
    // turns is this fold whatever the main frequency.
    double ShownHz = 0;
    // The frames a half period of the light stays up, fewest and most: 20 Hz on a 60 Hz
    // display holds one half for two frames and the other for one.
    int FewestFrames = 0;
    int MostFrames = 0;
    // The main frequency, to the frequency box's thousandths within its 0.1 to 35 Hz, nearest
    // to this one that the display shows evenly; the lower of two as near.
    double NearestEvenHz = 0;

    // Every half period the same whole number of frames, and the frequency the one due.
    bool Even() const { return FewestFrames > 0 && FewestFrames == MostFrames; }
    // The light seen is not the light due: another frequency, or uneven halves.
    bool Differs() const;
};

// The light of a picture stepping stepsPerSecond times a second on a display of refreshHz.
TShownLight ShownLightOf(double stepsPerSecond, double refreshHz);
// Where the display shows the light otherwise than due, what it shows and the nearest
// frequency it shows evenly, in the user's language as UTF-8; empty where it shows it as due.
std::string ShownLightText(const TShownLight& light, const QLocale& numbers = QLocale::c());
// The main frequencies a display shows evenly are refreshHz / (2 k): two picture steps a
// period and each held for the same k whole frames give a square of even halves, k frames
// on and k off. Any other period either spans an odd number of frames (halves of k and k + 1)
// or no whole number at all (halves that change length as the phase slips past the frames).
// The one of them nearest hz, within the box's 0.1 to 35 Hz, to its thousandths.
double NearestEvenFrequency(double hz, double refreshHz);

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
    TShownLight Shown; // the light as the display shows it, which is the one graded
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
