// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundCue.h"

#include "audio/SoundMixer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double CueLoudness(const std::vector<float>& samples, uint32_t rate) {
    const size_t window = std::max<size_t>(1, rate / 50);
    std::vector<double> energies;
    double loudest = 0;
    for (size_t start = 0; start < samples.size(); start += window) {
        const size_t end = std::min(samples.size(), start + window);
        double sum = 0;
        for (size_t i = start; i < end; ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        energies.push_back(sum / static_cast<double>(end - start));
        loudest = std::max(loudest, energies.back());
    }
    if (loudest <= 0) return 0;
    double sum = 0;
    size_t counted = 0;
    for (double e : energies) {
        if (e < loudest * 1e-4) continue; // more than 40 dB down
        sum += e;
        ++counted;
    }
    return std::sqrt(sum / static_cast<double>(counted));
}

void SetCueLoudness(std::vector<float>& samples, uint32_t rate, double loudness) {
    const double now = CueLoudness(samples, rate);
    if (now <= 0) return;
    const auto gain = static_cast<float>(loudness / now);
    for (float& s : samples)
        s *= gain;
}

CueSound MakeBell(uint32_t rate) {
    // The partials of a small bar struck near its end, a little detuned in pairs so that the
    // tone beats slowly as a real bell's does; the higher ones die away first.
    struct Partial {
        double ratio, amplitude, decaySeconds;
    };
    constexpr Partial kPartials[] = {{1.0, 1.0, 0.9},   {1.0021, 0.5, 1.1},  {2.756, 0.35, 0.45},
                                     {2.762, 0.2, 0.5}, {5.404, 0.12, 0.22}, {8.933, 0.05, 0.12}};
    constexpr double kFundamental = 587.33; // D5: clear over a low sound, never shrill
    CueSound bell;
    bell.Rate = rate;
    const size_t frames = size_t{rate} * kBellMs / 1000;
    const double attack = static_cast<double>(rate) * kBellAttackMs / 1000.0;
    const double release = static_cast<double>(rate) * 0.2; // the last 200 ms fade to silence
    std::vector<double> sum(frames, 0.0);
    for (const Partial& p : kPartials) {
        // Each partial a decaying phasor turned a frame at a time: no sine or exponential per
        // sample, and in double precision its drift over the bell stays far below a float's.
        const double w = 2 * std::numbers::pi * kFundamental * p.ratio / rate;
        const double d = std::exp(-1.0 / (p.decaySeconds * rate));
        const double stepC = d * std::cos(w), stepS = d * std::sin(w);
        double c = p.amplitude, s = 0;
        for (size_t i = 0; i < frames; ++i) {
            sum[i] += s;
            const double nc = c * stepC - s * stepS;
            s = s * stepC + c * stepS;
            c = nc;
        }
    }
    bell.Samples.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        double v = sum[i];
        const auto n = static_cast<double>(i);
        if (n < attack) v *= 0.5 - 0.5 * std::cos(std::numbers::pi * n / attack);
        const double left = static_cast<double>(frames - 1 - i);
        if (left < release) v *= 0.5 - 0.5 * std::cos(std::numbers::pi * left / release);
        bell.Samples[i] = static_cast<float>(v);
    }
    SetCueLoudness(bell.Samples, rate, std::numbers::sqrt2 / 2);
    return bell;
}

CueVoice::CueVoice(uint32_t outputRate)
    : rate_(outputRate),
      fadeStep_(1.0f / static_cast<float>(std::max<uint32_t>(1, outputRate * kFadeMs / 1000))) {
    for (auto& s : state_)
        s.store(kFree, std::memory_order_relaxed);
}

