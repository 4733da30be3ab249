// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-lib: pack, list and extract round trips, and clear failures.

#include "LibraryTestFiles.h"
#include "platform/HandMadeModule.h"

#include <gtest/gtest.h>

using namespace libtest;

namespace {

class LibraryTool : public testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "a.bmp", BitmapFile(640, 480, 3));
        WriteFile(dir / "b.bmp", BitmapFile(7, 5, 200));
        WriteFile(dir / "s1.wav", WaveFile(22050, {1, 2, 3, 4, 5}));
        WriteFile(dir / "s2.wav", WaveFile(11025, std::vector<int16_t>(11025, -7)));
    }
    std::string Path(const std::string& name) const { return "'" + (dir / name).string() + "'"; }
    RunResult Pack(const std::string& out, const std::string& args) {
        return RunCommand(Tool() + " pack " + Path(out) + " " + args);
    }
    std::string Items() {
        return "--picture Zebra=" + Path("a.bmp") + " --picture Alpha=" + Path("b.bmp") +
               " --sound Wind=" + Path("s1.wav") + " --sound Calm=" + Path("s2.wav");
    }

    TempDir dir{"tool"};
};

} // namespace

TEST_F(LibraryTool, PackExtractAndPackAgainGiveTheSameBytes) {
    ASSERT_EQ(Pack("lib.zdl", Items()).Exit, 0);
    const RunResult extracted =
        RunCommand(Tool() + " extract " + Path("lib.zdl") + " " + Path("out"));
    ASSERT_EQ(extracted.Exit, 0) << extracted.Output;
    EXPECT_EQ(ReadFile(dir / "out/Zebra.bmp"), ReadFile(dir / "a.bmp"));
    EXPECT_EQ(ReadFile(dir / "out/Alpha.bmp"), ReadFile(dir / "b.bmp"));
    EXPECT_EQ(ReadFile(dir / "out/Wind.wav"), ReadFile(dir / "s1.wav"));
    EXPECT_EQ(ReadFile(dir / "out/Calm.wav"), ReadFile(dir / "s2.wav"));
    const std::string pictures = "Zebra\r\nAlpha\r\n";
    EXPECT_EQ(ReadFile(dir / "out/Picturez.txt"), Bytes(pictures.begin(), pictures.end()));
    const std::string sounds = "Wind\r\nCalm\r\n";
    EXPECT_EQ(ReadFile(dir / "out/Soundz.txt"), Bytes(sounds.begin(), sounds.end()));

    ASSERT_EQ(Pack("again.zdl", "--picture Zebra=" + Path("out/Zebra.bmp") +
                                    " --picture Alpha=" + Path("out/Alpha.bmp") + " --sound Wind=" +
                                    Path("out/Wind.wav") + " --sound Calm=" + Path("out/Calm.wav"))
                  .Exit,
              0);
    EXPECT_EQ(ReadFile(dir / "again.zdl"), ReadFile(dir / "lib.zdl"));
}

TEST_F(LibraryTool, ListShowsTheListsInOrderAndEveryPictureAndSound) {
    ASSERT_EQ(Pack("lib.zdl", Items()).Exit, 0);
    const RunResult list = RunCommand(Tool() + " list " + Path("lib.zdl"));
    ASSERT_EQ(list.Exit, 0) << list.Output;
    EXPECT_NE(list.Output.find("Picturez (2):\n  Zebra\n  Alpha\n"), std::string::npos)
        << list.Output;
    EXPECT_NE(list.Output.find("Soundz (2):\n  Wind\n  Calm\n"), std::string::npos);
    EXPECT_NE(list.Output.find("Zebra: 640 x 480, 8 bits"), std::string::npos);
    EXPECT_NE(list.Output.find("Alpha: 7 x 5, 8 bits"), std::string::npos);
    EXPECT_NE(list.Output.find("Calm: format 1, 11025 Hz, 16 bits, 1 channel, 1.00 s"),
              std::string::npos);
}

