// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and editing profile text in memory. Lines end at '\n'; a '\r' before it belongs to
// the line end. Every other byte, junk included, is kept as it was.
#include "platform/ProfileFiles.h"

#include <optional>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

enum class TLineKind { Blank, Section, Key, Other };

// One line of the text: [Begin, End) is its content without the line end; Next is where the
// following line begins.
struct TLine {
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::size_t Next = 0;
    TLineKind Kind = TLineKind::Other;
    std::string_view Name;  // section name or key
    std::string_view Value; // key value, trimmed
};

TLine LineAt(std::string_view text, std::size_t begin) {
    TLine line;
    line.Begin = begin;
    const std::size_t nl = text.find('\n', begin);
    line.Next = nl == std::string_view::npos ? text.size() : nl + 1;
    line.End = nl == std::string_view::npos ? text.size() : nl;
    if (line.End > begin && text[line.End - 1] == '\r') --line.End;
    const std::string_view content = Trim(text.substr(begin, line.End - begin));
    if (content.empty()) {
        line.Kind = TLineKind::Blank;
    } else if (content.front() == '[') {
        line.Kind = TLineKind::Section;
        const std::size_t close = content.find(']');
        line.Name = Trim(content.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                           : close - 1));
    } else if (content.front() != ';' && content.front() != '#') {
        const std::size_t eq = content.find('=');
        if (eq != std::string_view::npos) {
            line.Kind = TLineKind::Key;
            line.Name = Trim(content.substr(0, eq));
            line.Value = Trim(content.substr(eq + 1));
        }
    }
    return line;
}

// Where the first section of that name is: its header line and the position after its last
// non-blank line (where a new key goes). Found is false when there is no such section.
struct TSectionSpan {
    bool Found = false;
    std::size_t HeaderBegin = 0;
    std::size_t ContentEnd = 0;
};

TSectionSpan FindSection(std::string_view text, std::string_view section) {
    TSectionSpan span;
    for (std::size_t pos = 0; pos < text.size();) {
        const TLine line = LineAt(text, pos);
        pos = line.Next;
        if (!span.Found) {
            if (line.Kind == TLineKind::Section && SameName(line.Name, section)) {
                span.Found = true;
                span.HeaderBegin = line.Begin;
                span.ContentEnd = line.Next;
            }
            continue;
        }
        if (line.Kind == TLineKind::Section) break;
        if (line.Kind != TLineKind::Blank) span.ContentEnd = line.Next;
    }
    return span;
}

// The first line of a found section that holds the key; nullopt when the section lacks it.
std::optional<TLine> FindKey(std::string_view text, const TSectionSpan& span,
                             std::string_view key) {
    for (std::size_t pos = LineAt(text, span.HeaderBegin).Next; pos < text.size();) {
        const TLine line = LineAt(text, pos);
        pos = line.Next;
        if (line.Kind == TLineKind::Section) break;
        if (line.Kind == TLineKind::Key && SameName(line.Name, key)) return line;
    }
    return std::nullopt;
}

std::string_view LineEnding(std::string_view text) {
    const std::size_t nl = text.find('\n');
    return nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// What ends the text's unterminated last line before a new line follows it. A '\r' at the
// very end already ends that line when it is read, so it only gets its '\n'; another full line
// end after it would make the '\r' part of the line and change what the line says.
std::string_view EndOfLastLine(std::string_view text, std::string_view nl) {
    if (text.empty() || text.back() == '\n') return {};
    return text.back() == '\r' ? "\n" : nl;
}

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line(Trim(key));
    line += '=';
    line += value;
    return line;
}

} // namespace

std::string ProfileTextRead(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view def) {
    const TSectionSpan span = FindSection(text, section);
    const std::optional<TLine> line =
        span.Found ? FindKey(text, span, key) : std::optional<TLine>();
    const bool found = line.has_value();
    std::string_view value = found ? line->Value : def;
    if (found && value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > kProfileValueLimit) {
        std::size_t cut = kProfileValueLimit;
        // Step back over at most three continuation bytes so no character is cut in half.
        for (int i = 0; i < 3 && cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80;
             ++i) {
            --cut;
        }
        value = value.substr(0, cut);
    }
    return std::string(value);
}

bool ProfileEntryWritable(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view k = Trim(key);
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) {
        return false;
    }
    if (section.find(']') != std::string_view::npos) return false;
    if (k.empty() || k.find('=') != std::string_view::npos) return false;
    return k.front() != '[' && k.front() != ';' && k.front() != '#';
}

bool ProfileTextWrite(std::string& text, std::string_view section, std::string_view key,
                      std::string_view value) {
    if (!ProfileEntryWritable(section, key, value)) return false;
    const std::string nl(LineEnding(text));
    const TSectionSpan span = FindSection(text, section);
    if (span.Found) {
        if (const std::optional<TLine> line = FindKey(text, span, key)) {
            text.replace(line->Begin, line->End - line->Begin, KeyLine(key, value));
            return true;
        }
        const std::size_t at = span.ContentEnd;
        std::string insert(EndOfLastLine(std::string_view(text).substr(0, at), nl));
        insert += KeyLine(key, value);
        insert += nl;
        text.insert(at, insert);
        return true;
    }
    text += EndOfLastLine(text, nl);
    text += '[';
    text += Trim(section);
    text += ']';
    text += nl;
    text += KeyLine(key, value);
    text += nl;
    return true;
}

bool ProfileTextEraseSection(std::string& text, std::string_view section) {
    std::string kept;
    kept.reserve(text.size());
    bool erasing = false;
    bool changed = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const TLine line = LineAt(text, pos);
        if (line.Kind == TLineKind::Section) erasing = SameName(line.Name, section);
        if (erasing) {
            changed = true;
        } else {
            kept.append(text, line.Begin, line.Next - line.Begin);
        }
        pos = line.Next;
    }
    if (changed) text.swap(kept);
    return changed;
}
