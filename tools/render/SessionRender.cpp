// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionRender.h"

#include "OfflineTimeline.h"
#include "audio/SoundOutput.h"
#include "framework/ResourceStream.h"
#include "library/LibraryFormat.h"
#include "library/NameLists.h"
#include "platform/ModuleSearch.h"
#include "platform/ResourceModule.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "session/SessionCues.h"
#include "session/SessionFollower.h"
#include "sound/Cues.h"
#include "sound/DXSounds.h"
#include "sound/ModulationStep.h"
#include "sound/Speech.h"
#include "sound/Tone.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <memory>

namespace {

// The moments of a render: nanoseconds from Start on the run's own clock.
TTimerClock::time_point AtNs(int64_t ns) {
    return TTimerClock::time_point(std::chrono::nanoseconds(ns));
}

// The moment of an output frame, to the nanosecond.
int64_t NsOfFrame(uint64_t frame) {
    return static_cast<int64_t>((frame * 1000000000u + kOutputRate / 2) / kOutputRate);
}

// The part of the main window that makes the sound: its frequency handler, knob handlers,
// "1/2 Period" handler, tone and the run's phase with the sweep's steps on it, acting on the
// run parameters, the buffer and the device's tone exactly as the window's do. Changes are
// made at the moment the loop names (Now), taken at its output frame, where the output places
// the tone's and the buffer's changes too.
class TPlayingWindow : public TSessionTarget {
public:
    TPlayingWindow(TDirectSound& device, TDirectSoundBuffer& buffer, int toneLevel)
        : device_(device), buffer_(buffer), toneLevel_(toneLevel),
          phase_(std::make_shared<TRunPhase>()), sweep_(phase_, kSweepStepsPerPeriod) {}

    void SetNow(int64_t ns) { now_ = AtNs(NsOfFrame(FrameAtNs(ns))); }

    void SetFrequency(int32_t milli) override {
        const long double value = FrequencyFromMilli(milli);
        if (frequencySet_ && value == frequency_) return; // the edit fires only on a change
        frequencySet_ = true;
        frequency_ = value;
        // As the window's frequency edit does.
        const TFrequencySettings settings = FrequencySettings(value);
        params_.BaseRate = settings.BaseRate;
        buffer_.SetFrequency(params_.BaseRate);
        SetSweepGrid(false);
        phase_->SetFrequency(FrequencyMilliHz(value), now_);
        SetToneBeat(device_, value);
    }

    void SetKnob(TSessionKnob knob, int value) override {
        switch (knob) {
        case TSessionKnob::Depth: // the picture's; the sound does not hear it
            break;
        case TSessionKnob::AM:
            params_.AMDepth = AMDepthFromKnob(value);
            break;
        case TSessionKnob::FM:
            params_.FMDepth = FMDepthFromKnob(value);
            break;
        case TSessionKnob::Volume: // set also where the knob already shows it, as the window does
            volume_ = value;
            ApplyVolumeStep(value, &buffer_);
            ApplyToneVolume(device_, value, toneLevel_);
            break;
        case TSessionKnob::Half:
            SetSweepGrid(value != 0);
            break;
        case TSessionKnob::Tone:
            SetToneMode(device_, static_cast<TToneMode>(value));
            break;
        case TSessionKnob::Carrier:
            SetToneCarrier(device_, value);
            break;
        }
    }

    // Start: the phase runs from this moment, the sweep's first step is due at once and the
    // tone's beat starts from the phase's zero.
    void Start() {
        phase_->Start(now_);
        nextStep_ = sweep_.FirstStepFrom(now_);
        buffer_.Play(DSBPLAY_LOOPING);
        SetTonePhase(device_, phase_->PhaseAt(now_));
        PlayTone(device_);
    }

    // When the sweep's next step is due, in nanoseconds from Start.
    int64_t NextStepNs() const {
        const TTimerClock::time_point due = sweep_.DueOf(nextStep_);
        if (due == TTimerClock::time_point::max()) return std::numeric_limits<int64_t>::max();
        return std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count();
    }

    void ModulationStepNow() {
        params_.ModPhase = static_cast<int32_t>(nextStep_ % 10);
        ModulationStep(params_.ModPhase, params_.AMDepth, params_.FMDepth, params_.BaseRate,
                       &buffer_);
        ++nextStep_;
    }

