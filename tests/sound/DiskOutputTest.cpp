// SPDX-License-Identifier: GPL-3.0-or-later
// SDL's disk output writes what the mixer renders into a file, pulling its blocks on its own
// coarse clock: about 16 % more frames per second than its nominal rate. The mixer's clock
// must follow the rate the output really pulls for timed changes to land at their frames.
// Run by the disk_output test, which selects the driver; skipped elsewhere.

#include "audio/FrameClock.h"
#include "audio/SoundDevice.h"
#include "common/BalanceSweep.h"
#include "common/LoopingSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

std::vector<float> ReadSince(const std::string& path, size_t fromBytes) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    const auto size = static_cast<size_t>(in.tellg());
    std::vector<float> samples(size > fromBytes ? (size - fromBytes) / sizeof(float) : 0);
    in.seekg(static_cast<std::streamoff>(fromBytes));
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * sizeof(float)));
    return samples;
}

} // namespace

TEST(DiskOutput, EveryStepOfA2MsSweepIsHeardAtTheRateTheOutputPulls) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const char* file = std::getenv("SDL_DISKAUDIOFILE");
    if (driver == nullptr || std::strcmp(driver, "disk") != 0 || file == nullptr)
        GTEST_SKIP() << "needs SDL_AUDIODRIVER=disk and SDL_DISKAUDIOFILE";
    std::shared_ptr<IDirectSound> device;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    ASSERT_STREQ(device->OutputName(), "sdl");
    auto buffer = PlayLooping(*device, 44100, std::vector<int16_t>(2 * 4410, 16384), -3000);
    ASSERT_TRUE(buffer);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // the clock locks on
    const size_t from = std::filesystem::file_size(file);
    const auto wrote = std::chrono::steady_clock::now();

    constexpr int kSteps = 500;
    auto pan = [](int i) { return -2495 + 10 * i; };
    sweep::Every(std::chrono::microseconds(2000), kSteps, [&](int i, int64_t due) {
        const ScopedChangeStamp stamp(due);
        buffer->SetPan(pan(i));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto rec = ReadSince(file, from);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wrote).count();
    buffer->Stop();

    // The output's own pace, measured as it wrote: a 2 ms step spans this many frames of it.
    const double stepFrames = double(rec.size() / 2) / seconds * 0.002;
    const std::vector<size_t> foundAt = sweep::FindLevels(rec, kSteps, pan);
    EXPECT_EQ(std::count(foundAt.begin(), foundAt.end(), size_t(0)), 0) << "steps not heard";
    std::vector<double> spacing;
    for (int i = 1; i < kSteps; ++i)
        if (foundAt[i] != 0 && foundAt[i - 1] != 0)
            spacing.push_back(double(foundAt[i] - foundAt[i - 1]));
    ASSERT_FALSE(spacing.empty());
    std::sort(spacing.begin(), spacing.end());
    EXPECT_NEAR(spacing[spacing.size() / 2], stepFrames, stepFrames * 0.05)
        << "the output pulled " << stepFrames / 2 << " frames per ms";
}
