// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/DibFormat.h"

#include "framework/Graphics.h"
#include "framework/Streams.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::DibInvalid);
}

} // namespace

std::optional<int64_t> DibBlockSize(int64_t width, int64_t height, int64_t bits) {
    if (width < 0 || height < 0 || bits < 0) return std::nullopt;
    int64_t rowBits = 0;
    if (__builtin_mul_overflow(width, bits, &rowBits) || rowBits > INT64_MAX - 31) {
        return std::nullopt;
    }
    const int64_t widthBytes = (rowBits + 31) / 32 * 4;
    int64_t size = 0;
    if (__builtin_mul_overflow(widthBytes, height, &size) || size > MaxPixelBlockSize) {
        return std::nullopt;
    }
    return size;
}

void CheckDibFormat(int bitCount, const TColorMasks& masks) {
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
        if (masks != Masks888) throw EInvalidGraphicOperation(Msg::PixelFormatInvalid);
        return;
    case 16:
        if (masks != Masks555 && masks != Masks565) {
            throw EInvalidGraphicOperation(Msg::PixelFormatInvalid);
        }
        return;
    default:
        throw EInvalidGraphicOperation(Msg::BitcountInvalid, {static_cast<long long>(bitCount)});
    }
}

std::optional<int64_t> ReadBmpFileHeader(TStream& stream) {
    const int64_t start = stream.Position();
    uint8_t header[BmpFileHeaderSize];
    const int64_t got = stream.Read(header, sizeof header);
    if (got == 0) return std::nullopt;
    if (got != BmpFileHeaderSize || ReadLe16(header) != BmpFileType) Invalid();
    return start + ReadLe32(header + 10);
}

TDibHeader ReadDibHeader(TStream& stream, int64_t pixelStart) {
    TDibHeader h;
    uint8_t buf[BmpInfoHeaderSize] = {};
    const int64_t got = stream.Read(buf, 4);
    if (got == 0) {
        h.Empty = true;
        return h;
    }
    if (got != 4) Invalid();
    const uint32_t headerSize = ReadLe32(buf);
    int64_t width = 0;
    int64_t height = 0;
    int entrySize = 4;
    int64_t colorCount = 0;
    if (headerSize == BmpCoreHeaderSize) {
        stream.ReadBuffer(buf + 4, BmpCoreHeaderSize - 4);
        width = ReadLe16(buf + 4);
        height = ReadLe16(buf + 6);
        h.BitCount = ReadLe16(buf + 10);
        entrySize = 3;
    } else if (headerSize == BmpInfoHeaderSize) {
        stream.ReadBuffer(buf + 4, BmpInfoHeaderSize - 4);
        width = static_cast<int32_t>(ReadLe32(buf + 4));
        height = static_cast<int32_t>(ReadLe32(buf + 8));
        h.BitCount = ReadLe16(buf + 14);
        h.Compression = ReadLe32(buf + 16);
        h.ImageSize = ReadLe32(buf + 20);
        colorCount = static_cast<int32_t>(ReadLe32(buf + 32));
    } else {
        Invalid();
    }

    // Every size is checked in 64 bits before the caller allocates anything.
    if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) Invalid();
    if (colorCount < 0 || h.Compression > BI_BITFIELDS) Invalid();
    if (h.Compression == BI_RLE8 && h.BitCount != 8) Invalid();
    if (h.Compression == BI_RLE4 && h.BitCount != 4) Invalid();
    if (h.Compressed() && h.ImageSize == 0) Invalid();
    h.TopDown = height < 0;
    // RLE data runs from the bottom row up; the format has no top-down form of it.
    if (h.Compressed() && h.TopDown) Invalid();
    h.Width = static_cast<int32_t>(width);
    h.Height = static_cast<int32_t>(h.TopDown ? -height : height);
    const std::optional<int64_t> size = DibBlockSize(width, h.Height, h.BitCount);
    if (!size) Invalid();
    h.Size = *size;
    h.WidthBytes = DibWidthBytes(width, h.BitCount);

    if (h.Compression == BI_BITFIELDS) {
        uint8_t masks[12];
        stream.ReadBuffer(masks, sizeof masks);
        h.HasMasks = true;
        h.Masks = {ReadLe32(masks), ReadLe32(masks + 4), ReadLe32(masks + 8)};
    } else {
        h.Masks = h.BitCount == 16 ? Masks555 : Masks888;
    }

    if (colorCount == 0 && h.BitCount >= 1 && h.BitCount <= 8) colorCount = 1 << h.BitCount;
    h.ColorCount = static_cast<int>(std::min<int64_t>(colorCount, 256));
    uint8_t entries[256 * 4];
    stream.ReadBuffer(entries, int64_t{h.ColorCount} * entrySize);
    for (int i = 0; i < h.ColorCount; ++i) {
        const uint8_t* e = entries + i * entrySize;
        h.Colors[static_cast<size_t>(i)] = TRGBQuad{e[0], e[1], e[2], 0};
    }
    CheckDibFormat(h.BitCount, h.Masks);

    if (pixelStart >= stream.Position() && pixelStart < stream.Size()) {
        stream.SetPosition(pixelStart);
    }
    const int64_t pixelBytes = h.Compressed() ? int64_t{h.ImageSize} : h.Size;
    if (pixelBytes > stream.Remaining()) throw EReadError(Msg::StreamReadError);
    return h;
}

