// SPDX-License-Identifier: GPL-3.0-or-later
// The main window following a session on a clock the test drives: the frequency through the
// edit's own path, the knobs at their points, pause and resume, a hand-moved control, the end,
// and the session remembered from one start to the next.
#include "MainWindowFixture.h"

#include "app/SessionWindow.h"
#include "app/mainSession.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "exchange/Import.h"
#include "run/RunParameters.h"
#include "session/SessionFile.h"
#include "sound/Speech.h"
#include "timing/ThdTimer.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

class MainSessionTest : public MainWindowTest {
protected:
    QString WriteSession(const QString& name, const QByteArray& text) {
        const QString path = config.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }

    // Chooses the file in the open dialog of "Load Session...".
    void LoadThroughMenu(TMainForm& form, const QString& path) {
        form.OpenDialog1.Choose = [&](QWidget*, const QString& filter) {
            chosenFilter = filter;
            return path;
        };
        form.LoadSession1->trigger();
    }

    // The session's clock reads this instead of wall time.
    void Drive(TMainForm& form) {
        form.Session()->Clock().SetTimeSource([this] { return now; });
    }

    void At(TMainForm& form, int64_t ms) {
        now = ms;
        form.Session()->Tick();
    }

    int64_t now = 0;
    QString chosenFilter;
};

