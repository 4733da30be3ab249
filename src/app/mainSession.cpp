// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions in the main window: the "Load Session...", "Import Session..." and "End Session" menu
// items, the remembered session, and following the loaded one while the run is on.
#include "app/mainSession.h"

#include "app/ProgramTitle.h"
#include "app/SessionWindow.h"
#include "app/main.h"
#include "app/mainJournal.h"
#include "app/mainTone.h"
#include "audio/FrameClock.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "exchange/Import.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "platform/ModuleSearch.h"
#include "run/RunParameters.h"
#include "session/SessionFile.h"
#include "sound/Cues.h"
#include "sound/DXClass.h"
#include "sound/DXSounds.h"
#include "sound/Speech.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {
const char* const kOptions = "Options";
const char* const kSessionKey = "SessionFile";
// The folder "Load Session..." last took a file from.
const char* const kSessionFolderKey = "SessionFolder";
QString Caption() {
    return ProgramTitle();
}
QString SessionFilter() {
    return TMainForm::tr("Velmora Sessions|*.vsession");
}
// The folder "Import Session..." last took a schedule from.
const char* const kImportFolderKey = "ImportFolder";
QString ImportFilter() {
    return TMainForm::tr("Schedules|*.sbg;*.spsq;*.json;*.gnaural|All Files|*");
}

// Where imported sessions go: the user's data folder ($XDG_DATA_HOME when that is an absolute
// path, else ~/.local/share), made when missing.
std::string ImportedSessionFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::filesystem::path home =
        xdg != nullptr && xdg[0] == '/'
            ? std::filesystem::path(xdg)
            : std::filesystem::path(QDir::homePath().toStdString()) / ".local/share";
    const std::filesystem::path folder = home / "velmora" / "sessions";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        FailImport(QT_TRANSLATE_NOOP("Import", "cannot make the folder %1: %2"),
                   {folder.string(), error.message()});
    return folder.string();
}

// A session file of the schedule's name that is not there yet, "NAME.vsession", else
// "NAME 2.vsession" and on: made empty at once, so that nothing else takes the name before the
// session is written over it.
std::string FreeSessionPath(const std::string& folder, const std::string& stem) {
    for (int n = 1; n <= 1000; ++n) {
        const std::string path =
            folder + "/" + stem + (n == 1 ? std::string() : " " + std::to_string(n)) + ".vsession";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            FailImport(QT_TRANSLATE_NOOP("Import", "cannot write %1: %2"),
                       {path, std::strerror(errno)});
    }
    FailImport(QT_TRANSLATE_NOOP("Import", "no free name for %1.vsession in %2"), {stem, folder});
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
    ImportSession1 = PopupMenu1->addAction(TMainForm::tr("Import Session..."));
    ImportSession1->setObjectName(QStringLiteral("ImportSession1"));
    EndSession1 = PopupMenu1->addAction(TMainForm::tr("End Session"));
    EndSession1->setObjectName(QStringLiteral("EndSession1"));
    EndSession1->setVisible(false);
    Sessions1 = new QMenu(TMainForm::tr("Sessions"), PopupMenu1);
    Sessions1->setObjectName(QStringLiteral("Sessions1"));
    PopupMenu1->insertMenu(EndSession1, Sessions1);
    SessionView1 = new QAction(TMainForm::tr("Session..."), PopupMenu1);
    SessionView1->setObjectName(QStringLiteral("SessionView1"));
    SessionView1->setVisible(false);
    PopupMenu1->insertAction(EndSession1, SessionView1);
    connect(SessionView1, &QAction::triggered, this,
            [this] { Guard([this] { Session_->ShowWindow(); }); });
    for (const TSessionEntry& entry : ListSessionFiles(FindDataFolder("sessions"))) {
        // The title is the file's own text, not the program's: it is not translated.
        QAction* item = Sessions1->addAction(QString::fromStdString(entry.Title));
        item->setObjectName(QStringLiteral("ShippedSession"));
        const std::string path = entry.Path;
        connect(item, &QAction::triggered, this,
                [this, path] { Guard([this, &path] { Session_->Load(path, true); }); });
    }
    Sessions1->menuAction()->setEnabled(!Sessions1->isEmpty());
    connect(LoadSession1, &QAction::triggered, this,
            [this] { Guard([this] { LoadSession1Click(LoadSession1); }); });
    connect(ImportSession1, &QAction::triggered, this,
            [this] { Guard([this] { ImportSession1Click(ImportSession1); }); });
    connect(EndSession1, &QAction::triggered, this,
            [this] { Guard([this] { EndSession1Click(EndSession1); }); });
    Session_ = std::make_unique<TMainSession>(*this);
}

