// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpBuilder.h"
#include "TestHelpers.h"

#include "framework/Bitmap.h"
#include "framework/Picture.h"
#include "picture/GlobalMemoryStream.h"
#include "platform/LittleEndian.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string LoadFailure(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TDIB dib;
    try {
        dib.LoadBmpStream(stream);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<no failure>";
}

uint32_t Field32(const std::vector<uint8_t>& b, size_t at) {
    return ReadLe32(&b[at]);
}

} // namespace

TEST(BmpFiles, EmptyStreamChangesNothingAndBareFileHeaderEmpties) {
    TDIB dib;
    FillPattern(dib, 3, 3);
    TMemoryStream nothing;
    dib.LoadBmpStream(nothing);
    EXPECT_EQ(dib.Width(), 3);

    TMemoryStream bare = BmpBuilder().FileHeader().Stream();
    dib.LoadBmpStream(bare);
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(BmpFiles, MalformedFileAndInfoHeadersAreInvalid) {
    EXPECT_EQ(LoadFailure({'B', 'M', 0}), "DIB is invalid");
    EXPECT_EQ(LoadFailure(BmpBuilder().U16(0x4D43).Fill(12, 0).InfoHeader(1, 1, 8).Data()),
              "DIB is invalid");
    EXPECT_EQ(LoadFailure(BmpBuilder().FileHeader().Bytes({40, 0}).Data()), "DIB is invalid");
    EXPECT_EQ(LoadFailure(BmpBuilder().FileHeader().U32(108).Fill(200, 0).Data()),
              "DIB is invalid");
    EXPECT_EQ(
        LoadFailure(BmpBuilder().FileHeader().InfoHeader(1, 1, 8, 4).Colors(256).Fill(4, 0).Data()),
        "DIB is invalid");
    EXPECT_EQ(LoadFailure(BmpBuilder().FileHeader().InfoHeader(1, 1, 8).Colors(256).Data()),
              "Stream read error");
    EXPECT_EQ(
        LoadFailure(BmpBuilder().FileHeader().InfoHeader(1, 1, 2).Colors(4).Fill(4, 0).Data()),
        "Bitcount in invalid (2)");
}

TEST(BmpFiles, HeaderValuesThatWouldMisleadTheReaderAreInvalid) {
    const struct {
        const char* what;
        int32_t width, height;
        int bits;
        uint32_t compression, imageSize;
        int32_t colors;
    } cases[] = {
        {"zero width", 0, 4, 8, 0, 0, 0},
        {"negative width", -4, 4, 8, 0, 0, 0},
        {"zero height", 4, 0, 8, 0, 0, 0},
        {"most negative height", 4, INT32_MIN, 8, 0, 0, 0},
        {"negative colour count", 4, 4, 8, 0, 0, -1},
        {"RLE8 on 4 bits", 4, 4, 4, 1, 16, 0},
        {"RLE4 on 8 bits", 4, 4, 8, 2, 16, 0},
        {"compressed size 0", 4, 4, 8, 1, 0, 0},
        {"pixel block over 256 MiB", 20000, 20000, 8, 0, 0, 0},
        {"row size over 32 bits", INT32_MAX, 1, 32, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const auto bytes =
            BmpBuilder()
                .FileHeader()
                .InfoHeader(c.width, c.height, c.bits, c.compression, c.imageSize, c.colors)
                .Colors(256)
                .Fill(64, 0)
                .Data();
        EXPECT_EQ(LoadFailure(bytes), "DIB is invalid") << c.what;
    }
    EXPECT_EQ(LoadFailure(BmpBuilder().FileHeader().CoreHeader(0, 3, 8).Colors(256, 3).Data()),
              "DIB is invalid");
}

TEST(BmpFiles, TruncatedPixelsFailWithoutTouchingThePicture) {
    TDIB dib;
    FillPattern(dib, 2, 2);
    const auto before = SavedBytes(dib);
    TMemoryStream truncated =
        BmpBuilder().FileHeader().InfoHeader(1000, 1000, 8).Colors(256).Fill(999, 1).Stream();
    EXPECT_EQ(FailureOf<EReadError>([&] { dib.LoadBmpStream(truncated); }), "Stream read error");
    TMemoryStream rle = BmpBuilder()
                            .FileHeader()
                            .InfoHeader(8, 8, 8, 1, 4000000000u)
                            .Colors(256)
                            .Fill(10, 0)
                            .Stream();
    EXPECT_EQ(FailureOf<EReadError>([&] { dib.LoadBmpStream(rle); }), "Stream read error");
    EXPECT_EQ(SavedBytes(dib), before);
}

TEST(BmpFiles, TopDownFileLoadsFirstRowOnTopAndSavesBottomUp) {
    TMemoryStream stream = BmpBuilder()
                               .FileHeader()
                               .InfoHeader(3, -2, 8)
                               .Colors(256)
                               .Bytes({1, 2, 3, 0, 4, 5, 6, 0})
                               .Stream();
    TDIB dib;
    dib.LoadBmpStream(stream);
    ASSERT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.ScanLine(0)[0], 1);
    EXPECT_EQ(dib.ScanLine(1)[2], 6);
    const auto saved = SavedBytes(dib);
    EXPECT_EQ(static_cast<int32_t>(Field32(saved, 22)), 2);
    EXPECT_EQ(saved[1078], 4) << "bottom row first";
    EXPECT_EQ(saved[1082], 1);
}

TEST(BmpFiles, CoreHeaderEntriesGainAReservedByte) {
    TMemoryStream stream =
        BmpBuilder().FileHeader().CoreHeader(2, 1, 4).Colors(16, 3).Bytes({0x1F, 0, 0, 0}).Stream();
    TDIB dib;
    dib.LoadBmpStream(stream);
    ASSERT_EQ(dib.BitCount(), 4);
    EXPECT_EQ(dib.ColorTable[5], (TRGBQuad{5, 10, 15, 0}));
    EXPECT_EQ(dib.ColorTable[15], (TRGBQuad{15, 30, 45, 0}));
    EXPECT_EQ(dib.ColorTable[16], TRGBQuad{});
    EXPECT_EQ(dib.ScanLine(0)[0], 0x1F);
}

TEST(BmpFiles, ColourCountIsCappedAndShortTablesAreZeroFilled) {
    TMemoryStream many =
        BmpBuilder().FileHeader().InfoHeader(1, 1, 8, 0, 0, 300).Colors(256).Fill(4, 7).Stream();
    TDIB dib;
    dib.LoadBmpStream(many);
    EXPECT_EQ(dib.ColorTable[255], (TRGBQuad{255, 254, 253, 0}));
    EXPECT_EQ(dib.ScanLine(0)[0], 7) << "pixels follow the 256 entries read";

    TMemoryStream few =
        BmpBuilder().FileHeader().InfoHeader(1, 1, 8, 0, 0, 16).Colors(16).Fill(4, 9).Stream();
    dib.LoadBmpStream(few);
    EXPECT_EQ(dib.ColorTable[15], (TRGBQuad{15, 30, 45, 0}));
    EXPECT_EQ(dib.ColorTable[16], TRGBQuad{});
    EXPECT_EQ(dib.ScanLine(0)[0], 9);
}

TEST(BmpFiles, SixteenAndThirtyTwoBitMasks) {
    auto load = [](int bits, bool withMasks, uint32_t r, uint32_t g, uint32_t b) {
        BmpBuilder builder;
        builder.FileHeader().InfoHeader(2, 1, bits, withMasks ? 3 : 0);
        if (withMasks) builder.U32(r).U32(g).U32(b);
        builder.Fill(8, 0x55);
        TMemoryStream stream = builder.Stream();
        auto dib = std::make_unique<TDIB>();
        dib->LoadBmpStream(stream);
        return dib;
    };
    auto plain16 = load(16, false, 0, 0, 0);
    EXPECT_EQ(plain16->PixelFormat.Masks(), Masks555);
    const auto saved = SavedBytes(*plain16);
    EXPECT_EQ(Field32(saved, 14 + 16), 3u) << "saved with bit fields";
    EXPECT_EQ(Field32(saved, 54), 0x7C00u);
    EXPECT_EQ(Field32(saved, 58), 0x3E0u);
    EXPECT_EQ(Field32(saved, 62), 0x1Fu);
    EXPECT_EQ(Field32(saved, 10), 66u);

    EXPECT_EQ(load(16, true, 0xF800, 0x7E0, 0x1F)->PixelFormat.Masks(), Masks565);
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { load(16, true, 0xF00, 0xF0, 0xF); }),
              "PixelFormat in invalid");
    EXPECT_EQ(
        FailureOf<EInvalidGraphicOperation>([&] { load(32, true, 0x3FF00000, 0xFFC00, 0x3FF); }),
        "PixelFormat in invalid");
    // Masks with the right widths in the wrong places would swap the colours.
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { load(32, true, 0xFF, 0xFF00, 0xFF0000); }),
              "PixelFormat in invalid");
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { load(16, true, 0x1F, 0x3E0, 0x7C00); }),
              "PixelFormat in invalid");
    EXPECT_EQ(load(32, true, 0xFF0000, 0xFF00, 0xFF)->BitCount(), 32);
}

