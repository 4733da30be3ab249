// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundMixer.h"

#include "audio/SoundOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

template <SampleKind K> inline float Decode(const uint8_t* p) {
    if constexpr (K == SampleKind::U8) {
        return static_cast<float>(p[0] - 128) * (1.0f / 128.0f);
    } else if constexpr (K == SampleKind::S16) {
        int16_t v;
        std::memcpy(&v, p, sizeof v);
        return v * (1.0f / 32768.0f);
    } else if constexpr (K == SampleKind::S24) {
        const uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                           (static_cast<uint32_t>(p[2]) << 16);
        const int32_t v = static_cast<int32_t>(u << 8) >> 8;
        return static_cast<float>(v) * (1.0f / 8388608.0f);
    } else if constexpr (K == SampleKind::S32) {
        int32_t v;
        std::memcpy(&v, p, sizeof v);
        return static_cast<float>(v) * (1.0f / 2147483648.0f);
    } else {
        float v;
        std::memcpy(&v, p, sizeof v);
        return std::isfinite(v) ? v : 0.0f;
    }
}

constexpr uint32_t BytesPerSample(SampleKind k) {
    switch (k) {
    case SampleKind::U8:
        return 1;
    case SampleKind::S16:
        return 2;
    case SampleKind::S24:
        return 3;
    default:
        return 4;
    }
}

struct GainRamp {
    float* gain;
    const float* step;
    const float* target;
    uint32_t* left;
};

// Mixes up to n frames with linear interpolation between neighbouring source frames; stops
// early when a sound played once reaches its end, leaving pos at or past it.
template <SampleKind K, uint32_t C>
void MixFrames(const uint8_t* mem, uint32_t frames, uint32_t align, uint64_t& pos, uint64_t step,
               bool looping, float* out, uint32_t n, GainRamp ramp) {
    constexpr uint32_t kSample = BytesPerSample(K);
    const uint64_t end = static_cast<uint64_t>(frames) << 32;
    // Past the end there is nothing to read.
    if (!looping && pos >= end) return;
    float g0 = ramp.gain[0], g1 = ramp.gain[1];
    uint32_t left = *ramp.left;
    uint32_t done = 0;
    // Below this position the next source frame is always inside the sound.
    const uint64_t safe = static_cast<uint64_t>(frames - 1) << 32;
    while (done < n) {
        if (left == 0 && pos < safe) {
            // The common case, without a glide and away from the end: no checks per frame.
            const uint64_t reach = (safe - pos + step - 1) / step;
            const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(n - done, reach));
            for (uint32_t i = 0; i < count; ++i, pos += step) {
                const float frac =
                    static_cast<float>(static_cast<uint32_t>(pos)) * (1.0f / 4294967296.0f);
                const uint8_t* a = mem + (pos >> 32) * align;
                const float l0 = Decode<K>(a), l1 = Decode<K>(a + align);
                const float l = l0 + (l1 - l0) * frac;
                float r = l;
                if constexpr (C == 2) {
                    const float r0 = Decode<K>(a + kSample), r1 = Decode<K>(a + align + kSample);
                    r = r0 + (r1 - r0) * frac;
                }
                out[2 * (done + i)] += l * g0;
                out[2 * (done + i) + 1] += r * g1;
            }
            done += count;
            // A step longer than a frame can carry the last one past the end.
            if (pos >= end) {
                if (!looping) break;
                pos %= end;
            }
            continue;
        }
        const uint32_t idx = static_cast<uint32_t>(pos >> 32);
        const float frac = static_cast<float>(static_cast<uint32_t>(pos)) * (1.0f / 4294967296.0f);
        uint32_t next = idx + 1;
        const bool haveNext = next < frames || looping;
        if (next >= frames) next = 0;
        const uint8_t* a = mem + static_cast<size_t>(idx) * align;
        const uint8_t* b = mem + static_cast<size_t>(next) * align;
        const float l0 = Decode<K>(a);
        const float l1 = haveNext ? Decode<K>(b) : 0.0f;
        const float l = l0 + (l1 - l0) * frac;
        float r = l;
        if constexpr (C == 2) {
            const float r0 = Decode<K>(a + kSample);
            const float r1 = haveNext ? Decode<K>(b + kSample) : 0.0f;
            r = r0 + (r1 - r0) * frac;
        }
        if (left > 0) {
            g0 += ramp.step[0];
            g1 += ramp.step[1];
            if (--left == 0) {
                g0 = ramp.target[0];
                g1 = ramp.target[1];
            }
        }
        out[2 * done] += l * g0;
        out[2 * done + 1] += r * g1;
        ++done;
        pos += step;
        if (pos >= end) {
            if (!looping) break;
            pos %= end;
        }
    }
    ramp.gain[0] = g0;
    ramp.gain[1] = g1;
    *ramp.left = left;
}

