#include "controls/ImgBtn.h"

#include "framework/Application.h"

#include <QMouseEvent>

TImgBtn::TImgBtn(QWidget* owner) : TImage(owner) {
    setMouseTracking(true);
    Show(upPict_);
    SetEnabled(false);
}

void TImgBtn::SetEnabled(bool value) {
    Show(value ? upPict_ : disPict_);
    enabled_ = value;
}

void TImgBtn::mouseMoveEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        if (OnMouseMove) OnMouseMove(this, event->modifiers(), p.x(), p.y());
        if (!enabled_ || pressed_) return;
        // Both far edges count as inside. Holding the mouse while hovering is what brings
        // the move that leaves the button.
        if (p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height()) {
            if (QWidget::mouseGrabber() != this) grabMouse();
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
            if (rect().contains(p) && OnClick) OnClick(this);
        }
        if (left && enabled_) {
            Show(upPict_);
            releaseMouse();
        }
        if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
        pressed_ = false;
    });
}
