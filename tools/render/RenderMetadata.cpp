// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderMetadata.h"

#include "framework/Exception.h"
#include "platform/LittleEndian.h"
#include "session/SessionFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sndfile.h>

namespace {

constexpr std::string_view kMagic = "velmora-render render";
constexpr size_t kMaxValueBytes = 4096;
constexpr int kMaxSettingLines = 64;
constexpr int kMaxChunks = 4096;

struct TStartingKnob {
    TSessionKnob Knob;
    const char* Name;
};
constexpr TStartingKnob kStartingKnobs[] = {
    {TSessionKnob::AM, "am"},     {TSessionKnob::FM, "fm"},     {TSessionKnob::Volume, "volume"},
    {TSessionKnob::Half, "half"}, {TSessionKnob::Tone, "tone"}, {TSessionKnob::Carrier, "carrier"},
};

int JobKnob(const TRenderJob& job, TSessionKnob knob) {
    switch (knob) {
    case TSessionKnob::AM:
        return job.AM;
    case TSessionKnob::FM:
        return job.FM;
    case TSessionKnob::Volume:
        return job.Volume;
    case TSessionKnob::Half:
        return job.Half ? 1 : 0;
    case TSessionKnob::Tone:
        return static_cast<int>(job.Tone);
    case TSessionKnob::Carrier:
        return job.Carrier;
    case TSessionKnob::Depth:
        break;
    }
    return 0;
}

std::string KnobText(TSessionKnob knob, int value) {
    if (knob == TSessionKnob::Half) return value != 0 ? "on" : "off";
    if (knob == TSessionKnob::Tone) return kSessionToneWords[std::clamp(value, 0, 2)];
    return std::to_string(value);
}

// A file without a description the renderer can take back: the reason, a whole clause marked
// under "RenderTool", in the user's language.
[[noreturn]] void RefuseBecause(const std::string& why) {
    throw Exception(TranslatedText(
        "RenderTool", QT_TRANSLATE_NOOP("RenderTool", "no render description: %1"), {why}));
}
[[noreturn]] void Refuse(const char* reason, std::initializer_list<std::string> args = {}) {
    RefuseBecause(TranslatedText("RenderTool", reason, args));
}

bool PlainValue(std::string_view value) {
    return value.size() <= kMaxValueBytes && std::none_of(value.begin(), value.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
           });
}

// MP3's comment tag goes out as Latin-1 and comes back as UTF-8: text written as UTF-8 comes
// back with each of its bytes made a character. Undone where every character is one byte;
// anything else is left as it came.
std::string UndoLatin1(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size() &&
                   (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            bytes += static_cast<char>(((c & 0x03) << 6) |
                                       (static_cast<unsigned char>(text[i + 1]) & 0x3F));
            ++i;
        } else {
            return text;
        }
    }
    return bytes;
}

} // namespace

std::string WithStartingSettings(const std::string& text, const TSession& session,
                                 const TRenderJob& job) {
    if (session.Empty()) return text;
    const TSessionPoint& first = session.Points().front();
    std::string added;
    for (const TStartingKnob& k : kStartingKnobs)
        if (first.Knob(k.Knob) == kKnobUnset)
            added += std::string(" ") + k.Name + "=" + KnobText(k.Knob, JobKnob(job, k.Knob));
    if (added.empty()) return text;
    // The end of the first point's line, before its "\r" if it has one.
    size_t start = 0;
    for (int line = 1; line < first.Line && start != std::string::npos; ++line) {
        start = text.find('\n', start);
        if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos) return text;
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start && text[end - 1] == '\r') --end;
    std::string out = text;
    out.insert(end, added);
    return out;
}

