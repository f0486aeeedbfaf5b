#pragma once
// One open .DBF file: its header and field layout, record reads and writes,
// appends, and the locks that let several processes share it.
//
// Layout (dBASE III): a 32-byte header (version byte, date of last update,
// record count, header size, record size), one 32-byte descriptor per field,
// a 0x0D terminator, then the records (deletion flag and the fields as text)
// and a closing 0x1A.
//
// Bytes 16-23 of the header, reserved in dBASE III for multi-user use, hold
// a change stamp. Its top 16 bits count the shared writers at work on a
// record: each adds one before its bytes go in and takes it off after,
// changing the low bits, with one atomic addition through a mapping of the
// header's page. A reader takes a copy of a record, or holds records read
// ahead, only while no writer is counted and the stamp stays as it was, so
// it never serves a record half written or one written since, without a
// system call. (On a network share, without the mapping, the stamp is a
// value of the writer's own, and reads go to the file every time.)
//
// Every other write, the header's count included, is a write to the file,
// never a store through a writable mapping: such a mapping makes each
// write-back of the page clean it and flush its TLB entries, and the next
// store fault it in again.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "os/FileIo.h"
#include "xbengine/Types.h"
#include "xbengine/XbCodes.h"

namespace xb {

enum class OpenMode { Shared = XB_SHARED, ReadOnly = XB_READONLY, Exclusive = XB_EXCLUSIVE };

enum class DbfStatus {
    Ok,
    NotFound,    // the file does not exist or cannot be opened
    InUse,       // another open excludes this one (exclusive against shared)
    Damaged,     // not a table this engine can read
};

// Why an append did not happen; the values are the refusal codes of xb_AppendEx.
enum AppendRefusal {
    AppendDone = XB_APPEND_DONE,
    AppendLockTimeout = XB_APPEND_LOCK_TIMEOUT,  // another user held the append lock past the time-out
    AppendRecordLock = XB_APPEND_RECORD_LOCK,    // the new record could not be locked (the system refused)
    AppendWriteFailed = XB_APPEND_WRITE_FAILED,  // the file could not be written (disk full, I/O error)
    AppendTableFull = XB_APPEND_TABLE_FULL,      // the table has reached its largest record count
    AppendReadOnly = XB_APPEND_READ_ONLY,        // the table is open read-only
    AppendNoTable = XB_APPEND_NO_TABLE,          // no table is open in the work area
};

class DbfFile {
public:
    ~DbfFile();
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    static std::unique_ptr<DbfFile> Open(const std::string& path, OpenMode mode, DbfStatus* status);
    // Writes a new empty table; false when the file exists or cannot be written.
    static bool Create(const std::string& path, const std::vector<FieldInfo>& fields, int driver);
    // Checks names, types, widths and sizes of a new table's fields and fills
    // in their offsets; false when the layout cannot be written.
    static bool PrepareLayout(std::vector<FieldInfo>& fields);

    const std::string& path() const { return path_; }
    const std::vector<FieldInfo>& fields() const { return fields_; }
    int recordSize() const { return recordSize_; }
    uint8_t version() const { return version_; }
    bool hasMemoFields() const;
    OpenMode mode() const { return mode_; }
    bool readOnly() const { return mode_ == OpenMode::ReadOnly; }
    bool shared() const { return mode_ != OpenMode::Exclusive; }

    // The record count. In shared use it is read from the header every time,
    // so appends of other users show at once.
    uint32_t recordCount();
    // The count last read; records up to it always exist (a shared table only grows).
    uint32_t knownCount() const { return count_; }

    // Reads record recNo (1-based) into buf (recordSize bytes). False when it
    // is not in the file. In exclusive use records read one after another
    // are read ahead in blocks: nobody else writes the file then, and this
    // open's own writes go through the block too.
    bool readRecord(uint32_t recNo, char* buf) { return readRecordAs(recNo, buf, false); }
    // Reads record recNo as readRecord does, for a move straight to it (by
    // its number): only a walk's next step extends a walk, so moves to
    // records that happen to lie side by side read no block ahead.
    bool readRecordAlone(uint32_t recNo, char* buf) { return readRecordAs(recNo, buf, true); }
    // Asks the processor to fetch record recNo's bytes from the mapping
    // ahead of a read that will follow soon; nothing else happens.
    void prefetchRecord(uint32_t recNo) const;
    // Reads up to n records from first on into buf; the number read.
    uint32_t readRecords(uint32_t first, uint32_t n, char* buf);
    // Writes a whole record, or the bytes [offset, offset+length) of it.
    bool writeRecord(uint32_t recNo, const char* buf);
    bool writeRecordPart(uint32_t recNo, int offset, int length, const char* bytes);

