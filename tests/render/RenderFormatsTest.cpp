// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer's formats and the description every file keeps: each format opens with
// libsndfile at its length, FLAC holds the WAV's samples, and the session taken back out of a
// file renders that file again byte for byte. The description's readers refuse what they do
// not understand.
#include "library/LibraryTestFiles.h"
#include "render/RenderMetadata.h"
#include "session/SessionFile.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sstream>

namespace {

using libtest::RunCommand;

std::string Renderer() {
    return std::string(VELMORA_BINARY_DIR) + "/velmora-render";
}

std::string Common(const char* sound = "Surf") {
    return Renderer() + " --library " + std::string(VELMORA_BINARY_DIR) + "/main.zdl --sound " +
           sound;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Decoded {
    SF_INFO Info{};
    std::vector<short> Samples;
};

Decoded Decode(const std::filesystem::path& path) {
    Decoded d;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &d.Info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (file == nullptr) return d;
    d.Samples.resize(static_cast<size_t>(d.Info.frames * d.Info.channels));
    EXPECT_EQ(sf_readf_short(file, d.Samples.data(), d.Info.frames), d.Info.frames);
    sf_close(file);
    return d;
}

TEST(RenderFormats, EveryFormatOpensAtItsLengthAndFlacHoldsTheWavSamples) {
    libtest::TempDir dir("render-formats");
    WriteText(dir / "s.vsession", "0:00 12.0 am=2 fm=3\n0:02 8.0 volume=6\n");
    const std::string args = Common() + " --session " + (dir / "s.vsession").string();
    struct Case {
        const char* File;
        const char* Format; // by the extension when empty
        int Major;
        int Rate;
        bool Lossy;
    };
    const Case cases[] = {
        {"a.wav", "", SF_FORMAT_WAV, 44100, false},
        {"a.flac", "", SF_FORMAT_FLAC, 44100, false},
        {"a.ogg", "", SF_FORMAT_OGG, 44100, true},
        {"a.opus", "", SF_FORMAT_OGG, 48000, true},
        {"a.mp3", "", SF_FORMAT_MPEG, 44100, true},
        {"flac.sound", "flac", SF_FORMAT_FLAC, 44100, false},
    };
    for (const Case& c : cases) {
        const std::string format = *c.Format ? std::string(" --format ") + c.Format : "";
        const auto r = RunCommand(args + format + " -o " + (dir / c.File).string());
        ASSERT_EQ(r.Exit, 0) << c.File << r.Output;
        EXPECT_EQ(r.Output.find("is lossy") != std::string::npos, c.Lossy) << r.Output;
        const Decoded d = Decode(dir / c.File);
        EXPECT_EQ(d.Info.format & SF_FORMAT_TYPEMASK, c.Major) << c.File;
        EXPECT_EQ(d.Info.samplerate, c.Rate) << c.File;
        EXPECT_EQ(d.Info.channels, 2) << c.File;
        // MP3's decoder counts the encoder's padding; the rest are exact.
        if (c.Major == SF_FORMAT_MPEG)
            EXPECT_NEAR(static_cast<double>(d.Info.frames), 2 * c.Rate, 2 * 1152) << c.File;
        else
            EXPECT_EQ(d.Info.frames, 2 * c.Rate) << c.File;
        EXPECT_FALSE(std::filesystem::exists(dir / (std::string(c.File) + ".part")));
    }
    const Decoded wav = Decode(dir / "a.wav");
    // The lossy ones keep the sound's strength, Opus through its resampling to 48 kHz too.
    const auto rms = [](const Decoded& d) {
        double sum = 0;
        for (short v : d.Samples)
            sum += static_cast<double>(v) * v;
        return std::sqrt(sum / static_cast<double>(std::max<size_t>(1, d.Samples.size())));
    };
    for (const char* lossy : {"a.ogg", "a.opus", "a.mp3"})
        EXPECT_NEAR(rms(Decode(dir / lossy)) / rms(wav), 1.0, 0.1) << lossy;
    EXPECT_EQ(Decode(dir / "a.flac").Samples, wav.Samples);
    EXPECT_EQ(Decode(dir / "flac.sound").Samples, wav.Samples);
    const auto loud = std::count_if(wav.Samples.begin(), wav.Samples.end(),
                                    [](short s) { return std::abs(s) > 1000; });
    EXPECT_GT(loud, 1000);
}

TEST(RenderFormats, TheExtractedSessionRendersTheSameFile) {
    libtest::TempDir dir("render-extract");
    const std::string original = "# wind-down\r\n0:00 14.0 volume=7\r\n0:02 9.5 half=on\r\n"
                                 "0:03 6.0\r\n";
    WriteText(dir / "s.vsession", original);
    const std::string knobs = " --am 3 --fm 2 --volume 4 --tone binaural --carrier 300 "
                              "--tone-level -12";
    struct Case {
        std::string Args, Rendered, RenderAgain;
    };
    const Case cases[] = {
        {" --session " + (dir / "s.vsession").string() + knobs, "a.wav", " --tone-level -12"},
        {" --session " + (dir / "s.vsession").string() + knobs, "a.flac", " --tone-level -12"},
        {" --frequency 9.25 --duration 0:02 --half on", "f.wav", ""},
        {" --session " + (dir / "s.vsession").string() + knobs, "a.mp3", " --tone-level -12"},
    };
    for (const Case& c : cases) {
        const std::filesystem::path file = dir / c.Rendered, session = dir / "x.vsession";
        ASSERT_EQ(RunCommand(Common() + c.Args + " -o " + file.string()).Exit, 0);
        const auto extracted =
            RunCommand(Renderer() + " --extract " + file.string() + " -o " + session.string());
        ASSERT_EQ(extracted.Exit, 0) << extracted.Output;
        EXPECT_NE(extracted.Output.find("--sound Surf --tone-level"), std::string::npos)
            << extracted.Output;
        const std::string text = ReadText(session);
        if (c.Rendered[0] == 'a') {
            // The knobs the render was given go into the first point, which keeps its own.
            EXPECT_EQ(text, "# wind-down\r\n0:00 14.0 volume=7 am=3 fm=2 half=off tone=binaural "
                            "carrier=300\r\n0:02 9.5 half=on\r\n0:03 6.0\r\n");
        }
        if (c.Rendered == "a.mp3") continue; // lossy: the session is what comes back
        const std::filesystem::path again = dir / ("again" + file.extension().string());
        ASSERT_EQ(RunCommand(Common() + " --session " + session.string() + c.RenderAgain + " -o " +
                             again.string())
                      .Exit,
                  0);
        EXPECT_EQ(libtest::ReadFile(again), libtest::ReadFile(file)) << c.Rendered;
    }
    // Standard output gets WAV and the same description; other formats want a file.
    const auto piped =
        RunCommand(Common() + " --duration 0:01 -o - | cat > " + (dir / "p.wav").string());
    ASSERT_EQ(piped.Exit, 0) << piped.Output;
    EXPECT_EQ(ReadDescription((dir / "p.wav").string()).SessionText.substr(0, 10), "0:00 7.000");
    const auto flac =
        RunCommand("{ " + Common() + " --duration 0:01 --format flac -o - > /dev/null; }");
    EXPECT_EQ(flac.Exit, 2);
    EXPECT_NE(flac.Output.find("-o - writes WAV only"), std::string::npos) << flac.Output;
}

TEST(RenderFormats, ASettingOfTheFirstPointStandsFromTheFirstFrame) {
    libtest::TempDir dir("render-first");
    WriteText(dir / "q.vsession", "0:00 7.0 volume=0\n0:01 7.0\n");
    ASSERT_EQ(RunCommand(Common() + " --session " + (dir / "q.vsession").string() + " -o " +
                         (dir / "q.wav").string())
                  .Exit,
              0);
    const Decoded d = Decode(dir / "q.wav");
    ASSERT_EQ(d.Info.frames, 44100);
    const auto heard = std::find_if(d.Samples.begin(), d.Samples.end(), [](short s) { return s; });
    EXPECT_EQ(heard, d.Samples.end()) << "sound at frame " << (heard - d.Samples.begin()) / 2;
}

TEST(RenderDescription, ReadersRefuseWhatTheyDoNotUnderstand) {
    TRenderDescription d;
    d.Version = "2.4";
    d.Library = "main.zdl";
    d.ToneLevel = -9;
    d.SessionText = "0:00 7.0\n0:01 7.0\n";
    const std::string good = DescriptionText(d);
    const TRenderDescription back = ParseDescription(good);
    EXPECT_EQ(back.Library, "main.zdl");
    EXPECT_EQ(back.Sound, "");
    EXPECT_EQ(back.ToneLevel, -9);
    EXPECT_EQ(back.SessionText, d.SessionText);
    const std::string lines = "velmora-render render\nversion 2.4\nlibrary x\n";
    for (const std::string& bad :
         {std::string("velmora render\n"), lines + "tone-level -6\n", lines + "session\n0:00 7\n",
          lines + "tone-level -61\nsession\n0:00 7.0\n0:01 7.0\n",
          lines + "tone-level x\nsession\n", lines + "library y\ntone-level 0\nsession\n",
          lines + "tone-level 0\nsound a\tb\nsession\n0:00 7.0\n0:01 7.0\n",
          std::string(kDescriptionMaxBytes + 1, 'a')})
        EXPECT_THROW(ParseDescription(bad), Exception) << bad.substr(0, 80);

    // A chunk is found past others, and one running past the end or too large is refused.
    const auto riff = [](const std::string& chunks) {
        return std::string("RIFF\0\0\0\0WAVE", 12) + chunks;
    };
    const auto find = [](const std::string& bytes, size_t max = 64) {
        std::istringstream in(bytes);
        return FindWavChunk(in, bytes.size(), "vlms", max);
    };
    const std::string fmt("fmt \x03\0\0\0abc\0", 12); // odd size, padded
    EXPECT_EQ(find(riff(fmt + std::string("vlms\x02\0\0\0hi", 10))), "hi");
    EXPECT_EQ(find(riff(fmt)), "");
    EXPECT_THROW(find(riff(std::string("vlms\x09\0\0\0hi", 10))), Exception);
    EXPECT_THROW(find(riff(std::string("vlms\x02\0\0\0hi", 10)), 1), Exception);
    EXPECT_THROW(find("RIFX" + riff("").substr(4)), Exception);
    EXPECT_THROW(find("RIFF"), Exception);
}

TEST(RenderDescription, StartingSettingsAreWrittenOnceIntoTheFirstPoint) {
    TRenderJob job;
    job.AM = 2;
    job.Half = true;
    const std::string text = "\xEF\xBB\xBF# t\n\n0:00 7.0 fm=1 carrier=60\n0:05 8.0\n";
    const std::string with = WithStartingSettings(text, ParseSession(text, "t"), job);
    EXPECT_EQ(with, "\xEF\xBB\xBF# t\n\n0:00 7.0 fm=1 carrier=60 am=2 volume=10 half=on "
                    "tone=off\n0:05 8.0\n");
    EXPECT_EQ(WithStartingSettings(with, ParseSession(with, "t"), TRenderJob{}), with);
    TRenderJob folded;
    folded.Session = ParseSession(with, "t");
    TakeFirstPointSettings(folded);
    EXPECT_EQ(folded.FM, 1);
    EXPECT_EQ(folded.Carrier, 60);
    EXPECT_TRUE(folded.Half);
    EXPECT_EQ(SteadySessionText(9250, 62000), "0:00 9.250\n1:02 9.250\n");
}

} // namespace

namespace {

TEST(RenderFormats, ALongSessionInAnyLanguageComesBackWhole) {
    libtest::TempDir dir("render-long");
    std::string session = "# Abendruhe – tief, ёж\n";
    for (int s = 0; s < 10000; ++s)
        session += FormatSessionTime(s * 1000) + " " + std::to_string(7 + s % 20) + ".5\n";
    TRenderDescription d;
    d.Version = "2.4";
    d.Library = "Bibliothek ä.zdl";
    d.Sound = "Brandung";
    d.SessionText = session;
    const std::string text = DescriptionText(d);
    const std::vector<float> frames(2 * 4410, 0.25f);
    for (TSoundFormat format : {TSoundFormat::Pcm16, TSoundFormat::Float32, TSoundFormat::Flac,
                                TSoundFormat::Vorbis, TSoundFormat::Opus, TSoundFormat::Mp3}) {
        const std::string path = (dir / "long").string();
        if (format == TSoundFormat::Opus) {
            // libsndfile reads Opus tags only up to about 50 KiB: refused, not lost unread.
            EXPECT_THROW(TSoundWriter(path, format, 44100, 0, text), Exception);
            continue;
        }
        {
            TSoundWriter writer(path, format, 44100, 0, text);
            writer.Write(frames.data(), 4410);
            writer.Finish();
        }
        SCOPED_TRACE(SoundFormatName(format));
        TRenderDescription back;
        ASSERT_NO_THROW(back = ReadDescription(path));
        EXPECT_EQ(back.SessionText, session) << SoundFormatName(format);
        EXPECT_EQ(back.Library, d.Library) << SoundFormatName(format);
        EXPECT_EQ(back.Sound, d.Sound) << SoundFormatName(format);
    }
}

} // namespace
