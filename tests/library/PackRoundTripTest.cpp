// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures in every form the library tool takes, written by ImageMagick (16-bit ones here):
// packed with velmora-lib and loaded as the program loads a library, each shows the colours
// ImageMagick decodes from the file, with the usual cycle modulus.

#include "LibraryTestFiles.h"
#include "common/LibraryTargets.h"

#include "audio/SoundDevice.h"
#include "framework/DibFormat.h"
#include "framework/Exception.h"
#include "framework/Picture.h"
#include "library/LibraryLoader.h"
#include "picture/DIB.h"
#include "sound/DXSounds.h"

#include <gtest/gtest.h>

using namespace libtest;

namespace {

struct Form {
    const char* Name;
    const char* Convert; // ImageMagick arguments before the output file; none: made here
    int BitCount;        // as the display holds it
};

const Form kForms[] = {
    {"Mono", "rose: -colors 2 -type Palette -compress None BMP3:", 1},
    {"Sixteen", "rose: -colors 16 -type Palette -compress None BMP3:", 4},
    {"Indexed", "rose: -colors 200 -type Palette -compress None BMP3:", 8},
    {"Rle8", "rose: -colors 200 -type Palette -compress RLE BMP3:", 8},
    {"Core8", "rose: -colors 200 -type Palette BMP2:", 8},
    {"Core4", "rose: -colors 16 -type Palette BMP2:", 4},
    {"True", "rose: -type TrueColor BMP3:", 24},
    {"Rgb565", nullptr, 16},
    {"Rgb555", nullptr, 16},
    {"Alpha", "rose: -alpha on -define bmp3:alpha=true BMP3:", 32},
};

// A 16-bit picture of 64 x 8 whose pixels run through every value of each channel: 5-6-5
// with its three masks, or 5-5-5 without. (ImageMagick writes 16-bit pictures marked as
// having masks but without them, which the program refuses.)
Bytes SixteenBitFile(bool rgb565) {
    const uint32_t width = 64, height = 8, stride = width * 2, masks = rgb565 ? 12 : 0;
    Bytes b{'B', 'M'};
    Put(b, 14 + 40 + masks + stride * height, 4);
    Put(b, 0, 4);
    Put(b, 14 + 40 + masks, 4);
    for (uint32_t v : {40u, width, height})
        Put(b, v, 4);
    Put(b, 1, 2);
    Put(b, 16, 2);
    Put(b, rgb565 ? 3 : 0, 4);
    Put(b, stride * height, 4);
    for (int i = 0; i < 4; ++i)
        Put(b, 0, 4);
    if (rgb565) {
        for (uint32_t m : {0xF800u, 0x7E0u, 0x1Fu})
            Put(b, m, 4);
    }
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t v = (x + 8 * y) % 64, r = v % 32, g = rgb565 ? v : v % 32, bl = 31 - r;
            Put(b, rgb565 ? (r << 11) | (g << 5) | bl : (r << 10) | (g << 5) | bl, 2);
        }
    }
    return b;
}

// The picture as ImageMagick decodes it: 8-bit red, green, blue, top row first.
Bytes Decoded(const std::filesystem::path& file, const std::filesystem::path& raw) {
    const RunResult r =
        RunCommand("convert '" + file.string() + "' -depth 8 'rgb:" + raw.string() + "'");
    EXPECT_EQ(r.Exit, 0) << r.Output;
    return ReadFile(raw);
}

// The colours the display shows: 8-bit red, green, blue, top row first.
Bytes Shown(TDIB& display) {
    const auto lookup = ColorTableLookup(display.ColorTable);
    const bool green6 = display.PixelFormat.Masks() == Masks565;
    Bytes rgb;
    for (int y = 0; y < display.Height(); ++y) {
        for (int x = 0; x < display.Width(); ++x) {
            const QRgb c =
                DibPixelToRgb(display.ScanLine(y), x, display.BitCount(), lookup.data(), green6);
            rgb.insert(rgb.end(), {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))});
        }
    }
    return rgb;
}

} // namespace

TEST(PackRoundTrip, EveryPictureThatPackTakesShowsTheColoursImageMagickDecodes) {
    TempDir dir{"roundtrip"};
    std::string args = " --sound S='" + (dir / "s.wav").string() + "'";
    WriteFile(dir / "s.wav", WaveFile(8000, std::vector<int16_t>(64, 100)));
    for (const Form& f : kForms) {
        const std::string file = (dir / (std::string(f.Name) + ".bmp")).string();
        if (f.Convert) {
            const RunResult made =
                RunCommand(std::string("convert ") + f.Convert + "'" + file + "'");
            ASSERT_EQ(made.Exit, 0) << made.Output << " (ImageMagick comes with scripts/setup.sh)";
        } else {
            WriteFile(file, SixteenBitFile(std::string(f.Name) == "Rgb565"));
        }
        args += std::string(" --picture ") + f.Name + "='" + file + "'";
    }
    const std::string library = (dir / "lib.zdl").string();
    const RunResult packed = RunCommand(Tool() + " pack '" + library + "'" + args);
    ASSERT_EQ(packed.Exit, 0) << packed.Output;

    {
        TOfflineLibraryTargets loaded;
        TNameList& pictures = loaded.Pictures;
        TDIB& display = loaded.Display;
        int32_t& modulus = loaded.Modulus;
        const int count = static_cast<int>(std::size(kForms));
        for (int i = 0; i < count; ++i) {
            const Form& f = kForms[i];
            pictures.SetItems(std::vector<std::string>(count));
            pictures.SetItemIndex(i);
            modulus = 0;
            try {
                LoadStimulusLibrary(library, loaded.Targets);
            } catch (const Exception& e) {
                ADD_FAILURE() << f.Name << ": " << e.Message();
                continue;
            }
            EXPECT_EQ(pictures.Text(), f.Name);
            EXPECT_EQ(modulus, 255) << f.Name;
            EXPECT_EQ(display.BitCount(), f.BitCount) << f.Name;
            const Bytes rgb = Decoded(dir / (std::string(f.Name) + ".bmp"), dir / "raw.rgb");
            EXPECT_TRUE(Shown(display) == rgb) << f.Name << " shows other colours";
        }
    }
}
