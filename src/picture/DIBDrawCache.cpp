// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/DIBDrawCache.h"

#include "picture/DIB.h"

#include <algorithm>
#include <cstring>

namespace {

// The source pixel under the centre of target pixel i of a span of target pixels.
inline int32_t SourceIndex(int64_t i, int64_t targetLength, int32_t sourceLength) {
    const auto at = static_cast<int64_t>((static_cast<double>(i) + 0.5) * sourceLength /
                                         static_cast<double>(targetLength));
    return static_cast<int32_t>(std::clamp<int64_t>(at, 0, sourceLength - 1));
}

// count palette indices to colours, four at a time: one load of the indices, four lookups.
void IndexedRun(const uint8_t* from, int count, const QRgb* lookup, QRgb* out) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t four;
        std::memcpy(&four, from + i, 4);
        out[i] = lookup[four & 0xFF];
        out[i + 1] = lookup[(four >> 8) & 0xFF];
        out[i + 2] = lookup[(four >> 16) & 0xFF];
        out[i + 3] = lookup[four >> 24];
    }
    for (; i < count; ++i)
        out[i] = lookup[from[i]];
}

} // namespace

const QImage& TDIBDrawCache::Colours(const TDIBSharedImage& image, const QRgb* lookup,
                                     const QRect& rect, const QRect& area) {
    int top = changedTop_;
    int bottom = changedBottom_;
    if (!valid_ || rect != rect_ || area != area_ || lookup != lookup_) {
        Layout(image, rect, area);
        if (buffer_.isNull()) return buffer_;
        lookup_ = lookup;
        valid_ = true;
        top = 0;
        bottom = image.Height - 1;
    }
    changedTop_ = INT_MAX;
    changedBottom_ = -1;
    convertedRows_ = 0;
    if (top > bottom) return buffer_;
    const auto rowBytes = static_cast<size_t>(area.width()) * sizeof(QRgb);
    for (int j = 0; j < area.height(); ++j) {
        const int32_t sy = rows_[static_cast<size_t>(j)];
        if (sy < top || sy > bottom) continue;
        // A picture row repeated in the target is worked out once and copied.
        if (convertedRows_ > 0 && sy == rows_[static_cast<size_t>(j) - 1]) {
            std::memcpy(buffer_.scanLine(j), buffer_.constScanLine(j - 1), rowBytes);
        } else {
            ConvertRow(image, lookup, j);
        }
        ++convertedRows_;
    }
    return buffer_;
}

void TDIBDrawCache::Layout(const TDIBSharedImage& image, const QRect& rect, const QRect& area) {
    rect_ = rect;
    area_ = area;
    // Made once for each size drawn; every later frame of that size reuses it.
    if (buffer_.size() != area.size()) buffer_ = QImage(area.size(), QImage::Format_RGB32);
    if (buffer_.isNull()) return;
    columns_.resize(static_cast<size_t>(area.width()));
    for (int i = 0; i < area.width(); ++i) {
        columns_[static_cast<size_t>(i)] =
            SourceIndex(int64_t{area.left()} - rect.left() + i, rect.width(), image.Width);
    }
    unitColumns_ = true;
    for (int i = 1; i < area.width() && unitColumns_; ++i)
        unitColumns_ = columns_[static_cast<size_t>(i)] == columns_[0] + i;
    rows_.resize(static_cast<size_t>(area.height()));
    for (int j = 0; j < area.height(); ++j) {
        rows_[static_cast<size_t>(j)] =
            SourceIndex(int64_t{area.top()} - rect.top() + j, rect.height(), image.Height);
    }
}

void TDIBDrawCache::ConvertRow(const TDIBSharedImage& image, const QRgb* lookup, int j) {
    const uint8_t* row = image.TopRow + int64_t{rows_[static_cast<size_t>(j)]} * image.RowStep;
    auto* out = reinterpret_cast<QRgb*>(buffer_.scanLine(j));
    const int width = area_.width();
    const int32_t* column = columns_.data();
    if (image.BitCount == 8) {
        if (unitColumns_) {
            IndexedRun(row + column[0], width, lookup, out);
        } else {
            for (int i = 0; i < width; ++i)
                out[i] = lookup[row[column[i]]];
        }
        return;
    }
    const bool green6 = image.PixelFormat.Masks() == Masks565;
    for (int i = 0; i < width; ++i)
        out[i] = DibPixelToRgb(row, column[i], image.BitCount, lookup, green6);
}