void TakeFirstPointSettings(TRenderJob& job) {
    if (job.Session.Empty()) return;
    const TSessionPoint& first = job.Session.Points().front();
    const auto take = [&](TSessionKnob knob, auto& into) {
        if (first.Knob(knob) != kKnobUnset)
            into = static_cast<std::remove_reference_t<decltype(into)>>(first.Knob(knob));
    };
    take(TSessionKnob::AM, job.AM);
    take(TSessionKnob::FM, job.FM);
    take(TSessionKnob::Volume, job.Volume);
    take(TSessionKnob::Carrier, job.Carrier);
    if (first.Knob(TSessionKnob::Half) != kKnobUnset)
        job.Half = first.Knob(TSessionKnob::Half) != 0;
    if (first.Knob(TSessionKnob::Tone) != kKnobUnset)
        job.Tone = static_cast<TToneMode>(first.Knob(TSessionKnob::Tone));
}

std::string SteadySessionText(int32_t frequencyMilli, int64_t lengthMs) {
    char frequency[32];
    std::snprintf(frequency, sizeof frequency, "%d.%03d", frequencyMilli / 1000,
                  frequencyMilli % 1000);
    return "0:00 " + std::string(frequency) + "\n" + FormatSessionTime(lengthMs) + " " + frequency +
           "\n";
}

std::string DescriptionText(const TRenderDescription& d) {
    std::string out =
        std::string(kMagic) + "\nversion " + d.Version + "\nlibrary " + d.Library + "\n";
    if (!d.Sound.empty()) out += "sound " + d.Sound + "\n";
    out += "tone-level " + std::to_string(d.ToneLevel) + "\nsession\n" + d.SessionText;
    return out;
}

TRenderDescription ParseDescription(std::string_view text) {
    if (text.size() > kDescriptionMaxBytes)
        Refuse(QT_TRANSLATE_NOOP("RenderTool", "it is over 1 MiB"));
    TRenderDescription d;
    bool magic = false, version = false, library = false, toneLevel = false;
    for (int line = 0;; ++line) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos)
            Refuse(QT_TRANSLATE_NOOP("RenderTool", "it holds no session"));
        const std::string_view content = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (!magic) {
            if (content != kMagic)
                Refuse(QT_TRANSLATE_NOOP("RenderTool", "it does not start as one"));
            magic = true;
            continue;
        }
        if (content == "session") break;
        if (line > kMaxSettingLines) Refuse(QT_TRANSLATE_NOOP("RenderTool", "too many settings"));
        const size_t space = content.find(' ');
        const std::string_view key = content.substr(0, space);
        const std::string_view value =
            space == std::string_view::npos ? std::string_view() : content.substr(space + 1);
        if (!PlainValue(value))
            Refuse(QT_TRANSLATE_NOOP("RenderTool", "the setting %1 is no text"),
                   {std::string(key.substr(0, 32))});
        bool* seen = nullptr;
        if (key == "version") {
            seen = &version;
            d.Version = value;
        } else if (key == "library") {
            seen = &library;
            d.Library = value;
        } else if (key == "sound") {
            d.Sound = value;
        } else if (key == "tone-level") {
            seen = &toneLevel;
            const bool minus = !value.empty() && value[0] == '-';
            const std::string_view digits = value.substr(minus ? 1 : 0);
            if (digits.empty() || digits.size() > 2 ||
                digits.find_first_not_of("0123456789") != std::string_view::npos)
                Refuse(QT_TRANSLATE_NOOP("RenderTool", "its tone level is no number"));
            const int level = (minus ? -1 : 1) * std::stoi(std::string(digits));
            if (level < kToneLevelMin || level > kToneLevelMax)
                Refuse(QT_TRANSLATE_NOOP("RenderTool", "its tone level is out of range"));
            d.ToneLevel = level;
        } else {
            continue; // a setting of a later version
        }
        if (seen != nullptr) {
            if (*seen)
                Refuse(QT_TRANSLATE_NOOP("RenderTool", "%1 is given twice"), {std::string(key)});
            *seen = true;
        }
    }
    if (!version || !library || !toneLevel)
        Refuse(QT_TRANSLATE_NOOP("RenderTool", "a setting is missing"));
    d.SessionText = text;
    ParseSession(
        d.SessionText,
        TranslatedText(
            "RenderTool",
            QT_TRANSLATE_NOOP("RenderTool", "the rendered session"))); // refuses with the line
    return d;
}

