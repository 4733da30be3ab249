// SPDX-License-Identifier: GPL-3.0-or-later
// The sound buffer wrapper: loading sounds, playing them and its failures.

#include "SoundTestSupport.h"
#include "sound/DXSounds.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace soundtest;

namespace {

class SoundBufferTest : public ::testing::Test {
protected:
    OfflineOutput offline;
    TDirectSound device{nullptr};

    static std::vector<uint8_t> Constant(int16_t level, size_t frames = 1000) {
        return Wave16(1, 44100, std::vector<int16_t>(frames, level));
    }

    static void Load(TDirectSoundBuffer& buffer, const std::vector<uint8_t>& bytes) {
        TMemoryStream stream(bytes);
        buffer.LoadFromStream(stream);
    }
};

} // namespace

TEST_F(SoundBufferTest, BuffersJoinAndLeaveTheirDevicesList) {
    auto a = std::make_unique<TDirectSoundBuffer>(device);
    auto b = std::make_unique<TDirectSoundBuffer>(device);
    EXPECT_EQ(device.BufferList(), (std::vector<TDirectSoundBuffer*>{a.get(), b.get()}));
    a.reset();
    EXPECT_EQ(device.BufferList(), (std::vector<TDirectSoundBuffer*>{b.get()}));
}

TEST_F(SoundBufferTest, AnEmptyOrMissingBufferRaisesNotMade) {
    TDirectSoundBuffer buffer(device);
    const std::string notMade = "IDirectSoundBuffer not made";
    EXPECT_EQ(Failure<EDirectSoundBufferError>([&] { buffer.Play(DSBPLAY_LOOPING); }), notMade);
    EXPECT_EQ(Failure<EDirectSoundBufferError>([&] { buffer.SetPan(0); }), notMade);
    EXPECT_EQ(Failure<EDirectSoundBufferError>([&] { buffer.Stop(); }), notMade);
    EXPECT_EQ(Failure<EDirectSoundBufferError>(
                  [&] { TDirectSoundBuffer::Require(nullptr).SetVolume(0); }),
              notMade);
}

TEST_F(SoundBufferTest, ASoundIsLoadedWholeAndStartsAtItsOwnSettings) {
    TDirectSoundBuffer buffer(device);
    Load(buffer, Constant(8192));
    EXPECT_EQ(buffer.LastResult(), DS_OK);
    EXPECT_EQ(buffer.BufferInterface()->Flags(), 0xE0u);
    EXPECT_EQ(buffer.BufferInterface()->Bytes(), 2000u);
    EXPECT_TRUE(Silent(Render(device, 64))); // loaded, not playing
    ASSERT_TRUE(buffer.Play(DSBPLAY_LOOPING));
    const auto out = Render(device, 1500);
    EXPECT_FLOAT_EQ(out[2 * 1499], 0.25f);
    EXPECT_FLOAT_EQ(out[2 * 1499 + 1], 0.25f);
}

TEST_F(SoundBufferTest, LoadingANewSoundSilencesTheOldOneUntilPlay) {
    TDirectSoundBuffer buffer(device);
    Load(buffer, Constant(8192));
    buffer.Play(DSBPLAY_LOOPING);
    Render(device, 100);
    Load(buffer, Constant(16384));
    EXPECT_TRUE(Silent(Render(device, 600)));
    buffer.Play(DSBPLAY_LOOPING);
    EXPECT_FLOAT_EQ(Render(device, 10)[0], 0.5f);
}

TEST_F(SoundBufferTest, ADamagedWaveLeavesTheOldSoundPlaying) {
    TDirectSoundBuffer buffer(device);
    Load(buffer, Constant(8192));
    buffer.Play(DSBPLAY_LOOPING);
    auto damaged = Constant(16384);
    damaged[3] = 'X';
    EXPECT_EQ(Failure<EWaveStreamError>([&] { Load(buffer, damaged); }), "Wave is invalid");
    auto truncated = Constant(16384);
    truncated.resize(truncated.size() - 10);
    EXPECT_EQ(Failure<EReadError>([&] { Load(buffer, truncated); }), "Stream read error");
    EXPECT_FLOAT_EQ(Render(device, 10)[0], 0.25f);
}

