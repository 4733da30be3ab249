// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHelpers.h"

#include "framework/Bitmap.h"
#include "framework/Picture.h"

#include <gtest/gtest.h>

TEST(DIB, NewPictureIsEmptyAndDrawsNothing) {
    TDIB dib;
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Height(), 0);
    EXPECT_EQ(dib.BitCount(), 0);
    EXPECT_EQ(dib.ColorTable, GreyRamp());
    EXPECT_EQ(dib.PaletteHandle(), nullptr);

    QImage target(4, 4, QImage::Format_RGB32);
    target.fill(qRgb(1, 2, 3));
    QPainter painter(&target);
    TPainterCanvas canvas(painter);
    canvas.StretchDraw(QRect(0, 0, 4, 4), dib);
    painter.end();
    EXPECT_EQ(target.pixel(2, 2), qRgb(1, 2, 3));
}

TEST(DIB, AllocateChecksBitCountAndPixelFormat) {
    TDIB dib;
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { dib.Allocate(10, 10, 2); }),
              "Bitcount in invalid (2)");
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { dib.Allocate(10, 10, 16); }),
              "PixelFormat in invalid");
    EXPECT_TRUE(dib.IsEmpty());

    dib.PixelFormat = PixelFormatFromCounts(5, 5, 5);
    dib.Allocate(10, 10, 16);
    EXPECT_EQ(dib.BitCount(), 16);
    EXPECT_EQ(dib.WidthBytes(), 20);
    dib.Allocate(0, 10, 8);
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(DIB, OversizedPictureIsRefusedBeforeAllocating) {
    TDIB dib;
    EXPECT_EQ(FailureOf<EOutOfResources>([&] { dib.Allocate(1 << 30, 1 << 30, 32); }),
              "DIB cannot be made");
    EXPECT_EQ(FailureOf<EOutOfResources>([&] { dib.Allocate(70000, 70000, 8); }),
              "DIB cannot be made");
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(DIB, RowsArePaddedToFourBytes) {
    const struct {
        int width, bits, widthBytes;
    } cases[] = {{1, 1, 4}, {3, 24, 12}, {5, 8, 8}, {100, 8, 100}, {33, 1, 8}, {9, 4, 8}};
    for (const auto& c : cases) {
        TDIB dib;
        dib.Allocate(c.width, 2, c.bits);
        EXPECT_EQ(dib.WidthBytes(), c.widthBytes) << c.width << " pixels at " << c.bits;
        EXPECT_EQ(dib.Size(), 2 * c.widthBytes);
    }
}

TEST(DIB, ScanLineAddressesRowsFromTheTopOfABottomUpBlock) {
    TDIB dib;
    dib.Allocate(5, 3, 8);
    const uint8_t* block = dib.Image().PixelBlock();
    EXPECT_EQ(dib.ScanLine(2), block);
    EXPECT_EQ(dib.ScanLine(1), block + 8);
    EXPECT_EQ(dib.ScanLine(0), block + 16);
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { dib.ScanLine(-1); }),
              "Index of the scanning line exceeded the range. (-1)");
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { dib.ScanLine(3); }),
              "Index of the scanning line exceeded the range. (3)");
    TDIB empty;
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] { empty.ScanLine(0); }),
              "Index of the scanning line exceeded the range. (0)");
}

TEST(DIB, SharedImageIsCopiedBeforeWriting) {
    TDIB a;
    FillPattern(a, 6, 4);
    TDIB b;
    b.AssignFrom(&a);
    EXPECT_TRUE(a.IsShared());
    EXPECT_EQ(&a.Image(), &b.Image());

    b.ScanLine(1)[2] = 0xEE;
    EXPECT_FALSE(a.IsShared());
    EXPECT_NE(&a.Image(), &b.Image());
    EXPECT_EQ(a.ScanLine(1)[2], static_cast<uint8_t>(2 + 7));
    EXPECT_EQ(b.ScanLine(1)[2], 0xEE);
    EXPECT_EQ(b.ScanLine(0)[2], a.ScanLine(0)[2]);
}

