#include "xbengine/WorkArea.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "os/Paths.h"
#include "xbengine/Expr.h"
#include "xbengine/FieldValue.h"

namespace xb {

namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

MemoFormat FormatOf(int driver) { return driver == DriverNtx ? MemoFormat::Dbase : MemoFormat::Block; }

// Record number order over the table as it stands (a shared table may grow).
class NaturalOrder : public RecordOrder {
public:
    explicit NaturalOrder(DbfFile& table) : table_(table) {}
    uint32_t First() override { return table_.knownCount() > 0 || table_.recordCount() > 0 ? 1 : 0; }
    uint32_t Last() override { return table_.recordCount(); }
    uint32_t Next(const RecordView& current) override {
        uint32_t next = current.recNo + 1;
        return next <= table_.knownCount() || next <= table_.recordCount() ? next : 0;
    }
    uint32_t Prior(const RecordView& current) override { return current.recNo > 1 ? current.recNo - 1 : 0; }

private:
    DbfFile& table_;
};

}  // namespace

std::string WorkArea::MemoPath(const std::string& tablePath, int driver) {
    const char* ext = driver == DriverNtx ? "DBT" : driver == DriverFox ? "FPT" : "SMT";
    size_t slash = tablePath.find_last_of('/');
    size_t dot = tablePath.find_last_of('.');
    std::string base = tablePath;
    bool lower = false;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        base = tablePath.substr(0, dot);
        // The memo file takes the case of the table's extension.
        lower = dot + 1 < tablePath.size() && std::islower(static_cast<unsigned char>(tablePath[dot + 1]));
    }
    std::string memoExt = ext;
    if (lower)
        for (char& c : memoExt)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return base + "." + memoExt;
}

std::unique_ptr<WorkArea> WorkArea::Open(const std::string& path, OpenMode mode, int driver,
                                         const Settings& settings, DbfStatus* status) {
    if (driver < DriverNtx || driver > DriverNsx)
        driver = DriverNsx;
    std::unique_ptr<DbfFile> table = DbfFile::Open(path, mode, status);
    if (!table)
        return nullptr;
    std::unique_ptr<MemoFile> memo;
    if (table->hasMemoFields()) {
        memo = MemoFile::Open(os::MapPath(MemoPath(path, driver)), FormatOf(driver), mode == OpenMode::ReadOnly,
                              mode == OpenMode::Exclusive);
        if (!memo) {  // a table whose memos cannot be read is not opened
            *status = DbfStatus::NotFound;
            return nullptr;
        }
    }
    return std::unique_ptr<WorkArea>(new WorkArea(std::move(table), std::move(memo), driver, settings));
}

bool WorkArea::Create(const std::string& path, std::vector<FieldInfo> fields, int driver, const Settings& settings) {
    if (driver < DriverNtx || driver > DriverNsx)
        driver = DriverNsx;
    if (!DbfFile::PrepareLayout(fields) || !DbfFile::Create(path, fields, driver))
        return false;
    bool memo = std::any_of(fields.begin(), fields.end(), [](const FieldInfo& f) { return f.type == 'M'; });
    if (memo && !MemoFile::Create(os::MapPath(MemoPath(path, driver)), FormatOf(driver), settings.memoBlockSize)) {
        unlink(path.c_str());
        return false;
    }
    return true;
}

WorkArea::WorkArea(std::unique_ptr<DbfFile> table, std::unique_ptr<MemoFile> memo, int driver,
                   const Settings& settings)
    : table_(std::move(table)), memo_(std::move(memo)), driver_(driver), settings_(settings) {
    natural_ = std::make_unique<NaturalOrder>(*table_);
    for (size_t i = 0; i < fields().size(); ++i)
        fieldIndex_.emplace(Upper(fields()[i].name), static_cast<int>(i));
    buffer_.assign(table_->recordSize(), ' ');
    GoTop();
}

WorkArea::~WorkArea() = default;

int WorkArea::FieldIndex(std::string_view name) const {
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    auto found = fieldIndex_.find(Upper(name));
    return found == fieldIndex_.end() ? -1 : found->second;
}

