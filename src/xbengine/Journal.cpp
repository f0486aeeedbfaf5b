#include "xbengine/Journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <utility>

#include "os/FileIo.h"
#include "os/FileLock.h"
#include "xbengine/DbfFile.h"
#include "xbengine/Engine.h"

namespace xb {

namespace {

enum EntryKind : uint32_t {
    EntryMessage = 1,  // what recovery says about the document
    EntryImage = 2,    // a record as it stood before the scope overwrote it
    EntryAppend = 3,   // a record the scope appended, with the fingerprint of its bytes
    EntryLength = 4,   // a plain file's length before the scope appended to it
    EntryFile = 5,     // a whole table before the scope emptied it
    EntryAppended = 6, // the append of the entry before it is in the file
};
constexpr uint64_t AppendWritten = 1;  // an append entry's length: its record is in the file

constexpr char Magic[8] = {'Q', 'M', 'J', 'O', 'U', 'R', '2', '\n'};
// The first journals kept an appended record whole; one left hot by a
// program of that time is still taken back.
constexpr char WholeAppendsMagic[8] = {'Q', 'M', 'J', 'O', 'U', 'R', '1', '\n'};
constexpr const char* JournalSuffix = ".qmj";
// Unflushed entries older than this go to the disk before the next change.
constexpr std::chrono::milliseconds FlushWithin{1000};
constexpr uint32_t PlainFileKey = UINT32_MAX;  // the touched-set key of a plain file
constexpr const char* UnnamedMessage =
    "A document was not saved completely when the program stopped; it has been removed.";

struct Entry {
    uint32_t kind = 0;
    std::string path;
    uint32_t recNo = 0;
    uint64_t length = 0;
    std::string bytes;
    bool inFile = true;  // false: a scratch table's, kept in memory only
};

uint32_t Checksum(const char* p, size_t n) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (size_t i = 0; i < n; ++i)
        h = (h ^ static_cast<unsigned char>(p[i])) * 16777619u;
    return h;
}

void Put32(std::string& out, uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }
void Put64(std::string& out, uint64_t v) { out.append(reinterpret_cast<const char*>(&v), 8); }

// What tells an appended record from another one in its slot: an append is
// undone by its record number alone, and this, rather than the record, is
// kept to make sure the slot still holds it.
std::string Fingerprint(const char* p, size_t n) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a, 64 bits
    for (size_t i = 0; i < n; ++i)
        h = (h ^ static_cast<unsigned char>(p[i])) * 1099511628211ull;
    std::string out;
    Put64(out, h);
    return out;
}

std::string Encode(const Entry& e) {
    std::string out;
    out.reserve(32 + e.path.size() + e.bytes.size());
    Put32(out, e.kind);
    Put32(out, static_cast<uint32_t>(e.path.size()));
    out += e.path;
    Put32(out, e.recNo);
    Put64(out, e.length);
    Put32(out, static_cast<uint32_t>(e.bytes.size()));
    out += e.bytes;
    Put32(out, Checksum(out.data(), out.size()));
    return out;
}

