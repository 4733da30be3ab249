// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel formats, the grey ramp and the palette manager.
#include "picture/DIB.h"

#include <algorithm>
#include <cstring>

namespace {

// (2^bits - 1) << shift in 32 bits; counts and shifts of 32 and more give no bits there.
int32_t MaskOf(int bits, int shift) {
    if (bits <= 0 || shift >= 32) return 0;
    const uint64_t ones = bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
    return static_cast<int32_t>(static_cast<uint32_t>(ones << shift));
}

} // namespace

int MaskBitCount(uint32_t mask) {
    int bit = 31;
    for (int i = 0; i <= 30; ++i) {
        if (mask & (uint32_t{1} << i)) {
            bit = i;
            break;
        }
    }
    int count = 0;
    while (bit <= 31 && (mask & (uint32_t{1} << bit))) {
        ++count;
        ++bit;
    }
    return count;
}

TPixelFormat PixelFormatFromCounts(int red, int green, int blue) {
    TPixelFormat f;
    f.RedMask = MaskOf(red, green + blue);
    f.GreenMask = MaskOf(green, blue);
    f.BlueMask = MaskOf(blue, 0);
    f.RedBits = red;
    f.GreenBits = green;
    f.BlueBits = blue;
    f.RedShift = red + green + blue - 8;
    f.GreenShift = green + blue - 8;
    f.BlueShift = 8 - blue;
    f.RedLoss = 8 - red;
    f.GreenLoss = 8 - green;
    f.BlueLoss = 8 - blue;
    return f;
}

TPixelFormat PixelFormatFromMasks(uint32_t red, uint32_t green, uint32_t blue) {
    return PixelFormatFromCounts(MaskBitCount(red), MaskBitCount(green), MaskBitCount(blue));
}

TColorTable GreyRamp() {
    TColorTable table{};
    for (size_t i = 0; i < table.size(); ++i) {
        const auto v = static_cast<uint8_t>(i);
        table[i] = TRGBQuad{v, v, v, 0};
    }
    return table;
}

TPaletteManager& PaletteManager() {
    static TPaletteManager manager;
    return manager;
}

HPALETTE TPaletteManager::AcquirePalette(const TColorTable& table, int count) {
    count = std::clamp(count, 0, 256);
    uint32_t checksum = static_cast<uint32_t>(count);
    for (int i = 0; i < count; ++i) {
        const TRGBQuad& c = table[static_cast<size_t>(i)];
        checksum += static_cast<uint32_t>(c.Blue) + c.Green + c.Red;
    }
    for (const auto& item : items_) {
        if (item->Checksum == checksum && item->ColorCount == count &&
            std::equal(table.begin(), table.begin() + count, item->ColorTable.begin())) {
            ++item->RefCount;
            return item->Palette;
        }
    }
    auto item = std::make_unique<TPaletteItem>();
    item->Checksum = checksum;
    item->ColorCount = count;
    std::copy(table.begin(), table.begin() + count, item->ColorTable.begin());
    TPaletteEntry entries[256];
    for (int i = 0; i < count; ++i) {
        const TRGBQuad& c = table[static_cast<size_t>(i)];
        entries[i] = TPaletteEntry{c.Red, c.Green, c.Blue, 0};
    }
    item->Palette = CreatePalette(entries, count);
    item->RefCount = 1;
    items_.push_back(std::move(item));
    return items_.back()->Palette;
}

void TPaletteManager::ReleasePalette(HPALETTE& palette) {
    if (!palette) return;
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if ((*it)->Palette != palette) continue;
        palette = nullptr;
        if (--(*it)->RefCount <= 0) items_.erase(it);
        return;
    }
    palette = nullptr;
}
