// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/SbgReader.h"

#include "framework/Messages.h"
#include "session/Session.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

namespace {

constexpr int32_t kMinBeatMilli = 100, kMaxBeatMilli = 35000;
constexpr int32_t kMinCarrierMilli = 50000, kMaxCarrierMilli = 1000000;
// Counted after blocks are expanded: a short file can name a long block many times.
constexpr size_t kMaxTimeLines = 100000;
constexpr int64_t kMaxLengthMs = (99 * 3600 + 59 * 60 + 59) * int64_t{1000};
constexpr int64_t kDayMs = 24 * 3600 * int64_t{1000};
constexpr int64_t kSecondMs = 1000;

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
    SoundFiles,
    Options,
    StartClock,
    Programmes,
    NowPlaced,
    CarrierSlides,
    BeatHigh,
    BeatLow,
    Carrier,
    CarrierRounded,
    Cut,
    Thinned,
    HeldEnd,
};
constexpr const char* kLeftOutText[] = {
    QT_TRANSLATE_NOOP("Import",
                      "several beating voices in one tone-set, the loudest one's beat used"),
    QT_TRANSLATE_NOOP("Import", "pure tones without a beat left out"),
    QT_TRANSLATE_NOOP(
        "Import",
        "noise voices left out (the library's sound plays instead); a tone-set of noise alone sets "
        "only the volume"),
    QT_TRANSLATE_NOOP("Import", "spin voices left out"),
    QT_TRANSLATE_NOOP("Import", "bell voices kept as the session's bell at their tone-sets' "
                                "times, without their pitch and level"),
    QT_TRANSLATE_NOOP("Import", "mix input left out"),
    QT_TRANSLATE_NOOP("Import", "custom waveforms played as sine waves"),
    QT_TRANSLATE_NOOP("Import", "voices not understood, left out"),
    QT_TRANSLATE_NOOP("Import", "sound files mixed in (-m) left out"),
    QT_TRANSLATE_NOOP("Import", "option lines left out"),
    QT_TRANSLATE_NOOP(
        "Import",
        "the start clock (-T) left out: without NOW the session starts at the first time line"),
    QT_TRANSLATE_NOOP("Import",
                      "pre-programmed sequences (-p) left out: the time lines are followed"),
    QT_TRANSLATE_NOOP(
        "Import",
        "NOW taken as the clock time %1, so that the lines from NOW end the fade time (at least a "
        "minute) before the first clock time; -T sets the clock time NOW stands for"),
    QT_TRANSLATE_NOOP("Import", "carrier slides played as steps where the slide ends"),
    QT_TRANSLATE_NOOP("Import", "beats above 35 Hz clamped to 35 Hz"),
    QT_TRANSLATE_NOOP("Import", "beats below 0.1 Hz raised to 0.1 Hz"),
    QT_TRANSLATE_NOOP("Import", "carriers outside 50..1000 Hz clamped"),
    QT_TRANSLATE_NOOP("Import", "carriers rounded to whole hertz"),
    QT_TRANSLATE_NOOP("Import", "the schedule is cut at 99:59:59"),
    "", // worded where the points are thinned
    QT_TRANSLATE_NOOP(
        "Import",
        "the last tone-set is not silent: held for the fade time, where the session ends"),
};

constexpr const char* kBadMark = QT_TRANSLATE_NOOP("Import", "fade mark \"%1\" is not understood");

struct TVoice {
    enum Kind { Binaural, Isochronic } Type = Binaural;
    int32_t BeatMilli = 0;
    int32_t CarrierMilli = 0;
    double Amplitude = 0;
};

struct TToneSet {
    std::optional<TVoice> Main; // the loudest beating voice
    double Amplitude = 0;       // of the main voice, else of the loudest other voice
    bool Bell = false;          // a bell struck as the tone-set begins
    int Line = 0;
};

// How a tone-set comes in and goes out: from or to its neighbour (the default), from or to
// silence, at once, or (going out) sliding into the next one.
enum class TFade { Along, Silence, Abrupt, Slide };

// One use of a tone-set at a time: a time line, or a line of a block.
struct TUse {
    int64_t TimeMs = 0; // in a block: from the block's start
    const TToneSet* Set = nullptr;
    TFade In = TFade::Along, Out = TFade::Along;
    int Line = 0;
};

