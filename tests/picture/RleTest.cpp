// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpBuilder.h"
#include "TestHelpers.h"

#include <gtest/gtest.h>

namespace {

// An RLE-compressed BMP file of the given size around data.
std::vector<uint8_t> RleFile(int width, int height, int bits, std::vector<uint8_t> data) {
    BmpBuilder b;
    b.FileHeader()
        .InfoHeader(width, height, bits, bits == 8 ? 1 : 2, static_cast<uint32_t>(data.size()))
        .Colors(1 << bits);
    std::vector<uint8_t> out = b.Data();
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::unique_ptr<TDIB> LoadRle(int width, int height, int bits, std::vector<uint8_t> data) {
    TMemoryStream stream(RleFile(width, height, bits, std::move(data)));
    auto dib = std::make_unique<TDIB>();
    dib->LoadBmpStream(stream);
    return dib;
}

// The pixel value at (x, y), y counted from the bottom row.
int PixelFromBottom(TDIB& dib, int x, int y) {
    const uint8_t* row = dib.ScanLine(dib.Height() - 1 - y);
    if (dib.BitCount() == 8) return row[x];
    return (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
}

} // namespace

TEST(Rle, CompressedDataStaysCompressedUntilTheFirstScanLine) {
    const std::vector<uint8_t> data{3, 5, 0, 0, 2, 7, 0, 1};
    TMemoryStream stream(RleFile(4, 2, 8, data));
    TDIB dib;
    dib.LoadBmpStream(stream);
    EXPECT_TRUE(dib.Image().Compressed);
    EXPECT_EQ(dib.Image().ImageSize(), data.size());
    // Saved again unchanged while nobody expanded it.
    const std::vector<uint8_t> saved = SavedBytes(dib);
    ASSERT_EQ(saved.size(), 14 + 40 + 1024 + data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), saved.end() - static_cast<long>(data.size())));
    EXPECT_EQ(saved[14 + 16], 1) << "compression RLE8 written back";

    dib.ScanLine(0);
    EXPECT_FALSE(dib.Image().Compressed);
    EXPECT_EQ(dib.Image().ImageSize(), static_cast<uint32_t>(dib.Size()));
}

TEST(Rle, Rle8RunsAndEndOfLine) {
    auto dib = LoadRle(4, 2, 8, {3, 5, 0, 0, 2, 7, 0, 1});
    EXPECT_EQ(PixelFromBottom(*dib, 0, 0), 5);
    EXPECT_EQ(PixelFromBottom(*dib, 2, 0), 5);
    EXPECT_EQ(PixelFromBottom(*dib, 3, 0), 0);
    EXPECT_EQ(PixelFromBottom(*dib, 0, 1), 7);
    EXPECT_EQ(PixelFromBottom(*dib, 1, 1), 7);
    EXPECT_EQ(PixelFromBottom(*dib, 2, 1), 0);
}

TEST(Rle, Rle4RunAlternatesNibblesHighFirst) {
    auto dib = LoadRle(6, 1, 4, {5, 0xAB, 0, 1});
    const int expected[] = {0xA, 0xB, 0xA, 0xB, 0xA, 0};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(PixelFromBottom(*dib, x, 0), expected[x]) << x;
}

TEST(Rle, Rle4LiteralKeepsTheOtherNibbleAndIsPaddedToWords) {
    // A run of 1 at x = 0 sets only the high nibble; a 5-pixel literal from x = 1 takes
    // 3 bytes and a padding byte; then a run of 2 from x = 6.
    auto dib = LoadRle(10, 1, 4, {1, 0xF0, 0, 5, 0x12, 0x34, 0x50, 0xEE, 2, 0x99, 0, 1});
    const int expected[] = {0xF, 1, 2, 3, 4, 5, 9, 9, 0, 0};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(PixelFromBottom(*dib, x, 0), expected[x]) << x;
}

