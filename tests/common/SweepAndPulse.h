// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads the sweep and the isochronic pulse out of rendered float WAV files: where the balance
// of a constant sound starts each step, and where each pulse of a tone over silence begins.
// Shared by the render tests and the phase benchmark.

#include "framework/Streams.h"
#include "sound/Wave.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sweeppulse {

inline constexpr double kRate = 44100.0;

struct Stereo {
    std::vector<float> Left, Right;
};

// A stereo WAV file of 32-bit float samples, as velmora-render --format f32 writes it.
inline Stereo ReadStereo(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    TWave wave;
    wave.LoadFromStream(stream);
    Stereo s;
    const size_t frames = static_cast<size_t>(wave.SampleBytes()) / 8;
    s.Left.resize(frames);
    s.Right.resize(frames);
    for (size_t f = 0; f < frames; ++f) {
        std::memcpy(&s.Left[f], wave.SampleData() + 8 * f, 4);
        std::memcpy(&s.Right[f], wave.SampleData() + 8 * f + 4, 4);
    }
    return s;
}

// Frames where the balance starts to move after standing still: the sweep's steps. Right minus
// left holds the constant sound's balance alone; an isochronic tone, the same in both ears,
// cancels out of it.
inline std::vector<size_t> BalanceSteps(const Stereo& s) {
    std::vector<size_t> at;
    bool still = false;
    for (size_t i = 1; i < s.Left.size(); ++i) {
        const bool moves =
            std::fabs((s.Right[i] - s.Left[i]) - (s.Right[i - 1] - s.Left[i - 1])) > 1e-6f;
        if (moves && still) at.push_back(i - 1);
        still = !moves;
    }
    return at;
}

// Frames where a pulse begins: the first sound after silence, in a render of the tone alone.
inline std::vector<size_t> PulseOnsets(const Stereo& s) {
    std::vector<size_t> at;
    for (size_t i = 2; i < s.Left.size(); ++i) {
        if (s.Left[i - 2] == 0 && s.Left[i - 1] == 0 && s.Left[i] != 0) at.push_back(i - 1);
    }
    return at;
}

// The sweep's steps that move the balance in a run of so many periods: the steps into the
// sine's fourth and ninth values repeat the value before them, and step 0 (at Start) keeps
// the centre.
inline double VisibleSteps(double periods) {
    const auto last = static_cast<int64_t>(std::floor(periods * 20));
    int64_t seen = 0;
    for (int64_t j = 1; j <= last; ++j)
        seen += j % 10 != 3 && j % 10 != 8;
    return static_cast<double>(seen);
}

// The step nearest a frame; steps must not be empty.
inline size_t NearestStep(const std::vector<size_t>& steps, size_t frame) {
    const auto next = std::lower_bound(steps.begin(), steps.end(), frame);
    size_t nearest = next == steps.end() ? steps.back() : *next;
    if (next != steps.begin() && frame - *(next - 1) < nearest - frame) nearest = *(next - 1);
    return nearest;
}

} // namespace sweeppulse
