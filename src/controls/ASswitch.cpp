// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ASswitch.h"

#include "framework/Application.h"
#include "framework/Rounding.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

const QColor kBody = BgrColor(0x008E6B);
const QColor kShadow = BgrColor(0x0E7251);
const QColor kPlate = BgrColor(0x097758);
const QColor kPointer = BgrColor(0x000080);
const QColor kNumberBox = BgrColor(0x008080);

// The ellipse box (left, top)-(right, bottom) for antialiased drawing: a 1-pixel pen then runs
// through the centres of the outermost pixels the platform would cover.
QRectF SmoothBox(int left, int top, int right, int bottom) {
    return QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
}

double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

// The direction from the centre of box to (x, y), in degrees counter-clockwise from 3 o'clock.
double RayAngle(const QRectF& box, double x, double y) {
    return Degrees(std::atan2(box.center().y() - y, x - box.center().x()));
}

} // namespace

TASSwitcher::TASSwitcher(QWidget* owner) : QWidget(owner) {
    resize(150, 150);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

QColor TASSwitcher::Color() const {
    return palette().color(QPalette::Window);
}

void TASSwitcher::SetColor(const QColor& color) {
    SetBackground(*this, color);
}

void TASSwitcher::SetMax(int value) {
    if (value == max_ || value < 0 || value > 270) return;
    max_ = value;
    update();
}

void TASSwitcher::SetPrintValues(bool value) {
    if (value == printValues_) return;
    margin_ = value ? 30 : 20;
    printValues_ = value;
    update();
}

void TASSwitcher::SetDrawTicks_(bool value) {
    if (value == drawTicks_) return;
    drawTicks_ = value;
    update();
}

void TASSwitcher::SetPosition(int value) {
    if (value == position_) return;
    value = std::clamp(value, 0, max_);
    const bool changed = value != position_;
    position_ = value;
    // The pointer moves at once, not at the next idle paint.
    repaint();
    if (changed && QAccessible::isActive()) {
        QAccessibleValueChangeEvent moved(this, position_);
        QAccessible::updateAccessibility(&moved);
    }
    if (changed && OnChange) OnChange(this);
    if (soundType_ != wssNone) PlayChangeSound();
}

void TASSwitcher::PlayChangeSound() {
    if (soundType_ == wssWav) {
        PlaySoundFile(soundChange_, waveOptions_);
    } else if (soundType_ == wssExe) {
        PlaySoundResource(soundChange_, resourceType_, waveOptions_);
    }
}

TASSwitcher::TAngles TASSwitcher::Angles() const {
    const int n = Steps();
    TAngles a;
    a.Step = 270 / n;
    if ((a.Step * n) % 2 != 0) --a.Step; // keeps the dead zone even
    a.DeadZone = 360 - a.Step * n;
    a.Half = a.Step / 2;
    a.Base = 270 - a.DeadZone / 2;
    return a;
}

TASSwitcher::TWedge TASSwitcher::WedgeOf(int position) const {
    const TAngles a = Angles();
    TWedge w;
    w.A1 = a.Base - a.Step * position + a.Half;
    w.A2 = w.A1 - a.Step;
    return w;
}

bool TASSwitcher::AngleAt(int x, int y, int& angle) const {
    const int cx = CentreX();
    const int cy = CentreY();
    const double dx = cx - x;
    const double dy = cy - y;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (r == 0) return false;
    double a = 0;
    if (x > cx && y <= cy) {
        a = 0 + Degrees(std::asin(std::abs(dy) / r));
    } else if (y < cy && x <= cx) {
        a = 90 + Degrees(std::asin(std::abs(dx) / r));
    } else if (x < cx && y >= cy) {
        a = 180 + Degrees(std::asin(std::abs(dy) / r));
    } else {
        a = 270 + Degrees(std::asin(std::abs(dx) / r));
    }
    angle = static_cast<int>(a);
    if (angle > 270) angle -= 360;
    return true;
}

bool TASSwitcher::OnRing(int x, int y) const {
    const double dx = CentreX() - x;
    const double dy = CentreY() - y;
    const double r = std::sqrt(dx * dx + dy * dy);
    const int cx = CentreX();
    return cx - margin_ - 27 <= r && r <= cx - margin_ - 7;
}

void TASSwitcher::paintEvent(QPaintEvent*) {
    Guard([&] {
        QPainter canvas(this);
        canvas.fillRect(rect(), Color());
        canvas.setRenderHint(QPainter::Antialiasing);
        if (drawFocused_ && !printValues_ && hasFocus()) {
            canvas.setPen(QPen(Qt::black, 1, Qt::DotLine));
            canvas.setBrush(Qt::NoBrush);
            canvas.drawEllipse(SmoothBox(0, 0, width(), height()));
        }
        if (drawTicks_) DrawTicks(canvas);
        DrawDial(canvas);
        DrawPointer(canvas);
    });
}

void TASSwitcher::DrawTicks(QPainter&) {}

void TASSwitcher::DrawDial(QPainter& canvas) {
    const int m = margin_;
    const int w = width();
    const int h = height();
    const QRectF body = SmoothBox(m + 2, m + 2, w - 2 - m, h - 2 - m);
    canvas.setPen(QPen(Qt::black, 1));
    canvas.setBrush(kBody);
    canvas.drawEllipse(body);

    // The shadow: the lower-right half of a ring, counter-clockwise from the lower left.
    const QRectF ring = SmoothBox(m + 5, m + 5, w - 5 - m, h - 5 - m);
    const double from = RayAngle(ring, m + 5, h + m + 5);
    double span = RayAngle(ring, w - 5 - m, -5 - m) - from;
    while (span <= 0)
        span += 360;
    canvas.setPen(QPen(kShadow, 5, Qt::SolidLine, Qt::FlatCap));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawArc(ring, static_cast<int>(std::lround(from * 16)),
                   static_cast<int>(std::lround(span * 16)));

    canvas.setPen(QPen(Qt::black, 1));
    canvas.drawEllipse(body);

    canvas.setPen(QPen(kPlate, 1));
    canvas.setBrush(kPlate);
    canvas.drawEllipse(SmoothBox(m + 7, m + 7, w - 7 - m, h - 7 - m));
}

void TASSwitcher::DrawPointer(QPainter& canvas) {
    const int m = margin_;
    const int w = width();
    const int h = height();
    pointerWedge_ = WedgeOf(position_);
    canvas.setPen(QPen(kPointer, 1));
    canvas.setBrush(kPointer);
    canvas.drawPie(SmoothBox(m + 7, m + 7, w - 7 - m, h - 7 - m), pointerWedge_.A2 * 16,
                   (pointerWedge_.A1 - pointerWedge_.A2) * 16);

    if (w - 27 - m > m + 27) { // small switches have no cap: the pointer reaches the centre
        canvas.setPen(QPen(kPlate, 1));
        canvas.setBrush(kPlate);
        canvas.drawEllipse(SmoothBox(m + 27, m + 27, w - 27 - m, h - 27 - m));
    }

    if (!printValues_) {
        const QString text = QString::number(position_);
        const QFontMetrics metrics(font());
        const int tw = metrics.horizontalAdvance(text);
        const int th = metrics.height();
        const int cx = CentreX();
        canvas.setRenderHint(QPainter::Antialiasing, false);
        canvas.setPen(QPen(kNumberBox, 1));
        canvas.setBrush(Color());
        canvas.drawRect(BoxRect(cx - 5, h - 11, cx + 5 + tw, h - 11 + th));
        QFont bold = font();
        bold.setBold(true);
        canvas.setFont(bold);
        canvas.setPen(Qt::black);
        canvas.drawText(cx - 5, h - 11 + QFontMetrics(bold).ascent(), text);
        canvas.setRenderHint(QPainter::Antialiasing);
    }
}

void TASSwitcher::mousePressEvent(QMouseEvent* event) {
    Guard([&] { Press(event, true); });
}

void TASSwitcher::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press, but its release is no second click.
    Guard([&] { Press(event, false); });
}

