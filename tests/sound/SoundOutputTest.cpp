// SPDX-License-Identifier: GPL-3.0-or-later
// The sound output rendered offline: units of pan and volume, pitch, playback state,
// buffer access and the formats it plays or refuses.

#include "audio/SoundOutput.h"
#include "SoundTestSupport.h"
#include "audio/SoundMixer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace soundtest;

namespace {

class SoundOutputTest : public ::testing::Test {
protected:
    OfflineOutput offline;
    std::shared_ptr<IDirectSound> device;

    void SetUp() override {
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        ASSERT_STREQ(device->OutputName(), "offline");
    }

    std::shared_ptr<IDirectSoundBuffer> Make(const std::vector<uint8_t>& format,
                                             const std::vector<uint8_t>& data,
                                             uint32_t flags = 0xE0) {
        DSBUFFERDESC desc;
        desc.dwSize = DSBUFFERDESC_SIZE;
        desc.dwFlags = flags;
        desc.dwBufferBytes = static_cast<uint32_t>(data.size());
        desc.lpwfxFormat = format.data();
        desc.formatBytes = static_cast<uint32_t>(format.size());
        std::shared_ptr<IDirectSoundBuffer> buffer;
        EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        if (buffer) Fill(*buffer, data);
        return buffer;
    }

    static void Fill(IDirectSoundBuffer& buffer, const std::vector<uint8_t>& data) {
        void *r1, *r2;
        uint32_t b1, b2;
        ASSERT_EQ(buffer.Lock(0, static_cast<uint32_t>(data.size()), &r1, &b1, &r2, &b2, 0), DS_OK);
        std::memcpy(r1, data.data(), b1);
        ASSERT_EQ(buffer.Unlock(r1, b1, r2, b2), DS_OK);
    }

    std::vector<float> Out(uint32_t frames) {
        std::vector<float> out(2 * static_cast<size_t>(frames));
        EXPECT_EQ(device->RenderOffline(out.data(), frames), DS_OK);
        return out;
    }

    // A stereo buffer holding a constant level of one half on both channels.
    std::shared_ptr<IDirectSoundBuffer> Constant() {
        return Make(Format(1, 2, 44100, 16), Samples16(std::vector<int16_t>(2000, 16384)));
    }
};

double Decibels(double level) {
    return 20.0 * std::log10(level / 0.5);
}

} // namespace

TEST_F(SoundOutputTest, PanAndVolumeAttenuateByTheirHundredthsOfADecibel) {
    struct Case {
        int32_t pan, volume;
        double left, right; // dB
    };
    const Case cases[] = {{0, 0, 0, 0},         {300, 0, -3, 0},        {-1500, 0, 0, -15},
                          {0, -1200, -12, -12}, {476, -500, -9.76, -5}, {-294, -2500, -25, -27.94},
                          {9000, 0, -90, 0}};
    auto buffer = Constant();
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    for (const Case& c : cases) {
        ASSERT_EQ(buffer->SetPan(c.pan), DS_OK);
        ASSERT_EQ(buffer->SetVolume(c.volume), DS_OK);
        const auto out = Out(1024); // the glide to new settings ends well within this
        const size_t last = 1023;
        EXPECT_NEAR(Decibels(out[2 * last]), c.left, 0.1) << c.pan << " " << c.volume;
        EXPECT_NEAR(Decibels(out[2 * last + 1]), c.right, 0.1) << c.pan << " " << c.volume;
    }
}

TEST_F(SoundOutputTest, FullPanAndLowestVolumeAreSilence) {
    auto buffer = Constant();
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    buffer->SetPan(10000);
    auto out = Out(1024);
    EXPECT_EQ(out[2 * 1023], 0.0f);
    EXPECT_NEAR(out[2 * 1023 + 1], 0.5f, 1e-6);
    buffer->SetPan(0);
    buffer->SetVolume(-10000);
    Out(1024);
    EXPECT_TRUE(Silent(Out(512)));
}

