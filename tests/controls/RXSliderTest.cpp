// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/RXSlider.h"
#include "controls/RXSliderImages.h"

#include "ControlTestUtil.h"
#include "framework/Exception.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <limits>

namespace {

// The main window's frequency slider: 140 x 33, lowered bevel, 1..250, at 70, step 1.
struct FrequencySlider : testing::Test {
    TTestPanel panel;
    TRxSlider* slider = new TRxSlider(&panel);
    std::vector<int> changes;
    int changed = 0;

    void SetUp() override {
        slider->setGeometry(9, 5, 140, 33);
        slider->SetBevelStyle(bvLowered);
        slider->SetMaxValue(250);
        slider->SetMinValue(1);
        slider->SetIncrement(1);
        slider->SetValue(70);
        slider->OnChange = [this](QObject*) { changes.push_back(slider->Value()); };
        slider->OnChanged = [this](QObject* sender) {
            EXPECT_EQ(sender, slider);
            ++changed;
        };
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }

    QPoint ThumbCentre() const { return slider->ThumbRect().center(); }
};

TEST_F(FrequencySlider, LayoutOfTheMainWindowSlider) {
    EXPECT_EQ(slider->RulerOrigin(), QPoint(7, 11));
    EXPECT_EQ(slider->RulerSize(), QSize(126, 8));
    EXPECT_EQ(slider->ThumbRect().size(), QSize(9, 17));
    EXPECT_EQ(slider->ThumbRect().top(), 7);
    EXPECT_EQ(slider->TickRowTop(), 25);
    EXPECT_EQ(slider->TravelLength(), 117);
    EXPECT_EQ(slider->ThumbPosOfValue(1), 7);
    EXPECT_EQ(slider->ThumbPosOfValue(250), 124);
    EXPECT_EQ(slider->ThumbRect().left(), 7 + 32); // 117 * 69 / 249 = 32.4
    EXPECT_EQ(slider->ValueAtThumbPos(7 + 117), 250);
    EXPECT_EQ(slider->ValueAtThumbPos(0), 1);
}

TEST_F(FrequencySlider, DefaultTicksAndThumbAreDrawnWhereComputed) {
    slider->SetValue(250);
    const QImage image = Shot(*slider, "slider_rx1_250");
    const QRect thumb = slider->ThumbRect();
    EXPECT_EQ(thumb.left(), 124);
    // The thumb's white top-left and black right edge, olive just beside it.
    EXPECT_TRUE(SameRgb(image.pixel(thumb.left(), thumb.top()), QColor(255, 255, 255)));
    EXPECT_TRUE(SameRgb(image.pixel(thumb.right(), thumb.top() + 5), QColor(0, 0, 0)));
    EXPECT_TRUE(SameRgb(image.pixel(thumb.left() - 1, thumb.top() + 1), kOlive));
    EXPECT_TRUE(SameRgb(image.pixel(40, thumb.top() + 1), kOlive)) << "no thumb left behind";

    // 29 ticks: the ends 5 pixels long at 11 and 128, the others 3.
    const QRgb ink = slider->palette().color(QPalette::WindowText).rgb();
    int ticks = 0;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, 25) == ink) ++ticks;
    }
    EXPECT_EQ(ticks, 29);
    for (int x : {11, 128}) {
        EXPECT_EQ(image.pixel(x, 29), ink) << x;
        EXPECT_NE(image.pixel(x, 30), ink) << x;
    }
    const int tick10 = slider->ThumbPosOfValue(10) + 4;
    EXPECT_EQ(image.pixel(tick10, 27), ink);
    EXPECT_NE(image.pixel(tick10, 28), ink);
}