struct TBlock {
    std::vector<TUse> Uses; // in the order written, each line's time from the block's start
    int64_t SpanMs = 0;
};

// Where a time line's time counts from.
enum class TAnchor { Now, Clock, Last };

struct TTimeLine {
    TAnchor Anchor = TAnchor::Now;
    int64_t ClockMs = 0;
    int64_t OffsetMs = 0;
    const TToneSet* Set = nullptr; // either a tone-set...
    const TBlock* Block = nullptr; // ...or a block
    std::optional<TFade> In, Out;  // only where the line gives a mark
    int Line = 0;
};

std::string Quoted(std::string_view s) {
    return QuotedForImport(s);
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int32_t Milli(double hz) {
    return static_cast<int32_t>(std::lround(hz * 1000));
}

// h:mm or h:mm:ss, hours of one or two digits.
std::optional<int64_t> Duration(std::string_view s) {
    int64_t parts[3] = {};
    int count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && s[i] != ':') continue;
        const std::string_view part = s.substr(start, i - start);
        if (count == 3 || part.empty() || part.size() > 2 || (count > 0 && part.size() != 2) ||
            !std::all_of(part.begin(), part.end(), IsDigit))
            return std::nullopt;
        parts[count] = part[0] - '0';
        if (part.size() == 2) parts[count] = parts[count] * 10 + (part[1] - '0');
        ++count;
        start = i + 1;
    }
    if (count < 2 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return ((parts[0] * 60 + parts[1]) * 60 + parts[2]) * kSecondMs;
}

std::optional<int64_t> ClockTime(std::string_view s) {
    const auto ms = Duration(s);
    if (!ms || *ms >= kDayMs) return std::nullopt;
    return ms;
}

std::string ClockText(int64_t ms) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60));
    return text;
}

class TImporter {
public:
    explicit TImporter(std::string name) : name_(std::move(name)) {}

    TImported Run(std::string_view text);

private:
    [[noreturn]] void Fail(int line, const char* reason,
                           std::initializer_list<std::string> args = {}) const {
        FailImportAt(name_, TImportUnit::Line, line, reason, args);
    }
    void Note(TLeftOut kind, int line) {
        report_.Note(static_cast<int>(kind), kLeftOutText[static_cast<int>(kind)], line);
    }

    void Definition(std::string_view name, std::string_view specs, int line);
    void Voice(std::string_view spec, TToneSet& set, int line);
    TTimeLine ReadTimeLine(const std::vector<std::string_view>& words, int line);
    void BlockLine(const std::vector<std::string_view>& words, int line);
    void Option(const std::vector<std::string_view>& words, int line);
    int32_t Beat(double hz, int line);
    std::vector<TUse> Resolve();
    int64_t HalfFade(const std::vector<TUse>& uses, size_t i) const;
    std::vector<TImportPoint> Points(const std::vector<TUse>& uses);

    std::string name_;
    std::map<std::string, TToneSet, std::less<>> sets_;
    std::map<std::string, TBlock, std::less<>> blocks_;
    std::optional<std::pair<std::string, TBlock>> open_; // the block being read
    int openLine_ = 0;
    std::vector<TTimeLine> lines_;
    TImportReport report_;
    int64_t fadeMs_ = kSbgDefaultFadeMs;
    std::optional<int64_t> startClockMs_;
    int startClockLine_ = 0;
    int programmeLine_ = 0;
    size_t blockLines_ = 0;
};