TEST(DIB, AssigningItselfOrAnEmptyHolderChangesTheRightThings) {
    TDIB dib;
    FillPattern(dib, 4, 4);
    const TDIBSharedImage* image = &dib.Image();
    dib.AssignFrom(&dib);
    EXPECT_EQ(&dib.Image(), image);
    EXPECT_FALSE(dib.IsEmpty());

    TPicture holder;
    dib.AssignFrom(&holder);
    EXPECT_TRUE(dib.IsEmpty());

    FillPattern(dib, 4, 4);
    dib.AssignFrom(nullptr);
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(DIB, CommitColorTableOnlyWhenTheTableChanged) {
    TDIB dib;
    FillPattern(dib, 4, 4);
    TDIB other;
    other.AssignFrom(&dib);
    dib.PaletteModified = false;

    dib.CommitColorTable();
    EXPECT_FALSE(dib.PaletteModified);
    EXPECT_TRUE(dib.IsShared()) << "an unchanged table must not copy the image";

    HPALETTE before = dib.PaletteHandle();
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->Entry(0).Red, 255);
    dib.ColorTable[0] = TRGBQuad{9, 8, 7, 0};
    dib.CommitColorTable();
    EXPECT_TRUE(dib.PaletteModified);
    EXPECT_FALSE(dib.IsShared());
    EXPECT_EQ(other.ColorTable[0].Red, 255) << "the other picture keeps its table";
    const HPALETTE after = dib.PaletteHandle();
    EXPECT_EQ(after->Entry(0), (TPaletteEntry{7, 8, 9, 0}));
    // The colour entries in the bitmap info follow the table.
    EXPECT_EQ(dib.Image().BitmapInfo[40], 9);
    EXPECT_EQ(dib.Image().BitmapInfo[42], 7);
}

TEST(DIB, SetPaletteHandleReadsEntriesAndZeroesTheRest) {
    TDIB dib;
    FillPattern(dib, 2, 2);
    TPaletteEntry entries[2] = {{10, 20, 30, 0}, {40, 50, 60, 0}};
    dib.SetPaletteHandle(CreatePalette(entries, 2));
    EXPECT_EQ(dib.ColorTable[1], (TRGBQuad{60, 50, 40, 0}));
    EXPECT_EQ(dib.ColorTable[2], TRGBQuad{});
    EXPECT_EQ(dib.Image().ColorTable[1], (TRGBQuad{60, 50, 40, 0}));
}

TEST(DIB, WidthAndHeightSetters) {
    TDIB dib;
    dib.SetWidth(7);
    EXPECT_EQ(dib.Width(), 7);
    EXPECT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.BitCount(), 8);
    dib.Allocate(7, 3, 24);
    dib.SetHeight(5);
    EXPECT_EQ(dib.Height(), 5);
    EXPECT_EQ(dib.BitCount(), 24);
    dib.SetHeight(0);
    EXPECT_TRUE(dib.IsEmpty());
    dib.SetHeight(4);
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.Height(), 4);
}

TEST(DIB, EqualTablesShareOnePalette) {
    const int itemsBefore = PaletteManager().ItemCount();
    {
        TDIB a;
        TDIB b;
        FillPattern(a, 3, 3);
        FillPattern(b, 5, 2);
        EXPECT_EQ(a.PaletteHandle(), b.PaletteHandle());
        EXPECT_EQ(PaletteManager().ItemCount(), itemsBefore + 1);
        b.ColorTable[3].Red ^= 1;
        b.CommitColorTable();
        EXPECT_NE(a.PaletteHandle(), b.PaletteHandle());
        EXPECT_EQ(PaletteManager().ItemCount(), itemsBefore + 2);
    }
    EXPECT_EQ(PaletteManager().ItemCount(), itemsBefore) << "palettes go back with their images";
}

TEST(DIB, PaletteManagerComparesEntriesNotJustChecksums) {
    TColorTable a{};
    TColorTable b{};
    a[0] = TRGBQuad{1, 2, 0, 0};
    b[0] = TRGBQuad{2, 1, 0, 0}; // same checksum, other colour
    HPALETTE pa = PaletteManager().AcquirePalette(a, 2);
    HPALETTE pb = PaletteManager().AcquirePalette(b, 2);
    EXPECT_NE(pa, pb);
    HPALETTE again = PaletteManager().AcquirePalette(a, 2);
    EXPECT_EQ(again, pa);
    PaletteManager().ReleasePalette(again);
    EXPECT_EQ(again, nullptr);
    PaletteManager().ReleasePalette(pa);
    PaletteManager().ReleasePalette(pb);
}

