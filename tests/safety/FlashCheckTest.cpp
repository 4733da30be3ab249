// SPDX-License-Identifier: GPL-3.0-or-later
// The flash check on pictures and colour tables built here, whose flashing is known by how
// they are made: a whole picture blinking, changes too small or too dark to count, a red
// blink, a stripe moving across, and the display's refresh swallowing steps.

#include "safety/FlashCheck.h"
#include "safety/FlashAdvice.h"
#include "safety/FlashColours.h"
#include "safety/SessionFlash.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TRGBQuad Rgb(int r, int g, int b) {
    return TRGBQuad{static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

// An 8-bit picture whose pixel (x, y) holds index(x, y).
struct TestPicture {
    TestPicture(int w, int h, int (*index)(int, int)) : pixels(static_cast<size_t>(w * h)) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[static_cast<size_t>(y * w + x)] = index(x, y);
        view.Top = pixels.data();
        view.RowStep = w;
        view.Width = w;
        view.Height = h;
    }
    // Palette entries alternating between two colours from one index to the next.
    void Alternate(TRGBQuad even, TRGBQuad odd) {
        for (size_t i = 0; i < 256; ++i)
            view.Colours[i] = i % 2 ? odd : even;
    }
    std::vector<uint8_t> pixels;
    TFlashPicture view;
};

// A run at main frequency hz, the picture filling a 640 x 480 screen at 60 Hz.
TFlashSettings At(double hz) {
    TFlashSettings s;
    s.TransformLevel = 1;
    s.StepsPerSecond = PictureStepsPerSecond(hz);
    s.ShownWidth = s.ScreenWidth = 640;
    s.ShownHeight = s.ScreenHeight = 480;
    return s;
}

int Uniform(int, int) {
    return 0;
}

const TRGBQuad White = Rgb(255, 255, 255);
const TRGBQuad Black = Rgb(0, 0, 0);

} // namespace

TEST(FlashCheck, WholePictureBlinkingWhiteAndBlack) {
    TestPicture p(64, 48, Uniform);
    p.Alternate(White, Black);

    const TFlashReport fast = CheckFlashing(p.view, At(10));
    ASSERT_TRUE(fast.Checked);
    EXPECT_DOUBLE_EQ(fast.GeneralFlashesPerSecond, 10);
    EXPECT_DOUBLE_EQ(fast.RedFlashesPerSecond, 0);
    EXPECT_DOUBLE_EQ(fast.ScreenAreaFraction, 1);
    EXPECT_DOUBLE_EQ(fast.WcagAreaFraction, 1);
    EXPECT_TRUE(fast.Over);
    EXPECT_NE(fast.Reason.find("general flashes"), std::string::npos) << fast.Reason;

    const TFlashReport slow = CheckFlashing(p.view, At(1));
    EXPECT_DOUBLE_EQ(slow.GeneralFlashesPerSecond, 1);
    EXPECT_DOUBLE_EQ(slow.ScreenAreaFraction, 0);
    EXPECT_FALSE(slow.Extended);
    EXPECT_FALSE(slow.Over) << slow.Reason;

    // 2.5 Hz: five transitions a second are under 3 flashes but held on, so extended.
    const TFlashReport held = CheckFlashing(p.view, At(2.5));
    EXPECT_DOUBLE_EQ(held.GeneralFlashesPerSecond, 2.5);
    EXPECT_DOUBLE_EQ(held.ScreenAreaFraction, 0);
    EXPECT_TRUE(held.Extended);
    EXPECT_DOUBLE_EQ(held.ExtendedScreenFraction, 1);
    EXPECT_TRUE(held.Over);

    // 50 steps a second on a 25 Hz display: every shown state is an even step, so the
    // display changes only where the ring of 255 (odd) entries wraps, once a cycle.
    TFlashSettings swallowed = At(25);
    swallowed.RefreshHz = 25;
    const TFlashReport none = CheckFlashing(p.view, swallowed);
    EXPECT_DOUBLE_EQ(none.GeneralFlashesPerSecond, 0.5);
    EXPECT_FALSE(none.Over);
    swallowed.RefreshHz = 30; // now steps 0, 1, 3, 5, 6, 8...: most shown states differ
    EXPECT_GT(CheckFlashing(p.view, swallowed).GeneralFlashesPerSecond, 3);
}

