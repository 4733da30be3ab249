// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Rounding.h"

#include <cmath>
#include <limits>

long double RoundHalfEven(long double value) {
    if (!std::isfinite(value)) return value;
    const long double floor = std::floor(value);
    const long double diff = value - floor;
    if (diff < 0.5L) return floor;
    if (diff > 0.5L) return floor + 1.0L;
    return std::fmod(floor, 2.0L) == 0.0L ? floor : floor + 1.0L;
}

int64_t RoundToInt64(long double value) {
    if (std::isnan(value)) return 0;
    const long double r = RoundHalfEven(value);
    if (r >= 9223372036854775807.0L) return std::numeric_limits<int64_t>::max();
    if (r <= -9223372036854775808.0L) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(r);
}
