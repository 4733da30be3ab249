// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ASswitch.h"

#include "ControlTestUtil.h"
#include "framework/Application.h"
#include "framework/Exception.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace {

// A 73-pixel knob as the main window has them, shown on an olive panel.
struct KnobFixture : testing::Test {
    TTestPanel panel;
    TASSwitcher* knob = new TASSwitcher(&panel);
    std::vector<int> changes;

    void SetUp() override {
        knob->setGeometry(10, 10, 73, 73);
        knob->SetMax(10);
        knob->SetSoundType(wssNone);
        knob->OnChange = [this](QObject* sender) {
            EXPECT_EQ(sender, knob);
            changes.push_back(knob->Position());
        };
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }

    // A pixel on the ring whose angle is exactly the one wanted, as near the radius as can be.
    std::optional<QPoint> TryPointAt(int wantedAngle, double radius) {
        const int cx = knob->width() / 2;
        const int cy = knob->height() / 2;
        QPoint best(cx, cy);
        double bestMiss = 1e9;
        for (int y = 0; y < knob->height(); ++y) {
            for (int x = 0; x < knob->width(); ++x) {
                int angle = 0;
                const double r = std::hypot(x - cx, y - cy);
                if (knob->OnRing(x, y) && r >= 6 && knob->AngleAt(x, y, angle) &&
                    angle == wantedAngle && std::abs(r - radius) < bestMiss) {
                    best = QPoint(x, y);
                    bestMiss = std::abs(r - radius);
                }
            }
        }
        if (bestMiss > 1e8) return std::nullopt;
        return best;
    }

    QPoint PointAt(int wantedAngle, double radius) {
        const auto p = TryPointAt(wantedAngle, radius);
        if (!p) ADD_FAILURE() << "no pixel at angle " << wantedAngle;
        return p.value_or(QPoint(36, 36));
    }

    void PressOnPointer() {
        const auto w = knob->PointerWedge();
        const QPoint p = PointAt(225 + w.A1 - 238, 15);
        ASSERT_TRUE(knob->OnRing(p.x(), p.y()));
        QTest::mousePress(knob, Qt::LeftButton, {}, p);
    }
};

TEST(ASswitchGeometry, StepAnglesLeaveAnEvenGapAtTheBottom) {
    TASSwitcher knob;
    struct Case {
        int max, a1At0, step;
    };
    for (const Case c : {Case{15, 234, 18}, Case{5, 252, 54}, Case{10, 238, 27}, Case{29, 210, 8},
                         Case{0, 360, 270}}) {
        knob.SetMax(c.max);
        const auto w0 = knob.WedgeOf(0);
        EXPECT_EQ(w0.A1, c.a1At0) << "Max " << c.max;
        EXPECT_EQ(w0.A1 - w0.A2, c.step) << "Max " << c.max;
        if (c.max > 0) {
            // The gap between the last position and the first is centred on straight down.
            const auto wl = knob.WedgeOf(c.max);
            EXPECT_NEAR(w0.A1 + wl.A2 + 360, 540, 1) << "Max " << c.max;
        }
    }
}

TEST(ASswitchGeometry, AnglesOfPoints) {
    TASSwitcher knob;
    knob.resize(73, 73);
    int a = 0;
    EXPECT_FALSE(knob.AngleAt(36, 36, a)); // the centre has none
    ASSERT_TRUE(knob.AngleAt(50, 36, a));
    EXPECT_EQ(a, 0);
    ASSERT_TRUE(knob.AngleAt(36, 20, a));
    EXPECT_EQ(a, 90);
    ASSERT_TRUE(knob.AngleAt(20, 36, a));
    EXPECT_EQ(a, 180);
    ASSERT_TRUE(knob.AngleAt(36, 50, a));
    EXPECT_EQ(a, 270);
    ASSERT_TRUE(knob.AngleAt(46, 46, a)); // lower right wraps below zero
    EXPECT_EQ(a, -45);
    ASSERT_TRUE(knob.AngleAt(26, 46, a));
    EXPECT_EQ(a, 225);
    ASSERT_TRUE(knob.AngleAt(49, 35, a)); // 4.4 degrees truncates to 4
    EXPECT_EQ(a, 4);
}

