// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bitmap's transparent colour, as the controls that draw bitmaps transparently take it.

#include "framework/Bitmap.h"

#include <QImage>

// The picture with every pixel of its transparent colour cleared: the colour of the
// bottom-left pixel, or white for a monochrome bitmap.
QImage KeyedImage(const TBitmap& bitmap);
