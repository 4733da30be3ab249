// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Palette.h"

#include <algorithm>

TPaletteObject::TPaletteObject(const TPaletteEntry* entries, int count)
    : count_(std::clamp(count, 0, MaxEntries)) {
    for (int i = 0; i < MaxEntries; ++i)
        lookup_[static_cast<size_t>(i)] = qRgb(0, 0, 0);
    for (int i = 0; i < count_; ++i) {
        const TPaletteEntry& e = entries[i];
        entries_[static_cast<size_t>(i)] = e;
        lookup_[static_cast<size_t>(i)] = qRgb(e.Red, e.Green, e.Blue);
    }
}

HPALETTE CreatePalette(const TPaletteEntry* entries, int count) {
    return new TPaletteObject(entries, entries ? count : 0);
}

void DeletePalette(HPALETTE palette) {
    delete palette;
}

int GetPaletteEntries(HPALETTE palette, int start, int count, TPaletteEntry* out) {
    if (!palette || !out || start < 0 || count <= 0 || start >= palette->Count()) return 0;
    const int n = std::min(count, palette->Count() - start);
    for (int i = 0; i < n; ++i)
        out[i] = palette->Entry(start + i);
    return n;
}
