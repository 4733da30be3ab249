// SPDX-License-Identifier: GPL-3.0-or-later
// Cues over the sound: the bell starts at its frame, as loud as heard as a sine, a stop
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

TEST(Cues, ACueStartsAtTheFrameOfItsStampAndAStopFadesOrCancelsIt) {
    OfflineCues cues;
    const auto bell = BellSound(44100);
    EXPECT_NEAR(CueLoudness(bell->Samples, 44100), std::numbers::sqrt2 / 2, 1e-3); // as a sine
    EXPECT_LT(std::fabs(bell->Samples.back()), 1e-6f);                             // ends silent
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
    EXPECT_EQ(cues.Out(200)[2 * 150], 0.0f);
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
    const auto spoken = SynthesiseSpeech("Breathe in slowly.", "en", 44100);
    ASSERT_TRUE(spoken);
    EXPECT_EQ(spoken->Rate, 44100u);
    EXPECT_GT(spoken->Samples.size(), 44100u / 2); // over half a second
    EXPECT_LT(spoken->Samples.size(), 44100u * 5);
    EXPECT_NEAR(CueLoudness(spoken->Samples, 44100), std::numbers::sqrt2 / 2, 1e-3);
    // Without its data the library cannot speak: said why, and nothing thrown but by speaking.
    QTemporaryDir empty;
    SetSpeechDataFolder(empty.path().toStdString());
    std::string why;
    EXPECT_EQ(SpeechVoiceFor({"en"}, &why), "");
    EXPECT_NE(why, "");
    EXPECT_THROW(SynthesiseSpeech("Hello.", "en", 44100), Exception);
    SetSpeechDataFolder("");
    EXPECT_EQ(SpeechVoiceFor({"en"}), "en");
}
