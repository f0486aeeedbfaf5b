#include "base/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cerrno>
#include <cstring>

#include "base/Exceptions.h"
#include "os/FileLock.h"
#include "os/Paths.h"

// ---------------------------------------------------------------------------
// TStream

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    if (count <= 0)
        return 0;
    const int64_t total = count;
    std::vector<char> chunk(static_cast<size_t>(std::min<int64_t>(count, 61440)));
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, static_cast<int64_t>(chunk.size()));
        source->ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        count -= n;
    }
    return total;
}

int64_t TStream::Size() {
    int64_t position = Seek(0, soFromCurrent);
    int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::SetSize(int64_t) {}

// ---------------------------------------------------------------------------
// THandleStream

namespace {

// Repeats a transfer that may move fewer bytes than asked (Step gets the
// bytes done so far) until all count have moved, the handle has no more or
// it fails; an interrupted call is tried again. The bytes moved.
template <class Step>
int64_t transferAll(int64_t count, Step step) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n = step(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

}  // namespace

int64_t THandleStream::Read(void* buffer, int64_t count) {
    char* bytes = static_cast<char*>(buffer);
    return transferAll(count, [&](int64_t done) {
        return ::read(handle_, bytes + done, static_cast<size_t>(count - done));
    });
}

int64_t THandleStream::Write(const void* buffer, int64_t count) {
    const char* bytes = static_cast<const char*>(buffer);
    return transferAll(count, [&](int64_t done) {
        return ::write(handle_, bytes + done, static_cast<size_t>(count - done));
    });
}

int64_t THandleStream::Seek(int64_t offset, uint16_t origin) {
    int whence = origin == soFromCurrent ? SEEK_CUR : origin == soFromEnd ? SEEK_END : SEEK_SET;
    return ::lseek(handle_, static_cast<off_t>(offset), whence);
}

void THandleStream::SetSize(int64_t newSize) {
    Seek(newSize, soFromBeginning);
    if (newSize < 0 || ::ftruncate(handle_, static_cast<off_t>(newSize)) != 0)
        throw EWriteError("Stream write error");
}

// ---------------------------------------------------------------------------
// TFileStream

namespace {

// Bytes of the share region: each open holds a shared lock on the bytes that
// describe its access and what it denies to others.
enum ShareByte : uint64_t { kReading = 0, kWriting = 1, kDenyingRead = 2, kDenyingWrite = 3, kShareBytes = 4 };

struct OpenRequest {
    bool create = false;
    bool read = false;
    bool write = false;
    bool denyRead = false;
    bool denyWrite = false;
};

bool parseMode(uint16_t mode, OpenRequest& request) {
    uint16_t share = mode & 0x00F0;
    if (share > fmShareDenyNone)
        return false;
    if ((mode & fmCreate) == fmCreate) {
        request.create = true;
        request.read = request.write = true;
    } else {
        uint16_t access = mode & 0x0003;
        if (access > fmOpenReadWrite || (mode & 0xFF0C) != 0)
            return false;
        request.read = access != fmOpenWrite;
        request.write = access != fmOpenRead;
    }
    request.denyRead = share == fmShareCompat || share == fmShareExclusive || share == fmShareDenyRead;
    request.denyWrite = share != fmShareDenyNone && share != fmShareDenyRead;
    return true;
}

// Declares this open's access and share mode on lockFd (a descriptor open for
// reading), unless it clashes with another open of the same file. Each opener
// declares first and checks second, so of two clashing opens racing each
// other at most one succeeds; a clash is tried again briefly in case it was
// only such a race.
bool claimShareMode(int lockFd, const OpenRequest& request) {
    os::FileLock lock(lockFd);
    const uint64_t base = TFileStream::kShareLockRegion;
    auto heldByOther = [&](ShareByte b) { return lock.LockedByOther(base + b, 1, os::LockKind::Exclusive); };
    auto declare = [&](bool wanted, ShareByte b) {
        return !wanted || lock.Lock(base + b, 1, os::LockKind::Shared, 0);
    };
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!declare(request.read, kReading) || !declare(request.write, kWriting) ||
            !declare(request.denyRead, kDenyingRead) || !declare(request.denyWrite, kDenyingWrite)) {
            lock.Unlock(base, kShareBytes);
            return false;
        }
        bool clash = (request.read && heldByOther(kDenyingRead)) ||
                     (request.write && heldByOther(kDenyingWrite)) ||
                     (request.denyRead && heldByOther(kReading)) || (request.denyWrite && heldByOther(kWriting));
        if (!clash)
            return true;
        lock.Unlock(base, kShareBytes);
        std::this_thread::sleep_for(std::chrono::microseconds((attempt + 1) * (300 + getpid() % 7 * 100)));
    }
    return false;
}

bool sameFile(int a, int b) {
    struct stat first, second;
    return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

[[noreturn]] void raiseOpenFailure(bool create, const std::string& fileName) {
    if (create)
        throw EFCreateError("Cannot create file " + fileName);
    throw EFOpenError("Cannot open file " + fileName);
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : THandleStream(-1) {
    OpenRequest request;
    bool create = (mode & fmCreate) == fmCreate;
    if (fileName.empty() || !parseMode(mode, request))
        raiseOpenFailure(create, fileName);

    const std::string path = os::MapPath(fileName);
    int flags = O_CLOEXEC | (request.read && request.write ? O_RDWR : request.write ? O_WRONLY : O_RDONLY);
    if (request.create)
        flags |= O_CREAT;
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0)
        raiseOpenFailure(create, fileName);
    handle_ = fd;
    // Share locks need a descriptor open for reading; a write-only open keeps
    // a second, read-only descriptor of the same file for them.
    lockHandle_ = request.read ? fd : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);

    struct stat st;
    bool ok = lockHandle_ >= 0 && sameFile(fd, lockHandle_) && ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode) &&
              claimShareMode(lockHandle_, request);
    if (ok && request.create)
        ok = ::ftruncate(fd, 0) == 0;
    if (!ok) {
        closeHandles();
        raiseOpenFailure(create, fileName);
    }
}

