// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundWriter.h"

#include "framework/Exception.h"
#include "platform/LittleEndian.h"

#include <QCoreApplication>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>
#include <numbers>
#include <numeric>
#include <sndfile.h>
#include <unistd.h>

namespace {

constexpr int kChannels = 2;
constexpr size_t kConvertFrames = 4096;
constexpr uint32_t kOpusRate = 48000;

uint32_t WavBytesPerFrame(TSoundFormat format) {
    return (format == TSoundFormat::Pcm16 ? 2u : 4u) * kChannels;
}

int SndfileFormat(TSoundFormat format) {
    switch (format) {
    case TSoundFormat::Pcm16:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case TSoundFormat::Float32:
        return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    case TSoundFormat::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case TSoundFormat::Vorbis:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case TSoundFormat::Opus:
        return SF_FORMAT_OGG | SF_FORMAT_OPUS;
    case TSoundFormat::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

// To the nearest step, halves away from zero: plain arithmetic the compiler can run on many
// samples at once. WAV and FLAC get the same numbers, so FLAC decodes to the WAV's samples.
void ToPcm16(const float* in, size_t samples, int16_t* out) {
    for (size_t i = 0; i < samples; ++i) {
        const float v = std::clamp(in[i], -1.0f, 1.0f) * 32767.0f;
        out[i] = static_cast<int16_t>(v + (v < 0.0f ? -0.5f : 0.5f));
    }
}

// A file in memory for libsndfile to write a header into.
struct TMemoryFile {
    std::vector<uint8_t> Bytes;
    size_t At = 0;

    static sf_count_t Length(void* self) {
        return static_cast<sf_count_t>(static_cast<TMemoryFile*>(self)->Bytes.size());
    }
    static sf_count_t Seek(sf_count_t offset, int whence, void* self) {
        auto* f = static_cast<TMemoryFile*>(self);
        const sf_count_t base = whence == SEEK_CUR   ? static_cast<sf_count_t>(f->At)
                                : whence == SEEK_END ? static_cast<sf_count_t>(f->Bytes.size())
                                                     : 0;
        if (base + offset < 0) return -1;
        f->At = static_cast<size_t>(base + offset);
        return static_cast<sf_count_t>(f->At);
    }
    static sf_count_t Read(void* to, sf_count_t count, void* self) {
        auto* f = static_cast<TMemoryFile*>(self);
        const size_t n = f->At >= f->Bytes.size()
                             ? 0
                             : std::min(static_cast<size_t>(count), f->Bytes.size() - f->At);
        if (n > 0) std::memcpy(to, f->Bytes.data() + f->At, n);
        f->At += n;
        return static_cast<sf_count_t>(n);
    }
    static sf_count_t Write(const void* from, sf_count_t count, void* self) {
        auto* f = static_cast<TMemoryFile*>(self);
        const auto n = static_cast<size_t>(count);
        if (f->Bytes.size() < f->At + n) f->Bytes.resize(f->At + n);
        std::memcpy(f->Bytes.data() + f->At, from, n);
        f->At += n;
        return count;
    }
    static sf_count_t Tell(void* self) {
        return static_cast<sf_count_t>(static_cast<TMemoryFile*>(self)->At);
    }
};

// The chunk that holds a WAV file's description, after its samples: libsndfile keeps the
// chunks before them in a header of at most 100 KiB, and a long session is more.
std::vector<uint8_t> DescriptionChunk(const std::string& metadata) {
    std::vector<uint8_t> chunk(kMetadataChunkId, kMetadataChunkId + 4);
    AppendLe32(chunk, static_cast<uint32_t>(metadata.size()));
    chunk.insert(chunk.end(), metadata.begin(), metadata.end());
    if (metadata.size() % 2 != 0) chunk.push_back(0); // chunks start on even bytes
    return chunk;
}

// What every file gets before its first frame: the description in the tags, and no peak
// chunk in WAV (it would depend on the samples, which standard output cannot wait for).
std::string Describe(SNDFILE* file, TSoundFormat format, const std::string& metadata) {
    if (IsWav(format)) {
        sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
        return {};
    }
    if (sf_set_string(file, SF_STR_SOFTWARE, "Velmora") != 0) return sf_strerror(file);
    if (!metadata.empty() && sf_set_string(file, SF_STR_COMMENT, metadata.c_str()) != 0)
        return sf_strerror(file);
    return {};
}

} // namespace

bool SoundFormatOfPath(const std::string& path, TSoundFormat& format) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".wav")
        format = TSoundFormat::Pcm16;
    else if (ext == ".flac")
        format = TSoundFormat::Flac;
    else if (ext == ".ogg" || ext == ".oga")
        format = TSoundFormat::Vorbis;
    else if (ext == ".opus")
        format = TSoundFormat::Opus;
    else if (ext == ".mp3")
        format = TSoundFormat::Mp3;
    else
        return false;
    return true;
}

