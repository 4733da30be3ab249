// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing a session's picture: the whole picture at the renderer's size (what --plot and the
// Session window's first paint cost), and the cursor alone over it (what each step of the
// window's follow costs), for a shipped session and one of 10,000 points.

#include "GuiBenchMain.h"
#include "run/SessionPlot.h"
#include "session/SessionFile.h"

#include <QPainter>
#include <filesystem>

namespace {

TSession Shipped() {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return LoadSessionFile(
        (exe.parent_path().parent_path() / "sessions" / "sleep-descent.vsession").string());
}

TSession ManyPoints() {
    std::vector<TSessionPoint> points(kSessionMaxPoints);
    for (size_t i = 0; i < points.size(); ++i) {
        points[i].TimeMs = static_cast<int64_t>(i) * 1000;
        points[i].FrequencyMilli = 1000 + static_cast<int32_t>(i * 7919 % 30000);
        if (i % 10 == 0) points[i].Knobs[0] = 3;
    }
    return TSession(std::move(points));
}

void BM_PlotWhole(benchmark::State& state) {
    const TSession session = state.range(0) == 0 ? Shipped() : ManyPoints();
    const TSessionPlot plot(session);
    for (auto _ : state) {
        QImage image = plot.Render(QSize(960, 400));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PlotWhole)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PlotCursor(benchmark::State& state) {
    const TSession session = Shipped();
    const TSessionPlot plot(session);
    const QImage background = plot.Render(QSize(640, 320));
    QImage frame(background.size(), background.format());
    int64_t ms = 0;
    for (auto _ : state) {
        QPainter painter(&frame);
        painter.drawImage(0, 0, background);
        plot.DrawCursor(painter, frame.rect(), ms);
        ms = (ms + 1000) % session.LengthMs();
    }
}
BENCHMARK(BM_PlotCursor)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
