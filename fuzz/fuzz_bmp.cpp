// Feeds arbitrary bytes to the BMP reader, then uses whatever it accepted: rows, drawing and
// writing it back, and the framework bitmap's reader over the same bytes.
#include "framework/Bitmap.h"
#include "framework/Streams.h"
#include "picture/DIB.h"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        TDIB dib;
        dib.LoadBmpStream(stream);
        TMemoryStream saved;
        dib.SaveBmpStream(saved);
        if (!dib.IsEmpty()) {
            for (int y = 0; y < dib.Height(); ++y) dib.ScanLine(y)[0] ^= 1;
            QImage target(16, 16, QImage::Format_RGB32);
            QPainter painter(&target);
            TPainterCanvas canvas(painter);
            canvas.StretchDraw(QRect(0, 0, 16, 16), dib);
        }
    } catch (const Exception&) {
    }
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        TBitmap bitmap;
        bitmap.LoadFromStream(stream);
        if (!bitmap.IsEmpty() && bitmap.Width() <= 4096 && bitmap.Height() <= 4096) {
            bitmap.ToImage();
        }
    } catch (const Exception&) {
    }
    return 0;
}
