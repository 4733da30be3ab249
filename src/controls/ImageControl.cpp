// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ImageControl.h"

#include "controls/KeyedImage.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"

#include <QPainter>

TImage::TImage(QWidget* owner) : QWidget(owner) {
    resize(105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::PictureChanged() {
    if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0) {
        resize(picture_.Width(), picture_.Height());
    }
    update();
}

void TImage::SetAutoSize(bool value) {
    autoSize_ = value;
    PictureChanged();
}

void TImage::SetStretch(bool value) {
    stretch_ = value;
    update();
}

void TImage::SetCenter(bool value) {
    center_ = value;
    update();
}

void TImage::SetTransparent(bool value) {
    transparent_ = value;
    update();
}

QRect TImage::DestRect() const {
    if (stretch_) return rect();
    QRect r(0, 0, picture_.Width(), picture_.Height());
    if (center_) r.moveCenter(rect().center());
    return r;
}

void TImage::paintEvent(QPaintEvent*) {
    Guard([this] {
        TGraphic* graphic = picture_.Graphic();
        if (!graphic || graphic->IsEmpty()) return;
        QPainter painter(this);
        const auto* bitmap = dynamic_cast<const TBitmap*>(graphic);
        if (transparent_ && bitmap) {
            painter.drawImage(DestRect(), KeyedImage(*bitmap));
            return;
        }
        TPainterCanvas canvas(painter);
        graphic->DrawStretched(canvas, DestRect());
    });
}
