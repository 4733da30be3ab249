// Loading the default library as start-up and "Apply" do: open main.zdl, read both lists,
// load one sound into a sound buffer and one picture into the holder and a display bitmap.

#include "framework/Picture.h"
#include "library/LibraryFormat.h"
#include "library/LibraryLoader.h"
#include "picture/DIB.h"
#include "platform/ResourceModule.h"
#include "platform/SoundDevice.h"
#include "sound/DXSounds.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

// main.zdl is built beside the program, one directory above the benchmarks.
std::string DefaultLibraryPath() {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "main.zdl").string();
}

void BM_LoadDefaultLibrary(benchmark::State& state) {
    SetSoundOutputChoice(SoundOutputChoice::Offline);
    TDirectSound device(nullptr);
    TDirectSoundBuffer buffer(device);
    TNameList pictures, sounds;
    TPicture source;
    TDIB display;
    int32_t modulus = 0;
    TLibraryTargets targets{pictures, sounds, source, display, &buffer, modulus};
    const std::string path = DefaultLibraryPath();
    for (auto _ : state) {
        pictures.SetItemIndex(static_cast<int>(state.iterations() % 6));
        sounds.SetItemIndex(static_cast<int>(state.iterations() % 5));
        LoadStimulusLibrary(path, targets);
        benchmark::DoNotOptimize(display.Width());
    }
    state.counters["library_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    SetSoundOutputChoice(SoundOutputChoice::Device);
}
BENCHMARK(BM_LoadDefaultLibrary)->Unit(benchmark::kMillisecond);

void BM_OpenAndReadLists(benchmark::State& state) {
    const std::string path = DefaultLibraryPath();
    for (auto _ : state) {
        const TModuleHandle module = LoadResourceModule(path);
        benchmark::DoNotOptimize(FindResourceData(module, kPictureList, kListType));
        benchmark::DoNotOptimize(FindResourceData(module, kSoundList, kListType));
        FreeResourceModule(module);
    }
}
BENCHMARK(BM_OpenAndReadLists)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
