#pragma once
// The program's icon, drawn by our own code: a glowing disc with rings travelling outwards,
// the way the picture pulses.

#include <QImage>

QImage MakeAppIcon(int size);