TEST(DIB, AssignFromBitmapReproducesIndicesEvenWithRepeatedColours) {
    // A palette made for cycling repeats colours; the indices must survive unchanged.
    std::vector<uint8_t> packed;
    TMemoryStream stream;
    {
        TDIB source;
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i / 4);
            source.ColorTable[static_cast<size_t>(i)] = TRGBQuad{v, v, v, 0};
        }
        source.Allocate(9, 5, 8);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 9; ++x)
                source.ScanLine(y)[x] = static_cast<uint8_t>(x * 29 + y);
        }
        source.WritePackedDib(stream);
    }
    TPicture holder;
    holder.Bitmap().LoadFromPackedDib(stream.Memory(), stream.Size());
    TDIB dib;
    dib.AssignFrom(&holder);
    ASSERT_EQ(dib.BitCount(), 8);
    ASSERT_EQ(dib.Width(), 9);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(dib.ScanLine(y)[x], static_cast<uint8_t>(x * 29 + y));
    }
    EXPECT_EQ(dib.ColorTable[255], (TRGBQuad{63, 63, 63, 0}));
    EXPECT_TRUE(dib.PaletteModified);
}

TEST(DIB, AssignFromSixteenBitBitmapKeepsItsMasks) {
    TDIB source;
    FillPattern(source, 3, 2, 16);
    TMemoryStream stream;
    source.WritePackedDib(stream);
    TBitmap bitmap;
    bitmap.LoadFromPackedDib(stream.Memory(), stream.Size());
    TDIB dib;
    dib.AssignFrom(&bitmap);
    EXPECT_EQ(dib.BitCount(), 16);
    EXPECT_EQ(dib.PixelFormat.Masks(), Masks565);
    EXPECT_EQ(Rows(dib), Rows(source));
}

// A graphic of another kind: one colour everywhere.
class SolidGraphic : public TGraphic {
public:
    const char* ClassName() const override { return "SolidGraphic"; }
    std::unique_ptr<TGraphic> NewInstance() const override {
        return std::make_unique<SolidGraphic>();
    }
    void DrawStretched(TCanvas& canvas, const QRect& rect) override {
        canvas.Paint([&](QPainter& p) { p.fillRect(rect, QColor(10, 20, 30)); });
    }
    bool IsEmpty() const override { return false; }
    int Width() const override { return 3; }
    int Height() const override { return 2; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
};

TEST(DIB, AssignFromOtherGraphicDrawsItAtTwentyFourBits) {
    SolidGraphic graphic;
    TDIB dib;
    dib.AssignFrom(&graphic);
    ASSERT_EQ(dib.BitCount(), 24);
    ASSERT_EQ(dib.Width(), 3);
    EXPECT_FALSE(dib.Image().PlainMemory) << "drawing needs a surface";
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint8_t* p = dib.ScanLine(y) + 3 * x;
            EXPECT_EQ(p[0], 30);
            EXPECT_EQ(p[1], 20);
            EXPECT_EQ(p[2], 10);
        }
    }
}

TEST(DIB, UnsupportedSourceFailsNamingBothClasses) {
    TDIB dib;
    struct Other : TPersistent {
        const char* ClassName() const override { return "TStringList"; }
    } other;
    EXPECT_EQ(FailureOf<EConvertError>([&] { dib.AssignFrom(&other); }),
              "Cannot assign a TStringList to a TDIB");
}

TEST(DIB, CanvasDrawingOnIndexedPictureMapsToNearestEntryAndKeepsTheRest) {
    TDIB dib;
    for (int i = 0; i < 256; ++i) {
        dib.ColorTable[static_cast<size_t>(i)] = TRGBQuad{0, 0, static_cast<uint8_t>(i), 0};
    }
    dib.ColorTable[200] = TRGBQuad{0, 0, 0, 0}; // repeats entry 0's colour
    dib.Allocate(4, 2, 8);
    for (int x = 0; x < 4; ++x)
        dib.ScanLine(0)[x] = dib.ScanLine(1)[x] = 200;
    TDIB shared;
    shared.AssignFrom(&dib);
    dib.Canvas().Paint([](QPainter& p) { p.fillRect(QRect(0, 0, 1, 1), QColor(101, 0, 3)); });
    EXPECT_EQ(dib.ScanLine(0)[0], 101);
    EXPECT_EQ(dib.ScanLine(0)[1], 200) << "an untouched pixel keeps its index";
    EXPECT_EQ(shared.ScanLine(0)[0], 200) << "the canvas copies a shared image first";
}
