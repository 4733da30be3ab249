// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionFile.h"

#include "framework/Streams.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kKnobNames[kSessionKnobCount] = {"depth", "am",   "fm",     "volume",
                                                            "half",  "tone", "carrier"};

// A refusal of one line; the caller adds the file and the line.
struct LineError {
    std::string What;
};

[[noreturn]] void Refuse(Msg id, std::initializer_list<MsgArg> args = {}) {
    throw LineError{FormatMessage(id, args)};
}

// Text from the file as a message quotes it: at most a few dozen characters, cut on a
// character boundary, and no control character, so that a huge or strange word can neither
// flood a message box nor play tricks on a terminal.
std::string Quoted(std::string_view text, size_t maxBytes = 40) {
    std::string out;
    size_t i = 0;
    for (; i < text.size() && out.size() < maxBytes; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    if (i == text.size()) return out;
    while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80)
        out.pop_back(); // a continuation byte: drop the whole character
    if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
    return out + "...";
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int64_t Number(std::string_view digits) {
    int64_t v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    return v;
}

// Well-formed UTF-8 without NUL: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more;
        uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (s.size() - i <= static_cast<size_t>(more)) return false;
        for (size_t k = 1; k <= static_cast<size_t>(more); ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (more == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        i += static_cast<size_t>(more) + 1;
    }
    return true;
}

// m:ss (m up to three digits) or h:mm:ss (h up to two), seconds and minutes of a clock below 60.
int64_t ParseTime(std::string_view t) {
    std::string_view parts[3];
    int count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= t.size(); ++i) {
        if (i == t.size() || t[i] == ':') {
            if (count == 3) Refuse(Msg::SessionBadTime, {Quoted(t)});
            parts[count++] = t.substr(start, i - start);
            start = i + 1;
        }
    }
    auto clock = [&](std::string_view p) {
        if (p.size() != 2 || !AllDigits(p) || Number(p) > 59)
            Refuse(Msg::SessionBadTime, {Quoted(t)});
        return Number(p);
    };
    auto lead = [&](std::string_view p, size_t maxDigits) {
        if (p.size() > maxDigits || !AllDigits(p)) Refuse(Msg::SessionBadTime, {Quoted(t)});
        return Number(p);
    };
    if (count == 2) return (lead(parts[0], 3) * 60 + clock(parts[1])) * 1000;
    if (count == 3)
        return ((lead(parts[0], 2) * 60 + clock(parts[1])) * 60 + clock(parts[2])) * 1000;
    Refuse(Msg::SessionBadTime, {Quoted(t)});
}

int32_t ParseFrequency(std::string_view f) {
    const size_t dot = f.find('.');
    const std::string_view whole = f.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? "" : f.substr(dot + 1);
    if (dot == std::string_view::npos || whole.size() > 2 || !AllDigits(whole) ||
        fraction.size() > 3 || !AllDigits(fraction)) {
        Refuse(Msg::SessionBadFrequency, {Quoted(f)});
    }
    int64_t milli = Number(whole) * 1000;
    int64_t scale = 100;
    for (char c : fraction) {
        milli += (c - '0') * scale;
        scale /= 10;
    }
    if (milli < 100 || milli > 35000) Refuse(Msg::SessionFrequencyRange, {Quoted(f)});
    return static_cast<int32_t>(milli);
}