void TImporter::Definition(std::string_view name, std::string_view specs, int line) {
    if (sets_.count(name) != 0 || blocks_.count(name) != 0)
        Fail(line, QT_TRANSLATE_NOOP("Import", "tone-set \"%1\" is defined twice"), {Quoted(name)});
    if (TrimSpaces(specs) == "{") {
        open_.emplace(std::string(name), TBlock{});
        openLine_ = line;
        return;
    }
    TToneSet set;
    set.Line = line;
    for (std::string_view spec : SplitWords(specs))
        Voice(spec, set, line);
    sets_.emplace(std::string(name), set);
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
    if (body.starts_with("bell")) {
        set.Bell = true;
        return Note(TLeftOut::Bell, line);
    }
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
    // A session's carrier is a whole number of hertz.
    if (const int32_t whole = (carrierMilli + 500) / 1000 * 1000; whole != carrierMilli) {
        Note(TLeftOut::CarrierRounded, line);
        carrierMilli = whole;
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

// TIME [MARK] NAME [->]. The mark's first character says how the tone-set comes in ("<" from
// silence, "-" from the one before, "=" at once), its second how it goes out (">" to silence,
// "-" into the next, "="); "->" there, or after the name, slides into the next tone-set.
TTimeLine TImporter::ReadTimeLine(const std::vector<std::string_view>& words, int line) {
    TTimeLine l;
    l.Line = line;
    std::string_view time = words[0];
    auto bad = [&] {
        Fail(line, QT_TRANSLATE_NOOP("Import", "time \"%1\" is not understood"),
             {Quoted(words[0])});
    };
    if (time.starts_with("NOW")) {
        time.remove_prefix(3);
        l.Anchor = TAnchor::Now;
        if (!time.empty() && time.front() != '+') bad();
    } else if (time.starts_with("+")) {
        l.Anchor = TAnchor::Last;
    } else {
        const auto clock = ClockTime(time);
        if (!clock) bad();
        l.Anchor = TAnchor::Clock;
        l.ClockMs = *clock;
        time = {};
    }
    if (!time.empty()) {
        const auto offset = Duration(time.substr(1));
        if (!offset) bad();
        l.OffsetMs = *offset;
    }
    size_t i = 1;
    if (i < words.size() && words[i].find_first_not_of("<>=-") == std::string_view::npos) {
        const std::string_view mark = words[i];
        auto in = [&](char c) -> std::optional<TFade> {
            if (c == '<') return TFade::Silence;
            if (c == '=') return TFade::Abrupt;
            if (c == '-') return TFade::Along;
            return std::nullopt;
        };
        auto out = [&](char c) -> std::optional<TFade> {
            if (c == '>') return TFade::Silence;
            if (c == '=') return TFade::Abrupt;
            if (c == '-') return TFade::Along;
            return std::nullopt;
        };
        if (mark == "->") {
            l.Out = TFade::Slide;
        } else if (mark.size() == 1 && mark[0] == '>') {
            l.Out = TFade::Silence;
        } else if (mark.size() == 1 || mark.size() == 2) {
            l.In = in(mark[0]);
            if (mark.size() == 2) l.Out = out(mark[1]);
            if (!l.In || (mark.size() == 2 && !l.Out)) Fail(line, kBadMark, {Quoted(mark)});
        } else {
            Fail(line, kBadMark, {Quoted(mark)});
        }
        ++i;
    }
    if (i >= words.size()) Fail(line, QT_TRANSLATE_NOOP("Import", "a time line needs a tone-set"));
    if (const auto set = sets_.find(words[i]); set != sets_.end()) {
        l.Set = &set->second;
    } else if (const auto block = blocks_.find(words[i]); block != blocks_.end()) {
        l.Block = &block->second;
    } else {
        Fail(line, QT_TRANSLATE_NOOP("Import", "tone-set \"%1\" is not defined"),
             {Quoted(words[i])});
    }
    ++i;
    if (i < words.size() && words[i] == "->") {
        l.Out = TFade::Slide;
        ++i;
    }
    if (i != words.size())
        Fail(line, QT_TRANSLATE_NOOP("Import", "\"%1\" after the tone-set"), {Quoted(words[i])});
    return l;
}

// A line inside "name: { ... }": a time from the block's start and a tone-set or an earlier
// block, which is copied in whole.
void TImporter::BlockLine(const std::vector<std::string_view>& words, int line) {
    const TTimeLine l = ReadTimeLine(words, line);
    if (l.Anchor != TAnchor::Last)
        Fail(line, QT_TRANSLATE_NOOP("Import", "a block's lines give their time from the block's "
                                               "start, as +h:mm"));
    TBlock& block = open_->second;
    auto add = [&](TUse use) {
        // All blocks together, so that copies of copies cannot fill the memory.
        if (++blockLines_ > kMaxTimeLines)
            Fail(line, QT_TRANSLATE_NOOP("Import", "blocks of more than %1 lines in all"),
                 {ImportCount(static_cast<long long>(kMaxTimeLines))});
        block.SpanMs = std::max(block.SpanMs, use.TimeMs);
        block.Uses.push_back(use);
    };
    if (l.Set)
        return add(
            {l.OffsetMs, l.Set, l.In.value_or(TFade::Along), l.Out.value_or(TFade::Along), line});
    for (size_t k = 0; k < l.Block->Uses.size(); ++k) {
        TUse use = l.Block->Uses[k];
        use.TimeMs += l.OffsetMs;
        if (k == 0 && l.In) use.In = *l.In;
        if (k + 1 == l.Block->Uses.size() && l.Out) use.Out = *l.Out;
        add(use);
    }
}

void TImporter::Option(const std::vector<std::string_view>& words, int line) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view w = words[i];
        const std::optional<std::string_view> value =
            i + 1 < words.size() && words[i + 1].front() != '-' ? std::optional(words[i + 1])
                                                                : std::nullopt;
        if (w.starts_with("-p")) {
            // The rest of the line is the sequence's.
            programmeLine_ = line;
            return;
        }
        if (w == "-S" || w == "-E" || w == "-SE" || w == "-ES") {
            continue; // start at the first time line, end at the last: as a session does
        } else if (w == "-F" && value && Number(*value)) {
            fadeMs_ = static_cast<int64_t>(*Number(*value));
        } else if (w == "-T" && value && ClockTime(*value)) {
            startClockMs_ = ClockTime(*value);
            startClockLine_ = line;
        } else if (w == "-m") {
            Note(TLeftOut::SoundFiles, line);
        } else if (w.front() == '-') {
            Note(TLeftOut::Options, line);
        }
        // The value, or a word of an option left out.
        while (i + 1 < words.size() && words[i + 1].front() != '-')
            ++i;
    }
}

