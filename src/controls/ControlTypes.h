// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the self-drawn controls share: the event signatures their owners assign, and the one
// conversion of colours written 0xBBGGRR (blue in the high byte, red in the low byte).

#include "framework/NotifyEvent.h"

#include <QColor>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QObject>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>

using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;
// The handler may clear key (set it to 0) to keep the control from acting on it.
using TKeyEvent = std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)>;

inline QColor BgrColor(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// The box (left, top)-(right, bottom) of an ellipse, pie or rectangle, right and bottom edges
// excluded, as the rectangle whose 1-pixel QPainter outline covers exactly those pixels.
inline QRect BoxRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

// The whole pixel a mouse event happened at, in the control's coordinates.
inline QPoint MousePoint(const QMouseEvent* event) {
    return event->position().toPoint();
}

// Whether a focus-out is a real move of the focus: a window losing activation or a popup
// opening keeps the focus where it is, and the control stays entered.
inline bool LeavesTheControl(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

// Gives the control a background colour of its own; without one it shows its parent's.
inline void SetBackground(QWidget& control, const QColor& color) {
    QPalette p = control.palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::Base, color);
    control.setPalette(p);
    control.update();
}
