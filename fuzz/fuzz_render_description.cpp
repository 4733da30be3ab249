// SPDX-License-Identifier: GPL-3.0-or-later
// A rendered file's description from outside bytes: the WAV chunk walk either refuses with a
// message or hands back a body within its bound, and the description either refuses or holds
// a session that parses, which writes back to the same text.
#include "render/RenderMetadata.h"
#include "session/SessionFile.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

namespace {
void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void Describe(std::string_view text) {
    TRenderDescription d;
    try {
        d = ParseDescription(text);
    } catch (const Exception& e) {
        Check(!e.Message().empty());
        return;
    }
    Check(!ParseSession(d.SessionText, "f").Empty());
    Check(d.ToneLevel >= kToneLevelMin && d.ToneLevel <= kToneLevelMax);
    // Written back, it reads as itself.
    const TRenderDescription again = ParseDescription(DescriptionText(d));
    Check(again.SessionText == d.SessionText && again.Library == d.Library &&
          again.Sound == d.Sound && again.Version == d.Version);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kDescriptionMaxBytes + 64) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Describe(bytes);
    constexpr size_t kMax = 4096;
    std::istringstream in(bytes);
    try {
        const std::string chunk = FindWavChunk(in, bytes.size(), "vlms", kMax);
        Check(chunk.size() <= kMax && chunk.size() + 20 <= bytes.size());
        Describe(chunk);
    } catch (const Exception& e) {
        Check(!e.Message().empty());
    }
    return 0;
}