bool IsWav(TSoundFormat format) {
    return format == TSoundFormat::Pcm16 || format == TSoundFormat::Float32;
}

bool IsLossy(TSoundFormat format) {
    return format == TSoundFormat::Vorbis || format == TSoundFormat::Opus ||
           format == TSoundFormat::Mp3;
}

const char* SoundFormatName(TSoundFormat format) {
    switch (format) {
    case TSoundFormat::Pcm16:
    case TSoundFormat::Float32:
        return "WAV";
    case TSoundFormat::Flac:
        return "FLAC";
    case TSoundFormat::Vorbis:
        return "Ogg Vorbis";
    case TSoundFormat::Opus:
        return "Opus";
    case TSoundFormat::Mp3:
        return "MP3";
    }
    return "";
}

// From the render's rate to Opus's 48 kHz (160 out for 147 in at 44.1 kHz): a windowed sinc
// in 160 phases, each scaled to pass a constant unchanged. The frames before the first and
// after the last are silence.
class TSoundWriter::TResampler {
public:
    explicit TResampler(uint32_t rate) : up_(kOpusRate), down_(rate) {
        const uint32_t common = std::gcd(up_, down_);
        up_ /= common;
        down_ /= common;
        table_.resize(size_t{up_} * kTaps);
        for (uint32_t phase = 0; phase < up_; ++phase) {
            float* h = &table_[size_t{phase} * kTaps];
            double sum = 0;
            for (int j = 0; j < kTaps; ++j) {
                const double d = (j - (kHalf - 1)) - static_cast<double>(phase) / up_;
                const double x = kCutoff * d;
                const double sinc =
                    x == 0 ? 1 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
                const double w = 0.42 + 0.5 * std::cos(std::numbers::pi * d / kHalf) +
                                 0.08 * std::cos(2 * std::numbers::pi * d / kHalf);
                h[j] = static_cast<float>(sinc * w);
                sum += h[j];
            }
            for (int j = 0; j < kTaps; ++j)
                h[j] = static_cast<float>(h[j] / sum);
        }
        input_.assign(2 * size_t{kHalf - 1}, 0.0f); // silence before the first frame
    }

    // Resamples what can be from the frames so far into out (interleaved stereo).
    void Push(const float* frames, size_t count, std::vector<float>& out) {
        input_.insert(input_.end(), frames, frames + 2 * count);
        Produce(std::numeric_limits<uint64_t>::max(), out);
    }
    // The rest, up to the given output frames in all.
    void Flush(uint64_t total, std::vector<float>& out) {
        input_.insert(input_.end(), 2 * size_t{kTaps}, 0.0f);
        while (next_ < total) {
            Produce(total, out);
            if (next_ < total) input_.insert(input_.end(), 2 * size_t{kTaps}, 0.0f);
        }
    }

private:
    static constexpr int kHalf = 16;
    static constexpr int kTaps = 2 * kHalf;
    static constexpr double kCutoff = 0.9; // of the input's Nyquist frequency

    void Produce(uint64_t limit, std::vector<float>& out) {
        const uint64_t frames = input_.size() / 2;
        while (next_ < limit) {
            const uint64_t position = next_ * down_;
            const uint64_t first = position / up_ - dropped_; // input_'s frame of tap 0
            if (first + kTaps > frames) break;
            const float* h = &table_[(position % up_) * kTaps];
            const float* x = &input_[2 * static_cast<size_t>(first)];
            float left = 0, right = 0;
            for (int j = 0; j < kTaps; ++j) {
                left += h[j] * x[2 * j];
                right += h[j] * x[2 * j + 1];
            }
            out.push_back(left);
            out.push_back(right);
            ++next_;
        }
        // Frames no later output reaches are let go.
        const uint64_t keep = next_ * down_ / up_ - dropped_;
        if (keep > 0 && keep <= frames) {
            input_.erase(input_.begin(), input_.begin() + static_cast<ptrdiff_t>(2 * keep));
            dropped_ += keep;
        }
    }

    uint32_t up_, down_;
    std::vector<float> table_;
    std::vector<float> input_;
    uint64_t dropped_ = 0; // input frames let go, counting the silence before the first
    uint64_t next_ = 0;    // the next output frame
};

