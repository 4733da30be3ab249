// SPDX-License-Identifier: GPL-3.0-or-later
// One phase through a whole session, offline: renders a session (with a ramp) twice through
// velmora-render's path, once as the sweep of a constant sound and once as the isochronic tone
// over silence, and compares both with the phase the session's frequency makes due: the
// sweep's steps and the tone's pulses against the integral of the frequency, and how far each
// pulse lies from the sweep's step that starts its period, at the session's start and end.
//
// Usage: bench_phase SESSION-FILE   (e.g. data/sessions/morning.vsession, a Release build)
// A session that turns Oscilator 1 off or sets a binaural tone hides what this reads.

#include "common/SweepAndPulse.h"
#include "library/LibraryFormat.h"
#include "render/SessionRender.h"
#include "session/SessionFile.h"
#include "session/SessionFollower.h"
#include "sound/WaveFileHeader.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {
using namespace sweeppulse;

std::string WriteLibrary(const std::filesystem::path& dir, const char* name, int16_t level) {
    const std::filesystem::path path = dir / name;
    const std::vector<uint8_t> bytes = BuildLibraryModule(
        {}, {{"Constant", wavefile::Pcm16(22050, 1, std::vector<int16_t>(22050, level))}});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

Stereo Render(const TSession& session, const std::string& library, TToneMode tone,
              const std::filesystem::path& out) {
    TRenderJob job;
    job.LibraryPath = library;
    job.Session = session;
    job.AM = 5;
    job.Tone = tone;
    job.Format = TWavFormat::Float32;
    job.OutputPath = out.string();
    RenderToWav(job);
    return ReadStereo(job.OutputPath);
}

// Frames from a pulse to the nearest sweep step.
long Apart(const std::vector<size_t>& steps, size_t pulse) {
    return static_cast<long>(NearestStep(steps, pulse)) - static_cast<long>(pulse);
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SESSION-FILE\n", argv[0]);
        return 2;
    }
    const TSession session = LoadSessionFile(argv[1]);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("velmora-bench-phase-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto start = std::chrono::steady_clock::now();
    // A session that sets its own tone keeps it in the sweep's render: an isochronic tone, the same
    // in both ears, cancels out of the balance.
    const Stereo sweep =
        Render(session, WriteLibrary(dir, "constant.zdl", 8000), TToneMode::Off, dir / "sweep.wav");
    const Stereo tone = Render(session, WriteLibrary(dir, "silent.zdl", 0), TToneMode::Isochronic,
                               dir / "tone.wav");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(dir);

    // The periods the session makes due: followed every 25 ms, each tick's frequency holding.
    double periods = 0;
    for (int64_t ms = 0; ms < session.LengthMs(); ms += kSessionTickMs)
        periods += session.FrequencyMilliAt(ms) / 1000.0 * kSessionTickMs / 1000.0;
    const std::vector<size_t> steps = BalanceSteps(sweep), pulses = PulseOnsets(tone);
    if (steps.empty() || pulses.empty()) {
        std::printf("no sweep or no pulse found\n");
        return 1;
    }
    long worst = 0;
    for (size_t p : pulses)
        worst = std::max(worst, std::labs(Apart(steps, p)));
    std::printf("%s, %s: %.3f periods due; sweep steps seen %zu of %.0f due (every step but the "
                "repeats of the sine), pulses %zu of %.3f due\n",
                argv[1], FormatSessionTime(session.LengthMs()).c_str(), periods, steps.size(),
                VisibleSteps(periods), pulses.size(), periods);
    std::printf("pulse to its sweep step: first %ld frames, last %ld frames, worst %ld frames "
                "(%.3f ms) over %zu pulses; two renders in %.1f s\n",
                Apart(steps, pulses.front()), Apart(steps, pulses.back()), worst,
                1000.0 * static_cast<double>(worst) / kRate, pulses.size(), seconds);
    return 0;
}