TEST_F(MainSessionTest, FollowsTheSessionThroughPauseHandMovesAndTheEnd) {
    const QString path = WriteSession("run.vsession", "# test\n"
                                                      "0:00 10.0 am=3 fm=2 volume=5\n"
                                                      "0:10 20.0\n"
                                                      "0:20 20.0 am=1 half=on\n"
                                                      "0:30 15.0\n");
    auto form = Open();
    Drive(*form);
    EXPECT_FALSE(form->EndSession1->isVisible());
    LoadThroughMenu(*form, path);
    EXPECT_EQ(chosenFilter, QStringLiteral("Velmora Sessions|*.vsession"));
    EXPECT_EQ(form->OpenDialog1.Filter, QStringLiteral("Velmora Libraries|*.zdl"));
    EXPECT_TRUE(form->EndSession1->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4"));

    // Start: the first point's frequency and knobs are in place before the timers run.
    form->StartButtonClick(form->Start);
    EXPECT_EQ(form->FreqEdit->Value(), 10.0L);
    EXPECT_EQ(form->RxSlider1->Value(), 100);
    EXPECT_EQ(form->Timer1->Interval(), 50);
    EXPECT_EQ(form->Timer2->Interval(), 5);
    EXPECT_EQ(RunParams.BaseRate, 22050);
    EXPECT_EQ(BufferFrequency(*form), 22050u);
    EXPECT_EQ(RunParams.AMDepth, 300);
    EXPECT_EQ(RunParams.FMDepth, 400);
    EXPECT_EQ(BufferVolume(*form), -1000);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4 - 0:00 elapsed, 0:30 left"));

    // Halfway to the second point: 15 Hz, with everything the edit drives.
    At(*form, 5000);
    EXPECT_EQ(form->FreqEdit->Value(), 15.0L);
    EXPECT_EQ(form->RxSlider1->Value(), 150);
    EXPECT_EQ(form->Timer1->Interval(), 33);
    EXPECT_EQ(form->Timer2->Interval(), 3);
    EXPECT_EQ(RunParams.BaseRate, 33075);
    EXPECT_EQ(form->WaveLabel->text(), QStringLiteral("Low Beta"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4 - 0:05 elapsed, 0:25 left"));
    At(*form, 5020); // changed at three decimals, but within 50 ms of the last setting
    EXPECT_EQ(form->FreqEdit->Value(), 15.0L);
    At(*form, 5050);
    EXPECT_EQ(form->FreqEdit->Value(), 15.05L);

    // Stop pauses: time passing changes nothing, and Start goes on from there.
    form->StartButtonClick(form->Start);
    At(*form, 65050);
    EXPECT_EQ(form->FreqEdit->Value(), 15.05L);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4 - 0:05 elapsed, 0:25 left"));
    form->StartButtonClick(form->Start);
    At(*form, 65050 + 950); // 6 s into the session
    EXPECT_EQ(form->FreqEdit->Value(), 16.0L);

    // The user takes over the frequency and a knob: the session leaves them alone...
    form->FreqEdit->SetValue(3.0L);
    form->UpDown2->SetPosition(4);
    At(*form, 65050 + 2950);
    EXPECT_EQ(form->FreqEdit->Value(), 3.0L);
    EXPECT_EQ(RunParams.AMDepth, 400);
    // ...until its next point: the frequency comes back; "am" waits for a point that sets it.
    At(*form, 65050 + 4950);
    EXPECT_EQ(form->FreqEdit->Value(), 20.0L);
    EXPECT_EQ(RunParams.AMDepth, 400);
    At(*form, 65050 + 14950);
    EXPECT_EQ(RunParams.AMDepth, 100);
    EXPECT_TRUE(form->Half->isChecked());
    EXPECT_EQ(form->Timer2->Interval(), 25 / 5); // "1/2 Period" set by code runs its handler

    // The end: the run stops, the session rewinds, the caption is the program's again.
    At(*form, 65050 + 24950);
    EXPECT_FALSE(MainState::Running);
    EXPECT_FALSE(BufferPlaying(*form));
    EXPECT_EQ(form->FreqEdit->Value(), 15.0L);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4"));
    EXPECT_EQ(form->Session()->Clock().ElapsedMs(), 0);
    // The next Start begins again from the first point.
    form->StartButtonClick(form->Start);
    EXPECT_EQ(form->FreqEdit->Value(), 10.0L);
    EXPECT_EQ(RunParams.AMDepth, 300);
    EXPECT_TRUE(messages.empty());

    // End Session: the controls keep their values, the run goes on, the caption is plain.
    form->EndSession1->trigger();
    EXPECT_FALSE(form->Session()->Loaded());
    EXPECT_FALSE(form->EndSession1->isVisible());
    EXPECT_TRUE(MainState::Running);
    EXPECT_EQ(form->FreqEdit->Value(), 10.0L);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4"));
}

TEST_F(MainSessionTest, CuesSoundOnceEachAtTheirPointsMomentAlsoWhenEnteredPartWay) {
    const QString path = WriteSession("cues.vsession", "0:00 10.0 cue=bell\n"
                                                       "0:02 10.0 cue=bell\n"
                                                       "0:04 10.0 say=\"Hello.\"\n"
                                                       "0:06 10.0 cue=bell\n"
                                                       "0:10 10.0\n");
    auto form = Open();
    Drive(*form);
    TMainSession& session = *form->Session();
    session.SetSteadySource([] { return int64_t{1} << 40; });
    session.Load(path.toStdString(), false);
    // The text is spoken on its worker as soon as the session is loaded.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        session.Tick(); // takes what the worker made, also while stopped
        QCoreApplication::processEvents();
        return session.SpeechWaiting() == 0;
    }));
    form->StartButtonClick(form->Start);
    EXPECT_EQ(session.CuesPlayed(), 1); // the bell at the start
    EXPECT_EQ(session.LastCueStamp(), int64_t{1} << 40);
    At(*form, 1800);
    EXPECT_EQ(session.CuesPlayed(), 1);
    At(*form, 1900); // a little ahead, stamped with the point's own moment
    EXPECT_EQ(session.CuesPlayed(), 2);
    EXPECT_EQ(session.LastCueStamp(), (int64_t{1} << 40) + 100'000'000);
    // Looked at again, and with a nudge's shift of the line: not played twice.
    At(*form, 1925);
    session.SetOffset(500);
    At(*form, 2000);
    At(*form, 2025);
    EXPECT_EQ(session.CuesPlayed(), 2);
    At(*form, 4000);
    EXPECT_EQ(session.CuesPlayed(), 3);
    EXPECT_EQ(form->findChild<QMessageBox*>(QStringLiteral("SpeechReport")), nullptr);
    // Stopped just before a cue's moment: it is handed back and sounds after Start.
    At(*form, 5900);
    EXPECT_EQ(session.CuesPlayed(), 4);
    form->StartButtonClick(form->Start);
    now = 100000;
    form->StartButtonClick(form->Start);
    At(*form, 100000 + 100);
    EXPECT_EQ(session.CuesPlayed(), 5);
    form->StartButtonClick(form->Start);
    // Entered part-way: the cues before the start are not played.
    session.Seek(3000);
    form->StartButtonClick(form->Start);
    EXPECT_EQ(session.CuesPlayed(), 5);
    At(*form, 100000 + 100 + 1000);
    EXPECT_EQ(session.CuesPlayed(), 6); // the text at 0:04
    At(*form, 100000 + 100 + 8000);     // the session's end stops the run
    EXPECT_EQ(session.CuesPlayed(), 7);
    EXPECT_FALSE(MainState::Running);
}

