// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHelpers.h"
#include "common/CapturedReports.h"

#include "framework/Application.h"
#include "picture/DXPaintBox.h"
#include "picture/FrameStep.h"

#include <QApplication>
#include <QPaintEvent>

#include <gtest/gtest.h>

namespace {

// Counts its paints.
class CountingPaintBox : public TDXPaintBox {
public:
    using TDXPaintBox::TDXPaintBox;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        TDXPaintBox::paintEvent(event);
    }
};

constexpr QRgb Background = qRgb(128, 128, 0);

// An 8-bit picture of one colour: index 1 is red.
void FillRed(TDIB& dib, int width, int height) {
    dib.ColorTable[1] = TRGBQuad{0, 0, 255, 0};
    dib.Allocate(width, height, 8);
    for (int y = 0; y < height; ++y)
        std::fill(dib.ScanLine(y), dib.ScanLine(y) + width, 1);
}

// The paint box in an olive parent, rendered; returns the parent's picture.
QImage Render(TDXPaintBox& box, int width, int height) {
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(Background));
    parent.setPalette(palette);
    parent.resize(width, height);
    box.setParent(&parent);
    box.setGeometry(0, 0, width, height);
    QImage image = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    box.setParent(nullptr);
    return image;
}

} // namespace

TEST(DXPaintBox, EmptyPictureDrawsNothingAndReportsNothing) {
    CapturedReports captured;
    TDXPaintBox box;
    box.SetStretch(true);
    const QImage image = Render(box, 50, 40);
    EXPECT_TRUE(captured.messages.empty());
    EXPECT_EQ(image.pixel(25, 20), Background);
    EXPECT_TRUE(box.DrawRect().isNull());
}

TEST(DXPaintBox, MainWindowLayoutStretchesOverTheWholeControl) {
    TDXPaintBox box;
    box.SetStretch(true);
    box.SetCenter(true);
    FillRed(box.DIB(), 320, 200);
    box.resize(566, 244);
    EXPECT_EQ(box.DrawRect(), QRect(0, 0, 566, 244));
    const QImage image = Render(box, 566, 244);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(565, 243), qRgb(255, 0, 0));
}

TEST(DXPaintBox, StretchOverAClientOfThePictureSizeIsUnstretched) {
    TDXPaintBox box;
    box.SetStretch(true);
    FillRed(box.DIB(), 30, 20);
    box.resize(30, 20);
    EXPECT_EQ(box.DrawRect(), QRect(0, 0, 30, 20));
}

TEST(DXPaintBox, AutoStretchShrinksKeepingTheAspect) {
    TDXPaintBox box;
    box.SetAutoStretch(true);
    box.SetCenter(true);
    box.SetStretch(true);
    FillRed(box.DIB(), 400, 100);
    box.resize(200, 100);
    EXPECT_EQ(box.DrawRect(), QRect(0, 25, 200, 50));
    const QImage image = Render(box, 200, 100);
    EXPECT_EQ(image.pixel(100, 10), Background) << "the background is never erased";
    EXPECT_EQ(image.pixel(100, 30), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(100, 80), Background);

    box.SetCenter(false);
    box.resize(200, 100);
    EXPECT_EQ(box.DrawRect(), QRect(0, 0, 200, 50));
}

TEST(DXPaintBox, AutoStretchLeavesSmallerPicturesAtTheirSize) {
    TDXPaintBox box;
    box.SetAutoStretch(true);
    box.SetStretch(true);
    box.SetCenter(true);
    FillRed(box.DIB(), 40, 20);
    box.resize(100, 50);
    EXPECT_EQ(box.DrawRect(), QRect(30, 15, 40, 20));
}

TEST(DXPaintBox, AutoStretchRoundsHalvesToEven) {
    TDXPaintBox box;
    box.SetAutoStretch(true);
    FillRed(box.DIB(), 5, 8);
    box.resize(4, 4); // s = 0.5: 2.5 -> 2
    EXPECT_EQ(box.DrawRect().size(), QSize(2, 4));
    FillRed(box.DIB(), 3, 8);
    box.resize(4, 4); // s = 0.5: 1.5 -> 2
    EXPECT_EQ(box.DrawRect().size(), QSize(2, 4));
}

