// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A timer whose pause is measured by a worker thread of settable priority and whose firings
// run on the GUI thread. The worker sleeps until the next due time, hands Tick to the GUI
// thread through its event queue and blocks until the handler has run there, so handlers need
// no locking and firings never pile up. Due times lie Interval apart from the moment the timer
// was switched on or re-timed, so the rate holds whatever the hand-over and the handler take;
// a firing carries its due time. A timer may instead follow a schedule of numbered steps that
// someone else keeps (TDueTimes), to nanoseconds and at a rate that may change while it runs. The
// worker runs only while Enabled is true, Interval is not 0 and an OnTimer handler is assigned;
// otherwise it is held. A handler's failure goes to the default error report and disables the
// timer, so the same report cannot come back at every firing.

#include "platform/ThreadScheduling.h"

#include <QEvent>
#include <QObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

using TTimerClock = std::chrono::steady_clock;

// Timers switched on or re-timed on this thread while a moment lives start their schedules
// from it, so timers started together fire in step for as long as they run.
class TScheduleMoment {
public:
    TScheduleMoment() : TScheduleMoment(TTimerClock::now()) {}
    explicit TScheduleMoment(TTimerClock::time_point at);
    ~TScheduleMoment();
    TScheduleMoment(const TScheduleMoment&) = delete;
    TScheduleMoment& operator=(const TScheduleMoment&) = delete;

    // The innermost moment alive on this thread, else now.
    static TTimerClock::time_point Current();

private:
    TTimerClock::time_point at_;
    const TScheduleMoment* outer_;
};

// Numbered steps and their due times, kept by someone else: a timer given one fires at them
// instead of every Interval. Asked from the timer's worker thread, so it must be safe to call
// from any thread; its answers may change over time (the timer is told by Reschedule).
class TDueTimes {
public:
    virtual ~TDueTimes() = default;
    // The first step due at or after a moment.
    virtual uint64_t FirstStepFrom(TTimerClock::time_point at) const = 0;
    // When a step is due; time_point::max() while the schedule stands still.
    virtual TTimerClock::time_point DueOf(uint64_t step) const = 0;
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The seven priorities as the system's relative thread priorities: -15 (idle), -2, -1, 0, +1, +2,
// +15 (time-critical).
int RelativePriority(TThreadPriority priority);

class TThreadedTimer;

// The worker. "Held" is a gate it passes before each pause and before each delivery: holding
// it neither restarts nor cuts short a pause under way, and a delivery already handed to the
// GUI thread completes. Each pause ends at a due time, the previous one plus the interval;
// Restart begins the schedule afresh from a moment, also in the middle of a pause. Due times
// that have passed by a whole interval or more when the worker comes to them are skipped and
// counted, never fired in a burst. The worker touches only its interval copy, the schedule,
// the gate and the hand-over. It asks for the finest timer slack, so a pause ends as close to
// its due time as the scheduler allows; its priority is set from the GUI thread, at once, also
// while it is held.
class TTimerThread : public QThread {
public:
    explicit TTimerThread(TThreadedTimer* owner);
    ~TTimerThread() override;
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    void Suspend();
    void Resume();
    bool Suspended() const;

    // The next due time is the interval after this moment (with due times of its own, their
    // first step after it); takes effect at once, also while the worker pauses.
    void Restart(TTimerClock::time_point origin);
    // The due times changed: the step waited for is timed afresh, and none is lost or doubled.
    void Reschedule();
    // Steps from here on, in place of the interval; null goes back to it. Restart follows.
    void SetDueTimes(std::shared_ptr<const TDueTimes> dueTimes);
    // The step of the firing last handed over (with due times of its own).
    uint64_t FiringStep() const { return firingStep_.load(std::memory_order_relaxed); }
    // The due time of the firing last handed over.
    TTimerClock::time_point FiringDue() const {
        return TTimerClock::time_point(TTimerClock::duration(firingDue_.load()));
    }
    // Due times skipped because they had passed by a whole interval when the worker came to
    // them.
    uint64_t Missed() const { return missed_.load(std::memory_order_relaxed); }

    // Milliseconds; read afresh at the start of every pause.
    void SetInterval(uint32_t interval) { interval_.store(interval, std::memory_order_relaxed); }
    uint32_t Interval() const { return interval_.load(std::memory_order_relaxed); }

    void SetTimerPriority(TThreadPriority priority);

    // The worker's kernel thread id and its timer slack in nanoseconds, for inspection.
    int ThreadId() const { return threadId_; }
    unsigned long TimerSlackNs() const { return timerSlackNs_; }
    // How many pauses the worker has begun.
    uint64_t Pauses() const { return pauses_.load(std::memory_order_relaxed); }
    // How long the last hand-over to the GUI thread took, handler included, in nanoseconds.
    int64_t LastHandOverNs() const { return lastHandOverNs_.load(std::memory_order_relaxed); }

    // Ends the worker for good and frees it; no delivery reaches the owner afterwards. From
    // inside the owner's own delivery the worker cannot be awaited (it waits for that
    // delivery), so it is left to free itself once it has ended.
    static void Dispose(TTimerThread* worker);

protected:
    void run() override;
    bool event(QEvent* event) override;

private:
    // Carries one firing to the GUI thread. It is built in one of the worker's own slots, so a
    // firing allocates nothing; Qt deletes a posted event once delivered or removed, which here
    // only ends the hand-over and lets the worker go on.
    class TDelivery : public QEvent {
    public:
        explicit TDelivery(TTimerThread* worker);
        ~TDelivery() override;
        static void* operator new(std::size_t, void* slot) noexcept { return slot; }
        static void operator delete(void*) noexcept {}
        static QEvent::Type EventType();

