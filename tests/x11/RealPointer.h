// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The X server's own pointer, moved and pressed through the server as a user would, so that
// grabs, implicit grabs and the selection paste behave as they do for real.

#include <QProcess>
#include <QTest>
#include <QWidget>

namespace RealPointer {

inline void Xdo(const QStringList& args) {
    QProcess::execute(QStringLiteral(XDOTOOL), args);
}

// Moves the pointer onto a point of a widget and lets the program see the move.
inline void MoveTo(const QWidget& widget, QPoint local) {
    const QPoint global = widget.mapToGlobal(local);
    Xdo({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
         QString::number(global.y())});
    QTest::qWait(100);
}

inline void Down(int button = 1) {
    Xdo({QStringLiteral("mousedown"), QString::number(button)});
    QTest::qWait(100);
}

inline void Up(int button = 1) {
    Xdo({QStringLiteral("mouseup"), QString::number(button)});
    QTest::qWait(100);
}

inline void Click(int button = 1) {
    Xdo({QStringLiteral("click"), QString::number(button)});
    QTest::qWait(100);
}

} // namespace RealPointer
