// SPDX-License-Identifier: GPL-3.0-or-later
// Cues over the sound: the bell starts at its frame without a click and ends in silence, a stop
// fades the cues sounding and cancels those waiting, slots come back once played, and speech is
// made in the user's language or in English, never failing a session for want of a voice.

#include "SoundTestSupport.h"
#include "audio/SoundCue.h"
#include "sound/Cues.h"
#include "sound/Speech.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace soundtest;

namespace {

struct OfflineCues {
    OfflineOutput offline;
    std::shared_ptr<IDirectSound> device;
    OfflineCues() { EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK); }
    std::vector<float> Out(uint32_t frames) {
        std::vector<float> out(2 * static_cast<size_t>(frames));
        EXPECT_EQ(device->RenderOffline(out.data(), frames), DS_OK);
        return out;
    }
};

size_t FirstSound(const std::vector<float>& out) {
    for (size_t i = 0; i < out.size(); ++i)
        if (out[i] != 0.0f) return i / 2;
    return out.size();
}

} // namespace

TEST(Cues, TheBellIsSoftAtItsStartLoudAsASineAndEndsInSilence) {
    const CueSound bell = MakeBell(44100);
    ASSERT_EQ(bell.Samples.size(), 44100u * kBellMs / 1000);
    EXPECT_NEAR(CueLoudness(bell.Samples, 44100), std::numbers::sqrt2 / 2, 1e-3);
    // No click: the first sample is silent and the attack rises over milliseconds.
    EXPECT_EQ(bell.Samples[0], 0.0f);
    EXPECT_LT(std::fabs(bell.Samples[10]), 0.05f);
    float peak = 0, largestStep = 0;
    for (size_t i = 1; i < bell.Samples.size(); ++i) {
        peak = std::max(peak, std::fabs(bell.Samples[i]));
        largestStep = std::max(largestStep, std::fabs(bell.Samples[i] - bell.Samples[i - 1]));
    }
    EXPECT_LT(largestStep, peak * 0.9f); // a wave, not a step
    EXPECT_LT(std::fabs(bell.Samples.back()), 1e-6f);
    // Inharmonic: the first partial dies away, so the last half second is far quieter.
    const std::vector<float> head(bell.Samples.begin(), bell.Samples.begin() + 22050);
    const std::vector<float> tail(bell.Samples.end() - 22050, bell.Samples.end());
    double h = 0, t = 0;
    for (size_t i = 0; i < head.size(); ++i) {
        h += head[i] * head[i];
        t += tail[i] * tail[i];
    }
    EXPECT_GT(h, 100 * t);
}

TEST(Cues, ACueStartsAtTheFrameOfItsStampAndAStopFadesOrCancelsIt) {
    OfflineCues cues;
    const auto bell = BellSound(44100);
    cues.device->SetOfflineTime(1000);
    ASSERT_EQ(cues.device->PlayCue(bell, -2000), DS_OK); // -20 dB
    std::vector<float> out = cues.Out(4000);
    // The attack's first sample is 0; its second is the first heard.
    EXPECT_EQ(FirstSound(out), 1001u);
    for (size_t f = 1000; f < 4000; ++f) {
        ASSERT_NEAR(out[2 * f], bell->Samples[f - 1000] * 0.1f, 1e-6f) << f;
        ASSERT_EQ(out[2 * f], out[2 * f + 1]) << "the same in both ears";
    }
    EXPECT_EQ(cues.device->CuesStarted(), 1u);
    // Stopped at 5000: silent 10 ms later.
    cues.device->SetOfflineTime(5000);
    cues.device->StopCues();
    out = cues.Out(2000);
    EXPECT_NE(out[2 * 1000], 0.0f);
    for (size_t f = 1000 + 441 + 1; f < 2000; ++f)
        ASSERT_EQ(out[2 * f], 0.0f) << f;
    // A cue still waiting for its frame when stopped never sounds.
    cues.device->SetOfflineTime(8000);
    ASSERT_EQ(cues.device->PlayCue(bell, 0), DS_OK);
    cues.device->SetOfflineTime(6500);
    cues.device->StopCues();
    out = cues.Out(3000);
    EXPECT_EQ(FirstSound(out), out.size());
    EXPECT_EQ(cues.device->CuesStarted(), 1u);
}