// Reads entries until the end or the first one cut short.
std::vector<Entry> Decode(const std::string& data) {
    std::vector<Entry> entries;
    if (data.size() < sizeof Magic)
        return entries;
    const bool wholeAppends = std::memcmp(data.data(), WholeAppendsMagic, sizeof Magic) == 0;
    if (!wholeAppends && std::memcmp(data.data(), Magic, sizeof Magic) != 0)
        return entries;
    size_t at = sizeof Magic;
    auto take = [&](void* into, size_t n) {
        if (data.size() - at < n)
            return false;
        std::memcpy(into, data.data() + at, n);
        at += n;
        return true;
    };
    for (;;) {
        const size_t start = at;
        Entry e;
        uint32_t pathSize = 0, bytesSize = 0, sum = 0;
        if (!take(&e.kind, 4) || !take(&pathSize, 4) || data.size() - at < pathSize)
            break;
        e.path.assign(data, at, pathSize);
        at += pathSize;
        if (!take(&e.recNo, 4) || !take(&e.length, 8) || !take(&bytesSize, 4) || data.size() - at < bytesSize)
            break;
        e.bytes.assign(data, at, bytesSize);
        at += bytesSize;
        const uint32_t expected = Checksum(data.data() + start, at - start);
        if (!take(&sum, 4) || sum != expected)
            break;
        if (wholeAppends && e.kind == EntryAppend)
            e.bytes = Fingerprint(e.bytes.data(), e.bytes.size());
        entries.push_back(std::move(e));
    }
    return entries;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    struct stat sa {}, sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The company-wide recovery lock: a lock on the folder itself, shared while a
// journal is made, exclusive while hot journals are taken back.
class RecoveryLock {
public:
    RecoveryLock(const std::string& folder, int operation) {
        fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0)
            while (flock(fd_, operation) != 0 && errno == EINTR) {
            }
    }
    ~RecoveryLock() {
        if (fd_ >= 0)
            close(fd_);  // lets the lock go
    }
    RecoveryLock(const RecoveryLock&) = delete;
    RecoveryLock& operator=(const RecoveryLock&) = delete;

private:
    int fd_ = -1;
};

// Finds, or opens for the time being, the work area of each table an undo
// writes, so every record written back reaches the table's tags.
class Restorer {
public:
    explicit Restorer(bool checkLocks) : checkLocks_(checkLocks), selected_(Engine::Instance().Selected()) {}
    ~Restorer() {
        Engine& engine = Engine::Instance();
        for (const auto& [area, recNo] : taken_)
            if (WorkArea* table = engine.Area(area))
                table->Unlock(recNo);
        for (int area : opened_)
            engine.Close(area);
        engine.Select(selected_);
    }

    // Hands what was written back to the disk.
    void flush() {
        Engine& engine = Engine::Instance();
        for (const auto& [path, area] : areas_) {
            if (WorkArea* table = engine.Area(area)) {
                if (AreaIndexes* tags = engine.Indexes(area))
                    tags->Commit();
                if (!table->Commit())
                    ok_ = false;
            }
        }
    }
    Restorer(const Restorer&) = delete;
    Restorer& operator=(const Restorer&) = delete;

    bool ok() const { return ok_; }
    const std::string& failedFile() const { return failedFile_; }

    void undo(const Entry& e) {
        bool done = true;
        switch (e.kind) {
        case EntryImage: done = undoImage(e); break;
        case EntryAppend: done = undoAppend(e); break;
        case EntryLength: done = undoLength(e); break;
        case EntryFile: done = undoFile(e); break;
        default: break;
        }
        if (!done) {
            ok_ = false;
            if (failedFile_.empty())
                failedFile_ = e.path;
        }
    }

private:
    int areaOf(const std::string& path) {
        auto known = areas_.find(path);
        if (known != areas_.end())
            return known->second;
        Engine& engine = Engine::Instance();
        for (int i = 1; i <= Engine::MaxAreas; ++i) {
            WorkArea* table = engine.Area(i);
            if (table && table->mode() != OpenMode::ReadOnly && SameFile(table->path(), path))
                return areas_[path] = i;
        }
        const int area = engine.Use(path, "", OpenMode::Shared, DriverNsx);
        if (area == 0)
            return 0;
        opened_.push_back(area);
        return areas_[path] = area;
    }

    WorkArea* tableOf(const std::string& path) { return Engine::Instance().Area(areaOf(path)); }

