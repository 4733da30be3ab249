// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/RXSliderImages.h"

#include "platform/ResourceModule.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

TBitmap LoadProgramBitmap(const char* name) {
    TBitmap bitmap;
    if (const auto data = FindResourceData(ProgramModule(), name, RT_BITMAP)) {
        bitmap.LoadFromPackedDib(data->Data, static_cast<int64_t>(data->Size));
    }
    return bitmap;
}

QImage BuildRuler(const QImage& image, int length, int edge, bool horizontal) {
    const int imageLength = horizontal ? image.width() : image.height();
    const int across = horizontal ? image.height() : image.width();
    if (length <= 0 || image.isNull()) return {};
    QImage ruler(horizontal ? QSize(length, across) : QSize(across, length), QImage::Format_ARGB32);
    ruler.fill(Qt::transparent);
    QPainter p(&ruler);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // Copies the image's pieces [from, from + count) along the axis to position at.
    auto copy = [&](int at, int from, int count) {
        if (count <= 0) return;
        if (horizontal) {
            p.drawImage(QPoint(at, 0), image, QRect(from, 0, count, across));
        } else {
            p.drawImage(QPoint(0, at), image, QRect(0, from, across, count));
        }
    };
    edge = std::clamp(edge, 0, imageLength / 2);
    const int middle = imageLength - 2 * edge;
    // The first piece: the image without its far edge.
    const int first = std::min(imageLength - edge, std::max(length - edge, 0));
    copy(0, 0, first);
    int at = first;
    if (middle > 0) {
        while (length - at - edge > middle) {
            copy(at, edge, middle);
            at += middle;
        }
    }
    // The last piece: the far edge with as much of the middle before it as fills the rest.
    const int rest = std::min(length - at, imageLength);
    copy(at, imageLength - rest, rest);
    return ruler;
}

QCursor HandCursor() {
    static const QCursor cursor = [] {
        const QPixmap hand(QStringLiteral(":/resources/RX_HANDCUR.png"));
        return hand.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(hand, 13, 1);
    }();
    return cursor;
}
