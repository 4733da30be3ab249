// SPDX-License-Identifier: GPL-3.0-or-later
// The resource-module reader on hand-made modules: a sound tree, each kind of damage, the
// choice of language, and opening files by path.

#include "HandMadeModule.h"
#include "common/TempDir.h"

#include "framework/Exception.h"
#include "framework/ResourceStream.h"
#include "platform/PeReader.h"
#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace handmade;

namespace {

// Opens bytes as a module for the length of a test.
class Opened {
public:
    explicit Opened(std::vector<uint8_t> bytes) : handle_(LoadResourceModuleFromBytes(bytes)) {}
    ~Opened() { FreeResourceModule(handle_); }
    TModuleHandle operator*() const { return handle_; }

private:
    TModuleHandle handle_;
};

std::string Found(TModuleHandle module, const TResourceName& name, const TResourceName& type) {
    const auto data = FindResourceData(module, name, type);
    if (!data) return "<none>";
    return std::string(reinterpret_cast<const char*>(data->Data), data->Size);
}

std::string FoundInTree(const std::vector<uint8_t>& tree) {
    Opened module(Module(tree));
    if (*module == kNoModule) return "<no module>";
    // A listing must end on every tree, however damaged.
    (void)ListResources(*module);
    return Found(*module, "PIC", RT_BITMAP);
}

} // namespace

TEST(ResourceModule, FindsByNameWithoutCaseAndByNumber) {
    Opened module(Module(Tree()));
    ASSERT_NE(*module, kNoModule);
    EXPECT_EQ(Found(*module, "PIC", RT_BITMAP), "DATA");
    EXPECT_EQ(Found(*module, "pic", RT_BITMAP), "DATA");
    EXPECT_EQ(Found(*module, "Pic", "#2"), "DATA");
    EXPECT_EQ(Found(*module, "PIC", RT_ICON), "<none>");
    EXPECT_EQ(Found(*module, "PICS", RT_BITMAP), "<none>");
    EXPECT_EQ(Found(*module, "PI", RT_BITMAP), "<none>");
    // A string type "2" is a name, not the number 2.
    EXPECT_EQ(Found(*module, "PIC", "2"), "<none>");

    const auto listed = ListResources(*module).Entries;
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0].Type.IsId());
    EXPECT_EQ(listed[0].Type.Id(), RT_BITMAP);
    EXPECT_EQ(listed[0].Name.Name(), "PIC");
    EXPECT_EQ(listed[0].Size, 4u);
}

TEST(ResourceModule, ResourceNamesOfTheFormHashNumberAreNumbers) {
    EXPECT_TRUE(TResourceName("#2").IsId());
    EXPECT_EQ(TResourceName("#65535").Id(), 65535);
    EXPECT_FALSE(TResourceName("#65536").IsId());
    EXPECT_FALSE(TResourceName("#").IsId());
    EXPECT_FALSE(TResourceName("#2a").IsId());
    EXPECT_EQ(TResourceName(uint16_t{7}).Text(), "#7");
    EXPECT_EQ(TResourceName("Mistique").Text(), "Mistique");
}

TEST(ResourceModule, BrokenHeadersAreNoModule) {
    const std::vector<uint8_t> good = Module(Tree());
    const auto opens = [](std::vector<uint8_t> bytes) {
        Opened module(std::move(bytes));
        return *module != kNoModule;
    };
    ASSERT_TRUE(opens(good));
    EXPECT_FALSE(opens({}));
    EXPECT_FALSE(opens(std::vector<uint8_t>(good.begin(), good.begin() + 63)));

    auto b = good;
    b[0] = 'X';
    EXPECT_FALSE(opens(b)) << "no MZ";
    b = good;
    Put32(b, 0x3C, 0xFFFFFFF0u);
    EXPECT_FALSE(opens(b)) << "PE header past the end";
    b = good;
    b[kPeAt + 1] = 'X';
    EXPECT_FALSE(opens(b)) << "no PE signature";
    b = good;
    Put16(b, kOptionalAt, 0x20B);
    EXPECT_FALSE(opens(b)) << "a 64-bit module";
    b = good;
    Put32(b, kOptionalAt + 92, 2);
    EXPECT_FALSE(opens(b)) << "no resource directory entry";
    b = good;
    Put16(b, kPeAt + 20, 0xFFFF);
    EXPECT_FALSE(opens(b)) << "optional header past the end";
    b = good;
    Put16(b, kPeAt + 6, 0xFFFF);
    EXPECT_FALSE(opens(b)) << "section table past the end";
    b = good;
    Put32(b, kOptionalAt + 96 + 16, 0x9000);
    EXPECT_FALSE(opens(b)) << "resources outside every section";
    b = good;
    Put32(b, kSectionHeaderAt + 20, 0x7FFFFF00);
    EXPECT_FALSE(opens(b)) << "section data past the end of the file";
    b = good;
    Put32(b, kOptionalAt + 96 + 16, 0);
    EXPECT_FALSE(opens(b)) << "no resources at all";
}

