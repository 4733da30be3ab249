// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The palette object that stands in for the platform's logical palettes: up to 256 RGB
// entries. "Realizing" a palette means using it as the lookup table when indexed pixels are
// drawn. A palette is handed around by handle; whoever is given a handle to keep deletes it.

#include <QRgb>

#include <array>
#include <cstdint>

// One palette entry in the platform's order: red, green, blue, flags.
struct TPaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;

    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

class TPaletteObject {
public:
    static constexpr int MaxEntries = 256;

    TPaletteObject(const TPaletteEntry* entries, int count);

    int Count() const { return count_; }
    const TPaletteEntry& Entry(int i) const { return entries_[static_cast<size_t>(i)]; }
    // The entries as opaque colours for drawing; entries past Count() are black.
    const std::array<QRgb, MaxEntries>& Lookup() const { return lookup_; }

private:
    int count_;
    std::array<TPaletteEntry, MaxEntries> entries_{};
    std::array<QRgb, MaxEntries> lookup_{};
};

using HPALETTE = TPaletteObject*;

// Makes a palette of count entries (clamped to 0..256); the caller owns the handle.
HPALETTE CreatePalette(const TPaletteEntry* entries, int count);
// Frees a palette made by CreatePalette; nothing for no handle.
void DeletePalette(HPALETTE palette);
// Copies up to count entries from start into out and returns how many were copied.
int GetPaletteEntries(HPALETTE palette, int start, int count, TPaletteEntry* out);