    // Whether some open of the table in this process holds the record's lock.
    static bool heldHere(const std::string& path, uint32_t recNo) {
        Engine& engine = Engine::Instance();
        for (int i = 1; i <= Engine::MaxAreas; ++i) {
            WorkArea* table = engine.Area(i);
            if (table && table->table().holdsLock(recNo) && SameFile(table->path(), path))
                return true;
        }
        return false;
    }

public:
    // Recovery writes back only once it holds every record of the journal,
    // taken in one order; a journal whose records cannot all be had is left
    // whole for a later try, nothing written. Another workstation that
    // locked one of them after the writer stopped lets it go unread on
    // finding the journal hot or being taken back (JournalSettled).
    bool lockAll(const std::vector<Entry>& entries) {
        if (!checkLocks_)
            return true;
        std::vector<std::pair<std::string, uint32_t>> records;
        for (const Entry& e : entries)
            if (e.kind == EntryImage || e.kind == EntryAppend)
                records.emplace_back(e.path, e.recNo);
        std::sort(records.begin(), records.end());
        records.erase(std::unique(records.begin(), records.end()), records.end());
        for (const auto& [path, recNo] : records) {
            const int area = areaOf(path);
            WorkArea* table = Engine::Instance().Area(area);
            if (!table) {
                failedFile_ = path;
                return false;
            }
            if (recNo > table->RecCount() || heldHere(path, recNo))
                continue;
            if (!table->Rlock(recNo)) {
                failedFile_ = path;
                return false;
            }
            taken_.emplace_back(area, recNo);
        }
        return true;
    }


    bool undoImage(const Entry& e) {
        WorkArea* table = tableOf(e.path);
        return table && static_cast<size_t>(table->recordSize()) == e.bytes.size() &&
               table->RestoreRecord(e.recNo, e.bytes.data());
    }

    bool undoAppend(const Entry& e) {
        WorkArea* table = tableOf(e.path);
        if (!table)
            return false;
        if (e.recNo > table->RecCount())
            return true;  // never written
        std::string now(static_cast<size_t>(table->recordSize()), ' ');
        if (!table->table().readRecord(e.recNo, now.data()))
            return true;
        // Not known to be written: the slot may since hold another
        // workstation's record, unless it holds what was appended.
        if (e.length != AppendWritten && Fingerprint(now.data(), now.size()) != e.bytes)
            return true;
        now[0] = '*';
        return table->RestoreRecord(e.recNo, now.data());
    }

    static bool undoLength(const Entry& e) {
        const int fd = os::OpenFile(e.path, O_RDWR);
        if (fd < 0)
            return errno == ENOENT && e.length == 0;
        struct stat st {};
        bool ok = fstat(fd, &st) == 0;
        if (ok && static_cast<uint64_t>(st.st_size) > e.length)
            ok = os::TruncateFile(fd, e.length) && os::SyncFile(fd);
        os::CloseFile(fd);
        return ok;
    }

    bool undoFile(const Entry& e) {
        const int fd = os::OpenFile(e.path, O_RDWR);
        if (fd < 0)
            return false;
        const bool written = os::WriteAt(fd, e.bytes.data(), e.bytes.size(), 0) &&
                             os::TruncateFile(fd, e.bytes.size()) && os::SyncFile(fd);
        os::CloseFile(fd);
        if (!written)
            return false;
        // Opens on the table read it again, and its tags are built anew.
        Engine& engine = Engine::Instance();
        bool any = false;
        for (int i = 1; i <= Engine::MaxAreas; ++i) {
            WorkArea* table = engine.Area(i);
            if (!table || !SameFile(table->path(), e.path))
                continue;
            any = true;
            if (!table->table().reload())
                return false;
            if (AreaIndexes* tags = engine.Indexes(i))
                tags->Recover(engine.GaugeHook());
        }
        if (!any) {
            const int area = areaOf(e.path);
            if (area == 0)
                return false;
            if (AreaIndexes* tags = engine.Indexes(area))
                tags->Recover(engine.GaugeHook());
        }
        return true;
    }

    bool checkLocks_;
    int selected_;
    bool ok_ = true;
    std::string failedFile_;
    std::map<std::string, int> areas_;
    std::vector<int> opened_;
    std::vector<std::pair<int, uint32_t>> taken_;  // record locks recovery took
};

// Undoes entries newest first; false (with the file) when one could not be undone.
bool Undo(const std::vector<Entry>& entries, bool checkLocks, std::string* failedFile) {
    Restorer restorer(checkLocks);
    if (!restorer.lockAll(entries)) {
        *failedFile = restorer.failedFile();
        return false;
    }
    for (auto e = entries.rbegin(); e != entries.rend(); ++e)
        restorer.undo(*e);
    restorer.flush();
    bool ok = restorer.ok();
    *failedFile = restorer.failedFile();
    return ok;
}

