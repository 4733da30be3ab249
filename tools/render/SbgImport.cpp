// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/SbgImport.h"

#include "session/Session.h"
#include "sound/ModulationStep.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int32_t kMinBeatMilli = 100, kMaxBeatMilli = 35000;
constexpr int32_t kMinCarrierMilli = 50000, kMaxCarrierMilli = 1000000;
constexpr size_t kMaxTimeLines = 4999; // two points each and an end: within 10,000
constexpr int64_t kMaxLengthMs = (99 * 3600 + 59 * 60 + 59) * int64_t{1000};
constexpr int64_t kDayMs = 24 * 3600 * int64_t{1000};

// What the report lists, in the order it lists them.
enum class TLeftOut {
    SeveralBeats,
    PureTones,
    Noise,
    Spin,
    Bell,
    Mix,
    Waveforms,
    UnknownVoices,
    Blocks,
    Options,
    Programmes,
    FadeMarks,
    BeatHigh,
    BeatLow,
    Carrier,
    HeldEnd,
};
constexpr const char* kLeftOutText[] = {
    "several beating voices in one tone-set, the loudest one's beat used",
    "pure tones without a beat left out",
    "noise voices left out (the library's sound plays instead); a tone-set of noise alone sets "
    "only the volume",
    "spin voices left out",
    "bell voices left out",
    "mix input left out",
    "custom waveforms played as sine waves",
    "voices not understood, left out",
    "tone-set blocks ({ ... }) left out",
    "option lines left out",
    "built-in programmes (-p) left out",
    "fade marks taken as the default cross-fade",
    "beats above 35 Hz clamped to 35 Hz",
    "beats below 0.1 Hz raised to 0.1 Hz",
    "carriers outside 50..1000 Hz clamped",
    "the last tone-set is not silent: held for the fade time, where the session ends",
};

struct TVoice {
    enum Kind { Binaural, Isochronic } Type = Binaural;
    int32_t BeatMilli = 0;
    int32_t CarrierMilli = 0;
    double Amplitude = 0;
};

struct TToneSet {
    std::optional<TVoice> Main; // the loudest beating voice
    double Amplitude = 0;       // of the main voice, else of the loudest other voice
    int Line = 0;
};

struct TTimeLine {
    int64_t TimeMs = 0;
    const TToneSet* Set = nullptr;
    bool Slide = false;
    int Line = 0;
};

class TImporter {
public:
    explicit TImporter(std::string name) : name_(std::move(name)) {}

    TSbgImport Run(std::string_view text);

private:
    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw ESbgError(name_ + ", line " + std::to_string(line) + ": " + what);
    }
    void Note(TLeftOut kind, int line) {
        auto& lines = leftOut_[kind];
        if (lines.empty() || lines.back() != line) lines.push_back(line);
    }

    void Definition(std::string_view name, std::string_view specs, int line);
    void Voice(std::string_view spec, TToneSet& set, int line);
    void TimeLine(const std::vector<std::string_view>& words, int line);
    void Option(const std::vector<std::string_view>& words, int line);
    int64_t Time(std::string_view word, int line);
    int32_t Beat(double hz, int line);
    std::vector<TSbgPoint> Points();
    std::string Text(const std::vector<TSbgPoint>& points) const;

    std::string name_;
    std::map<std::string, TToneSet, std::less<>> sets_;
    std::vector<TTimeLine> lines_;
    std::map<TLeftOut, std::vector<int>> leftOut_;
    int64_t fadeMs_ = kSbgDefaultFadeMs;
    std::optional<int64_t> firstClockMs_;
    bool inBlock_ = false;
};

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r'))
            ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\r')
            ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

// Text from the file as a message quotes it: short, and without control characters.
std::string Quoted(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out += c < 0x20 || c == 0x7F || c >= 0x80 ? '?' : static_cast<char>(c);
    }
    return s.size() > 40 ? out + "..." : out;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A plain decimal number, at most six digits before the point and six after.
std::optional<double> Number(std::string_view s) {
    const size_t dot = s.find('.');
    const std::string_view whole = s.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? "" : s.substr(dot + 1);
    if (whole.size() > 6 || fraction.size() > 6 || (whole.empty() && fraction.empty()))
        return std::nullopt;
    if (dot != std::string_view::npos && fraction.empty()) return std::nullopt;
    double v = 0;
    for (char c : whole) {
        if (!IsDigit(c)) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    double scale = 0.1;
    for (char c : fraction) {
        if (!IsDigit(c)) return std::nullopt;
        v += (c - '0') * scale;
        scale /= 10;
    }
    return v;
}

int32_t Milli(double hz) {
    return static_cast<int32_t>(std::lround(hz * 1000));
}

// The Volume knob's step nearest to an amplitude in percent of full scale, in decibels.
int VolumeFor(double amplitude) {
    if (amplitude <= 0) return 0;
    const double centibels = 2000.0 * std::log10(std::min(amplitude, 100.0) / 100.0);
    int best = 1;
    for (int k = 1; k <= 10; ++k) {
        if (std::fabs(kVolumeSteps[k] - centibels) < std::fabs(kVolumeSteps[best] - centibels))
            best = k;
    }
    return best;
}

std::string Hertz(int32_t milli, bool keepPoint) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%03d", milli / 1000, milli % 1000);
    std::string s = text;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') {
        if (keepPoint)
            s += '0';
        else
            s.pop_back();
    }
    return s;
}

