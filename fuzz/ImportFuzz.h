// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every schedule reader must do with outside bytes: refuse with a message, or write a
// session that the session reader takes, holding the points the reader reports.
#include "exchange/Import.h"
#include "session/SessionFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// Runs one reader over the bytes and traps where the result breaks a rule.
template <typename Reader>
int FuzzImport(Reader read, const uint8_t* data, size_t size, const std::string& name) {
    if (size > static_cast<size_t>(kImportMaxBytes)) return 0;
    TImported imported;
    try {
        imported = read(std::string_view(reinterpret_cast<const char*>(data), size), name);
    } catch (const EImportError& e) {
        Check(!e.Message().empty());
        return 0;
    }
    Check(!imported.Points.empty() && imported.Points.back().TimeMs > 0);
    Check(imported.Points.size() <= kSessionMaxPoints);
    for (size_t i = 0; i < imported.Points.size(); ++i) {
        const TImportPoint& p = imported.Points[i];
        Check(p.FrequencyMilli >= 100 && p.FrequencyMilli <= 35000);
        Check(p.Volume >= -1 && p.Volume <= 10);
        Check(p.TimeMs % 1000 == 0);
        Check(i == 0 || p.TimeMs > imported.Points[i - 1].TimeMs);
    }
    // The text is a valid session of the same points and settings.
    const TSession session = ParseSession(imported.Text, "f.vsession");
    Check(session.Points().size() == imported.Points.size());
    for (size_t i = 0; i < imported.Points.size(); ++i) {
        const TSessionPoint& s = session.Points()[i];
        const TImportPoint& p = imported.Points[i];
        Check(s.TimeMs == p.TimeMs && s.FrequencyMilli == p.FrequencyMilli);
        Check(s.Knob(TSessionKnob::Volume) == p.Volume);
        Check(s.Knob(TSessionKnob::Carrier) == (p.CarrierMilli < 0 ? -1 : p.CarrierMilli / 1000));
    }
    return 0;
}
