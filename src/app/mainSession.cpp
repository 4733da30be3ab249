// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions in the main window: the "Load Session..." and "End Session" menu items, the
// remembered session, and following the loaded one while the run is on.
#include "app/mainSession.h"

#include "app/ProgramTitle.h"
#include "app/main.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "session/SessionFile.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

namespace {
const char* const kOptions = "Options";
const char* const kSessionKey = "SessionFile";
QString Caption() {
    return ProgramTitle();
}
QString SessionFilter() {
    return TMainForm::tr("Velmora Sessions|*.vsession");
}

// Marks the session's own settings of controls for as long as it lives, so that the window's
// handlers can tell them from the user's.
struct Applying {
    bool& flag;
    explicit Applying(bool& f) : flag(f) { flag = true; }
    ~Applying() { flag = false; }
};
} // namespace

// ---- The window's side

void TMainForm::BuildSession() {
    LoadSession1 = PopupMenu1->addAction(TMainForm::tr("Load Session..."));
    LoadSession1->setObjectName(QStringLiteral("LoadSession1"));
    EndSession1 = PopupMenu1->addAction(TMainForm::tr("End Session"));
    EndSession1->setObjectName(QStringLiteral("EndSession1"));
    EndSession1->setVisible(false);
    connect(LoadSession1, &QAction::triggered, this,
            [this] { Guard([this] { LoadSession1Click(LoadSession1); }); });
    connect(EndSession1, &QAction::triggered, this,
            [this] { Guard([this] { EndSession1Click(EndSession1); }); });
    Session_ = std::make_unique<TMainSession>(*this);
}

void TMainForm::LoadSession1Click(QObject*) {
    struct RestoreFilter {
        TOpenDialog& dialog;
        ~RestoreFilter() { dialog.Filter = TMainForm::tr(kLibraryFilter); }
    } restore{OpenDialog1};
    OpenDialog1.Filter = SessionFilter();
    if (!OpenDialog1.Execute(this)) return;
    Session_->Load(OpenDialog1.FileName.toStdString(), true);
}

void TMainForm::EndSession1Click(QObject*) {
    Session_->End();
}

// ---- The session

TMainSession::TMainSession(TMainForm& form) : form_(form) {
    ticker_.setInterval(static_cast<int>(kSessionTickMs));
    ticker_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker_, &QTimer::timeout, [this] {
        // A failure is reported once; the session then stands still until the next Start.
        if (!Guard([this] { Tick(); })) RunStopped();
    });
}

TMainSession::~TMainSession() = default;

void TMainSession::Load(const std::string& path, bool remember) {
    const std::string absolute =
        QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    auto session = std::make_unique<TSession>(LoadSessionFile(absolute));
    ticker_.stop();
    follower_.reset();
    session_ = std::move(session);
    follower_ = std::make_unique<TSessionFollower>(*session_);
    path_ = absolute;
    clock_.Rewind();
    ShowMenu();
    ShowTimes();
    if (remember) Remember(path_);
    if (MainState::Running) RunStarting();
}

void TMainSession::End() {
    ticker_.stop();
    clock_.Rewind();
    follower_.reset();
    session_.reset();
    path_.clear();
    ShowMenu();
    ShowTimes();
    Remember({});
}

void TMainSession::LoadRemembered() {
    TIniFile* settings = form_.IniFile();
    if (settings == nullptr) return;
    const std::string path = settings->ReadString(kOptions, kSessionKey, "");
    if (path.empty()) return;
    if (!QFileInfo(QString::fromStdString(path)).isFile()) {
        Remember({});
        return;
    }
    try {
        Load(path, false);
    } catch (...) {
        // Reported once: the next start finds nothing to load.
        Remember({});
        throw;
    }
}

void TMainSession::Remember(const std::string& path) {
    if (TIniFile* settings = form_.IniFile()) settings->WriteString(kOptions, kSessionKey, path);
}

void TMainSession::RunStarting() {
    if (!session_) return;
    // From the start the session holds every control afresh, whatever was moved before.
    if (clock_.ElapsedMs() == 0) follower_->Rewind();
    clock_.Start();
    Follow(clock_.ElapsedMs());
    ticker_.start();
    ShowTimes();
}

void TMainSession::RunStopped() {
    ticker_.stop();
    clock_.Pause();
    ShowTimes();
}

void TMainSession::FrequencyChanged() {
    if (follower_ && !applying_) follower_->ReleaseFrequency();
}

void TMainSession::Tick() {
    if (!session_ || !clock_.Running()) return;
    const int64_t elapsed = std::min(clock_.ElapsedMs(), session_->LengthMs());
    Follow(elapsed);
    if (elapsed >= session_->LengthMs()) {
        Finish();
        return;
    }
    ShowTimes();
}

void TMainSession::Follow(int64_t elapsedMs) {
    Applying applying(applying_);
    follower_->Follow(elapsedMs, *this);
}

void TMainSession::Finish() {
    if (MainState::Running) form_.StartButtonClick(form_.Start);
    ticker_.stop();
    clock_.Rewind();
    follower_->Rewind();
    ShowTimes();
}

void TMainSession::SetFrequency(int32_t milli) {
    // The edit's own change handler carries it on to the slider, both timers, the base rate
    // and the band label, exactly as when the user types it.
    form_.FreqEdit->SetValue(FrequencyFromMilli(milli));
}

void TMainSession::SetKnob(TSessionKnob knob, int value) {
    // A point's setting takes effect also where the control already shows it: the sound may
    // have left it (Apply plays at full volume; a frequency change takes the tenth whatever
    // "1/2 Period" shows).
    switch (knob) {
    case TSessionKnob::Depth:
        form_.UpDown1->SetPosition(value);
        break;
    case TSessionKnob::AM:
        form_.UpDown2->SetPosition(value);
        break;
    case TSessionKnob::FM:
        form_.UpDown3->SetPosition(value);
        break;
    case TSessionKnob::Volume:
        if (form_.Volume->Position() == value)
            form_.VolumeChange(form_.Volume);
        else
            form_.Volume->SetPosition(value);
        break;
    case TSessionKnob::Half:
        if (form_.Half->isChecked() == (value != 0))
            form_.HalfClick(form_.Half);
        else
            form_.Half->setChecked(value != 0);
        break;
    }
}

void TMainSession::ShowTimes() {
    const int64_t elapsed = clock_.ElapsedMs();
    if (!session_ || (!clock_.Running() && elapsed == 0)) {
        form_.setWindowTitle(Caption());
        return;
    }
    // Whole seconds gone, and the rest of the session, so the two always add up to its length.
    const int64_t gone = std::min(elapsed, session_->LengthMs()) / 1000 * 1000;
    const QString title =
        TMainForm::tr("%1 - %2 elapsed, %3 left")
            .arg(Caption(), QString::fromStdString(FormatSessionTime(gone)),
                 QString::fromStdString(FormatSessionTime(session_->LengthMs() - gone)));
    if (form_.windowTitle() != title) form_.setWindowTitle(title);
}

void TMainSession::ShowMenu() {
    form_.EndSession1->setVisible(session_ != nullptr);
}