// Places every line on one time axis from the schedule's start. Clock times count from the
// first; one earlier than the clock time before is the next day. "+" times count from the last
// clock time (NOW is one), a block's lines from the block's time.
std::vector<TUse> TImporter::Resolve() {
    bool clocks = false, now = false;
    for (const TTimeLine& l : lines_) {
        if (l.Anchor == TAnchor::Clock) {
            clocks = true;
        } else if (!clocks) {
            now = true; // NOW, or a "+" time before any clock time, which counts from NOW
        } else if (l.Anchor == TAnchor::Now) {
            now = true;
        }
    }
    std::optional<int64_t> nowClock = startClockMs_;
    if (startClockMs_ && !now) Note(TLeftOut::StartClock, startClockLine_);
    if (!nowClock && now && clocks) {
        // The NOW lines keep their own length, and the first clock time comes the fade time
        // (at least a minute) after them.
        int64_t span = 0, firstClock = -1;
        int nowLine = 0;
        bool fromNow = true;
        for (const TTimeLine& l : lines_) {
            if (l.Anchor == TAnchor::Clock) {
                if (firstClock < 0) firstClock = l.ClockMs;
                fromNow = false;
                continue;
            }
            if (l.Anchor == TAnchor::Now) fromNow = true;
            if (!fromNow) continue;
            if (nowLine == 0) nowLine = l.Line;
            span = std::max(span, l.OffsetMs + (l.Block ? l.Block->SpanMs : 0));
        }
        const int64_t gap = std::max(fadeMs_ / kSecondMs * kSecondMs, 60 * kSecondMs);
        nowClock = ((firstClock - span - gap) % kDayMs + kDayMs) % kDayMs;
        const char* text = kLeftOutText[static_cast<int>(TLeftOut::NowPlaced)];
        report_.Note(static_cast<int>(TLeftOut::NowPlaced), FillText(text, {ClockText(*nowClock)}),
                     nowLine, TranslatedText("Import", text, {ClockText(*nowClock)}));
    }
    std::vector<TUse> uses;
    int64_t anchor = 0;
    bool anchored = false;
    for (const TTimeLine& l : lines_) {
        if (l.Anchor != TAnchor::Last || !anchored) {
            if (l.Anchor == TAnchor::Clock || nowClock) {
                const int64_t clock = l.Anchor == TAnchor::Clock ? l.ClockMs : *nowClock;
                anchor = anchored ? anchor + ((clock - anchor) % kDayMs + kDayMs) % kDayMs : clock;
            } else {
                anchor = 0;
            }
            anchored = true;
        }
        const int64_t at = anchor + l.OffsetMs;
        const size_t count = l.Set ? 1 : l.Block->Uses.size();
        if (uses.size() + count > kMaxTimeLines) {
            Fail(l.Line,
                 QT_TRANSLATE_NOOP("Import", "more than %1 time lines once blocks are expanded"),
                 {ImportCount(static_cast<long long>(kMaxTimeLines))});
        }
        if (l.Set) {
            uses.push_back(
                {at, l.Set, l.In.value_or(TFade::Along), l.Out.value_or(TFade::Along), l.Line});
            continue;
        }
        for (size_t k = 0; k < count; ++k) {
            TUse use = l.Block->Uses[k];
            use.TimeMs += at;
            use.Line = l.Line;
            if (k == 0 && l.In) use.In = *l.In;
            if (k + 1 == count && l.Out) use.Out = *l.Out;
            uses.push_back(use);
        }
    }
    if (uses.empty())
        Fail(lines_.back().Line,
             QT_TRANSLATE_NOOP("Import", "the schedule's blocks have no lines"));
    // Lines play in the order of their times; of two at one moment the later one counts.
    std::stable_sort(uses.begin(), uses.end(),
                     [](const TUse& a, const TUse& b) { return a.TimeMs < b.TimeMs; });
    std::vector<TUse> ordered;
    ordered.reserve(uses.size());
    const int64_t start = uses.front().TimeMs;
    for (TUse& use : uses) {
        use.TimeMs -= start;
        if (use.TimeMs >= kMaxLengthMs) {
            Note(TLeftOut::Cut, use.Line);
            break;
        }
        if (!ordered.empty() && ordered.back().TimeMs == use.TimeMs)
            ordered.back() = use;
        else
            ordered.push_back(use);
    }
    return ordered;
}