using MixFunction = void (*)(const uint8_t*, uint32_t, uint32_t, uint64_t&, uint64_t, bool, float*,
                             uint32_t, GainRamp);

template <SampleKind K> MixFunction MixFor(uint32_t channels) {
    return channels == 2 ? &MixFrames<K, 2> : &MixFrames<K, 1>;
}

MixFunction SelectMix(const SampleFormat& format) {
    switch (format.kind) {
    case SampleKind::U8:
        return MixFor<SampleKind::U8>(format.channels);
    case SampleKind::S16:
        return MixFor<SampleKind::S16>(format.channels);
    case SampleKind::S24:
        return MixFor<SampleKind::S24>(format.channels);
    case SampleKind::S32:
        return MixFor<SampleKind::S32>(format.channels);
    case SampleKind::F32:
        break;
    }
    return MixFor<SampleKind::F32>(format.channels);
}

// The limiter keeps every sample below full scale: each frame may be given at most the gain
// that brings it to kCeiling, and the gain falls toward such a frame by at most kAttackMs for
// the whole range, so it bends smoothly ahead of the peak inside the block. Once down it holds
// for kHoldMs and then rises by about 1 dB a second: a looping sound's peaks come round before
// the gain moves much, so the level does not pump with them.
constexpr float kCeiling = 0.999999f; // just below full scale
constexpr float kAttackMs = 5.0f;
constexpr uint32_t kHoldMs = 2000;
constexpr float kReleasePerSecond = 0.12f;

float DecibelGain(int32_t hundredths) {
    if (hundredths <= -10000) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredths / 2000.0));
}

} // namespace

void PanVolumeGains(int32_t pan, int32_t volume, float& left, float& right) {
    left = DecibelGain(volume - std::max(pan, 0));
    right = DecibelGain(volume - std::max(-pan, 0));
}

// ---- MixerVoice

MixerVoice::MixerVoice(const SampleFormat& format, uint32_t bytes)
    : format_(format), bytes_(bytes), frames_(format.blockAlign ? bytes / format.blockAlign : 0),
      memory_(new uint8_t[bytes == 0 ? 1 : bytes]()), frequency_(format.rate),
      appliedFrequency_(format.rate) {}

void MixerVoice::Play(bool looping) {
    const uint32_t c = control_.load(std::memory_order_relaxed);
    const uint32_t generation = (c & ~(kPlaying | kLooping)) + kGenerationStep;
    control_.store(generation | kPlaying | (looping ? kLooping : 0), std::memory_order_release);
}

void MixerVoice::Stop() {
    const uint32_t c = control_.load(std::memory_order_relaxed);
    control_.store((c & ~(kPlaying | kLooping)) + kGenerationStep, std::memory_order_release);
}

bool MixerVoice::Playing() const {
    return (control_.load(std::memory_order_acquire) & kPlaying) != 0;
}

bool MixerVoice::Looping() const {
    return (control_.load(std::memory_order_acquire) & kLooping) != 0;
}