TEST(Cues, SlotsComeBackOncePlayedAndBadSoundsAreRefused) {
    OfflineCues cues;
    auto shortSound = std::make_shared<CueSound>();
    shortSound->Rate = 44100;
    shortSound->Samples.assign(100, 0.5f);
    for (uint32_t i = 0; i < CueVoice::kSlots; ++i)
        ASSERT_EQ(cues.device->PlayCue(shortSound, -600), DS_OK) << i;
    EXPECT_EQ(cues.device->PlayCue(shortSound, -600), DSERR_OUTOFMEMORY);
    const std::vector<float> out = cues.Out(200);
    // Sixteen at -6 dB add up, then the limiter keeps them under full scale.
    EXPECT_GT(out[0], 0.9f);
    EXPECT_EQ(out[2 * 150], 0.0f);
    EXPECT_EQ(cues.device->PlayCue(shortSound, -600), DS_OK) << "slots let go";
    auto other = std::make_shared<CueSound>(*shortSound);
    other->Rate = 48000;
    EXPECT_EQ(cues.device->PlayCue(other, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(cues.device->PlayCue(std::make_shared<CueSound>(), 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(cues.device->PlayCue(nullptr, 0), DSERR_INVALIDPARAM);
}

TEST(Speech, SpeaksInTheUsersLanguageOrEnglishAndReportsAMissingDataFolder) {
    EXPECT_EQ(SpeechVoiceFor({"de_DE.UTF-8"}), "de");
    EXPECT_EQ(SpeechVoiceFor({"ru-RU", "de"}), "ru");
    EXPECT_EQ(SpeechVoiceFor({"pt-BR"}), "pt-br");
    // No voice for the language: English.
    EXPECT_EQ(SpeechVoiceFor({"xx-YY", "C"}), "en");
    EXPECT_EQ(SpeechVoiceFor({}), "en");
    const auto spoken = SynthesiseSpeech("Breathe in slowly.", "en", 44100);
    ASSERT_TRUE(spoken);
    EXPECT_EQ(spoken->Rate, 44100u);
    EXPECT_GT(spoken->Samples.size(), 44100u / 2); // over half a second
    EXPECT_LT(spoken->Samples.size(), 44100u * 5);
    EXPECT_NEAR(CueLoudness(spoken->Samples, 44100), std::numbers::sqrt2 / 2, 1e-3);
    // The worker makes the same off the asking thread.
    {
        TSpeechWorker worker;
        worker.Request(7, "Eins, zwei.", {"de-AT"}, 48000);
        TSpeechWorker::Result result;
        while (!worker.Take(7, result))
            std::this_thread::yield();
        ASSERT_TRUE(result.Sound) << result.Error;
        EXPECT_EQ(result.Sound->Rate, 48000u);
    }
    // Without its data the library cannot speak: said why, and nothing thrown but by speaking.
    QTemporaryDir empty;
    SetSpeechDataFolder(empty.path().toStdString());
    std::string why;
    EXPECT_EQ(SpeechVoiceFor({"en"}, &why), "");
    EXPECT_NE(why, "");
    EXPECT_THROW(SynthesiseSpeech("Hello.", "en", 44100), Exception);
    {
        TSpeechWorker worker;
        worker.Request(1, "Hello.", {"en"}, 44100);
        TSpeechWorker::Result result;
        while (!worker.Take(1, result))
            std::this_thread::yield();
        EXPECT_FALSE(result.Sound);
        EXPECT_EQ(result.Error, why);
    }
    SetSpeechDataFolder("");
    EXPECT_EQ(SpeechVoiceFor({"en"}), "en");
}
