// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/Speech.h"

#include "framework/Exception.h"
#include "framework/Messages.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <set>

namespace {

// The library's state: initialised on first use, and again after the data folder changes.
struct TLibrary {
    std::mutex Mutex;
    bool Tried = false;
    std::string Error; // why it cannot speak; empty once it can
    // Its output was started, so it may be shut down: shutting down a library whose start
    // failed would lock a mutex it never made.
    bool Started = false;
    int Rate = 0;
    std::set<std::string> Languages;
    std::string Folder; // empty: the library's own
};

TLibrary& Library() {
    static TLibrary library;
    return library;
}

std::string StatusText(espeak_ng_STATUS status) {
    char text[512] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    return text;
}

int Collect(short* wav, int samples, espeak_EVENT* events) {
    if (wav == nullptr || samples <= 0 || events == nullptr) return 0;
    auto* out = static_cast<std::vector<float>*>(events->user_data);
    if (out == nullptr) return 0;
    for (int i = 0; i < samples; ++i)
        out->push_back(static_cast<float>(wav[i]) / 32768.0f);
    return 0;
}

// Under the library's lock: ready to speak, or the reason it cannot.
bool Ready(TLibrary& library) {
    if (library.Tried) return library.Error.empty();
    library.Tried = true;
    espeak_ng_InitializePath(library.Folder.empty() ? nullptr : library.Folder.c_str());
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status == ENS_OK) {
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
        library.Started = true;
    }
    if (status != ENS_OK) {
        library.Error = TranslatedText(
            "Speech", QT_TRANSLATE_NOOP("Speech", "the speech library cannot start: %1"),
            {StatusText(status)});
        return false;
    }
    library.Rate = espeak_ng_GetSampleRate();
    espeak_SetSynthCallback(Collect);
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v != nullptr && *v != nullptr; ++v) {
        // Pairs of a priority byte and a language, ending with an empty one.
        for (const char* l = (*v)->languages; l != nullptr && l[0] != 0 && l[1] != 0;
             l += std::char_traits<char>::length(l + 1) + 2)
            library.Languages.insert(l + 1);
    }
    if (library.Languages.empty() || library.Rate <= 0) {
        library.Error =
            QCoreApplication::translate("Speech", "the speech library has no voices").toStdString();
        return false;
    }
    return true;
}

// "de_DE.UTF-8@euro" as the library writes languages: "de-de".
std::string LanguageTag(std::string language) {
    language = language.substr(0, language.find_first_of(".@"));
    std::transform(language.begin(), language.end(), language.begin(), [](unsigned char c) {
        return c == '_' ? '-' : static_cast<char>(std::tolower(c));
    });
    return language;
}

std::vector<float> Resampled(const std::vector<float>& in, uint32_t from, uint32_t to) {
    if (from == to || in.empty()) return in;
    const size_t frames = in.size() * to / from;
    std::vector<float> out(frames);
    const double step = static_cast<double>(from) / to;
    for (size_t i = 0; i < frames; ++i) {
        const double at = static_cast<double>(i) * step;
        const auto k = static_cast<size_t>(at);
        const double frac = at - static_cast<double>(k);
        const float a = in[std::min(k, in.size() - 1)];
        const float b = in[std::min(k + 1, in.size() - 1)];
        out[i] = static_cast<float>(a + (b - a) * frac);
    }
    return out;
}

} // namespace

std::string SpeechVoiceFor(const std::vector<std::string>& languages, std::string* why) {
    TLibrary& library = Library();
    std::lock_guard lock(library.Mutex);
    if (!Ready(library)) {
        if (why) *why = library.Error;
        return {};
    }
    for (const std::string& language : languages) {
        const std::string tag = LanguageTag(language);
        if (library.Languages.count(tag)) return tag;
        const std::string primary = tag.substr(0, tag.find('-'));
        if (!primary.empty() && library.Languages.count(primary)) return primary;
    }
    return "en";
}

std::vector<std::string> UserSpeechLanguages() {
    std::vector<std::string> languages;
    if (const char* list = std::getenv("LANGUAGE")) {
        const std::string all = list;
        for (size_t start = 0; start <= all.size();) {
            const size_t end = std::min(all.find(':', start), all.size());
            if (end > start) languages.push_back(all.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const QString& l : QLocale().uiLanguages())
        languages.push_back(l.toStdString());
    return languages;
}

std::shared_ptr<const CueSound> SynthesiseSpeech(const std::string& text, const std::string& voice,
                                                 uint32_t rate) {
    std::vector<float> samples;
    int from = 0;
    {
        TLibrary& library = Library();
        std::lock_guard lock(library.Mutex);
        if (!Ready(library)) throw Exception(library.Error);
        espeak_VOICE selector{};
        selector.languages = voice.c_str();
        espeak_ng_STATUS status = espeak_ng_SetVoiceByProperties(&selector);
        if (status != ENS_OK)
            throw Exception(TranslatedText(
                "Speech", QT_TRANSLATE_NOOP("Speech", "no voice for the language %1: %2"),
                {voice, StatusText(status)}));
        // Synchronous: the samples have all come through the callback when this returns.
        status = espeak_ng_Synthesize(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                      espeakCHARS_UTF8, nullptr, &samples);
        if (status != ENS_OK)
            throw Exception(TranslatedText(
                "Speech", QT_TRANSLATE_NOOP("Speech", "a text could not be spoken: %1"),
                {StatusText(status)}));
        from = library.Rate;
    }
    auto sound = std::make_shared<CueSound>();
    sound->Rate = rate;
    sound->Samples = Resampled(samples, static_cast<uint32_t>(from), rate);
    if (CueLoudness(sound->Samples, rate) <= 0)
        throw Exception(
            QCoreApplication::translate("Speech", "a text gave no sound").toStdString());
    SetCueLoudness(sound->Samples, rate, std::numbers::sqrt2 / 2);
    return sound;
}

void SetSpeechDataFolder(const std::string& folder) {
    TLibrary& library = Library();
    std::lock_guard lock(library.Mutex);
    if (library.Started) espeak_ng_Terminate();
    library.Started = false;
    library.Tried = false;
    library.Error.clear();
    library.Languages.clear();
    library.Folder = folder;
}

// ---- TSpeechWorker

TSpeechWorker::TSpeechWorker() : thread_([this] { Run(); }) {}

TSpeechWorker::~TSpeechWorker() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void TSpeechWorker::Request(uint64_t key, std::string text, std::vector<std::string> languages,
                            uint32_t rate) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({key, std::move(text), std::move(languages), rate, generation_});
    }
    wake_.notify_one();
}

bool TSpeechWorker::Take(uint64_t key, Result& result) {
    std::lock_guard lock(mutex_);
    const auto found = results_.find(key);
    if (found == results_.end()) return false;
    result = std::move(found->second);
    results_.erase(found);
    return true;
}

void TSpeechWorker::Clear() {
    std::lock_guard lock(mutex_);
    ++generation_;
    jobs_.clear();
    results_.clear();
}

size_t TSpeechWorker::Waiting() {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

void TSpeechWorker::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
        if (quit_) return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        Result result;
        try {
            const std::string voice = SpeechVoiceFor(job.Languages, &result.Error);
            if (!voice.empty()) result.Sound = SynthesiseSpeech(job.Text, voice, job.Rate);
        } catch (const std::exception& e) {
            result.Error = e.what();
        }
        lock.lock();
        if (job.Generation == generation_) results_[job.Key] = std::move(result);
    }
}
