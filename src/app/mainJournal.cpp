// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainJournal.h"

#include "app/JournalWindow.h"
#include "app/main.h"
#include "app/mainSession.h"
#include "app/mainTone.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "run/RunParameters.h"
#include "session/SessionFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace {
const char* const kOptions = "Options";
const char* const kMaxKBKey = "JournalMaxKB";
// How far back a session's setting may lie and still be the session's: its ticker looks every
// 25 ms, later on a busy machine.
constexpr int64_t kSessionFrequencyWindowMs = 2 * kSessionTickMs;
constexpr int64_t kSessionKnobWindowMs = 1000;

std::string SessionCaption(const std::string& path) {
    QFile file(QString::fromStdString(path));
    std::string title;
    if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly))
        title = SessionTitle(file.read(4096).toStdString());
    return title.empty() ? QFileInfo(file).fileName().toStdString() : title;
}
} // namespace

TMainJournal::TMainJournal(TMainForm& form)
    : QObject(&form), form_(form), journal_(std::make_unique<TJournal>(DefaultJournalPath())) {
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    now_ = [] { return clock.elapsed(); };

    form.PopupMenu1->addSeparator();
    Bookmark1 = form.PopupMenu1->addAction(tr("Bookmark"));
    Bookmark1->setObjectName(QStringLiteral("Bookmark1"));
    Bookmark1->setShortcut(QKeySequence(Qt::Key_B));
    Bookmark1->setShortcutContext(Qt::WindowShortcut);
    Bookmark1->setAutoRepeat(false);
    Bookmark1->setEnabled(false);
    // The key works with the menu closed too.
    form.addAction(Bookmark1);
    connect(Bookmark1, &QAction::triggered, this, [this] { Guard([this] { AddBookmark(); }); });
    Journal1 = form.PopupMenu1->addAction(tr("Journal..."));
    Journal1->setObjectName(QStringLiteral("Journal1"));
    connect(Journal1, &QAction::triggered, this, [this] { Guard([this] { ShowWindow(); }); });
    qApp->installEventFilter(this);
}

TMainJournal::~TMainJournal() {
    qApp->removeEventFilter(this);
    // The window looks at this journal; it goes first.
    delete window_.data();
}

void TMainJournal::LoadOptions() {
    if (TIniFile* ini = form_.IniFile())
        journal_->SetMaxBytes(int64_t{ini->ReadInteger(kOptions, kMaxKBKey, kJournalMaxKBDefault)} *
                              1024);
}

int64_t TMainJournal::RunMs() const {
    return std::max<int64_t>(now_() - startedAt_, 0);
}

bool TMainJournal::SessionRunning() const {
    TMainSession* session = form_.Session();
    return session && session->Loaded() && session->Clock().Running();
}

int32_t TMainJournal::Frequency() const {
    return static_cast<int32_t>(
        std::clamp<uint32_t>(FrequencyMilliHz(form_.FreqEdit->Value()), 100, 35000));
}

int TMainJournal::KnobPosition(TSessionKnob knob) const {
    switch (knob) {
    case TSessionKnob::Depth:
        return form_.UpDown1->Position();
    case TSessionKnob::AM:
        return form_.UpDown2->Position();
    case TSessionKnob::FM:
        return form_.UpDown3->Position();
    case TSessionKnob::Volume:
        return form_.Volume->Position();
    case TSessionKnob::Half:
        return form_.Half->isChecked() ? 1 : 0;
    case TSessionKnob::Tone:
        return static_cast<int>(form_.Tone()->Mode());
    case TSessionKnob::Carrier:
        return form_.Tone()->Carrier();
    }
    return 0;
}

void TMainJournal::RunStarted() {
    TJournalStart start;
    start.WallMs = QDateTime::currentMSecsSinceEpoch();
    start.Library = RunParams.LibraryPath;
    start.Picture = form_.ComboBox1->currentText().toStdString();
    start.Sound = form_.ComboBox2->currentText().toStdString();
    pointsReached_ = 0;
    if (TMainSession* session = form_.Session(); session && session->Loaded()) {
        start.SessionFile = session->FileName();
        start.SessionTitle = SessionCaption(session->FileName());
        start.SessionMs = session->PositionMs();
        const auto& points = session->Session()->Points();
        pointsReached_ = static_cast<size_t>(
            std::count_if(points.begin(), points.end(), [&start](const TSessionPoint& p) {
                return p.TimeMs <= start.SessionMs;
            }));
    }
    start.FrequencyMilli = Frequency();
    for (int k = 0; k < kSessionKnobCount; ++k)
        start.Knobs[static_cast<size_t>(k)] =
            static_cast<int16_t>(KnobPosition(static_cast<TSessionKnob>(k)));
    startedAt_ = now_();
    escPressed_ = false;
    journal_->BeginRun(start);
    Bookmark1->setEnabled(true);
    if (window_) window_->Reload();
}

