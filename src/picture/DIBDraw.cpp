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
        const TDIBSharedImage& image = *owner_.image_;
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

namespace {

// The source pixel under the centre of target pixel i of a span of target pixels.
inline int32_t SourceIndex(int64_t i, int64_t targetLength, int32_t sourceLength) {
    const auto at = static_cast<int64_t>((static_cast<double>(i) + 0.5) * sourceLength /
                                         static_cast<double>(targetLength));
    return static_cast<int32_t>(std::clamp<int64_t>(at, 0, sourceLength - 1));
}

} // namespace

void TDIB::DrawStretched(TCanvas& canvas, const QRect& rect) {
    if (size_ == 0 || rect.width() <= 0 || rect.height() <= 0) return;
    if (image_->Compressed) MakePrivate(true);
    TDIBSharedImage& image = *image_;
    const QRgb* lookup = image.PaletteCount > 0 ? PaletteHandle()->Lookup().data() : nullptr;
    const bool green6 = image.PixelFormat.Masks() == Masks565;

    canvas.Paint([&](QPainter& painter) {
        // Only the part of the rectangle that lands on the device is worked out, one colour
        // per target pixel: rows and columns are dropped or repeated, never blended.
        QRect area = rect;
        if (const QPaintDevice* device = painter.device()) {
            bool invertible = false;
            const QTransform toLogical = painter.transform().inverted(&invertible);
            if (invertible)
                area &= toLogical.mapRect(QRect(0, 0, device->width(), device->height()));
        }
        if (area.isEmpty()) return;
        QImage& buffer = image.DrawBuffer;
        if (buffer.size() != area.size()) buffer = QImage(area.size(), QImage::Format_RGB32);
        if (buffer.isNull()) throw EOutOfResources(Msg::CannotBeMade, {std::string("DIB")});

        std::vector<int32_t>& columns = image.DrawColumns;
        columns.resize(static_cast<size_t>(area.width()));
        for (int i = 0; i < area.width(); ++i) {
            columns[static_cast<size_t>(i)] =
                SourceIndex(int64_t{area.left()} - rect.left() + i, rect.width(), width_);
        }
        const int32_t* column = columns.data();
        for (int j = 0; j < area.height(); ++j) {
            const int32_t sy =
                SourceIndex(int64_t{area.top()} - rect.top() + j, rect.height(), height_);
            const uint8_t* row = topRow_ + static_cast<int64_t>(sy) * rowStep_;
            auto* out = reinterpret_cast<QRgb*>(buffer.scanLine(j));
            if (bitCount_ == 8) {
                for (int i = 0; i < area.width(); ++i)
                    out[i] = lookup[row[column[i]]];
            } else {
                for (int i = 0; i < area.width(); ++i) {
                    out[i] = DibPixelToRgb(row, column[i], bitCount_, lookup, green6);
                }
            }
        }
        const QPainter::CompositionMode mode = painter.compositionMode();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(area.topLeft(), buffer);
        painter.setCompositionMode(mode);
    });
}
