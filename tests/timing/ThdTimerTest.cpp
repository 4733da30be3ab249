#include "timing/ThdTimer.h"
#include "common/CapturedReports.h"

#include "framework/Application.h"
#include "framework/Exception.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Aborts the test binary when a step hangs, so a deadlock fails loudly instead of stalling.
class TWatchdog {
public:
    TWatchdog(const char* what, int seconds)
        : thread_([this, what, seconds] {
              std::unique_lock lock(mutex_);
              if (!done_cv_.wait_for(lock, std::chrono::seconds(seconds),
                                     [this] { return done_; })) {
                  std::fprintf(stderr, "hang: %s\n", what);
                  std::abort();
              }
          }) {}
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
    bool done_ = false;
    std::thread thread_;
};

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

TEST(ThreadedTimer, HandlerThatDisablesItsTimerWaitsAFullIntervalAfterReEnabling) {
    TThreadedTimer timer;
    timer.SetInterval(150);
    int count = 0;
    QElapsedTimer clock;
    qint64 firedAt = -1;
    timer.SetOnTimer([&](TThreadedTimer* sender) {
        ++count;
        firedAt = clock.elapsed();
        sender->SetEnabled(false);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return count == 1; }, 5000));
    EXPECT_TRUE(timer.Worker().Suspended());
    QTest::qWait(400);
    EXPECT_EQ(count, 1);

    clock.start();
    timer.SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return count == 2; }, 5000));
    EXPECT_GE(firedAt, 149); // the worker finished its delivery, then slept a whole pause
}

TEST(ThreadedTimer, PauseInterruptedByAHoldIsNotRestarted) {
    TThreadedTimer timer;
    timer.SetInterval(400);
    int count = 0;
    timer.SetOnTimer([&count](TThreadedTimer*) { ++count; });
    QTest::qWait(50);
    timer.SetEnabled(false); // the worker goes on sleeping, then waits at the gate
    QTest::qWait(600);
    EXPECT_EQ(count, 0);
    QElapsedTimer clock;
    clock.start();
    timer.SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return count == 1; }, 5000));
    EXPECT_LT(clock.elapsed(), 250); // a restarted pause would take 400 ms
}

TEST(ThreadedTimer, HoldingAndReleasingNeitherCutsShortNorRestartsAPause) {
    TThreadedTimer timer;
    timer.SetInterval(600);
    int count = 0;
    QElapsedTimer clock;
    qint64 firedAt = -1;
    timer.SetOnTimer([&](TThreadedTimer*) {
        if (++count == 1) firedAt = clock.elapsed();
    });
    clock.start();
    QTest::qWait(100);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    timer.SetThreadPriority(tpHigher); // every change passes through a brief hold
    ASSERT_TRUE(QTest::qWaitFor([&] { return count >= 1; }, 5000));
    EXPECT_GE(firedAt, 599);
    EXPECT_LT(firedAt, 690); // a pause restarted at 100 ms would end at 700 ms
}

TEST(ThreadedTimer, PriorityTakesEffectWhileHeld) {
    TThreadedTimer timer;
    ASSERT_TRUE(timer.Worker().Suspended());
    const std::pair<TThreadPriority, QThread::Priority> mapping[] = {
        {tpIdle, QThread::IdlePriority},    {tpLowest, QThread::LowestPriority},
        {tpLower, QThread::LowPriority},    {tpHighest, QThread::HighestPriority},
        {tpHigher, QThread::HighPriority},  {tpTimeCritical, QThread::TimeCriticalPriority},
        {tpNormal, QThread::NormalPriority}};
    for (const auto& [ours, qt] : mapping) {
        timer.SetThreadPriority(ours);
        EXPECT_EQ(timer.Worker().priority(), qt) << ours;
        EXPECT_TRUE(timer.Worker().Suspended());
    }
    timer.SetThreadPriority(tpHigher);
    int count = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&count](TThreadedTimer*) { ++count; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return count >= 2; }, 5000));
    EXPECT_EQ(timer.Worker().priority(), QThread::HighPriority);
}

TEST(ThreadedTimer, FiringsNeverOverlapNorPileUp) {
    TThreadedTimer timer;
    timer.SetInterval(1);
    int count = 0;
    bool inside = false;
    bool overlapped = false;
    timer.SetOnTimer([&](TThreadedTimer*) {
        overlapped = overlapped || inside;
        inside = true;
        ++count;
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
    EXPECT_GE(count, 2);
    EXPECT_LE(count, 16); // each firing takes at least 21 ms
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
    QTest::qWait(20);
    QElapsedTimer clock;
    clock.start();
    {
        TWatchdog watchdog("destroying a timer in a 60 s pause", 20);
        t.reset();
    }
    EXPECT_LT(clock.elapsed(), 5000);
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
