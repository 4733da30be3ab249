// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer's work on session files besides sound: every shipped session renders, a
// session's picture has its curve where the session says, and binaural-beat schedules convert
// into the expected points with a report of what was left out.
#include "library/LibraryTestFiles.h"
#include "render/SbgImport.h"
#include "render/SessionRender.h"
#include "run/SessionPlot.h"
#include "session/SessionFile.h"

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using libtest::RunCommand;

std::string Renderer() {
    return std::string(VELMORA_BINARY_DIR) + "/velmora-render";
}

// 16-bit stereo WAV frames after the 44-byte header.
uintmax_t Frames(const fs::path& wav) {
    return (fs::file_size(wav) - 44) / 4;
}

TEST(ShippedSessionFiles, EachRendersThroughEveryPointToItsEnd) {
    libtest::TempDir dir("render-shipped");
    const fs::path out = dir / "s.wav";
    // The shortest through the tool at its full length...
    const fs::path shipped = fs::path(VELMORA_BINARY_DIR) / "sessions";
    const auto r = RunCommand(Renderer() + " --session " + (shipped / "try-out.vsession").string() +
                              " --library " VELMORA_BINARY_DIR "/main.zdl -o " + out.string());
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_EQ(Frames(out), FrameAtMs(5 * 60000));
    // ...and every one, thirty times faster, through the same rendering: each point and knob
    // setting is met on the way, in a fraction of the time.
    int count = 0;
    for (const auto& entry : fs::directory_iterator(shipped)) {
        std::vector<TSessionPoint> points = LoadSessionFile(entry.path().string()).Points();
        for (TSessionPoint& p : points)
            p.TimeMs /= 30;
        TRenderJob job;
        job.LibraryPath = VELMORA_BINARY_DIR "/main.zdl";
        job.Session = TSession(points);
        job.OutputPath = out.string();
        ASSERT_NO_THROW(RenderToWav(job)) << entry.path();
        EXPECT_EQ(Frames(out), FrameAtMs(points.back().TimeMs)) << entry.path();
        ++count;
    }
    EXPECT_GE(count, 10);
}

// The curve's colour, or near it where its edges are smoothed into the background.
bool IsCurve(QRgb pixel) {
    const QRgb c = TSessionPlot::kCurveColour;
    return std::abs(qRed(pixel) - qRed(c)) < 60 && std::abs(qGreen(pixel) - qGreen(c)) < 60 &&
           std::abs(qBlue(pixel) - qBlue(c)) < 60;
}

// The middle row where a column of the picture shows the curve, or -1 when it shows none.
int CurveRow(const QImage& image, int x) {
    int found = -1, count = 0;
    for (int y = 0; y < image.height(); ++y) {
        if (IsCurve(image.pixel(x, y))) {
            found = found < 0 ? y : found;
            ++count;
        }
    }
    return count > 0 ? found + count / 2 : -1;
}

TEST(SessionPicture, TheToolDrawsTheCurveWhereTheSessionSays) {
    libtest::TempDir dir("render-plot");
    const std::string text = "# plot\n0:00 14.0 volume=5\n4:00 14.0\n16:00 4.0 am=2\n20:00 4.0\n";
    std::ofstream(dir / "p.vsession") << text;
    const fs::path png = dir / "p.png";
    const auto r =
        RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + Renderer() +
                   " --session " + (dir / "p.vsession").string() + " --plot " + png.string());
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_FALSE(fs::exists(dir / "p.wav"));
    const QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull());
    const TSession session = ParseSession(text, "p");
    const TSessionPlot plot(session);
    const QRect rect = image.rect();
    const QRect area = plot.CurveArea(rect);
    ASSERT_GT(area.width(), 600);
    // Flat at 14 Hz, halfway down the slope at 9 Hz, flat at 4 Hz: the curve's row in each
    // column is where the session's frequency falls on the scale.
    const int64_t minute = 60000;
    for (const auto& [ms, milli] : {std::pair<int64_t, int32_t>{2 * minute, 14000},
                                    {10 * minute, 9000},
                                    {13 * minute, 6500},
                                    {18 * minute, 4000}}) {
        const QPointF p = plot.PointAt(rect, ms, milli);
        const int row = CurveRow(image, static_cast<int>(p.x()));
        EXPECT_NEAR(row, p.y(), 2.0) << ms;
    }
    // The scale is linear from 0 at the bottom of the area: 4 Hz lies at 0.4 of 14 Hz's height.
    const double bottom = area.bottom() + 1;
    const double at14 =
        bottom - CurveRow(image, static_cast<int>(plot.PointAt(rect, 2 * minute, 0).x()));
    const double at4 =
        bottom - CurveRow(image, static_cast<int>(plot.PointAt(rect, 18 * minute, 0).x()));
    EXPECT_NEAR(at4 / at14, 4.0 / 14.0, 0.02);
    // Knob changes are marked at 0:00 and 16:00, and no cursor is drawn.
    const QPointF mark = plot.PointAt(rect, 16 * minute, 4000);
    EXPECT_EQ(image.pixel(static_cast<int>(mark.x()) + 3, static_cast<int>(mark.y())),
              TSessionPlot::kMarkColour);
    for (int x = area.left(); x <= area.right(); ++x)
        ASSERT_NE(image.pixel(x, area.top() + 5), TSessionPlot::kCursorColour) << x;
}

