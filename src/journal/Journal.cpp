// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/Journal.h"

#include "session/SessionFile.h"

#include "framework/Exception.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kEndWords[] = {"none",        "stop",   "esc",
                                     "session-end", "signal", "window-closed"};
constexpr const char* kKnobWords[kSessionKnobCount] = {"depth", "am",   "fm",     "volume",
                                                       "half",  "tone", "carrier"};
// The positions a knob can hold in the window; wider than a session's for Depth, which the
// window may hold at 0 until it is moved.
constexpr int kKnobLow[kSessionKnobCount] = {0, 0, 0, 0, 0, 0, 50};
constexpr int kKnobHigh[kSessionKnobCount] = {15, 5, 10, 10, 1, 2, 1000};

QString Text(const std::string& s, size_t maxChars) {
    QString q = QString::fromStdString(s);
    if (static_cast<size_t>(q.size()) > maxChars) q.truncate(static_cast<qsizetype>(maxChars));
    return q;
}

std::string Line(const QJsonObject& object) {
    std::string line = QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
    line += '\n';
    return line;
}

double Hertz(int32_t milli) {
    return static_cast<double>(milli) / 1000.0;
}

// An integral number within [low, high]; false for anything else.
bool Integer(const QJsonValue& v, int64_t low, int64_t high, int64_t& out) {
    if (!v.isDouble()) return false;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d < static_cast<double>(low) || d > static_cast<double>(high) ||
        std::floor(d) != d)
        return false;
    out = static_cast<int64_t>(d);
    return true;
}

bool Milli(const QJsonValue& v, int32_t& out) {
    if (!v.isDouble()) return false;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d < 0.1 || d > 35.0) return false;
    out = static_cast<int32_t>(std::llround(d * 1000.0));
    return out >= 100 && out <= 35000;
}

// A cue's text as a session file holds it: empty when it is too long or holds a control
// character.
std::string CueText(const QJsonValue& v) {
    if (!v.isString()) return {};
    const QString s = v.toString();
    if (static_cast<size_t>(s.size()) > kSessionMaxSayChars) return {};
    for (QChar c : s)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) return {};
    return s.toStdString();
}

std::string String(const QJsonValue& v, size_t maxChars) {
    if (!v.isString()) return {};
    QString s = v.toString();
    if (static_cast<size_t>(s.size()) > maxChars) s.truncate(static_cast<qsizetype>(maxChars));
    // No control characters reach a list or a caption.
    for (QChar& c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('?');
    return s.toStdString();
}

int KnobIndex(const QString& word) {
    for (int i = 0; i < kSessionKnobCount; ++i)
        if (word == QLatin1String(kKnobWords[i])) return i;
    return -1;
}

// The run id of a line, or 0 when it has none.
int64_t RunOf(const QJsonObject& o) {
    int64_t id = 0;
    return Integer(o.value(QLatin1String("run")), 1, int64_t{1} << 52, id) ? id : 0;
}

// The lines of a text, each without its line break; a last line without one is torn.
template <typename F> void ForEachLine(std::string_view bytes, F&& f) {
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) {
            f(bytes.substr(at), false);
            return;
        }
        f(bytes.substr(at, end - at), true);
        at = end + 1;
    }
}

std::string ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return {};
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // The newest runs are at the end: a file over the reader's bound is read from there.
        const int64_t size = st.st_size;
        const int64_t from = std::max<int64_t>(0, size - kJournalMaxReadBytes);
        if (from > 0) ::lseek(fd, from, SEEK_SET);
        bytes.resize(static_cast<size_t>(size - from));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
        if (from > 0) {
            const size_t first = bytes.find('\n');
            bytes.erase(0, first == std::string::npos ? bytes.size() : first + 1);
        }
    }
    ::close(fd);
    return bytes;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The folder of a path, made for the user alone when it is missing.
void MakeFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return;
    const std::string folder = path.substr(0, slash);
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) return;
    MakeFolder(folder);
    ::mkdir(folder.c_str(), 0700);
}

} // namespace

const char* JournalEndWord(TJournalEnd end) {
    return kEndWords[static_cast<int>(end)];
}

const char* JournalKnobWord(TSessionKnob knob) {
    return kKnobWords[static_cast<int>(knob)];
}

