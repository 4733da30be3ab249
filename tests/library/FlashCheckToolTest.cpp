// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-lib flashcheck on a library whose one picture blinks white and black from one
// palette index to the next: its verdicts, figures, exit statuses and refusals.

#include "LibraryTestFiles.h"
#include "framework/ResourceStream.h"
#include "library/LibraryFormat.h"
#include "library/NameLists.h"
#include "picture/DIB.h"
#include "platform/ResourceModule.h"
#include "safety/FlashAdvice.h"

#include <gtest/gtest.h>

using namespace libtest;

TEST(LibraryToolFlashCheck, GradesTheBlinkingPictureAndRefusesBadArguments) {
    TempDir dir{"flashcheck"};
    Bytes bitmap = BitmapFile(64, 48, 0);
    for (size_t i = 0; i < 256; ++i) {
        const uint8_t v = i % 2 ? 0 : 255;
        for (size_t c = 0; c < 3; ++c)
            bitmap[54 + 4 * i + c] = v;
    }
    WriteFile(dir / "blink.bmp", bitmap);
    WriteFile(dir / "s.wav", WaveFile(22050, {1, 2, 3}));
    const std::string lib = "'" + (dir / "lib.zdl").string() + "'";
    ASSERT_EQ(RunCommand(Tool() + " pack " + lib + " --picture Blink='" +
                         (dir / "blink.bmp").string() + "' --sound S='" + (dir / "s.wav").string() +
                         "'")
                  .Exit,
              0);
    const std::string check = Tool() + " flashcheck " + lib + " --picture Blink --depth 1 ";

    // In the default window on a 1920 x 1080 screen the picture is 7 % of the screen, but
    // more than a quarter of a 10-degree field.
    const RunResult fast = RunCommand(check + "--frequency 10 --json");
    EXPECT_EQ(fast.Exit, 3) << fast.Output;
    EXPECT_NE(fast.Output.find("\"verdict\": \"over\""), std::string::npos) << fast.Output;
    EXPECT_NE(fast.Output.find("\"general_flashes_per_second\": 10,"), std::string::npos);
    EXPECT_NE(fast.Output.find("\"red_flashes_per_second\": 0,"), std::string::npos);
    EXPECT_NE(fast.Output.find("\"screen_area_fraction\": 0.06833,"), std::string::npos);
    EXPECT_NE(fast.Output.find("\"extended\": true"), std::string::npos);
    EXPECT_NE(fast.Output.find("\"refresh_hz\": 60"), std::string::npos);

    // The frequency graded is the one given, to its three decimals: on a 120 Hz display every
    // step of 30 Hz shows.
    const RunResult exact = RunCommand(check + "--frequency 30 --refresh 120 --json");
    EXPECT_NE(exact.Output.find("\"general_flashes_per_second\": 30,"), std::string::npos)
        << exact.Output;
    EXPECT_NE(exact.Output.find("\"steps_per_second\": 60"), std::string::npos);
    EXPECT_NE(exact.Output.find("\"shown_frequency\": 30,"), std::string::npos);
    EXPECT_NE(exact.Output.find("\"shown_evenly\": true"), std::string::npos);

    // The light as the display's frames show it: 35 Hz flashes at 25 Hz on 60 Hz, at 15 Hz on
    // 50 Hz, and at 35 Hz where every step shows.
    const std::pair<const char*, const char*> folds[] = {{"60", "\"shown_frequency\": 25,"},
                                                         {"50", "\"shown_frequency\": 15,"},
                                                         {"140", "\"shown_frequency\": 35,"}};
    for (const auto& [refresh, shown] : folds) {
        const RunResult r =
            RunCommand(check + "--frequency 35 --json --refresh " + std::string(refresh));
        EXPECT_NE(r.Output.find(shown), std::string::npos) << refresh << ": " << r.Output;
    }
    const RunResult folded = RunCommand(check + "--frequency 35");
    EXPECT_NE(folded.Output.find("On a 60 Hz display the light flashes at 25.0 Hz, not at 35.0 "
                                 "Hz; the nearest frequency it shows evenly is 30.0 Hz."),
              std::string::npos)
        << folded.Output;
    const RunResult uneven = RunCommand(check + "--frequency 20 --json");
    EXPECT_NE(uneven.Output.find("\"shown_frequency\": 20, \"shown_evenly\": false, "
                                 "\"nearest_even_frequency\": 15"),
              std::string::npos)
        << uneven.Output;
    EXPECT_NE(RunCommand(check + "--frequency 17.25").Output.find("Blink at 17.25 Hz"),
              std::string::npos);

    const RunResult slow = RunCommand(check + "--frequency 1");
    EXPECT_EQ(slow.Exit, 0) << slow.Output;
    EXPECT_NE(slow.Output.find("Blink at 1.0 Hz, depth 1"), std::string::npos) << slow.Output;
    EXPECT_NE(slow.Output.find("below the limits"), std::string::npos);
    // The same run in a small window on a large screen, and with reduced flashing.
    EXPECT_EQ(RunCommand(check + "--frequency 10 --window 60x40 --screen 3840x2160").Exit, 0);
    EXPECT_EQ(RunCommand(check + "--frequency 25 --reduced").Exit, 0);

    for (const char* bad :
         {"--frequency 0", "--frequency 10 --depth 0", "--frequency 10 --window 5",
          "--frequency 10 --refresh x", "--frequency 10 --picture Nothing"}) {
        const RunResult r = RunCommand(check + bad);
        EXPECT_EQ(r.Exit, 2) << bad << "\n" << r.Output;
    }
    EXPECT_EQ(RunCommand(Tool() + " flashcheck " + lib +
                         " --picture Nothing --frequency 10 "
                         "--depth 1")
                  .Exit,
              2);
}