// Half of the cross-fade around a line: half the fade time, and no more than half the way to
// the lines on either side, so that neighbouring fades never overlap. Whole seconds.
int64_t TImporter::HalfFade(const std::vector<TUse>& uses, size_t i) const {
    int64_t half = fadeMs_ / 2;
    if (i > 0) half = std::min(half, (uses[i].TimeMs - uses[i - 1].TimeMs) / 2);
    if (i + 1 < uses.size()) half = std::min(half, (uses[i + 1].TimeMs - uses[i].TimeMs) / 2);
    return half / kSecondMs * kSecondMs;
}

std::vector<TImportPoint> TImporter::Points(const std::vector<TUse>& uses) {
    // A tone-set without a beat keeps the frequency where it was; before the first beat the
    // first beat's frequency stands.
    int32_t current = 0;
    for (const TUse& u : uses) {
        if (u.Set->Main) {
            current = u.Set->Main->BeatMilli;
            break;
        }
    }
    if (current == 0)
        Fail(uses.front().Line,
             QT_TRANSLATE_NOOP("Import",
                               "no tone-set of the schedule has a beating voice to follow"));
    TImportPointList list;
    int volume = -1;
    std::string tone;
    int32_t carrier = -1;
    // The knobs a tone-set sets, on the point where they change.
    auto knobs = [&](TImportPoint& p, const TToneSet& set) {
        const int v = VolumeStepFor(set.Amplitude);
        const std::string t = !set.Main                              ? "off"
                              : set.Main->Type == TVoice::Isochronic ? "isochronic"
                                                                     : "binaural";
        if (v != volume) p.Volume = volume = v;
        if (t != tone) p.Tone = tone = t;
        if (set.Main && set.Main->CarrierMilli != carrier)
            p.CarrierMilli = carrier = set.Main->CarrierMilli;
    };
    auto changes = [&](const TToneSet& set) {
        TImportPoint p;
        const int v = volume;
        const std::string t = tone;
        const int32_t c = carrier;
        knobs(p, set);
        volume = v;
        tone = t;
        carrier = c;
        return p.Volume >= 0 || !p.Tone.empty() || p.CarrierMilli >= 0;
    };
    for (size_t i = 0; i < uses.size(); ++i) {
        const TUse& u = uses[i];
        const TToneSet& set = *u.Set;
        const int32_t beat = set.Main ? set.Main->BeatMilli : current;
        // A line that slides starts its slide from its own time.
        const bool slides = u.Out == TFade::Slide;
        if (i == 0) {
            knobs(list.Add(u.TimeMs, beat), set);
            continue;
        }
        if (beat == current && !changes(set)) {
            if (slides) list.Hold(u.TimeMs, current);
            continue;
        }
        const TUse& before = uses[i - 1];
        const bool beatBefore = before.Set->Main.has_value();
        const bool abrupt = before.Out == TFade::Abrupt || u.In == TFade::Abrupt;
        const int64_t half = abrupt ? 0 : HalfFade(uses, i);
        if (before.Out == TFade::Slide && beatBefore && set.Main) {
            // The slide reaches this tone-set at its time; a carrier can only follow in a step.
            if (before.Set->Main->CarrierMilli != set.Main->CarrierMilli)
                Note(TLeftOut::CarrierSlides, before.Line);
            knobs(list.Add(u.TimeMs, beat), set);
        } else if (!set.Main) {
            // Silence, or noise alone: the frequency stays, the tone goes when the fade is over.
            knobs(list.Add(u.TimeMs + half, current), set);
        } else if (!beatBefore) {
            // After silence a tone-set starts at its own beat as soon as it can be heard.
            if (beat != current) list.Hold(u.TimeMs - half - kSecondMs, current);
            knobs(list.Add(u.TimeMs - half, beat), set);
        } else if (half == 0 || before.Out == TFade::Silence || u.In == TFade::Silence) {
            // Through silence, or at once: a step at the line's time.
            if (beat != current) list.Hold(u.TimeMs - kSecondMs, current);
            knobs(list.Add(u.TimeMs, beat), set);
        } else {
            // A cross-fade centred on the line's time.
            knobs(list.Add(u.TimeMs - half, current), set);
            if (beat != current) list.Add(u.TimeMs + half, beat);
        }
        current = beat;
        if (slides) list.Hold(u.TimeMs, current);
    }
    std::vector<TImportPoint>& points = list.Points();
    // The session ends at a silent last tone-set; one still sounding is held for the fade.
    const TUse& last = uses.back();
    list.Hold(last.TimeMs, current); // a last line that changed nothing still ends the session
    if (VolumeStepFor(last.Set->Amplitude) != 0 || points.back().TimeMs == 0) {
        Note(TLeftOut::HeldEnd, last.Line);
        list.Add(points.back().TimeMs + std::max(fadeMs_ / kSecondMs * kSecondMs, kSecondMs),
                 current);
    }
    if (points.back().TimeMs > kMaxLengthMs) {
        Note(TLeftOut::Cut, last.Line);
        while (points.size() > 1 && points.back().TimeMs >= kMaxLengthMs)
            points.pop_back();
        list.Add(kMaxLengthMs, points.back().FrequencyMilli);
    }
    // A tone-set's bell rings as it begins.
    std::vector<TImportCue> bells;
    for (const TUse& u : uses)
        if (u.Set->Bell) bells.push_back({u.TimeMs, true, {}});
    AddImportCues(points, bells);
    return std::move(points);
}