std::string FindWavChunk(std::istream& in, uint64_t size, const char id[4], size_t maxBytes) {
    uint8_t head[12];
    if (size < 12 || !in.read(reinterpret_cast<char*>(head), 12) ||
        std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        Refuse(QT_TRANSLATE_NOOP("RenderTool", "the file is no WAV file"));
    uint64_t at = 12;
    for (int chunks = 0; at + 8 <= size; ++chunks) {
        if (chunks == kMaxChunks)
            Refuse(QT_TRANSLATE_NOOP("RenderTool", "the WAV file has too many chunks"));
        uint8_t chunk[8];
        if (!in.seekg(static_cast<std::streamoff>(at)) ||
            !in.read(reinterpret_cast<char*>(chunk), 8))
            Refuse(QT_TRANSLATE_NOOP("RenderTool", "the WAV file cannot be read"));
        const uint64_t body = ReadLe32(chunk + 4);
        if (std::memcmp(chunk, id, 4) == 0) {
            if (body > size - at - 8)
                Refuse(QT_TRANSLATE_NOOP("RenderTool", "its chunk runs past the end of the file"));
            if (body > maxBytes) Refuse(QT_TRANSLATE_NOOP("RenderTool", "its chunk is too large"));
            std::string out(static_cast<size_t>(body), '\0');
            if (!in.read(out.data(), static_cast<std::streamsize>(body)))
                Refuse(QT_TRANSLATE_NOOP("RenderTool", "the WAV file cannot be read"));
            return out;
        }
        at += 8 + body + (body & 1);
    }
    return {};
}

TRenderDescription ReadDescription(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw Exception(TranslatedText(
            "RenderTool", QT_TRANSLATE_NOOP("RenderTool", "cannot read %1: it is no file"),
            {path}));
    const uint64_t size = std::filesystem::file_size(path, error);
    std::ifstream in(path, std::ios::binary);
    char riff[4] = {};
    if (error || !in.read(riff, 4))
        throw Exception(TranslatedText("RenderTool",
                                       QT_TRANSLATE_NOOP("RenderTool", "cannot read %1"), {path}));
    try {
        if (std::memcmp(riff, "RIFF", 4) == 0) {
            in.seekg(0);
            std::string chunk = FindWavChunk(in, size, kMetadataChunkId, kDescriptionMaxBytes);
            if (chunk.empty())
                Refuse(QT_TRANSLATE_NOOP("RenderTool", "the WAV file has no Velmora chunk"));
            // libsndfile fills a chunk up to whole four bytes with zeros.
            for (int pad = 0; pad < 3 && !chunk.empty() && chunk.back() == '\0'; ++pad)
                chunk.pop_back();
            return ParseDescription(chunk);
        }
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        if (file == nullptr) RefuseBecause(sf_strerror(nullptr));
        const char* comment = sf_get_string(file, SF_STR_COMMENT);
        const std::string text =
            comment == nullptr ? std::string()
                               : std::string(comment, strnlen(comment, kDescriptionMaxBytes + 1));
        sf_close(file);
        if (text.empty()) Refuse(QT_TRANSLATE_NOOP("RenderTool", "the file has no comment tag"));
        if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
            // The session refuses what is no UTF-8, so what was not double-encoded is kept.
            try {
                return ParseDescription(UndoLatin1(text));
            } catch (const Exception&) {
            }
        }
        return ParseDescription(text);
    } catch (const Exception& e) {
        throw Exception(TranslatedText("RenderTool", QT_TRANSLATE_NOOP("RenderTool", "%1: %2"),
                                       {path, e.Message()}));
    }
}
