// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/SpsqReader.h"

#include "session/Session.h"
#include "session/SessionFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace {

constexpr int32_t kMinBeatMilli = 100, kMaxBeatMilli = 35000;
constexpr int32_t kMinCarrierMilli = 50000, kMaxCarrierMilli = 1000000;
constexpr size_t kMaxPresets = 32, kMaxTracks = 16;
constexpr size_t kMaxTimeline = 10000;
constexpr int kMaxSteps = 100;
// Points lie on whole seconds of a timeline shorter than a day, a few more for each line: a
// bound on the work that a schedule of its format never reaches.
constexpr size_t kMaxLaidPoints = 300000;
constexpr int64_t kSecondMs = 1000;
constexpr int64_t kDayMs = 24 * 3600 * kSecondMs;
// The share of a slide's swing the laid-down points may stray from its curve; a little under
// the half per cent promised, for what the points' whole seconds and thousandths round away.
constexpr double kCurveTolerance = 0.0045;

constexpr const char* kNotDefined = QT_TRANSLATE_NOOP("Import", "preset \"%1\" is not defined");

std::string Count(size_t n) {
    return ImportCount(static_cast<long long>(n));
}

// What the report lists, in the order it lists them.
enum class TLeftOut {
    SeveralBeats,
    PureTones,
    Monaural,
    Noise,
    Background,
    Waveforms,
    NotFetched,
    Gain,
    CarrierSteps,
    BeatHigh,
    BeatLow,
    Carrier,
    CarrierRounded,
    TimesRounded,
    PrintedComments,
    Thinned,
};
constexpr const char* kLeftOutText[] = {
    QT_TRANSLATE_NOOP("Import",
                      "several beating tracks in one preset, the loudest one's beat used"),
    QT_TRANSLATE_NOOP("Import", "pure tones without a beat left out"),
    QT_TRANSLATE_NOOP("Import", "monaural beats played as binaural beats"),
    QT_TRANSLATE_NOOP(
        "Import",
        "noise tracks left out (the library's sound plays instead); a preset of noise alone sets "
        "only the volume"),
    QT_TRANSLATE_NOOP("Import", "background tracks left out"),
    QT_TRANSLATE_NOOP("Import", "waveforms other than sine played as sine waves"),
    QT_TRANSLATE_NOOP("Import",
                      "background sounds, preset lists and extended files are not fetched"),
    QT_TRANSLATE_NOOP("Import", "the background's gain level left out"),
    QT_TRANSLATE_NOOP("Import", "carrier slides played as steps where the slide ends"),
    QT_TRANSLATE_NOOP("Import", "beats above 35 Hz clamped to 35 Hz"),
    QT_TRANSLATE_NOOP("Import", "beats below 0.1 Hz raised to 0.1 Hz"),
    QT_TRANSLATE_NOOP("Import", "carriers outside 50..1000 Hz clamped"),
    QT_TRANSLATE_NOOP("Import", "carriers rounded to whole hertz"),
    QT_TRANSLATE_NOOP("Import", "times rounded to whole seconds"),
    QT_TRANSLATE_NOOP("Import", "printed comments (##) left out: a session speaks only what its "
                                "points say"),
    "", // worded where the points are thinned
};

struct TTrack {
    enum Kind { Tone, Noise, Background } Type = Tone;
    std::string Mode; // binaural, monaural, isochronic; empty for a pure tone
    double Carrier = 0, Beat = 0, Amplitude = 0;
    int Line = 0;
};

struct TPreset {
    std::vector<TTrack> Tracks;
    bool Template = false;
    int Line = 0;
};

// What a preset makes of the session: the main beat and its tone, or silence.
struct TState {
    bool Beats = false;
    int32_t BeatMilli = 0, CarrierMilli = 0;
    bool Isochronic = false;
    double Amplitude = 0; // of the main track, else of the loudest other one
    bool Silence = false; // the built-in silence, or nothing at all
};

