// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life: building, FormCreate's steps in order, FormDestroy and the teardown
// order.
#include "app/main.h"

#include "app/Placemnt.h"
#include "app/mainFlash.h"
#include "app/mainJournal.h"
#include "app/mainSession.h"
#include "app/mainTone.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "framework/Picture.h"
#include "picture/DXPaintBox.h"
#include "picture/FramePacer.h"
#include "platform/ModuleSearch.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "sound/DXSounds.h"
#include "timing/ThdTimer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>

namespace MainState {
bool Running = false;
int32_t VolumeClicks = 0;
} // namespace MainState

namespace {
const char* const kOptions = "Options";
const char* const kDefaultLibrary = "main.zdl";

// A library named without a directory is looked for where the module loader looks.
bool LibraryFileExists(const std::string& path) {
    if (path.empty()) return false;
    const QFileInfo file(QString::fromStdString(ResolveModulePath(path)));
    return file.exists() && file.isFile();
}

TDirectSound& OpenDevice(TDXSound& sound) {
    if (TDirectSound* device = sound.Device()) return *device;
    throw EDirectSoundError(Msg::NotMade, {std::string("IDirectSound")});
}
} // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent) {
    // One main window per program: its window state starts afresh with it.
    MainState::Running = false;
    MainState::VolumeClicks = 0;

    BuildLayout();
    BuildComponents();
    BuildMenu();
    ConnectHandlers();

    // The sound device opens as soon as the window is built; a failure here is silent, the
    // explicit opening in FormCreate reports it.
    DXSound = new TDXSound(this);
    DXSound->setObjectName(QStringLiteral("DXSound"));
    DXSound->AutoInitialize = true;
    DXSound->OnFinalize = [this](QObject* sender) { DXSoundFinalize(sender); };
    DXSound->Loaded();

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName(kSettingsFileName);
    TWinMinMaxInfo limits;
    limits.MinTrackWidth = 576;
    limits.MinTrackHeight = 152;
    FormStorage1->SetMinMaxInfo(limits);
    FormStorage1->SetStoredProps({"DivCheck.Checked", "FreqEdit.Value", "RxSlider1.Value",
                                  "Timer1.Interval", "UpDown1.Position", "UpDown2.Position",
                                  "UpDown3.Position", "Volume.Position", "Half.Checked"});
    FormStorage1->BindStoredProps();
    FormStorage1->OnRestorePlacement = [this](QObject*) { RepairRestoredIntervals(); };

    Guard([this] { FormCreate(this); });
    Guard([this] { Session_->LoadRemembered(); });
    Guard([this] { Flash_->LoadOptions(); });
    Guard([this] { Tone_->LoadOptions(); });
    Guard([this] { Journal_->LoadOptions(); });

    // Sees every key before the control with the focus does, so no control can keep Esc from
    // stopping a run.
    qApp->installEventFilter(this);
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    Guard([this] { Journal_->WindowClosing(); }); // a run still on ends with the window
    // No firing may reach a window that is going away.
    Timer1->SetEnabled(false);
    Timer2->SetEnabled(false);
    Pacer_.reset(); // no display frame may reach a window that is going away
    // The tone belongs to the process's sound output, which outlives the window.
    Guard([this] { Tone_->RunStopped(); });
    // The settings component saves first if it has not yet, then the window's own destroy
    // handler; closing the sound device runs DXSoundFinalize, which frees the sound buffer
    // before the device.
    FormStorage1->WindowDestroying();
    Guard([this] { FormDestroy(this); });
    delete DXSound;
    DXSound = nullptr;
    SoundBuffer_.reset();
    // The controls go with the window's children; none of them may call back into a window
    // that is half gone (an edit losing the focus as it goes, for instance).
    FreqEdit->OnChange = nullptr;
    RxSlider1->OnChanged = nullptr;
    for (TASSwitcher* knob : {UpDown1, UpDown2, UpDown3, Volume}) {
        knob->OnChange = nullptr;
        knob->OnClick = nullptr;
    }
    Start->OnClick = nullptr;
    disconnect(this);
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