TEST(FlashCheck, SmallBrightAndRedChanges) {
    TestPicture p(32, 32, Uniform);
    // Greys of luminance 0.50 and 0.55: a change of 0.05 is no transition.
    int g50 = 0, g55 = 0;
    for (int g = 0; g < 256; ++g) {
        if (std::abs(LinearChannel(g) - 0.50) < std::abs(LinearChannel(g50) - 0.50)) g50 = g;
        if (std::abs(LinearChannel(g) - 0.55) < std::abs(LinearChannel(g55) - 0.55)) g55 = g;
    }
    p.Alternate(Rgb(g50, g50, g50), Rgb(g55, g55, g55));
    const TFlashReport small = CheckFlashing(p.view, At(10));
    EXPECT_DOUBLE_EQ(small.GeneralFlashesPerSecond, 0);
    EXPECT_FALSE(small.Over);

    // Between two bright states (the darker one at 0.8 or more) there is no flash either.
    p.Alternate(White, Rgb(235, 235, 235));
    EXPECT_DOUBLE_EQ(CheckFlashing(p.view, At(10)).GeneralFlashesPerSecond, 0);

    p.Alternate(Rgb(255, 0, 0), Black);
    const TFlashReport red = CheckFlashing(p.view, At(10));
    EXPECT_DOUBLE_EQ(red.RedFlashesPerSecond, 10);
    EXPECT_TRUE(red.Over);
    EXPECT_NE(red.Reason.find("red flashes"), std::string::npos) << red.Reason;
    // A dark red against black changes luminance by under 0.1, yet it is a red flash.
    p.Alternate(Rgb(120, 0, 0), Black);
    const TFlashReport dark = CheckFlashing(p.view, At(10));
    EXPECT_DOUBLE_EQ(dark.GeneralFlashesPerSecond, 0);
    EXPECT_DOUBLE_EQ(dark.RedFlashesPerSecond, 10);
}

TEST(FlashCheck, MovingStripeIsSmallOnTheScreenButLargeInAField) {
    // Index grows with x; only entries 100..129 blink, the rest is one grey. Every column
    // passes through the band in turn, so the stripe travels across the whole picture.
    TestPicture p(255, 60, [](int x, int) { return x; });
    for (size_t i = 0; i < 256; ++i) {
        p.view.Colours[i] = i >= 100 && i < 130 ? (i % 2 ? Black : White) : Rgb(124, 124, 124);
    }
    TFlashSettings s = At(10);
    s.ShownWidth = s.ScreenWidth = 255;
    s.ShownHeight = s.ScreenHeight = 60;
    const TFlashReport r = CheckFlashing(p.view, s);
    EXPECT_DOUBLE_EQ(r.GeneralFlashesPerSecond, 10);
    // About 30 band columns plus the 20 the stripe moves in a second, less those that see
    // under 7 transitions of it.
    EXPECT_GE(r.ScreenAreaFraction, 30 / 255.0);
    EXPECT_LE(r.ScreenAreaFraction, 40 / 255.0);
    // The field is 85 of the 255 columns wide and holds the whole stripe.
    EXPECT_NEAR(r.WcagAreaFraction, r.ScreenAreaFraction * 255 / 85, 1e-9);
    EXPECT_TRUE(r.Over);
    EXPECT_NE(r.Reason.find("10-degree field"), std::string::npos) << r.Reason;

    // A blinking picture on a quarter of the screen: not more than 25 % of the screen, but
    // it fills a field.
    TestPicture whole(64, 48, Uniform);
    whole.Alternate(White, Black);
    TFlashSettings quarter = At(10);
    quarter.ShownWidth = 320;
    quarter.ShownHeight = 240;
    const TFlashReport q = CheckFlashing(whole.view, quarter);
    EXPECT_DOUBLE_EQ(q.ScreenAreaFraction, 0.25);
    EXPECT_DOUBLE_EQ(q.WcagAreaFraction, 1);
    EXPECT_TRUE(q.Over);
}