TEST_F(SoundOutputTest, AChangeOfPanGlidesOverAboutOneAndAHalfMilliseconds) {
    auto buffer = Constant();
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    Out(512);
    buffer->SetPan(10000);
    const auto out = Out(512);
    // The first block after the call carries the change at once...
    EXPECT_LT(out[0], 0.5f);
    float largestStep = 0;
    size_t settled = 0;
    for (size_t i = 1; i < 512; ++i) {
        largestStep = std::max(largestStep, std::abs(out[2 * i] - out[2 * (i - 1)]));
        if (out[2 * i] == 0.0f && settled == 0) settled = i;
    }
    // ...but in small steps: no jump of more than a fiftieth of the level.
    EXPECT_LT(largestStep, 0.5f / 50);
    EXPECT_GT(settled, 44u); // more than 1 ms
    EXPECT_LE(settled, 89u); // at most 2 ms
}

TEST_F(SoundOutputTest, ThePlaybackRateMovesThePitchByItsRatio) {
    // 100 periods of 441 Hz at 44100 samples per second loop without a seam.
    std::vector<int16_t> sine(10000);
    for (size_t i = 0; i < sine.size(); ++i) {
        sine[i] = static_cast<int16_t>(std::lround(12000 * std::sin(2 * M_PI * 441 * i / 44100.0)));
    }
    auto buffer = Make(Format(1, 1, 44100, 16), Samples16(sine));
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    for (uint32_t rate : {22050u, 44100u, 66150u, 11025u}) {
        ASSERT_EQ(buffer->SetFrequency(rate), DS_OK);
        const auto out = Out(44100);
        int crossings = 0;
        for (size_t i = 1; i < 44100; ++i) {
            if (out[2 * (i - 1)] < 0 && out[2 * i] >= 0) ++crossings;
        }
        EXPECT_NEAR(crossings, 441.0 * rate / 44100, 1.0) << rate;
    }
}

TEST_F(SoundOutputTest, StopKeepsThePositionAndPlayContinuesFromIt) {
    std::vector<int16_t> ramp(3000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i);
    auto buffer = Make(Format(1, 1, 44100, 16), Samples16(ramp));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    auto out = Out(1000);
    EXPECT_FLOAT_EQ(out[2 * 999], 999 / 32768.0f);
    ASSERT_EQ(buffer->Stop(), DS_OK);
    EXPECT_TRUE(Silent(Out(700)));
    uint32_t position = 0;
    buffer->GetCurrentPosition(&position);
    EXPECT_EQ(position, 2000u);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    out = Out(2500);
    EXPECT_FLOAT_EQ(out[0], 1000 / 32768.0f);
    // Looping goes from the end straight back to the start.
    EXPECT_FLOAT_EQ(out[2 * 1999], 2999 / 32768.0f);
    EXPECT_FLOAT_EQ(out[2 * 2000], 0.0f);
    EXPECT_FLOAT_EQ(out[2 * 2001], 1 / 32768.0f);
}

TEST_F(SoundOutputTest, PlayedOnceASoundStopsAtItsEndAndStartsAgainFromTheBeginning) {
    auto buffer = Make(Format(1, 1, 44100, 16), Samples16(std::vector<int16_t>(300, 8192)));
    buffer->Play(0, 0, 0);
    auto out = Out(512);
    EXPECT_FLOAT_EQ(out[2 * 298], 0.25f);
    EXPECT_EQ(out[2 * 300], 0.0f);
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    buffer->Play(0, 0, 0);
    out = Out(16);
    EXPECT_FLOAT_EQ(out[0], 0.25f);
}

