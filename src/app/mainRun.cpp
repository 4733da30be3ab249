// SPDX-License-Identifier: GPL-3.0-or-later
// The stimulation run: Start and Stop, the frame step on each picture timer firing and the
// modulation step on each sound timer firing.
#include "app/main.h"

#include "app/mainFlash.h"
#include "app/mainJournal.h"
#include "app/mainNudge.h"
#include "app/mainSession.h"
#include "app/mainTone.h"
#include "audio/FrameClock.h"
#include "audio/SoundDevice.h"
#include "controls/ImgBtn.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/IniFiles.h"
#include "framework/ResourceStream.h"
#include "picture/DIB.h"
#include "picture/DXPaintBox.h"
#include "picture/FramePacer.h"
#include "picture/FrameStats.h"
#include "picture/FrameStep.h"
#include "platform/ResourceModule.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "sound/DXSounds.h"
#include "sound/ModulationStep.h"
#include "timing/ThdTimer.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QToolButton>

namespace {
// Steps a frame applies at most to catch up; more (after the window stalled) are skipped, as
// the timer skips firings it missed.
constexpr int64_t kMostStepsPerFrame = 8;

// A bitmap of the program's own resources into a picture holder.
void LoadProgramBitmap(TPicture& picture, const char* name) {
    TResourceStream stream(ProgramModule(), TResourceName(name), TResourceName(RT_BITMAP));
    picture.Bitmap().ReadPackedDib(stream);
}
} // namespace

void TMainForm::SetStartPictures(const char* up, const char* over, const char* down) {
    LoadProgramBitmap(Start->Picture(), up);
    LoadProgramBitmap(Start->UpPict(), up);
    LoadProgramBitmap(Start->OverPict(), over);
    LoadProgramBitmap(Start->DownPict(), down);
}