struct JournalState {
    std::mutex mutex;
    std::string folder;
    std::string folderReal;   // as the system names it, symbolic links followed
    std::string scratch;      // the scratch folder, as given and as the system names it
    std::string scratchReal;
    std::string scopeFolder;  // the folder as the scope began
    bool active = false;   // inside an outermost scope, with a folder
    bool undoing = false;  // a rollback is writing: nothing is journaled
    int fd = -1;
    std::string path;
    uint64_t size = 0;
    std::string message;
    std::vector<Entry> entries;
    std::set<std::pair<std::string, uint32_t>> touched;
    // When the oldest entry not yet flushed was written; zero: all on disk.
    std::chrono::steady_clock::time_point unflushedSince{};
    std::set<DbfFile*> holders;    // files holding records locked for the scope
    uint64_t bytes = 0;
    uint64_t flushes = 0;
    std::string token;             // makes this process's journal name its own
    std::vector<std::string> recovered;  // messages of journals taken back inside a scope
    // Other workstations' journals, open to see at once when a writer stops;
    // the list is read again when the folder changed.
    std::map<std::string, int> watched;
    struct timespec folderTime {};
    // On a local folder, change notices tell when a journal may have come,
    // so the folder is read again only then, whatever its time says.
    int notices = -1;
    // A child process makes its own: reading inherited ones takes the parent's.
    pid_t noticesOf = 0;
    std::string noticeFolder;
};

std::vector<std::string> JournalNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        const size_t suffix = std::strlen(JournalSuffix);
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > suffix && name.compare(name.size() - suffix, suffix, JournalSuffix) == 0)
                names.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    return names;
}

// A journal removed since it was opened: its writer committed, and a new
// journal of that writer has the same name.
bool Removed(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && st.st_nlink == 0;
}

void Unwatch(JournalState& s) {
    for (const auto& [path, fd] : s.watched)
        os::CloseFile(fd);
    s.watched.clear();
    s.folderTime = {};
}

void stopNotices(JournalState& s) {
    if (s.notices >= 0)
        os::CloseFile(s.notices);
    s.notices = -1;
    s.noticeFolder.clear();
}

// Whether a journal may have come into folder since the notices were last
// taken (true also when they were lost or stopped); *known false when the
// folder has no notices, and its time must tell.
bool journalMayHaveCome(JournalState& s, const std::string& folder, bool* known) {
    *known = true;
    if (s.notices < 0 || s.noticesOf != getpid() || s.noticeFolder != folder) {
        stopNotices(s);
        const int dir = os::OpenFile(folder, O_RDONLY | O_DIRECTORY);
        const bool local = dir >= 0 && os::onLocalFileSystem(dir);
        if (dir >= 0)
            os::CloseFile(dir);
        const int fd = local ? inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1;
        if (fd >= 0 && inotify_add_watch(fd, folder.c_str(), IN_CREATE | IN_MOVED_TO) >= 0) {
            s.notices = fd;
            s.noticesOf = getpid();
            s.noticeFolder = folder;
            return true;  // what came before the notices began is read now
        }
        if (fd >= 0)
            os::CloseFile(fd);
        *known = false;
        return true;
    }
    const size_t slash = s.path.rfind('/');
    const std::string own = slash == std::string::npos ? s.path : s.path.substr(slash + 1);
    const size_t suffix = std::strlen(JournalSuffix);
    bool come = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(s.notices, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // none left
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            const std::string name = e->len ? std::string(e->name) : std::string();
            if (e->mask & (IN_Q_OVERFLOW | IN_IGNORED))
                come = true;
            else if (name != own && name.size() > suffix &&
                     name.compare(name.size() - suffix, suffix, JournalSuffix) == 0)
                come = true;
            if (e->mask & IN_IGNORED) {
                stopNotices(s);  // the folder went: made anew at the next look
                return true;
            }
        }
    }
    return come;
}

JournalState& state() {
    static JournalState s;
    return s;
}

std::string HostName() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || !host[0])
        return "host";
    std::string name(host);
    for (char& c : name)
        if (c == '/' || c == '.')
            c = '_';
    return name;
}

