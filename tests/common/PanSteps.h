// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finds a series of pan levels, set one after another on a sound of equal level on both
// channels, in a stereo recording of what a sound server played.

#include "common/BalanceSweep.h"

#include <cmath>
#include <cstddef>
#include <vector>

using sweep::Balance;

struct PanStepsFound {
    int heard = 0;
    // Levels not found where the server played silence instead (it ran dry) or where the
    // recording lost frames (the recorder fell behind): no fault of the engine.
    int excused = 0;
};

// Whether frames are missing from the recording before frame f: the balance jumps further
// than the engine's ramps move it from one frame to the next (a few thousandths of a
// decibel for steps of a tenth).
inline bool RecordingGap(const std::vector<float>& rec, size_t f) {
    return f > 0 && rec[2 * f] > 0.01f && rec[2 * f - 2] > 0.01f && rec[2 * f + 1] > 0.01f &&
           rec[2 * f - 1] > 0.01f && std::abs(Balance(rec, f) - Balance(rec, f - 1)) > 2.0;
}

// Levels are found as sweep::FindLevels finds them; a missing one is excused where the server
// played silence (or, with gapsExcused, the recording lost frames) between its neighbours.
template <typename Pan>
PanStepsFound FindPanSteps(const std::vector<float>& rec, int steps, Pan pan, bool gapsExcused) {
    const size_t frames = rec.size() / 2;
    const std::vector<size_t> foundAt = sweep::FindLevels(rec, steps, pan);
    PanStepsFound found;
    for (int i = 0; i < steps; ++i) {
        if (foundAt[size_t(i)] != 0) {
            ++found.heard;
            continue;
        }
        size_t before = 0, after = frames;
        for (int j = i - 1; j >= 0 && before == 0; --j)
            before = foundAt[size_t(j)];
        for (int j = i + 1; j < steps && after == frames; ++j)
            after = foundAt[size_t(j)] != 0 ? foundAt[size_t(j)] : frames;
        bool lost = false;
        for (size_t f = before; f < after && !lost; ++f)
            lost = rec[2 * f] == 0.0f || (gapsExcused && RecordingGap(rec, f));
        found.excused += lost;
    }
    return found;
}
