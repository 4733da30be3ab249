// SPDX-License-Identifier: GPL-3.0-or-later
// The main window end to end on the offscreen platform: frequency linking, the knobs, the
// check boxes, hiding the controls, the run, the menu loads, and a device that cannot open.
#include "MainWindowFixture.h"

#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "sound/DXSounds.h"
#include "timing/ThdTimer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <chrono>
#include <cmath>

TEST_F(MainWindowTest, SliderMovedTo35GivesThreePointFiveHertz) {
    auto form = Open();
    form->RxSlider1->SetValue(34);
    form->RxSlider1->setFocus();
    QTest::keyClick(form->RxSlider1, Qt::Key_Right); // a user move ends with OnChanged
    EXPECT_EQ(form->RxSlider1->Value(), 35);
    EXPECT_EQ(form->FreqEdit->Value(), 3.5L);
    EXPECT_EQ(RunParams.BaseRate,
              7718); // 3.5 x 2205 = 7717.5, the half going to the even neighbour
    EXPECT_EQ(form->Timer1->Interval(), 142);
    EXPECT_EQ(form->Timer2->Interval(), 14);
    EXPECT_EQ(form->WaveLabel->text(), QStringLiteral("High Delta"));
    EXPECT_EQ(BufferFrequency(*form), 7718u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, FrequencyEditDrivesSliderTimersRateAndLabel) {
    auto form = Open();
    form->FreqEdit->SetValue(7.25L);
    EXPECT_EQ(form->RxSlider1->Value(), 72);
    EXPECT_EQ(form->Timer1->Interval(), 69);
    EXPECT_EQ(form->Timer2->Interval(), 6);
    EXPECT_EQ(RunParams.BaseRate, 15986);
    EXPECT_EQ(form->WaveLabel->text(), QStringLiteral("High Theta"));

    // Above 25 Hz the slider and the picture timing stop, the base rate goes on.
    form->FreqEdit->SetValue(30.0L);
    EXPECT_EQ(form->RxSlider1->Value(), 250);
    EXPECT_EQ(form->Timer1->Interval(), 20);
    EXPECT_EQ(RunParams.BaseRate, 66150);
    EXPECT_EQ(form->WaveLabel->text(), QStringLiteral("High Beta"));
    EXPECT_EQ(BufferFrequency(*form), 66150u);
}

TEST_F(MainWindowTest, HalfPeriodIsConsultedOnlyByItsOwnClick) {
    auto form = Open();
    form->FreqEdit->SetValue(8.0L);
    ASSERT_EQ(form->Timer1->Interval(), 62);
    EXPECT_EQ(form->Timer2->Interval(), 6);
    QTest::mouseClick(form->Half, Qt::LeftButton);
    ASSERT_TRUE(form->Half->isChecked());
    EXPECT_EQ(form->Timer2->Interval(), 12);

    // A change of frequency takes a tenth again although the box stays ticked.
    form->FreqEdit->SetValue(10.0L);
    EXPECT_TRUE(form->Half->isChecked());
    EXPECT_EQ(form->Timer1->Interval(), 50);
    EXPECT_EQ(form->Timer2->Interval(), 5);

    QTest::mouseClick(form->Half, Qt::LeftButton);
    EXPECT_EQ(form->Timer2->Interval(), 5);
    QTest::mouseClick(form->Half, Qt::LeftButton);
    EXPECT_EQ(form->Timer2->Interval(), 10);
}

TEST_F(MainWindowTest, KnobsSetTheRunParametersAndDepthSpringsToOne) {
    auto form = Open();
    EXPECT_EQ(RunParams.TransformLevel, 0); // a copy of the knob at creation, not forced to 1
    form->UpDown1->SetPosition(7);
    EXPECT_EQ(RunParams.TransformLevel, 7);
    form->UpDown1->SetPosition(0);
    EXPECT_EQ(form->UpDown1->Position(), 1);
    EXPECT_EQ(RunParams.TransformLevel, 1);

    form->UpDown2->SetPosition(5);
    form->UpDown3->SetPosition(10);
    EXPECT_EQ(RunParams.AMDepth, 500);
    EXPECT_EQ(RunParams.FMDepth, 2000);

    form->Volume->SetPosition(5);
    EXPECT_EQ(BufferVolume(*form), -1000);
    form->Volume->SetPosition(0);
    EXPECT_EQ(BufferVolume(*form), -10000);
}

TEST_F(MainWindowTest, EveryFifthClickOnVolumeRevealsTheHiddenItemsAndTheNextHidesThem) {
    auto form = Open();
    for (int i = 0; i < 4; ++i) {
        ClickKnob(*form->Volume);
        EXPECT_FALSE(form->LoadPicture->isVisible()) << "click " << i + 1;
    }
    ClickKnob(*form->Volume);
    EXPECT_TRUE(form->LoadPicture->isVisible());
    EXPECT_TRUE(form->LoadSound->isVisible());
    ClickKnob(*form->Volume);
    EXPECT_FALSE(form->LoadPicture->isVisible());
    EXPECT_FALSE(form->LoadSound->isVisible());
    EXPECT_TRUE(form->About1->isVisible());
    EXPECT_TRUE(form->LoadLibrary1->isVisible());
}

TEST_F(MainWindowTest, HidingAndShowingTheControlsRestoresTheHeightExactly) {
    auto form = Open();
    form->resize(600, 417);
    QApplication::processEvents();
    const int pictureHeight = form->Panel2->height();
    // Start keeps to the right edge.
    EXPECT_EQ(form->Start->x(), form->frameGeometry().width() - 70);
    EXPECT_EQ(form->Start->mapTo(form.get(), QPoint(0, 0)).y(), form->height() - 144 + 18);
    QTest::mouseClick(form->ShowButton, Qt::LeftButton);
    EXPECT_EQ(form->ShowButton->text(), QStringLiteral("Show Controls"));
    EXPECT_EQ(form->height(), 417 - 111);
    EXPECT_EQ(form->Panel1->height(), 33);
    EXPECT_EQ(form->Panel2->height(), pictureHeight);
    EXPECT_FALSE(form->UpDown1->isVisible());
    EXPECT_FALSE(form->Volume->isVisible());
    ASSERT_TRUE(form->DublButton->isVisible());
    // The bottom bar covers what is left of the lower area's other controls.
    for (QWidget* covered :
         {static_cast<QWidget*>(form->RxSlider1), static_cast<QWidget*>(form->Start)}) {
        const QPoint inside = covered->mapTo(form.get(), QPoint(covered->width() / 2, 12));
        QWidget* top = form->childAt(inside);
        EXPECT_TRUE(top == form->Panel3 || form->Panel3->isAncestorOf(top))
            << covered->objectName().toStdString();
    }

    // Start stays reachable through the bottom bar's button.
    QTest::mouseClick(form->DublButton, Qt::LeftButton);
    EXPECT_TRUE(MainState::Running);
    EXPECT_EQ(form->DublButton->text(), QStringLiteral("Stop"));
    QTest::mouseClick(form->DublButton, Qt::LeftButton);
    EXPECT_FALSE(MainState::Running);

    QTest::mouseClick(form->ShowButton, Qt::LeftButton);
    EXPECT_EQ(form->height(), 417);
    EXPECT_EQ(form->Panel1->height(), 144);
    EXPECT_EQ(form->Panel2->height(), pictureHeight);
    EXPECT_TRUE(form->UpDown1->isVisible());
    EXPECT_FALSE(form->DublButton->isVisible());
    EXPECT_EQ(form->ShowButton->text(), QStringLiteral("Hide Controls"));
}

TEST_F(MainWindowTest, ApplyIsDisabledWhileRunningAndStartStopToggleEverything) {
    auto form = Open();
    ASSERT_TRUE(form->ApplyButton->isEnabled());
    form->StartButtonClick(form->Start);
    EXPECT_TRUE(MainState::Running);
    EXPECT_TRUE(form->Timer1->Enabled());
    EXPECT_TRUE(form->Timer2->Enabled());
    EXPECT_TRUE(BufferPlaying(*form));
    EXPECT_FALSE(form->ApplyButton->isEnabled());
    EXPECT_EQ(form->DublButton->text(), QStringLiteral("Stop"));

    form->StartButtonClick(form->Start);
    EXPECT_FALSE(MainState::Running);
    EXPECT_FALSE(form->Timer1->Enabled());
    EXPECT_FALSE(form->Timer2->Enabled());
    EXPECT_FALSE(BufferPlaying(*form));
    EXPECT_TRUE(form->ApplyButton->isEnabled());
    EXPECT_EQ(form->DublButton->text(), QStringLiteral("Start"));
}

TEST_F(MainWindowTest, TheLightAndTheSoundStepOnTheRunsPhaseThroughEveryChange) {
    auto form = Open();
    form->FreqEdit->SetValue(17.3L); // 28.9 ms a picture step: no whole millisecond
    // A firing lies on the phase's grid when the phase at its due time is its step over the
    // steps per period, to a microsecond's worth of phase.
    const auto onGrid = [&](const TThreadedTimer& timer, int perPeriod) {
        const long double phase = form->RunPhase().PhaseAt(timer.DueTime());
        const long double step = static_cast<long double>(timer.DueStep()) / perPeriod;
        return timer.DueStep() > 0 && std::fabs(phase - step) < 1e-6L * 35;
    };
    form->StartButtonClick(form->Start);
    QTest::qWait(300);
    EXPECT_TRUE(onGrid(*form->Timer1, 2));
    EXPECT_TRUE(onGrid(*form->Timer2, 20));
    form->FreqEdit->SetValue(30.0L); // above the slider's 25.0 Hz
    QTest::qWait(300);
    EXPECT_TRUE(onGrid(*form->Timer1, 2));
    EXPECT_TRUE(onGrid(*form->Timer2, 20));
    form->Half->click(); // the sweep on tenths of the period
    QTest::qWait(300);
    EXPECT_TRUE(onGrid(*form->Timer1, 2));
    EXPECT_TRUE(onGrid(*form->Timer2, 10));
    form->StartButtonClick(form->Start);
    // The intervals the settings keep still follow the slider.
    EXPECT_EQ(form->Timer1->Interval(), 20);
    EXPECT_EQ(form->Timer2->Interval(), 4);
}

TEST_F(MainWindowTest, LoadingALibraryDuringARunReplacesTheSoundWhichWaitsForTheNextStart) {
    auto form = Open();
    form->StartButtonClick(form->Start);
    ASSERT_TRUE(BufferPlaying(*form));
    ASSERT_TRUE(form->LoadLibrary1->isEnabled());
    QString offeredFilter;
    form->OpenDialog1.Choose = [&](QWidget*, const QString& filter) {
        offeredFilter = filter;
        return QString::fromStdString(DefaultLibrary());
    };
    form->LoadLibrary1->trigger();
    EXPECT_EQ(offeredFilter, QStringLiteral("Velmora Libraries|*.zdl"));
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(RunParams.LibraryPath, DefaultLibrary());
    EXPECT_TRUE(MainState::Running);
    EXPECT_FALSE(BufferPlaying(*form));

    form->StartButtonClick(form->Start);
    form->StartButtonClick(form->Start);
    EXPECT_TRUE(BufferPlaying(*form));
}

TEST_F(MainWindowTest, StopThenStartContinuesThePhaseAndKeepsThePicture) {
    auto form = Open();
    form->UpDown1->SetPosition(3);
    form->FreqEdit->SetValue(20.0L);
    form->StartButtonClick(form->Start);
    QTest::qWait(200);
    form->StartButtonClick(form->Start);
    QTest::qWait(50); // a firing handed over before Stop completes
    const long double stopped = form->RunPhase().PhaseAt(TTimerClock::now());
    EXPECT_GT(stopped, 2.0L);
    const uint64_t lastSweep = form->Timer2->DueStep();
    EXPECT_EQ(RunParams.ModPhase, static_cast<int32_t>((lastSweep + 1) % 10));
    const QByteArray stepped = Pixels(form->PaintBox1->DIB());
    EXPECT_NE(stepped, LibraryPixels(*form));

    // Stopped, nothing moves: the phase, the sweep's place and the picture wait.
    QTest::qWait(100);
    EXPECT_EQ(form->RunPhase().PhaseAt(TTimerClock::now()), stopped);
    EXPECT_EQ(Pixels(form->PaintBox1->DIB()), stepped);
    form->StartButtonClick(form->Start);
    QTest::qWait(100);
    form->StartButtonClick(form->Start);
    // The sweep went on from the step after the last one, none fired twice.
    EXPECT_GT(form->Timer2->DueStep(), lastSweep);
    EXPECT_GE(form->RunPhase().PhaseAt(TTimerClock::now()), stopped + 1.5L);
}

TEST_F(MainWindowTest, RightLeftDifferenceResetsThePictureAlsoWhileRunning) {
    auto form = Open();
    const QByteArray original = LibraryPixels(*form);
    ASSERT_FALSE(original.isEmpty());
    form->UpDown1->SetPosition(5);
    form->StartButtonClick(form->Start);
    form->Timer1Timer(form->Timer1);
    form->Timer1Timer(form->Timer1);
    ASSERT_NE(Pixels(form->PaintBox1->DIB()), original);
    QTest::mouseClick(form->DivCheck, Qt::LeftButton);
    EXPECT_EQ(Pixels(form->PaintBox1->DIB()), original);

    // Checked, the right side steps backwards; unchecking resets again.
    form->Timer1Timer(form->Timer1);
    ASSERT_NE(Pixels(form->PaintBox1->DIB()), original);
    QTest::mouseClick(form->DivCheck, Qt::LeftButton);
    EXPECT_EQ(Pixels(form->PaintBox1->DIB()), original);
}

TEST_F(MainWindowTest, PopupMenuOpensCentredOnTheMouse) {
    auto form = Open();
    const QPoint at = form->Panel2->mapToGlobal(QPoint(200, 100));
    QContextMenuEvent event(QContextMenuEvent::Mouse, form->mapFromGlobal(at), at);
    QApplication::sendEvent(form.get(), &event);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->PopupMenu1));
    const QRect menu = form->PopupMenu1->geometry();
    EXPECT_LE(std::abs(menu.center().x() - at.x()), 1);
    EXPECT_EQ(menu.top(), at.y());
    form->PopupMenu1->hide();
}