struct TLine {
    int64_t TimeMs = 0;
    TState State;
    std::string Curve = "steady";
    int Steps = 0;
    int Line = 0;
    int Set = -1; // which preset, for "the same preset twice holds"
};

bool IsName(std::string_view s) {
    if (s.empty() || s.size() > 64 ||
        !((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z')))
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' ||
               c == '-';
    });
}

// HH:MM:SS, two digits each, hours up to 23.
std::optional<int64_t> TimelineTime(std::string_view s) {
    if (s.size() != 8 || s[2] != ':' || s[5] != ':') return std::nullopt;
    for (size_t i = 0; i < s.size(); ++i)
        if (i != 2 && i != 5 && !IsDigit(s[i])) return std::nullopt;
    const int h = (s[0] - '0') * 10 + (s[1] - '0');
    const int m = (s[3] - '0') * 10 + (s[4] - '0');
    const int sec = (s[6] - '0') * 10 + (s[7] - '0');
    if (h > 23 || m > 59 || sec > 59) return std::nullopt;
    return ((h * 60 + m) * 60 + sec) * kSecondMs;
}

int32_t Milli(double hz) {
    return static_cast<int32_t>(std::lround(hz * 1000));
}

double Logistic(double v) {
    return 1 / (1 + std::exp(-v));
}

class TReader {
public:
    explicit TReader(std::string name) : name_(std::move(name)) {}

    TImported Text(std::string_view text);
    TImported Structured(std::string_view text);

private:
    [[noreturn]] void Fail(int line, const char* reason,
                           std::initializer_list<std::string> args = {}) const {
        FailImportAt(name_, unit_, line, reason, args);
    }
    void Note(TLeftOut kind, int line) {
        report_.Note(static_cast<int>(kind), kLeftOutText[static_cast<int>(kind)], line);
    }
    void Option(const std::vector<std::string_view>& words, int line);
    void Header(const std::vector<std::string_view>& words, int line);
    void Track(std::vector<std::string_view> words, int line);
    void Override(const std::vector<std::string_view>& words, int line);
    void Timeline(const std::vector<std::string_view>& words, int line);
    TState StateOf(const std::vector<TTrack>& tracks);
    void Slide(TImportPointList& list, const TLine& from, const TLine& to, int32_t start,
               int32_t end);
    TImported Finish();

    std::string name_;
    TImportUnit unit_ = TImportUnit::Line;
    TImportReport report_;
    std::map<std::string, TPreset, std::less<>> presets_;
    TPreset* current_ = nullptr;
    bool fromTemplate_ = false;
    std::vector<TLine> timeline_;
    double volume_ = 100;
    bool elsewhere_ = false; // presets may come from a list or a file not read
};

void TReader::Option(const std::vector<std::string_view>& words, int line) {
    const std::string_view key = words[0];
    if (key == "@volume") {
        const auto v = words.size() == 2 ? Number(words[1]) : std::nullopt;
        if (!v || *v > 100) Fail(line, QT_TRANSLATE_NOOP("Import", "@volume takes 0 to 100"));
        volume_ = *v;
    } else if (key == "@gainlevel") {
        if (words.size() != 2 ||
            (words[1] != "off" && words[1] != "high" && words[1] != "medium" && words[1] != "low"))
            Fail(line, QT_TRANSLATE_NOOP("Import", "@gainlevel takes off, high, medium or low"));
        Note(TLeftOut::Gain, line);
    } else if (key == "@background" || key == "@presetlist" || key == "@ambiance" ||
               key == "@music" || key == "@extends") {
        if (words.size() < 2)
            Fail(line, QT_TRANSLATE_NOOP("Import", "%1 needs a name"), {std::string(key)});
        Note(TLeftOut::NotFetched, line);
        elsewhere_ = elsewhere_ || key == "@presetlist" || key == "@extends";
    } else if (key != "@samplerate") {
        Fail(line, QT_TRANSLATE_NOOP("Import", "option \"%1\" is not known"),
             {QuotedForImport(key)});
    }
}

void TReader::Header(const std::vector<std::string_view>& words, int line) {
    if (!timeline_.empty())
        Fail(line, QT_TRANSLATE_NOOP("Import", "presets come before the timeline"));
    if (!IsName(words[0]) || words[0] == "silence")
        Fail(line, QT_TRANSLATE_NOOP("Import", "\"%1\" is not a timeline time or a preset name"),
             {QuotedForImport(words[0])});
    if (presets_.count(words[0]) != 0)
        Fail(line, QT_TRANSLATE_NOOP("Import", "preset \"%1\" is defined twice"),
             {QuotedForImport(words[0])});
    if (presets_.size() == kMaxPresets)
        Fail(line, QT_TRANSLATE_NOOP("Import", "more than %1 presets"), {Count(kMaxPresets)});
    TPreset preset;
    preset.Line = line;
    fromTemplate_ = false;
    if (words.size() == 3 && words[1] == "as" && words[2] == "template") {
        preset.Template = true;
    } else if (words.size() == 3 && words[1] == "from") {
        const auto source = presets_.find(words[2]);
        if (source == presets_.end()) Fail(line, kNotDefined, {QuotedForImport(words[2])});
        preset.Tracks = source->second.Tracks;
        fromTemplate_ = true;
    } else if (words.size() != 1) {
        Fail(line, QT_TRANSLATE_NOOP(
                       "Import",
                       "a preset line is a name, \"NAME as template\" or \"NAME from TEMPLATE\""));
    }
    current_ = &presets_.emplace(std::string(words[0]), preset).first->second;
}

void TReader::Track(std::vector<std::string_view> words, int line) {
    if (!current_) Fail(line, QT_TRANSLATE_NOOP("Import", "a track comes under a preset"));
    if (words[0] == "track") return Override(words, line);
    bool sine = true;
    if (words[0] == "waveform") {
        if (words.size() < 3 || (words[1] != "sine" && words[1] != "square" &&
                                 words[1] != "triangle" && words[1] != "sawtooth"))
            Fail(line,
                 QT_TRANSLATE_NOOP("Import", "waveform takes sine, square, triangle or sawtooth"));
        sine = words[1] == "sine";
        words.erase(words.begin(), words.begin() + 2);
    }
    if (current_->Tracks.size() == kMaxTracks)
        Fail(line, QT_TRANSLATE_NOOP("Import", "more than %1 tracks in a preset"),
             {Count(kMaxTracks)});
    TTrack track;
    track.Line = line;
    // Every track ends with "amplitude A".
    const auto amplitude = words.size() >= 2 && words[words.size() - 2] == "amplitude"
                               ? Number(words.back())
                               : std::nullopt;
    if (!amplitude || *amplitude > 100)
        Fail(line, QT_TRANSLATE_NOOP("Import", "a track ends with \"amplitude 0..100\""));
    track.Amplitude = *amplitude;
    const size_t n = words.size() - 2;
    if (words[0] == "tone") {
        const auto carrier = n >= 2 ? Number(words[1]) : std::nullopt;
        if (!carrier || (n != 2 && n != 4))
            Fail(line, QT_TRANSLATE_NOOP("Import", "tone takes CARRIER [MODE BEAT]"));
        track.Carrier = *carrier;
        if (n == 4) {
            const auto beat = Number(words[3]);
            if ((words[2] != "binaural" && words[2] != "monaural" && words[2] != "isochronic") ||
                !beat)
                Fail(line, QT_TRANSLATE_NOOP(
                               "Import", "a tone's beat is binaural, monaural or isochronic BEAT"));
            track.Mode = words[2];
            track.Beat = *beat;
        }
    } else if (words[0] == "noise") {
        if (n != 2 || (words[1] != "white" && words[1] != "pink" && words[1] != "brown"))
            Fail(line, QT_TRANSLATE_NOOP("Import", "noise takes white, pink or brown"));
        track.Type = TTrack::Noise;
    } else if (words[0] == "background") {
        for (const TTrack& t : current_->Tracks)
            if (t.Type == TTrack::Background)
                Fail(line, QT_TRANSLATE_NOOP("Import", "a preset has one background track"));
        track.Type = TTrack::Background;
    } else {
        Fail(line, QT_TRANSLATE_NOOP("Import", "\"%1\" is not a track"),
             {QuotedForImport(words[0])});
    }
    if (!sine) Note(TLeftOut::Waveforms, line);
    current_->Tracks.push_back(track);
}

// "track N ATTRIBUTE VALUE" under a preset made from another: one value changed, or moved by
// +x or -x.
void TReader::Override(const std::vector<std::string_view>& words, int line) {
    if (!fromTemplate_)
        Fail(line,
             QT_TRANSLATE_NOOP("Import", "\"track N\" lines belong under \"NAME from TEMPLATE\""));
    const auto index = words.size() == 4 ? Number(words[1]) : std::nullopt;
    if (!index || *index < 1 || *index > static_cast<double>(current_->Tracks.size()) ||
        *index != std::floor(*index))
        Fail(line,
             QT_TRANSLATE_NOOP("Import", "track takes the number of one of the template's tracks"));
    TTrack& track = current_->Tracks[static_cast<size_t>(*index) - 1];
    std::string_view value = words[3];
    const int sign = value.starts_with('+') ? 1 : value.starts_with('-') ? -1 : 0;
    if (sign != 0) value.remove_prefix(1);
    const auto number = Number(value);
    if (!number)
        Fail(line, QT_TRANSLATE_NOOP("Import", "\"%1\" is not a number"),
             {QuotedForImport(words[3])});
    auto set = [&](double& field) {
        field = sign == 0 ? *number : std::max(0.0, field + sign * *number);
    };
    const std::string_view attribute = words[2];
    if (attribute == "tone") {
        set(track.Carrier);
    } else if (attribute == "binaural" || attribute == "monaural" || attribute == "isochronic") {
        track.Mode = attribute;
        set(track.Beat);
    } else if (attribute == "amplitude") {
        set(track.Amplitude);
        track.Amplitude = std::min(track.Amplitude, 100.0);
    } else if (attribute != "intensity" && attribute != "spin" && attribute != "pulse") {
        Fail(line, QT_TRANSLATE_NOOP("Import", "\"%1\" is not a track's attribute"),
             {QuotedForImport(attribute)});
    }
    track.Line = line;
}

TState TReader::StateOf(const std::vector<TTrack>& tracks) {
    TState state;
    const TTrack* main = nullptr;
    for (const TTrack& t : tracks) {
        if (t.Type == TTrack::Noise) Note(TLeftOut::Noise, t.Line);
        if (t.Type == TTrack::Background) Note(TLeftOut::Background, t.Line);
        if (t.Type == TTrack::Tone && (t.Mode.empty() || t.Beat <= 0))
            Note(TLeftOut::PureTones, t.Line);
        if (t.Type != TTrack::Tone || t.Mode.empty() || t.Beat <= 0) {
            state.Amplitude = main ? state.Amplitude : std::max(state.Amplitude, t.Amplitude);
            continue;
        }
        if (main) Note(TLeftOut::SeveralBeats, t.Line);
        if (!main || t.Amplitude > main->Amplitude) {
            main = &t;
            state.Amplitude = t.Amplitude;
        }
    }
    if (!main) return state;
    state.Beats = true;
    state.Isochronic = main->Mode == "isochronic";
    if (main->Mode == "monaural") Note(TLeftOut::Monaural, main->Line);
    state.BeatMilli = Milli(main->Beat);
    if (state.BeatMilli > kMaxBeatMilli) Note(TLeftOut::BeatHigh, main->Line);
    if (state.BeatMilli < kMinBeatMilli) Note(TLeftOut::BeatLow, main->Line);
    state.BeatMilli = std::clamp(state.BeatMilli, kMinBeatMilli, kMaxBeatMilli);
    int32_t carrier = Milli(std::min(main->Carrier, 1e6));
    if (carrier < kMinCarrierMilli || carrier > kMaxCarrierMilli) {
        Note(TLeftOut::Carrier, main->Line);
        carrier = std::clamp(carrier, kMinCarrierMilli, kMaxCarrierMilli);
    }
    if (const int32_t whole = (carrier + 500) / 1000 * 1000; whole != carrier) {
        Note(TLeftOut::CarrierRounded, main->Line);
        carrier = whole;
    }
    state.CarrierMilli = carrier;
    return state;
}

void TReader::Timeline(const std::vector<std::string_view>& words, int line) {
    const auto time = TimelineTime(words[0]);
    if (!time)
        Fail(line, QT_TRANSLATE_NOOP("Import", "time \"%1\" is not HH:MM:SS"),
             {QuotedForImport(words[0])});
    if (words.size() < 2 || words.size() > 4)
        Fail(line, QT_TRANSLATE_NOOP("Import", "a timeline line is TIME PRESET [CURVE]"));
    if (timeline_.size() == kMaxTimeline)
        Fail(line, QT_TRANSLATE_NOOP("Import", "more than %1 timeline lines"),
             {Count(kMaxTimeline)});
    TLine l;
    l.TimeMs = *time;
    l.Line = line;
    if (timeline_.empty() && l.TimeMs != 0)
        Fail(line, QT_TRANSLATE_NOOP("Import", "the timeline starts at 00:00:00"));
    if (!timeline_.empty() && l.TimeMs <= timeline_.back().TimeMs)
        Fail(line, QT_TRANSLATE_NOOP("Import", "time %1 does not come after the line above"),
             {std::string(words[0])});
    if (words[1] == "silence") {
        l.State.Silence = true;
    } else {
        const auto preset = presets_.find(words[1]);
        if (preset == presets_.end()) {
            Fail(line,
                 elsewhere_ ? QT_TRANSLATE_NOOP("Import", "preset \"%1\" is not defined (preset "
                                                          "lists and extended files are not read)")
                            : kNotDefined,
                 {QuotedForImport(words[1])});
        }
        if (preset->second.Template)
            Fail(line, QT_TRANSLATE_NOOP("Import", "\"%1\" is a template, not for the timeline"),
                 {QuotedForImport(words[1])});
        l.State = StateOf(preset->second.Tracks);
        l.Set = preset->second.Line;
    }
    if (words.size() >= 3) {
        double unused = 0;
        if (!SpsqCurve(words[2], 0, unused))
            Fail(line,
                 QT_TRANSLATE_NOOP("Import", "\"%1\" is not steady, ease-in, ease-out or smooth"),
                 {QuotedForImport(words[2])});
        l.Curve = words[2];
    }
    if (words.size() == 4) {
        const auto steps = Number(words[3]);
        if (!steps || *steps < 1 || *steps > kMaxSteps || *steps != std::floor(*steps))
            Fail(line, QT_TRANSLATE_NOOP("Import", "steps take a whole number from 1 to %1"),
                 {Count(kMaxSteps)});
        l.Steps = static_cast<int>(*steps);
    }
    timeline_.push_back(l);
}

TImported TReader::Text(std::string_view text) {
    int line = 0;
    for (size_t start = 0; start < text.size();) {
        ++line;
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        if (line == 1 && raw.starts_with("\xEF\xBB\xBF")) raw.remove_prefix(3);
        const std::string_view content = TrimSpaces(raw);
        if (content.starts_with("##")) Note(TLeftOut::PrintedComments, line);
        if (content.empty() || content.front() == '#') continue;
        const auto words = SplitWords(content);
        if (raw.front() == '@') {
            if (!presets_.empty() || !timeline_.empty())
                Fail(line, QT_TRANSLATE_NOOP("Import", "options come before the presets"));
            Option(words, line);
        } else if (raw.starts_with("  ")) {
            if (raw[2] == ' ' || raw[2] == '\t')
                Fail(line, QT_TRANSLATE_NOOP("Import", "tracks are indented by two spaces"));
            if (!timeline_.empty())
                Fail(line, QT_TRANSLATE_NOOP("Import", "a track comes under a preset"));
            Track(words, line);
        } else if (raw.front() == ' ' || raw.front() == '\t') {
            Fail(line, QT_TRANSLATE_NOOP("Import", "tracks are indented by two spaces"));
        } else if (IsDigit(raw.front())) {
            current_ = nullptr;
            Timeline(words, line);
        } else {
            Header(words, line);
        }
    }
    if (timeline_.size() < 2)
        Fail(std::max(line, 1),
             QT_TRANSLATE_NOOP("Import", "the timeline needs at least two lines"));
    return Finish();
}

// The structured form: "options", then "sequence" entries, each the whole state at its time.
TImported TReader::Structured(std::string_view text) {
    unit_ = TImportUnit::Entry;
    report_.SetUnit(unit_);
    if (text.size() > static_cast<size_t>(kImportMaxBytes))
        FailImport(QT_TRANSLATE_NOOP("Import", "%1 is larger than 4 MiB"), {name_});
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        FailImport(QT_TRANSLATE_NOOP("Import", "%1: not JSON (%2 at byte %3)"),
                   {name_, error.errorString().toStdString(), std::to_string(error.offset)});
    }
    const QJsonObject root = document.object();
    const QJsonObject options = root.value(QStringLiteral("options")).toObject();
    if (options.contains(QStringLiteral("volume"))) {
        const double v = options.value(QStringLiteral("volume")).toDouble(-1);
        if (!(v >= 0 && v <= 100))
            FailImport(QT_TRANSLATE_NOOP("Import", "%1: the volume is 0 to 100"), {name_});
        volume_ = v;
    }
    for (const char* key : {"background", "presetlist", "ambiance", "music", "extends"})
        if (options.contains(QLatin1String(key))) Note(TLeftOut::NotFetched, 0);
    const QJsonArray sequence = root.value(QStringLiteral("sequence")).toArray();
    if (static_cast<size_t>(sequence.size()) > kMaxTimeline)
        Fail(static_cast<int>(kMaxTimeline), QT_TRANSLATE_NOOP("Import", "more than %1 entries"),
             {Count(kMaxTimeline)});
    int entry = 0;
    for (const QJsonValue& value : sequence) {
        ++entry;
        const QJsonObject object = value.toObject();
        const double ms = object.value(QStringLiteral("time")).toDouble(-1);
        if (!(ms >= 0 && ms < kDayMs))
            Fail(entry, QT_TRANSLATE_NOOP("Import", "the time is 0 to 24 hours in milliseconds"));
        TLine l;
        l.Line = entry;
        l.TimeMs = std::llround(ms / 1000) * kSecondMs;
        if (static_cast<double>(l.TimeMs) != ms) Note(TLeftOut::TimesRounded, entry);
        if (timeline_.empty() && l.TimeMs != 0)
            Fail(entry, QT_TRANSLATE_NOOP("Import", "the sequence starts at time 0"));
        if (!timeline_.empty() && l.TimeMs <= timeline_.back().TimeMs)
            Fail(entry,
                 QT_TRANSLATE_NOOP("Import", "the time does not come after the entry before"));
        const QString transition = object.value(QStringLiteral("transition")).toString();
        double unused = 0;
        if (!transition.isEmpty()) {
            if (!SpsqCurve(transition.toStdString(), 0, unused))
                Fail(entry, QT_TRANSLATE_NOOP(
                                "Import", "the transition is steady, ease-in, ease-out or smooth"));
            l.Curve = transition.toStdString();
        }
        const QJsonObject track = object.value(QStringLiteral("track")).toObject();
        std::vector<TTrack> tracks;
        const QJsonArray tones = track.value(QStringLiteral("tones")).toArray();
        const QJsonArray noises = track.value(QStringLiteral("noises")).toArray();
        if (static_cast<size_t>(tones.size() + noises.size()) > kMaxTracks)
            Fail(entry, QT_TRANSLATE_NOOP("Import", "more than %1 tracks"), {Count(kMaxTracks)});
        for (const QJsonValue& t : tones) {
            const QJsonObject o = t.toObject();
            TTrack tone;
            tone.Line = entry;
            tone.Mode = o.value(QStringLiteral("mode")).toString().toStdString();
            if (tone.Mode != "binaural" && tone.Mode != "monaural" && tone.Mode != "isochronic")
                tone.Mode.clear();
            tone.Carrier = std::clamp(o.value(QStringLiteral("carrier")).toDouble(0), 0.0, 1e6);
            tone.Beat = std::clamp(o.value(QStringLiteral("resonance")).toDouble(0), 0.0, 1e6);
            tone.Amplitude =
                std::clamp(o.value(QStringLiteral("amplitude")).toDouble(0), 0.0, 100.0);
            const QString waveform = o.value(QStringLiteral("waveform")).toString();
            if (!waveform.isEmpty() && waveform != QLatin1String("sine"))
                Note(TLeftOut::Waveforms, entry);
            tracks.push_back(tone);
        }
        for (const QJsonValue& n : noises) {
            TTrack noise;
            noise.Type = TTrack::Noise;
            noise.Line = entry;
            noise.Amplitude =
                std::clamp(n.toObject().value(QStringLiteral("amplitude")).toDouble(0), 0.0, 100.0);
            tracks.push_back(noise);
        }
        l.State = StateOf(tracks);
        l.State.Silence = tracks.empty();
        timeline_.push_back(l);
    }
    if (timeline_.size() < 2)
        Fail(entry, QT_TRANSLATE_NOOP("Import", "the sequence needs at least two entries"));
    return Finish();
}

