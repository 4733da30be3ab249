// SPDX-License-Identifier: GPL-3.0-or-later
// The settings component's placement: keys and their order, screen size and pixels-per-inch
// rules, the window state, when it saves and when it must not, and the size limits.
#include "StorageTestWindow.h"

#include "app/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <memory>

namespace {

class PlacementTest : public SettingsDirTest {
protected:
    std::string Suffix() const {
        const QSize s = QGuiApplication::primaryScreen()->geometry().size();
        std::string suffix(1, '(');
        suffix += std::to_string(s.width());
        suffix += 'x';
        suffix += std::to_string(s.height());
        suffix += ')';
        return suffix;
    }
    int32_t Ppi() const {
        return static_cast<int32_t>(QGuiApplication::primaryScreen()->logicalDotsPerInch() + 0.5);
    }
};

TEST_F(PlacementTest, FirstStartWithoutFileKeepsLayoutAndCloseWritesPlacementInOrder) {
    TStorageTestForm form;
    form.setProperty(WindowPositionProperty, PositionScreenCenter);
    form.show();
    EXPECT_TRUE(form.Storage->Restored());
    EXPECT_TRUE(form.sawRestoredOnShow) << "the window's show handler runs after restoring";
    EXPECT_EQ(form.property(WindowPositionProperty).toString(), PositionScreenCenter);
    EXPECT_EQ(form.size(), QSize(600, 400));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.frameGeometry().center(), area.center()) << "no file: centred";
    EXPECT_EQ(form.RxSlider1->value, 70);
    EXPECT_FALSE(QFile::exists(FilePath())) << "restoring alone writes nothing";

    form.setGeometry(40, 50, 610, 420);
    form.close();
    EXPECT_TRUE(form.Storage->Saved());
    EXPECT_TRUE(messages.empty());

    const QString raw = RawFile();
    const QStringList order = {
        "Flags=",   "ShowCmd=", "PixelsPerInch=", "MinMaxPos(",        "MinMaxPos=",
        "NormPos(", "NormPos=", "Visible=",       "DivCheck_Checked=", "Half_Checked="};
    qsizetype at = -1;
    for (const QString& key : order) {
        const qsizetype next = raw.indexOf(key);
        EXPECT_GT(next, at) << key.toStdString() << " out of order in\n" << raw.toStdString();
        at = next;
    }
    EXPECT_EQ(Read("Flags"), "0");
    EXPECT_EQ(Read("ShowCmd"), "1");
    EXPECT_EQ(Read("PixelsPerInch"), std::to_string(Ppi()));
    EXPECT_EQ(Read("NormPos" + Suffix()), "40,50,650,470");
    EXPECT_EQ(Read("NormPos"), "40,50,650,470");
    EXPECT_EQ(Read("MinMaxPos"), "-1,-1,-1,-1");
    EXPECT_EQ(Read("Visible"), "0");
}

TEST_F(PlacementTest, StoredPositionComesBackAndStopsCentring) {
    {
        TStorageTestForm form;
        form.show();
        form.setGeometry(30, 20, 620, 410);
        form.close();
    }
    TStorageTestForm form;
    form.setProperty(WindowPositionProperty, PositionScreenCenter);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(30, 20, 620, 410));
    EXPECT_EQ(form.property(WindowPositionProperty).toString(), PositionDesigned);
}

TEST_F(PlacementTest, ScreenSizeKeyWinsAndPlainKeyServesOtherResolutions) {
    Write("NormPos", "10,10,700,500");
    Write("NormPos(1x1)", "99,99,300,300");
    {
        TStorageTestForm form;
        form.show();
        EXPECT_EQ(form.geometry(), QRect(10, 10, 690, 490)) << "other screen sizes fall back";
    }
    Write("NormPos" + Suffix(), "20, ,, 30  710 , 520");
    TStorageTestForm form;
    form.show();
    EXPECT_EQ(form.geometry(), QRect(20, 30, 690, 490)) << "runs of spaces and commas separate";
}