RecordOrder& WorkArea::currentOrder() { return order_ ? *order_ : *natural_; }

void WorkArea::SetOrder(std::unique_ptr<RecordOrder> order) { order_ = std::move(order); }

bool WorkArea::load(uint32_t recNo, bool alone) {
    if (!(alone ? table_->readRecordAlone(recNo, buffer_.data()) : table_->readRecord(recNo, buffer_.data())))
        return false;
    recNo_ = recNo;
    eof_ = false;
    blankMemos_ = false;
    loadStamped_ = table_->lastReadStamp(&loadStamp_);
    return true;
}

void WorkArea::goPhantom() {
    loadStamped_ = false;
    std::fill(buffer_.begin(), buffer_.end(), ' ');
    recNo_ = table_->recordCount() + 1;
    eof_ = true;
    blankMemos_ = false;
}

bool WorkArea::visible() const { return visibleRecord(buffer_.data(), recNo_); }

bool WorkArea::visibleRecord(const char* record, uint32_t recNo) const {
    if (settings_.deleted && record[0] == '*')
        return false;
    return !visibility_ || visibility_(RecordView{&fields(), record, recNo});
}

// Visible records among 1..last in natural order, read in large blocks.
uint32_t WorkArea::countNatural(uint32_t last) {
    const uint32_t perBlock = std::max<uint32_t>(1, 256 * 1024 / static_cast<uint32_t>(buffer_.size()));
    std::vector<char> block(static_cast<size_t>(perBlock) * buffer_.size());
    uint32_t n = 0;
    for (uint32_t first = 1; first <= last;) {
        uint32_t got = table_->readRecords(first, std::min(perBlock, last - first + 1), block.data());
        if (got == 0)
            break;
        for (uint32_t i = 0; i < got; ++i)
            n += visibleRecord(block.data() + static_cast<size_t>(i) * buffer_.size(), first + i) ? 1 : 0;
        first += got;
    }
    return n;
}

// Loads candidate and walks on in the current order until a visible record;
// 0 when none is left in that direction.
uint32_t WorkArea::firstVisible(uint32_t candidate, bool forward) {
    RecordOrder& order = currentOrder();
    while (candidate != 0) {
        if (!load(candidate))
            return 0;
        if (visible())
            return candidate;
        candidate = forward ? order.Next(view()) : order.Prior(view());
    }
    return 0;
}

void WorkArea::GoTop() {
    staged_.clear();
    bof_ = false;
    if (firstVisible(currentOrder().First(), true) == 0) {
        goPhantom();
        bof_ = true;
    }
}

void WorkArea::GoBottom() {
    staged_.clear();
    bof_ = false;
    if (firstVisible(currentOrder().Last(), false) == 0) {
        goPhantom();
        bof_ = true;
    }
}

void WorkArea::Go(uint32_t recNo) {
    staged_.clear();
    bof_ = false;
    if (!load(recNo, true))
        goPhantom();
}

void WorkArea::Skip(long count) {
    staged_.clear();
    if (count == 0) {
        if (!eof_ && !load(recNo_))
            goPhantom();
        return;
    }
    RecordOrder& order = currentOrder();
    if (count > 0) {
        bof_ = false;
        for (long i = 0; i < count && !eof_; ++i) {
            if (firstVisible(order.Next(view()), true) == 0)
                goPhantom();
        }
        return;
    }
    long steps = -count;
    if (eof_) {
        // From end of file one step back is the last visible record.
        if (firstVisible(order.Last(), false) == 0) {
            goPhantom();
            bof_ = true;
            return;
        }
        --steps;
    }
    bof_ = false;
    for (long i = 0; i < steps; ++i) {
        uint32_t from = recNo_;
        if (firstVisible(order.Prior(view()), false) == 0) {
            // Before the first visible record: stay on it with BOF set.
            if (!load(from))
                goPhantom();
            bof_ = true;
            return;
        }
    }
}

