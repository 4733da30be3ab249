// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/ThdTimer.h"
#include "common/CapturedReports.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "platform/ThreadScheduling.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Aborts the test binary when a step hangs, so a deadlock fails loudly instead of stalling.
class TWatchdog {
public:
    // Returns once the watching thread runs, so that its start-up is over before the step.
    TWatchdog(const char* what, int seconds)
        : thread_([this, what, seconds] {
              std::unique_lock lock(mutex_);
              started_ = true;
              done_cv_.notify_all();
              if (!done_cv_.wait_for(lock, std::chrono::seconds(seconds),
                                     [this] { return done_; })) {
                  std::fprintf(stderr, "hang: %s\n", what);
                  std::abort();
              }
          }) {
        std::unique_lock lock(mutex_);
        done_cv_.wait(lock, [this] { return started_; });
    }
    ~TWatchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool started_ = false;
    bool done_ = false;
    std::thread thread_;
};

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

std::atomic<uint64_t> allocations{0};

void CountAllocation(const volatile void*, std::size_t) {
    allocations.fetch_add(1, std::memory_order_relaxed);
}

void IgnoreRelease(const volatile void*) {}

// From the first call on, every heap block any thread makes is counted in `allocations`.
bool CountAllocations() {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks(CountAllocation, IgnoreRelease) != 0;
    return installed;
}
#else
std::atomic<uint64_t> allocations{0};
bool CountAllocations() {
    return false;
}
#endif

// Blocks the GUI thread without processing events, so workers pile up in their hand-over.
void BlockGuiThread(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class TCountingTimer : public TThreadedTimer {
public:
    int Rules = 0;

protected:
    void ApplyRunState() override {
        ++Rules;
        TThreadedTimer::ApplyRunState();
    }
};

// A timer with a handler that counts its firings.
struct TCounted {
    std::unique_ptr<TThreadedTimer> Timer = std::make_unique<TThreadedTimer>();
    std::shared_ptr<int> Count = std::make_shared<int>(0);

    explicit TCounted(uint16_t interval) {
        Timer->SetInterval(interval);
        Timer->SetOnTimer([count = Count](TThreadedTimer*) { ++*count; });
    }
};

} // namespace

TEST(ThreadedTimer, NewTimerIsHeldUntilAHandlerIsAssigned) {
    TThreadedTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.ThreadPriority(), tpNormal);
    EXPECT_TRUE(timer.Worker().Suspended());

    int count = 0;
    timer.SetInterval(10);
    EXPECT_TRUE(timer.Worker().Suspended());
    timer.SetOnTimer([&count](TThreadedTimer* sender) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        EXPECT_NE(sender, nullptr);
        ++count;
    });
    EXPECT_FALSE(timer.Worker().Suspended());
    EXPECT_TRUE(QTest::qWaitFor([&] { return count >= 3; }, 5000));
}

TEST(ThreadedTimer, SameValuesChangeNothingButOnTimerAlwaysAppliesTheRule) {
    TCountingTimer timer;
    timer.SetInterval(1000);
    timer.SetEnabled(true);
    timer.SetThreadPriority(tpNormal);
    EXPECT_EQ(timer.Rules, 0);
    timer.SetInterval(50);
    timer.SetEnabled(false);
    timer.SetThreadPriority(tpLower);
    EXPECT_EQ(timer.Rules, 3);
    const TThreadedTimer::TNotifyEvent handler = [](TThreadedTimer*) {};
    timer.SetOnTimer(handler);
    timer.SetOnTimer(handler);
    timer.SetOnTimer(nullptr);
    EXPECT_EQ(timer.Rules, 6);
}

TEST(ThreadedTimer, IntervalZeroHoldsWithoutFiringAndResumes) {
    TCounted t(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return *t.Count >= 2; }, 5000));
    t.Timer->SetInterval(0);
    EXPECT_TRUE(t.Timer->Worker().Suspended());
    QTest::qWait(30); // a firing already handed over may still arrive
    const int settled = *t.Count;
    QTest::qWait(200);
    EXPECT_EQ(*t.Count, settled);
    t.Timer->SetInterval(5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return *t.Count >= settled + 2; }, 5000));
}

TEST(ThreadedTimer, ClearingOnTimerOrEnabledStopsTheFirings) {
    TCounted t(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return *t.Count >= 2; }, 5000));
    t.Timer->SetEnabled(false);
    QTest::qWait(30);
    int settled = *t.Count;
    QTest::qWait(150);
    EXPECT_EQ(*t.Count, settled);

    int other = 0;
    t.Timer->SetOnTimer([&other](TThreadedTimer*) { ++other; });
    t.Timer->SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return other >= 2; }, 5000));
    t.Timer->SetOnTimer(nullptr);
    EXPECT_TRUE(t.Timer->Worker().Suspended());
    QTest::qWait(30);
    settled = other;
    QTest::qWait(150);
    EXPECT_EQ(other, settled);
}