TEST_F(MainWindowTest, DraggingTheSliderChangesNothingElseUntilTheThumbIsReleased) {
    auto form = Open();
    TRxSlider& slider = *form->RxSlider1;
    const QPoint grip = slider.ThumbRect().center();
    const int target = slider.ThumbPosOfValue(150) + slider.ThumbRect().width() / 2;
    QTest::mousePress(&slider, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(target, grip.y()),
                     slider.mapToGlobal(QPointF(target, grip.y())), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&slider, &move);
    ASSERT_NE(slider.Value(), 70);
    EXPECT_EQ(form->FreqEdit->Value(), 7.0L);
    EXPECT_EQ(form->Timer1->Interval(), 71);
    EXPECT_EQ(RunParams.BaseRate, 15435);
    EXPECT_TRUE(form->WaveLabel->text().isEmpty());

    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(target, grip.y()));
    const int value = slider.Value();
    EXPECT_EQ(form->FreqEdit->Value(), FrequencyFromSliderValue(value));
    EXPECT_EQ(form->Timer1->Interval(), 5000 / value);
    EXPECT_EQ(RunParams.BaseRate, BaseRateFromFrequency(FrequencyFromSliderValue(value)));
    EXPECT_EQ(form->WaveLabel->text(), BandLabel(value));
}
