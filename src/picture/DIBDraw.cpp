// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing a TDIB into a rectangle, and the canvas that draws onto a TDIB.
#include "picture/DIB.h"

#include <QPainter>

#include <algorithm>

#include <unordered_map>

namespace {

// Writes one pixel value into a row of the given bit count.
void PutPixel(uint8_t* row, int x, int bitCount, uint32_t value) {
    switch (bitCount) {
    case 1: {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = value ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        return;
    }
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<uint8_t>((b & 0x0F) | (value << 4));
        return;
    }
    case 8:
        row[x] = static_cast<uint8_t>(value);
        return;
    case 16:
        row[2 * x] = static_cast<uint8_t>(value);
        row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        return;
    default: {
        uint8_t* p = row + (bitCount / 8) * x;
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
        return;
    }
    }
}

// The index of the palette entry nearest to a colour; the first of equal ones.
uint32_t NearestIndex(QRgb colour, const TColorTable& table, int count) {
    uint32_t best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        const TRGBQuad& e = table[static_cast<size_t>(i)];
        const int dr = qRed(colour) - e.Red;
        const int dg = qGreen(colour) - e.Green;
        const int db = qBlue(colour) - e.Blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<uint32_t>(i);
            if (distance == 0) break;
        }
    }
    return best;
}

uint32_t EncodeColour(QRgb colour, const TDIBSharedImage& image) {
    if (image.BitCount == 16) {
        const TPixelFormat& f = image.PixelFormat;
        return (static_cast<uint32_t>(qRed(colour) >> f.RedLoss) << (f.GreenBits + f.BlueBits)) |
               (static_cast<uint32_t>(qGreen(colour) >> f.GreenLoss) << f.BlueBits) |
               static_cast<uint32_t>(qBlue(colour) >> f.BlueLoss);
    }
    return static_cast<uint32_t>(qBlue(colour)) | (static_cast<uint32_t>(qGreen(colour)) << 8) |
           (static_cast<uint32_t>(qRed(colour)) << 16);
}

} // namespace

// Drawing happens on a colour copy of the pixels; afterwards every pixel whose colour changed
// is written back, indexed pixels as the nearest palette entry. Untouched pixels keep their
// exact values.
class TDIB::TDIBCanvas : public TCanvas {
public:
    explicit TDIBCanvas(TDIB& owner) : owner_(owner) {}

protected:
    QPainter* BeginPaint() override {
        if (owner_.IsEmpty() || painter_.isActive()) return nullptr;
        const TDIBSharedImage& image = *owner_.image_;
        const std::array<QRgb, 256> lookup = ColorTableLookup(image.ColorTable);
        shadow_ = QImage(owner_.width_, owner_.height_, QImage::Format_RGB32);
        // Without its colour copy the picture can't be drawn on; saying so beats a drawing
        // that silently leaves the picture as it was.
        if (shadow_.isNull()) RaiseCannotBeMade();
        for (int y = 0; y < owner_.height_; ++y) {
            DibRowToRgb(owner_.topRow_ + static_cast<int64_t>(y) * owner_.rowStep_, owner_.width_,
                        owner_.bitCount_, lookup.data(), image.PixelFormat.Masks(),
                        reinterpret_cast<QRgb*>(shadow_.scanLine(y)));
        }
        original_ = shadow_.copy();
        if (original_.isNull() || !painter_.begin(&shadow_)) {
            shadow_ = QImage();
            original_ = QImage();
            RaiseCannotBeMade();
        }
        return &painter_;
    }

    void EndPaint() override {
        if (!painter_.isActive()) return;
        painter_.end();
        TDIBSharedImage& image = *owner_.image_;
        image.DrawCache.MarkAllChanged();
        std::unordered_map<QRgb, uint32_t> nearest;
        for (int y = 0; y < owner_.height_; ++y) {
            const auto* now = reinterpret_cast<const QRgb*>(shadow_.constScanLine(y));
            const auto* before = reinterpret_cast<const QRgb*>(original_.constScanLine(y));
            uint8_t* row = owner_.topRow_ + static_cast<int64_t>(y) * owner_.rowStep_;
            for (int x = 0; x < owner_.width_; ++x) {
                if (now[x] == before[x]) continue;
                uint32_t value;
                if (image.PaletteCount > 0) {
                    auto found = nearest.find(now[x]);
                    if (found == nearest.end()) {
                        found = nearest
                                    .emplace(now[x], NearestIndex(now[x], image.ColorTable,
                                                                  image.PaletteCount))
                                    .first;
                    }
                    value = found->second;
                } else {
                    value = EncodeColour(now[x], image);
                }
                PutPixel(row, x, owner_.bitCount_, value);
            }
        }
        shadow_ = QImage();
        original_ = QImage();
    }

private:
    [[noreturn]] static void RaiseCannotBeMade() {
        throw EOutOfResources(Msg::CannotBeMade, {std::string("DIB")});
    }

    TDIB& owner_;
    QPainter painter_;
    QImage shadow_;
    QImage original_;
};

TCanvas& TDIB::Canvas() {
    EnsureSurface();
    if (!canvas_) {
        canvas_ = std::make_unique<TDIBCanvas>(*this);
        canvas_->OnChanging = [this] { MakePrivate(false); };
    }
    return *canvas_;
}

void TDIB::DrawStretched(TCanvas& canvas, const QRect& rect) {
    if (size_ == 0 || rect.width() <= 0 || rect.height() <= 0) return;
    if (image_->Compressed) MakePrivate(true);
    TDIBSharedImage& image = *image_;
    const QRgb* lookup = image.PaletteCount == 0 ? nullptr
                         : drawLookup_           ? drawLookup_
                                                 : PaletteHandle()->Lookup().data();

    canvas.Paint([&](QPainter& painter) {
        // Only the part of the rectangle that lands on the device is worked out.
        QRect area = rect;
        if (const QPaintDevice* device = painter.device()) {
            bool invertible = false;
            const QTransform toLogical = painter.transform().inverted(&invertible);
            if (invertible)
                area &= toLogical.mapRect(QRect(0, 0, device->width(), device->height()));
        }
        if (area.isEmpty()) return;
        const QImage& colours = image.DrawCache.Colours(image, lookup, rect, area);
        if (colours.isNull()) throw EOutOfResources(Msg::CannotBeMade, {std::string("DIB")});
        const QPainter::CompositionMode mode = painter.compositionMode();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(area.topLeft(), colours);
        painter.setCompositionMode(mode);
    });
}
