// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device-independent bitmap of the picture engine: 1, 4, 8, 16, 24 or 32 bits per pixel,
// a 256-entry colour table and pixel rows held bottom-up in one block, addressed top row
// first through ScanLine. Images are shared between bitmaps and copied before a change.

#include "framework/DibFormat.h"
#include "framework/Graphics.h"
#include "picture/DIBDrawCache.h"
#include "platform/GlobalMemory.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <vector>

class TPicture;
class TBitmap;

// The layout of 16-, 24- and 32-bit pixels.
struct TPixelFormat {
    int32_t RedMask = 0;
    int32_t GreenMask = 0;
    int32_t BlueMask = 0;
    int32_t RedBits = 0;
    int32_t GreenBits = 0;
    int32_t BlueBits = 0;
    int32_t RedShift = 0;
    int32_t GreenShift = 0;
    int32_t BlueShift = 0;
    int32_t RedLoss = 0;
    int32_t GreenLoss = 0;
    int32_t BlueLoss = 0;

    TColorMasks Masks() const {
        return {static_cast<uint32_t>(RedMask), static_cast<uint32_t>(GreenMask),
                static_cast<uint32_t>(BlueMask)};
    }
    friend bool operator==(const TPixelFormat&, const TPixelFormat&) = default;
};

// The number of consecutive set bits from the lowest set bit of mask upward.
int MaskBitCount(uint32_t mask);
TPixelFormat PixelFormatFromCounts(int red, int green, int blue);
TPixelFormat PixelFormatFromMasks(uint32_t red, uint32_t green, uint32_t blue);
// Entry i is grey level i.
TColorTable GreyRamp();

// One platform palette per distinct colour table, shared by reference count.
class TPaletteItem {
public:
    TPaletteItem() = default;
    ~TPaletteItem() { DeletePalette(Palette); }
    TPaletteItem(const TPaletteItem&) = delete;
    TPaletteItem& operator=(const TPaletteItem&) = delete;

    uint32_t Checksum = 0;
    HPALETTE Palette = nullptr;
    int32_t RefCount = 0;
    TColorTable ColorTable{};
    int32_t ColorCount = 0;
};

class TPaletteManager {
public:
    // The palette of the first count entries of table; equal tables share one palette.
    HPALETTE AcquirePalette(const TColorTable& table, int count);
    // Drops one reference to the palette and clears the caller's handle.
    void ReleasePalette(HPALETTE& palette);
    int ItemCount() const { return static_cast<int>(items_.size()); }

private:
    std::vector<std::unique_ptr<TPaletteItem>> items_;
};

// The process-wide palette manager, made on first use.
TPaletteManager& PaletteManager();

// One image, shared by every TDIB that holds it. Only TDIB changes it.
class TDIBSharedImage {
public:
    TDIBSharedImage() = default;
    ~TDIBSharedImage();
    TDIBSharedImage(const TDIBSharedImage&) = delete;
    TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;

    using Ptr = std::shared_ptr<TDIBSharedImage>;

    static Ptr CreateEmpty();
    static Ptr CreateBlank(int width, int height, int bitCount, const TPixelFormat& format,
                           const TColorTable& colors, bool plainMemory, bool compressed);
    static Ptr CreateCopy(const TDIBSharedImage& source, bool plainMemory);
    static Ptr CreateExpanded(const TDIBSharedImage& source, bool plainMemory);
    // Reads a packed DIB; pixelStart is where a file header says the pixels begin.
    static Ptr CreateFromPackedDib(TStream& stream, bool plainMemory,
                                   int64_t pixelStart = PixelsFollowColors);

    void StoreColorTable(const TColorTable& colors);
    HPALETTE PaletteHandle();

    // The image size field of the bitmap info: the compressed byte count for RLE data.
    uint32_t ImageSize() const;
    // The pixel block: size bytes, or ImageSize() bytes of RLE data.
    uint8_t* PixelBlock() { return pixels_.get(); }
    const uint8_t* PixelBlock() const { return pixels_.get(); }
    int64_t PixelBlockSize() const { return Compressed ? int64_t{ImageSize()} : int64_t{Size}; }

    int32_t BitCount = 0;
    std::vector<uint8_t> BitmapInfo;
    bool PaletteChanged = true;
    TColorTable ColorTable{};
    int32_t ColorTablePos = BmpInfoHeaderSize;
    bool Compressed = false;
    int32_t Height = 0;
    bool PlainMemory = true;
    int32_t RowStep = 0;
    HPALETTE Palette = nullptr;
    int32_t PaletteCount = 0;
    TPixelFormat PixelFormat;
    int32_t Size = 0;
    uint8_t* TopRow = nullptr;
    int32_t Width = 0;
    int32_t WidthBytes = 0;

    // The colours of the last drawing, brought up to date by the next one.
    TDIBDrawCache DrawCache;

private:
    void AllocatePixels(int64_t bytes);
    void SetImageSize(uint32_t bytes);

