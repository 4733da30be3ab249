// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-render: renders what the program would play, with a session or at one frequency,
// to a WAV file; grades how strongly a session's picture flashes; draws a session's picture;
// converts other programs' schedules to sessions.

#include "BuildInfo.h"
#include "app/Translations.h"
#include "audio/SoundEnvironment.h"
#include "exchange/Import.h"
#include "render/FlashReport.h"
#include "render/RenderMetadata.h"
#include "render/SessionRender.h"
#include "run/SessionPlot.h"
#include "session/SessionFile.h"
#include "sound/Speech.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitOverLimits = 3;

const char* const kUsage = QT_TRANSLATE_NOOP(
    "RenderTool", "usage: velmora-render [OPTION]... --session FILE -o OUT.wav\n"
                  "       velmora-render [OPTION]... [--frequency HZ] --duration TIME -o OUT.wav\n"
                  "       velmora-render --session FILE --plot OUT.png [-o OUT.wav]\n"
                  "       velmora-render --flash-report --picture NAME [OPTION]... --session FILE "
                  "[--json]\n"
                  "       velmora-render --import FILE -o OUT.vsession\n"
                  "       velmora-render --extract RENDERED -o OUT.vsession\n"
                  "Try velmora-render --help for more.\n");

struct RenderTool {
    Q_DECLARE_TR_FUNCTIONS(RenderTool)
};

struct UsageError : Exception {
    using Exception::Exception;
};

// Every option that takes a value, with its value's name and what it does.
struct TValueOption {
    const char* Name;
    const char* Value;
    const char* Help;
};