// ---- Schedules

std::string Convert(const std::string& sbg, std::vector<std::string>* report = nullptr,
                    const std::string& name = "s.sbg") {
    const TSbgImport imported = ImportSbg(sbg, name);
    if (report) *report = imported.Report;
    // Only the points: the header is checked once below.
    std::string points;
    size_t start = 0;
    while (start < imported.Text.size()) {
        const size_t end = imported.Text.find('\n', start);
        const std::string line = imported.Text.substr(start, end - start);
        if (line.front() != '#') points += line + "\n";
        start = end + 1;
    }
    return points;
}

TEST(SbgImport, PlainSchedulesCrossFadeOverAMinuteAndEndAtSilence) {
    const TSbgImport imported = ImportSbg("# evening\n"
                                          "alpha: 200+10/50\n"
                                          "theta: 150-6/50   # carrier below: the same beat\n"
                                          "off: -\n"
                                          "NOW alpha\n"
                                          "NOW+00:10 theta\n"
                                          "+00:30:30 off\n",
                                          "plain.sbg");
    EXPECT_EQ(imported.Text, "# plain (imported)\n"
                             "#\n"
                             "# Converted from plain.sbg by velmora-render --import-sbg.\n"
                             "0:00  10.0  tone=binaural  carrier=200  volume=7\n"
                             "9:30  10.0  carrier=150\n"
                             "10:30  6.0\n"
                             "31:00  6.0  tone=off  volume=0\n");
    EXPECT_TRUE(imported.Report.empty());
    ASSERT_EQ(imported.Points.size(), 4u);
    EXPECT_EQ(imported.Points[2].TimeMs, 10 * 60000 + 30000);
    EXPECT_EQ(imported.Points[2].FrequencyMilli, 6000);
}

TEST(SbgImport, SlidesIsochronicPulsesAndTheLoudestOfSeveralBeats) {
    std::vector<std::string> report;
    EXPECT_EQ(Convert("-F 30000\n"
                      "a: 200+4/20 300+8/40\n"
                      "b: 180@12.5/40 pink/20\n"
                      "off: -\n"
                      "NOW a ->\n"
                      "+00:05 b\n"
                      "+00:20 a\n"
                      "+00:25 off\n",
                      &report),
              "0:00  8.0  tone=binaural  carrier=300  volume=6\n"
              "5:00  12.5  tone=isochronic  carrier=180\n"
              "19:45  12.5  tone=binaural  carrier=300\n"
              "20:15  8.0\n"
              "25:15  8.0  tone=off  volume=0\n");
    EXPECT_EQ(report, (std::vector<std::string>{
                          "s.sbg: several beating voices in one tone-set, the loudest one's beat "
                          "used (line 2)",
                          "s.sbg: noise voices left out (the library's sound plays instead); a "
                          "tone-set of noise alone sets only the volume (line 3)",
                          "s.sbg: carrier slides played as steps where the slide ends (line 5)"}));
}

