// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/RXSlider.h"

#include "controls/RXSliderImages.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Rounding.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

const char* const kDefaultImageNames[4] = {"W95_HTB", "W95_HRL", "W95_VTB", "W95_VRL"};

int RoundDiv(long double numerator, long double denominator) {
    return static_cast<int>(RoundToInt64(numerator / denominator));
}
} // namespace

TRxCustomSlider::TRxCustomSlider(QWidget* owner) : QWidget(owner), repeatTimer_(this) {
    for (size_t i = 0; i < 4; ++i)
        images_[i] = LoadProgramBitmap(kDefaultImageNames[i]);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    repeatTimer_.setInterval(kRepeatInterval);
    connect(&repeatTimer_, &QTimer::timeout, this, [this] { Guard([this] { RepeatTick(); }); });
    resize(150, 40);
    MakeKeyedImages();
    Layout();
}

void TRxCustomSlider::SetColor(const QColor& color) {
    SetBackground(*this, color);
}

// Value and range

void TRxCustomSlider::SetValue(int value) {
    value = std::max(std::min(value, maxValue_), minValue_);
    const int old = value_;
    value_ = value;
    PlaceThumb(OffsetOfValue(GetDisplayedValue()));
    if (value_ != old && QAccessible::isActive()) {
        QAccessibleValueChangeEvent moved(this, value_);
        QAccessible::updateAccessibility(&moved);
    }
    if (value_ != old) Change();
}

// Widened: a minimum within Increment of the largest int must not overflow.
void TRxCustomSlider::ShrinkIncrementToRange() {
    const long long range = static_cast<long long>(maxValue_) - minValue_;
    if (!loading_ && range < increment_) increment_ = static_cast<int>(range);
}

void TRxCustomSlider::SetMinValue(int value) {
    if (value == minValue_) return;
    if (!loading_ && value >= maxValue_) return;
    minValue_ = value;
    ShrinkIncrementToRange();
    if (options_ & soShowPoints) update();
    SetValue(value_);
    RangeChanged();
}

void TRxCustomSlider::SetMaxValue(int value) {
    if (value == maxValue_) return;
    if (!loading_ && value <= minValue_) return;
    maxValue_ = value;
    ShrinkIncrementToRange();
    if (options_ & soShowPoints) update();
    SetValue(value_);
    RangeChanged();
}

void TRxCustomSlider::SetIncrement(int value) {
    const long long range = static_cast<long long>(maxValue_) - minValue_;
    if (!loading_ && !(value > 0 && value <= range)) {
        throw Exception(Msg::ValueBetween, {1LL, range});
    }
    if (value > 0 && value != increment_) {
        increment_ = value;
        SetValue(value_);
        update();
    }
}

int TRxCustomSlider::OffsetOfValue(int value) const {
    if (maxValue_ == minValue_) return 0;
    return std::max(
        RoundDiv(static_cast<long double>(travel_) * (static_cast<long double>(value) - minValue_),
                 static_cast<long double>(maxValue_) - minValue_),
        0);
}

int TRxCustomSlider::ValueAtOffset(int offset) const {
    const long double range = static_cast<long double>(maxValue_) - minValue_;
    long long d = travel_ == 0 ? 0 : RoundToInt64(offset * range / travel_);
    if (!(options_ & soSmooth) && increment_ > 0) {
        d = RoundToInt64(static_cast<long double>(d) / increment_) * increment_;
    }
    return static_cast<int>(std::min<long long>(std::max(d, 0LL) + minValue_, maxValue_));
}

int TRxCustomSlider::TravelBase() const {
    const QRect r = GetSliderRect();
    return Horizontal() ? r.left() + 6 : r.top() + 6 + travel_;
}

int TRxCustomSlider::ThumbPosOfValue(int value) const {
    return Horizontal() ? TravelBase() + OffsetOfValue(value) : TravelBase() - OffsetOfValue(value);
}

int TRxCustomSlider::ValueAtThumbPos(int pos) const {
    return ValueAtOffset(Horizontal() ? pos - TravelBase() : TravelBase() - pos);
}

void TRxCustomSlider::PlaceThumb(int offset) {
    QRect moved = thumbRect_;
    if (Horizontal()) {
        moved.moveLeft(TravelBase() + offset);
    } else {
        moved.moveTop(TravelBase() - offset);
    }
    if (moved == thumbRect_) return;
    update(thumbRect_);
    thumbRect_ = moved;
    update(thumbRect_);
}

// Images and layout

void TRxCustomSlider::SetImage(TSliderImage which, const TBitmap* image) {
    if (image && !image->IsEmpty()) {
        images_[which] = *image;
        userImages_ |= static_cast<uint8_t>(1u << which);
    } else {
        images_[which] = LoadProgramBitmap(kDefaultImageNames[which]);
        userImages_ &= static_cast<uint8_t>(~(1u << which));
    }
    MakeKeyedImages();
    RebuildLayout();
}