TEST(ResourceModule, DirectoryLoopsEndTheSearch) {
    auto t = Tree();
    Entry(t, kRoot + 16, 2, 0x80000000u | kRoot);
    EXPECT_EQ(FoundInTree(t), "<none>") << "type entry pointing at the root";
    t = Tree();
    Entry(t, kNameDir + 16, 0x80000000u | kNameText, 0x80000000u | kRoot);
    EXPECT_EQ(FoundInTree(t), "<none>") << "name entry pointing at the root";
    t = Tree();
    Entry(t, kNameDir + 16, 0x80000000u | kNameText, 0x80000000u | kNameDir);
    EXPECT_EQ(FoundInTree(t), "<none>") << "name entry pointing at its own directory";
    t = Tree();
    Entry(t, kLangDir + 16, 0, 0x80000000u | kRoot);
    EXPECT_EQ(FoundInTree(t), "<none>") << "language entry pointing at the root";

    // A root that also holds a data entry: walking back into it as the language level
    // would find that data, so only the loop check keeps it out.
    t = Tree();
    t.resize(0xA0);
    Directory(t, kRoot, 0, 2);
    Entry(t, kRoot + 16, 0, kDataEntry);
    Entry(t, kRoot + 24, 2, 0x80000000u | 0x80);
    Directory(t, 0x80, 1, 0);
    Entry(t, 0x80 + 16, 0x80000000u | kNameText, 0x80000000u | kRoot);
    EXPECT_EQ(FoundInTree(t), "<none>") << "name entry pointing back at a root with data";
}

TEST(ResourceModule, AFourthLevelIsNotFollowed) {
    auto t = Tree();
    // The language entry leads to one more directory whose entry is the data.
    t.resize(0xA0);
    Entry(t, kLangDir + 16, 0, 0x80000000u | 0x80);
    Directory(t, 0x80, 0, 1);
    Entry(t, 0x80 + 16, 0, kDataEntry);
    EXPECT_EQ(FoundInTree(t), "<none>");
}

TEST(ResourceModule, OffsetsAndSizesOutsideTheFileAreNotFollowed) {
    EXPECT_EQ(FoundInTree(Tree()), "DATA");
    auto t = Tree();
    Put32(t, kDataEntry + 4, 0xFFFFFFFFu);
    EXPECT_EQ(FoundInTree(t), "<none>") << "data size";
    t = Tree();
    Put32(t, kDataEntry + 4, kTreeSize - kData + 1);
    EXPECT_EQ(FoundInTree(t), "<none>") << "data one byte past the section";
    t = Tree();
    Put32(t, kDataEntry, 0xFFFFFFFEu);
    EXPECT_EQ(FoundInTree(t), "<none>") << "data address";
    t = Tree();
    Put32(t, kDataEntry, 0x10);
    EXPECT_EQ(FoundInTree(t), "<none>") << "data in the headers, outside every section";
    t = Tree();
    Entry(t, kLangDir + 16, 0, kTreeSize - 8);
    EXPECT_EQ(FoundInTree(t), "<none>") << "data entry cut off by the end";
    t = Tree();
    Entry(t, kRoot + 16, 2, 0x80000000u | 0x7FFFFFF0u);
    EXPECT_EQ(FoundInTree(t), "<none>") << "subdirectory offset";
    t = Tree();
    Entry(t, kNameDir + 16, 0x80000000u | kNameText, 0x80000000u | (kTreeSize - 4));
    EXPECT_EQ(FoundInTree(t), "<none>") << "directory header cut off by the end";
}

TEST(ResourceModule, HugeEntryCountsAreDamage) {
    auto t = Tree();
    Directory(t, kRoot, 0xFFFF, 0xFFFF);
    EXPECT_EQ(FoundInTree(t), "<no module>") << "a root that cannot hold its entries";
    t = Tree();
    Directory(t, kNameDir, 0xFFFF, 0);
    EXPECT_EQ(FoundInTree(t), "<none>");
    t = Tree();
    Directory(t, kLangDir, 0, 0x7000);
    EXPECT_EQ(FoundInTree(t), "<none>");
}