const TValueOption kValueOptions[] = {
    {"library", QT_TRANSLATE_NOOP("RenderTool", "LIB"),
     QT_TRANSLATE_NOOP("RenderTool", "Stimulus library (default main.zdl, looked for beside the "
                                     "program, in its data directory, then in the current "
                                     "directory).")},
    {"session", QT_TRANSLATE_NOOP("RenderTool", "FILE"),
     QT_TRANSLATE_NOOP("RenderTool", "Follow a session file (*.vsession) from its start to its "
                                     "end.")},
    {"frequency", QT_TRANSLATE_NOOP("RenderTool", "HZ"),
     QT_TRANSLATE_NOOP("RenderTool", "Main frequency without a session, 0.1..35.0 (default "
                                     "7.0).")},
    {"duration", QT_TRANSLATE_NOOP("RenderTool", "TIME"),
     QT_TRANSLATE_NOOP("RenderTool", "Length without a session, m:ss or "
                                     "h:mm:ss.")},
    {"output", QT_TRANSLATE_NOOP("RenderTool", "FILE"),
     QT_TRANSLATE_NOOP("RenderTool", "The file to write (replaced if it exists); its extension "
                                     "chooses the format: .wav, .flac, .ogg, .opus or .mp3 (WAV "
                                     "for any other); - writes WAV data to standard output.")},
    {"sound", QT_TRANSLATE_NOOP("RenderTool", "NAME"),
     QT_TRANSLATE_NOOP("RenderTool", "Sound of the library (default: the first "
                                     "it lists).")},
    {"am", QT_TRANSLATE_NOOP("RenderTool", "N"),
     QT_TRANSLATE_NOOP("RenderTool", "Oscilator 1, the balance swing, 0..5 (default "
                                     "0).")},
    {"fm", QT_TRANSLATE_NOOP("RenderTool", "N"),
     QT_TRANSLATE_NOOP("RenderTool", "Oscilator 2, the playback-rate swing, 0..10 "
                                     "(default 0).")},
    {"volume", QT_TRANSLATE_NOOP("RenderTool", "N"),
     QT_TRANSLATE_NOOP("RenderTool", "Volume knob, 0..10 (default 10).")},
    {"half", "on|off", QT_TRANSLATE_NOOP("RenderTool", "\"1/2 Period\" (default off).")},
    {"tone", "off|binaural|isochronic",
     QT_TRANSLATE_NOOP("RenderTool", "The tone at the main frequency under the sound (default "
                                     "off).")},
    {"carrier", QT_TRANSLATE_NOOP("RenderTool", "HZ"),
     QT_TRANSLATE_NOOP("RenderTool", "The tone's carrier, 50..1000 (default "
                                     "200).")},
    {"tone-level", QT_TRANSLATE_NOOP("RenderTool", "DB"),
     QT_TRANSLATE_NOOP("RenderTool", "The tone's level against the sound, -60..0 (default "
                                     "-6).")},
    {"format", "wav|s16|f32|flac|ogg|opus|mp3",
     QT_TRANSLATE_NOOP("RenderTool", "The file's format whatever its extension: WAV with 16-bit "
                                     "(wav, s16) or 32-bit float samples (f32), FLAC (16-bit, "
                                     "the same samples as the WAV), or the lossy Ogg Vorbis, "
                                     "Opus (resampled to 48 kHz, as Opus is always played) or "
                                     "MP3.")},
    {"plot", QT_TRANSLATE_NOOP("RenderTool", "FILE"),
     QT_TRANSLATE_NOOP("RenderTool", "Draw the session's frequency over time into a PNG file, "
                                     "as the program's Session window shows it (with -o the "
                                     "sound as well).")},
    {"import", QT_TRANSLATE_NOOP("RenderTool", "FILE"),
     QT_TRANSLATE_NOOP("RenderTool", "Convert another program's schedule (a binaural-beat "
                                     ".sbg file, a preset .spsq file or its JSON sequence, a "
                                     ".gnaural voice schedule) into the session file -o; the "
                                     "format is told by the content; what a session cannot hold "
                                     "is listed on standard error.")},
    {"import-sbg", QT_TRANSLATE_NOOP("RenderTool", "FILE"),
     QT_TRANSLATE_NOOP("RenderTool", "The same as --import.")},
    {"extract", QT_TRANSLATE_NOOP("RenderTool", "RENDERED"),
     QT_TRANSLATE_NOOP("RenderTool", "Take the session back out of a rendered file into the "
                                     "session file -o, with the knobs and the tone it was "
                                     "rendered with written into its first point; the library, "
                                     "sound and tone level it was rendered with are told on "
                                     "standard error. Rendering it with those gives the same "
                                     "WAV or FLAC file.")},
    {"picture", QT_TRANSLATE_NOOP("RenderTool", "NAME"),
     QT_TRANSLATE_NOOP("RenderTool", "With --flash-report: the library's picture to check.")},
    {"depth", QT_TRANSLATE_NOOP("RenderTool", "N"),
     QT_TRANSLATE_NOOP("RenderTool", "With --flash-report: the Depth knob, the "
                                     "transform level, 1..15 (default 1).")},
    {"difference", "on|off",
     QT_TRANSLATE_NOOP("RenderTool", "With --flash-report: \"Right/Left Difference\" (default "
                                     "off).")},
    {"reduced", "on|off",
     QT_TRANSLATE_NOOP("RenderTool", "With --flash-report: reduced flashing (default off).")},
    {"window", QT_TRANSLATE_NOOP("RenderTool", "WxH"),
     QT_TRANSLATE_NOOP("RenderTool", "With --flash-report: the picture's size "
                                     "on the screen (default 576x246).")},
    {"screen", QT_TRANSLATE_NOOP("RenderTool", "WxH"),
     QT_TRANSLATE_NOOP("RenderTool", "With --flash-report: the screen's size "
                                     "(default 1920x1080).")},
    {"refresh", QT_TRANSLATE_NOOP("RenderTool", "HZ"),
     QT_TRANSLATE_NOOP("RenderTool", "With --flash-report: the display's "
                                     "refresh rate (default 60); the light is graded as its "
                                     "frames show it.")},
};

