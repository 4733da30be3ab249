// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rounding to the nearest integer with an exact half going to the even neighbour,
// computed in extended precision.

#include <cstdint>

long double RoundHalfEven(long double value);

// RoundHalfEven, then clamped into the 64-bit range; NaN gives 0.
int64_t RoundToInt64(long double value);
