// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The framework's bitmap: a device-independent picture that keeps its pixel values and its
// colour table exactly as loaded, so that copying it elsewhere loses nothing.

#include "framework/DibFormat.h"
#include "framework/Graphics.h"

#include <QImage>

#include <functional>
#include <memory>

class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap() override;

    const char* ClassName() const override { return "TBitmap"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TBitmap>(); }
    void Assign(const TPersistent* source) override;

    void DrawStretched(TCanvas& canvas, const QRect& rect) override;
    bool IsEmpty() const override { return bits_.empty(); }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Resizing keeps the bit count (24 for an empty bitmap) and clears the pixels.
    void SetWidth(int width) override { SetSize(width, height_); }
    void SetHeight(int height) override { SetSize(width_, height); }
    void SetSize(int width, int height);

    // The palette made from the colour table for 1, 4 and 8 bits; nullptr otherwise.
    HPALETTE PaletteHandle() override;

    // A BMP file; an empty stream leaves the bitmap unchanged.
    void LoadFromStream(TStream& stream) override;
    // A BMP file; nothing for an empty bitmap.
    void SaveToStream(TStream& stream) override;
    // A packed DIB: bitmap info, then the pixels, without a file header (a bitmap resource).
    void ReadPackedDib(TStream& stream);
    void LoadFromPackedDib(const void* data, int64_t size);

    int BitCount() const { return bitCount_; }
    int64_t WidthBytes() const { return widthBytes_; }
    const TColorMasks& Masks() const { return masks_; }
    const TColorTable& ColorTable() const { return colors_; }
    // Colour entries the bitmap carries: 2^bits for 1, 4 and 8 bits, else 0.
    int ColorCount() const { return bitCount_ <= 8 ? (1 << bitCount_) & 0x1FE : 0; }
    // Row y from the top; rows are stored bottom-up, padded to 4 bytes.
    const uint8_t* ScanLine(int y) const;
    uint8_t* ScanLine(int y);

    // The picture as opaque colours, top row first.
    QImage ToImage() const;

    // Runs after a load, an assignment or a new size has replaced the picture (not after
    // writes through ScanLine). A copy of the bitmap does not take it along.
    std::function<void()> OnChange;

private:
    void ReleasePalette();
    void Changed();
    // Reads a packed DIB whose pixels start at pixelStart (see ReadDibHeader).
    void ReadDib(TStream& stream, int64_t pixelStart);
    void Take(int width, int height, int bitCount, int64_t widthBytes, const TColorMasks& masks,
              const TColorTable& colors, std::vector<uint8_t> bits);

    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    int64_t widthBytes_ = 0;
    TColorMasks masks_ = Masks888;
    TColorTable colors_{};
    std::vector<uint8_t> bits_;
    HPALETTE palette_ = nullptr;
};
