#include "fts/PageFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <new>

#include "fts/Results.h"
#include "os/FileLock.h"
#include "os/Paths.h"

namespace fts {

namespace {

constexpr char Magic[8] = {'Q', 'M', 'F', 'T', 'S', 'I', 'A', '1'};
constexpr uint32_t Version = 1;
constexpr uint32_t StateClean = 0;
constexpr uint32_t StateUpdating = 1;

// Lock bytes far beyond any real file size.
constexpr uint64_t WriterLockAt = uint64_t(1) << 40;
constexpr uint64_t CommitLockAt = WriterLockAt + 1;

uint32_t checksum(const uint8_t* page) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ Load32(page + 4);
    for (uint32_t i = 8; i < PageSize; i += 8) {
        h ^= Load64(page + i);
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    return static_cast<uint32_t>(h ^ (h >> 32));
}

void seal(uint8_t* page) { Store32(page, checksum(page)); }

bool readFully(int fd, uint8_t* buffer, size_t size, uint64_t offset) {
    while (size > 0) {
        ssize_t n = pread(fd, buffer, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

void serialize(const Header& h, uint32_t state, uint8_t* page) {
    std::memset(page, 0, PageSize);
    page[4] = static_cast<uint8_t>(PageType::Header);
    std::memcpy(page + 8, Magic, 8);
    Store32(page + 16, Version);
    Store32(page + 20, PageSize);
    Store32(page + 24, h.pageCount);
    Store32(page + 28, state);
    Store64(page + 32, h.changeCount);
    Store32(page + 40, h.positionCount);
    Store32(page + 44, h.liveCount);
    Store32(page + 48, h.dirRoot);
    Store32(page + 52, h.dirHeight);
    Store32(page + 56, h.wordCount);
    Store32(page + 60, h.freeBlocks[0]);
    Store32(page + 64, h.freeBlocks[1]);
    Store32(page + 68, h.keyPage);
    Store32(page + 72, h.keyUsed);
    Store32(page + 76, h.mapPageCount);
    for (uint32_t i = 0; i < h.mapPageCount; ++i) Store32(page + HeaderMapOffset + 4 * i, h.mapPages[i]);
    seal(page);
}

// Reads and checks the header; the file's size must match its page count.
Header readHeader(int fd) {
    alignas(8) uint8_t page[PageSize];
    struct stat st {};
    if (fstat(fd, &st) != 0) throw Failure(FtsErrIo);
    if (static_cast<uint64_t>(st.st_size) < PageSize || !readFully(fd, page, PageSize, 0))
        throw Failure(FtsErrDamaged);
    if (Load32(page) != checksum(page) || page[4] != static_cast<uint8_t>(PageType::Header) ||
        std::memcmp(page + 8, Magic, 8) != 0 || Load32(page + 16) != Version ||
        Load32(page + 20) != PageSize || Load32(page + 28) != StateClean)
        throw Failure(FtsErrDamaged);
    Header h;
    h.pageCount = Load32(page + 24);
    h.changeCount = Load64(page + 32);
    h.positionCount = Load32(page + 40);
    h.liveCount = Load32(page + 44);
    h.dirRoot = Load32(page + 48);
    h.dirHeight = Load32(page + 52);
    h.wordCount = Load32(page + 56);
    h.freeBlocks[0] = Load32(page + 60);
    h.freeBlocks[1] = Load32(page + 64);
    h.keyPage = Load32(page + 68);
    h.keyUsed = Load32(page + 72);
    h.mapPageCount = Load32(page + 76);
    if (h.pageCount == 0 || h.pageCount > MaxPages ||
        static_cast<uint64_t>(st.st_size) != uint64_t(h.pageCount) * PageSize ||
        h.mapPageCount > MaxMapPages || h.liveCount > h.positionCount || h.keyUsed > PageSize ||
        (h.dirRoot == 0) != (h.dirHeight == 0) || h.dirHeight > 32 ||
        // every position has its eight bytes in some table page of the file
        uint64_t(h.positionCount) * 8 > uint64_t(h.pageCount) * PageSize)
        throw Failure(FtsErrDamaged);
    for (uint32_t i = 0; i < h.mapPageCount; ++i) h.mapPages[i] = Load32(page + HeaderMapOffset + 4 * i);
    return h;
}

void syncData(int fd) {
    if (fdatasync(fd) != 0) throw Failure(FtsErrIo);
}

}  // namespace

std::unique_ptr<PageFile> PageFile::Open(const std::string& path) {
    const std::string mapped = os::MapPath(path);
    int fd = ::open(mapped.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fd = ::open(mapped.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Failure(FtsErrNoFile);
    std::unique_ptr<PageFile> file(new PageFile(fd, mapped));
    ReadScope check(*file);
    return file;
}

std::unique_ptr<PageFile> PageFile::Create(const std::string& path) {
    static std::atomic<unsigned> serial{0};
    const std::string mapped = os::MapPath(path);
    // Built beside the old file and renamed over it, so nobody ever opens a
    // half-made index.
    const std::string temp =
        mapped + ".new" + std::to_string(getpid()) + "-" + std::to_string(serial.fetch_add(1));
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) throw Failure(FtsErrNoFile);
    std::unique_ptr<PageFile> file(new PageFile(fd, mapped));
    try {
        if (!os::FileLock(fd).Lock(WriterLockAt, 1, os::LockKind::Exclusive, 0)) throw Failure(FtsErrIo);
        file->writeHeader(false);
        syncData(fd);
        if (::rename(temp.c_str(), mapped.c_str()) != 0) throw Failure(FtsErrNoFile);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    file->writing_ = true;
    file->haveHeader_ = true;
    return file;
}

PageFile::~PageFile() {
    if (fd_ >= 0) ::close(fd_);
}

PageFile::ReadScope::ReadScope(PageFile& file) : file_(file) {
    if (file_.writing_) return;
    if (!os::FileLock(file_.fd_).Lock(CommitLockAt, 1, os::LockKind::Shared, LockTimeoutMs))
        throw Failure(FtsErrLocked);
    locked_ = true;
    try {
        file_.refresh();
    } catch (...) {
        os::FileLock(file_.fd_).Unlock(CommitLockAt, 1);
        throw;
    }
}

PageFile::ReadScope::~ReadScope() {
    if (locked_) os::FileLock(file_.fd_).Unlock(CommitLockAt, 1);
}

void PageFile::refresh() {
    Header fresh = readHeader(fd_);
    if (!haveHeader_ || fresh.changeCount != header_.changeCount || fresh.pageCount != header_.pageCount)
        dropCache();
    header_ = fresh;
    haveHeader_ = true;
}

void PageFile::BeginWrite() {
    if (writing_) return;
    os::FileLock lock(fd_);
    if (!lock.Lock(WriterLockAt, 1, os::LockKind::Exclusive, LockTimeoutMs)) {
        // A descriptor opened read-only cannot take the lock at all.
        throw Failure((fcntl(fd_, F_GETFL) & O_ACCMODE) == O_RDONLY ? FtsErrIo : FtsErrLocked);
    }
    try {
        refresh();
    } catch (...) {
        lock.Unlock(WriterLockAt, 1);
        throw;
    }
    writing_ = true;
}

void PageFile::Commit() {
    if (!writing_) return;
    if (dirty_.empty()) {
        releaseWriter();
        return;
    }
    os::FileLock lock(fd_);
    if (!lock.Lock(CommitLockAt, 1, os::LockKind::Exclusive, LockTimeoutMs)) {
        Abandon();
        throw Failure(FtsErrLocked);
    }
    try {
        writeHeader(true);
        syncData(fd_);
        writeDirtyPages();
        syncData(fd_);
        ++header_.changeCount;
        writeHeader(false);
    } catch (...) {
        // What reached the file is marked "updating" and fails every open
        // until the index is made anew.
        lock.Unlock(CommitLockAt, 1);
        Abandon();
        throw;
    }
    lock.Unlock(CommitLockAt, 1);
    releaseWriter();
}

void PageFile::Abandon() {
    dropCache();
    ++cacheGeneration_;
    dirty_.clear();
    haveHeader_ = false;
    if (writing_) releaseWriter();
}

void PageFile::releaseWriter() {
    os::FileLock(fd_).Unlock(WriterLockAt, 1);
    writing_ = false;
}

void PageFile::writePage(uint32_t page, const uint8_t* bytes) {
    uint64_t offset = uint64_t(page) * PageSize;
    size_t left = PageSize;
    while (left > 0) {
        ssize_t n = pwrite(fd_, bytes, left, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Failure(FtsErrIo);
        bytes += n;
        left -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
}

// Seals and writes the changed pages, each run of neighbouring pages in one
// call: a new index is one long run.
void PageFile::writeDirtyPages() {
    std::sort(dirty_.begin(), dirty_.end());
    std::vector<iovec> parts;
    for (size_t at = 0; at < dirty_.size();) {
        const uint32_t first = dirty_[at];
        parts.clear();
        do {
            CachedPage& cached = cache_[dirty_[at]];
            seal(cached.bytes);
            cached.dirty = false;
            parts.push_back({cached.bytes, PageSize});
            ++at;
        } while (at < dirty_.size() && dirty_[at] == first + parts.size() && parts.size() < IOV_MAX);
        ssize_t n;
        do {
            n = pwritev(fd_, parts.data(), static_cast<int>(parts.size()),
                        static_cast<off_t>(uint64_t(first) * PageSize));
        } while (n < 0 && errno == EINTR);
        if (n <= 0) throw Failure(FtsErrIo);
        // A short write: the pages not wholly written go one by one.
        for (size_t i = static_cast<size_t>(n) / PageSize; i < parts.size(); ++i)
            writePage(first + static_cast<uint32_t>(i), static_cast<const uint8_t*>(parts[i].iov_base));
    }
    dirty_.clear();
}

void PageFile::writeHeader(bool updating) {
    alignas(8) uint8_t page[PageSize];
    serialize(header_, updating ? StateUpdating : StateClean, page);
    writePage(0, page);
}

namespace {
constexpr size_t FirstSlabPages = 16;
constexpr size_t HugePageSize = size_t(2) << 20;
constexpr size_t LargestSlabPages = HugePageSize / PageSize;
}  // namespace

uint8_t* PageFile::newPage() {
    if (slabs_.empty() || slabUsed_ == slabPages_) {
        // Each slab twice the last, up to one huge page.
        slabPages_ = slabs_.empty() ? FirstSlabPages : std::min(slabPages_ * 2, LargestSlabPages);
        const size_t bytes = slabPages_ * PageSize;
        void* memory = std::aligned_alloc(bytes == HugePageSize ? HugePageSize : PageSize, bytes);
        if (!memory) throw std::bad_alloc();
        if (bytes == HugePageSize) madvise(memory, bytes, MADV_HUGEPAGE);
        slabs_.emplace_back(static_cast<uint8_t*>(memory));
        slabUsed_ = 0;
    }
    return slabs_.back().get() + PageSize * slabUsed_++;
}

void PageFile::dropCache() {
    cache_.clear();
    slabs_.clear();
    slabPages_ = slabUsed_ = 0;
}

PageFile::CachedPage& PageFile::load(uint32_t page) {
    if (page == 0 || page >= header_.pageCount) throw Failure(FtsErrDamaged);
    if (cache_.size() < header_.pageCount) cache_.resize(header_.pageCount);
    CachedPage& slot = cache_[page];
    if (!slot.bytes) {
        uint8_t* fresh = newPage();
        if (!readFully(fd_, fresh, PageSize, uint64_t(page) * PageSize) || Load32(fresh) != checksum(fresh)) {
            --slabUsed_;  // the page is the slab's last: give it back
            throw Failure(FtsErrDamaged);
        }
        slot = {fresh, false};
    }
    return slot;
}

const uint8_t* PageFile::Read(uint32_t page, PageType type) {
    CachedPage& cached = load(page);
    if (cached.bytes[4] != static_cast<uint8_t>(type)) throw Failure(FtsErrDamaged);
    return cached.bytes;
}

uint8_t* PageFile::Modify(uint32_t page, PageType type) {
    Read(page, type);
    CachedPage& cached = cache_[page];
    if (!cached.dirty) {
        cached.dirty = true;
        dirty_.push_back(page);
    }
    return cached.bytes;
}

uint8_t* PageFile::Allocate(PageType type, uint32_t& page) {
    if (header_.pageCount >= MaxPages) throw Failure(FtsErrFull);
    page = header_.pageCount++;
    if (cache_.size() < header_.pageCount) cache_.resize(std::max<size_t>(header_.pageCount, cache_.size() * 2));
    uint8_t* fresh = newPage();
    std::memset(fresh, 0, PageSize);
    fresh[4] = static_cast<uint8_t>(type);
    dirty_.push_back(page);
    cache_[page] = {fresh, true};
    return fresh;
}

}  // namespace fts
