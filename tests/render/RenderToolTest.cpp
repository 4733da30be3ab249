// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer as users run it: the same arguments give the same bytes, bad arguments are
// refused, and a 25 Hz session sweeps the balance at 50 Hz in the written file.
#include "library/LibraryFormat.h"
#include "library/LibraryTestFiles.h"
#include "sound/Wave.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using libtest::Bytes;
using libtest::RunCommand;

std::string Renderer() {
    return std::string(VELMORA_BINARY_DIR) + "/velmora-render";
}

std::string DefaultLibrary() {
    return std::string(VELMORA_BINARY_DIR) + "/main.zdl";
}

libtest::RunResult Render(const std::string& args) {
    return RunCommand(Renderer() + " " + args);
}

// The format tag, the frame count and the interleaved stereo samples of a written file.
struct Rendered {
    int Tag = 0;
    std::vector<float> Samples;
};

Rendered ReadRendered(const std::filesystem::path& path) {
    const Bytes bytes = libtest::ReadFile(path);
    TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    TWave wave;
    wave.LoadFromStream(stream);
    Rendered r;
    r.Tag = wave.FormatBlock()[0] | (wave.FormatBlock()[1] << 8);
    const int channels = wave.FormatBlock()[2];
    EXPECT_EQ(channels, 2);
    if (r.Tag == 3) {
        r.Samples.resize(static_cast<size_t>(wave.SampleBytes()) / 4);
        std::memcpy(r.Samples.data(), wave.SampleData(), r.Samples.size() * 4);
    } else {
        r.Samples.resize(static_cast<size_t>(wave.SampleBytes()) / 2);
        for (size_t i = 0; i < r.Samples.size(); ++i) {
            int16_t v;
            std::memcpy(&v, wave.SampleData() + 2 * i, 2);
            r.Samples[i] = v / 32767.0f;
        }
    }
    return r;
}

TEST(RenderTool, SameArgumentsGiveTheSameBytesInEitherFormat) {
    libtest::TempDir dir("render");
    {
        std::ofstream session(dir / "w.vsession", std::ios::trunc);
        session << "# a short wind-down\n0:00 14.0 am=3 fm=2 volume=7\n0:04 9.5 half=on\n"
                   "0:06 6.0 volume=4\n";
    }
    const std::string common = "--library " + DefaultLibrary() + " --sound Surf --session " +
                               (dir / "w.vsession").string();
    for (const char* format : {"s16", "f32"}) {
        const std::string a = (dir / "a.wav").string(), b = (dir / "b.wav").string();
        ASSERT_EQ(Render(common + " --format " + format + " -o " + a).Exit, 0);
        ASSERT_EQ(Render(common + " --format " + format + " -o " + b).Exit, 0);
        const Bytes first = libtest::ReadFile(a);
        EXPECT_EQ(first, libtest::ReadFile(b)) << format;
        const Rendered r = ReadRendered(a);
        EXPECT_EQ(r.Tag, std::string(format) == "f32" ? 3 : 1);
        EXPECT_EQ(r.Samples.size(), 2u * 6 * 44100); // six seconds, to the session's last point
        float loudest = 0;
        for (float s : r.Samples)
            loudest = std::max(loudest, std::fabs(s));
        EXPECT_GT(loudest, 0.05f);
        EXPECT_FALSE(std::filesystem::exists(a + ".part"));
    }
}

TEST(RenderTool, TheVolumeKnobHoldsFromTheFirstFrame) {
    libtest::TempDir dir("render-quiet");
    const std::string out = (dir / "q.wav").string();
    const auto r =
        Render("--library " + DefaultLibrary() + " --volume 0 --duration 0:01 -o " + out);
    ASSERT_EQ(r.Exit, 0) << r.Output;
    const Rendered wav = ReadRendered(out);
    ASSERT_EQ(wav.Samples.size(), 2u * 44100);
    const auto heard =
        std::find_if(wav.Samples.begin(), wav.Samples.end(), [](float s) { return s != 0.0f; });
    EXPECT_EQ(heard, wav.Samples.end())
        << "sound at frame " << (heard - wav.Samples.begin()) / 2 << " with the volume at 0";
}

