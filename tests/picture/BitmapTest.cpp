// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpBuilder.h"
#include "TestHelpers.h"

#include "framework/Bitmap.h"
#include "framework/Picture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Bitmap, PackedDibKeepsIndicesAndTable) {
    const auto packed =
        BmpBuilder().InfoHeader(3, 2, 8, 0, 0, 4).Colors(4).Bytes({3, 2, 1, 0, 0, 1, 2, 0}).Data();
    TBitmap bitmap;
    bitmap.LoadFromPackedDib(packed.data(), static_cast<int64_t>(packed.size()));
    ASSERT_EQ(bitmap.BitCount(), 8);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0) << "rows are bottom-up";
    EXPECT_EQ(bitmap.ScanLine(1)[0], 3);
    EXPECT_EQ(bitmap.ColorTable()[3], (TRGBQuad{3, 6, 9, 0}));
    EXPECT_EQ(bitmap.ColorTable()[4], TRGBQuad{});
    HPALETTE palette = bitmap.PaletteHandle();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Count(), 256);
    EXPECT_EQ(palette->Entry(3), (TPaletteEntry{9, 6, 3, 0}));
    EXPECT_EQ(bitmap.ToImage().pixel(0, 1), qRgb(9, 6, 3));
}

TEST(Bitmap, RlePackedDibIsDecoded) {
    const auto packed =
        BmpBuilder().InfoHeader(4, 1, 8, 1, 4).Colors(256).Bytes({3, 9, 0, 1}).Data();
    TBitmap bitmap;
    bitmap.LoadFromPackedDib(packed.data(), static_cast<int64_t>(packed.size()));
    EXPECT_EQ((std::vector<uint8_t>(bitmap.ScanLine(0), bitmap.ScanLine(0) + 4)),
              (std::vector<uint8_t>{9, 9, 9, 0}));
}

TEST(Bitmap, FailedLoadKeepsThePreviousPicture) {
    const auto good = BmpBuilder().InfoHeader(1, 1, 24).Bytes({1, 2, 3, 0}).Data();
    TBitmap bitmap;
    bitmap.LoadFromPackedDib(good.data(), static_cast<int64_t>(good.size()));
    const auto bad = BmpBuilder().InfoHeader(1, 1, 24).Bytes({1, 2}).Data();
    EXPECT_EQ(FailureOf<EReadError>(
                  [&] { bitmap.LoadFromPackedDib(bad.data(), static_cast<int64_t>(bad.size())); }),
              "Stream read error");
    const auto hugeRle =
        BmpBuilder().InfoHeader(30000, 8000, 8, 1, 4000000000u).Colors(256).Fill(8, 0).Data();
    EXPECT_EQ(FailureOf<EReadError>([&] {
                  bitmap.LoadFromPackedDib(hugeRle.data(), static_cast<int64_t>(hugeRle.size()));
              }),
              "Stream read error");
    const auto twoBit = BmpBuilder().InfoHeader(1, 1, 2).Colors(4).Fill(4, 0).Data();
    EXPECT_EQ(FailureOf<EInvalidGraphicOperation>([&] {
                  bitmap.LoadFromPackedDib(twoBit.data(), static_cast<int64_t>(twoBit.size()));
              }),
              "Bitcount in invalid (2)");
    EXPECT_EQ(bitmap.Width(), 1);
    EXPECT_EQ(bitmap.ScanLine(0)[2], 3);
}

TEST(Bitmap, SaveThenLoadIsExact) {
    TDIB dib;
    FillPattern(dib, 11, 6);
    TMemoryStream file;
    dib.SaveBmpStream(file);
    file.SetPosition(0);
    TBitmap bitmap;
    bitmap.LoadFromStream(file);
    TMemoryStream again;
    bitmap.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), file.Bytes());
}

TEST(Picture, HolderCopiesGraphicsAndHandsOutABitmap) {
    TPicture holder;
    EXPECT_EQ(holder.Graphic(), nullptr);
    int changes = 0;
    holder.OnChange = [&] { ++changes; };
    TDIB dib;
    FillPattern(dib, 3, 2);
    holder.Assign(&dib);
    auto* held = dynamic_cast<TDIB*>(holder.Graphic());
    ASSERT_NE(held, nullptr);
    EXPECT_NE(held, &dib);
    EXPECT_EQ(Rows(*held), Rows(dib));
    EXPECT_EQ(changes, 1);

    TBitmap& bitmap = holder.Bitmap();
    EXPECT_TRUE(bitmap.IsEmpty()) << "a graphic of another class gives way to a bitmap";
    EXPECT_EQ(&holder.Bitmap(), &bitmap);

    TPicture copy;
    bitmap.SetSize(2, 2);
    copy.Assign(&holder);
    ASSERT_NE(dynamic_cast<TBitmap*>(copy.Graphic()), nullptr);
    EXPECT_NE(copy.Graphic(), holder.Graphic());
    copy.Assign(nullptr);
    EXPECT_EQ(copy.Graphic(), nullptr);
}

TEST(Picture, LoadFromFileChoosesByExtensionAndKeepsTheOldGraphicOnFailure) {
    QTemporaryDir dir;
    const std::string bmp = QDir(dir.path()).filePath("a.BMP").toStdString();
    TDIB dib;
    FillPattern(dib, 5, 5);
    dib.SaveBmpFile(bmp);
    TPicture holder;
    holder.LoadFromFile(bmp);
    ASSERT_NE(dynamic_cast<TBitmap*>(holder.Graphic()), nullptr);
    EXPECT_EQ(holder.Width(), 5);

    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { holder.LoadFromFile("x.tiff"); }),
              "Unknown picture file extension (.tiff)");
    const std::string broken = QDir(dir.path()).filePath("b.bmp").toStdString();
    {
        TFileStream out(broken, TFileMode::fmCreate);
        out.WriteBuffer("BMxx", 4);
    }
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { holder.LoadFromFile(broken); }), "DIB is invalid");
    EXPECT_EQ(holder.Width(), 5);
}