uint32_t MixerVoice::PositionFrames() const {
    return static_cast<uint32_t>(publishedPosition_.load(std::memory_order_acquire) >> 32);
}

void MixerVoice::SetFrequency(uint32_t rate, int64_t stamp) {
    frequency_.store(rate, std::memory_order_relaxed);
    Publish(ChangeKind::Frequency, static_cast<int32_t>(rate), stamp);
}

void MixerVoice::SetPan(int32_t pan, int64_t stamp) {
    pan_.store(pan, std::memory_order_relaxed);
    Publish(ChangeKind::Pan, pan, stamp);
}

void MixerVoice::SetVolume(int32_t volume, int64_t stamp) {
    volume_.store(volume, std::memory_order_relaxed);
    Publish(ChangeKind::Volume, volume, stamp);
}

void MixerVoice::Publish(ChangeKind kind, int32_t value, int64_t stamp) {
    if (changes_.TryPush({stamp, value, kind})) return;
    // Never wait for the mixing side: the value is already in the getters' slot, where
    // the mixing side picks it up once the ring has drained.
    overflowed_.fetch_add(1, std::memory_order_relaxed);
    catchUp_.store(true, std::memory_order_release);
}

void MixerVoice::Retarget(bool audible, uint32_t outputRate) {
    PanVolumeGains(appliedPan_, appliedVolume_, target_[0], target_[1]);
    if (!audible) {
        // Nothing is heard from this voice now, so there is nothing to glide over.
        gain_[0] = target_[0];
        gain_[1] = target_[1];
        rampLeft_ = 0;
        return;
    }
    // Glide to the new gains over 1.5 ms so that a step of pan or volume does not click.
    rampLeft_ = std::max<uint32_t>(1, outputRate * 3 / 2000);
    gainStep_[0] = (target_[0] - gain_[0]) / static_cast<float>(rampLeft_);
    gainStep_[1] = (target_[1] - gain_[1]) / static_cast<float>(rampLeft_);
}

void MixerVoice::Apply(ChangeKind kind, int32_t value, bool audible, uint32_t outputRate) {
    switch (kind) {
    case ChangeKind::Frequency:
        appliedFrequency_ = static_cast<uint32_t>(value);
        return;
    case ChangeKind::Pan:
        if (value == appliedPan_) return;
        appliedPan_ = value;
        break;
    case ChangeKind::Volume:
        if (value == appliedVolume_) return;
        appliedVolume_ = value;
        break;
    }
    Retarget(audible, outputRate);
}

void MixerVoice::CatchUp(bool audible, uint32_t outputRate) {
    Apply(ChangeKind::Frequency, static_cast<int32_t>(frequency_.load(std::memory_order_relaxed)),
          audible, outputRate);
    Apply(ChangeKind::Pan, pan_.load(std::memory_order_relaxed), audible, outputRate);
    Apply(ChangeKind::Volume, volume_.load(std::memory_order_relaxed), audible, outputRate);
}

bool MixerVoice::Mix(float* out, uint32_t n, bool looping, uint32_t outputRate) {
    const uint64_t step = (static_cast<uint64_t>(appliedFrequency_) << 32) / outputRate;
    GainRamp ramp{gain_, gainStep_, target_, &rampLeft_};
    SelectMix(format_)(memory_.get(), frames_, format_.blockAlign, position_, step, looping, out, n,
                       ramp);
    // The position tells the end, also when the last frame was the last one asked for.
    return looping || position_ < (static_cast<uint64_t>(frames_) << 32);
}

