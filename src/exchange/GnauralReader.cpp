// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/GnauralReader.h"

#include "session/Session.h"

#include <QCoreApplication>

#include <QByteArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace {

constexpr int32_t kMinBeatMilli = 100, kMaxBeatMilli = 35000;
constexpr int32_t kMinCarrierMilli = 50000, kMaxCarrierMilli = 1000000;
// A schedule nests five deep (schedule, voice, entries, entry, a value); the rest is room for
// wrappers a writer may add, not for a stack of thousands.
constexpr size_t kMaxDepth = 16;
constexpr size_t kMaxElements = 200000;
constexpr size_t kMaxVoices = 256;
constexpr size_t kMaxEntries = 100000;
constexpr int64_t kSecondMs = 1000;
constexpr int64_t kMaxLengthMs = (99 * 3600 + 59 * 60 + 59) * kSecondMs;

// What the report lists, in the order it lists them.
enum class TLeftOut {
    SeveralBeats,
    Staggered,
    Noise,
    AudioFiles,
    Nature,
    UnknownVoices,
    Muted,
    Mono,
    PerEar,
    VolumesHigh,
    VolumeRamps,
    CarrierSteps,
    StereoSwap,
    Loops,
    BeatHigh,
    BeatLow,
    Carrier,
    CarrierRounded,
    TimesRounded,
    Cut,
    Thinned,
};
constexpr const char* kLeftOutText[] = {
    QT_TRANSLATE_NOOP("Import",
                      "several binaural or isochronic voices, the loudest one's beat used"),
    QT_TRANSLATE_NOOP(
        "Import", "staggered and alternating isochronic voices played as plain isochronic tones"),
    QT_TRANSLATE_NOOP("Import", "pink-noise voices left out (the library's sound plays instead)"),
    QT_TRANSLATE_NOOP("Import", "audio-file voices left out"),
    QT_TRANSLATE_NOOP("Import", "water-drop and rain voices left out"),
    QT_TRANSLATE_NOOP("Import", "voices of unknown types left out"),
    QT_TRANSLATE_NOOP("Import", "muted voices left out"),
    QT_TRANSLATE_NOOP("Import", "mono voices played in stereo"),
    QT_TRANSLATE_NOOP("Import", "per-ear volumes: the mean of the two ears used"),
    QT_TRANSLATE_NOOP("Import", "volumes above 1 taken as 1"),
    QT_TRANSLATE_NOOP("Import", "volume ramps played as steps halfway through the ramp"),
    QT_TRANSLATE_NOOP("Import", "base-frequency ramps played as steps where the ramp ends"),
    QT_TRANSLATE_NOOP("Import", "the stereo swap left out"),
    QT_TRANSLATE_NOOP("Import", "loops left out: the schedule plays once"),
    QT_TRANSLATE_NOOP("Import", "beats above 35 Hz clamped to 35 Hz"),
    QT_TRANSLATE_NOOP("Import", "beats below 0.1 Hz raised to 0.1 Hz"),
    QT_TRANSLATE_NOOP("Import", "base frequencies outside 50..1000 Hz clamped"),
    QT_TRANSLATE_NOOP("Import", "base frequencies rounded to whole hertz"),
    QT_TRANSLATE_NOOP("Import", "times rounded to whole seconds"),
    QT_TRANSLATE_NOOP("Import", "the schedule is cut at 99:59:59"),
    "", // worded where the points are thinned
};

std::string Count(size_t n) {
    return ImportCount(static_cast<long long>(n));
}

// A value as the file gives it, from an attribute or a child element.
struct TValue {
    std::string Text;
    int Line = 0;
};
using TFields = std::map<std::string, TValue, std::less<>>;

struct TEntryXml {
    TFields Fields;
    int Line = 0;
};

struct TVoiceXml {
    TFields Fields;
    std::vector<TEntryXml> Entries;
    int Line = 0;
};

// An entry as the session sees it.
struct TEntry {
    int64_t StartMs = 0;
    int32_t BeatMilli = 0, CarrierMilli = 0;
    int Volume = 0;
    int Line = 0;
};

enum class TKind { Schedule, Voice, Entries, Entry, Field, Other };

