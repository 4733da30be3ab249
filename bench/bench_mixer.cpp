// SPDX-License-Identifier: GPL-3.0-or-later
// Mixing speed of one looping sound whose rate, pan and volume change every 2 ms of audio,
// pulled in 512-frame blocks as a real output pulls them, without and with the tone; whether every
// step of such a sweep is heard at its frame; and the time from SetPan until an output block
// carries the new pan.

#include "audio/SoundDevice.h"
#include "audio/SoundEnvironment.h"
#include "common/LoopingSound.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kSoundRate = 22050;
constexpr uint32_t kFramesPer2Ms = 88; // 2 ms at 44100

// One second of a stereo sine at 22050 samples per second, playing in a loop.
std::shared_ptr<IDirectSoundBuffer> LoopingSound(IDirectSound& device) {
    std::vector<int16_t> samples(2 * kSoundRate);
    for (uint32_t i = 0; i < kSoundRate; ++i) {
        samples[2 * i] = static_cast<int16_t>(10000 * std::sin(2 * M_PI * 220 * i / kSoundRate));
        samples[2 * i + 1] =
            static_cast<int16_t>(10000 * std::sin(2 * M_PI * 330 * i / kSoundRate));
    }
    return PlayLooping(device, kSoundRate, samples);
}

std::shared_ptr<IDirectSound> OpenDevice(SoundOutputChoice choice) {
    SetSoundOutputChoice(choice);
    std::shared_ptr<IDirectSound> device;
    DirectSoundCreate(nullptr, &device, nullptr);
    SetSoundOutputChoice(SoundOutputChoice::Device);
    return device;
}

constexpr int32_t kPans[10] = {0, 294, 476, 476, 294, 0, -294, -476, -476, -294};
constexpr int32_t kOffsets[10] = {0, 1176, 1902, 1902, 1176, 0, -1176, -1902, -1902, -1176};
constexpr int32_t kVolumes[10] = {0, -100, -300, -500, -900, -1000, -900, -500, -300, -100};

// Renders frames of the looping sound in pulls of the given size while the modulation steps
// every 2 ms of audio: each pull's steps are made before it, at their own frames, as the
// real-time output places steps made on the control side.
void RenderSweep(IDirectSound& device, IDirectSoundBuffer& buffer, uint32_t frames, uint32_t pull,
                 float* out, bool volume) {
    uint32_t step = 0;
    for (uint32_t at = 0; at < frames; at += pull) {
        for (; step * kFramesPer2Ms < at + pull; ++step) {
            const uint32_t k = step % 10;
            device.SetOfflineTime(step * kFramesPer2Ms);
            buffer.SetPan(kPans[k]);
            buffer.SetFrequency(static_cast<uint32_t>(int32_t(kSoundRate) + kOffsets[k]));
            if (volume) buffer.SetVolume(kVolumes[k]);
        }
        device.RenderOffline(out + 2 * static_cast<size_t>(at), std::min(pull, frames - at));
    }
}

