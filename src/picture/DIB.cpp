// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/DIB.h"

#include "framework/Bitmap.h"
#include "framework/Picture.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <new>

// ---- TDIBSharedImage

TDIBSharedImage::~TDIBSharedImage() {
    PaletteManager().ReleasePalette(Palette);
}

const TDIBSharedImage::Ptr& EmptyImage() {
    // The palette manager is made first so that it outlives every image.
    PaletteManager();
    static const TDIBSharedImage::Ptr empty = TDIBSharedImage::CreateEmpty();
    return empty;
}

TDIBSharedImage::Ptr TDIBSharedImage::CreateEmpty() {
    auto image = std::make_shared<TDIBSharedImage>();
    image->ColorTable = GreyRamp();
    image->PixelFormat = PixelFormatFromMasks(0xFF0000, 0xFF00, 0xFF);
    image->PlainMemory = true;
    return image;
}

void TDIBSharedImage::AllocatePixels(int64_t bytes) {
    // Cleared, so that pixels nobody wrote never show earlier contents of the heap.
    pixels_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(bytes > 0 ? bytes : 1)]());
    if (!pixels_) throw EOutOfResources(Msg::CannotBeMade, {std::string("DIB")});
}

uint32_t TDIBSharedImage::ImageSize() const {
    if (BitmapInfo.size() < BmpInfoHeaderSize) return 0;
    return ReadLe32(BitmapInfo.data() + 20);
}

void TDIBSharedImage::SetImageSize(uint32_t bytes) {
    WriteLe32(BitmapInfo.data() + 20, bytes);
}

TDIBSharedImage::Ptr TDIBSharedImage::CreateBlank(int width, int height, int bitCount,
                                                  const TPixelFormat& format,
                                                  const TColorTable& colors, bool plainMemory,
                                                  bool compressed) {
    Ptr image = CreateEmpty();
    CheckDibFormat(bitCount, format.Masks());
    const std::optional<int64_t> blockSize = DibBlockSize(width, height, bitCount);
    if (width <= 0 || height <= 0 || !blockSize) {
        throw EOutOfResources(Msg::CannotBeMade, {std::string("DIB")});
    }
    const int64_t size = *blockSize;
    const int64_t widthBytes = DibWidthBytes(width, bitCount);
    image->BitCount = bitCount;
    image->Height = height;
    image->Width = width;
    image->WidthBytes = static_cast<int32_t>(widthBytes);
    image->RowStep = -image->WidthBytes;
    image->Size = static_cast<int32_t>(size);
    image->PixelFormat = format;
    image->PaletteCount = bitCount <= 8 ? 1 << bitCount : 0;

    uint32_t compression = BI_RGB;
    if (bitCount == 16 || bitCount == 32) {
        compression = BI_BITFIELDS;
    } else if (compressed && bitCount == 4) {
        compression = BI_RLE4;
    } else if (compressed && bitCount == 8) {
        compression = BI_RLE8;
    }
    image->BitmapInfo =
        BuildBitmapInfo(width, height, bitCount, compression, static_cast<uint32_t>(size),
                        format.Masks(), colors, image->PaletteCount);
    image->ColorTablePos = compression == BI_BITFIELDS ? BmpInfoHeaderSize + 12 : BmpInfoHeaderSize;
    image->ColorTable = colors;
    image->Compressed = compression == BI_RLE4 || compression == BI_RLE8;
    image->PlainMemory = plainMemory || image->Compressed;
    if (!compressed) {
        image->AllocatePixels(size);
        image->TopRow = image->pixels_.get() + (size - widthBytes);
    }
    return image;
}