std::string DefaultJournalPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] == '/' ? home : "/tmp") + "/.local/share";
    }
    return base + "/velmora/journal.jsonl";
}

TJournalContents ParseJournal(std::string_view bytes) {
    TJournalContents contents;
    std::map<int64_t, size_t> index; // run id -> place in Runs
    std::set<int64_t> ended;
    auto skip = [&contents] { ++contents.SkippedLines; };
    ForEachLine(bytes, [&](std::string_view raw, bool whole) {
        if (raw.empty()) return;
        if (!whole || raw.size() > kJournalMaxLineBytes) return skip();
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(
            QByteArray::fromRawData(raw.data(), static_cast<qsizetype>(raw.size())), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject()) return skip();
        const QJsonObject o = doc.object();
        const QString ev = o.value(QLatin1String("ev")).toString();
        const int64_t id = RunOf(o);
        if (id == 0) return skip();
        if (ev == QLatin1String("start")) {
            TJournalStart s;
            int32_t milli = 0;
            if (index.count(id) || !Milli(o.value(QLatin1String("hz")), milli)) return skip();
            s.WallMs = id;
            s.FrequencyMilli = milli;
            s.Library = String(o.value(QLatin1String("library")), kJournalMaxTextChars);
            s.Picture = String(o.value(QLatin1String("picture")), kJournalMaxTextChars);
            s.Sound = String(o.value(QLatin1String("sound")), kJournalMaxTextChars);
            s.SessionTitle = String(o.value(QLatin1String("session")), kJournalMaxTextChars);
            s.SessionFile = String(o.value(QLatin1String("sessionFile")), kJournalMaxTextChars);
            int64_t sessionMs = 0;
            if (Integer(o.value(QLatin1String("sessionMs")), 0, kJournalMaxRunMs, sessionMs))
                s.SessionMs = sessionMs;
            const QJsonObject knobs = o.value(QLatin1String("knobs")).toObject();
            for (int k = 0; k < kSessionKnobCount; ++k) {
                int64_t v = 0;
                if (!Integer(knobs.value(QLatin1String(kKnobWords[k])), kKnobLow[k], kKnobHigh[k],
                             v))
                    return skip();
                s.Knobs[static_cast<size_t>(k)] = static_cast<int16_t>(v);
            }
            TJournalRun run;
            run.Id = id;
            run.Start = std::move(s);
            index[id] = contents.Runs.size();
            contents.Runs.push_back(std::move(run));
            return;
        }
        const auto found = index.find(id);
        if (found == index.end()) return skip();
        TJournalRun& run = contents.Runs[found->second];
        if (ev == QLatin1String("note")) {
            int64_t mark = 0;
            if (!Integer(o.value(QLatin1String("mark")), 1, kJournalMaxMarks, mark)) return skip();
            for (TJournalMark& m : run.Marks) {
                if (m.Number == mark) {
                    m.Note = String(o.value(QLatin1String("text")), kJournalMaxNoteChars);
                    return;
                }
            }
            return skip();
        }
        int64_t ms = 0;
        if (ended.count(id) || !Integer(o.value(QLatin1String("ms")), 0, kJournalMaxRunMs, ms) ||
            ms < run.LengthMs)
            return skip();
        const QString by = o.value(QLatin1String("by")).toString();
        if (ev == QLatin1String("freq")) {
            TJournalChange c;
            if (run.Changes.size() >= kJournalMaxChanges ||
                !Milli(o.value(QLatin1String("hz")), c.Value))
                return skip();
            c.Ms = ms;
            c.BySession = by == QLatin1String("session");
            run.Changes.push_back(c);
        } else if (ev == QLatin1String("knob")) {
            TJournalChange c;
            const int k = KnobIndex(o.value(QLatin1String("knob")).toString());
            int64_t v = 0;
            if (run.Changes.size() >= kJournalMaxChanges || k < 0 ||
                !Integer(o.value(QLatin1String("value")), kKnobLow[k], kKnobHigh[k], v))
                return skip();
            c.Ms = ms;
            c.IsKnob = true;
            c.Knob = static_cast<TSessionKnob>(k);
            c.Value = static_cast<int32_t>(v);
            c.BySession = by == QLatin1String("session");
            run.Changes.push_back(c);
        } else if (ev == QLatin1String("cue")) {
            TJournalCue c{ms, o.value(QLatin1String("bell")).toBool(),
                          CueText(o.value(QLatin1String("say")))};
            if (run.Cues.size() >= kSessionMaxPoints || (!c.Bell && c.Say.empty())) return skip();
            run.Cues.push_back(std::move(c));
        } else if (ev == QLatin1String("mark")) {
            int64_t number = 0;
            if (run.Marks.size() >= kJournalMaxMarks ||
                !Integer(o.value(QLatin1String("mark")), 1, kJournalMaxMarks, number) ||
                (!run.Marks.empty() && number <= run.Marks.back().Number))
                return skip();
            run.Marks.push_back({ms, static_cast<int>(number), {}});
        } else if (ev == QLatin1String("end")) {
            const QString word = o.value(QLatin1String("reason")).toString();
            TJournalEnd reason = TJournalEnd::None;
            for (int r = 1; r < static_cast<int>(std::size(kEndWords)); ++r)
                if (word == QLatin1String(kEndWords[r])) reason = static_cast<TJournalEnd>(r);
            if (reason == TJournalEnd::None) return skip();
            run.End = reason;
            ended.insert(id);
        } else {
            return skip();
        }
        run.LengthMs = ms;
    });
    return contents;
}

