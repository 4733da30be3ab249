// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-render: renders what the program would play, with a session or at one frequency,
// to a WAV file.

#include "audio/SoundEnvironment.h"
#include "render/FlashReport.h"
#include "render/SessionRender.h"
#include "session/SessionFile.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitOverLimits = 3;

const char* const kUsage =
    "usage: velmora-render [--library LIB] [--sound NAME] --session FILE -o OUT.wav\n"
    "       velmora-render [--library LIB] [--sound NAME] [--frequency HZ] --duration TIME "
    "-o OUT.wav\n"
    "       velmora-render --flash-report --picture NAME [--library LIB] --session FILE\n"
    "Try velmora-render --help for more.\n";

const char* const kHelp =
    "velmora-render renders the sound Velmora plays to a WAV file, exactly as the program\n"
    "would play it with perfect timers: the same modulation, frequency rules and mixing.\n"
    "\n"
    "usage: velmora-render [OPTION]... -o OUT.wav\n"
    "\n"
    "  -o, --output FILE   the WAV file to write (replaced if it exists); - for standard\n"
    "                      output\n"
    "  --library LIB       stimulus library (default main.zdl, looked for beside the\n"
    "                      program, in its data directory, then in the current directory)\n"
    "  --sound NAME        sound of the library (default: the first it lists)\n"
    "  --session FILE      follow a session file (*.vsession) from its start to its end\n"
    "  --frequency HZ      main frequency without a session, 0.1..35.0 (default 7.0)\n"
    "  --duration TIME     length without a session, m:ss or h:mm:ss\n"
    "  --am N              Oscilator 1, the balance swing, 0..5 (default 0)\n"
    "  --fm N              Oscilator 2, the playback-rate swing, 0..10 (default 0)\n"
    "  --volume N          volume knob, 0..10 (default 10)\n"
    "  --half on|off       \"1/2 Period\" (default off)\n"
    "  --tone off|binaural|isochronic\n"
    "                      the tone at the main frequency under the sound (default off)\n"
    "  --carrier HZ        the tone's carrier, 50..1000 (default 200)\n"
    "  --tone-level DB     the tone's level against the sound, -60..0 (default -6)\n"
    "  --format s16|f32    16-bit PCM (default) or 32-bit float samples\n"
    "  --help              show this text\n"
    "\n"
    "  --flash-report      instead of rendering, print for each minute the frequencies,\n"
    "                      the depths and how strongly the picture flashes; exit status 3\n"
    "                      when any minute is over the limits for photosensitive viewers\n"
    "  --picture NAME      the library's picture to check\n"
    "  --depth N           Depth knob, the transform level, 1..15 (default 1)\n"
    "  --difference on|off \"Right/Left Difference\" (default off)\n"
    "  --reduced on|off    reduced flashing (default off)\n"
    "  --window WxH        the picture's size on the screen (default 568x246)\n"
    "  --screen WxH        the screen's size (default 1920x1080)\n"
    "  --refresh HZ        the display's refresh rate (default 60)\n"
    "\n"
    "With a session the knob and tone options give the settings as they stand when the run\n"
    "starts; the session's points set them from there. The same arguments always give the\n"
    "same file.\n";

struct UsageError : Exception {
    using Exception::Exception;
};

int KnobValue(const std::string& option, const std::string& text, int max) {
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) > max) {
        throw UsageError(option + " takes a whole number from 0 to " + std::to_string(max));
    }
    return std::stoi(text);
}

using TGiven = std::map<std::string, std::string>;

const char* const kRenderOptions[] = {"--output",  "--sound",     "--am",     "--fm",
                                      "--volume",  "--half",      "--format", "--tone",
                                      "--carrier", "--tone-level"};
const char* const kFlashOptions[] = {"--picture", "--depth",  "--difference", "--reduced",
                                     "--window",  "--screen", "--refresh"};

template <size_t N> bool Among(const char* const (&options)[N], const std::string& option) {
    return std::find(std::begin(options), std::end(options), option) != std::end(options);
}

TGiven GivenOptions(const std::vector<std::string>& args) {
    TGiven given;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        if (option == "-o") option = "--output";
        const bool known = Among(kRenderOptions, option) || Among(kFlashOptions, option) ||
                           option == "--library" || option == "--session" ||
                           option == "--frequency" || option == "--duration";
        if (!known) throw UsageError("unknown option \"" + args[i] + "\"");
        if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
        if (!given.emplace(option, args[++i]).second) throw UsageError(option + " is given twice");
    }
    return given;
}

