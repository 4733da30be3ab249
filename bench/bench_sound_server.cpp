// SPDX-License-Identifier: GPL-3.0-or-later
// Time from SetPan on the control side to the first sample recorded from the sound server
// that carries the new pan, through the SDL output the program uses, and the underruns the
// server suffered meanwhile.
//
// The latency needs a PulseAudio server (PULSE_SERVER names it, SDL_AUDIODRIVER=pulseaudio
// chooses SDL's driver for it) and parec; the default sink's monitor is recorded. The underruns
// of a long run (BM_UnderrunsAt25HzWithTheTone) and the sound of timed steps against the moments
// the light shows them (BM_StepsHeardAgainstTheirMoments) are measured through a private server.
// A sample counts as "recorded" when parec has handed it over, so the figures include the
// recording's own delay.

#include "audio/FrameClock.h"
#include "audio/SoundDevice.h"
#include "audio/SoundEnvironment.h"
#include "audio/SoundOutput.h"
#include "common/BalanceSweep.h"
#include "common/LoopingSound.h"
#include "pipewire/PrivatePipeWire.h"
#include "soundserver/PrivatePulseAudio.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Reads parec's output as it arrives and notes when the balance first leaves the old pan.
class Recorder {
public:
    bool Start() {
        int fds[2];
        if (pipe(fds) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const char* argv[] = {
            "parec",        "-d",           "@DEFAULT_MONITOR@", "--raw", "--format=float32le",
            "--rate=44100", "--channels=2", "--latency-msec=2",  nullptr};
        // parec's own latency, not the one the program asks for its sound (SoundEnvironment.h).
        std::vector<char*> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "PULSE_LATENCY_MSEC=", 19) != 0) env.push_back(*e);
        env.push_back(nullptr);
        const int failed = posix_spawnp(&pid_, "parec", &actions, nullptr,
                                        const_cast<char* const*>(argv), env.data());
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (failed) {
            close(fds[0]);
            return false;
        }
        fd_ = fds[0];
        thread_ = std::thread([this] { Read(); });
        return true;
    }
    ~Recorder() {
        if (fd_ < 0) return;
        stop_ = true;
        kill(pid_, SIGINT);
        thread_.join();
        waitpid(pid_, nullptr, 0);
        close(fd_);
    }

    // Waits for the first recorded sample whose balance is off the old pan; answers when it
    // arrived, or none after a second.
    std::optional<Clock::time_point> AwaitChange(int32_t oldPan) {
        oldPan_ = oldPan;
        arrived_ = Clock::time_point{};
        waiting_ = true;
        for (int i = 0; i < 1000 && waiting_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (waiting_.exchange(false)) return std::nullopt;
        return arrived_;
    }
    // Waits until the recording carries the sound: parec may take a second or two to start.
    bool AwaitSound() {
        for (int i = 0; i < 5000 && !heard_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return heard_;
    }
    void CountSilence(bool on) { counting_ = on; }
    uint64_t SilentFrames() const { return silentFrames_; }
    uint64_t Gaps() const { return gaps_; }
    // Keeps what arrives from now on, until told to stop; Kept answers it with the number of
    // the first frame kept.
    void Keep(bool on) {
        std::lock_guard lock(mutex_);
        if (on) kept_.clear();
        keeping_ = on;
    }
    std::vector<float> Kept(uint64_t& firstFrame) {
        std::lock_guard lock(mutex_);
        firstFrame = keptFrom_;
        return kept_;
    }
    // When frame 0 was recorded, on the steady clock in nanoseconds: from the read that came
    // soonest after the sink had played its first frame, as parec hands over what the sink
    // plays in pieces.
    double FrameZeroNs() {
        std::lock_guard lock(mutex_);
        return frameZeroNs_;
    }

private:
    void Read() {
        std::vector<float> chunk(2 * 4096);
        const int fd = fd_;
        size_t carry = 0; // bytes of a partial frame kept from the last read
        auto* bytes = reinterpret_cast<char*>(chunk.data());
        while (!stop_) {
            const ssize_t n = read(fd, bytes + carry, chunk.size() * sizeof(float) - carry);
            if (n <= 0) break;
            const auto now = Clock::now();
            const size_t total = carry + size_t(n);
            const size_t frames = total / 8;
            {
                std::lock_guard lock(mutex_);
                const double zero = double(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                               now.time_since_epoch())
                                               .count()) -
                                    double(recorded_) * 1e9 / 44100;
                frameZeroNs_ = std::min(frameZeroNs_, zero);
                if (keeping_) {
                    if (kept_.empty()) keptFrom_ = recorded_;
                    kept_.insert(kept_.end(), chunk.begin(), chunk.begin() + long(2 * frames));
                }
                recorded_ += frames;
            }
            for (size_t f = 0; f < frames; ++f) {
                const float l = chunk[2 * f], r = chunk[2 * f + 1];
                if (counting_) {
                    const bool silent = l == 0.0f && r == 0.0f;
                    silentFrames_ += silent;
                    gaps_ += silent && !wasSilent_;
                    wasSilent_ = silent;
                }
                if (l > 0.01f && r > 0.01f) heard_ = true;
                if (!waiting_ || l <= 0.01f || r <= 0.01f) continue;
                const double balance = 2000.0 * std::log10(double(r) / double(l));
                if (std::abs(balance - oldPan_) > 5.0) {
                    arrived_ = now;
                    waiting_ = false;
                }
            }
            carry = total - frames * 8;
            std::memmove(bytes, bytes + frames * 8, carry);
        }
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false}, waiting_{false}, counting_{false}, heard_{false};
    std::atomic<int32_t> oldPan_{0};
    Clock::time_point arrived_;
    std::atomic<uint64_t> silentFrames_{0}, gaps_{0};
    bool wasSilent_ = false;
    std::mutex mutex_;
    bool keeping_ = false;
    std::vector<float> kept_;
    uint64_t keptFrom_ = 0, recorded_ = 0;
    double frameZeroNs_ = 1e30;
};

