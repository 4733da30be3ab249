// SPDX-License-Identifier: GPL-3.0-or-later
// The controls and the main window under a real X server, with the pointer moved and pressed
// through the server.
#include "RealPointer.h"

#include "app/About.h"
#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/main.h"
#include "audio/SoundDevice.h"
#include "common/CapturedReports.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "timing/ThdTimer.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// A plain shown window holding the control under test.
struct Window : testing::Test {
    QWidget window;
    void SetUp() override {
        if (!OnX11()) GTEST_SKIP() << "needs the xcb platform";
        window.resize(300, 300);
        window.move(100, 100);
    }
    void Show() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(100);
    }
};

} // namespace

TEST_F(Window, AReportOpenedOverAHoveredButtonCanBeClicked) {
    auto* button = new TImgBtn(&window);
    button->setGeometry(40, 40, 60, 60);
    button->SetEnabled(true);
    Show();
    RealPointer::MoveTo(*button, QPoint(30, 30));
    ASSERT_EQ(QWidget::mouseGrabber(), button) << "hovering holds the pointer";

    QMessageBox report(QMessageBox::Warning, QStringLiteral("Velmora"),
                       QStringLiteral("Something failed"), QMessageBox::Ok);
    report.setWindowModality(Qt::ApplicationModal);
    QTimer::singleShot(300, &report, [&] {
        RealPointer::MoveTo(*report.button(QMessageBox::Ok),
                            report.button(QMessageBox::Ok)->rect().center());
        RealPointer::Click();
    });
    QTimer::singleShot(4000, &report, [&] { report.done(-1); }); // the OK never got the click
    EXPECT_EQ(report.exec(), QMessageBox::Ok);
    EXPECT_NE(QWidget::mouseGrabber(), button);
    EXPECT_FALSE(button->Pressed());
}

TEST_F(Window, LeavingTheKnobWithTheButtonHeldEndsTheDrag) {
    auto* knob = new TASSwitcher(&window);
    knob->setGeometry(40, 40, 73, 73);
    knob->SetMax(10);
    knob->SetSoundType(wssNone);
    Show();
    // On the ring, inside the pointer of position 0 (its wedge runs from 211 to 238 degrees).
    RealPointer::MoveTo(*knob, QPoint(27, 44));
    RealPointer::Down();
    ASSERT_TRUE(knob->Dragging());
    // Straight right of the centre, but outside the knob; then back in at the same angle.
    RealPointer::MoveTo(*knob, QPoint(100, 36));
    RealPointer::MoveTo(*knob, QPoint(48, 36));
    RealPointer::Up();
    EXPECT_EQ(knob->Position(), 0);
    EXPECT_FALSE(knob->Dragging());
}

TEST_F(Window, TheSelectionPasteGoesThroughTheEditsCheck) {
    auto* edit = new TCurrencyEdit(&window);
    edit->setGeometry(40, 40, 80, 25);
    edit->SetMinValue(0.1L);
    edit->SetMaxValue(35.0L);
    edit->SetDecimalPlaces(3);
    edit->SetValue(7.0L);
    int changes = 0;
    edit->OnChange = [&](QObject*) { ++changes; };
    Show();
    ASSERT_TRUE(QGuiApplication::clipboard()->supportsSelection());

    QGuiApplication::clipboard()->setText(QStringLiteral("12,abc.5"), QClipboard::Selection);
    RealPointer::MoveTo(*edit, QPoint(70, 12));
    RealPointer::Click(2);
    EXPECT_EQ(edit->text(), QStringLiteral("7"));
    EXPECT_EQ(changes, 0);

    QGuiApplication::clipboard()->setText(QStringLiteral("5"), QClipboard::Selection);
    RealPointer::Click(2);
    EXPECT_EQ(edit->text(), QStringLiteral("75"));
}

TEST(MainWindowOnX11, TheServerShowsTheCaptionExactly) {
    if (!OnX11()) GTEST_SKIP() << "needs the xcb platform";
    QTemporaryDir config;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    SetSoundOutputChoice(SoundOutputChoice::Offline);
    CapturedReports captured; // no library here: its report is not what this test is about
    SetProgramIdentity();
    SetProgramIcon();
    {
        TMainForm form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QProcess name;
        name.start(QStringLiteral(XDOTOOL),
                   {QStringLiteral("getwindowname"), QString::number(form.winId())});
        ASSERT_TRUE(name.waitForFinished());
        EXPECT_EQ(QString::fromUtf8(name.readAllStandardOutput()).trimmed(),
                  QStringLiteral("Velmora Beta 2.4"));
        form.close();
    }
    SetSoundOutputChoice(SoundOutputChoice::Device);
    qputenv("XDG_CONFIG_HOME", previous);
}

// A picture timer whose handler takes twice its interval, as the paint of a maximised window
// on a large screen can: the firings then follow each other without a pause, and still a key
// or a click through the server is taken within a firing or two.
TEST(MainWindowOnX11, EscAndStopActAtOnceWhileThePaintTakesLongerThanTheInterval) {
    if (!OnX11()) GTEST_SKIP() << "needs the xcb platform";
    QTemporaryDir config;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    SetSoundOutputChoice(SoundOutputChoice::Offline);
    CapturedReports captured;
    {
        TMainForm form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        form.FreqEdit->SetValue(25.0L);
        ASSERT_EQ(form.Timer1->Interval(), 20);
        int firings = 0;
        const auto frameStep = form.Timer1->OnTimer();
        form.Timer1->SetOnTimer([&](TThreadedTimer* t) {
            ++firings;
            frameStep(t);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        });
        const QPoint start = form.Start->mapTo(&form, form.Start->rect().center());
        for (const bool byKey : {true, false}) {
            form.StartButtonClick(&form);
            ASSERT_TRUE(QTest::qWaitFor([&] { return firings >= 5; }, 5000));
            const int before = firings;
            if (byKey) {
                RealPointer::Xdo({QStringLiteral("key"), QStringLiteral("--window"),
                                  QString::number(form.winId()), QStringLiteral("Escape")});
            } else {
                const QPoint at = form.mapToGlobal(start);
                RealPointer::Xdo({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                                  QString::number(at.x()), QString::number(at.y()),
                                  QStringLiteral("click"), QStringLiteral("1")});
            }
            ASSERT_TRUE(QTest::qWaitFor([] { return !MainState::Running; }, 5000));
            EXPECT_LE(firings - before, 2) << (byKey ? "Esc" : "Stop") << " waited for firings";
            firings = 0;
        }
        form.close();
    }
    SetSoundOutputChoice(SoundOutputChoice::Device);
    qputenv("XDG_CONFIG_HOME", previous);
}
