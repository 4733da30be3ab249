// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/KeyedImage.h"

QImage KeyedImage(const TBitmap& bitmap) {
    if (bitmap.IsEmpty()) return {};
    QImage image = bitmap.ToImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = bitmap.BitCount() == 1 ? qRgb(255, 255, 255)
                                            : (image.pixel(0, image.height() - 1) | 0xFF000000u);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] == key) row[x] = 0;
        }
    }
    return image;
}
