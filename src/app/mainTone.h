// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tone under the sound in the main window: the "Tone" submenu of the context menu (Off,
// Binaural Beat, Isochronic Pulse, Carrier...), the settings "Tone", "ToneCarrier" and
// "ToneLevel" of section "Options", and the hooks through which the window's handlers keep the
// tone's beat on the main frequency, its volume on the Volume knob and its playing on the run.

#include "sound/Tone.h"

#include <QObject>

class QAction;
class QActionGroup;
class QInputDialog;
class QMenu;
class TDirectSound;
class TMainForm;

class TMainTone : public QObject {
    Q_OBJECT
public:
    explicit TMainTone(TMainForm& form);
    ~TMainTone() override;

    QMenu* ToneMenu = nullptr;
    QAction* ToneOff1 = nullptr;
    QAction* BinauralBeat1 = nullptr;
    QAction* IsochronicPulse1 = nullptr;
    QAction* Carrier1 = nullptr;

    // Reads the settings once the window has its settings file, and sets the whole tone.
    void LoadOptions();

    TToneMode Mode() const { return mode_; }
    int Carrier() const { return carrier_; }
    int Level() const { return level_; }
    // Each takes effect at once, also during a run, and is remembered.
    void SetMode(TToneMode mode);
    void SetCarrier(int hz);
    // The small dialog of "Carrier..."; tests find it by its object name "CarrierDialog".
    void ShowCarrierDialog();

    // Hooks of the window's handlers.
    void FrequencyChanged(); // the frequency edit's value is the beat
    void VolumeChanged();    // the Volume knob's position
    // The run's phase at its start, in periods: the beat starts from it.
    void RunStarted(long double phase);
    // The run's phase at the stamp's moment: a sounding beat glides to it.
    void FollowPhase(long double phase);
    void RunStopped();

private:
    TDirectSound* Device() const;
    void Remember(const char* key, const std::string& value);
    void ShowMode();

    TMainForm& form_;
    QActionGroup* group_ = nullptr;
    TToneMode mode_ = TToneMode::Off;
    int carrier_ = kToneCarrierDefault;
    int level_ = kToneLevelDefault;
};
