// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/Wave.h"

#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Moves the kept bytes into a fresh block of the new length (none for 0).
std::unique_ptr<uint8_t[]> Reallocate(std::unique_ptr<uint8_t[]> old, int64_t oldLength,
                                      int64_t newLength) {
    if (newLength <= 0) return nullptr;
    auto block = std::make_unique<uint8_t[]>(static_cast<size_t>(newLength));
    if (old)
        std::memcpy(block.get(), old.get(), static_cast<size_t>(std::min(oldLength, newLength)));
    return block;
}

constexpr int64_t kMaxPosition = std::numeric_limits<int32_t>::max();

} // namespace

// ---- TWave

void TWave::Clear() {
    formatBlock_.reset();
    formatBytes_ = 0;
    sampleData_.reset();
    sampleBytes_ = 0;
    sampleCapacity_ = 0;
}

void TWave::SetFormatBytes(int32_t bytes) {
    if (bytes < 1) bytes = 0;
    formatBlock_ = Reallocate(std::move(formatBlock_), formatBytes_, bytes);
    formatBytes_ = bytes;
}

void TWave::SetSampleBytes(int32_t bytes) {
    if (bytes < 1) bytes = 0;
    const int64_t blocks = (int64_t{bytes} + kSampleBlockBytes - 1) / kSampleBlockBytes;
    const int64_t capacity = blocks * kSampleBlockBytes;
    if (capacity != sampleCapacity_) {
        sampleData_ = Reallocate(std::move(sampleData_), sampleCapacity_, capacity);
        sampleCapacity_ = capacity;
    }
    sampleBytes_ = bytes;
}

void TWave::LoadFromStream(TStream& stream) {
    Clear();
    TWaveStream wave(stream);
    wave.Open(false);
    SetFormatBytes(wave.FormatBytes());
    if (formatBytes_ > 0)
        std::memcpy(formatBlock_.get(), wave.FormatBlock(), static_cast<size_t>(formatBytes_));
    SetSampleBytes(wave.WaveSize());
    wave.ReadBuffer(sampleData_.get(), sampleBytes_);
}

// ---- TCustomWaveStream

int64_t TCustomWaveStream::Read(void* buffer, int64_t count) {
    count = std::clamp<int64_t>(count, 0, kMaxPosition);
    const int32_t size = WaveSize();
    if (size >= 0) {
        if (position_ > size) position_ = size;
        count = std::min<int64_t>(count, size - position_);
    }
    const int32_t n = ReadSamples(buffer, static_cast<int32_t>(count));
    if (n > 0)
        position_ = static_cast<int32_t>(std::min<int64_t>(kMaxPosition, int64_t{position_} + n));
    return n;
}

int64_t TCustomWaveStream::Write(const void*, int64_t) {
    return 0;
}

int64_t TCustomWaveStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t size = WaveSize();
    int64_t pos = position_;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        pos = offset;
        break;
    case TSeekOrigin::soCurrent:
        pos += offset;
        break;
    case TSeekOrigin::soEnd:
        pos = size + offset;
        break;
    }
    position_ = static_cast<int32_t>(std::clamp<int64_t>(pos, 0, std::max<int64_t>(size, 0)));
    return position_;
}

int32_t TCustomWaveStream::ReadSamples(void*, int32_t) {
    return 0;
}

void TCustomWaveStream::SetFormatBytes(int32_t) {}

void TCustomWaveStream2::SetFormatBytes(int32_t bytes) {
    if (bytes < 0) bytes = 0;
    formatBlock_ = Reallocate(nullptr, 0, bytes);
    formatBytes_ = bytes;
}

// ---- TWaveStream

TWaveStream::TWaveStream(TStream& source)
    : source_(source), startPosition_(static_cast<int32_t>(
                           std::clamp<int64_t>(source.Position(), 0, kMaxPosition))) {}

void TWaveStream::Open(bool forWriting) {
    if (!forWriting) OpenRead();
}

int32_t TWaveStream::WaveSize() {
    return opened_ && readMode_ ? dataSize_ : 0;
}

int32_t TWaveStream::ReadSamples(void* buffer, int32_t count) {
    if (!opened_) throw EWaveStreamError(Msg::StreamNotOpened);
    source_.SetPosition(int64_t{dataPosition_} + position_);
    return static_cast<int32_t>(source_.Read(buffer, count));
}

void TWaveStream::OpenRead() {
    if (opened_) throw EWaveStreamError(Msg::StreamAlreadyOpened);
    opened_ = true;
    readMode_ = true;
    source_.SetPosition(startPosition_);
    const int64_t size = source_.Size();
    if (size - source_.Position() <= 0) return;

    uint8_t header[12];
    source_.ReadBuffer(header, sizeof header);
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        throw EWaveStreamError(Msg::WaveInvalid);
    }

    uint8_t chunk[8] = {};
    source_.Read(chunk, sizeof chunk);
    while (ReadLe32(chunk) != 0) {
        const uint32_t length = ReadLe32(chunk + 4);
        // Lengths of 2^31 and more would move backwards or ask for a negative block.
        if (length > static_cast<uint32_t>(kMaxPosition)) throw EWaveStreamError(Msg::WaveInvalid);
        const int64_t here = source_.Position();
        const int64_t left = size - here;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16) throw EWaveStreamError(Msg::WaveInvalid);
            // Refused before the block is made for it.
            if (length > left) throw EReadError(Msg::StreamReadError);
            SetFormatBytes(static_cast<int32_t>(length));
            source_.ReadBuffer(FormatBlock(), length);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (length > left) throw EReadError(Msg::StreamReadError);
            if (here > kMaxPosition) throw EWaveStreamError(Msg::WaveInvalid);
            dataSize_ = static_cast<int32_t>(length);
            dataPosition_ = static_cast<int32_t>(here);
            source_.Seek(length, TSeekOrigin::soCurrent);
        } else {
            source_.Seek(length, TSeekOrigin::soCurrent);
        }
        std::memset(chunk, 0, sizeof chunk);
        source_.Read(chunk, sizeof chunk);
    }
}
