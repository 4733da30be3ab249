// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PeReader.h"

#include "platform/LittleEndian.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr uint16_t kUsEnglish = 0x409;

uint16_t PrimaryLanguage(uint16_t id) {
    return id & 0x3FF;
}

} // namespace

uint16_t TPeResources::U16(std::size_t at) const {
    return ReadLe16(bytes_->data() + at);
}

uint32_t TPeResources::U32(std::size_t at) const {
    return ReadLe32(bytes_->data() + at);
}

std::unique_ptr<TPeResources>
TPeResources::Open(std::shared_ptr<const std::vector<uint8_t>> bytes) {
    if (!bytes) return nullptr;
    std::unique_ptr<TPeResources> pe(new TPeResources);
    pe->bytes_ = std::move(bytes);
    const uint64_t fileSize = pe->bytes_->size();
    const auto fits = [fileSize](uint64_t at, uint64_t size) {
        return at <= fileSize && size <= fileSize - at;
    };

    if (!fits(0, 64) || pe->U16(0) != 0x5A4D) return nullptr; // "MZ"
    const uint64_t peAt = pe->U32(0x3C);
    if (!fits(peAt, 4 + kFileHeaderSize) || pe->U32(peAt) != 0x00004550) return nullptr; // "PE\0\0"
    const uint64_t coffAt = peAt + 4;
    const uint32_t sectionCount = pe->U16(coffAt + 2);
    const uint32_t optionalSize = pe->U16(coffAt + 16);
    const uint64_t optAt = coffAt + kFileHeaderSize;
    if (!fits(optAt, optionalSize) || optionalSize < 96) return nullptr;
    if (pe->U16(optAt) != kPe32Magic) return nullptr;
    const uint32_t directoryCount = pe->U32(optAt + 92);
    const uint64_t resourceEntryAt = optAt + 96 + kResourceDirectoryIndex * 8;
    if (directoryCount <= kResourceDirectoryIndex || resourceEntryAt + 8 > optAt + optionalSize) {
        return nullptr;
    }
    pe->resourceRva_ = pe->U32(resourceEntryAt);
    if (pe->resourceRva_ == 0) return nullptr;

    const uint64_t sectionsAt = optAt + optionalSize;
    if (!fits(sectionsAt, uint64_t{sectionCount} * kSectionHeaderSize)) return nullptr;
    pe->sections_.reserve(sectionCount);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint64_t at = sectionsAt + uint64_t{i} * kSectionHeaderSize;
        pe->sections_.push_back(
            {pe->U32(at + 12), pe->U32(at + 8), pe->U32(at + 20), pe->U32(at + 16)});
    }
    // The root directory itself must be readable, or the module has no usable resources.
    std::vector<DirEntry> root;
    if (!pe->ReadDirectory(0, root)) return nullptr;
    return pe;
}

std::optional<std::size_t> TPeResources::MapRva(uint64_t rva, uint64_t size) const {
    const uint64_t fileSize = bytes_->size();
    for (const Section& s : sections_) {
        const uint64_t extent = s.VirtualSize != 0 ? s.VirtualSize : s.RawSize;
        const uint64_t backed = std::min<uint64_t>(extent, s.RawSize);
        if (rva < s.VirtualAddress || rva - s.VirtualAddress >= extent) continue;
        const uint64_t inSection = rva - s.VirtualAddress;
        // Bytes past the file data of the section would be zeros in memory; resources
        // are never placed there, so such a range counts as damage.
        if (size > backed || inSection > backed - size) return std::nullopt;
        const uint64_t at = uint64_t{s.RawPointer} + inSection;
        if (at > fileSize || size > fileSize - at) return std::nullopt;
        return static_cast<std::size_t>(at);
    }
    return std::nullopt;
}

std::optional<std::size_t> TPeResources::MapResource(uint32_t offset, uint64_t size) const {
    return MapRva(uint64_t{resourceRva_} + offset, size);
}