TEST(ThreadedTimer, HandlerThatDisablesItsTimerPausesAgainAfterReEnabling) {
    TThreadedTimer timer;
    timer.SetInterval(20);
    std::vector<uint64_t> pausesAtFiring;
    timer.SetOnTimer([&](TThreadedTimer* sender) {
        pausesAtFiring.push_back(sender->Worker().Pauses());
        sender->SetEnabled(false);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return pausesAtFiring.size() == 1; }, 5000));
    EXPECT_TRUE(timer.Worker().Suspended());
    QTest::qWait(100);
    EXPECT_EQ(pausesAtFiring.size(), 1u);
    EXPECT_EQ(timer.Worker().Pauses(), 1u); // held after its delivery, before the next pause

    timer.SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pausesAtFiring.size() == 2; }, 5000));
    timer.SetEnabled(false);
    EXPECT_EQ(pausesAtFiring, (std::vector<uint64_t>{1, 2})); // a whole new pause came between
}

TEST(ThreadedTimer, SwitchedOnAgainTheFirstFiringIsDueAWholeIntervalLater) {
    TThreadedTimer timer;
    timer.SetInterval(200);
    std::vector<TTimerClock::time_point> due;
    timer.SetOnTimer([&](TThreadedTimer* sender) { due.push_back(sender->DueTime()); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer.Worker().Pauses() == 1; }, 5000));
    timer.SetEnabled(false); // the worker goes on sleeping, then waits at the gate
    QTest::qWait(300);
    EXPECT_TRUE(due.empty());
    const TTimerClock::time_point on = TTimerClock::now();
    {
        const TScheduleMoment moment(on);
        timer.SetEnabled(true);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !due.empty(); }, 5000));
    timer.SetEnabled(false);
    EXPECT_EQ(due.front(), on + std::chrono::milliseconds(200));
}

TEST(ThreadedTimer, HoldingKeepsThePauseWhileANewIntervalRetimesIt) {
    TThreadedTimer timer;
    timer.SetInterval(60000);
    std::vector<TTimerClock::time_point> due;
    const auto handler = [&](TThreadedTimer* sender) { due.push_back(sender->DueTime()); };
    timer.SetOnTimer(handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer.Worker().Pauses() == 1; }, 5000));
    timer.SetThreadPriority(tpHigher); // every change passes through a brief hold
    timer.SetOnTimer(handler);
    QTest::qWait(100);
    EXPECT_TRUE(due.empty());
    const TTimerClock::time_point retimed = TTimerClock::now();
    {
        const TScheduleMoment moment(retimed);
        timer.SetInterval(30); // the pause under way ends 30 ms after this moment
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return due.size() >= 3; }, 5000));
    timer.SetEnabled(false);
    EXPECT_EQ(due[0], retimed + std::chrono::milliseconds(30));
    EXPECT_EQ((due[2] - due[1]) % std::chrono::milliseconds(30), std::chrono::nanoseconds(0));
}

TEST(ThreadedTimer, DueTimesKeepTheRateWhateverTheHandlerTakes) {
    // A handler that takes half the interval: with "interval after the handler" the rate
    // would fall by a third; on due times every firing keeps its place.
    TThreadedTimer timer;
    timer.SetInterval(10);
    std::vector<TTimerClock::time_point> due;
    uint64_t missed = 0; // skipped before the last firing
    timer.SetOnTimer([&](TThreadedTimer* sender) {
        due.push_back(sender->DueTime());
        missed = sender->MissedFirings();
        BlockGuiThread(5);
    });
    const TTimerClock::time_point on = TTimerClock::now();
    {
        const TScheduleMoment moment(on);
        timer.SetEnabled(false);
        timer.SetEnabled(true);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return due.size() >= 40; }, 10000));
    timer.SetEnabled(false);
    EXPECT_EQ(due.front(), on + std::chrono::milliseconds(10));
    // Every due time lies on the grid; fired and skipped together fill it without a gap.
    for (size_t i = 1; i < due.size(); ++i) {
        EXPECT_GT(due[i], due[i - 1]);
        EXPECT_EQ((due[i] - on) % std::chrono::milliseconds(10), std::chrono::nanoseconds(0));
    }
    EXPECT_EQ(static_cast<int64_t>(due.size() + missed),
              (due.back() - on) / std::chrono::milliseconds(10));
}

