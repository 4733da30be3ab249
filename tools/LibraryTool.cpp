// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-lib: lists, extracts and packs stimulus libraries.
//
//   velmora-lib list LIB
//   velmora-lib extract LIB DIR
//   velmora-lib pack OUT --picture NAME=FILE.bmp ... --sound NAME=FILE.wav ...
//   velmora-lib flashcheck LIB --picture NAME --frequency F --depth L [options]
//   velmora-lib --help | --version

#include "BuildInfo.h"
#include "app/Translations.h"
#include "framework/Exception.h"
#include "framework/ResourceStream.h"
#include "library/LibraryFormat.h"
#include "library/LibraryLoader.h"
#include "library/NameLists.h"
#include "library/PackedDib.h"
#include "picture/DIB.h"
#include "platform/LittleEndian.h"
#include "platform/PeReader.h"
#include "platform/ResourceModule.h"
#include "safety/FlashAdvice.h"
#include "safety/FlashCheck.h"
#include "sound/Wave.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitOverLimits = 3;

const char* const kUsage = QT_TRANSLATE_NOOP(
    "LibraryTool",
    "usage: velmora-lib list LIB\n"
    "       velmora-lib extract LIB DIR\n"
    "       velmora-lib pack OUT [--picture NAME=FILE.bmp]... [--sound NAME=FILE.wav]...\n"
    "       velmora-lib flashcheck LIB --picture NAME --frequency F --depth L [--difference]\n"
    "                  [--window WxH] [--screen WxH] [--refresh HZ] [--reduced] [--json]\n"
    "       velmora-lib --help | --version\n");

struct UsageError : Exception {
    using Exception::Exception;
};

struct LibraryTool {
    Q_DECLARE_TR_FUNCTIONS(LibraryTool)
};

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Exception(FillIn(LibraryTool::tr("cannot read %1"), {path}));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad()) throw Exception(FillIn(LibraryTool::tr("cannot read %1"), {path}));
    return bytes;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    // Written beside the target and renamed, so a failure never leaves half a file behind.
    const fs::path temporary = path.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw Exception(FillIn(LibraryTool::tr("cannot write %1"), {path.string()}));
        }
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        throw Exception(FillIn(LibraryTool::tr("cannot write %1"), {path.string()}));
    }
}

