// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Bitmap.h"

#include "framework/Streams.h"

#include <cstring>

TBitmap::TBitmap(const TBitmap& other)
    : TGraphic(other), width_(other.width_), height_(other.height_), bitCount_(other.bitCount_),
      widthBytes_(other.widthBytes_), masks_(other.masks_), colors_(other.colors_),
      bits_(other.bits_) {}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this != &other) {
        Take(other.width_, other.height_, other.bitCount_, other.widthBytes_, other.masks_,
             other.colors_, other.bits_);
    }
    return *this;
}

void TBitmap::Take(int width, int height, int bitCount, int64_t widthBytes,
                   const TColorMasks& masks, const TColorTable& colors, std::vector<uint8_t> bits) {
    ReleasePalette();
    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
    widthBytes_ = widthBytes;
    masks_ = masks;
    colors_ = colors;
    bits_ = std::move(bits);
    PaletteModified = true;
    Changed();
}

void TBitmap::Changed() {
    if (OnChange) OnChange();
}

TBitmap::~TBitmap() {
    ReleasePalette();
}

void TBitmap::ReleasePalette() {
    DeletePalette(palette_);
    palette_ = nullptr;
}

void TBitmap::Assign(const TPersistent* source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        *this = *bitmap;
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    ReleasePalette();
    if (width <= 0 || height <= 0) {
        *this = TBitmap();
        return;
    }
    if (bitCount_ == 0) bitCount_ = 24;
    const std::optional<int64_t> size = DibBlockSize(width, height, bitCount_);
    if (!size) throw EOutOfResources(Msg::CannotBeMade, {std::string("Bitmap")});
    width_ = width;
    height_ = height;
    widthBytes_ = DibWidthBytes(width, bitCount_);
    bits_.assign(static_cast<size_t>(*size), 0);
    Changed();
}

HPALETTE TBitmap::PaletteHandle() {
    if (ColorCount() == 0) return nullptr;
    if (!palette_) {
        TPaletteEntry entries[256];
        for (int i = 0; i < ColorCount(); ++i) {
            const TRGBQuad& c = colors_[static_cast<size_t>(i)];
            entries[i] = TPaletteEntry{c.Red, c.Green, c.Blue, 0};
        }
        palette_ = CreatePalette(entries, ColorCount());
    }
    return palette_;
}

void TBitmap::LoadFromStream(TStream& stream) {
    const std::optional<int64_t> pixelStart = ReadBmpFileHeader(stream);
    if (!pixelStart) return;
    ReadDib(stream, *pixelStart);
}

void TBitmap::ReadPackedDib(TStream& stream) {
    ReadDib(stream, PixelsFollowColors);
}

void TBitmap::ReadDib(TStream& stream, int64_t pixelStart) {
    // The header reader has checked the format and that the stream holds every pixel byte.
    const TDibHeader h = ReadDibHeader(stream, pixelStart);
    if (h.Empty) {
        *this = TBitmap();
        return;
    }
    std::vector<uint8_t> bits(static_cast<size_t>(h.Size), 0);
    if (h.Compressed()) {
        std::vector<uint8_t> packed(h.ImageSize);
        stream.ReadBuffer(packed.data(), h.ImageSize);
        DecodeRle(packed.data(), packed.size(), h.BitCount, bits.data(), h.WidthBytes, h.Width,
                  h.Height);
    } else {
        ReadDibRows(stream, h, bits.data());
    }
    Take(h.Width, h.Height, h.BitCount, h.WidthBytes, h.Masks, h.Colors, std::move(bits));
}

void TBitmap::LoadFromPackedDib(const void* data, int64_t size) {
    TReadOnlyMemoryStream stream(data, size);
    ReadPackedDib(stream);
}

void TBitmap::SaveToStream(TStream& stream) {
    if (IsEmpty()) return;
    const std::vector<uint8_t> info = BuildBitmapInfo(
        width_, height_, bitCount_, bitCount_ == 16 || bitCount_ == 32 ? BI_BITFIELDS : BI_RGB,
        static_cast<uint32_t>(bits_.size()), masks_, colors_, ColorCount());
    WriteBmpFileHeader(stream, static_cast<int64_t>(info.size()),
                       static_cast<int64_t>(bits_.size()));
    stream.WriteBuffer(info.data(), static_cast<int64_t>(info.size()));
    stream.WriteBuffer(bits_.data(), static_cast<int64_t>(bits_.size()));
}

const uint8_t* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= height_) {
        throw EInvalidGraphicOperation(Msg::ScanLineRange, {static_cast<long long>(y)});
    }
    return bits_.data() + (height_ - 1 - y) * widthBytes_;
}

uint8_t* TBitmap::ScanLine(int y) {
    return const_cast<uint8_t*>(static_cast<const TBitmap*>(this)->ScanLine(y));
}

QImage TBitmap::ToImage() const {
    if (IsEmpty()) return {};
    QImage image(width_, height_, QImage::Format_RGB32);
    if (image.isNull()) return image;
    const std::array<QRgb, 256> lookup = ColorTableLookup(colors_);
    for (int y = 0; y < height_; ++y) {
        DibRowToRgb(ScanLine(y), width_, bitCount_, lookup.data(), masks_,
                    reinterpret_cast<QRgb*>(image.scanLine(y)));
    }
    return image;
}

void TBitmap::DrawStretched(TCanvas& canvas, const QRect& rect) {
    if (IsEmpty()) return;
    const QImage image = ToImage();
    if (image.isNull()) throw EOutOfResources(Msg::CannotBeMade, {std::string("Bitmap")});
    canvas.Paint([&](QPainter& painter) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(rect, image);
    });
}