int32_t Milli(double hz) {
    return static_cast<int32_t>(std::lround(std::min(hz, 1e6) * 1000));
}

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// A decimal number as the schedule's writer prints it: a sign where allowed, and an exponent.
std::optional<double> Decimal(std::string_view s, bool sign) {
    s = Trim(s);
    bool negative = false;
    if (sign && !s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    const size_t e = s.find_first_of("eE");
    auto v = Number(s.substr(0, e));
    if (!v) return std::nullopt;
    if (e != std::string_view::npos) {
        std::string_view exponent = s.substr(e + 1);
        int exponentSign = 1;
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+')) {
            exponentSign = exponent.front() == '-' ? -1 : 1;
            exponent.remove_prefix(1);
        }
        if (exponent.empty() || exponent.size() > 2 ||
            !std::all_of(exponent.begin(), exponent.end(), IsDigit))
            return std::nullopt;
        int power = exponent[0] - '0';
        if (exponent.size() == 2) power = power * 10 + (exponent[1] - '0');
        *v *= std::pow(10.0, exponentSign * power);
        if (!std::isfinite(*v)) return std::nullopt;
    }
    return negative ? -*v : *v;
}

class TReader {
public:
    explicit TReader(std::string name) : name_(std::move(name)) {}

    TImported Run(std::string_view text);

private:
    [[noreturn]] void Fail(int line, const char* reason,
                           std::initializer_list<std::string> args = {}) const {
        FailImportAt(name_, TImportUnit::Line, line, reason, args);
    }
    void Note(TLeftOut kind, int line) {
        report_.Note(static_cast<int>(kind), kLeftOutText[static_cast<int>(kind)], line);
    }
    void Parse(std::string_view text);
    void Start(const QXmlStreamReader& xml);
    void End();
    // A number of a record; fallback where the record does not give it.
    double Value(const TFields& fields, std::string_view key, std::string_view element,
                 double fallback, bool sign = false) const;
    double Volume(const TFields& fields, std::string_view key, std::string_view element,
                  double fallback);
    std::vector<TEntry> Entries(const TVoiceXml& voice, bool main, double overall);
    std::vector<TImportPoint> Points(const std::vector<TEntry>& entries, int64_t endMs);

    std::string name_;
    TImportReport report_;
    TFields schedule_;
    int scheduleLine_ = 1;
    std::vector<TVoiceXml> voices_;
    std::vector<TKind> stack_;
    size_t elements_ = 0, entries_ = 0;
    // The value element being read.
    std::string field_, text_;
    int fieldLine_ = 0;
};

void TReader::Start(const QXmlStreamReader& xml) {
    const int line = static_cast<int>(xml.lineNumber());
    if (++elements_ > kMaxElements)
        Fail(line, QT_TRANSLATE_NOOP("Import", "more than %1 elements"), {Count(kMaxElements)});
    if (stack_.size() == kMaxDepth)
        Fail(line, QT_TRANSLATE_NOOP("Import", "elements nested more than %1 deep"),
             {Count(kMaxDepth)});
    const std::string name = xml.name().toString().toStdString();
    const TKind parent = stack_.empty() ? TKind::Other : stack_.back();
    TKind kind = TKind::Other;
    TFields* fields = nullptr;
    if (stack_.empty()) {
        if (name != "schedule")
            Fail(line, QT_TRANSLATE_NOOP("Import", "the document is <%1>, not a <schedule>"),
                 {QuotedForImport(name)});
        kind = TKind::Schedule;
        fields = &schedule_;
        scheduleLine_ = line;
    } else if (parent == TKind::Schedule && name == "voice") {
        if (voices_.size() == kMaxVoices)
            Fail(line, QT_TRANSLATE_NOOP("Import", "<voice>: more than %1 voices"),
                 {Count(kMaxVoices)});
        voices_.emplace_back().Line = line;
        kind = TKind::Voice;
        fields = &voices_.back().Fields;
    } else if (parent == TKind::Voice && name == "entries") {
        kind = TKind::Entries;
    } else if ((parent == TKind::Entries || parent == TKind::Voice) && name == "entry") {
        if (++entries_ > kMaxEntries)
            Fail(line, QT_TRANSLATE_NOOP("Import", "<entry>: more than %1 entries"),
                 {Count(kMaxEntries)});
        TEntryXml& entry = voices_.back().Entries.emplace_back();
        entry.Line = line;
        kind = TKind::Entry;
        fields = &entry.Fields;
    } else if (parent == TKind::Schedule || parent == TKind::Voice || parent == TKind::Entry) {
        kind = TKind::Field;
        field_ = name;
        fieldLine_ = line;
        text_.clear();
    }
    if (fields != nullptr) {
        for (const QXmlStreamAttribute& a : xml.attributes())
            (*fields)[a.name().toString().toStdString()] = {a.value().toString().toStdString(),
                                                            line};
    }
    stack_.push_back(kind);
}

