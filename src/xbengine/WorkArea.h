#pragma once
// An open table in a work area: its files, the current position and record
// buffer, memos staged for the next record write, and record locks.
//
// Every movement goes through one routine that walks the current order and
// stops on the first visible record. Natural order and the deleted setting
// are built in; an index order (RecordOrder, which keeps to its scope and
// its tag's condition itself) and a visibility test (the filter) plug in
// from outside.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xbengine/DbfFile.h"
#include "xbengine/MemoFile.h"
#include "xbengine/RecordOrder.h"
#include "xbengine/Types.h"
#include "xbengine/XbCodes.h"

namespace xb {

// Table families: the driver decides the memo file beside the .DBF.
enum Driver { DriverNtx = XB_DRIVER_NTX, DriverFox = XB_DRIVER_FOX, DriverNsx = XB_DRIVER_NSX };

class WorkArea {
public:
    using Visibility = std::function<bool(const RecordView&)>;

    // Opens a table; null with the reason in status when it cannot be opened.
    static std::unique_ptr<WorkArea> Open(const std::string& path, OpenMode mode, int driver,
                                          const Settings& settings, DbfStatus* status);
    // Writes a new empty table (and its memo file when it has memo fields).
    // False when the table exists already or the layout is invalid.
    static bool Create(const std::string& path, std::vector<FieldInfo> fields, int driver,
                       const Settings& settings);
    // The memo file that belongs to a table of the driver.
    static std::string MemoPath(const std::string& tablePath, int driver);

    ~WorkArea();

    const std::string& path() const { return table_->path(); }
    int driver() const { return driver_; }
    OpenMode mode() const { return table_->mode(); }
    const std::vector<FieldInfo>& fields() const { return table_->fields(); }
    int recordSize() const { return table_->recordSize(); }
    // 0-based index of a field named without regard to case; -1 when unknown.
    int FieldIndex(std::string_view name) const;

    // Position.
    void GoTop();
    void GoBottom();
    void Go(uint32_t recNo);
    void Skip(long count);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    uint32_t RecNo() const { return recNo_; }
    bool Deleted() const { return !eof_ && buffer_[0] == '*'; }
    uint32_t RecCount() { return table_->recordCount(); }
    // Visible records in the current order, and the current one's place among them.
    uint32_t Count();
    uint32_t OrderRecNo();
    // Searches the visible records of the current order for a key text (the
    // exact and soft seek settings apply). Found: stands on the record.
    // Missed: on the next greater key with soft seek on, else at end of
    // file. False also when the order has no keys (the position stays).
    bool Seek(std::string_view text);
    bool Found() const { return found_; }
    // A hint from an order that record recNo is about to be read.
    void PrefetchRecord(uint32_t recNo) const { table_->prefetchRecord(recNo); }
    // Whether record recNo is one the area shows (deleted setting, filter).
    bool RecordVisible(uint32_t recNo);

    // The engine's record buffer (deletion flag first); its address stays
    // the same while the table is open.
    char* buffer() { return buffer_.data(); }
    RecordView view() const { return RecordView{&fields(), buffer_.data(), recNo_}; }

    // Copies the current record; in shared use it is read again from the
    // file so other users' changes show.
    void CopyRecord(char* dest);
    // Copies the current record as this area last read or wrote it.
    // REQUIRES: the caller moved onto it or wrote it just now, so reading it
    // again would find nothing newer.
    void CopyHeldRecord(char* dest) const;
    // Writes dest-sized bytes as the current record together with the staged
    // memos. Memo pointers are the engine's: the caller's bytes for memo
    // fields are not taken. False when refused (locked by another, read-only,
    // at end of file, write failed).
    bool PutRecord(const char* src);
    // Appends a blank record and stands on it; in shared use it stays locked.
    // Returns 0 or an AppendRefusal.
    int Append();
    // Appends a record that holds src's field values at once, so its keys
    // go into the tags once instead of a blank record's and then its own.
    // Memo fields keep blank pointers unless memos are staged, in which case
    // it appends a blank record and puts src over it. Returns 0 or an
    // AppendRefusal (AppendWriteFailed when the put over the blank failed).
    int AppendFilled(const char* src);
    bool Delete();
    // Writes bytes back as record recNo as they stand, memo pointers
    // included, and tells the tags; for undoing a document's changes.
    // False when the record is not in the file or the write failed.
    bool RestoreRecord(uint32_t recNo, const char* bytes);