const char* const kDescription = QT_TRANSLATE_NOOP(
    "RenderTool",
    "Renders the sound Velmora plays to a sound file, exactly as the program would play it with "
    "perfect timers: the same modulation, frequency rules and mixing. With a session the knob "
    "and tone options give the settings as they stand when the run starts; the session's points "
    "set them from there; a setting of the first point stands from the first frame. The same "
    "arguments always give the same WAV and FLAC file (Ogg streams carry a serial number of "
    "their own). Every file keeps the session and the settings it was rendered with (a \"vlms\" "
    "chunk in WAV, the comment tag in the others), which --extract takes back out.\n"
    "\n"
    "--flash-report prints instead, for each minute of the session, the frequencies, the depths "
    "and how strongly the picture flashes; its exit status is 3 when any minute is over the "
    "limits for photosensitive viewers. Bad arguments give exit status 2, failures 1.");

int KnobValue(const std::string& option, const std::string& text, int max) {
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) > max) {
        throw UsageError(FillIn(RenderTool::tr("%1 takes a whole number from 0 to %2"),
                                {option, std::to_string(max)}));
    }
    return std::stoi(text);
}

using TGiven = std::map<std::string, std::string>;

const char* const kRenderOptions[] = {
    "--output", "--sound",   "--am",         "--fm",   "--volume", "--half",       "--format",
    "--tone",   "--carrier", "--tone-level", "--plot", "--import", "--import-sbg", "--extract"};
const char* const kFlashOptions[] = {"--picture", "--depth",  "--difference", "--reduced",
                                     "--window",  "--screen", "--refresh"};

struct TParsed {
    TGiven Given; // "--name" -> value
    bool FlashReport = false;
    bool Json = false;
};

QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    // The parser's first line names the program as it was called; the usage says more.
    text.replace(0, text.indexOf(QLatin1Char('\n')), RenderTool::tr(kUsage).trimmed());
    return text;
}