TEST_F(PlacementTest, OtherPixelsPerInchRestoresStateAndPropertiesButNoPosition) {
    Write("NormPos", "10,10,700,500");
    Write("ShowCmd", "3");
    Write("PixelsPerInch", std::to_string(Ppi() + 24));
    Write("RxSlider1_Value", "120");
    TStorageTestForm form;
    form.setProperty(WindowPositionProperty, PositionScreenCenter);
    form.show();
    EXPECT_TRUE(form.isMaximized());
    EXPECT_EQ(form.normalGeometry().size(), QSize(600, 400));
    EXPECT_EQ(form.property(WindowPositionProperty).toString(), PositionScreenCenter);
    EXPECT_EQ(form.RxSlider1->value, 120);
}

TEST_F(PlacementTest, MaximizedWindowReopensMaximizedWithItsNormalRectangle) {
    {
        TStorageTestForm form;
        form.show();
        form.setGeometry(60, 70, 590, 380);
        form.showMaximized();
        ASSERT_TRUE(form.isMaximized());
        form.close();
        EXPECT_EQ(Read("ShowCmd"), "3");
        EXPECT_EQ(Read("NormPos"), "60,70,650,450");
    }
    TStorageTestForm form;
    form.show();
    EXPECT_TRUE(form.isMaximized());
    EXPECT_EQ(form.normalGeometry(), QRect(60, 70, 590, 380));
    form.showNormal();
    EXPECT_EQ(form.geometry(), QRect(60, 70, 590, 380));
}

TEST_F(PlacementTest, ShowCommandsMapToStates) {
    struct Case {
        const char* showCmd;
        const char* flags;
        Qt::WindowStates expected;
    };
    const Case cases[] = {
        {"9", "0", Qt::WindowNoState},
        {"6", "0", Qt::WindowMinimized},
        {"2", "2", Qt::WindowMinimized | Qt::WindowMaximized},
        {"4", "0", Qt::WindowNoState},
        {"junk", "0", Qt::WindowNoState},
    };
    for (const Case& c : cases) {
        Write("ShowCmd", c.showCmd);
        Write("Flags", c.flags);
        Write("NormPos", "10,10,700,500");
        TStorageTestForm form;
        form.show();
        EXPECT_EQ(form.windowState() & ~Qt::WindowActive, c.expected) << c.showCmd;
    }
}

TEST_F(PlacementTest, EmptyOrInvertedRectangleIsNotApplied) {
    Write("NormPos", "500,10,400,300");
    TStorageTestForm form;
    form.setGeometry(5, 6, 600, 400);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(5, 6, 600, 400));
}

TEST_F(PlacementTest, RectangleOffEveryScreenIsBroughtBack) {
    Write("NormPos", "-32000,-32000,-31400,-31600");
    TStorageTestForm form;
    form.show();
    EXPECT_EQ(form.size(), QSize(600, 400));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(form.geometry()));

    Write("NormPos", "2147483000,-2147483648,2147483647,2147483647");
    TStorageTestForm huge;
    huge.show();
    const QRect desktop = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    EXPECT_LE(huge.width(), desktop.width());
    EXPECT_LE(huge.height(), desktop.height());
    EXPECT_TRUE(desktop.intersects(huge.geometry()));
}

TEST_F(PlacementTest, WindowNeverShownNeverSaves) {
    {
        TStorageTestForm form;
        form.RxSlider1->value = 3;
        form.close(); // a close request before any showing
        EXPECT_FALSE(form.Storage->Saved());
    }
    EXPECT_FALSE(QFile::exists(FilePath()));
}

TEST_F(PlacementTest, RefusedCloseDoesNotSave) {
    TStorageTestForm form;
    form.show();
    form.refuseClose = true;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Storage->Saved());
    EXPECT_FALSE(QFile::exists(FilePath()));
    form.refuseClose = false;
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(QFile::exists(FilePath()));
}

TEST_F(PlacementTest, DestroyWithoutCloseSavesOnceAndMarksVisible) {
    {
        TStorageTestForm form;
        form.show();
    }
    EXPECT_EQ(Read("Visible"), "1");
    {
        TStorageTestForm form;
        form.show();
        form.close();
        Write("Visible", "closed");
    }
    EXPECT_EQ(Read("Visible"), "closed") << "a window saved at close is not saved again";

    auto* later = new TStorageTestForm;
    later->show();
    later->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Read("Visible"), "1") << "a window deleted later saves before it goes";
}