TEST_F(FrequencySlider, ThumbShowsItsPressedCellWhileHeldOrDisabled) {
    // The normal cell has a plain silver face, the pressed one a checkered face.
    auto checkered = [this] {
        const QImage image = slider->grab().toImage();
        const QPoint face = slider->ThumbRect().topLeft() + QPoint(3, 6);
        return image.pixel(face) != image.pixel(face + QPoint(1, 0));
    };
    EXPECT_FALSE(checkered());
    QTest::mousePress(slider, Qt::LeftButton, {}, ThumbCentre());
    EXPECT_TRUE(checkered());
    QTest::mouseRelease(slider, Qt::LeftButton, {}, ThumbCentre());
    EXPECT_FALSE(checkered());
    EXPECT_EQ(changed, 1) << "releasing the thumb ends the gesture";
    slider->setEnabled(false);
    EXPECT_TRUE(checkered());
    Shot(*slider, "slider_rx1_disabled");
}

TEST_F(FrequencySlider, HoldingOnTheRulerStepsEvery400ms) {
    auto* timer = slider->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(100, 14));
    EXPECT_EQ(slider->Value(), 71) << "one step at once";
    EXPECT_TRUE(slider->Tracking());
    EXPECT_EQ(timer->interval(), 400);
    EXPECT_TRUE(timer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(slider->Value(), 72, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(slider->Value(), 73, 3000);
    EXPECT_EQ(changed, 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(100, 14));
    EXPECT_EQ(changed, 1);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(changes, (std::vector<int>{71, 72, 73}));
}

TEST_F(FrequencySlider, HoldingStopsOnceTheThumbReachesThePointer) {
    slider->SetValue(240);
    changes.clear();
    const int x = slider->ThumbRect().left() - 1; // just left of the thumb
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(x, 20));
    EXPECT_EQ(slider->Value(), 239);
    QTest::qWait(1300);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x, 20));
    EXPECT_GE(slider->ThumbRect().left(), x - 8);
    EXPECT_LE(slider->ThumbRect().left(), x) << "the thumb stops at the pointer";
    EXPECT_LE(changes.size(), 3u);
    EXPECT_EQ(changed, 1);
}

TEST_F(FrequencySlider, DraggingTheThumbToBothEnds) {
    const QPoint start = ThumbCentre();
    QTest::mousePress(slider, Qt::LeftButton, {}, start);
    EXPECT_TRUE(slider->Sliding());
    QTest::mouseMove(slider, start + QPoint(-10, 0));
    QTest::mouseMove(slider, QPoint(-40, 30));
    EXPECT_EQ(slider->Value(), 1);
    EXPECT_EQ(slider->ThumbRect().left(), 7);
    QTest::mouseMove(slider, QPoint(400, 0));
    EXPECT_EQ(slider->Value(), 250);
    EXPECT_EQ(changed, 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(400, 0));
    EXPECT_EQ(changed, 1);
    EXPECT_FALSE(slider->Sliding());
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes[changes.size() - 2], 1);
    EXPECT_EQ(changes.back(), 250);
    // One pixel is worth about two values: a small drag lands on every second or third.
    QTest::mousePress(slider, Qt::LeftButton, {}, ThumbCentre());
    QTest::mouseMove(slider, ThumbCentre() + QPoint(-1, 0));
    EXPECT_EQ(slider->Value(), slider->ValueAtThumbPos(123));
    EXPECT_LT(slider->Value(), 249);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, ThumbCentre());
}

