// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/PackedDib.h"

#include "framework/Bitmap.h"
#include "framework/DibFormat.h"
#include "framework/Exception.h"
#include "framework/Messages.h"
#include "framework/Picture.h"
#include "framework/Streams.h"
#include "picture/DIB.h"
#include "platform/LittleEndian.h"

#include <QCoreApplication>

namespace {

constexpr std::size_t kFileHeaderSize = 14;

std::string Tr(const char* source, std::initializer_list<std::string> args = {}) {
    return TranslatedText("Library", source, args);
}

std::optional<TDibSummary> Refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return std::nullopt;
}

// Where the parts of a packed bitmap lie, as the program's reader finds them.
struct TPackedLayout {
    TDibHeader Header;
    std::size_t HeaderSize = 0;
    std::size_t TableEnd = 0; // header, masks and colour entries
    std::size_t PixelBytes = 0;
};

// Reads the headers, masks and colour entries with the program's own reader and checks the
// format as it does; fails with its messages.
TPackedLayout ReadLayout(const uint8_t* data, std::size_t size) {
    TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
    TPackedLayout layout;
    layout.Header = ReadDibHeader(stream);
    if (layout.Header.Empty)
        throw Exception(Tr(QT_TRANSLATE_NOOP("Library", "it holds no picture")));
    CheckDibFormat(layout.Header.BitCount, layout.Header.Masks);
    layout.HeaderSize = ReadLe32(data);
    layout.TableEnd = static_cast<std::size_t>(stream.Position());
    layout.PixelBytes = static_cast<std::size_t>(
        layout.Header.Compressed() ? int64_t{layout.Header.ImageSize} : layout.Header.Size);
    return layout;
}

// A note for the headers of newer bitmap files, which the reader refuses as invalid.
std::string HeaderHint(const uint8_t* data, std::size_t size) {
    if (size < 4) return {};
    const uint32_t headerSize = ReadLe32(data);
    if (headerSize != 108 && headerSize != 124) return {};
    return " " + Tr(QT_TRANSLATE_NOOP("Library", "(its info header has %1 bytes; only 12- and "
                                                 "40-byte headers are read)"),
                    {std::to_string(headerSize)});
}

// Whether the program's loader takes the packed bitmap: the picture holder's bitmap reads it
// and the display bitmap takes it from there, exactly as a library load does.
void LoadAsTheProgramDoes(const std::vector<uint8_t>& packed) {
    TPicture holder;
    holder.Bitmap().LoadFromPackedDib(packed.data(), static_cast<int64_t>(packed.size()));
    TDIB display;
    display.AssignFrom(&holder);
}

} // namespace

std::optional<TDibSummary> DescribePackedDib(const uint8_t* data, std::size_t size,
                                             std::string* why) {
    try {
        const TPackedLayout layout = ReadLayout(data, size);
        if (layout.PixelBytes > size - layout.TableEnd) throw EReadError(Msg::StreamReadError);
        TDibSummary s;
        s.Width = layout.Header.Width;
        s.Height = layout.Header.TopDown ? -layout.Header.Height : layout.Header.Height;
        s.BitCount = layout.Header.BitCount;
        s.Compression = layout.Header.Compression;
        s.HeaderSize = layout.HeaderSize;
        s.ColorBytes = layout.TableEnd - layout.HeaderSize;
        s.PixelBytes = layout.PixelBytes;
        return s;
    } catch (const Exception& e) {
        return Refuse(why, e.Message() + HeaderHint(data, size));
    }
}

std::vector<uint8_t> PackedDibFromBmpFile(const std::vector<uint8_t>& file,
                                          const std::string& fileName) {
    const auto fail = [&](const std::string& reason) {
        throw Exception(Tr(QT_TRANSLATE_NOOP("Library", "%1 is no usable bitmap file: %2"),
                           {fileName, reason}));
    };
    if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') {
        fail(Tr(QT_TRANSLATE_NOOP("Library", "it does not start with a bitmap file header")));
    }
    const uint8_t* dib = file.data() + kFileHeaderSize;
    const std::size_t dibSize = file.size() - kFileHeaderSize;
    std::vector<uint8_t> out;
    try {
        const TPackedLayout layout = ReadLayout(dib, dibSize);
        const TDibHeader& h = layout.Header;
        // The reader would take the first 256 of them; a table that large is damage.
        if (layout.HeaderSize == BmpInfoHeaderSize && ReadLe32(dib + 32) > 256) {
            throw Exception(Tr(QT_TRANSLATE_NOOP("Library", "it names more than 256 colours")));
        }
        // The pixels start where the file header says, which may leave a gap after the colours.
        const uint32_t pixelOffset = ReadLe32(file.data() + 10);
        std::size_t pixelsAt = layout.TableEnd;
        if (pixelOffset >= kFileHeaderSize + layout.TableEnd) {
            pixelsAt = pixelOffset - kFileHeaderSize;
        }
        if (pixelsAt > dibSize || layout.PixelBytes > dibSize - pixelsAt) {
            throw EReadError(Msg::StreamReadError);
        }
        if (layout.HeaderSize == BmpCoreHeaderSize) {
            // A library picture starts with the 40-byte header: its bytes 6..7, which set the
            // cycle modulus, are then the upper half of the width, not the height.
            const bool masks = h.BitCount == 16 || h.BitCount == 32;
            out = BuildBitmapInfo(h.Width, h.Height, h.BitCount, masks ? BI_BITFIELDS : BI_RGB, 0,
                                  h.Masks, h.Colors, h.ColorCount);
        } else {
            out.assign(dib, dib + layout.TableEnd);
        }
        out.insert(out.end(), dib + pixelsAt, dib + pixelsAt + layout.PixelBytes);
        LoadAsTheProgramDoes(out);
    } catch (const Exception& e) {
        fail(e.Message() + HeaderHint(dib, dibSize));
    }
    return out;
}

std::vector<uint8_t> BmpFileFromPackedDib(const std::vector<uint8_t>& dib,
                                          const std::string& name) {
    std::string why;
    const auto s = DescribePackedDib(dib.data(), dib.size(), &why);
    if (!s)
        throw Exception(
            Tr(QT_TRANSLATE_NOOP("Library", "Bitmap %1 cannot be read: %2"), {name, why}));
    std::vector<uint8_t> out(kFileHeaderSize + dib.size(), 0);
    out[0] = 'B';
    out[1] = 'M';
    WriteLe32(&out[2], static_cast<uint32_t>(kFileHeaderSize + dib.size()));
    WriteLe32(&out[10], static_cast<uint32_t>(kFileHeaderSize + s->HeaderSize + s->ColorBytes));
    std::copy(dib.begin(), dib.end(), out.begin() + kFileHeaderSize);
    return out;
}
