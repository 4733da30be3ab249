// SPDX-License-Identifier: GPL-3.0-or-later
#include "safety/FlashAdvice.h"

#include "safety/FlashColours.h"

#include <algorithm>

TColorTable ReducedFlashingColours(const TColorTable& colours) {
    std::array<QRgb, 256> lookup{};
    for (size_t i = 0; i < 256; ++i)
        lookup[i] = qRgb(colours[i].Red, colours[i].Green, colours[i].Blue);
    const std::array<QRgb, 256> reduced = ReducedFlashingLookup(lookup);
    TColorTable out{};
    for (size_t i = 0; i < 256; ++i) {
        out[i] = TRGBQuad{static_cast<uint8_t>(qBlue(reduced[i])),
                          static_cast<uint8_t>(qGreen(reduced[i])),
                          static_cast<uint8_t>(qRed(reduced[i])), 0};
    }
    return out;
}

TFlashAdvice AdviseFlashing(const TFlashPicture& picture, const TFlashSettings& settings) {
    TFlashAdvice advice;
    // Slider values in tenths of a hertz, highest first; the picture interval follows from each.
    for (const int tenths : {30, 25, 20, 15, 10, 5, 2, 1}) {
        TFlashSettings s = settings;
        s.PictureIntervalMs = 5000 / tenths;
        if (!CheckFlashing(picture, s).Over) {
            advice.BelowAtHz = tenths / 10.0;
            break;
        }
    }
    TFlashPicture reduced = picture;
    reduced.Colours = ReducedFlashingColours(picture.Colours);
    advice.ReducedIsBelow = !CheckFlashing(reduced, settings).Over;
    for (const double scale : {0.75, 0.5, 0.33, 0.25, 0.1}) {
        TFlashSettings s = settings;
        s.ShownWidth = std::max(1, static_cast<int>(settings.ShownWidth * scale));
        s.ShownHeight = std::max(1, static_cast<int>(settings.ShownHeight * scale));
        if (!CheckFlashing(picture, s).Over) {
            advice.BelowAtScale = scale;
            break;
        }
    }
    return advice;
}
