// SPDX-License-Identifier: GPL-3.0-or-later
// The run's one phase: its rate follows the frequency from each change's moment, it stands
// still while stopped, and steps on it are due where the phase reaches them; in the window,
// the light's steps over a ramp, during a slider drag and through nudges are the ones the phase
// makes due.
#include "MainWindowFixture.h"

#include "app/mainSession.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "timing/ThdTimer.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace {
using namespace std::chrono_literals;
TTimerClock::time_point At(std::chrono::nanoseconds ns) {
    return TTimerClock::time_point(ns);
}

// Counts the picture timer's firings, and the steps it skipped, around the window's handler.
struct LightSteps {
    explicit LightSteps(TThreadedTimer& timer)
        : timer_(timer), missedBefore_(timer.MissedFirings()) {
        auto handler = timer.OnTimer();
        timer.SetOnTimer([this, handler](TThreadedTimer* t) {
            ++fired;
            handler(t);
        });
    }
    uint64_t Due() const { return fired + timer_.MissedFirings() - missedBefore_; }
    uint64_t fired = 0;

private:
    TThreadedTimer& timer_;
    uint64_t missedBefore_;
};

double Seconds(TTimerClock::duration d) {
    return std::chrono::duration<double>(d).count();
}
} // namespace

TEST(RunPhaseTest, RateChangesFromItsMomentAndStoppedPhaseStandsStill) {
    TRunPhase phase;
    phase.SetFrequency(17300, At(0s));
    EXPECT_EQ(phase.PhaseAt(At(5s)), 0.0L); // not started
    phase.Start(At(1s));
    EXPECT_NEAR(static_cast<double>(phase.PhaseAt(At(3s))), 34.6, 1e-12);
    phase.SetFrequency(30000, At(3s)); // the phase goes on from 34.6 at the new rate
    EXPECT_NEAR(static_cast<double>(phase.PhaseAt(At(4s))), 64.6, 1e-12);
    phase.Stop(At(4s));
    EXPECT_NEAR(static_cast<double>(phase.PhaseAt(At(100s))), 64.6, 1e-12);
    EXPECT_EQ(phase.TimeOfPhase(70), TTimerClock::time_point::max());
    phase.Start(At(10s));
    EXPECT_NEAR(Seconds(phase.TimeOfPhase(70) - At(10s)), 5.4 / 30.0, 1e-9);
    // Ten hours at the top of the range keep their nanoseconds.
    phase.SetFrequency(35000, At(10s));
    EXPECT_NEAR(Seconds(phase.TimeOfPhase(64.6L + 35.0L * 36000) - At(10s)), 36000.0, 1e-9);
}

TEST(RunPhaseTest, StepsAreDueWhereThePhaseReachesThem) {
    auto phase = std::make_shared<TRunPhase>();
    phase->SetFrequency(17300, At(0s));
    phase->Start(At(0s));
    TPhaseSteps light(phase, kPictureStepsPerPeriod), sweep(phase, kSweepStepsPerPeriod);
    EXPECT_EQ(light.FirstStepFrom(At(0s)), 0u); // step 0 with the beat's zero, at Start
    EXPECT_EQ(light.DueOf(0), At(0s));
    // 17.3 Hz: 34.6 light steps and 346 sweep steps a second, not the 35.7 of 28 ms.
    EXPECT_EQ(light.FirstStepFrom(At(10s)), 346u);
    EXPECT_EQ(sweep.FirstStepFrom(At(10s)), 3460u);
    EXPECT_NEAR(Seconds(light.DueOf(346) - At(0s)), 10.0, 1e-9);
    sweep.SetPerPeriod(SweepStepsPerPeriod(true));
    EXPECT_EQ(sweep.FirstStepFrom(At(10s)), 1730u);
    // A moment between steps gives the next one.
    EXPECT_EQ(light.FirstStepFrom(At(10s) + 1ms), 347u);
}

