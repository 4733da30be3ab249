#include "picture/FrameStep.h"

#include "picture/DIB.h"
#include "picture/DXPaintBox.h"

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

// When every dividend b + add (b in 0..M) is non-negative, the step is "b + add, less M when
// that reaches M" with add reduced below M: plain byte arithmetic the compiler turns into
// vector code.
struct RingStep {
    bool usable = false;
    uint8_t add = 0;  // (add mod M), below M
    uint8_t wrap = 0; // M - add: bytes from here on wrap around
    uint8_t limit = 0;
};

RingStep MakeRingStep(int level, int modulus, bool backward) {
    RingStep step;
    if (modulus < 1 || modulus > 255) return step;
    const int64_t add = backward ? int64_t{modulus} - level : int64_t{level};
    if (add < 0) return step;
    step.usable = true;
    step.add = static_cast<uint8_t>(add % modulus);
    step.wrap = static_cast<uint8_t>(modulus - step.add);
    step.limit = static_cast<uint8_t>(modulus);
    return step;
}

void StepRing(uint8_t* p, int count, RingStep s) {
    for (int i = 0; i < count; ++i) {
        const uint8_t b = p[i];
        const uint8_t moved =
            b >= s.wrap ? static_cast<uint8_t>(b - s.wrap) : static_cast<uint8_t>(b + s.add);
        p[i] = b > s.limit ? b : moved;
    }
}

void StepTableBytes(uint8_t* p, int count, const ByteTable& table) {
    for (int i = 0; i < count; ++i)
        p[i] = table[p[i]];
}

void StepBytes(uint8_t* p, int count, const RingStep& ring, const ByteTable& table) {
    if (count <= 0) return;
    if (ring.usable) {
        StepRing(p, count, ring);
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

    const ByteTable forwardTable = StepTable(level, modulus, false);
    const ByteTable backwardTable = StepTable(level, modulus, true);
    const RingStep forward = MakeRingStep(level, modulus, false);
    const RingStep backward = MakeRingStep(level, modulus, true);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dib.ScanLine(y);
        StepBytes(row, split, forward, forwardTable);
        StepBytes(row + split, rowBytes - split, backward, backwardTable);
    }
}

void RunFrameStep(TDXPaintBox& display, const TFrameStepParams& params) {
    StepFrame(display.DIB(), params);
    display.PaintNow();
}