TDIBSharedImage::Ptr TDIBSharedImage::CreateCopy(const TDIBSharedImage& source, bool plainMemory) {
    if (source.Size == 0) {
        Ptr image = CreateEmpty();
        image->PlainMemory = plainMemory;
        return image;
    }
    Ptr image = CreateBlank(source.Width, source.Height, source.BitCount, source.PixelFormat,
                            source.ColorTable, plainMemory, source.Compressed);
    const int64_t bytes = source.PixelBlockSize();
    if (image->Compressed) {
        image->SetImageSize(source.ImageSize());
        image->AllocatePixels(bytes);
    }
    std::memcpy(image->pixels_.get(), source.pixels_.get(), static_cast<size_t>(bytes));
    return image;
}

TDIBSharedImage::Ptr TDIBSharedImage::CreateExpanded(const TDIBSharedImage& source,
                                                     bool plainMemory) {
    if (!source.Compressed) return CreateCopy(source, plainMemory);
    Ptr image = CreateBlank(source.Width, source.Height, source.BitCount, source.PixelFormat,
                            source.ColorTable, plainMemory, false);
    DecodeRle(source.pixels_.get(), source.ImageSize(), source.BitCount, image->pixels_.get(),
              image->WidthBytes, image->Width, image->Height);
    return image;
}

void TDIBSharedImage::StoreColorTable(const TColorTable& colors) {
    ColorTable = colors;
    PaletteChanged = true;
    DrawCache.MarkAllChanged();
    if (Size > 0 && PaletteCount > 0) {
        std::memcpy(BitmapInfo.data() + ColorTablePos, ColorTable.data(),
                    4 * static_cast<size_t>(PaletteCount));
    }
}

HPALETTE TDIBSharedImage::PaletteHandle() {
    if (PaletteCount == 0) return nullptr;
    if (PaletteChanged) {
        PaletteChanged = false;
        PaletteManager().ReleasePalette(Palette);
        Palette = PaletteManager().AcquirePalette(ColorTable, PaletteCount);
    }
    return Palette;
}

// ---- TDIB

TDIB::TDIB() {
    SetImage(EmptyImage());
}

TDIB::~TDIB() = default;

void TDIB::SetImage(TDIBSharedImage::Ptr image) {
    if (image == image_) return;
    image_ = std::move(image);
    ColorTable = image_->ColorTable;
    PixelFormat = image_->PixelFormat;
    currentFormat_ = image_->PixelFormat;
    bitCount_ = image_->BitCount;
    height_ = image_->Height;
    rowStep_ = image_->RowStep;
    pixels_ = image_->PixelBlock();
    size_ = image_->Size;
    topRow_ = image_->TopRow;
    width_ = image_->Width;
    widthBytes_ = image_->WidthBytes;
}

void TDIB::RaiseScanLineRange(int y) {
    throw EInvalidGraphicOperation(Msg::ScanLineRange, {static_cast<long long>(y)});
}

void TDIB::EnsureSurface() {
    if (image_->PlainMemory) SetImage(TDIBSharedImage::CreateExpanded(*image_, false));
}

void TDIB::ResetToEmpty() {
    SetImage(EmptyImage());
}

void TDIB::Allocate(int width, int height, int bitCount) {
    if (width == width_ && height == height_ && bitCount == bitCount_ &&
        PixelFormat.Masks() == currentFormat_.Masks()) {
        return;
    }
    if (width <= 0 || height <= 0) {
        ResetToEmpty();
        return;
    }
    SetImage(TDIBSharedImage::CreateBlank(width, height, bitCount, PixelFormat, ColorTable,
                                          image_->PlainMemory, false));
    PaletteModified = true;
}

void TDIB::SetWidth(int width) {
    if (width <= 0) {
        ResetToEmpty();
    } else if (IsEmpty()) {
        Allocate(width, std::max(height_, 1), 8);
    } else {
        Allocate(width, height_, bitCount_);
    }
}

void TDIB::SetHeight(int height) {
    if (height <= 0) {
        ResetToEmpty();
    } else if (IsEmpty()) {
        Allocate(std::max(width_, 1), height, 8);
    } else {
        Allocate(width_, height, bitCount_);
    }
}

