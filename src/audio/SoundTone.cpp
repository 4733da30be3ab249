// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundTone.h"

#include "audio/SoundMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {
__extension__ typedef unsigned __int128 Wide; // products of a frequency and 2^64
constexpr uint64_t kHalfCycle = uint64_t{1} << 63;
// An edge is at most an eighth of the cycle: a quarter of the half cycle that is on.
constexpr uint64_t kLongestEdge = uint64_t{1} << 61;
constexpr uint64_t kQuarterCycle = uint64_t{1} << 62;

// Frames from a phase until a later one (modulo a cycle), counting the first: at least 1.
uint64_t FramesUntil(uint64_t distance, uint64_t step) {
    if (step == 0) return UINT64_MAX;
    return distance == 0 ? 1 : (distance - 1) / step + 1;
}
} // namespace

// Four consecutive frames of one sine as the lanes of a vector, turned on by four frames at a
// time: the steady tone costs a few vector multiplications per four frames and no table
// look-ups. It starts afresh from the exact 64-bit phase in every run, so its rounding never
// builds up.
typedef float Lanes __attribute__((vector_size(16)));

struct ToneVoice::Rotor {
    Lanes c, s;
    Lanes turnCos, turnSin;

    Rotor(const ToneVoice& voice, uint64_t phase, uint64_t step, const float turn[2]) {
        for (int k = 0; k < 4; ++k) {
            const uint64_t p = phase + step * static_cast<uint64_t>(k);
            s[k] = voice.Sine(p);
            c[k] = voice.Sine(p + kQuarterCycle);
            turnCos[k] = turn[0];
            turnSin[k] = turn[1];
        }
    }
    void Turn() {
        const Lanes t = c * turnCos - s * turnSin;
        s = s * turnCos + c * turnSin;
        c = t;
    }
};

namespace {
// The cosine and sine of four steps of a phase, for a rotor.
void FourSteps(uint64_t step, float turn[2]) {
    const double angle = 2.0 * std::numbers::pi * static_cast<double>(step * 4) / 0x1p64;
    turn[0] = static_cast<float>(std::cos(angle));
    turn[1] = static_cast<float>(std::sin(angle));
}

// Adds four frames of left and right into interleaved stereo.
inline void AddFour(float* out, Lanes left, Lanes right) {
    const Lanes low = __builtin_shufflevector(left, right, 0, 4, 1, 5);
    const Lanes high = __builtin_shufflevector(left, right, 2, 6, 3, 7);
    Lanes a, b;
    std::memcpy(&a, out, sizeof a);
    std::memcpy(&b, out + 4, sizeof b);
    a += low;
    b += high;
    std::memcpy(out, &a, sizeof a);
    std::memcpy(out + 4, &b, sizeof b);
}
} // namespace

uint64_t TonePhaseStep(uint64_t milliHz, uint32_t rate) {
    // Exact to 2^-64 of a cycle a frame, so a beat keeps its rate over any length of time.
    const Wide scaled = static_cast<Wide>(milliHz) << 64;
    return static_cast<uint64_t>(scaled / (static_cast<uint64_t>(rate) * 1000u));
}

ToneVoice::ToneVoice(uint32_t outputRate)
    : rate_(outputRate),
      fadeStep_(1.0f / static_cast<float>(std::max<uint32_t>(1, outputRate * kFadeMs / 1000))) {
    constexpr uint32_t size = 1u << kTableBits;
    for (uint32_t i = 0; i <= size; ++i)
        table_[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * i / size));
    Retune();
}

void ToneVoice::SetMode(ToneMode mode, int64_t stamp) {
    mode_.store(static_cast<uint8_t>(mode), std::memory_order_relaxed);
    Publish(Kind::Mode, static_cast<int32_t>(mode), stamp);
}

void ToneVoice::SetCarrier(uint32_t milliHz, int64_t stamp) {
    carrier_.store(milliHz, std::memory_order_relaxed);
    Publish(Kind::Carrier, static_cast<int32_t>(milliHz), stamp);
}

void ToneVoice::SetBeat(uint32_t milliHz, int64_t stamp) {
    beat_.store(milliHz, std::memory_order_relaxed);
    Publish(Kind::Beat, static_cast<int32_t>(milliHz), stamp);
}

void ToneVoice::SetVolume(int32_t volume, int64_t stamp) {
    volume_.store(volume, std::memory_order_relaxed);
    Publish(Kind::Volume, volume, stamp);
}