void TReader::End() {
    const TKind kind = stack_.back();
    stack_.pop_back();
    if (kind != TKind::Field) return;
    // A value element stands beside the attributes of the record around it.
    TFields* fields = nullptr;
    switch (stack_.back()) {
    case TKind::Schedule:
        fields = &schedule_;
        break;
    case TKind::Voice:
        fields = &voices_.back().Fields;
        break;
    case TKind::Entry:
        fields = &voices_.back().Entries.back().Fields;
        break;
    default:
        return;
    }
    (*fields)[field_] = {std::string(Trim(text_)), fieldLine_};
}

void TReader::Parse(std::string_view text) {
    QXmlStreamReader xml(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            // Nothing of a schedule needs one, and its entities are where XML grows unbounded.
            Fail(static_cast<int>(xml.lineNumber()),
                 QT_TRANSLATE_NOOP("Import", "a document type declaration is not read"));
        case QXmlStreamReader::StartElement:
            Start(xml);
            break;
        case QXmlStreamReader::EndElement:
            End();
            break;
        case QXmlStreamReader::Characters:
            if (!stack_.empty() && stack_.back() == TKind::Field)
                text_ += xml.text().toString().toStdString();
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        Fail(static_cast<int>(std::max<qint64>(xml.lineNumber(), 1)),
             QT_TRANSLATE_NOOP("Import", "not well-formed XML (%1)"),
             {xml.errorString().toStdString()});
    }
}

double TReader::Value(const TFields& fields, std::string_view key, std::string_view element,
                      double fallback, bool sign) const {
    const auto found = fields.find(key);
    if (found == fields.end()) return fallback;
    const auto v = Decimal(found->second.Text, sign);
    if (!v) {
        Fail(found->second.Line, QT_TRANSLATE_NOOP("Import", "<%1> %2 \"%3\" is not a number"),
             {std::string(element), std::string(key), QuotedForImport(found->second.Text)});
    }
    return *v;
}

double TReader::Volume(const TFields& fields, std::string_view key, std::string_view element,
                       double fallback) {
    const double v = Value(fields, key, element, fallback);
    if (v > 1) Note(TLeftOut::VolumesHigh, fields.find(key)->second.Line);
    return std::min(v, 1.0);
}