TEST(ThreadedTimer, AnOverrunSkipsTheMissedFiringsInsteadOfBursting) {
    TThreadedTimer timer;
    timer.SetInterval(10);
    std::vector<TTimerClock::time_point> due, ran;
    std::vector<uint64_t> missed;
    timer.SetOnTimer([&](TThreadedTimer* sender) {
        due.push_back(sender->DueTime());
        ran.push_back(TTimerClock::now());
        missed.push_back(sender->MissedFirings());
        if (due.size() == 3) BlockGuiThread(65);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return due.size() >= 8; }, 10000));
    timer.SetEnabled(false);
    // The handler held the GUI thread for 65 ms: at least five due times passed by a whole
    // interval while it ran, and none of them fired afterwards.
    const uint64_t skipped = missed[3] - missed[2];
    EXPECT_GE(skipped, 5u);
    EXPECT_EQ(due[3] - due[2], std::chrono::milliseconds(10) * static_cast<int64_t>(skipped + 1));
    const auto overrunEnd = ran[2] + std::chrono::milliseconds(65);
    for (size_t i = 3; i < due.size(); ++i)
        EXPECT_GT(due[i], overrunEnd - std::chrono::milliseconds(10)) << "firing " << i;
}

TEST(ThreadedTimer, TimersStartedAtOneMomentShareTheirGrid) {
    TThreadedTimer picture, sound;
    picture.SetEnabled(false);
    sound.SetEnabled(false);
    picture.SetInterval(20);
    sound.SetInterval(2);
    std::vector<TTimerClock::time_point> pictureDue, soundDue;
    picture.SetOnTimer([&](TThreadedTimer* t) { pictureDue.push_back(t->DueTime()); });
    sound.SetOnTimer([&](TThreadedTimer* t) { soundDue.push_back(t->DueTime()); });
    const TTimerClock::time_point start = TTimerClock::now();
    {
        const TScheduleMoment moment(start);
        picture.SetEnabled(true);
        sound.SetEnabled(true);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return pictureDue.size() >= 10; }, 10000));
    picture.SetEnabled(false);
    sound.SetEnabled(false);
    for (const auto& d : pictureDue)
        EXPECT_EQ((d - start) % std::chrono::milliseconds(20), std::chrono::nanoseconds(0));
    for (const auto& d : soundDue)
        EXPECT_EQ((d - start) % std::chrono::milliseconds(2), std::chrono::nanoseconds(0));
}

TEST(ThreadedTimer, PriorityReachesTheWorkersSchedulingAtOnceInBothDirections) {
    TThreadedTimer timer;
    EXPECT_EQ(timer.Worker().TimerSlackNs(), 1u); // the finest the kernel grants
    const int tid = timer.Worker().ThreadId();
    const TThreadSchedule start = ReadThreadSchedule(tid);
    const TSchedulingLimits limits = CurrentSchedulingLimits();
    const bool everyLevel = limits.LowestNice == -20;
    const int n = start.Nice;
    // Each level, reached from above and from below, idle and time-critical left for another.
    const std::pair<TThreadPriority, TThreadSchedule> steps[] = {
        {tpIdle, {SCHED_IDLE, n, 0}},
        {tpTimeCritical, {SCHED_OTHER, -20, 0}},
        {tpLowest, {SCHED_OTHER, std::min(n + 10, 19), 0}},
        {tpHighest, {SCHED_OTHER, std::max(n - 10, -20), 0}},
        {tpLower, {SCHED_OTHER, std::min(n + 5, 19), 0}},
        {tpIdle, {SCHED_IDLE, n, 0}},
        {tpHigher, {SCHED_OTHER, std::max(n - 5, -20), 0}},
        {tpNormal, start},
    };
    const auto walk = [&](const char* when) {
        for (const auto& [priority, expected] : steps) {
            timer.SetThreadPriority(priority);
            // Without the rights, a level may keep the start, but tpNormal always returns to it.
            if (everyLevel || priority == tpNormal) {
                EXPECT_EQ(ReadThreadSchedule(tid), expected) << when << ", priority " << priority;
            }
        }
    };
    ASSERT_TRUE(timer.Worker().Suspended());
    walk("held");
    EXPECT_TRUE(timer.Worker().Suspended());

    int count = 0;
    timer.SetInterval(2);
    timer.SetOnTimer([&count](TThreadedTimer*) { ++count; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return count >= 1; }, 5000));
    walk("running");
    const int before = count;
    EXPECT_TRUE(QTest::qWaitFor([&] { return count >= before + 2; }, 5000));
}