// ---- Writing

TJournal::TJournal(std::string path, int64_t maxBytes) : path_(std::move(path)) {
    SetMaxBytes(maxBytes);
}

void TJournal::SetMaxBytes(int64_t maxBytes) {
    maxBytes_ = std::clamp(maxBytes, kJournalMaxKBMin * 1024, kJournalMaxKBMax * 1024);
}

bool TJournal::Append(const std::string& line) {
    MakeFolder(path_);
    // Opened for each event: a rewrite by another program's journal or by Delete leaves no
    // stale descriptor here, and the one write of a whole line reaches the file at once.
    const int fd =
        ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        ++failures_;
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && (st.st_mode & 07777) != 0600) ::fchmod(fd, 0600);
    ok = ok && WriteAll(fd, line.data(), line.size());
    const int64_t size = ok ? st.st_size + static_cast<int64_t>(line.size()) : 0;
    ::close(fd);
    if (!ok) {
        ++failures_;
        return false;
    }
    runBytes_ += static_cast<int64_t>(line.size());
    size_ = size;
    // Rotation reads, writes and syncs the whole file: between runs, not while the light runs,
    // unless the file has grown to twice its bound.
    if (size > maxBytes_ && (runId_ == 0 || size > 2 * maxBytes_)) Rotate();
    return true;
}

int64_t TJournal::BeginRun(TJournalStart start) {
    if (runId_ != 0) EndRun(lastMs_, TJournalEnd::None);
    // Ids are unique even for two starts within one millisecond.
    const int64_t id = std::max(start.WallMs, lastId_ + 1);
    lastId_ = id;
    runId_ = id;
    lastMs_ = 0;
    lastMilli_ = start.FrequencyMilli;
    for (int k = 0; k < kSessionKnobCount; ++k)
        knobs_[static_cast<size_t>(k)] = start.Knobs[static_cast<size_t>(k)];
    marks_ = 0;
    runBytes_ = 0;
    QJsonObject o;
    o[QLatin1String("ev")] = QLatin1String("start");
    o[QLatin1String("run")] = static_cast<double>(id);
    o[QLatin1String("at")] =
        QDateTime::fromMSecsSinceEpoch(id, Qt::UTC).toString(Qt::ISODateWithMs);
    o[QLatin1String("library")] = Text(start.Library, kJournalMaxTextChars);
    o[QLatin1String("picture")] = Text(start.Picture, kJournalMaxTextChars);
    o[QLatin1String("sound")] = Text(start.Sound, kJournalMaxTextChars);
    if (!start.SessionFile.empty() || !start.SessionTitle.empty()) {
        o[QLatin1String("session")] = Text(start.SessionTitle, kJournalMaxTextChars);
        o[QLatin1String("sessionFile")] = Text(start.SessionFile, kJournalMaxTextChars);
        o[QLatin1String("sessionMs")] = static_cast<double>(start.SessionMs);
    }
    o[QLatin1String("hz")] = Hertz(start.FrequencyMilli);
    QJsonObject knobs;
    for (int k = 0; k < kSessionKnobCount; ++k)
        knobs[QLatin1String(kKnobWords[k])] = start.Knobs[static_cast<size_t>(k)];
    o[QLatin1String("knobs")] = knobs;
    Append(Line(o));
    return id;
}

