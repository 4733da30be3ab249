// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/NameLists.h"

namespace {

// Windows-1252 for 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

bool IsValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t follow = 0;
        uint32_t min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + follow >= s.size()) return false;
        uint32_t code = c & (0x3F >> follow);
        for (std::size_t k = 1; k <= follow; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            code = (code << 6) | (d & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += follow + 1;
    }
    return true;
}

namespace {

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

TNameList::TNameList(std::vector<std::string> items, int itemIndex) : items_(std::move(items)) {
    SetItemIndex(itemIndex);
}

void TNameList::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    itemIndex_ = -1;
}

void TNameList::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < Count() ? index : -1;
}

std::string TNameList::Text() const {
    return itemIndex_ < 0 ? std::string() : items_[static_cast<size_t>(itemIndex_)];
}

std::string SystemTextToUtf8(const std::string& bytes) {
    if (IsValidUtf8(bytes)) return bytes;
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0) {
            AppendUtf8(out, kWindows1252High[b - 0x80]);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

std::vector<std::string> SplitNameList(const uint8_t* data, std::size_t size) {
    std::vector<std::string> names;
    std::string line;
    bool open = false; // characters (or a start) seen since the last line break
    for (std::size_t i = 0; i < size && data[i] != 0; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\r' || c == '\n') {
            names.push_back(SystemTextToUtf8(line));
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
            continue;
        }
        line += c;
        open = true;
    }
    if (open) names.push_back(SystemTextToUtf8(line));
    return names;
}