bool CueVoice::Play(std::shared_ptr<const CueSound> sound, int32_t volume, int64_t stamp) {
    Collect();
    if (!sound || sound->Samples.empty() || sound->Rate != rate_ ||
        sound->Samples.size() > UINT32_MAX)
        return false;
    for (uint32_t slot = 0; slot < kSlots; ++slot) {
        if (state_[slot].load(std::memory_order_acquire) != kFree) continue;
        float left = 0, right = 0;
        PanVolumeGains(0, volume, left, right);
        const Change change{
            stamp, sound->Samples.data(), static_cast<uint32_t>(sound->Samples.size()),
            slot,  generation_,           left};
        state_[slot].store(kGiven, std::memory_order_relaxed);
        if (!changes_.TryPush(change)) {
            state_[slot].store(kFree, std::memory_order_relaxed);
            return false;
        }
        held_[slot] = std::move(sound);
        return true;
    }
    return false;
}

void CueVoice::Stop(int64_t stamp) {
    ++generation_;
    stopped_.store(generation_, std::memory_order_release);
    // The cues already sounding fade at the stop's frame; a full ring leaves that to the
    // waiting ones' check of the generation and to the sounds' own end.
    Change stop;
    stop.stamp = stamp;
    stop.generation = generation_;
    changes_.TryPush(stop);
}

void CueVoice::Collect() {
    for (uint32_t slot = 0; slot < kSlots; ++slot) {
        if (state_[slot].load(std::memory_order_acquire) != kDone) continue;
        held_[slot].reset();
        state_[slot].store(kFree, std::memory_order_relaxed);
    }
}

uint32_t CueVoice::Held() const {
    uint32_t n = 0;
    for (const auto& s : state_)
        n += s.load(std::memory_order_acquire) != kFree ? 1u : 0u;
    return n;
}

void CueVoice::Release(uint32_t slot) {
    sounding_[slot].samples = nullptr;
    state_[slot].store(kDone, std::memory_order_release);
}

void CueVoice::Apply(const Change& change) {
    if (change.samples == nullptr) {
        for (Sounding& s : sounding_)
            if (s.samples != nullptr && s.generation < change.generation) s.fading = true;
        return;
    }
    if (change.slot >= kSlots) return;
    if (change.generation < stopped_.load(std::memory_order_acquire)) {
        // Stopped before it began.
        Release(change.slot);
        return;
    }
    Sounding& s = sounding_[change.slot];
    s = Sounding{change.samples, change.frames, 0, change.generation, change.gain, 1.0f, false};
    started_.fetch_add(1, std::memory_order_relaxed);
}

void CueVoice::Mix(float* out, uint32_t n) {
    for (uint32_t slot = 0; slot < kSlots; ++slot) {
        Sounding& s = sounding_[slot];
        if (s.samples == nullptr) continue;
        const uint32_t count = std::min(n, s.frames - s.position);
        const float* in = s.samples + s.position;
        if (!s.fading) {
            for (uint32_t i = 0; i < count; ++i) {
                const float v = in[i] * s.gain;
                out[2 * i] += v;
                out[2 * i + 1] += v;
            }
        } else {
            for (uint32_t i = 0; i < count && s.fade > 0.0f; ++i) {
                s.fade = std::max(0.0f, s.fade - fadeStep_);
                const float v = in[i] * s.gain * s.fade;
                out[2 * i] += v;
                out[2 * i + 1] += v;
            }
        }
        s.position += count;
        if (s.position >= s.frames || s.fade <= 0.0f) Release(slot);
    }
}

void CueVoice::MixInto(float* out, uint32_t frames, uint64_t firstFrame, const FrameClock& clock) {
    uint32_t done = 0;
    while (done < frames) {
        uint32_t until = frames;
        if (const Change* change = changes_.Front()) {
            const int64_t at = clock.FrameOf(change->stamp) - static_cast<int64_t>(firstFrame);
            if (at <= static_cast<int64_t>(done)) {
                Apply(*change);
                changes_.Pop();
                continue;
            }
            if (at < static_cast<int64_t>(frames)) until = static_cast<uint32_t>(at);
        }
        Mix(out + 2 * static_cast<size_t>(done), until - done);
        done = until;
    }
}