// The slide between two beating presets: the curve's points, where it bends, within the
// tolerance of the swing; with steps, back and forth in 2 steps + 1 legs.
void TReader::Slide(TImportPointList& list, const TLine& from, const TLine& to, int32_t start,
                    int32_t end) {
    const int64_t t0 = from.TimeMs, t1 = to.TimeMs;
    const int legs = 2 * from.Steps + 1;
    auto value = [&](double t) {
        const double position = (t - static_cast<double>(t0)) / static_cast<double>(t1 - t0) * legs;
        const int leg = std::min(static_cast<int>(position), legs - 1);
        double done = 0;
        SpsqCurve(from.Curve, position - leg, done);
        if (leg % 2 == 1) done = 1 - done;
        return start + done * (end - start);
    };
    const double tolerance = std::max(kCurveTolerance * std::abs(end - start), 1.0);
    std::vector<int64_t> marks{t0};
    for (int k = 1; k < legs; ++k)
        marks.push_back(t0 + (t1 - t0) * k / legs / kSecondMs * kSecondMs);
    marks.push_back(t1);
    // Whether the straight line between the curve's values at a and b stays within the
    // tolerance.
    auto straight = [&](int64_t a, int64_t b) {
        const double va = std::round(value(static_cast<double>(a)));
        const double vb = std::round(value(static_cast<double>(b)));
        constexpr int kSamples = 64;
        for (int s = 1; s < kSamples; ++s) {
            const double x = static_cast<double>(s) / kSamples;
            const double t = static_cast<double>(a) + static_cast<double>(b - a) * x;
            if (std::abs(value(t) - (va + (vb - va) * x)) > tolerance) return false;
        }
        return true;
    };
    // From each point the next goes as far along the curve as a straight line can: the fewest
    // points whose line stays within the tolerance, on whole seconds.
    for (size_t k = 0; k + 1 < marks.size(); ++k) {
        const int64_t stop = marks[k + 1];
        for (int64_t a = marks[k]; a < stop;) {
            int64_t b = stop;
            if (!straight(a, stop)) {
                int64_t good = std::min(a + kSecondMs, stop), bad = stop;
                while (bad - good > kSecondMs) {
                    const int64_t middle = good + (bad - good) / 2 / kSecondMs * kSecondMs;
                    (straight(a, middle) ? good : bad) = middle;
                }
                b = good;
            }
            if (b < t1)
                list.Add(b, static_cast<int32_t>(std::lround(value(static_cast<double>(b)))));
            a = b;
        }
    }
}