// The arguments: the tone under the sound (0 none, 1 binaural beat, 2 isochronic pulse) and the
// frames pulled at a time (the SDL device's 256, the null output's 512).
void BM_MixWithChangesEvery2Ms(benchmark::State& state) {
    constexpr uint32_t kFrames = 44100; // one second of audio per iteration
    std::vector<float> out(2 * kFrames);
    for (auto _ : state) {
        state.PauseTiming();
        auto device = OpenDevice(SoundOutputChoice::Offline);
        auto buffer = LoopingSound(*device);
        device->SetToneMode(static_cast<uint32_t>(state.range(0)));
        device->SetToneCarrier(200000);
        device->SetToneBeat(10000);
        device->SetToneVolume(-600);
        device->PlayTone();
        state.ResumeTiming();
        RenderSweep(*device, *buffer, kFrames, static_cast<uint32_t>(state.range(1)), out.data(),
                    true);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
// Against the wall clock, which counts time lost to other work on the machine.
BENCHMARK(BM_MixWithChangesEvery2Ms)
    ->ArgNames({"tone", "pull"})
    ->ArgsProduct({{0, 1, 2}, {256, 512}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The tone alone (1 binaural beat, 2 isochronic pulse at 10 Hz; 0 none, the empty mixer's own
// cost), without any sound, pulled as the outputs pull: what the tone adds to the mixing above.
void BM_ToneAlone(benchmark::State& state) {
    constexpr uint32_t kFrames = 44100;
    const auto pull = static_cast<uint32_t>(state.range(1));
    std::vector<float> out(2 * kFrames);
    auto device = OpenDevice(SoundOutputChoice::Offline);
    device->SetToneMode(static_cast<uint32_t>(state.range(0)));
    device->SetToneBeat(10000);
    device->SetToneVolume(-600);
    device->PlayTone();
    for (auto _ : state) {
        for (uint32_t at = 0; at < kFrames; at += pull)
            device->RenderOffline(out.data() + 2 * static_cast<size_t>(at),
                                  std::min(pull, kFrames - at));
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ToneAlone)
    ->ArgNames({"tone", "pull"})
    ->ArgsProduct({{0, 1, 2}, {256, 512}})
    ->Unit(benchmark::kMillisecond);

// The balance of a frame in hundredths of a decibel, as a pan sets it.
double Balance(const std::vector<float>& out, size_t frame) {
    return 2000.0 * std::log10(std::abs(double(out[2 * frame + 1])) /
                               std::max(1e-12, std::abs(double(out[2 * frame]))));
}

// A sweep of a constant level rendered in pulls of the given size: the steps heard at the
// end of their 2 ms, and the swing of the balance at the sweep's own rate in dB.
struct Sweep {
    int heard = 0;
    double swingDb = 0;
};

Sweep MeasureSweep(uint32_t pull, uint32_t steps) {
    auto device = OpenDevice(SoundOutputChoice::Offline);
    auto buffer = PlayLooping(*device, kSoundRate, std::vector<int16_t>(2 * 1000, 16384));
    const uint32_t frames = steps * kFramesPer2Ms;
    std::vector<float> out(2 * static_cast<size_t>(frames));
    RenderSweep(*device, *buffer, frames, pull, out.data(), false);

    Sweep sweep;
    for (uint32_t i = 0; i < steps; ++i) {
        const size_t end = size_t(i + 1) * kFramesPer2Ms - 1; // the glide is over by then
        sweep.heard += std::abs(Balance(out, end) - kPans[i % 10]) <= 1.0;
    }
    // The balance's component at the sweep rate: one cycle every ten steps.
    double re = 0, im = 0;
    for (size_t f = 0; f < frames; ++f) {
        const double phase = 2 * M_PI * double(f) / (10.0 * kFramesPer2Ms);
        re += Balance(out, f) * std::cos(phase);
        im += Balance(out, f) * std::sin(phase);
    }
    sweep.swingDb = 2.0 * std::hypot(re, im) / double(frames) / 100.0;
    return sweep;
}

void BM_SweepHeardIn512FramePulls(benchmark::State& state) {
    constexpr uint32_t kSteps = 1000;
    Sweep large, small;
    for (auto _ : state) {
        large = MeasureSweep(512, kSteps);
        small = MeasureSweep(64, kSteps);
    }
    state.counters["steps"] = kSteps;
    state.counters["steps_heard_512"] = large.heard;
    state.counters["swing_db_512"] = large.swingDb;
    state.counters["swing_db_64"] = small.swingDb;
    state.counters["swing_diff_db"] = std::abs(large.swingDb - small.swingDb);
}
BENCHMARK(BM_SweepHeardIn512FramePulls)->Iterations(1)->Unit(benchmark::kMillisecond);

// Wall time from SetPan until the output has mixed a block with the new pan; the first
// sample of that block is the first one that carries it.
void PanDelay(benchmark::State& state, SoundOutputChoice choice, const char* wanted) {
    auto device = OpenDevice(choice);
    if (!device || std::strcmp(device->OutputName(), wanted) != 0) {
        state.SkipWithError(device ? "no such output here" : "no device");
        return;
    }
    auto buffer = LoopingSound(*device);
    // A sound server may take a while to pull more than the first block of a new stream (a
    // private null sink took 0.9 to 1.9 s, with SDL alone as well); the delay of a running
    // output is what is measured.
    for (int i = 0; i < 5000 && device->BlocksFinished() < 4; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int32_t pan = 1000;
    double worst = 0;
    uint64_t worstBlocks = 0;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> phase(0, 12000);
    for (auto _ : state) {
        // Calls come at any moment of a block, not just after one has been mixed.
        std::this_thread::sleep_for(std::chrono::microseconds(phase(random)));
        pan = -pan;
        const auto start = std::chrono::steady_clock::now();
        const uint64_t begun = device->BlocksBegun();
        buffer->SetPan(pan);
        int32_t mixed = 0;
        for (;;) {
            buffer->GetMixedPan(&mixed);
            if (mixed == pan) break;
            // Poll gently: a spinning poller would take the core the output needs.
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        worst = std::max(worst, seconds);
        // Blocks begun after the call up to the one that carried the new pan.
        worstBlocks = std::max(worstBlocks, device->BlocksFinished() - begun);
        state.SetIterationTime(seconds);
    }
    state.counters["block_frames"] = device->OutputBlockFrames();
    state.counters["block_ms"] = 1000.0 * device->OutputBlockFrames() / device->OutputRate();
    state.counters["worst_ms"] = worst * 1000.0;
    state.counters["worst_blocks"] = double(worstBlocks);
}

void BM_SetPanDelayNullOutput(benchmark::State& state) {
    PanDelay(state, SoundOutputChoice::Null, "null");
}
BENCHMARK(BM_SetPanDelayNullOutput)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

void BM_SetPanDelaySdlDevice(benchmark::State& state) {
    PanDelay(state, SoundOutputChoice::Device, "sdl");
}
BENCHMARK(BM_SetPanDelaySdlDevice)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