TEST_F(PlacementTest, EventsFollowTheirSteps) {
    Write("RxSlider1_Value", "12");
    TStorageTestForm form;
    std::vector<std::string> calls;
    form.Storage->OnRestorePlacement = [&](QObject* sender) {
        EXPECT_EQ(sender, form.Storage);
        calls.push_back("restore slider=" + std::to_string(form.RxSlider1->value));
    };
    form.Storage->OnSavePlacement = [&](QObject*) {
        calls.push_back("save saved=" + std::to_string(form.Storage->Saved()) +
                        " title=" + Read("Title_Caption"));
    };
    form.show();
    form.close();
    const std::vector<std::string> expected = {"restore slider=12", "save saved=0 title="};
    EXPECT_EQ(calls, expected);
}

TEST_F(PlacementTest, InactiveComponentNeitherRestoresNorSaves) {
    Write("RxSlider1_Value", "9");
    TStorageTestForm form;
    form.Storage->SetActive(false);
    form.show();
    form.close();
    EXPECT_EQ(form.RxSlider1->value, 70);
    EXPECT_EQ(Read("Flags"), "<none>");
}

TEST_F(PlacementTest, RefusedWriteIsReportedOnceAndTheWindowStillCloses) {
    QFile blocker(dir.path() + "/notadir");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    {
        TStorageTestForm form;
        form.Storage->SetIniFileName((dir.path() + "/notadir/Zandrel.ini").toStdString());
        form.show();
        EXPECT_TRUE(form.close());
        EXPECT_FALSE(form.isVisible());
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Unable to write to"), std::string::npos) << messages[0];
}

TEST_F(PlacementTest, MinimumOuterSizeHoldsTheWindow) {
    TStorageTestForm form;
    TWinMinMaxInfo info;
    info.MinTrackWidth = 576;
    info.MinTrackHeight = 152;
    form.Storage->SetMinMaxInfo(info);
    form.show();
    const QSize frame = FrameExtent(form);
    EXPECT_EQ(form.minimumSize(), QSize(576 - frame.width(), 152 - frame.height()));
    form.resize(100, 50);
    EXPECT_EQ(form.frameGeometry().size(), QSize(576, 152));

    form.Storage->SetMinMaxInfo(TWinMinMaxInfo{});
    EXPECT_EQ(form.minimumSize(), QSize(0, 0)) << "a limit taken away is given back";

    info = TWinMinMaxInfo{};
    info.MaxTrackWidth = 700;
    form.Storage->SetMinMaxInfo(info);
    form.resize(900, 300);
    EXPECT_EQ(form.width(), 700 - frame.width());
}

TEST_F(PlacementTest, PreventResizeKeepsTheStoredSizeOut) {
    Write("NormPos", "10,20,900,700");
    TStorageTestForm form;
    form.Storage->SetPreventResize(true);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(10, 20, 600, 400));
    form.resize(300, 300);
    EXPECT_EQ(form.size(), QSize(600, 400));
}

TEST_F(PlacementTest, SectionAndFileNamesDefaultFromWindowAndProgram) {
    TStorageTestForm form;
    EXPECT_EQ(form.Storage->EffectiveIniSection(), "TStorageTestForm");
    form.Storage->SetIniSection("Mine");
    EXPECT_EQ(form.Storage->EffectiveIniSection(), "Mine");
    form.Storage->SetIniFileName("");
    const std::string name = form.Storage->EffectiveIniFileName();
    EXPECT_EQ(name, QCoreApplication::applicationName().toStdString() + ".INI");
}

TEST_F(PlacementTest, ActiveControlIsStoredAndFocusedWhenAsked) {
    {
        TStorageTestForm form;
        form.Storage->SetOptions(fpState | fpPosition | fpActiveControl);
        form.show();
        form.Half->setFocus();
        form.close();
    }
    EXPECT_EQ(Read("ActiveControl"), "Half");
    TStorageTestForm form;
    form.Storage->SetOptions(fpState | fpPosition | fpActiveControl);
    form.show();
    EXPECT_EQ(form.focusWidget(), form.Half);
}

} // namespace
