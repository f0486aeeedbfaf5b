#include "xbengine/DbfFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <thread>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>
#include <set>

#include "os/FileIo.h"
#include "os/FileLock.h"
#include "os/MappedCopy.h"
#include "xbengine/DurableScope.h"
#include "xbengine/FieldValue.h"
#include "xbengine/Journal.h"

namespace xb {

namespace {

constexpr int HeaderBytes = 32;
constexpr int DescriptorBytes = 32;
constexpr char Terminator = 0x0D;
constexpr char EndOfFile = 0x1A;
constexpr uint32_t MaxRecords = 0xFFFFFFFEu;
constexpr size_t MaxFields = 1023;
constexpr uint64_t ChangeStampOffset = 16;
constexpr size_t HeaderPage = 4096;
// The change stamp's top 16 bits count the writers at work on a record; the
// rest changes with every write.
constexpr uint64_t WriterInStamp = uint64_t(1) << 48;
bool writerAt(uint64_t stamp) { return stamp >= WriterInStamp; }
// Copies of a record taken while a writer is counted before two equal ones
// settle it (the count of a writer that died stays).
constexpr int SettleTries = 8;

static_assert(std::endian::native == std::endian::little, "the count is stored in place");

uint32_t ReadLe32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ReadLe16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void WriteLe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void WriteLe16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

// Date of last update and record count, bytes 1..7 of the header.
void FillUpdateStamp(unsigned char* p, uint32_t count) {
    // The local date, worked out again only when the second changes.
    static std::time_t stampTime = -1;
    static unsigned char stampDate[3];
    std::time_t now = std::time(nullptr);
    if (now != stampTime) {
        std::tm local{};
        localtime_r(&now, &local);
        stampDate[0] = static_cast<unsigned char>(local.tm_year);
        stampDate[1] = static_cast<unsigned char>(local.tm_mon + 1);
        stampDate[2] = static_cast<unsigned char>(local.tm_mday);
        stampTime = now;
    }
    std::memcpy(p, stampDate, 3);
    WriteLe32(p + 3, count);
}

bool KnownVersion(uint8_t v) {
    static const uint8_t known[] = {0x02, 0x03, 0x04, 0x05, 0x06, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83,
                                    0x86, 0x8B, 0x8E, 0xCB, 0xE5, 0xE6, 0xF5, 0xF6, 0xFB};
    return std::find(std::begin(known), std::end(known), v) != std::end(known);
}

bool ValidFieldName(const std::string& name) {
    if (name.empty() || name.size() > 10)
        return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0])) && name[0] != '_')
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// A mapping reaches this far past the file's end, so a table growing by a
// record at a time is not mapped again for each one.
constexpr uint64_t MapGrowth = 1 << 20;

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

DbfFile::~DbfFile() {
    JournalForget(*this);
    writeAppended();
    unmapFile();
    if (stampMap_)
        munmap(stampMap_, HeaderPage);
    if (fd_ >= 0)
        os::CloseFile(fd_);  // releases every lock of this open
}

