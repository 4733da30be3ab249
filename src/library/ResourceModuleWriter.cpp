// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/ResourceModuleWriter.h"

#include "framework/Exception.h"
#include "framework/Messages.h"
#include "platform/LittleEndian.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <map>

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kResourceRva = 0x1000;
constexpr uint32_t kImageBase = 0x10000000;
constexpr uint32_t kPeHeaderAt = 0x40;
constexpr uint16_t kOptionalHeaderSize = 224;
constexpr uint32_t kHeadersSize = kFileAlignment;

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

QString Capitals(const TResourceName& name) {
    return QString::fromStdString(name.Name()).toUpper();
}

struct NameOrder {
    bool operator()(const TResourceName& a, const TResourceName& b) const {
        return ResourceNameLess(a, b);
    }
};

// The resources grouped into the three directory levels.
using LanguageMap = std::map<uint16_t, const TModuleResource*>;
using NameMap = std::map<TResourceName, LanguageMap, NameOrder>;
using TypeMap = std::map<TResourceName, NameMap, NameOrder>;

class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
    void U16(std::size_t at, uint32_t v) { WriteLe16(&out_[at], v); }
    void U32(std::size_t at, uint32_t v) { WriteLe32(&out_[at], v); }

private:
    std::vector<uint8_t>& out_;
};

// The section's bytes: directories (breadth first), data entries, name strings, data.
std::vector<uint8_t> BuildResourceSection(const TypeMap& types) {
    const auto dirSize = [](std::size_t entries) { return 16 + 8 * entries; };
    uint32_t offset = static_cast<uint32_t>(dirSize(types.size()));
    std::map<const void*, uint32_t> dirAt;
    std::size_t leafCount = 0;
    for (const auto& [type, names] : types) {
        dirAt[&names] = offset;
        offset += static_cast<uint32_t>(dirSize(names.size()));
    }
    for (const auto& [type, names] : types) {
        for (const auto& [name, languages] : names) {
            dirAt[&languages] = offset;
            offset += static_cast<uint32_t>(dirSize(languages.size()));
            leafCount += languages.size();
        }
    }
    const uint32_t dataEntriesAt = offset;
    offset += static_cast<uint32_t>(16 * leafCount);
    // Each distinct name string is stored once.
    std::map<std::u16string, uint32_t> stringAt;
    const auto addString = [&](const TResourceName& n) {
        if (n.IsId()) return;
        const std::u16string text = Utf8ToUtf16(n.Name());
        if (stringAt.emplace(text, offset).second) {
            offset += static_cast<uint32_t>(2 + 2 * text.size());
        }
    };
    for (const auto& [type, names] : types) {
        addString(type);
        for (const auto& [name, languages] : names)
            addString(name);
    }
    offset = AlignUp(offset, 8);
    std::vector<uint32_t> dataAt;
    for (const auto& [type, names] : types) {
        for (const auto& [name, languages] : names) {
            for (const auto& [language, resource] : languages) {
                dataAt.push_back(offset);
                offset = AlignUp(offset + static_cast<uint32_t>(resource->Data.size()), 8);
            }
        }
    }

    std::vector<uint8_t> out(offset, 0);
    ByteWriter w(out);
    const auto writeDirectory = [&](uint32_t at, std::size_t named, std::size_t ids) {
        w.U16(at + 12, static_cast<uint32_t>(named));
        w.U16(at + 14, static_cast<uint32_t>(ids));
    };
    const auto nameField = [&](const TResourceName& n) {
        return n.IsId() ? uint32_t{n.Id()} : (0x80000000u | stringAt.at(Utf8ToUtf16(n.Name())));
    };
    const auto namedCount = [](const auto& map) {
        return static_cast<std::size_t>(std::count_if(
            map.begin(), map.end(), [](const auto& item) { return !item.first.IsId(); }));
    };
    writeDirectory(0, namedCount(types), types.size() - namedCount(types));
    uint32_t entry = 16;
    for (const auto& [type, names] : types) {
        w.U32(entry, nameField(type));
        w.U32(entry + 4, 0x80000000u | dirAt.at(&names));
        entry += 8;
    }
    std::size_t leaf = 0;
    for (const auto& [type, names] : types) {
        const uint32_t at = dirAt.at(&names);
        writeDirectory(at, namedCount(names), names.size() - namedCount(names));
        uint32_t nameEntry = at + 16;
        for (const auto& [name, languages] : names) {
            w.U32(nameEntry, nameField(name));
            w.U32(nameEntry + 4, 0x80000000u | dirAt.at(&languages));
            nameEntry += 8;
            const uint32_t langAt = dirAt.at(&languages);
            writeDirectory(langAt, 0, languages.size());
            uint32_t langEntry = langAt + 16;
            for (const auto& [language, resource] : languages) {
                const uint32_t dataEntry = dataEntriesAt + static_cast<uint32_t>(16 * leaf);
                w.U32(langEntry, language);
                w.U32(langEntry + 4, dataEntry);
                langEntry += 8;
                w.U32(dataEntry, kResourceRva + dataAt[leaf]);
                w.U32(dataEntry + 4, static_cast<uint32_t>(resource->Data.size()));
                std::copy(resource->Data.begin(), resource->Data.end(), out.begin() + dataAt[leaf]);
                ++leaf;
            }
        }
    }
    for (const auto& [text, at] : stringAt) {
        w.U16(at, static_cast<uint32_t>(text.size()));
        for (std::size_t i = 0; i < text.size(); ++i)
            w.U16(at + 2 + 2 * i, text[i]);
    }
    return out;
}