// The file's name inside the scope's folder, or its whole path when it lies elsewhere.
std::string Relative(const std::string& folder, const std::string& path) {
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            full = std::string(cwd) + "/" + full;
    }
    const std::string prefix = folder + "/";
    return full.compare(0, prefix.size(), prefix) == 0 ? full.substr(prefix.size()) : full;
}

std::string Relative(const JournalState& s, const std::string& path) { return Relative(s.scopeFolder, path); }

std::string Absolute(const std::string& folder, const std::string& path) {
    return !path.empty() && path[0] == '/' ? path : folder + "/" + path;
}

std::string FolderPath(std::string folder) {
    if (!folder.empty() && folder[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            folder = std::string(cwd) + "/" + folder;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string RealFolder(const std::string& folder) {
    if (folder.empty())
        return folder;
    char* real = realpath(folder.c_str(), nullptr);
    if (!real)
        return FolderPath(folder);
    std::string out = FolderPath(real);
    free(real);
    return out;
}

bool Under(const std::string& folder, const std::string& path) {
    return !folder.empty() && path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

// A company table is never taken for a scratch one, wherever the folders lie.
bool IsScratch(const JournalState& s, const std::string& path) {
    if (s.scratch.empty())
        return false;
    const std::string full = FolderPath(path);
    if (Under(s.folder, full) || Under(s.folderReal, full))
        return false;
    return Under(s.scratch, full) || Under(s.scratchReal, full);
}

bool WriteRaw(JournalState& s, const std::string& bytes) {
    if (!os::WriteAt(s.fd, bytes.data(), bytes.size(), s.size))
        return false;
    if (s.unflushedSince == std::chrono::steady_clock::time_point{})
        s.unflushedSince = std::chrono::steady_clock::now();
    s.size += bytes.size();
    s.bytes += bytes.size();
    return true;
}

// REQUIRES: s.active.
bool EnsureOpen(JournalState& s) {
    if (s.fd >= 0)
        return true;
    if (s.token.empty())
        s.token = std::to_string(std::random_device{}());
    s.path = s.scopeFolder + "/Journal-" + HostName() + "-" + std::to_string(getpid()) + "-" + s.token + JournalSuffix;
    RecoveryLock shared(s.scopeFolder, LOCK_SH);
    const int fd = os::OpenFile(s.path, O_RDWR | O_CREAT | O_TRUNC);
    if (fd < 0)
        return false;
    // Locked before the recovery lock goes: recovery never sees it unlocked.
    if (!os::FileLock(fd).Lock(0, 0, os::LockKind::Exclusive, 0)) {
        os::CloseFile(fd);
        unlink(s.path.c_str());
        return false;
    }
    s.fd = fd;
    s.size = 0;
    std::string head(Magic, sizeof Magic);
    if (!s.message.empty())
        head += Encode(Entry{EntryMessage, "", 0, 0, s.message});
    return WriteRaw(s, head);
}

void Discard(JournalState& s, bool remove) {
    if (s.fd >= 0) {
        if (remove)
            unlink(s.path.c_str());  // before the lock goes with the descriptor
        os::CloseFile(s.fd);
        s.fd = -1;
    }
    for (DbfFile* file : s.holders)
        file->releaseScopeHolds();
    s.holders.clear();
    s.entries.clear();
    s.touched.clear();
    s.unflushedSince = {};
    s.message.clear();
    s.size = 0;
    s.active = false;
}

bool flushJournal(JournalState& s) {
    if (s.fd < 0 || s.unflushedSince == std::chrono::steady_clock::time_point{})
        return true;
    if (!os::SyncFile(s.fd))
        return false;
    ++s.flushes;
    s.unflushedSince = {};
    return true;
}

// Writes an undo entry, before the change it undoes. It reaches the disk
// with the scope's end, before any data file is flushed; a scope that runs
// long flushes it as it goes, well before the system writes back pages on
// its own; an emptied table's copy goes to the disk at once.
bool Record(JournalState& s, Entry e, bool flushNow = false) {
    // Scratch tables only: a plain file there (the label queue) outlives documents.
    if (e.kind != EntryLength && IsScratch(s, e.path)) {
        e.inFile = false;
        s.entries.push_back(std::move(e));
        return true;
    }
    if (!EnsureOpen(s))
        return false;
    const std::string stored = e.path;
    e.path = Relative(s, e.path);
    if (!WriteRaw(s, Encode(e)))
        return false;
    e.path = stored;
    if ((flushNow || std::chrono::steady_clock::now() - s.unflushedSince > FlushWithin) && !flushJournal(s))
        return false;
    s.entries.push_back(std::move(e));
    return true;
}

// Takes back every hot journal in folder, adding the message of each
// document to said; false when one could not be taken back. With always,
// the recovery lock is waited for even when no other journal is seen, so a
// recovery under way at another workstation ends first.
bool Recover(const std::string& folder, std::vector<std::string>* said, bool always = false);

void Hold(JournalState& s, DbfFile& file, uint32_t recNo) {
    file.holdForScope(recNo);
    s.holders.insert(&file);
}

}  // namespace

void SetJournalFolder(const std::string& folder) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    s.folder = folder.empty() ? folder : FolderPath(folder);
    s.folderReal = RealFolder(s.folder);
    Unwatch(s);
    stopNotices(s);
}

void SetScratchFolder(const std::string& folder) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    s.scratch = folder.empty() ? folder : FolderPath(folder);
    s.scratchReal = RealFolder(s.scratch);
}

bool ScratchFile(int fd) {
    {
        JournalState& s = state();
        std::lock_guard lock(s.mutex);
        if (s.scratch.empty())
            return false;
    }
    char name[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = readlink(link.c_str(), name, sizeof name - 1);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof name - 1)
        return false;  // not known: taken for a company file
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    return IsScratch(s, std::string(name, static_cast<size_t>(n)));
}

std::string JournalFolder() {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    return s.folder;
}

void SetJournalMessage(const std::string& message) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.active || message == s.message)
        return;
    s.message = message;
    // Written once the journal exists; cut short, the earlier message stands.
    if (s.fd >= 0)
        WriteRaw(s, Encode(Entry{EntryMessage, "", 0, 0, message}));
}