uint32_t WorkArea::Count() {
    if (!order_)
        return !visibility_ && !settings_.deleted ? RecCount() : countNatural(RecCount());
    uint32_t entries = 0;
    if (!visibility_ && !settings_.deleted && order_->CountEntries(&entries))
        return entries;
    const HeldPosition held = holdPosition();
    uint32_t n = 0;
    RecordOrder& order = currentOrder();
    for (uint32_t rec = firstVisible(order.First(), true); rec != 0; rec = firstVisible(order.Next(view()), true))
        ++n;
    restorePosition(held);
    return n;
}

uint32_t WorkArea::OrderRecNo() {
    if (eof_)
        return Count() + 1;
    if (!order_) {
        if (!visibility_ && !settings_.deleted)
            return recNo_;
        return visible() ? countNatural(recNo_) : 0;
    }
    uint32_t entry = 0;
    if (!visibility_ && !settings_.deleted && order_->EntryPosition(view(), &entry))
        return entry;
    const HeldPosition held = holdPosition();
    const uint32_t target = recNo_;
    uint32_t position = 0, n = 0;
    RecordOrder& order = currentOrder();
    for (uint32_t rec = firstVisible(order.First(), true); rec != 0; rec = firstVisible(order.Next(view()), true)) {
        ++n;
        if (rec == target) {
            position = n;
            break;
        }
    }
    restorePosition(held);
    return position;
}

WorkArea::HeldPosition WorkArea::holdPosition() const {
    return {buffer_, recNo_, eof_, bof_, blankMemos_, loadStamped_, loadStamp_};
}

void WorkArea::restorePosition(const HeldPosition& held) {
    std::copy(held.buffer.begin(), held.buffer.end(), buffer_.begin());
    recNo_ = held.recNo;
    eof_ = held.eof;
    bof_ = held.bof;
    blankMemos_ = held.blankMemos;
    loadStamped_ = held.loadStamped;
    loadStamp_ = held.loadStamp;
}

bool WorkArea::Seek(std::string_view text) {
    found_ = false;
    if (!order_ || !order_->CanSeek())
        return false;
    staged_.clear();
    bof_ = false;
    const bool exact = settings_.exact;
    if (firstVisible(order_->SeekFirst(text, exact), true) == 0) {
        goPhantom();
        return false;
    }
    found_ = order_->KeyMatches(view(), text, exact);
    if (!found_ && !settings_.softSeek)
        goPhantom();
    return found_;
}

bool WorkArea::RecordVisible(uint32_t recNo) {
    probe_.resize(buffer_.size());
    return table_->readRecord(recNo, probe_.data()) && visibleRecord(probe_.data(), recNo);
}

void WorkArea::CopyRecord(char* dest) {
    // In shared use the record is read again, as another workstation may
    // have written it; unless nobody wrote the table since it was read.
    if (!eof_ && table_->shared() && !(loadStamped_ && table_->unchangedSince(loadStamp_))) {
        bool blank = blankMemos_;
        if (load(recNo_))
            blankMemos_ = blank;
    }
    std::memcpy(dest, buffer_.data(), buffer_.size());
}

void WorkArea::CopyHeldRecord(char* dest) const { std::memcpy(dest, buffer_.data(), buffer_.size()); }

bool WorkArea::lockForWrite(uint32_t recNo, bool* tookLock) {
    *tookLock = false;
    if (table_->readOnly())
        return false;
    if (!table_->shared() || table_->holdsLock(recNo))
        return true;
    if (!table_->lockRecord(recNo, settings_.lockTimeoutMs))
        return false;
    *tookLock = true;
    return true;
}

std::vector<char> WorkArea::storedForListener() {
    std::vector<char> stored;
    if (onRecordWritten) {
        stored.resize(buffer_.size());
        if (!table_->readRecord(recNo_, stored.data()))
            stored.clear();
    }
    return stored;
}

void WorkArea::tellWriting() {
    if (onWriting)
        onWriting();
}

void WorkArea::tellWriteFailed() {
    if (onWriteFailed)
        onWriteFailed();
}

void WorkArea::tellWritten(uint32_t recNo, const std::vector<char>& before, const char* after) {
    if (onRecordWritten)
        onRecordWritten(recNo, before.empty() ? nullptr : before.data(), after);
}

void WorkArea::tellPartWritten(const std::vector<char>& before) {
    // Only part of the record was written: the listener gets the whole record as stored now.
    if (onRecordWritten)
        tellWritten(recNo_, before, storedForListener().data());
}