TEST(BmpFiles, SavedEightBitFileHasTheFullTableBeforeThePixels) {
    TDIB dib;
    FillPattern(dib, 100, 50);
    const auto saved = SavedBytes(dib);
    ASSERT_EQ(saved.size(), 6078u);
    EXPECT_EQ(saved[0], 'B');
    EXPECT_EQ(saved[1], 'M');
    EXPECT_EQ(Field32(saved, 2), 6078u);
    EXPECT_EQ(Field32(saved, 6), 0u);
    EXPECT_EQ(Field32(saved, 10), 1078u);
    EXPECT_EQ(Field32(saved, 14 + 20), 5000u);

    TDIB empty;
    EXPECT_TRUE(SavedBytes(empty).empty());
    TMemoryStream packed;
    empty.WritePackedDib(packed);
    EXPECT_EQ(packed.Size(), 0);
}

TEST(BmpFiles, SaveThenLoadGivesBackEveryBitCount) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        TDIB dib;
        FillPattern(dib, 13, 5, bits);
        TMemoryStream stream;
        dib.SaveBmpStream(stream);
        stream.SetPosition(0);
        TDIB loaded;
        loaded.LoadBmpStream(stream);
        EXPECT_EQ(loaded.Width(), 13) << bits;
        EXPECT_EQ(loaded.Height(), 5) << bits;
        EXPECT_EQ(loaded.BitCount(), bits);
        EXPECT_EQ(loaded.PixelFormat.Masks(), dib.PixelFormat.Masks()) << bits;
        if (bits <= 8) {
            EXPECT_TRUE(std::equal(dib.ColorTable.begin(), dib.ColorTable.begin() + (1 << bits),
                                   loaded.ColorTable.begin()))
                << bits;
        }
        EXPECT_EQ(Rows(loaded), Rows(dib)) << bits;
    }
}