TImported TReader::Finish() {
    // Before the first beat the first beat's frequency stands.
    int32_t current = 0;
    for (const TLine& l : timeline_) {
        if (l.State.Beats) {
            current = l.State.BeatMilli;
            break;
        }
    }
    if (current == 0)
        Fail(timeline_.front().Line,
             QT_TRANSLATE_NOOP("Import", "no preset has a beating tone to follow"));
    TImportPointList list;
    int volume = -1, carrier = -1;
    std::string tone;
    auto level = [&](TImportPoint& p, const TState& s) {
        const int v = s.Silence ? 0 : VolumeStepFor(s.Amplitude * volume_ / 100);
        if (v != volume) p.Volume = volume = v;
    };
    auto voice = [&](TImportPoint& p, const TState& s) {
        const std::string t = !s.Beats ? "off" : s.Isochronic ? "isochronic" : "binaural";
        if (t != tone) p.Tone = tone = t;
        if (s.Beats && s.CarrierMilli != carrier) p.CarrierMilli = carrier = s.CarrierMilli;
    };
    const TState& first = timeline_.front().State;
    if (first.Beats) current = first.BeatMilli;
    TImportPoint& start = list.Add(0, current);
    voice(start, first);
    level(start, first);
    for (size_t i = 1; i < timeline_.size(); ++i) {
        const TLine& from = timeline_[i - 1];
        const TLine& to = timeline_[i];
        // A fade's level changes halfway, where the fade is at half its level.
        const int64_t half = from.TimeMs + (to.TimeMs - from.TimeMs) / 2 / kSecondMs * kSecondMs;
        if (from.Set >= 0 && from.Set == to.Set) {
            list.Hold(to.TimeMs, current); // the same preset twice holds
        } else if (from.State.Beats && to.State.Beats) {
            if (from.State.CarrierMilli != to.State.CarrierMilli)
                Note(TLeftOut::CarrierSteps, from.Line);
            Slide(list, from, to, current, to.State.BeatMilli);
            current = to.State.BeatMilli;
            TImportPoint& p = list.Add(to.TimeMs, current);
            voice(p, to.State);
            level(p, to.State);
        } else if (to.State.Beats) {
            // Out of silence a preset fades in at its own beat and carrier.
            const bool step = current != to.State.BeatMilli;
            current = to.State.BeatMilli;
            voice(list.Add(from.TimeMs + (step ? kSecondMs : 0), current), to.State);
            level(list.Add(half, current), to.State);
            list.Hold(to.TimeMs, current);
        } else {
            // Into silence, or between presets without a beat: the frequency stays.
            level(list.Add(half, current), to.State);
            voice(list.Add(to.TimeMs, current), to.State);
        }
        // Steps and curves lay down points of their own: bounded before they are thinned.
        if (list.Points().size() > kMaxLaidPoints)
            Fail(to.Line, QT_TRANSLATE_NOOP("Import", "more than %1 points to thin"),
                 {Count(kMaxLaidPoints)});
    }
    return FinishImport(name_, std::move(list.Points()), report_,
                        static_cast<int>(TLeftOut::Thinned), timeline_.back().Line);
}

} // namespace

bool SpsqCurve(std::string_view curve, double x, double& done) {
    constexpr double k = 6;
    x = std::clamp(x, 0.0, 1.0);
    if (curve == "steady") {
        done = x;
    } else if (curve == "ease-in") {
        done = std::expm1(k * x) / std::expm1(k);
    } else if (curve == "ease-out") {
        done = std::log1p(std::expm1(k) * x) / k;
    } else if (curve == "smooth") {
        done = (Logistic(k * (x - 0.5)) - Logistic(-k / 2)) / (Logistic(k / 2) - Logistic(-k / 2));
    } else {
        return false;
    }
    return true;
}

TImported ImportSpsq(std::string_view text, const std::string& name) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '{')
        return TReader(name).Structured(text);
    return TReader(name).Text(text);
}
