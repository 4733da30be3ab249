// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/Session.h"

#include <algorithm>
#include <cstdio>

namespace {
// num / den for num >= 0, den > 0, rounded to the nearest with halves to even.
int64_t DivideRounded(int64_t num, int64_t den) {
    const int64_t q = num / den;
    const int64_t twice = 2 * (num % den);
    if (twice > den || (twice == den && (q & 1) != 0)) return q + 1;
    return q;
}
} // namespace

long double FrequencyFromMilli(int32_t milli) {
    return static_cast<long double>(milli) / 1000.0L;
}

int32_t TSession::FrequencyMilliAt(int64_t ms) const {
    if (points_.empty()) return 0;
    const auto after =
        std::upper_bound(points_.begin(), points_.end(), ms,
                         [](int64_t t, const TSessionPoint& p) { return t < p.TimeMs; });
    if (after == points_.begin()) return points_.front().FrequencyMilli;
    if (after == points_.end()) return points_.back().FrequencyMilli;
    const TSessionPoint& a = *(after - 1);
    const TSessionPoint& b = *after;
    // Exact in integers: every time and frequency of a valid file keeps this far inside 64 bits.
    const int64_t span = b.TimeMs - a.TimeMs;
    const int64_t num =
        int64_t{a.FrequencyMilli} * (b.TimeMs - ms) + int64_t{b.FrequencyMilli} * (ms - a.TimeMs);
    return static_cast<int32_t>(DivideRounded(num, span));
}

std::string FormatSessionTime(int64_t ms) {
    const int64_t total = std::max<int64_t>(ms, 0) / 1000;
    const int64_t h = total / 3600, m = total / 60 % 60, s = total % 60;
    char text[32];
    if (h > 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(h),
                      static_cast<long long>(m), static_cast<long long>(s));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(m),
                      static_cast<long long>(s));
    }
    return text;
}