void TASSwitcher::Press(QMouseEvent* event, bool mayClick) {
    const QPoint p = MousePoint(event);
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
    if (event->button() == Qt::LeftButton) clickArmed_ = mayClick;
    setFocus(Qt::MouseFocusReason);
    int angle = 0;
    if (AngleAt(p.x(), p.y(), angle) && pointerWedge_.Holds(angle)) {
        dragging_ = event->button() == Qt::LeftButton && OnRing(p.x(), p.y());
    }
}

void TASSwitcher::mouseMoveEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        if (p.x() == CentreX() && p.y() == CentreY()) dragging_ = false;
        // While the button is held the window system keeps sending moves here and no leave
        // event, so a move outside is the leaving.
        if (!rect().contains(p)) dragging_ = false;
        int angle = 0;
        if (dragging_ && AngleAt(p.x(), p.y(), angle)) {
            for (int position = 0; position <= max_; ++position) {
                if (WedgeOf(position).Holds(angle)) {
                    SetPosition(position);
                    break;
                }
            }
        }
        if (OnMouseMove) OnMouseMove(this, event->modifiers(), p.x(), p.y());
    });
}

void TASSwitcher::mouseReleaseEvent(QMouseEvent* event) {
    Guard([&] {
        const QPoint p = MousePoint(event);
        const bool left = event->button() == Qt::LeftButton;
        if (left && clickArmed_ && rect().contains(p)) {
            clickArmed_ = false;
            if (OnClick) OnClick(this);
        }
        if (left) {
            clickArmed_ = false;
            dragging_ = false;
        }
        if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    });
}

void TASSwitcher::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Always square, and settled before anything is drawn.
    if (height() != width()) resize(width(), width());
}

void TASSwitcher::leaveEvent(QEvent*) {
    dragging_ = false;
}

void TASSwitcher::keyPressEvent(QKeyEvent* event) {
    Guard([&] {
        int key = event->key();
        if (OnKeyDown) OnKeyDown(this, key, event->modifiers());
        switch (key) {
        case Qt::Key_Left:
            if (position_ > 0) SetPosition(position_ - 1);
            break;
        case Qt::Key_Right:
            if (position_ < max_) SetPosition(position_ + 1);
            break;
        case Qt::Key_Home:
            SetPosition(0);
            break;
        case Qt::Key_End:
            SetPosition(max_);
            break;
        default:
            event->ignore();
        }
    });
}

void TASSwitcher::focusInEvent(QFocusEvent* event) {
    Guard([&] {
        if (event->reason() == Qt::ActiveWindowFocusReason) return;
        if (OnEnter) OnEnter(this);
        repaint();
    });
}

void TASSwitcher::focusOutEvent(QFocusEvent* event) {
    Guard([&] {
        if (!LeavesTheControl(event)) return;
        if (OnExit) OnExit(this);
        repaint();
    });
}
