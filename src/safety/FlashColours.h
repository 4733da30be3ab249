// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colour measures the flash check works with, per palette entry: relative luminance, whether
// the colour is a saturated red, and its chromaticity; and the gentler colour lookup of reduced
// flashing.

#include "framework/DibFormat.h"

#include <QRgb>

#include <array>

struct TFlashColour {
    double Luminance = 0; // relative luminance, 0..1
    double U = 0;         // CIE 1976 u'
    double V = 0;         // CIE 1976 v'
    bool SaturatedRed = false;
};

// The linear value of an 8-bit sRGB channel.
double LinearChannel(int value);
TFlashColour MeasureColour(int red, int green, int blue);
// Whether going between a and b is a red transition: one of them a saturated red and their
// chromaticities more than 0.2 apart.
bool IsRedTransition(const TFlashColour& a, const TFlashColour& b);

// The colours of lookup with the luminance range squeezed into a band well below the
// general-flash threshold around its middle, and the saturation lowered so that no entry is a
// saturated red. Hues keep their order, so colours still travel through the picture.
std::array<QRgb, 256> ReducedFlashingLookup(const std::array<QRgb, 256>& lookup);