TEST_F(SoundOutputTest, PlayedOnceASoundEndingOnAPullsEdgeOrAChangesFrameStopsThere) {
    struct Case {
        uint32_t frames, rate;
        bool change; // a change due on the frame after the sound's last
    };
    const Case cases[] = {{511, 44100, false},  {512, 44100, false}, {513, 44100, false},
                          {1024, 44100, false}, {300, 44100, true},  {512, 44100, true},
                          {256, 22050, false},  {200, 22050, true}};
    uint64_t rendered = 0;
    for (const Case& c : cases) {
        auto buffer =
            Make(Format(1, 1, c.rate, 16), Samples16(std::vector<int16_t>(c.frames, 8192)));
        const uint64_t heard = uint64_t{c.frames} * 44100 / c.rate;
        if (c.change) {
            device->SetOfflineTime(rendered + heard);
            buffer->SetPan(100); // lowers the left channel only
        }
        ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
        uint64_t last = 0; // one past the last frame heard on the right
        for (uint64_t at = 0; at < heard + 1024; at += 512) {
            const auto out = Out(512);
            for (size_t i = 0; i < 512; ++i) {
                if (out[2 * i + 1] != 0.0f) last = at + i + 1;
            }
        }
        rendered += (heard + 1024 + 511) / 512 * 512;
        EXPECT_EQ(last, heard) << c.frames << " at " << c.rate << (c.change ? " changed" : "");
        uint32_t status = 0, position = 1;
        buffer->GetStatus(&status);
        buffer->GetCurrentPosition(&position);
        EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u) << c.frames << " at " << c.rate;
        EXPECT_EQ(position, 0u) << c.frames << " at " << c.rate;
    }
}