TEST(RunPhaseTest, LedStepsAreDueTheirLeadBeforeThePhaseReachesThem) {
    // The sweep heard through an output with a 100 ms delay: each step fires 100 ms before the
    // phase reaches it, so that it sounds when the light's step of the same phase shows.
    auto phase = std::make_shared<TRunPhase>();
    phase->SetFrequency(25000, At(0s));
    phase->Start(At(1s));
    TPhaseSteps light(phase, kPictureStepsPerPeriod), sweep(phase, kSweepStepsPerPeriod);
    sweep.SetLead(100ms);
    EXPECT_EQ(sweep.Lead(), 100ms);
    EXPECT_EQ(sweep.DueOf(5000), At(11s) - 100ms);
    EXPECT_EQ(sweep.DueOf(5000) + 100ms, light.DueOf(500)); // the same phase
    // From a moment on, the first step due is the first whose phase comes 100 ms later or after:
    // 11.101 s is 2.5 periods and half a step past step 5000, so step 5051, due 1 ms later.
    EXPECT_EQ(sweep.FirstStepFrom(At(11s) + 1ms), 5051u);
    EXPECT_NEAR(Seconds(sweep.DueOf(5051) - At(11s)), 0.002, 1e-9);
    // A phase standing still has no due step, lead or none.
    phase->Stop(At(12s));
    EXPECT_EQ(sweep.DueOf(6000), TTimerClock::time_point::max());
}

TEST_F(MainWindowTest, LightStepsOverARampAreTwiceTheIntegralOfTheFrequency) {
    auto form = Open();
    form->FreqEdit->SetValue(10.0L);
    LightSteps light(*form->Timer1);
    double integral = 0; // periods from Start, from the test's own clock
    auto last = TTimerClock::now();
    long double frequency = 10.0L;
    const auto change = [&](long double next) {
        const auto before = TTimerClock::now();
        form->FreqEdit->SetValue(next);
        const auto after = TTimerClock::now();
        const auto at = before + (after - before) / 2;
        integral += static_cast<double>(frequency) * Seconds(at - last);
        last = at;
        frequency = next;
    };
    const auto before = TTimerClock::now();
    form->StartButtonClick(form->Start);
    last = before + (TTimerClock::now() - before) / 2;
    // 10.0 to 30.3 Hz by 0.7 Hz every 100 ms: through 17.3 Hz and past the slider's end.
    for (int i = 1; i <= 29; ++i) {
        QTest::qWait(100);
        change(10.0L + 0.7L * i);
    }
    QTest::qWait(300);
    change(frequency); // the stop's moment, bracketed as a change is
    form->StartButtonClick(form->Start);
    // Steps 0 .. floor(2 x periods) were due.
    const double due = std::floor(2 * integral) + 1;
    EXPECT_NEAR(static_cast<double>(light.Due()), due, 2.0) << "fired " << light.fired;
    EXPECT_GT(light.fired, 0u);
}

TEST_F(MainWindowTest, DraggingTheSliderKeepsTheLightStepping) {
    auto form = Open();
    form->FreqEdit->SetValue(10.0L);
    LightSteps light(*form->Timer1);
    form->StartButtonClick(form->Start);
    QTest::qWait(100);
    TRxSlider& slider = *form->RxSlider1;
    const QPoint grip = slider.ThumbRect().center();
    QTest::mousePress(&slider, Qt::LeftButton, {}, grip);
    const uint64_t before = light.Due();
    const auto from = TTimerClock::now();
    for (int i = 1; i <= 10; ++i) {
        const QPointF to(grip.x() + i * 4, grip.y());
        QMouseEvent move(QEvent::MouseMove, to, slider.mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&slider, &move);
        QTest::qWait(100);
    }
    const double seconds = Seconds(TTimerClock::now() - from);
    const uint64_t during = light.Due() - before;
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(grip.x() + 40, grip.y()));
    form->StartButtonClick(form->Start);
    // Until the thumb is let go the frequency stays 10 Hz: 20 steps a second go on.
    EXPECT_NEAR(static_cast<double>(during), 20 * seconds, 2.0);
    EXPECT_NE(form->FreqEdit->Value(), 10.0L);
}