bool WorkArea::isMemoField(int index) const { return IsMemoField(fields()[index]); }

uint32_t WorkArea::memoBlock(const char* record, int index) const {
    const FieldInfo& f = fields()[index];
    return MemoBlock(f, record + f.offset);
}

std::string WorkArea::memoPointer(int index, uint32_t block) const {
    const FieldInfo& f = fields()[index];
    if (f.width == 4)
        return std::string(reinterpret_cast<const char*>(&block), 4);
    if (block == 0)
        return std::string(f.width, ' ');
    std::string digits = std::to_string(block);
    return std::string(static_cast<size_t>(std::max(0, f.width - static_cast<int>(digits.size()))), ' ') + digits;
}

bool WorkArea::PutRecord(const char* src) {
    if (eof_ || recNo_ == 0)
        return false;
    bool tookLock = false;
    if (!lockForWrite(recNo_, &tookLock))
        return false;
    std::vector<char> record(src, src + buffer_.size());
    std::vector<uint32_t> oldBlocks, newBlocks;
    bool ok = true;
    // Just appended and held ever since: the stored record is the blank one.
    const bool storedBlank = blankMemos_ && (!table_->shared() || !tookLock);
    if (memo_) {
        // The stored memo pointers are kept unless a staged memo replaces them.
        std::vector<char> stored(buffer_.size(), ' ');
        if (!storedBlank)
            ok = table_->readRecord(recNo_, stored.data());
        for (int i = 0; ok && i < static_cast<int>(fields().size()); ++i) {
            if (!isMemoField(i))
                continue;
            const FieldInfo& f = fields()[i];
            std::copy_n(stored.begin() + f.offset, f.width, record.begin() + f.offset);
            auto staged = staged_.find(i);
            if (staged == staged_.end())
                continue;
            uint32_t block = 0;
            if (!staged->second.data.empty()) {
                block = memo_->Write(staged->second.data, staged->second.type, settings_.lockTimeoutMs);
                if (block == 0) {
                    ok = false;
                    break;
                }
                newBlocks.push_back(block);
            }
            if (uint32_t old = memoBlock(stored.data(), i))
                oldBlocks.push_back(old);
            std::string pointer = memoPointer(i, block);
            std::copy(pointer.begin(), pointer.end(), record.begin() + f.offset);
        }
    }
    std::vector<char> before;
    if (ok && onRecordWritten)
        before = storedBlank && blank_.size() == buffer_.size() ? blank_ : storedForListener();
    if (ok) {
        tellWriting();
        ok = table_->writeRecord(recNo_, record.data());
        if (!ok)
            tellWriteFailed();
    }
    // The record now points at the new memos: the old ones can go. On failure
    // the new ones go instead and the record stays as it was.
    for (uint32_t block : ok ? oldBlocks : newBlocks)
        memo_->Free(block, settings_.lockTimeoutMs);
    if (ok) {
        loadStamped_ = false;
        std::copy(record.begin(), record.end(), buffer_.begin());
        staged_.clear();
        blankMemos_ = false;
        tellWritten(recNo_, before, buffer_.data());
    }
    if (tookLock)
        table_->unlockRecord(recNo_);
    return ok;
}

int WorkArea::Append() {
    if (blank_.size() != buffer_.size())
        blank_.assign(buffer_.size(), ' ');
    uint32_t recNo = 0;
    tellWriting();
    int refusal = table_->appendRecord(blank_.data(), settings_.lockTimeoutMs, &recNo);
    if (refusal == AppendWriteFailed)
        tellWriteFailed();
    if (refusal != AppendDone)
        return refusal;
    loadStamped_ = false;
    std::copy(blank_.begin(), blank_.end(), buffer_.begin());
    recNo_ = recNo;
    eof_ = bof_ = false;
    blankMemos_ = true;
    tellWritten(recNo_, {}, buffer_.data());
    return AppendDone;
}

