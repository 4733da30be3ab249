#pragma once
// A WAV file written as it is rendered: the header goes out first with its sizes left open,
// the samples follow in chunks, and Finish fills the sizes in and moves the file into place.
// Memory stays the same however long the file grows. Until Finish the file lives beside its
// target under a ".part" name, so a failed render never leaves half a file behind.

#include <cstdint>
#include <cstdio>
#include <string>

enum class TWavFormat { Pcm16, Float32 };

class TWavWriter {
public:
    // Fails with an Exception naming the file when it cannot be created.
    TWavWriter(const std::string& path, TWavFormat format, uint32_t rate);
    ~TWavWriter(); // removes the unfinished file
    TWavWriter(const TWavWriter&) = delete;
    TWavWriter& operator=(const TWavWriter&) = delete;

    // Interleaved stereo frames, -1..1.
    void Write(const float* frames, uint32_t count);
    // Completes the file; afterwards, and after a failed Finish, both fail.
    void Finish();

    // The most frames a WAV file of this format can hold: its sizes are 32-bit.
    static uint64_t MaxFrames(TWavFormat format);

private:
    void RequireOpen() const;
    void WriteHeader(uint64_t frames);
    void Put(const void* bytes, size_t count);

    std::string path_;
    std::string partPath_;
    TWavFormat format_;
    uint32_t rate_;
    std::FILE* file_ = nullptr;
    uint64_t frames_ = 0;
};
