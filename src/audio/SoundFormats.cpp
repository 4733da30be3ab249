// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundFormats.h"

#include <cstring>

namespace {

uint16_t Word(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Dword(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The sub-format identifiers of the extensible block: the tag in the first two bytes,
// followed by a fixed tail.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

} // namespace

HRESULT ParseWaveFormat(const void* block, size_t size, SampleFormat& format) {
    if (block == nullptr || size < 16) return DSERR_BADFORMAT;
    const auto* p = static_cast<const uint8_t*>(block);
    uint16_t tag = Word(p);
    const uint32_t channels = Word(p + 2);
    const uint32_t rate = Dword(p + 4);
    const uint32_t blockAlign = Word(p + 12);
    const uint32_t bits = Word(p + 14);

    if (tag == WAVE_FORMAT_EXTENSIBLE) {
        // cbSize (2), valid bits (2), channel mask (4), sub-format (16).
        if (size < 40 || Word(p + 16) < 22) return DSERR_BADFORMAT;
        const uint32_t validBits = Word(p + 18);
        if (validBits != bits) return DSERR_BADFORMAT;
        if (std::memcmp(p + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) {
            return DSERR_BADFORMAT;
        }
        tag = Word(p + 24);
    }

    SampleKind kind;
    if (tag == WAVE_FORMAT_PCM) {
        switch (bits) {
        case 8:
            kind = SampleKind::U8;
            break;
        case 16:
            kind = SampleKind::S16;
            break;
        case 24:
            kind = SampleKind::S24;
            break;
        case 32:
            kind = SampleKind::S32;
            break;
        default:
            return DSERR_BADFORMAT;
        }
    } else if (tag == WAVE_FORMAT_IEEE_FLOAT && bits == 32) {
        kind = SampleKind::F32;
    } else {
        return DSERR_BADFORMAT;
    }
    if (channels < 1 || channels > 2) return DSERR_BADFORMAT;
    if (rate < kMinSampleRate || rate > kMaxSampleRate) return DSERR_BADFORMAT;
    if (blockAlign != channels * bits / 8) return DSERR_BADFORMAT;

    format.kind = kind;
    format.channels = channels;
    format.rate = rate;
    format.blockAlign = blockAlign;
    return DS_OK;
}