void TMainForm::FormCreate(QObject*) {
    // Opening closes the automatic opening first and opens the device again.
    DXSound->Initialize();
    // The holder the library's pictures are loaded into.
    SourcePicture_ = std::make_unique<TPicture>();
    // The sound buffer, on the device just opened.
    SoundBuffer_ = std::make_unique<TDirectSoundBuffer>(OpenDevice(*DXSound));
    // The settings file.
    IniFile_ = std::make_unique<TIniFile>(kSettingsFileName);
    // The list indices apply to the placeholder lists; one they lack leaves no selection.
    ComboBox1->setCurrentIndex(IniFile_->ReadInteger(kOptions, "ItemIndex1", 0));
    ComboBox2->setCurrentIndex(IniFile_->ReadInteger(kOptions, "ItemIndex2", 0));
    // The library last used, or the default one when its file is gone.
    RunParams.LibraryPath = IniFile_->ReadString(kOptions, "LibrName", kDefaultLibrary);
    if (!LibraryFileExists(RunParams.LibraryPath)) RunParams.LibraryPath = kDefaultLibrary;
    // The Start button's pictures.
    SetStartPictures("Startup", "Startover", "Stopup");
    // Loads the library and fills the lists.
    RezCharge();
    // The sound's base rate from the main frequency.
    RunParams.BaseRate = BaseRateFromFrequency(FreqEdit->Value());
    SetSoundFrequency(RunParams.BaseRate);
    Tone_->FrequencyChanged();
    // The knobs' run parameters. A plain copy: the Depth knob springs to 1 only when it is moved.
    RunParams.TransformLevel = UpDown1->Position();
    RunParams.FMDepth = FMDepthFromKnob(UpDown3->Position());
    RunParams.AMDepth = AMDepthFromKnob(UpDown2->Position());
    // The buffer's volume from the Volume knob.
    VolumeChange(this);
    // Both intervals from the slider and "1/2 Period", so that what the settings keep says
    // what the run does; the phase's rate from the box.
    const int picture = PictureInterval(RxSlider1->Value());
    SetRunIntervals(picture, SoundInterval(picture, Half->isChecked()), Half->isChecked());
    FollowFrequency();
    // Modulation starts from its first step.
    RunParams.ModPhase = 0;
}

void TMainForm::RepairRestoredIntervals() {
    // The stored picture interval may disagree with the restored slider (a damaged value
    // restores as 0, an old file may hold another): the slider says what it is, and the sound
    // timer's interval and the sweep follow it and the restored "1/2 Period".
    const int picture = PictureInterval(RxSlider1->Value());
    SetRunIntervals(picture, SoundInterval(picture, Half->isChecked()), Half->isChecked());
    FollowFrequency(); // also where FormCreate stopped before it
}

void TMainForm::FormDestroy(QObject*) {
    // A refused write stops the remaining writes; the holder and the settings object are
    // freed all the same.
    struct FreeOnExit {
        TMainForm& form;
        ~FreeOnExit() {
            form.SourcePicture_.reset();
            form.IniFile_.reset();
        }
    } freeOnExit{*this};
    if (!IniFile_) return; // FormCreate stopped before the settings object was made
    // One replacement of the file for the three keys; the keys written before a refused one
    // still reach the file.
    IniFile_->BeginUpdate();
    try {
        IniFile_->WriteInteger(kOptions, "ItemIndex1", ComboBox1->currentIndex());
        IniFile_->WriteInteger(kOptions, "ItemIndex2", ComboBox2->currentIndex());
        IniFile_->WriteString(kOptions, "LibrName", RunParams.LibraryPath);
    } catch (...) {
        try {
            IniFile_->EndUpdate();
        } catch (...) {
            // The refused key is the failure reported.
        }
        throw;
    }
    IniFile_->EndUpdate();
}