void ToneVoice::Play(int64_t stamp) {
    playing_.store(true, std::memory_order_relaxed);
    Publish(Kind::Playing, 1, stamp);
}

void ToneVoice::Stop(int64_t stamp) {
    playing_.store(false, std::memory_order_relaxed);
    Publish(Kind::Playing, 0, stamp);
}

void ToneVoice::SetPhase(uint32_t fraction, int64_t stamp) {
    Publish(Kind::Phase, static_cast<int32_t>(fraction), stamp);
}

void ToneVoice::Publish(Kind kind, int32_t value, int64_t stamp) {
    if (changes_.TryPush({stamp, value, kind})) return;
    // Never wait for the mixing side: the value is in the getters' slot already.
    overflowed_.fetch_add(1, std::memory_order_relaxed);
    catchUp_.store(true, std::memory_order_release);
}

void ToneVoice::Apply(Kind kind, int32_t value, uint64_t lateFrames) {
    switch (kind) {
    case Kind::Mode:
        appliedMode_ = static_cast<ToneMode>(value);
        break;
    case Kind::Carrier:
        appliedCarrier_ = static_cast<uint32_t>(value);
        Retune();
        break;
    case Kind::Beat:
        appliedBeat_ = static_cast<uint32_t>(value);
        Retune();
        break;
    case Kind::Volume:
        appliedVolume_ = value;
        break;
    case Kind::Playing:
        appliedPlaying_ = value != 0;
        break;
    case Kind::Phase:
        // A phase that comes late (its moment was heard already, as at the start of a run
        // whose sound runs ahead of the light) is the phase its moment has reached by now.
        Synchronise((uint64_t{static_cast<uint32_t>(value)} << 32) +
                    lateFrames * TonePhaseStep(appliedBeat_, rate_));
        return;
    }
    Retarget();
}

void ToneVoice::CatchUp() {
    appliedMode_ = Mode();
    appliedCarrier_ = Carrier();
    appliedBeat_ = Beat();
    appliedVolume_ = Volume();
    appliedPlaying_ = Playing();
    Retune();
    Retarget();
}

void ToneVoice::Synchronise(uint64_t beatPhase) {
    syncStep_ = 0;
    syncLeft_ = 0;
    if (gain_ == 0.0f) {
        rightPhase_ = leftPhase_ + beatPhase;
        pulsePhase_ = beatPhase;
    } else {
        // The shorter way round: the difference as a signed fraction of a cycle.
        const auto error = static_cast<int64_t>(beatPhase - pulsePhase_);
        syncLeft_ = std::max<uint32_t>(1, rate_ * kSyncMs / 1000);
        syncStep_ = error / static_cast<int64_t>(syncLeft_);
    }
    Retune();
}

void ToneVoice::Retune() {
    leftStep_ = TonePhaseStep(appliedCarrier_, rate_);
    rightStep_ = TonePhaseStep(uint64_t{appliedCarrier_} + appliedBeat_, rate_) +
                 static_cast<uint64_t>(syncStep_);
    pulseStep_ = TonePhaseStep(appliedBeat_, rate_) + static_cast<uint64_t>(syncStep_);
    // The edge lasts kEdgeMicros, or a quarter of the on-time where that is shorter.
    const Wide edge = (static_cast<Wide>(appliedBeat_) * kEdgeMicros << 64) / 1000000000u;
    const uint64_t edgePhase = static_cast<uint64_t>(std::min<Wide>(edge, kLongestEdge));
    onEnd_ = kHalfCycle - edgePhase;
    const double edgeFrames =
        pulseStep_ == 0
            ? 1.0
            : std::max(1.0, static_cast<double>(edgePhase) / static_cast<double>(pulseStep_));
    edgeStep_ = static_cast<float>(1.0 / edgeFrames);
    // The turn of four frames, from the exact step.
    FourSteps(leftStep_, leftTurn_);
    FourSteps(rightStep_, rightTurn_);
}

void ToneVoice::Retarget() {
    // A new mode waits until the old one has faded out.
    const bool heard = appliedPlaying_ && sounding_ == appliedMode_ && sounding_ != ToneMode::Off;
    float left = 0.0f, right = 0.0f;
    if (heard) PanVolumeGains(0, appliedVolume_, left, right);
    target_ = left;
}