TEST(RenderTool, FindsTheDefaultLibraryBesideItselfFromAnyFolderAndNamesOneNotFound) {
    libtest::TempDir dir("render-where");
    const auto found =
        RunCommand("cd " + dir.Path().string() + " && " + Renderer() + " --duration 0:01 -o o.wav");
    EXPECT_EQ(found.Exit, 0) << found.Output;
    EXPECT_TRUE(std::filesystem::exists(dir / "o.wav"));
    const auto missing =
        Render("--library nowhere.zdl --duration 0:01 -o " + (dir / "n.wav").string());
    EXPECT_EQ(missing.Exit, 1);
    EXPECT_NE(missing.Output.find("nowhere.zdl not found"), std::string::npos) << missing.Output;
}

TEST(RenderTool, WritesTheSameBytesIntoAPipeAndSaysWhyAWriteFailed) {
    libtest::TempDir dir("render-pipe");
    const std::string args = "--library " + DefaultLibrary() + " --sound Rain --duration 0:02";
    const std::string file = (dir / "f.wav").string(), piped = (dir / "p.wav").string();
    ASSERT_EQ(Render(args + " -o " + file).Exit, 0);
    const auto r = RunCommand(Renderer() + " " + args + " -o - | cat > " + piped);
    ASSERT_EQ(r.Exit, 0) << r.Output;
    EXPECT_EQ(libtest::ReadFile(piped), libtest::ReadFile(file));
    EXPECT_FALSE(std::filesystem::exists(dir / "-"));

    const auto full = RunCommand("{ " + Renderer() + " " + args + " -o - > /dev/full; }");
    EXPECT_EQ(full.Exit, 1);
    EXPECT_NE(full.Output.find("cannot write standard output: No space left on device"),
              std::string::npos)
        << full.Output;
}

TEST(RenderTool, AnInterruptedRenderLeavesNoPartFileBehind) {
    libtest::TempDir dir("render-interrupt");
    const std::string renderer = Renderer(), library = DefaultLibrary();
    const std::string out = (dir / "long.wav").string(), part = out + ".part";
    for (int signal : {SIGINT, SIGTERM}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            execl(renderer.c_str(), "velmora-render", "--library", library.c_str(), "--duration",
                  "30:00", "-o", out.c_str(), nullptr);
            _exit(127);
        }
        // Under way once samples follow the header.
        bool writing = false;
        for (int i = 0; i < 400 && !writing; ++i) {
            std::error_code error;
            const auto size = std::filesystem::file_size(part, error);
            writing = !error && size > 1000;
            if (!writing) usleep(25000);
        }
        EXPECT_TRUE(writing);
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(std::filesystem::exists(part)) << strsignal(signal);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(RenderTool, RefusesBadArgumentsWithAMessageAndNoFile) {
    libtest::TempDir dir("render-bad");
    const std::string out = (dir / "o.wav").string();
    const std::string lib = " --library " + DefaultLibrary();
    struct Case {
        std::string args;
        int exit;
        std::string message;
    };
    {
        std::ofstream broken(dir / "b.vsession");
        broken << "0:00 10.0\n0:30 50.0\n";
    }
    const Case cases[] = {
        {"--duration 0:10", 2, "no output file (-o) given"},
        {"--duration 0:10 --speed 3 -o " + out, 2, "Unknown option 'speed'"},
        {"--duration 0:10 -o " + out + " stray", 2, "unexpected argument \"stray\""},
        {"--duration 0:10 --am 6 -o " + out, 2, "--am takes a whole number from 0 to 5"},
        {"--duration 0:10 --format aiff -o " + out, 2,
         "--format takes wav, s16, f32, flac, ogg, opus or mp3"},
        {"--duration 0:10 --tone beat -o " + out, 2, "--tone takes off, binaural or isochronic"},
        {"--duration 0:10 --carrier 1001 -o " + out, 2, "--carrier takes a whole number"},
        {"--duration 0:10 --tone-level 3 -o " + out, 2, "--tone-level takes a whole number"},
        {"--duration 0:10 --tone-level -61 -o " + out, 2, "--tone-level takes a whole number"},
        {"--duration 10 -o " + out, 2, "--duration takes a length of m:ss or h:mm:ss"},
        {"--frequency 40 --duration 0:10 -o " + out, 2, "--frequency takes 0.1 to 35.0"},
        {"-o " + out, 2, "give either --session or --duration"},
        {"--volume 3 --volume 4 --duration 0:10 -o " + out, 2, "--volume is given twice"},
        {"--session " + (dir / "b.vsession").string() + " --duration 0:10 -o " + out, 2,
         "leave out --frequency and --duration"},
        {"--session " + (dir / "b.vsession").string() + " -o " + out, 2,
         "b.vsession, line 2: frequency 50.0 is outside 0.1..35.0"},
        {"--session " + (dir / "none.vsession").string() + " -o " + out, 2, "none.vsession"},
        // A FIFO would wait for a writer that never comes.
        {"--session " + (dir / "fifo.vsession").string() + " -o " + out, 2,
         "fifo.vsession is not a regular file"},
        {"--sound Nothing --duration 0:01 -o " + out, 1, "has no sound \"Nothing\" (it has: "},
        {"--duration 0:01 -o " + (dir / "missing" / "o.wav").string(), 1,
         "o.wav: the folder " + (dir / "missing").string() + " does not exist"},
        {"--duration 0:01 -o " + dir.Path().string(), 1,
         "cannot write " + dir.Path().string() + ": it is a folder"},
    };
    ASSERT_EQ(mkfifo((dir / "fifo.vsession").c_str(), 0600), 0);
    for (const Case& c : cases) {
        const auto r = RunCommand("timeout 10 " + Renderer() + " " + c.args + lib);
        EXPECT_EQ(r.Exit, c.exit) << c.args;
        EXPECT_NE(r.Output.find(c.message), std::string::npos) << c.args << "\n" << r.Output;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args;
    }
    const auto help = Render("--help");
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Output.find("--session <FILE>"), std::string::npos) << help.Output;
    EXPECT_NE(help.Output.find("--flash-report"), std::string::npos);
    EXPECT_EQ(Render("-h").Output, help.Output);
    const auto version = Render("--version");
    EXPECT_EQ(version.Exit, 0);
    EXPECT_EQ(version.Output.rfind("velmora-render ", 0), 0u) << version.Output;
    // Options also take their value after an equals sign.
    const auto equals = Render("--duration=0:01 --volume=3 --output=" + out + lib);
    EXPECT_EQ(equals.Exit, 0) << equals.Output;
    EXPECT_TRUE(std::filesystem::exists(out));
}

