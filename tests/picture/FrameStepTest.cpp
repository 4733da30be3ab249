// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHelpers.h"

#include "picture/FrameStep.h"
#include "picture/FrameStepBytes.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// A one-row 8-bit picture holding the given bytes.
std::unique_ptr<TDIB> Row(std::vector<uint8_t> bytes) {
    auto dib = std::make_unique<TDIB>();
    dib->Allocate(static_cast<int>(bytes.size()), 1, 8);
    std::copy(bytes.begin(), bytes.end(), dib->ScanLine(0));
    return dib;
}

std::vector<uint8_t> RowBytes(TDIB& dib, int y = 0) {
    return std::vector<uint8_t>(dib.ScanLine(y), dib.ScanLine(y) + dib.Width());
}

std::vector<uint8_t> Step(std::vector<uint8_t> bytes, int level, int modulus, bool rightLeft) {
    auto dib = Row(std::move(bytes));
    StepFrame(*dib, TFrameStepParams{level, modulus, rightLeft});
    return RowBytes(*dib);
}

// The rule for one byte, written out plainly.
uint8_t Rule(int b, int x, int width, int level, int modulus, bool rightLeft) {
    if (b > modulus || modulus == 0) return static_cast<uint8_t>(b);
    const int64_t dividend =
        (rightLeft && x > width / 2) ? int64_t{b} + modulus - level : int64_t{b} + level;
    return static_cast<uint8_t>(dividend % modulus);
}

} // namespace

TEST(FrameStep, UsualRingOf255) {
    EXPECT_EQ(Step({254, 0, 255, 100}, 1, 255, false), (std::vector<uint8_t>{0, 1, 1, 101}));
}

TEST(FrameStep, RightSideStepsBackwardsFromTheSplitColumn) {
    EXPECT_EQ(Step({10, 10, 10, 10}, 15, 255, true), (std::vector<uint8_t>{25, 25, 25, 250}));
    EXPECT_EQ(Step({3, 3, 3, 3}, 15, 255, true), (std::vector<uint8_t>{18, 18, 18, 243}));
    EXPECT_EQ(Step({10, 10, 10, 10, 10}, 1, 255, true), (std::vector<uint8_t>{11, 11, 11, 9, 9}));
    EXPECT_EQ(Step({10}, 1, 255, true), (std::vector<uint8_t>{11}));
    EXPECT_EQ(Step({10, 10, 10, 10}, 15, 255, false), (std::vector<uint8_t>{25, 25, 25, 25}));
}

TEST(FrameStep, ValuesAboveTheModulusNeverChange) {
    EXPECT_EQ(Step({201, 255, 200, 199}, 1, 200, false), (std::vector<uint8_t>{201, 255, 1, 0}));
    EXPECT_EQ(Step({0, 100, 255}, 3, -5, false), (std::vector<uint8_t>{0, 100, 255}));
}

TEST(FrameStep, NegativeRemainderIsStoredAsItsLowByteAndThenStays) {
    auto dib = Row({1, 1, 1, 1});
    StepFrame(*dib, {10, 5, true});
    EXPECT_EQ(RowBytes(*dib), (std::vector<uint8_t>{1, 1, 1, 252}));
    StepFrame(*dib, {10, 5, true});
    EXPECT_EQ(RowBytes(*dib)[3], 252);
}

TEST(FrameStep, LevelZeroOnlyWrapsTheModulusItself) {
    EXPECT_EQ(Step({255, 254, 0, 7}, 0, 255, false), (std::vector<uint8_t>{0, 254, 0, 7}));
    EXPECT_EQ(Step({5, 4, 5, 5}, 0, 5, true), (std::vector<uint8_t>{0, 4, 0, 0}));
}

TEST(FrameStep, ModulusZeroChangesNoByte) {
    EXPECT_EQ(Step({0, 1, 255, 0}, 7, 0, true), (std::vector<uint8_t>{0, 1, 255, 0}));
}

