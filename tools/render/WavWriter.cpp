// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavWriter.h"

#include "framework/Exception.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <unistd.h>

namespace {

constexpr uint16_t kChannels = 2;
constexpr size_t kConvertFrames = 4096;

uint32_t BytesPerFrame(TWavFormat format) {
    return wavefile::BytesPerFrame(format, kChannels);
}

} // namespace

TWavWriter::TWavWriter(const std::string& path, TWavFormat format, uint32_t rate, uint64_t frames)
    : path_(path), format_(format), rate_(rate), announced_(frames) {
    if (path == kStandardOutput) {
        path_ = "standard output";
        file_ = stdout;
        WriteHeader(announced_);
        return;
    }
    // Found out before anything is rendered, not when the finished file is moved into place.
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(path, error)) Fail("it is a folder");
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::exists(folder, error)) Fail("the folder " + folder.string() + " does not exist");
    if (!fs::is_directory(folder, error)) Fail(folder.string() + " is not a folder");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        Fail("the folder " + folder.string() + " is not writable (" + std::strerror(errno) + ")");
    partPath_ = PartPath(path);
    file_ = std::fopen(partPath_.c_str(), "wb");
    if (file_ == nullptr) Fail(partPath_ + ": " + std::strerror(errno));
    WriteHeader(announced_);
}

TWavWriter::~TWavWriter() {
    if (file_ == nullptr || partPath_.empty()) return;
    std::fclose(file_);
    std::remove(partPath_.c_str());
}

void TWavWriter::Fail(const std::string& why) const {
    throw Exception("cannot write " + path_ + ": " + why);
}

uint64_t TWavWriter::MaxFrames(TWavFormat format) {
    return (uint64_t{0xFFFFFFFFu} - wavefile::HeaderBytes(format)) / BytesPerFrame(format);
}

void TWavWriter::RequireOpen() const {
    if (file_ == nullptr) throw Exception(path_ + " is already closed");
}

void TWavWriter::Put(const void* bytes, size_t count) {
    if (std::fwrite(bytes, 1, count, file_) != count) Fail(std::strerror(errno));
}

void TWavWriter::WriteHeader(uint64_t frames) {
    const std::vector<uint8_t> header =
        wavefile::Header(format_, kChannels, rate_, static_cast<uint32_t>(frames));
    Put(header.data(), header.size());
}

void TWavWriter::Write(const float* frames, uint32_t count) {
    RequireOpen();
    if (frames_ + count > MaxFrames(format_)) throw Exception(path_ + " would exceed 4 GiB");
    frames_ += count;
    const size_t samples = 2 * size_t{count};
    if (format_ == TWavFormat::Float32) {
        // Little-endian float samples are the bytes of the floats themselves on this machine.
        static_assert(std::endian::native == std::endian::little);
        Put(frames, samples * sizeof(float));
        return;
    }
    int16_t converted[2 * kConvertFrames];
    for (size_t done = 0; done < samples;) {
        const size_t n = std::min(samples - done, std::size(converted));
        for (size_t i = 0; i < n; ++i) {
            // To the nearest step, halves away from zero: plain arithmetic the compiler can
            // run on many samples at once.
            const float v = std::clamp(frames[done + i], -1.0f, 1.0f) * 32767.0f;
            converted[i] = static_cast<int16_t>(v + (v < 0.0f ? -0.5f : 0.5f));
        }
        Put(converted, n * sizeof(int16_t));
        done += n;
    }
}

void TWavWriter::Finish() {
    RequireOpen();
    if (partPath_.empty()) {
        std::FILE* stream = file_;
        file_ = nullptr;
        if (frames_ != announced_) {
            Fail("its header announced " + std::to_string(announced_) + " frames, not " +
                 std::to_string(frames_));
        }
        if (std::fflush(stream) != 0) Fail(std::strerror(errno));
        return;
    }
    if (std::fseek(file_, 0, SEEK_SET) != 0) Fail(std::strerror(errno));
    WriteHeader(frames_);
    std::string why;
    if (std::fflush(file_) != 0) why = std::strerror(errno);
    if (std::fclose(file_) != 0 && why.empty()) why = std::strerror(errno);
    file_ = nullptr;
    std::error_code error;
    if (why.empty()) std::filesystem::rename(partPath_, path_, error);
    if (error) why = error.message();
    if (!why.empty()) {
        std::remove(partPath_.c_str());
        Fail(why);
    }
}
