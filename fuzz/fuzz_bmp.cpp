// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the BMP reader, then uses whatever it accepted: rows, drawing and
// writing it back, the framework bitmap's reader over the same bytes, whose picture must keep
// its pixel values when assigned to a TDIB, and the library tool's packing of them as a
// picture file.
#include "framework/Bitmap.h"
#include "framework/Streams.h"
#include "library/PackedDib.h"
#include "picture/DIB.h"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

// Pictures up to this size are expanded, walked and read again by the bitmap; larger ones,
// which the reader accepts up to 256 MiB, would only slow the search down.
constexpr int SmallPicture = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bool small = true;
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        TDIB dib;
        dib.LoadBmpStream(stream);
        TMemoryStream saved;
        dib.SaveBmpStream(saved);
        small = dib.Size() <= SmallPicture;
        if (!dib.IsEmpty() && small) {
            for (int y = 0; y < dib.Height(); ++y)
                dib.ScanLine(y)[0] ^= 1;
            QImage target(16, 16, QImage::Format_RGB32);
            QPainter painter(&target);
            TPainterCanvas canvas(painter);
            canvas.StretchDraw(QRect(0, 0, 16, 16), dib);
        }
    } catch (const Exception&) {
    }
    if (!small) return 0;
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        TBitmap bitmap;
        bitmap.LoadFromStream(stream);
        if (!bitmap.IsEmpty()) {
            bitmap.ToImage();
            // A library picture reaches the display this way; its pixel values must survive,
            // whatever colour count its header declares.
            TDIB assigned;
            assigned.AssignFrom(&bitmap);
            for (int y = 0; y < bitmap.Height(); ++y) {
                if (std::memcmp(assigned.ScanLine(y), bitmap.ScanLine(y),
                                static_cast<size_t>(bitmap.WidthBytes())) != 0) {
                    __builtin_trap();
                }
            }
        }
    } catch (const Exception&) {
    }
    try {
        (void)PackedDibFromBmpFile(std::vector<uint8_t>(data, data + size), "fuzz.bmp");
    } catch (const Exception&) {
    }
    return 0;
}