    const TRunPhase& Phase() const { return *phase_; }

    // The cues of a point, now, as the window plays them: the texts spoken here and then.
    void PlayCues(const TSessionPoint& point, const TRenderJob& job) {
        if (point.Bell) PlayCueSound(device_, BellSound(kOutputRate), volume_);
        if (point.Say.empty() || speechFailed_) return;
        try {
            if (voice_.empty()) {
                std::string why;
                voice_ = SpeechVoiceFor(job.Languages, &why);
                if (voice_.empty()) throw Exception(why);
            }
            PlayCueSound(device_, SynthesiseSpeech(point.Say, voice_, kOutputRate), volume_);
        } catch (const Exception& e) {
            speechFailed_ = true;
            if (job.Report) job.Report(e.Message());
        }
    }

private:
    // The sweep's steps per period, as the rule that set the sound's interval says; a new grid
    // counts its steps afresh from the phase reached.
    void SetSweepGrid(bool halfPeriod) {
        const int perPeriod = SweepStepsPerPeriod(halfPeriod);
        if (sweep_.PerPeriod() == perPeriod) return;
        sweep_.SetPerPeriod(perPeriod);
        nextStep_ = sweep_.FirstStepFrom(now_);
    }

    TDirectSound& device_;
    TDirectSoundBuffer& buffer_;
    int toneLevel_;
    TRunParameters params_;
    long double frequency_ = 0;
    bool frequencySet_ = false;
    std::shared_ptr<TRunPhase> phase_;
    TPhaseSteps sweep_;
    uint64_t nextStep_ = 0;
    TTimerClock::time_point now_{};
    int volume_ = 10;
    std::string voice_;
    bool speechFailed_ = false; // reported once; the render goes on without the texts
};

std::vector<std::string> SoundNames(TModuleHandle module) {
    TResourceStream list(module, kSoundList, kListType);
    std::vector<uint8_t> bytes(static_cast<size_t>(list.Size()));
    list.ReadBuffer(bytes.data(), list.Size());
    return SplitNameList(bytes.data(), bytes.size());
}

// Loads the named sound (or the list's first) of a library into the buffer.
void LoadSound(const TRenderJob& job, TDirectSoundBuffer& buffer) {
    const TModuleHandle module = OpenLibraryModule(job.LibraryPath);
    struct Release {
        TModuleHandle m;
        ~Release() { FreeResourceModule(m); }
    } release{module};
    const std::vector<std::string> names = SoundNames(module);
    std::string chosen = job.SoundName;
    if (chosen.empty()) {
        if (names.empty() || names[0].empty())
            throw Exception(TranslatedText("RenderTool",
                                           QT_TRANSLATE_NOOP("RenderTool", "%1 lists no sounds"),
                                           {job.LibraryPath}));
        chosen = names[0];
    }
    const auto listed = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
        return SameResourceText(Utf8ToUtf16(n), Utf8ToUtf16(chosen));
    });
    if (listed == names.end()) {
        std::string known;
        for (const std::string& n : names)
            if (!n.empty()) known += (known.empty() ? "" : ", ") + n;
        throw Exception(TranslatedText(
            "RenderTool", QT_TRANSLATE_NOOP("RenderTool", "%1 has no sound \"%2\" (it has: %3)"),
            {job.LibraryPath, chosen, known}));
    }
    TResourceStream sound(module, *listed, kSoundType);
    buffer.LoadFromStream(sound);
}

} // namespace

TModuleHandle OpenLibraryModule(const std::string& libraryPath) {
    std::error_code error;
    if (!std::filesystem::exists(ResolveModulePath(libraryPath), error)) {
        std::string where;
        if (libraryPath.find('/') == std::string::npos) {
            for (const std::string& dir : ModuleSearchDirectories())
                where += (where.empty() ? "" : ", ") + dir;
        }
        throw Exception(
            where.empty()
                ? TranslatedText("RenderTool", QT_TRANSLATE_NOOP("RenderTool", "%1 not found"),
                                 {libraryPath})
                : TranslatedText("RenderTool",
                                 QT_TRANSLATE_NOOP("RenderTool", "%1 not found (looked in %2)"),
                                 {libraryPath, where}));
    }
    const TModuleHandle module = LoadResourceModule(libraryPath);
    if (module == kNoModule)
        throw Exception(TranslatedText("RenderTool",
                                       QT_TRANSLATE_NOOP("RenderTool", "%1 is no stimulus library"),
                                       {libraryPath}));
    return module;
}

