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
    // Each takes effect at once, also during a run, and is remembered as the user's own.
    void SetMode(TToneMode mode);
    void SetCarrier(int hz);
    // A session's settings take effect as the user's do but are the session's: they are not
    // remembered, and SessionEnded brings the user's own back.
    void SetSessionMode(TToneMode mode);
    void SetSessionCarrier(int hz);
    void SessionEnded();
    // The small dialog of "Carrier..."; tests find it by its object name "CarrierDialog".
    void ShowCarrierDialog();

    // Hooks of the window's handlers.
    void FrequencyChanged(); // the frequency edit's value is the beat
    void VolumeChanged();    // the Volume knob's position, against the sound loaded now
    // The run's phase at its start, in periods: the beat starts from it; also sets the level
    // against the sound the run plays.
    void RunStarted(long double phase);
    // The run's phase at the stamp's moment: a sounding beat glides to it.
    void FollowPhase(long double phase);
    void RunStopped();

private:
    TDirectSound* Device() const;
    void Remember(const char* key, const std::string& value);
    void ShowMode();
    void ApplyMode(TToneMode mode);
    void ApplyCarrier(int hz);

    TMainForm& form_;
    QActionGroup* group_ = nullptr;
    TToneMode mode_ = TToneMode::Off;
    int carrier_ = kToneCarrierDefault;
    int level_ = kToneLevelDefault;
    // The user's own choices, which a session's settings do not replace.
    TToneMode userMode_ = TToneMode::Off;
    int userCarrier_ = kToneCarrierDefault;
};