TEST(ThreadedTimer, AFiringAllocatesNothing) {
    if (!CountAllocations()) GTEST_SKIP() << "allocations are counted in sanitizer builds";
    TThreadedTimer timer;
    timer.SetInterval(1);
    constexpr int kFirings = 50;
    QEventLoop loop;
    TWatchdog watchdog("firing a timer 50 times", 60);
    int count = 0;
    uint64_t atFirst = 0;
    uint64_t atLast = 0;
    // Captures too large to be stored inside the handler object itself.
    timer.SetOnTimer([&](TThreadedTimer* sender) {
        const uint64_t now = allocations.load(std::memory_order_relaxed);
        if (++count == 1) atFirst = now;
        atLast = now;
        if (count == kFirings) {
            sender->SetEnabled(false);
            loop.quit();
        }
    });
    loop.exec();
    EXPECT_EQ(count, kFirings);
    EXPECT_EQ(atLast - atFirst, 0u);
}

TEST(ThreadedTimer, FiringsNeverOverlapNorPileUp) {
    TThreadedTimer timer;
    timer.SetInterval(1);
    uint64_t count = 0;
    bool inside = false;
    bool overlapped = false;
    bool eachAfterItsOwnPause = true;
    timer.SetOnTimer([&](TThreadedTimer* sender) {
        overlapped = overlapped || inside;
        inside = true;
        ++count;
        eachAfterItsOwnPause = eachAfterItsOwnPause && sender->Worker().Pauses() == count;
        // A nested message loop inside the handler must not run the same timer again.
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < 20)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        inside = false;
    });
    QTest::qWait(300);
    timer.SetEnabled(false);
    EXPECT_FALSE(overlapped);
    EXPECT_GE(count, 2u);
    EXPECT_TRUE(eachAfterItsOwnPause);
}

TEST(ThreadedTimer, HandlerFailureIsReportedOnceAndStopsTheTimerUntilReEnabled) {
    CapturedReports captured;
    const auto& reports = captured.messages;
    TThreadedTimer timer;
    timer.SetInterval(2);
    int count = 0;
    timer.SetOnTimer([&count](TThreadedTimer*) {
        ++count;
        throw Exception("handler failed");
    });
    const bool fired = QTest::qWaitFor([&] { return count >= 1; }, 5000);
    QTest::qWait(100);
    const bool enabledAfterFailure = timer.Enabled();
    const int countAfterFailure = count;
    timer.SetEnabled(true);
    const bool firedAgain = QTest::qWaitFor([&] { return count >= 2; }, 5000);
    timer.SetEnabled(false);
    ASSERT_TRUE(fired);
    EXPECT_FALSE(enabledAfterFailure);
    EXPECT_EQ(countAfterFailure, 1);
    EXPECT_TRUE(firedAgain);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], "handler failed");
}

TEST(ThreadedTimer, SilentAbortInTheHandlerNeitherReportsNorStops) {
    CapturedReports captured;
    TThreadedTimer timer;
    timer.SetInterval(2);
    int count = 0;
    timer.SetOnTimer([&count](TThreadedTimer*) {
        ++count;
        throw EAbort();
    });
    const bool fired = QTest::qWaitFor([&] { return count >= 3; }, 5000);
    timer.SetEnabled(false);
    EXPECT_TRUE(fired);
    EXPECT_TRUE(captured.messages.empty());
}

TEST(ThreadedTimer, DestroyingWhileTheWorkerWaitsInItsHandOverNeitherHangsNorFires) {
    for (int round = 0; round < 30; ++round) {
        auto t = std::make_unique<TCounted>(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return *t->Count >= 1; }, 5000));
        // Vary the moment, so both "already posted" and "about to post" are met.
        BlockGuiThread(round % 4);
        const std::shared_ptr<int> count = t->Count;
        const int before = *count;
        {
            TWatchdog watchdog("destroying a timer whose worker waits for the GUI thread", 20);
            t.reset();
        }
        QTest::qWait(10);
        EXPECT_EQ(*count, before) << "round " << round;
    }
}

TEST(ThreadedTimer, HandlerMayDestroyItsOwnTimerOrAnother) {
    auto victim = std::make_unique<TCounted>(1);
    auto* self = new TThreadedTimer;
    self->SetInterval(5);
    int selfCount = 0;
    {
        TWatchdog watchdog("a handler destroying timers", 20);
        self->SetOnTimer([&](TThreadedTimer* sender) {
            ++selfCount;
            BlockGuiThread(10); // the victim's worker is now waiting for us
            victim.reset();
            delete sender;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return selfCount == 1; }, 5000));
        QTest::qWait(100); // let the abandoned worker end and free itself
    }
    EXPECT_EQ(selfCount, 1);
    EXPECT_EQ(victim, nullptr);
}