std::unique_ptr<DbfFile> DbfFile::Open(const std::string& path, OpenMode mode, DbfStatus* status) {
    std::unique_ptr<DbfFile> file(new DbfFile);
    file->path_ = path;
    file->mode_ = mode;
    int flags = (mode == OpenMode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    file->fd_ = os::OpenFile(path, flags);
    if (file->fd_ < 0) {
        *status = DbfStatus::NotFound;
        return nullptr;
    }
    struct stat info;
    if (fstat(file->fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        *status = DbfStatus::NotFound;
        return nullptr;
    }
    // Shared opens hold a shared lock on the open region, exclusive opens an
    // exclusive one, so each kind keeps the other out (also within this process).
    os::LockKind kind = mode == OpenMode::Exclusive ? os::LockKind::Exclusive : os::LockKind::Shared;
    if (!os::FileLock(file->fd_).Lock(OpenLockOffset, 1, kind, 0)) {
        *status = DbfStatus::InUse;
        return nullptr;
    }
    if (!file->readHeader(status))
        return nullptr;
    const bool coherent = os::onLocalFileSystem(file->fd_);
    file->mappable_ = coherent;
    file->mapFile();
    // Alone with the table: a writer counted in its stamp died at work.
    uint64_t stamp = 0;
    if (!file->shared() && !file->readOnly() && file->readBytes(ChangeStampOffset, sizeof stamp, &stamp) &&
        writerAt(stamp)) {
        stamp %= WriterInStamp;
        WriteAt(file->fd_, &stamp, sizeof stamp, ChangeStampOffset);
    }
    if (file->shared() && !file->readOnly() && coherent) {
        void* map = mmap(nullptr, HeaderPage, PROT_READ | PROT_WRITE, MAP_SHARED, file->fd_, 0);
        if (map != MAP_FAILED)
            file->stampMap_ = static_cast<char*>(map);
    }
    *status = DbfStatus::Ok;
    return file;
}

void DbfFile::mapFile() {
    if (!mappable_ || knownFileSize_ <= mapSize_)
        return;
    // With room to grow: the pages past the end become readable as the file
    // grows into them, so the records appended since are read in place.
    const uint64_t size = knownFileSize_ + MapGrowth;
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd_, 0);
    if (map == MAP_FAILED)
        return;  // reads go to the file
    unmapFile();
    map_ = static_cast<const char*>(map);
    mapSize_ = size;
}

void DbfFile::unmapFile() {
    if (map_)
        munmap(const_cast<char*>(map_), mapSize_);
    map_ = nullptr;
    mapSize_ = 0;
}

const char* DbfFile::mapped(uint64_t offset, size_t n) {
    // Only bytes the file is known to hold: the room past its end is no file's yet.
    if (offset + n > knownFileSize_)
        return nullptr;
    if (offset + n > mapSize_) {
        mapFile();  // grown past the room: mapped again
        if (offset + n > mapSize_)
            return nullptr;
    }
    return map_ + offset;
}

bool DbfFile::readBytes(uint64_t offset, size_t n, void* into) {
    if (const char* at = mapped(offset, n)) {
        if (os::CopyFromMapping(into, at, n))
            return true;
        fileShrank();
    }
    return ReadAt(fd_, into, n, offset);
}

void DbfFile::fileShrank() {
    unmapFile();
    struct stat info;
    knownFileSize_ = fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    mapFile();
}

bool DbfFile::readHeader(DbfStatus* status) {
    *status = DbfStatus::Damaged;
    struct stat info;
    if (fstat(fd_, &info) != 0)
        return false;
    knownFileSize_ = static_cast<uint64_t>(info.st_size);
    unsigned char head[HeaderBytes];
    if (knownFileSize_ < HeaderBytes + 1 || !ReadAt(fd_, head, HeaderBytes, 0))
        return false;
    version_ = head[0];
    headerSize_ = ReadLe16(head + 8);
    recordSize_ = ReadLe16(head + 10);
    if (!KnownVersion(version_) || headerSize_ < HeaderBytes + DescriptorBytes ||
        static_cast<uint64_t>(headerSize_) > knownFileSize_ || recordSize_ < 2)
        return false;

    std::vector<unsigned char> descriptors(headerSize_ - HeaderBytes);
    if (!ReadAt(fd_, descriptors.data(), descriptors.size(), HeaderBytes))
        return false;
    int offset = 1;  // after the deletion flag
    for (size_t at = 0; at + DescriptorBytes <= descriptors.size(); at += DescriptorBytes) {
        const unsigned char* d = descriptors.data() + at;
        if (d[0] == static_cast<unsigned char>(Terminator))
            break;
        FieldInfo field;
        field.name.assign(reinterpret_cast<const char*>(d), strnlen(reinterpret_cast<const char*>(d), 11));
        field.type = static_cast<char>(std::toupper(d[11]));
        field.width = d[16];
        field.decimals = d[17];
        if (field.type == 'C' && field.decimals > 0) {  // long character fields keep the high byte here
            field.width += field.decimals * 256;
            field.decimals = 0;
        }
        field.offset = offset;
        if (field.name.empty() || field.width <= 0 || fields_.size() >= MaxFields)
            return false;
        offset += field.width;
        fields_.push_back(field);
    }
    if (fields_.empty() || offset > recordSize_)
        return false;
    count_ = countFromHeader();
    *status = DbfStatus::Ok;
    return true;
}

bool DbfFile::hasMemoFields() const {
    return std::any_of(fields_.begin(), fields_.end(), IsMemoField);
}

uint64_t DbfFile::recordOffset(uint32_t recNo) const {
    return static_cast<uint64_t>(headerSize_) + static_cast<uint64_t>(recNo - 1) * recordSize_;
}

void DbfFile::prefetchRecord(uint32_t recNo) const {
    if (!map_ || recNo == 0)
        return;
    const uint64_t at = recordOffset(recNo);
    // A prefetch never faults, but stays within the mapping all the same.
    if (at + static_cast<uint64_t>(recordSize_) <= knownFileSize_)
        __builtin_prefetch(map_ + at);
}

uint32_t DbfFile::countFromHeader() {
    unsigned char raw[4];
    if (!readBytes(4, 4, raw))
        return 0;
    uint32_t count = ReadLe32(raw);
    // A count the file cannot hold (a damaged header) is cut to the records
    // that are really there.
    if (recordOffset(count) + recordSize_ > knownFileSize_ && count > 0) {
        struct stat info;
        if (fstat(fd_, &info) == 0)
            knownFileSize_ = static_cast<uint64_t>(info.st_size);
        if (recordOffset(count) + recordSize_ > knownFileSize_) {
            uint64_t room = knownFileSize_ > static_cast<uint64_t>(headerSize_) ? knownFileSize_ - headerSize_ : 0;
            count = static_cast<uint32_t>(std::min<uint64_t>(room / recordSize_, MaxRecords));
        }
    }
    return count;
}

uint32_t DbfFile::recordCount() {
    if (shared()) {
        // The count is written as any write of the file, which a reader at
        // that moment may see part of: a count read higher than the file
        // holds is cut to its records, and one lower than seen before (a
        // table the engine lets only grow) is read again.
        const uint32_t count = countFromHeader();
        count_ = count < count_ ? countFromHeader() : count;
    }
    return count_;
}

bool DbfFile::readRecordAs(uint32_t recNo, char* buf, bool alone) {
    if (recNo == 0)
        return false;
    if (appendPending_) {
        if (heldBack(recNo)) {
            std::memcpy(buf, heldRecord(recNo), recordSize_);
            return true;
        }
        if (!writeAppended())
            return false;
    }
    if (recNo > count_ && (!shared() || recNo > recordCount()))
        return false;
    // Reading the same record again (in shared use each copy of it is read
    // anew) neither breaks nor extends a walk.
    if (recNo != lastRead_)
        inRow_ = recNo == lastRead_ + 1 && !alone ? inRow_ + 1 : 1;
    lastRead_ = recNo;
    // A walk through the records reads on ahead. Two neighbours alone are
    // common in scattered reads and would not pay for the block.
    const bool walking = inRow_ >= AheadAfterInRow;
    if (!shared())
        return fetchRecord(recNo, buf, walking, true, 0);
    // Another workstation may be writing the record while it is copied.
    // Writers are counted in the stamp from before their write until after
    // it, and the stamp changes then: a copy is whole when no writer was
    // counted and the stamp was the same on both sides. The count of a
    // writer that died is settled by two equal copies.
    for (int tries = 0;; ++tries) {
        uint64_t before = 0, after = 0;
        if (!readStamp(&before))
            return fetchRecord(recNo, buf, false, false, 0);  // a network share: read from the file
        if (!fetchRecord(recNo, buf, walking, !writerAt(before), before))
            return false;
        std::atomic_thread_fence(std::memory_order_acquire);  // the copy is read before the second stamp
        if (readStamp(&after) && after == before &&
            (!writerAt(before) || (tries >= SettleTries && sameAgain(recNo, buf))))
            return true;
        if (tries >= SettleTries)
            std::this_thread::yield();
    }
}

bool DbfFile::sameAgain(uint32_t recNo, const char* buf) {
    std::string again(static_cast<size_t>(recordSize_), '\0');
    return readBytes(recordOffset(recNo), recordSize_, again.data()) &&
           std::memcmp(again.data(), buf, recordSize_) == 0;
}

bool DbfFile::fetchRecord(uint32_t recNo, char* buf, bool walking, bool blockAllowed, uint64_t stamp) {
    // In shared use a block is served only while the stamp is the one read
    // before it: someone wrote a record since, and it is read again.
    bool inBlock = blockAllowed && recNo >= aheadFirst_ && recNo - aheadFirst_ < aheadCount_ &&
                   (!shared() || stamp == aheadStamp_);
    if (blockAllowed && !inBlock && walking) {
        const uint32_t perBlock = std::max<uint32_t>(1, 64 * 1024 / static_cast<uint32_t>(recordSize_));
        const uint32_t n = std::min(perBlock, count_ - recNo + 1);
        ahead_.resize(static_cast<size_t>(n) * recordSize_);
        aheadCount_ = 0;
        if (ReadAt(fd_, ahead_.data(), ahead_.size(), recordOffset(recNo))) {
            aheadFirst_ = recNo;
            aheadCount_ = n;
            aheadStamp_ = stamp;  // read before the block: a write during the read shows
            inBlock = true;
        }
    }
    if (inBlock) {
        std::memcpy(buf, ahead_.data() + static_cast<size_t>(recNo - aheadFirst_) * recordSize_, recordSize_);
        return true;
    }
    if (!readBytes(recordOffset(recNo), recordSize_, buf))
        return false;
    // Past the end of a file cut short, the rest of its last page reads as
    // zeros through the mapping. A record that starts or ends with a zero
    // byte is rare enough to be checked against the file's size.
    if (map_ && (buf[0] == 0 || buf[recordSize_ - 1] == 0)) {
        struct stat info;
        if (fstat(fd_, &info) != 0 || recordOffset(recNo) + recordSize_ > static_cast<uint64_t>(info.st_size)) {
            fileShrank();
            return false;
        }
    }
    return true;
}

uint32_t DbfFile::readRecords(uint32_t first, uint32_t n, char* buf) {
    if (!writeAppended())
        return 0;
    uint32_t count = shared() ? recordCount() : count_;
    if (first == 0 || first > count)
        return 0;
    n = std::min(n, count - first + 1);
    return ReadAt(fd_, buf, static_cast<size_t>(n) * recordSize_, recordOffset(first)) ? n : 0;
}

bool DbfFile::writeRecord(uint32_t recNo, const char* buf) {
    return writeRecordPart(recNo, 0, recordSize_, buf);
}

bool DbfFile::writeRecordPart(uint32_t recNo, int offset, int length, const char* bytes) {
    if (readOnly() || recNo == 0 || offset < 0 || length < 0 || offset + length > recordSize_)
        return false;
    if (recNo > count_ && (!shared() || recNo > recordCount()))
        return false;
    if (!JournalBeforeOverwrite(*this, recNo))
        return false;
    if (heldBack(recNo)) {
        std::memcpy(heldRecord(recNo) + offset, bytes, length);
        return shared() ? writeAppended() : true;
    }
    if (!writeAppended())
        return false;
    unflushed_ = true;
    const uint64_t at = recordOffset(recNo) + offset;
    // Bytes written as they stand change nothing a reader holds, and the
    // file stays as it was.
    const bool same = shared() && storedAs(at, bytes, length);
    // This writer is counted in the stamp while the bytes go in, so no
    // reader takes a copy made meanwhile for whole.
    if (!same && !raiseStamp(true))
        return false;
    const bool written = WriteAt(fd_, bytes, length, at);
    // Also after a failed write: part of it may be in the file. A stamp not
    // raised fails the write: readers would go on serving what it changed.
    const bool told = same || raiseStamp(false);
    if (!written)
        return false;
    if (recNo >= aheadFirst_ && recNo - aheadFirst_ < aheadCount_)
        std::memcpy(ahead_.data() + static_cast<size_t>(recNo - aheadFirst_) * recordSize_ + offset, bytes, length);
    return told;
}

// In shared use the append lock is the lock of the record slot after the
// last record: whoever holds it may write that record and the header count,
// and keeps it as the new record's lock. Another appender that finds the slot
// taken waits until the count moves on, then takes the next slot.
bool DbfFile::reserveSlot(int lockTimeoutMs, uint32_t* slot, int* refusal) {
    os::FileLock lock(fd_);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(lockTimeoutMs, 0));
    auto pause = std::chrono::microseconds(50);
    for (;;) {
        uint32_t count = countFromHeader();
        if (count >= MaxRecords) {
            *refusal = AppendTableFull;
            return false;
        }
        uint32_t next = count + 1;
        if (lock.Lock(RecordLockBase + next, 1, os::LockKind::Exclusive, 0)) {
            if (countFromHeader() == count) {
                *slot = next;
                return true;
            }
            lock.Unlock(RecordLockBase + next, 1);  // someone appended meanwhile
            continue;
        }
        if (countFromHeader() != count)
            continue;
        auto now = Clock::now();
        if (now >= deadline) {
            // Nobody holding the slot means the system refused the lock itself.
            bool held = lock.LockedByOther(RecordLockBase + next, 1, os::LockKind::Exclusive);
            *refusal = held ? AppendLockTimeout : AppendRecordLock;
            return false;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::microseconds(5000));
    }
}

