// velmora-render's path: a 20-minute session through the offline output into a WAV file on
// disk, the way the tool runs it. The counter "x_realtime" is audio seconds per second of
// wall time; "peak_rss_MB" is the process's peak after the run, which stays flat from the
// 2-minute session to the 20-minute one when memory does not grow with the length.

#include "render/SessionRender.h"
#include "session/SessionFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sys/resource.h>

namespace {

// main.zdl is built beside the program, one directory above the benchmarks.
std::string DefaultLibrary() {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "main.zdl").string();
}

double PeakRssMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A wind-down from 14 Hz to 6 Hz with knob changes, scaled to the given minutes.
TSession WindDown(int minutes) {
    const auto at = [minutes](int tenths) {
        const int seconds = minutes * 60 * tenths / 10;
        return std::to_string(seconds / 60) + ":" + (seconds % 60 < 10 ? "0" : "") +
               std::to_string(seconds % 60);
    };
    const std::string text = at(0) + " 14.0 am=3 fm=2 volume=7\n" + at(1) + " 14.0\n" + at(6) +
                             " 7.5 half=on\n" + at(8) + " 7.5 fm=4\n" + at(10) + " 6.0\n";
    return ParseSession(text, "bench");
}

void RenderJob(benchmark::State& state, TRenderJob job, int minutes) {
    job.LibraryPath = DefaultLibrary();
    job.OutputPath = (std::filesystem::temp_directory_path() / "velmora-bench-render.wav").string();
    for (auto _ : state)
        RenderToWav(job);
    std::filesystem::remove(job.OutputPath);
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(minutes) * 60.0 *
                                                          static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
    state.counters["peak_rss_MB"] = PeakRssMB();
}

void Render(benchmark::State& state, int minutes, TWavFormat format) {
    TRenderJob job;
    job.SoundName = "Surf";
    job.Session = WindDown(minutes);
    job.Format = format;
    RenderJob(state, std::move(job), minutes);
}

// A 25 Hz session steps the modulation every 2 ms, the most often the program does.
void RenderFast(benchmark::State& state, int minutes) {
    TRenderJob job;
    job.SoundName = "Surf";
    job.Session = ParseSession(
        "0:00 25.0 am=5 fm=10 volume=10\n" + std::to_string(minutes) + ":00 25.0\n", "bench");
    RenderJob(state, std::move(job), minutes);
}

} // namespace

// Shortest first, so the peak of the longer runs shows any growth with the length.
BENCHMARK_CAPTURE(Render, WindDown2min_s16, 2, TWavFormat::Pcm16)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(Render, WindDown20min_s16, 20, TWavFormat::Pcm16)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(Render, WindDown20min_f32, 20, TWavFormat::Float32)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(RenderFast, At25Hz20min_s16, 20)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