TEST(ThreadedTimer, DestroyingDuringALongPauseDoesNotWaitForIt) {
    auto t = std::make_unique<TCounted>(60000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return t->Timer->Worker().Pauses() == 1; }, 5000));
    const std::shared_ptr<int> count = t->Count;
    {
        TWatchdog watchdog("destroying a timer in a 60 s pause", 20);
        t.reset();
    }
    EXPECT_EQ(*count, 0);
}

TEST(ThreadedTimer, IntervalPropertyIsReachedByNameAndClamped) {
    TThreadedTimer timer;
    ASSERT_TRUE(timer.setProperty("Interval", 37));
    EXPECT_EQ(timer.Interval(), 37);
    EXPECT_EQ(timer.property("Interval").toInt(), 37);
    EXPECT_EQ(timer.Worker().Interval(), 37u);
    timer.setProperty("Interval", 70000);
    EXPECT_EQ(timer.Interval(), 65535);
    timer.setProperty("Interval", -5);
    EXPECT_EQ(timer.Interval(), 0);
    ASSERT_TRUE(timer.setProperty("Enabled", false));
    EXPECT_FALSE(timer.Enabled());
}

namespace {
// Steps every `step` from an origin, the step changed at any moment from the test's thread;
// the worker asks from its own, so everything is under a mutex.
class TEvenSteps : public TDueTimes {
public:
    explicit TEvenSteps(std::chrono::nanoseconds step) : step_(step) {}
    void SetStep(std::chrono::nanoseconds step, TTimerClock::time_point at) {
        std::lock_guard lock(mutex_);
        // The steps run so far stay where they are; later ones come at the new spacing.
        const long double done = Reached(at);
        origin_ = at;
        originStep_ = done;
        step_ = step;
    }
    uint64_t FirstStepFrom(TTimerClock::time_point at) const override {
        std::lock_guard lock(mutex_);
        return static_cast<uint64_t>(std::max(0.0L, std::ceil(Reached(at))));
    }
    TTimerClock::time_point DueOf(uint64_t step) const override {
        std::lock_guard lock(mutex_);
        const long double after = (static_cast<long double>(step) - originStep_) * step_.count();
        return origin_ + std::chrono::nanoseconds(static_cast<int64_t>(after));
    }

private:
    long double Reached(TTimerClock::time_point at) const {
        return originStep_ + static_cast<long double>((at - origin_).count()) / step_.count();
    }
    mutable std::mutex mutex_;
    TTimerClock::time_point origin_ = TTimerClock::now();
    long double originStep_ = 0;
    std::chrono::nanoseconds step_;
};
} // namespace

TEST(ThreadedTimer, DueTimesOfItsOwnFireEveryStepOnceThroughEveryChangeOfRate) {
    TWatchdog watchdog("due times", 30);
    TThreadedTimer timer;
    timer.SetInterval(1000); // kept for whoever reads it; the steps do not follow it
    auto steps = std::make_shared<TEvenSteps>(std::chrono::microseconds(7300));
    std::vector<uint64_t> fired;
    std::vector<TTimerClock::time_point> due, scheduled;
    timer.SetOnTimer([&](TThreadedTimer* sender) {
        fired.push_back(sender->DueStep());
        due.push_back(sender->DueTime());
        scheduled.push_back(steps->DueOf(sender->DueStep())); // only this handler changes it
        // A new rate while the firing is handed over must not fire this step again.
        if (fired.size() % 3 == 0) {
            steps->SetStep(std::chrono::microseconds(fired.size() % 2 ? 5100 : 9700),
                           TTimerClock::now());
            sender->Reschedule();
        }
        sender->SetInterval(static_cast<uint16_t>(1000 + fired.size())); // restarts nothing
    });
    timer.SetDueTimes(steps);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired.size() >= 60; }, 20000));
    timer.SetEnabled(false);
    // Every step fired once, in order, or was counted as missed on a busy machine.
    const uint64_t span = fired.back() - fired.front() + 1;
    EXPECT_EQ(span, fired.size() + timer.MissedFirings());
    for (size_t i = 1; i < fired.size(); ++i) {
        EXPECT_GT(fired[i], fired[i - 1]) << "firing " << i;
        EXPECT_EQ(due[i], scheduled[i]) << "firing " << i;
    }
}