bool OnOff(const TGiven& given, const char* option) {
    const auto found = given.find(option);
    if (found == given.end()) return false;
    if (found->second != "on" && found->second != "off")
        throw UsageError(std::string(option) + " takes on or off");
    return found->second == "on";
}

// The session to follow: a session file, or one frequency held for a duration.
TSession SessionOf(TGiven& given) {
    auto has = [&](const char* o) { return given.count(o) != 0; };
    if (has("--session")) {
        if (has("--frequency") || has("--duration"))
            throw UsageError("--session sets the frequency and the length itself; leave out "
                             "--frequency and --duration");
        try {
            return LoadSessionFile(given["--session"]);
        } catch (const Exception& e) {
            throw UsageError(e.Message()); // a session that cannot be used is a bad argument
        }
    }
    if (!has("--duration")) throw UsageError("give either --session or --duration");
    int64_t length = 0;
    if (!ParseSessionTime(given["--duration"], length) || length == 0)
        throw UsageError("--duration takes a length of m:ss or h:mm:ss, above 0:00");
    int32_t milli = 7000;
    if (has("--frequency")) {
        std::string f = given["--frequency"];
        if (f.find('.') == std::string::npos) f += ".0";
        if (!ParseSessionFrequency(f, milli))
            throw UsageError("--frequency takes 0.1 to 35.0 with up to three decimals");
    }
    TSessionPoint start, finish;
    start.FrequencyMilli = finish.FrequencyMilli = milli;
    finish.TimeMs = length;
    return TSession({start, finish});
}

TRenderJob RenderJobOf(TGiven& given) {
    auto has = [&](const char* o) { return given.count(o) != 0; };
    for (const char* option : kFlashOptions)
        if (has(option)) throw UsageError(std::string(option) + " belongs to --flash-report");
    TRenderJob job;
    if (!has("--output") || given["--output"].empty())
        throw UsageError("no output file (-o) given");
    job.OutputPath = given["--output"];
    if (job.OutputPath == TWavWriter::kStandardOutput && isatty(STDOUT_FILENO) != 0)
        throw UsageError("-o - writes WAV data, which a terminal cannot show; send it into a "
                         "pipe or give a file");
    if (has("--library")) job.LibraryPath = given["--library"];
    if (has("--sound")) job.SoundName = given["--sound"];
    if (has("--am")) job.AM = KnobValue("--am", given["--am"], 5);
    if (has("--fm")) job.FM = KnobValue("--fm", given["--fm"], 10);
    if (has("--volume")) job.Volume = KnobValue("--volume", given["--volume"], 10);
    job.Half = OnOff(given, "--half");
    if (has("--tone") && !ParseToneMode(given["--tone"], job.Tone))
        throw UsageError("--tone takes off, binaural or isochronic");
    if (has("--carrier")) {
        const std::string& c = given["--carrier"];
        if (c.empty() || c.size() > 4 || c.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(c) < kToneCarrierMin || std::stoi(c) > kToneCarrierMax)
            throw UsageError("--carrier takes a whole number of hertz from 50 to 1000");
        job.Carrier = std::stoi(c);
    }
    if (has("--tone-level")) {
        const std::string& l = given["--tone-level"];
        const bool minus = !l.empty() && l[0] == '-';
        const std::string digits = l.substr(minus ? 1 : 0);
        if (digits.empty() || digits.size() > 2 ||
            digits.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(digits) > -kToneLevelMin)
            throw UsageError("--tone-level takes a whole number of decibels from -60 to 0");
        job.ToneLevel = minus ? -std::stoi(digits) : std::stoi(digits);
        if (job.ToneLevel > kToneLevelMax)
            throw UsageError("--tone-level takes a whole number of decibels from -60 to 0");
    }
    if (has("--format")) {
        const std::string& f = given["--format"];
        if (f != "s16" && f != "f32") throw UsageError("--format takes s16 or f32");
        job.Format = f == "s16" ? TWavFormat::Pcm16 : TWavFormat::Float32;
    }
    job.Session = SessionOf(given);
    return job;
}

void SizeValue(const std::string& option, const std::string& text, int& width, int& height) {
    unsigned w = 0, h = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%5ux%5u%c", &w, &h, &rest) != 2 || w < 1 || h < 1)
        throw UsageError(option + " takes WIDTHxHEIGHT in pixels, as 1920x1080");
    width = static_cast<int>(w);
    height = static_cast<int>(h);
}

