// SPDX-License-Identifier: GPL-3.0-or-later
// A session's cues in rendered files, over a silent sound so that only the cues are heard: the
// bell from its point's frame, the text spoken at its point and nowhere else, in English where
// the user's language has no voice, and a session rendered whole when nothing can be spoken.
#include "common/SweepAndPulse.h"
#include "library/LibraryFormat.h"
#include "library/LibraryTestFiles.h"
#include "sound/Wave.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>

namespace {

using sweeppulse::kRate;
using sweeppulse::Stereo;

constexpr const char* kSession = "0:00 10.0\n"
                                 "0:01 10.0 cue=bell\n"
                                 "0:04 10.0 say=\"Breathe in, slowly.\"\n"
                                 "0:07 10.0 say=\"And out.\"\n"
                                 "0:09 10.0\n";

struct Rendered {
    Stereo Sound;
    std::string Output; // the tool's messages
};

Rendered RenderCues(const libtest::TempDir& dir, const std::string& env) {
    libtest::WriteFile(
        dir / "silent.zdl",
        BuildLibraryModule({},
                           {{"Silence", libtest::WaveFile(22050, std::vector<int16_t>(22050))}}));
    const std::string session = kSession;
    libtest::WriteFile(dir / "cues.vsession", libtest::Bytes(session.begin(), session.end()));
    const std::string out = (dir / "cues.wav").string();
    const auto r = libtest::RunCommand(
        env + " " + std::string(VELMORA_BINARY_DIR) + "/velmora-render --library " +
        (dir / "silent.zdl").string() + " --session " + (dir / "cues.vsession").string() +
        " --format f32 -o " + out);
    EXPECT_EQ(r.Exit, 0) << r.Output;
    return {sweeppulse::ReadStereo(out), r.Output};
}

// The first frame at or after from that is not silent; the end when there is none.
size_t FirstSound(const std::vector<float>& x, size_t from, size_t to) {
    for (size_t i = from; i < std::min(to, x.size()); ++i)
        if (x[i] != 0.0f) return i;
    return to;
}

double Energy(const std::vector<float>& x, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < std::min(to, x.size()); ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return sum;
}

// Where the bell is and where the text is spoken, and silence elsewhere.
void ExpectCues(const Stereo& s, bool spoken) {
    ASSERT_EQ(s.Left.size(), 9 * kRate);
    const size_t bell = kRate, say = 4 * kRate;
    // Nothing before the bell's frame; its attack's first sample is silent, the next is heard.
    EXPECT_EQ(FirstSound(s.Left, 0, bell + 100), bell + 1);
    EXPECT_EQ(s.Left, s.Right);
    // A soft bell: its first 10 ms far below its peak a little later.
    EXPECT_LT(Energy(s.Left, bell, bell + 100), Energy(s.Left, bell + 441, bell + 541) / 10);
    // It has died away before the text's point, and nothing else sounds there.
    EXPECT_EQ(FirstSound(s.Left, bell + kRate * 5 / 2, say), say);
    if (!spoken) {
        EXPECT_EQ(Energy(s.Left, say, s.Left.size()), 0.0);
        return;
    }
    // Spoken from its point on, within the pause a voice begins with, for over half a second.
    EXPECT_LT(FirstSound(s.Left, say, say + kRate), say + kRate / 5);
    size_t loudWindows = 0;
    for (size_t at = say; at < say + 3 * kRate; at += kRate / 20)
        loudWindows += Energy(s.Left, at, at + kRate / 20) > 1e-3 * kRate / 20 ? 1 : 0;
    EXPECT_GT(loudWindows, 10u);
}

} // namespace

TEST(RenderedCues, TheBellStartsAtItsFrameAndTheTextIsSpokenAtItsPointInAnyLanguage) {
    // In English, and in a language without a voice, which is spoken in English.
    for (const char* env : {"LANGUAGE=en_GB", "LANGUAGE=xx_YY LC_ALL=C"}) {
        libtest::TempDir dir("cues");
        const Rendered r = RenderCues(dir, env);
        ExpectCues(r.Sound, true);
        EXPECT_EQ(r.Output.find("spoken cues"), std::string::npos) << r.Output;
    }
}

TEST(RenderedCues, WithoutTheSpeechDataTheSessionIsRenderedAndTheLossReportedOnce) {
    libtest::TempDir dir("cues-no-data");
    QTemporaryDir empty; // a data folder without the library's data
    const Rendered r = RenderCues(dir, "ESPEAK_DATA_PATH=" + empty.path().toStdString());
    ExpectCues(r.Sound, false);
    const size_t first = r.Output.find("the session's spoken cues are left out");
    EXPECT_NE(first, std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("spoken cues", first + 20), std::string::npos) << "only once";
}
