// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian integers in byte buffers: the byte order of every file the program reads or
// writes (bitmaps, wave files, libraries, modules). The caller has checked that the bytes are
// there.

#include <cstddef>
#include <cstdint>
#include <vector>

inline uint16_t ReadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The low 16 bits of v.
inline void WriteLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void WriteLe32(uint8_t* p, uint32_t v) {
    WriteLe16(p, v);
    WriteLe16(p + 2, v >> 16);
}

inline void AppendLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
    AppendLe16(out, v);
    AppendLe16(out, v >> 16);
}