int WorkArea::AppendFilled(const char* src) {
    if (!staged_.empty()) {
        const int refusal = Append();
        if (refusal != AppendDone)
            return refusal;
        return PutRecord(src) ? AppendDone : AppendWriteFailed;
    }
    std::vector<char> record(src, src + buffer_.size());
    record[0] = ' ';
    // A new record points at no memo yet, as after a blank append.
    for (int i = 0; i < static_cast<int>(fields().size()); ++i)
        if (isMemoField(i))
            std::fill_n(record.begin() + fields()[i].offset, fields()[i].width, ' ');
    uint32_t recNo = 0;
    tellWriting();
    int refusal = table_->appendRecord(record.data(), settings_.lockTimeoutMs, &recNo);
    if (refusal == AppendWriteFailed)
        tellWriteFailed();
    if (refusal != AppendDone)
        return refusal;
    loadStamped_ = false;
    std::copy(record.begin(), record.end(), buffer_.begin());
    recNo_ = recNo;
    eof_ = bof_ = false;
    blankMemos_ = true;
    tellWritten(recNo_, {}, buffer_.data());
    return AppendDone;
}

bool WorkArea::Delete() {
    if (eof_)
        return false;
    bool tookLock = false;
    if (!lockForWrite(recNo_, &tookLock))
        return false;
    std::vector<char> before = storedForListener();
    tellWriting();
    bool ok = table_->writeRecordPart(recNo_, 0, 1, "*");
    if (!ok)
        tellWriteFailed();
    if (ok) {
        loadStamped_ = false;
        buffer_[0] = '*';
        tellPartWritten(before);
    }
    if (tookLock)
        table_->unlockRecord(recNo_);
    return ok;
}

bool WorkArea::RestoreRecord(uint32_t recNo, const char* bytes) {
    std::vector<char> stored(buffer_.size());
    if (!table_->readRecord(recNo, stored.data()))
        return false;
    if (std::equal(stored.begin(), stored.end(), bytes))
        return true;
    tellWriting();
    if (!table_->writeRecord(recNo, bytes)) {
        tellWriteFailed();
        return false;
    }
    if (recNo == recNo_ && !eof_)
        loadStamped_ = false;
        std::copy_n(bytes, buffer_.size(), buffer_.begin());
    tellWritten(recNo, stored, bytes);
    return true;
}

bool WorkArea::Rlock(uint32_t recNo) { return table_->lockRecord(recNo, settings_.lockTimeoutMs); }

bool WorkArea::Hold(uint32_t recNo) { return table_->keepRecordLock(recNo, settings_.lockTimeoutMs); }

bool WorkArea::WriteField(int index, const std::string& bytes) {
    if (eof_ || index < 0 || index >= static_cast<int>(fields().size()) || isMemoField(index))
        return false;
    const FieldInfo& f = fields()[index];
    if (static_cast<int>(bytes.size()) != f.width)
        return false;
    bool tookLock = false;
    if (!lockForWrite(recNo_, &tookLock))
        return false;
    std::vector<char> before = storedForListener();
    tellWriting();
    bool ok = table_->writeRecordPart(recNo_, f.offset, f.width, bytes.data());
    if (!ok)
        tellWriteFailed();
    if (ok) {
        loadStamped_ = false;
        std::copy(bytes.begin(), bytes.end(), buffer_.begin() + f.offset);
        tellPartWritten(before);
    }
    if (tookLock)
        table_->unlockRecord(recNo_);
    return ok;
}

bool WorkArea::ReadMemo(int index, std::string* data, uint32_t* type) {
    data->clear();
    if (type)
        *type = MemoText;
    if (index < 0 || index >= static_cast<int>(fields().size()) || !isMemoField(index))
        return false;
    auto staged = staged_.find(index);
    if (staged != staged_.end()) {
        *data = staged->second.data;
        if (type)
            *type = staged->second.type;
        return true;
    }
    uint32_t block = eof_ ? 0 : memoBlock(buffer_.data(), index);
    if (block == 0 || !memo_)
        return block == 0;
    return memo_->Read(block, data, type);
}