TEST(ResourceModule, NamesPastTheEndAreNotRead) {
    auto t = Tree();
    Put16(t, kNameText, 0xFFFF);
    EXPECT_EQ(FoundInTree(t), "<none>") << "name length";
    t = Tree();
    Entry(t, kNameDir + 16, 0x80000000u | (kTreeSize - 1), 0x80000000u | kLangDir);
    EXPECT_EQ(FoundInTree(t), "<none>") << "name offset";
    t = Tree();
    Entry(t, kNameDir + 16, 0xFFFFFFFFu, 0x80000000u | kLangDir);
    EXPECT_EQ(FoundInTree(t), "<none>") << "name offset at the top of the range";
}

TEST(ResourceModule, SharedDirectoriesCannotMultiplyAListing) {
    // 200 types each pointing at one name directory of 200 entries, each pointing at one
    // language directory of 200 entries: eight million paths, which the listing must cap.
    const uint32_t n = 200;
    const uint32_t typeDir = 0, nameDir = 16 + 8 * n, langDir = nameDir + 16 + 8 * n;
    const uint32_t dataEntry = langDir + 16 + 8 * n, data = dataEntry + 16;
    std::vector<uint8_t> t(data + 4, 0);
    Directory(t, typeDir, 0, n);
    Directory(t, nameDir, 0, n);
    Directory(t, langDir, 0, n);
    for (uint32_t i = 0; i < n; ++i) {
        Entry(t, typeDir + 16 + 8 * i, i + 1, 0x80000000u | nameDir);
        Entry(t, nameDir + 16 + 8 * i, i + 1, 0x80000000u | langDir);
        Entry(t, langDir + 16 + 8 * i, i, dataEntry);
    }
    Put32(t, dataEntry, kSectionRva + data);
    Put32(t, dataEntry + 4, 4);
    Opened module(Module(t));
    ASSERT_NE(*module, kNoModule);
    const TResourceListing listing = ListResources(*module);
    EXPECT_LE(listing.Entries.size(), 65536u);
    EXPECT_EQ(listing.End, TListingEnd::TooManyEntries);
    EXPECT_TRUE(FindResourceData(*module, uint16_t{5}, uint16_t{200}).has_value());
}

TEST(ResourceModule, ALookupReadsNoNameOfAnotherLength) {
    // 65534 entries sharing one 2048-character name before "PIC": only the length words are
    // read, so the lookup costs one pass over the entries and finds the resource.
    Opened module(Module(SharedNameTree(65534, std::u16string(2048, u'X'), u"PIC")));
    ASSERT_NE(*module, kNoModule);
    EXPECT_EQ(Found(*module, "pic", RT_BITMAP), "DATA");
}

TEST(ResourceModule, ALookupReadsNoMoreNameBytesThanTheModuleHolds) {
    // Entries sharing one near-match of the key's length: reading it again for every entry
    // would read far more than the file holds, so the search ends as damage.
    const std::u16string key(2048, u'A');
    std::u16string nearMatch = key;
    nearMatch.back() = u'B';
    Opened module(Module(SharedNameTree(65534, nearMatch, key)));
    ASSERT_NE(*module, kNoModule);
    EXPECT_FALSE(FindResourceData(*module, Utf16ToUtf8(key), RT_BITMAP).has_value());
    // One entry before it reads both names once, within what the module holds, and finds it.
    Opened few(Module(SharedNameTree(1, nearMatch, key)));
    EXPECT_EQ(Found(*few, Utf16ToUtf8(key), RT_BITMAP), "DATA");
}

TEST(ResourceModule, AListingHoldsNoMoreNameBytesThanItsLimit) {
    const std::vector<uint8_t> bytes =
        Module(SharedNameTree(65534, std::u16string(2048, u'X'), u"PIC"));
    Opened module(bytes);
    const TResourceListing listing = ListResources(*module);
    EXPECT_EQ(listing.End, TListingEnd::TooManyNameBytes);
    std::size_t nameBytes = 0;
    for (const TResourceEntry& e : listing.Entries)
        nameBytes += e.Type.Name().size() + e.Name.Name().size();
    EXPECT_GT(listing.Entries.size(), 0u);
    EXPECT_LE(nameBytes, TPeResources::kListedNameBytesPerModuleByte * bytes.size());
    // The same names once each list completely.
    Opened few(Module(SharedNameTree(1, std::u16string(2048, u'X'), u"PIC")));
    const TResourceListing whole = ListResources(*few);
    EXPECT_EQ(whole.End, TListingEnd::Complete);
    EXPECT_EQ(whole.Entries.size(), 2u);
}