void TJournal::Frequency(int64_t ms, int32_t milli, bool bySession, bool atPoint, bool byNudge) {
    if (runId_ == 0 || milli == lastMilli_) return;
    // A session's line and a nudge's glide move in small steps: kept where they have moved.
    if ((bySession || byNudge) && !atPoint &&
        std::abs(milli - lastMilli_) < kJournalSessionStepMilli)
        return;
    // A run that has written half the journal's bound keeps only its bookmarks and its end.
    if (runBytes_ > maxBytes_ / 2) return;
    lastMilli_ = milli;
    lastMs_ = std::clamp(ms, lastMs_, kJournalMaxRunMs);
    QJsonObject o;
    o[QLatin1String("ev")] = QLatin1String("freq");
    o[QLatin1String("run")] = static_cast<double>(runId_);
    o[QLatin1String("ms")] = static_cast<double>(lastMs_);
    o[QLatin1String("hz")] = Hertz(milli);
    o[QLatin1String("by")] = byNudge     ? QLatin1String("nudge")
                             : bySession ? QLatin1String("session")
                                         : QLatin1String("hand");
    Append(Line(o));
}

void TJournal::Knob(int64_t ms, TSessionKnob knob, int value, bool bySession) {
    const auto k = static_cast<size_t>(knob);
    if (runId_ == 0 || knobs_[k] == value || runBytes_ > maxBytes_ / 2) return;
    knobs_[k] = value;
    lastMs_ = std::clamp(ms, lastMs_, kJournalMaxRunMs);
    QJsonObject o;
    o[QLatin1String("ev")] = QLatin1String("knob");
    o[QLatin1String("run")] = static_cast<double>(runId_);
    o[QLatin1String("ms")] = static_cast<double>(lastMs_);
    o[QLatin1String("knob")] = QLatin1String(kKnobWords[k]);
    o[QLatin1String("value")] = value;
    o[QLatin1String("by")] = bySession ? QLatin1String("session") : QLatin1String("hand");
    Append(Line(o));
}

void TJournal::Cue(int64_t ms, bool bell, const std::string& say) {
    if (runId_ == 0 || (!bell && say.empty()) || runBytes_ > maxBytes_ / 2) return;
    lastMs_ = std::clamp(ms, lastMs_, kJournalMaxRunMs);
    QJsonObject o;
    o[QLatin1String("ev")] = QLatin1String("cue");
    o[QLatin1String("run")] = static_cast<double>(runId_);
    o[QLatin1String("ms")] = static_cast<double>(lastMs_);
    if (bell) o[QLatin1String("bell")] = true;
    if (!say.empty()) o[QLatin1String("say")] = QString::fromStdString(say);
    Append(Line(o));
}

int TJournal::Mark(int64_t ms) {
    if (runId_ == 0 || static_cast<size_t>(marks_) >= kJournalMaxMarks) return 0;
    lastMs_ = std::clamp(ms, lastMs_, kJournalMaxRunMs);
    QJsonObject o;
    o[QLatin1String("ev")] = QLatin1String("mark");
    o[QLatin1String("run")] = static_cast<double>(runId_);
    o[QLatin1String("ms")] = static_cast<double>(lastMs_);
    o[QLatin1String("mark")] = ++marks_;
    Append(Line(o));
    return marks_;
}