TImported TImporter::Run(std::string_view text) {
    int line = 0;
    size_t start = 0;
    while (start < text.size()) {
        ++line;
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view content = text.substr(start, end - start);
        start = end + 1;
        content = TrimSpaces(content.substr(0, content.find('#')));
        if (content.empty()) continue;
        const auto words = SplitWords(content);
        if (open_) {
            if (content == "}") {
                blocks_.emplace(std::move(open_->first), std::move(open_->second));
                open_.reset();
            } else {
                BlockLine(words, line);
            }
            continue;
        }
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
        if (lines_.size() == kMaxTimeLines)
            Fail(line, QT_TRANSLATE_NOOP("Import", "more than %1 time lines"),
                 {ImportCount(static_cast<long long>(kMaxTimeLines))});
        lines_.push_back(ReadTimeLine(words, line));
    }
    if (open_) {
        Fail(openLine_, QT_TRANSLATE_NOOP("Import", "the block \"%1\" has no closing }"),
             {Quoted(open_->first)});
    }
    if (lines_.empty()) {
        if (programmeLine_ > 0)
            Fail(programmeLine_,
                 QT_TRANSLATE_NOOP("Import", "the pre-programmed sequence (-p) is not converted, "
                                             "and there are no time lines to follow instead"));
        Fail(line == 0 ? 1 : line, QT_TRANSLATE_NOOP("Import", "the schedule has no time lines"));
    }
    if (programmeLine_ > 0) Note(TLeftOut::Programmes, programmeLine_);
    const std::vector<TUse> uses = Resolve();
    return FinishImport(name_, Points(uses), report_, static_cast<int>(TLeftOut::Thinned),
                        uses.back().Line);
}

} // namespace

TImported ImportSbg(std::string_view text, const std::string& name) {
    return TImporter(name).Run(text);
}
