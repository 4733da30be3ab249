// SPDX-License-Identifier: GPL-3.0-or-later
// The modulation step, the volume steps and the sound timer's interval.

#include "sound/ModulationStep.h"
#include "SoundTestSupport.h"
#include "sound/DXSounds.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

class ModulationTest : public ::testing::Test {
protected:
    OfflineOutput offline;
    TDirectSound device{nullptr};
    TDirectSoundBuffer buffer{device};

    void SetUp() override {
        TMemoryStream stream(Wave16(1, 22050, std::vector<int16_t>(100, 1000)));
        buffer.LoadFromStream(stream);
    }

    int32_t Pan() {
        int32_t pan = 0;
        buffer.BufferInterface()->GetPan(&pan);
        return pan;
    }
    uint32_t Rate() {
        uint32_t rate = 0;
        buffer.BufferInterface()->GetFrequency(&rate);
        return rate;
    }
};

} // namespace

TEST_F(ModulationTest, TenStepsAtTheLargestDepthsGiveTheTabledPansAndRates) {
    const int32_t pans[] = {0, 294, 476, 476, 294, 0, -294, -476, -476, -294};
    const int32_t offsets[] = {0, 1176, 1902, 1902, 1176, 0, -1176, -1902, -1902, -1176};
    int32_t phase = 0;
    for (int k = 1; k <= 10; ++k) {
        const ModulationValues v = ModulationStep(phase, 500, 2000, 15435, &buffer);
        EXPECT_EQ(v.step, k);
        EXPECT_EQ(Pan(), pans[k - 1]) << k;
        EXPECT_EQ(Rate(), uint32_t(15435 + offsets[k - 1])) << k;
        EXPECT_EQ(phase, k % 10);
    }
}

TEST_F(ModulationTest, SmallDepthsRoundHalfToEven) {
    const int32_t pans[] = {0, 59, 95, 95, 59, 0, -59, -95, -95, -59};
    const int32_t offsets[] = {0, 118, 190, 190, 118, 0, -118, -190, -190, -118};
    for (int32_t phase = 0; phase < 10; ++phase) {
        EXPECT_EQ(ModulationFor(phase, 100, 200, 1000).pan, pans[phase]);
        EXPECT_EQ(ModulationFor(phase, 100, 200, 1000).rate, 1000 + offsets[phase]);
    }
    // 0.5878 x 250 = 146.95 and 0.9511 x 50 = 47.555 go to the nearest integer.
    EXPECT_EQ(ModulationFor(1, 250, 0, 0).pan, 147);
    EXPECT_EQ(ModulationFor(2, 50, 0, 0).pan, 48);
    EXPECT_EQ(ModulationFor(6, 250, 0, 0).pan, -147);
}

TEST_F(ModulationTest, ZeroDepthsStillSetPanAndRateEveryStep) {
    int32_t phase = 3;
    buffer.SetPan(500);
    buffer.SetFrequency(30000);
    ModulationStep(phase, 0, 0, 15435, &buffer);
    EXPECT_EQ(Pan(), 0);
    EXPECT_EQ(Rate(), 15435u);
    EXPECT_EQ(phase, 4);
}

TEST_F(ModulationTest, ARunStoppedAtPhaseFourContinuesWithStepFive) {
    int32_t phase = 4;
    EXPECT_EQ(ModulationStep(phase, 500, 0, 22050, &buffer).step, 5);
    EXPECT_EQ(Pan(), 294);
}

TEST_F(ModulationTest, RatesTheOutputRefusesLeaveTheLastAcceptedRate) {
    // 0.1 Hz: base 220 and the deepest swing ask for rates below the lowest, and below 0.
    int32_t phase = 0;
    uint32_t lastAccepted = 0;
    for (int k = 1; k <= 10; ++k) {
        const ModulationValues v = ModulationStep(phase, 0, 2000, 220, &buffer);
        if (v.rate >= 100) {
            EXPECT_EQ(buffer.LastResult(), DS_OK);
            lastAccepted = static_cast<uint32_t>(v.rate);
        } else {
            EXPECT_EQ(buffer.LastResult(), DSERR_INVALIDPARAM) << k;
        }
        EXPECT_EQ(Rate(), lastAccepted) << k;
    }
}

TEST_F(ModulationTest, AMissingBufferRaisesAndThePhaseStaysInRange) {
    int32_t phase = 9;
    EXPECT_THROW(ModulationStep(phase, 500, 2000, 15435, nullptr), EDirectSoundBufferError);
    EXPECT_EQ(phase, 0);
    EXPECT_THROW(ApplyVolumeStep(3, nullptr), EDirectSoundBufferError);
    int32_t wild = 57;
    EXPECT_EQ(ModulationStep(wild, 500, 0, 15435, &buffer).step, 8);
}

TEST_F(ModulationTest, TheVolumeKnobUsesItsTable) {
    const int32_t table[] = {-10000, -2500, -2000, -1500, -1200, -1000, -900, -500, -300, -100, 0};
    for (int32_t position = 0; position <= 10; ++position) {
        ApplyVolumeStep(position, &buffer);
        int32_t volume = 1;
        buffer.BufferInterface()->GetVolume(&volume);
        EXPECT_EQ(volume, table[position]);
    }
    ApplyVolumeStep(3, &buffer);
    ApplyVolumeStep(11, &buffer);
    ApplyVolumeStep(-1, &buffer);
    int32_t volume = 1;
    buffer.BufferInterface()->GetVolume(&volume);
    EXPECT_EQ(volume, -1500);
}
