// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunParameters.h"

#include <gtest/gtest.h>

TEST(RunParameters, SliderEndsAndMiddle) {
    // 0.1 Hz: the slowest picture and sound, no band.
    EXPECT_EQ(SliderValueFromFrequency(0.1L), 1);
    EXPECT_EQ(PictureInterval(1), 5000);
    EXPECT_EQ(SoundInterval(5000, false), 500);
    EXPECT_EQ(SoundInterval(5000, true), 1000);
    EXPECT_EQ(BandLabel(1), "");
    EXPECT_EQ(BaseRateFromFrequency(0.1L), 220); // 220.5 goes to the even neighbour
    // 7.0 Hz.
    EXPECT_EQ(SliderValueFromFrequency(7.0L), 70);
    EXPECT_EQ(PictureInterval(70), 71);
    EXPECT_EQ(SoundInterval(71, false), 7);
    EXPECT_EQ(SoundInterval(71, true), 14);
    EXPECT_EQ(BandLabel(70), "Theta");
    EXPECT_EQ(BaseRateFromFrequency(7.0L), 15435);
    // The top of the slider.
    EXPECT_EQ(PictureInterval(250), 20);
    EXPECT_EQ(SoundInterval(20, false), 2);
    EXPECT_EQ(SoundInterval(20, true), 4);
    EXPECT_EQ(BandLabel(250), "High Beta");
}

TEST(RunParameters, HalvesRoundToTheEvenNeighbour) {
    EXPECT_EQ(SliderValueFromFrequency(7.25L), 72);
    EXPECT_EQ(BandLabel(72), "High Theta");
    EXPECT_EQ(PictureInterval(72), 69);
    EXPECT_EQ(BaseRateFromFrequency(7.25L), 15986);
    EXPECT_EQ(SliderValueFromFrequency(7.75L), 78);
    EXPECT_EQ(BandLabel(78), "Alpha/Theta");
    EXPECT_EQ(BaseRateFromFrequency(3.5L), 7718);
    // The rate follows the edit's decimals, not the slider's tenths.
    EXPECT_EQ(BaseRateFromFrequency(7.05L), 15545);
    EXPECT_EQ(SliderValueFromFrequency(7.05L), 70);
    EXPECT_EQ(BaseRateFromFrequency(35.0L), 77175);
}

TEST(RunParameters, SliderClampsWhileTheRateGoesOnRising) {
    EXPECT_EQ(SliderValueFromFrequency(25.0L), 250);
    EXPECT_EQ(SliderValueFromFrequency(30.0L), 250);
    EXPECT_EQ(PictureInterval(SliderValueFromFrequency(30.0L)), 20);
    EXPECT_EQ(BandLabel(SliderValueFromFrequency(30.0L)), "High Beta");
    EXPECT_EQ(BaseRateFromFrequency(30.0L), 66150);
    EXPECT_EQ(SliderValueFromFrequency(0.04L), 1);
    EXPECT_EQ(SliderValueFromFrequency(0.0L), 1);
    EXPECT_EQ(SliderValueFromFrequency(-3.0L), 1);
    EXPECT_EQ(SliderValueFromFrequency(1e30L), 250);
    EXPECT_EQ(SliderValueFromFrequency(24.94L), 249);
    EXPECT_EQ(SliderValueFromFrequency(24.95L), 250); // 249.5 goes up to the even 250
}

TEST(RunParameters, PictureIntervalNeverDividesByZero) {
    EXPECT_EQ(PictureInterval(0), 5000);
    EXPECT_EQ(PictureInterval(-5), 5000);
    EXPECT_EQ(PictureInterval(3), 1666);
    EXPECT_EQ(SoundInterval(9, false), 0);
    EXPECT_EQ(SoundInterval(9, true), 1);
}

TEST(RunParameters, BandBoundaries) {
    const std::pair<int, const char*> table[] = {
        {4, ""},
        {5, "Low Delta"},
        {14, "Low Delta"},
        {15, "Delta"},
        {29, "Delta"},
        {30, "High Delta"},
        {38, "High Delta"},
        {39, "Theta/Delta"},
        {42, "Theta/Delta"},
        {43, "Low Theta"},
        {48, "Low Theta"},
        {49, "Theta"},
        {70, "Theta"},
        {71, "High Theta"},
        {76, "High Theta"},
        {77, "Alpha/Theta"},
        {81, "Alpha/Theta"},
        {82, "Low Alpha"},
        {98, "Low Alpha"},
        {99, "Alpha"},
        {123, "Alpha"},
        {124, "High Alpha"},
        {134, "High Alpha"},
        {135, "Beta/Alpha"},
        {143, "Beta/Alpha"},
        {144, "Low Beta"},
        {159, "Low Beta"},
        {160, "Beta"},
        {229, "Beta"},
        {230, "High Beta"},
    };
    for (const auto& [v, text] : table)
        EXPECT_EQ(BandLabel(v), text) << v;
    EXPECT_EQ(BandLabel(0), "");
    EXPECT_EQ(BandLabel(-1), "");
}

TEST(RunParameters, SliderAndFrequencyAgreeOnEveryTenth) {
    for (int v = kMinSliderValue; v <= kMaxSliderValue; ++v) {
        EXPECT_EQ(SliderValueFromFrequency(FrequencyFromSliderValue(v)), v);
    }
}

TEST(RunParameters, KnobsGiveLevelAndDepths) {
    EXPECT_EQ(TransformLevelFromKnob(0), 1);
    EXPECT_EQ(TransformLevelFromKnob(1), 1);
    EXPECT_EQ(TransformLevelFromKnob(15), 15);
    EXPECT_EQ(AMDepthFromKnob(0), 0);
    EXPECT_EQ(AMDepthFromKnob(5), 500);
    EXPECT_EQ(FMDepthFromKnob(3), 600);
    EXPECT_EQ(FMDepthFromKnob(10), 2000);
}
