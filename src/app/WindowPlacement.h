// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window's placement record as the settings file keeps it, read from and applied to a Qt
// top-level window, and the screen facts that decide whether a stored placement still fits.
//
// On this platform the record is built from Qt's window state and normal geometry:
//   Flags    PlacementRestoreToMaximized when a minimized window returns maximized, else 0;
//   ShowCmd  ShowHidden 0, ShowNormal 1, ShowMinimized 2, ShowMaximized 3 (full screen counts
//            as maximized);
//   MinPosition   the window system keeps no icon position here: always -1, -1;
//   MaxPosition   the window's top-left corner while maximized, else -1, -1;
//   Normal   the normal (restored) client rectangle in screen pixels, right and bottom
//            exclusive. The client rectangle, not the frame, is kept because the frame is
//            unknown before the window is first mapped; storing it would make the window
//            creep by its frame size on every start.

#include <QPoint>
#include <QSize>
#include <cstdint>

class QWidget;

constexpr int32_t PlacementSetMinPosition = 1;
constexpr int32_t PlacementRestoreToMaximized = 2;

constexpr int32_t ShowHidden = 0;
constexpr int32_t ShowNormal = 1;
constexpr int32_t ShowMinimized = 2;
constexpr int32_t ShowMaximized = 3;

struct TPlacementRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

struct TWindowPlacement {
    int32_t Flags = 0;
    int32_t ShowCmd = ShowNormal;
    QPoint MinPosition{-1, -1};
    QPoint MaxPosition{-1, -1};
    TPlacementRect Normal;
};

TWindowPlacement GetWindowPlacement(const QWidget& window);

// Gives the window the record's normal rectangle, keeping its state (a maximized window keeps
// being maximized and returns to the new rectangle). A rectangle that lies on no screen is
// moved onto the window's screen, as the window system does for a placement it is handed.
void SetWindowPlacement(QWidget& window, const TWindowPlacement& placement);

// The size in pixels and the logical pixels per inch of the screen the window is on (the
// primary screen before the window has one).
QSize ScreenSize(const QWidget& window);
int32_t ScreenPixelsPerInch(const QWidget& window);

// Centres the window's normal rectangle (with its frame, when known) in the available area
// of its screen, keeping its state.
void CenterOnScreen(QWidget& window);

// Frame size around the client area (width and height the frame adds); zero while unknown.
QSize FrameExtent(const QWidget& window);

// A window whose border cannot be sized: fixed size limits.
bool HasFixedSize(const QWidget& window);
