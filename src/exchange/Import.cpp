// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/Import.h"

#include "exchange/GnauralReader.h"
#include "exchange/SbgReader.h"
#include "exchange/SpsqReader.h"
#include "framework/Messages.h"
#include "session/Session.h"
#include "session/SessionFile.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <queue>
#include <sys/stat.h>
#include <unistd.h>

const int32_t kImportVolumeCentibels[11] = {-10000, -2500, -2000, -1500, -1200, -1000,
                                            -900,   -500,  -300,  -100,  0};

namespace {

QString Tr(const std::string& source) {
    return QCoreApplication::translate("Import", source.c_str());
}

// A message about a file: its name is given exactly as it is.
std::string Tr(const char* source, const std::string& name) {
    return TranslatedText("Import", source, {name});
}

// The numbers a report line lists, after its text: a whole sentence for each unit and for one
// number or many, so that a translation places the words as its language does.
constexpr const char* kListed[2][2] = {
    {QT_TRANSLATE_NOOP("Import", "%1 (line %2)"), QT_TRANSLATE_NOOP("Import", "%1 (lines %2)")},
    {QT_TRANSLATE_NOOP("Import", "%1 (entry %2)"), QT_TRANSLATE_NOOP("Import", "%1 (entries %2)")}};

} // namespace

std::string ImportCount(long long n) {
    const QLocale numbers;
    // The C locale groups thousands with commas; plain digits there, as the C library writes.
    if (numbers.language() == QLocale::C) return std::to_string(n);
    return numbers.toString(n).toStdString();
}

void FailImportAt(const std::string& name, TImportUnit unit, int line, const char* reason,
                  std::initializer_list<std::string> args) {
    const char* where = unit == TImportUnit::Line ? QT_TRANSLATE_NOOP("Import", "%1, line %2: %3")
                                                  : QT_TRANSLATE_NOOP("Import", "%1, entry %2: %3");
    throw EImportError(TranslatedText(
        "Import", where, {name, std::to_string(line), TranslatedText("Import", reason, args)}));
}

void FailImport(const char* reason, std::initializer_list<std::string> args) {
    throw EImportError(TranslatedText("Import", reason, args));
}

void TImportReport::Note(int kind, std::string_view text, int line, std::string_view translated) {
    auto& [first, lines] = kinds_[kind];
    if (first.empty()) {
        first = text;
        if (!translated.empty()) translated_[kind] = translated;
    }
    if (line > 0) lines.insert(line);
}

std::vector<std::string> TImportReport::Lines(const std::string& lead, bool translated) const {
    const auto fill = [translated](const char* pattern, std::initializer_list<std::string> args) {
        return translated ? TranslatedText("Import", pattern, args) : FillText(pattern, args);
    };
    std::vector<std::string> out;
    for (const auto& [kind, entry] : kinds_) {
        const auto& [text, numbers] = entry;
        const auto own = translated_.find(kind);
        std::string body = !translated                ? text
                           : own != translated_.end() ? own->second
                                                      : Tr(text).toStdString();
        if (!numbers.empty()) {
            // A line to read, not a listing: the first few, and how many more.
            constexpr size_t kShown = 10;
            std::string listed;
            size_t shown = 0;
            for (auto n = numbers.begin(); n != numbers.end() && shown < kShown; ++n, ++shown)
                listed += (shown ? ", " : "") + std::to_string(*n);
            if (numbers.size() > kShown) {
                const auto more = static_cast<long long>(numbers.size() - kShown);
                listed = fill(QT_TRANSLATE_NOOP("Import", "%1 and %2 more"),
                              {listed, translated ? ImportCount(more) : std::to_string(more)});
            }
            body = fill(kListed[unit_ == TImportUnit::Entry][numbers.size() > 1], {body, listed});
        }
        out.push_back(lead + body);
    }
    return out;
}

void TImportPointList::Hold(int64_t ms, int32_t milli) {
    if (!points_.empty() && ms <= points_.back().TimeMs) return;
    Add(ms, milli);
}

TImportPoint& TImportPointList::Add(int64_t ms, int32_t milli) {
    if (!points_.empty() && ms <= points_.back().TimeMs) {
        if (points_.back().FrequencyMilli == milli) return points_.back();
        ms = points_.back().TimeMs + 1000;
    }
    TImportPoint p;
    p.TimeMs = ms;
    p.FrequencyMilli = milli;
    points_.push_back(p);
    return points_.back();
}

