// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A WAV file written as it is rendered: the header goes out first with the sizes announced,
// the samples follow in chunks, and Finish puts the sizes written in and moves the file into
// place. Memory stays the same however long the file grows. Until Finish the file lives beside
// its target under a ".part" name, so a failed render never leaves half a file behind.
// Standard output ("-") gets the same bytes as they come: it cannot go back, so it must be
// given exactly the frames its header announced.

#include "sound/WaveFileHeader.h"

#include <cstdint>
#include <cstdio>
#include <string>

using TWavFormat = wavefile::Encoding;

class TWavWriter {
public:
    // Fails with an Exception naming the file and saying why when it cannot be written: the
    // path names a folder, its folder is missing or not writable, or creating it fails.
    TWavWriter(const std::string& path, TWavFormat format, uint32_t rate, uint64_t frames = 0);
    ~TWavWriter(); // removes the unfinished file
    TWavWriter(const TWavWriter&) = delete;
    TWavWriter& operator=(const TWavWriter&) = delete;

    // Interleaved stereo frames, -1..1.
    void Write(const float* frames, uint32_t count);
    // Completes the file; afterwards, and after a failed Finish, both fail.
    void Finish();

    // The most frames a WAV file of this format can hold: its sizes are 32-bit.
    static uint64_t MaxFrames(TWavFormat format);
    // The path that names standard output, and where a file lives until it is finished.
    static constexpr const char* kStandardOutput = "-";
    static std::string PartPath(const std::string& path) { return path + ".part"; }

private:
    void RequireOpen() const;
    [[noreturn]] void Fail(const std::string& why) const;
    void WriteHeader(uint64_t frames);
    void Put(const void* bytes, size_t count);

    std::string path_;
    std::string partPath_; // empty for standard output
    TWavFormat format_;
    uint32_t rate_;
    uint64_t announced_;
    std::FILE* file_ = nullptr;
    uint64_t frames_ = 0;
};
