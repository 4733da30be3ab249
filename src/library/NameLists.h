// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two name lists of a library ("Picturez" and "Soundz") and the selection the main window
// keeps on each: plain data that the window maps onto its drop-down lists.

#include <cstdint>
#include <string>
#include <vector>

// A list of names with a selected index, behaving like a drop-down list without typing:
// replacing the items clears the selection; selecting an index the list lacks selects nothing.
class TNameList {
public:
    TNameList() = default;
    explicit TNameList(std::vector<std::string> items, int itemIndex = -1);

    const std::vector<std::string>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    void SetItems(std::vector<std::string> items);

    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The selected entry's text; empty when nothing is selected.
    std::string Text() const;

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
};

// Splits list text into names: one per line, a line ending at CR, LF or CR LF; the text ends at
// the first zero byte; lines are kept as they are (an empty line is an empty name) and a final
// line break adds no entry. The bytes are text in the system code page: valid UTF-8 is kept,
// anything else is read as Windows-1252.
std::vector<std::string> SplitNameList(const uint8_t* data, std::size_t size);

// Whether bytes are well-formed UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool IsValidUtf8(const std::string& bytes);

// Converts 8-bit text to UTF-8 as SplitNameList reads it.
std::string SystemTextToUtf8(const std::string& bytes);