TEST(FrameStep, EmptyPictureIsLeftAlone) {
    TDIB dib;
    StepFrame(dib, {7, 255, true});
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(FrameStep, EveryLevelModulusAndByteFollowsTheRule) {
    // The fast path and the table path must both agree with the plain rule, including
    // levels above the modulus and negative levels.
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    std::vector<uint8_t> twice = all;
    twice.insert(twice.end(), all.begin(), all.end());
    for (int modulus : {1, 2, 3, 7, 100, 200, 254, 255, 256, 300}) {
        for (int level : {-300, -256, -1, 0, 1, 2, 15, 99, 254, 255, 256, 511, 1000000}) {
            for (bool rightLeft : {false, true}) {
                const auto stepped = Step(twice, level, modulus, rightLeft);
                for (size_t x = 0; x < twice.size(); ++x) {
                    ASSERT_EQ(stepped[x],
                              Rule(twice[x], static_cast<int>(x), 512, level, modulus, rightLeft))
                        << "b=" << int(twice[x]) << " x=" << x << " L=" << level << " M=" << modulus
                        << " RL=" << rightLeft;
                }
            }
        }
    }
}

TEST(FrameStep, EveryRowIsSteppedButPaddingIsNot) {
    TDIB dib;
    dib.Allocate(3, 4, 8); // rows of 4 bytes, the last one padding
    for (int y = 0; y < 4; ++y)
        std::fill(dib.ScanLine(y), dib.ScanLine(y) + 4, 9);
    StepFrame(dib, {2, 255, false});
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(RowBytes(dib, y), (std::vector<uint8_t>{11, 11, 11})) << y;
        EXPECT_EQ(dib.ScanLine(y)[3], 9) << "padding untouched";
    }
}

TEST(FrameStep, NarrowBitCountsStayWithinTheirRows) {
    // 40 pixels at 1 bit are 8 bytes a row: only those are stepped, and the split column is
    // still width div 2, so every byte lies on the left side.
    TDIB dib;
    dib.Allocate(40, 3, 1);
    for (int y = 0; y < 3; ++y)
        std::fill(dib.ScanLine(y), dib.ScanLine(y) + 8, 4);
    StepFrame(dib, {1, 255, true});
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dib.ScanLine(y)[x], 5);
    }
    // 9 pixels at 4 bits fill rows of 8 bytes: all 8 are stepped, bytes 5 to 7 (x > 4) back.
    TDIB four;
    four.Allocate(9, 2, 4);
    for (int y = 0; y < 2; ++y)
        std::fill(four.ScanLine(y), four.ScanLine(y) + 8, 4);
    StepFrame(four, {1, 255, true});
    const uint8_t* row = four.ScanLine(1);
    EXPECT_EQ((std::vector<uint8_t>(row, row + 8)), (std::vector<uint8_t>{5, 5, 5, 5, 5, 3, 3, 3}));
}

TEST(FrameStep, WideBitCountsStepTheFirstWidthBytes) {
    TDIB dib;
    dib.Allocate(4, 1, 24);
    std::fill(dib.ScanLine(0), dib.ScanLine(0) + 12, 20);
    StepFrame(dib, {1, 255, true});
    EXPECT_EQ((std::vector<uint8_t>(dib.ScanLine(0), dib.ScanLine(0) + 12)),
              (std::vector<uint8_t>{21, 21, 21, 19, 20, 20, 20, 20, 20, 20, 20, 20}));
}