void TJournal::EndRun(int64_t ms, TJournalEnd reason, const TJournalFrames* frames) {
    if (runId_ == 0) return;
    if (reason != TJournalEnd::None) {
        QJsonObject o;
        o[QLatin1String("ev")] = QLatin1String("end");
        o[QLatin1String("run")] = static_cast<double>(runId_);
        o[QLatin1String("ms")] = static_cast<double>(std::clamp(ms, lastMs_, kJournalMaxRunMs));
        o[QLatin1String("reason")] = QLatin1String(JournalEndWord(reason));
        if (frames) {
            QJsonObject f;
            f[QLatin1String("mode")] = QString::fromStdString(frames->Mode);
            f[QLatin1String("shown")] = static_cast<double>(frames->Shown);
            f[QLatin1String("late")] = static_cast<double>(frames->Late);
            f[QLatin1String("dropped")] = static_cast<double>(frames->Dropped);
            f[QLatin1String("not_due")] = static_cast<double>(frames->NotDue);
            // Thousandths of a hertz are all a measure over a second or two can tell.
            f[QLatin1String("refresh_hz")] = std::round(frames->RefreshHz * 1000) / 1000;
            f[QLatin1String("clock")] = QString::fromStdString(frames->Clock);
            o[QLatin1String("screen")] = f;
        }
        Append(Line(o));
    }
    runId_ = 0;
    if (size_ > maxBytes_) Rotate();
}

void TJournal::Note(int64_t runId, int mark, const std::string& text) {
    QJsonObject o;
    o[QLatin1String("ev")] = QLatin1String("note");
    o[QLatin1String("run")] = static_cast<double>(runId);
    o[QLatin1String("mark")] = mark;
    o[QLatin1String("text")] = Text(text, kJournalMaxNoteChars);
    Append(Line(o));
}

TJournalContents TJournal::Read() const {
    return ParseJournal(ReadWhole(path_));
}

void TJournal::DeleteRun(int64_t runId) {
    if (runId == runId_) runId_ = 0;
    Rewrite({runId}, false);
}

void TJournal::DeleteAll() {
    runId_ = 0;
    Rewrite({}, true);
}

void TJournal::Rotate() {
    const std::string bytes = ReadWhole(path_);
    // The bytes of each run's lines, to find how many of the oldest must go.
    std::vector<std::pair<int64_t, int64_t>> sizes; // in order of first appearance
    std::map<int64_t, size_t> place;
    int64_t total = 0;
    ForEachLine(bytes, [&](std::string_view raw, bool whole) {
        if (!whole || raw.size() > kJournalMaxLineBytes) return;
        const QJsonDocument doc = QJsonDocument::fromJson(
            QByteArray::fromRawData(raw.data(), static_cast<qsizetype>(raw.size())));
        const int64_t id = doc.isObject() ? RunOf(doc.object()) : 0;
        if (id == 0) return;
        auto [it, fresh] = place.emplace(id, sizes.size());
        if (fresh) sizes.emplace_back(id, 0);
        sizes[it->second].second += static_cast<int64_t>(raw.size()) + 1;
        total += static_cast<int64_t>(raw.size()) + 1;
    });
    std::vector<int64_t> drop;
    for (const auto& [id, size] : sizes) {
        if (total <= maxBytes_ / 4 * 3) break;
        if (id == runId_) continue;
        drop.push_back(id);
        total -= size;
    }
    Rewrite(drop, false);
    size_ = total;
}

void TJournal::Rewrite(const std::vector<int64_t>& dropRuns, bool dropAll) {
    if (dropAll) {
        ::unlink(path_.c_str());
        return;
    }
    const std::string bytes = ReadWhole(path_);
    const std::set<int64_t> drop(dropRuns.begin(), dropRuns.end());
    std::string kept;
    kept.reserve(bytes.size());
    ForEachLine(bytes, [&](std::string_view raw, bool whole) {
        // Broken lines go with the rewrite; whole lines of the runs that stay are kept as they
        // were.
        if (!whole || raw.size() > kJournalMaxLineBytes) return;
        const QJsonDocument doc = QJsonDocument::fromJson(
            QByteArray::fromRawData(raw.data(), static_cast<qsizetype>(raw.size())));
        const int64_t id = doc.isObject() ? RunOf(doc.object()) : 0;
        if (id == 0 || drop.count(id)) return;
        kept.append(raw);
        kept += '\n';
    });
    try {
        WriteFileAtomically(path_, kept);
    } catch (const std::exception&) {
        ++failures_;
    }
}

void WriteFileAtomically(const std::string& path, const std::string& text) {
    MakeFolder(path);
    const std::string part = path + ".part";
    ::unlink(part.c_str());
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) throw Exception(Msg::UnableToWrite, {part});
    const bool ok = WriteAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(part.c_str(), path.c_str()) != 0) {
        ::unlink(part.c_str());
        throw Exception(Msg::UnableToWrite, {path});
    }
}
