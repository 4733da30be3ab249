// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's icon, drawn by our own code: a glowing disc with rings travelling outwards,
// the way the picture pulses.

#include <QImage>

QImage MakeAppIcon(int size);
// The same drawing as an SVG document, for the scalable icon.
QByteArray AppIconSvg();

// Gives every window the program's icon; SetProgramIdentity names the program.
void SetProgramIcon();
