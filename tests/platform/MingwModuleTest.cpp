// SPDX-License-Identifier: GPL-3.0-or-later
// Modules built at test time by an independent resource compiler and linker (MinGW's windres
// and ld) read correctly: string types and names in any case, bitmaps, wave data, and one
// name in several languages.

#include "platform/ResourceModule.h"
#include "sound/WaveFileHeader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>(v >> (8 * i));
    return s;
}

// A 4 x 2 8-bit bitmap file with two colours; fill marks the pixels.
std::string BitmapFile(char fill) {
    std::string dib = Le(40, 4) + Le(4, 4) + Le(2, 4) + Le(1, 2) + Le(8, 2) + Le(0, 4) + Le(8, 4) +
                      Le(0, 4) + Le(0, 4) + Le(2, 4) + Le(0, 4);
    dib += Le(0x000000, 4) + Le(0xFFFFFF, 4) + std::string(8, fill);
    return "BM" + Le(14 + static_cast<uint32_t>(dib.size()), 4) + Le(0, 4) + Le(14 + 40 + 8, 4) +
           dib;
}

std::string WaveFile() {
    const std::vector<uint8_t> file = wavefile::Pcm16(22050, 1, {1, 0x7fff, -0x8000, 2});
    return std::string(file.begin(), file.end());
}

std::string Bytes(const std::optional<TResourceData>& d) {
    return d ? std::string(reinterpret_cast<const char*>(d->Data), d->Size) : "<none>";
}

class MingwModule : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmora-mingw-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        Write(dir_ / "pics.txt", "Mistique\r\nCalm\r\n");
        Write(dir_ / "sounds.txt", "Hum\r\n");
        Write(dir_ / "us.bmp", BitmapFile('U'));
        Write(dir_ / "de.bmp", BitmapFile('D'));
        Write(dir_ / "neutral.bmp", BitmapFile('N'));
        Write(dir_ / "hum.wav", WaveFile());
        Write(dir_ / "lib.rc", "Picturez TEXT \"pics.txt\"\n"
                               "Soundz TEXT \"sounds.txt\"\n"
                               "Hum WAV \"hum.wav\"\n"
                               "Mistique BITMAP \"us.bmp\"\n"
                               "Calm BITMAP \"us.bmp\"\n"
                               "LANGUAGE 7, 1\n"
                               "Mistique BITMAP \"de.bmp\"\n"
                               "LANGUAGE 0, 0\n"
                               "Calm BITMAP \"neutral.bmp\"\n");
        const std::string build = "cd '" + dir_.string() +
                                  "' && i686-w64-mingw32-windres --preprocessor=cpp lib.rc -O coff"
                                  " -o lib.o && i686-w64-mingw32-ld --dll -e 0 --subsystem windows"
                                  " -o lib.zdl lib.o";
        ASSERT_EQ(std::system(build.c_str()), 0)
            << "windres and ld from binutils-mingw-w64-i686 are needed (scripts/setup.sh)";
        module_ = LoadResourceModule((dir_ / "lib.zdl").string());
        ASSERT_NE(module_, kNoModule);
    }
    void TearDown() override {
        FreeResourceModule(module_);
        SetUserLanguageId(0);
        fs::remove_all(dir_);
    }

    fs::path dir_;
    TModuleHandle module_ = kNoModule;
};

} // namespace

TEST_F(MingwModule, ListsAndWavesAreFoundWithoutRegardToCase) {
    EXPECT_EQ(Bytes(FindResourceData(module_, "Picturez", "TEXT")), "Mistique\r\nCalm\r\n");
    EXPECT_EQ(Bytes(FindResourceData(module_, "soundz", "text")), "Hum\r\n");
    EXPECT_EQ(Bytes(FindResourceData(module_, "hum", "Wav")), WaveFile());
    EXPECT_EQ(Bytes(FindResourceData(module_, "Hum", "TEXT")), "<none>");
    EXPECT_EQ(ListResources(module_).Entries.size(), 7u);
}

TEST_F(MingwModule, BitmapsArePackedAndChosenByLanguage) {
    const std::string us = BitmapFile('U').substr(14);
    const std::string de = BitmapFile('D').substr(14);
    const std::string neutral = BitmapFile('N').substr(14);
    SetUserLanguageId(0x40C);
    EXPECT_EQ(Bytes(FindResourceData(module_, "Mistique", RT_BITMAP)), us);
    EXPECT_EQ(Bytes(FindResourceData(module_, "Calm", RT_BITMAP)), neutral);
    SetUserLanguageId(0x407);
    EXPECT_EQ(Bytes(FindResourceData(module_, "MISTIQUE", RT_BITMAP)), de);
    EXPECT_EQ(Bytes(FindResourceData(module_, "calm", RT_BITMAP)), neutral);
}