TEST_F(MainSessionTest, WithoutTheSpeechDataTheLossIsReportedOnceAndTheBellsStillSound) {
    QTemporaryDir empty;
    SetSpeechDataFolder(empty.path().toStdString());
    const QString path = WriteSession("speech.vsession", "0:00 10.0 say=\"One.\"\n"
                                                         "0:02 10.0 cue=bell say=\"Two.\"\n"
                                                         "0:04 10.0\n");
    auto form = Open();
    Drive(*form);
    TMainSession& session = *form->Session();
    session.Load(path.toStdString(), false);
    form->StartButtonClick(form->Start);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        session.Tick();
        return session.SpeechWaiting() == 0;
    }));
    At(*form, 2000);
    EXPECT_EQ(session.CuesPlayed(), 2);
    EXPECT_TRUE(MainState::Running);
    EXPECT_EQ(form->findChildren<QMessageBox*>(QStringLiteral("SpeechReport")).size(), 1);
    form->StartButtonClick(form->Start);
    SetSpeechDataFolder("");
}

TEST_F(MainSessionTest, APointsVolumeAndHalfPeriodTakeEffectWhereTheControlsAlreadyShowThem) {
    const QString path = WriteSession("same.vsession", "0:00 10.0 volume=5 half=on\n"
                                                       "0:10 20.0\n"
                                                       "0:20 20.0 half=on\n"
                                                       "0:30 20.0\n");
    auto form = Open();
    Drive(*form);
    form->Volume->SetPosition(5);
    form->Half->setChecked(true);
    form->ApplyButtonClick(form->ApplyButton); // plays at full volume until the knob moves
    ASSERT_EQ(BufferVolume(*form), 0);
    LoadThroughMenu(*form, path);
    form->StartButtonClick(form->Start);
    EXPECT_EQ(BufferVolume(*form), -1000);
    EXPECT_EQ(form->Timer2->Interval(), 10); // a fifth of 50 ms
    At(*form, 15000);                        // the frequency has moved to 20 Hz: a tenth of 25 ms
    EXPECT_EQ(form->Timer2->Interval(), 2);
    At(*form, 20000);
    EXPECT_EQ(form->Timer1->Interval(), 25);
    EXPECT_EQ(form->Timer2->Interval(), 5);
    form->StartButtonClick(form->Start);
}

// The Start button as the window shows it, once it has painted what was due.
QImage ShownStartButton(TMainForm& form) {
    QApplication::processEvents();
    const QPoint at = form.Start->mapTo(&form, QPoint(0, 0));
    return form.screen()
        ->grabWindow(form.winId(), at.x(), at.y(), form.Start->width(), form.Start->height())
        .toImage();
}

TEST_F(MainSessionTest, TheStartButtonShowsStartAsSoonAsARunEndsByEscOrTheSessionsEnd) {
    const QString path = WriteSession("short.vsession", "0:00 10.0\n0:10 12.0\n");
    auto form = Open();
    Drive(*form);
    LoadThroughMenu(*form, path);
    form->FreqEdit->setFocus();
    const QImage start = ShownStartButton(*form);
    ASSERT_FALSE(start.isNull());
    form->StartButtonClick(form->Start);
    const QImage stop = ShownStartButton(*form);
    EXPECT_NE(stop, start);
    QTest::keyClick(form->FreqEdit, Qt::Key_Escape);
    ASSERT_FALSE(MainState::Running);
    EXPECT_EQ(ShownStartButton(*form), start) << "after Esc";
    form->StartButtonClick(form->Start);
    EXPECT_EQ(ShownStartButton(*form), stop);
    At(*form, 10000);
    ASSERT_FALSE(MainState::Running);
    EXPECT_EQ(ShownStartButton(*form), start) << "after the session's end";
}

