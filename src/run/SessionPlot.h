// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture of a session: its frequency over time, the brainwave bands as horizontal
// stripes with their names, a mark where a point turns knobs, and a cursor at a position.
// Drawn with QtGui alone, so the program's "Session..." window and the renderer's PNG show the
// same picture, the renderer without any window system.

#include "session/Session.h"

#include <QImage>
#include <QPointF>
#include <QRect>

class QPainter;

class TSessionPlot {
public:
    // The session must outlive the plot.
    explicit TSessionPlot(const TSession& session);

    // No cursor is drawn at kNoCursor.
    static constexpr int64_t kNoCursor = -1;

    // Draws into rect: background, bands, axes, curve and marks, then the cursor.
    void Draw(QPainter& painter, const QRect& rect, int64_t cursorMs = kNoCursor) const;
    void DrawCursor(QPainter& painter, const QRect& rect, int64_t cursorMs) const;
    // The whole picture as an image of that size.
    QImage Render(const QSize& size, int64_t cursorMs = kNoCursor) const;

    // Where the curve lies within rect, and how its moments and frequencies map onto it.
    QRect CurveArea(const QRect& rect) const;
    QPointF PointAt(const QRect& rect, int64_t ms, int32_t milli) const;
    // The moment under a horizontal position, within the session.
    int64_t TimeAt(const QRect& rect, double x) const;
    // The highest frequency the scale shows, in thousandths of a hertz.
    int32_t TopMilli() const { return topMilli_; }

    // Colours a reader of the picture can look for.
    static constexpr QRgb kCurveColour = 0xFF1F3F9F;
    static constexpr QRgb kCursorColour = 0xFFD02020;
    static constexpr QRgb kMarkColour = 0xFFE08000;

private:
    const TSession& session_;
    int32_t topMilli_ = 0;
};