// Opens a library given on the command line, exactly at that path.
class OpenLibrary {
public:
    explicit OpenLibrary(const std::string& path)
        : path_(path), handle_(LoadResourceModuleFromBytes(ReadFile(path))) {
        if (handle_ == kNoModule)
            throw Exception(FillIn(LibraryTool::tr("%1 is no resource module"), {path}));
    }
    ~OpenLibrary() { FreeResourceModule(handle_); }
    OpenLibrary(const OpenLibrary&) = delete;
    OpenLibrary& operator=(const OpenLibrary&) = delete;
    TModuleHandle Handle() const { return handle_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    TModuleHandle handle_;
};

std::vector<uint8_t> ResourceBytes(TModuleHandle module, const TResourceName& name,
                                   const TResourceName& type) {
    TResourceStream stream(module, name, type);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    stream.ReadBuffer(bytes.data(), stream.Size());
    return bytes;
}

std::vector<std::string> NameListOf(TModuleHandle module, const char* list) {
    const auto bytes = ResourceBytes(module, list, kListType);
    return SplitNameList(bytes.data(), bytes.size());
}

std::string DescribeWave(const std::vector<uint8_t>& bytes) {
    TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    TWave wave;
    wave.LoadFromStream(stream);
    if (wave.FormatBytes() < 16)
        throw Exception(FillIn(LibraryTool::tr("its format block is too short")));
    const uint8_t* f = wave.FormatBlock();
    const unsigned tag = ReadLe16(f);
    const unsigned channels = ReadLe16(f + 2);
    const unsigned long rate = ReadLe32(f + 4);
    const unsigned long perSecond = ReadLe32(f + 8);
    const unsigned bits = ReadLe16(f + 14);
    char seconds[32];
    std::snprintf(
        seconds, sizeof seconds, "%.2f",
        perSecond ? static_cast<double>(wave.SampleBytes()) / static_cast<double>(perSecond) : 0.0);
    const std::string channelCount =
        channels == 1 ? FillIn(LibraryTool::tr("1 channel"))
                      : FillIn(LibraryTool::tr("%1 channels"), {std::to_string(channels)});
    return FillIn(
        LibraryTool::tr("format %1, %2 Hz, %3 bits, %4, %5 s"),
        {std::to_string(tag), std::to_string(rate), std::to_string(bits), channelCount, seconds});
}

std::string DescribePicture(const std::vector<uint8_t>& bytes) {
    std::string why;
    const auto s = DescribePackedDib(bytes.data(), bytes.size(), &why);
    if (!s) throw Exception(why);
    return FillIn(LibraryTool::tr("%1 x %2, %3 bits"),
                  {std::to_string(s->Width), std::to_string(s->Height < 0 ? -s->Height : s->Height),
                   std::to_string(s->BitCount)});
}

// Every resource of a module; fails when the directory is too large to list whole, since a
// listing cut short would show a library as smaller than it is. Read before anything is shown
// or written, so such a library leaves no partial output behind.
std::vector<TResourceEntry> ResourcesOf(const OpenLibrary& library) {
    TResourceListing listing = ListResources(library.Handle());
    switch (listing.End) {
    case TListingEnd::Complete:
        return std::move(listing.Entries);
    case TListingEnd::TooManyEntries:
        throw Exception(
            FillIn(LibraryTool::tr("%1: its resource directory is too large to list: more than "
                                   "%2 entries"),
                   {library.Path(), std::to_string(TPeResources::kMaxListedEntries)}));
    case TListingEnd::TooManyNameBytes:
        break;
    }
    throw Exception(FillIn(
        LibraryTool::tr("%1: its resource directory is too large to list: its names come to more "
                        "than %2 times the size of the file"),
        {library.Path(), std::to_string(TPeResources::kListedNameBytesPerModuleByte)}));
}

// The resource names of one type, once each, in directory order.
std::vector<TResourceName> NamesOfType(const std::vector<TResourceEntry>& resources,
                                       const TResourceName& type) {
    std::vector<TResourceName> names;
    std::set<std::string> seen;
    for (const TResourceEntry& e : resources) {
        if (e.Type.IsId() != type.IsId()) continue;
        if (type.IsId() ? e.Type.Id() != type.Id()
                        : !SameResourceText(Utf8ToUtf16(e.Type.Name()), Utf8ToUtf16(type.Name()))) {
            continue;
        }
        if (seen.insert(e.Name.Text()).second) names.push_back(e.Name);
    }
    return names;
}

void PrintList(const char* title, const std::vector<std::string>& names) {
    std::cout << title << " (" << names.size() << "):\n";
    for (const std::string& name : names)
        std::cout << "  " << name << "\n";
}

int List(const std::string& path) {
    OpenLibrary library(path);
    const auto resources = ResourcesOf(library);
    bool damaged = false;
    const auto pictures = NameListOf(library.Handle(), kPictureList);
    const auto sounds = NameListOf(library.Handle(), kSoundList);
    PrintList(kPictureList, pictures);
    PrintList(kSoundList, sounds);
    const auto describe = [&](const std::string& title, const TResourceName& type, auto&& how) {
        const auto names = NamesOfType(resources, type);
        std::cout << title << " (" << names.size() << "):\n";
        for (const TResourceName& name : names) {
            const auto bytes = ResourceBytes(library.Handle(), name, type);
            std::cout << "  " << name.Text() << ": ";
            try {
                std::cout << how(bytes);
            } catch (const Exception& e) {
                std::cout << FillIn(LibraryTool::tr("unreadable (%1)"), {e.Message()});
                damaged = true;
            }
            std::cout << FillIn(LibraryTool::tr(", %1 bytes"), {std::to_string(bytes.size())})
                      << "\n";
        }
    };
    describe(FillIn(LibraryTool::tr("Pictures")), TResourceName(RT_BITMAP), DescribePicture);
    describe(FillIn(LibraryTool::tr("Sounds")), TResourceName(kSoundType), DescribeWave);
    return damaged ? kExitFailure : 0;
}

// A file name for a resource name: the name as the list spells it, without directory parts.
std::string FileNameFor(const TResourceName& name, const std::vector<std::string>& listed) {
    std::string text = name.IsId() ? "id" + std::to_string(name.Id()) : name.Name();
    for (const std::string& entry : listed) {
        if (!name.IsId() && SameResourceText(Utf8ToUtf16(entry), Utf8ToUtf16(text))) {
            text = entry;
            break;
        }
    }
    for (char& c : text) {
        if (c == '/' || c == '\\') c = '_';
    }
    if (text == "." || text == "..") text = "_" + text;
    return text;
}

int Extract(const std::string& path, const std::string& dir) {
    OpenLibrary library(path);
    const auto resources = ResourcesOf(library);
    std::error_code error;
    fs::create_directories(dir, error);
    if (!fs::is_directory(dir))
        throw Exception(FillIn(LibraryTool::tr("cannot make directory %1"), {dir}));
    const fs::path out(dir);
    WriteFile(out / "Picturez.txt", ResourceBytes(library.Handle(), kPictureList, kListType));
    WriteFile(out / "Soundz.txt", ResourceBytes(library.Handle(), kSoundList, kListType));
    const auto pictures = NameListOf(library.Handle(), kPictureList);
    const auto sounds = NameListOf(library.Handle(), kSoundList);
    int failures = 0;
    for (const TResourceName& name : NamesOfType(resources, TResourceName(RT_BITMAP))) {
        try {
            WriteFile(out / (FileNameFor(name, pictures) + ".bmp"),
                      BmpFileFromPackedDib(ResourceBytes(library.Handle(), name, RT_BITMAP),
                                           name.Text()));
        } catch (const Exception& e) {
            std::cerr << "velmora-lib: " << e.Message() << "\n";
            ++failures;
        }
    }
    for (const TResourceName& name : NamesOfType(resources, TResourceName(kSoundType))) {
        WriteFile(out / (FileNameFor(name, sounds) + ".wav"),
                  ResourceBytes(library.Handle(), name, kSoundType));
    }
    return failures == 0 ? 0 : kExitFailure;
}

TNamedData NamedFile(const std::string& option, const std::string& value) {
    const auto equals = value.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
        throw UsageError(
            FillIn(LibraryTool::tr("%1 wants NAME=FILE, not \"%2\""), {option, value}));
    }
    const std::string file = value.substr(equals + 1);
    return {value.substr(0, equals), ReadFile(file)};
}