int VolumeStepFor(double percent) {
    if (!(percent > 0)) return 0;
    const double centibels = 2000.0 * std::log10(std::min(percent, 100.0) / 100.0);
    int best = 1;
    for (int k = 1; k <= 10; ++k) {
        if (std::fabs(kImportVolumeCentibels[k] - centibels) <
            std::fabs(kImportVolumeCentibels[best] - centibels))
            best = k;
    }
    return best;
}

std::string FormatHertz(int32_t milli, bool keepPoint) {
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

namespace {

// The frequency on the line between two points at a moment, in thousandths.
double Between(const TImportPoint& a, const TImportPoint& b, int64_t ms) {
    if (b.TimeMs == a.TimeMs) return b.FrequencyMilli;
    const double x = static_cast<double>(ms - a.TimeMs) / static_cast<double>(b.TimeMs - a.TimeMs);
    return a.FrequencyMilli + x * (b.FrequencyMilli - a.FrequencyMilli);
}

bool SetsKnobs(const TImportPoint& p) {
    return p.Volume >= 0 || !p.Tone.empty() || p.CarrierMilli >= 0 || p.Bell || !p.Say.empty();
}

} // namespace

void AddImportCues(std::vector<TImportPoint>& points, const std::vector<TImportCue>& cues) {
    if (points.empty() || cues.empty()) return;
    std::vector<TImportPoint> merged;
    merged.reserve(points.size() + cues.size());
    size_t next = 0;
    for (const TImportCue& cue : cues) {
        const int64_t ms = cue.TimeMs / 1000 * 1000;
        if (ms > points.back().TimeMs) break;
        while (next < points.size() && points[next].TimeMs <= ms)
            merged.push_back(points[next++]);
        if (merged.empty() || merged.back().TimeMs != ms) {
            // On the line between the points around it.
            TImportPoint p;
            p.TimeMs = ms;
            p.FrequencyMilli =
                merged.empty()
                    ? points[next].FrequencyMilli
                    : static_cast<int32_t>(std::lround(Between(merged.back(), points[next], ms)));
            merged.push_back(p);
        }
        merged.back().Bell = merged.back().Bell || cue.Bell;
        if (merged.back().Say.empty()) merged.back().Say = cue.Say;
    }
    merged.insert(merged.end(), points.begin() + static_cast<std::ptrdiff_t>(next), points.end());
    points = std::move(merged);
}

double ThinPoints(std::vector<TImportPoint>& points, size_t limit) {
    const size_t n = points.size();
    if (n <= limit) return 0;
    std::vector<size_t> before(n), after(n);
    std::vector<double> cost(n, std::numeric_limits<double>::infinity());
    std::vector<bool> gone(n, false);
    size_t fixed = 0;
    for (size_t i = 0; i < n; ++i) {
        before[i] = i - 1;
        after[i] = i + 1;
        if (i == 0 || i + 1 == n || SetsKnobs(points[i])) ++fixed;
    }
    if (fixed > limit) return -1;
    using TEntry = std::pair<double, size_t>;
    std::priority_queue<TEntry, std::vector<TEntry>, std::greater<>> queue;
    auto weigh = [&](size_t i) {
        if (i == 0 || i + 1 == n || SetsKnobs(points[i])) return;
        const TImportPoint& p = points[i];
        cost[i] =
            std::fabs(p.FrequencyMilli - Between(points[before[i]], points[after[i]], p.TimeMs));
        queue.push({cost[i], i});
    };
    for (size_t i = 0; i < n; ++i)
        weigh(i);
    size_t left = n;
    while (left > limit && !queue.empty()) {
        const auto [c, i] = queue.top();
        queue.pop();
        if (gone[i] || c != cost[i]) continue; // removed, or weighed again since
        gone[i] = true;
        --left;
        after[before[i]] = after[i];
        before[after[i]] = before[i];
        weigh(before[i]);
        weigh(after[i]);
    }
    // How far the thinned line strays, measured at every original point.
    std::vector<TImportPoint> kept;
    kept.reserve(left);
    for (size_t i = 0; i < n; ++i)
        if (!gone[i]) kept.push_back(points[i]);
    double worst = 0;
    size_t k = 0;
    for (const TImportPoint& p : points) {
        while (k + 1 < kept.size() && kept[k + 1].TimeMs < p.TimeMs)
            ++k;
        const TImportPoint& b = k + 1 < kept.size() ? kept[k + 1] : kept[k];
        worst = std::max(worst, std::fabs(p.FrequencyMilli - Between(kept[k], b, p.TimeMs)));
    }
    points = std::move(kept);
    return worst;
}

TImported FinishImport(const std::string& name, std::vector<TImportPoint> points,
                       TImportReport& report, int thinnedKind, int line) {
    const size_t laid = points.size();
    const double worst = ThinPoints(points, kSessionMaxPoints);
    if (worst < 0) {
        FailImportAt(name, report.Unit(), line,
                     QT_TRANSLATE_NOOP("Import", "more than %1 changes of the tone or the volume"),
                     {ImportCount(static_cast<long long>(kSessionMaxPoints))});
    }
    if (points.size() < laid) {
        const char* const thinned = QT_TRANSLATE_NOOP(
            "Import", "the frequency thinned from %1 to %2 points, within %3 Hz of the schedule");
        // The session file's comment keeps the plain English figures; the person reads them as
        // the locale writes numbers.
        char within[32];
        std::snprintf(within, sizeof within, "%.3f", worst / 1000);
        const auto kept = static_cast<long long>(points.size());
        report.Note(thinnedKind,
                    FillText(thinned, {std::to_string(laid), std::to_string(kept), within}), 0,
                    TranslatedText("Import", thinned,
                                   {ImportCount(static_cast<long long>(laid)), ImportCount(kept),
                                    QLocale().toString(worst / 1000, 'f', 3).toStdString()}));
    }
    TImported result;
    result.Report = report.Lines(name + ": ", true);
    const std::string stem = std::filesystem::path(name).stem().string();
    result.Text = "# " + stem + " (imported)\n#\n# Converted from " + name + ".\n";
    for (const std::string& l : report.Lines("# Left out or changed: "))
        result.Text += l + "\n";
    for (const TImportPoint& p : points) {
        result.Text += FormatSessionTime(p.TimeMs) + "  " + FormatHertz(p.FrequencyMilli, true);
        if (!p.Tone.empty()) result.Text += "  tone=" + p.Tone;
        if (p.CarrierMilli >= 0) result.Text += "  carrier=" + FormatHertz(p.CarrierMilli, false);
        if (p.Volume >= 0) result.Text += "  volume=" + std::to_string(p.Volume);
        TSessionPoint cues;
        cues.Bell = p.Bell;
        cues.Say = p.Say;
        result.Text += SessionCueWords(cues) + '\n';
    }
    result.Points = std::move(points);
    return result;
}

std::string QuotedForImport(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out += c < 0x20 || c == 0x7F || c >= 0x80 ? '?' : static_cast<char>(c);
    }
    return s.size() > 40 ? out + "..." : out;
}