bool DbfFile::holdAppendLock(int timeoutMs) {
    if (readOnly())
        return false;
    if (!shared() || appendLockHeld_)
        return true;
    // Holders keep it for one new record at a time and then take it again:
    // short polls let a waiting user in between.
    os::FileLock lock(fd_);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    auto pause = std::chrono::microseconds(50);
    while (!lock.Lock(AppendLockOffset, 1, os::LockKind::Exclusive, 0)) {
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::microseconds(1000));
    }
    appendLockHeld_ = true;
    return true;
}

void DbfFile::releaseAppendLock() {
    if (!appendLockHeld_)
        return;
    os::FileLock(fd_).Unlock(AppendLockOffset, 1);
    appendLockHeld_ = false;
}

int DbfFile::appendRecord(const char* buf, int lockTimeoutMs, uint32_t* recNo) {
    if (readOnly())
        return AppendReadOnly;
    if (!shared() || appendLockHeld_)
        return appendUnderLock(buf, lockTimeoutMs, recNo);
    // Not held by a caller: taken for this append alone.
    if (!holdAppendLock(lockTimeoutMs)) {
        bool held = os::FileLock(fd_).LockedByOther(AppendLockOffset, 1, os::LockKind::Exclusive);
        return held ? AppendLockTimeout : AppendRecordLock;
    }
    int result = appendUnderLock(buf, lockTimeoutMs, recNo);
    releaseAppendLock();
    return result;
}

