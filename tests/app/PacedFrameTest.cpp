// SPDX-License-Identifier: GPL-3.0-or-later
// The picture painted by the display's frames: each frame brings it to the step due when the
// frame is shown, catching up the steps in between, never going back, and the picture timer
// leaves alone the steps a frame has applied. On the offscreen platform there is no frame
// clock: the runs are unsynchronised and the timer paints as ever.
#include "MainWindowFixture.h"

#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "picture/DIB.h"
#include "picture/DXPaintBox.h"
#include "picture/FramePacer.h"
#include "picture/FrameStep.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "timing/ThdTimer.h"

#include <cmath>

namespace {
using Clock = std::chrono::steady_clock;
} // namespace

TEST_F(MainWindowTest, EachFrameShowsTheStepDueWhenItIsShownAndNeverGoesBack) {
    auto form = Open();
    form->FreqEdit->SetValue(10.0L);
    form->UpDown1->SetPosition(5);
    TDIB& dib = form->PaintBox1->DIB();
    ASSERT_FALSE(dib.IsEmpty());
    // The picture as it is after a number of steps from its present state.
    const auto stepped = [&](int steps) {
        TDIB copy;
        copy.AssignFrom(&dib);
        for (int i = 0; i < steps; ++i)
            StepFrame(copy, {RunParams.TransformLevel, RunParams.CycleModulus, false});
        return Pixels(copy);
    };
    form->StartButtonClick(form->Start);
    ASSERT_NE(form->Pacer(), nullptr);
    const Clock::time_point start = Clock::now();
    // Steps 0 to 2 are due 120 ms on (2 a period at 10 Hz, from the phase's zero), all three
    // applied at once for a frame shown then.
    const Clock::time_point frame1 = start + std::chrono::milliseconds(120);
    const auto due1 =
        static_cast<int>(std::floor(form->RunPhase().PhaseAt(frame1) * kPictureStepsPerPeriod));
    ASSERT_GE(due1, 2);
    const QByteArray after1 = stepped(due1 + 1);
    form->PaceFrame(frame1);
    EXPECT_EQ(Pixels(dib), after1);
    // The same frame again, or an earlier one: nothing moves back or on.
    form->PaceFrame(frame1);
    form->PaceFrame(start);
    EXPECT_EQ(Pixels(dib), after1);
    // A firing of the timer for a step the frames applied changes nothing.
    form->Timer1Timer(form->Timer1);
    EXPECT_EQ(Pixels(dib), after1);
    // Long after (the window stalled), a frame catches up at most eight steps.
    const QByteArray after2 = stepped(8);
    form->PaceFrame(frame1 + std::chrono::seconds(10));
    EXPECT_EQ(Pixels(dib), after2);
    form->StartButtonClick(form->Start);
    // Offscreen there was no frame clock: the run was the timer's.
    const TFrameStats stats = form->LastFrameStats();
    EXPECT_EQ(stats.Mode, TFrameMode::Unsynchronised);
    EXPECT_EQ(stats.Shown, 0u);
    EXPECT_STREQ(stats.ClockSource, "timer");
}
