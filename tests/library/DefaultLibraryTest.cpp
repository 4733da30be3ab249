// SPDX-License-Identifier: GPL-3.0-or-later
// The generated default library main.zdl: enough pictures and sounds of the promised form,
// palettes that cycle without a seam, sounds that loop without a click, and noises whose
// spectra fall as their names promise.

#include "library/LibraryFormat.h"
#include "library/NameLists.h"
#include "library/PackedDib.h"
#include "platform/LittleEndian.h"
#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <iostream>
#include <numbers>
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

namespace {

// In-place radix-2 FFT of a power-of-two length.
void Transform(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (size_t k = 0; k < len / 2; ++k, w *= turn) {
                const auto u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// The power density of a looping sound, averaged over Hann-windowed pieces that run on across
// the loop's seam as the sound does when it plays.
std::vector<double> Density(const std::vector<double>& x, size_t piece) {
    std::vector<double> power(piece / 2, 0.0);
    for (size_t start = 0; start < x.size(); start += piece / 2) {
        std::vector<std::complex<double>> a(piece);
        for (size_t i = 0; i < piece; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(piece));
            a[i] = w * x[(start + i) % x.size()];
        }
        Transform(a);
        for (size_t k = 0; k < piece / 2; ++k)
            power[k] += std::norm(a[k]);
    }
    return power;
}

double BandDensity(const std::vector<double>& power, double rate, double from, double to) {
    const double bin = rate / (2.0 * double(power.size()));
    double sum = 0;
    int count = 0;
    for (size_t k = size_t(std::ceil(from / bin)); double(k) * bin < to; ++k, ++count)
        sum += power[k];
    return sum / count;
}

double Rms(const std::vector<double>& x, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += x[i] * x[i];
    return std::sqrt(sum / double(to - from));
}

} // namespace

TEST_F(DefaultLibrary, NoisesFallByTheirSlopeAndRunOnAcrossTheSeam) {
    for (const auto& [name, slope] : {std::pair<std::string, double>{"Pink Noise", -3.0},
                                      std::pair<std::string, double>{"Brown Noise", -6.0}}) {
        const auto d = FindResourceData(module, name, kSoundType);
        ASSERT_TRUE(d) << name;
        const uint8_t* w = d->Data;
        ASSERT_EQ(w[22], 1) << name; // mono
        const uint32_t bytes = U32(w + 40);
        ASSERT_LE(44 + size_t{bytes}, d->Size);
        std::vector<double> x(bytes / 2);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = static_cast<int16_t>(w[44 + 2 * i] | (w[45 + 2 * i] << 8)) / 32768.0;
        EXPECT_GE(x.size() / 22050.0, 4.0) << name;

        // Octaves from 125 Hz up to 8 kHz, stepping by half an octave.
        const std::vector<double> power = Density(x, 4096);
        std::vector<double> octaves;
        for (int k = 0; k <= 10; ++k) {
            const double low = 125 * std::pow(2.0, k / 2.0);
            octaves.push_back(10 * std::log10(BandDensity(power, 22050, low, 2 * low)));
        }
        std::string seen;
        for (size_t k = 0; k + 2 < octaves.size(); ++k) {
            const double step = octaves[k + 2] - octaves[k];
            seen += " " + std::to_string(step).substr(0, 5);
            EXPECT_NEAR(step, slope, 1.0)
                << name << " from " << 125 * std::pow(2.0, k / 2.0) << " Hz";
        }
        std::cout << name << ": dB per octave" << seen << "; " << bytes << " bytes of samples\n";

        // The seam is no fade: the level at the end and at the start is the sound's own.
        const size_t tenth = 2205;
        const double whole = Rms(x, 0, x.size());
        EXPECT_GT(Rms(x, 0, tenth), 0.5 * whole) << name;
        EXPECT_GT(Rms(x, x.size() - tenth, x.size()), 0.5 * whole) << name;
    }
}