// Starts the private server that VELMORA_UNDERRUN_SERVER names (see below) and chooses SDL's
// driver for it; answers why not, or nothing.
std::string StartServer(PrivatePulseAudio& pulse, PrivatePipeWire& pipewire) {
    const char* kind = std::getenv("VELMORA_UNDERRUN_SERVER");
    if (kind && std::strcmp(kind, "pulseaudio") == 0) return pulse.Start() ? "" : pulse.Error();
    if (!kind || std::strncmp(kind, "pipewire", 8) != 0)
        return "VELMORA_UNDERRUN_SERVER is none of pulseaudio, pipewire and pipewire-native";
    if (!pipewire.Start()) return pipewire.Error();
    if (std::strcmp(kind, "pipewire-native") == 0)
        setenv("SDL_AUDIODRIVER", "pipewire", 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    return "";
}

// Starts the server VELMORA_UNDERRUN_SERVER names and opens the program's own output through it.
std::string OpenThroughServer(PrivatePulseAudio& pulse, PrivatePipeWire& pipewire,
                              std::shared_ptr<IDirectSound>& device) {
    if (std::string error = StartServer(pulse, pipewire); !error.empty()) return error;
    SetSoundOutputChoice(SoundOutputChoice::Device);
    if (DirectSoundCreate(nullptr, &device, nullptr) != DS_OK ||
        std::strcmp(device->OutputName(), "sdl") != 0)
        return "no SDL output through the private server";
    return "";
}

void BM_SetPanToRecordedSample(benchmark::State& state) {
    SetSoundOutputChoice(SoundOutputChoice::Device);
    std::shared_ptr<IDirectSound> device;
    if (DirectSoundCreate(nullptr, &device, nullptr) != DS_OK ||
        std::strcmp(device->OutputName(), "sdl") != 0) {
        state.SkipWithError("no SDL output: is a PulseAudio server running?");
        return;
    }
    auto buffer = PlayLooping(*device, 44100, std::vector<int16_t>(2 * 4410, 16384));
    Recorder recorder;
    if (!buffer || !recorder.Start()) {
        state.SkipWithError("cannot play or record");
        return;
    }
    if (!recorder.AwaitSound()) {
        state.SkipWithError("the recording never carried the sound");
        return;
    }
    recorder.CountSilence(true);
    std::vector<double> ms;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(20000, 40000);
    int32_t pan = 0;
    int lost = 0;
    for (auto _ : state) {
        // Calls come at any moment of a block; the previous change has long been heard.
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        const int32_t old = pan;
        pan = pan == 0 ? 1000 : 0;
        const auto start = Clock::now();
        buffer->SetPan(pan);
        const auto arrived = recorder.AwaitChange(old);
        if (!arrived) {
            ++lost;
            state.SetIterationTime(1.0);
            continue;
        }
        const double seconds = std::chrono::duration<double>(*arrived - start).count();
        ms.push_back(seconds * 1000.0);
        state.SetIterationTime(seconds);
    }
    recorder.CountSilence(false);
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double m : ms)
        sum += m;
    state.counters["mean_ms"] = ms.empty() ? 0 : sum / double(ms.size());
    state.counters["p99_ms"] = ms.empty() ? 0 : ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    state.counters["worst_ms"] = ms.empty() ? 0 : ms.back();
    state.counters["not_heard"] = lost;
    state.counters["block_frames"] = device->OutputBlockFrames();
    state.counters["underruns"] = double(recorder.Gaps());
    state.counters["silent_frames"] = double(recorder.SilentFrames());
}
BENCHMARK(BM_SetPanToRecordedSample)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);

