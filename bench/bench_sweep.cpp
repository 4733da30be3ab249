// SPDX-License-Identifier: GPL-3.0-or-later
// The balance sweep of a run as a listener hears it: a private PulseAudio server with a null
// sink, the SDL output, a constant-level sound whose balance therefore is the pan, and the two
// threaded timers on the run's phase at the given main frequency: the sound timer's modulation
// steps (Oscilator 1 at 5, each change stamped with its firing's due time) and a picture timer
// whose handler keeps the GUI thread busy for a frame step and a paint. The sink's monitor is
// recorded; the sweep's frequency (upward crossings of the centre) is compared with the one
// due, and the spacing of the heard steps is given in output frames.
//
// Usage: bench_sweep [FREQUENCY-HZ [SECONDS [PAINT-US]]]   (defaults 25, 10, 1000)

#include "../tests/soundserver/PrivatePulseAudio.h"
#include "audio/FrameClock.h"
#include "audio/SoundDevice.h"
#include "common/BalanceSweep.h"
#include "common/LoopingSound.h"
#include "run/RunParameters.h"
#include "run/RunPhase.h"
#include "sound/ModulationStep.h"
#include "timing/ThdTimer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

namespace {

int64_t DueNanos(const TThreadedTimer& timer) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(timer.DueTime().time_since_epoch())
        .count();
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

} // namespace