namespace {

std::string_view TrimmedLine(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// Counts the lines that only one of the two text formats writes.
void WeighLine(std::string_view raw, int& sbg, int& spsq) {
    const std::string_view line = TrimmedLine(raw);
    if (line.empty() || line.front() == '#') return;
    if (line.front() == '@') {
        ++spsq; // an option line of the preset format
        return;
    }
    if (raw.starts_with("  ") && !raw.starts_with("   ")) {
        for (std::string_view word : {"tone ", "noise ", "background ", "waveform ", "track "})
            if (line.starts_with(word)) ++spsq;
    }
    if (line.find(" as template") != std::string_view::npos ||
        line.find(" from ") != std::string_view::npos)
        ++spsq;
    for (std::string_view curve : {" steady", " ease-in", " ease-out", " smooth"})
        if (line.ends_with(curve)) ++spsq;
    if (line.starts_with("NOW") || line.starts_with("+") || line.front() == '-' ||
        line.find('/') != std::string_view::npos)
        ++sbg;
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && colon > 0 &&
        !(line.front() >= '0' && line.front() <= '9') &&
        std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), IsNameChar))
        ++sbg; // a tone-set or block definition, "name: ..."
}

} // namespace

TScheduleFormat DetectScheduleFormat(std::string_view text, std::string_view fileName) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::string_view head = text.substr(0, 65536);
    const size_t first = head.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && head[first] == '<') {
        if (head.find("SynapSeqInput") != std::string_view::npos)
            return TScheduleFormat::SpsqStructured;
        if (head.find("<schedule") != std::string_view::npos) return TScheduleFormat::Gnaural;
        return TScheduleFormat::Unknown;
    }
    if (first != std::string_view::npos && head[first] == '{') {
        return head.find("\"sequence\"") != std::string_view::npos ? TScheduleFormat::SpsqStructured
                                                                   : TScheduleFormat::Unknown;
    }
    int sbg = 0, spsq = 0;
    for (size_t start = 0, lines = 0; start < head.size() && lines < 2000; ++lines) {
        size_t end = head.find('\n', start);
        if (end == std::string_view::npos) end = head.size();
        WeighLine(head.substr(start, end - start), sbg, spsq);
        start = end + 1;
    }
    if (sbg != spsq) return sbg > spsq ? TScheduleFormat::Sbg : TScheduleFormat::Spsq;
    const std::string extension = std::filesystem::path(fileName).extension().string();
    if (extension == ".sbg") return TScheduleFormat::Sbg;
    if (extension == ".spsq") return TScheduleFormat::Spsq;
    if (extension == ".gnaural") return TScheduleFormat::Gnaural;
    if (extension == ".json") return TScheduleFormat::SpsqStructured;
    return TScheduleFormat::Unknown;
}

