// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ImgBtn.h"
#include "controls/RXSliderImages.h"

#include "ControlTestUtil.h"
#include "common/CapturedReports.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

// A small bitmap of one colour, so that the shown picture can be told by its colour.
void Fill(TPicture& picture, QRgb colour) {
    TBitmap& bitmap = picture.Bitmap();
    bitmap.SetSize(4, 4);
    for (int y = 0; y < 4; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < 4; ++x) {
            row[3 * x] = static_cast<uint8_t>(qBlue(colour));
            row[3 * x + 1] = static_cast<uint8_t>(qGreen(colour));
            row[3 * x + 2] = static_cast<uint8_t>(qRed(colour));
        }
    }
    if (picture.OnChange) picture.OnChange();
}

const QRgb kUp = qRgb(10, 10, 10);
const QRgb kOver = qRgb(20, 20, 20);
const QRgb kDown = qRgb(30, 30, 30);
const QRgb kDis = qRgb(40, 40, 40);
const QRgb kNone = qRgb(1, 2, 3);

struct ImageButton : testing::Test {
    TTestPanel panel;
    TImgBtn* button = new TImgBtn(&panel);
    int clicks = 0;

    void SetUp() override {
        button->setGeometry(50, 50, 60, 60);
        Fill(button->UpPict(), kUp);
        Fill(button->OverPict(), kOver);
        Fill(button->DownPict(), kDown);
        Fill(button->DisPict(), kDis);
        button->SetEnabled(true);
        button->OnClick = [this](QObject*) { ++clicks; };
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }
    void TearDown() override {
        if (QWidget::mouseGrabber()) QWidget::mouseGrabber()->releaseMouse();
    }

    QRgb Shown() {
        TGraphic* g = button->Picture().Graphic();
        if (!g || g->IsEmpty()) return kNone;
        return button->Picture().Bitmap().ToImage().pixel(0, 0) | 0xFF000000u;
    }
};

TEST(ImgBtnStart, NewButtonIsDisabledAndShowsItsDisabledPicture) {
    TImgBtn button;
    EXPECT_FALSE(button.Enabled());
    EXPECT_EQ(button.Picture().Graphic(), nullptr);
    EXPECT_TRUE(button.setProperty("Enabled", true));
    EXPECT_TRUE(button.Enabled());
    EXPECT_TRUE(button.isEnabled()) << "the control itself stays enabled";
}

TEST_F(ImageButton, HoverCapturesTheMouseAndLeavingReleasesIt) {
    EXPECT_EQ(Shown(), kUp);
    QTest::mouseMove(button, QPoint(30, 30));
    EXPECT_EQ(Shown(), kOver);
    EXPECT_EQ(QWidget::mouseGrabber(), button);
    QTest::mouseMove(button, QPoint(60, 60)); // both far edges count as inside
    EXPECT_EQ(Shown(), kOver);
    QTest::mouseMove(button, QPoint(61, 30));
    EXPECT_EQ(Shown(), kUp);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    QTest::mouseMove(button, QPoint(30, -1));
    EXPECT_EQ(Shown(), kUp);
}

TEST_F(ImageButton, PressMovedOutAndReleasedOutsideIsNoClick) {
    QTest::mouseMove(button, QPoint(30, 30));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(Shown(), kDown);
    EXPECT_TRUE(button->Pressed());
    QTest::mouseMove(button, QPoint(100, 30));
    EXPECT_EQ(Shown(), kDown) << "moves change nothing while pressed";
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(100, 30));
    EXPECT_EQ(Shown(), kUp);
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(ImageButton, ClickComesBeforeTheReleaseShowsUpPict) {
    QRgb shownInClick = 0;
    button->OnClick = [&](QObject*) {
        ++clicks;
        shownInClick = Shown();
        Fill(button->UpPict(), qRgb(99, 0, 0)); // as the Start/Stop toggle swaps pictures
    };
    QTest::mouseMove(button, QPoint(30, 30));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(shownInClick, kDown);
    EXPECT_EQ(Shown(), qRgb(99, 0, 0));
}

TEST_F(ImageButton, DoubleClickIsOneClick) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(30, 30));
    // Widgets see a double click as press, release, double click, release.
    QTest::mouseDClick(button, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(Shown(), kDown);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Shown(), kUp);
    EXPECT_FALSE(button->Pressed());
}

TEST_F(ImageButton, RightButtonChangesNoPicture) {
    QTest::mousePress(button, Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_EQ(Shown(), kUp);
    EXPECT_FALSE(button->Pressed());
    QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_EQ(Shown(), kUp);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ImageButton, NewUpPictureWaitsForTheNextChangeOfState) {
    TPicture red;
    Fill(red, qRgb(200, 0, 0));
    button->SetUpPict(red);
    EXPECT_EQ(Shown(), kUp);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(Shown(), qRgb(200, 0, 0));
}

TEST_F(ImageButton, DisabledButtonStillClicksButKeepsItsPicture) {
    button->SetEnabled(false);
    EXPECT_EQ(Shown(), kDis);
    QTest::mouseMove(button, QPoint(30, 30));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Shown(), kDis);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    button->SetEnabled(false); // shown again even though unchanged
    EXPECT_EQ(Shown(), kDis);
}

TEST(ImgBtnDrawing, StartPictureIsDrawnTransparentlyAtItsOwnSize) {
    TTestPanel panel;
    auto* button = new TImgBtn(&panel);
    button->move(20, 20);
    button->SetAutoSize(true);
    button->SetStretch(true);
    button->SetTransparent(true);
    const TBitmap startup = LoadProgramBitmap("Startup");
    ASSERT_FALSE(startup.IsEmpty());
    button->UpPict().SetGraphic(&startup);
    button->SetEnabled(true);
    panel.show();
    EXPECT_EQ(button->size(), QSize(60, 60));
    const QImage image = Shot(*button, "imgbtn_startup");
    EXPECT_TRUE(SameRgb(image.pixel(0, 59), kOlive)) << "the key colour is left out";
    EXPECT_TRUE(SameRgb(image.pixel(59, 0), kOlive));
    EXPECT_FALSE(SameRgb(image.pixel(30, 30), kOlive));
    EXPECT_EQ(image.pixel(32, 30), qRgb(255, 255, 255)) << "the white play symbol";
}

} // namespace

TEST_F(ImageButton, AFailingClickHideOrDisableLetsGoOfTheMouse) {
    CapturedReports captured;
    button->OnClick = [](QObject*) { throw Exception("cannot start"); };
    QTest::mouseMove(&panel, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(30, 30));
    ASSERT_EQ(QWidget::mouseGrabber(), button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_EQ(captured.messages.size(), 1u);
    EXPECT_FALSE(button->Pressed()) << "the button is not left down";
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(Shown(), kUp);

    button->OnClick = [this](QObject*) { ++clicks; };
    for (auto let : {+[](TImgBtn& b) { b.hide(); }, +[](TImgBtn& b) { b.SetEnabled(false); },
                     +[](TImgBtn& b) { b.setEnabled(false); }}) {
        button->show();
        button->setEnabled(true);
        button->SetEnabled(true);
        QTest::mouseMove(button, QPoint(20, 20));
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
        ASSERT_TRUE(button->Pressed());
        let(*button);
        EXPECT_FALSE(button->Pressed());
        EXPECT_NE(QWidget::mouseGrabber(), button);
    }
}
