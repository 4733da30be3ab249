// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hand-made resource modules for the reader's tests: a minimal 32-bit PE file around a
// resource section whose bytes a test writes field by field, so every kind of damage can be
// placed exactly.

#include "platform/LittleEndian.h"

#include <cstdint>
#include <string>
#include <vector>

namespace handmade {

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kSectionFileOffset = 0x200;
constexpr uint32_t kPeAt = 0x40;
constexpr uint32_t kOptionalAt = kPeAt + 24;
constexpr uint32_t kSectionHeaderAt = kOptionalAt + 224;

inline void Put16(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    WriteLe16(&b[at], v);
}

inline void Put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4);
    WriteLe32(&b[at], v);
}

// A PE file whose one section, at kSectionRva, holds the given bytes.
inline std::vector<uint8_t> Module(const std::vector<uint8_t>& section) {
    std::vector<uint8_t> f(kSectionFileOffset, 0);
    f[0] = 'M';
    f[1] = 'Z';
    Put32(f, 0x3C, kPeAt);
    Put32(f, kPeAt, 0x00004550);
    Put16(f, kPeAt + 4, 0x14C);
    Put16(f, kPeAt + 6, 1);
    Put16(f, kPeAt + 20, 224);
    Put16(f, kOptionalAt, 0x10B);
    Put32(f, kOptionalAt + 92, 16);
    Put32(f, kOptionalAt + 96 + 16, kSectionRva);
    Put32(f, kOptionalAt + 96 + 20, static_cast<uint32_t>(section.size()));
    Put32(f, kSectionHeaderAt + 8, static_cast<uint32_t>(section.size()));
    Put32(f, kSectionHeaderAt + 12, kSectionRva);
    Put32(f, kSectionHeaderAt + 16, static_cast<uint32_t>(section.size()));
    Put32(f, kSectionHeaderAt + 20, kSectionFileOffset);
    f.insert(f.end(), section.begin(), section.end());
    return f;
}

// The offsets of the one-resource tree that Tree() lays out.
enum : uint32_t {
    kRoot = 0x00,      // one numbered entry: type 2
    kNameDir = 0x18,   // one named entry: "PIC"
    kLangDir = 0x30,   // one entry: language 0
    kDataEntry = 0x48, // the data: "DATA" at kData
    kNameText = 0x60,
    kData = 0x70,
    kTreeSize = 0x80,
};

inline void Directory(std::vector<uint8_t>& s, uint32_t at, uint32_t named, uint32_t ids) {
    Put16(s, at + 12, named);
    Put16(s, at + 14, ids);
}

inline void Entry(std::vector<uint8_t>& s, uint32_t at, uint32_t name, uint32_t target) {
    Put32(s, at, name);
    Put32(s, at + 4, target);
}

// A bitmap resource "PIC" (language neutral) holding "DATA". Tests damage single fields.
inline std::vector<uint8_t> Tree() {
    std::vector<uint8_t> s(kTreeSize, 0);
    Directory(s, kRoot, 0, 1);
    Entry(s, kRoot + 16, 2, 0x80000000u | kNameDir);
    Directory(s, kNameDir, 1, 0);
    Entry(s, kNameDir + 16, 0x80000000u | kNameText, 0x80000000u | kLangDir);
    Directory(s, kLangDir, 0, 1);
    Entry(s, kLangDir + 16, 0, kDataEntry);
    Put32(s, kDataEntry, kSectionRva + kData);
    Put32(s, kDataEntry + 4, 4);
    Put16(s, kNameText, 3);
    Put16(s, kNameText + 2, 'P');
    Put16(s, kNameText + 4, 'I');
    Put16(s, kNameText + 6, 'C');
    const std::string data = "DATA";
    std::copy(data.begin(), data.end(), s.begin() + kData);
    return s;
}

inline void PutName(std::vector<uint8_t>& s, uint32_t at, const std::u16string& text) {
    Put16(s, at, static_cast<uint32_t>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i)
        Put16(s, at + 2 + 2 * static_cast<uint32_t>(i), text[i]);
}

// A bitmap directory of shared entries that all point at one name text, followed by the
// resource own holding "DATA": the shape of a directory built to make name reading costly.
inline std::vector<uint8_t> SharedNameTree(uint32_t shared, const std::u16string& sharedName,
                                           const std::u16string& own) {
    const uint32_t count = shared + 1;
    const uint32_t nameDir = 0x18, langDir = nameDir + 16 + 8 * count, dataEntry = langDir + 24;
    const uint32_t ownText = dataEntry + 16;
    const uint32_t sharedText = ownText + 2 + 2 * static_cast<uint32_t>(own.size());
    const uint32_t data = (sharedText + 2 + 2 * static_cast<uint32_t>(sharedName.size()) + 3) & ~3u;
    std::vector<uint8_t> s(data + 4, 0);
    Directory(s, kRoot, 0, 1);
    Entry(s, kRoot + 16, 2, 0x80000000u | nameDir);
    Directory(s, nameDir, count, 0);
    for (uint32_t i = 0; i < shared; ++i) {
        Entry(s, nameDir + 16 + 8 * i, 0x80000000u | sharedText, 0x80000000u | langDir);
    }
    Entry(s, nameDir + 16 + 8 * shared, 0x80000000u | ownText, 0x80000000u | langDir);
    Directory(s, langDir, 0, 1);
    Entry(s, langDir + 16, 0, dataEntry);
    Put32(s, dataEntry, kSectionRva + data);
    Put32(s, dataEntry + 4, 4);
    PutName(s, ownText, own);
    PutName(s, sharedText, sharedName);
    const std::string bytes = "DATA";
    std::copy(bytes.begin(), bytes.end(), s.begin() + data);
    return s;
}

} // namespace handmade
