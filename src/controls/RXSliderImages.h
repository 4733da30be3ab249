// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bitmaps behind the slider: its default images from the program's resources, the
// transparent colour of a bitmap, and the ruler strip built from a short ruler image.

#include "controls/KeyedImage.h"
#include "framework/Bitmap.h"

#include <QCursor>
#include <QImage>

// Loads the program's bitmap resource of that name; an empty bitmap when it is missing.
TBitmap LoadProgramBitmap(const char* name);

// A strip of the given length along the axis (width when horizontal): the image's first and
// last edge columns (rows) as ends and its middle repeated in between.
QImage BuildRuler(const QImage& image, int length, int edge, bool horizontal);

// The hand shown over the thumb.
QCursor HandCursor();