    // Appends buf as a new record under the append lock (in shared use the
    // table's append lock, then the lock of the slot after the last record):
    // the record is written before the header count that makes it visible.
    // In shared use the new record is left locked. Returns an AppendRefusal.
    //
    // In exclusive use new records are held back and reach the file, with
    // their count, in runs of up to 64 KiB (so a record appended and then
    // filled in is written once, and a run in one system call), or before
    // anything else touches the file, and at the latest at writeHeldBack,
    // flush or close.
    int appendRecord(const char* buf, int lockTimeoutMs, uint32_t* recNo);
    // Writes the records held back (exclusive use); false when the file
    // could not be written, and the held-back records are then gone.
    bool writeHeldBack() { return writeAppended(); }

    // The table's append lock, held by a caller across several calls (to
    // read the last number and append the next one, say). While this open
    // holds it, its own appends go ahead and every other open's appends wait
    // for it. Waits up to timeoutMs; true when held (an exclusive open holds
    // it always). It goes with the open, also when its process dies.
    bool holdAppendLock(int timeoutMs);
    void releaseAppendLock();
    bool holdsAppendLock() const { return appendLockHeld_; }

    // Removes every record (exclusive use only).
    bool zap();
    // Forces written data to the disk.
    bool flush();

    // Record locks (only meaningful in shared use; an exclusive open holds every record).
    bool lockRecord(uint32_t recNo, int timeoutMs);
    // 0 releases every lock, kept ones too, but for those a document scope holds.
    void unlockRecord(uint32_t recNo);
    // A lock kept through the unlocks of single records that writes make,
    // until releaseKeptLock or an unlock of every lock.
    bool keepRecordLock(uint32_t recNo, int timeoutMs);
    void releaseKeptLock(uint32_t recNo);
    bool holdsLock(uint32_t recNo) const;
    bool recordLockedByOther(uint32_t recNo) const;

    // A record the document scope changed: its lock, when this open holds
    // it, is kept through unlocks until releaseScopeHolds.
    void holdForScope(uint32_t recNo);
    void releaseScopeHolds();

    // Reads the header again and drops what was read ahead, after the file
    // was written behind this open's back (a table written back whole).
    bool reload();

private:
    DbfFile() = default;
    bool readHeader(DbfStatus* status);
    bool readRecordAs(uint32_t recNo, char* buf, bool alone);
    // One copy of the record, from the read-ahead block where allowed;
    // stamp is the change stamp read before it (shared use).
    bool fetchRecord(uint32_t recNo, char* buf, bool walking, bool blockAllowed, uint64_t stamp);
    // Whether the record, read again, is still these bytes.
    bool sameAgain(uint32_t recNo, const char* buf);
    bool reserveSlot(int lockTimeoutMs, uint32_t* slot, int* refusal);
    // REQUIRES: exclusive use, or this open holds the append lock.
    int appendUnderLock(const char* buf, int lockTimeoutMs, uint32_t* recNo);
    uint32_t countFromHeader();
    // Writes the record appended last and its count; false (and the record
    // gone) when the file could not be written.
    bool writeAppended();
    // Writes the date of last update and the record count into the header.
    bool writeStamp(uint32_t count);
    uint64_t recordOffset(uint32_t recNo) const;
    // Drops keeper from the keepers of a held lock, and the lock once none is left.
    void letGo(uint32_t recNo, uint8_t keeper);
    // The file's bytes [offset, offset + n) in the shared mapping, or null
    // when they lie beyond it (the caller then reads the file).
    const char* mapped(uint64_t offset, size_t n);
    // Copies the file's bytes [offset, offset + n) through the mapping when
    // they lie in it, else reads them from the file. False when they are not
    // in the file: beyond its end, also when another program cut it short
    // while it was mapped.
    bool readBytes(uint64_t offset, size_t n, void* into);
    // After a read found the file shorter than mapped: the mapping is made
    // anew for its present size.
    void fileShrank();
    void mapFile();
    void unmapFile();

