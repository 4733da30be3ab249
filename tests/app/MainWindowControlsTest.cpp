// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's keyboard and sizing behaviour: Esc stops a run from any control, Start
// works from the keyboard, hiding the controls gives back exactly what it took and leaves a
// maximized window maximized, and a close writes the settings file once.
#include "MainWindowFixture.h"

#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "run/RunParameters.h"
#include "timing/ThdTimer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <QToolButton>

#include <sys/inotify.h>
#include <unistd.h>

TEST_F(MainWindowTest, EscStopsARunFromWhicheverControlHasTheFocus) {
    auto form = Open();
    form->activateWindow();
    for (QWidget* focus :
         {static_cast<QWidget*>(form->FreqEdit), static_cast<QWidget*>(form->UpDown2),
          static_cast<QWidget*>(form->RxSlider1), static_cast<QWidget*>(form->Half),
          static_cast<QWidget*>(form->Start)}) {
        form->StartButtonClick(form->Start);
        ASSERT_TRUE(MainState::Running);
        RunParams.ModPhase = 4;
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(MainState::Running) << focus->objectName().toStdString();
        EXPECT_FALSE(form->Timer1->Enabled());
        EXPECT_FALSE(form->Timer2->Enabled());
        EXPECT_TRUE(form->ApplyButton->isEnabled());
        EXPECT_EQ(RunParams.ModPhase, 4) << "Esc stops as Stop does and resets nothing";
    }
    // Esc never starts a run, and in the frequency box it still does the box's own work.
    form->FreqEdit->setFocus();
    form->FreqEdit->deselect();
    QTest::keyClick(form->FreqEdit, Qt::Key_Escape);
    EXPECT_FALSE(MainState::Running);
    EXPECT_EQ(form->FreqEdit->selectedText(), form->FreqEdit->text());
}

TEST_F(MainWindowTest, StartTakesTheFocusAndSpaceOrEnterStartsAndStops) {
    auto form = Open();
    form->activateWindow();
    EXPECT_TRUE(form->Start->focusPolicy() & Qt::TabFocus);
    form->Start->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(form->Start->hasFocus());
    QTest::keyClick(form->Start, Qt::Key_Space);
    EXPECT_TRUE(MainState::Running);
    QTest::keyClick(form->Start, Qt::Key_Return);
    EXPECT_FALSE(MainState::Running);
    QTest::keyClick(form->Start, Qt::Key_Enter);
    EXPECT_TRUE(MainState::Running);
    // The focus shows: the button draws differently with it.
    const QImage focused = form->Start->grab().toImage();
    form->FreqEdit->setFocus();
    EXPECT_NE(form->Start->grab().toImage(), focused);
}

TEST_F(MainWindowTest, ShowingTheControlsGivesBackWhatHidingTookNearTheMinimumHeight) {
    auto form = Open();
    form->resize(600, 200);
    QApplication::processEvents();
    QTest::mouseClick(form->ShowButton, Qt::LeftButton);
    const int hidden = form->height();
    EXPECT_LT(hidden, 200);
    EXPECT_GT(hidden, 200 - 111) << "the minimum height holds";
    QTest::mouseClick(form->ShowButton, Qt::LeftButton);
    EXPECT_EQ(form->height(), 200);
}

TEST_F(MainWindowTest, HidingTheControlsOfAMaximizedWindowKeepsItMaximized) {
    auto form = Open();
    form->resize(600, 420);
    QApplication::processEvents();
    const QRect normal = form->normalGeometry();
    form->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->height() > 420; }));
    const int maximizedHeight = form->height();
    QTest::mouseClick(form->ShowButton, Qt::LeftButton);
    EXPECT_TRUE(form->isMaximized());
    EXPECT_EQ(form->height(), maximizedHeight);
    EXPECT_EQ(form->Panel1->height(), 33);
    EXPECT_EQ(form->Panel2->height(), maximizedHeight - 33) << "the picture takes the room";
    QTest::mouseClick(form->ShowButton, Qt::LeftButton);
    EXPECT_TRUE(form->isMaximized());
    EXPECT_EQ(form->normalGeometry().size(), normal.size());
    Close(form);
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("ShowCmd=3")));
}

TEST_F(MainWindowTest, TheFrequencySliderHasItsOwnThumb) {
    auto form = Open();
    EXPECT_TRUE(form->RxSlider1->UserImages() & (1u << siHThumb));
    const TBitmap& thumb = form->RxSlider1->Image(siHThumb);
    EXPECT_EQ(thumb.Width(), 18);
    EXPECT_EQ(thumb.Height(), 17);
}

namespace {
// Counts the files renamed into a directory: every replacement of the settings file is one.
class Replacements {
public:
    explicit Replacements(const QString& dir) : fd_(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(fd_, dir.toLocal8Bit().constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~Replacements() { ::close(fd_); }
    int Count(const char* name) {
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len > 0 && std::string(event->name) == name) ++count_;
                p += sizeof(inotify_event) + event->len;
            }
        }
        return count_;
    }

private:
    int fd_;
    int count_ = 0;
};
} // namespace

TEST_F(MainWindowTest, ClosingWritesTheWindowsSettingsInOneReplacement) {
    auto form = Open();
    form->UpDown1->SetPosition(5);
    form->ComboBox1->setCurrentIndex(1);
    Replacements replaced(config.path() + QStringLiteral("/velmora"));
    form->close();
    EXPECT_EQ(replaced.Count("Zandrel.ini"), 1) << "the settings component's save";
    form.reset();
    EXPECT_EQ(replaced.Count("Zandrel.ini"), 2) << "and the window's own three keys";
    const QString saved = ReadSettings();
    EXPECT_TRUE(saved.contains(QStringLiteral("UpDown1_Position=5")));
    EXPECT_TRUE(saved.contains(QStringLiteral("ItemIndex1=1")));

    // Nothing changed since: the next close rewrites nothing of the window's own section.
    form = Open();
    form->close();
    const int afterSave = replaced.Count("Zandrel.ini");
    form.reset();
    EXPECT_EQ(replaced.Count("Zandrel.ini"), afterSave);
}