TEST(LibraryToolFlashCheck, ReducedFlashingKeepsEveryDefaultPictureBelowTheLimits) {
    const TModuleHandle module = LoadResourceModule(std::string(VELMORA_BINARY_DIR) + "/main.zdl");
    ASSERT_NE(module, kNoModule);
    const auto list = FindResourceData(module, kPictureList, kListType);
    ASSERT_TRUE(list);
    const std::vector<std::string> pictures = SplitNameList(list->Data, list->Size);
    ASSERT_GE(pictures.size(), 6u);
    for (const std::string& name : pictures) {
        TDIB dib;
        TResourceStream stream(module, name, TResourceName(RT_BITMAP));
        dib.ReadPackedDib(stream);
        TFlashPicture picture = FlashPictureOf(dib);
        ASSERT_TRUE(picture.Top) << name;
        picture.Colours = ReducedFlashingColours(picture.Colours);
        for (const int tenths : {70, 150, 250}) {
            TFlashSettings s;
            s.TransformLevel = 15;
            s.StepsPerSecond = PictureStepsPerSecond(tenths / 10.0L);
            s.ShownWidth = kFirstShownWidth;
            s.ShownHeight = kFirstShownHeight;
            const TFlashReport r = CheckFlashing(picture, s);
            EXPECT_FALSE(r.Over) << name << " at " << tenths / 10 << " Hz: " << r.Reason;
            EXPECT_EQ(r.GeneralFlashesPerSecond, 0) << name;
            EXPECT_EQ(r.RedFlashesPerSecond, 0) << name;
        }
    }
    FreeResourceModule(module);
}

TEST(LibraryToolFlashCheck, AdviceNamesTheHighestFrequencyTheCheckPasses) {
    const TModuleHandle module = LoadResourceModule(std::string(VELMORA_BINARY_DIR) + "/main.zdl");
    ASSERT_NE(module, kNoModule);
    TDIB dib;
    TResourceStream stream(module, "Tunnel", TResourceName(RT_BITMAP));
    dib.ReadPackedDib(stream);
    FreeResourceModule(module);
    const TFlashPicture picture = FlashPictureOf(dib);
    TFlashSettings s;
    s.TransformLevel = 8;
    s.StepsPerSecond = PictureStepsPerSecond(25.0L);
    s.ShownWidth = kFirstShownWidth;
    s.ShownHeight = kFirstShownHeight;
    ASSERT_TRUE(CheckFlashing(picture, s).Over);
    const TFlashAdvice advice = AdviseFlashing(picture, s);
    // Not a fixed short list of slow frequencies: the tenth of a hertz above the advice fails.
    ASSERT_GT(advice.BelowAtHz, 3.0);
    TFlashSettings at = s;
    at.StepsPerSecond = PictureStepsPerSecond(advice.BelowAtHz);
    EXPECT_FALSE(CheckFlashing(picture, at).Over);
    at.StepsPerSecond = PictureStepsPerSecond(advice.BelowAtHz + 0.1);
    EXPECT_TRUE(CheckFlashing(picture, at).Over) << advice.BelowAtHz;
    EXPECT_TRUE(advice.AllSlowerBelow);
}
