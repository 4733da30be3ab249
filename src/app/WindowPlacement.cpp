// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace {

QScreen* ScreenOf(const QWidget& window) {
    if (QScreen* screen = window.screen()) return screen;
    return QGuiApplication::primaryScreen();
}

// A stored rectangle may hold any numbers. The corner is kept within the range in which Qt's
// rectangle arithmetic cannot overflow, and the size within the desktop, as the window system
// keeps a placed window no larger than the screens it can be shown on.
QRect ToQRect(const QWidget& window, const TPlacementRect& r) {
    QSize largest(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (QScreen* screen = ScreenOf(window)) largest = screen->availableVirtualGeometry().size();
    const int64_t width = int64_t{r.Right} - r.Left;
    const int64_t height = int64_t{r.Bottom} - r.Top;
    return QRect(std::clamp(r.Left, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                 std::clamp(r.Top, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                 static_cast<int>(std::clamp<int64_t>(width, 0, largest.width())),
                 static_cast<int>(std::clamp<int64_t>(height, 0, largest.height())));
}

// Keeps the size and moves the rectangle into the screen's available area when it shows on
// no screen at all, so a file written with another screen layout never hides the window.
QRect OntoSomeScreen(const QWidget& window, QRect rect) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(rect)) return rect;
    }
    QScreen* screen = ScreenOf(window);
    if (!screen) return rect;
    const QRect area = screen->availableGeometry();
    rect.moveLeft(std::clamp(rect.left(), area.left(),
                             std::max(area.left(), area.right() - rect.width() + 1)));
    rect.moveTop(std::clamp(rect.top(), area.top(),
                            std::max(area.top(), area.bottom() - rect.height() + 1)));
    return rect;
}

} // namespace

TWindowPlacement GetWindowPlacement(const QWidget& window) {
    TWindowPlacement placement;
    const Qt::WindowStates state = window.windowState();
    const bool maximized = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state & Qt::WindowMinimized) {
        placement.ShowCmd = ShowMinimized;
        if (maximized) placement.Flags |= PlacementRestoreToMaximized;
    } else if (maximized) {
        placement.ShowCmd = ShowMaximized;
        placement.MaxPosition = window.frameGeometry().topLeft();
    }
    QRect normal = window.normalGeometry();
    if (!normal.isValid()) normal = window.geometry();
    placement.Normal.Left = normal.x();
    placement.Normal.Top = normal.y();
    placement.Normal.Right = normal.x() + normal.width();
    placement.Normal.Bottom = normal.y() + normal.height();
    return placement;
}

void SetWindowPlacement(QWidget& window, const TWindowPlacement& placement) {
    const QRect rect = OntoSomeScreen(window, ToQRect(window, placement.Normal));
    const Qt::WindowStates state = window.windowState();
    const Qt::WindowStates away = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (!(state & away)) {
        window.setGeometry(rect);
        return;
    }
    // Qt takes the normal rectangle from the geometry the window has when it leaves the
    // normal state, so the rectangle is set in that state and the state put back.
    window.setWindowState(state & ~away);
    window.setGeometry(rect);
    window.setWindowState(state);
}

void CenterOnScreen(QWidget& window) {
    QScreen* screen = ScreenOf(window);
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QWindow* handle = window.windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    TWindowPlacement placement = GetWindowPlacement(window);
    TPlacementRect& r = placement.Normal;
    const int width = r.Right - r.Left;
    const int height = r.Bottom - r.Top;
    const QSize outer(width + frame.left() + frame.right(), height + frame.top() + frame.bottom());
    r.Left = area.x() + (area.width() - outer.width()) / 2 + frame.left();
    r.Top = area.y() + (area.height() - outer.height()) / 2 + frame.top();
    r.Right = r.Left + width;
    r.Bottom = r.Top + height;
    SetWindowPlacement(window, placement);
}

QSize ScreenSize(const QWidget& window) {
    QScreen* screen = ScreenOf(window);
    return screen ? screen->geometry().size() : QSize();
}

int32_t ScreenPixelsPerInch(const QWidget& window) {
    QScreen* screen = ScreenOf(window);
    return screen ? static_cast<int32_t>(std::lround(screen->logicalDotsPerInch())) : 96;
}

QSize FrameExtent(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    if (!handle) return QSize(0, 0);
    const QMargins margins = handle->frameMargins();
    return QSize(std::max(0, margins.left() + margins.right()),
                 std::max(0, margins.top() + margins.bottom()));
}

bool HasFixedSize(const QWidget& window) {
    return window.minimumSize() == window.maximumSize();
}
