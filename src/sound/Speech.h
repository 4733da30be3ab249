// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts spoken through libespeak-ng into cue sounds (audio/SoundCue.h). The library keeps its
// state for the whole process, so every call here takes one lock; TSpeechWorker keeps the
// speaking off the thread that asks for it.

#include "audio/SoundCue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The first of the languages ("de-DE", "de_DE.UTF-8", "pt-BR", "C") that the library has a
// voice for, as it names the voice's language ("de", "pt-br"); "en" when none of them has one;
// empty when the library cannot speak at all, with the reason in why (once the data folder is
// missing, say).
std::string SpeechVoiceFor(const std::vector<std::string>& languages, std::string* why = nullptr);
// The user's languages, most wanted first: the list in LANGUAGE, then the locale's.
std::vector<std::string> UserSpeechLanguages();

// Speaks a text with a voice (SpeechVoiceFor) into a sound at rate, at the loudness of a
// full-scale sine. Fails with an Exception saying why.
std::shared_ptr<const CueSound> SynthesiseSpeech(const std::string& text, const std::string& voice,
                                                 uint32_t rate);
// The library's data folder from the next call on: empty for its own. For tests of a missing
// one.
void SetSpeechDataFolder(const std::string& folder);

// One thread that speaks the texts asked for, in the order asked; the asking thread never
// waits for it but to hand a request over or take a result.
class TSpeechWorker {
public:
    TSpeechWorker();
    ~TSpeechWorker(); // waits for the text being spoken, if any
    TSpeechWorker(const TSpeechWorker&) = delete;
    TSpeechWorker& operator=(const TSpeechWorker&) = delete;

    struct Result {
        std::shared_ptr<const CueSound> Sound; // none when it failed
        std::string Error;
    };
    // Asks for the text spoken in the first of the languages with a voice (SpeechVoiceFor),
    // at rate; its result comes under its key.
    void Request(uint64_t key, std::string text, std::vector<std::string> languages, uint32_t rate);
    // The result of a key once it is made; false while it is still to come.
    bool Take(uint64_t key, Result& result);
    // Drops the requests not yet begun and the results not taken; a result being made is
    // dropped when it comes.
    void Clear();
    // Requests handed over and not yet spoken.
    size_t Waiting();

private:
    struct Job {
        uint64_t Key;
        std::string Text;
        std::vector<std::string> Languages;
        uint32_t Rate;
        uint64_t Generation;
    };
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::map<uint64_t, Result> results_;
    uint64_t generation_ = 0;
    bool quit_ = false;
    std::thread thread_;
};
