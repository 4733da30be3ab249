// SPDX-License-Identifier: GPL-3.0-or-later
// The session's picture as drawn: the time axis's ticks for every length a file can hold, and
// the knob marks whole at the curve's ends and for every knob value.
#include "run/SessionPlot.h"
#include "session/SessionFile.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The ticks under the time axis: runs of the axis's colour along a row between the axis and
// the labels.
int TicksDrawn(const TSessionPlot& plot, const QImage& image) {
    const QRect area = plot.CurveArea(image.rect());
    const int y = area.bottom() + 3;
    int ticks = 0;
    bool inTick = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool tick = image.pixel(x, y) == 0xFF505050;
        if (tick && !inTick) ++ticks;
        inTick = tick;
    }
    return ticks;
}

TEST(SessionPlot, TheTimeAxisHasFourToTenTicksAtEveryLength) {
    for (const char* end : {"0:03", "0:10", "0:59", "10:00", "59:59", "1:00:00", "10:00:00",
                            "20:00:00", "21:00:00", "24:00:00", "48:00:00", "99:59:59"}) {
        const TSession session = ParseSession(std::string("0:00 10.0\n") + end + " 10.0\n", "t");
        const TSessionPlot plot(session);
        const QImage image = plot.Render(QSize(900, 300));
        const int ticks = TicksDrawn(plot, image);
        EXPECT_GE(ticks, 4) << end;
        EXPECT_LE(ticks, 10) << end;
    }
}

TEST(SessionPlot, KnobMarksAreWholeAtTheCurvesEndsAndForEveryKnobValue) {
    // A carrier of 255, 511 or 767 Hz shares its low byte with "unset".
    const TSession session = ParseSession("0:00 10.0 am=1\n"
                                          "0:20 10.0 carrier=255\n"
                                          "0:40 10.0 carrier=767\n"
                                          "1:00 10.0 fm=2\n",
                                          "marks");
    const TSessionPlot plot(session);
    const QImage image = plot.Render(QSize(640, 320));
    for (int64_t ms : {0, 20000, 40000, 60000}) {
        const QPointF mark = plot.PointAt(image.rect(), ms, 10000);
        const int x = static_cast<int>(mark.x()), y = static_cast<int>(mark.y());
        EXPECT_EQ(image.pixel(x - 3, y), TSessionPlot::kMarkColour) << ms;
        EXPECT_EQ(image.pixel(x + 3, y), TSessionPlot::kMarkColour) << ms;
        EXPECT_EQ(image.pixel(x, y - 3), TSessionPlot::kMarkColour) << ms;
    }
}

} // namespace
