// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundFormats.h"

#include "platform/LittleEndian.h"

#include <cstring>

namespace {

// The sub-format identifiers of the extensible block: the tag in the first two bytes,
// followed by a fixed tail.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

} // namespace

HRESULT ParseWaveFormat(const void* block, size_t size, SampleFormat& format) {
    if (block == nullptr || size < 16) return DSERR_BADFORMAT;
    const auto* p = static_cast<const uint8_t*>(block);
    uint16_t tag = ReadLe16(p);
    const uint32_t channels = ReadLe16(p + 2);
    const uint32_t rate = ReadLe32(p + 4);
    const uint32_t blockAlign = ReadLe16(p + 12);
    const uint32_t bits = ReadLe16(p + 14);

    if (tag == WAVE_FORMAT_EXTENSIBLE) {
        // cbSize (2), valid bits (2), channel mask (4), sub-format (16).
        if (size < 40 || ReadLe16(p + 16) < 22) return DSERR_BADFORMAT;
        const uint32_t validBits = ReadLe16(p + 18);
        if (validBits != bits) return DSERR_BADFORMAT;
        if (std::memcmp(p + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) {
            return DSERR_BADFORMAT;
        }
        tag = ReadLe16(p + 24);
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
