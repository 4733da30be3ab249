// SPDX-License-Identifier: GPL-3.0-or-later
// The journal in the main window: the lines of a run with changes by hand, a bookmark with its
// note and Esc; a session's run, thinned and ended by the session; "Save as Session..." played
// again; the B key and the menu's items; deleting; a run ended by closing the window.
#include "MainWindowFixture.h"

#include "app/JournalWindow.h"
#include "app/mainJournal.h"
#include "app/mainSession.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "session/SessionFile.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

namespace {

class MainJournalTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    }

    QString JournalPath() const { return data.path() + QStringLiteral("/velmora/journal.jsonl"); }
    QStringList JournalLines() const {
        QFile file(JournalPath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The journal's and the session's clocks read the test's time.
    void Drive(TMainForm& form) {
        form.Journal()->SetTimeSource([this] { return now; });
        form.Session()->Clock().SetTimeSource([this] { return now; });
    }
    QString WriteSession(const QString& name, const QByteArray& text) {
        const QString path = config.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }

    QTemporaryDir data;
    int64_t now = 0;
};

TEST_F(MainJournalTest, ARunWithTwoChangesABookmarkWithANoteAndEscLeavesItsLines) {
    auto form = Open();
    Drive(*form);
    EXPECT_FALSE(form->Journal()->Bookmark1->isEnabled());
    form->FreqEdit->SetValue(10.0L); // before the run: not journaled
    form->StartButtonClick(form->Start);
    EXPECT_TRUE(form->Journal()->Bookmark1->isEnabled());
    now = 1500;
    form->FreqEdit->SetValue(10.5L);
    now = 4000;
    QTest::keyClick(form->RxSlider1, Qt::Key_Right); // by the slider, through the edit
    const QString sliderHz = QString::number(static_cast<double>(form->FreqEdit->Value()));
    EXPECT_NE(sliderHz, QStringLiteral("10.5"));
    now = 6000;
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->FreqEdit, Qt::Key_B); // the key, wherever the focus is
    now = 9000;
    QTest::keyClick(form->FreqEdit, Qt::Key_Escape);
    ASSERT_FALSE(MainState::Running);
    EXPECT_FALSE(form->Journal()->Bookmark1->isEnabled());

    // The note, given in the journal's window.
    form->Journal()->Journal1->trigger();
    TJournalWindow* window = form->Journal()->Window();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->Runs()->topLevelItemCount(), 1);
    window->Runs()->setCurrentItem(window->Runs()->topLevelItem(0));
    ASSERT_EQ(window->MarkList()->count(), 1);
    window->SelectMark(1);
    window->AskNote = [](QWidget*, QString& note) {
        note = QStringLiteral("  warm and slow ");
        return true;
    };
    window->EditNote();

    const QStringList lines = JournalLines();
    ASSERT_EQ(lines.size(), 6) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("\"ev\":\"start\"")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("\"hz\":10,")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("\"picture\":\"")));
    EXPECT_TRUE(lines[1].contains(
        QStringLiteral("\"by\":\"hand\",\"ev\":\"freq\",\"hz\":10.5,\"ms\":1500")));
    EXPECT_TRUE(lines[2].contains(
        QStringLiteral("\"by\":\"hand\",\"ev\":\"freq\",\"hz\":%1,\"ms\":4000").arg(sliderHz)));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("\"ev\":\"mark\",\"mark\":1,\"ms\":6000")));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("\"ev\":\"end\",\"ms\":9000,\"reason\":\"esc\"")));
    EXPECT_TRUE(lines[5].contains(QStringLiteral("\"ev\":\"note\",\"mark\":1,")));
    EXPECT_TRUE(lines[5].contains(QStringLiteral("\"text\":\"warm and slow\"")));
    EXPECT_EQ(window->MarkList()->item(0)->text(),
              QStringLiteral("0:06  Bookmark 1: warm and slow"));
    EXPECT_EQ(window->Runs()->topLevelItem(0)->text(1), QStringLiteral("0:09"));
    EXPECT_EQ(window->Runs()->topLevelItem(0)->text(3), QStringLiteral("Esc"));
    struct stat st {};
    ASSERT_EQ(::stat(JournalPath().toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The run's picture is the session window's, with the bookmark's line over it.
    ASSERT_NE(window->View()->Plot(), nullptr);
    window->View()->resize(640, 320);
    const QImage shown = window->View()->grab().toImage();
    const int x = qRound(window->View()->Plot()->PointAt(window->View()->rect(), 6000, 0).x());
    int marked = 0;
    for (int y = 0; y < shown.height(); ++y)
        marked += shown.pixel(x, y) == TJournalView::kBookmarkColour;
    EXPECT_GT(marked, 20);
}

TEST_F(MainJournalTest, ASessionsRunIsThinnedToTenthsAndEndsWithTheSession) {
    const QString path = WriteSession("up.vsession", "0:00 10.0 am=1\n0:10 12.0\n0:20 12.0 am=3\n");
    auto form = Open();
    Drive(*form);
    form->Session()->Load(path.toStdString(), false);
    form->StartButtonClick(form->Start);
    for (now = 0; now <= 20000; now += 25)
        form->Session()->Tick();
    ASSERT_FALSE(MainState::Running);
    const TJournalContents read = form->Journal()->Journal().Read();
    ASSERT_EQ(read.Runs.size(), 1u);
    const TJournalRun& run = read.Runs[0];
    EXPECT_EQ(run.Start.SessionTitle, "up.vsession");
    EXPECT_EQ(run.End, TJournalEnd::SessionEnd);
    EXPECT_EQ(run.LengthMs, 20000);
    int frequencies = 0;
    for (const TJournalChange& c : run.Changes) {
        EXPECT_TRUE(c.BySession) << c.Ms;
        frequencies += !c.IsKnob;
    }
    // 2 Hz in tenths: twenty lines for some four hundred settings.
    EXPECT_EQ(frequencies, 20);
    ASSERT_FALSE(run.Changes.empty());
    EXPECT_TRUE(run.Changes.back().IsKnob);
    EXPECT_EQ(run.Changes.back().Knob, TSessionKnob::AM);
    EXPECT_EQ(run.Changes.back().Value, 3);
}

TEST_F(MainJournalTest, SaveAsSessionPlaysTheRunAgain) {
    auto form = Open();
    Drive(*form);
    form->FreqEdit->SetValue(8.0L);
    form->StartButtonClick(form->Start);
    now = 5000;
    form->FreqEdit->SetValue(9.0L);
    now = 8000;
    form->UpDown2->SetPosition(4);
    now = 12000;
    form->StartButtonClick(form->Start);

    form->Journal()->ShowWindow();
    TJournalWindow* window = form->Journal()->Window();
    window->Runs()->setCurrentItem(window->Runs()->topLevelItem(0));
    const QString saved = config.filePath(QStringLiteral("again"));
    window->ChooseFile = [&saved](QWidget*, const QString& suggested) {
        EXPECT_TRUE(suggested.endsWith(QStringLiteral(".vsession")));
        return saved;
    };
    window->SaveAsSession();
    const std::string file = (saved + QStringLiteral(".vsession")).toStdString();
    const TSession session = LoadSessionFile(file);
    EXPECT_EQ(session.LengthMs(), 12000);

    form->UpDown2->SetPosition(0);
    form->Session()->Load(file, false);
    now = 100000;
    form->StartButtonClick(form->Start);
    EXPECT_EQ(form->FreqEdit->Value(), 8.0L);
    EXPECT_EQ(form->UpDown2->Position(), 0);
    for (int64_t t = 25; t <= 12000; t += 25) {
        now = 100000 + t;
        form->Session()->Tick();
        if (t == 5000) {
            EXPECT_EQ(form->FreqEdit->Value(), 8.0L);
        }
        if (t == 6100) { // the step took a second; settings come 50 ms apart
            EXPECT_EQ(form->FreqEdit->Value(), 9.0L);
        }
        if (t == 8000) {
            EXPECT_EQ(form->UpDown2->Position(), 4);
        }
    }
    EXPECT_FALSE(MainState::Running);
}

TEST_F(MainJournalTest, DeletingRunsAndARunEndedByClosingTheWindow) {
    auto form = Open();
    Drive(*form);
    for (int i = 0; i < 3; ++i) {
        form->StartButtonClick(form->Start);
        EXPECT_EQ(form->Journal()->AddBookmark(), 1);
        form->StartButtonClick(form->Start);
    }
    EXPECT_EQ(form->Journal()->AddBookmark(), 0); // nothing runs
    form->Journal()->ShowWindow();
    TJournalWindow* window = form->Journal()->Window();
    ASSERT_EQ(window->Runs()->topLevelItemCount(), 3);
    EXPECT_EQ(window->Runs()->topLevelItem(0)->text(3), QStringLiteral("Stop"));
    const int64_t newest = window->Contents().Runs.back().Id;
    window->Select(newest);
    window->DeleteRun();
    ASSERT_EQ(window->Runs()->topLevelItemCount(), 2);
    for (const TJournalRun& run : window->Contents().Runs)
        EXPECT_NE(run.Id, newest);
    window->ConfirmDeleteAll = [](QWidget*) { return false; };
    window->DeleteAll();
    EXPECT_EQ(window->Runs()->topLevelItemCount(), 2);
    window->ConfirmDeleteAll = [](QWidget*) { return true; };
    window->DeleteAll();
    EXPECT_EQ(window->Runs()->topLevelItemCount(), 0);
    EXPECT_FALSE(QFile::exists(JournalPath()));

    // A run deleted while it goes is written no further, and its end leaves nothing behind.
    form->StartButtonClick(form->Start);
    window->Reload();
    EXPECT_EQ(window->Runs()->topLevelItem(0)->text(3), QStringLiteral("Running"));
    window->Select(window->Contents().Runs.back().Id);
    window->DeleteRun();
    EXPECT_EQ(form->Journal()->AddBookmark(), 0);
    form->StartButtonClick(form->Start);
    EXPECT_FALSE(form->Journal()->Bookmark1->isEnabled());
    EXPECT_TRUE(TJournal(JournalPath().toStdString()).Read().Runs.empty());

    form->StartButtonClick(form->Start);
    now = 3000;
    Close(form);
    MainState::Running = false;
    TJournal journal(JournalPath().toStdString());
    const TJournalContents read = journal.Read();
    ASSERT_EQ(read.Runs.size(), 1u);
    EXPECT_EQ(read.Runs[0].End, TJournalEnd::WindowClosed);
    EXPECT_EQ(read.Runs[0].LengthMs, 3000);
}

TEST_F(MainJournalTest, TheSettingsBoundTheJournal) {
    WriteSettings(QStringLiteral("JournalMaxKB=3\n"));
    auto form = Open();
    EXPECT_EQ(form->Journal()->Journal().MaxBytes(), kJournalMaxKBMin * 1024);
    Close(form);
    WriteSettings(QStringLiteral("JournalMaxKB=64\n"));
    form = Open();
    EXPECT_EQ(form->Journal()->Journal().MaxBytes(), 64 * 1024);
}

} // namespace

namespace {
TEST_F(MainJournalTest, ARunEndedByAQuitSignalSaysSo) {
    auto form = Open();
    Drive(*form);
    form->StartButtonClick(form->Start);
    now = 2000;
    form->Journal()->QuitSignalled(); // what the program's quit handler does before closing
    Close(form);
    MainState::Running = false;
    const TJournalContents read = TJournal(JournalPath().toStdString()).Read();
    ASSERT_EQ(read.Runs.size(), 1u);
    EXPECT_EQ(read.Runs[0].End, TJournalEnd::Signal);
    EXPECT_EQ(read.Runs[0].LengthMs, 2000);
}
} // namespace
