// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers shared by the picture tests.

#include "framework/Streams.h"
#include "picture/DIB.h"

#include <cstring>
#include <string>
#include <vector>

// The message of the failure of kind E that fn raises; "<no failure>" when it raises none.
template <typename E, typename F> std::string FailureOf(F&& fn) {
    try {
        fn();
    } catch (const E& e) {
        return e.Message();
    }
    return "<no failure>";
}

// An 8-bit picture whose pixel (x, y) is (x + 7 * y) mod 256 and whose colour table is the
// grey ramp reversed, so that index and colour differ.
inline void FillPattern(TDIB& dib, int width, int height, int bits = 8) {
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(255 - i);
        dib.ColorTable[static_cast<size_t>(i)] = TRGBQuad{v, static_cast<uint8_t>(i), v, 0};
    }
    if (bits == 16) dib.PixelFormat = PixelFormatFromCounts(5, 6, 5);
    dib.Allocate(width, height, bits);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dib.ScanLine(y);
        for (int x = 0; x < dib.WidthBytes(); ++x)
            row[x] = static_cast<uint8_t>(x + 7 * y);
    }
}

inline std::vector<uint8_t> Rows(TDIB& dib) {
    std::vector<uint8_t> out;
    for (int y = 0; y < dib.Height(); ++y) {
        const uint8_t* row = dib.ScanLine(y);
        out.insert(out.end(), row, row + dib.WidthBytes());
    }
    return out;
}

inline std::vector<uint8_t> SavedBytes(TDIB& dib) {
    TMemoryStream stream;
    dib.SaveBmpStream(stream);
    return stream.Bytes();
}