float ToneVoice::Sine(uint64_t phase) const {
    constexpr int kShift = 64 - kTableBits;
    const uint32_t i = static_cast<uint32_t>(phase >> kShift);
    const float frac =
        static_cast<float>((phase >> (kShift - 24)) & 0xFFFFFF) * (1.0f / 16777216.0f);
    return table_[i] + (table_[i + 1] - table_[i]) * frac;
}

template <bool Isochronic, bool Gliding> void ToneVoice::Run(float* out, uint32_t n) {
    uint64_t lp = leftPhase_, rp = rightPhase_, pp = pulsePhase_;
    float gain = gain_, edge = edge_;
    for (uint32_t i = 0; i < n; ++i) {
        if constexpr (Gliding) gain += std::clamp(target_ - gain, -fadeStep_, fadeStep_);
        if constexpr (Isochronic) {
            // The envelope's edge moves a step a frame toward on or off.
            if (pp < onEnd_) {
                edge = std::min(1.0f, edge + edgeStep_);
            } else {
                edge = std::max(0.0f, edge - edgeStep_);
            }
            float level = gain;
            if (edge < 1.0f) {
                // sin^2(pi/2 x) = (1 - cos(pi x)) / 2: a raised cosine from 0 to 1.
                const float s = Sine(static_cast<uint64_t>(edge * 1073741824.0f) << 32);
                level *= s * s;
            }
            const float v = level * Sine(lp);
            out[2 * i] += v;
            out[2 * i + 1] += v;
        } else {
            out[2 * i] += gain * Sine(lp);
            out[2 * i + 1] += gain * Sine(rp);
        }
        lp += leftStep_;
        rp += rightStep_;
        pp += pulseStep_;
    }
    leftPhase_ = lp;
    rightPhase_ = rp;
    pulsePhase_ = pp;
    gain_ = gain;
    edge_ = edge;
}

template <bool Binaural> void ToneVoice::RunSteady(float* out, uint32_t n) {
    Rotor left(*this, leftPhase_, leftStep_, leftTurn_);
    Rotor right(*this, rightPhase_, rightStep_, rightTurn_);
    const float g = gain_;
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const Lanes l = left.s * g;
        AddFour(out + 2 * static_cast<size_t>(i), l, Binaural ? right.s * g : l);
        left.Turn();
        if constexpr (Binaural) right.Turn();
    }
    for (int k = 0; i < n; ++i, ++k) {
        out[2 * i] += g * left.s[k];
        out[2 * i + 1] += g * (Binaural ? right.s[k] : left.s[k]);
    }
    leftPhase_ += leftStep_ * n;
    rightPhase_ += rightStep_ * n;
    pulsePhase_ += pulseStep_ * n;
}

void ToneVoice::RunEdge(float* out, uint32_t n, bool rising) {
    // The envelope is sin^2 of a quarter cycle times the edge, which moves by a fixed step a
    // frame: a sine of its own, turned as the carrier is.
    const float move = rising ? edgeStep_ : -edgeStep_;
    const double first = static_cast<double>(edge_) + move; // the edge of the first frame
    const uint64_t phase = static_cast<uint64_t>(std::llround(first * 0x1p62));
    const uint64_t step = static_cast<uint64_t>(std::llround(static_cast<double>(move) * 0x1p62));
    float turn[2];
    FourSteps(step, turn);
    Rotor envelope(*this, phase, step, turn);
    Rotor carrier(*this, leftPhase_, leftStep_, leftTurn_);
    const float g = gain_;
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const Lanes v = envelope.s * envelope.s * carrier.s * g;
        AddFour(out + 2 * static_cast<size_t>(i), v, v);
        envelope.Turn();
        carrier.Turn();
    }
    for (int k = 0; i < n; ++i, ++k) {
        const float v = envelope.s[k] * envelope.s[k] * carrier.s[k] * g;
        out[2 * i] += v;
        out[2 * i + 1] += v;
    }
    edge_ = static_cast<float>(first + static_cast<double>(move) * (n - 1));
    leftPhase_ += leftStep_ * n;
    rightPhase_ += rightStep_ * n;
    pulsePhase_ += pulseStep_ * n;
}