int main(int argc, char** argv) {
    const double frequency = argc > 1 ? std::atof(argv[1]) : 25.0;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const int paintUs = argc > 3 ? std::max(0, std::atoi(argv[3])) : 1000;
    // The run's phase at the frequency: picture steps at each half period, sweep steps at each
    // twentieth, as the window runs them.
    const double pictureMs = 500.0 / frequency, soundMs = pictureMs / 10;
    const auto phase = std::make_shared<TRunPhase>();

    QCoreApplication app(argc, argv);
    PrivatePulseAudio server;
    if (!server.Start()) {
        std::fprintf(stderr, "no sound server: %s\n", server.Error().c_str());
        return 1;
    }
    std::shared_ptr<IDirectSound> device;
    if (DirectSoundCreate(nullptr, &device, nullptr) != DS_OK ||
        std::string(device->OutputName()) != "sdl") {
        std::fprintf(stderr, "SDL did not reach the server\n");
        return 1;
    }
    auto buffer = PlayLooping(*device, 44100, std::vector<int16_t>(2 * 4410, 8192), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    TThreadedTimer picture, sound;
    picture.SetEnabled(false);
    sound.SetEnabled(false);
    picture.SetDueTimes(std::make_shared<TPhaseSteps>(phase, kPictureStepsPerPeriod));
    sound.SetDueTimes(std::make_shared<TPhaseSteps>(phase, kSweepStepsPerPeriod));
    picture.SetThreadPriority(tpHigher);
    sound.SetThreadPriority(tpTimeCritical);
    long pictureSteps = 0, soundSteps = 0;
    picture.SetOnTimer([&](TThreadedTimer*) {
        ++pictureSteps;
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(paintUs);
        while (std::chrono::steady_clock::now() < until) {
        }
    });
    sound.SetOnTimer([&](TThreadedTimer* t) {
        ++soundSteps;
        const ScopedChangeStamp stamp(DueNanos(*t));
        const auto step = static_cast<int32_t>(t->DueStep() % 10);
        buffer->SetPan(ModulationFor(step, 500, 0, 44100).pan);
    });
    const size_t from = server.RecordedBytes();
    const TTimerClock::time_point start = TTimerClock::now();
    {
        const TScheduleMoment moment(start);
        phase->SetFrequency(FrequencyMilliHz(frequency), start);
        phase->Start(start);
        picture.SetEnabled(true);
        sound.SetEnabled(true);
    }
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    picture.SetEnabled(false);
    sound.SetEnabled(false);
    const auto soundGrid = sound.DueStep(), pictureGrid = picture.DueStep();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::vector<float> rec = server.RecordedSince(from);
    buffer->Stop();

    // Steady levels: the balance held within a hundredth of a decibel for five frames.
    const size_t frames = rec.size() / 2;
    std::vector<size_t> changeAt;
    std::vector<double> levelOf;
    std::vector<size_t> silentBefore; // silent frames seen before each change
    size_t silent = 0;
    double level = 1e9;
    int run = 0;
    for (size_t f = 1; f < frames; ++f) {
        if (rec[2 * f] < 0.01f || rec[2 * f + 1] < 0.01f) {
            run = 0;
            ++silent;
            continue;
        }
        const double b = sweep::Balance(rec, f), before = sweep::Balance(rec, f - 1);
        run = std::abs(b - before) <= 1.0 ? run + 1 : 0;
        if (run == 5 && std::abs(b - level) > 20.0) {
            changeAt.push_back(f - 4);
            levelOf.push_back(b);
            silentBefore.push_back(silent);
            level = b;
        }
    }
    // The sweep's cycles: from one rise through the centre to the next. Where the server ran
    // dry (silence) the sweep was not heard: such cycles and spacings are left out.
    std::vector<double> cycles, spacing;
    size_t lastRise = 0, dropped = 0;
    for (size_t i = 1; i < changeAt.size(); ++i) {
        const bool clean = silentBefore[i] == silentBefore[i - 1];
        if (clean) spacing.push_back(static_cast<double>(changeAt[i] - changeAt[i - 1]));
        if (levelOf[i - 1] < -100 && levelOf[i] > -100 && levelOf[i] < 100) {
            if (lastRise != 0 && silentBefore[lastRise] == silentBefore[i])
                cycles.push_back(static_cast<double>(changeAt[i] - changeAt[lastRise]));
            else if (lastRise != 0)
                ++dropped;
            lastRise = i;
        }
    }
    const double stepFrames = 44100.0 * soundMs / 1000.0;
    // One step apart, or two where the sine repeats a value.
    std::vector<double> single;
    for (double s : spacing)
        if (s < 1.5 * stepFrames) single.push_back(s);
    const double cycle = Percentile(cycles, 0.5);
    const double heardHz = cycles.empty() ? 0
                                          : 44100.0 * static_cast<double>(cycles.size()) /
                                                std::accumulate(cycles.begin(), cycles.end(), 0.0);
    const double dueHz = 2 * frequency;
    std::printf("sweep at %.1f Hz (picture %.3f ms, sound %.3f ms, paint %d us), %d s: "
                "heard %.3f Hz, due %.3f Hz (%.4f of due); cycle median %.1f frames of %.1f; "
                "step spacing median %.1f, p99 %.1f frames of %.1f; %zu changes heard, "
                "%ld sound steps and %ld picture steps fired (ratio %.3f), skipped %llu/%llu, "
                "due by the last firing %lld/%lld; %zu cycles over silence left out\n",
                frequency, pictureMs, soundMs, paintUs, seconds, heardHz, dueHz, heardHz / dueHz,
                cycle, 10 * stepFrames, Percentile(single, 0.5), Percentile(single, 0.99),
                stepFrames, changeAt.size(), soundSteps, pictureSteps,
                static_cast<double>(soundSteps) / static_cast<double>(std::max(1L, pictureSteps)),
                static_cast<unsigned long long>(sound.MissedFirings()),
                static_cast<unsigned long long>(picture.MissedFirings()),
                static_cast<long long>(soundGrid), static_cast<long long>(pictureGrid), dropped);

    // The binaural beat at the same frequency, alone, recorded: the right ear's pitch less the
    // left's, each from the rising zero crossings of the middle seconds.
    device->SetToneMode(DSTONE_BINAURAL);
    device->SetToneCarrier(200000);
    device->SetToneBeat(FrequencyMilliHz(frequency));
    device->SetToneVolume(0);
    const size_t toneFrom = server.RecordedBytes();
    device->PlayTone();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    device->StopTone();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::vector<float> tone = server.RecordedSince(toneFrom);
    const auto pitch = [&](size_t channel) {
        const size_t n = tone.size() / 2, begin = n / 5, end = n - n / 5;
        double first = -1, last = -1;
        long rises = -1;
        for (size_t f = begin + 1; f < end; ++f) {
            const float a = tone[2 * (f - 1) + channel], b = tone[2 * f + channel];
            if (a < 0 && b >= 0) {
                const double at = static_cast<double>(f - 1) + a / (a - b);
                if (first < 0) first = at;
                last = at;
                ++rises;
            }
        }
        return rises > 0 ? 44100.0 * static_cast<double>(rises) / (last - first) : 0.0;
    };
    const double left = pitch(0), right = pitch(1);
    // Where the server ran dry the recording holds silence, which no pitch survives.
    size_t dry = 0;
    for (size_t f = tone.size() / 10; f < tone.size() / 2 - tone.size() / 10; ++f)
        dry += tone[2 * f] == 0.0f && tone[2 * f + 1] == 0.0f;
    std::printf("binaural beat at %.1f Hz: left %.4f Hz, right %.4f Hz, beat %.4f Hz (%.5f of "
                "due); %zu silent frames where the server ran dry\n",
                frequency, left, right, right - left, (right - left) / frequency, dry);
    return 0;
}