uint64_t FrameAtMs(int64_t ms) {
    // 44.1 frames per millisecond, to the nearest frame.
    return (static_cast<uint64_t>(ms) * kOutputRate + 500) / 1000;
}

uint64_t FrameAtNs(int64_t ns) {
    return (static_cast<uint64_t>(ns) * kOutputRate + 500000000u) / 1000000000u;
}

void RenderToWav(const TRenderJob& job, const TRenderProgress& progress) {
    const TSession& session = job.Session;
    if (session.Empty())
        throw Exception(
            TranslatedText("RenderTool", QT_TRANSLATE_NOOP("RenderTool", "nothing to render")));
    const uint64_t total = FrameAtMs(session.LengthMs());
    if (total > TSoundWriter::MaxFrames(job.Format, job.Metadata.size()))
        throw Exception(TranslatedText(
            "RenderTool",
            QT_TRANSLATE_NOOP("RenderTool", "a %1 file cannot hold %2 in this format"),
            {SoundFormatName(job.Format), FormatSessionTime(session.LengthMs())}));

    const SoundOutputChoice previousChoice = GetSoundOutputChoice();
    SetSoundOutputChoice(SoundOutputChoice::Offline);
    struct RestoreChoice {
        SoundOutputChoice c;
        ~RestoreChoice() { SetSoundOutputChoice(c); }
    } restore{previousChoice};
    TDirectSound device(nullptr);
    TDirectSoundBuffer buffer(device);
    LoadSound(job, buffer);

    TSoundWriter wav(job.OutputPath, job.Format, kOutputRate, total, job.Metadata);
    TOfflineTimeline output(device.RequireSound(), buffer.RequireBuffer(), wav, total, progress);
    TPlayingWindow window(device, buffer, job.ToneLevel);
    TSessionFollower follower(session);
    TSessionCues cues(session);

    // The controls as the user left them before pressing Start: the first frequency typed
    // in, then the knobs.
    window.SetFrequency(session.Points().front().FrequencyMilli);
    window.SetKnob(TSessionKnob::AM, job.AM);
    window.SetKnob(TSessionKnob::FM, job.FM);
    window.SetKnob(TSessionKnob::Volume, job.Volume);
    window.SetKnob(TSessionKnob::Half, job.Half ? 1 : 0);
    window.SetKnob(TSessionKnob::Tone, static_cast<int>(job.Tone));
    window.SetKnob(TSessionKnob::Carrier, job.Carrier);
    output.LeadIn();

    // Start: the session is followed to 0 before the timers run, then the sound plays and
    // the phase begins, with the sweep's first step at once.
    window.SetNow(0);
    follower.Follow(0, window);
    window.Start();
    constexpr int64_t kTickNs = kSessionTickMs * 1000000;
    const int64_t end = session.LengthMs() * 1000000;
    int64_t nextTick = kTickNs;
    // Cues sound at their points' own frames, after what the tick and the step there set.
    const auto nextCueNs = [&cues] {
        const TSessionPoint* p = cues.Ahead(0);
        return p ? p->TimeMs * 1000000 : std::numeric_limits<int64_t>::max();
    };
    while (const TSessionPoint* p = cues.Next(0))
        window.PlayCues(*p, job);
    while (true) {
        const int64_t now = std::min({nextTick, window.NextStepNs(), nextCueNs()});
        if (now >= end) break;
        window.SetNow(now);
        output.AdvanceTo(FrameAtNs(now));
        // A session tick and a step at the same moment: the tick first, so the step sees
        // what the tick set; a step that the tick's new rate has moved waits for its time.
        if (now == nextTick) {
            follower.Follow(now / 1000000, window);
            nextTick += kTickNs;
        }
        if (window.NextStepNs() <= now) window.ModulationStepNow();
        while (const TSessionPoint* p = cues.Next(now / 1000000))
            window.PlayCues(*p, job);
    }
    // At the session's end the run stops.
    output.Finish();
    wav.Finish();
}