TEST(BmpFiles, LoadingKeepsTheStorageModeOfTheReplacedImage) {
    TDIB dib;
    FillPattern(dib, 4, 4);
    EXPECT_TRUE(dib.Image().PlainMemory);
    dib.Canvas();
    EXPECT_FALSE(dib.Image().PlainMemory);
    const auto bytes = SavedBytes(dib);
    TMemoryStream stream(bytes);
    dib.LoadBmpStream(stream);
    EXPECT_FALSE(dib.Image().PlainMemory);
}

TEST(BmpFiles, FilesByNameAndThePictureHolderRegistration) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string bmp = QDir(dir.path()).filePath("pattern.bmp").toStdString();
    const std::string dibName = QDir(dir.path()).filePath("pattern.DIB").toStdString();
    TDIB dib;
    FillPattern(dib, 7, 3);
    dib.SaveBmpFile(bmp);
    dib.SaveBmpFile(dibName);
    TDIB loaded;
    loaded.LoadBmpFile(bmp);
    EXPECT_EQ(Rows(loaded), Rows(dib));

    EXPECT_EQ(TPicture::FileFormatDescription("dib"), "Device Independent Bitmap");
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(8));
    TPicture holder;
    holder.LoadFromFile(dibName);
    ASSERT_NE(dynamic_cast<TDIB*>(holder.Graphic()), nullptr);
    EXPECT_EQ(holder.Width(), 7);

    const std::string missing = QDir(dir.path()).filePath("none.bmp").toStdString();
    EXPECT_EQ(FailureOf<EFOpenError>([&] { loaded.LoadBmpFile(missing); }),
              "Cannot open file " + missing);
    EXPECT_EQ(loaded.Width(), 7);
}