TEST(FlashCheck, ReducedFlashingKeepsEveryChangeSmallAndNoRed) {
    TestPicture p(32, 32, Uniform);
    p.Alternate(Rgb(255, 0, 0), White);
    std::array<QRgb, 256> lookup{};
    for (size_t i = 0; i < 256; ++i)
        lookup[i] = qRgb(p.view.Colours[i].Red, p.view.Colours[i].Green, p.view.Colours[i].Blue);
    const std::array<QRgb, 256> reduced = ReducedFlashingLookup(lookup);
    for (size_t i = 0; i < 256; ++i)
        p.view.Colours[i] = Rgb(qRed(reduced[i]), qGreen(reduced[i]), qBlue(reduced[i]));
    const TFlashReport r = CheckFlashing(p.view, At(25));
    EXPECT_DOUBLE_EQ(r.GeneralFlashesPerSecond, 0);
    EXPECT_DOUBLE_EQ(r.RedFlashesPerSecond, 0);
    EXPECT_FALSE(r.Over);
    // Still not one colour: red stays the redder of the two.
    EXPECT_GT(qRed(reduced[0]) - qGreen(reduced[0]), qRed(reduced[1]) - qGreen(reduced[1]));
}

TEST(FlashCheck, GradesTheFrequencyShownNotAWholeMillisecondInterval) {
    // Two steps a period of the frequency at its three decimals, within 0.1 to 35 Hz.
    EXPECT_DOUBLE_EQ(PictureStepsPerSecond(17.3L), 34.6);
    EXPECT_DOUBLE_EQ(PictureStepsPerSecond(23.9004L), 47.8);
    EXPECT_DOUBLE_EQ(PictureStepsPerSecond(40.0L), 70);
    EXPECT_DOUBLE_EQ(PictureStepsPerSecond(0.01L), 0.2);

    TestPicture p(64, 48, Uniform);
    p.Alternate(White, Black);
    // On a 120 Hz display every step shows: 30 Hz is 30 flashes a second, not the 25 of a
    // 20 ms interval, and 17.3 Hz at most 35 transitions in a second, not 36 of 28 ms.
    TFlashSettings s = At(30);
    s.RefreshHz = 120;
    const TFlashReport fast = CheckFlashing(p.view, s);
    EXPECT_DOUBLE_EQ(fast.StepsPerSecond, 60);
    EXPECT_DOUBLE_EQ(fast.GeneralFlashesPerSecond, 30);
    s = At(17.3);
    s.RefreshHz = 120;
    const TFlashReport odd = CheckFlashing(p.view, s);
    EXPECT_DOUBLE_EQ(odd.StepsPerSecond, 34.6);
    EXPECT_DOUBLE_EQ(odd.GeneralFlashesPerSecond, 17.5);
}

namespace {

// The grey whose relative luminance is nearest y.
TRGBQuad GreyOf(double y) {
    int best = 0;
    for (int g = 1; g < 256; ++g)
        if (std::abs(LinearChannel(g) - y) < std::abs(LinearChannel(best) - y)) best = g;
    return Rgb(best, best, best);
}

// A triangle of luminance from black up to peak and back, period entries long, repeated over
// the whole palette.
void Triangle(TFlashPicture& p, int period, double peak) {
    for (size_t i = 0; i < 256; ++i) {
        const int k = static_cast<int>(i) % period;
        const double half = period / 2.0;
        p.Colours[i] = GreyOf(peak * (1 - std::abs(k - half) / half));
    }
}

} // namespace

TEST(FlashCheck, GradualFallsFromWhiteCountWhereTheyEnd) {
    // A whole screen through a 14-entry ramp black -> white -> black, 3.6 times a second. A
    // fall from white reaches 0.1 while still bright; it counts where it ends, in black, so a
    // brighter peak is never safer than a dimmer one.
    TestPicture p(64, 48, Uniform);
    TFlashSettings s = At(25.2); // 50.4 steps a second
    s.CycleModulus = 14;
    Triangle(p.view, 14, 0.85);
    const TFlashReport dim = CheckFlashing(p.view, s);
    Triangle(p.view, 14, 1.0);
    const TFlashReport bright = CheckFlashing(p.view, s);
    EXPECT_TRUE(dim.Over) << dim.Reason;
    EXPECT_TRUE(bright.Over) << bright.Reason;
    EXPECT_DOUBLE_EQ(bright.GeneralFlashesPerSecond, 4);
    EXPECT_DOUBLE_EQ(bright.GeneralFlashesPerSecond, dim.GeneralFlashesPerSecond);
    EXPECT_DOUBLE_EQ(bright.ScreenAreaFraction, 1);

    // A fall that stops above the dark limit is no transition, however deep.
    for (size_t i = 0; i < 256; ++i)
        p.view.Colours[i] = GreyOf(i % 14 < 7 ? 1.0 : 0.82);
    EXPECT_DOUBLE_EQ(CheckFlashing(p.view, s).GeneralFlashesPerSecond, 0);
}