namespace {

// A tree with resource "PIC" of type 2 in the given languages; each holds its language id
// as text, so a test sees which one was chosen.
std::vector<uint8_t> LanguageTree(const std::vector<uint16_t>& languages) {
    auto t = Tree();
    const uint32_t count = static_cast<uint32_t>(languages.size());
    const uint32_t langDir = 0x100, entries = langDir + 16 + 8 * count;
    t.resize(entries + 32 * count);
    Entry(t, kNameDir + 16, 0x80000000u | kNameText, 0x80000000u | langDir);
    Directory(t, langDir, 0, count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t entry = entries + 32 * i, text = entry + 16;
        Entry(t, langDir + 16 + 8 * i, languages[i], entry);
        Put32(t, entry, kSectionRva + text);
        Put32(t, entry + 4, 4);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", languages[i]);
        std::copy(hex, hex + 4, t.begin() + text);
    }
    return t;
}

std::string Chosen(const std::vector<uint16_t>& languages, uint16_t user) {
    SetUserLanguageId(user);
    Opened module(Module(LanguageTree(languages)));
    const std::string found = Found(*module, "PIC", RT_BITMAP);
    SetUserLanguageId(0);
    return found;
}

} // namespace

TEST(ResourceModule, LanguageIsChosenAsThePlatformDoes) {
    EXPECT_EQ(Chosen({0x407, 0x409, 0x000, 0x40C}, 0x40C), "0000") << "neutral first";
    EXPECT_EQ(Chosen({0x407, 0x409, 0x40C}, 0x40C), "040c") << "then the user's";
    EXPECT_EQ(Chosen({0x409, 0x407}, 0x807), "0407") << "then the user's in another variant";
    EXPECT_EQ(Chosen({0x407, 0x409, 0x40C}, 0x410), "0409") << "then US English";
    EXPECT_EQ(Chosen({0x40C, 0x407}, 0x410), "040c") << "then the first";
}

TEST(ResourceStream, ReadsTheBytesAndOutlivesTheModule) {
    const TModuleHandle module = LoadResourceModuleFromBytes(Module(Tree()));
    ASSERT_NE(module, kNoModule);
    TResourceStream stream(module, "pic", RT_BITMAP);
    EXPECT_TRUE(FreeResourceModule(module));
    EXPECT_FALSE(FreeResourceModule(module)) << "released twice";
    EXPECT_EQ(FindResourceData(module, "PIC", RT_BITMAP), std::nullopt) << "a released handle";
    char text[5] = {};
    stream.ReadBuffer(text, 4);
    EXPECT_STREQ(text, "DATA");
    EXPECT_THROW(stream.ReadBuffer(text, 1), EReadError);
    EXPECT_THROW(stream.Write("x", 1), EWriteError) << "read-only";
}

TEST(ResourceStream, AMissingResourceNamesItself) {
    const auto messageFor = [](TModuleHandle module, const TResourceName& name) {
        try {
            TResourceStream stream(module, name, "TEXT");
        } catch (const EResNotFound& e) {
            return e.Message();
        }
        return std::string("no failure");
    };
    Opened module(Module(Tree()));
    EXPECT_EQ(messageFor(*module, "Picturez"), "Resource Picturez not found");
    EXPECT_EQ(messageFor(kNoModule, "Soundz"), "Resource Soundz not found");
    EXPECT_EQ(messageFor(*module, ""), "Resource  not found");
}

namespace {

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool OpensFile(const std::string& path) {
    const TModuleHandle module = LoadResourceModule(path);
    FreeResourceModule(module);
    return module != kNoModule;
}

} // namespace

TEST(ResourceModuleFiles, MissingUnreadableAndForeignFilesAreNoModule) {
    const TempDir temp("modules");
    const auto& dir = temp.Path();
    WriteBytes(dir / "good.zdl", Module(Tree()));
    WriteBytes(dir / "text.zdl", {'h', 'e', 'l', 'l', 'o'});
    WriteBytes(dir / "empty.zdl", {});
    EXPECT_TRUE(OpensFile((dir / "good.zdl").string()));
    EXPECT_FALSE(OpensFile((dir / "text.zdl").string()));
    EXPECT_FALSE(OpensFile((dir / "empty.zdl").string()));
    EXPECT_FALSE(OpensFile((dir / "missing.zdl").string()));
    EXPECT_FALSE(OpensFile(dir.string())) << "a directory";
    EXPECT_FALSE(OpensFile(""));
}

TEST(ResourceModuleFiles, PathsOver260CharactersAreRefused) {
    const TempDir temp("modules");
    const auto& dir = temp.Path();
    const std::string file = (dir / "good.zdl").string();
    WriteBytes(file, Module(Tree()));
    // Extra slashes name the same file with a longer path.
    const auto padded = [&](std::size_t length) {
        std::string path = dir.string();
        path += std::string(length - file.size(), '/');
        return path + "/good.zdl";
    };
    ASSERT_EQ(padded(260).size(), 260u);
    EXPECT_TRUE(OpensFile(padded(260)));
    EXPECT_FALSE(OpensFile(padded(261)));
    std::filesystem::remove_all(dir);
}