int DbfFile::appendUnderLock(const char* buf, int lockTimeoutMs, uint32_t* recNo) {
    uint32_t newRecNo = 0;
    if (shared()) {
        int refusal = AppendDone;
        if (!reserveSlot(lockTimeoutMs, &newRecNo, &refusal))
            return refusal;
        locks_.emplace(newRecNo, 0);
        if (!JournalBeforeAppend(*this, newRecNo, buf)) {
            unlockRecord(newRecNo);
            return AppendWriteFailed;
        }
    } else {
        constexpr size_t RunBytes = 64 * 1024;
        if (appendImage_.size() + recordSize_ > RunBytes && !writeAppended())
            return AppendWriteFailed;
        if (count_ >= MaxRecords)
            return AppendTableFull;
        newRecNo = count_ + 1;
        if (!JournalBeforeAppend(*this, newRecNo, buf))
            return AppendWriteFailed;
    }
    // The new record goes in place of the end-of-file byte, which follows it.
    const size_t at = static_cast<size_t>(appendPending_) * recordSize_;
    appendImage_.resize(at + recordSize_ + 1);
    std::memcpy(appendImage_.data() + at, buf, recordSize_);
    appendImage_[at + recordSize_] = EndOfFile;
    count_ = newRecNo;
    ++appendPending_;
    if (shared() && !writeAppended()) {
        unlockRecord(newRecNo);
        return AppendWriteFailed;
    }
    // Exclusive use: nobody else appends, so the slot is this record's.
    JournalAfterAppend(*this, newRecNo);
    *recNo = newRecNo;
    return AppendDone;
}

