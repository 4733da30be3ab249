// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHelpers.h"

#include "framework/Bitmap.h"
#include "picture/DXPaintBox.h"
#include "picture/FrameStep.h"

#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Green = qRgb(0, 255, 0);

// An 8-bit picture of index 1 (red); index 2 is green.
void FillRed(TDIB& dib, int width, int height) {
    dib.ColorTable[1] = TRGBQuad{0, 0, 255, 0};
    dib.ColorTable[2] = TRGBQuad{0, 255, 0, 0};
    dib.Allocate(width, height, 8);
    for (int y = 0; y < height; ++y)
        std::fill(dib.ScanLine(y), dib.ScanLine(y) + width, 1);
}

QImage Draw(TDIB& dib, int width, int height) {
    QImage target(width, height, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    TPainterCanvas canvas(painter);
    canvas.StretchDraw(QRect(0, 0, width, height), dib);
    return target;
}

int Converted(const TDIB& dib) {
    return dib.Image().DrawCache.ConvertedRows();
}

} // namespace

TEST(DIBDrawCache, DrawingConvertsOnlyTheRowsChangedSinceTheLastOne) {
    TDIB dib;
    FillRed(dib, 4, 4);
    EXPECT_EQ(Draw(dib, 8, 8).pixel(7, 7), Red);
    EXPECT_EQ(Converted(dib), 8);
    const QImage again = Draw(dib, 8, 8);
    EXPECT_EQ(Converted(dib), 0) << "nothing changed";
    EXPECT_EQ(again.pixel(0, 0), Red);

    dib.ScanLine(1)[3] = 2; // target rows 2 and 3
    const QImage changed = Draw(dib, 8, 8);
    EXPECT_EQ(Converted(dib), 2);
    EXPECT_EQ(changed.pixel(6, 2), Green);
    EXPECT_EQ(changed.pixel(6, 3), Green);
    EXPECT_EQ(changed.pixel(6, 4), Red);
    EXPECT_EQ(changed.pixel(5, 2), Red);

    StepFrame(dib, {1, 255, false}); // 1 -> 2 and 2 -> 3 everywhere
    const QImage stepped = Draw(dib, 8, 8);
    EXPECT_EQ(Converted(dib), 8);
    EXPECT_EQ(stepped.pixel(0, 0), Green);
    EXPECT_EQ(stepped.pixel(6, 2), qRgb(3, 3, 3)) << "the grey ramp's entry 3";

    Draw(dib, 4, 4);
    EXPECT_EQ(Converted(dib), 4) << "another size is worked out whole";
}

TEST(DIBDrawCache, ChangesBesideTheRowsRedrawEverything) {
    TDIB dib;
    FillRed(dib, 3, 2);
    Draw(dib, 3, 2);

    dib.ColorTable[1] = TRGBQuad{255, 0, 0, 0};
    dib.CommitColorTable();
    EXPECT_EQ(Draw(dib, 3, 2).pixel(2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(Converted(dib), 2);

    dib.Canvas().Paint([](QPainter& painter) { painter.fillRect(0, 0, 1, 1, QColor(Green)); });
    EXPECT_EQ(Draw(dib, 3, 2).pixel(0, 0), Green);

    // A bitmap of the same size is copied into the same image.
    TDIB source;
    FillRed(source, 3, 2);
    std::fill(source.ScanLine(1), source.ScanLine(1) + 3, 2);
    source.ColorTable = dib.ColorTable;
    source.CommitColorTable();
    TMemoryStream file;
    source.SaveBmpStream(file);
    file.SetPosition(0);
    TBitmap bitmap;
    bitmap.LoadFromStream(file);
    Draw(dib, 3, 2);
    dib.AssignFrom(&bitmap);
    const QImage assigned = Draw(dib, 3, 2);
    EXPECT_EQ(assigned.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(assigned.pixel(1, 1), Green);
}

TEST(DIBDrawCache, TheDisplayConvertsOncePerFrame) {
    TDXPaintBox box;
    box.SetStretch(true);
    FillRed(box.DIB(), 20, 10);
    box.resize(40, 30);
    box.show();
    QApplication::processEvents();
    RunFrameStep(box, {1, 255, false});
    EXPECT_EQ(Converted(box.DIB()), 30);
    box.PaintNow();
    EXPECT_EQ(Converted(box.DIB()), 0);
    EXPECT_EQ(box.grab().toImage().pixel(39, 29), Green);
}
