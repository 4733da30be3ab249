// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ImgBtn.h"

#include "framework/Application.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Wayland grants pointer grabs to popup menus only and warns at every other attempt. There the
// button follows the pointer through leave events; a press is held by the window system's
// implicit grab until the release, wherever that happens.
bool PointerGrabs() {
    static const bool grabs = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    return grabs;
}

} // namespace

TImgBtn::TImgBtn(QWidget* owner) : TImage(owner) {
    setMouseTracking(true);
    Show(upPict_);
    SetEnabled(false);
}

void TImgBtn::SetEnabled(bool value) {
    if (!value) ReleaseHold();
    Show(value ? upPict_ : disPict_);
    enabled_ = value;
}

void TImgBtn::Hold() {
    // The hold becomes a pointer grab of the window system: while it lasts, nothing else gets
    // the pointer. A modal window opening over this one must end it, or the modal window
    // could never be clicked; the window learns of that, this control does not.
    if (!watchingWindow_) {
        window()->installEventFilter(this);
        watchingWindow_ = true;
    }
    if (PointerGrabs() && QWidget::mouseGrabber() != this) grabMouse();
}

void TImgBtn::ReleaseHold() {
    if (QWidget::mouseGrabber() == this) releaseMouse();
    clickArmed_ = false;
    pressed_ = false;
    if (enabled_) Show(upPict_);
}

bool TImgBtn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::WindowBlocked) ReleaseHold();
    return TImage::eventFilter(watched, event);
}

bool TImgBtn::event(QEvent* event) {
    if (event->type() == QEvent::ParentAboutToChange && watchingWindow_) {
        window()->removeEventFilter(this);
        watchingWindow_ = false;
    }
    // Without a grab no move outside arrives: leaving is that move.
    if (event->type() == QEvent::Leave && !PointerGrabs() && enabled_ && !pressed_) Show(upPict_);
    return TImage::event(event);
}

void TImgBtn::hideEvent(QHideEvent* event) {
    ReleaseHold();
    TImage::hideEvent(event);
}

void TImgBtn::changeEvent(QEvent* event) {
    const bool lost = (event->type() == QEvent::EnabledChange && !isEnabled()) ||
                      (event->type() == QEvent::ActivationChange && !isActiveWindow());
    if (lost) ReleaseHold();
    TImage::changeEvent(event);
}

void TImgBtn::Click() {
    if (!OnClick) return;
    // A failing handler leaves the button at rest, not held down.
    struct AtRestOnFailure {
        TImgBtn& button;
        bool done = false;
        ~AtRestOnFailure() {
            if (!done) button.ReleaseHold();
        }
    } rest{*this};
    OnClick(this);
    rest.done = true;
}

void TImgBtn::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat()) Guard([this] { Click(); });
        return;
    }
    TImage::keyPressEvent(event);
}

void TImgBtn::focusInEvent(QFocusEvent* event) {
    TImage::focusInEvent(event);
    update();
}

void TImgBtn::focusOutEvent(QFocusEvent* event) {
    TImage::focusOutEvent(event);
    update();
}

void TImgBtn::paintEvent(QPaintEvent* event) {
    TImage::paintEvent(event);
    if (!hasFocus()) return;
    // The keyboard focus shows as a dotted frame just inside the button.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

void TImgBtn::mouseMoveEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        if (OnMouseMove) OnMouseMove(this, event->modifiers(), p.x(), p.y());
        if (!enabled_ || pressed_) return;
        // Both far edges count as inside. Holding the mouse while hovering is what brings
        // the move that leaves the button.
        if (p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height()) {
            Hold();
            Show(overPict_);
        } else {
            if (QWidget::mouseGrabber() == this) releaseMouse();
            Show(upPict_);
        }
    });
}

void TImgBtn::mousePressEvent(QMouseEvent* event) {
    Guard([&] { Press(event, true); });
}

void TImgBtn::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click shows the button down, but its release is no
    // second click.
    Guard([&] { Press(event, false); });
}

void TImgBtn::Press(QMouseEvent* event, bool mayClick) {
    const QPoint p = MousePoint(event);
    if (event->button() == Qt::LeftButton) {
        clickArmed_ = mayClick;
        if (enabled_) {
            Show(downPict_);
            pressed_ = true;
        }
    }
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TImgBtn::mouseReleaseEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        const bool left = event->button() == Qt::LeftButton;
        // The click comes first, so pictures its handler loads are shown right below.
        if (left && clickArmed_) {
            clickArmed_ = false;
            if (rect().contains(p)) Click();
        }
        if (left && enabled_) {
            Show(upPict_);
            if (QWidget::mouseGrabber() == this) releaseMouse();
        }
        if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
        pressed_ = false;
    });
}
