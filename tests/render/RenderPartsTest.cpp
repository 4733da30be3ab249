// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer's parts on their own: the WAV writer and the timeline that feeds it.
#include "audio/SoundDevice.h"
#include "common/LoopingSound.h"
#include "framework/Exception.h"
#include "library/LibraryTestFiles.h"
#include "render/OfflineTimeline.h"
#include "render/SoundWriter.h"

#include <gtest/gtest.h>

namespace {

TEST(SoundWriter, AFinishedFileTakesNoMoreAndStaysAsItWas) {
    libtest::TempDir dir("wav-writer");
    const std::string path = (dir / "o.wav").string();
    TSoundWriter wav(path, TSoundFormat::Pcm16, 44100);
    const float frames[4] = {0.5f, -0.5f, 0.25f, -0.25f};
    wav.Write(frames, 2);
    wav.Finish();
    const libtest::Bytes finished = libtest::ReadFile(path);
    EXPECT_EQ(finished.size(), 44u + 2 * 4);
    EXPECT_THROW(wav.Finish(), Exception);
    EXPECT_THROW(wav.Write(frames, 2), Exception);
    EXPECT_EQ(libtest::ReadFile(path), finished);
}

TEST(OfflineTimeline, ChangesThatFindTheQueueFullFailTheRenderAndLeaveNoFile) {
    SetSoundOutputChoice(SoundOutputChoice::Offline);
    std::shared_ptr<IDirectSound> device;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    SetSoundOutputChoice(SoundOutputChoice::Device);
    const auto format = PcmFormat16(1, 44100);
    const DSBUFFERDESC desc{
        DSBUFFERDESC_SIZE, 0xE0, 4000, 0, format.data(), static_cast<uint32_t>(format.size())};
    std::shared_ptr<IDirectSoundBuffer> sound;
    ASSERT_EQ(device->CreateSoundBuffer(&desc, &sound, nullptr), DS_OK);
    sound->Play(0, 0, DSBPLAY_LOOPING);

    libtest::TempDir dir("timeline");
    const std::string path = (dir / "o.wav").string();
    {
        TSoundWriter wav(path, TSoundFormat::Pcm16, 44100);
        TOfflineTimeline timeline(*device, *sound, wav, 44100, {});
        timeline.AdvanceTo(100);
        // Far more changes than the queue holds, all before the first frame is rendered.
        for (int i = 0; i < 10000; ++i)
            sound->SetPan(i % 2 == 0 ? 100 : -100);
        ASSERT_GT(sound->OverflowedChanges(), 0u);
        try {
            timeline.Finish();
            ADD_FAILURE() << "the render went on";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find("would sound late"), std::string::npos) << e.Message();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

} // namespace