TEST_F(LibraryTool, ImageToolBitmapsRoundTrip) {
    const RunResult made = RunCommand(
        "convert -size 32x16 gradient:red-blue -type Palette -depth 8 BMP3:" + Path("im.bmp"));
    ASSERT_EQ(made.Exit, 0) << made.Output << " (ImageMagick is installed by scripts/setup.sh)";
    ASSERT_EQ(Pack("im.zdl", "--picture Im=" + Path("im.bmp")).Exit, 0);
    ASSERT_EQ(RunCommand(Tool() + " extract " + Path("im.zdl") + " " + Path("x")).Exit, 0);
    const RunResult same =
        RunCommand("compare -metric AE " + Path("im.bmp") + " " + Path("x/Im.bmp") + " null:");
    EXPECT_EQ(same.Output, "0") << "the extracted picture differs";
}

TEST_F(LibraryTool, BadArgumentsGiveUsageAndExitCode2) {
    for (const std::string& args :
         {std::string(""), std::string("frobnicate"), std::string("list"),
          std::string("extract onlyone"), std::string("pack"),
          "pack " + Path("o.zdl") + " --picture", "pack " + Path("o.zdl") + " --picture NoFile",
          "pack " + Path("o.zdl") + " --picture =" + Path("a.bmp"),
          "pack " + Path("o.zdl") + " --colour X=" + Path("a.bmp")}) {
        const RunResult r = RunCommand(Tool() + " " + args);
        EXPECT_EQ(r.Exit, 2) << args << "\n" << r.Output;
        EXPECT_NE(r.Output.find("usage: velmora-lib"), std::string::npos) << args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "o.zdl"));
}

TEST_F(LibraryTool, BadFilesAreNamedAndNothingIsWritten) {
    WriteFile(dir / "text.bmp", Bytes{'h', 'i'});
    Bytes rle8in4 = BitmapFile(4, 2, 1);
    rle8in4[28] = 4; // 4 bits per pixel, compression RLE8
    rle8in4[30] = 1;
    WriteFile(dir / "rle8in4.bmp", rle8in4);
    const struct {
        std::string Args;
        std::string Says;
    } cases[] = {
        {"--picture A=" + Path("missing.bmp"), "cannot read"},
        {"--picture A=" + Path("text.bmp"), "text.bmp is no usable bitmap file"},
        {"--sound A=" + Path("a.bmp"), "a.bmp is no usable wave file"},
        {"--picture A=" + Path("a.bmp") + " --picture a=" + Path("b.bmp"), "\"a\""},
        {"--picture '#7'=" + Path("a.bmp"), "resource number"},
        {"--picture A=" + Path("rle8in4.bmp"),
         "rle8in4.bmp is no usable bitmap file: DIB is invalid"},
        {"--picture \"$(printf 'Caf\\351')\"=" + Path("a.bmp"), "is not valid UTF-8"},
    };
    for (const auto& c : cases) {
        const RunResult r = Pack("o.zdl", c.Args);
        EXPECT_EQ(r.Exit, 1) << c.Args << "\n" << r.Output;
        EXPECT_NE(r.Output.find(c.Says), std::string::npos) << r.Output;
        EXPECT_FALSE(std::filesystem::exists(dir / "o.zdl")) << c.Args;
    }
    for (const std::string& command : {"list " + Path("a.bmp"), "list " + Path("none.zdl"),
                                       "extract " + Path("text.bmp") + " " + Path("x")}) {
        const RunResult r = RunCommand(Tool() + " " + command);
        EXPECT_EQ(r.Exit, 1) << command << "\n" << r.Output;
        EXPECT_NE(r.Output.find("velmora-lib: "), std::string::npos) << r.Output;
    }
}

TEST_F(LibraryTool, ADirectoryTooLargeToListIsAnError) {
    // Entries that all point at one 2048-character name: listing them whole would hold far
    // more names than the file has bytes.
    WriteFile(dir / "shared.zdl",
              handmade::Module(handmade::SharedNameTree(4000, std::u16string(2048, u'X'), u"P")));
    const RunResult r = RunCommand(Tool() + " list " + Path("shared.zdl"));
    EXPECT_EQ(r.Exit, 1) << r.Output;
    EXPECT_NE(r.Output.find("shared.zdl: its resource directory is too large to list"),
              std::string::npos)
        << r.Output;
}
