// SPDX-License-Identifier: GPL-3.0-or-later
// Wave files written by sox load with the samples that sox itself decodes from them.

#include "SoundTestSupport.h"
#include "sound/DXSounds.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace soundtest;

namespace {

std::vector<uint8_t> RunAndRead(const std::string& command) {
    std::vector<uint8_t> bytes;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return bytes;
    uint8_t chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    pclose(pipe);
    return bytes;
}

struct SoxCase {
    const char* name;
    const char* encoding;
    int channels;
};

class SoxWaveTest : public ::testing::TestWithParam<SoxCase> {};

} // namespace

TEST_P(SoxWaveTest, LoadsAndPlaysTheSamplesSoxDecodes) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
    const SoxCase c = GetParam();
    const std::string path = testing::TempDir() + "velmora_sox_" + c.name + ".wav";
    const std::string make = "sox -D -n -r 44100 -c " + std::to_string(c.channels) + " " +
                             c.encoding + " '" + path +
                             "' synth 0.05 sine 440 sine 1250 vol 0.9 2>/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);

    // The sample bytes as sox reads them, in the file's own encoding.
    const auto raw = RunAndRead("sox '" + path + "' -t raw - 2>/dev/null");
    // The samples as floats, one per channel and frame.
    const auto f32 = RunAndRead("sox '" + path + "' -t f32 - 2>/dev/null");
    ASSERT_FALSE(raw.empty());

    TFileStream file(path, TFileMode::fmOpenRead);
    TWave wave;
    wave.LoadFromStream(file);
    ASSERT_EQ(static_cast<size_t>(wave.SampleBytes()), raw.size());
    EXPECT_EQ(std::vector<uint8_t>(wave.SampleData(), wave.SampleData() + raw.size()), raw);

    OfflineOutput offline;
    TDirectSound device(nullptr);
    TDirectSoundBuffer buffer(device);
    buffer.LoadFromWave(wave);
    ASSERT_TRUE(buffer.Play(0));
    const size_t frames = f32.size() / sizeof(float) / c.channels;
    const auto out = Render(device, static_cast<uint32_t>(frames));
    std::vector<float> expected(f32.size() / sizeof(float));
    std::memcpy(expected.data(), f32.data(), f32.size());
    double worst = 0;
    for (size_t i = 0; i < frames; ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            const float want = expected[i * c.channels + (c.channels == 2 ? ch : 0)];
            worst = std::max(worst, std::abs(double(out[2 * i + ch]) - want));
        }
    }
    EXPECT_LT(worst, 1e-6) << c.name;
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Encodings, SoxWaveTest,
                         ::testing::Values(SoxCase{"u8_mono", "-b 8 -e unsigned-integer", 1},
                                           SoxCase{"u8_stereo", "-b 8 -e unsigned-integer", 2},
                                           SoxCase{"s16_mono", "-b 16 -e signed-integer", 1},
                                           SoxCase{"s16_stereo", "-b 16 -e signed-integer", 2},
                                           SoxCase{"s24_mono", "-b 24 -e signed-integer", 1},
                                           SoxCase{"s24_stereo", "-b 24 -e signed-integer", 2},
                                           SoxCase{"s32_stereo", "-b 32 -e signed-integer", 2},
                                           SoxCase{"f32_mono", "-b 32 -e floating-point", 1},
                                           SoxCase{"f32_stereo", "-b 32 -e floating-point", 2}),
                         [](const auto& sox) { return std::string(sox.param.name); });