// An entry's values, checked; only the voice followed is noted for what the session changes.
std::vector<TEntry> TReader::Entries(const TVoiceXml& voice, bool main, double overall) {
    std::vector<TEntry> entries;
    double start = 0;
    for (const TEntryXml& e : voice.Entries) {
        if (e.Fields.count("duration") == 0)
            Fail(e.Line, QT_TRANSLATE_NOOP("Import", "<entry> has no duration"));
        const double duration = Value(e.Fields, "duration", "entry", 0);
        // Only the voice followed has its volumes clamped and noted.
        const double left = main ? Volume(e.Fields, "volume_left", "entry", 1)
                                 : Value(e.Fields, "volume_left", "entry", 1);
        const double right = main ? Volume(e.Fields, "volume_right", "entry", left)
                                  : Value(e.Fields, "volume_right", "entry", left);
        const double beat = std::fabs(Value(e.Fields, "beatfreq", "entry", 0, true));
        const double base = Value(e.Fields, "basefreq", "entry", 0);
        TEntry entry;
        entry.Line = e.Line;
        entry.StartMs = std::llround(start) * kSecondMs;
        if (main && std::fabs(start - std::round(start)) > 1e-6)
            Note(TLeftOut::TimesRounded, e.Line);
        start += duration;
        if (!main) {
            entries.push_back(entry);
            continue;
        }
        if (left != right) Note(TLeftOut::PerEar, e.Line);
        entry.Volume = VolumeStepFor(100 * (left + right) / 2 * overall);
        entry.BeatMilli = Milli(beat);
        if (entry.BeatMilli > kMaxBeatMilli) Note(TLeftOut::BeatHigh, e.Line);
        if (entry.BeatMilli < kMinBeatMilli) Note(TLeftOut::BeatLow, e.Line);
        entry.BeatMilli = std::clamp(entry.BeatMilli, kMinBeatMilli, kMaxBeatMilli);
        int32_t carrier = Milli(base);
        if (carrier < kMinCarrierMilli || carrier > kMaxCarrierMilli) {
            Note(TLeftOut::Carrier, e.Line);
            carrier = std::clamp(carrier, kMinCarrierMilli, kMaxCarrierMilli);
        }
        if (const int32_t whole = (carrier + 500) / 1000 * 1000; whole != carrier) {
            Note(TLeftOut::CarrierRounded, e.Line);
            carrier = whole;
        }
        entry.CarrierMilli = carrier;
        entries.push_back(entry);
    }
    // The voice's end, as the start of an entry past the last.
    TEntry end;
    end.StartMs = std::llround(std::min(start, 1e9)) * kSecondMs;
    end.Line = voice.Line;
    entries.push_back(end);
    return entries;
}

// The entries' ramps: each entry's beat at its start, a straight line to the next one's, the
// last one's back to the first's at the schedule's end. The volume changes halfway through a
// ramp, the carrier where it ends.
std::vector<TImportPoint> TReader::Points(const std::vector<TEntry>& entries, int64_t endMs) {
    TImportPointList list;
    int volume = -1;
    int32_t carrier = -1;
    const size_t n = entries.size();
    for (size_t i = 0; i <= n; ++i) {
        const TEntry& to = entries[i % n];
        const int64_t at = i < n ? to.StartMs : endMs;
        if (i > 0) {
            const TEntry& from = entries[i - 1];
            const int64_t span = at - from.StartMs;
            if (to.Volume != volume) {
                Note(TLeftOut::VolumeRamps, from.Line);
                if (span >= 2 * kSecondMs) {
                    const int64_t half = from.StartMs + span / 2 / kSecondMs * kSecondMs;
                    const double x =
                        static_cast<double>(half - from.StartMs) / static_cast<double>(span);
                    const auto milli = static_cast<int32_t>(
                        std::lround(from.BeatMilli + x * (to.BeatMilli - from.BeatMilli)));
                    list.Add(half, milli).Volume = volume = to.Volume;
                }
            }
            if (to.CarrierMilli != from.CarrierMilli) Note(TLeftOut::CarrierSteps, from.Line);
        }
        TImportPoint& p = list.Add(at, to.BeatMilli);
        if (i == n) break; // the end: nothing more is heard
        if (to.Volume != volume) p.Volume = volume = to.Volume;
        if (to.CarrierMilli != carrier) p.CarrierMilli = carrier = to.CarrierMilli;
    }
    std::vector<TImportPoint>& points = list.Points();
    if (points.back().TimeMs > kMaxLengthMs) {
        // Cut where the ramp under way stands at that moment.
        Note(TLeftOut::Cut, entries.back().Line);
        size_t k = 0;
        while (points[k].TimeMs < kMaxLengthMs)
            ++k;
        const TImportPoint& a = points[k - 1];
        const TImportPoint& b = points[k];
        const double x =
            static_cast<double>(kMaxLengthMs - a.TimeMs) / static_cast<double>(b.TimeMs - a.TimeMs);
        const auto milli = static_cast<int32_t>(
            std::lround(a.FrequencyMilli + x * (b.FrequencyMilli - a.FrequencyMilli)));
        points.resize(k);
        list.Add(kMaxLengthMs, milli);
    }
    return std::move(points);
}

