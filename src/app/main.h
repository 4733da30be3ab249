// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the picture above, the controls below, and the stimulation run that the
// two threaded timers drive. The handlers keep the frequency edit, the slider, both timers,
// the base playback rate and the band label together, and hand the user's settings to the
// frame step and the modulation step through the program-wide run parameters.

#include "app/OpenDialog.h"
#include "picture/FrameStats.h"

#include <QWidget>
#include <chrono>
#include <cstdint>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QToolButton;

class TASSwitcher;
class TCurrencyEdit;
class TDirectSoundBuffer;
class TDXPaintBox;
class TDXSound;
class TFramePacer;
class TFormStorage;
class TImgBtn;
class TIniFile;
class TMainFlash;
class TMainNudge;
class TMainJournal;
class TMainSession;
class TMainTone;
class TPhaseSteps;
class TPicture;
class TRunPhase;
class TRxSlider;
class TThreadedTimer;

// The settings file of both writers, and the filter of the dialog that chooses a library.
inline constexpr const char* kSettingsFileName = "Zandrel.ini";
inline constexpr const char* kLibraryFilter =
    QT_TRANSLATE_NOOP("TMainForm", "Velmora Libraries|*.zdl");

// Window state kept beside the controls, program-wide like the run parameters.
namespace MainState {
extern bool Running;         // a stimulation run is on
extern int32_t VolumeClicks; // clicks on the Volume knob since the hidden items were revealed
} // namespace MainState

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Layout.
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    TDXPaintBox* PaintBox1 = nullptr;
    TRxSlider* RxSlider1 = nullptr;
    TCurrencyEdit* FreqEdit = nullptr;
    QLabel* WaveLabel = nullptr;
    QCheckBox* DivCheck = nullptr;
    TASSwitcher* UpDown1 = nullptr;
    TASSwitcher* UpDown2 = nullptr;
    TASSwitcher* UpDown3 = nullptr;
    TASSwitcher* Volume = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* Half = nullptr;
    TImgBtn* Start = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QToolButton* ApplyButton = nullptr;
    QToolButton* ShowButton = nullptr;
    QToolButton* DublButton = nullptr;

    // Components without a window of their own.
    TThreadedTimer* Timer1 = nullptr;
    TThreadedTimer* Timer2 = nullptr;
    TDXSound* DXSound = nullptr;
    TFormStorage* FormStorage1 = nullptr;
    TOpenDialog OpenDialog1;
    QMenu* PopupMenu1 = nullptr;
    QAction* About1 = nullptr;
    QAction* LoadLibrary1 = nullptr;
    QAction* LoadPicture = nullptr;
    QAction* LoadSound = nullptr;
    QAction* LoadSession1 = nullptr;
    // Another program's schedule converted into a session in the user's data folder.
    QAction* ImportSession1 = nullptr;
    QAction* EndSession1 = nullptr;
    // The shipped sessions by title.
    QMenu* Sessions1 = nullptr;
    // The "Session..." window of the loaded session.
    QAction* SessionView1 = nullptr;

    // Handlers.
    void FormCreate(QObject* sender);
    void FormDestroy(QObject* sender);
    void FormResize(QObject* sender);
    void FreqEditChange(QObject* sender);
    void RxSlider1Changed(QObject* sender);
    void SetWaveLabel();
    void StartButtonClick(QObject* sender);
    void UpDown1Change(QObject* sender);
    void UpDown2Change(QObject* sender);
    void Edit3Change(QObject* sender);
    void VolumeChange(QObject* sender);
    void VolumeClick(QObject* sender);
    void HalfClick(QObject* sender);
    void DivCheckClick(QObject* sender);
    void ShowButtonClick(QObject* sender);
    void ApplyButtonClick(QObject* sender);
    void About1Click(QObject* sender);
    void LoadLibrary1Click(QObject* sender);
    void LoadPictureClick(QObject* sender);
    void LoadSoundClick(QObject* sender);
    void RezCharge();
    void Timer1Timer(QObject* sender);
    void Timer2Timer(QObject* sender);
    // One display frame while a run is on: the picture brought to the step due when the
    // frame is shown, never back, then painted once, at once or (now false) with the
    // window's painting that follows.
    void PaceFrame(std::chrono::steady_clock::time_point due, bool now = true);
    void DXSoundFinalize(QObject* sender);
    void LoadSession1Click(QObject* sender);
    void ImportSession1Click(QObject* sender);
    void EndSession1Click(QObject* sender);
    // A file named on the command line: a library (*.zdl) is used as "Load Library" uses it,
    // anything else is loaded as a session in place of the remembered one.
    void OpenFile(const QString& path);

    // The lower area's height with the controls shown, and the bottom bar's, which is all
    // that is left of it with the controls hidden.
    static constexpr int kControlsHeight = 144;
    static constexpr int kBottomBarHeight = 33;

    // What FormCreate made; empty when its step failed before.
    TDirectSoundBuffer* SoundBuffer() const { return SoundBuffer_.get(); }
    TPicture* SourcePicture() const { return SourcePicture_.get(); }
    TIniFile* IniFile() const { return IniFile_.get(); }
    // The session the window follows (mainSession.h).
    TMainSession* Session() const { return Session_.get(); }
    // The flash check, reduced flashing and the photosensitivity warning (mainFlash.h).
    TMainFlash* Flash() const { return Flash_.get(); }
    // The tone under the sound (mainTone.h).
    TMainTone* Tone() const { return Tone_.get(); }
    // Nudges of the frequency and the knobs while running (mainNudge.h).
    TMainNudge* Nudge() const { return Nudge_; }
    // The journal of runs and the bookmark key (mainJournal.h).
    TMainJournal* Journal() const { return Journal_.get(); }
    // Paints the picture by the display's frames; null before the first Start.
    TFramePacer* Pacer() const { return Pacer_.get(); }
    // The run's one phase, which the light, the sweep and the tone follow.
    const TRunPhase& RunPhase() const { return *Phase_; }
    // What the display showed of the run under way, else of the last run (picture/FrameStats.h).
    TFrameStats LastFrameStats() const;

