// SPDX-License-Identifier: GPL-3.0-or-later
// The flash check, as the window reruns it on every change of picture, frequency, depth,
// window size or screen: the first default picture in the default window area, and a
// 1920 x 1080 picture whose every part flashes, so both area sums run; and the grading of a
// whole session, as the window does when one is loaded and the renderer's report does. The
// light as a 60 Hz display shows 35 Hz against the light as due (every step a frame of its
// own), and the telling of the shown light alone, give what grading the shown light costs.
#include "common/LibraryTargets.h"
#include "library/LibraryLoader.h"
#include "picture/DIB.h"
#include "platform/ResourceModule.h"
#include "safety/FlashCheck.h"
#include "safety/SessionFlash.h"
#include "session/SessionFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

// main.zdl is built beside the program, one directory above the benchmarks.
std::string DefaultLibraryPath() {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "main.zdl").string();
}

TFlashSettings Settings(int shownWidth, int shownHeight) {
    TFlashSettings s;
    s.TransformLevel = 7;
    s.StepsPerSecond = PictureStepsPerSecond(7.0L);
    s.ShownWidth = shownWidth;
    s.ShownHeight = shownHeight;
    return s;
}

void BM_FlashCheckDefaultPicture(benchmark::State& state) {
    TOfflineLibraryTargets loaded;
    LoadStimulusLibrary(DefaultLibraryPath(), loaded.Targets);
    const TFlashPicture picture = FlashPictureOf(loaded.Display);
    const TFlashSettings settings = Settings(kFirstShownWidth, kFirstShownHeight);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFlashing(picture, settings).Over);
    state.counters["pixels"] = picture.Width * picture.Height;
}
BENCHMARK(BM_FlashCheckDefaultPicture)->Unit(benchmark::kMillisecond);

// White and black diagonal stripes over the whole of a 1920 x 1080 picture.
void DrawFullHdPicture(TDIB& dib) {
    for (size_t i = 0; i < 256; ++i) {
        const uint8_t v = i % 2 ? 0 : 255;
        dib.ColorTable[i] = TRGBQuad{v, v, v, 0};
    }
    dib.Allocate(1920, 1080, 8);
    for (int y = 0; y < 1080; ++y) {
        uint8_t* row = dib.ScanLine(y);
        for (int x = 0; x < 1920; ++x)
            row[x] = static_cast<uint8_t>((x + y) / 8);
    }
}

// At 35 Hz: range(0) 0 grades the light as due, every step shown; 1 as a 60 Hz display shows it.
TFlashSettings At35Hz(const benchmark::State& state, int shownWidth, int shownHeight) {
    TFlashSettings s = Settings(shownWidth, shownHeight);
    s.StepsPerSecond = PictureStepsPerSecond(35.0L);
    s.RefreshHz = state.range(0) == 0 ? s.StepsPerSecond : 60;
    return s;
}

void BM_FlashCheckDefaultPictureAt35Hz(benchmark::State& state) {
    TOfflineLibraryTargets loaded;
    LoadStimulusLibrary(DefaultLibraryPath(), loaded.Targets);
    const TFlashPicture picture = FlashPictureOf(loaded.Display);
    const TFlashSettings settings = At35Hz(state, kFirstShownWidth, kFirstShownHeight);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFlashing(picture, settings).Over);
    state.SetLabel(state.range(0) == 0 ? "as due" : "as shown at 60 Hz");
}
BENCHMARK(BM_FlashCheckDefaultPictureAt35Hz)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What the check adds to tell the shown light: its fold, its frames and the nearest even one.
void BM_ShownLight(benchmark::State& state) {
    const double steps = PictureStepsPerSecond(state.range(0) / 10.0L);
    for (auto _ : state)
        benchmark::DoNotOptimize(ShownLightOf(steps, 60).ShownHz);
}
BENCHMARK(BM_ShownLight)->Arg(1)->Arg(73)->Arg(350)->Unit(benchmark::kMicrosecond);

void BM_FlashCheckFullHd(benchmark::State& state) {
    TDIB dib;
    DrawFullHdPicture(dib);
    const TFlashPicture picture = FlashPictureOf(dib);
    const TFlashSettings settings = Settings(1920, 1080);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFlashing(picture, settings).Over);
}
BENCHMARK(BM_FlashCheckFullHd)->Unit(benchmark::kMillisecond);

void BM_FlashCheckFullHdAt35Hz(benchmark::State& state) {
    TDIB dib;
    DrawFullHdPicture(dib);
    const TFlashPicture picture = FlashPictureOf(dib);
    const TFlashSettings settings = At35Hz(state, 1920, 1080);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFlashing(picture, settings).Over);
    state.SetLabel(state.range(0) == 0 ? "as due" : "as shown at 60 Hz");
}
BENCHMARK(BM_FlashCheckFullHdAt35Hz)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The shipped "energise" session (15 minutes gliding from 10 Hz up to 25 Hz and back to 18 Hz)
// on Tunnel, graded afresh each time.
void BM_FlashSessionEnergise(benchmark::State& state) {
    const TModuleHandle module = LoadResourceModule(DefaultLibraryPath());
    TDIB dib;
    int32_t modulus = 0;
    LoadLibraryPicture(module, "Tunnel", dib, modulus);
    FreeResourceModule(module);
    const TSession session = ParseSession("0:00 10.0 depth=8\n2:00 14.0\n6:00 20.0\n9:00 25.0\n"
                                          "13:00 25.0\n15:00 18.0\n",
                                          "energise");
    const TFlashSettings display = Settings(kFirstShownWidth, kFirstShownHeight);
    for (auto _ : state) {
        TSessionFlashGrader grader(FlashPictureOf(dib), modulus, display);
        benchmark::DoNotOptimize(grader.Grade(session, 1).size());
    }
}
BENCHMARK(BM_FlashSessionEnergise)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
