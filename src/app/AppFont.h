// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The font of the program's windows: "MS Sans Serif" 8 pt where the system has it, otherwise
// the system's sans-serif font at 8 pt.

#include <QFont>

QFont ProgramFont();
QFont ProgramBoldFont();