// Reads the arguments; prints the help or the version and returns nothing when asked for them.
std::unique_ptr<TParsed> ParseArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(RenderTool::tr(kDescription));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  RenderTool::tr("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     RenderTool::tr("Shows the version and exits."));
    const QCommandLineOption flash(
        QStringLiteral("flash-report"),
        RenderTool::tr("Grade how strongly the picture flashes, minute by minute, instead of "
                       "rendering."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(flash);
    const QCommandLineOption json(
        QStringLiteral("json"),
        RenderTool::tr("With --flash-report: print one JSON object with every minute instead."));
    parser.addOption(json);
    std::vector<QCommandLineOption> valued;
    for (const TValueOption& o : kValueOptions) {
        QStringList names{QString::fromLatin1(o.Name)};
        if (std::strcmp(o.Name, "output") == 0) names.prepend(QStringLiteral("o"));
        // Value names as the usage lines write them; lists of the values taken stay as typed.
        valued.emplace_back(names, RenderTool::tr(o.Help), RenderTool::tr(o.Value));
        parser.addOption(valued.back());
    }
    if (!parser.parse(arguments)) throw UsageError(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::cout << HelpText(parser).toStdString();
        return nullptr;
    }
    if (parser.isSet(version)) {
        std::cout << "velmora-render " << kVelmoraVersion << "\n";
        return nullptr;
    }
    if (!parser.positionalArguments().isEmpty())
        throw UsageError(FillIn(RenderTool::tr("unexpected argument \"%1\""),
                                {parser.positionalArguments().front().toStdString()}));
    auto parsed = std::make_unique<TParsed>();
    parsed->FlashReport = parser.isSet(flash);
    parsed->Json = parser.isSet(json);
    if (parsed->Json && !parsed->FlashReport)
        throw UsageError(FillIn(RenderTool::tr("%1 belongs to --flash-report"), {"--json"}));
    for (const QCommandLineOption& o : valued) {
        const QStringList values = parser.values(o);
        const std::string name = "--" + o.names().back().toStdString();
        if (values.size() > 1)
            throw UsageError(FillIn(RenderTool::tr("%1 is given twice"), {name}));
        if (values.size() == 1) parsed->Given[name] = values.front().toLocal8Bit().toStdString();
    }
    return parsed;
}

bool OnOff(const TGiven& given, const char* option) {
    const auto found = given.find(option);
    if (found == given.end()) return false;
    if (found->second != "on" && found->second != "off")
        throw UsageError(FillIn(RenderTool::tr("%1 takes on or off"), {option}));
    return found->second == "on";
}

// The session to follow: a session file, or one frequency held for a duration; its text, when
// asked for, as the render keeps it.
TSession SessionOf(TGiven& given, std::string* text = nullptr) {
    auto has = [&](const char* o) { return given.count(o) != 0; };
    if (has("--session")) {
        if (has("--frequency") || has("--duration"))
            throw UsageError(
                FillIn(RenderTool::tr("--session sets the frequency and the length "
                                      "itself; leave out --frequency and --duration")));
        try {
            TSession session = LoadSessionFile(given["--session"]);
            if (text != nullptr) {
                std::ifstream in(given["--session"], std::ios::binary);
                text->assign(std::istreambuf_iterator<char>(in), {});
                if (in.bad())
                    throw Exception(FillIn(RenderTool::tr("cannot read %1"), {given["--session"]}));
            }
            return session;
        } catch (const Exception& e) {
            throw UsageError(e.Message()); // a session that cannot be used is a bad argument
        }
    }
    if (!has("--duration"))
        throw UsageError(FillIn(RenderTool::tr("give either --session or --duration")));
    int64_t length = 0;
    if (!ParseSessionTime(given["--duration"], length) || length == 0)
        throw UsageError(
            FillIn(RenderTool::tr("--duration takes a length of m:ss or h:mm:ss, above 0:00")));
    int32_t milli = 7000;
    if (has("--frequency")) {
        std::string f = given["--frequency"];
        if (f.find('.') == std::string::npos) f += ".0";
        if (!ParseSessionFrequency(f, milli))
            throw UsageError(
                FillIn(RenderTool::tr("--frequency takes 0.1 to 35.0 with up to three decimals")));
    }
    TSessionPoint start, finish;
    start.FrequencyMilli = finish.FrequencyMilli = milli;
    start.Line = 1;
    finish.TimeMs = length;
    finish.Line = 2;
    if (text != nullptr) *text = SteadySessionText(milli, length);
    return TSession({start, finish});
}

TRenderJob RenderJobOf(TGiven& given) {
    auto has = [&](const char* o) { return given.count(o) != 0; };
    for (const char* option : kFlashOptions)
        if (has(option))
            throw UsageError(FillIn(RenderTool::tr("%1 belongs to --flash-report"), {option}));
    TRenderJob job;
    const bool plot = has("--plot");
    if (plot && !has("--session"))
        throw UsageError(FillIn(RenderTool::tr("--plot draws a session: give --session")));
    if (!plot && (!has("--output") || given["--output"].empty()))
        throw UsageError(FillIn(RenderTool::tr("no output file (-o) given")));
    if (has("--output")) job.OutputPath = given["--output"];
    if (job.OutputPath == TSoundWriter::kStandardOutput && isatty(STDOUT_FILENO) != 0)
        throw UsageError(
            FillIn(RenderTool::tr("-o - writes WAV data, which a terminal cannot show; "
                                  "send it into a pipe or give a file")));
    if (has("--library")) job.LibraryPath = given["--library"];
    if (has("--sound")) job.SoundName = given["--sound"];
    if (has("--am")) job.AM = KnobValue("--am", given["--am"], 5);
    if (has("--fm")) job.FM = KnobValue("--fm", given["--fm"], 10);
    if (has("--volume")) job.Volume = KnobValue("--volume", given["--volume"], 10);
    job.Half = OnOff(given, "--half");
    if (has("--tone") && !ParseToneMode(given["--tone"], job.Tone))
        throw UsageError(FillIn(RenderTool::tr("--tone takes off, binaural or isochronic")));
    if (has("--carrier")) {
        const std::string& c = given["--carrier"];
        if (c.empty() || c.size() > 4 || c.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(c) < kToneCarrierMin || std::stoi(c) > kToneCarrierMax)
            throw UsageError(
                FillIn(RenderTool::tr("--carrier takes a whole number of hertz from 50 to 1000")));
        job.Carrier = std::stoi(c);
    }
    if (has("--tone-level")) {
        const std::string& l = given["--tone-level"];
        const bool minus = !l.empty() && l[0] == '-';
        const std::string digits = l.substr(minus ? 1 : 0);
        if (digits.empty() || digits.size() > 2 ||
            digits.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(digits) > -kToneLevelMin)
            throw UsageError(FillIn(
                RenderTool::tr("--tone-level takes a whole number of decibels from -60 to 0")));
        job.ToneLevel = minus ? -std::stoi(digits) : std::stoi(digits);
        if (job.ToneLevel > kToneLevelMax)
            throw UsageError(FillIn(
                RenderTool::tr("--tone-level takes a whole number of decibels from -60 to 0")));
    }
    if (!SoundFormatOfPath(job.OutputPath, job.Format)) job.Format = TSoundFormat::Pcm16;
    if (has("--format")) {
        static const std::map<std::string, TSoundFormat> kFormats = {
            {"wav", TSoundFormat::Pcm16},   {"s16", TSoundFormat::Pcm16},
            {"f32", TSoundFormat::Float32}, {"flac", TSoundFormat::Flac},
            {"ogg", TSoundFormat::Vorbis},  {"opus", TSoundFormat::Opus},
            {"mp3", TSoundFormat::Mp3}};
        const auto found = kFormats.find(given["--format"]);
        if (found == kFormats.end())
            throw UsageError(
                FillIn(RenderTool::tr("--format takes wav, s16, f32, flac, ogg, opus or mp3")));
        job.Format = found->second;
    }
    if (job.OutputPath == TSoundWriter::kStandardOutput && !IsWav(job.Format))
        throw UsageError(FillIn(RenderTool::tr("-o - writes WAV only; give a file for %1"),
                                {SoundFormatName(job.Format)}));
    std::string text;
    job.Session = SessionOf(given, &text);
    // The file keeps the session with the starting settings in its first point, so that
    // rendering what --extract takes out gives the same description and the same sound.
    TRenderDescription description;
    description.Version = kVelmoraVersion;
    description.Library = job.LibraryPath;
    description.Sound = job.SoundName;
    description.ToneLevel = job.ToneLevel;
    description.SessionText = WithStartingSettings(text, job.Session, job);
    job.Metadata = DescriptionText(description);
    TakeFirstPointSettings(job);
    // The texts are spoken in the user's language, as the program speaks them.
    job.Languages = UserSpeechLanguages();
    job.Report = [](const std::string& why) {
        std::cerr << FillIn(RenderTool::tr("the session's spoken cues are left out: %1"), {why})
                  << "\n";
    };
    return job;
}

void SizeValue(const std::string& option, const std::string& text, int& width, int& height) {
    unsigned w = 0, h = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%5ux%5u%c", &w, &h, &rest) != 2 || w < 1 || h < 1)
        throw UsageError(
            FillIn(RenderTool::tr("%1 takes WIDTHxHEIGHT in pixels, as 1920x1080"), {option}));
    width = static_cast<int>(w);
    height = static_cast<int>(h);
}

TFlashReportJob FlashJobOf(TGiven& given) {
    auto has = [&](const char* o) { return given.count(o) != 0; };
    for (const char* option : kRenderOptions)
        if (has(option))
            throw UsageError(FillIn(RenderTool::tr("%1 is for rendering sound; --flash-report "
                                                   "prints its report to the terminal"),
                                    {option}));
    TFlashReportJob job;
    if (!has("--picture") || given["--picture"].empty())
        throw UsageError(FillIn(RenderTool::tr("--flash-report needs the --picture to check")));
    job.PictureName = given["--picture"];
    if (has("--library")) job.LibraryPath = given["--library"];
    if (has("--depth") && (job.Depth = KnobValue("--depth", given["--depth"], 15)) == 0)
        throw UsageError(FillIn(RenderTool::tr("--depth takes a whole number from 1 to 15")));
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
            throw UsageError(
                FillIn(RenderTool::tr("--refresh takes the display's refresh rate, 1 to 1000 Hz")));
        job.Display.RefreshHz = hz;
    }
    job.Session = SessionOf(given);
    return job;
}

// The report as one JSON object, for programs: English reasons and plain numbers.
void PrintFlashJson(const TFlashReportJob& job, const std::vector<TFlashMinute>& minutes,
                    size_t over) {
    QJsonArray list;
    for (const TFlashMinute& m : minutes) {
        const TFlashReport& r = m.Worst;
        list.append(QJsonObject{
            {QStringLiteral("start_ms"), static_cast<double>(m.StartMs)},
            {QStringLiteral("end_ms"), static_cast<double>(m.EndMs)},
            {QStringLiteral("lowest_hz"), m.LowestHz},
            {QStringLiteral("highest_hz"), m.HighestHz},
            {QStringLiteral("lowest_depth"), m.LowestDepth},
            {QStringLiteral("highest_depth"), m.HighestDepth},
            {QStringLiteral("verdict"), r.Over ? QStringLiteral("over") : QStringLiteral("below")},
            // The worst state of the minute.
            {QStringLiteral("frequency"), r.StepsPerSecond / 2},
            {QStringLiteral("depth"), m.WorstDepth},
            {QStringLiteral("shown_frequency"), r.Shown.ShownHz},
            {QStringLiteral("shown_evenly"), !r.Shown.Differs()},
            {QStringLiteral("general_flashes_per_second"), r.GeneralFlashesPerSecond},
            {QStringLiteral("red_flashes_per_second"), r.RedFlashesPerSecond},
            {QStringLiteral("screen_area_fraction"), r.ScreenAreaFraction},
            {QStringLiteral("wcag_area_fraction"), r.WcagAreaFraction},
            {QStringLiteral("extended"), r.Extended},
            {QStringLiteral("reason"), QString::fromStdString(r.Reason)},
        });
    }
    const QJsonObject report{
        {QStringLiteral("verdict"), over == 0 ? QStringLiteral("below") : QStringLiteral("over")},
        {QStringLiteral("minutes_over"), static_cast<double>(over)},
        {QStringLiteral("refresh_hz"), job.Display.RefreshHz},
        {QStringLiteral("minutes"), list},
    };
    std::cout << QJsonDocument(report).toJson(QJsonDocument::Compact).toStdString() << "\n";
}

// Prints the report; 3 when any minute is over the limits, as velmora-lib flashcheck.
int PrintFlashReport(const TFlashReportJob& job, bool json) {
    const std::vector<TFlashMinute> minutes = ReportSessionFlashing(job);
    const auto over = static_cast<size_t>(std::count_if(
        minutes.begin(), minutes.end(), [](const TFlashMinute& m) { return m.Worst.Over; }));
    if (json) {
        PrintFlashJson(job, minutes, over);
        return over == 0 ? 0 : kExitOverLimits;
    }
    for (const TFlashMinute& m : minutes)
        std::cout << DescribeFlashMinute(m) << "\n";
    if (over == 0)
        std::cout << FillIn(RenderTool::tr("Below the limits throughout.")) << "\n";
    else
        std::cout << FillIn(RenderTool::tr("Over the limits in %1 of %2 minutes."),
                            {std::to_string(over), std::to_string(minutes.size())})
                  << "\n";
    return over == 0 ? 0 : kExitOverLimits;
}

// Drawn offscreen (see main): the picture needs fonts, not a window system.
void PlotSession(const TSession& session, const std::string& path) {
    const QImage image = TSessionPlot(session).Render(QSize(960, 400));
    if (!image.save(QString::fromStdString(path), "PNG"))
        throw Exception(FillIn(RenderTool::tr("cannot write the picture %1"), {path}));
}

void ExtractSession(const std::string& rendered, const std::string& output) {
    const TRenderDescription d = ReadDescription(rendered);
    std::cerr << FillIn(RenderTool::tr("Rendered by velmora-render %1 from --library %2 "
                                       "--sound %3 --tone-level %4"),
                        {d.Version, d.Library, d.Sound.empty() ? "\"\"" : d.Sound,
                         std::to_string(d.ToneLevel)})
              << "\n";
    WriteImportedSession(output, d.SessionText);
}

void ImportSchedule(const std::string& schedule, const std::string& output) {
    const TImported imported = ImportScheduleFile(schedule);
    for (const std::string& line : imported.Report)
        std::cerr << line << "\n";
    WriteImportedSession(output, imported.Text);
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
    const std::string part = TSoundWriter::PartPath(output);
    if (output == TSoundWriter::kStandardOutput || part.size() >= sizeof g_partPath) return;
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
    // Each byte as one character, so paths come back byte for byte, whatever their encoding.
    QStringList arguments;
    bool plot = false;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
        plot =
            plot || std::strncmp(argv[i], "--plot", 6) == 0 || std::strcmp(argv[i], "-plot") == 0;
    }
    // Drawing needs the GUI library's fonts, offscreen, never a window system.
    std::unique_ptr<QCoreApplication> app;
    if (plot) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    InstallTranslations(QLocale::system());
    try {
        const std::unique_ptr<TParsed> parsed = ParseArguments(arguments);
        if (!parsed) return 0;
        TGiven given = parsed->Given;
        if (parsed->FlashReport) return PrintFlashReport(FlashJobOf(given), parsed->Json);
        for (const char* option : {"--import", "--import-sbg", "--extract"}) {
            if (given.count(option) == 0) continue;
            if (given.size() != 2 || given["--output"].empty())
                throw UsageError(
                    FillIn(RenderTool::tr("%1 takes -o FILE.vsession and nothing else"), {option}));
            if (std::strcmp(option, "--extract") == 0)
                ExtractSession(given[option], given["--output"]);
            else
                ImportSchedule(given[option], given["--output"]);
            return 0;
        }
        TRenderJob job = RenderJobOf(given);
        if (given.count("--plot") != 0) PlotSession(job.Session, given["--plot"]);
        if (job.OutputPath.empty()) return 0;
        RemovePartFileWhenInterrupted(job.OutputPath);
        if (job.Metadata.size() > TSoundWriter::MaxMetadataBytes(job.Format)) {
            std::cerr << FillIn(RenderTool::tr("The session is too long to be kept in a %1 file; "
                                               "the file holds the sound only."),
                                {SoundFormatName(job.Format)})
                      << "\n";
            job.Metadata.clear();
        }
        if (IsLossy(job.Format))
            std::cerr << FillIn(RenderTool::tr("%1 is lossy: the file does not hold the exact "
                                               "sound; WAV and FLAC do."),
                                {SoundFormatName(job.Format)})
                      << "\n";
        ProgressBar bar;
        RenderToWav(job, [&bar](uint64_t done, uint64_t total) { bar(done, total); });
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "velmora-render: " << e.Message() << "\n" << FillIn(RenderTool::tr(kUsage));
        return kExitUsage;
    } catch (const Exception& e) {
        std::cerr << "velmora-render: " << e.Message() << "\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << "velmora-render: " << e.what() << "\n";
        return kExitFailure;
    }
}
