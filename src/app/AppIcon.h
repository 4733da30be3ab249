#pragma once
// The program's icon, drawn by our own code: a glowing disc with rings travelling outwards,
// the way the picture pulses.

#include <QImage>

QImage MakeAppIcon(int size);

// Gives every window the program's icon; SetProgramIdentity names the program.
void SetProgramIcon();