// Underruns over minutes of a 25 Hz run with the tone on: a looping sound whose pan and rate the
// sound timer steps every 2 ms, each step stamped with its due time as the program's timer does,
// under a binaural tone with a 25 Hz beat. It plays for VELMORA_UNDERRUN_SECONDS (600 unless
// set) through a private server that VELMORA_UNDERRUN_SERVER names: "pulseaudio" (SDL's
// pulseaudio driver), "pipewire" (PipeWire with its PulseAudio service, reached by the driver
// SDL chooses by itself, as the program is) or "pipewire-native" (SDL's pipewire driver).
// Counted twice: by the output, as the pulls that found it run dry, and in the recording of the
// sink, as the runs of silence that the server put in (the tone leaves no silent frame of its own).
void BM_UnderrunsAt25HzWithTheTone(benchmark::State& state) {
    const char* length = std::getenv("VELMORA_UNDERRUN_SECONDS");
    const int seconds = length ? std::atoi(length) : 600;
    PrivatePulseAudio pulse;
    PrivatePipeWire pipewire;
    std::shared_ptr<IDirectSound> device;
    if (const std::string error = OpenThroughServer(pulse, pipewire, device); !error.empty())
        return state.SkipWithError(error.c_str());
    std::fprintf(stderr, "SDL's %s driver\n", SDL_GetCurrentAudioDriver());
    std::vector<int16_t> samples(2 * 44100);
    for (size_t f = 0; f < samples.size() / 2; ++f) {
        const double t = double(f) / 44100;
        const auto v = int16_t(
            std::lround(6000 * (std::sin(2 * M_PI * 110 * t) + std::sin(2 * M_PI * 165 * t))));
        samples[2 * f] = samples[2 * f + 1] = v;
    }
    auto buffer = PlayLooping(*device, 44100, samples);
    device->SetToneMode(DSTONE_BINAURAL);
    device->SetToneCarrier(200000);
    device->SetToneBeat(25000);
    device->SetToneVolume(-1200);
    device->PlayTone();
    Recorder recorder;
    if (!buffer || !recorder.Start()) return state.SkipWithError("cannot play or record");
    if (!recorder.AwaitSound()) return state.SkipWithError("the recording never carried the sound");
    recorder.CountSilence(true);
    const uint64_t before = device->OutputUnderruns();
    for (auto _ : state) {
        // A cycle of 25 Hz is 20 steps of 2 ms.
        sweep::Every(std::chrono::microseconds(2000), seconds * 500, [&](int i, int64_t due) {
            const ScopedChangeStamp stamp(due);
            const double s = std::sin(2 * M_PI * (i % 20) / 20.0);
            buffer->SetPan(int32_t(std::lround(1000 * s)));
            buffer->SetFrequency(uint32_t(44100 + std::lround(441 * s)));
        });
    }
    recorder.CountSilence(false);
    state.counters["seconds"] = seconds;
    state.counters["output_underruns"] = double(device->OutputUnderruns() - before);
    state.counters["recorded_gaps"] = double(recorder.Gaps());
    state.counters["silent_ms"] = double(recorder.SilentFrames()) / 44.1;
    state.counters["block_frames"] = device->OutputBlockFrames();
    state.counters["delay_ms"] = double(device->OutputDelayNs()) * 1e-6;
}
BENCHMARK(BM_UnderrunsAt25HzWithTheTone)->Iterations(1)->Unit(benchmark::kSecond);