std::string ReadScheduleFile(const std::string& path, std::string& name) {
    name = QuotedForImport(std::filesystem::path(path).filename().string());
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw EImportError(Tr(QT_TRANSLATE_NOOP("Import", "cannot open %1"), name));
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } close{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw EImportError(Tr(QT_TRANSLATE_NOOP("Import", "%1 is not a regular file"), name));
    if (st.st_size > kImportMaxBytes)
        throw EImportError(Tr(QT_TRANSLATE_NOOP("Import", "%1 is larger than 4 MiB"), name));
    std::string text(static_cast<size_t>(kImportMaxBytes) + 1, '\0');
    size_t have = 0;
    while (have < text.size()) {
        const ssize_t got = ::read(fd, text.data() + have, text.size() - have);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw EImportError(Tr(QT_TRANSLATE_NOOP("Import", "%1 cannot be read"), name));
        if (got == 0) break;
        have += static_cast<size_t>(got);
    }
    if (have > static_cast<size_t>(kImportMaxBytes))
        throw EImportError(Tr(QT_TRANSLATE_NOOP("Import", "%1 is larger than 4 MiB"), name));
    text.resize(have);
    return text;
}

TImported ImportSchedule(std::string_view text, const std::string& name) {
    switch (DetectScheduleFormat(text, name)) {
    case TScheduleFormat::Sbg:
        return ImportSbg(text, name);
    case TScheduleFormat::Spsq:
        return ImportSpsq(text, name);
    case TScheduleFormat::SpsqStructured: {
        const size_t first = text.find_first_not_of(" \t\r\n");
        if (first != std::string_view::npos && text[first] == '{') return ImportSpsq(text, name);
        FailImport(QT_TRANSLATE_NOOP("Import", "%1 is a SynapSeq schedule in XML, which this "
                                               "version does not read: its JSON form is read"),
                   {name});
    }
    case TScheduleFormat::Gnaural:
        return ImportGnaural(text, name);
    case TScheduleFormat::Unknown:
        break;
    }
    FailImport(QT_TRANSLATE_NOOP("Import", "%1 is not a schedule this version reads (.sbg, .spsq, "
                                           "a SynapSeq JSON sequence, or .gnaural)"),
               {name});
}

TImported ImportScheduleFile(const std::string& path) {
    std::string name;
    const std::string text = ReadScheduleFile(path, name);
    return ImportSchedule(text, name);
}

void WriteImportedSession(const std::string& path, const std::string& text) {
    namespace fs = std::filesystem;
    auto fail = [&](const std::string& why) {
        FailImport(QT_TRANSLATE_NOOP("Import", "cannot write %1: %2"), {path, why});
    };
    std::error_code error;
    if (fs::is_directory(path, error))
        FailImport(QT_TRANSLATE_NOOP("Import", "cannot write %1: it is a folder"), {path});
    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) fail(part + ": " + std::strerror(errno));
    std::string why;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) why = std::strerror(errno);
    if (std::fflush(file) != 0 && why.empty()) why = std::strerror(errno);
    if (std::fclose(file) != 0 && why.empty()) why = std::strerror(errno);
    if (why.empty()) fs::rename(part, path, error);
    if (error) why = error.message();
    if (!why.empty()) {
        std::remove(part.c_str());
        fail(why);
    }
}

std::optional<double> Number(std::string_view s) {
    const size_t dot = s.find('.');
    const std::string_view whole = s.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? "" : s.substr(dot + 1);
    if (whole.size() > 6 || fraction.size() > 15 || (whole.empty() && fraction.empty()))
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

std::string_view TrimSpaces(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> SplitWords(std::string_view s) {
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
