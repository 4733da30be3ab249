// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/ThdTimer.h"

#include "framework/Application.h"
#include "framework/Exception.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <utility>

// Qt's event queue orders a posted event before its delivery through futexes that the race
// detector does not see; its builds are shown the hand-over explicitly.
#if defined(__SANITIZE_THREAD__)
#define VELMORA_RACE_DETECTOR 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELMORA_RACE_DETECTOR 1
#endif
#endif
#ifdef VELMORA_RACE_DETECTOR
#include <sanitizer/tsan_interface.h>
#endif

namespace {
void ReleaseToQueue([[maybe_unused]] void* event) {
#ifdef VELMORA_RACE_DETECTOR
    __tsan_release(event);
#endif
}
void AcquireFromQueue([[maybe_unused]] void* event) {
#ifdef VELMORA_RACE_DETECTOR
    __tsan_acquire(event);
#endif
}
} // namespace

int RelativePriority(TThreadPriority priority) {
    switch (priority) {
    case tpIdle:
        return -15;
    case tpLowest:
        return -2;
    case tpLower:
        return -1;
    case tpNormal:
        return 0;
    case tpHigher:
        return 1;
    case tpHighest:
        return 2;
    case tpTimeCritical:
        return 15;
    }
    return 0;
}

// --- TScheduleMoment -------------------------------------------------------------------------

namespace {
thread_local const TScheduleMoment* g_moment = nullptr;
}

TScheduleMoment::TScheduleMoment(TTimerClock::time_point at) : at_(at), outer_(g_moment) {
    g_moment = this;
}

TScheduleMoment::~TScheduleMoment() {
    g_moment = outer_;
}

TTimerClock::time_point TScheduleMoment::Current() {
    return g_moment != nullptr ? g_moment->at_ : TTimerClock::now();
}

// --- TTimerThread::TDelivery -----------------------------------------------------------------

TTimerThread::TDelivery::TDelivery(TTimerThread* worker) : QEvent(EventType()), worker_(worker) {}

TTimerThread::TDelivery::~TDelivery() {
    AcquireFromQueue(this);
    worker_->EndHandOver();
}

QEvent::Type TTimerThread::TDelivery::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// --- TTimerThread ----------------------------------------------------------------------------

TTimerThread::TTimerThread(TThreadedTimer* owner) : owner_(owner), interval_(owner->Interval()) {
    TDelivery::EventType(); // registered here, not at the first firing
    // The worker starts at once and waits, held, at its first gate; its priority can be set
    // as soon as it has told its thread id.
    start();
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return started_; });
    }
    SetTimerPriority(owner->ThreadPriority());
}

TTimerThread::~TTimerThread() {
    // Once told to terminate the worker posts nothing more; a delivery it has posted is removed,
    // which ends its hand-over.
    Terminate();
    QCoreApplication::removePostedEvents(this, TDelivery::EventType());
    wait();
    // Qt's wait orders the worker's end before this point, but through futexes that the race
    // detector cannot see; the worker's last hold of the mutex shows it the same order.
    std::lock_guard lock(mutex_);
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
    SetThreadRelativePriority(threadId_, RelativePriority(priority), startSchedule_);
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

void TTimerThread::Restart(TTimerClock::time_point origin) {
    {
        std::lock_guard lock(mutex_);
        origin_ = origin;
        restartPending_ = true;
        ++generation_;
    }
    wake_.notify_all();
}

void TTimerThread::Reschedule() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
    }
    wake_.notify_all();
}

void TTimerThread::SetDueTimes(std::shared_ptr<const TDueTimes> dueTimes) {
    std::lock_guard lock(mutex_);
    dueTimes_ = std::move(dueTimes);
}

bool TTimerThread::Retimed() const {
    std::lock_guard lock(mutex_);
    return generation_ != seenGeneration_;
}