bool DbfFile::writeAppended() {
    if (!appendPending_)
        return true;
    const uint32_t first = count_ - appendPending_ + 1;
    appendPending_ = 0;
    // The records first, then the count that makes them visible: a crash
    // between the two leaves the table as it was.
    const uint64_t at = recordOffset(first);
    unflushed_ = true;
    const bool written = WriteAt(fd_, appendImage_.data(), appendImage_.size(), at) && writeStamp(count_);
    appendImage_.clear();
    if (!written) {
        count_ = first - 1;
        return false;
    }
    knownFileSize_ = std::max(knownFileSize_, recordOffset(count_) + recordSize_ + 1);
    return true;
}

bool DbfFile::readStamp(uint64_t* stamp) const {
    return map_ && os::LoadFromMapping(reinterpret_cast<const uint64_t*>(map_ + ChangeStampOffset), stamp);
}

bool DbfFile::storedAs(uint64_t offset, const char* bytes, size_t n) {
    const char* at = mapped(offset, n);
    std::vector<char> stored(n);
    return at && os::CopyFromMapping(stored.data(), at, n) && std::memcmp(stored.data(), bytes, n) == 0;
}

bool DbfFile::raiseStamp(bool writing) {
    if (!shared())
        return true;  // nobody else has the table open
    if (stampMap_)
        return os::AddToMapping(reinterpret_cast<uint64_t*>(stampMap_ + ChangeStampOffset),
                                writing ? WriterInStamp + 1 : 1 - WriterInStamp);
    if (writing)
        return true;  // without a mapping (a network share) readers go to the file every time
    // A value of this process's own that no reader can hold already, with no
    // writer counted (an addition would be a read and a write that another
    // workstation's could undo).
    static std::atomic<uint64_t> sequence{std::random_device{}() * 0x9E3779B97F4A7C15ull};
    const uint64_t stamp = (sequence.fetch_add(0x9E3779B97F4A7C15ull) ^ static_cast<uint64_t>(getpid())) % WriterInStamp;
    return WriteAt(fd_, &stamp, sizeof stamp, ChangeStampOffset);
}