TEST_F(MainWindowTest, NudgesGlideTheFrequencyWhileTheLightKeepsThePhase) {
    auto form = Open();
    form->FreqEdit->SetValue(10.0L);
    LightSteps light(*form->Timer1);
    const auto mid = [](TTimerClock::time_point a) { return a + (TTimerClock::now() - a) / 2; };
    auto before = TTimerClock::now();
    form->StartButtonClick(form->Start);
    const auto started = mid(before);
    form->PaintBox1->setFocus();
    QTest::qWait(500);
    before = TTimerClock::now();
    QTest::keyClick(form->PaintBox1, Qt::Key_Up);
    const auto up = mid(before);
    QTest::qWait(1000); // half way: gliding, not there yet
    EXPECT_GT(form->FreqEdit->Value(), 10.0L);
    EXPECT_LT(form->FreqEdit->Value(), 10.1L);
    QTest::qWait(1500);
    EXPECT_EQ(form->FreqEdit->Value(), 10.1L);
    before = TTimerClock::now();
    QTest::keyClick(form->PaintBox1, Qt::Key_PageUp);
    const auto pageUp = mid(before);
    QTest::qWait(2500);
    EXPECT_EQ(form->FreqEdit->Value(), 11.1L);
    before = TTimerClock::now();
    form->StartButtonClick(form->Start);
    const auto stopped = mid(before);
    // Linear glides of 2 s: their mean frequency holds for their length.
    const double periods = 10.0 * Seconds(up - started) + 10.05 * 2 +
                           10.1 * (Seconds(pageUp - up) - 2) + 10.6 * 2 +
                           11.1 * (Seconds(stopped - pageUp) - 2);
    EXPECT_NEAR(static_cast<double>(light.Due()), std::floor(2 * periods) + 1, 2.0);
    // Depth and Volume by their keys, also only while running.
    form->StartButtonClick(form->Start);
    const int depth = form->UpDown1->Position(), volume = form->Volume->Position();
    QTest::keyClick(form->PaintBox1, Qt::Key_BracketRight);
    QTest::keyClick(form->PaintBox1, Qt::Key_Minus);
    EXPECT_EQ(form->UpDown1->Position(), std::min(depth + 1, 15));
    EXPECT_EQ(form->Volume->Position(), std::max(volume - 1, 0));
    form->StartButtonClick(form->Start);
}

TEST_F(MainWindowTest, ANudgeShiftsTheSessionsLineAndHomeReturnsToIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hold.vsession"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("0:00 10.0\n5:00 10.0\n");
    }
    auto form = Open();
    form->Session()->Load(path.toStdString(), false);
    form->StartButtonClick(form->Start);
    form->PaintBox1->setFocus();
    QTest::qWait(200);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(form->PaintBox1, Qt::Key_Up);
    QTest::qWait(2500);
    EXPECT_EQ(form->FreqEdit->Value(), 10.3L);
    EXPECT_EQ(form->Session()->OffsetMilli(), 300);
    EXPECT_TRUE(form->windowTitle().contains(QStringLiteral("+0.3 Hz")))
        << form->windowTitle().toStdString();
    QTest::keyClick(form->PaintBox1, Qt::Key_Home);
    QTest::qWait(2500);
    EXPECT_EQ(form->FreqEdit->Value(), 10.0L);
    EXPECT_EQ(form->Session()->OffsetMilli(), 0);
    EXPECT_FALSE(form->windowTitle().contains(QStringLiteral("Hz)")));
    form->StartButtonClick(form->Start);
}

TEST_F(MainWindowTest, ANudgesGlideIsJournaledAsANudgeInAFewLines) {
    auto form = Open();
    form->FreqEdit->SetValue(10.0L);
    form->StartButtonClick(form->Start);
    form->PaintBox1->setFocus();
    QTest::keyClick(form->PaintBox1, Qt::Key_PageUp);
    QTest::qWait(2500);
    form->StartButtonClick(form->Start);
    QFile journal(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) +
                  QStringLiteral("/velmora/journal.jsonl"));
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    int nudges = 0, hands = 0;
    for (const QByteArray& line : journal.readAll().split('\n')) {
        nudges += line.contains("\"by\":\"nudge\"");
        hands += line.contains("\"ev\":\"freq\"") && line.contains("\"by\":\"hand\"");
    }
    // A 1 Hz glide in 0.1 Hz steps at most, none of them taken for the hand.
    EXPECT_GE(nudges, 2);
    EXPECT_LE(nudges, 11);
    EXPECT_EQ(hands, 0);
}
