// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tone voice: a sine generated beside the sound buffers, either a binaural beat (the
// carrier in the left ear, carrier + beat in the right) or an isochronic pulse (the carrier in
// both ears, on for the first half of every beat period with raised-cosine edges).
//
// As with the sound's voices, every change travels with its stamp through a ring and takes
// effect at its own frame; the phases run on across every change, so a new beat, carrier or
// mode never breaks the wave. Level changes, Play, Stop and a change of mode glide, so that
// nothing clicks. The mixing side allocates nothing, waits for nothing and throws nothing.

#include "audio/FrameClock.h"
#include "audio/SpscRing.h"

#include <atomic>
#include <cstdint>

enum class ToneMode : uint8_t { Off, Binaural, Isochronic };

class ToneVoice {
public:
    // Changes waiting for their frame: far more than a second of changes every 2 ms.
    static constexpr uint32_t kChangeCapacity = 1024;
    // The glide of a level change, Play, Stop or a change of mode.
    static constexpr uint32_t kFadeMs = 10;
    // The longest edge of an isochronic pulse; shorter where a quarter of the on-time is less.
    static constexpr uint32_t kEdgeMicros = 5000;
    // Sine table size: linear interpolation between 4096 points is within 3e-7 of a sine.
    static constexpr uint32_t kTableBits = 12;

    explicit ToneVoice(uint32_t outputRate);
    ToneVoice(const ToneVoice&) = delete;
    ToneVoice& operator=(const ToneVoice&) = delete;

    // Control side: frequencies in thousandths of a hertz, the volume in hundredths of a
    // decibel (0 full, -10000 silence), each taking effect at the frame of its stamp.
    void SetMode(ToneMode mode, int64_t stamp);
    void SetCarrier(uint32_t milliHz, int64_t stamp);
    void SetBeat(uint32_t milliHz, int64_t stamp);
    void SetVolume(int32_t volume, int64_t stamp);
    void Play(int64_t stamp);
    void Stop(int64_t stamp);
    // Puts the beat (the right ear's lead over the left, and the pulse) at a phase, in 2^-32
    // of a cycle, at the frame of its stamp: the run's phase. A silent tone takes it at once,
    // as where a run begins; a sounding one glides to it over kSyncMs, its beat a little
    // faster or slower meanwhile, so that an output whose clock runs apart from the run's is
    // kept on the run's phase without a click.
    void SetPhase(uint32_t fraction, int64_t stamp);
    static constexpr uint32_t kSyncMs = 250;

    ToneMode Mode() const { return static_cast<ToneMode>(mode_.load(std::memory_order_relaxed)); }
    uint32_t Carrier() const { return carrier_.load(std::memory_order_relaxed); }
    uint32_t Beat() const { return beat_.load(std::memory_order_relaxed); }
    int32_t Volume() const { return volume_.load(std::memory_order_relaxed); }
    bool Playing() const { return playing_.load(std::memory_order_relaxed); }
    // Changes that found the ring full; the voice catches up with the last values set once
    // the ring has drained, so only their timing is lost.
    uint64_t OverflowedChanges() const { return overflowed_.load(std::memory_order_relaxed); }

    // Mixing side: adds the tone's next frames into out (interleaved stereo); out[0] is output
    // frame firstFrame.
    void MixInto(float* out, uint32_t frames, uint64_t firstFrame, const FrameClock& clock);

private:
    enum class Kind : uint8_t { Mode, Carrier, Beat, Volume, Playing, Phase };
    struct Change {
        int64_t stamp = 0;
        int32_t value = 0;
        Kind kind = Kind::Mode;
    };

    void Publish(Kind kind, int32_t value, int64_t stamp);
    // Mixing side; a change applied after its own frame is late by lateFrames.
    void Apply(Kind kind, int32_t value, uint64_t lateFrames);
    void CatchUp();
    void Retune();
    void Retarget();
    void Synchronise(uint64_t beatPhase);
    void Generate(float* out, uint32_t n);
    struct Rotor;
    // Frame by frame, for glides and a pulse's edges.
    template <bool Isochronic, bool Gliding> void Run(float* out, uint32_t n);
    // At a steady gain: the binaural beat, or the carrier in both ears.
    template <bool Binaural> void RunSteady(float* out, uint32_t n);
    // Frames of a pulse's edge that do not reach its end.
    void RunEdge(float* out, uint32_t n, bool rising);
    void RunPulse(float* out, uint32_t n);
    float Sine(uint64_t phase) const;

    const uint32_t rate_;
    const float fadeStep_; // the largest change of gain from one frame to the next
    float table_[(1u << kTableBits) + 1];

    std::atomic<uint8_t> mode_{0};
    std::atomic<uint32_t> carrier_{200000};
    std::atomic<uint32_t> beat_{10000};
    std::atomic<int32_t> volume_{0};
    std::atomic<bool> playing_{false};
    SpscRing<Change, kChangeCapacity> changes_;
    std::atomic<uint64_t> overflowed_{0};
    std::atomic<bool> catchUp_{false};

    // Mixing side only. Phases are fractions of a cycle in 64-bit fixed point.
    ToneMode appliedMode_ = ToneMode::Off;
    ToneMode sounding_ = ToneMode::Off; // the mode heard; a new one waits for silence
    uint32_t appliedCarrier_ = 200000;
    uint32_t appliedBeat_ = 10000;
    int32_t appliedVolume_ = 0;
    bool appliedPlaying_ = false;
    uint64_t leftPhase_ = 0, rightPhase_ = 0, pulsePhase_ = 0;
    uint64_t leftStep_ = 0, rightStep_ = 0, pulseStep_ = 0;
    // A glide of the beat's phase toward the run's: added to the beat's step for syncLeft_
    // more frames.
    int64_t syncStep_ = 0;
    uint32_t syncLeft_ = 0;
    float leftTurn_[2] = {1.0f, 0.0f}, rightTurn_[2] = {1.0f, 0.0f};
    // The pulse: on from the start of its cycle until onEnd_, its envelope rising (or falling
    // once past onEnd_) by edgeStep_ a frame; the envelope is a raised cosine of edge_, which
    // glides on across a change of beat rather than jumping.
    uint64_t onEnd_ = uint64_t{1} << 63;
    float edgeStep_ = 1.0f;
    float edge_ = 0.0f;
    float gain_ = 0.0f;
    float target_ = 0.0f;
};

// The phase step per frame of a frequency in thousandths of a hertz, in 64-bit fixed point.
uint64_t TonePhaseStep(uint64_t milliHz, uint32_t rate);