TFlashReportJob FlashJobOf(TGiven& given) {
    auto has = [&](const char* o) { return given.count(o) != 0; };
    for (const char* option : kRenderOptions)
        if (has(option))
            throw UsageError(std::string(option) + " is for rendering sound; --flash-report "
                                                   "prints its report to the terminal");
    TFlashReportJob job;
    if (!has("--picture") || given["--picture"].empty())
        throw UsageError("--flash-report needs the --picture to check");
    job.PictureName = given["--picture"];
    if (has("--library")) job.LibraryPath = given["--library"];
    if (has("--depth") && (job.Depth = KnobValue("--depth", given["--depth"], 15)) == 0)
        throw UsageError("--depth takes a whole number from 1 to 15");
    job.Display.RightLeftDifference = OnOff(given, "--difference");
    job.Reduced = OnOff(given, "--reduced");
    job.Display.ShownWidth = kFirstShownWidth;
    job.Display.ShownHeight = kFirstShownHeight;
    if (has("--window"))
        SizeValue("--window", given["--window"], job.Display.ShownWidth, job.Display.ShownHeight);
    if (has("--screen"))
        SizeValue("--screen", given["--screen"], job.Display.ScreenWidth, job.Display.ScreenHeight);
    if (has("--refresh")) {
        char* end = nullptr;
        const double hz = std::strtod(given["--refresh"].c_str(), &end);
        if (*end != '\0' || !(hz >= 1 && hz <= 1000))
            throw UsageError("--refresh takes the display's refresh rate, 1 to 1000 Hz");
        job.Display.RefreshHz = hz;
    }
    job.Session = SessionOf(given);
    return job;
}

// Prints the report; 3 when any minute is over the limits, as velmora-lib flashcheck.
int PrintFlashReport(const TFlashReportJob& job) {
    const std::vector<TFlashMinute> minutes = ReportSessionFlashing(job);
    size_t over = 0;
    for (const TFlashMinute& m : minutes) {
        std::cout << DescribeFlashMinute(m) << "\n";
        over += m.Worst.Over ? 1 : 0;
    }
    if (over == 0)
        std::cout << "Below the limits throughout.\n";
    else
        std::cout << "Over the limits in " << over << " of " << minutes.size() << " minutes.\n";
    return over == 0 ? 0 : kExitOverLimits;
}

// A bar on the terminal, redrawn when a whole percent more is done.
class ProgressBar {
public:
    ProgressBar() : shown_(isatty(STDERR_FILENO) != 0) {}
    void operator()(uint64_t done, uint64_t total) {
        if (!shown_ || total == 0) return;
        const int percent = static_cast<int>(done * 100 / total);
        if (percent == last_) return;
        last_ = percent;
        constexpr int kWidth = 40;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%",
                     std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(kWidth - filled), '.').c_str(), percent);
        if (percent == 100) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    bool shown_;
    int last_ = -1;
};

// An interrupted render leaves no half-written file behind: the handler removes the file being
// written, then the signal takes its default course. Both are safe inside a handler.
char g_partPath[PATH_MAX + 8];

void RemovePartFile(int signal) {
    unlink(g_partPath);
    raise(signal); // held back until the handler returns, then handled as by default
}

void RemovePartFileWhenInterrupted(const std::string& output) {
    const std::string part = TWavWriter::PartPath(output);
    if (output == TWavWriter::kStandardOutput || part.size() >= sizeof g_partPath) return;
    std::memcpy(g_partPath, part.c_str(), part.size() + 1);
    struct sigaction action = {};
    action.sa_handler = &RemovePartFile;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous = {};
        // A signal ignored when the renderer started (nohup) stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

} // namespace

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << kHelp;
        return 0;
    }
    try {
        std::vector<std::string> options = args;
        const auto flash = std::find(options.begin(), options.end(), "--flash-report");
        TGiven given;
        if (flash != options.end()) {
            options.erase(flash);
            given = GivenOptions(options);
            return PrintFlashReport(FlashJobOf(given));
        }
        given = GivenOptions(options);
        const TRenderJob job = RenderJobOf(given);
        RemovePartFileWhenInterrupted(job.OutputPath);
        ProgressBar bar;
        RenderToWav(job, [&bar](uint64_t done, uint64_t total) { bar(done, total); });
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "velmora-render: " << e.Message() << "\n" << kUsage;
        return kExitUsage;
    } catch (const Exception& e) {
        std::cerr << "velmora-render: " << e.Message() << "\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << "velmora-render: " << e.what() << "\n";
        return kExitFailure;
    }
}
