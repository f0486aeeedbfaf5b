#include "app/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/Exceptions.h"
#include "base/IniFiles.h"
#include "base/SysUtils.h"
#include "os/FileLock.h"
#include "os/Paths.h"

namespace {

std::string text(std::string_view s) { return std::string(s); }

// A writer holds the lock for one small file rewrite; waiting longer than
// this means something is wrong with the folder.
constexpr int SettingsLockTimeoutMs = 10000;

// Closes a descriptor however the rewrite ends.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int Fd) : fd_(Fd) {}
    ~TFileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

enum class TReadResult { Read, Missing, Unreadable };

TReadResult readAll(const std::string& Path, std::string& Content) {
    Content.clear();
    TFileDescriptor fd(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? TReadResult::Missing : TReadResult::Unreadable;
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0)
            return TReadResult::Read;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return TReadResult::Unreadable;
        }
        Content.append(buffer, static_cast<size_t>(got));
    }
}

bool writeAll(int Fd, const std::string& Content) {
    size_t done = 0;
    while (done < Content.size()) {
        ssize_t put = ::write(Fd, Content.data() + done, Content.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

}  // namespace

std::string TSettingsFile::mappedPath() const { return TIniFile(fileName_).mappedPath(); }

// Opens the file at Path and locks it for writing. A writer that replaced
// the file meanwhile leaves the lock on a file no longer there, so the lock
// counts only while Path still names the locked file.
static int lockSettingsFile(const std::string& Path) {
    for (;;) {
        int fd = ::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return -1;
        if (!os::FileLock(fd).Lock(0, 0, os::LockKind::Exclusive, SettingsLockTimeoutMs)) {
            ::close(fd);
            return -1;
        }
        struct stat locked {}, named {};
        if (::fstat(fd, &locked) == 0 && ::stat(Path.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
            locked.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
}

void TSettingsFile::rewrite(const std::function<void(const std::string& CopyPath)>& Change) const {
    const std::string path = mappedPath();
    const std::string failure = "Unable to write to " + fileName_;

    // Closing the descriptor at the end releases the lock.
    TFileDescriptor locked(lockSettingsFile(path));
    if (locked.get() < 0)
        throw EIniFileException(failure);

    std::string content;
    // A file that exists but cannot be read is left alone rather than
    // replaced by one holding only the new line.
    if (readAll(path, content) == TReadResult::Unreadable)
        throw EIniFileException(failure);
    struct stat existing {};
    if (::fstat(locked.get(), &existing) != 0)
        throw EIniFileException(failure);
    const mode_t mode = existing.st_mode & 07777;

    std::vector<char> copyName(path.begin(), path.end());
    for (char c : std::string(".XXXXXX"))
        copyName.push_back(c);
    copyName.push_back('\0');
    int copyFd = ::mkstemp(copyName.data());
    if (copyFd < 0)
        throw EIniFileException(failure);
    const std::string copyPath(copyName.data());
    bool placed = false;
    try {
        {
            TFileDescriptor copy(copyFd);
            if (!writeAll(copy.get(), content) || ::fchmod(copy.get(), mode) != 0)
                throw EIniFileException(failure);
        }
        Change(copyPath);
        TFileDescriptor written(::open(copyPath.c_str(), O_RDONLY | O_CLOEXEC));
        if (written.get() < 0 || ::fsync(written.get()) != 0)
            throw EIniFileException(failure);
        if (::rename(copyPath.c_str(), path.c_str()) != 0)
            throw EIniFileException(failure);
        placed = true;
    } catch (...) {
        if (!placed)
            ::unlink(copyPath.c_str());
        throw;
    }
}

std::string TSettingsFile::Read(const TTextKey& Key) const {
    return TIniFile(fileName_).ReadString(text(Key.Section), text(Key.Ident), text(Key.Default));
}

int TSettingsFile::Read(const TIntegerKey& Key) const {
    return TIniFile(fileName_).ReadInteger(text(Key.Section), text(Key.Ident), Key.Default);
}

bool TSettingsFile::Read(const TBoolKey& Key) const {
    return TIniFile(fileName_).ReadBool(text(Key.Section), text(Key.Ident), Key.Default);
}

void TSettingsFile::Write(const TTextKey& Key, const std::string& Value) {
    rewrite([&](const std::string& Copy) { TIniFile(Copy).WriteString(text(Key.Section), text(Key.Ident), Value); });
}

void TSettingsFile::Write(const TIntegerKey& Key, int Value) {
    rewrite([&](const std::string& Copy) { TIniFile(Copy).WriteInteger(text(Key.Section), text(Key.Ident), Value); });
}

void TSettingsFile::Write(const TBoolKey& Key, bool Value) {
    rewrite([&](const std::string& Copy) { TIniFile(Copy).WriteBool(text(Key.Section), text(Key.Ident), Value); });
}

int TSettingsFile::Update(const TIntegerKey& Key, const std::function<int(int Old)>& Change) {
    int old = 0;
    rewrite([&](const std::string& Copy) {
        TIniFile copy(Copy);
        old = copy.ReadInteger(text(Key.Section), text(Key.Ident), Key.Default);
        copy.WriteInteger(text(Key.Section), text(Key.Ident), Change(old));
    });
    return old;
}

// A value left blank (a cleared edit box saved as typed) stands for the default.
std::string TSettingsFile::readNumberText(const TTextKey& Key) const {
    std::string value = Trim(Read(Key));
    return value.empty() ? text(Key.Default) : value;
}

double TSettingsFile::ReadFloat(const TTextKey& Key) const { return StrToFloat(readNumberText(Key)); }

void TSettingsFile::WriteFloat(const TTextKey& Key, double Value) { Write(Key, FloatToStr(Value)); }

int TSettingsFile::ReadInteger(const TTextKey& Key) const { return StrToInt(readNumberText(Key)); }
