// SPDX-License-Identifier: GPL-3.0-or-later
// The generated default library main.zdl: enough pictures and sounds of the promised form,
// palettes that cycle without a seam and sounds that loop without a click.

#include "library/LibraryFormat.h"
#include "library/NameLists.h"
#include "library/PackedDib.h"
#include "platform/LittleEndian.h"
#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

namespace {

class DefaultLibrary : public testing::Test {
protected:
    void SetUp() override {
        module = LoadResourceModule(std::string(VELMORA_BINARY_DIR) + "/main.zdl");
        ASSERT_NE(module, kNoModule) << "main.zdl is made by the build";
    }
    void TearDown() override { FreeResourceModule(module); }

    std::vector<std::string> List(const char* name) {
        const auto d = FindResourceData(module, name, kListType);
        return d ? SplitNameList(d->Data, d->Size) : std::vector<std::string>{};
    }

    TModuleHandle module = kNoModule;
};

uint32_t U32(const uint8_t* p) {
    return ReadLe32(p);
}

} // namespace

TEST_F(DefaultLibrary, PicturesAreLargeEightBitAndCycleSmoothly) {
    const auto names = List(kPictureList);
    ASSERT_GE(names.size(), 6u);
    std::set<uint32_t> checksums;
    for (const std::string& name : names) {
        const auto d = FindResourceData(module, name, RT_BITMAP);
        ASSERT_TRUE(d) << name;
        const auto s = DescribePackedDib(d->Data, d->Size);
        ASSERT_TRUE(s) << name;
        EXPECT_EQ(s->BitCount, 8) << name;
        EXPECT_GE(s->Width, 640) << name;
        EXPECT_GE(std::abs(s->Height), 480) << name;
        // Neighbouring palette entries, 255 to 0 included, are close: no seam when cycling.
        const uint8_t* colours = d->Data + s->HeaderSize;
        int worst = 0;
        for (int i = 0; i < 256; ++i) {
            const uint8_t* a = colours + 4 * i;
            const uint8_t* b = colours + 4 * ((i + 1) % 256);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(a[c] - b[c]));
        }
        EXPECT_LE(worst, 16) << name << ": palette step";
        // Every picture uses most of its palette.
        std::set<uint8_t> used(d->Data + s->HeaderSize + s->ColorBytes, d->Data + d->Size);
        EXPECT_GE(used.size(), 200u) << name;
        uint32_t sum = 0;
        for (std::size_t i = 0; i < d->Size; i += 97)
            sum = sum * 31 + d->Data[i];
        checksums.insert(sum);
    }
    EXPECT_EQ(checksums.size(), names.size()) << "every motif differs";
}

TEST_F(DefaultLibrary, SoundsLoopWithoutAClick) {
    const auto names = List(kSoundList);
    ASSERT_GE(names.size(), 5u);
    for (const std::string& name : names) {
        const auto d = FindResourceData(module, name, kSoundType);
        ASSERT_TRUE(d) << name;
        ASSERT_GE(d->Size, 44u);
        const uint8_t* w = d->Data;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(w), 4), "RIFF");
        EXPECT_EQ(U32(w + 24), 22050u) << name;
        EXPECT_EQ(w[34], 16) << name;
        const uint32_t bytes = U32(w + 40);
        ASSERT_LE(44 + std::size_t{bytes}, d->Size);
        const double seconds = bytes / 2.0 / w[22] / 22050.0;
        EXPECT_GE(seconds, 2.0) << name;
        EXPECT_LE(seconds, 10.0) << name;
        std::vector<int> samples(bytes / 2);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<int16_t>(w[44 + 2 * i] | (w[45 + 2 * i] << 8));
        }
        // The step from the last sample to the first is one the sound also takes inside
        // itself: no larger than nearly all its steps, or than twice the steps beside it.
        std::vector<int> steps;
        for (std::size_t i = 1; i < samples.size(); ++i) {
            steps.push_back(std::abs(samples[i] - samples[i - 1]));
        }
        const int beside = std::max(steps.front(), steps.back());
        std::sort(steps.begin(), steps.end());
        const int usual = steps[steps.size() * 999 / 1000];
        const int jump = std::abs(samples.front() - samples.back());
        EXPECT_LE(jump, std::max(usual, 2 * beside))
            << name << ": steps " << usual << ", " << beside;
        EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 8000) << name << " is audible";
    }
}