void TTimerThread::NextDue() {
    const std::chrono::nanoseconds interval = std::chrono::milliseconds(Interval());
    if (generation_ != seenGeneration_) {
        seenGeneration_ = generation_;
        if (dueTimes_) {
            // A new origin starts from its first step; new due times keep the step waited
            // for, or the next one where it was handed over already, so no step is lost or
            // fired twice.
            if (restartPending_) {
                step_ = dueTimes_->FirstStepFrom(origin_);
            } else if (stepFired_) {
                ++step_;
            }
            restartPending_ = false;
            stepFired_ = false;
            due_ = dueTimes_->DueOf(step_);
            return;
        }
        if (restartPending_) due_ = origin_ + interval;
        restartPending_ = false;
        return;
    }
    if (dueTimes_) {
        stepFired_ = false;
        due_ = dueTimes_->DueOf(++step_);
        SkipPassed(interval);
        return;
    }
    due_ += interval;
    SkipPassed(interval);
}

void TTimerThread::SkipPassed(std::chrono::nanoseconds interval) {
    // A handler that overran by a whole interval or more: those firings are gone. Firing them
    // late, one after another, would only make the GUI thread busier; the schedule goes on
    // from the present on its own grid.
    const auto now = TTimerClock::now();
    if (dueTimes_) {
        if (due_ > now) return;
        const uint64_t next = dueTimes_->FirstStepFrom(now);
        const uint64_t last = next > 0 ? next - 1 : 0; // the latest step already due
        if (last > step_) {
            missed_.fetch_add(last - step_, std::memory_order_relaxed);
            step_ = last;
            due_ = dueTimes_->DueOf(step_);
        }
        return;
    }
    const auto behind = now - due_;
    if (interval.count() > 0 && behind >= interval) {
        const auto skipped = behind / interval;
        due_ += skipped * interval;
        missed_.fetch_add(static_cast<uint64_t>(skipped), std::memory_order_relaxed);
    }
}

std::chrono::nanoseconds TTimerThread::StepLength() const {
    if (!dueTimes_) return std::chrono::milliseconds(Interval());
    const TTimerClock::time_point next = dueTimes_->DueOf(step_ + 1);
    if (next == TTimerClock::time_point::max() || due_ == TTimerClock::time_point::max())
        return std::chrono::milliseconds(Interval());
    return std::max<std::chrono::nanoseconds>(next - due_, {});
}

bool TTimerThread::Pause() {
    // Holding and releasing do not end a pause early; the end of the worker does, and a new
    // schedule moves its end.
    using namespace std::chrono;
    std::unique_lock lock(mutex_);
    pauses_.fetch_add(1, std::memory_order_relaxed);
    NextDue();
    // The kernel wakes a sleeper somewhat after its deadline. Aiming earlier by the lateness
    // seen so far keeps the firings on their due times; a lateness beyond kMaxWakeLatency is
    // the machine being busy, not the wake-up, and counts only up to that.
    constexpr nanoseconds kMaxWakeLatency = microseconds(200);
    TTimerClock::time_point aim;
    for (;;) {
        const uint64_t generation = generation_;
        const nanoseconds length = StepLength();
        aim = due_ == TTimerClock::time_point::max() ? due_
                                                     : due_ - std::min(wakeLatency_, length / 8);
        const auto changed = [&] { return terminated_ || generation_ != generation; };
        // A schedule that stands still waits only for a change.
        if (aim == TTimerClock::time_point::max()) {
            wake_.wait(lock, changed);
        } else if (!wake_.wait_until(lock, aim, changed)) {
            break;
        }
        if (terminated_) return false;
        NextDue(); // restarted while pausing
    }
    const nanoseconds late = std::clamp<nanoseconds>(TTimerClock::now() - aim, {}, kMaxWakeLatency);
    wakeLatency_ += (late - wakeLatency_) / 8;
    return true;
}

