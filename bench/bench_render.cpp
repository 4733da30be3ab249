// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-render's path: a 20-minute session through the offline output into a WAV file on
// disk, the way the tool runs it. "x_realtime_cpu" is audio seconds per second of the
// process's processor time (one core), "x_realtime_wall" per second of wall time, which a busy
// machine stretches; "peak_rss_MB" is the process's peak after the run, which stays flat from the
// 2-minute session to the 20-minute one when memory does not grow with the length. The
// formats' runs write the same session, with its description, as WAV, FLAC, Ogg Vorbis, Opus
// (resampled to 48 kHz) and MP3 through libsndfile.

#include "render/RenderMetadata.h"
#include "render/SessionRender.h"
#include "session/SessionFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <sys/resource.h>

namespace {

// main.zdl is built beside the program, one directory above the benchmarks.
std::string DefaultLibrary() {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "main.zdl").string();
}

// The process's time on the processor: the renderer is single-threaded, so this is the time
// of one core, whatever else the machine runs.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
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
    const double cpuStart = CpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    try {
        for (auto _ : state)
            RenderToWav(job);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
    const double cpu = CpuSeconds() - cpuStart;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::filesystem::remove(job.OutputPath);
    const double audio = minutes * 60.0 * static_cast<double>(state.iterations());
    state.counters["x_realtime_cpu"] = audio / cpu;
    state.counters["x_realtime_wall"] = audio / wall;
    state.counters["peak_rss_MB"] = PeakRssMB();
}

void Render(benchmark::State& state, int minutes, TWavFormat format) {
    TRenderJob job;
    job.SoundName = "Surf";
    job.Session = WindDown(minutes);
    job.Format = format;
    RenderJob(state, std::move(job), minutes);
}

void RenderFormat(benchmark::State& state, TSoundFormat format) {
    constexpr int kMinutes = 20;
    TRenderJob job;
    job.SoundName = "Surf";
    job.Session = WindDown(kMinutes);
    job.Format = format;
    TRenderDescription description;
    description.Version = "bench";
    description.Library = "main.zdl";
    description.Sound = job.SoundName;
    description.SessionText = "0:00 14.0 am=3 fm=2 volume=7\n20:00 6.0\n";
    job.Metadata = DescriptionText(description);
    RenderJob(state, std::move(job), kMinutes);
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
BENCHMARK_CAPTURE(RenderFormat, Format20min_wav, TSoundFormat::Pcm16)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(RenderFormat, Format20min_flac, TSoundFormat::Flac)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(RenderFormat, Format20min_ogg, TSoundFormat::Vorbis)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(RenderFormat, Format20min_opus, TSoundFormat::Opus)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(RenderFormat, Format20min_mp3, TSoundFormat::Mp3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