TEST_F(FrequencySlider, KeysAtTheEndsAndWithShift) {
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->Value(), 71);
    EXPECT_EQ(changed, 1);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(slider->Value(), 250);
    changes.clear();
    changed = 0;
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(changed, 2) << "a key at the end still reports the end of the move";

    QTest::keyClick(slider, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(slider, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(slider, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(slider->Value(), 250);
    EXPECT_EQ(changed, 2);
    QTest::keyClick(slider, Qt::Key_Up);
    QTest::keyClick(slider, Qt::Key_PageDown);
    EXPECT_EQ(slider->Value(), 250);
    EXPECT_EQ(changed, 2);

    int seenKey = -1;
    slider->OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) { seenKey = key; };
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(slider->Value(), 1);
    EXPECT_EQ(seenKey, 0) << "a handled key reaches OnKeyDown consumed";
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(slider->Value(), 1);
    QTest::keyClick(slider, Qt::Key_A);
    EXPECT_EQ(seenKey, Qt::Key_A);
}

TEST_F(FrequencySlider, ValuesSetByTheProgramAreClampedAndNeverReportTheEnd) {
    slider->SetValue(0);
    slider->SetValue(999);
    slider->SetValue(250);
    EXPECT_TRUE(slider->setProperty("Value", 35));
    EXPECT_EQ(changes, (std::vector<int>{1, 250, 35}));
    EXPECT_EQ(changed, 0);
}

TEST_F(FrequencySlider, DoubleClickNeitherMovesNorTracks) {
    QTest::mouseDClick(slider, Qt::LeftButton, {}, QPoint(120, 14));
    EXPECT_EQ(slider->Value(), 70);
    EXPECT_FALSE(slider->Tracking());
    QTest::mouseDClick(slider, Qt::LeftButton, {}, ThumbCentre());
    EXPECT_FALSE(slider->Sliding());
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(changed, 0);
}

TEST_F(FrequencySlider, RangeAndIncrementRules) {
    try {
        slider->SetIncrement(250);
        ADD_FAILURE() << "an increment over the range is refused";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Value must be between 1 and 249");
    }
    EXPECT_THROW(slider->SetIncrement(0), Exception);
    EXPECT_EQ(slider->Increment(), 1);
    slider->SetIncrement(10);
    slider->SetMinValue(250); // not below the maximum: ignored
    EXPECT_EQ(slider->MinValue(), 1);
    slider->SetMaxValue(0);
    EXPECT_EQ(slider->MaxValue(), 250);
    slider->SetMaxValue(5); // the range shrinks under the increment, which follows it
    EXPECT_EQ(slider->Increment(), 4);
    EXPECT_EQ(slider->Value(), 5);
    EXPECT_EQ(changes, (std::vector<int>{5}));

    // Stepping starts from the value rounded to the increment.
    slider->SetMaxValue(100);
    slider->SetIncrement(10);
    slider->SetValue(44);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->Value(), 50);
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(slider->Value(), 40);
}

TEST(RXSliderImages, RulerKeepsItsEndsAndRepeatsTheMiddle) {
    // Ten columns coloured 0..9, so the built strip can be read back column by column.
    QImage source(10, 2, QImage::Format_ARGB32);
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 2; ++y)
            source.setPixel(x, y, qRgb(x * 20, 0, 0));
    }
    auto columns = [](const QImage& ruler) {
        std::string s;
        for (int x = 0; x < ruler.width(); ++x)
            s += char('0' + qRed(ruler.pixel(x, 0)) / 20);
        return s;
    };
    EXPECT_EQ(columns(BuildRuler(source, 26, 2, true)), "01234567234567234567456789");
    EXPECT_EQ(columns(BuildRuler(source, 10, 2, true)), "0123456789");
    EXPECT_EQ(columns(BuildRuler(source, 12, 2, true)), "012345676789");
    EXPECT_EQ(columns(BuildRuler(source, 4, 2, true)), "0189");
    EXPECT_TRUE(BuildRuler(source, 0, 2, true).isNull());
    const QImage vertical =
        BuildRuler(source.transformed(QTransform(0, 1, 1, 0, 0, 0)), 14, 3, false);
    ASSERT_EQ(vertical.size(), QSize(2, 14));
    std::string rows;
    for (int y = 0; y < 14; ++y)
        rows += char('0' + qRed(vertical.pixel(0, y)) / 20);
    EXPECT_EQ(rows, "01234563456789");
}

TEST(RXSliderImages, DefaultImagesHaveTheirSizesAndKeyedCorners) {
    struct Case {
        const char* name;
        int w, h;
    };
    for (const Case c : {Case{"W95_HTB", 18, 17}, Case{"W95_HRL", 10, 8}, Case{"W95_VTB", 38, 9},
                         Case{"W95_VRL", 8, 10}}) {
        const TBitmap bitmap = LoadProgramBitmap(c.name);
        ASSERT_FALSE(bitmap.IsEmpty()) << c.name;
        EXPECT_EQ(bitmap.Width(), c.w) << c.name;
        EXPECT_EQ(bitmap.Height(), c.h) << c.name;
        const QImage keyed = KeyedImage(bitmap);
        EXPECT_EQ(qAlpha(keyed.pixel(0, c.h - 1)), 0) << c.name;
        int opaque = 0;
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x)
                opaque += qAlpha(keyed.pixel(x, y)) == 255;
        }
        EXPECT_GT(opaque, c.w * c.h / 3) << c.name;
    }
    EXPECT_TRUE(LoadProgramBitmap("NO_SUCH_IMAGE").IsEmpty());
}