    private:
        TTimerThread* worker_;
    };

    bool PassGate(); // waits while held; false once told to terminate
    bool Pause();    // until the next due time; false once told to terminate
    void NextDue();  // under the lock
    void SkipPassed(std::chrono::nanoseconds interval); // under the lock
    std::chrono::nanoseconds StepLength() const;        // under the lock
    bool Retimed() const; // the schedule was restarted since the last due time
    bool HandOver();      // false once told to terminate
    void EndHandOver();   // the delivery's event is gone
    void Deliver();       // on the GUI thread
    void Terminate();

    TThreadedTimer* owner_;   // GUI thread only; cleared when the timer goes
    bool delivering_ = false; // GUI thread only
    std::atomic<uint32_t> interval_;
    std::atomic<uint64_t> pauses_{0};
    std::atomic<int64_t> lastHandOverNs_{0};
    int threadId_ = 0;              // set before the constructor returns
    TThreadSchedule startSchedule_; // what the worker inherited, to return to
    unsigned long timerSlackNs_ = 0;
    std::chrono::nanoseconds wakeLatency_{0}; // worker only: how late its pauses end, smoothed
    // The schedule, under the mutex: Restart sets the origin and counts a generation; the
    // worker's due time follows the generation it has seen.
    // Reschedule counts a generation too, without a new origin.
    TTimerClock::time_point origin_{};
    uint64_t generation_ = 0;
    uint64_t seenGeneration_ = 0;
    bool restartPending_ = false; // a new origin since the worker last looked
    TTimerClock::time_point due_{};
    std::shared_ptr<const TDueTimes> dueTimes_; // under the mutex
    uint64_t step_ = 0;                         // the step due_ belongs to
    bool stepFired_ = false;                    // step_ has been handed over
    std::atomic<TTimerClock::rep> firingDue_{0};
    std::atomic<uint64_t> firingStep_{0};
    std::atomic<uint64_t> missed_{0};
    // Used in turn: Qt finishes destroying an event after its own destructor has let the
    // worker go on, so the next event must not be built in the same memory.
    alignas(TDelivery) std::byte deliverySlots_[2][sizeof(TDelivery)];
    int nextSlot_ = 0; // worker only
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool started_ = false;
    bool held_ = true;
    bool terminated_ = false;
    std::atomic<bool> handedOver_{false}; // a delivery is posted and not yet gone
};

class TThreadedTimer : public QObject {
    Q_OBJECT
    // Reached by name from the settings storage ("Timer1.Interval").
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int Interval READ IntervalProperty WRITE SetIntervalProperty)

public:
    using TNotifyEvent = std::function<void(TThreadedTimer* sender)>;

    explicit TThreadedTimer(QObject* owner = nullptr);
    ~TThreadedTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);

    uint16_t Interval() const { return interval_; }
    void SetInterval(uint16_t value);

    const TNotifyEvent& OnTimer() const;
    // Always applies the run-state rule, also for the same handler.
    void SetOnTimer(TNotifyEvent handler);

    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority value);

    // The due time of the firing being handled: where it stands on the schedule, whatever
    // the hand-over and the GUI thread delayed it by.
    TTimerClock::time_point DueTime() const { return worker_->FiringDue(); }
    // Firings skipped because the GUI thread was busy for a whole interval or more.
    uint64_t MissedFirings() const { return worker_->Missed(); }
    // While running, begins the schedule afresh from the current moment (see TScheduleMoment):
    // the next firing is due Interval after it.
    void RestartSchedule();

    // Fires at the steps of these due times instead of every Interval. Interval stays as it
    // is for whoever reads it, and changing it no longer re-times the schedule. Null goes back
    // to Interval.
    void SetDueTimes(std::shared_ptr<const TDueTimes> dueTimes);
    bool HasDueTimes() const { return dueTimes_ != nullptr; }
    // The due times changed (a new rate): the step waited for is timed afresh.
    void Reschedule();
    // With due times: the step of the firing being handled.
    uint64_t DueStep() const { return worker_->FiringStep(); }

    // The worker, for inspection.
    const TTimerThread& Worker() const { return *worker_; }

protected:
    // Runs on the GUI thread once per firing; calls OnTimer.
    virtual void Tick();
    // Holds the worker, then releases it when Enabled, Interval and OnTimer allow.
    virtual void ApplyRunState();

private:
    friend class TTimerThread;

    int IntervalProperty() const { return interval_; }
    // Values out of 0..65535 are clamped.
    void SetIntervalProperty(int value);

    bool enabled_ = true;
    uint16_t interval_ = 1000;
    // Shared with a firing under way, so that firing neither copies the handler nor loses it
    // when the handler replaces OnTimer or frees its timer.
    std::shared_ptr<const TNotifyEvent> onTimer_;
    TThreadPriority threadPriority_ = tpNormal;
    bool retime_ = false; // Interval changed: a running schedule starts afresh
    std::shared_ptr<const TDueTimes> dueTimes_;
    TTimerThread* worker_;
};
