// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency linking and the knobs: the edit, the slider, both timers, the base playback rate
// and the band label follow the main frequency; the knobs set the run parameters.
#include "app/main.h"

#include "app/mainJournal.h"
#include "app/mainSession.h"
#include "app/mainTone.h"
#include "audio/FrameClock.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/RXSlider.h"
#include "framework/Picture.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "sound/DXSounds.h"
#include "sound/ModulationStep.h"
#include "timing/ThdTimer.h"

#include <QCheckBox>
#include <QLabel>

void TMainForm::SetSoundFrequency(int32_t rate) {
    if (TDirectSoundBuffer* sound = LoadedSound()) sound->SetFrequency(rate);
}

void TMainForm::SetRunIntervals(int picture, int sound, bool halfPeriod) {
    // The intervals are what the settings keep and others read; the timers themselves fire on
    // the run's phase, so a new interval restarts nothing.
    Timer1->SetInterval(static_cast<uint16_t>(picture));
    Timer2->SetInterval(static_cast<uint16_t>(sound));
    const int perPeriod = SweepStepsPerPeriod(halfPeriod);
    if (SweepSteps_->PerPeriod() == perPeriod) return;
    // The sweep's steps are counted afresh on their new grid, from the phase reached now.
    SweepSteps_->SetPerPeriod(perPeriod);
    Timer2->RestartSchedule();
}

void TMainForm::FollowFrequency() {
    const TTimerClock::time_point now = TTimerClock::now();
    Phase_->SetFrequency(FrequencyMilliHz(FreqEdit->Value()), now);
    Timer1->Reschedule();
    Timer2->Reschedule();
    // The beat changes its rate at the same moment as the phase, so the two stay together.
    const ScopedChangeStamp stamp(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count() -
        soundLeadNs_);
    Tone_->FrequencyChanged();
}

void TMainForm::FreqEditChange(QObject*) {
    Session_->FrequencyChanged(); // by hand, unless the session itself set it
    Journal_->FrequencyChanged();
    const TFrequencySettings settings = FrequencySettings(FreqEdit->Value());
    RxSlider1->SetValue(settings.SliderValue);
    SetRunIntervals(settings.PictureInterval, settings.SoundInterval, false);
    RunParams.BaseRate = settings.BaseRate;
    SetSoundFrequency(RunParams.BaseRate);
    FollowFrequency();
    SetWaveLabel();
}

void TMainForm::RxSlider1Changed(QObject*) {
    Session_->FrequencyChanged();
    FreqEdit->SetValue(FrequencyFromSliderValue(RxSlider1->Value())); // may run FreqEditChange
    const int picture = PictureInterval(RxSlider1->Value());
    SetRunIntervals(picture, SoundInterval(picture, false), false);
    RunParams.BaseRate = BaseRateFromFrequency(FreqEdit->Value());
    SetSoundFrequency(RunParams.BaseRate);
    FollowFrequency();
    SetWaveLabel();
}

void TMainForm::SetWaveLabel() {
    WaveLabel->setText(BandLabel(RxSlider1->Value()));
}

void TMainForm::UpDown1Change(QObject*) {
    const int level = TransformLevelFromKnob(UpDown1->Position());
    if (level != UpDown1->Position()) UpDown1->SetPosition(level); // runs this handler again
    RunParams.TransformLevel = UpDown1->Position();
    Journal_->KnobChanged(TSessionKnob::Depth);
}

void TMainForm::UpDown2Change(QObject*) {
    RunParams.AMDepth = AMDepthFromKnob(UpDown2->Position());
    Journal_->KnobChanged(TSessionKnob::AM);
}

void TMainForm::Edit3Change(QObject*) {
    RunParams.FMDepth = FMDepthFromKnob(UpDown3->Position());
    Journal_->KnobChanged(TSessionKnob::FM);
}

void TMainForm::VolumeChange(QObject*) {
    if (TDirectSoundBuffer* sound = LoadedSound()) ApplyVolumeStep(Volume->Position(), sound);
    Tone_->VolumeChanged();
    Journal_->KnobChanged(TSessionKnob::Volume);
}

void TMainForm::HalfClick(QObject*) {
    SetRunIntervals(Timer1->Interval(), SoundInterval(Timer1->Interval(), Half->isChecked()),
                    Half->isChecked());
    Journal_->KnobChanged(TSessionKnob::Half);
}

void TMainForm::DivCheckClick(QObject*) {
    // A fresh copy of the last library picture: the cycling starts again from it.
    if (SourcePicture_) PaintBox1->DIB().AssignFrom(SourcePicture_.get());
}
