#pragma once
// The class library's streams: the abstract TStream, streams over an
// operating-system handle and a named file, and streams over memory and over
// a string.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Classes.h"

// Seek origins.
constexpr uint16_t soFromBeginning = 0;
constexpr uint16_t soFromCurrent = 1;
constexpr uint16_t soFromEnd = 2;

// TFileStream modes: one of fmCreate, fmOpenRead, fmOpenWrite, fmOpenReadWrite,
// or-ed with one share mode. As on Windows, fmShareCompat denies every other
// open like fmShareExclusive, and plain fmCreate opens exclusively too.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
public:
    // Read and Write move up to count bytes and return how many moved.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, uint16_t origin) = 0;

    // Move exactly count bytes or raise EReadError / EWriteError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from the source's position; 0 copies the whole
    // source from its start. Returns the number of bytes copied.
    int64_t CopyFrom(TStream* source, int64_t count);

    int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t position) { Seek(position, soFromBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);
};

// A stream over an open file descriptor, which it does not own.
class THandleStream : public TStream {
public:
    explicit THandleStream(int handle) : handle_(handle) {}
    int Handle() const { return handle_; }

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, uint16_t origin) override;
    // Leaves the position at the new size.
    void SetSize(int64_t newSize) override;

protected:
    int handle_;
};

// A stream over a named file. The name goes through the Windows path mapping.
// Share modes hold between processes and between opens in one process; a
// refused or failed open raises EFCreateError ("Cannot create file %s") or
// EFOpenError ("Cannot open file %s"). fmCreate truncates only once the share
// check has passed, so a refused create leaves the other opener's data alone.
class TFileStream : public THandleStream {
public:
    TFileStream(const std::string& fileName, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // The share modes are kept as locks on bytes from here on, far beyond any
    // real file size, so they never meet the engine's record locks.
    static constexpr uint64_t kShareLockRegion = 0x4000000000000000ull;

private:
    void closeHandles();
    int lockHandle_ = -1;
};

// A stream over a growable block of memory.
class TMemoryStream : public TStream {
public:
    char* Memory() { return data_.data(); }
    void Clear();

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, uint16_t origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    // Keeps the position unless it lies past the new end. New bytes are zero.
    void SetSize(int64_t newSize) override;

    // Load replaces the whole content with the source's, read from its start.
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const std::string& fileName);
    // Save writes the whole content at the target's position.
    void SaveToStream(TStream* stream);
    void SaveToFile(const std::string& fileName);

private:
    std::vector<char> data_;
    int64_t position_ = 0;
};

// A stream over a string of bytes. Writing overwrites in place and extends the
// string at its end; it never cuts off what follows the written bytes.
class TStringStream : public TStream {
public:
    explicit TStringStream(std::string dataString = {}) : data_(std::move(dataString)) {}
    const std::string& DataString() const { return data_; }

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // The position stays within the string.
    int64_t Seek(int64_t offset, uint16_t origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t newSize) override;

    // Up to count bytes from the position.
    std::string ReadString(int64_t count);
    void WriteString(const std::string& text);

private:
    std::string data_;
    int64_t position_ = 0;
};
