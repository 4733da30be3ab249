// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-render: renders what the program would play, with a session or at one frequency,
// to a WAV file.

#include "platform/SoundEnvironment.h"
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

const char* const kUsage =
    "usage: velmora-render [--library LIB] [--sound NAME] --session FILE -o OUT.wav\n"
    "       velmora-render [--library LIB] [--sound NAME] [--frequency HZ] --duration TIME "
    "-o OUT.wav\n"
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
    "  --format s16|f32    16-bit PCM (default) or 32-bit float samples\n"
    "  --help              show this text\n"
    "\n"
    "With a session the knob options give the knobs as they stand when the run starts; the\n"
    "session's points set them from there. The same arguments always give the same file.\n";

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

TRenderJob ParseArguments(const std::vector<std::string>& args) {
    std::map<std::string, std::string> given;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        if (option == "-o") option = "--output";
        static const char* const known[] = {"--output",    "--library",  "--sound", "--session",
                                            "--frequency", "--duration", "--am",    "--fm",
                                            "--volume",    "--half",     "--format"};
        if (std::find(std::begin(known), std::end(known), option) == std::end(known))
            throw UsageError("unknown option \"" + args[i] + "\"");
        if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
        if (!given.emplace(option, args[++i]).second) throw UsageError(option + " is given twice");
    }
    auto has = [&](const char* o) { return given.count(o) != 0; };

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
    if (has("--half")) {
        const std::string& h = given["--half"];
        if (h != "on" && h != "off") throw UsageError("--half takes on or off");
        job.Half = h == "on";
    }
    if (has("--format")) {
        const std::string& f = given["--format"];
        if (f != "s16" && f != "f32") throw UsageError("--format takes s16 or f32");
        job.Format = f == "s16" ? TWavFormat::Pcm16 : TWavFormat::Float32;
    }

    if (has("--session")) {
        if (has("--frequency") || has("--duration"))
            throw UsageError("--session sets the frequency and the length itself; leave out "
                             "--frequency and --duration");
        try {
            job.Session = LoadSessionFile(given["--session"]);
        } catch (const Exception& e) {
            throw UsageError(e.Message()); // a session that cannot be used is a bad argument
        }
        return job;
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
    job.Session = TSession({start, finish});
    return job;
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
    action.sa_flags = static_cast<int>(SA_RESETHAND); // a flag in the sign bit
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
        const TRenderJob job = ParseArguments(args);
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