void TRxCustomSlider::MakeKeyedImages() {
    thumbImage_ = KeyedImage(images_[ThumbImage()]);
}

void TRxCustomSlider::Loaded() {
    loading_ = false;
    MakeKeyedImages();
    RebuildLayout();
}

QRect TRxCustomSlider::GetSliderRect() const {
    return bevelStyle_ == bvNone ? rect() : rect().adjusted(1, 1, -1, -1);
}

void TRxCustomSlider::RebuildLayout() {
    Layout();
    update();
}

void TRxCustomSlider::Layout() {
    const QRect r = GetSliderRect();
    const QImage rulerImage = KeyedImage(images_[RulerImage()]);
    const int cells = std::max(numThumbStates_, 1);
    const QSize thumb(thumbImage_.width() / cells, thumbImage_.height());
    if (Horizontal()) {
        ruler_ = BuildRuler(rulerImage, std::max(r.width() - 12, 0), edgeSize_, true);
        const int rulerHeight = rulerImage.height();
        int thumbTop = 0;
        if (thumb.height() > rulerHeight) {
            thumbTop = r.top() + 6;
            rulerOrigin_ = QPoint(r.left() + 6, r.top() + 6 + (thumb.height() - rulerHeight) / 2);
            tickTop_ = r.top() + 6 + thumb.height() + 1;
        } else {
            thumbTop = r.top() + 6 + (rulerHeight - thumb.height()) / 2;
            rulerOrigin_ = QPoint(r.left() + 6, r.top() + 6);
            tickTop_ = r.top() + 6 + rulerHeight + 1;
        }
        travel_ = std::max(ruler_.width() - thumb.width(), 0);
        thumbRect_ = QRect(QPoint(r.left() + 6, thumbTop), thumb);
    } else {
        const QSize cell = thumb; // the vertical image holds its cells side by side too
        ruler_ = BuildRuler(rulerImage, std::max(r.height() - 12, 0), edgeSize_, false);
        const int rulerWidth = rulerImage.width();
        int thumbLeft = 0;
        if (cell.width() > rulerWidth) {
            thumbLeft = r.left() + 6;
            rulerOrigin_ = QPoint(r.left() + 6 + (cell.width() - rulerWidth) / 2, r.top() + 6);
            tickTop_ = r.left() + 6 + cell.width() + 1;
        } else {
            thumbLeft = r.left() + 6 + (rulerWidth - cell.width()) / 2;
            rulerOrigin_ = QPoint(r.left() + 6, r.top() + 6);
            tickTop_ = r.left() + 6 + rulerWidth + 1;
        }
        travel_ = std::max(ruler_.height() - cell.height(), 0);
        thumbRect_ = QRect(QPoint(thumbLeft, r.top() + 6 + travel_), cell);
    }
    SetValue(value_);
}

void TRxCustomSlider::SetEdgeSize(int value) {
    const TBitmap& ruler = images_[RulerImage()];
    const int length = Horizontal() ? ruler.Width() : ruler.Height();
    if (value < 0 || 2 * value >= length || value == edgeSize_) return;
    edgeSize_ = value;
    RebuildLayout();
}

void TRxCustomSlider::SetNumThumbStates(int value) {
    value = std::clamp(value, 1, 2);
    if (value == numThumbStates_) return;
    numThumbStates_ = value;
    RebuildLayout();
}

void TRxCustomSlider::SetOrientation(TSliderOrientation value) {
    if (value == orientation_) return;
    orientation_ = value;
    MakeKeyedImages();
    RebuildLayout();
}

void TRxCustomSlider::SetOptions(TSliderOptions value) {
    if (value == options_) return;
    options_ = value;
    update();
}

void TRxCustomSlider::SetBevelStyle(TPanelBevel value) {
    if (value == bevelStyle_) return;
    bevelStyle_ = value;
    RebuildLayout();
}

void TRxCustomSlider::resizeEvent(QResizeEvent*) {
    Guard([this] {
        if (!loading_) RebuildLayout();
    });
}

void TRxCustomSlider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update(); // the thumb's cell follows
    QWidget::changeEvent(event);
}

// Notifications

void TRxCustomSlider::Change() {
    if (OnChange) OnChange(this);
}

void TRxCustomSlider::Changed() {
    if (OnChanged) OnChanged(this);
}

// Stepping, keys and mouse