// A mono tone: the left and right channels then differ only by the balance, so their ratio
// shows the balance frame by frame.
Bytes ToneLibrary() {
    std::vector<int16_t> tone(22050);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(20000 * std::sin(2 * std::numbers::pi * 441 * i / 22050.0));
    return BuildLibraryModule({}, {{"Tone", libtest::WaveFile(22050, tone)}});
}

// Balance cycles per second between two moments of a rendered file: each cycle turns to the
// right once (a positive pan lowers the left channel), noted where left / right first drops
// clearly below 1 after being above it.
double TurnRate(const Rendered& wav, double fromSeconds, double toSeconds) {
    std::vector<size_t> turns;
    bool left = true;
    const auto last = std::min(wav.Samples.size() / 2, size_t(toSeconds * 44100));
    for (size_t f = size_t(fromSeconds * 44100); f < last; ++f) {
        const float l = wav.Samples[2 * f], rt = wav.Samples[2 * f + 1];
        if (std::fabs(rt) < 0.05f) continue;
        const float ratio = l / rt;
        if (left && ratio < 0.9f) {
            turns.push_back(f);
            left = false;
        } else if (!left && ratio > 1.1f) {
            left = true;
        }
    }
    if (turns.size() < 10) return 0;
    const double seconds = static_cast<double>(turns.back() - turns.front()) / 44100.0;
    return static_cast<double>(turns.size() - 1) / seconds;
}

Rendered RenderSession(const libtest::TempDir& dir, const std::string& text) {
    libtest::WriteFile(dir / "tone.zdl", ToneLibrary());
    std::ofstream(dir / "s.vsession") << text;
    const std::string out = (dir / "s.wav").string();
    const auto r = Render("--library " + (dir / "tone.zdl").string() + " --session " +
                          (dir / "s.vsession").string() + " --format f32 -o " + out);
    EXPECT_EQ(r.Exit, 0) << r.Output;
    return ReadRendered(out);
}

TEST(RenderedSweep, BalanceSwingsAtTwiceA25HzMainFrequency) {
    libtest::TempDir dir("render-sweep");
    const Rendered wav = RenderSession(dir, "0:00 25.0 am=5 volume=10\n0:04 25.0\n");
    ASSERT_EQ(wav.Samples.size(), 2u * 4 * 44100);
    EXPECT_NEAR(TurnRate(wav, 0, 4), 50.0, 50.0 * 0.005);
}