bool JournalBeforeOverwrite(DbfFile& file, uint32_t recNo) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.active || s.undoing)
        return true;
    auto key = std::make_pair(file.path(), recNo);
    if (!s.touched.count(key)) {
        std::string before(static_cast<size_t>(file.recordSize()), ' ');
        if (!file.readRecord(recNo, before.data()))
            return true;  // not in the file: the write is refused on its own
        if (!Record(s, Entry{EntryImage, file.path(), recNo, 0, std::move(before)}))
            return false;
        s.touched.insert(std::move(key));
    }
    Hold(s, file, recNo);
    return true;
}

bool JournalBeforeAppend(DbfFile& file, uint32_t recNo, const char* image) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.active || s.undoing)
        return true;
    if (!Record(s, Entry{EntryAppend, file.path(), recNo, 0, Fingerprint(image, file.recordSize())}))
        return false;
    s.touched.insert(std::make_pair(file.path(), recNo));
    Hold(s, file, recNo);
    return true;
}

bool JournalBeforeZap(DbfFile& file) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.active || s.undoing)
        return true;
    const int fd = os::OpenFile(file.path(), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat st {};
    std::string image;
    bool read = fstat(fd, &st) == 0;
    if (read) {
        image.resize(static_cast<size_t>(st.st_size));
        read = os::ReadAt(fd, image.data(), image.size(), 0);
    }
    os::CloseFile(fd);
    return read && Record(s, Entry{EntryFile, file.path(), 0, image.size(), std::move(image)}, true);
}

bool JournalBeforePlainAppend(const std::string& path, uint64_t length) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.active || s.undoing)
        return true;
    auto key = std::make_pair(path, PlainFileKey);
    if (s.touched.count(key))
        return true;
    if (!Record(s, Entry{EntryLength, path, 0, length, ""}))
        return false;
    s.touched.insert(std::move(key));
    return true;
}

