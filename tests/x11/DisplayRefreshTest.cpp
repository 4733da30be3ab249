// SPDX-License-Identifier: GPL-3.0-or-later
// The display's refresh rate under a virtual X server: its video mode has no timings, and the
// toolkit's 60 Hz for it is no measurement.
#include "app/DisplayRefresh.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

TEST(DisplayRefreshX11, AVirtualServersModeGivesNoRate) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform";
    QWidget window;
    window.resize(200, 100);
    auto* refresh = new TDisplayRefresh(window);
    refresh->Follow(); // not shown: nothing to find yet
    EXPECT_EQ(refresh->Source(), TDisplayRefresh::TSource::Unknown);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    refresh->Follow();
    EXPECT_EQ(window.screen()->refreshRate(), 60);
    EXPECT_EQ(refresh->Hz(), 0);
    EXPECT_EQ(refresh->Source(), TDisplayRefresh::TSource::Unknown);
    EXPECT_FALSE(refresh->Measuring());

    // A run's measurement is kept, and told once.
    QSignalSpy changed(refresh, &TDisplayRefresh::Changed);
    refresh->Learn(59.95);
    refresh->Learn(59.951);
    refresh->Follow();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_DOUBLE_EQ(refresh->Hz(), 59.95);
    EXPECT_EQ(refresh->Source(), TDisplayRefresh::TSource::Run);
}
