// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundDevice.h"

#include "audio/SoundMixer.h"
#include "audio/SoundOutput.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

// The mixer and the output that drives it, shared by devices and their buffers. The engines
// of the real-time outputs live as long as the process: a device made after another one
// carries on with the same stream, so no stream is closed and opened again while the
// program runs.
struct SoundEngine {
    std::unique_ptr<SoundMixer> mixer;
    std::unique_ptr<SoundOutput> output;

    ~SoundEngine() {
        // The output's thread must be gone before the voices it mixes are freed.
        if (output) output->Close();
        output.reset();
        mixer.reset();
    }
};

namespace {

std::atomic<SoundOutputChoice> g_outputChoice{SoundOutputChoice::Device};

constexpr uint32_t kSecondaryFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                                     DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS;

bool Within(const uint8_t* p, uint32_t n, const uint8_t* base, uint32_t size) {
    return p >= base && p <= base + size && n <= static_cast<uint32_t>(base + size - p);
}

std::shared_ptr<SoundEngine> MakeEngine(SoundOutputChoice choice) {
    auto engine = std::make_shared<SoundEngine>();
    const bool offline = choice == SoundOutputChoice::Offline;
    engine->mixer = std::make_unique<SoundMixer>(kOutputRate, offline ? FrameClock::Mode::Offline
                                                                      : FrameClock::Mode::RealTime);
    if (offline) {
        engine->output = OpenOfflineOutput(kOutputRate);
        return engine;
    }
    if (choice == SoundOutputChoice::Device) engine->output = OpenSdlOutput(*engine->mixer);
    if (!engine->output) engine->output = OpenNullOutput(*engine->mixer);
    return engine;
}

// The process's engine for the SDL device (falling back to the null output) or for the
// null output; an offline engine belongs to its device alone.
std::shared_ptr<SoundEngine> EngineFor(SoundOutputChoice choice) {
    if (choice == SoundOutputChoice::Offline) return MakeEngine(choice);
    static std::mutex mutex;
    static std::shared_ptr<SoundEngine> device, null;
    std::lock_guard lock(mutex);
    std::shared_ptr<SoundEngine>& engine = choice == SoundOutputChoice::Device ? device : null;
    if (!engine) engine = MakeEngine(choice);
    return engine;
}

} // namespace

void SetSoundOutputChoice(SoundOutputChoice choice) {
    g_outputChoice.store(choice);
}
SoundOutputChoice GetSoundOutputChoice() {
    return g_outputChoice.load();
}

// ---- IDirectSoundBuffer

IDirectSoundBuffer::IDirectSoundBuffer(std::shared_ptr<SoundEngine> engine, uint32_t flags,
                                       std::unique_ptr<MixerVoice> voice)
    : engine_(std::move(engine)), flags_(flags), voice_(std::move(voice)) {}

IDirectSoundBuffer::~IDirectSoundBuffer() {
    if (voice_) {
        voice_->Stop();
        engine_->mixer->RemoveVoice(std::move(voice_));
    }
    engine_->mixer->CollectRemoved();
}

uint32_t IDirectSoundBuffer::Bytes() const {
    return voice_ ? voice_->Bytes() : 0;
}