TEST(FlashCheck, PaletteCyclingOverAGradientFlashesWhereverTheRampPasses) {
    // A horizontal gradient through 240 entries, the palette a 12-entry ramp up to white and
    // down: every column runs the ramp 4.2 times a second, each in its own phase.
    TestPicture p(240, 40, [](int x, int) { return x; });
    Triangle(p.view, 12, 1.0);
    TFlashSettings s = At(25.2);
    s.CycleModulus = 240;
    s.ShownWidth = s.ScreenWidth = 240;
    s.ShownHeight = s.ScreenHeight = 40;
    const TFlashReport r = CheckFlashing(p.view, s);
    EXPECT_GE(r.GeneralFlashesPerSecond, 4);
    EXPECT_DOUBLE_EQ(r.ScreenAreaFraction, 1);
    EXPECT_NE(r.Reason.find("general flashes"), std::string::npos) << r.Reason;
    // Half as fast, about 4.2 transitions a second: no more than 3 flashes, but held on.
    s.StepsPerSecond = PictureStepsPerSecond(12.6);
    const TFlashReport half = CheckFlashing(p.view, s);
    EXPECT_LE(half.GeneralFlashesPerSecond, 3);
    EXPECT_DOUBLE_EQ(half.ScreenAreaFraction, 0);
    EXPECT_TRUE(half.Extended);
}

TEST(FlashCheck, EveryFieldInEverySecondIsMeasured) {
    // A 1024 x 768 screen filled by a 512 x 384 picture. Entries 0..39 of a ring of 200 blink
    // white and black, the rest is grey: each value bursts for 2 s at 10 flashes a second, in
    // turn. A 300 x 250 block (value 0) fills 86 % of a 10-degree field; every fifth row
    // elsewhere (value 100) bursts 5 s later, over more of the screen but only 20 % of a field;
    // the rest stays still.
    TestPicture p(512, 384, [](int x, int y) {
        if (x >= 40 && x < 190 && y >= 40 && y < 165) return 0;
        return y % 5 == 0 ? 100 : 250; // above the ring: never changes
    });
    for (size_t i = 0; i < 256; ++i)
        p.view.Colours[i] = i < 40 ? (i % 2 ? Black : White) : Rgb(124, 124, 124);
    TFlashSettings s = At(10);
    s.CycleModulus = 200;
    s.ScreenWidth = s.ShownWidth = 1024;
    s.ScreenHeight = s.ShownHeight = 768;
    const TFlashReport r = CheckFlashing(p.view, s);
    EXPECT_DOUBLE_EQ(r.GeneralFlashesPerSecond, 10);
    EXPECT_LT(r.ScreenAreaFraction, FlashAreaLimit);
    EXPECT_NEAR(r.WcagAreaFraction, 150.0 * 125 / (171 * 128), 1e-9);
    EXPECT_TRUE(r.Over);
    EXPECT_NE(r.Reason.find("10-degree field"), std::string::npos) << r.Reason;

    // The rows alone are below: 20 % of any field.
    for (uint8_t& v : p.pixels)
        v = v == 0 ? 250 : v;
    const TFlashReport rows = CheckFlashing(p.view, s);
    EXPECT_NEAR(rows.WcagAreaFraction, 0.2, 0.01);
    EXPECT_FALSE(rows.Over) << rows.Reason;
}

namespace {

TSessionPoint Point(int64_t ms, int32_t milli, int depth = kKnobUnset) {
    TSessionPoint p;
    p.TimeMs = ms;
    p.FrequencyMilli = milli;
    p.Knobs[static_cast<size_t>(TSessionKnob::Depth)] = static_cast<int16_t>(depth);
    return p;
}

} // namespace

