#include "timing/ThdTimer.h"

#include "framework/Application.h"
#include "framework/Exception.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <chrono>
#include <utility>

QThread::Priority QtThreadPriority(TThreadPriority priority) {
    switch (priority) {
    case tpIdle:
        return QThread::IdlePriority;
    case tpLowest:
        return QThread::LowestPriority;
    case tpLower:
        return QThread::LowPriority;
    case tpNormal:
        return QThread::NormalPriority;
    case tpHigher:
        return QThread::HighPriority;
    case tpHighest:
        return QThread::HighestPriority;
    case tpTimeCritical:
        return QThread::TimeCriticalPriority;
    }
    return QThread::NormalPriority;
}

// --- TTimerThread ----------------------------------------------------------------------------

TTimerThread::TTimerThread(TThreadedTimer* owner) : owner_(owner), interval_(owner->Interval()) {
    // The worker starts at once and waits, held, at its first gate.
    start(QtThreadPriority(owner->ThreadPriority()));
}

TTimerThread::~TTimerThread() {
    Terminate();
    // A worker blocked in a hand-over waits for the GUI thread, which is here: drop the
    // pending hand-over (that releases the worker) until the worker has ended.
    while (!wait(QDeadlineTimer(5))) {
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    }
}

void TTimerThread::Suspend() {
    std::lock_guard lock(mutex_);
    held_ = true;
}

void TTimerThread::Resume() {
    {
        std::lock_guard lock(mutex_);
        held_ = false;
    }
    wake_.notify_all();
}

bool TTimerThread::Suspended() const {
    std::lock_guard lock(mutex_);
    return held_;
}

void TTimerThread::SetTimerPriority(TThreadPriority priority) {
    setPriority(QtThreadPriority(priority));
}

void TTimerThread::Terminate() {
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    wake_.notify_all();
}

void TTimerThread::Dispose(TTimerThread* worker) {
    worker->owner_ = nullptr;
    if (!worker->delivering_) {
        delete worker;
        return;
    }
    // Called from the owner's own handler: the worker ends when this delivery returns.
    worker->Terminate();
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
}

bool TTimerThread::PassGate() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return !held_ || terminated_; });
    return !terminated_;
}

bool TTimerThread::Pause(uint32_t interval) {
    // A plain pause: holding and releasing do not end it early; only the end of the worker does.
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval);
    return !wake_.wait_until(lock, deadline, [this] { return terminated_; });
}

void TTimerThread::run() {
    for (;;) {
        if (!PassGate() || !Pause(Interval()) || !PassGate()) return;
        const auto start = std::chrono::steady_clock::now();
        QMetaObject::invokeMethod(this, &TTimerThread::Deliver, Qt::BlockingQueuedConnection);
        const auto took = std::chrono::steady_clock::now() - start;
        lastHandOverNs_.store(std::chrono::duration_cast<std::chrono::nanoseconds>(took).count(),
                              std::memory_order_relaxed);
    }
}

void TTimerThread::Deliver() {
    TThreadedTimer* owner = owner_;
    if (owner == nullptr) return;
    delivering_ = true;
    Guard([this, owner] {
        try {
            owner->Tick();
        } catch (const EAbort&) {
            throw;
        } catch (...) {
            // A failing handler would fail again at the next firing, and its report would
            // come back as soon as it is closed: the timer stops until it is enabled again.
            if (owner_ != nullptr) owner_->SetEnabled(false);
            throw;
        }
    });
    delivering_ = false;
}

// --- TThreadedTimer --------------------------------------------------------------------------

TThreadedTimer::TThreadedTimer(QObject* owner) : QObject(owner), worker_(new TTimerThread(this)) {}

TThreadedTimer::~TThreadedTimer() {
    enabled_ = false;
    ApplyRunState();
    TTimerThread::Dispose(std::exchange(worker_, nullptr));
}

void TThreadedTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    ApplyRunState();
}

void TThreadedTimer::SetInterval(uint16_t value) {
    if (value == interval_) return;
    interval_ = value;
    worker_->SetInterval(value);
    ApplyRunState();
}

void TThreadedTimer::SetIntervalProperty(int value) {
    SetInterval(static_cast<uint16_t>(std::clamp(value, 0, 65535)));
}

void TThreadedTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    ApplyRunState();
}

void TThreadedTimer::SetThreadPriority(TThreadPriority value) {
    if (value == threadPriority_) return;
    threadPriority_ = value;
    worker_->SetTimerPriority(value);
    ApplyRunState();
}

void TThreadedTimer::Tick() {
    // A copy, so a handler may replace OnTimer or free its timer while it runs.
    const TNotifyEvent handler = onTimer_;
    if (handler) handler(this);
}

void TThreadedTimer::ApplyRunState() {
    if (!worker_->Suspended()) worker_->Suspend();
    if (interval_ != 0 && enabled_ && onTimer_) worker_->Resume();
}