bool WorkArea::WriteMemo(int index, const std::string& data, uint32_t type) {
    if (eof_ || !memo_ || index < 0 || index >= static_cast<int>(fields().size()) || !isMemoField(index))
        return false;
    auto kept = std::move(staged_);
    staged_.clear();
    staged_[index] = StagedMemo{data, type};
    std::vector<char> record(buffer_);
    bool ok = PutRecord(record.data());
    // Memos staged for other fields stay staged.
    kept.erase(index);
    if (!ok)
        staged_.erase(index);
    staged_.merge(kept);
    return ok;
}

void WorkArea::StageMemo(int index, std::string data, uint32_t type) {
    if (index >= 0 && index < static_cast<int>(fields().size()) && isMemoField(index))
        staged_[index] = StagedMemo{std::move(data), type};
}

bool WorkArea::Zap() {
    if (mode() != OpenMode::Exclusive)
        return false;
    tellWriting();
    if (!table_->zap()) {
        tellWriteFailed();
        return false;
    }
    // The records are gone whatever becomes of the memos: the tags follow.
    const bool memosCleared = !memo_ || memo_->Clear();
    if (onZapped)
        onZapped();
    GoTop();
    return memosCleared;
}

bool WorkArea::Commit() { return table_->flush() && (!memo_ || memo_->Flush()); }

bool WorkArea::AppendFrom(const std::string& sourcePath, int driver, const std::string& condition) {
    if (table_->readOnly())
        return false;
    if (driver < DriverNtx || driver > DriverNsx)
        driver = DriverNsx;
    DbfStatus status;
    std::unique_ptr<DbfFile> source = DbfFile::Open(sourcePath, OpenMode::ReadOnly, &status);
    if (!source)
        return false;
    std::unique_ptr<Expression> accept;
    if (!condition.empty()) {
        ExprStatus compiled;
        accept = Expression::Compile(condition, source->fields(), settings_, compiled);
        if (!accept || accept->Type() != ExprType::Logical)
            return false;  // a condition that cannot be read appends nothing
    }
    std::unique_ptr<MemoFile> sourceMemo;
    if (source->hasMemoFields())
        sourceMemo = MemoFile::Open(os::MapPath(MemoPath(sourcePath, driver)), FormatOf(driver), true);

    struct Pair {
        int from, to;
        bool fromMemo, toMemo;
    };
    std::vector<Pair> pairs;
    const std::vector<FieldInfo>& sourceFields = source->fields();
    for (size_t i = 0; i < sourceFields.size(); ++i) {
        int to = FieldIndex(sourceFields[i].name);
        if (to < 0)
            continue;
        pairs.push_back({static_cast<int>(i), to, IsMemoField(sourceFields[i]), isMemoField(to)});
    }

    std::vector<char> in(source->recordSize());
    uint32_t count = source->recordCount();
    staged_.clear();
    for (uint32_t r = 1; r <= count; ++r) {
        if (!source->readRecord(r, in.data()))
            break;
        if (settings_.deleted && in[0] == '*')
            continue;
        if (accept && !accept->EvalLogical(RecordView{&sourceFields, in.data(), r}, settings_))
            continue;
        std::vector<char> out(buffer_.size(), ' ');
        std::map<int, StagedMemo> memos;
        for (const Pair& p : pairs) {
            const FieldInfo& from = sourceFields[p.from];
            std::string text;
            uint32_t type = MemoText;
            if (p.fromMemo) {
                uint32_t block = MemoBlock(from, in.data() + from.offset);
                if (block != 0 && sourceMemo)
                    sourceMemo->Read(block, &text, &type);
            } else {
                text = FieldValueText(from, in.data() + from.offset);
            }
            if (p.toMemo) {
                if (!text.empty())
                    memos[p.to] = StagedMemo{std::move(text), type};
                continue;
            }
            std::string bytes;
            const FieldInfo& to = fields()[p.to];
            if (FieldBytesFromText(to, text, &bytes))
                std::copy(bytes.begin(), bytes.end(), out.begin() + to.offset);
        }
        out[0] = ' ';
        if (Append() != AppendDone)
            return false;
        staged_ = std::move(memos);
        bool written = PutRecord(out.data());
        if (table_->shared())
            table_->unlockRecord(recNo_);
        if (!written)
            return false;
    }
    staged_.clear();
    return true;
}

}  // namespace xb