// Sound against light through a private server (VELMORA_UNDERRUN_SERVER, as above): pan steps
// 20 ms apart stamped and made as the program's sound timer makes them, the output's delay
// before the moment they belong to, at which the light would show its step. Each step's first
// frame in the recording of the sink is put on the steady clock (Recorder::FrameZeroNs) and set
// against its moment: the offsets' median is how far the sound lies from the light (plus the
// recording's own small delay), their spread how steady that is.
void BM_StepsHeardAgainstTheirMoments(benchmark::State& state) {
    PrivatePulseAudio pulse;
    PrivatePipeWire pipewire;
    std::shared_ptr<IDirectSound> device;
    if (const std::string error = OpenThroughServer(pulse, pipewire, device); !error.empty())
        return state.SkipWithError(error.c_str());
    auto buffer = PlayLooping(*device, 44100, std::vector<int16_t>(2 * 4410, 16384), -3000);
    Recorder recorder;
    if (!buffer || !recorder.Start()) return state.SkipWithError("cannot play or record");
    if (!recorder.AwaitSound()) return state.SkipWithError("the recording never carried the sound");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // the clock and queue known
    constexpr int kSteps = 300;
    const auto pan = [](int i) { return -2990 + 20 * i; };
    std::vector<double> offsets;
    for (auto _ : state) {
        const int64_t delay = device->OutputDelayNs();
        std::vector<int64_t> moments(kSteps);
        recorder.Keep(true);
        sweep::Every(std::chrono::microseconds(20000), kSteps, [&](int i, int64_t due) {
            moments[size_t(i)] = due + delay;
            const ScopedChangeStamp stamp(due);
            buffer->SetPan(pan(i));
        });
        std::this_thread::sleep_for(std::chrono::nanoseconds(delay) + std::chrono::seconds(1));
        recorder.Keep(false);
        uint64_t first = 0;
        const std::vector<float> rec = recorder.Kept(first);
        const double zero = recorder.FrameZeroNs();
        const std::vector<size_t> foundAt = sweep::FindLevels(rec, kSteps, pan);
        for (int i = 0; i < kSteps; ++i) {
            if (foundAt[size_t(i)] == 0) continue;
            const double heard = zero + double(first + foundAt[size_t(i)] - 5) * 1e9 / 44100;
            offsets.push_back((heard - double(moments[size_t(i)])) * 1e-6);
        }
        state.counters["delay_ms"] = double(delay) * 1e-6;
    }
    std::sort(offsets.begin(), offsets.end());
    const auto at = [&](double p) {
        return offsets.empty()
                   ? 0.0
                   : offsets[std::min(offsets.size() - 1, size_t(p * double(offsets.size())))];
    };
    state.counters["steps_found"] = double(offsets.size());
    state.counters["median_ms"] = at(0.5);
    state.counters["p5_ms"] = at(0.05);
    state.counters["p95_ms"] = at(0.95);
    state.counters["min_ms"] = offsets.empty() ? 0 : offsets.front();
    state.counters["max_ms"] = offsets.empty() ? 0 : offsets.back();
}
BENCHMARK(BM_StepsHeardAgainstTheirMoments)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
