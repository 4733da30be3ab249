// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The colours of an image's last drawing, one per target pixel, kept with the image. The frame
// step changes the picture up to 70 times a second and each change is painted once; keeping
// the colours lets a paint turn only the rows that changed since the last one into colours,
// and lets a second paint of the same picture (an expose) convert nothing at all.

#include <QImage>
#include <QRect>

#include <climits>
#include <cstdint>
#include <vector>

class TDIBSharedImage;

class TDIBDrawCache {
public:
    // Row y (0 is the top row) may change before the next drawing.
    void MarkRowChanged(int y) {
        if (y < changedTop_) changedTop_ = y;
        if (y > changedBottom_) changedBottom_ = y;
    }
    // Any pixel, or the colour table, may have changed.
    void MarkAllChanged() { valid_ = false; }

    // The colours of the part area of the target rectangle rect over which the image is drawn:
    // for each target pixel the picture's pixel under its centre (rows and columns dropped or
    // repeated, never blended), indexed pixels through lookup. Only target rows whose picture
    // row changed since the last call are worked out again, unless rect, area or lookup differ.
    // A null image when no buffer could be made.
    const QImage& Colours(const TDIBSharedImage& image, const QRgb* lookup, const QRect& rect,
                          const QRect& area);

    // The target rows the last call of Colours worked out.
    int ConvertedRows() const { return convertedRows_; }

private:
    void Layout(const TDIBSharedImage& image, const QRect& rect, const QRect& area);
    void ConvertRow(const TDIBSharedImage& image, const QRgb* lookup, int j);

    QImage buffer_;
    std::vector<int32_t> columns_; // picture column of each target column
    std::vector<int32_t> rows_;    // picture row of each target row
    bool unitColumns_ = false;     // target column i shows picture column columns_[0] + i
    QRect rect_;
    QRect area_;
    const QRgb* lookup_ = nullptr;
    bool valid_ = false;
    int changedTop_ = INT_MAX;
    int changedBottom_ = -1;
    int convertedRows_ = 0;
};
