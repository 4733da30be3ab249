// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's title: the main window's caption (also while a session runs) and the first
// line of the About box.

#include <QCoreApplication>
#include <QString>

// Translated in the main window's context, where the caption has always been.
inline constexpr char kProgramTitle[] = QT_TRANSLATE_NOOP("TMainForm", "Velmora Beta 2.4");

inline QString ProgramTitle() {
    return QCoreApplication::translate("TMainForm", kProgramTitle);
}