float MixerVoice::Loudness(uint32_t outputRate) {
    if (loudnessKnown_) return loudness_;
    // Played once through the mixer's own interpolation at the sound's own rate, so that what
    // the interpolation takes from the highest frequencies is not counted.
    const uint64_t step =
        outputRate == 0 ? 0 : (static_cast<uint64_t>(format_.rate) << 32) / outputRate;
    const uint64_t end = static_cast<uint64_t>(frames_) << 32;
    float gain[2] = {1.0f, 1.0f}, gainStep[2] = {0.0f, 0.0f}, target[2] = {1.0f, 1.0f};
    uint32_t rampLeft = 0;
    const MixFunction mix = SelectMix(format_);
    std::vector<float> block(2 * static_cast<size_t>(kMixBlockFrames));
    uint64_t position = 0, samples = 0;
    double sum = 0;
    while (step != 0 && position < end) {
        std::fill(block.begin(), block.end(), 0.0f);
        const uint64_t before = position;
        mix(memory_.get(), frames_, format_.blockAlign, position, step, false, block.data(),
            kMixBlockFrames, GainRamp{gain, gainStep, target, &rampLeft});
        const auto made =
            static_cast<size_t>(std::min<uint64_t>(kMixBlockFrames, (position - before) / step));
        for (size_t i = 0; i < 2 * made; ++i)
            sum += static_cast<double>(block[i]) * block[i];
        samples += 2 * made;
    }
    loudness_ =
        samples == 0 ? 0.0f : static_cast<float>(std::sqrt(sum / static_cast<double>(samples)));
    loudnessKnown_ = true;
    return loudness_;
}

void MixerVoice::MixInto(float* out, uint32_t frames, uint64_t firstFrame, const FrameClock& clock,
                         uint32_t outputRate) {
    const uint32_t c = control_.load(std::memory_order_acquire);
    const bool looping = (c & kLooping) != 0;
    bool audible = (c & kPlaying) != 0 && frames_ != 0;
    bool ended = false;
    uint32_t done = 0;
    while (done < frames) {
        uint32_t until = frames;
        if (const ParameterChange* change = changes_.Front()) {
            const int64_t at = clock.FrameOf(change->stamp) - static_cast<int64_t>(firstFrame);
            if (at <= static_cast<int64_t>(done)) {
                // Due now, or late: applied here, after every change before it.
                Apply(change->kind, change->value, audible, outputRate);
                changes_.Pop();
                continue;
            }
            if (at < static_cast<int64_t>(frames)) until = static_cast<uint32_t>(at);
        } else if (catchUp_.load(std::memory_order_relaxed) &&
                   catchUp_.exchange(false, std::memory_order_acquire)) {
            CatchUp(audible, outputRate);
            continue;
        }
        if (audible) {
            if (!Mix(out + 2 * static_cast<size_t>(done), until - done, looping, outputRate)) {
                audible = false;
                ended = true;
            }
        }
        done = until;
    }
    if (ended) {
        // Played once to the end: stop and rewind, unless a newer Play or Stop came in.
        position_ = 0;
        uint32_t expected = c;
        control_.compare_exchange_strong(expected, c & ~(kPlaying | kLooping),
                                         std::memory_order_acq_rel);
    }
    publishedPosition_.store(position_, std::memory_order_release);
    mixedPan_.store(appliedPan_, std::memory_order_release);
}

// ---- SoundMixer

SoundMixer::SoundMixer(uint32_t outputRate, FrameClock::Mode mode)
    : outputRate_(outputRate == 0 ? kOutputRate : outputRate), clock_(mode, outputRate_),
      tone_(outputRate_), cues_(outputRate_) {
    for (auto& slot : slots_)
        slot.store(nullptr, std::memory_order_relaxed);
}

SoundMixer::~SoundMixer() = default;

bool SoundMixer::AddVoice(MixerVoice* voice) {
    std::lock_guard lock(controlMutex_);
    for (auto& slot : slots_) {
        if (slot.load(std::memory_order_relaxed) == nullptr) {
            slot.store(voice, std::memory_order_seq_cst);
            return true;
        }
    }
    return false;
}

