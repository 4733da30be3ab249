// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer's work on session files besides sound: every shipped session renders, a
// session's picture has its curve where the session says, and other programs' schedules come in
// through the tool, reported and written whole.
#include "exchange/Import.h"
#include "library/LibraryTestFiles.h"
#include "render/SessionRender.h"
#include "run/SessionPlot.h"
#include "session/SessionFile.h"

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sndfile.h>

namespace {

namespace fs = std::filesystem;
using libtest::RunCommand;

std::string Renderer() {
    return std::string(VELMORA_BINARY_DIR) + "/velmora-render";
}

// The frames of a WAV file, as libsndfile reads them.
uintmax_t Frames(const fs::path& wav) {
    SF_INFO info{};
    SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
    if (file == nullptr) return 0;
    sf_close(file);
    return static_cast<uintmax_t>(info.frames);
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

TEST(SbgTool, TheSessionIsReplacedWholeAndNeverLeftHalfWritten) {
    libtest::TempDir dir("render-sbg-atomic");
    std::ofstream(dir / "in.sbg") << "a: 200+10/50\noff: -\nNOW a\n+0:05 off\n";
    // A second name of the old file keeps the old text: the new session is a new file moved
    // into place, not the old one rewritten where a reader may be reading it.
    std::ofstream(dir / "out.vsession") << "# old\n0:00 7.0\n1:00 7.0\n";
    fs::create_hard_link(dir / "out.vsession", dir / "kept.vsession");
    const std::string renderer = std::string(VELMORA_BINARY_DIR) + "/velmora-render";
    auto r = libtest::RunCommand(renderer + " --import-sbg " + (dir / "in.sbg").string() + " -o " +
                                 (dir / "out.vsession").string());
    ASSERT_EQ(r.Exit, 0) << r.Output;
    std::ifstream kept(dir / "kept.vsession"), out(dir / "out.vsession");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "# old\n0:00 7.0\n1:00 7.0\n");
    const std::string text(std::istreambuf_iterator<char>(out), {});
    EXPECT_NE(text.find("5:30  10.0  tone=off  volume=0\n"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(dir / "out.vsession.part"));
    // A folder in the way is refused before anything is written.
    fs::create_directory(dir / "folder");
    EXPECT_THROW(WriteImportedSession((dir / "folder").string(), text), EImportError);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_FALSE(fs::exists(dir / "folder.part"));
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

TEST(SbgImport, ImportChoosesTheReaderByContentAndImportSbgStaysASynonym) {
    libtest::TempDir dir("render-import");
    // No extension to go by: the content says it is a binaural-beat schedule.
    std::ofstream(dir / "evening") << "a: 200+10/50\noff: -\nNOW a\n+0:05 off\n";
    std::ofstream(dir / "s.gnaural") << "<schedule><voice/></schedule>\n";
    std::ofstream(dir / "voices") << "<schedule><voice><entry duration=\"90\" beatfreq=\"4\" "
                                     "basefreq=\"200\"/></voice></schedule>\n";
    for (const char* option : {" --import ", " --import-sbg ", " --import="}) {
        const fs::path out = dir / "out.vsession";
        fs::remove(out);
        const auto r =
            RunCommand(Renderer() + option + (dir / "evening").string() + " -o " + out.string());
        ASSERT_EQ(r.Exit, 0) << option << r.Output;
        EXPECT_EQ(LoadSessionFile(out.string()).LengthMs(), 5 * 60000 + 30000) << option;
    }
    auto r = RunCommand(Renderer() + " --import " + (dir / "s.gnaural").string() + " -o " +
                        (dir / "g.vsession").string());
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Output.find("s.gnaural, line 1: <schedule> has no binaural or isochronic voice "
                            "to follow"),
              std::string::npos)
        << r.Output;
    EXPECT_FALSE(fs::exists(dir / "g.vsession"));
    r = RunCommand(Renderer() + " --import " + (dir / "voices").string() + " -o " +
                   (dir / "g.vsession").string());
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_EQ(LoadSessionFile((dir / "g.vsession").string()).LengthMs(), 90000);
    r = RunCommand(Renderer() + " --import " + (dir / "evening").string() + " --import-sbg " +
                   (dir / "evening").string() + " -o " + (dir / "g.vsession").string());
    EXPECT_EQ(r.Exit, 2);
}

} // namespace
