#include "patients/EBillFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/Exceptions.h"
#include "app/DocumentScope.h"
#include "os/FileIo.h"
#include "os/FileLock.h"
#include "os/Paths.h"
#include "patients/EBillLayout.h"

namespace {

const char* const kFileName = "EBill.dat";
const char* const kCopyName = "ebill.tmp";
const char* const kOldName = "EBill.old";

// The one lock region, far past the end of any real file, so it never
// stands in the way of reading or writing the file's bytes.
constexpr uint64_t kLockOffset = 1ull << 62;

[[noreturn]] void raiseSystemError(int error) { throw EInOutError(std::strerror(error), error); }
[[noreturn]] void raiseLastError() { raiseSystemError(errno); }

std::string fileIn(const std::string& folder, const char* name) {
    return os::MapPath(os::IncludeTrailingPathDelimiter(folder) + name);
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) os::CloseFile(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) os::CloseFile(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// EBill.dat opened and locked exclusively. When the lock came after
// another workstation replaced the file, the new file is opened and locked.
class LockedFile {
public:
    LockedFile(const std::string& folder, int flags) : path_(eBillFilePath(folder)) {
        for (;;) {
            fd_.reset(os::OpenFile(path_, flags | O_RDWR));
            if (fd_.get() < 0) raiseLastError();
            if (!os::FileLock(fd_.get()).Lock(kLockOffset, 1, os::LockKind::Exclusive, kEBillLockTimeoutMs))
                raiseSystemError(EWOULDBLOCK);
            struct stat opened {}, named {};
            if (::fstat(fd_.get(), &opened) != 0) raiseLastError();
            if (::stat(path_.c_str(), &named) != 0) {
                if (errno != ENOENT || !(flags & O_CREAT)) raiseLastError();
            } else if (named.st_ino == opened.st_ino && named.st_dev == opened.st_dev) {
                return;
            }
        }
    }
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    Descriptor fd_;
};

void writeAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            raiseLastError();
        }
        bytes += written;
        size -= size_t(written);
    }
}

TEBillByteSource readerOf(int fd) {
    return [fd](char* buffer, size_t size) -> size_t {
        for (;;) {
            ssize_t n = ::read(fd, buffer, size);
            if (n >= 0) return size_t(n);
            if (errno != EINTR) raiseLastError();
        }
    };
}

// Copies the bytes [from, to) of source to target.
void copyRange(int source, int target, uint64_t from, uint64_t to) {
    std::vector<char> buffer(64 * 1024);
    while (from < to) {
        ssize_t n = ::pread(source, buffer.data(), size_t(std::min<uint64_t>(buffer.size(), to - from)), off_t(from));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) raiseLastError();
        if (n == 0) break;
        writeAll(target, buffer.data(), size_t(n));
        from += uint64_t(n);
    }
}

// The copy in place of the file: the file becomes EBill.old (an older one
// removed first), the copy becomes the file. Called with the lock held.
// The file keeps its name throughout where the folder allows hard links: in
// a gap between two renames another workstation's capture would create a
// new EBill.dat that the copy then replaces, losing its claim.
void replaceWithCopy(const LockedFile& file, const std::string& folder, const std::string& copyPath) {
    const std::string oldPath = fileIn(folder, kOldName);
    if (::unlink(oldPath.c_str()) != 0 && errno != ENOENT) {
        int error = errno;
        ::unlink(copyPath.c_str());
        raiseSystemError(error);
    }
    if (::link(file.path().c_str(), oldPath.c_str()) == 0) {
        if (::rename(copyPath.c_str(), file.path().c_str()) != 0) {
            int error = errno;
            ::unlink(copyPath.c_str());
            raiseSystemError(error);
        }
        return;
    }
    if (::rename(file.path().c_str(), oldPath.c_str()) != 0) {
        int error = errno;
        ::unlink(copyPath.c_str());
        raiseSystemError(error);
    }
    if (::rename(copyPath.c_str(), file.path().c_str()) != 0) {
        int error = errno;
        ::rename(oldPath.c_str(), file.path().c_str());
        raiseSystemError(error);
    }
}