protected:
    // Esc pressed anywhere in this window stops a run, whichever control has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildLayout();
    void BuildComponents();
    void BuildMenu();
    void BuildSession();
    void ConnectHandlers();
    void AlignPanels();
    void RepairRestoredIntervals();
    void SetStartPictures(const char* up, const char* over, const char* down);
    void SetSoundFrequency(int32_t rate);
    // Sets both timers' intervals, as the settings keep them; the sweep's steps per period
    // follow the rule that set the sound's.
    void SetRunIntervals(int picture, int sound, bool halfPeriod);
    void MakePacer();
    // The frequency in the box becomes the phase's rate, the timers' and the tone's beat, all
    // from one moment.
    void FollowFrequency();
    // The sound buffer when it holds a sound. Calls that would only fail on a missing buffer
    // or one without a sound (no device, or a library that did not load) are left out.
    TDirectSoundBuffer* LoadedSound() const;

    // What hiding the controls took off the window's height, to be given back on showing.
    int hiddenShrink_ = 0;
    // When the tone's beat was last told the run's phase, in the timers' nanoseconds.
    int64_t toneFollowedNs_ = 0;
    // How far the sound runs ahead of the light in this run: the sound output's delay from a
    // change's stamp to its sound, as it was at Start. The sweep's steps are due this much
    // before the phase reaches them, and whatever else must be heard at a moment of the
    // phase is stamped this much before it.
    int64_t soundLeadNs_ = 0;
    int64_t SoundDelayNs() const;
    // Paints the picture once per display frame while a run is on (picture/FramePacer.h);
    // made at the first Start, when the window has its place on a display.
    std::unique_ptr<TFramePacer> Pacer_;
    // The first picture step not yet applied, and the last one a display frame applied (-1:
    // none this run), so that the timer and the frames never apply a step twice.
    int64_t nextPictureStep_ = 0;
    int64_t pacedThrough_ = -1;

    std::unique_ptr<TDirectSoundBuffer> SoundBuffer_;
    std::unique_ptr<TPicture> SourcePicture_;
    std::unique_ptr<TIniFile> IniFile_;
    std::unique_ptr<TMainSession> Session_;
    std::unique_ptr<TMainFlash> Flash_;
    std::unique_ptr<TMainTone> Tone_;
    TMainNudge* Nudge_ = nullptr; // a child of the window
    std::unique_ptr<TMainJournal> Journal_;
    std::shared_ptr<TRunPhase> Phase_;
    std::shared_ptr<TPhaseSteps> PictureSteps_;
    std::shared_ptr<TPhaseSteps> SweepSteps_;
};