void TMainForm::StartButtonClick(QObject*) {
    if (!MainState::Running) {
        if (!Flash_->ConfirmStart()) return;
        Session_->RunStarting(); // the session's settings are in place before the timers run
        SetStartPictures("Stopup", "Stopover", "Startup");
        MainState::Running = true;
        // The phase goes on from where the last run left it, from this moment; both timers'
        // first steps and the tone's beat are placed on it.
        const TScheduleMoment moment;
        const TTimerClock::time_point at = TScheduleMoment::Current();
        soundLeadNs_ = SoundDelayNs();
        SweepSteps_->SetLead(std::chrono::nanoseconds(soundLeadNs_));
        Phase_->Start(at);
        nextPictureStep_ = static_cast<int64_t>(PictureSteps_->FirstStepFrom(at));
        pacedThrough_ = -1;
        if (!Pacer_) MakePacer();
        Pacer_->RunStarted();
        Timer1->SetEnabled(true);
        Timer2->SetEnabled(true);
        // Heard as soon as the output allows; the tone's beat is placed as if it had begun at
        // the Start moment.
        const ScopedChangeStamp stamp(
            std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count() -
            soundLeadNs_);
        if (TDirectSoundBuffer* sound = LoadedSound()) sound->Play(DSBPLAY_LOOPING);
        Tone_->RunStarted(Phase_->PhaseAt(at));
        ApplyButton->setEnabled(false);
        DublButton->setText(tr("Stop"));
        Journal_->RunStarted();
    } else {
        Journal_->RunStopped();
        SetStartPictures("Startup", "Startover", "Stopup");
        MainState::Running = false;
        Timer1->SetEnabled(false);
        Timer2->SetEnabled(false);
        if (Pacer_) Pacer_->RunStopped();
        Phase_->Stop(TTimerClock::now());
        if (TDirectSoundBuffer* sound = LoadedSound()) sound->Stop();
        Tone_->RunStopped(); // fades out
        Nudge_->Halt();
        Session_->RunStopped();
        ApplyButton->setEnabled(true);
        DublButton->setText(tr("Start"));
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // Flashing light can harm: Esc stops as Stop does, and leaves everything else as it is.
    // The key goes on to the control, which may have its own use for it.
    if (event->type() == QEvent::KeyPress && MainState::Running &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) Journal_->EscPressed();
        if (widget && widget->window() == this) Guard([this] { StartButtonClick(this); });
    }
    // Nudges, with the picture focused or the window in full screen.
    if (event->type() == QEvent::KeyPress && MainState::Running &&
        (watched == PaintBox1 || (watched == this && isFullScreen()))) {
        const auto* key = static_cast<QKeyEvent*>(event);
        bool used = false;
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            Guard([&] { used = Nudge_->KeyPressed(key->key()); });
        if (used) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::Timer1Timer(QObject*) {
    // While the display's frames paint the picture, each brings it to the step due then.
    const auto step = static_cast<int64_t>(Timer1->DueStep());
    if (!(Pacer_ && Pacer_->Pacing()) && step > pacedThrough_) {
        RunFrameStep(*PaintBox1,
                     {RunParams.TransformLevel, RunParams.CycleModulus, DivCheck->isChecked()});
        nextPictureStep_ = std::max(nextPictureStep_, step + 1);
    }
    // About once a second the tone's beat is told the phase at this step, so that an output
    // whose clock runs a little apart from the timers' stays on the light's phase for hours.
    const int64_t due =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Timer1->DueTime().time_since_epoch())
            .count();
    if (due - toneFollowedNs_ >= 1000000000) {
        toneFollowedNs_ = due;
        const ScopedChangeStamp stamp(due - soundLeadNs_); // heard with this picture step
        Tone_->FollowPhase(static_cast<long double>(Timer1->DueStep()) / kPictureStepsPerPeriod);
    }
}

void TMainForm::Timer2Timer(QObject*) {
    // The step sounds at its due time plus the output's delay, which the step's lead makes
    // the moment the phase reaches it, however late the GUI thread took the firing.
    const ScopedChangeStamp stamp(
        std::chrono::duration_cast<std::chrono::nanoseconds>(Timer2->DueTime().time_since_epoch())
            .count());
    // Without a sound there is nothing to modulate, and staying quiet here keeps a missing
    // device or a library that failed to load from raising a message on every firing.
    // The sweep's place in its sine follows the step of the phase, also past skipped firings.
    RunParams.ModPhase = static_cast<int32_t>(Timer2->DueStep() % 10);
    if (TDirectSoundBuffer* sound = LoadedSound())
        ModulationStep(RunParams.ModPhase, RunParams.AMDepth, RunParams.FMDepth, RunParams.BaseRate,
                       sound);
}

void TMainForm::DXSoundFinalize(QObject*) {
    SoundBuffer_.reset();
}

TFrameStats TMainForm::LastFrameStats() const {
    return Pacer_ ? Pacer_->Stats() : TFrameStats{};
}

void TMainForm::MakePacer() {
    Pacer_ =
        std::make_unique<TFramePacer>(*PaintBox1, [this](std::chrono::steady_clock::time_point due,
                                                         bool now) { PaceFrame(due, now); });
    Pacer_->SetStepAt([this](std::chrono::steady_clock::time_point at) {
        return static_cast<int64_t>(std::floor(Phase_->PhaseAt(at) * kPictureStepsPerPeriod));
    });
    // "FramePacing=0" in "Options" leaves the picture to its timer alone.
    if (IniFile_) Pacer_->SetEnabled(IniFile_->ReadBool("Options", "FramePacing", true));
#if defined(VELMORA_TEST_HOOKS)
    // Test builds: every n-th paced paint held for two frames, to be counted late.
    Pacer_->SetSlowEvery(static_cast<uint64_t>(
        std::max(0, qEnvironmentVariableIntValue("VELMORA_TEST_SLOW_FRAMES"))));
#endif
}

void TMainForm::PaceFrame(std::chrono::steady_clock::time_point due, bool now) {
    const long double steps = Phase_->PhaseAt(due) * kPictureStepsPerPeriod;
    if (steps >= 0) {
        const auto dueStep = static_cast<int64_t>(std::floor(steps));
        if (dueStep >= nextPictureStep_) {
            const TFrameStepParams params{RunParams.TransformLevel, RunParams.CycleModulus,
                                          DivCheck->isChecked()};
            const int64_t count = std::min(dueStep - nextPictureStep_ + 1, kMostStepsPerFrame);
            for (int64_t i = 0; i < count; ++i)
                StepFrame(PaintBox1->DIB(), params);
            nextPictureStep_ = dueStep + 1;
            pacedThrough_ = dueStep;
        }
    }
    if (now) {
        PaintBox1->PaintNow();
    } else {
        PaintBox1->update();
    }
}

int64_t TMainForm::SoundDelayNs() const {
    const TDirectSound* device = DXSound ? DXSound->Device() : nullptr;
    return device && device->SoundInterface() ? device->SoundInterface()->OutputDelayNs() : 0;
}

TDirectSoundBuffer* TMainForm::LoadedSound() const {
    return SoundBuffer_ && SoundBuffer_->BufferInterface() ? SoundBuffer_.get() : nullptr;
}
