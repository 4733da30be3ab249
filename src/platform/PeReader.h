// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The resource section of a 32-bit PE file, read from its bytes alone. Every offset, count,
// size and name is checked against the file before it is used; a damaged directory makes the
// resources behind it unreachable, never a read outside the bytes or an endless walk.

#include "platform/ResourceModule.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TPeResources {
public:
    // Reads the headers; nullptr when the bytes are no 32-bit PE file with a resource section.
    static std::unique_ptr<TPeResources> Open(std::shared_ptr<const std::vector<uint8_t>> bytes);

    std::optional<TResourceData> Find(const TResourceName& name, const TResourceName& type,
                                      uint16_t userLanguage) const;
    TResourceListing List() const;

    // At most this many entries are visited in one listing, so that directories shared by
    // many parents cannot multiply into an endless walk.
    static constexpr std::size_t kMaxListedEntries = 65536;
    // A listing reads and holds at most this many name bytes per byte of the module. A well-formed
    // directory stores each name once and lists it once, far below this; entries that all
    // point at one long name would otherwise multiply it into gigabytes.
    static constexpr uint64_t kListedNameBytesPerModuleByte = 4;

private:
    struct Section {
        uint32_t VirtualAddress;
        uint32_t VirtualSize;
        uint32_t RawPointer;
        uint32_t RawSize;
    };
    struct DirEntry {
        uint32_t NameField;
        uint32_t DataField;
        bool IsNamed() const { return (NameField & 0x80000000u) != 0; }
        bool IsDirectory() const { return (DataField & 0x80000000u) != 0; }
        uint32_t Target() const { return DataField & 0x7FFFFFFFu; }
    };

    TPeResources() = default;

    // The file offset of size bytes at a virtual address; nullopt when they are not all
    // backed by file bytes of one section.
    std::optional<std::size_t> MapRva(uint64_t rva, uint64_t size) const;
    // The same for an offset inside the resource section.
    std::optional<std::size_t> MapResource(uint32_t offset, uint64_t size) const;
    bool ReadDirectory(uint32_t offset, std::vector<DirEntry>& entries) const;
    // The length word of a name; nullopt when it lies outside the section.
    std::optional<uint16_t> NameLength(uint32_t nameField) const;
    bool ReadName(uint32_t nameField, std::u16string& name) const;
    // Whether a directory entry is the key. A name is read only when its length is the key's,
    // and only while budget (bytes of names a directory search may still read) allows.
    bool Matches(const DirEntry& entry, const TResourceName& key, const std::u16string& keyText,
                 uint64_t& budget, std::u16string& scratch) const;
    std::optional<TResourceData> ReadData(uint32_t offset, std::size_t* size = nullptr) const;
    std::optional<TResourceName> EntryName(const DirEntry& entry) const;

    uint16_t U16(std::size_t at) const;
    uint32_t U32(std::size_t at) const;

    std::shared_ptr<const std::vector<uint8_t>> bytes_;
    std::vector<Section> sections_;
    uint32_t resourceRva_ = 0;
};
