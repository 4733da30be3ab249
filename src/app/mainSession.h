// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window following a session: a loaded session file, its clock, and the follower
// that sets the frequency edit and the knobs through the window's own handlers. Start starts
// or resumes the session, Stop pauses it; at its end the run stops and the session rewinds.
// While it runs the window's caption shows the time gone and the time left, and the session's
// cues sound at their points: the bell made once, the texts spoken ahead of time on a worker
// thread, each cue played once at its point's moment.

#include "session/SessionClock.h"
#include "session/SessionCues.h"
#include "session/SessionFollower.h"

#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TMainForm;
class TSessionWindow;
class TSpeechWorker;
struct CueSound;

// How far ahead of its point a cue is handed to the sound, stamped with the point's moment, so
// that it lands on time however the ticks fall; and how far ahead a text is spoken.
inline constexpr int64_t kCueLeadMs = 150;
inline constexpr int64_t kSpeechAheadMs = 30000;
// A text not spoken by its point's time is played as soon as it is, up to this late.
inline constexpr int64_t kSpeechLateMs = 3000;

class TMainSession : public TSessionTarget {
public:
    explicit TMainSession(TMainForm& form);
    ~TMainSession() override;
    TMainSession(const TMainSession&) = delete;
    TMainSession& operator=(const TMainSession&) = delete;

    bool Loaded() const { return session_ != nullptr; }
    // The loaded file's absolute path; empty when none is loaded.
    const std::string& FileName() const { return path_; }
    const TSession* Session() const { return session_.get(); }
    // Tests replace its time source to drive it.
    TSessionClock& Clock() { return clock_; }

    // Loads a file in place of the loaded one; during a run it starts at once. A broken file
    // fails with its message and leaves the loaded session as it was. With remember, the file
    // becomes the one loaded at the next start.
    void Load(const std::string& path, bool remember);
    // Puts the session away; the controls keep their values and a run goes on.
    void End();
    // The session remembered in the settings, at program start: a file that has gone is
    // forgotten silently, a broken one is forgotten and its message raised.
    void LoadRemembered();

    // How far the session has come, within its length.
    int64_t PositionMs() const;
    // While stopped: moves the session to ms, setting the controls as the session has them
    // there; the next Start goes on from it. Ignored during a run.
    void Seek(int64_t ms);
    // The "Session..." window, made on first use.
    void ShowWindow();
    TSessionWindow* Window() const;

    // Hooks of the window's handlers.
    void RunStarting(); // Start, before the timers run
    void RunStopped();  // Stop
    void FrequencyChanged();

    // One look at the session: whatever is due is set, the caption shows the times, and at
    // the end the run stops. The window does this every kSessionTickMs while a session runs.
    void Tick();

    // Whether the running session sets the frequency now (the user has not taken it over).
    bool FollowsFrequency() const;
    // A shift of the session's line from now on, in thousandths of a hertz (nudges); the
    // frequency moves to the shifted line at once, and the caption shows the shift.
    int32_t OffsetMilli() const { return offsetMilli_; }
    void SetOffset(int32_t milli);

    void SetFrequency(int32_t milli) override;
    void SetKnob(TSessionKnob knob, int value) override;

    // Cues handed to the sound so far, the stamp of the last (steady-clock nanoseconds), and
    // texts still being spoken. Tests replace the steady clock the stamps are reckoned from.
    int CuesPlayed() const { return cuesPlayed_; }
    int64_t LastCueStamp() const { return lastCueStamp_; }
    size_t SpeechWaiting() const { return speechAsked_.size(); }
    void SetSteadySource(std::function<int64_t()> nowNs) { steadyNs_ = std::move(nowNs); }

private:
    void Follow(int64_t elapsedMs);
    // The cues due by elapsedMs plus the lead go to the sound; texts within reach are asked for.
    void FollowCues(int64_t elapsedMs);
    void PlayCue(const TSessionPoint& point, int64_t elapsedMs);
    void AskSpeech(int64_t elapsedMs);
    void TakeSpeech(int64_t elapsedMs);
    void ReportSpeech(const std::string& why);
    void ResetCues();
    void Finish();
    void Remember(const std::string& path);
    void ShowTimes();
    void ShowMenu();

    TMainForm& form_;
    std::string path_;
    std::unique_ptr<TSession> session_;
    std::unique_ptr<TSessionFollower> follower_;
    TSessionClock clock_;
    QTimer ticker_;
    QPointer<TSessionWindow> window_;
    bool applying_ = false; // the session itself is setting a control
    int32_t offsetMilli_ = 0;

    std::unique_ptr<TSessionCues> cues_;
    std::unique_ptr<TSpeechWorker> speech_; // made for the first session that speaks
    std::map<size_t, std::shared_ptr<const CueSound>> spoken_; // by point, ready
    std::map<size_t, bool> speechAsked_;                       // by point, still to come
    std::set<size_t> speechFailed_;                            // by point, not to ask again
    std::vector<size_t> speechDue_; // points reached before their text was ready
    std::shared_ptr<const CueSound> bell_;
    int64_t playedThrough_ = -1; // the time of the last cue that has sounded
    bool speechReported_ = false;
    bool finishing_ = false; // the session's end stops the run: its last cue rings on
    int cuesPlayed_ = 0;
    int64_t lastCueStamp_ = 0;
    std::function<int64_t()> steadyNs_;
};
