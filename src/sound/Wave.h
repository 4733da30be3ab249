// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wave sounds in memory and the reading of RIFF WAVE containers.

#include "framework/Exception.h"
#include "framework/Streams.h"

#include <cstdint>
#include <memory>

VELMORA_EXCEPTION(EWaveStreamError, Exception);

// A format block (the "fmt " chunk as it stands) and sample bytes (the "data" chunk).
class TWave {
public:
    // Sample memory grows and shrinks in whole blocks of this many bytes.
    static constexpr int32_t kSampleBlockBytes = 8096;

    TWave() = default;
    ~TWave() { Clear(); }
    TWave(const TWave&) = delete;
    TWave& operator=(const TWave&) = delete;

    void Clear();
    // Lengths below 1 become 0. The format block is exactly as long as asked; the sample
    // memory keeps its content and is reallocated only when its number of blocks changes.
    void SetFormatBytes(int32_t bytes);
    void SetSampleBytes(int32_t bytes);
    // Reads a RIFF WAVE container that starts at the stream's position.
    void LoadFromStream(TStream& stream);

    uint8_t* FormatBlock() { return formatBlock_.get(); }
    int32_t FormatBytes() const { return formatBytes_; }
    uint8_t* SampleData() { return sampleData_.get(); }
    int32_t SampleBytes() const { return sampleBytes_; }
    int64_t SampleCapacity() const { return sampleCapacity_; }

private:
    std::unique_ptr<uint8_t[]> formatBlock_;
    int32_t formatBytes_ = 0;
    std::unique_ptr<uint8_t[]> sampleData_;
    int32_t sampleBytes_ = 0;
    int64_t sampleCapacity_ = 0;
};

// A stream over the sample bytes of a wave; positions count sample bytes from the first
// sample.
class TCustomWaveStream : public TStream {
public:
    // Reads within WaveSize when it is known (0 or more), else passes the request on.
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Origins as the stream's; the result is kept within 0..WaveSize.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    virtual uint8_t* FormatBlock() { return nullptr; }
    virtual int32_t FormatBytes() { return 0; }
    virtual int32_t WaveSize() { return -1; }
    virtual int32_t ReadSamples(void* buffer, int32_t count);
    virtual void SetFormatBytes(int32_t bytes);

protected:
    int32_t position_ = 0;
};

// A wave stream that owns its format block.
class TCustomWaveStream2 : public TCustomWaveStream {
public:
    uint8_t* FormatBlock() override { return formatBlock_.get(); }
    int32_t FormatBytes() override { return formatBytes_; }
    void SetFormatBytes(int32_t bytes) override;

private:
    std::unique_ptr<uint8_t[]> formatBlock_;
    int32_t formatBytes_ = 0;
};

// Finds the "fmt " and "data" chunks of a RIFF WAVE container inside another stream and
// serves the sample bytes.
class TWaveStream : public TCustomWaveStream2 {
public:
    // The container begins at the source's current position.
    explicit TWaveStream(TStream& source);

    // Only reading is supported; asked for writing, the stream stays closed.
    void Open(bool forWriting);
    int32_t WaveSize() override;
    int32_t ReadSamples(void* buffer, int32_t count) override;

    bool Opened() const { return opened_; }

private:
    void OpenRead();

    TStream& source_;
    int32_t startPosition_ = 0;
    bool opened_ = false;
    bool readMode_ = false;
    int32_t dataPosition_ = 0;
    int32_t dataSize_ = 0;
};