// An argument as the bytes it was given in.
std::string Bytes(const QString& argument) {
    return argument.toLatin1().toStdString();
}

// Reads a file named by --picture or --sound; pictures become packed bitmaps, sounds are checked.
TNamedData PackItem(const std::string& option, const std::string& value) {
    TNamedData item = NamedFile(option, value);
    const std::string file = value.substr(value.find('=') + 1);
    if (option == "--picture") {
        item.Bytes = PackedDibFromBmpFile(item.Bytes, file);
    } else {
        try {
            DescribeWave(item.Bytes);
        } catch (const Exception& e) {
            throw Exception(
                FillIn(LibraryTool::tr("%1 is no usable wave file: %2"), {file, e.Message()}));
        }
    }
    return item;
}

int Pack(const std::string& out, const QStringList& pictureValues, const QStringList& soundValues) {
    std::vector<TNamedData> pictures, sounds;
    for (const QString& value : pictureValues)
        pictures.push_back(PackItem("--picture", Bytes(value)));
    for (const QString& value : soundValues)
        sounds.push_back(PackItem("--sound", Bytes(value)));
    WriteFile(out, BuildLibraryModule(pictures, sounds));
    return 0;
}

// What flashcheck was asked, as the window would run it.
struct FlashQuestion {
    std::string Library;
    std::string Picture;
    double Frequency = 0;
    int Depth = 0;
    bool Difference = false;
    int WindowWidth = kFirstShownWidth;
    int WindowHeight = kFirstShownHeight;
    int ScreenWidth = 1920;
    int ScreenHeight = 1080;
    double Refresh = 60;
    bool Reduced = false;
    bool Json = false;
};

double NumberArgument(const QString& option, const QString& text, double lo, double hi) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= lo && v <= hi)) {
        throw UsageError(FillIn(LibraryTool::tr("--%1 wants a number from %2 to %3, not \"%4\""),
                                {option.toStdString(), QString::number(lo).toStdString(),
                                 QString::number(hi).toStdString(), text.toStdString()}));
    }
    return v;
}