TEST(SessionFlash, GradesEachMinuteAtTheFrequenciesTheSessionHolds) {
    TestPicture p(64, 48, Uniform);
    p.Alternate(White, Black);
    TFlashSettings display = At(1);
    TSessionFlashGrader grader(p.view, 255, display);

    // A minute at 1 Hz, a glide to 10 Hz with depth 3, a minute held there.
    const TSession session(
        {Point(0, 1000), Point(60'000, 1000), Point(90'000, 10'000, 3), Point(150'000, 10'000)});
    const std::vector<TFlashMinute> minutes = grader.Grade(session, 1);
    ASSERT_EQ(minutes.size(), 3u);
    EXPECT_EQ(
        DescribeFlashMinute(minutes[0]).rfind("0:00-1:00  1.0 Hz, depth 1: below the limits", 0),
        0u)
        << DescribeFlashMinute(minutes[0]);
    EXPECT_EQ(FlashMinuteHeading(minutes[1]), "1:00-2:00  1.0-10.0 Hz, depth 1-3");
    EXPECT_TRUE(minutes[1].Worst.Over);
    EXPECT_EQ(minutes[2].WorstDepth, 3);
    EXPECT_EQ(FlashMinuteHeading(minutes[2]), "2:00-2:30  10.0 Hz, depth 3");
    EXPECT_EQ(FlashMinutesOver(minutes), 2u);
    EXPECT_EQ(WorstFlashMinute(minutes), 1u);

    // A held frequency is graded to its thousandths, not at a whole-millisecond interval.
    const std::vector<TFlashMinute> held =
        grader.Grade(TSession({Point(0, 17'350), Point(60'000, 17'350)}), 1);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_DOUBLE_EQ(held[0].Worst.StepsPerSecond, 34.7);
}

TEST(FlashCheck, TheFieldIsAThirdOfTheScreenEachWayAsOnA1024By768Screen) {
    // 341 x 256 of 1024 x 768 is a third of the screen each way: on a 1920 x 1080 screen filled
    // by a 192 x 108 picture, 64 x 36 picture pixels. A blinking block of a quarter of that is
    // not over; one column more is.
    for (const int blockWidth : {32, 33}) {
        TestPicture p(192, 108, [](int, int) { return 250; });
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < blockWidth; ++x)
                p.pixels[static_cast<size_t>(y * 192 + x)] = 0;
        p.Alternate(White, Black);
        TFlashSettings s = At(10);
        s.CycleModulus = 200; // the rest, 250, stays still
        s.ShownWidth = s.ScreenWidth = 1920;
        s.ShownHeight = s.ScreenHeight = 1080;
        const TFlashReport r = CheckFlashing(p.view, s);
        EXPECT_DOUBLE_EQ(r.WcagAreaFraction, blockWidth * 18 / (64.0 * 36));
        EXPECT_EQ(r.Over, blockWidth == 33) << r.Reason;
    }
}

TEST(FlashAdvice, SaysOrLessOnlyWhenEverySlowerFrequencyPasses) {
    // A whole picture blinking: 1.8 Hz is the fastest below (3.6 transitions a second, too
    // few seconds with 4 to be held flashing; 1.9 Hz has them), and everything slower passes.
    TestPicture p(64, 48, Uniform);
    p.Alternate(White, Black);
    const TFlashAdvice blink = AdviseFlashing(p.view, At(10));
    EXPECT_DOUBLE_EQ(blink.BelowAtHz, 1.8);
    EXPECT_TRUE(blink.AllSlowerBelow);
    // On a 20 Hz display 20 Hz shows only even steps, one colour; 10 Hz shows every step.
    TFlashSettings s = At(25);
    s.RefreshHz = 20;
    ASSERT_TRUE(CheckFlashing(p.view, s).Over);
    const TFlashAdvice aliased = AdviseFlashing(p.view, s);
    EXPECT_GE(aliased.BelowAtHz, 20);
    EXPECT_FALSE(aliased.AllSlowerBelow);
}

TEST(ShownLight, TheDisplayFoldsTheFrequencyAndHoldsStepsForWholeFrames) {
    // 70 steps a second on 60 frames: every sixth frame lands two steps on, so the light turns
    // 50 times a second, not 70. A ring of two entries: white and black, nothing else.
    TestPicture p(64, 48, Uniform);
    p.Alternate(White, Black);
    const auto blink = [](double hz) {
        TFlashSettings s = At(hz);
        s.CycleModulus = 2;
        return s;
    };
    const TFlashReport fast = CheckFlashing(p.view, blink(35));
    EXPECT_DOUBLE_EQ(fast.GeneralFlashesPerSecond, 25);
    EXPECT_DOUBLE_EQ(fast.Shown.ShownHz, 25);
    EXPECT_EQ(fast.Shown.FewestFrames, 1);
    EXPECT_EQ(fast.Shown.MostFrames, 2);
    EXPECT_TRUE(fast.Shown.Differs());
    EXPECT_DOUBLE_EQ(fast.Shown.NearestEvenHz, 30);

    // 20 Hz stays 20 Hz, but as two frames of one colour and one of the other.
    const TFlashReport third = CheckFlashing(p.view, blink(20));
    EXPECT_DOUBLE_EQ(third.GeneralFlashesPerSecond, 20);
    EXPECT_DOUBLE_EQ(third.Shown.ShownHz, 20);
    EXPECT_EQ(third.Shown.FewestFrames, 1);
    EXPECT_EQ(third.Shown.MostFrames, 2);
    EXPECT_FALSE(third.Shown.Even());
    EXPECT_TRUE(third.Shown.Differs());
    EXPECT_DOUBLE_EQ(third.Shown.NearestEvenHz, 15); // 60 / 4: two frames each half

    // The same on a display that shows every step for two frames.
    TFlashSettings fast120 = blink(30);
    fast120.RefreshHz = 120;
    const TFlashReport even = CheckFlashing(p.view, fast120);
    EXPECT_DOUBLE_EQ(even.Shown.ShownHz, 30);
    EXPECT_EQ(even.Shown.FewestFrames, 2);
    EXPECT_EQ(even.Shown.MostFrames, 2);
    EXPECT_FALSE(even.Shown.Differs());
    EXPECT_DOUBLE_EQ(even.Shown.NearestEvenHz, 30);

    // 25 Hz on a 25 Hz display: every frame two steps on, the same colour throughout.
    const TShownLight still = ShownLightOf(PictureStepsPerSecond(25.0L), 25);
    EXPECT_DOUBLE_EQ(still.ShownHz, 0);
    EXPECT_FALSE(still.Even());
    // Folds above and below the refresh: 35 Hz on 50 Hz shows 15, on 30 Hz shows 5.
    EXPECT_NEAR(ShownLightOf(70, 50).ShownHz, 15, 1e-9);
    EXPECT_NEAR(ShownLightOf(70, 30).ShownHz, 5, 1e-9);
    // A half period of five frames, and 0.1 Hz, which holds each half for 300.
    EXPECT_FALSE(ShownLightOf(PictureStepsPerSecond(6.0L), 60).Differs());
    const TShownLight slowest = ShownLightOf(PictureStepsPerSecond(0.1L), 60);
    EXPECT_EQ(slowest.FewestFrames, 300);
    EXPECT_FALSE(slowest.Differs());
    // Just off an even frequency the phase slips past the frames within seconds.
    const TShownLight slipping = ShownLightOf(PictureStepsPerSecond(15.2L), 60);
    EXPECT_EQ(slipping.FewestFrames, 1);
    EXPECT_TRUE(slipping.Differs());
}

TEST(ShownLight, TheNearestEvenFrequencyIsTheRefreshOverAnEvenNumberOfFrames) {
    EXPECT_DOUBLE_EQ(NearestEvenFrequency(7.3, 60), 7.5);  // 8 frames a period
    EXPECT_DOUBLE_EQ(NearestEvenFrequency(6.7, 60), 6);    // 5 frames each half
    EXPECT_DOUBLE_EQ(NearestEvenFrequency(22.5, 60), 15);  // as near as 30: the lower
    EXPECT_DOUBLE_EQ(NearestEvenFrequency(35, 144), 24);   // 144 / 6; 36 is beyond the box
    EXPECT_DOUBLE_EQ(NearestEvenFrequency(0.05, 60), 0.1); // 300 frames each half
    EXPECT_DOUBLE_EQ(NearestEvenFrequency(10, 59.94), 9.99);
    // Each frequency offered is shown evenly on its display.
    for (const double refresh : {50.0, 60.0, 75.0, 144.0}) {
        for (const double hz : {1.3, 9.7, 19.9, 33.3}) {
            const double even = NearestEvenFrequency(hz, refresh);
            const TShownLight light = ShownLightOf(2 * even, refresh);
            EXPECT_FALSE(light.Differs()) << hz << " Hz on " << refresh << " Hz: " << even;
        }
    }
}
