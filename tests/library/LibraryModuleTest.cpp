// SPDX-License-Identifier: GPL-3.0-or-later
// Library modules as our writer makes them: read back through the reader, in the order the
// format requires, with names refused that a list or lookup could not carry, and readable by
// independent tools.

#include "LibraryTestFiles.h"

#include "framework/Exception.h"
#include "library/LibraryFormat.h"
#include "library/PackedDib.h"
#include "library/ResourceModuleWriter.h"
#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

using namespace libtest;

namespace {

std::string Text(const std::optional<TResourceData>& d) {
    return d ? std::string(reinterpret_cast<const char*>(d->Data), d->Size) : "<none>";
}

Bytes Blob(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class Opened {
public:
    explicit Opened(Bytes bytes) : handle_(LoadResourceModuleFromBytes(std::move(bytes))) {}
    ~Opened() { FreeResourceModule(handle_); }
    TModuleHandle operator*() const { return handle_; }

private:
    TModuleHandle handle_;
};

} // namespace

TEST(LibraryModule, EveryResourceReadsBackAsWritten) {
    const Bytes picture = PackedDibFromBmpFile(BitmapFile(3, 2, 7), "p.bmp");
    const Bytes sound = WaveFile(11025, {1, -1, 2, -2});
    Opened module(BuildLibraryModule({{"Mistique", picture}, {"Dhereddr", Bytes{1, 2, 3}}},
                                     {{"Sound1", sound}}));
    ASSERT_NE(*module, kNoModule);
    EXPECT_EQ(Text(FindResourceData(*module, "Picturez", "TEXT")), "Mistique\r\nDhereddr\r\n");
    EXPECT_EQ(Text(FindResourceData(*module, "SOUNDZ", "text")), "Sound1\r\n");
    EXPECT_EQ(Text(FindResourceData(*module, "MISTIQUE", RT_BITMAP)),
              std::string(picture.begin(), picture.end()));
    EXPECT_EQ(Text(FindResourceData(*module, "dhereddr", RT_BITMAP)), "\x01\x02\x03");
    EXPECT_EQ(Text(FindResourceData(*module, "sound1", "WAV")),
              std::string(sound.begin(), sound.end()));
    EXPECT_EQ(ListResources(*module).Entries.size(), 5u);
}

TEST(LibraryModule, DirectoriesAreSortedNamedFirstWithoutCaseThenByNumber) {
    std::vector<TModuleResource> resources;
    for (const char* name : {"b", "A_B", "AZB", "a", "Z"}) {
        resources.push_back({TResourceName(RT_BITMAP), TResourceName(name), 0, Blob(name)});
    }
    resources.push_back({TResourceName(RT_BITMAP), TResourceName(uint16_t{9}), 0, Blob("9")});
    resources.push_back({TResourceName(RT_BITMAP), TResourceName(uint16_t{3}), 0, Blob("3")});
    resources.push_back({TResourceName("WAV"), TResourceName("x"), 0x409, Blob("w")});
    resources.push_back({TResourceName("WAV"), TResourceName("x"), 0x407, Blob("w")});
    resources.push_back({TResourceName("TEXT"), TResourceName("x"), 0, Blob("t")});
    resources.push_back({TResourceName(RT_ICON), TResourceName("x"), 0, Blob("i")});
    Opened module(WriteResourceModule(resources));
    std::vector<std::string> order;
    for (const TResourceEntry& e : ListResources(*module).Entries) {
        order.push_back(e.Type.Text() + "/" + e.Name.Text() + "/" + std::to_string(e.Language));
    }
    // Capitals compared by code: "A_B" after "AZB" as '_' follows 'Z'.
    EXPECT_EQ(order, (std::vector<std::string>{"TEXT/x/0", "WAV/x/1031", "WAV/x/1033", "#2/a/0",
                                               "#2/AZB/0", "#2/A_B/0", "#2/b/0", "#2/Z/0",
                                               "#2/#3/0", "#2/#9/0", "#3/x/0"}));
}

TEST(LibraryModule, NamesThatCannotBeListedOrToldApartAreRefused) {
    const auto refused = [](const std::string& a, const std::string& b = "") {
        std::vector<TNamedData> pictures{{a, Bytes{1}}};
        if (!b.empty()) pictures.push_back({b, Bytes{1}});
        try {
            BuildLibraryModule(pictures, {});
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string();
    };
    EXPECT_EQ(refused(""), "A picture name is empty");
    EXPECT_NE(refused("A\rB"), "");
    EXPECT_NE(refused("A\nB"), "");
    EXPECT_NE(refused(std::string("A\0B", 3)), "");
    EXPECT_NE(refused("#12"), "") << "would be read as a number";
    EXPECT_NE(refused("Mistique", "MISTIQUE"), "") << "the same name without regard to case";
    EXPECT_EQ(refused("Caf\xE9"), "picture name \"Caf\\xE9\" is not valid UTF-8")
        << "Latin-1 would be listed as it is but named as U+FFFD";
    EXPECT_NE(refused("\xC0\xAF"), "") << "an overlong form";
    EXPECT_EQ(refused("Caf\xC3\xA9"), "");
    EXPECT_EQ(refused("#12a"), "");
    EXPECT_EQ(refused("Mistique", "Dhereddr"), "");
}

TEST(LibraryModule, IndependentToolsReadTheModule) {
    TempDir dir("module-tools");
    const Bytes picture = PackedDibFromBmpFile(BitmapFile(3, 2, 7), "p.bmp");
    WriteFile(dir / "lib.zdl", BuildLibraryModule({{"Mistique", picture}, {"Calm", picture}},
                                                  {{"Hum", WaveFile(22050, {0, 1})}}));
    const RunResult headers =
        RunCommand("i686-w64-mingw32-objdump -x '" + (dir / "lib.zdl").string() + "'");
    ASSERT_EQ(headers.Exit, 0) << headers.Output;
    EXPECT_NE(headers.Output.find("pei-i386"), std::string::npos) << headers.Output;
    EXPECT_NE(headers.Output.find("DLL"), std::string::npos);
    EXPECT_NE(headers.Output.find("AddressOfEntryPoint\t00000000"), std::string::npos);
    EXPECT_NE(headers.Output.find(".rsrc"), std::string::npos);
    EXPECT_EQ(headers.Output.find(".text"), std::string::npos) << "no code";

    const RunResult listing = RunCommand("wrestool -l '" + (dir / "lib.zdl").string() + "'");
    ASSERT_EQ(listing.Exit, 0) << listing.Output;
    std::size_t lines = 0;
    for (char c : listing.Output)
        lines += c == '\n';
    EXPECT_EQ(lines, 5u) << listing.Output;
    EXPECT_NE(listing.Output.find("--type=2 --name='Calm'"), std::string::npos) << listing.Output;
    EXPECT_NE(listing.Output.find("--type=2 --name='Mistique'"), std::string::npos);
    EXPECT_NE(listing.Output.find("--type='WAV'"), std::string::npos);
}

TEST(PackedDib, FileHeaderIsDroppedAndPixelsAreTakenWhereTheFileSays) {
    const Bytes plain = BitmapFile(5, 3, 9);
    const Bytes packed = PackedDibFromBmpFile(plain, "plain.bmp");
    EXPECT_EQ(packed, Bytes(plain.begin() + 14, plain.end()));
    // A gap between the colours and the pixels is not carried into the resource.
    EXPECT_EQ(PackedDibFromBmpFile(BitmapFile(5, 3, 9, 0, 6), "gap.bmp"), packed);
    // Back to a file: the reserved words are 0 and the sizes are filled in.
    EXPECT_EQ(BmpFileFromPackedDib(packed, "p"), plain);
    EXPECT_EQ(BmpFileFromPackedDib(PackedDibFromBmpFile(BitmapFile(5, 3, 9, 15), "r"), "p"), plain);
}

TEST(PackedDib, WhatTheProgramRefusesIsRefusedWithItsMessage) {
    const auto why = [](Bytes file) {
        try {
            PackedDibFromBmpFile(file, "x.bmp");
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string();
    };
    const auto put32 = [](Bytes& b, std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const std::string prefix = "x.bmp is no usable bitmap file: ";
    const Bytes good = BitmapFile(4, 2, 1);
    EXPECT_EQ(why(good), "");
    EXPECT_EQ(why(Bytes(good.begin(), good.end() - 1)), prefix + "Stream read error");
    Bytes b = good;
    b[0] = 'X';
    EXPECT_NE(why(b).find("does not start with a bitmap file header"), std::string::npos);
    b = good;
    b[14] = 108;
    EXPECT_EQ(why(b), prefix + "DIB is invalid (its info header has 108 bytes; only 12- and "
                               "40-byte headers are read)");
    b = good;
    b[28] = 2;
    EXPECT_EQ(why(b), prefix + "Bitcount in invalid (2)");
    b = good;
    b[46] = 0x2C; // 300 colours
    b[47] = 0x01;
    EXPECT_EQ(why(b), prefix + "it names more than 256 colours");
    b = good;
    b[18] = 0; // width 0
    EXPECT_EQ(why(b), prefix + "DIB is invalid");
    b = good;
    b[22] = b[23] = b[24] = 0; // height 0x80000000
    b[25] = 0x80;
    EXPECT_EQ(why(b), prefix + "DIB is invalid");
    b = good;
    b[18] = b[19] = b[20] = 0xFF; // width near 2^31: rows too long for any picture
    b[21] = 0x7F;
    EXPECT_EQ(why(b), prefix + "DIB is invalid");

    // Forms a looser header check once packed, which the program then refused.
    b = good;
    b[28] = 4;       // 4 bits
    put32(b, 30, 1); // with RLE8 data
    EXPECT_EQ(why(b), prefix + "DIB is invalid") << "RLE8 in a 4-bit picture";
    b = good;
    put32(b, 30, 1); // RLE8
    put32(b, 34, 0); // of image size 0
    EXPECT_EQ(why(b), prefix + "DIB is invalid") << "RLE8 with image size 0";
    b = good;
    b[28] = 16;
    put32(b, 30, 3); // bit fields 4-4-4
    put32(b, 54, 0xF00);
    put32(b, 58, 0xF0);
    put32(b, 62, 0xF);
    EXPECT_EQ(why(b), prefix + "PixelFormat in invalid") << "4-4-4 bit fields";
}