void SoundMixer::RemoveVoice(std::unique_ptr<MixerVoice> voice) {
    if (!voice) return;
    std::lock_guard lock(controlMutex_);
    for (auto& slot : slots_) {
        if (slot.load(std::memory_order_relaxed) == voice.get()) {
            slot.store(nullptr, std::memory_order_seq_cst);
        }
    }
    const uint64_t epoch = epoch_.load(std::memory_order_seq_cst);
    // An even epoch means no block was being mixed when the slot was cleared, so no
    // block can hold the voice any more.
    if ((epoch & 1) == 0) return;
    removed_.push_back({std::move(voice), epoch});
}

void SoundMixer::CollectRemoved() {
    std::lock_guard lock(controlMutex_);
    const uint64_t now = epoch_.load(std::memory_order_seq_cst);
    std::erase_if(removed_, [now](const Removed& r) { return now > r.epoch; });
}

float SoundMixer::SoundLoudness() {
    std::lock_guard lock(controlMutex_);
    float loudest = 0.0f;
    for (auto& slot : slots_) {
        if (MixerVoice* voice = slot.load(std::memory_order_relaxed))
            loudest = std::max(loudest, voice->Loudness(outputRate_));
    }
    return loudest;
}

size_t SoundMixer::PendingRemovals() {
    std::lock_guard lock(controlMutex_);
    return removed_.size();
}

void SoundMixer::Render(float* out, uint32_t frames) {
    Render(out, frames, SteadyNanos());
}

void SoundMixer::Render(float* out, uint32_t frames, int64_t pullNs) {
    clock_.BeginPull(framesRendered_, pullNs);
    while (frames > 0) {
        const uint32_t n = std::min(frames, kMixBlockFrames);
        RenderBlock(out, n);
        out += 2 * static_cast<size_t>(n);
        frames -= n;
        framesRendered_ += n;
    }
    clock_.EndPull(framesRendered_);
}

void SoundMixer::RenderBlock(float* out, uint32_t frames) {
    epoch_.fetch_add(1, std::memory_order_seq_cst);
    std::fill(out, out + 2 * static_cast<size_t>(frames), 0.0f);
    for (auto& slot : slots_) {
        MixerVoice* voice = slot.load(std::memory_order_seq_cst);
        if (voice != nullptr) voice->MixInto(out, frames, framesRendered_, clock_, outputRate_);
    }
    tone_.MixInto(out, frames, framesRendered_, clock_);
    cues_.MixInto(out, frames, framesRendered_, clock_);
    Limit(out, frames);
    for (uint32_t i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    epoch_.fetch_add(1, std::memory_order_seq_cst);
}

void SoundMixer::Limit(float* out, uint32_t frames) {
    if (frames == 0) return;
    float peak = 0.0f;
    for (uint32_t i = 0; i < 2 * frames; ++i)
        peak = std::max(peak, std::fabs(out[i]));
    if (peak <= kCeiling && limitGain_ == 1.0f) return;
    for (uint32_t f = 0; f < frames; ++f) {
        const float m = std::max(std::fabs(out[2 * f]), std::fabs(out[2 * f + 1]));
        allowed_[f] = m > kCeiling ? kCeiling / m : 1.0f;
    }
    const float attack = 1000.0f / (kAttackMs * static_cast<float>(outputRate_));
    for (uint32_t f = frames - 1; f > 0; --f)
        allowed_[f - 1] = std::min(allowed_[f - 1], allowed_[f] + attack);
    const float release = kReleasePerSecond / static_cast<float>(outputRate_);
    const uint32_t hold = outputRate_ / 1000 * kHoldMs;
    float g = limitGain_;
    uint64_t limited = 0;
    for (uint32_t f = 0; f < frames; ++f) {
        if (allowed_[f] < g) {
            g = allowed_[f];
            limitHold_ = hold;
        } else if (limitHold_ > 0) {
            --limitHold_;
        } else {
            g = std::min({allowed_[f], 1.0f, g + release});
        }
        if (g < 1.0f) {
            out[2 * f] *= g;
            out[2 * f + 1] *= g;
            ++limited;
        }
    }
    limitGain_ = g;
    limitedFrames_.fetch_add(limited, std::memory_order_relaxed);
}
