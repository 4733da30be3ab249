// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds BMP files and packed DIBs byte by byte, so that tests can write exactly the headers
// they need, valid or not.

#include "framework/Streams.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

class BmpBuilder {
public:
    BmpBuilder& U8(uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    BmpBuilder& U16(uint32_t v) {
        return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8));
    }
    BmpBuilder& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    BmpBuilder& Bytes(std::initializer_list<uint8_t> list) {
        bytes_.insert(bytes_.end(), list.begin(), list.end());
        return *this;
    }
    BmpBuilder& Fill(size_t count, uint8_t v) {
        bytes_.insert(bytes_.end(), count, v);
        return *this;
    }

    // "BM", a file size the reader doesn't consult, and the pixel-data offset (0: none given).
    BmpBuilder& FileHeader(uint16_t reserved1 = 0, uint32_t pixelOffset = 0) {
        return U16(0x4D42).U32(0).U16(reserved1).U16(0).U32(pixelOffset);
    }
    BmpBuilder& InfoHeader(int32_t width, int32_t height, int bits, uint32_t compression = 0,
                           uint32_t imageSize = 0, int32_t colorsUsed = 0) {
        return U32(40)
            .U32(static_cast<uint32_t>(width))
            .U32(static_cast<uint32_t>(height))
            .U16(1)
            .U16(static_cast<uint32_t>(bits))
            .U32(compression)
            .U32(imageSize)
            .U32(0)
            .U32(0)
            .U32(static_cast<uint32_t>(colorsUsed))
            .U32(0);
    }
    BmpBuilder& CoreHeader(uint16_t width, uint16_t height, int bits) {
        return U32(12).U16(width).U16(height).U16(1).U16(static_cast<uint32_t>(bits));
    }
    // count colour entries (blue, green, red, 0) with entry i = (i, 2i, 3i) mod 256.
    BmpBuilder& Colors(int count, int entrySize = 4) {
        for (int i = 0; i < count; ++i) {
            U8(static_cast<uint8_t>(i))
                .U8(static_cast<uint8_t>(2 * i))
                .U8(static_cast<uint8_t>(3 * i));
            if (entrySize == 4) U8(0);
        }
        return *this;
    }

    const std::vector<uint8_t>& Data() const { return bytes_; }
    TMemoryStream Stream() const { return TMemoryStream(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};