HRESULT IDirectSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1,
                                 void** region2, uint32_t* bytes2, uint32_t flags) {
    if (lost_) return DSERR_BUFFERLOST;
    if (!voice_ || region1 == nullptr || bytes1 == nullptr) return DSERR_INVALIDPARAM;
    const uint32_t size = voice_->Bytes();
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = size;
    }
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    uint8_t* mem = voice_->Memory();
    const uint32_t first = bytes < size - offset ? bytes : size - offset;
    *region1 = mem + offset;
    *bytes1 = first;
    lockedRegion1_ = mem + offset;
    lockedRegion2_ = nullptr;
    if (region2 != nullptr) *region2 = nullptr;
    if (bytes2 != nullptr) *bytes2 = 0;
    if (first < bytes && region2 != nullptr && bytes2 != nullptr) {
        *region2 = mem;
        *bytes2 = bytes - first;
        lockedRegion2_ = mem;
    }
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) {
    if (lost_) return DSERR_BUFFERLOST;
    if (!voice_) return DSERR_INVALIDPARAM;
    const uint8_t* base = voice_->Memory();
    const uint32_t size = voice_->Bytes();
    auto* r1 = static_cast<uint8_t*>(region1);
    auto* r2 = static_cast<uint8_t*>(region2);
    if (r1 == nullptr || r1 != lockedRegion1_ || !Within(r1, bytes1, base, size)) {
        return DSERR_INVALIDPARAM;
    }
    if (r2 != nullptr && (r2 != lockedRegion2_ || !Within(r2, bytes2, base, size))) {
        return DSERR_INVALIDPARAM;
    }
    lockedRegion1_ = lockedRegion2_ = nullptr;
    voice_->MemoryChanged();
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Play(uint32_t reserved, uint32_t /*priority*/, uint32_t flags) {
    if (lost_) return DSERR_BUFFERLOST;
    if (reserved != 0 || (flags & ~DSBPLAY_LOOPING) != 0) return DSERR_INVALIDPARAM;
    // The primary buffer only stands for the device's output; there is nothing to start.
    if (!voice_) return DS_OK;
    voice_->Play((flags & DSBPLAY_LOOPING) != 0);
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Stop() {
    if (voice_) voice_->Stop();
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Controllable(uint32_t control, bool outOfRange) const {
    if (lost_) return DSERR_BUFFERLOST;
    if (!voice_ || (flags_ & control) == 0 || outOfRange) return DSERR_INVALIDPARAM;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::SetFrequency(uint32_t rate) {
    const HRESULT allowed =
        Controllable(DSBCAPS_CTRLFREQUENCY, rate < DSBFREQUENCY_MIN || rate > DSBFREQUENCY_MAX);
    if (allowed == DS_OK) voice_->SetFrequency(rate, engine_->mixer->Now());
    return allowed;
}

HRESULT IDirectSoundBuffer::SetPan(int32_t pan) {
    const HRESULT allowed = Controllable(DSBCAPS_CTRLPAN, pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT);
    if (allowed == DS_OK) voice_->SetPan(pan, engine_->mixer->Now());
    return allowed;
}

HRESULT IDirectSoundBuffer::SetVolume(int32_t volume) {
    const HRESULT allowed =
        Controllable(DSBCAPS_CTRLVOLUME, volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX);
    if (allowed == DS_OK) voice_->SetVolume(volume, engine_->mixer->Now());
    return allowed;
}

HRESULT IDirectSoundBuffer::GetFrequency(uint32_t* rate) const {
    if (rate == nullptr || !voice_) return lost_ ? DSERR_BUFFERLOST : DSERR_INVALIDPARAM;
    *rate = voice_->Frequency();
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetPan(int32_t* pan) const {
    if (pan == nullptr || !voice_) return lost_ ? DSERR_BUFFERLOST : DSERR_INVALIDPARAM;
    *pan = voice_->Pan();
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetMixedPan(int32_t* pan) const {
    if (pan == nullptr || !voice_) return lost_ ? DSERR_BUFFERLOST : DSERR_INVALIDPARAM;
    *pan = voice_->MixedPan();
    return DS_OK;
}

uint64_t IDirectSoundBuffer::OverflowedChanges() const {
    return voice_ ? voice_->OverflowedChanges() : 0;
}

HRESULT IDirectSoundBuffer::GetVolume(int32_t* volume) const {
    if (volume == nullptr || !voice_) return lost_ ? DSERR_BUFFERLOST : DSERR_INVALIDPARAM;
    *volume = voice_->Volume();
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetStatus(uint32_t* status) const {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    *status = 0;
    if (lost_) *status |= DSBSTATUS_BUFFERLOST;
    if (voice_ && voice_->Playing()) {
        *status |= DSBSTATUS_PLAYING;
        if (voice_->Looping()) *status |= DSBSTATUS_LOOPING;
    }
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetCurrentPosition(uint32_t* playBytes) const {
    if (playBytes == nullptr || !voice_) return lost_ ? DSERR_BUFFERLOST : DSERR_INVALIDPARAM;
    *playBytes = voice_->PositionFrames() * voice_->Format().blockAlign;
    return DS_OK;
}

void IDirectSoundBuffer::TakeMemoryAwayForTest() {
    if (!voice_) return;
    voice_->Stop();
    engine_->mixer->RemoveVoice(std::move(voice_));
    lockedRegion1_ = lockedRegion2_ = nullptr;
    lost_ = true;
}

// ---- IDirectSound

IDirectSound::IDirectSound(std::shared_ptr<SoundEngine> engine) : engine_(std::move(engine)) {}

IDirectSound::~IDirectSound() = default;

const char* IDirectSound::OutputName() const {
    return engine_->output->Name();
}
uint32_t IDirectSound::OutputRate() const {
    return engine_->mixer->OutputRate();
}
uint32_t IDirectSound::OutputBlockFrames() const {
    return engine_->output->BlockFrames();
}

uint64_t IDirectSound::OutputUnderruns() const {
    return engine_->output->Underruns();
}

int64_t IDirectSound::OutputDelayNs() const {
    return engine_->output->DelayNs();
}

uint64_t IDirectSound::BlocksBegun() const {
    return engine_->mixer->BlocksBegun();
}
uint64_t IDirectSound::BlocksFinished() const {
    return engine_->mixer->BlocksFinished();
}

HRESULT IDirectSound::RenderOffline(float* out, uint32_t frames) {
    if (out == nullptr || std::strcmp(engine_->output->Name(), "offline") != 0) {
        return DSERR_INVALIDPARAM;
    }
    engine_->mixer->Render(out, frames);
    return DS_OK;
}

HRESULT IDirectSound::SetOfflineTime(uint64_t frame) {
    if (engine_->mixer->Clock().GetMode() != FrameClock::Mode::Offline) return DSERR_INVALIDPARAM;
    engine_->mixer->Clock().SetOfflineNow(frame);
    return DS_OK;
}

HRESULT IDirectSound::SetToneMode(uint32_t mode) {
    if (mode > DSTONE_ISOCHRONIC) return DSERR_INVALIDPARAM;
    engine_->mixer->Tone().SetMode(static_cast<ToneMode>(mode), engine_->mixer->Now());
    return DS_OK;
}

HRESULT IDirectSound::SetToneCarrier(uint32_t milliHz) {
    if (milliHz < DSTONE_CARRIER_MIN || milliHz > DSTONE_CARRIER_MAX) return DSERR_INVALIDPARAM;
    engine_->mixer->Tone().SetCarrier(milliHz, engine_->mixer->Now());
    return DS_OK;
}

HRESULT IDirectSound::SetToneBeat(uint32_t milliHz) {
    if (milliHz > DSTONE_BEAT_MAX) return DSERR_INVALIDPARAM;
    engine_->mixer->Tone().SetBeat(milliHz, engine_->mixer->Now());
    return DS_OK;
}

HRESULT IDirectSound::SetToneVolume(int32_t volume) {
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    engine_->mixer->Tone().SetVolume(volume, engine_->mixer->Now());
    return DS_OK;
}

HRESULT IDirectSound::PlayTone() {
    engine_->mixer->Tone().Play(engine_->mixer->Now());
    return DS_OK;
}

HRESULT IDirectSound::StopTone() {
    engine_->mixer->Tone().Stop(engine_->mixer->Now());
    return DS_OK;
}

HRESULT IDirectSound::SetTonePhase(uint32_t fraction) {
    engine_->mixer->Tone().SetPhase(fraction, engine_->mixer->Now());
    return DS_OK;
}

HRESULT IDirectSound::GetTone(uint32_t* mode, uint32_t* carrierMilliHz, uint32_t* beatMilliHz,
                              int32_t* volume, bool* playing) const {
    if (!mode || !carrierMilliHz || !beatMilliHz || !volume || !playing) return DSERR_INVALIDPARAM;
    const ToneVoice& tone = engine_->mixer->Tone();
    *mode = static_cast<uint32_t>(tone.Mode());
    *carrierMilliHz = tone.Carrier();
    *beatMilliHz = tone.Beat();
    *volume = tone.Volume();
    *playing = tone.Playing();
    return DS_OK;
}

uint64_t IDirectSound::ToneOverflowedChanges() const {
    return engine_->mixer->Tone().OverflowedChanges();
}

HRESULT IDirectSound::GetSoundLoudness(float* rms) const {
    if (!rms) return DSERR_INVALIDPARAM;
    *rms = engine_->mixer->SoundLoudness();
    return DS_OK;
}

uint64_t IDirectSound::LimitedFrames() const {
    return engine_->mixer->LimitedFrames();
}

HRESULT IDirectSound::PlayCue(std::shared_ptr<const CueSound> sound, int32_t volume) {
    if (!sound || sound->Samples.empty() || sound->Rate != engine_->mixer->OutputRate() ||
        volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
        return DSERR_INVALIDPARAM;
    SoundMixer& mixer = *engine_->mixer;
    return mixer.Cues().Play(std::move(sound), volume, mixer.Now()) ? DS_OK : DSERR_OUTOFMEMORY;
}

HRESULT IDirectSound::StopCues() {
    engine_->mixer->Cues().Stop(engine_->mixer->Now());
    return DS_OK;
}

uint64_t IDirectSound::CuesStarted() const {
    return engine_->mixer->Cues().Started();
}

HRESULT IDirectSound::SetCooperativeLevel(uintptr_t window, uint32_t level) {
    if (window == 0 || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
        return DSERR_INVALIDPARAM;
    }
    window_ = window;
    level_ = level;
    return DS_OK;
}

HRESULT IDirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc,
                                        std::shared_ptr<IDirectSoundBuffer>* out, void* outer) {
    if (desc == nullptr || out == nullptr || outer != nullptr) return DSERR_INVALIDPARAM;
    if (desc->dwSize != DSBUFFERDESC_SIZE) return DSERR_INVALIDPARAM;
    engine_->mixer->CollectRemoved();

    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
        out->reset(new IDirectSoundBuffer(engine_, desc->dwFlags, nullptr));
        return DS_OK;
    }
    if ((desc->dwFlags & ~kSecondaryFlags) != 0) return DSERR_INVALIDPARAM;
    if ((desc->dwFlags & DSBCAPS_STICKYFOCUS) && (desc->dwFlags & DSBCAPS_GLOBALFOCUS)) {
        return DSERR_INVALIDPARAM;
    }
    if (desc->lpwfxFormat == nullptr || desc->dwBufferBytes == 0 ||
        desc->dwBufferBytes > DSBSIZE_MAX) {
        return DSERR_INVALIDPARAM;
    }
    SampleFormat format;
    if (ParseWaveFormat(desc->lpwfxFormat, desc->formatBytes, format) != DS_OK) {
        return DSERR_BADFORMAT;
    }
    if (desc->dwBufferBytes < format.blockAlign) return DSERR_INVALIDPARAM;

    std::unique_ptr<MixerVoice> voice;
    try {
        voice = std::make_unique<MixerVoice>(format, desc->dwBufferBytes);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    MixerVoice* added = voice.get();
    std::shared_ptr<IDirectSoundBuffer> buffer(
        new IDirectSoundBuffer(engine_, desc->dwFlags, std::move(voice)));
    if (!engine_->mixer->AddVoice(added)) return DSERR_OUTOFMEMORY;
    *out = std::move(buffer);
    return DS_OK;
}

HRESULT DirectSoundCreate(const SoundDeviceId* /*id*/, std::shared_ptr<IDirectSound>* out,
                          void* outer) {
    if (out == nullptr || outer != nullptr) return DSERR_INVALIDPARAM;
    out->reset();
    const SoundOutputChoice choice = g_outputChoice.load();
    if (choice == SoundOutputChoice::Unavailable) return DSERR_NODRIVER;
    auto engine = EngineFor(choice);
    out->reset(new IDirectSound(std::move(engine)));
    return DS_OK;
}
