// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound output's device and buffer objects. A device mixes all its buffers into one
// output; buffers keep their device's mixer alive, so either may be released first.
// Every operation answers a result code (SoundTypes.h) and leaves the object as it was
// when it refuses.

#include "audio/SoundFormats.h"
#include "audio/SoundTypes.h"

#include <cstdint>
#include <memory>

class SoundMixer;
class SoundOutput;
struct CueSound;
class MixerVoice;
struct SoundEngine;

class IDirectSoundBuffer {
public:
    ~IDirectSoundBuffer();
    IDirectSoundBuffer(const IDirectSoundBuffer&) = delete;
    IDirectSoundBuffer& operator=(const IDirectSoundBuffer&) = delete;

    // Hands out the locked range as up to two regions: the second one starts at the
    // beginning of the buffer when the range wraps past its end.
    HRESULT Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2,
                 uint32_t* bytes2, uint32_t flags);
    HRESULT Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2);
    HRESULT Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    // Stops where it is; the next Play continues from there.
    HRESULT Stop();
    HRESULT SetFrequency(uint32_t rate);
    HRESULT SetPan(int32_t pan);
    HRESULT SetVolume(int32_t volume);

    HRESULT GetFrequency(uint32_t* rate) const;
    HRESULT GetPan(int32_t* pan) const;
    HRESULT GetVolume(int32_t* volume) const;
    HRESULT GetStatus(uint32_t* status) const;
    // The play position in bytes from the start of the buffer.
    HRESULT GetCurrentPosition(uint32_t* playBytes) const;
    // The pan the mixed output of this buffer was last heading for.
    HRESULT GetMixedPan(int32_t* pan) const;
    // Changes of rate, pan or volume that came faster than the output took them; they
    // still take effect, only later than their moment.
    uint64_t OverflowedChanges() const;
    uint32_t Flags() const { return flags_; }
    uint32_t Bytes() const;
    bool IsPrimary() const { return (flags_ & DSBCAPS_PRIMARYBUFFER) != 0; }

    // Test hook: takes the buffer's sample memory away, as a device would when another
    // program claims it. Later calls that need the memory answer DSERR_BUFFERLOST.
    void TakeMemoryAwayForTest();

private:
    friend class IDirectSound;
    IDirectSoundBuffer(std::shared_ptr<SoundEngine> engine, uint32_t flags,
                       std::unique_ptr<MixerVoice> voice);

    // Whether a setting with this control flag may change: not when lost, not without the
    // flag, and not to a value out of range.
    HRESULT Controllable(uint32_t control, bool outOfRange) const;

    std::shared_ptr<SoundEngine> engine_;
    uint32_t flags_;
    std::unique_ptr<MixerVoice> voice_; // none for a primary buffer or a lost one
    bool lost_ = false;
    uint8_t* lockedRegion1_ = nullptr;
    uint8_t* lockedRegion2_ = nullptr;
};

class IDirectSound {
public:
    ~IDirectSound();
    IDirectSound(const IDirectSound&) = delete;
    IDirectSound& operator=(const IDirectSound&) = delete;

    HRESULT SetCooperativeLevel(uintptr_t window, uint32_t level);
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, std::shared_ptr<IDirectSoundBuffer>* out,
                              void* outer);

    uintptr_t CooperativeWindow() const { return window_; }
    uint32_t CooperativeLevel() const { return level_; }
    // The output this device mixes into ("sdl", "null" or "offline"), its rate and the
    // frames it asks for at a time.
    const char* OutputName() const;
    uint32_t OutputRate() const;
    uint32_t OutputBlockFrames() const;
    // Times the output ran dry since it opened (SoundOutput.h).
    uint64_t OutputUnderruns() const;
    // The time from a change's stamp to its being heard (SoundOutput::DelayNs): what the
    // sound timer runs ahead of the light.
    int64_t OutputDelayNs() const;
    // Blocks the output has begun and finished mixing so far.
    uint64_t BlocksBegun() const;
    uint64_t BlocksFinished() const;
    // Mixes frames interleaved stereo frames into out; only an offline device accepts.
    // Changes made before take effect at the frame that was "now" when they were made: the
    // end of what had been rendered, or the later frame given to SetOfflineTime.
    HRESULT RenderOffline(float* out, uint32_t frames);
    HRESULT SetOfflineTime(uint64_t frame);

    // The tone voice beside the buffers (SoundTone.h), timed as a buffer's changes are. Modes:
    // DSTONE_OFF, DSTONE_BINAURAL, DSTONE_ISOCHRONIC; the carrier and the beat in thousandths
    // of a hertz; the volume in hundredths of a decibel, as a buffer's.
    HRESULT SetToneMode(uint32_t mode);
    HRESULT SetToneCarrier(uint32_t milliHz);
    HRESULT SetToneBeat(uint32_t milliHz);
    HRESULT SetToneVolume(int32_t volume);
    HRESULT PlayTone();
    HRESULT StopTone();
    // The beat's phase in 2^-32 of a cycle, taken where the tone is silent (ToneVoice::SetPhase).
    HRESULT SetTonePhase(uint32_t fraction);
    // The tone's settings as last set, and whether it was last played or stopped.
    HRESULT GetTone(uint32_t* mode, uint32_t* carrierMilliHz, uint32_t* beatMilliHz,
                    int32_t* volume, bool* playing) const;
    // Tone changes that came faster than the output took them.
    uint64_t ToneOverflowedChanges() const;
    // The loudness of the loudest sound buffer, the root mean square of its samples at full
    // volume (0 without one): what the tone's level is set against.
    HRESULT GetSoundLoudness(float* rms) const;
    // Frames the output's limiter has turned down, that would otherwise have reached full scale.
    uint64_t LimitedFrames() const;

    // Cues played once over the rest (SoundCue.h), from the moment of the call as a buffer's
    // changes are timed; the volume in hundredths of a decibel, as a buffer's. PlayCue answers
    // DSERR_INVALIDPARAM for an empty sound or one not at the output's rate, and
    // DSERR_OUTOFMEMORY when too many cues are sounding or waiting.
    HRESULT PlayCue(std::shared_ptr<const CueSound> sound, int32_t volume);
    // Fades out every cue sounding or waiting.
    HRESULT StopCues();
    // Cues that have begun sounding in the output so far.
    uint64_t CuesStarted() const;

private:
    friend HRESULT DirectSoundCreate(const SoundDeviceId*, std::shared_ptr<IDirectSound>*, void*);
    explicit IDirectSound(std::shared_ptr<SoundEngine> engine);

    std::shared_ptr<SoundEngine> engine_;
    uintptr_t window_ = 0;
    uint32_t level_ = 0;
};

// Opens the default sound device (id none) and answers a device object in out.
HRESULT DirectSoundCreate(const SoundDeviceId* id, std::shared_ptr<IDirectSound>* out, void* outer);

// Which output new devices use: the SDL device with the null output as fallback, the null
// output, an offline output that renders only when asked, or none (creation fails).
enum class SoundOutputChoice { Device, Null, Offline, Unavailable };
void SetSoundOutputChoice(SoundOutputChoice choice);
SoundOutputChoice GetSoundOutputChoice();