bool DbfFile::writeStamp(uint32_t count) {
    unsigned char stamp[7];
    FillUpdateStamp(stamp, count);
    unflushed_ = true;
    return WriteAt(fd_, stamp, sizeof stamp, 1);
}

bool DbfFile::zap() {
    if (mode_ != OpenMode::Exclusive || !writeAppended() || !JournalBeforeZap(*this))
        return false;
    char eof = EndOfFile;
    if (!writeStamp(0) || !WriteAt(fd_, &eof, 1, headerSize_))
        return false;
    if (!os::TruncateFile(fd_, headerSize_ + 1))
        return false;
    count_ = 0;
    knownFileSize_ = headerSize_ + 1;
    aheadCount_ = 0;
    lastRead_ = 0;
    inRow_ = 0;
    return true;
}

bool DbfFile::flush() {
    if (readOnly())
        return true;
    if (!writeAppended())
        return false;
    if (!unflushed_)
        return true;
    if (!syncOrDefer(fd_, &deferredIn_))
        return false;
    unflushed_ = false;
    return true;
}

bool DbfFile::lockRecord(uint32_t recNo, int timeoutMs) {
    if (readOnly() || recNo == 0)
        return false;
    if (!shared())
        return recNo <= count_;
    if (holdsLock(recNo))
        return true;
    if (recNo > recordCount())
        return false;
    os::FileLock lock(fd_);
    // A writer dying lets go of its journal a moment after its record locks.
    const auto settleBy = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        if (!lock.Lock(RecordLockBase + recNo, 1, os::LockKind::Exclusive, timeoutMs))
            return false;
        // The holder may have been a writer that stopped: what it left goes
        // before this open reads the record. The lock is let go meanwhile,
        // as the recovery writes back only records it holds.
        if (JournalSettled(*this, recNo))
            break;
        lock.Unlock(RecordLockBase + recNo, 1);
        if (!JournalTakeBack() || std::chrono::steady_clock::now() > settleBy)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    locks_.emplace(recNo, 0);
    return true;
}

void DbfFile::unlockRecord(uint32_t recNo) {
    os::FileLock lock(fd_);
    if (recNo == 0) {
        for (auto held = locks_.begin(); held != locks_.end();) {
            if (held->second & KeptByScope) {
                ++held;
                continue;
            }
            lock.Unlock(RecordLockBase + held->first, 1);
            held = locks_.erase(held);
        }
        return;
    }
    auto held = locks_.find(recNo);
    if (held != locks_.end() && held->second == 0) {
        lock.Unlock(RecordLockBase + recNo, 1);
        locks_.erase(held);
    }
}

void DbfFile::letGo(uint32_t recNo, uint8_t keeper) {
    auto held = locks_.find(recNo);
    if (held == locks_.end() || !(held->second & keeper))
        return;
    held->second &= ~keeper;
    unlockRecord(recNo);
}

void DbfFile::holdForScope(uint32_t recNo) {
    auto held = locks_.find(recNo);
    if (held != locks_.end())
        held->second |= KeptByScope;
}

