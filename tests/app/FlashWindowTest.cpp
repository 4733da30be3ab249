// SPDX-License-Identifier: GPL-3.0-or-later
// The window's flash check: the verdict before Start and after a change, the "Flash Check..."
// window, reduced flashing on the display only, and the photosensitivity warning that the
// first Start shows until it is accepted.
#include "MainWindowFixture.h"

#include "app/DisplayRefresh.h"
#include "app/mainFlash.h"
#include "app/mainSession.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "framework/Picture.h"
#include "picture/DIB.h"
#include "picture/DXPaintBox.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>

namespace {

// Answers the next modal message box with the button whose text is answer; counts the boxes.
void AnswerNextBox(const QString& answer, int& seen) {
    QTimer::singleShot(50, [answer, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        ++seen;
        for (QAbstractButton* b : box->buttons()) {
            if (b->text().remove(QLatin1Char('&')) == answer) b->click();
        }
    });
}

// The real program's warning, for one test.
struct AskingWarning {
    AskingWarning() { TMainFlash::AskWarning = true; }
    ~AskingWarning() { TMainFlash::AskWarning = false; }
};

} // namespace

TEST_F(MainWindowTest, VerdictShowsBeforeStartAndFollowsTheFrequency) {
    auto form = Open();
    TMainFlash& flash = *form->Flash();
    form->UpDown1->SetPosition(15);
    flash.Update();
    ASSERT_TRUE(flash.Report().Checked);
    EXPECT_TRUE(flash.Mark->isVisible());
    EXPECT_TRUE(flash.Mark->text().contains(QStringLiteral("Flashing:")));
    EXPECT_TRUE(flash.Mark->toolTip().contains(QStringLiteral("General flashes")));

    form->FreqEdit->SetValue(25.0L);
    flash.Update();
    const double fast = flash.Report().GeneralFlashesPerSecond;
    EXPECT_TRUE(flash.Report().Over);
    EXPECT_TRUE(flash.Mark->text().contains(QStringLiteral("over")));
    form->FreqEdit->SetValue(0.1L);
    flash.Update();
    EXPECT_LT(flash.Report().GeneralFlashesPerSecond, fast);
    EXPECT_FALSE(flash.Report().Over) << flash.Report().Reason;

    form->FreqEdit->SetValue(25.0L);
    flash.FlashCheck1->trigger();
    auto* dialog = form->findChild<QDialog*>(QStringLiteral("FlashCheckDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    const QString text = dialog->findChild<QLabel*>(QStringLiteral("FlashCheckText"))->text();
    EXPECT_TRUE(text.contains(QStringLiteral("Display refresh"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Under the limits with"))) << text.toStdString();
    Close(form);
}

TEST_F(MainWindowTest, TheToolsDefaultPictureSizeIsTheWindowsFirstPictureArea) {
    auto form = Open();
    // The picture area's size without the frame this platform draws around the window.
    const int frame = form->frameGeometry().width() - form->width();
    EXPECT_EQ(form->PaintBox1->width() + frame, kFirstShownWidth) << frame;
    EXPECT_EQ(form->PaintBox1->height(), kFirstShownHeight);
    const TFlashSettings s = form->Flash()->CurrentSettings();
    EXPECT_EQ(s.ShownWidth, form->PaintBox1->width());
    EXPECT_EQ(s.ShownHeight, kFirstShownHeight);
    Close(form);
}

TEST_F(MainWindowTest, FlashCheckGradesTheFrequencyInTheBox) {
    auto form = Open();
    TMainFlash& flash = *form->Flash();
    // Two steps a period, not the picture timer's whole milliseconds (20 and 28 ms).
    form->FreqEdit->SetValue(30.0L);
    flash.Update();
    EXPECT_DOUBLE_EQ(flash.Report().StepsPerSecond, 60);
    form->FreqEdit->SetValue(17.3L);
    flash.Update();
    EXPECT_DOUBLE_EQ(flash.Report().StepsPerSecond, 34.6);
    Close(form);
}

TEST_F(MainWindowTest, TheMarkTellsTheLightAsTheDisplayShowsIt) {
    auto form = Open();
    TMainFlash& flash = *form->Flash();
    form->UpDown1->SetPosition(15);
    form->FreqEdit->SetValue(35.0L);
    flash.Update();
    // The offscreen platform reports 60 Hz, yet there is no display to know the rate of.
    ASSERT_GT(form->screen()->refreshRate(), 0);
    EXPECT_EQ(flash.Refresh->Hz(), 0);
    EXPECT_EQ(flash.Refresh->Source(), TDisplayRefresh::TSource::Unknown);
    EXPECT_TRUE(flash.Mark->toolTip().contains(
        QStringLiteral("The display's refresh rate is unknown: the light is checked as a 60 Hz "
                       "display shows it.")))
        << flash.Mark->toolTip().toStdString();

    // Once a run measured the display, the light is graded at its frames.
    flash.Refresh->Learn(60);
    flash.Update();
    EXPECT_DOUBLE_EQ(flash.Report().Shown.ShownHz, 25);
    EXPECT_TRUE(flash.Mark->toolTip().endsWith(
        QStringLiteral("On a 60 Hz display the light flashes at 25.0 Hz, not at 35.0 Hz; the "
                       "nearest frequency it shows evenly is 30.0 Hz.")))
        << flash.Mark->toolTip().toStdString();
    form->FreqEdit->SetValue(20.0L);
    flash.Update();
    EXPECT_TRUE(flash.Mark->toolTip().contains(
        QStringLiteral("On a 60 Hz display the halves of each period last 1 to 2 frames; the "
                       "nearest frequency it shows evenly is 15.0 Hz.")))
        << flash.Mark->toolTip().toStdString();
    // A display that shows every step of 35 Hz for one frame says nothing more.
    flash.Refresh->Learn(70);
    form->FreqEdit->SetValue(35.0L);
    flash.Update();
    EXPECT_DOUBLE_EQ(flash.Report().RefreshHz, 70);
    EXPECT_FALSE(flash.Mark->toolTip().contains(QStringLiteral("On a ")))
        << flash.Mark->toolTip().toStdString();

    flash.FlashCheck1->trigger();
    auto* dialog = form->findChild<QDialog*>(QStringLiteral("FlashCheckDialog"));
    ASSERT_NE(dialog, nullptr);
    const QString text = dialog->findChild<QLabel*>(QStringLiteral("FlashCheckText"))->text();
    EXPECT_TRUE(text.contains(QStringLiteral(
        "The display's refresh rate, 70.00 Hz, is measured from the last run's frames.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("No run yet"))) << text.toStdString();
    Close(form);
}

TEST(FlashFrameStats, TheLastRunsFramesReadWhole) {
    EXPECT_TRUE(TMainFlash::FrameStatsText({}, false).startsWith(QStringLiteral("No run yet")));
    EXPECT_EQ(TMainFlash::FrameStatsText({}, true),
              QStringLiteral("The last run: unsynchronised, painted by the picture timer."));
    TFrameStats paced;
    paced.Mode = TFrameMode::Synchronised;
    paced.Shown = 1500;
    paced.Late = 2;
    paced.Dropped = 1;
    paced.RefreshHz = 59.951;
    paced.ClockSource = "vblank";
    EXPECT_EQ(TMainFlash::FrameStatsText(paced, true),
              QStringLiteral("The last run: synchronised; 1,500 frames shown, 2 late, 1 dropped; "
                             "refresh 59.95 Hz; clock: vblank."));
    paced.Mode = TFrameMode::NoFeedback;
    paced.RefreshHz = 0;
    EXPECT_TRUE(TMainFlash::FrameStatsText(paced, true)
                    .contains(QStringLiteral("no presentation feedback; 1,500 frames shown, 2 "
                                             "late, 1 dropped; refresh not measured")));
}

TEST_F(MainWindowTest, WithASessionLoadedTheMarkGradesItsWorstMinute) {
    auto form = Open();
    TMainFlash& flash = *form->Flash();
    form->ComboBox1->setCurrentIndex(form->ComboBox1->findText(QStringLiteral("Tunnel")));
    form->ApplyButtonClick(nullptr);
    form->FreqEdit->SetValue(1.0L);
    flash.Update();
    ASSERT_TRUE(flash.Report().Checked);
    EXPECT_FALSE(flash.Report().Over) << flash.Report().Reason;
    EXPECT_TRUE(flash.SessionMinutes().empty());

    // A session that jumps to 25 Hz after a minute: before Start the mark grades the session,
    // not the box.
    const std::string path = config.filePath(QStringLiteral("jump.vsession")).toStdString();
    std::ofstream(path) << "0:00 1.0 depth=8\n1:00 1.0\n1:01 25.0\n2:00 25.0\n";
    form->Session()->Load(path, false);
    flash.Update();
    ASSERT_EQ(flash.SessionMinutes().size(), 2u);
    EXPECT_EQ(FlashMinutesOver(flash.SessionMinutes()), 1u);
    EXPECT_TRUE(flash.Report().Over) << flash.Report().Reason;
    EXPECT_TRUE(flash.Mark->text().contains(QStringLiteral("over")));
    const QString tip = flash.Mark->toolTip();
    EXPECT_TRUE(tip.contains(QStringLiteral("over the limits in 1 of its 2 minutes")))
        << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Its worst minute, 1:00-2:00  1.0-25.0 Hz, depth 8")))
        << tip.toStdString();

    flash.FlashCheck1->trigger();
    auto* dialog = form->findChild<QDialog*>(QStringLiteral("FlashCheckDialog"));
    ASSERT_NE(dialog, nullptr);
    const QString text = dialog->findChild<QLabel*>(QStringLiteral("FlashCheckText"))->text();
    EXPECT_TRUE(text.contains(QStringLiteral("Its worst minute, 1:00-2:00"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("a session that stays at"))) << text.toStdString();

    // Without it, the box's frequency again.
    form->Session()->End();
    flash.Update();
    EXPECT_TRUE(flash.SessionMinutes().empty());
    EXPECT_FALSE(flash.Report().Over) << flash.Report().Reason;
    Close(form);
}

TEST_F(MainWindowTest, ReducedFlashingChangesOnlyTheShownColoursAndIsRemembered) {
    auto form = Open();
    TMainFlash& flash = *form->Flash();
    form->UpDown1->SetPosition(15);
    form->FreqEdit->SetValue(25.0L);
    flash.Update();
    EXPECT_TRUE(flash.Report().Over);
    TDIB& dib = form->PaintBox1->DIB();
    const QByteArray pixels = Pixels(dib);
    const TColorTable colours = dib.Image().ColorTable;
    const QImage before = form->PaintBox1->grab().toImage();

    flash.ReducedFlashing1->trigger();
    EXPECT_TRUE(flash.Reduced());
    EXPECT_FALSE(flash.Report().Over) << flash.Report().Reason;
    const QImage after = form->PaintBox1->grab().toImage();
    EXPECT_NE(before, after);
    EXPECT_EQ(Pixels(dib), pixels);
    EXPECT_TRUE(dib.Image().ColorTable == colours);
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("ReducedFlashing=1")));
    Close(form);

    form = Open();
    EXPECT_TRUE(form->Flash()->Reduced());
    EXPECT_TRUE(form->PaintBox1->HasColourMap());
    form->Flash()->ReducedFlashing1->trigger();
    EXPECT_FALSE(form->PaintBox1->HasColourMap());
    EXPECT_EQ(form->PaintBox1->grab().toImage(), before);
    Close(form);
}

TEST_F(MainWindowTest, FirstStartAsksOnceAndRemembersTheAnswer) {
    const AskingWarning asking;
    auto form = Open();
    int boxes = 0;
    AnswerNextBox(QStringLiteral("Cancel"), boxes);
    form->StartButtonClick(nullptr);
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(MainState::Running);
    EXPECT_FALSE(ReadSettings().contains(QStringLiteral("WarningAccepted")));

    AnswerNextBox(QStringLiteral("Start"), boxes);
    form->StartButtonClick(nullptr);
    EXPECT_EQ(boxes, 2);
    EXPECT_TRUE(MainState::Running);
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("WarningAccepted=1")));
    form->StartButtonClick(nullptr); // Stop

    // A box now would be answered Cancel and keep the run from starting.
    AnswerNextBox(QStringLiteral("Cancel"), boxes);
    form->StartButtonClick(nullptr);
    EXPECT_TRUE(MainState::Running);
    QTest::qWait(100);
    EXPECT_EQ(boxes, 2);
    form->StartButtonClick(nullptr);
    Close(form);
}