TSoundWriter::TSoundWriter(const std::string& path, TSoundFormat format, uint32_t rate,
                           uint64_t frames, const std::string& metadata)
    : path_(path), format_(format), rate_(rate), announced_(frames),
      metadataBytes_(metadata.size()) {
    if (metadata.size() > MaxMetadataBytes(format))
        Fail(std::string("its description is too long for ") + SoundFormatName(format));
    if (path == kStandardOutput) {
        path_ = "standard output";
        if (!IsWav(format)) Fail("standard output takes WAV only");
        stream_ = stdout;
        const std::vector<uint8_t> header = WavHeader(format, rate, announced_, metadata);
        Put(header.data(), header.size());
        if (!metadata.empty()) chunk_ = DescriptionChunk(metadata);
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
    SF_INFO info{};
    info.samplerate = static_cast<int>(format == TSoundFormat::Opus ? kOpusRate : rate);
    info.channels = kChannels;
    info.format = SndfileFormat(format);
    if (format == TSoundFormat::Opus && rate != kOpusRate)
        resampler_ = std::make_unique<TResampler>(rate);
    file_ = sf_open(partPath_.c_str(), SFM_WRITE, &info);
    if (file_ == nullptr) Fail(partPath_ + ": " + sf_strerror(nullptr));
    const std::string why = Describe(file_, format, metadata);
    if (!why.empty()) Fail(why);
    if (IsWav(format) && !metadata.empty()) chunk_ = DescriptionChunk(metadata);
}

TSoundWriter::~TSoundWriter() {
    if (file_ == nullptr) return;
    sf_close(file_);
    std::remove(partPath_.c_str());
}

void TSoundWriter::Fail(const std::string& why) const {
    throw Exception(TranslatedText(
        "RenderTool", QT_TRANSLATE_NOOP("RenderTool", "cannot write %1: %2"), {path_, why}));
}

uint64_t TSoundWriter::MaxFrames(TSoundFormat format, size_t metadataBytes) {
    if (!IsWav(format)) return std::numeric_limits<uint32_t>::max();
    // The header as libsndfile writes it, with room for its own chunks, and ours.
    const uint64_t header = 256 + 8 + metadataBytes + 1;
    return (uint64_t{0xFFFFFFFFu} - header) / WavBytesPerFrame(format);
}

size_t TSoundWriter::MaxMetadataBytes(TSoundFormat format) {
    return format == TSoundFormat::Opus ? 48 * 1024 : std::numeric_limits<uint32_t>::max() / 2;
}

uint64_t TSoundWriter::FileFrames(TSoundFormat format, uint32_t rate, uint64_t frames) {
    if (format != TSoundFormat::Opus || rate == kOpusRate || rate == 0) return frames;
    return (frames * kOpusRate + rate / 2) / rate;
}

std::vector<uint8_t> TSoundWriter::WavHeader(TSoundFormat format, uint32_t rate, uint64_t frames,
                                             const std::string& metadata) {
    // libsndfile cannot write WAV into a pipe: it writes the header of an empty file here,
    // and the sizes are put in as it would put them in when it finishes a file.
    TMemoryFile memory;
    SF_VIRTUAL_IO io{&TMemoryFile::Length, &TMemoryFile::Seek, &TMemoryFile::Read,
                     &TMemoryFile::Write, &TMemoryFile::Tell};
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = kChannels;
    info.format = SndfileFormat(format);
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (file == nullptr) throw Exception(std::string("libsndfile: ") + sf_strerror(nullptr));
    const std::string why = Describe(file, format, metadata);
    sf_close(file);
    if (!why.empty()) throw Exception("libsndfile: " + why);
    std::vector<uint8_t>& bytes = memory.Bytes;
    const uint64_t data = frames * WavBytesPerFrame(format);
    const uint64_t after = metadata.empty() ? 0 : DescriptionChunk(metadata).size();
    // The chunks up to "data", the last one of an empty file.
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = ReadLe32(&bytes[at + 4]);
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            bytes.resize(at + 8);
            WriteLe32(&bytes[4], static_cast<uint32_t>(bytes.size() - 8 + data + after));
            WriteLe32(&bytes[at + 4], static_cast<uint32_t>(data));
            return bytes;
        }
        if (std::memcmp(&bytes[at], "fact", 4) == 0 && size >= 4)
            WriteLe32(&bytes[at + 8], static_cast<uint32_t>(frames));
        at += 8 + size + (size & 1);
    }
    throw Exception("libsndfile wrote a WAV header without its data chunk");
}

void TSoundWriter::RequireOpen() const {
    if (file_ == nullptr && stream_ == nullptr) throw Exception(path_ + " is already closed");
}

void TSoundWriter::Put(const void* bytes, size_t count) {
    if (std::fwrite(bytes, 1, count, stream_) != count) Fail(std::strerror(errno));
}

