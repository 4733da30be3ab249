// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sample formats the sound output plays, read from a wave format block.

#include "audio/SoundTypes.h"

#include <cstddef>
#include <cstdint>

enum class SampleKind { U8, S16, S24, S32, F32 };

struct SampleFormat {
    SampleKind kind = SampleKind::S16;
    uint32_t channels = 0;   // 1 or 2
    uint32_t rate = 0;       // samples per second, 100..200000
    uint32_t blockAlign = 0; // bytes per frame
};

constexpr uint16_t WAVE_FORMAT_PCM = 1;
constexpr uint16_t WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

constexpr uint32_t kMinSampleRate = 100;
constexpr uint32_t kMaxSampleRate = 200000;

// Reads a wave format block of size bytes. Returns DS_OK and fills format for PCM with
// 8-bit unsigned or 16-, 24-, 32-bit signed samples and for 32-bit float, with one or two
// channels at 100..200000 samples per second; DSERR_BADFORMAT for anything else.
HRESULT ParseWaveFormat(const void* block, size_t size, SampleFormat& format);
