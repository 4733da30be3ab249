// SPDX-License-Identifier: GPL-3.0-or-later
// Binaural-beat schedules from outside bytes: the importer either refuses with a message or
// writes a session that the session reader takes, with the points it reports.
#include "render/SbgImport.h"
#include "session/SessionFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {
void Check(bool ok) {
    if (!ok) __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(kSbgMaxBytes)) return 0;
    TSbgImport imported;
    try {
        imported = ImportSbg(std::string_view(reinterpret_cast<const char*>(data), size), "f.sbg");
    } catch (const ESbgError& e) {
        Check(!e.Message().empty());
        return 0;
    }
    Check(!imported.Points.empty() && imported.Points.back().TimeMs > 0);
    for (size_t i = 0; i < imported.Points.size(); ++i) {
        const TSbgPoint& p = imported.Points[i];
        Check(p.FrequencyMilli >= 100 && p.FrequencyMilli <= 35000);
        Check(p.Volume >= -1 && p.Volume <= 10);
        Check(i == 0 || p.TimeMs > imported.Points[i - 1].TimeMs);
    }
    // Without the tone keys, which a session file of this program's version may not know, the
    // text is a valid session of the same points.
    std::string text;
    for (size_t start = 0; start < imported.Text.size();) {
        size_t end = imported.Text.find('\n', start);
        if (end == std::string::npos) end = imported.Text.size();
        std::string line = imported.Text.substr(start, end - start);
        start = end + 1;
        for (const char* key : {"  tone=", "  carrier="}) {
            for (size_t at; (at = line.find(key)) != std::string::npos;) {
                const size_t stop = line.find(' ', at + 2);
                line.erase(at, stop == std::string::npos ? std::string::npos : stop - at);
            }
        }
        text += line + '\n';
    }
    const TSession session = ParseSession(text, "f.vsession");
    Check(session.Points().size() == imported.Points.size());
    for (size_t i = 0; i < imported.Points.size(); ++i) {
        Check(session.Points()[i].TimeMs == imported.Points[i].TimeMs);
        Check(session.Points()[i].FrequencyMilli == imported.Points[i].FrequencyMilli);
    }
    return 0;
}