void TImporter::Definition(std::string_view name, std::string_view specs, int line) {
    if (Trim(specs) == "{") {
        Note(TLeftOut::Blocks, line);
        inBlock_ = true;
        return;
    }
    TToneSet set;
    set.Line = line;
    for (std::string_view spec : Words(specs))
        Voice(spec, set, line);
    if (!sets_.emplace(std::string(name), set).second)
        Fail(line, "tone-set \"" + Quoted(name) + "\" is defined twice");
}

void TImporter::Voice(std::string_view spec, TToneSet& set, int line) {
    if (spec == "-") return;
    const size_t slash = spec.rfind('/');
    const auto amplitude =
        slash == std::string_view::npos ? std::nullopt : Number(spec.substr(slash + 1));
    if (!amplitude) {
        Note(TLeftOut::UnknownVoices, line);
        return;
    }
    std::string_view body = spec.substr(0, slash);
    auto louder = [&](double a) {
        if (!set.Main && a > set.Amplitude) set.Amplitude = a;
    };
    if (body == "pink" || body == "white" || body == "brown") {
        Note(TLeftOut::Noise, line);
        louder(*amplitude);
        return;
    }
    if (body == "mix") return Note(TLeftOut::Mix, line);
    if (body.starts_with("spin:")) return Note(TLeftOut::Spin, line);
    if (body.starts_with("bell")) return Note(TLeftOut::Bell, line);
    if (body.starts_with("wave") && body.find(':') != std::string_view::npos) {
        Note(TLeftOut::Waveforms, line);
        body.remove_prefix(body.find(':') + 1);
    }
    const size_t mark = body.find_first_of("+-@");
    const auto carrier = Number(body.substr(0, mark));
    if (!carrier) return Note(TLeftOut::UnknownVoices, line);
    if (mark == std::string_view::npos) {
        Note(TLeftOut::PureTones, line);
        louder(*amplitude);
        return;
    }
    const auto beat = Number(body.substr(mark + 1));
    if (!beat) return Note(TLeftOut::UnknownVoices, line);
    if (*beat == 0) {
        Note(TLeftOut::PureTones, line);
        louder(*amplitude);
        return;
    }
    TVoice voice;
    voice.Type = body[mark] == '@' ? TVoice::Isochronic : TVoice::Binaural;
    voice.BeatMilli = Beat(*beat, line);
    int32_t carrierMilli = Milli(*carrier);
    if (carrierMilli < kMinCarrierMilli || carrierMilli > kMaxCarrierMilli) {
        Note(TLeftOut::Carrier, line);
        carrierMilli = std::clamp(carrierMilli, kMinCarrierMilli, kMaxCarrierMilli);
    }
    voice.CarrierMilli = carrierMilli;
    voice.Amplitude = *amplitude;
    if (set.Main) {
        Note(TLeftOut::SeveralBeats, line);
        if (voice.Amplitude <= set.Main->Amplitude) return;
    }
    set.Main = voice;
    set.Amplitude = voice.Amplitude;
}

int32_t TImporter::Beat(double hz, int line) {
    const int32_t milli = Milli(hz);
    if (milli > kMaxBeatMilli) {
        Note(TLeftOut::BeatHigh, line);
        return kMaxBeatMilli;
    }
    if (milli < kMinBeatMilli) {
        Note(TLeftOut::BeatLow, line);
        return kMinBeatMilli;
    }
    return milli;
}

// hh:mm or hh:mm:ss.
std::optional<int64_t> Clock(std::string_view s) {
    int64_t parts[3] = {};
    int count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && s[i] != ':') continue;
        const std::string_view part = s.substr(start, i - start);
        if (count == 3 || part.size() != 2 || !IsDigit(part[0]) || !IsDigit(part[1]))
            return std::nullopt;
        parts[count++] = (part[0] - '0') * 10 + (part[1] - '0');
        start = i + 1;
    }
    if (count < 2 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return ((parts[0] * 60 + parts[1]) * 60 + parts[2]) * 1000;
}

