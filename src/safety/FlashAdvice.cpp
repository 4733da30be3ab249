// SPDX-License-Identifier: GPL-3.0-or-later
#include "safety/FlashAdvice.h"

#include "safety/FlashColours.h"

#include <algorithm>
#include <cmath>

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
    // Frequencies in tenths of a hertz below the present one, as the slider sets them: every
    // half hertz downwards until one passes, then the tenths above it while they pass.
    TFlashSettings slower = settings;
    const auto passes = [&](int tenths) {
        slower.StepsPerSecond = PictureStepsPerSecond(tenths / 10.0L);
        return !CheckFlashing(picture, slower).Over;
    };
    const int present = static_cast<int>(std::ceil(settings.StepsPerSecond / 2 * 10 - 1e-6));
    int found = 0;
    for (int t = (present - 1) / 5 * 5; t >= 5 && found == 0; t -= 5) {
        if (passes(t)) found = t;
    }
    for (int t = std::min(4, present - 1); t >= 1 && found == 0; --t) {
        if (passes(t)) found = t;
    }
    if (found > 0) {
        while (found + 1 < present && found % 5 != 4 && passes(found + 1))
            ++found;
        advice.BelowAtHz = found / 10.0;
        // Whether every slower frequency passes too, tried every half hertz and at 0.1 Hz:
        // held flashing can put a slow band over the limits that a faster one is below.
        advice.AllSlowerBelow = true;
        for (int t = (found - 1) / 5 * 5; t >= 0 && advice.AllSlowerBelow; t -= 5) {
            advice.AllSlowerBelow = passes(std::max(t, 1));
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