void TMainJournal::RunStopped() {
    const bool esc = escPressed_;
    escPressed_ = false;
    Bookmark1->setEnabled(false);
    // A run deleted from the journal while it went is no longer written.
    if (!journal_->Running()) return;
    TJournalEnd reason = TJournalEnd::Stop;
    TMainSession* session = form_.Session();
    if (esc) {
        reason = TJournalEnd::Esc;
    } else if (session && session->Loaded() &&
               session->Clock().ElapsedMs() >= session->Session()->LengthMs()) {
        reason = TJournalEnd::SessionEnd;
    }
    const TJournalFrames frames = Frames();
    journal_->EndRun(RunMs(), reason, &frames);
    if (window_) window_->Reload();
}

void TMainJournal::FrequencyChanged() {
    if (!MainState::Running || !journal_->Running()) return;
    const int32_t milli = Frequency();
    bool bySession = false, atPoint = false;
    if (SessionRunning() && !nudging_) {
        // The session sets what its line holds at the moment it looks; a hand rarely hits it.
        const TSession& session = *form_.Session()->Session();
        const int64_t e = form_.Session()->PositionMs();
        const int64_t from = std::max<int64_t>(e - kSessionFrequencyWindowMs, 0);
        int32_t low = std::min(session.FrequencyMilliAt(from), session.FrequencyMilliAt(e));
        int32_t high = std::max(session.FrequencyMilliAt(from), session.FrequencyMilliAt(e));
        size_t reached = 0;
        for (const TSessionPoint& p : session.Points()) {
            if (p.TimeMs > e) break;
            ++reached;
            if (p.TimeMs >= from) {
                low = std::min(low, p.FrequencyMilli);
                high = std::max(high, p.FrequencyMilli);
            }
        }
        bySession = milli >= low - 1 && milli <= high + 1;
        if (bySession) {
            atPoint = reached != pointsReached_;
            pointsReached_ = reached;
        }
    }
    journal_->Frequency(RunMs(), milli, bySession, atPoint, nudging_);
}

void TMainJournal::KnobChanged(TSessionKnob knob) {
    if (!MainState::Running || !journal_->Running()) return;
    const int value = KnobPosition(knob);
    bool bySession = false;
    if (SessionRunning()) {
        const int64_t e = form_.Session()->PositionMs();
        for (const TSessionPoint& p : form_.Session()->Session()->Points()) {
            if (p.TimeMs > e) break;
            if (p.TimeMs >= e - kSessionKnobWindowMs && p.Knob(knob) == value) bySession = true;
        }
    }
    journal_->Knob(RunMs(), knob, value, bySession);
}

void TMainJournal::CuePlayed(const TSessionPoint& point) {
    if (!MainState::Running || !journal_->Running()) return;
    // At the point's moment, which may lie a little ahead of now.
    const int64_t ahead = SessionRunning() ? point.TimeMs - form_.Session()->PositionMs() : 0;
    journal_->Cue(std::max<int64_t>(RunMs() + ahead, 0), point.Bell, point.Say);
}

TJournalFrames TMainJournal::Frames() const {
    const TFrameStats stats = form_.LastFrameStats();
    TJournalFrames frames;
    frames.Mode = FrameModeKey(stats.Mode);
    frames.Shown = stats.Shown;
    frames.Late = stats.Late;
    frames.Dropped = stats.Dropped;
    frames.NotDue = stats.NotDue;
    frames.RefreshHz = stats.RefreshHz;
    frames.Clock = stats.ClockSource;
    return frames;
}

void TMainJournal::WindowClosing() {
    if (!journal_->Running()) return;
    const TJournalFrames frames = Frames();
    journal_->EndRun(RunMs(), quitSignalled_ ? TJournalEnd::Signal : TJournalEnd::WindowClosed,
                     &frames);
}

bool TMainJournal::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !MainState::Running) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (key->key() != Qt::Key_B || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
        !widget || widget->window() != &form_)
        return false;
    if (!key->isAutoRepeat()) Guard([this] { AddBookmark(); });
    return true;
}

int TMainJournal::AddBookmark() {
    if (!MainState::Running || !journal_->Running()) return 0;
    const int number = journal_->Mark(RunMs());
    if (window_) window_->Reload();
    return number;
}

void TMainJournal::ShowWindow() {
    if (!window_) window_ = new TJournalWindow(*this, &form_);
    window_->Reload();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

TJournalWindow* TMainJournal::Window() const {
    return window_;
}
