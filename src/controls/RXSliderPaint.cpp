// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing of the slider: bevel, background, ruler, focus rectangle and ticks around the
// thumb, then the thumb itself.

#include "controls/RXSlider.h"

#include "framework/Application.h"
#include "framework/Rounding.h"

#include <QPainter>

#include <algorithm>

void TRxCustomSlider::paintEvent(QPaintEvent*) {
    Guard([this] {
        QPainter canvas(this);
        canvas.setClipRegion(QRegion(rect()).subtracted(QRegion(thumbRect_)));

        if (bevelStyle_ != bvNone) {
            const QColor shadow = palette().color(QPalette::Dark);
            const QColor light = palette().color(QPalette::Light);
            const QColor topLeft = bevelStyle_ == bvLowered ? shadow : light;
            const QColor bottomRight = bevelStyle_ == bvLowered ? light : shadow;
            const int r = width() - 1;
            const int b = height() - 1;
            canvas.setPen(topLeft);
            canvas.drawLine(0, 0, r - 1, 0);
            canvas.drawLine(0, 0, 0, b - 1);
            canvas.setPen(bottomRight);
            canvas.drawLine(0, b, r, b);
            canvas.drawLine(r, 0, r, b);
        }
        const QRect inside = GetSliderRect();
        canvas.fillRect(inside, Color());
        canvas.drawImage(rulerOrigin_, ruler_);

        if ((options_ & soShowFocus) && hasFocus()) {
            const QRect focus = inside.adjusted(2, 2, -2, -2);
            canvas.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
            canvas.setBrush(Qt::NoBrush);
            canvas.drawRect(focus.adjusted(0, 0, -1, -1));
        }
        if (options_ & soShowPoints) {
            if (OnDrawPoints) {
                OnDrawPoints(this, canvas);
            } else {
                DrawDefaultPoints(canvas);
            }
        }
        canvas.setClipping(false);
        DrawThumb(canvas);
    });
}

void TRxCustomSlider::DrawThumb(QPainter& canvas) {
    if (thumbRect_.isEmpty()) return;
    QImage buffer(thumbRect_.size(), QImage::Format_RGB32);
    buffer.fill(Color());
    const bool pressedCell = (thumbDown_ || !isEnabled()) && numThumbStates_ > 1;
    const QRect cell(QPoint(pressedCell ? thumbRect_.width() : 0, 0), thumbRect_.size());
    QPainter p(&buffer);
    p.drawImage(QPoint(0, 0), thumbImage_, cell);
    p.end();
    canvas.drawImage(thumbRect_.topLeft(), buffer);
}

void TRxCustomSlider::DrawDefaultPoints(QPainter& canvas) {
    const int step = std::max(increment_, 1);
    const long double range = static_cast<long double>(maxValue_) - minValue_;
    long long f = step;
    long long n = 0;
    // Every k below this one still leaves more than max(travel div 4, 1) ticks, so the
    // search may start there; it spares a long walk over huge ranges.
    const long double most = std::max(travel_ / 4, 1) + 0.5L;
    const long long first = std::max<long long>(1, static_cast<long long>(range / (step * most)));
    for (long long k = first;; ++k) {
        f = k * step;
        n = RoundToInt64(range / f);
        const long long gap = n > 0 ? travel_ / n : travel_;
        if (gap >= 4 || gap >= travel_) break;
    }
    canvas.setPen(palette().color(QPalette::WindowText));
    const int half = Horizontal() ? thumbRect_.width() / 2 : thumbRect_.height() / 2;
    for (long long i = 0; i <= n; ++i) {
        const int value = i == n ? maxValue_ : static_cast<int>(minValue_ + i * f);
        const int length = (value == minValue_ || value == maxValue_) ? 5 : 3;
        const int at = ThumbPosOfValue(value) + half;
        if (Horizontal()) {
            canvas.drawLine(at, tickTop_, at, tickTop_ + length - 1);
        } else {
            canvas.drawLine(tickTop_, at, tickTop_ + length - 1, at);
        }
    }
}
