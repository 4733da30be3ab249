// SPDX-License-Identifier: GPL-3.0-or-later
#include "safety/FlashColours.h"

#include <algorithm>
#include <cmath>

namespace {

// Chromaticity of the D65 white point, given to black, which has none of its own.
constexpr double WhiteU = 0.1978;
constexpr double WhiteV = 0.4683;

// The widest luminance band reduced flashing leaves; rounding to 8 bits adds under 0.01.
constexpr double ReducedBand = 0.06;
// How much of a colour's distance from grey reduced flashing keeps at most.
constexpr double ReducedSaturation = 0.35;

const std::array<double, 256>& LinearTable() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[static_cast<size_t>(i)] =
                c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

int EncodeChannel(double linear) {
    const double c = std::clamp(linear, 0.0, 1.0);
    const double s = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<int>(std::lround(s * 255));
}

double LuminanceOf(double r, double g, double b) {
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

} // namespace

double LinearChannel(int value) {
    return LinearTable()[static_cast<size_t>(std::clamp(value, 0, 255))];
}

TFlashColour MeasureColour(int red, int green, int blue) {
    const double r = LinearChannel(red);
    const double g = LinearChannel(green);
    const double b = LinearChannel(blue);
    TFlashColour c;
    c.Luminance = LuminanceOf(r, g, b);
    const double x = 0.4124 * r + 0.3576 * g + 0.1805 * b;
    const double z = 0.0193 * r + 0.1192 * g + 0.9505 * b;
    const double d = x + 15 * c.Luminance + 3 * z;
    c.U = d > 0 ? 4 * x / d : WhiteU;
    c.V = d > 0 ? 9 * c.Luminance / d : WhiteV;
    const double sum = r + g + b;
    c.SaturatedRed = sum > 0 && r / sum >= 0.8;
    return c;
}

bool IsRedTransition(const TFlashColour& a, const TFlashColour& b) {
    if (!a.SaturatedRed && !b.SaturatedRed) return false;
    const double du = a.U - b.U;
    const double dv = a.V - b.V;
    return du * du + dv * dv > 0.2 * 0.2;
}

std::array<QRgb, 256> ReducedFlashingLookup(const std::array<QRgb, 256>& lookup) {
    std::array<double, 256> y{};
    double lo = 1;
    double hi = 0;
    for (size_t i = 0; i < 256; ++i) {
        const QRgb c = lookup[i];
        y[i] =
            LuminanceOf(LinearChannel(qRed(c)), LinearChannel(qGreen(c)), LinearChannel(qBlue(c)));
        lo = std::min(lo, y[i]);
        hi = std::max(hi, y[i]);
    }
    const double middle = (lo + hi) / 2;
    const double squeeze = hi - lo > ReducedBand ? ReducedBand / (hi - lo) : 1.0;

    std::array<QRgb, 256> out{};
    for (size_t i = 0; i < 256; ++i) {
        const QRgb c = lookup[i];
        const double target = middle + (y[i] - middle) * squeeze;
        double ch[3] = {LinearChannel(qRed(c)), LinearChannel(qGreen(c)), LinearChannel(qBlue(c))};
        // Scaled to the target luminance, then drawn towards the grey of that luminance: both
        // keep the luminance, and the mix is cut further where a channel would pass 1.
        double saturation = ReducedSaturation;
        for (double& v : ch) {
            v = y[i] > 0 ? v * target / y[i] : target;
            if (v > 1 && v > target) saturation = std::min(saturation, (1 - target) / (v - target));
        }
        out[i] = qRgb(EncodeChannel(target + saturation * (ch[0] - target)),
                      EncodeChannel(target + saturation * (ch[1] - target)),
                      EncodeChannel(target + saturation * (ch[2] - target)));
    }
    return out;
}