// The words of a line, split at blanks outside double quotes; in quotes a backslash keeps the
// next character inside them.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')); ++i) {
            if (line[i] == '"') {
                quoted = !quoted;
            } else if (quoted && line[i] == '\\') {
                if (++i == line.size()) break;
            }
        }
        if (quoted) Refuse(Msg::SessionSayOpen);
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// The text of say="...": unescaped, at most kSessionMaxSayChars characters of UTF-8 (the line
// has been checked) and no control characters.
std::string ParseSay(std::string_view value) {
    if (value.size() < 3 || value.front() != '"' || value.back() != '"')
        Refuse(Msg::SessionSayQuotes);
    const std::string_view inner = value.substr(1, value.size() - 2);
    std::string text;
    size_t chars = 0;
    for (size_t i = 0; i < inner.size(); ++i) {
        char c = inner[i];
        if (c == '"') Refuse(Msg::SessionSayQuotes); // a quote ends the text before its end
        if (c == '\\') {
            if (i + 1 == inner.size() || (inner[i + 1] != '"' && inner[i + 1] != '\\'))
                Refuse(Msg::SessionSayEscape, {Quoted(inner.substr(i, 2))});
            c = inner[++i];
        }
        const auto u = static_cast<unsigned char>(c);
        // C0 controls, DEL, and the C1 controls U+0080..U+009F (0xC2 0x80..0x9F).
        if (u < 0x20 || u == 0x7F ||
            (u == 0xC2 && i + 1 < inner.size() && static_cast<unsigned char>(inner[i + 1]) < 0xA0))
            Refuse(Msg::SessionSayControl);
        if ((u & 0xC0) != 0x80 && ++chars > kSessionMaxSayChars)
            Refuse(Msg::SessionSayLong, {static_cast<long long>(kSessionMaxSayChars)});
        text += c;
    }
    return text;
}

void ParseSetting(std::string_view s, TSessionPoint& point) {
    const size_t eq = s.find('=');
    const std::string_view name = s.substr(0, eq);
    if (eq != std::string_view::npos && name == "cue") {
        if (point.Bell) Refuse(Msg::SessionSettingTwice, {std::string(name)});
        if (s.substr(eq + 1) != "bell") Refuse(Msg::SessionCueValue);
        point.Bell = true;
        return;
    }
    if (eq != std::string_view::npos && name == "say") {
        if (!point.Say.empty()) Refuse(Msg::SessionSettingTwice, {std::string(name)});
        point.Say = ParseSay(s.substr(eq + 1));
        return;
    }
    int knob = 0;
    while (knob < kSessionKnobCount && kKnobNames[knob] != name)
        ++knob;
    if (eq == std::string_view::npos || knob == kSessionKnobCount)
        Refuse(Msg::SessionUnknownSetting, {Quoted(s)});
    if (point.Knobs[static_cast<size_t>(knob)] != kKnobUnset)
        Refuse(Msg::SessionSettingTwice, {std::string(name)});
    const std::string_view value = s.substr(eq + 1);
    if (static_cast<TSessionKnob>(knob) == TSessionKnob::Half) {
        if (value != "on" && value != "off") Refuse(Msg::SessionHalfValue);
        point.Knobs[static_cast<size_t>(knob)] = value == "on" ? 1 : 0;
        return;
    }
    if (static_cast<TSessionKnob>(knob) == TSessionKnob::Tone) {
        for (int16_t i = 0; i < 3; ++i) {
            if (value == kSessionToneWords[i]) {
                point.Knobs[static_cast<size_t>(knob)] = i;
                return;
            }
        }
        Refuse(Msg::SessionToneValue);
    }
    if (value.size() > 4 || !AllDigits(value) || Number(value) < kSessionKnobMin[knob] ||
        Number(value) > kSessionKnobMax[knob])
        Refuse(Msg::SessionSettingRange,
               {std::string(name), kSessionKnobMin[knob] + 0LL, kSessionKnobMax[knob] + 0LL});
    point.Knobs[static_cast<size_t>(knob)] = static_cast<int16_t>(Number(value));
}

TSessionPoint ParsePoint(const std::vector<std::string_view>& words, int64_t previousMs,
                         bool first) {
    if (words.size() < 2) Refuse(Msg::SessionIncomplete);
    TSessionPoint point;
    point.TimeMs = ParseTime(words[0]);
    if (!first && point.TimeMs <= previousMs)
        Refuse(Msg::SessionTimeOrder, {Quoted(words[0]), FormatSessionTime(previousMs)});
    point.FrequencyMilli = ParseFrequency(words[1]);
    for (size_t i = 2; i < words.size(); ++i)
        ParseSetting(words[i], point);
    return point;
}

} // namespace

namespace {
// A rule check of one value, answered as true or false instead of a refusal.
template <typename Parse, typename T> bool Accepted(Parse parse, std::string_view text, T& value) {
    try {
        value = parse(text);
        return true;
    } catch (const LineError&) {
        return false;
    }
}
} // namespace

bool ParseSessionTime(std::string_view text, int64_t& ms) {
    return Accepted(ParseTime, text, ms);
}