    bool Rlock(uint32_t recNo);
    bool Locked(uint32_t recNo) const { return table_->recordLockedByOther(recNo); }
    void Unlock(uint32_t recNo) { table_->unlockRecord(recNo); }
    bool Hold(uint32_t recNo);
    void Release(uint32_t recNo) { table_->releaseKeptLock(recNo); }

    // Writes one field of the current record (bytes of the field's width).
    bool WriteField(int index, const std::string& bytes);
    // Memo of a field of the current record; a staged memo counts as its value.
    bool ReadMemo(int index, std::string* data, uint32_t* type = nullptr);
    // Writes a memo to the current record now.
    bool WriteMemo(int index, const std::string& data, uint32_t type);
    // Keeps a memo to be written with the next PutRecord.
    void StageMemo(int index, std::string data, uint32_t type);
    void DropStagedMemos() { staged_.clear(); }

    bool Zap();
    bool Commit();
    // Appends the records of another table: fields matched by name, values
    // converted through text, memos carried over; deleted records skipped
    // while they are hidden; only records for which the condition (an
    // expression over the other table's fields) is true, all when it is
    // empty. False when the table or the condition cannot be read.
    bool AppendFrom(const std::string& path, int driver, const std::string& condition);

    // Plug points for index orders and filters; null/empty restores natural order, all visible.
    void SetOrder(std::unique_ptr<RecordOrder> order);
    RecordOrder* order() const { return order_.get(); }
    void SetVisibility(Visibility visible) { visibility_ = std::move(visible); }

    // Told just before the area changes the table in a way its indexes
    // follow (a record written or appended, the table emptied), so that they
    // can mark the change as under way until their keys follow it.
    std::function<void()> onWriting;
    // Told when such a write failed: the table may hold part of it.
    std::function<void()> onWriteFailed;
    // Told of every record this area writes, after the write: the record as
    // stored before (null for a new record) and after. Indexes keep their
    // keys in step through it.
    std::function<void(uint32_t recNo, const char* before, const char* after)> onRecordWritten;
    // Told when every record was removed.
    std::function<void()> onZapped;

    MemoFile* memo() { return memo_.get(); }
    DbfFile& table() { return *table_; }

private:
    struct StagedMemo {
        std::string data;
        uint32_t type;
    };
    WorkArea(std::unique_ptr<DbfFile> table, std::unique_ptr<MemoFile> memo, int driver, const Settings& settings);

    // The current record and its state, put back after a walk over the order.
    struct HeldPosition {
        std::vector<char> buffer;
        uint32_t recNo;
        bool eof, bof, blankMemos, loadStamped;
        uint64_t loadStamp;
    };
    HeldPosition holdPosition() const;
    void restorePosition(const HeldPosition& held);

    RecordOrder& currentOrder();
    // alone: a move straight to the record, no step of a walk.
    bool load(uint32_t recNo, bool alone = false);
    void goPhantom();
    bool visible() const;
    bool visibleRecord(const char* record, uint32_t recNo) const;
    uint32_t countNatural(uint32_t last);
    uint32_t firstVisible(uint32_t candidate, bool forward);
    bool lockForWrite(uint32_t recNo, bool* tookLock);
    void tellWriting();
    void tellWriteFailed();
    std::vector<char> storedForListener();
    void tellWritten(uint32_t recNo, const std::vector<char>& before, const char* after);
    void tellPartWritten(const std::vector<char>& before);
    bool isMemoField(int index) const;
    uint32_t memoBlock(const char* record, int index) const;
    std::string memoPointer(int index, uint32_t block) const;

    std::unique_ptr<DbfFile> table_;
    std::unique_ptr<MemoFile> memo_;
    std::unique_ptr<RecordOrder> natural_;
    std::unique_ptr<RecordOrder> order_;
    Visibility visibility_;
    int driver_;
    const Settings& settings_;
    std::unordered_map<std::string, int> fieldIndex_;
    std::vector<char> buffer_;
    std::vector<char> blank_;     // a blank record, for appends
    uint32_t recNo_ = 0;
    bool bof_ = false;
    bool eof_ = true;
    bool blankMemos_ = false;     // the current record was just appended, its memo pointers blank
    // In shared use: buffer_ is the file's record as read at this change
    // stamp, and nothing has been put into it since.
    bool loadStamped_ = false;
    uint64_t loadStamp_ = 0;
    bool found_ = false;          // the last seek's result
    std::vector<char> probe_;     // scratch record for RecordVisible
    std::map<int, StagedMemo> staged_;
};

}  // namespace xb