TEST_F(MainSessionTest, RemembersTheSessionDroppingAGoneFileSilentlyAndABrokenOneAfterOneReport) {
    const QString path = WriteSession("kept.vsession", "0:00 8.0\n1:00 9.0\n");
    auto form = Open();
    LoadThroughMenu(*form, path);
    // A broken file is refused with its line and leaves the loaded session in place.
    LoadThroughMenu(*form, WriteSession("bad.vsession", "0:00 8.0\n0:30 99.0\n"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "bad.vsession, line 2: frequency 99.0 is outside 0.1..35.0");
    EXPECT_EQ(form->Session()->FileName(), path.toStdString());
    Close(form);

    form = Open(); // the next start loads it again, waiting for Start
    EXPECT_EQ(form->Session()->FileName(), path.toStdString());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4"));
    EXPECT_TRUE(form->EndSession1->isVisible());
    Close(form);

    WriteSession("kept.vsession", "0:00 8.0\n1:00 9\n"); // broken since
    form = Open();
    EXPECT_FALSE(form->Session()->Loaded());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1],
              "kept.vsession, line 2: frequency \"9\" is not a number with a decimal point and "
              "up to three decimals");
    Close(form);
    form = Open(); // reported once only
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(form->Session()->Loaded());

    LoadThroughMenu(*form, WriteSession("gone.vsession", "0:00 8.0\n1:00 9.0\n"));
    ASSERT_TRUE(form->Session()->Loaded());
    Close(form);
    QFile::remove(config.filePath("gone.vsession"));
    form = Open(); // gone since: dropped without a word
    EXPECT_FALSE(form->Session()->Loaded());
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("SessionFile=\n")) ||
                ReadSettings().endsWith(QStringLiteral("SessionFile=")));
}