    std::string path_;
    int fd_ = -1;
    // Written since the last flush: a flush of an unchanged file is skipped.
    bool unflushed_ = false;
    uint64_t deferredIn_ = 0;  // the document scope that flushes it at its end
    OpenMode mode_ = OpenMode::Shared;
    uint8_t version_ = 0;
    int headerSize_ = 0;
    int recordSize_ = 0;
    uint32_t count_ = 0;
    uint64_t knownFileSize_ = 0;
    std::vector<FieldInfo> fields_;
    // The record locks this open holds, each with what keeps it through the
    // unlocks of that one record: a caller (keepRecordLock), the document
    // scope (holdForScope), both, or nothing.
    enum LockKeeper : uint8_t { KeptByCaller = 1, KeptByScope = 2 };
    std::map<uint32_t, uint8_t> locks_;
    bool appendLockHeld_ = false;
    // Records appended and not yet in the file, then the end-of-file byte,
    // written in one go: the last appendPending_ records, up to count_.
    std::vector<char> appendImage_;
    uint32_t appendPending_ = 0;
    bool heldBack(uint32_t recNo) const { return recNo <= count_ && count_ - recNo < appendPending_; }
    char* heldRecord(uint32_t recNo) {
        return appendImage_.data() + static_cast<size_t>(appendPending_ - 1 - (count_ - recNo)) * recordSize_;
    }
    // Read ahead: records [aheadFirst_, aheadFirst_ + aheadCount_). In
    // shared use they are served only while the change stamp is the one
    // read before them (see readStamp).
    std::vector<char> ahead_;
    uint64_t aheadStamp_ = 0;
    // The change stamp through the mapping; false when it cannot be read so
    // (a network share), and reads then go to the file every time.
    bool readStamp(uint64_t* stamp) const;
    // Tells shared readers that a record is being written (writing) or was
    // written; false when the stamp could not be written.
    bool raiseStamp(bool writing);
    // Writable shared opens on a local file system map the header's page
    // for writing the stamp: a writer at work is counted in it with one
    // atomic addition, which no other writer's can undo.
    char* stampMap_ = nullptr;
    // Whether the file's bytes [offset, offset + n), read through the
    // mapping, are these; false when they cannot be read so.
    bool storedAs(uint64_t offset, const char* bytes, size_t n);
    uint32_t aheadFirst_ = 0;
    uint32_t aheadCount_ = 0;
    uint32_t lastRead_ = 0;
    // Records read one after the other, ending at lastRead_.
    uint32_t inRow_ = 0;
    static constexpr uint32_t AheadAfterInRow = 3;
    // Records read out of order come through a shared mapping of the file:
    // it shows every process's writes as a read would, without a system call
    // per record, and a record read again costs no more than a copy. (A walk
    // through the records reads blocks instead: mapping a page on its first
    // touch costs more than its share of a block read.) The engine
    // only lets the file shrink in exclusive use (emptying it), and reads no
    // record beyond the count; another program may cut it short: reads
    // through the mapping then fail as reads past the end do.
    bool mappable_ = false;
    const char* map_ = nullptr;
    uint64_t mapSize_ = 0;
};

// Lock regions lie far beyond any real file size, so they never cover data.
inline constexpr uint64_t LockRegionBase = 1ull << 62;
inline constexpr uint64_t OpenLockOffset = LockRegionBase;
inline constexpr uint64_t MemoLockOffset = LockRegionBase + 1;
inline constexpr uint64_t AppendLockOffset = LockRegionBase + 2;
inline constexpr uint64_t RecordLockBase = LockRegionBase + 16;

// Reads or writes exactly n bytes at offset; false on a short transfer.
using os::ReadAt;
using os::WriteAt;

}  // namespace xb