TEST(RXSliderOptions, VerticalSliderGrowsUpwards) {
    TTestPanel panel;
    auto* slider = new TRxSlider(&panel);
    slider->SetOrientation(soVertical);
    slider->setGeometry(0, 0, 40, 150);
    panel.show();
    EXPECT_EQ(slider->ThumbRect().size(), QSize(19, 9));
    EXPECT_EQ(slider->RulerSize(), QSize(8, 138));
    const int bottom = slider->ThumbRect().top();
    slider->SetValue(100);
    EXPECT_EQ(slider->ThumbRect().top(), 6) << "the maximum is at the top";
    EXPECT_GT(bottom, slider->ThumbRect().top());
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Down);
    EXPECT_EQ(slider->Value(), 90);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->Value(), 90);
    QTest::mousePress(slider, Qt::LeftButton, {}, slider->ThumbRect().center());
    QTest::mouseMove(slider, QPoint(10, 400));
    EXPECT_EQ(slider->Value(), 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(10, 400));
    Shot(*slider, "slider_vertical");
}

TEST(RXSliderOptions, OwnImagesAreMarkedAndEdgeSizeIsChecked) {
    TRxSlider slider;
    TBitmap thumb = LoadProgramBitmap("W95_HTB");
    slider.SetImage(siHThumb, &thumb);
    EXPECT_EQ(slider.UserImages(), 1);
    slider.SetImage(siHThumb, nullptr);
    EXPECT_EQ(slider.UserImages(), 0);
    EXPECT_EQ(slider.Image(siHThumb).Width(), 18);
    slider.SetEdgeSize(5); // 2 x 5 is not less than the ruler image's 10
    EXPECT_EQ(slider.EdgeSize(), 2);
    slider.SetEdgeSize(-1);
    EXPECT_EQ(slider.EdgeSize(), 2);
    slider.SetEdgeSize(4);
    EXPECT_EQ(slider.EdgeSize(), 4);
    slider.SetNumThumbStates(1);
    EXPECT_EQ(slider.ThumbRect().width(), 18);
}

TEST(RXSliderOptions, HugeRangeStillDrawsAFewTicks) {
    TTestPanel panel;
    auto* slider = new TRxSlider(&panel);
    slider->SetMaxValue(2000000000);
    slider->SetMinValue(-2000000000);
    slider->SetIncrement(1);
    panel.show();
    const QImage image = Shot(*slider, "slider_huge_range");
    const QRgb ink = panel.palette().color(QPalette::WindowText).rgb();
    int ticks = 0;
    for (int x = 0; x < image.width(); ++x)
        ticks += image.pixel(x, slider->TickRowTop()) == ink;
    EXPECT_GE(ticks, 2);
    EXPECT_LE(ticks, slider->TravelLength() / 4 + 1);
}

} // namespace

TEST(RXSliderRange, AMinimumNearTheLargestIntShrinksTheIncrementWithoutOverflow) {
    constexpr int kTop = std::numeric_limits<int>::max();
    TRxSlider slider;
    slider.SetMaxValue(kTop);
    slider.SetMinValue(kTop - 5); // within the increment 10 of the top
    EXPECT_EQ(slider.MinValue(), kTop - 5);
    EXPECT_EQ(slider.Increment(), 5);

    // A range read with the layout and checked afterwards.
    TRxSlider loaded;
    loaded.BeginLoading();
    loaded.SetMinValue(kTop - 2);
    loaded.SetMaxValue(kTop);
    loaded.Loaded();
    loaded.SetMaxValue(kTop - 1);
    EXPECT_EQ(loaded.Increment(), 1);
    EXPECT_EQ(loaded.Value(), kTop - 2);
}
