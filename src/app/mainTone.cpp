// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainTone.h"

#include "app/main.h"
#include "app/mainJournal.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "sound/DXSounds.h"

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QMenu>

#include <algorithm>

namespace {
const char* const kOptions = "Options";
const char* const kToneKey = "Tone";
const char* const kCarrierKey = "ToneCarrier";
const char* const kLevelKey = "ToneLevel";
} // namespace

TMainTone::TMainTone(TMainForm& form) : QObject(&form), form_(form) {
    ToneMenu = form.PopupMenu1->addMenu(tr("Tone"));
    ToneMenu->setObjectName(QStringLiteral("ToneMenu"));
    group_ = new QActionGroup(this);
    auto radio = [this](const char* name, const QString& caption, TToneMode mode) {
        QAction* action = ToneMenu->addAction(caption);
        action->setObjectName(QString::fromUtf8(name));
        action->setCheckable(true);
        group_->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, mode] { Guard([this, mode] { SetMode(mode); }); });
        return action;
    };
    ToneOff1 = radio("ToneOff1", tr("Off"), TToneMode::Off);
    BinauralBeat1 = radio("BinauralBeat1", tr("Binaural Beat"), TToneMode::Binaural);
    IsochronicPulse1 = radio("IsochronicPulse1", tr("Isochronic Pulse"), TToneMode::Isochronic);
    ToneMenu->addSeparator();
    Carrier1 = ToneMenu->addAction(tr("Carrier..."));
    Carrier1->setObjectName(QStringLiteral("Carrier1"));
    connect(Carrier1, &QAction::triggered, this,
            [this] { Guard([this] { ShowCarrierDialog(); }); });
    ShowMode();
}

TMainTone::~TMainTone() = default;

TDirectSound* TMainTone::Device() const {
    return form_.DXSound ? form_.DXSound->Device() : nullptr;
}

void TMainTone::LoadOptions() {
    if (TIniFile* ini = form_.IniFile()) {
        TToneMode mode = TToneMode::Off;
        ParseToneMode(ini->ReadString(kOptions, kToneKey, "off"), mode);
        mode_ = userMode_ = mode;
        carrier_ = userCarrier_ =
            std::clamp<int>(ini->ReadInteger(kOptions, kCarrierKey, kToneCarrierDefault),
                            kToneCarrierMin, kToneCarrierMax);
        level_ = std::clamp<int>(ini->ReadInteger(kOptions, kLevelKey, kToneLevelDefault),
                                 kToneLevelMin, kToneLevelMax);
    }
    ShowMode();
    if (TDirectSound* device = Device()) {
        SetToneCarrier(*device, carrier_);
        SetToneMode(*device, mode_);
        if (!MainState::Running) StopTone(*device);
    }
    FrequencyChanged();
    VolumeChanged();
}

void TMainTone::SetMode(TToneMode mode) {
    userMode_ = mode;
    ApplyMode(mode);
    Remember(kToneKey, ToneModeName(mode));
    if (form_.Journal()) form_.Journal()->KnobChanged(TSessionKnob::Tone);
}

void TMainTone::SetCarrier(int hz) {
    ApplyCarrier(hz);
    userCarrier_ = carrier_;
    Remember(kCarrierKey, std::to_string(carrier_));
    if (form_.Journal()) form_.Journal()->KnobChanged(TSessionKnob::Carrier);
}

void TMainTone::SetSessionMode(TToneMode mode) {
    ApplyMode(mode);
}

void TMainTone::SetSessionCarrier(int hz) {
    ApplyCarrier(hz);
}

void TMainTone::SessionEnded() {
    if (mode_ != userMode_) ApplyMode(userMode_);
    if (carrier_ != userCarrier_) ApplyCarrier(userCarrier_);
}

void TMainTone::ApplyMode(TToneMode mode) {
    mode_ = mode;
    ShowMode();
    if (TDirectSound* device = Device()) SetToneMode(*device, mode);
}

void TMainTone::ApplyCarrier(int hz) {
    carrier_ = std::clamp(hz, kToneCarrierMin, kToneCarrierMax);
    if (TDirectSound* device = Device()) SetToneCarrier(*device, carrier_);
}

void TMainTone::ShowCarrierDialog() {
    QInputDialog dialog(&form_);
    dialog.setObjectName(QStringLiteral("CarrierDialog"));
    dialog.setWindowTitle(tr("Carrier"));
    dialog.setLabelText(tr("The tone's carrier (Hz):"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(kToneCarrierMin, kToneCarrierMax);
    dialog.setIntValue(carrier_);
    if (dialog.exec() == QDialog::Accepted) SetCarrier(dialog.intValue());
}

void TMainTone::FrequencyChanged() {
    if (TDirectSound* device = Device()) SetToneBeat(*device, form_.FreqEdit->Value());
}

void TMainTone::VolumeChanged() {
    if (TDirectSound* device = Device()) ApplyToneVolume(*device, form_.Volume->Position(), level_);
}

void TMainTone::RunStarted(long double phase) {
    // The library may have brought another sound since the level was last set.
    VolumeChanged();
    if (TDirectSound* device = Device()) {
        SetTonePhase(*device, phase);
        PlayTone(*device);
    }
}

void TMainTone::FollowPhase(long double phase) {
    if (TDirectSound* device = Device()) SetTonePhase(*device, phase);
}

void TMainTone::RunStopped() {
    if (TDirectSound* device = Device()) StopTone(*device);
}

void TMainTone::Remember(const char* key, const std::string& value) {
    TIniFile* ini = form_.IniFile();
    if (ini && ini->ReadString(kOptions, key, "") != value) ini->WriteString(kOptions, key, value);
}

void TMainTone::ShowMode() {
    ToneOff1->setChecked(mode_ == TToneMode::Off);
    BinauralBeat1->setChecked(mode_ == TToneMode::Binaural);
    IsochronicPulse1->setChecked(mode_ == TToneMode::Isochronic);
}