TImported TReader::Run(std::string_view text) {
    if (text.size() > static_cast<size_t>(kImportMaxBytes))
        FailImport(QT_TRANSLATE_NOOP("Import", "%1 is larger than 4 MiB"), {name_});
    Parse(text);
    if (stack_.size() != 0 || elements_ == 0)
        Fail(1, QT_TRANSLATE_NOOP("Import", "not a <schedule>"));
    const double overall = (Volume(schedule_, "overallvolume_left", "schedule", 1) +
                            Volume(schedule_, "overallvolume_right", "schedule", 1)) /
                           2;
    if (const auto loops = schedule_.find("loops"); loops != schedule_.end()) {
        if (Value(schedule_, "loops", "schedule", 1) != 1)
            Note(TLeftOut::Loops, loops->second.Line);
    }
    if (const auto swap = schedule_.find("stereoswap"); swap != schedule_.end()) {
        if (Value(schedule_, "stereoswap", "schedule", 0) != 0)
            Note(TLeftOut::StereoSwap, swap->second.Line);
    }
    // The voice followed: the loudest binaural or isochronic one over the whole schedule.
    std::optional<size_t> main;
    double loudest = -1;
    int64_t endMs = 0;
    std::vector<int> types;
    for (size_t v = 0; v < voices_.size(); ++v) {
        const TVoiceXml& voice = voices_[v];
        const double type = Value(voice.Fields, "type", "voice", 0);
        const int kind = type == std::floor(type) && type <= 7 ? static_cast<int>(type) : -1;
        types.push_back(kind);
        endMs = std::max(endMs, Entries(voice, false, 1).back().StartMs);
        const bool beats = kind == 0 || kind == 3 || kind == 4 || kind == 7;
        if (!beats || voice.Entries.empty()) continue;
        if (Value(voice.Fields, "voice_mute", "voice", 0) != 0) {
            Note(TLeftOut::Muted, voice.Line);
            continue;
        }
        double weighted = 0, plain = 0, length = 0;
        for (const TEntryXml& e : voice.Entries) {
            const double duration = Value(e.Fields, "duration", "entry", 0);
            const double left = std::min(Value(e.Fields, "volume_left", "entry", 1), 1.0);
            const double level =
                (left + std::min(Value(e.Fields, "volume_right", "entry", left), 1.0)) / 2;
            weighted += duration * level;
            plain += level;
            length += duration;
        }
        const double loudness =
            length > 0 ? weighted / length : plain / static_cast<double>(voice.Entries.size());
        if (loudness > loudest) {
            loudest = loudness;
            main = v;
        }
    }
    if (!main)
        Fail(scheduleLine_,
             QT_TRANSLATE_NOOP("Import",
                               "<schedule> has no binaural or isochronic voice to follow"));
    if (endMs < kSecondMs)
        Fail(scheduleLine_, QT_TRANSLATE_NOOP("Import", "<schedule> lasts less than a second"));
    for (size_t v = 0; v < voices_.size(); ++v) {
        const int line = voices_[v].Line;
        switch (types[v]) {
        case 0:
        case 3:
        case 4:
        case 7:
            if (v != *main && !voices_[v].Entries.empty() &&
                Value(voices_[v].Fields, "voice_mute", "voice", 0) == 0)
                Note(TLeftOut::SeveralBeats, line);
            break;
        case 1:
            Note(TLeftOut::Noise, line);
            break;
        case 2:
            Note(TLeftOut::AudioFiles, line);
            break;
        case 5:
        case 6:
            Note(TLeftOut::Nature, line);
            break;
        default:
            Note(TLeftOut::UnknownVoices, line);
        }
    }
    const TVoiceXml& voice = voices_[*main];
    if (types[*main] == 4 || types[*main] == 7) Note(TLeftOut::Staggered, voice.Line);
    if (Value(voice.Fields, "voice_mono", "voice", 0) != 0) Note(TLeftOut::Mono, voice.Line);
    std::vector<TEntry> entries = Entries(voice, true, overall);
    entries.pop_back(); // the voice's own end: a shorter voice's last entry is stretched
    std::vector<TImportPoint> points = Points(entries, endMs);
    points.front().Tone = types[*main] == 0 ? "binaural" : "isochronic";
    return FinishImport(name_, std::move(points), report_, static_cast<int>(TLeftOut::Thinned),
                        voice.Entries.back().Line);
}

} // namespace

TImported ImportGnaural(std::string_view text, const std::string& name) {
    return TReader(name).Run(text);
}