void ToneVoice::RunPulse(float* out, uint32_t n) {
    uint32_t i = 0;
    while (i < n) {
        const bool on = pulsePhase_ < onEnd_;
        uint64_t run;
        if (on && edge_ >= 1.0f) {
            // Fully on until the falling edge is due.
            run = std::min<uint64_t>(n - i, FramesUntil(onEnd_ - pulsePhase_, pulseStep_));
            RunSteady<false>(out + 2 * static_cast<size_t>(i), static_cast<uint32_t>(run));
        } else if (!on && edge_ <= 0.0f) {
            // Silent until the next pulse begins.
            run = std::min<uint64_t>(n - i, FramesUntil(0 - pulsePhase_, pulseStep_));
            leftPhase_ += leftStep_ * run;
            rightPhase_ += rightStep_ * run;
            pulsePhase_ += pulseStep_ * run;
        } else {
            // On an edge. Frames that stay clear of its end, and of the point where the pulse
            // turns, move it by whole steps; the last ones go frame by frame and stop it at the
            // top or the bottom.
            const float left = on ? 1.0f - edge_ : edge_;
            const uint64_t turns =
                FramesUntil(on ? onEnd_ - pulsePhase_ : 0 - pulsePhase_, pulseStep_);
            const uint64_t clear = std::min<uint64_t>(
                static_cast<uint64_t>(std::max(0.0f, std::floor(left / edgeStep_) - 1.0f)),
                turns - 1);
            if (clear >= 4) {
                run = std::min<uint64_t>(clear, n - i);
                RunEdge(out + 2 * static_cast<size_t>(i), static_cast<uint32_t>(run), on);
            } else {
                run = std::clamp<uint64_t>(static_cast<uint64_t>(std::ceil(left / edgeStep_)), 1,
                                           n - i);
                Run<true, false>(out + 2 * static_cast<size_t>(i), static_cast<uint32_t>(run));
            }
        }
        i += static_cast<uint32_t>(run);
    }
}

void ToneVoice::Generate(float* out, uint32_t n) {
    if (gain_ == 0.0f && sounding_ != appliedMode_) {
        // The old mode has faded out: the new one may begin.
        sounding_ = appliedMode_;
        Retarget();
    }
    if (gain_ == 0.0f && target_ == 0.0f) {
        // Silent: the phases run on, so the wave goes on where it would have been.
        leftPhase_ += leftStep_ * n;
        rightPhase_ += rightStep_ * n;
        pulsePhase_ += pulseStep_ * n;
        return;
    }
    const bool gliding = gain_ != target_;
    // A glide ends inside this run at the latest after the frames it needs; the rest runs
    // at the steady gain.
    uint32_t glide = n;
    if (gliding) {
        const float frames = std::ceil(std::fabs(target_ - gain_) / fadeStep_);
        glide = static_cast<uint32_t>(std::min(static_cast<float>(n), frames));
    }
    const bool iso = sounding_ == ToneMode::Isochronic;
    if (gliding) {
        iso ? Run<true, true>(out, glide) : Run<false, true>(out, glide);
        if (std::fabs(target_ - gain_) < fadeStep_ * 0.5f) gain_ = target_;
        if (glide < n) Generate(out + 2 * static_cast<size_t>(glide), n - glide);
        return;
    }
    iso ? RunPulse(out, n) : RunSteady<true>(out, n);
}

void ToneVoice::MixInto(float* out, uint32_t frames, uint64_t firstFrame, const FrameClock& clock) {
    uint32_t done = 0;
    while (done < frames) {
        uint32_t until = frames;
        if (const Change* change = changes_.Front()) {
            const int64_t at = clock.FrameOf(change->stamp) - static_cast<int64_t>(firstFrame);
            if (at <= static_cast<int64_t>(done)) {
                Apply(change->kind, change->value, static_cast<uint64_t>(done - at));
                changes_.Pop();
                continue;
            }
            if (at < static_cast<int64_t>(frames)) until = static_cast<uint32_t>(at);
        } else if (catchUp_.load(std::memory_order_relaxed) &&
                   catchUp_.exchange(false, std::memory_order_acquire)) {
            CatchUp();
            continue;
        }
        if (syncLeft_ > 0) until = std::min(until, done + syncLeft_);
        Generate(out + 2 * static_cast<size_t>(done), until - done);
        if (syncLeft_ > 0) {
            syncLeft_ -= until - done;
            if (syncLeft_ == 0) {
                syncStep_ = 0;
                Retune();
            }
        }
        done = until;
    }
}
