// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Streams.h"

#include "framework/Exception.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

int64_t TStream::Size() {
    const int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    const int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return end;
}

void TStream::SetSize(int64_t) {
    throw EStreamError("Stream size cannot be changed");
}

int64_t TStream::Remaining() {
    const int64_t left = Size() - Position();
    return left < 0 ? 0 : left;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0 || (count != 0 && Read(buffer, count) != count)) {
        throw EReadError(Msg::StreamReadError);
    }
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0 || (count != 0 && Write(buffer, count) != count)) {
        throw EWriteError("Stream write error");
    }
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const int64_t total = count;
    uint8_t chunk[65536];
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, sizeof chunk);
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        count -= n;
    }
    return total;
}

// ---- TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ >= Size()) return 0;
    const int64_t n = std::min(count, Size() - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const int64_t end = position_ + count;
    if (end > Size()) data_.resize(static_cast<size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = position_;
    if (origin == TSeekOrigin::soEnd) base = Size();
    position_ = std::max<int64_t>(0, base + offset);
    return position_;
}

void TMemoryStream::SetSize(int64_t newSize) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(0, newSize)));
    position_ = std::min(position_, Size());
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const int64_t n = source.Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    source.ReadBuffer(bytes.data(), n);
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    data_ = ReadFileBytes(fileName);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& target) {
    target.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmCreate);
    SaveToStream(file);
}

// ---- TReadOnlyMemoryStream

int64_t TReadOnlyMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ >= size_) return 0;
    const int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TReadOnlyMemoryStream::Write(const void*, int64_t) {
    throw EWriteError("Stream is read-only");
}

int64_t TReadOnlyMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = position_;
    if (origin == TSeekOrigin::soEnd) base = size_;
    position_ = std::max<int64_t>(0, base + offset);
    return position_;
}

void TReadOnlyMemoryStream::SetSize(int64_t) {
    throw EWriteError("Stream is read-only");
}

void TReadOnlyMemoryStream::Reset(const void* data, int64_t size) {
    data_ = static_cast<const uint8_t*>(data);
    size_ = size < 0 ? 0 : size;
    position_ = 0;
}

// ---- TFileStream

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    const char* how = mode == TFileMode::fmOpenRead        ? "rb"
                      : mode == TFileMode::fmOpenReadWrite ? "r+b"
                                                           : "w+b";
    file_ = std::fopen(fileName.c_str(), how);
    struct stat info {};
    if (file_ && (fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode))) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!file_) {
        if (mode == TFileMode::fmCreate) throw EFCreateError(Msg::CannotOpenFile, {fileName});
        throw EFOpenError(Msg::CannotOpenFile, {fileName});
    }
}

TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    if (fseeko(file_, offset, whence) != 0) {
        if (origin == TSeekOrigin::soBeginning && offset < 0) fseeko(file_, 0, SEEK_SET);
    }
    return ftello(file_);
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    const int64_t size = file.Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(0, size)));
    file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}