void ReadDibRows(TStream& stream, const TDibHeader& header, uint8_t* pixels) {
    if (!header.TopDown) {
        stream.ReadBuffer(pixels, header.Size);
        return;
    }
    for (int64_t y = header.Height - 1; y >= 0; --y) {
        stream.ReadBuffer(pixels + y * header.WidthBytes, header.WidthBytes);
    }
}

std::vector<uint8_t> BuildBitmapInfo(int32_t width, int32_t height, int bitCount,
                                     uint32_t compression, uint32_t imageSize,
                                     const TColorMasks& masks, const TColorTable& colors,
                                     int colorCount) {
    const bool withMasks = bitCount == 16 || bitCount == 32;
    colorCount = std::clamp(colorCount, 0, 256);
    std::vector<uint8_t> info(
        BmpInfoHeaderSize + (withMasks ? 12 : 0) + 4 * static_cast<size_t>(colorCount), 0);
    uint8_t* p = info.data();
    WriteLe32(p, BmpInfoHeaderSize);
    WriteLe32(p + 4, static_cast<uint32_t>(width));
    WriteLe32(p + 8, static_cast<uint32_t>(height));
    WriteLe16(p + 12, 1);
    WriteLe16(p + 14, static_cast<uint32_t>(bitCount));
    WriteLe32(p + 16, compression);
    WriteLe32(p + 20, imageSize);
    p += BmpInfoHeaderSize;
    if (withMasks) {
        for (int i = 0; i < 3; ++i)
            WriteLe32(p + 4 * i, masks[static_cast<size_t>(i)]);
        p += 12;
    }
    if (colorCount > 0) std::memcpy(p, colors.data(), 4 * static_cast<size_t>(colorCount));
    return info;
}

void WriteBmpFileHeader(TStream& stream, int64_t infoSize, int64_t imageSize) {
    uint8_t header[BmpFileHeaderSize] = {};
    WriteLe16(header, BmpFileType);
    WriteLe32(header + 2, static_cast<uint32_t>(imageSize + infoSize + BmpFileHeaderSize));
    WriteLe32(header + 10, static_cast<uint32_t>(infoSize + BmpFileHeaderSize));
    stream.WriteBuffer(header, sizeof header);
}

void DecodeRle(const uint8_t* data, size_t size, int bitCount, uint8_t* pixels, int64_t widthBytes,
               int width, int height) {
    int64_t x = 0;
    int64_t y = 0;
    size_t pos = 0;
    auto put = [&](int64_t px, uint8_t value) {
        uint8_t* row = pixels + y * widthBytes;
        if (bitCount == 8) {
            row[px] = value;
            return;
        }
        uint8_t& b = row[px >> 1];
        b = (px & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                     : static_cast<uint8_t>((b & 0x0F) | (value << 4));
    };
    while (y < height && pos + 2 <= size) {
        const uint8_t n = data[pos];
        const uint8_t c = data[pos + 1];
        pos += 2;
        if (n > 0) {
            const int64_t count = std::min<int64_t>(n, width - std::min<int64_t>(x, width));
            for (int64_t i = 0; i < count; ++i) {
                const uint8_t value =
                    bitCount == 8 ? c : static_cast<uint8_t>((i & 1) ? (c & 0x0F) : (c >> 4));
                put(x + i, value);
            }
            x += n;
        } else if (c == 0) {
            x = 0;
            ++y;
        } else if (c == 1) {
            return;
        } else if (c == 2) {
            if (pos + 2 > size) return;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {
            const size_t bytes = bitCount == 8 ? c : (c + 1u) / 2;
            const size_t available = std::min(bytes, size - pos);
            const int64_t count = std::min<int64_t>(c, width - std::min<int64_t>(x, width));
            for (int64_t i = 0; i < count; ++i) {
                const size_t at =
                    bitCount == 8 ? static_cast<size_t>(i) : static_cast<size_t>(i / 2);
                if (at >= available) break;
                const uint8_t b = data[pos + at];
                const uint8_t value =
                    bitCount == 8 ? b : static_cast<uint8_t>((i & 1) ? (b & 0x0F) : (b >> 4));
                put(x + i, value);
            }
            if (available < bytes) return;
            x += c;
            pos += bytes;
        }
        pos = (pos + 1) & ~size_t{1};
    }
}

void DibRowToRgb(const uint8_t* row, int width, int bitCount, const QRgb* lookup,
                 const TColorMasks& masks, QRgb* out) {
    if (bitCount == 8) {
        for (int x = 0; x < width; ++x)
            out[x] = lookup[row[x]];
        return;
    }
    const bool green6 = masks == Masks565;
    for (int x = 0; x < width; ++x)
        out[x] = DibPixelToRgb(row, x, bitCount, lookup, green6);
}

std::array<QRgb, 256> ColorTableLookup(const TColorTable& colors) {
    std::array<QRgb, 256> lookup{};
    for (size_t i = 0; i < lookup.size(); ++i) {
        lookup[i] = qRgb(colors[i].Red, colors[i].Green, colors[i].Blue);
    }
    return lookup;
}
