// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The writer of wave file headers for the whole tree (the renderer, the default library's
// sounds, the tests): a RIFF WAVE file of interleaved samples, 16-bit PCM or 32-bit float,
// with a "fmt " chunk of 16 bytes (18 for float, with its empty extension), a "fact" chunk for
// float, then the "data" chunk. Reading wave files is Wave.h's part.

#include "platform/LittleEndian.h"

#include <cstdint>
#include <vector>

namespace wavefile {

enum class Encoding { Pcm16, Float32 };

inline uint32_t BytesPerFrame(Encoding encoding, uint16_t channels) {
    return (encoding == Encoding::Pcm16 ? 2u : 4u) * channels;
}

// The bytes before the samples.
inline uint32_t HeaderBytes(Encoding encoding) {
    return encoding == Encoding::Pcm16 ? 12 + 8 + 16 + 8 : 12 + 8 + 18 + 12 + 8;
}

// The body of the "fmt " chunk.
inline std::vector<uint8_t> FormatBlock(Encoding encoding, uint16_t channels, uint32_t rate) {
    const bool pcm = encoding == Encoding::Pcm16;
    const uint32_t align = BytesPerFrame(encoding, channels);
    std::vector<uint8_t> out;
    AppendLe16(out, pcm ? 1 : 3); // the format tag: PCM or IEEE float
    AppendLe16(out, channels);
    AppendLe32(out, rate);
    AppendLe32(out, rate * align);
    AppendLe16(out, align);
    AppendLe16(out, pcm ? 16 : 32);
    if (!pcm) AppendLe16(out, 0); // no extension
    return out;
}

// Everything before the samples of a file of the given frames, its sizes filled in.
inline std::vector<uint8_t> Header(Encoding encoding, uint16_t channels, uint32_t rate,
                                   uint32_t frames) {
    const uint32_t data = frames * BytesPerFrame(encoding, channels);
    const auto tag = [](std::vector<uint8_t>& out, const char* id) {
        out.insert(out.end(), id, id + 4);
    };
    const std::vector<uint8_t> format = FormatBlock(encoding, channels, rate);
    std::vector<uint8_t> out;
    out.reserve(HeaderBytes(encoding));
    tag(out, "RIFF");
    AppendLe32(out, HeaderBytes(encoding) - 8 + data);
    tag(out, "WAVE");
    tag(out, "fmt ");
    AppendLe32(out, static_cast<uint32_t>(format.size()));
    out.insert(out.end(), format.begin(), format.end());
    if (encoding == Encoding::Float32) {
        tag(out, "fact");
        AppendLe32(out, 4);
        AppendLe32(out, frames);
    }
    tag(out, "data");
    AppendLe32(out, data);
    return out;
}

// A whole 16-bit PCM file of interleaved samples.
inline std::vector<uint8_t> Pcm16(uint32_t rate, uint16_t channels,
                                  const std::vector<int16_t>& samples) {
    const auto frames = static_cast<uint32_t>(samples.size() / (channels == 0 ? 1 : channels));
    std::vector<uint8_t> out = Header(Encoding::Pcm16, channels, rate, frames);
    const size_t at = out.size();
    out.resize(at + samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        WriteLe16(&out[at + 2 * i], static_cast<uint16_t>(samples[i]));
    return out;
}

} // namespace wavefile
