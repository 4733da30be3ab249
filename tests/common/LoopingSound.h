// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A looping 16-bit stereo sound made on a device and started, for the sound tests and
// benchmarks.

#include "audio/SoundDevice.h"
#include "sound/WaveFileHeader.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// The 16-byte format block of 16-bit PCM.
inline std::vector<uint8_t> PcmFormat16(uint16_t channels, uint32_t rate) {
    return wavefile::FormatBlock(wavefile::Encoding::Pcm16, channels, rate);
}

// Interleaved stereo samples at the given rate, playing in a loop at the given pan; none
// when the device refuses the buffer.
inline std::shared_ptr<IDirectSoundBuffer> PlayLooping(IDirectSound& device, uint32_t rate,
                                                       const std::vector<int16_t>& samples,
                                                       int32_t pan = 0) {
    const auto format = PcmFormat16(2, rate);
    const DSBUFFERDESC desc{
        DSBUFFERDESC_SIZE,      0xE0, uint32_t(samples.size() * 2), 0, format.data(),
        uint32_t(format.size())};
    std::shared_ptr<IDirectSoundBuffer> buffer;
    if (device.CreateSoundBuffer(&desc, &buffer, nullptr) != DS_OK) return nullptr;
    void *r1, *r2;
    uint32_t b1, b2;
    if (buffer->Lock(0, desc.dwBufferBytes, &r1, &b1, &r2, &b2, 0) != DS_OK) return nullptr;
    std::memcpy(r1, samples.data(), b1);
    buffer->Unlock(r1, b1, r2, b2);
    if (pan != 0) buffer->SetPan(pan); // a new buffer starts centred
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    return buffer;
}
