// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Cues: short sounds played once over the stimulation (a bell, a spoken text), each from the
// frame of its stamp, as every other change of the mixer is timed. The sound is made on the
// control side, ahead of time, at the output's rate; the voice holds it until the mixing side
// has played it, and the control side lets it go afterwards, so the mixing side never frees,
// allocates, waits or throws.

#include "audio/FrameClock.h"
#include "audio/SpscRing.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// A cue's samples, mono at the output's rate, made as loud as heard as a full-scale sine (its
// loudness, CueLoudness, is the sine's root mean square) so that its level is set as the
// tone's is.
struct CueSound {
    std::vector<float> Samples;
    uint32_t Rate = 0;
};

// The root mean square of a sound as heard: over its 20 ms windows that are not near silence
// (those within 40 dB of the loudest), so that pauses and a long fading tail do not count.
double CueLoudness(const std::vector<float>& samples, uint32_t rate);
// Scales the samples to a given loudness (CueLoudness); silence stays as it is.
void SetCueLoudness(std::vector<float>& samples, uint32_t rate, double loudness);

// A soft bell: a few inharmonic partials, each decaying exponentially, with a raised-cosine
// attack of a few milliseconds so that it starts without a click, about 2.5 s long and ending
// in silence. Made at rate, at the loudness of a full-scale sine.
CueSound MakeBell(uint32_t rate);
inline constexpr uint32_t kBellAttackMs = 6;
inline constexpr uint32_t kBellMs = 2500;

class CueVoice {
public:
    // Cues sounding or waiting at once.
    static constexpr uint32_t kSlots = 16;
    // The fade of a cue that is stopped.
    static constexpr uint32_t kFadeMs = 10;

    explicit CueVoice(uint32_t outputRate);
    CueVoice(const CueVoice&) = delete;
    CueVoice& operator=(const CueVoice&) = delete;

    // Control side: plays the sound once from the frame of the stamp at a volume in hundredths
    // of a decibel (0 as made, -10000 silence). False when every slot is taken, or the sound is
    // empty or at another rate.
    bool Play(std::shared_ptr<const CueSound> sound, int32_t volume, int64_t stamp);
    // Control side: every cue sounding or still waiting fades out from the frame of the stamp;
    // one played later sounds as usual.
    void Stop(int64_t stamp);
    // Control side: lets go of the sounds that have been played.
    void Collect();
    // Control side: cues played and not yet let go (sounding, waiting or done).
    uint32_t Held() const;
    // Cues that have begun sounding so far (mixing side count).
    uint64_t Started() const { return started_.load(std::memory_order_relaxed); }

    // Mixing side: adds the cues' next frames into out (interleaved stereo, the same in both
    // ears); out[0] is output frame firstFrame.
    void MixInto(float* out, uint32_t frames, uint64_t firstFrame, const FrameClock& clock);

private:
    enum : uint8_t { kFree, kGiven, kDone };
    struct Change {
        int64_t stamp = 0;
        const float* samples = nullptr; // none: a stop
        uint32_t frames = 0;
        uint32_t slot = 0;
        uint32_t generation = 0; // the stops before it
        float gain = 0.0f;
    };
    struct Sounding {
        const float* samples = nullptr;
        uint32_t frames = 0;
        uint32_t position = 0;
        uint32_t generation = 0;
        float gain = 0.0f;
        float fade = 1.0f;
        bool fading = false;
    };

    void Apply(const Change& change);
    void Mix(float* out, uint32_t n);
    void Release(uint32_t slot);

    const uint32_t rate_;
    const float fadeStep_;
    SpscRing<Change, 64> changes_;
    std::array<std::shared_ptr<const CueSound>, kSlots> held_; // control side only
    std::array<std::atomic<uint8_t>, kSlots> state_{};
    uint32_t generation_ = 0;          // control side: stops made
    std::atomic<uint32_t> stopped_{0}; // the last stop made, for waiting cues
    std::atomic<uint64_t> started_{0};
    std::array<Sounding, kSlots> sounding_{}; // mixing side only; samples null when idle
};
