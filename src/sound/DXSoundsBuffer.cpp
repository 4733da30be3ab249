// SPDX-License-Identifier: GPL-3.0-or-later
// The sound buffer: loading a whole sound into one platform buffer and the calls that
// play and shape it.

#include "sound/DXSounds.h"

#include <algorithm>
#include <cstring>

TDirectSoundBuffer::TDirectSoundBuffer(TDirectSound& device) : device_(&device) {
    device.AddBuffer(this);
}

TDirectSoundBuffer::~TDirectSoundBuffer() {
    if (device_ != nullptr) device_->RemoveBuffer(this);
    bufferInterface_.reset();
}

IDirectSoundBuffer& TDirectSoundBuffer::RequireBuffer() {
    return RequireBuffer(this);
}

IDirectSoundBuffer& TDirectSoundBuffer::RequireBuffer(TDirectSoundBuffer* buffer) {
    if (buffer == nullptr || !buffer->bufferInterface_) {
        throw EDirectSoundBufferError(Msg::NotMade, {"IDirectSoundBuffer"});
    }
    return *buffer->bufferInterface_;
}

TDirectSoundBuffer& TDirectSoundBuffer::Require(TDirectSoundBuffer* buffer) {
    RequireBuffer(buffer);
    return *buffer;
}

TDirectSound& TDirectSoundBuffer::RequireDevice() {
    if (device_ == nullptr) throw EDirectSoundError(Msg::NotMade, {"IDirectSound"});
    return *device_;
}

void TDirectSoundBuffer::ResultFailed() {
    if (device_ != nullptr) device_->HandleBufferLoss(*this);
}

void TDirectSoundBuffer::SetBuffer(std::shared_ptr<IDirectSoundBuffer> buffer) {
    bufferInterface_ = std::move(buffer);
}

bool TDirectSoundBuffer::CreateBuffer(const DSBUFFERDESC& desc) {
    SetBuffer(nullptr);
    TDirectSound& device = RequireDevice();
    std::shared_ptr<IDirectSoundBuffer> created;
    device.SetResult(device.RequireSound().CreateSoundBuffer(&desc, &created, nullptr));
    lastResult_ = device.LastResult();
    if (lastResult_ == DS_OK) SetBuffer(std::move(created));
    return lastResult_ == DS_OK;
}

void TDirectSoundBuffer::CreateSecondary(const uint8_t* format, int32_t formatBytes,
                                         int32_t bytes) {
    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_SIZE;
    desc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    if (device_ != nullptr && device_->StickyFocus) {
        desc.dwFlags |= DSBCAPS_STICKYFOCUS;
    } else if (device_ != nullptr && device_->GlobalFocus) {
        desc.dwFlags |= DSBCAPS_GLOBALFOCUS;
    }
    desc.dwBufferBytes = static_cast<uint32_t>(std::max(bytes, 0));
    desc.lpwfxFormat = formatBytes > 0 ? format : nullptr;
    desc.formatBytes = static_cast<uint32_t>(std::max(formatBytes, 0));
    if (!CreateBuffer(desc)) throw EDirectSoundBufferError(Msg::CannotBeMade, {"Sound Buffer"});
}

void TDirectSoundBuffer::LoadFromMemory(const uint8_t* format, int32_t formatBytes,
                                        const void* data, int32_t bytes) {
    CreateSecondary(format, formatBytes, bytes);
    if (data == nullptr) return;
    void* region1 = nullptr;
    void* region2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    if (!Lock(0, static_cast<uint32_t>(bytes), &region1, &bytes1, &region2, &bytes2, 0)) {
        SetBuffer(nullptr);
        throw EDirectSoundBufferError(Msg::CannotBeLocked, {"Sound Buffer"});
    }
    // The regions never hold more than was asked for; the clamps keep it so.
    const auto total = static_cast<uint32_t>(bytes);
    bytes1 = std::min(bytes1, total);
    std::memcpy(region1, data, bytes1);
    if (region2 != nullptr) {
        bytes2 = std::min(bytes2, total - bytes1);
        std::memcpy(region2, static_cast<const uint8_t*>(data) + bytes1, bytes2);
    }
    Unlock(region1, bytes1, region2, bytes2);
}

void TDirectSoundBuffer::LoadFromWave(TWave& wave) {
    LoadFromMemory(wave.FormatBlock(), wave.FormatBytes(), wave.SampleData(), wave.SampleBytes());
}

void TDirectSoundBuffer::LoadFromStream(TStream& stream) {
    TWave wave;
    wave.LoadFromStream(stream);
    LoadFromWave(wave);
}

void TDirectSoundBuffer::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

bool TDirectSoundBuffer::Play(uint32_t flags) {
    SetResult(RequireBuffer().Play(0, 0, flags));
    return lastResult_ == DS_OK;
}

bool TDirectSoundBuffer::Stop() {
    SetResult(RequireBuffer().Stop());
    return lastResult_ == DS_OK;
}

void TDirectSoundBuffer::SetFrequency(int32_t rate) {
    // A negative rate reaches the output as an out-of-range value and is refused there.
    SetResult(RequireBuffer().SetFrequency(static_cast<uint32_t>(rate)));
}

void TDirectSoundBuffer::SetPan(int32_t pan) {
    SetResult(RequireBuffer().SetPan(pan));
}

void TDirectSoundBuffer::SetVolume(int32_t volume) {
    SetResult(RequireBuffer().SetVolume(volume));
}

bool TDirectSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1,
                              void** region2, uint32_t* bytes2, uint32_t flags) {
    SetResult(RequireBuffer().Lock(offset, bytes, region1, bytes1, region2, bytes2, flags));
    return lastResult_ == DS_OK;
}

bool TDirectSoundBuffer::Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) {
    SetResult(RequireBuffer().Unlock(region1, bytes1, region2, bytes2));
    return lastResult_ == DS_OK;
}
