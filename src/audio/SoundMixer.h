// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The software mixer: voices over sample memory, mixed into interleaved stereo float.
// It knows nothing of any output device; an output calls Render from its own thread.
//
// The control side (any one non-audio thread at a time) and the mixing side share only
// atomics: every change of rate, pan or volume travels with its stamp through the voice's
// ring and is applied at its own frame inside the block being mixed, and a removed voice is
// freed by the control side once no block that could have seen it is still being mixed.
// Nothing on the mixing side allocates, waits or throws.

#include "audio/FrameClock.h"
#include "audio/SoundCue.h"
#include "audio/SoundFormats.h"
#include "audio/SoundTone.h"
#include "audio/SpscRing.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Largest number of frames mixed as one block; Render splits longer requests. Changes take
// effect at their own frames inside a block; a removed voice waits at most for the block in
// progress before it is freed.
constexpr uint32_t kMixBlockFrames = 512;

enum class ChangeKind : uint8_t { Frequency, Pan, Volume };

struct ParameterChange {
    int64_t stamp = 0; // see FrameClock
    int32_t value = 0;
    ChangeKind kind = ChangeKind::Pan;
};

class MixerVoice {
public:
    // Changes waiting for their frame: well over a second of steps every 2 ms, each
    // setting rate, pan and volume.
    static constexpr uint32_t kChangeCapacity = 4096;

    MixerVoice(const SampleFormat& format, uint32_t bytes);
    MixerVoice(const MixerVoice&) = delete;
    MixerVoice& operator=(const MixerVoice&) = delete;

    uint8_t* Memory() { return memory_.get(); }
    uint32_t Bytes() const { return bytes_; }
    uint32_t Frames() const { return frames_; }
    const SampleFormat& Format() const { return format_; }

    // Control side: each change takes effect at the frame its stamp belongs to. The getters
    // answer the last value set.
    void SetFrequency(uint32_t rate, int64_t stamp);
    void SetPan(int32_t pan, int64_t stamp);
    void SetVolume(int32_t volume, int64_t stamp);
    // Changes that found the ring full. The voice then catches up with the last values set
    // as soon as the ring has drained, so only their timing is lost.
    uint64_t OverflowedChanges() const { return overflowed_.load(std::memory_order_relaxed); }
    uint32_t Frequency() const { return frequency_.load(std::memory_order_relaxed); }
    int32_t Pan() const { return pan_.load(std::memory_order_relaxed); }
    int32_t Volume() const { return volume_.load(std::memory_order_relaxed); }
    void Play(bool looping);
    void Stop();
    bool Playing() const;
    bool Looping() const;
    // The play position in frames, as the mixer last left it.
    uint32_t PositionFrames() const;
    // The pan that the mixed output was last heading for: shows when a change has reached
    // the output.
    int32_t MixedPan() const { return mixedPan_.load(std::memory_order_acquire); }
    // Control side: the sound's loudness as heard, the root mean square of its samples played
    // once at full volume and its own rate into an output of outputRate (0 for silence).
    // Measured on first use after the memory was written.
    float Loudness(uint32_t outputRate);
    void MemoryChanged() { loudnessKnown_ = false; }

    // Mixing side: adds this voice's next frames into out (interleaved stereo); out[0] is
    // output frame firstFrame, and due changes are applied at their frames.
    void MixInto(float* out, uint32_t frames, uint64_t firstFrame, const FrameClock& clock,
                 uint32_t outputRate);

private:
    static constexpr uint32_t kPlaying = 1;
    static constexpr uint32_t kLooping = 2;
    static constexpr uint32_t kGenerationStep = 4;

    void Publish(ChangeKind kind, int32_t value, int64_t stamp);
    // Mixing side: a change takes effect; while the voice is heard a gain change glides.
    void Apply(ChangeKind kind, int32_t value, bool audible, uint32_t outputRate);
    void CatchUp(bool audible, uint32_t outputRate);
    void Retarget(bool audible, uint32_t outputRate);
    // Mixes up to n frames from the current settings; false once a sound played once has
    // reached its end.
    bool Mix(float* out, uint32_t n, bool looping, uint32_t outputRate);

    SampleFormat format_;
    uint32_t bytes_;
    uint32_t frames_;
    std::unique_ptr<uint8_t[]> memory_;