TEST_F(SoundOutputTest, SettingsOutOfRangeAreRefusedAndTheOldOnesKept) {
    auto buffer = Constant();
    ASSERT_EQ(buffer->SetFrequency(100), DS_OK);
    ASSERT_EQ(buffer->SetFrequency(100000), DS_OK);
    ASSERT_EQ(buffer->SetPan(-10000), DS_OK);
    ASSERT_EQ(buffer->SetVolume(-10000), DS_OK);
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(100001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(static_cast<uint32_t>(-1682)), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    uint32_t rate;
    int32_t pan, volume;
    buffer->GetFrequency(&rate);
    buffer->GetPan(&pan);
    buffer->GetVolume(&volume);
    EXPECT_EQ(rate, 100000u);
    EXPECT_EQ(pan, -10000);
    EXPECT_EQ(volume, -10000);

    // A new buffer starts at its sound's rate, centred, at full volume.
    auto fresh = Make(Format(1, 1, 22050, 8), std::vector<uint8_t>(100, 128));
    fresh->GetFrequency(&rate);
    fresh->GetPan(&pan);
    fresh->GetVolume(&volume);
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(pan, 0);
    EXPECT_EQ(volume, 0);
}

TEST_F(SoundOutputTest, ALockedRangeThatWrapsComesBackInTwoRegions) {
    auto buffer = Make(Format(1, 1, 8000, 8), std::vector<uint8_t>(1000, 128));
    void *r1, *r2;
    uint32_t b1, b2;
    ASSERT_EQ(buffer->Lock(800, 400, &r1, &b1, &r2, &b2, 0), DS_OK);
    EXPECT_EQ(b1, 200u);
    EXPECT_EQ(b2, 200u);
    EXPECT_EQ(static_cast<uint8_t*>(r1) - static_cast<uint8_t*>(r2), 800);
    EXPECT_EQ(buffer->Unlock(r1, b1, r2, b2), DS_OK);
    ASSERT_EQ(buffer->Lock(0, 1000, &r1, &b1, &r2, &b2, 0), DS_OK);
    EXPECT_EQ(b1, 1000u);
    EXPECT_EQ(r2, nullptr);
    EXPECT_EQ(b2, 0u);
    EXPECT_EQ(buffer->Unlock(r1, b1, r2, b2), DS_OK);
    EXPECT_EQ(buffer->Lock(1000, 1, &r1, &b1, &r2, &b2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 1001, &r1, &b1, &r2, &b2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 0, &r1, &b1, &r2, &b2, 0), DSERR_INVALIDPARAM);
    ASSERT_EQ(buffer->Lock(0, 10, &r1, &b1, &r2, &b2, 0), DS_OK);
    EXPECT_EQ(buffer->Unlock(static_cast<uint8_t*>(r1) + 1, b1, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(r1, 5000, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(SoundOutputTest, PlayableFormatsAreDecodedToTheSameLevel) {
    // Each format holds one frame of a quarter of full scale, left positive, right negative.
    struct Case {
        uint16_t tag, bits;
        std::vector<uint8_t> frame;
    };
    const Case cases[] = {
        {1, 8, {160, 96}},
        {1, 16, {0x00, 0x20, 0x00, 0xE0}},
        {1, 24, {0x00, 0x00, 0x20, 0x00, 0x00, 0xE0}},
        {1, 32, {0, 0, 0, 0x20, 0, 0, 0, 0xE0}},
        {3, 32, {0, 0, 0x80, 0x3E, 0, 0, 0x80, 0xBE}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> data;
        for (int i = 0; i < 64; ++i)
            data.insert(data.end(), c.frame.begin(), c.frame.end());
        auto buffer = Make(Format(c.tag, 2, 44100, c.bits), data);
        ASSERT_TRUE(buffer) << c.bits;
        buffer->Play(0, 0, DSBPLAY_LOOPING);
        const auto out = Out(8);
        EXPECT_FLOAT_EQ(out[8], 0.25f) << c.tag << "/" << c.bits;
        EXPECT_FLOAT_EQ(out[9], -0.25f) << c.tag << "/" << c.bits;
        buffer->Stop();
    }
}

TEST_F(SoundOutputTest, OtherFormatsAndDescriptionsAreRefused) {
    const std::vector<uint8_t> data(64);
    auto refuse = [&](const std::vector<uint8_t>& format, uint32_t flags = 0xE0,
                      uint32_t bytes = 64) {
        DSBUFFERDESC desc;
        desc.dwSize = DSBUFFERDESC_SIZE;
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = format.empty() ? nullptr : format.data();
        desc.formatBytes = static_cast<uint32_t>(format.size());
        std::shared_ptr<IDirectSoundBuffer> buffer;
        const HRESULT r = device->CreateSoundBuffer(&desc, &buffer, nullptr);
        EXPECT_FALSE(buffer);
        return r;
    };
    EXPECT_EQ(refuse(Format(2, 1, 8000, 4)), DSERR_BADFORMAT);  // compressed
    EXPECT_EQ(refuse(Format(1, 3, 8000, 16)), DSERR_BADFORMAT); // three channels
    EXPECT_EQ(refuse(Format(1, 0, 8000, 16)), DSERR_BADFORMAT);
    EXPECT_EQ(refuse(Format(1, 1, 8000, 12)), DSERR_BADFORMAT);
    EXPECT_EQ(refuse(Format(3, 1, 8000, 16)), DSERR_BADFORMAT); // 16-bit float
    EXPECT_EQ(refuse(Format(1, 1, 99, 16)), DSERR_BADFORMAT);
    EXPECT_EQ(refuse(Format(1, 1, 200001, 16)), DSERR_BADFORMAT);
    auto misaligned = Format(1, 2, 8000, 16);
    misaligned[12] = 3;
    EXPECT_EQ(refuse(misaligned), DSERR_BADFORMAT);
    auto shortBlock = Format(1, 1, 8000, 16);
    shortBlock.resize(14);
    EXPECT_EQ(refuse(shortBlock), DSERR_BADFORMAT);
    auto extensible = Format(0xFFFE, 1, 8000, 16); // claims the extension without its bytes
    EXPECT_EQ(refuse(extensible), DSERR_BADFORMAT);
    EXPECT_EQ(refuse({}), DSERR_INVALIDPARAM);
    EXPECT_EQ(refuse(Format(1, 1, 8000, 16), 0xE0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(refuse(Format(1, 1, 8000, 16), 0xE0 | DSBCAPS_GLOBALFOCUS | DSBCAPS_STICKYFOCUS),
              DSERR_INVALIDPARAM);

    std::shared_ptr<IDirectSoundBuffer> ok;
    for (uint32_t rate : {100u, 200000u}) {
        auto format = Format(1, 1, rate, 16);
        DSBUFFERDESC desc{DSBUFFERDESC_SIZE, 0xE0, 64, 0, format.data(), 16};
        EXPECT_EQ(device->CreateSoundBuffer(&desc, &ok, nullptr), DS_OK) << rate;
    }
}

TEST_F(SoundOutputTest, TheCooperativeLevelNeedsAWindowAndAKnownLevel) {
    EXPECT_EQ(device->SetCooperativeLevel(0, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(7, 9), DSERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(7, DSSCL_EXCLUSIVE), DS_OK);
    EXPECT_EQ(device->CooperativeWindow(), 7u);
    EXPECT_EQ(device->CooperativeLevel(), DSSCL_EXCLUSIVE);
}

TEST_F(SoundOutputTest, ABufferWhoseMemoryIsTakenAwayReportsItsLoss) {
    auto buffer = Constant();
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    buffer->TakeMemoryAwayForTest();
    EXPECT_TRUE(Silent(Out(512)));
    void *r1, *r2;
    uint32_t b1, b2;
    EXPECT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DSERR_BUFFERLOST);
    EXPECT_EQ(buffer->Lock(0, 4, &r1, &b1, &r2, &b2, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(buffer->SetPan(0), DSERR_BUFFERLOST);
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_BUFFERLOST);
}

TEST(SoundOutput, BuffersComeAndGoWhileTheNullOutputMixes) {
    SetSoundOutputChoice(SoundOutputChoice::Null);
    std::shared_ptr<IDirectSound> device;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    SetSoundOutputChoice(SoundOutputChoice::Device);
    EXPECT_STREQ(device->OutputName(), "null");
    EXPECT_EQ(device->OutputBlockFrames(), 512u);
    const auto format = Format(1, 2, 22050, 16);
    const DSBUFFERDESC desc{DSBUFFERDESC_SIZE, 0xE0, 4000, 0, format.data(), 16};
    std::shared_ptr<IDirectSoundBuffer> keep;
    ASSERT_EQ(device->CreateSoundBuffer(&desc, &keep, nullptr), DS_OK);
    keep->Play(0, 0, DSBPLAY_LOOPING);
    for (int i = 0; i < 40; ++i) {
        std::shared_ptr<IDirectSoundBuffer> buffer;
        ASSERT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        buffer->Play(0, 0, DSBPLAY_LOOPING);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    // The null output consumes samples in real time: the kept sound has moved on.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    uint32_t position = 0;
    keep->GetCurrentPosition(&position);
    EXPECT_GT(position, 0u);
    // The device may go first; its buffers keep what they need alive.
    device.reset();
    EXPECT_EQ(keep->Stop(), DS_OK);
}

TEST(SoundOutput, OpeningTheSdlOutputLeavesTheEnvironmentAsItFoundIt) {
    // Threads run by then (a speech library may have left its own), and one may be reading the
    // environment. The check runs in a process of its own, the test program started again for
    // this test alone, so that its change of the environment meets no other thread.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("PULSE_LATENCY_MSEC");
            SoundMixer mixer(kOutputRate);
            if (auto output = OpenSdlOutput(mixer)) output->Close();
            _exit(std::getenv("PULSE_LATENCY_MSEC") == nullptr ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}

TEST(SoundMixer, RemovedVoicesAreFreedOnlyAfterTheBlockThatMayHoldThem) {
    SoundMixer mixer(44100);
    SampleFormat format{SampleKind::S16, 1, 44100, 2};
    auto voice = std::make_unique<MixerVoice>(format, 64);
    ASSERT_TRUE(mixer.AddVoice(voice.get()));
    mixer.RemoveVoice(std::move(voice));
    EXPECT_EQ(mixer.PendingRemovals(), 0u); // nothing was mixing: freed at once
    std::vector<std::unique_ptr<MixerVoice>> voices;
    for (size_t i = 0; i < SoundMixer::kMaxVoices; ++i) {
        voices.push_back(std::make_unique<MixerVoice>(format, 64));
        ASSERT_TRUE(mixer.AddVoice(voices.back().get())) << i;
    }
    MixerVoice extra(format, 64);
    EXPECT_FALSE(mixer.AddVoice(&extra));
    for (auto& v : voices)
        mixer.RemoveVoice(std::move(v));
    EXPECT_TRUE(mixer.AddVoice(&extra));
    mixer.RemoveVoice(nullptr);
}
