// SPDX-License-Identifier: GPL-3.0-or-later
// What every schedule reader shares: the reader chosen by the content, the volume steps the
// sound engine plays, and the session text the points make.
#include "exchange/Import.h"
#include "session/SessionFile.h"
#include "sound/ModulationStep.h"

#include <gtest/gtest.h>

namespace {

TEST(ScheduleFormat, TheContentChoosesTheReaderAndTheNameOnlyWhereItCannot) {
    using F = TScheduleFormat;
    // Content wins over a misleading or missing extension.
    EXPECT_EQ(DetectScheduleFormat("a: 200+10/20\nNOW a\n", "night.txt"), F::Sbg);
    EXPECT_EQ(DetectScheduleFormat("-SE\n# x\nalpha: pink/20 200+8/10\n0:00 alpha\n", "x.spsq"),
              F::Sbg);
    EXPECT_EQ(DetectScheduleFormat("@volume 80\nalpha\n  tone 250 binaural 8 amplitude 15\n"
                                   "00:00:00 silence\n00:00:15 alpha\n",
                                   "x.sbg"),
              F::Spsq);
    EXPECT_EQ(
        DetectScheduleFormat("\xEF\xBB\xBF<!-- made by hand -->\n<schedule><title>t</title>", "s"),
        F::Gnaural);
    EXPECT_EQ(DetectScheduleFormat("  {\"options\": {}, \"sequence\": []}", "s"),
              F::SpsqStructured);
    EXPECT_EQ(DetectScheduleFormat("<?xml version=\"1.0\"?><SynapSeqInput>", "s"),
              F::SpsqStructured);
    // Nothing to tell by: the extension decides, and without one nothing is guessed.
    EXPECT_EQ(DetectScheduleFormat("# only a comment\n", "c.sbg"), F::Sbg);
    EXPECT_EQ(DetectScheduleFormat("# only a comment\n", "c.spsq"), F::Spsq);
    EXPECT_EQ(DetectScheduleFormat("# only a comment\n", "c"), F::Unknown);
    EXPECT_EQ(DetectScheduleFormat("<html>", "c.sbg"), F::Unknown);
}

TEST(ScheduleFormat, SchedulesOfFormatsNotReadAreRefusedByName) {
    auto message = [](const std::string& text, const std::string& name) {
        try {
            ImportSchedule(text, name);
        } catch (const EImportError& e) {
            return e.Message();
        }
        return std::string("imported");
    };
    EXPECT_EQ(message("<!-- by hand -->\n<schedule><voice><entry duration=\"60\" beatfreq=\"4\"/>"
                      "</voice></schedule>",
                      "notes"),
              "imported");
    EXPECT_EQ(message("<schedule></schedule>", "s.gnaural"),
              "s.gnaural, line 1: <schedule> has no binaural or isochronic voice to follow");
    EXPECT_EQ(message("just words\n", "notes"),
              "notes is not a schedule this version reads (.sbg, .spsq, a SynapSeq JSON "
              "sequence, or .gnaural)");
    EXPECT_EQ(message("a: 200+10/20\nNOW a\n", "notes"), "imported");
    EXPECT_EQ(
        message("a\n  tone 200 binaural 4 amplitude 50\n00:00:00 a\n00:01:00 silence\n", "notes"),
        "imported");
    EXPECT_EQ(message("<SynapSeqInput/>", "s.xml"),
              "s.xml is a SynapSeq schedule in XML, which this version does not read: its JSON "
              "form is read");
}

TEST(ImportVolume, TheStepsAreTheSoundEnginesAndTheNearestIsChosen) {
    for (int k = 0; k <= 10; ++k)
        EXPECT_EQ(kImportVolumeCentibels[k], kVolumeSteps[k]) << k;
    EXPECT_EQ(VolumeStepFor(0), 0);
    EXPECT_EQ(VolumeStepFor(-5), 0);
    EXPECT_EQ(VolumeStepFor(100), 10);
    EXPECT_EQ(VolumeStepFor(250), 10);
    EXPECT_EQ(VolumeStepFor(50), 7);   // -6.0 dB: -5 is nearer than -9
    EXPECT_EQ(VolumeStepFor(0.01), 1); // far below the quietest step: still heard
    EXPECT_EQ(FormatHertz(7000, true), "7.0");
    EXPECT_EQ(FormatHertz(7050, true), "7.05");
    EXPECT_EQ(FormatHertz(200000, false), "200");
}

} // namespace