bool TTimerThread::HandOver() {
    {
        std::lock_guard lock(mutex_);
        // Posting under the lock: once Terminate has returned, nothing new reaches the queue.
        if (terminated_) return false;
        handedOver_.store(true, std::memory_order_relaxed);
        firingDue_.store(due_.time_since_epoch().count(), std::memory_order_relaxed);
        firingStep_.store(step_, std::memory_order_relaxed);
        stepFired_ = true;
        auto* delivery = new (deliverySlots_[nextSlot_]) TDelivery(this);
        ReleaseToQueue(delivery);
        QCoreApplication::postEvent(this, delivery);
        nextSlot_ ^= 1;
    }
    // Also when told to terminate: the event's slot stays in use until the event is gone.
    handedOver_.wait(true, std::memory_order_acquire);
    return true;
}

void TTimerThread::EndHandOver() {
    // Without the lock, so Qt may delete the event anywhere, even inside postEvent.
    handedOver_.store(false, std::memory_order_release);
    handedOver_.notify_one();
}

void TTimerThread::run() {
    {
        std::lock_guard lock(mutex_);
        threadId_ = CurrentThreadId();
        startSchedule_ = ReadThreadSchedule(threadId_);
        timerSlackNs_ = UseFinestTimerSlack();
        started_ = true;
    }
    wake_.notify_all();
    for (;;) {
        if (!PassGate() || !Pause() || !PassGate()) return;
        // Re-timed while held after its pause: the new schedule's first due time is ahead.
        if (Retimed()) continue;
        const auto start = std::chrono::steady_clock::now();
        if (!HandOver()) return;
        const auto took = std::chrono::steady_clock::now() - start;
        lastHandOverNs_.store(std::chrono::duration_cast<std::chrono::nanoseconds>(took).count(),
                              std::memory_order_relaxed);
    }
}

bool TTimerThread::event(QEvent* event) {
    if (event->type() != TDelivery::EventType()) return QThread::event(event);
    AcquireFromQueue(event);
    Deliver();
    return true;
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
    // Due times of its own do not follow the interval; they only need the timer running.
    retime_ = !dueTimes_;
    ApplyRunState();
}

void TThreadedTimer::SetDueTimes(std::shared_ptr<const TDueTimes> dueTimes) {
    dueTimes_ = dueTimes;
    worker_->SetDueTimes(std::move(dueTimes));
    retime_ = true;
    ApplyRunState();
}

void TThreadedTimer::Reschedule() {
    if (dueTimes_ && !worker_->Suspended()) worker_->Reschedule();
}

void TThreadedTimer::SetIntervalProperty(int value) {
    SetInterval(static_cast<uint16_t>(std::clamp(value, 0, 65535)));
}

const TThreadedTimer::TNotifyEvent& TThreadedTimer::OnTimer() const {
    static const TNotifyEvent none;
    return onTimer_ ? *onTimer_ : none;
}

void TThreadedTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = handler ? std::make_shared<const TNotifyEvent>(std::move(handler)) : nullptr;
    ApplyRunState();
}

void TThreadedTimer::SetThreadPriority(TThreadPriority value) {
    if (value == threadPriority_) return;
    threadPriority_ = value;
    worker_->SetTimerPriority(value);
    ApplyRunState();
}

void TThreadedTimer::Tick() {
    // Shared, not copied: a handler may replace OnTimer or free its timer while it runs.
    const std::shared_ptr<const TNotifyEvent> handler = onTimer_;
    if (handler) (*handler)(this);
}

void TThreadedTimer::RestartSchedule() {
    if (!worker_->Suspended()) worker_->Restart(TScheduleMoment::Current());
}

void TThreadedTimer::ApplyRunState() {
    const bool wasRunning = !worker_->Suspended();
    if (wasRunning) worker_->Suspend();
    if (interval_ != 0 && enabled_ && onTimer_) {
        // Switched on, or a new Interval: the first firing comes Interval after this moment.
        if (!wasRunning || retime_) worker_->Restart(TScheduleMoment::Current());
        worker_->Resume();
    }
    retime_ = false;
}
