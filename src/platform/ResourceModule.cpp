// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ResourceModule.h"

#include "platform/ModuleSearch.h"
#include "platform/PeReader.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>
#include <unordered_map>

namespace {

// Files larger than this are not taken as modules: a 32-bit module never comes near it, and
// reading something that large into memory would only stall the program.
constexpr std::uintmax_t kMaxModuleFileSize = std::uintmax_t{1} << 30;

constexpr TModuleHandle kProgramModule = 1;

struct ModuleTable {
    std::mutex Lock;
    std::unordered_map<TModuleHandle, std::shared_ptr<const TPeResources>> Modules;
    TModuleHandle Next = 0x100;
};

ModuleTable& Table() {
    static ModuleTable table;
    return table;
}

std::atomic<uint16_t> languageOverride{0};

std::size_t CharacterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxModuleFileSize) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

// The file suffixes under which a resource type is built into the program.
QStringList SuffixesOf(const TResourceName& type) {
    if (!type.IsId()) return {QString::fromUtf8(type.Name()).toLower()};
    switch (type.Id()) {
    case RT_BITMAP:
        return {QStringLiteral("bmp"), QStringLiteral("dib")};
    case RT_CURSOR:
    case RT_GROUP_CURSOR:
        return {QStringLiteral("cur")};
    case RT_ICON:
    case RT_GROUP_ICON:
        return {QStringLiteral("ico")};
    default:
        return {};
    }
}

std::optional<TResourceData> FindProgramResource(const TResourceName& name,
                                                 const TResourceName& type) {
    if (name.IsId()) return std::nullopt;
    const QString wanted = QString::fromUtf8(name.Name());
    const QStringList suffixes = SuffixesOf(type);
    for (const QString& root : {QStringLiteral(":/resources"), QStringLiteral(":/")}) {
        const QDir dir(root);
        for (const QString& file : dir.entryList(QDir::Files)) {
            const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
            if (dot <= 0) continue;
            if (file.left(dot).compare(wanted, Qt::CaseInsensitive) != 0) continue;
            if (!suffixes.contains(file.mid(dot + 1).toLower())) continue;
            QFile f(dir.filePath(file));
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QByteArray content = f.readAll();
            std::size_t skip = 0;
            // A built-in .bmp is a whole file; a bitmap resource has no file header.
            if (type.IsId() && type.Id() == RT_BITMAP && content.size() >= 14 &&
                content.startsWith("BM")) {
                skip = 14;
            }
            auto bytes =
                std::make_shared<std::vector<uint8_t>>(content.begin() + skip, content.end());
            return TResourceData{bytes, bytes->data(), bytes->size()};
        }
    }
    return std::nullopt;
}

uint16_t SystemLanguageId() {
    struct Known {
        QLocale::Language Language;
        uint16_t Primary;
    };
    static constexpr Known known[] = {
        {QLocale::Chinese, 0x04},   {QLocale::Czech, 0x05},      {QLocale::Danish, 0x06},
        {QLocale::German, 0x07},    {QLocale::Greek, 0x08},      {QLocale::English, 0x09},
        {QLocale::Spanish, 0x0A},   {QLocale::Finnish, 0x0B},    {QLocale::French, 0x0C},
        {QLocale::Hungarian, 0x0E}, {QLocale::Italian, 0x10},    {QLocale::Japanese, 0x11},
        {QLocale::Korean, 0x12},    {QLocale::Dutch, 0x13},      {QLocale::NorwegianBokmal, 0x14},
        {QLocale::Polish, 0x15},    {QLocale::Portuguese, 0x16}, {QLocale::Russian, 0x19},
        {QLocale::Swedish, 0x1D},   {QLocale::Turkish, 0x1F},
    };
    const QLocale locale = QLocale::system();
    for (const Known& k : known) {
        if (k.Language != locale.language()) continue;
        uint16_t sub = 1; // the language's default variant
        if (k.Primary == 0x09 && locale.territory() == QLocale::UnitedKingdom) sub = 2;
        return static_cast<uint16_t>(k.Primary | (sub << 10));
    }
    return 0x409;
}

} // namespace

TResourceName::TResourceName(const std::string& name) : name_(name) {
    if (name.size() < 2 || name.size() > 6 || name[0] != '#') return;
    uint32_t value = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return;
        value = value * 10 + static_cast<uint32_t>(name[i] - '0');
    }
    if (value > 0xFFFF) return;
    isId_ = true;
    id_ = static_cast<uint16_t>(value);
    name_.clear();
}

std::string TResourceName::Text() const {
    if (!isId_) return name_;
    std::string text(1, '#');
    text += std::to_string(id_);
    return text;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    // Most names are ASCII, which needs no conversion; a listing converts many of them.
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
        return std::string(text.begin(), text.end());
    }
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

std::u16string Utf8ToUtf16(const std::string& text) {
    return QString::fromStdString(text).toStdU16String();
}

bool SameResourceText(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    // Views compare in place: a directory search compares many names and copies none.
    return QStringView(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QStringView(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}

uint16_t UserLanguageId() {
    const uint16_t chosen = languageOverride.load();
    if (chosen != 0) return chosen;
    static const uint16_t system = SystemLanguageId();
    return system;
}

void SetUserLanguageId(uint16_t languageId) {
    languageOverride.store(languageId);
}

TModuleHandle LoadResourceModuleFromBytes(std::vector<uint8_t> bytes) {
    auto shared = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    std::shared_ptr<const TPeResources> module = TPeResources::Open(std::move(shared));
    if (!module) return kNoModule;
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> hold(table.Lock);
    const TModuleHandle handle = table.Next++;
    table.Modules.emplace(handle, std::move(module));
    return handle;
}

TModuleHandle LoadResourceModule(const std::string& fileName) {
    if (fileName.empty() || CharacterCount(fileName) > kMaxModulePath) return kNoModule;
    auto bytes = ReadWholeFile(ResolveModulePath(fileName));
    if (!bytes) return kNoModule;
    return LoadResourceModuleFromBytes(std::move(*bytes));
}

bool FreeResourceModule(TModuleHandle module) {
    if (module == kProgramModule) return true;
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> hold(table.Lock);
    return table.Modules.erase(module) != 0;
}

TModuleHandle ProgramModule() {
    return kProgramModule;
}

std::size_t OpenModuleCount() {
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> hold(table.Lock);
    return table.Modules.size();
}

namespace {
std::shared_ptr<const TPeResources> ModuleOf(TModuleHandle module) {
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> hold(table.Lock);
    const auto it = table.Modules.find(module);
    return it == table.Modules.end() ? nullptr : it->second;
}
} // namespace

std::optional<TResourceData> FindResourceData(TModuleHandle module, const TResourceName& name,
                                              const TResourceName& type) {
    if (module == kProgramModule) return FindProgramResource(name, type);
    const auto pe = ModuleOf(module);
    if (!pe) return std::nullopt;
    return pe->Find(name, type, UserLanguageId());
}

TResourceListing ListResources(TModuleHandle module) {
    const auto pe = ModuleOf(module);
    if (!pe) return {};
    return pe->List();
}