TEST_F(SoundBufferTest, ASoundThatCannotBeMadeLeavesTheBufferEmpty) {
    TDirectSoundBuffer buffer(device);
    Load(buffer, Constant(8192));
    buffer.Play(DSBPLAY_LOOPING);
    const std::string cannot = "Sound Buffer cannot be made";
    // No "fmt " chunk, no samples, an unplayable format.
    EXPECT_EQ(Failure<EDirectSoundBufferError>([&] {
                  Load(buffer, Riff({MakeChunk("data", {1, 2, 3, 4})}));
              }),
              cannot);
    EXPECT_EQ(buffer.LastResult(), DSERR_INVALIDPARAM);
    EXPECT_EQ(Failure<EDirectSoundBufferError>(
                  [&] { Load(buffer, Riff({MakeChunk("fmt ", Format(1, 1, 8000, 16))})); }),
              cannot);
    EXPECT_EQ(Failure<EDirectSoundBufferError>([&] {
                  Load(buffer,
                       Riff({MakeChunk("fmt ", Format(2, 1, 8000, 4)), MakeChunk("data", {1, 2})}));
              }),
              cannot);
    EXPECT_EQ(buffer.LastResult(), DSERR_BADFORMAT);
    EXPECT_FALSE(buffer.BufferInterface());
    EXPECT_TRUE(Silent(Render(device, 64)));
    EXPECT_EQ(Failure<EDirectSoundBufferError>([&] { buffer.SetFrequency(22050); }),
              "IDirectSoundBuffer not made");
}

TEST_F(SoundBufferTest, RefusedSettingsAreRecordedAndRaiseNothing) {
    TDirectSoundBuffer buffer(device);
    Load(buffer, Constant(8192));
    buffer.SetFrequency(-1682);
    EXPECT_EQ(buffer.LastResult(), DSERR_INVALIDPARAM);
    buffer.SetPan(20000);
    EXPECT_EQ(buffer.LastResult(), DSERR_INVALIDPARAM);
    buffer.SetVolume(-300);
    EXPECT_EQ(buffer.LastResult(), DS_OK);
    EXPECT_FALSE(buffer.Play(0x80));
    EXPECT_EQ(buffer.LastResult(), DSERR_INVALIDPARAM);
}

TEST_F(SoundBufferTest, FocusSettingsOfTheDeviceChooseTheBufferFlags) {
    TDirectSoundBuffer buffer(device);
    device.GlobalFocus = true;
    Load(buffer, Constant(1));
    EXPECT_EQ(buffer.BufferInterface()->Flags(), 0x80E0u);
    device.StickyFocus = true;
    Load(buffer, Constant(1));
    EXPECT_EQ(buffer.BufferInterface()->Flags(), 0x40E0u);
}

TEST_F(SoundBufferTest, FilesAreLoadedAndAMissingFileNamed) {
    const std::string path = testing::TempDir() + "velmora_buffer_test.wav";
    const auto bytes = Constant(4096, 50);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    TDirectSoundBuffer buffer(device);
    buffer.LoadFromFile(path);
    EXPECT_EQ(buffer.BufferInterface()->Bytes(), 100u);
    std::remove(path.c_str());
    EXPECT_EQ(Failure<EFOpenError>([&] { buffer.LoadFromFile(path); }), "Cannot open file " + path);
    EXPECT_TRUE(buffer.BufferInterface()); // the old sound stays
}

TEST_F(SoundBufferTest, ALostBufferIsReportedToItsDevice) {
    struct CountingDevice : TDirectSound {
        using TDirectSound::TDirectSound;
        int losses = 0;
        std::function<void()> whileHandling;
        void BufferLost() override {
            ++losses;
            if (whileHandling) whileHandling();
        }
    };
    CountingDevice counting(nullptr);
    TDirectSoundBuffer buffer(counting);
    Load(buffer, Constant(8192));
    buffer.SetPan(99999); // another failure is only recorded
    EXPECT_EQ(counting.losses, 0);
    buffer.BufferInterface()->TakeMemoryAwayForTest();
    counting.whileHandling = [&] {
        EXPECT_TRUE(counting.HandlingLoss());
        EXPECT_FALSE(buffer.Play(DSBPLAY_LOOPING)); // lost again, not handled again
    };
    EXPECT_FALSE(buffer.Play(DSBPLAY_LOOPING));
    EXPECT_EQ(buffer.LastResult(), DSERR_BUFFERLOST);
    EXPECT_EQ(counting.losses, 1);
    EXPECT_FALSE(counting.HandlingLoss());
    counting.whileHandling = [] { throw Exception("restore failed"); };
    EXPECT_THROW(buffer.SetVolume(0), Exception);
    EXPECT_FALSE(counting.HandlingLoss());
}

TEST_F(SoundBufferTest, ABufferOutlivingItsDeviceNoLongerReachesIt) {
    auto own = std::make_unique<TDirectSound>(nullptr);
    TDirectSoundBuffer buffer(*own);
    Load(buffer, Constant(8192));
    own.reset();
    EXPECT_EQ(buffer.Device(), nullptr);
    EXPECT_EQ(Failure<EDirectSoundError>([&] { Load(buffer, Constant(1)); }),
              "IDirectSound not made");
    EXPECT_FALSE(buffer.BufferInterface());
}