void TDIB::CommitColorTable() {
    if (ColorTable == image_->ColorTable) return;
    const TColorTable wanted = ColorTable;
    MakePrivate(true);
    ColorTable = wanted;
    image_->StoreColorTable(ColorTable);
    PaletteModified = true;
}

HPALETTE TDIB::PaletteHandle() {
    return image_->PaletteHandle();
}

void TDIB::SetPaletteHandle(HPALETTE palette) {
    TPaletteEntry entries[256] = {};
    GetPaletteEntries(palette, 0, 256, entries);
    for (size_t i = 0; i < ColorTable.size(); ++i) {
        ColorTable[i] = TRGBQuad{entries[i].Blue, entries[i].Green, entries[i].Red, 0};
    }
    DeletePalette(palette);
    CommitColorTable();
}

void TDIB::AssignFrom(const TPersistent* source) {
    if (!source) {
        ResetToEmpty();
    } else if (const auto* dib = dynamic_cast<const TDIB*>(source)) {
        if (dib != this) SetImage(dib->image_);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        TGraphic* graphic = picture->Graphic();
        if (!graphic) {
            ResetToEmpty();
        } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
            AssignFromBitmap(*bitmap);
        } else {
            AssignFromGraphic(*graphic);
        }
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        AssignFromBitmap(*bitmap);
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        // Drawing the source does not change what it shows.
        AssignFromGraphic(const_cast<TGraphic&>(*graphic));
    } else {
        TGraphic::Assign(source);
    }
}

void TDIB::AssignFromBitmap(const TBitmap& bitmap) {
    TPaletteEntry entries[256] = {};
    GetPaletteEntries(const_cast<TBitmap&>(bitmap).PaletteHandle(), 0, 256, entries);
    for (size_t i = 0; i < ColorTable.size(); ++i) {
        ColorTable[i] = TRGBQuad{entries[i].Blue, entries[i].Green, entries[i].Red, 0};
    }
    CommitColorTable();

    const int bits = bitmap.BitCount();
    if (bits > 8 && bits < 24) {
        const TColorMasks& m = bitmap.Masks();
        PixelFormat = PixelFormatFromMasks(m[0], m[1], m[2]);
    } else {
        PixelFormat = PixelFormatFromMasks(0xFF0000, 0xFF00, 0xFF);
    }
    Allocate(bitmap.Width(), bitmap.Height(), bits);
    if (IsEmpty()) return;

    Canvas();
    MakePrivate(false);
    // The same image is rewritten when the size was already right.
    image_->DrawCache.MarkAllChanged();
    std::memset(pixels_, 0, static_cast<size_t>(size_));
    if (bits == bitCount_ && widthBytes_ == bitmap.WidthBytes() && SameUsableColors(bitmap)) {
        // Equal layouts: the pixel values are reproduced one for one.
        for (int y = 0; y < height_; ++y) {
            std::memcpy(topRow_ + static_cast<int64_t>(y) * rowStep_, bitmap.ScanLine(y),
                        static_cast<size_t>(widthBytes_));
        }
    } else {
        Canvas().Draw(0, 0, const_cast<TBitmap&>(bitmap));
    }
}

bool TDIB::SameUsableColors(const TBitmap& bitmap) const {
    // Entries past 2^bits can't be indexed; a header that declares more must not make equal
    // pictures look different.
    const auto used = static_cast<size_t>(bitmap.ColorCount());
    return std::equal(ColorTable.begin(), ColorTable.begin() + used, bitmap.ColorTable().begin());
}

void TDIB::AssignFromGraphic(TGraphic& graphic) {
    Allocate(graphic.Width(), graphic.Height(), 24);
    if (IsEmpty()) return;
    TCanvas& canvas = Canvas();
    MakePrivate(false);
    image_->DrawCache.MarkAllChanged();
    std::memset(pixels_, 0, static_cast<size_t>(size_));
    canvas.Draw(0, 0, graphic);
}