void TRxCustomSlider::Step(bool up) {
    const int inc = std::max(increment_, 1);
    long long next = static_cast<long long>(RoundDiv(value_, inc)) * inc + (up ? inc : -inc);
    next = std::clamp<long long>(next, minValue_, maxValue_);
    if (next != value_) SetValue(static_cast<int>(next));
}

void TRxCustomSlider::keyPressEvent(QKeyEvent* event) {
    Guard([&] {
        int key = event->key();
        const bool plain =
            !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        const int up = Horizontal() ? Qt::Key_Right : Qt::Key_Up;
        const int down = Horizontal() ? Qt::Key_Left : Qt::Key_Down;
        bool handled = plain;
        if (plain && key == Qt::Key_Home) {
            if (value_ != minValue_) SetValue(minValue_);
        } else if (plain && key == Qt::Key_End) {
            if (value_ != maxValue_) SetValue(maxValue_);
        } else if (plain && (key == up || key == down)) {
            Step(key == up);
        } else {
            handled = false;
        }
        if (handled) {
            key = 0;
            Changed();
        } else {
            event->ignore();
        }
        if (OnKeyDown) OnKeyDown(this, key, event->modifiers());
    });
}

bool TRxCustomSlider::PointOnRuler(QPoint p) const {
    QRect area(rulerOrigin_, ruler_.size());
    area = Horizontal() ? area.adjusted(0, -3, 0, 3) : area.adjusted(-3, 0, 3, 0);
    return area.contains(p);
}

bool TRxCustomSlider::MouseBeyondThumb() const {
    if (Horizontal()) {
        return trackUp_ ? mousePoint_.x() > thumbRect_.right()
                        : mousePoint_.x() < thumbRect_.left();
    }
    return trackUp_ ? mousePoint_.y() < thumbRect_.top() : mousePoint_.y() > thumbRect_.bottom();
}

void TRxCustomSlider::mousePressEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
        if (event->button() != Qt::LeftButton) return;
        if (focusPolicy() != Qt::NoFocus && isEnabled()) setFocus(Qt::MouseFocusReason);
        if (!IsChangeAllowed()) return;
        if (thumbRect_.contains(p)) {
            ThumbPressed(p);
        } else if (PointOnRuler(p)) {
            tracking_ = true;
            mousePoint_ = p;
            trackUp_ = Horizontal() ? p.x() > thumbRect_.right() : p.y() < thumbRect_.top();
            Step(trackUp_);
            repeatTimer_.start();
        }
    });
}

void TRxCustomSlider::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click only reports the press; it neither moves the thumb nor tracks.
    Guard([&] {
        const QPoint p = MousePoint(event);
        if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
    });
}

void TRxCustomSlider::RepeatTick() {
    if (tracking_ && MouseBeyondThumb()) Step(trackUp_);
}

void TRxCustomSlider::ThumbPressed(QPoint at) {
    sliding_ = true;
    thumbDown_ = true;
    pressOffset_ = Horizontal() ? at.x() - thumbRect_.left() : at.y() - thumbRect_.top();
    repaint(thumbRect_);
}

void TRxCustomSlider::ThumbDragged(QPoint at) {
    const int base = Horizontal() ? GetSliderRect().left() + 6 : GetSliderRect().top() + 6;
    const int edge =
        std::clamp((Horizontal() ? at.x() : at.y()) - pressOffset_, base, base + travel_);
    const int value = ValueAtThumbPos(edge);
    SetValue(value);
}

void TRxCustomSlider::ThumbReleased() {
    sliding_ = false;
    thumbDown_ = false;
    repaint(thumbRect_);
    Changed();
}

void TRxCustomSlider::mouseMoveEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        if (sliding_ && (event->buttons() & Qt::LeftButton)) {
            ThumbDragged(p);
        } else if (tracking_) {
            mousePoint_ = p;
        }
        if (thumbRect_.contains(p)) {
            setCursor(HandCursor());
        } else {
            unsetCursor();
        }
        if (OnMouseMove) OnMouseMove(this, event->modifiers(), p.x(), p.y());
    });
}

void TRxCustomSlider::mouseReleaseEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        if (tracking_) {
            repeatTimer_.stop();
            tracking_ = false;
            Changed();
        }
        if (sliding_ && event->button() == Qt::LeftButton) ThumbReleased();
        if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    });
}

void TRxCustomSlider::focusInEvent(QFocusEvent* event) {
    Guard([&] {
        if (event->reason() == Qt::ActiveWindowFocusReason) return;
        if (OnEnter) OnEnter(this);
        if (options_ & soShowFocus) update();
    });
}

void TRxCustomSlider::focusOutEvent(QFocusEvent* event) {
    Guard([&] {
        if (!LeavesTheControl(event)) return;
        if (OnExit) OnExit(this);
        if (options_ & soShowFocus) update();
    });
}
