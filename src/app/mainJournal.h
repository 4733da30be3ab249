// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's journal of runs: each run written as it goes (journal/Journal.h), the
// "Bookmark" item and its B key, the "Journal..." item and window, and the setting
// "JournalMaxKB" of section "Options" that bounds the file. The window's handlers call the
// hooks below; the journal only listens and never changes the run.

#include "journal/Journal.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class TJournalWindow;
class TMainForm;

class TMainJournal : public QObject {
    Q_OBJECT
public:
    explicit TMainJournal(TMainForm& form);
    ~TMainJournal() override;

    QAction* Bookmark1 = nullptr;
    QAction* Journal1 = nullptr;

    // Reads the settings once the window has its settings file.
    void LoadOptions();
    TJournal& Journal() { return *journal_; }
    // Milliseconds on a monotonic clock; tests replace it.
    void SetTimeSource(std::function<int64_t()> now) { now_ = std::move(now); }

    // Hooks of the window's handlers.
    void RunStarted();
    // Esc stops the run: the next stop is by it.
    void EscPressed() { escPressed_ = true; }
    // Stop by the button, by Esc or at the session's end.
    void RunStopped();
    void FrequencyChanged();
    // While set, frequency changes are a nudge's glide.
    void SetNudging(bool nudging) { nudging_ = nudging; }
    void KnobChanged(TSessionKnob knob);
    // A session's cue is handed to the sound, to sound at its point's moment.
    void CuePlayed(const TSessionPoint& point);
    // A quit signal asked the window to close.
    void QuitSignalled() { quitSignalled_ = true; }
    // The window goes: a run still on ends here.
    void WindowClosing();

    // Marks the moment of the running run; 0 when none runs.
    int AddBookmark();
    // The "Journal..." window, made on first use.
    void ShowWindow();
    TJournalWindow* Window() const;

protected:
    // B while a run is on, wherever the focus is in the window: also where a control would
    // take the key before the item's shortcut sees it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int64_t RunMs() const;
    // The window's frame statistics of the run under way.
    TJournalFrames Frames() const;
    bool SessionRunning() const;
    int32_t Frequency() const;
    int KnobPosition(TSessionKnob knob) const;

    TMainForm& form_;
    std::unique_ptr<TJournal> journal_;
    std::function<int64_t()> now_;
    int64_t startedAt_ = 0;
    size_t pointsReached_ = 0;
    bool quitSignalled_ = false;
    bool escPressed_ = false;
    bool nudging_ = false;
    QPointer<TJournalWindow> window_;
};
