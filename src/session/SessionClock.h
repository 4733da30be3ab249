// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The session's clock: how far into its session a run has come. It runs while the
// stimulation runs, stands still while it is paused and goes back to 0 when the session
// rewinds. The moments it measures come from a time source that tests replace, so nothing
// that follows a session ever waits on wall time in a test.

#include <cstdint>
#include <functional>

class TSessionClock {
public:
    // Monotonic milliseconds from any origin.
    using TimeSource = std::function<int64_t()>;

    // On the steady clock.
    TSessionClock();
    explicit TSessionClock(TimeSource now);

    void SetTimeSource(TimeSource now);

    // Runs on from where it stands; a running clock stays as it is.
    void Start();
    // Keeps the time reached.
    void Pause();
    // Back to 0, paused.
    void Rewind();
    // Stands at ms, paused.
    void Seek(int64_t ms);

    bool Running() const { return running_; }
    int64_t ElapsedMs() const;

private:
    TimeSource now_;
    bool running_ = false;
    int64_t elapsedBefore_ = 0; // time reached before the current running stretch
    int64_t startedAt_ = 0;     // the source's time when the current stretch began
};
