// The renderer's parts on their own: the WAV writer and the timeline that feeds it.
#include "render/WavWriter.h"
#include "framework/Exception.h"
#include "library/LibraryTestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(WavWriter, AFinishedFileTakesNoMoreAndStaysAsItWas) {
    libtest::TempDir dir("wav-writer");
    const std::string path = (dir / "o.wav").string();
    TWavWriter wav(path, TWavFormat::Pcm16, 44100);
    const float frames[4] = {0.5f, -0.5f, 0.25f, -0.25f};
    wav.Write(frames, 2);
    wav.Finish();
    const libtest::Bytes finished = libtest::ReadFile(path);
    EXPECT_EQ(finished.size(), 44u + 2 * 4);
    EXPECT_THROW(wav.Finish(), Exception);
    EXPECT_THROW(wav.Write(frames, 2), Exception);
    EXPECT_EQ(libtest::ReadFile(path), finished);
}

} // namespace