TEST_F(KnobFixture, DragFromTheFirstPositionToStraightRightEndsAtEight) {
    PressOnPointer();
    EXPECT_TRUE(knob->Dragging());
    for (int a = 225; a >= 0; a -= 3) {
        if (const auto p = TryPointAt(a, 15)) QTest::mouseMove(knob, *p);
    }
    QTest::mouseMove(knob, PointAt(0, 15));
    EXPECT_EQ(knob->Position(), 8);
    EXPECT_EQ(changes, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    Shot(*knob, "knob73_p8");
    QTest::mouseRelease(knob, Qt::LeftButton, {}, PointAt(0, 15));
    EXPECT_FALSE(knob->Dragging());
    QTest::mouseMove(knob, PointAt(200, 15));
    EXPECT_EQ(knob->Position(), 8) << "a move after the release turns nothing";
}

TEST_F(KnobFixture, SharedBoundaryAngleSelectsTheLowerPosition) {
    PressOnPointer();
    QTest::mouseMove(knob, PointAt(150, 15));
    EXPECT_EQ(knob->Position(), 3);           // wedge 130..157
    QTest::mouseMove(knob, PointAt(211, 15)); // end of 1's wedge and start of 0's
    EXPECT_EQ(knob->Position(), 0);
    QTest::mouseMove(knob, PointAt(184, 15)); // shared by 1 and 2
    EXPECT_EQ(knob->Position(), 1);
    QTest::mouseRelease(knob, Qt::LeftButton, {}, PointAt(184, 15));
}

TEST_F(KnobFixture, BottomGapLeavesThePositionAlone) {
    PressOnPointer();
    QTest::mouseMove(knob, PointAt(-10, 15));
    ASSERT_EQ(knob->Position(), 9);
    changes.clear();
    int tried = 0;
    for (int a : {-60, -75, -87, -88, -89, 270, 255, 239}) {
        if (const auto p = TryPointAt(a, 15)) {
            QTest::mouseMove(knob, *p);
            EXPECT_EQ(knob->Position(), 9) << "angle " << a;
            ++tried;
        }
    }
    EXPECT_GE(tried, 6);
    EXPECT_TRUE(changes.empty());
    QTest::mouseMove(knob, PointAt(238, 15));
    EXPECT_EQ(knob->Position(), 0);
    QTest::mouseRelease(knob, Qt::LeftButton, {}, PointAt(238, 15));
}

TEST_F(KnobFixture, PressOutsideThePointerStartsNoDrag) {
    QTest::mousePress(knob, Qt::LeftButton, {}, PointAt(90, 15));
    EXPECT_FALSE(knob->Dragging());
    QTest::mouseMove(knob, PointAt(0, 15));
    EXPECT_EQ(knob->Position(), 0);
    EXPECT_TRUE(changes.empty());
    QTest::mouseRelease(knob, Qt::LeftButton, {}, PointAt(0, 15));

    // A right press on the pointer starts none either, nor does a press at the centre.
    const auto w = knob->PointerWedge();
    QTest::mousePress(knob, Qt::RightButton, {}, PointAt(225 + w.A1 - 238, 15));
    EXPECT_FALSE(knob->Dragging());
    QTest::mouseRelease(knob, Qt::RightButton, {}, PointAt(225 + w.A1 - 238, 15));
    QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(36, 36));
    EXPECT_FALSE(knob->Dragging());
    QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(36, 36));
}

TEST_F(KnobFixture, MoveToTheCentreOrLeavingEndsTheDrag) {
    PressOnPointer();
    QTest::mouseMove(knob, QPoint(36, 36));
    EXPECT_FALSE(knob->Dragging());
    QTest::mouseMove(knob, PointAt(90, 15));
    EXPECT_EQ(knob->Position(), 0);
    QTest::mouseRelease(knob, Qt::LeftButton, {}, PointAt(90, 15));
}

TEST_F(KnobFixture, KeysStopAtTheEnds) {
    knob->setFocus();
    QTest::keyClick(knob, Qt::Key_Left);
    EXPECT_EQ(knob->Position(), 0);
    QTest::keyClick(knob, Qt::Key_Right);
    QTest::keyClick(knob, Qt::Key_Up);
    QTest::keyClick(knob, Qt::Key_Down);
    EXPECT_EQ(knob->Position(), 1);
    QTest::keyClick(knob, Qt::Key_End);
    EXPECT_EQ(knob->Position(), 10);
    QTest::keyClick(knob, Qt::Key_End);
    QTest::keyClick(knob, Qt::Key_Right);
    QTest::keyClick(knob, Qt::Key_Home);
    EXPECT_EQ(changes, (std::vector<int>{1, 10, 0}));

    // A key handler that clears the key keeps the knob still.
    knob->OnKeyDown = [](QObject*, int& key, Qt::KeyboardModifiers) { key = 0; };
    QTest::keyClick(knob, Qt::Key_End);
    EXPECT_EQ(knob->Position(), 0);
}

TEST_F(KnobFixture, PositionIsClampedAndChangesFireOnce) {
    knob->SetMax(15);
    knob->SetPosition(99);
    EXPECT_EQ(knob->Position(), 15);
    knob->SetPosition(99);
    knob->SetPosition(15);
    knob->SetPosition(-3);
    EXPECT_EQ(knob->Position(), 0);
    EXPECT_EQ(changes, (std::vector<int>{15, 0}));
    EXPECT_TRUE(knob->setProperty("Position", 4));
    EXPECT_EQ(knob->Position(), 4);

    knob->SetMax(300);
    EXPECT_EQ(knob->Max(), 15);
    knob->SetMax(-1);
    EXPECT_EQ(knob->Max(), 15);
    knob->SetMax(3);
    EXPECT_EQ(knob->Position(), 4) << "a smaller Max does not move the position";
}

