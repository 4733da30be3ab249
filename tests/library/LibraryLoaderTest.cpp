// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a library into the lists, the sound buffer, the picture holder and the display:
// selections and fallbacks, the cycle modulus, and what each failure leaves behind.

#include "LibraryTestFiles.h"

#include "audio/SoundDevice.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/Picture.h"
#include "library/LibraryFormat.h"
#include "library/LibraryLoader.h"
#include "library/PackedDib.h"
#include "library/ResourceModuleWriter.h"
#include "picture/DIB.h"
#include "sound/DXSounds.h"

#include <gtest/gtest.h>

using namespace libtest;

namespace {

struct OfflineSound {
    OfflineSound() { SetSoundOutputChoice(SoundOutputChoice::Offline); }
    ~OfflineSound() { SetSoundOutputChoice(SoundOutputChoice::Device); }
};

// A packed picture whose width tells which one it is.
Bytes Picture(int width, uint8_t fill = 1) {
    return PackedDibFromBmpFile(BitmapFile(width, 2, fill), "p.bmp");
}

Bytes Sound(uint32_t rate) {
    return WaveFile(rate, std::vector<int16_t>(64, 100));
}

Bytes Blob(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class LibraryLoader : public testing::Test {
protected:
    void SetUp() override {
        TMemoryStream previous(Sound(8000));
        buffer.LoadFromStream(previous);
        buffer.SetVolume(-500);
        pictures.SetItems({"Dhereddr", "Mistique"});
        pictures.SetItemIndex(1);
        sounds.SetItems({"Sound1", "Sound2", "Sound3"});
        sounds.SetItemIndex(2);
        modules = OpenModuleCount();
    }

    // Writes a library file and loads it; the failure's message, or "" on success.
    std::string Load(const Bytes& library) {
        WriteFile(dir / "lib.zdl", library);
        return LoadPath((dir / "lib.zdl").string());
    }
    std::string LoadPath(const std::string& path) {
        TLibraryTargets targets{pictures, sounds, source, display, &buffer, modulus};
        std::string message;
        try {
            LoadStimulusLibrary(path, targets);
        } catch (const Exception& e) {
            message = e.Message();
        }
        EXPECT_EQ(OpenModuleCount(), modules) << "the module is released";
        return message;
    }

    uint32_t Rate() {
        uint32_t rate = 0;
        buffer.BufferInterface()->GetFrequency(&rate);
        return rate;
    }
    int32_t Volume() {
        int32_t volume = 0;
        buffer.BufferInterface()->GetVolume(&volume);
        return volume;
    }
    bool Untouched() {
        return pictures.Items() == std::vector<std::string>{"Dhereddr", "Mistique"} &&
               pictures.ItemIndex() == 1 && sounds.Count() == 3 && sounds.ItemIndex() == 2 &&
               Rate() == 8000 && modulus == 7 && display.IsEmpty();
    }

    // A library of three pictures (widths 10, 20, 30) and two sounds (11025 and 22050 Hz).
    Bytes Standard() {
        return BuildLibraryModule(
            {{"One", Picture(10)}, {"Two", Picture(20)}, {"Three", Picture(30)}},
            {{"Low", Sound(11025)}, {"High", Sound(22050)}});
    }

    // A library from raw resources, for the damaged cases.
    static Bytes Raw(const std::string& pictureList, const std::string& soundList,
                     std::vector<TModuleResource> more) {
        if (!pictureList.empty()) more.push_back({"TEXT", "Picturez", 0, Blob(pictureList)});
        if (!soundList.empty()) more.push_back({"TEXT", "Soundz", 0, Blob(soundList)});
        return WriteResourceModule(more);
    }

    OfflineSound offline;
    TDirectSound device{nullptr};
    TDirectSoundBuffer buffer{device};
    TNameList pictures, sounds;
    TPicture source;
    TDIB display;
    int32_t modulus = 7;
    std::size_t modules = 0;
    TempDir dir{"loader"};
};

} // namespace

TEST_F(LibraryLoader, LoadsListsTheSelectedSoundAndPicture) {
    ASSERT_EQ(Load(Standard()), "");
    EXPECT_EQ(pictures.Items(), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(sounds.Items(), (std::vector<std::string>{"Low", "High"}));
    EXPECT_EQ(pictures.ItemIndex(), 1);
    EXPECT_EQ(sounds.ItemIndex(), 0) << "index 2 is past the new sound list";
    EXPECT_EQ(Rate(), 11025u) << "the buffer plays the sound at its own rate";
    EXPECT_EQ(Volume(), 0) << "at full volume";
    uint32_t status = 1;
    buffer.BufferInterface()->GetStatus(&status);
    EXPECT_EQ(status, 0u) << "not playing";
    EXPECT_EQ(modulus, 255);
    EXPECT_EQ(source.Width(), 20);
    EXPECT_EQ(display.Width(), 20);
    EXPECT_EQ(display.BitCount(), 8);
    EXPECT_EQ(display.ScanLine(1)[19], 1);
}

TEST_F(LibraryLoader, AFreshBufferWithoutASoundIsFilled) {
    TDirectSoundBuffer fresh(device);
    TLibraryTargets targets{pictures, sounds, source, display, &fresh, modulus};
    WriteFile(dir / "lib.zdl", Standard());
    LoadStimulusLibrary((dir / "lib.zdl").string(), targets);
    ASSERT_TRUE(fresh.BufferInterface());
    uint32_t rate = 0;
    fresh.BufferInterface()->GetFrequency(&rate);
    EXPECT_EQ(rate, 11025u);

    TDirectSoundBuffer another(device);
    WriteFile(dir / "s.wav", Sound(44100));
    LoadSoundFile((dir / "s.wav").string(), &another);
    EXPECT_TRUE(another.BufferInterface());
}

TEST_F(LibraryLoader, ReloadingKeepsBothSelectionsByIndex) {
    ASSERT_EQ(Load(Standard()), "");
    pictures.SetItemIndex(2);
    sounds.SetItemIndex(1);
    ASSERT_EQ(Load(Standard()), "");
    EXPECT_EQ(pictures.ItemIndex(), 2);
    EXPECT_EQ(sounds.ItemIndex(), 1);
    EXPECT_EQ(display.Width(), 30);
    EXPECT_EQ(Rate(), 22050u);
}

TEST_F(LibraryLoader, MissingIndicesAndEmptyEntriesFallBackToTheFirst) {
    pictures.SetItems(std::vector<std::string>(22));
    pictures.SetItemIndex(5);
    ASSERT_EQ(Load(Standard()), "");
    EXPECT_EQ(pictures.ItemIndex(), 0) << "index 5 of three pictures";
    EXPECT_EQ(display.Width(), 10);

    pictures.SetItemIndex(-1);
    ASSERT_EQ(Load(Standard()), "");
    EXPECT_EQ(pictures.ItemIndex(), 0) << "nothing selected";

    // "One", "", "Three": the empty second entry falls back to the first.
    pictures.SetItemIndex(1);
    ASSERT_EQ(Load(Raw("One\r\n\r\nThree\r\n", "High\r\n",
                       {{RT_BITMAP, "One", 0, Picture(10)},
                        {RT_BITMAP, "Three", 0, Picture(30)},
                        {"WAV", "High", 0, Sound(22050)}})),
              "");
    EXPECT_EQ(pictures.Count(), 3);
    EXPECT_EQ(pictures.ItemIndex(), 0);
    EXPECT_EQ(display.Width(), 10);
}

TEST_F(LibraryLoader, NamesFindResourcesWithoutRegardToCase) {
    pictures.SetItemIndex(0);
    sounds.SetItemIndex(0);
    ASSERT_EQ(Load(Raw("Mistique\r\n", "Sound1\r\n",
                       {{RT_BITMAP, "MISTIQUE", 0x409, Picture(40)},
                        {"wav", "SOUND1", 0x409, Sound(16000)}})),
              "");
    EXPECT_EQ(display.Width(), 40);
    EXPECT_EQ(Rate(), 16000u);
}

TEST_F(LibraryLoader, AMissingOrForeignFileChangesNothing) {
    EXPECT_EQ(LoadPath((dir / "none.zdl").string()), "Resource Picturez not found");
    EXPECT_TRUE(Untouched());
    WriteFile(dir / "text.zdl", Blob("not a module"));
    EXPECT_EQ(LoadPath((dir / "text.zdl").string()), "Resource Picturez not found");
    EXPECT_TRUE(Untouched());
    EXPECT_EQ(Load(Raw("", "Low\r\n", {{"WAV", "Low", 0, Sound(11025)}})),
              "Resource Picturez not found");
    EXPECT_TRUE(Untouched());
}

TEST_F(LibraryLoader, PathsOver260CharactersAreRefusedLikeAMissingFile) {
    WriteFile(dir / "lib.zdl", Standard());
    const std::string file = (dir / "lib.zdl").string();
    const std::string longer =
        dir.Path().string() + std::string(261 - file.size(), '/') + "/lib.zdl";
    ASSERT_EQ(longer.size(), 261u);
    EXPECT_EQ(LoadPath(longer), "Resource Picturez not found");
    EXPECT_TRUE(Untouched());
    const std::string exact =
        dir.Path().string() + std::string(260 - file.size(), '/') + "/lib.zdl";
    ASSERT_EQ(exact.size(), 260u);
    EXPECT_EQ(LoadPath(exact), "");
}

TEST_F(LibraryLoader, NoSoundListLeavesThePictureListWithoutSelection) {
    EXPECT_EQ(Load(Raw("A\r\nB\r\n", "", {})), "Resource Soundz not found");
    EXPECT_EQ(pictures.Items(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(pictures.ItemIndex(), -1);
    EXPECT_EQ(sounds.Count(), 3);
    EXPECT_EQ(Rate(), 8000u);
}

TEST_F(LibraryLoader, NoWaveOfTheSoundNameStopsBeforeTheSound) {
    EXPECT_EQ(Load(Raw("A\r\n", "Gone\r\n", {{RT_BITMAP, "A", 0, Picture(10)}})),
              "Resource Gone not found");
    EXPECT_EQ(pictures.ItemIndex(), 0);
    EXPECT_EQ(sounds.Items(), std::vector<std::string>{"Gone"});
    EXPECT_EQ(sounds.ItemIndex(), 0);
    EXPECT_EQ(Rate(), 8000u);
    EXPECT_EQ(modulus, 7);

    // An empty sound list looks for a sound with an empty name.
    EXPECT_EQ(Load(Raw("A\r\n", "\r\n", {{RT_BITMAP, "A", 0, Picture(10)}})),
              "Resource  not found");
    EXPECT_EQ(sounds.Count(), 1);
}

TEST_F(LibraryLoader, NoBitmapOfThePictureNameStopsAfterTheSound) {
    EXPECT_EQ(Load(Raw("Gone\r\n", "Low\r\n", {{"WAV", "Low", 0, Sound(11025)}})),
              "Resource Gone not found");
    EXPECT_EQ(Rate(), 11025u);
    EXPECT_EQ(modulus, 7);
    EXPECT_TRUE(display.IsEmpty());
}

TEST_F(LibraryLoader, ABitmapShorterThanFourteenBytesIsAReadError) {
    EXPECT_EQ(Load(Raw("A\r\n", "Low\r\n",
                       {{RT_BITMAP, "A", 0, Bytes(13, 0)}, {"WAV", "Low", 0, Sound(11025)}})),
              "Stream read error");
    EXPECT_EQ(Rate(), 11025u) << "the sound was replaced first";
    EXPECT_EQ(modulus, 7);
    EXPECT_TRUE(display.IsEmpty());
}

TEST_F(LibraryLoader, UndecodableDataFailsWithTheReadersMessage) {
    EXPECT_NE(
        Load(Raw("A\r\n", "Bad\r\n",
                 {{RT_BITMAP, "A", 0, Picture(10)}, {"WAV", "Bad", 0, Blob("RIFFxxxxJUNK")}})),
        "");
    EXPECT_EQ(sounds.Items(), std::vector<std::string>{"Bad"});
    EXPECT_EQ(modulus, 7);
    EXPECT_TRUE(display.IsEmpty());

    // A picture whose header is damaged: the modulus is read, the picture is not.
    Bytes damaged = Picture(10);
    damaged[0] = 99;
    EXPECT_EQ(Load(Raw("A\r\n", "Low\r\n",
                       {{RT_BITMAP, "A", 0, damaged}, {"WAV", "Low", 0, Sound(11025)}})),
              "DIB is invalid");
    EXPECT_EQ(Rate(), 11025u);
    EXPECT_EQ(modulus, 255);
    EXPECT_TRUE(display.IsEmpty());
}

TEST_F(LibraryLoader, AMissingSoundBufferFailsAtTheSound) {
    TLibraryTargets targets{pictures, sounds, source, display, nullptr, modulus};
    WriteFile(dir / "lib.zdl", Standard());
    try {
        LoadStimulusLibrary((dir / "lib.zdl").string(), targets);
        ADD_FAILURE() << "no failure";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "IDirectSoundBuffer not made");
    }
    EXPECT_EQ(pictures.Count(), 3);
    EXPECT_EQ(modulus, 7);
    EXPECT_EQ(OpenModuleCount(), modules);
}

TEST_F(LibraryLoader, TheHeaderWordGivesTheModulus) {
    // Library pictures: bytes 6..7 are the upper half of the width.
    Bytes wide = Picture(2);
    wide[6] = 1; // width 65538
    wide.resize(40 + 1024 + 65540 * 2, 0);
    ASSERT_EQ(
        Load(Raw("W\r\n", "Low\r\n", {{RT_BITMAP, "W", 0, wide}, {"WAV", "Low", 0, Sound(11025)}})),
        "");
    EXPECT_EQ(modulus, 254);
    EXPECT_EQ(display.Width(), 65538);

    // Bitmap files: bytes 6..7 are the first reserved word.
    for (const auto& [reserved, expected] : std::vector<std::pair<uint16_t, int32_t>>{
             {0, 255}, {15, 240}, {255, 0}, {300, -45}, {65535, -65280}}) {
        WriteFile(dir / "r.bmp", BitmapFile(4, 4, 9, reserved));
        LoadPictureFile((dir / "r.bmp").string(), display, modulus);
        EXPECT_EQ(modulus, expected) << reserved;
        EXPECT_EQ(display.Width(), 4);
    }
}

TEST_F(LibraryLoader, PictureFilesThatCannotBeReadKeepTheDisplay) {
    WriteFile(dir / "ok.bmp", BitmapFile(6, 3, 9, 15));
    LoadPictureFile((dir / "ok.bmp").string(), display, modulus);
    ASSERT_EQ(display.Width(), 6);
    const auto failure = [&](const std::string& name) {
        try {
            LoadPictureFile((dir / name).string(), display, modulus);
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string();
    };
    EXPECT_EQ(failure("none.bmp"), "Cannot open file " + (dir / "none.bmp").string());
    WriteFile(dir / "short.bmp", Blob("BM1234"));
    EXPECT_EQ(failure("short.bmp"), "DIB is invalid");
    // An empty file leaves the picture as it is; reading its header then fails.
    WriteFile(dir / "empty.bmp", {});
    EXPECT_EQ(failure("empty.bmp"), "Stream read error");
    EXPECT_EQ(display.Width(), 6);
    EXPECT_EQ(modulus, 240);
}

TEST_F(LibraryLoader, SoundFilesReplaceTheSound) {
    WriteFile(dir / "s.wav", Sound(44100));
    LoadSoundFile((dir / "s.wav").string(), &buffer);
    EXPECT_EQ(Rate(), 44100u);
    EXPECT_EQ(Volume(), 0);
    EXPECT_THROW(LoadSoundFile((dir / "none.wav").string(), &buffer), Exception);
    EXPECT_EQ(Rate(), 44100u);
}