TEST(FrameStep, StepsOnlyItsOwnCopyOfASharedPicture) {
    auto source = Row({1, 2, 3});
    TDIB shown;
    shown.AssignFrom(source.get());
    StepFrame(shown, {1, 255, false});
    EXPECT_EQ(RowBytes(*source), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(RowBytes(shown), (std::vector<uint8_t>{2, 3, 4}));
}

TEST(FrameStep, WideKernelsGiveTheScalarBytesForEveryRing) {
    // Every usable ring (each modulus with each reduced step), over spans holding every byte
    // value at every alignment and every length a 32-byte kernel can leave as a tail.
    std::vector<uint8_t> values(256 + 64);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<uint8_t>(i * 37 + 11);
    for (int modulus = 1; modulus <= 255; ++modulus) {
        for (int level = 0; level < modulus; ++level) {
            const TRingStep step = MakeRingStep(level, modulus, false);
            ASSERT_TRUE(step.Usable);
            const int64_t count = 256 + (modulus + level) % 64;
            const int64_t offset = level % 16;
            std::vector<uint8_t> expected = values;
            StepRingBytesScalar(expected.data() + offset, count - offset, step);
            std::vector<uint8_t> sse2 = values;
            StepRingBytesSse2(sse2.data() + offset, count - offset, step);
            ASSERT_EQ(sse2, expected) << "M=" << modulus << " add=" << level;
            std::vector<uint8_t> widest = values;
            StepRingBytes(widest.data() + offset, count - offset, step);
            ASSERT_EQ(widest, expected) << "M=" << modulus << " add=" << level;
            if (HasAvx2Kernel()) {
                std::vector<uint8_t> avx2 = values;
                StepRingBytesAvx2(avx2.data() + offset, count - offset, step);
                ASSERT_EQ(avx2, expected) << "M=" << modulus << " add=" << level;
            }
        }
    }
}

TEST(FrameStep, RandomPicturesOfEveryWidthFollowTheRule) {
    // Every width 1..67 at every bit count, every modulus and level of the knob (and some
    // beyond), both sides: the whole frame against the plain rule, padding included.
    std::vector<int> levels;
    for (int level = 0; level <= 16; ++level)
        levels.push_back(level);
    for (int level : {-1, 100, 254, 255, 256, 1000})
        levels.push_back(level);
    uint32_t seed = 99;
    for (int bits : {8, 1, 4, 16, 24, 32}) {
        std::vector<std::unique_ptr<TDIB>> pictures;
        std::vector<std::vector<uint8_t>> originals;
        for (int width = 1; width <= 67; ++width) {
            auto dib = std::make_unique<TDIB>();
            if (bits == 16) dib->PixelFormat = PixelFormatFromCounts(5, 6, 5);
            dib->Allocate(width, 2, bits);
            std::vector<uint8_t> original(static_cast<size_t>(dib->WidthBytes()) * 2);
            for (uint8_t& b : original) {
                seed = seed * 1664525u + 1013904223u;
                b = static_cast<uint8_t>(seed >> 24);
            }
            pictures.push_back(std::move(dib));
            originals.push_back(std::move(original));
        }
        // Wider bit counts take a sample of moduli; 8 bits takes them all.
        for (int modulus = -1; modulus <= 256; modulus += (bits == 8 ? 1 : 17)) {
            for (int level : levels) {
                for (bool rightLeft : {false, true}) {
                    // The rule for each byte value on each side.
                    std::array<uint8_t, 256> left{};
                    std::array<uint8_t, 256> right{};
                    for (int b = 0; b < 256; ++b) {
                        left[size_t(b)] = Rule(b, 0, 1, level, modulus, rightLeft);
                        right[size_t(b)] = Rule(b, 1, 1, level, modulus, rightLeft);
                    }
                    for (size_t i = 0; i < pictures.size(); ++i) {
                        TDIB& dib = *pictures[i];
                        const int width = dib.Width();
                        const int rowBytes = dib.WidthBytes();
                        const int stepped = std::min(width, rowBytes);
                        for (int y = 0; y < 2; ++y)
                            std::copy_n(originals[i].data() + y * rowBytes, rowBytes,
                                        dib.ScanLine(y));
                        StepFrame(dib, {level, modulus, rightLeft});
                        for (int y = 0; y < 2; ++y) {
                            const uint8_t* row = dib.ScanLine(y);
                            const uint8_t* before = originals[i].data() + y * rowBytes;
                            for (int x = 0; x < rowBytes; ++x) {
                                const uint8_t want = x >= stepped    ? before[x]
                                                     : x > width / 2 ? right[before[x]]
                                                                     : left[before[x]];
                                if (row[x] == want) continue;
                                FAIL() << "bits=" << bits << " W=" << width << " x=" << x
                                       << " M=" << modulus << " L=" << level << " RL=" << rightLeft;
                            }
                        }
                    }
                }
            }
        }
    }
}