TEST(SbgImport, ClockTimesCountFromTheFirstPastMidnightAndTheRestIsReported) {
    std::vector<std::string> report;
    EXPECT_EQ(Convert("-SE\n"
                      "-p drop 00ls\n"
                      "a: 100+2.5/10 spin:300+4.2/20\n"
                      "b: 200+45/10 bell+400/10\n"
                      "c: mix/50 400/10\n"
                      "d: -\n"
                      "22:00 a\n"
                      "23:30 <> b ->\n"
                      "00:15 == c\n"
                      "00:45:10 d\n",
                      &report),
              "0:00  2.5  tone=binaural  carrier=100  volume=2\n"
              "1:29:59  2.5\n"
              "1:30:00  35.0  carrier=200\n"
              "2:15:00  35.0  tone=off\n"
              "2:45:10  35.0  volume=0\n");
    EXPECT_EQ(report,
              (std::vector<std::string>{
                  "s.sbg: pure tones without a beat left out (line 5)",
                  "s.sbg: spin voices left out (line 3)", "s.sbg: bell voices left out (line 4)",
                  "s.sbg: mix input left out (line 5)",
                  "s.sbg: pre-programmed sequences (-p) left out: the time lines are followed "
                  "(line 2)",
                  "s.sbg: beats above 35 Hz clamped to 35 Hz (line 4)"}));
}

TEST(SbgImport, RefusesWhatCannotBeFollowedAndHoldsASoundingEnd) {
    std::vector<std::string> report;
    EXPECT_EQ(Convert("a: 200+10/100\nNOW a\n", &report), "0:00  10.0  tone=binaural  "
                                                          "carrier=200  volume=10\n"
                                                          "1:00  10.0\n");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0], "s.sbg: the last tone-set is not silent: held for the fade time, "
                         "where the session ends (line 2)");
    const std::pair<const char*, const char*> refusals[] = {
        {"a: 200+10/10\nNOW b\n", "s.sbg, line 2: tone-set \"b\" is not defined"},
        {"a: 200+10/10\nNOW <<> a\n", "s.sbg, line 2: fade mark \"<<>\" is not understood"},
        {"a: pink/10\nNOW a\n", "s.sbg, line 2: no tone-set of the schedule has a beating voice"},
        {"a: 200+10/10\nNOW+1:0 a\n", "s.sbg, line 2: time \"NOW+1:0\" is not understood"},
        {"a: 200+10/10\na: 300+4/10\n", "s.sbg, line 2: tone-set \"a\" is defined twice"},
        {"# nothing\n", "s.sbg, line 1: the schedule has no time lines"},
    };
    for (const auto& [text, message] : refusals) {
        try {
            ImportSbg(text, "s.sbg");
            ADD_FAILURE() << text;
        } catch (const ESbgError& e) {
            EXPECT_EQ(e.Message().substr(0, std::string(message).size()), message) << text;
        }
    }
}

TEST(SbgImport, TheToolWritesTheSessionAndReportsOnStandardError) {
    libtest::TempDir dir("render-sbg");
    std::ofstream(dir / "in.sbg") << "a: 200+50/10 white/5\nNOW a\n+00:02 a\n";
    const fs::path out = dir / "out.vsession";
    // Standard error alone into the report file: the tool writes nothing else.
    auto r = RunCommand("(" + Renderer() + " --import-sbg " + (dir / "in.sbg").string() + " -o " +
                        out.string() + " 2>" + (dir / "report").string() + ")");
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_EQ(r.Output, "");
    std::ifstream report(dir / "report");
    std::string first, second;
    std::getline(report, first);
    std::getline(report, second);
    EXPECT_EQ(first, "in.sbg: noise voices left out (the library's sound plays instead); a "
                     "tone-set of noise alone sets only the volume (line 1)");
    EXPECT_EQ(second, "in.sbg: beats above 35 Hz clamped to 35 Hz (line 1)");
    std::ifstream written(out);
    const std::string text((std::istreambuf_iterator<char>(written)), {});
    EXPECT_NE(text.find("# Left out or changed: beats above 35 Hz clamped to 35 Hz (line 1)\n"),
              std::string::npos);
    EXPECT_NE(text.find("0:00  35.0  tone=binaural  carrier=200  volume=2\n"), std::string::npos);

    r = RunCommand(Renderer() + " --import-sbg " + (dir / "in.sbg").string() + " --am 3 -o " +
                   out.string());
    EXPECT_EQ(r.Exit, 2);
    EXPECT_NE(r.Output.find("--import-sbg takes -o FILE.vsession and nothing else"),
              std::string::npos);
    r = RunCommand(Renderer() + " --import-sbg " + (dir / "none.sbg").string() + " -o " +
                   out.string());
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Output.find("cannot open none.sbg"), std::string::npos);
}

} // namespace