bool ParseSessionFrequency(std::string_view text, int32_t& milli) {
    return Accepted(ParseFrequency, text, milli);
}

std::string SessionCueWords(const TSessionPoint& point) {
    std::string out;
    if (point.Bell) out += "  cue=bell";
    if (point.Say.empty()) return out;
    out += "  say=\"";
    for (char c : point.Say) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

TSession ParseSession(std::string_view text, const std::string& name) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<TSessionPoint> points;
    int line = 0;
    size_t start = 0;
    while (start < text.size()) {
        ++line;
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view content = text.substr(start, end - start);
        start = end + 1;
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        try {
            if (!IsUtf8(content)) Refuse(Msg::SessionNotText);
            // A comment may hold anything, also quotes that do not pair.
            const size_t first = content.find_first_not_of(" \t");
            if (first == std::string_view::npos || content[first] == '#') continue;
            const auto words = Words(content);
            if (points.size() == kSessionMaxPoints)
                Refuse(Msg::SessionTooManyPoints, {static_cast<long long>(kSessionMaxPoints)});
            const int64_t previous = points.empty() ? 0 : points.back().TimeMs;
            points.push_back(ParsePoint(words, previous, points.empty()));
            points.back().Line = line;
        } catch (const LineError& e) {
            throw ESessionError(Msg::SessionLine, {name, static_cast<long long>(line), e.What});
        }
    }
    if (points.empty()) throw ESessionError(Msg::SessionNoPoints, {name});
    if (points.back().TimeMs == 0) {
        throw ESessionError(Msg::SessionLine, {name, static_cast<long long>(points.back().Line),
                                               FormatMessage(Msg::SessionNoLength)});
    }
    return TSession(std::move(points));
}

TSession LoadSessionFile(const std::string& path) {
    const std::string name = Quoted(std::filesystem::path(path).filename().string(), 255);
    // Opened without waiting (a FIFO would otherwise hold the caller until a writer comes),
    // then refused unless it is a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw EFOpenError(Msg::CannotOpenFile, {name});
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } close{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw ESessionError(Msg::SessionReadError, {name});
    if (!S_ISREG(st.st_mode)) throw ESessionError(Msg::SessionNotFile, {name});
    if (st.st_size > kSessionMaxBytes) throw ESessionError(Msg::SessionTooLarge, {name});
    // Read to the end, but never past the limit: the file may grow meanwhile.
    std::string text(static_cast<size_t>(kSessionMaxBytes) + 1, '\0');
    size_t have = 0;
    while (have < text.size()) {
        const ssize_t got = ::read(fd, text.data() + have, text.size() - have);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw ESessionError(Msg::SessionReadError, {name});
        if (got == 0) break;
        have += static_cast<size_t>(got);
    }
    if (have > static_cast<size_t>(kSessionMaxBytes))
        throw ESessionError(Msg::SessionTooLarge, {name});
    text.resize(have);
    return ParseSession(text, name);
}

std::string SessionTitle(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] != '#') return {};
    line.remove_prefix(first + 1);
    const size_t start = line.find_first_not_of(" \t#");
    if (start == std::string_view::npos) return {};
    line.remove_prefix(start);
    line.remove_suffix(line.size() - line.find_last_not_of(" \t") - 1);
    return IsUtf8(line) ? Quoted(line, 60) : std::string();
}

std::vector<TSessionEntry> ListSessionFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<TSessionEntry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code statError;
        if (path.extension() != ".vsession" || !it->is_regular_file(statError)) continue;
        std::string head(4096, '\0');
        size_t have = 0;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) continue;
        const ssize_t got = ::read(fd, head.data(), head.size());
        ::close(fd);
        if (got > 0) have = static_cast<size_t>(got);
        head.resize(have);
        std::string title = SessionTitle(head);
        if (title.empty()) title = Quoted(path.stem().string(), 60);
        entries.push_back({path.string(), std::move(title)});
        if (entries.size() == 1000) break; // a menu, not a file manager
    }
    std::sort(entries.begin(), entries.end(), [](const TSessionEntry& a, const TSessionEntry& b) {
        return a.Title != b.Title ? a.Title < b.Title : a.Path < b.Path;
    });
    return entries;
}