TEST(DXPaintBox, LargerPictureCentredShowsItsMiddle) {
    TDXPaintBox box;
    box.SetCenter(true);
    FillRed(box.DIB(), 800, 600);
    box.resize(566, 244);
    EXPECT_EQ(box.DrawRect(), QRect(-117, -178, 800, 600));
    // Odd differences truncate toward zero.
    FillRed(box.DIB(), 9, 9);
    box.resize(4, 4);
    EXPECT_EQ(box.DrawRect().topLeft(), QPoint(-2, -2));
}

TEST(DXPaintBox, PicturesAreDrawnThroughTheirPaletteWithoutBlending) {
    TDXPaintBox box;
    box.SetStretch(true);
    TDIB& dib = box.DIB();
    dib.ColorTable[0] = TRGBQuad{255, 0, 0, 0};
    dib.ColorTable[1] = TRGBQuad{0, 255, 0, 0};
    dib.Allocate(2, 1, 8);
    dib.ScanLine(0)[0] = 0;
    dib.ScanLine(0)[1] = 1;
    const QImage image = Render(box, 10, 3);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(image.pixel(x, 1), qRgb(0, 0, 255)) << x;
    for (int x = 5; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 1), qRgb(0, 255, 0)) << x;
}

TEST(DXPaintBox, SettingAPropertyToItsValueDoesNotRepaint) {
    CountingPaintBox box;
    EXPECT_EQ(box.size(), QSize(105, 105));
    EXPECT_TRUE(box.testAttribute(Qt::WA_OpaquePaintEvent)) << "the background is never erased";
    box.SetCenter(true);
    box.show();
    QApplication::processEvents();
    const int before = box.paints;
    box.SetCenter(true);
    box.SetStretch(false);
    QApplication::processEvents();
    EXPECT_EQ(box.paints, before);
    box.SetCenter(false);
    QApplication::processEvents();
    EXPECT_GT(box.paints, before);
}

TEST(DXPaintBox, PaintNowPaintsBeforeReturning) {
    CountingPaintBox box;
    FillRed(box.DIB(), 4, 4);
    box.show();
    QApplication::processEvents();
    const int before = box.paints;
    box.PaintNow();
    EXPECT_EQ(box.paints, before + 1);
    RunFrameStep(box, {1, 255, false});
    EXPECT_EQ(box.paints, before + 2);
    EXPECT_EQ(box.DIB().ScanLine(0)[0], 2);
}

TEST(DXPaintBox, SetDIBCopiesIntoTheOwnPicture) {
    TDXPaintBox box;
    TDIB& own = box.DIB();
    TDIB other;
    FillRed(other, 3, 3);
    box.SetDIB(&other);
    EXPECT_EQ(&box.DIB(), &own);
    EXPECT_EQ(own.Width(), 3);
    own.ScanLine(0)[0] = 7;
    EXPECT_EQ(other.ScanLine(0)[0], 1);
    box.SetDIB(&own);
    EXPECT_EQ(own.ScanLine(0)[0], 7);
    EXPECT_EQ(box.Palette(), own.PaletteHandle());
    EXPECT_EQ(box.Palette()->Entry(1).Red, 255);
}

TEST(DXPaintBox, StretchedDrawingSamplesUnderEachTargetPixelCentre) {
    // A very wide picture drawn into 10 pixels: only the sampled columns matter, and the
    // drawing never builds a picture-sized buffer.
    TDIB dib;
    dib.ColorTable[1] = TRGBQuad{0, 255, 0, 0};
    dib.ColorTable[2] = TRGBQuad{255, 0, 0, 0};
    dib.Allocate(100000, 2, 8);
    for (int i = 0; i < 10; ++i) {
        dib.ScanLine(0)[5000 + 10000 * i] = 1;
        dib.ScanLine(1)[5000 + 10000 * i] = 2;
    }
    QImage target(10, 4, QImage::Format_RGB32);
    target.fill(Background);
    {
        QPainter painter(&target);
        TPainterCanvas canvas(painter);
        canvas.StretchDraw(QRect(0, 0, 10, 4), dib);
    }
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(target.pixel(x, 0), qRgb(0, 255, 0)) << x;
        EXPECT_EQ(target.pixel(x, 1), qRgb(0, 255, 0)) << x;
        EXPECT_EQ(target.pixel(x, 3), qRgb(0, 0, 255)) << x;
    }
    // Drawn partly outside the target: the visible part shows the picture's right columns.
    target.fill(Background);
    {
        QPainter painter(&target);
        TPainterCanvas canvas(painter);
        canvas.StretchDraw(QRect(-5, 0, 10, 4), dib);
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(4, 3), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(5, 0), Background);
}
