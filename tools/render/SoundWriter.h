// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound file written as it is rendered, in memory that stays the same however long the file
// grows: WAV (16-bit or float samples), FLAC, Ogg Vorbis, Opus or MP3, all but standard output
// through libsndfile. Until Finish the file lives beside its target under a ".part" name, so a
// failed render never leaves half a file behind. Standard output ("-") takes WAV only, with
// the bytes a file would get: its header, sizes announced, goes out first, so it must be given
// exactly the frames announced.
// The render's own description (the session and its settings) goes into the file's metadata:
// a "vlms" chunk after the samples in WAV, the comment tag in the others.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE; // as <sndfile.h> declares it

enum class TSoundFormat { Pcm16, Float32, Flac, Vorbis, Opus, Mp3 };
using TWavFormat = TSoundFormat; // the first two are WAV's

// The format of a file name's extension (.wav, .flac, .ogg/.oga, .opus, .mp3, any case);
// false for any other.
bool SoundFormatOfPath(const std::string& path, TSoundFormat& format);
bool IsWav(TSoundFormat format);
bool IsLossy(TSoundFormat format);
// "WAV", "FLAC", "Ogg Vorbis", "Opus", "MP3".
const char* SoundFormatName(TSoundFormat format);

// The chunk of WAV files that holds the render's description.
inline constexpr char kMetadataChunkId[5] = "vlms";

class TSoundWriter {
public:
    // Fails with an Exception naming the file and saying why when it cannot be written: the
    // path names a folder, its folder is missing or not writable, or creating it fails.
    // frames: what standard output's header announces; files count what they are given.
    TSoundWriter(const std::string& path, TSoundFormat format, uint32_t rate, uint64_t frames = 0,
                 const std::string& metadata = {});
    ~TSoundWriter(); // removes the unfinished file
    TSoundWriter(const TSoundWriter&) = delete;
    TSoundWriter& operator=(const TSoundWriter&) = delete;

    // Interleaved stereo frames, -1..1.
    void Write(const float* frames, uint32_t count);
    // Completes the file; afterwards, and after a failed Finish, both fail.
    void Finish();

    // The most frames a file of this format can hold: a WAV file's sizes are 32-bit.
    static uint64_t MaxFrames(TSoundFormat format, size_t metadataBytes = 0);
    // The longest description a file of this format can be read back with: libsndfile reads
    // an Opus file's tags only up to about 50 KiB.
    static size_t MaxMetadataBytes(TSoundFormat format);
    // Opus is written at 48 kHz only: the frames a file of this format gets for the given
    // frames at the given rate.
    static uint64_t FileFrames(TSoundFormat format, uint32_t rate, uint64_t frames);
    // The path that names standard output, and where a file lives until it is finished.
    static constexpr const char* kStandardOutput = "-";
    static std::string PartPath(const std::string& path) { return path + ".part"; }

    // The bytes before the samples of a WAV file of these frames, as libsndfile writes them.
    static std::vector<uint8_t> WavHeader(TSoundFormat format, uint32_t rate, uint64_t frames,
                                          const std::string& metadata);

private:
    class TResampler;
    void RequireOpen() const;
    [[noreturn]] void Fail(const std::string& why) const;
    void Put(const void* bytes, size_t count);
    void WriteFile(const float* frames, uint32_t count);
    std::string AppendChunk() const; // the reason when it fails

    std::string path_;
    std::string partPath_; // empty for standard output
    TSoundFormat format_;
    uint32_t rate_;
    uint64_t announced_;
    size_t metadataBytes_;
    std::FILE* stream_ = nullptr; // standard output
    SNDFILE* file_ = nullptr;
    std::unique_ptr<TResampler> resampler_;
    std::vector<uint8_t> chunk_; // WAV's description, written after the samples
    uint64_t frames_ = 0;
};