TEST_F(KnobFixture, ClickFiresOnReleaseInside) {
    int clicks = 0;
    knob->OnClick = [&](QObject*) { ++clicks; };
    QTest::mouseClick(knob, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(100, 5));
    QTest::mouseClick(knob, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    QTest::mouseDClick(knob, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1) << "the second release of a double click is no click";
    EXPECT_TRUE(knob->hasFocus()) << "a press gives the knob the focus";
}

TEST_F(KnobFixture, SwitchIsKeptSquare) {
    knob->resize(80, 60);
    Shot(*knob, "knob_80x60");
    EXPECT_EQ(knob->width(), 80);
    EXPECT_EQ(knob->height(), 80);
}

// The pointer's colour lies inside the wedge of the current position and in no other.
TEST(ASswitchDrawing, PointerIsDrawnInItsWedgeOnly) {
    TTestPanel panel;
    auto* knob = new TASSwitcher(&panel);
    knob->move(0, 0);
    knob->SetSoundType(wssNone);
    panel.show();
    const QColor pointer(128, 0, 0);
    const QColor plate(88, 119, 9);
    for (int position : {0, 3, 10}) {
        knob->SetPosition(position);
        const QImage image = Shot(*knob, "knob150_p" + std::to_string(position));
        EXPECT_TRUE(SameRgb(image.pixel(1, 1), kOlive)) << "the background is the parent's";
        for (int p = 0; p <= 10; ++p) {
            const auto w = knob->WedgeOf(p);
            const double mid = (w.A1 + w.A2) / 2.0 * std::numbers::pi / 180;
            const int x = 75 + static_cast<int>(std::lround(48 * std::cos(mid)));
            const int y = 75 - static_cast<int>(std::lround(48 * std::sin(mid)));
            EXPECT_TRUE(SameRgb(image.pixel(x, y), p == position ? pointer : plate))
                << "position " << position << ", wedge of " << p;
        }
        // The gap at the bottom shows the plate.
        EXPECT_TRUE(SameRgb(image.pixel(75, 75 + 48), plate));
    }
}

TEST(ASswitchDrawing, SinglePositionCoversThreeQuartersOfTheDial) {
    TTestPanel panel;
    auto* knob = new TASSwitcher(&panel);
    knob->SetMax(0);
    panel.show();
    const QImage image = Shot(*knob, "knob150_max0");
    const QColor pointer(128, 0, 0);
    for (int a = 95; a <= 355; a += 20) {
        const double r = a * std::numbers::pi / 180;
        EXPECT_TRUE(SameRgb(image.pixel(75 + static_cast<int>(std::lround(48 * std::cos(r))),
                                        75 - static_cast<int>(std::lround(48 * std::sin(r)))),
                            pointer))
            << a;
    }
    EXPECT_FALSE(SameRgb(image.pixel(75 + 34, 75 - 34), pointer)) << "upper right stays free";
}

TEST(ASswitchSound, MissingResourceAbortsSilentlyAfterTheChange) {
    TASSwitcher knob;
    knob.SetSoundType(wssExe);
    knob.SetSoundChange(QStringLiteral("NO_SUCH_SOUND"));
    knob.SetResourceType(QStringLiteral("WAVE"));
    int changes = 0;
    knob.OnChange = [&](QObject*) { ++changes; };
    EXPECT_THROW(knob.SetPosition(2), EAbort);
    EXPECT_EQ(knob.Position(), 2);
    EXPECT_EQ(changes, 1);
}

TEST(ASswitchSound, WaveFileGoesToThePlayer) {
    const QString path = QStringLiteral(VELMORA_BINARY_DIR "/controls-click.wav");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RIFF-made-by-the-test");
    file.close();
    QByteArray played;
    TWaveOptions flags = 0;
    SetSimpleSoundPlayer([&](const QByteArray& wave, TWaveOptions options) {
        played = wave;
        flags = options;
    });
    TASSwitcher knob;
    knob.SetSoundChange(path); // wssWav is the default
    knob.SetPosition(1);
    EXPECT_EQ(played, QByteArray("RIFF-made-by-the-test"));
    EXPECT_EQ(flags, unsigned{woSync | woNoDefault | woNoStop});
    played.clear();
    knob.SetSoundChange(QStringLiteral("/no/such/file.wav"));
    knob.SetPosition(2);
    EXPECT_TRUE(played.isEmpty());
    SetSimpleSoundPlayer({});
}

} // namespace