TEST(BmpFiles, ClipboardDataRoundTripsThroughAGlobalBlock) {
    TDIB dib;
    FillPattern(dib, 6, 4);
    int format = 0;
    HGLOBAL block = nullptr;
    HPALETTE palette = reinterpret_cast<HPALETTE>(1);
    dib.SaveToClipboardData(format, block, palette);
    EXPECT_EQ(format, 8);
    EXPECT_EQ(palette, nullptr);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 40u + 1024u + 32u);
    EXPECT_EQ(GlobalLockCount(block), 0);

    TDIB loaded;
    loaded.LoadFromClipboardData(format, block);
    EXPECT_EQ(GlobalLockCount(block), 0) << "the stream unlocks the block";
    EXPECT_EQ(Rows(loaded), Rows(dib));
    EXPECT_EQ(loaded.ColorTable, dib.ColorTable);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(BmpFiles, BinaryPropertyHoldsAWholeFile) {
    TDIB dib;
    FillPattern(dib, 2, 2);
    TMemoryStream file(SavedBytes(dib));
    TDIB read;
    EXPECT_STREQ(TDIB::BinaryPropertyName, "DIB");
    EXPECT_FALSE(read.WritesBinaryProperty());
    read.ReadBinaryProperty(file);
    EXPECT_EQ(Rows(read), Rows(dib));
    TMemoryStream packedOnly;
    dib.WritePackedDib(packedOnly);
    packedOnly.SetPosition(0);
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { read.ReadBinaryProperty(packedOnly); }),
              "DIB is invalid");
}

namespace {

// The pixel rows of a file as both readers see them, top row first.
std::vector<uint8_t> RowsBothReadersLoad(const std::vector<uint8_t>& bytes) {
    TMemoryStream forDib(bytes);
    TDIB dib;
    dib.LoadBmpStream(forDib);
    TMemoryStream forBitmap(bytes);
    TBitmap bitmap;
    bitmap.LoadFromStream(forBitmap);
    std::vector<uint8_t> fromBitmap;
    for (int y = 0; y < bitmap.Height(); ++y)
        fromBitmap.insert(fromBitmap.end(), bitmap.ScanLine(y),
                          bitmap.ScanLine(y) + bitmap.WidthBytes());
    const std::vector<uint8_t> fromDib = Rows(dib);
    EXPECT_EQ(fromBitmap, fromDib) << "the framework bitmap reads the same pixels";
    return fromDib;
}

} // namespace

