// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte streams: the abstract stream the readers and writers work on, a growable memory
// stream and a file stream.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes into buffer and returns how many were read.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes and returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);
    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    // Bytes left between the position and the end.
    int64_t Remaining();

    // Reads exactly count bytes or fails with "Stream read error".
    void ReadBuffer(void* buffer, int64_t count);
    // Writes exactly count bytes or fails with EWriteError.
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (all of it from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over bytes held in memory; it grows as it is written.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t newSize) override;

    void Clear();
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& target);
    void SaveToFile(const std::string& fileName);

    uint8_t* Memory() { return data_.data(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

// A read-only stream over bytes that someone else owns and keeps alive.
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const void* data, int64_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size < 0 ? 0 : size) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_; }
    void SetSize(int64_t newSize) override;

protected:
    void Reset(const void* data, int64_t size);

private:
    const uint8_t* data_;
    int64_t size_;
    int64_t position_ = 0;
};

enum class TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

// A stream over a file. Opening fails with "Cannot open file %s" naming the file.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::FILE* file_ = nullptr;
};

// Whole-file helpers; ReadFileBytes fails with "Cannot open file %s".
std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