TEST(RenderedSweep, AHalfPeriodPointTakesEffectAlsoWhenTheBoxIsAlreadyTicked) {
    // The frequency moving from 0:00 to 0:01 takes the tenth again; the second half=on brings
    // back the fifth although "1/2 Period" is still ticked.
    libtest::TempDir dir("render-half");
    const Rendered wav =
        RenderSession(dir, "0:00 20.0 am=5 volume=10 half=on\n0:01 25.0 half=on\n0:03 25.0\n");
    EXPECT_NEAR(TurnRate(wav, 1.1, 3), 25.0, 25.0 * 0.01);
}

} // namespace

// A picture that blinks white and black from one palette index to the next, followed through a
// session that stays at 1 Hz for a minute, then climbs to 10 Hz.
TEST(RenderTool, FlashReportGradesEachMinuteOfTheSession) {
    libtest::TempDir dir("render-flash");
    Bytes bitmap = libtest::BitmapFile(64, 48, 0);
    for (size_t i = 0; i < 256; ++i)
        for (size_t c = 0; c < 3; ++c)
            bitmap[54 + 4 * i + c] = i % 2 ? 0 : 255;
    libtest::WriteFile(dir / "blink.bmp", bitmap);
    libtest::WriteFile(dir / "s.wav", libtest::WaveFile(22050, {1, 2, 3}));
    ASSERT_EQ(RunCommand(libtest::Tool() + " pack " + (dir / "blink.zdl").string() +
                         " --picture Blink=" + (dir / "blink.bmp").string() +
                         " --sound S=" + (dir / "s.wav").string())
                  .Exit,
              0);
    std::ofstream(dir / "s.vsession") << "0:00 1.0\n1:00 1.0\n1:30 10.0 depth=3\n2:30 10.0\n";
    const std::string report = "--flash-report --library " + (dir / "blink.zdl").string() +
                               " --session " + (dir / "s.vsession").string();

    const auto r = Render(report + " --picture Blink");
    EXPECT_EQ(r.Exit, 3) << r.Output;
    EXPECT_NE(r.Output.find("0:00-1:00  1.0 Hz, depth 1: below the limits"), std::string::npos)
        << r.Output;
    EXPECT_NE(r.Output.find("1:00-2:00  1.0-10.0 Hz, depth 1-3: over the limits"),
              std::string::npos);
    EXPECT_NE(r.Output.find("2:00-2:30  10.0 Hz, depth 3: over the limits"), std::string::npos);
    EXPECT_NE(r.Output.find("Over the limits in 2 of 3 minutes."), std::string::npos);

    // As JSON, with the light each minute's worst state shows on the display given.
    const auto json = Render(report + " --picture Blink --json");
    EXPECT_EQ(json.Exit, 3) << json.Output;
    EXPECT_EQ(json.Output.rfind("{\"minutes\":[{", 0), 0u) << json.Output;
    EXPECT_NE(json.Output.find("\"minutes_over\":2"), std::string::npos) << json.Output;
    EXPECT_NE(json.Output.find("\"shown_frequency\":10,"), std::string::npos) << json.Output;
    EXPECT_NE(json.Output.find("\"refresh_hz\":60,"), std::string::npos) << json.Output;
    // On a 15 Hz display the 20 steps a second of 10 Hz flash at 5 Hz.
    const auto slow = Render(report + " --picture Blink --json --refresh 15");
    EXPECT_NE(slow.Output.find("\"shown_frequency\":5,"), std::string::npos) << slow.Output;
    EXPECT_EQ(slow.Output.find("\"shown_frequency\":10,"), std::string::npos) << slow.Output;
    EXPECT_EQ(Render("--json --frequency 7 --duration 0:01 -o x.wav").Exit, 2);

    const auto reduced = Render(report + " --picture Blink --reduced on");
    EXPECT_EQ(reduced.Exit, 0) << reduced.Output;
    EXPECT_NE(reduced.Output.find("Below the limits throughout."), std::string::npos)
        << reduced.Output;

    for (const char* bad : {"", " --picture Blink -o x.wav", " --picture Blink --depth 0",
                            " --picture Blink --screen 0x5", " --picture Nothing"}) {
        const auto refused = Render(report + bad);
        EXPECT_NE(refused.Exit, 0) << bad;
        EXPECT_EQ(refused.Output.find("limits"), std::string::npos) << bad << refused.Output;
    }
}
