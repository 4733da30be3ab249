// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures whose sizes, headers or colour counts try to make the picture engine overflow,
// allocate for data that isn't there, lose pixel values or fail without saying so.
#include "BmpBuilder.h"
#include "TestHelpers.h"

#include "framework/Bitmap.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <climits>

namespace {

// Wider than any colour image the drawing code can hold, yet only 8.75 MB at 1 bit.
constexpr int UndrawableWidth = 70'000'000;

} // namespace

TEST(HostilePicture, SizeProductsThatOverflowSixtyFourBitsAreRefused) {
    TDIB dib;
    FillPattern(dib, 2, 2);
    EXPECT_EQ(FailureOf<EOutOfResources>([&] { dib.Allocate(INT_MAX, INT_MAX, 32); }),
              "DIB cannot be made");
    EXPECT_EQ(dib.Width(), 2) << "the picture is kept";

    TBitmap bitmap;
    EXPECT_EQ(FailureOf<EOutOfResources>([&] { bitmap.SetSize(INT_MAX, INT_MAX); }),
              "Bitmap cannot be made");
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST(HostilePicture, HeaderReaderRefusesPixelsTheStreamDoesNotHoldBeforeAnyAllocation) {
    // 16000 x 16000 at 8 bits promises 244 MiB in a 1,078-byte file.
    const auto bytes = BmpBuilder().FileHeader().InfoHeader(16000, 16000, 8).Colors(256).Data();
    ASSERT_EQ(bytes.size(), 1078u);
    TMemoryStream stream(bytes);
    ASSERT_TRUE(ReadBmpFileHeader(stream));
    // The header reader runs before either reader allocates its pixel block.
    EXPECT_EQ(FailureOf<EReadError>([&] { ReadDibHeader(stream); }), "Stream read error");
    const auto rle = BmpBuilder().InfoHeader(16, 16, 8, 1, 5000).Colors(256).Fill(4000, 0).Data();
    TMemoryStream rleStream(rle);
    EXPECT_EQ(FailureOf<EReadError>([&] { ReadDibHeader(rleStream); }), "Stream read error");

    TDIB dib;
    FillPattern(dib, 3, 3);
    TMemoryStream again(bytes);
    EXPECT_EQ(FailureOf<EReadError>([&] { dib.LoadBmpStream(again); }), "Stream read error");
    EXPECT_EQ(dib.Width(), 3);
}

TEST(HostilePicture, NarrowPicturesKeepTheirPixelValuesWhateverTheirDeclaredColourCount) {
    // Every entry the same colour, as in a picture made for cycling: only the indices tell
    // the pixels apart, so drawing through colours would lose them all.
    for (const auto& [bits, declared] : {std::pair{4, 17}, std::pair{4, 256}, std::pair{1, 256}}) {
        BmpBuilder packed;
        packed.InfoHeader(8, 2, bits, 0, 0, declared);
        for (int i = 0; i < declared; ++i)
            packed.U32(0x00406080);
        if (bits == 4) {
            packed.Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xF0, 0xE1, 0xD2, 0xC3});
        } else {
            packed.Bytes({0xA5, 0, 0, 0, 0x3C, 0, 0, 0});
        }
        TBitmap bitmap;
        bitmap.LoadFromPackedDib(packed.Data().data(), static_cast<int64_t>(packed.Data().size()));
        TDIB dib;
        dib.AssignFrom(&bitmap);
        ASSERT_EQ(dib.BitCount(), bits);
        for (int y = 0; y < 2; ++y) {
            EXPECT_EQ(
                std::vector<uint8_t>(dib.ScanLine(y), dib.ScanLine(y) + dib.WidthBytes()),
                std::vector<uint8_t>(bitmap.ScanLine(y), bitmap.ScanLine(y) + bitmap.WidthBytes()))
                << bits << " bits declaring " << declared << " colours, row " << y;
        }
    }
}

TEST(HostilePicture, CanvasWithoutItsColourCopyRaisesInsteadOfStayingBlack) {
    TDIB dib;
    dib.Allocate(UndrawableWidth, 1, 1);
    ASSERT_FALSE(dib.IsEmpty());
    bool drew = false;
    EXPECT_EQ(
        FailureOf<EOutOfResources>([&] { dib.Canvas().Paint([&](QPainter&) { drew = true; }); }),
        "DIB cannot be made");
    EXPECT_FALSE(drew);
}

TEST(HostilePicture, DrawingWithoutABufferRaises) {
    // A painter scaled far down asks for a drawing wider than any image can be.
    QImage target(100, 1, QImage::Format_RGB32);
    QPainter painter(&target);
    painter.scale(1e-6, 1);
    TPainterCanvas canvas(painter);
    TDIB dib;
    FillPattern(dib, 2, 1);
    EXPECT_EQ(FailureOf<EOutOfResources>(
                  [&] { canvas.StretchDraw(QRect(0, 0, UndrawableWidth, 1), dib); }),
              "DIB cannot be made");

    BmpBuilder wide;
    wide.InfoHeader(UndrawableWidth, 1, 1).Colors(2).Fill(UndrawableWidth / 8, 0x55);
    TBitmap bitmap;
    bitmap.LoadFromPackedDib(wide.Data().data(), static_cast<int64_t>(wide.Data().size()));
    EXPECT_EQ(FailureOf<EOutOfResources>([&] { canvas.Draw(0, 0, bitmap); }),
              "Bitmap cannot be made");
}