TEST(Rle, Rle8LiteralWithOddLengthSkipsItsPadding) {
    auto dib = LoadRle(5, 1, 8, {0, 3, 1, 2, 3, 0xEE, 2, 9, 0, 1});
    const int expected[] = {1, 2, 3, 9, 9};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(PixelFromBottom(*dib, x, 0), expected[x]) << x;
}

TEST(Rle, DeltaMovesRightAndUp) {
    auto dib = LoadRle(6, 3, 8, {1, 4, 0, 2, 3, 1, 1, 8, 0, 1});
    EXPECT_EQ(PixelFromBottom(*dib, 0, 0), 4);
    EXPECT_EQ(PixelFromBottom(*dib, 4, 1), 8);
    EXPECT_EQ(PixelFromBottom(*dib, 1, 0), 0);
    EXPECT_EQ(PixelFromBottom(*dib, 3, 1), 0);
}

TEST(Rle, RunPastTheRowEndIsClippedNotWrapped) {
    auto dib = LoadRle(4, 2, 8, {200, 6, 0, 1});
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PixelFromBottom(*dib, x, 0), 6);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PixelFromBottom(*dib, x, 1), 0) << "nothing wraps";
}

TEST(Rle, LiteralPastTheRowEndIsClippedAndTheDataStaysInStep) {
    // 6 literal pixels into a row of 4, then a run that must still be read as a run.
    auto dib = LoadRle(4, 2, 8, {0, 6, 1, 2, 3, 4, 5, 6, 0, 0, 2, 9, 0, 1});
    const int bottom[] = {1, 2, 3, 4};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PixelFromBottom(*dib, x, 0), bottom[x]);
    EXPECT_EQ(PixelFromBottom(*dib, 0, 1), 9);
    EXPECT_EQ(PixelFromBottom(*dib, 1, 1), 9);
    EXPECT_EQ(PixelFromBottom(*dib, 2, 1), 0);
}

TEST(Rle, RowsAndDeltasPastTheTopWriteNothing) {
    auto lines = LoadRle(2, 2, 8, {2, 1, 0, 0, 2, 2, 0, 0, 2, 3, 0, 0, 2, 4, 0, 1});
    EXPECT_EQ(PixelFromBottom(*lines, 0, 0), 1);
    EXPECT_EQ(PixelFromBottom(*lines, 0, 1), 2);
    auto delta = LoadRle(2, 2, 8, {0, 2, 255, 255, 2, 9, 0, 2, 0, 1, 2, 3, 0, 1});
    EXPECT_EQ(PixelFromBottom(*delta, 0, 0), 0);
    EXPECT_EQ(PixelFromBottom(*delta, 0, 1), 0);
}

TEST(Rle, DataEndingEarlyLeavesTheRestAsItWas) {
    // A truncated literal, a lone byte and a delta without its offsets.
    auto literal = LoadRle(8, 1, 8, {1, 5, 0, 6, 7, 8});
    EXPECT_EQ(PixelFromBottom(*literal, 0, 0), 5);
    EXPECT_EQ(PixelFromBottom(*literal, 1, 0), 7);
    EXPECT_EQ(PixelFromBottom(*literal, 2, 0), 8);
    EXPECT_EQ(PixelFromBottom(*literal, 3, 0), 0);
    auto lone = LoadRle(4, 1, 8, {2, 3, 9});
    EXPECT_EQ(PixelFromBottom(*lone, 1, 0), 3);
    EXPECT_EQ(PixelFromBottom(*lone, 2, 0), 0);
    auto delta = LoadRle(4, 1, 4, {0, 2, 1});
    EXPECT_EQ(PixelFromBottom(*delta, 0, 0), 0);
}

TEST(Rle, CopiesOfCompressedPicturesExpandIndependently) {
    auto a = LoadRle(4, 1, 8, {4, 3, 0, 1});
    TDIB b;
    b.AssignFrom(a.get());
    b.ScanLine(0)[0] = 99;
    EXPECT_EQ(a->ScanLine(0)[0], 3);
    EXPECT_EQ(b.ScanLine(0)[1], 3);
}