    std::atomic<uint32_t> frequency_;
    std::atomic<int32_t> pan_{0};
    std::atomic<int32_t> volume_{0};
    std::atomic<uint32_t> control_{0};
    std::atomic<uint64_t> publishedPosition_{0};
    std::atomic<int32_t> mixedPan_{0};
    SpscRing<ParameterChange, kChangeCapacity> changes_;
    std::atomic<uint64_t> overflowed_{0};
    std::atomic<bool> catchUp_{false};
    bool loudnessKnown_ = false; // control side only
    float loudness_ = 0.0f;

    // Mixing side only.
    uint64_t position_ = 0; // frames, 32.32 fixed point
    uint32_t appliedFrequency_;
    int32_t appliedPan_ = 0;
    int32_t appliedVolume_ = 0;
    float gain_[2] = {1.0f, 1.0f};
    float gainStep_[2] = {0.0f, 0.0f};
    float target_[2] = {1.0f, 1.0f};
    uint32_t rampLeft_ = 0;
};

// Channel gains of a pan and a volume in hundredths of a decibel: a positive pan
// attenuates the left channel by pan/100 dB, a negative one the right; the volume
// attenuates both; attenuations add in dB and 100 dB or more is silence.
void PanVolumeGains(int32_t pan, int32_t volume, float& left, float& right);

class SoundMixer {
public:
    static constexpr size_t kMaxVoices = 256;

    explicit SoundMixer(uint32_t outputRate, FrameClock::Mode mode = FrameClock::Mode::RealTime);
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    uint32_t OutputRate() const { return outputRate_; }
    FrameClock& Clock() { return clock_; }
    // Control side: the stamp of a change made now.
    int64_t Now() const { return clock_.Now(); }
    // The one tone voice, mixed after the sounds.
    ToneVoice& Tone() { return tone_; }
    // The cues played once over the rest, mixed last.
    CueVoice& Cues() { return cues_; }

    // Control side. AddVoice answers false when every slot is taken.
    bool AddVoice(MixerVoice* voice);
    // Detaches the voice and takes ownership of it until the mixing side is done with it.
    void RemoveVoice(std::unique_ptr<MixerVoice> voice);
    // Frees removed voices that no block in progress can still see.
    void CollectRemoved();
    size_t PendingRemovals();

    // Control side: the loudness (MixerVoice::Loudness) of the loudest sound; 0 without one.
    float SoundLoudness();
    // Frames the limiter has turned down so far: the sum of the sounds and the tone would
    // otherwise have reached full scale there.
    uint64_t LimitedFrames() const { return limitedFrames_.load(std::memory_order_relaxed); }

    // Blocks begun (a block in progress counts) and blocks finished so far.
    uint64_t BlocksBegun() const { return (epoch_.load() + 1) / 2; }
    uint64_t BlocksFinished() const { return epoch_.load() / 2; }

    // Mixing side: fills frames interleaved stereo frames, in blocks of at most
    // kMixBlockFrames. The frame clock takes the pull to be made at pullNs on the steady clock
    // (FrameClock::BeginPull): now, or where an output that knows its queue puts it.
    void Render(float* out, uint32_t frames);
    void Render(float* out, uint32_t frames, int64_t pullNs);

private:
    void RenderBlock(float* out, uint32_t frames);
    // Turns the block down where it would reach full scale (see SoundMixer.cpp).
    void Limit(float* out, uint32_t frames);

    uint32_t outputRate_;
    FrameClock clock_;
    uint64_t framesRendered_ = 0; // mixing side only
    ToneVoice tone_;
    CueVoice cues_;
    std::array<std::atomic<MixerVoice*>, kMaxVoices> slots_{};
    // The limiter, mixing side only: the gain it applies now, the frames it still holds a
    // reduction, and the most each frame of the block may be given.
    float limitGain_ = 1.0f;
    uint32_t limitHold_ = 0;
    std::array<float, kMixBlockFrames> allowed_{};
    std::atomic<uint64_t> limitedFrames_{0};
    // Odd while a block is being mixed; advances by two per block.
    std::atomic<uint64_t> epoch_{0};

    struct Removed {
        std::unique_ptr<MixerVoice> voice;
        uint64_t epoch;
    };
    std::mutex controlMutex_; // control side only
    std::vector<Removed> removed_;
};