void JournalHold(DbfFile& file, uint32_t recNo) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    Hold(s, file, recNo);
}

void JournalAfterAppend(DbfFile& file, uint32_t recNo) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.active || s.undoing)
        return;
    for (auto e = s.entries.rbegin(); e != s.entries.rend(); ++e) {
        if (e->kind == EntryAppend && e->recNo == recNo && e->path == file.path()) {
            if (!e->inFile) {
                e->length = AppendWritten;
                return;
            }
            if (s.fd < 0)
                return;
            // No flush: until it is on disk recovery tells by the record's bytes.
            if (WriteRaw(s, Encode(Entry{EntryAppended, Relative(s, file.path()), recNo, 0, ""})))
                e->length = AppendWritten;
            return;
        }
    }
}

void JournalForget(DbfFile& file) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    s.holders.erase(&file);
}

void JournalBegin() {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    Discard(s, true);
    s.scopeFolder = s.folder;
    s.active = !s.folder.empty();
}

bool journalToDisk() {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    return flushJournal(s);
}

bool JournalCommit() {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    Discard(s, true);
    return true;
}

bool JournalRollback() {
    JournalState& s = state();
    std::unique_lock lock(s.mutex);
    if (!s.active)
        return true;
    std::vector<Entry> entries = std::move(s.entries);
    s.undoing = true;
    lock.unlock();  // the undo writes through the file layer, which asks here
    std::string failedFile;
    const bool undone = Undo(entries, false, &failedFile);
    lock.lock();
    s.undoing = false;
    // Not undone whole: the journal stays for recovery to try again.
    Discard(s, undone);
    return undone;
}

namespace {

// Whether the journal open as fd holds an undo entry for the record (its
// file named as journals name it).
bool Names(int fd, const std::string& file, uint32_t recNo) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    std::string data(static_cast<size_t>(st.st_size), '\0');
    if (!os::ReadAt(fd, data.data(), data.size(), 0))
        return false;
    for (const Entry& e : Decode(data))
        if ((e.kind == EntryImage || e.kind == EntryAppend) && e.recNo == recNo && e.path == file)
            return true;
    return false;
}

}  // namespace

bool JournalSettled(const DbfFile& file, uint32_t recNo) {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.undoing)
        return true;
    // Outside a scope too: a document re-reads what it depends on under
    // locks it takes before its scope begins.
    const std::string folder = s.active ? s.scopeFolder : s.folder;
    if (folder.empty())
        return true;
    bool noticed = true;
    const bool come = journalMayHaveCome(s, folder, &noticed);
    struct stat st {};
    if (!noticed && stat(folder.c_str(), &st) != 0)
        return true;
    if (noticed ? come
                : st.st_mtim.tv_sec != s.folderTime.tv_sec || st.st_mtim.tv_nsec != s.folderTime.tv_nsec) {
        std::map<std::string, int> now;
        for (const std::string& path : JournalNames(folder)) {
            if (s.fd >= 0 && path == s.path)
                continue;
            auto known = s.watched.find(path);
            if (known != s.watched.end() && !Removed(known->second)) {
                now.insert(*known);
                s.watched.erase(known);
            } else if (const int fd = os::OpenFile(path, O_RDONLY); fd >= 0) {
                now.emplace(path, fd);
            }
        }
        Unwatch(s);
        s.watched = std::move(now);
        // The folder's time moves in coarse steps: a journal made within
        // the step just read leaves it as it is, so a time that recent
        // does not spare the next look.
        struct timespec clock {};
        clock_gettime(CLOCK_REALTIME, &clock);
        if (!noticed && clock.tv_sec - st.st_mtim.tv_sec > 1)
            s.folderTime = st.st_mtim;
    }
    // A journal nobody holds locked is a writer that stopped. One held
    // locked is a writer at work, which never lets go of a record it changed
    // before its journal is gone. So one that names this record is held by a
    // writer whose locks are going as it dies (the system may let the
    // record's go first), or by a recovery taking it back: either must end
    // before the record is read.
    const std::string name = Relative(folder, file.path());
    for (const auto& [path, fd] : s.watched) {
        if (Removed(fd))
            continue;
        if (!os::FileLock(fd).LockedByOther(0, 0, os::LockKind::Shared) || Names(fd, name, recNo))
            return false;
    }
    return true;
}