bool TPeResources::ReadDirectory(uint32_t offset, std::vector<DirEntry>& entries) const {
    entries.clear();
    const auto header = MapResource(offset, kDirectoryHeaderSize);
    if (!header) return false;
    const uint64_t count = uint64_t{U16(*header + 12)} + U16(*header + 14);
    // The entries must lie in the file: a count larger than the bytes behind it is damage.
    const auto first = MapResource(offset, kDirectoryHeaderSize + count * kDirectoryEntrySize);
    if (!first) return false;
    entries.reserve(static_cast<std::size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        const std::size_t at = *first + kDirectoryHeaderSize + i * kDirectoryEntrySize;
        entries.push_back({U32(at), U32(at + 4)});
    }
    return true;
}

std::optional<uint16_t> TPeResources::NameLength(uint32_t nameField) const {
    const auto lengthAt = MapResource(nameField & 0x7FFFFFFFu, 2);
    if (!lengthAt) return std::nullopt;
    return U16(*lengthAt);
}

bool TPeResources::ReadName(uint32_t nameField, std::u16string& name) const {
    const auto length = NameLength(nameField);
    if (!length) return false;
    const auto textAt = MapResource(nameField & 0x7FFFFFFFu, 2 + uint64_t{*length} * 2);
    if (!textAt) return false;
    name.resize(*length);
    for (std::size_t i = 0; i < *length; ++i) {
        name[i] = static_cast<char16_t>(U16(*textAt + 2 + i * 2));
    }
    return true;
}

bool TPeResources::Matches(const DirEntry& entry, const TResourceName& key,
                           const std::u16string& keyText, uint64_t& budget,
                           std::u16string& scratch) const {
    if (key.IsId()) return !entry.IsNamed() && (entry.NameField & 0xFFFF) == key.Id();
    if (!entry.IsNamed()) return false;
    // Texts of different lengths never match, so most names are never read at all.
    const auto length = NameLength(entry.NameField);
    if (!length || *length != keyText.size()) return false;
    const uint64_t cost = 2 + uint64_t{*length} * 2;
    if (cost > budget) {
        budget = 0;
        return false;
    }
    budget -= cost;
    return ReadName(entry.NameField, scratch) && SameResourceText(scratch, keyText);
}

std::optional<TResourceData> TPeResources::ReadData(uint32_t offset, std::size_t* size) const {
    const auto entryAt = MapResource(offset, kDataEntrySize);
    if (!entryAt) return std::nullopt;
    const uint32_t rva = U32(*entryAt);
    const uint32_t length = U32(*entryAt + 4);
    if (size) *size = length;
    const auto dataAt = MapRva(rva, length);
    if (!dataAt) return std::nullopt;
    return TResourceData{bytes_, bytes_->data() + *dataAt, length};
}

