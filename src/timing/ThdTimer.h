#pragma once
// A timer whose pause is measured by a worker thread of settable priority and whose firings
// run on the GUI thread. The worker sleeps Interval, hands Tick to the GUI thread through its
// event queue and blocks until the handler has run there, so handlers need no locking and
// firings never pile up. The worker runs only while Enabled is true, Interval is not 0 and an
// OnTimer handler is assigned; otherwise it is held. A handler's failure goes to the default
// error report and disables the timer, so the same report cannot come back at every firing.

#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The seven priorities as Qt's thread priorities.
QThread::Priority QtThreadPriority(TThreadPriority priority);

class TThreadedTimer;

// The worker. "Held" is a gate it passes before each pause and before each delivery: holding
// it neither restarts nor cuts short a pause under way, and a delivery already handed to the
// GUI thread completes. The worker touches only its interval copy, the gate and the hand-over.
class TTimerThread : public QThread {
public:
    explicit TTimerThread(TThreadedTimer* owner);
    ~TTimerThread() override;
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    void Suspend();
    void Resume();
    bool Suspended() const;

    // Milliseconds; read afresh at the start of every pause.
    void SetInterval(uint32_t interval) { interval_.store(interval, std::memory_order_relaxed); }
    uint32_t Interval() const { return interval_.load(std::memory_order_relaxed); }

    void SetTimerPriority(TThreadPriority priority);

    // How long the last hand-over to the GUI thread took, handler included, in nanoseconds.
    int64_t LastHandOverNs() const { return lastHandOverNs_.load(std::memory_order_relaxed); }

    // Ends the worker for good and frees it; no delivery reaches the owner afterwards. From
    // inside the owner's own delivery the worker cannot be awaited (it waits for that
    // delivery), so it is left to free itself once it has ended.
    static void Dispose(TTimerThread* worker);

protected:
    void run() override;

private:
    bool PassGate();               // waits while held; false once told to terminate
    bool Pause(uint32_t interval); // false once told to terminate
    void Deliver();                // on the GUI thread
    void Terminate();

    TThreadedTimer* owner_;   // GUI thread only; cleared when the timer goes
    bool delivering_ = false; // GUI thread only
    std::atomic<uint32_t> interval_;
    std::atomic<int64_t> lastHandOverNs_{0};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool held_ = true;
    bool terminated_ = false;
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

    const TNotifyEvent& OnTimer() const { return onTimer_; }
    // Always applies the run-state rule, also for the same handler.
    void SetOnTimer(TNotifyEvent handler);

    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority value);

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
    TNotifyEvent onTimer_;
    TThreadPriority threadPriority_ = tpNormal;
    TTimerThread* worker_;
};