TEST_F(MainSessionTest, ShippedSessionsAreListedByTitleAndLoadSessionOpensInTheLastFolder) {
    // The test program finds them as the program does: in "sessions" beside itself.
    const auto shipped = ListSessionFiles(QDir(QCoreApplication::applicationDirPath())
                                              .filePath(QStringLiteral("sessions"))
                                              .toStdString());
    ASSERT_GE(shipped.size(), 10u);
    auto form = Open();
    const QList<QAction*> items = form->Sessions1->actions();
    ASSERT_EQ(static_cast<size_t>(items.size()), shipped.size());
    for (size_t i = 0; i < shipped.size(); ++i)
        EXPECT_EQ(items[static_cast<qsizetype>(i)]->text().toStdString(), shipped[i].Title);
    EXPECT_TRUE(form->PopupMenu1->actions().contains(form->Sessions1->menuAction()));

    // A click loads it as "Load Session..." does, and it is remembered.
    items[1]->trigger();
    EXPECT_EQ(form->Session()->FileName(),
              QFileInfo(QString::fromStdString(shipped[1].Path)).absoluteFilePath().toStdString());
    EXPECT_TRUE(form->EndSession1->isVisible());
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("SessionFile=") +
                                        QString::fromStdString(form->Session()->FileName())));

    // The dialog opens in the shipped folder until the user has chosen a file elsewhere.
    QString openedIn;
    form->OpenDialog1.Choose = [&](QWidget*, const QString&) {
        openedIn = form->OpenDialog1.InitialDir;
        return QString();
    };
    form->LoadSession1->trigger();
    EXPECT_EQ(QDir(openedIn).canonicalPath(),
              QFileInfo(QString::fromStdString(shipped[0].Path)).canonicalPath());
    LoadThroughMenu(*form, WriteSession("mine.vsession", "0:00 8.0\n1:00 9.0\n"));
    EXPECT_TRUE(form->OpenDialog1.InitialDir.isEmpty()); // the library dialog keeps its own
    Close(form);
    form = Open();
    form->OpenDialog1.Choose = [&](QWidget*, const QString&) {
        openedIn = form->OpenDialog1.InitialDir;
        return QString();
    };
    form->LoadSession1->trigger();
    EXPECT_EQ(QDir(openedIn).canonicalPath(), QDir(config.path()).canonicalPath());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainSessionTest, TheSessionWindowFollowsTheRunAndAClickWhileStoppedMovesTheSession) {
    const QString path = WriteSession("view.vsession", "0:00 10.0 am=1\n"
                                                       "0:20 20.0\n"
                                                       "0:30 20.0 am=4\n"
                                                       "0:40 10.0\n");
    auto form = Open();
    Drive(*form);
    EXPECT_FALSE(form->SessionView1->isVisible());
    LoadThroughMenu(*form, path);
    ASSERT_TRUE(form->SessionView1->isVisible());
    form->SessionView1->trigger();
    TSessionWindow* window = form->Session()->Window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Session - view.vsession"));
    TSessionView& view = *window->View();
    ASSERT_NE(view.Plot(), nullptr);

    // The cursor follows the run.
    auto cursorColumn = [&] {
        const QImage shot = view.grab().toImage();
        const QRect area = view.Plot()->CurveArea(view.rect());
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.pixel(x, area.top() + 3) == TSessionPlot::kCursorColour) return x;
        return -1;
    };
    form->StartButtonClick(form->Start);
    At(*form, 10000);
    window->Follow();
    const int at10 = cursorColumn();
    EXPECT_NEAR(at10, view.Plot()->PointAt(view.rect(), 10000, 0).x(), 2.0);
    At(*form, 20000);
    window->Follow();
    EXPECT_NEAR(cursorColumn(), view.Plot()->PointAt(view.rect(), 20000, 0).x(), 2.0);

    // A click during the run moves nothing.
    const QPoint at35 = view.Plot()->PointAt(view.rect(), 35000, 15000).toPoint();
    QTest::mouseClick(&view, Qt::LeftButton, {}, at35);
    EXPECT_EQ(form->Session()->PositionMs(), 20000);

    // Stopped, a click moves the session there: the frequency and the knobs as the session
    // has them, the caption, and the next Start goes on from it.
    form->StartButtonClick(form->Start);
    QTest::mouseClick(&view, Qt::LeftButton, {}, at35);
    const int64_t position = form->Session()->PositionMs();
    EXPECT_NEAR(static_cast<double>(position), 35000.0, 100.0);
    EXPECT_EQ(form->FreqEdit->Value(),
              FrequencyFromMilli(form->Session()->Session()->FrequencyMilliAt(position)));
    EXPECT_EQ(RunParams.AMDepth, 400);
    const int64_t gone = position / 1000 * 1000;
    EXPECT_EQ(form->windowTitle().toStdString(), "Velmora Beta 2.4 - " + FormatSessionTime(gone) +
                                                     " elapsed, " +
                                                     FormatSessionTime(40000 - gone) + " left");
    EXPECT_NEAR(cursorColumn(), at35.x(), 2.0);
    // Back before the knob point: Start sets the earlier knob again.
    const QPoint at5 = view.Plot()->PointAt(view.rect(), 5000, 15000).toPoint();
    QTest::mouseClick(&view, Qt::LeftButton, {}, at5);
    EXPECT_EQ(RunParams.AMDepth, 100);
    form->StartButtonClick(form->Start);
    EXPECT_EQ(RunParams.AMDepth, 100);
    EXPECT_NEAR(static_cast<double>(form->Session()->PositionMs()), 5000.0, 100.0);
    form->StartButtonClick(form->Start);

    // Ending the session closes the window at once.
    form->EndSession1->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(form->SessionView1->isVisible());
    EXPECT_TRUE(messages.empty());
}