int64_t TImporter::Time(std::string_view word, int line) {
    const std::string_view written = word;
    auto bad = [&] { Fail(line, "time \"" + Quoted(written) + "\" is not understood"); };
    if (word.starts_with("NOW")) {
        word.remove_prefix(3);
        if (word.empty()) return 0;
        if (word.front() != '+') bad();
    }
    if (!word.empty() && word.front() == '+') {
        const auto offset = Clock(word.substr(1));
        if (!offset) bad();
        return *offset;
    }
    const auto clock = Clock(word);
    if (!clock || *clock >= kDayMs) bad();
    if (!firstClockMs_) firstClockMs_ = *clock;
    // Clock times count from the first one; one earlier than the time before is the next day.
    int64_t ms = (*clock - *firstClockMs_ + kDayMs) % kDayMs;
    if (!lines_.empty()) {
        while (ms < lines_.back().TimeMs)
            ms += kDayMs;
    }
    return ms;
}

void TImporter::Option(const std::vector<std::string_view>& words, int line) {
    if (words[0].starts_with("-p")) return Note(TLeftOut::Programmes, line);
    if (words[0] == "-F" && words.size() == 2) {
        if (const auto ms = Number(words[1])) {
            fadeMs_ = static_cast<int64_t>(*ms);
            return;
        }
    }
    Note(TLeftOut::Options, line);
}

void TImporter::TimeLine(const std::vector<std::string_view>& words, int line) {
    size_t i = 1;
    if (i < words.size() && words[i].find_first_not_of("<>=-") == std::string_view::npos &&
        words[i] != "->") {
        if (words[i] != "<>") Note(TLeftOut::FadeMarks, line);
        ++i;
    }
    if (i >= words.size()) Fail(line, "a time line needs a tone-set");
    const auto set = sets_.find(words[i]);
    if (set == sets_.end()) Fail(line, "tone-set \"" + Quoted(words[i]) + "\" is not defined");
    TTimeLine entry;
    entry.TimeMs = Time(words[0], line);
    entry.Set = &set->second;
    entry.Line = line;
    ++i;
    if (i < words.size() && words[i] == "->") {
        entry.Slide = true;
        ++i;
    }
    if (i != words.size()) Fail(line, "\"" + Quoted(words[i]) + "\" after the tone-set");
    if (!lines_.empty() && entry.TimeMs < lines_.back().TimeMs)
        Fail(line, "time " + Quoted(words[0]) + " comes before the line above");
    if (entry.TimeMs > kMaxLengthMs) Fail(line, "the schedule runs longer than 99:59:59");
    if (lines_.size() == kMaxTimeLines)
        Fail(line, "more than " + std::to_string(kMaxTimeLines) + " time lines");
    // Two lines at one moment: the later one counts.
    if (!lines_.empty() && entry.TimeMs == lines_.back().TimeMs)
        lines_.back() = entry;
    else
        lines_.push_back(entry);
}

std::vector<TSbgPoint> TImporter::Points() {
    // A tone-set without a beat holds the frequency before it; before the first beat the
    // first beat's frequency stands.
    int32_t held = 0;
    for (const TTimeLine& l : lines_) {
        if (l.Set->Main) {
            held = l.Set->Main->BeatMilli;
            break;
        }
    }
    if (held == 0) {
        Fail(lines_.empty() ? 1 : lines_.front().Line,
             "no tone-set of the schedule has a beating voice to follow");
    }
    std::vector<TSbgPoint> points;
    int volume = -1;
    std::string tone;
    int32_t carrier = -1;
    auto add = [&](int64_t ms, int32_t milli) -> TSbgPoint& {
        if (!points.empty() && points.back().TimeMs == ms) {
            points.back().FrequencyMilli = milli;
        } else {
            TSbgPoint p;
            p.TimeMs = ms;
            p.FrequencyMilli = milli;
            points.push_back(p);
        }
        return points.back();
    };
    int32_t previous = held;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const TTimeLine& l = lines_[i];
        const TToneSet& set = *l.Set;
        const int32_t target = set.Main ? set.Main->BeatMilli : previous;
        const bool slidIn = i > 0 && lines_[i - 1].Slide;
        const int64_t next = i + 1 < lines_.size() ? lines_[i + 1].TimeMs : -1;
        // The cross-fade, cut short by the next line.
        const int64_t fade = next < 0 ? fadeMs_ : std::min(fadeMs_, next - l.TimeMs);
        const bool fades = i > 0 && !slidIn && target != previous && fade >= 1000;
        TSbgPoint& p = add(l.TimeMs, fades ? previous : target);
        const int v = VolumeFor(set.Amplitude);
        const std::string t = !set.Main                              ? "off"
                              : set.Main->Type == TVoice::Isochronic ? "isochronic"
                                                                     : "binaural";
        if (v != volume) p.Volume = volume = v;
        if (t != tone) p.Tone = tone = t;
        if (set.Main && set.Main->CarrierMilli != carrier)
            p.CarrierMilli = carrier = set.Main->CarrierMilli;
        if (fades) add(l.TimeMs + fade / 1000 * 1000, target);
        previous = target;
    }
    // The session ends at a silent last tone-set; one still sounding is held for the fade.
    const TTimeLine& last = lines_.back();
    if (VolumeFor(last.Set->Amplitude) != 0 || points.back().TimeMs == 0) {
        Note(TLeftOut::HeldEnd, last.Line);
        add(points.back().TimeMs + std::max<int64_t>(fadeMs_ / 1000 * 1000, 1000), previous);
    }
    if (points.back().TimeMs > kMaxLengthMs)
        Fail(last.Line, "the schedule runs longer than 99:59:59");
    return points;
}

