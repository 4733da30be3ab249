// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/DXPaintBox.h"

#include "framework/Application.h"
#include "framework/Rounding.h"

#include <QPaintEvent>
#include <QPainter>

TCustomDXPaintBox::TCustomDXPaintBox(QWidget* parent)
    : QWidget(parent), dib_(std::make_unique<TDIB>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(105, 105);
}

TCustomDXPaintBox::~TCustomDXPaintBox() = default;

void TCustomDXPaintBox::SetAutoStretch(bool value) {
    if (value == autoStretch_) return;
    autoStretch_ = value;
    update();
}

void TCustomDXPaintBox::SetCenter(bool value) {
    if (value == center_) return;
    center_ = value;
    update();
}

void TCustomDXPaintBox::SetStretch(bool value) {
    if (value == stretch_) return;
    stretch_ = value;
    update();
}

void TCustomDXPaintBox::SetDIB(const TDIB* picture) {
    if (picture == dib_.get()) return;
    dib_->AssignFrom(picture);
    update();
}

void TCustomDXPaintBox::SetColourMap(TColourMap map) {
    colourMap_ = std::move(map);
    mapValid_ = false;
    update();
}

const QRgb* TCustomDXPaintBox::MappedLookup(bool& changed) {
    changed = false;
    if (!colourMap_ || dib_->Image().PaletteCount == 0) return nullptr;
    const std::array<QRgb, 256>& palette = dib_->PaletteHandle()->Lookup();
    if (!mapValid_ || palette != mapSource_) {
        mapSource_ = palette;
        mapped_ = colourMap_(palette);
        mapValid_ = true;
        changed = true;
    }
    return mapped_.data();
}

void TCustomDXPaintBox::PaintNow() {
    repaint();
}

QSize TCustomDXPaintBox::DrawnSize() const {
    const int pictureWidth = dib_->Width();
    const int pictureHeight = dib_->Height();
    if (autoStretch_) {
        if (width() < pictureWidth || height() < pictureHeight) {
            // Single precision, as the scale has always been computed.
            const float sx = static_cast<float>(width()) / static_cast<float>(pictureWidth);
            const float sy = static_cast<float>(height()) / static_cast<float>(pictureHeight);
            const float s = std::min(sx, sy);
            return QSize(static_cast<int>(RoundToInt64(static_cast<float>(pictureWidth) * s)),
                         static_cast<int>(RoundToInt64(static_cast<float>(pictureHeight) * s)));
        }
    } else if (stretch_) {
        return QSize(width(), height());
    }
    return QSize(pictureWidth, pictureHeight);
}

QPoint TCustomDXPaintBox::PositionFor(int w, int h) const {
    // Truncating halves: a picture larger than the control shows its middle.
    if (!center_) return QPoint(0, 0);
    return QPoint((width() - w) / 2, (height() - h) / 2);
}

QRect TCustomDXPaintBox::DrawRect() const {
    if (dib_->IsEmpty()) return {};
    const QSize size = DrawnSize();
    return QRect(PositionFor(size.width(), size.height()), size);
}

void TCustomDXPaintBox::paintEvent(QPaintEvent*) {
    Guard([&] {
        if (dib_->IsEmpty()) return;
        const QSize size = DrawnSize();
        QPainter painter(this);
        DrawImageAt(painter, size.width(), size.height());
    });
}

void TCustomDXPaintBox::DrawImageAt(QPainter& painter, int w, int h) {
    const QPoint at = PositionFor(w, h);
    TPainterCanvas canvas(painter);
    bool changed = false;
    const QRgb* mapped = MappedLookup(changed);
    // The mapped colours serve this paint only; other drawings of the picture use its own.
    dib_->SetDrawLookup(mapped, changed);
    struct Reset {
        TDIB& dib;
        ~Reset() { dib.SetDrawLookup(nullptr, false); }
    } reset{*dib_};
    if (w == dib_->Width() && h == dib_->Height()) {
        canvas.Draw(at.x(), at.y(), *dib_);
    } else {
        canvas.StretchDraw(QRect(at.x(), at.y(), w, h), *dib_);
    }
}
