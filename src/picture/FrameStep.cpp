// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/FrameStep.h"

#include "picture/DIB.h"
#include "picture/DXPaintBox.h"
#include "picture/FrameStepBytes.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

using ByteTable = std::array<uint8_t, 256>;

// The step for every byte value, exactly as the rule states it.
ByteTable StepTable(int level, int modulus, bool backward) {
    ByteTable table{};
    for (int b = 0; b < 256; ++b) {
        if (b > modulus) {
            table[static_cast<size_t>(b)] = static_cast<uint8_t>(b);
            continue;
        }
        const int64_t dividend = backward ? int64_t{b} + modulus - level : int64_t{b} + level;
        table[static_cast<size_t>(b)] = static_cast<uint8_t>(dividend % modulus);
    }
    return table;
}

void StepTableBytes(uint8_t* p, int count, const ByteTable& table) {
    for (int i = 0; i < count; ++i)
        p[i] = table[p[i]];
}

void StepBytes(uint8_t* p, int count, const TRingStep& ring, const ByteTable& table) {
    if (count <= 0) return;
    if (ring.Usable) {
        StepRingBytes(p, count, ring);
    } else {
        StepTableBytes(p, count, table);
    }
}

} // namespace

void StepFrame(TDIB& dib, const TFrameStepParams& params) {
    const int level = params.TransformLevel;
    const int modulus = params.CycleModulus;
    // Nothing to do: no picture, no value at or below a negative modulus, or no ring at all.
    if (dib.IsEmpty() || modulus <= 0) return;
    const int width = dib.Width();
    const int height = dib.Height();
    // x counts bytes; rows of 1 and 4 bits hold fewer than width bytes.
    const int rowBytes = std::min(width, dib.WidthBytes());
    const int split = params.RightLeftDifference ? std::min(rowBytes, width / 2 + 1) : rowBytes;

    const TRingStep forward = MakeRingStep(level, modulus, false);
    const TRingStep backward = MakeRingStep(level, modulus, true);
    // The full rule only where a remainder can be negative or M is beyond a byte.
    const ByteTable forwardTable = forward.Usable ? ByteTable{} : StepTable(level, modulus, false);
    const ByteTable backwardTable = backward.Usable ? ByteTable{} : StepTable(level, modulus, true);
    // Rows are stored bottom-up; going through them in memory order, bottom row first, lets
    // the processor fetch ahead. No byte depends on another, so the order changes nothing else.
    for (int y = height - 1; y >= 0; --y) {
        uint8_t* row = dib.ScanLine(y);
        StepBytes(row, split, forward, forwardTable);
        StepBytes(row + split, rowBytes - split, backward, backwardTable);
    }
}

void RunFrameStep(TDXPaintBox& display, const TFrameStepParams& params) {
    StepFrame(display.DIB(), params);
    display.PaintNow();
}
