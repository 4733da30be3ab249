// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A 16-bit PCM RIFF WAVE file, byte by byte: the one writer of wave files shared by the tools
// and the tests. Only what our own sounds need: interleaved 16-bit samples, any rate and
// channel count, a "fmt " chunk of 16 bytes and one "data" chunk.

#include <cstdint>
#include <vector>

namespace wavefile {

inline void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutId(std::vector<uint8_t>& out, const char (&id)[5]) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(id[i]));
}

// The whole file for interleaved samples.
inline std::vector<uint8_t> Pcm16(uint32_t rate, uint16_t channels,
                                  const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    const uint16_t align = static_cast<uint16_t>(channels * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutId(out, "RIFF");
    PutLe(out, 36 + dataBytes, 4);
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2); // PCM
    PutLe(out, channels, 2);
    PutLe(out, rate, 4);
    PutLe(out, rate * align, 4);
    PutLe(out, align, 2);
    PutLe(out, 16, 2);
    PutId(out, "data");
    PutLe(out, dataBytes, 4);
    for (const int16_t s : samples)
        PutLe(out, static_cast<uint16_t>(s), 2);
    return out;
}

} // namespace wavefile