void SizeArgument(const QString& option, const QString& text, int& width, int& height) {
    const QStringList parts = text.split(QLatin1Char('x'));
    bool okW = false, okH = false;
    const int w = parts.size() == 2 ? parts[0].toInt(&okW) : 0;
    const int h = parts.size() == 2 ? parts[1].toInt(&okH) : 0;
    if (!okW || !okH || w < 1 || h < 1 || w > 100000 || h > 100000) {
        throw UsageError(FillIn(LibraryTool::tr("--%1 wants WIDTHxHEIGHT, not \"%2\""),
                                {option.toStdString(), text.toStdString()}));
    }
    width = w;
    height = h;
}

std::string JsonNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", v);
    return text;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
    return out + "\"";
}

// A frequency with its tenths, and its hundredths and thousandths where it has them.
std::string FrequencyText(double hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", hz);
    std::string t = text;
    while (t.back() == '0' && t[t.size() - 2] != '.')
        t.pop_back();
    return t;
}

int FlashCheck(const FlashQuestion& q) {
    OpenLibrary library(q.Library);
    const auto pictures = NameListOf(library.Handle(), kPictureList);
    if (std::find(pictures.begin(), pictures.end(), q.Picture) == pictures.end())
        throw UsageError(
            FillIn(LibraryTool::tr("no picture \"%1\" in %2"), {q.Picture, q.Library}));
    TDIB dib;
    int32_t modulus = 0;
    LoadLibraryPicture(library.Handle(), q.Picture, dib, modulus);
    TFlashPicture picture = FlashPictureOf(dib);
    if (q.Reduced) picture.Colours = ReducedFlashingColours(picture.Colours);
    TFlashSettings s;
    s.TransformLevel = q.Depth;
    s.CycleModulus = modulus;
    s.RightLeftDifference = q.Difference;
    s.StepsPerSecond = PictureStepsPerSecond(q.Frequency);
    s.ShownWidth = q.WindowWidth;
    s.ShownHeight = q.WindowHeight;
    s.ScreenWidth = q.ScreenWidth;
    s.ScreenHeight = q.ScreenHeight;
    s.RefreshHz = q.Refresh;
    const TFlashReport r = CheckFlashing(picture, s);
    if (!r.Checked)
        throw Exception(q.Picture + ": " + FillIn(QString::fromStdString(r.ReasonText())));
    if (q.Json) {
        std::cout << "{\"verdict\": \"" << (r.Over ? "over" : "below") << "\""
                  << ", \"general_flashes_per_second\": " << JsonNumber(r.GeneralFlashesPerSecond)
                  << ", \"red_flashes_per_second\": " << JsonNumber(r.RedFlashesPerSecond)
                  << ", \"screen_area_fraction\": " << JsonNumber(r.ScreenAreaFraction)
                  << ", \"wcag_area_fraction\": " << JsonNumber(r.WcagAreaFraction)
                  << ", \"extended\": " << (r.Extended ? "true" : "false")
                  << ", \"refresh_hz\": " << JsonNumber(r.RefreshHz)
                  << ", \"steps_per_second\": " << JsonNumber(r.StepsPerSecond)
                  << ", \"shown_frequency\": " << JsonNumber(r.Shown.ShownHz)
                  << ", \"shown_evenly\": " << (r.Shown.Differs() ? "false" : "true")
                  << ", \"nearest_even_frequency\": " << JsonNumber(r.Shown.NearestEvenHz)
                  << ", \"reason\": " << JsonString(r.Reason) << "}\n";
    } else {
        // Numbers as the JSON and the options write them, with a decimal point.
        const auto fixed = [](double value, int decimals) {
            return FlashNumber(value, decimals, QLocale::c()).toStdString();
        };
        std::string head =
            FillIn(LibraryTool::tr("%1 at %2 Hz, depth %3"),
                   {q.Picture, FrequencyText(r.StepsPerSecond / 2), std::to_string(q.Depth)});
        if (q.Difference) head += FillIn(LibraryTool::tr(", right/left difference"));
        if (q.Reduced) head += FillIn(LibraryTool::tr(", reduced flashing"));
        head += FillIn(LibraryTool::tr(", shown %1 x %2 on a %3 x %4 screen at %5 Hz"),
                       {std::to_string(q.WindowWidth), std::to_string(q.WindowHeight),
                        std::to_string(q.ScreenWidth), std::to_string(q.ScreenHeight),
                        fixed(r.RefreshHz, 0)});
        const std::string figures = FillIn(
            LibraryTool::tr("%1 general and %2 red flashes a second at most; %3 % of the screen "
                            "and %4 % of a 10-degree field flash more than 3 times a second; "
                            "extended flashing: %5."),
            {fixed(r.GeneralFlashesPerSecond, 1), fixed(r.RedFlashesPerSecond, 1),
             fixed(r.ScreenAreaFraction * 100, 0), fixed(r.WcagAreaFraction * 100, 0),
             FillIn(r.Extended ? LibraryTool::tr("yes") : LibraryTool::tr("no"))});
        std::cout << head << ": " << FillIn(QString::fromStdString(r.VerdictText())) << " ("
                  << FillIn(QString::fromStdString(r.ReasonText())) << "). " << figures;
        const std::string shown = ShownLightText(r.Shown);
        if (!shown.empty()) std::cout << " " << FillIn(QString::fromStdString(shown));
        std::cout << "\n";
    }
    return r.Over ? kExitOverLimits : 0;
}

QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    // The parser's first line names the program as it was called; the usage says more.
    text.replace(0, text.indexOf(QLatin1Char('\n')), LibraryTool::tr(kUsage));
    return text;
}

int Run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(LibraryTool::tr(
        "Lists, extracts and packs the stimulus libraries of velmora.\n"
        "\n"
        "Commands:\n"
        "  list LIB         Prints both name lists, then every picture with its\n"
        "                   size and depth and every sound with its format and\n"
        "                   length.\n"
        "  extract LIB DIR  Writes every picture as a BMP file, every sound as a\n"
        "                   WAV file and both name lists into DIR.\n"
        "  pack OUT         Builds the library OUT from the pictures and sounds\n"
        "                   given with --picture and --sound, each list in the\n"
        "                   order given; nothing is written if a file is unusable.\n"
        "  flashcheck LIB   Grades how strongly the picture NAME flashes at the\n"
        "                   frequency F and depth L against the limits for\n"
        "                   photosensitive viewers. Exit status 0 below the limits,\n"
        "                   3 over them, 2 for bad arguments."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  LibraryTool::tr("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     LibraryTool::tr("Shows the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption picture(
        QStringLiteral("picture"),
        LibraryTool::tr("With pack: adds an 8-bit palette BMP file under NAME. With "
                        "flashcheck: the picture NAME."),
        QStringLiteral("NAME=FILE.bmp"));
    const QCommandLineOption sound(QStringLiteral("sound"),
                                   LibraryTool::tr("With pack: adds a WAV file under NAME."),
                                   QStringLiteral("NAME=FILE.wav"));
    parser.addOption(picture);
    parser.addOption(sound);
    const QCommandLineOption frequency(QStringLiteral("frequency"),
                                       LibraryTool::tr("flashcheck: the main frequency in Hz."),
                                       QStringLiteral("F"));
    const QCommandLineOption depth(QStringLiteral("depth"),
                                   LibraryTool::tr("flashcheck: the transform level, 1 to 15."),
                                   QStringLiteral("L"));
    const QCommandLineOption difference(QStringLiteral("difference"),
                                        LibraryTool::tr("flashcheck: Right/Left Difference on."));
    const QCommandLineOption window(
        QStringLiteral("window"),
        LibraryTool::tr("flashcheck: the picture's size on the screen (%1x%2).")
            .arg(kFirstShownWidth)
            .arg(kFirstShownHeight),
        QStringLiteral("WxH"));
    const QCommandLineOption screen(QStringLiteral("screen"),
                                    LibraryTool::tr("flashcheck: the screen's size (1920x1080)."),
                                    QStringLiteral("WxH"));
    const QCommandLineOption refresh(QStringLiteral("refresh"),
                                     LibraryTool::tr("flashcheck: the display's refresh rate; the "
                                                     "light is graded as its frames show it (60)."),
                                     QStringLiteral("HZ"));
    const QCommandLineOption reduced(QStringLiteral("reduced"),
                                     LibraryTool::tr("flashcheck: with reduced flashing."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  LibraryTool::tr("flashcheck: prints one JSON object."));
    const QList<QCommandLineOption> flashOptions = {frequency, depth,   difference, window,
                                                    screen,    refresh, reduced,    json};
    for (const QCommandLineOption& o : flashOptions)
        parser.addOption(o);

    if (!parser.parse(arguments)) throw UsageError(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::cout << HelpText(parser).toStdString();
        return 0;
    }
    if (parser.isSet(version)) {
        std::cout << "velmora-lib " << kVelmoraVersion << "\n";
        return 0;
    }
    std::vector<std::string> args;
    for (const QString& a : parser.positionalArguments())
        args.push_back(Bytes(a));
    if (args.empty()) throw UsageError(FillIn(LibraryTool::tr("no command given")));
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "pack") {
        if (rest.size() != 1)
            throw UsageError(FillIn(LibraryTool::tr("pack takes one output file")));
        return Pack(rest[0], parser.values(picture), parser.values(sound));
    }
    if (command == "flashcheck") {
        if (rest.size() != 1)
            throw UsageError(FillIn(LibraryTool::tr("flashcheck takes one library")));
        if (parser.values(picture).size() != 1 || !parser.isSet(frequency) || !parser.isSet(depth))
            throw UsageError(
                FillIn(LibraryTool::tr("flashcheck wants one --picture, --frequency and --depth")));
        if (parser.isSet(sound))
            throw UsageError(FillIn(LibraryTool::tr("--sound belongs to pack")));
        FlashQuestion q;
        q.Library = rest[0];
        q.Picture = Bytes(parser.value(picture));
        q.Frequency = NumberArgument(QStringLiteral("frequency"), parser.value(frequency), 0.1, 35);
        q.Depth =
            static_cast<int>(NumberArgument(QStringLiteral("depth"), parser.value(depth), 1, 15));
        if (q.Depth != NumberArgument(QStringLiteral("depth"), parser.value(depth), 1, 15))
            throw UsageError(FillIn(LibraryTool::tr("--depth wants a whole number")));
        q.Difference = parser.isSet(difference);
        if (parser.isSet(window))
            SizeArgument(QStringLiteral("window"), parser.value(window), q.WindowWidth,
                         q.WindowHeight);
        if (parser.isSet(screen))
            SizeArgument(QStringLiteral("screen"), parser.value(screen), q.ScreenWidth,
                         q.ScreenHeight);
        if (parser.isSet(refresh))
            q.Refresh = NumberArgument(QStringLiteral("refresh"), parser.value(refresh), 1, 1000);
        q.Reduced = parser.isSet(reduced);
        q.Json = parser.isSet(json);
        return FlashCheck(q);
    }
    for (const QCommandLineOption& o : flashOptions) {
        if (parser.isSet(o))
            throw UsageError(FillIn(LibraryTool::tr("--%1 belongs to flashcheck"),
                                    {o.names()[0].toStdString()}));
    }
    if (parser.isSet(picture) || parser.isSet(sound)) {
        throw UsageError(FillIn(LibraryTool::tr("--picture and --sound belong to pack")));
    }
    if (command == "list" && rest.size() == 1) return List(rest[0]);
    if (command == "extract" && rest.size() == 2) return Extract(rest[0], rest[1]);
    if (command == "list" || command == "extract") {
        throw UsageError(FillIn(command == "list"
                                    ? LibraryTool::tr("list takes one argument")
                                    : LibraryTool::tr("extract takes two arguments")));
    }
    throw UsageError(FillIn(LibraryTool::tr("unknown command \"%1\""), {command}));
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    InstallTranslations(QLocale::system());
    try {
        QStringList arguments;
        // Each byte as one character, so names and paths come back byte for byte, whatever
        // their encoding; the library writer judges the names.
        for (int i = 0; i < argc; ++i)
            arguments.append(QString::fromLatin1(argv[i]));
        return Run(arguments);
    } catch (const UsageError& e) {
        std::cerr << "velmora-lib: " << e.Message() << "\n" << FillIn(LibraryTool::tr(kUsage));
        return kExitUsage;
    } catch (const Exception& e) {
        std::cerr << "velmora-lib: " << e.Message() << "\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << "velmora-lib: " << e.what() << "\n";
        return kExitFailure;
    }
}