void TSoundWriter::Write(const float* frames, uint32_t count) {
    RequireOpen();
    if (frames_ + count > MaxFrames(format_, metadataBytes_))
        throw Exception(TranslatedText(
            "RenderTool", QT_TRANSLATE_NOOP("RenderTool", "%1 would exceed 4 GiB"), {path_}));
    frames_ += count;
    if (file_ != nullptr) {
        WriteFile(frames, count);
        return;
    }
    const size_t samples = 2 * size_t{count};
    if (format_ == TSoundFormat::Float32) {
        // Little-endian float samples are the bytes of the floats themselves on this machine.
        static_assert(std::endian::native == std::endian::little);
        Put(frames, samples * sizeof(float));
        return;
    }
    int16_t converted[2 * kConvertFrames];
    for (size_t done = 0; done < samples;) {
        const size_t n = std::min(samples - done, std::size(converted));
        ToPcm16(frames + done, n, converted);
        Put(converted, n * sizeof(int16_t));
        done += n;
    }
}

void TSoundWriter::WriteFile(const float* frames, uint32_t count) {
    const auto check = [this](sf_count_t written, size_t wanted) {
        if (written != static_cast<sf_count_t>(wanted)) Fail(sf_strerror(file_));
    };
    if (format_ == TSoundFormat::Pcm16 || format_ == TSoundFormat::Flac) {
        int16_t converted[2 * kConvertFrames];
        for (uint32_t done = 0; done < count;) {
            const uint32_t n = std::min<uint32_t>(count - done, kConvertFrames);
            ToPcm16(frames + 2 * size_t{done}, 2 * size_t{n}, converted);
            check(sf_writef_short(file_, converted, n), n);
            done += n;
        }
        return;
    }
    if (format_ == TSoundFormat::Float32) {
        check(sf_writef_float(file_, frames, count), count);
        return;
    }
    // The lossy encoders take what comes within -1..1, as the WAV's samples are clamped.
    std::vector<float> clamped(frames, frames + 2 * size_t{count});
    for (float& v : clamped)
        v = std::clamp(v, -1.0f, 1.0f);
    if (!resampler_) {
        check(sf_writef_float(file_, clamped.data(), count), count);
        return;
    }
    std::vector<float> out;
    resampler_->Push(clamped.data(), count, out);
    check(sf_writef_float(file_, out.data(), static_cast<sf_count_t>(out.size() / 2)),
          out.size() / 2);
}

void TSoundWriter::Finish() {
    RequireOpen();
    if (stream_ != nullptr) {
        std::FILE* stream = stream_;
        stream_ = nullptr;
        if (frames_ != announced_) {
            Fail("its header announced " + std::to_string(announced_) + " frames, not " +
                 std::to_string(frames_));
        }
        if (!chunk_.empty() &&
            std::fwrite(chunk_.data(), 1, chunk_.size(), stream) != chunk_.size())
            Fail(std::strerror(errno));
        if (std::fflush(stream) != 0) Fail(std::strerror(errno));
        return;
    }
    std::string why;
    if (resampler_) {
        std::vector<float> out;
        resampler_->Flush(FileFrames(format_, rate_, frames_), out);
        const auto n = static_cast<sf_count_t>(out.size() / 2);
        if (n > 0 && sf_writef_float(file_, out.data(), n) != n) why = sf_strerror(file_);
    }
    if (const int closed = sf_close(file_); closed != 0 && why.empty())
        why = sf_error_number(closed);
    file_ = nullptr;
    if (why.empty() && !chunk_.empty()) why = AppendChunk();
    std::error_code error;
    if (why.empty()) std::filesystem::rename(partPath_, path_, error);
    if (error) why = error.message();
    if (!why.empty()) {
        std::remove(partPath_.c_str());
        Fail(why);
    }
}

std::string TSoundWriter::AppendChunk() const {
    // After the samples, and the RIFF size grown by it.
    std::FILE* file = std::fopen(partPath_.c_str(), "r+b");
    if (file == nullptr) return std::strerror(errno);
    std::string why;
    uint8_t size[4];
    long end = 0;
    if (std::fseek(file, 0, SEEK_END) != 0 || (end = std::ftell(file)) < 12 ||
        std::fwrite(chunk_.data(), 1, chunk_.size(), file) != chunk_.size())
        why = std::strerror(errno);
    WriteLe32(size, static_cast<uint32_t>(static_cast<uint64_t>(end) + chunk_.size() - 8));
    if (why.empty() && (std::fseek(file, 4, SEEK_SET) != 0 || std::fwrite(size, 1, 4, file) != 4))
        why = std::strerror(errno);
    if (std::fclose(file) != 0 && why.empty()) why = std::strerror(errno);
    return why;
}