// The columns of a dialog's file list that do not show their texts whole, or why none can be
// looked at.
std::vector<std::string> ClippedColumns(QFileDialog& dialog) {
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!tree || !tree->isVisible()) return {"no file list shown"};
    if (tree->model()->rowCount(tree->rootIndex()) == 0) return {"no files listed"};
    QAbstractItemView* list = tree; // where the width a column's texts need is public
    const QHeaderView* header = tree->header();
    std::vector<std::string> clipped;
    for (int i = 0; i < header->count(); ++i) {
        if (header->isSectionHidden(i)) continue;
        const int right = header->sectionViewportPosition(i) + header->sectionSize(i);
        if (header->sectionSize(i) < list->sizeHintForColumn(i) ||
            header->sectionSize(i) < header->sectionSizeHint(i) ||
            right > list->viewport()->width())
            clipped.push_back(
                list->model()->headerData(i, Qt::Horizontal).toString().toStdString());
    }
    if (header->count() - header->hiddenSectionCount() != 4) clipped.push_back("not 4 columns");
    return clipped;
}

TEST_F(MainSessionTest, LoadSessionShowsTheFileListsColumnsWhole) {
    auto form = Open();
    // The dialog as the user sees it, in the shipped sessions' folder. The folder and the
    // files' sizes and types are read on a thread of their own and the columns follow: looked
    // at until they show everything, on a busy machine for a while.
    std::vector<std::string> clipped{"no dialog"};
    QTimer::singleShot(0, form.get(), [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        (void)QTest::qWaitFor([&] { return ClippedColumns(*dialog).empty(); }, 20000);
        clipped = ClippedColumns(*dialog);
        dialog->reject();
    });
    form->LoadSession1->trigger();
    EXPECT_TRUE(clipped.empty()) << ::testing::PrintToString(clipped);
    EXPECT_FALSE(form->Session()->Loaded());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainSessionTest, ImportSessionWritesANewSessionInTheDataFolderReportsAndLoadsIt) {
    // The user's data folder, where the import makes its own.
    const QByteArray previousDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", config.filePath(QStringLiteral("data")).toLocal8Bit());
    struct Restore {
        QByteArray value;
        ~Restore() {
            if (value.isNull())
                qunsetenv("XDG_DATA_HOME");
            else
                qputenv("XDG_DATA_HOME", value);
        }
    } restore{previousDataHome};
    const QString folder = config.filePath(QStringLiteral("data/velmora/sessions"));
    auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("none");
    };
    // A voice schedule, told by its content whatever its name says.
    const QString source =
        WriteSession("evening.txt", "<schedule><voice type=\"0\"><entry duration=\"60\" "
                                    "beatfreq=\"6\" basefreq=\"200\"/></voice>\n"
                                    "<voice type=\"1\"><entry duration=\"120\"/></voice>"
                                    "</schedule>\n");
    auto form = Open();
    form->OpenDialog1.Choose = [&](QWidget*, const QString& filter) {
        chosenFilter = filter;
        return source;
    };
    form->ImportSession1->trigger();
    EXPECT_EQ(chosenFilter, QStringLiteral("Schedules|*.sbg;*.spsq;*.json;*.gnaural|All Files|*"));
    EXPECT_EQ(form->OpenDialog1.Filter, QStringLiteral("Velmora Libraries|*.zdl"));
    const QString first = folder + QStringLiteral("/evening.vsession");
    ASSERT_TRUE(form->Session()->Loaded());
    EXPECT_EQ(form->Session()->FileName(), first.toStdString());
    EXPECT_EQ(read(first), ImportScheduleFile(source.toStdString()).Text);
    EXPECT_EQ(form->Session()->Session()->LengthMs(), 120000);
    EXPECT_TRUE(form->EndSession1->isVisible());
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("SessionFile=") + first));
    // The report: its list in a box beside the window.
    auto* box = form->findChild<QMessageBox*>(QStringLiteral("ImportReport"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("evening.txt was imported as ") + first +
                               QStringLiteral(". What a session cannot hold was left out or "
                                              "changed:"));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("\u2022 evening.txt: pink-noise voices left out (the library's sound "
                             "plays instead) (line 2)"));
    delete box;

    // The same name again: a number of its own, the first file left as it was; nothing to
    // report, no box.
    const std::string before = read(first);
    WriteSession("evening.txt", "<schedule><voice><entry duration=\"90\" beatfreq=\"5\" "
                                "basefreq=\"150\"/></voice></schedule>");
    form->ImportSession1->trigger();
    const QString second = folder + QStringLiteral("/evening 2.vsession");
    EXPECT_EQ(form->Session()->FileName(), second.toStdString());
    EXPECT_EQ(form->Session()->Session()->LengthMs(), 90000);
    EXPECT_EQ(read(first), before);
    EXPECT_EQ(form->findChild<QMessageBox*>(QStringLiteral("ImportReport")), nullptr);

    // A schedule that cannot be converted is refused with its line; nothing is written and the
    // loaded session stays. The dialog opens where the last schedule came from.
    QString openedIn;
    const QString bad = WriteSession("bad.gnaural", "<schedule>\n<voice type=\"1\"/></schedule>");
    form->OpenDialog1.Choose = [&](QWidget*, const QString&) {
        openedIn = form->OpenDialog1.InitialDir;
        return bad;
    };
    form->ImportSession1->trigger();
    EXPECT_EQ(QDir(openedIn).canonicalPath(), QDir(config.path()).canonicalPath());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "bad.gnaural, line 1: <schedule> has no binaural or isochronic voice to follow");
    EXPECT_EQ(form->Session()->FileName(), second.toStdString());
    EXPECT_EQ(
        QDir(folder).entryList(QDir::Files),
        (QStringList{QStringLiteral("evening 2.vsession"), QStringLiteral("evening.vsession")}));
}

