// SPDX-License-Identifier: GPL-3.0-or-later
// Profile text from outside bytes: reading, writing and erasing must never crash, and a write
// must read back while every other value stays as it was.
#include "framework/IniFiles.h"
#include "platform/ProfileFiles.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// What reading gives back for a written value: blanks trimmed, then one pair of surrounding
// quotes dropped.
std::string ReadForm(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// Any entry the profile takes, written into any text, reads back: the first three bytes give
// the lengths of section, key and value, which follow; the rest is the text.
void CheckAnyWriteReadsBack(const uint8_t* data, size_t size) {
    if (size < 3) return;
    size_t at = 3;
    const auto take = [&](size_t length) {
        length = std::min(length, size - at);
        std::string part(reinterpret_cast<const char*>(data) + at, length);
        at += length;
        return part;
    };
    const std::string section = take(data[0] % 16);
    const std::string key = take(data[1] % 16);
    const std::string value = take(data[2] % 16);
    if (!ProfileEntryWritable(section, key, value)) return;
    std::string text(reinterpret_cast<const char*>(data) + at, size - at);
    Check(ProfileTextWrite(text, section, key, value));
    Check(ProfileTextRead(text, section, key, std::string(1, '\x01')) == ReadForm(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    const std::string name = ProfileTextRead(text, "Options", "LibrName", "main.zdl");
    const std::string other = ProfileTextRead(text, "TMainForm", "NormPos", "none");
    const std::string index = ProfileTextRead(text, "options", "ITEMINDEX1", "0");
    Check(name.size() <= kProfileValueLimit && other.size() <= kProfileValueLimit);
    int32_t value = 0;
    ParseStoredInteger(index, value);

    std::string written = text;
    Check(ProfileTextWrite(written, "Options", "ItemIndex1", "42"));
    Check(ProfileTextRead(written, "OPTIONS", "itemindex1", "") == "42");
    Check(ProfileTextRead(written, "Options", "LibrName", "main.zdl") == name);
    Check(ProfileTextRead(written, "TMainForm", "NormPos", "none") == other);

    std::string erased = written;
    ProfileTextEraseSection(erased, "options");
    Check(ProfileTextRead(erased, "Options", "ItemIndex1", "gone") == "gone");
    Check(ProfileTextRead(erased, "TMainForm", "NormPos", "none") == other);

    // A write whose value would break the line structure is refused and changes nothing.
    std::string refused = text;
    Check(!ProfileTextWrite(refused, "Options", "Key", "a\nb"));
    Check(refused == text);

    CheckAnyWriteReadsBack(data, size);
    return 0;
}