    std::unique_ptr<uint8_t[]> pixels_;
};

// The process-wide empty image, made on first use.
const TDIBSharedImage::Ptr& EmptyImage();

class TDIB : public TGraphic {
public:
    TDIB();
    ~TDIB() override;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    const char* ClassName() const override { return "TDIB"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TDIB>(); }

    // Takes the picture of a TDIB (shared), a picture holder, a bitmap or another graphic;
    // nullptr empties this one.
    void AssignFrom(const TPersistent* source);
    void Assign(const TPersistent* source) override { AssignFrom(source); }

    void DrawStretched(TCanvas& canvas, const QRect& rect) override;
    bool IsEmpty() const override { return size_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int BitCount() const { return bitCount_; }
    int WidthBytes() const { return widthBytes_; }
    int Size() const { return size_; }
    void SetWidth(int width) override;
    void SetHeight(int height) override;

    HPALETTE PaletteHandle() override;
    void SetPaletteHandle(HPALETTE palette) override;

    // The colours indexed pixels are drawn in instead of the palette's, until set back to
    // nullptr; the pixels and the colour table stay as they are. Set changed when the table
    // behind the same pointer now holds other colours, so the next drawing converts again.
    void SetDrawLookup(const QRgb* lookup, bool changed) {
        drawLookup_ = lookup;
        if (changed) image_->DrawCache.MarkAllChanged();
    }

    // Row y (0 is the top row), writable; the image is made private and expanded first. The
    // next drawing takes the row as changed, so write through it before drawing again.
    uint8_t* ScanLine(int y) {
        MakePrivate(true);
        if (y < 0 || y >= height_) RaiseScanLineRange(y);
        image_->DrawCache.MarkRowChanged(y);
        return topRow_ + static_cast<int64_t>(y) * rowStep_;
    }

    // A new blank image of that size and bit count, in PixelFormat, with ColorTable.
    void Allocate(int width, int height, int bitCount);
    virtual void ResetToEmpty();
    // Pushes ColorTable into the image when it differs.
    void CommitColorTable();

    // A canvas on the picture; drawing on it changes the pixels.
    TCanvas& Canvas();

    void LoadFromStream(TStream& stream) override { LoadBmpStream(stream); }
    void SaveToStream(TStream& stream) override { SaveBmpStream(stream); }
    void LoadBmpFile(const std::string& fileName) { LoadFromFile(fileName); }
    void SaveBmpFile(const std::string& fileName) { SaveToFile(fileName); }
    void LoadBmpStream(TStream& stream);
    void SaveBmpStream(TStream& stream);
    void ReadPackedDib(TStream& stream);
    void WritePackedDib(TStream& stream);

    static constexpr int ClipboardFormat = 8; // a packed DIB
    // A movable, zero-initialised block with the packed DIB; the caller owns it.
    void SaveToClipboardData(int& format, HGLOBAL& data, HPALETTE& palette);
    void LoadFromClipboardData(int format, HGLOBAL data);

    // Component streams carry the picture as a binary property of this name holding a whole
    // BMP file; it is read, never written.
    static constexpr const char* BinaryPropertyName = "DIB";
    void ReadBinaryProperty(TStream& stream) { LoadBmpStream(stream); }
    bool WritesBinaryProperty() const { return false; }

    // The wanted colour table and pixel format, pushed into the image by CommitColorTable
    // and Allocate.
    TColorTable ColorTable{};
    TPixelFormat PixelFormat;

    const TDIBSharedImage& Image() const { return *image_; }
    bool IsShared() const { return image_.use_count() > 1; }

private:
    class TDIBCanvas;
    friend class TDIBCanvas;

    void SetImage(TDIBSharedImage::Ptr image);
    void MakePrivate(bool plainMemory) {
        if (image_.use_count() > 1 || image_->Compressed) {
            SetImage(TDIBSharedImage::CreateExpanded(*image_, plainMemory && image_->PlainMemory));
        }
    }
    void EnsureSurface();
    [[noreturn]] static void RaiseScanLineRange(int y);
    void AssignFromBitmap(const TBitmap& bitmap);
    // True when the entries the bitmap's pixels can index equal those of ColorTable.
    bool SameUsableColors(const TBitmap& bitmap) const;
    void AssignFromGraphic(TGraphic& graphic);

    TDIBSharedImage::Ptr image_;
    std::unique_ptr<TCanvas> canvas_;
    int32_t bitCount_ = 0;
    int32_t height_ = 0;
    int32_t rowStep_ = 0;
    TPixelFormat currentFormat_;
    uint8_t* pixels_ = nullptr;
    int32_t size_ = 0;
    uint8_t* topRow_ = nullptr;
    int32_t width_ = 0;
    int32_t widthBytes_ = 0;
    const QRgb* drawLookup_ = nullptr;
};