int createCopy(const std::string& copyPath) {
    int fd = ::open(copyPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) raiseLastError();
    return fd;
}

void finishCopy(int fd, const std::string& copyPath) {
    if (::fsync(fd) != 0) {
        int error = errno;
        ::unlink(copyPath.c_str());
        raiseSystemError(error);
    }
}

}  // namespace

std::string eBillFilePath(const std::string& DataFolder) { return fileIn(DataFolder, kFileName); }

void appendEBillBlock(const std::string& DataFolder, const std::string& Block) {
    LockedFile file(DataFolder, O_CREAT);
    struct stat before {};
    if (::fstat(file.fd(), &before) != 0) raiseLastError();
    // Inside a document the block lands with the claim's mark: undone with
    // it, and nobody appends after it before both are in.
    if (TDocumentScope* scope = TDocumentScope::Current()) {
        scope->BeforeFileAppend(eBillFilePath(DataFolder), uint64_t(before.st_size));
        scope->KeepLocked(file.fd());
    }
    try {
        if (!os::WriteAt(file.fd(), Block.data(), Block.size(), uint64_t(before.st_size))) raiseLastError();
        if (!os::SyncFile(file.fd())) raiseLastError();
    } catch (const EInOutError&) {
        // Nothing of a failed block stays behind for the claims software.
        if (::ftruncate(file.fd(), before.st_size) == 0) ::fdatasync(file.fd());
        throw;
    }
}

bool readEBillFile(const std::string& DataFolder, int PageNo, TEBillPage& Page) {
    Page = TEBillPage();
    Descriptor fd(::open(eBillFilePath(DataFolder).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return false;
        raiseLastError();
    }
    // A capture in progress finishes before the block is read; when another
    // workstation holds the file too long, what is there is shown.
    os::FileLock(fd.get()).Lock(kLockOffset, 1, os::LockKind::Shared, kEBillLockTimeoutMs);
    Page = readEBillPage(readerOf(fd.get()), PageNo);
    return true;
}

bool removeEBillBlock(const std::string& DataFolder, int PageNo) {
    LockedFile file(DataFolder, 0);
    struct stat info {};
    if (::fstat(file.fd(), &info) != 0) raiseLastError();
    const uint64_t size = uint64_t(info.st_size);

    // The block's bytes: from the end of line First - 1 to the end of line Last.
    const int64_t first = (int64_t(PageNo) - 1) * kEBillBlockLines + 1;
    const int64_t last = first + kEBillBlockLines - 1;
    uint64_t blockStart = 0, blockEnd = 0;
    if (last >= 1) {
        TEBillLineScanner scanner(readerOf(file.fd()));
        for (int64_t number = 1; number <= last && scanner.nextLine(nullptr, 0); ++number)
            if (number < first) blockStart = scanner.offset();
        blockEnd = scanner.offset();
    }

    const std::string copyPath = fileIn(DataFolder, kCopyName);
    Descriptor copy(createCopy(copyPath));
    try {
        copyRange(file.fd(), copy.get(), 0, blockStart);
        copyRange(file.fd(), copy.get(), blockEnd, size);
    } catch (const EInOutError&) {
        ::unlink(copyPath.c_str());
        throw;
    }
    finishCopy(copy.get(), copyPath);
    replaceWithCopy(file, DataFolder, copyPath);
    return blockStart > 0 || blockEnd < size;
}

void clearEBillFile(const std::string& DataFolder) {
    LockedFile file(DataFolder, 0);
    const std::string copyPath = fileIn(DataFolder, kCopyName);
    Descriptor copy(createCopy(copyPath));
    finishCopy(copy.get(), copyPath);
    replaceWithCopy(file, DataFolder, copyPath);
}