std::optional<TResourceData> TPeResources::Find(const TResourceName& name,
                                                const TResourceName& type,
                                                uint16_t userLanguage) const {
    const std::u16string typeText = type.IsId() ? u"" : Utf8ToUtf16(type.Name());
    const std::u16string nameText = name.IsId() ? u"" : Utf8ToUtf16(name.Name());
    std::vector<DirEntry> entries;
    std::u16string scratch;
    // Each level is entered through the first matching entry. A subdirectory that points
    // back to one of its ancestors is a loop and ends the search.
    std::array<uint32_t, 2> ancestors{0, 0};
    const TResourceName* keys[2] = {&type, &name};
    const std::u16string* keyTexts[2] = {&typeText, &nameText};
    uint32_t directory = 0;
    for (size_t level = 0; level < 2; ++level) {
        if (!ReadDirectory(directory, entries)) return std::nullopt;
        // The names of a well-formed directory are distinct and fit in the module, so one search
        // never needs to read more name bytes than the module holds; entries that share one
        // long name end the search there instead of reading it again for each entry.
        uint64_t budget = bytes_->size();
        const auto match = std::find_if(entries.begin(), entries.end(), [&](const DirEntry& e) {
            return Matches(e, *keys[level], *keyTexts[level], budget, scratch);
        });
        if (match == entries.end() || !match->IsDirectory()) return std::nullopt;
        ancestors[level] = directory;
        directory = match->Target();
        if (std::find(ancestors.begin(), ancestors.begin() + level + 1, directory) !=
            ancestors.begin() + level + 1) {
            return std::nullopt;
        }
    }
    if (!ReadDirectory(directory, entries)) return std::nullopt;
    // Languages: only data entries count; a fourth level of directories is damage.
    std::vector<DirEntry> languages;
    for (const DirEntry& e : entries) {
        if (!e.IsNamed() && !e.IsDirectory()) languages.push_back(e);
    }
    if (languages.empty()) return std::nullopt;
    const auto pick = [&](auto&& accept) -> const DirEntry* {
        for (const DirEntry& e : languages) {
            if (accept(static_cast<uint16_t>(e.NameField & 0xFFFF))) return &e;
        }
        return nullptr;
    };
    const DirEntry* chosen = pick([](uint16_t id) { return id == 0; });
    if (!chosen) chosen = pick([&](uint16_t id) { return id == userLanguage; });
    if (!chosen && PrimaryLanguage(userLanguage) != 0) {
        chosen =
            pick([&](uint16_t id) { return PrimaryLanguage(id) == PrimaryLanguage(userLanguage); });
    }
    if (!chosen) chosen = pick([](uint16_t id) { return id == kUsEnglish; });
    if (!chosen) chosen = &languages.front();
    return ReadData(chosen->Target());
}

std::optional<TResourceName> TPeResources::EntryName(const DirEntry& entry) const {
    if (!entry.IsNamed()) return TResourceName(static_cast<uint16_t>(entry.NameField & 0xFFFF));
    std::u16string text;
    if (!ReadName(entry.NameField, text)) return std::nullopt;
    return TResourceName(Utf16ToUtf8(text));
}

TResourceListing TPeResources::List() const {
    TResourceListing out;
    std::size_t visited = 0;
    const uint64_t nameBytesLimit = kListedNameBytesPerModuleByte * bytes_->size();
    uint64_t nameBytes = 0;
    const auto visit = [&] {
        if (++visited <= kMaxListedEntries) return true;
        out.End = TListingEnd::TooManyEntries;
        return false;
    };
    // Name bytes count twice: when read from the module and when held in the listing.
    const auto spend = [&](uint64_t bytes) {
        nameBytes += bytes;
        if (nameBytes <= nameBytesLimit) return true;
        out.End = TListingEnd::TooManyNameBytes;
        return false;
    };
    const auto nameOf = [&](const DirEntry& e) -> std::optional<TResourceName> {
        if (e.IsNamed()) {
            const auto length = NameLength(e.NameField);
            if (length && !spend(2 + uint64_t{*length} * 2)) return std::nullopt;
        }
        return EntryName(e);
    };
    const auto stopped = [&] { return out.End != TListingEnd::Complete; };

    std::vector<DirEntry> types, names, languages;
    if (!ReadDirectory(0, types)) return out;
    for (const DirEntry& t : types) {
        if (!visit()) return out;
        if (!t.IsDirectory() || t.Target() == 0) continue;
        const auto typeName = nameOf(t);
        if (stopped()) return out;
        if (!typeName || !ReadDirectory(t.Target(), names)) continue;
        for (const DirEntry& n : names) {
            if (!visit()) return out;
            if (!n.IsDirectory() || n.Target() == 0 || n.Target() == t.Target()) continue;
            const auto resourceName = nameOf(n);
            if (stopped()) return out;
            if (!resourceName || !ReadDirectory(n.Target(), languages)) continue;
            for (const DirEntry& l : languages) {
                if (!visit()) return out;
                if (l.IsNamed() || l.IsDirectory()) continue;
                std::size_t size = 0;
                if (!ReadData(l.Target(), &size)) continue;
                if (!spend(typeName->Name().size() + resourceName->Name().size())) return out;
                out.Entries.push_back(
                    {*typeName, *resourceName, static_cast<uint16_t>(l.NameField & 0xFFFF), size});
            }
        }
    }
    return out;
}