TEST(BmpFiles, PixelsStartAtTheFileOffsetWhenItLiesAfterTheColourEntries) {
    // 3 x 2 pixels, bottom row first in the file; the gaps hold bytes that must not show.
    const std::vector<uint8_t> topFirst{4, 5, 6, 0, 1, 2, 3, 0};
    auto pixels = [](BmpBuilder& b) { b.Bytes({1, 2, 3, 0, 4, 5, 6, 0}); };

    BmpBuilder gap; // 100 unused bytes between the table and the pixels
    gap.FileHeader(0, 1178).InfoHeader(3, 2, 8).Colors(256).Fill(100, 0xEE);
    pixels(gap);
    EXPECT_EQ(RowsBothReadersLoad(gap.Data()), topFirst) << "gap after the table";

    BmpBuilder many; // 300 entries declared and present; 256 of them are read
    many.FileHeader(0, 1254).InfoHeader(3, 2, 8, 0, 0, 300).Colors(256).Fill(44 * 4, 0xEE);
    pixels(many);
    EXPECT_EQ(RowsBothReadersLoad(many.Data()), topFirst) << "300 colours";

    BmpBuilder trueColour; // an optional table in a 24-bit file
    trueColour.FileHeader(0, 1254).InfoHeader(2, 1, 24, 0, 0, 300).Colors(256).Fill(44 * 4, 0xEE);
    trueColour.Bytes({1, 2, 3, 4, 5, 6, 0, 0});
    EXPECT_EQ(RowsBothReadersLoad(trueColour.Data()),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0}))
        << "24 bits with a table";

    BmpBuilder core; // 14 + 12 + 256 x 3 = 794, then a short gap
    core.FileHeader(0, 800).CoreHeader(3, 2, 8).Colors(256, 3).Fill(6, 0xEE);
    pixels(core);
    EXPECT_EQ(RowsBothReadersLoad(core.Data()), topFirst) << "core header";

    BmpBuilder rle;
    rle.FileHeader(0, 1080).InfoHeader(4, 1, 8, 1, 4).Colors(256).Fill(2, 0xEE);
    rle.Bytes({3, 9, 0, 1});
    EXPECT_EQ(RowsBothReadersLoad(rle.Data()), (std::vector<uint8_t>{9, 9, 9, 0})) << "RLE8";
}

TEST(BmpFiles, OffsetsIntoTheHeaderOrPastTheEndKeepThePixelsAfterTheEntries) {
    const std::vector<uint8_t> topFirst{4, 5, 6, 0, 1, 2, 3, 0};
    for (const uint32_t offset : {0u, 54u, 1077u, 1086u, 0xFFFFFFFFu}) {
        BmpBuilder b;
        b.FileHeader(0, offset).InfoHeader(3, 2, 8).Colors(256).Bytes({1, 2, 3, 0, 4, 5, 6, 0});
        EXPECT_EQ(RowsBothReadersLoad(b.Data()), topFirst) << "offset " << offset;
    }
}

TEST(BmpFiles, PixelOffsetCountsFromTheFileHeaderWhereverItSits) {
    BmpBuilder b;
    b.Fill(5, 0xAA).FileHeader(0, 1080).InfoHeader(2, 1, 8).Colors(256).Fill(2, 0xEE);
    b.Bytes({7, 8, 0, 0});
    TMemoryStream stream = b.Stream();
    stream.SetPosition(5);
    TDIB dib;
    dib.ReadBinaryProperty(stream);
    EXPECT_EQ(Rows(dib), (std::vector<uint8_t>{7, 8, 0, 0}));
}

TEST(BmpFiles, TopDownRleIsInvalid) {
    for (const int bits : {8, 4}) {
        const auto bytes = BmpBuilder()
                               .FileHeader()
                               .InfoHeader(4, -2, bits, bits == 8 ? 1 : 2, 4)
                               .Colors(1 << bits)
                               .Bytes({3, 9, 0, 1})
                               .Data();
        EXPECT_EQ(LoadFailure(bytes), "DIB is invalid") << bits << " bits";
        TMemoryStream stream(bytes);
        TBitmap bitmap;
        EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { bitmap.LoadFromStream(stream); }),
                  "DIB is invalid");
    }
}