void DbfFile::releaseScopeHolds() {
    std::vector<uint32_t> held;
    for (const auto& [recNo, keepers] : locks_)
        if (keepers & KeptByScope)
            held.push_back(recNo);
    for (uint32_t recNo : held)
        letGo(recNo, KeptByScope);
}

bool DbfFile::reload() {
    appendPending_ = 0;
    appendImage_.clear();
    aheadCount_ = 0;
    lastRead_ = 0;
    inRow_ = 0;
    const std::vector<FieldInfo> layout = std::move(fields_);
    fields_.clear();
    DbfStatus status;
    const int size = recordSize_;
    if (!readHeader(&status) || fields_.size() != layout.size() || recordSize_ != size) {
        fields_ = layout;
        return false;
    }
    unmapFile();
    mapFile();
    return true;
}

bool DbfFile::keepRecordLock(uint32_t recNo, int timeoutMs) {
    if (!lockRecord(recNo, timeoutMs))
        return false;
    auto held = locks_.find(recNo);
    if (held != locks_.end())
        held->second |= KeptByCaller;
    return true;
}

void DbfFile::releaseKeptLock(uint32_t recNo) { letGo(recNo, KeptByCaller); }

bool DbfFile::holdsLock(uint32_t recNo) const { return locks_.count(recNo) > 0; }

bool DbfFile::recordLockedByOther(uint32_t recNo) const {
    if (!shared() || recNo == 0)
        return false;
    return os::FileLock(fd_).LockedByOther(RecordLockBase + recNo, 1, os::LockKind::Exclusive);
}

bool DbfFile::PrepareLayout(std::vector<FieldInfo>& fields) {
    if (fields.empty() || fields.size() > MaxFields)
        return false;
    std::set<std::string> names;
    int offset = 1;
    for (FieldInfo& f : fields) {
        f.name = Upper(f.name);
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
        if (!ValidFieldName(f.name) || !names.insert(f.name).second)
            return false;
        switch (f.type) {
        case 'C':
            if (f.width < 1 || f.width > 254)
                return false;
            f.decimals = 0;
            break;
        case 'N':
        case 'F':
            if (f.width < 1 || f.width > 20 || f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
                return false;
            break;
        case 'D': f.width = 8; f.decimals = 0; break;
        case 'L': f.width = 1; f.decimals = 0; break;
        case 'M': f.width = 10; f.decimals = 0; break;
        default: return false;
        }
        f.offset = offset;
        offset += f.width;
    }
    return offset <= 0xFFFF;
}

bool DbfFile::Create(const std::string& path, const std::vector<FieldInfo>& given, int driver) {
    std::vector<FieldInfo> fields = given;
    if (!PrepareLayout(fields))
        return false;
    bool memo = std::any_of(fields.begin(), fields.end(), [](const FieldInfo& f) { return f.type == 'M'; });
    int headerSize = HeaderBytes + DescriptorBytes * static_cast<int>(fields.size()) + 1;
    int recordSize = fields.back().offset + fields.back().width;

    std::vector<unsigned char> image(headerSize + 1, 0);
    image[0] = !memo ? 0x03 : driver == 1 ? 0x83 : driver == 2 ? 0xF5 : 0xE5;
    FillUpdateStamp(&image[1], 0);
    WriteLe16(&image[8], static_cast<uint16_t>(headerSize));
    WriteLe16(&image[10], static_cast<uint16_t>(recordSize));
    for (size_t i = 0; i < fields.size(); ++i) {
        unsigned char* d = &image[HeaderBytes + DescriptorBytes * i];
        std::memcpy(d, fields[i].name.data(), fields[i].name.size());
        d[11] = static_cast<unsigned char>(fields[i].type);
        d[16] = static_cast<unsigned char>(fields[i].width);
        d[17] = static_cast<unsigned char>(fields[i].decimals);
    }
    image[headerSize - 1] = Terminator;
    image[headerSize] = EndOfFile;

    // O_EXCL: an existing table is never overwritten.
    int fd = os::OpenFile(path, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0)
        return false;
    bool written = WriteAt(fd, image.data(), image.size(), 0);
    os::CloseFile(fd);
    if (!written)
        unlink(path.c_str());
    return written;
}

}  // namespace xb