namespace {
// The open dialog is shared with "Load Library": its filter and folder go back after each use.
struct TRestoreLibraryFilter {
    TOpenDialog& dialog;
    ~TRestoreLibraryFilter() {
        dialog.Filter = TMainForm::tr(kLibraryFilter);
        dialog.InitialDir.clear();
    }
};
} // namespace

void TMainForm::LoadSession1Click(QObject*) {
    const TRestoreLibraryFilter restore{OpenDialog1};
    OpenDialog1.Filter = SessionFilter();
    // The user's last folder, else the shipped sessions.
    std::string folder = IniFile_ ? IniFile_->ReadString(kOptions, kSessionFolderKey, "") : "";
    if (folder.empty() || !QFileInfo(QString::fromStdString(folder)).isDir())
        folder = FindDataFolder("sessions");
    OpenDialog1.InitialDir = QString::fromStdString(folder);
    if (!OpenDialog1.Execute(this)) return;
    const QString chosenFolder = QFileInfo(OpenDialog1.FileName).absolutePath();
    if (IniFile_) IniFile_->WriteString(kOptions, kSessionFolderKey, chosenFolder.toStdString());
    Session_->Load(OpenDialog1.FileName.toStdString(), true);
}

void TMainForm::ImportSession1Click(QObject*) {
    const TRestoreLibraryFilter restore{OpenDialog1};
    OpenDialog1.Filter = ImportFilter();
    const std::string folder = IniFile_ ? IniFile_->ReadString(kOptions, kImportFolderKey, "") : "";
    if (!folder.empty() && QFileInfo(QString::fromStdString(folder)).isDir())
        OpenDialog1.InitialDir = QString::fromStdString(folder);
    if (!OpenDialog1.Execute(this)) return;
    const QFileInfo source(OpenDialog1.FileName);
    if (IniFile_)
        IniFile_->WriteString(kOptions, kImportFolderKey, source.absolutePath().toStdString());
    const TImported imported = ImportScheduleFile(source.absoluteFilePath().toStdString());
    const std::string path =
        FreeSessionPath(ImportedSessionFolder(), source.completeBaseName().toStdString());
    try {
        WriteImportedSession(path, imported.Text);
    } catch (...) {
        std::remove(path.c_str());
        throw;
    }
    Session_->Load(path, true);
    if (imported.Report.empty()) return;
    // The list stays beside the window while the session is looked at; the report itself is
    // the converter's, as in the session file's header.
    auto* box = new QMessageBox(QMessageBox::Information, tr("Import Session"),
                                tr("%1 was imported as %2. What a session cannot hold was left "
                                   "out or changed:")
                                    .arg(source.fileName(), QString::fromStdString(path)),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("ImportReport"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QStringList lines;
    for (const std::string& line : imported.Report)
        lines << QStringLiteral("\u2022 ") + QString::fromStdString(line);
    box->setInformativeText(lines.join(QLatin1Char('\n')));
    box->open();
}

void TMainForm::OpenFile(const QString& path) {
    // Absolute, so that a bare name means the file here, not one the module search finds first.
    const QFileInfo file(path);
    if (file.suffix().compare(QLatin1String("zdl"), Qt::CaseInsensitive) == 0) {
        // One that cannot be loaded is reported now and not kept for the next start.
        const std::string previous = RunParams.LibraryPath;
        RunParams.LibraryPath = file.absoluteFilePath().toStdString();
        try {
            RezCharge();
        } catch (...) {
            RunParams.LibraryPath = previous;
            throw;
        }
        return;
    }
    Session_->Load(file.absoluteFilePath().toStdString(), true);
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

TMainSession::~TMainSession() {
    // The window looks at this session; it goes first.
    delete window_.data();
}

int64_t TMainSession::PositionMs() const {
    if (!session_) return 0;
    return std::min(clock_.ElapsedMs(), session_->LengthMs());
}

void TMainSession::Seek(int64_t ms) {
    if (!session_ || MainState::Running) return;
    const int64_t position = std::clamp<int64_t>(ms, 0, session_->LengthMs());
    // Followed afresh from the start, so every knob stands as the session has it there.
    follower_->Rewind();
    clock_.Seek(position);
    Follow(position);
    // The cues from here on play; their texts are spoken while the run is still stopped.
    cues_->Seek(position);
    AskSpeech(position);
    ShowTimes();
}

TSessionWindow* TMainSession::Window() const {
    return window_;
}

void TMainSession::ShowWindow() {
    if (!session_) return;
    if (!window_) window_ = new TSessionWindow(*this, &form_);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TMainSession::Load(const std::string& path, bool remember) {
    const std::string absolute =
        QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    auto session = std::make_unique<TSession>(LoadSessionFile(absolute));
    ticker_.stop();
    follower_.reset();
    offsetMilli_ = 0;
    session_ = std::move(session);
    follower_ = std::make_unique<TSessionFollower>(*session_);
    // The new session sets a tone of its own, if it has one.
    if (TMainTone* tone = form_.Tone()) tone->SessionEnded();
    path_ = absolute;
    clock_.Rewind();
    ResetCues();
    // The window drew the session just freed; it must not paint it even once more.
    if (window_) window_->SessionChanged();
    ShowMenu();
    ShowTimes();
    if (remember) Remember(path_);
    if (MainState::Running) RunStarting();
}

void TMainSession::End() {
    ticker_.stop();
    offsetMilli_ = 0;
    clock_.Rewind();
    follower_.reset();
    session_.reset();
    ResetCues();
    if (TMainTone* tone = form_.Tone()) tone->SessionEnded();
    path_.clear();
    if (window_) window_->SessionChanged();
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
    if (clock_.ElapsedMs() == 0) {
        follower_->Rewind();
        cues_->Seek(0);
    }
    clock_.Start();
    Follow(clock_.ElapsedMs());
    FollowCues(clock_.ElapsedMs());
    ticker_.start();
    ShowTimes();
}

void TMainSession::RunStopped() {
    ticker_.stop();
    clock_.Pause();
    if (cues_) {
        // A cue handed out ahead of a Stop is taken back, and comes again after Start; one
        // whose moment had come has begun and is not played twice.
        cues_->Seek(clock_.ElapsedMs() + 1);
        speechDue_.clear();
        TDirectSound* device = form_.DXSound ? form_.DXSound->Device() : nullptr;
        if (device && !finishing_) StopCueSounds(*device);
    }
    ShowTimes();
}

void TMainSession::FrequencyChanged() {
    if (follower_ && !applying_) follower_->ReleaseFrequency();
}

void TMainSession::Tick() {
    if (!session_) return;
    if (!clock_.Running()) {
        // Stopped, only the texts spoken meanwhile are taken.
        if (cues_) TakeSpeech(clock_.ElapsedMs());
        return;
    }
    const int64_t elapsed = std::min(clock_.ElapsedMs(), session_->LengthMs());
    Follow(elapsed);
    FollowCues(elapsed);
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
    {
        // The session's last cue, a closing bell say, rings on after the run has stopped.
        Applying finishing(finishing_);
        if (MainState::Running) form_.StartButtonClick(form_.Start);
    }
    ticker_.stop();
    clock_.Rewind();
    follower_->Rewind();
    ShowTimes();
}

void TMainSession::SetFrequency(int32_t milli) {
    // The edit's own change handler carries it on to the slider, both timers, the base rate
    // and the band label, exactly as when the user types it; a nudge's shift rides on the line.
    form_.FreqEdit->SetValue(FrequencyFromMilli(std::clamp(milli + offsetMilli_, 100, 35000)));
}

bool TMainSession::FollowsFrequency() const {
    return session_ && follower_ && follower_->FrequencyHeld() && clock_.Running();
}

void TMainSession::SetOffset(int32_t milli) {
    offsetMilli_ = milli;
    if (FollowsFrequency()) {
        Applying applying(applying_);
        SetFrequency(session_->FrequencyMilliAt(PositionMs()));
    }
    ShowTimes();
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
    case TSessionKnob::Tone:
        form_.Tone()->SetSessionMode(static_cast<TToneMode>(value));
        break;
    case TSessionKnob::Carrier:
        form_.Tone()->SetSessionCarrier(value);
        break;
    }
}

// ---- Cues

namespace {
TDirectSound* CueDevice(TMainForm& form) {
    return form.DXSound ? form.DXSound->Device() : nullptr;
}
} // namespace

void TMainSession::ResetCues() {
    cues_.reset();
    spoken_.clear();
    speechAsked_.clear();
    speechFailed_.clear();
    speechDue_.clear();
    speechReported_ = false;
    if (speech_) speech_->Clear();
    if (!session_) return;
    cues_ = std::make_unique<TSessionCues>(*session_);
    TDirectSound* device = CueDevice(form_);
    const auto& points = session_->Points();
    // The bell is made here, once, so nothing is made when it is due.
    if (device && std::any_of(points.begin(), points.end(), [](auto& p) { return p.Bell; }))
        bell_ = BellSound(device->RequireSound().OutputRate());
    AskSpeech(0);
}

void TMainSession::AskSpeech(int64_t elapsedMs) {
    TDirectSound* device = CueDevice(form_);
    if (!cues_ || !device) return;
    for (size_t i = 0;; ++i) {
        const TSessionPoint* p = cues_->Ahead(i);
        if (p == nullptr || p->TimeMs > elapsedMs + kSpeechAheadMs) break;
        const auto index = static_cast<size_t>(p - session_->Points().data());
        if (p->Say.empty() || spoken_.count(index) || speechAsked_.count(index) ||
            speechFailed_.count(index))
            continue;
        if (!speech_) speech_ = std::make_unique<TSpeechWorker>();
        speech_->Request(index, p->Say, UserSpeechLanguages(), device->RequireSound().OutputRate());
        speechAsked_[index] = true;
    }
}

void TMainSession::TakeSpeech(int64_t elapsedMs) {
    if (!speech_) return;
    for (auto it = speechAsked_.begin(); it != speechAsked_.end();) {
        TSpeechWorker::Result result;
        if (!speech_->Take(it->first, result)) {
            ++it;
            continue;
        }
        if (result.Sound) {
            spoken_[it->first] = std::move(result.Sound);
        } else {
            speechFailed_.insert(it->first); // not asked again in this session
            ReportSpeech(result.Error);
        }
        it = speechAsked_.erase(it);
    }
    // Texts whose point came before they were spoken: played now, unless it is too late.
    TDirectSound* device = CueDevice(form_);
    std::erase_if(speechDue_, [&](size_t index) {
        const int64_t late = elapsedMs - session_->Points()[index].TimeMs;
        if (speechAsked_.count(index) && late <= kSpeechLateMs) return false;
        const auto found = spoken_.find(index);
        if (found != spoken_.end() && device && late <= kSpeechLateMs)
            PlayCueSound(*device, found->second, form_.Volume->Position());
        if (found != spoken_.end()) spoken_.erase(found);
        return true;
    });
}

void TMainSession::FollowCues(int64_t elapsedMs) {
    if (!cues_) return;
    TakeSpeech(elapsedMs);
    AskSpeech(elapsedMs);
    while (const TSessionPoint* point = cues_->Next(elapsedMs + kCueLeadMs))
        PlayCue(*point, elapsedMs);
}

void TMainSession::PlayCue(const TSessionPoint& point, int64_t elapsedMs) {
    TDirectSound* device = CueDevice(form_);
    if (device == nullptr) return;
    // At the point's own moment, a little ahead of now or just gone.
    lastCueStamp_ =
        (steadyNs_ ? steadyNs_() : SteadyNanos()) + (point.TimeMs - elapsedMs) * 1000000;
    const ScopedChangeStamp stamp(lastCueStamp_);
    const int volume = form_.Volume->Position();
    if (point.Bell && bell_) PlayCueSound(*device, bell_, volume);
    if (!point.Say.empty()) {
        const auto index = static_cast<size_t>(&point - session_->Points().data());
        const auto found = spoken_.find(index);
        if (found != spoken_.end()) {
            PlayCueSound(*device, found->second, volume);
            spoken_.erase(found);
        } else if (speechAsked_.count(index)) {
            speechDue_.push_back(index);
        }
    }
    ++cuesPlayed_;
    if (TMainJournal* journal = form_.Journal()) journal->CuePlayed(point);
}

void TMainSession::ReportSpeech(const std::string& why) {
    if (speechReported_) return;
    speechReported_ = true;
    // Once a session, beside the window: the session goes on with its other cues.
    auto* box = new QMessageBox(QMessageBox::Information, TMainForm::tr("Session"),
                                TMainForm::tr("The session's spoken cues are left out: %1")
                                    .arg(QString::fromStdString(why)),
                                QMessageBox::Ok, &form_);
    box->setObjectName(QStringLiteral("SpeechReport"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TMainSession::ShowTimes() {
    const int64_t elapsed = clock_.ElapsedMs();
    if (!session_ || (!clock_.Running() && elapsed == 0)) {
        form_.setWindowTitle(Caption());
        return;
    }
    // Whole seconds gone, and the rest of the session, so the two always add up to its length.
    const int64_t gone = std::min(elapsed, session_->LengthMs()) / 1000 * 1000;
    QString title =
        TMainForm::tr("%1 - %2 elapsed, %3 left")
            .arg(Caption(), QString::fromStdString(FormatSessionTime(gone)),
                 QString::fromStdString(FormatSessionTime(session_->LengthMs() - gone)));
    if (offsetMilli_ != 0) {
        title = TMainForm::tr("%1 (shifted %2 Hz)")
                    .arg(title, (offsetMilli_ > 0 ? QStringLiteral("+") : QString()) +
                                    QLocale().toString(offsetMilli_ / 1000.0, 'f', 1));
    }
    if (form_.windowTitle() != title) form_.setWindowTitle(title);
}

void TMainSession::ShowMenu() {
    form_.EndSession1->setVisible(session_ != nullptr);
    form_.SessionView1->setVisible(session_ != nullptr);
}