std::string TImporter::Text(const std::vector<TSbgPoint>& points) const {
    const std::string stem = std::filesystem::path(name_).stem().string();
    std::string text = "# " + stem + " (imported)\n#\n# Converted from " + name_ +
                       " by velmora-render --import-sbg.\n";
    for (const auto& [kind, lines] : leftOut_) {
        text += "# Left out or changed: " + std::string(kLeftOutText[static_cast<int>(kind)]);
        text += lines.size() == 1 ? " (line " : " (lines ";
        for (size_t i = 0; i < lines.size(); ++i)
            text += (i ? ", " : "") + std::to_string(lines[i]);
        text += ")\n";
    }
    for (const TSbgPoint& p : points) {
        text += FormatSessionTime(p.TimeMs) + "  " + Hertz(p.FrequencyMilli, true);
        if (!p.Tone.empty()) text += "  tone=" + p.Tone;
        if (p.CarrierMilli >= 0) text += "  carrier=" + Hertz(p.CarrierMilli, false);
        if (p.Volume >= 0) text += "  volume=" + std::to_string(p.Volume);
        text += '\n';
    }
    return text;
}

TSbgImport TImporter::Run(std::string_view text) {
    int line = 0;
    size_t start = 0;
    while (start < text.size()) {
        ++line;
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view content = text.substr(start, end - start);
        start = end + 1;
        content = Trim(content.substr(0, content.find('#')));
        if (content.empty()) continue;
        if (inBlock_) {
            if (content == "}") inBlock_ = false;
            continue;
        }
        const auto words = Words(content);
        if (content.front() == '-') {
            Option(words, line);
            continue;
        }
        const size_t colon = content.find(':');
        const std::string_view name = content.substr(0, colon);
        if (IsLetter(content.front()) && colon != std::string_view::npos &&
            !name.starts_with("NOW") && std::all_of(name.begin(), name.end(), [](char c) {
                return IsLetter(c) || IsDigit(c) || c == '_' || c == '-';
            })) {
            Definition(name, content.substr(colon + 1), line);
            continue;
        }
        TimeLine(words, line);
    }
    if (lines_.empty()) Fail(line == 0 ? 1 : line, "the schedule has no time lines");
    TSbgImport result;
    result.Points = Points();
    for (const auto& [kind, lines] : leftOut_) {
        std::string report = name_ + ": " + kLeftOutText[static_cast<int>(kind)];
        report += lines.size() == 1 ? " (line " : " (lines ";
        for (size_t i = 0; i < lines.size(); ++i)
            report += (i ? ", " : "") + std::to_string(lines[i]);
        result.Report.push_back(report + ")");
    }
    result.Text = Text(result.Points);
    return result;
}

} // namespace

TSbgImport ImportSbg(std::string_view text, const std::string& name) {
    return TImporter(name).Run(text);
}

TSbgImport ImportSbgFile(const std::string& path) {
    const std::string name = Quoted(std::filesystem::path(path).filename().string());
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw ESbgError("cannot open " + name);
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } close{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw ESbgError(name + " is not a regular file");
    if (st.st_size > kSbgMaxBytes) throw ESbgError(name + " is larger than 1 MiB");
    std::string text(static_cast<size_t>(kSbgMaxBytes) + 1, '\0');
    size_t have = 0;
    while (have < text.size()) {
        const ssize_t got = ::read(fd, text.data() + have, text.size() - have);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw ESbgError(name + " cannot be read");
        if (got == 0) break;
        have += static_cast<size_t>(got);
    }
    if (have > static_cast<size_t>(kSbgMaxBytes)) throw ESbgError(name + " is larger than 1 MiB");
    text.resize(have);
    return ImportSbg(text, name);
}
