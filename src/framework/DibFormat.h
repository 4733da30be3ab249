// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device-independent bitmap layout that bitmaps, BMP files and packed DIBs share: the
// headers, their checks, rows padded to 4 bytes and stored bottom-up, and RLE decoding.

#include <QRgb>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class TStream;

// One colour table entry in BMP order: blue, green, red, reserved.
struct TRGBQuad {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Reserved = 0;

    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

using TColorTable = std::array<TRGBQuad, 256>;

enum TDibCompression : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

constexpr uint16_t BmpFileType = 0x4D42; // "BM"
constexpr int BmpFileHeaderSize = 14;
constexpr int BmpInfoHeaderSize = 40;
constexpr int BmpCoreHeaderSize = 12;
// No picture's pixel block may be larger than this.
constexpr int64_t MaxPixelBlockSize = int64_t{256} << 20;

// Bytes per row: rows are padded to whole 32-bit words. Callers check the block first with
// DibBlockSize, which bounds every product here.
constexpr int64_t DibWidthBytes(int64_t width, int64_t bits) {
    return ((width * bits + 31) / 32) * 4;
}

// The byte size of a bottom-up pixel block of that many rows and pixels per row; nullopt when
// it is larger than MaxPixelBlockSize. Every product is checked, so sizes that would overflow
// 64 bits are refused too instead of wrapping round to something small.
std::optional<int64_t> DibBlockSize(int64_t width, int64_t height, int64_t bits);

// The red, green and blue masks of a pixel layout.
using TColorMasks = std::array<uint32_t, 3>;
constexpr TColorMasks Masks888{0xFF0000, 0xFF00, 0xFF};
constexpr TColorMasks Masks555{0x7C00, 0x3E0, 0x1F};
constexpr TColorMasks Masks565{0xF800, 0x7E0, 0x1F};

// Fails with "Bitcount in invalid (%d)" for a bit count other than 1, 4, 8, 16, 24 and 32,
// and with "PixelFormat in invalid" when the masks don't suit the bit count.
void CheckDibFormat(int bitCount, const TColorMasks& masks);

// The bitmap info of a packed DIB as read from a stream and checked.
struct TDibHeader {
    bool Empty = false; // the stream held no bytes where the header should start
    int32_t Width = 0;
    int32_t Height = 0;   // rows, always positive
    bool TopDown = false; // the first row in the stream is the top row
    int BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t ImageSize = 0;
    bool HasMasks = false;
    TColorMasks Masks{};
    int ColorCount = 0; // colour entries read
    TColorTable Colors{};
    int64_t WidthBytes = 0;
    int64_t Size = 0; // of the uncompressed pixel block

    bool Compressed() const { return Compression == BI_RLE8 || Compression == BI_RLE4; }
};

// Reads a 14-byte file header and returns the stream position its pixel-data offset names
// (counted from the header's first byte); nullopt when the stream has no bytes left. Fails
// with "DIB is invalid" when the header is short or doesn't start with "BM".
std::optional<int64_t> ReadBmpFileHeader(TStream& stream);

// Stands for "no file header": the pixels follow the colour entries, as in a packed DIB.
constexpr int64_t PixelsFollowColors = -1;

// Reads the header, colour masks and colour entries of a packed DIB, checks every size against
// the limits and the format of its pixels, and leaves the stream at the first pixel byte. That
// is pixelStart when it lies at or after the end of the colour entries and inside the stream
// (a file may leave a gap there), otherwise the byte after the entries. Nothing needs to be
// allocated before it returns: it fails with "Stream read error" when the stream doesn't hold
// the pixel bytes the header promises, with "DIB is invalid" for a header that can't be
// read right, and with the messages of CheckDibFormat.
TDibHeader ReadDibHeader(TStream& stream, int64_t pixelStart = PixelsFollowColors);
// Reads the pixel rows of an uncompressed DIB into a bottom-up block of header.Size bytes.
void ReadDibRows(TStream& stream, const TDibHeader& header, uint8_t* pixels);

// Builds a bitmap info block: a 40-byte bottom-up header, the masks for 16 and 32 bits and
// colorCount colour entries.
std::vector<uint8_t> BuildBitmapInfo(int32_t width, int32_t height, int bitCount,
                                     uint32_t compression, uint32_t imageSize,
                                     const TColorMasks& masks, const TColorTable& colors,
                                     int colorCount);
void WriteBmpFileHeader(TStream& stream, int64_t infoSize, int64_t imageSize);

// Decodes RLE8 (bitCount 8) or RLE4 (bitCount 4) data into a bottom-up pixel block. Runs and
// moves that leave the picture are clipped at its edge; data that ends early leaves the rest
// of the block as it was. Never reads or writes outside either buffer.
void DecodeRle(const uint8_t* data, size_t size, int bitCount, uint8_t* pixels, int64_t widthBytes,
               int width, int height);

// The opaque colour of pixel x of a row: indexed pixels through lookup, 16-bit pixels by their
// masks (5-5-5 or 5-6-5), 24- and 32-bit pixels as blue, green, red.
inline QRgb DibPixelToRgb(const uint8_t* row, int64_t x, int bitCount, const QRgb* lookup,
                          bool green6) {
    // Channel bits widened to 8 by repeating their high bits.
    auto widen5 = [](uint32_t v) { return static_cast<int>((v << 3) | (v >> 2)); };
    auto widen6 = [](uint32_t v) { return static_cast<int>((v << 2) | (v >> 4)); };
    switch (bitCount) {
    case 1:
        return lookup[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
        return lookup[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
    case 8:
        return lookup[row[x]];
    case 16: {
        const uint32_t v = row[2 * x] | (static_cast<uint32_t>(row[2 * x + 1]) << 8);
        return green6 ? qRgb(widen5(v >> 11), widen6((v >> 5) & 0x3F), widen5(v & 0x1F))
                      : qRgb(widen5((v >> 10) & 0x1F), widen5((v >> 5) & 0x1F), widen5(v & 0x1F));
    }
    case 24:
        return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case 32:
        return qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default:
        return qRgb(0, 0, 0);
    }
}

// Turns one row of pixels into opaque colours: indexed rows through lookup, 16-bit rows by
// their masks (5-5-5 or 5-6-5), 24- and 32-bit rows as blue, green, red.
void DibRowToRgb(const uint8_t* row, int width, int bitCount, const QRgb* lookup,
                 const TColorMasks& masks, QRgb* out);
// The opaque colours of a colour table's entries.
std::array<QRgb, 256> ColorTableLookup(const TColorTable& colors);
