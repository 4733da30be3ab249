#include "library/PackedDib.h"

#include "framework/Exception.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;

uint32_t U16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return U16(p) | (U16(p + 2) << 16);
}

void Put32(std::vector<uint8_t>& out, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::optional<TDibSummary> Refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return std::nullopt;
}

} // namespace

std::optional<TDibSummary> DescribePackedDib(const uint8_t* data, std::size_t size,
                                             std::string* why) {
    TDibSummary s;
    if (size < 4) return Refuse(why, "it is too short for a bitmap header");
    s.HeaderSize = U32(data);
    uint32_t colors = 0;
    if (s.HeaderSize == 12 && size >= 12) {
        s.Width = static_cast<int>(U16(data + 4));
        s.Height = static_cast<int>(U16(data + 6));
        s.BitCount = static_cast<int>(U16(data + 10));
        colors = s.BitCount <= 8 ? 1u << s.BitCount : 0;
        s.ColorBytes = 3 * std::size_t{colors};
    } else if (s.HeaderSize == 40 && size >= 40) {
        s.Width = static_cast<int32_t>(U32(data + 4));
        s.Height = static_cast<int32_t>(U32(data + 8));
        s.BitCount = static_cast<int>(U16(data + 14));
        s.Compression = U32(data + 16);
        const uint32_t used = U32(data + 32);
        if (used > 256) return Refuse(why, "it names more than 256 colours");
        colors = used != 0 ? used : (s.BitCount <= 8 ? 1u << s.BitCount : 0);
        s.ColorBytes = 4 * std::size_t{colors} + (s.Compression == 3 ? 12 : 0);
        if (s.Compression > 3) return Refuse(why, "its compression is unknown");
        if (s.Compression == 1 || s.Compression == 2) s.PixelBytes = U32(data + 20);
    } else if (s.HeaderSize == 108 || s.HeaderSize == 124) {
        return Refuse(why, "its info header has " + std::to_string(s.HeaderSize) +
                               " bytes; only 12- and 40-byte headers are read");
    } else {
        return Refuse(why, "its bitmap header is damaged");
    }
    switch (s.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return Refuse(why, "its bit count " + std::to_string(s.BitCount) + " is invalid");
    }
    if (s.Width <= 0 || s.Height == 0 || s.Height == INT32_MIN) {
        return Refuse(why, "its size is invalid");
    }
    if (s.Compression == 0 || s.Compression == 3) {
        const uint64_t stride =
            (uint64_t{static_cast<uint32_t>(s.Width)} * s.BitCount + 31) / 32 * 4;
        const uint64_t rows = s.Height < 0 ? uint64_t{0} - static_cast<int64_t>(s.Height)
                                           : static_cast<uint64_t>(s.Height);
        const uint64_t pixels = stride * rows;
        if (pixels > size) return Refuse(why, "its pixels are missing");
        s.PixelBytes = static_cast<std::size_t>(pixels);
    }
    const uint64_t needed = uint64_t{s.HeaderSize} + s.ColorBytes + s.PixelBytes;
    if (needed > size) return Refuse(why, "its colours or pixels are missing");
    return s;
}

std::vector<uint8_t> PackedDibFromBmpFile(const std::vector<uint8_t>& file,
                                          const std::string& fileName) {
    const auto fail = [&](const std::string& reason) {
        throw Exception(fileName + " is no usable bitmap file: " + reason);
    };
    if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') {
        fail("it does not start with a bitmap file header");
    }
    const uint8_t* dib = file.data() + kFileHeaderSize;
    const std::size_t dibSize = file.size() - kFileHeaderSize;
    std::string why;
    const auto s = DescribePackedDib(dib, dibSize, &why);
    if (!s) fail(why);
    const std::size_t tableEnd = s->HeaderSize + s->ColorBytes;
    // The pixels start where the file header says, which may leave a gap after the colours.
    const uint32_t pixelOffset = U32(file.data() + 10);
    std::size_t pixelsAt = tableEnd;
    if (pixelOffset >= kFileHeaderSize + tableEnd) pixelsAt = pixelOffset - kFileHeaderSize;
    if (pixelsAt > dibSize || s->PixelBytes > dibSize - pixelsAt) fail("its pixels are missing");
    std::vector<uint8_t> out(dib, dib + tableEnd);
    out.insert(out.end(), dib + pixelsAt, dib + pixelsAt + s->PixelBytes);
    return out;
}

std::vector<uint8_t> BmpFileFromPackedDib(const std::vector<uint8_t>& dib,
                                          const std::string& name) {
    std::string why;
    const auto s = DescribePackedDib(dib.data(), dib.size(), &why);
    if (!s) throw Exception("Bitmap " + name + " cannot be read: " + why);
    std::vector<uint8_t> out(kFileHeaderSize + dib.size(), 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(kFileHeaderSize + dib.size()));
    Put32(out, 10, static_cast<uint32_t>(kFileHeaderSize + s->HeaderSize + s->ColorBytes));
    std::copy(dib.begin(), dib.end(), out.begin() + kFileHeaderSize);
    return out;
}