// A paint straight after a change, before the window's own look at the session: it shows the
// session now loaded, never the one that went.
class SessionWindowChangeTest : public MainSessionTest {
protected:
    void SetUp() override {
        MainSessionTest::SetUp();
        form = Open();
        LoadThroughMenu(*form, WriteSession("first.vsession", "# Slow descent\n"
                                                              "0:00 10.0 am=1\n"
                                                              "0:40 5.0\n"));
        form->SessionView1->trigger();
        window = form->Session()->Window();
        ASSERT_NE(window, nullptr);
        ASSERT_NE(window->View()->Plot(), nullptr);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Session - Slow descent"));
        EXPECT_EQ(window->View()->Plot()->TopMilli(), 15000);
        painted = window->View()->grab().toImage();
    }
    void TearDown() override {
        form.reset();
        MainSessionTest::TearDown();
    }
    // Paints now, and checks that the picture is the loaded session's.
    void ExpectShows(int32_t topMilli, const QString& caption) {
        const QImage shot = window->View()->grab().toImage();
        ASSERT_NE(window->View()->Plot(), nullptr);
        EXPECT_EQ(window->View()->Plot()->TopMilli(), topMilli);
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_NE(shot, painted);
        EXPECT_TRUE(window->isVisible());
    }

    std::unique_ptr<TMainForm> form;
    TSessionWindow* window = nullptr;
    QImage painted;
};

TEST_F(SessionWindowChangeTest, LoadSessionReplacesThePictureAtOnce) {
    LoadThroughMenu(*form, WriteSession("second.vsession", "0:00 20.0\n2:00 20.0\n"));
    ExpectShows(25000, QStringLiteral("Session - second.vsession")); // no title: the file name
    EXPECT_TRUE(messages.empty());
}

TEST_F(SessionWindowChangeTest, APickFromSessionsReplacesThePictureAtOnce) {
    const QList<QAction*> items = form->Sessions1->actions();
    ASSERT_FALSE(items.isEmpty());
    items[0]->trigger();
    const TSession& loaded = *form->Session()->Session();
    ASSERT_NE(loaded.Points().size(), 2u); // not the test's own session
    const TSessionPlot plot(loaded);
    ExpectShows(plot.TopMilli(), QStringLiteral("Session - ") + items[0]->text());
    EXPECT_TRUE(messages.empty());
}

TEST_F(SessionWindowChangeTest, EndSessionTakesThePictureAwayAtOnce) {
    form->EndSession1->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->View()->Plot(), nullptr);
    window->View()->repaint();
    const QImage shot = window->View()->grab().toImage();
    EXPECT_NE(shot, painted);
    // Loaded again, the window shows it when asked, with a fresh picture.
    LoadThroughMenu(*form, WriteSession("again.vsession", "0:00 8.0\n1:00 8.0\n"));
    form->SessionView1->trigger();
    ExpectShows(10000, QStringLiteral("Session - again.vsession"));
    EXPECT_TRUE(messages.empty());
}

} // namespace
