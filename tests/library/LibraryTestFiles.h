// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small bitmap and wave files made in memory, and running the library tool, for the library
// tests.

#include "common/TempDir.h"
#include "sound/WaveFileHeader.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace libtest {

using ::TempDir;

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// An 8-bit bitmap file of width x height, every pixel = fill, a grey ramp palette, the given
// first reserved word, and gap extra bytes between the colours and the pixels.
inline Bytes BitmapFile(int width, int height, uint8_t fill, uint16_t reserved = 0,
                        uint32_t gap = 0) {
    const uint32_t stride = (static_cast<uint32_t>(width) + 3) / 4 * 4;
    const uint32_t pixelsAt = 14 + 40 + 1024 + gap;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    Put(b, pixelsAt + stride * height, 4);
    Put(b, reserved, 2);
    Put(b, 0, 2);
    Put(b, pixelsAt, 4);
    Put(b, 40, 4);
    Put(b, static_cast<uint32_t>(width), 4);
    Put(b, static_cast<uint32_t>(height), 4);
    Put(b, 1, 2);
    Put(b, 8, 2);
    Put(b, 0, 4);
    Put(b, stride * height, 4);
    Put(b, 0, 4);
    Put(b, 0, 4);
    Put(b, 0, 4);
    Put(b, 0, 4);
    for (int i = 0; i < 256; ++i)
        Put(b, static_cast<uint32_t>(i * 0x010101), 4);
    b.insert(b.end(), gap, 0xEE);
    b.insert(b.end(), stride * height, fill);
    return b;
}

// A 16-bit mono wave file at the given rate holding the samples.
inline Bytes WaveFile(uint32_t rate, const std::vector<int16_t>& samples) {
    return wavefile::Pcm16(rate, 1, samples);
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct RunResult {
    int Exit = -1;
    std::string Output; // standard output and error together
};

// Runs a shell command and collects its output and exit code.
inline RunResult RunCommand(const std::string& command) {
    RunResult r;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return r;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        r.Output.append(chunk, n);
    const int status = ::pclose(pipe);
    r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string Tool() {
    return std::string(VELMORA_BINARY_DIR) + "/tools/velmora-lib";
}

} // namespace libtest