uint32_t PeChecksum(const std::vector<uint8_t>& file, std::size_t checksumAt) {
    uint64_t sum = 0;
    for (std::size_t i = 0; i + 1 < file.size(); i += 2) {
        if (i == checksumAt || i == checksumAt + 2) continue;
        sum += ReadLe16(&file[i]);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + file.size());
}

void CheckName(const TResourceName& name) {
    if (name.IsId()) return;
    const std::size_t length = Utf8ToUtf16(name.Name()).size();
    if (length == 0 || length > 0xFFFF) {
        throw Exception(TranslatedText(
            "Library", QT_TRANSLATE_NOOP("Library", "Resource name \"%1\" cannot be stored"),
            {name.Name()}));
    }
}

} // namespace

bool ResourceNameLess(const TResourceName& a, const TResourceName& b) {
    if (a.IsId() != b.IsId()) return !a.IsId();
    if (a.IsId()) return a.Id() < b.Id();
    const QString ua = Capitals(a);
    const QString ub = Capitals(b);
    return std::lexicographical_compare(ua.utf16(), ua.utf16() + ua.size(), ub.utf16(),
                                        ub.utf16() + ub.size());
}

std::vector<uint8_t> WriteResourceModule(const std::vector<TModuleResource>& resources) {
    TypeMap types;
    for (const TModuleResource& r : resources) {
        CheckName(r.Type);
        CheckName(r.Name);
        if (!types[r.Type][r.Name].emplace(r.Language, &r).second) {
            throw Exception(TranslatedText(
                "Library",
                QT_TRANSLATE_NOOP("Library", "Resource \"%1\" of type \"%2\" is given twice"),
                {r.Name.Text(), r.Type.Text()}));
        }
    }
    const std::vector<uint8_t> section = BuildResourceSection(types);
    const uint32_t sectionSize = static_cast<uint32_t>(section.size());
    const uint32_t rawSize = AlignUp(std::max<uint32_t>(sectionSize, 1), kFileAlignment);
    std::vector<uint8_t> file(kHeadersSize + rawSize, 0);
    ByteWriter w(file);

    file[0] = 'M';
    file[1] = 'Z';
    w.U32(0x3C, kPeHeaderAt);
    w.U32(kPeHeaderAt, 0x00004550); // "PE\0\0"
    const uint32_t coff = kPeHeaderAt + 4;
    w.U16(coff, 0x14C); // i386
    w.U16(coff + 2, 1); // one section
    w.U16(coff + 16, kOptionalHeaderSize);
    // Executable image, no line numbers or local symbols, 32-bit, no debug data, a DLL.
    w.U16(coff + 18, 0x0002 | 0x0004 | 0x0008 | 0x0100 | 0x0200 | 0x2000);

    const uint32_t opt = coff + 20;
    w.U16(opt, 0x10B);
    file[opt + 2] = 1;             // linker version 1.0
    w.U32(opt + 8, rawSize);       // size of initialised data
    w.U32(opt + 24, kResourceRva); // base of data; no code, entry point 0
    w.U32(opt + 28, kImageBase);
    w.U32(opt + 32, kSectionAlignment);
    w.U32(opt + 36, kFileAlignment);
    w.U16(opt + 40, 4); // operating system version 4.0
    w.U16(opt + 48, 4); // subsystem version 4.0
    w.U32(opt + 56, kResourceRva + AlignUp(std::max<uint32_t>(sectionSize, 1), kSectionAlignment));
    w.U32(opt + 60, kHeadersSize);
    w.U16(opt + 68, 2);        // graphical subsystem
    w.U16(opt + 70, 0x0100);   // compatible with no-execute data
    w.U32(opt + 72, 0x100000); // stack reserve
    w.U32(opt + 76, 0x1000);   // stack commit
    w.U32(opt + 80, 0x100000); // heap reserve
    w.U32(opt + 84, 0x1000);   // heap commit
    w.U32(opt + 92, 16);       // data directories
    w.U32(opt + 96 + 2 * 8, kResourceRva);
    w.U32(opt + 96 + 2 * 8 + 4, sectionSize);

    const uint32_t sec = opt + kOptionalHeaderSize;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, file.begin() + sec);
    w.U32(sec + 8, sectionSize);
    w.U32(sec + 12, kResourceRva);
    w.U32(sec + 16, rawSize);
    w.U32(sec + 20, kHeadersSize);
    w.U32(sec + 36, 0x40000040); // initialised data, readable

    std::copy(section.begin(), section.end(), file.begin() + kHeadersSize);
    w.U32(opt + 64, PeChecksum(file, opt + 64));
    return file;
}
