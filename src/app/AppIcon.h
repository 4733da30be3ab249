#pragma once
// The program's icon, drawn by our own code: a glowing disc with rings travelling outwards,
// the way the picture pulses.

#include <QImage>

QImage MakeAppIcon(int size);

// Names the program to the desktop and gives every window the program's icon. No display name
// is set: the platform would append it to every caption.
void SetUpProgramIdentity();