bool JournalTakeBack() {
    std::string folder;
    {
        JournalState& s = state();
        std::lock_guard lock(s.mutex);
        folder = s.active ? s.scopeFolder : s.folder;
    }
    if (folder.empty())
        return true;
    // Waits for a recovery under way at another workstation to end.
    std::vector<std::string> messages;
    const bool whole = Recover(folder, &messages, true);
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    s.recovered.insert(s.recovered.end(), messages.begin(), messages.end());
    return whole;
}

std::vector<std::string> TakeRecoveryMessages() {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    return std::exchange(s.recovered, {});
}

uint64_t JournalBytes() {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    return s.bytes;
}

uint64_t JournalFlushes() {
    JournalState& s = state();
    std::lock_guard lock(s.mutex);
    return s.flushes;
}

std::vector<std::string> RecoverJournals(const std::string& folder) {
    std::vector<std::string> messages;
    Recover(folder, &messages);
    return messages;
}

namespace {

bool Recover(const std::string& folderPath, std::vector<std::string>* said, bool always) {
    const std::string folder = FolderPath(folderPath);
    std::vector<std::string>& messages = *said;
    bool whole = true;
    auto journals = [&folder] { return JournalNames(folder); };
    const std::string own = [] {
        JournalState& s = state();
        std::lock_guard lock(s.mutex);
        return s.fd >= 0 ? s.path : std::string();
    }();
    auto candidates = journals();
    candidates.erase(std::remove(candidates.begin(), candidates.end(), own), candidates.end());
    if (candidates.empty() && !always)
        return true;  // the common case costs one look at the folder
    RecoveryLock exclusive(folder, LOCK_EX);
    for (const std::string& path : journals()) {
        if (path == own)
            continue;
        const int fd = os::OpenFile(path, O_RDWR);
        if (fd < 0)
            continue;
        struct stat held {}, named {};
        // Locked: its writer is at work. Removed: committed meanwhile; the
        // name may by now be that writer's next journal, even on the same
        // inode number, so the file opened must itself be still linked.
        if (!os::FileLock(fd).Lock(0, 0, os::LockKind::Exclusive, 0) || fstat(fd, &held) != 0 ||
            held.st_nlink == 0 || stat(path.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
            held.st_dev != named.st_dev) {
            os::CloseFile(fd);
            continue;
        }
        std::string data(static_cast<size_t>(held.st_size), '\0');
        const bool read = os::ReadAt(fd, data.data(), data.size(), 0);
        std::vector<Entry> entries = read ? Decode(data) : std::vector<Entry>{};
        std::string message;
        std::vector<Entry> undo;
        for (Entry& e : entries) {
            if (e.kind == EntryMessage) {
                message = e.bytes;
                continue;
            }
            e.path = Absolute(folder, e.path);
            if (e.kind == EntryAppended) {
                for (auto a = undo.rbegin(); a != undo.rend(); ++a)
                    if (a->kind == EntryAppend && a->recNo == e.recNo && a->path == e.path) {
                        a->length = AppendWritten;
                        break;
                    }
                continue;
            }
            undo.push_back(std::move(e));
        }
        std::string failedFile;
        // What recovery writes back is no change of a scope open here.
        {
            std::lock_guard lock(state().mutex);
            state().undoing = true;
        }
        const bool undone = read && Undo(undo, true, &failedFile);
        {
            std::lock_guard lock(state().mutex);
            state().undoing = false;
        }
        if (undone) {
            unlink(path.c_str());
            if (!undo.empty())
                messages.push_back(message.empty() ? UnnamedMessage : message);
        } else {
            whole = false;
            messages.push_back("A document left unfinished when the program stopped could not be taken back yet: " +
                               (failedFile.empty() ? path : failedFile) +
                               " could not be written. It will be tried again at the next start.");
        }
        os::CloseFile(fd);
    }
    return whole;
}

}  // namespace

}  // namespace xb