TFileStream::~TFileStream() { closeHandles(); }

void TFileStream::closeHandles() {
    if (lockHandle_ >= 0 && lockHandle_ != handle_)
        ::close(lockHandle_);
    if (handle_ >= 0)
        ::close(handle_);
    lockHandle_ = handle_ = -1;
}

// ---------------------------------------------------------------------------
// The memory and string streams keep their bytes in a growable buffer (a
// vector or a string) and a position of their own; these move bytes there.

namespace {

template <class Buffer>
int64_t readAt(const Buffer& data, int64_t& position, void* buffer, int64_t count) {
    if (position < 0 || count <= 0)
        return 0;
    int64_t n = std::min(count, static_cast<int64_t>(data.size()) - position);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, data.data() + position, static_cast<size_t>(n));
    position += n;
    return n;
}

// Writing past the end grows the buffer.
template <class Buffer>
int64_t writeAt(Buffer& data, int64_t& position, const void* buffer, int64_t count) {
    if (position < 0 || count <= 0)
        return 0;
    int64_t end = position + count;
    if (end > static_cast<int64_t>(data.size()))
        data.resize(static_cast<size_t>(end));
    std::memcpy(data.data() + position, buffer, static_cast<size_t>(count));
    position = end;
    return count;
}

template <class Buffer>
void resizeTo(Buffer& data, int64_t& position, int64_t newSize) {
    data.resize(static_cast<size_t>(std::max<int64_t>(newSize, 0)));
    position = std::min(position, static_cast<int64_t>(data.size()));
}

}  // namespace

// ---------------------------------------------------------------------------
// TMemoryStream

void TMemoryStream::Clear() {
    std::vector<char>().swap(data_);
    position_ = 0;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) { return readAt(data_, position_, buffer, count); }

int64_t TMemoryStream::Write(const void* buffer, int64_t count) { return writeAt(data_, position_, buffer, count); }

int64_t TMemoryStream::Seek(int64_t offset, uint16_t origin) {
    if (origin == soFromCurrent)
        position_ += offset;
    else if (origin == soFromEnd)
        position_ = Size() + offset;
    else
        position_ = offset;
    return position_;
}

void TMemoryStream::SetSize(int64_t newSize) { resizeTo(data_, position_, newSize); }

void TMemoryStream::LoadFromStream(TStream* stream) {
    stream->SetPosition(0);
    int64_t count = std::max<int64_t>(stream->Size(), 0);
    std::vector<char> loaded(static_cast<size_t>(count));
    stream->ReadBuffer(loaded.data(), count);
    data_.swap(loaded);
    position_ = std::min(position_, Size());
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TMemoryStream::SaveToStream(TStream* stream) { stream->WriteBuffer(data_.data(), Size()); }

void TMemoryStream::SaveToFile(const std::string& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

// ---------------------------------------------------------------------------
// TStringStream

int64_t TStringStream::Read(void* buffer, int64_t count) { return readAt(data_, position_, buffer, count); }

int64_t TStringStream::Write(const void* buffer, int64_t count) { return writeAt(data_, position_, buffer, count); }

int64_t TStringStream::Seek(int64_t offset, uint16_t origin) {
    int64_t target = origin == soFromCurrent ? position_ + offset : origin == soFromEnd ? Size() + offset : offset;
    position_ = std::clamp<int64_t>(target, 0, Size());
    return position_;
}

void TStringStream::SetSize(int64_t newSize) { resizeTo(data_, position_, newSize); }

std::string TStringStream::ReadString(int64_t count) {
    int64_t n = std::min(count, Size() - position_);
    if (n <= 0)
        return {};
    std::string text = data_.substr(static_cast<size_t>(position_), static_cast<size_t>(n));
    position_ += n;
    return text;
}

void TStringStream::WriteString(const std::string& text) { Write(text.data(), static_cast<int64_t>(text.size())); }
