#include "xbengine/XbEngine.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "os/Paths.h"
#include "xbengine/DateText.h"
#include "xbengine/DurableScope.h"
#include "xbengine/Engine.h"
#include "xbengine/FieldValue.h"
#include "xbengine/Journal.h"

using xb::Engine;
using xb::WorkArea;

namespace {

int stringType = XB_STRING_ZERO_TERMINATED;
int errorLevel = 1;
intptr_t blobWriteFlag = 1;

Engine& engine() { return Engine::Instance(); }
WorkArea* current() { return engine().Current(); }
xb::AreaIndexes* indexes() { return engine().CurrentIndexes(); }

// Returned texts live in a small ring, so a few can be used side by side.
const char* Keep(std::string text) {
    static std::array<std::string, 16> ring;
    static size_t next = 0;
    std::string& slot = ring[next++ % ring.size()];
    slot = std::move(text);
    return slot.c_str();
}

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

std::string TablePath(const char* file) {
    std::string path = Text(file);
    if (path.empty())
        return path;
    if (os::ExtractFileExt(path).empty())
        path += ".DBF";
    return os::MapPath(path);
}

const xb::FieldInfo* FieldByNumber(int field) {
    WorkArea* area = current();
    if (!area || field < 1 || field > static_cast<int>(area->fields().size()))
        return nullptr;
    return &area->fields()[field - 1];
}

int FieldIndex(const char* name) {
    WorkArea* area = current();
    return area && name ? area->FieldIndex(name) : -1;
}

std::string FieldBytes(const char* name) {
    int i = FieldIndex(name);
    if (i < 0)
        return std::string();
    const xb::FieldInfo& f = current()->fields()[i];
    const char* bytes = current()->buffer() + f.offset;
    // Binary numbers of other programs' tables read as decimal text.
    if ((f.type == 'I' && f.width == 4) || (f.type == 'B' && f.width == 8))
        return xb::FieldValueText(f, bytes);
    return std::string(bytes, f.width);
}

int Previous(bool& setting, int on) {
    bool old = setting;
    setting = on != 0;
    return old ? 1 : 0;
}

}  // namespace

// Areas.

const char* xb_Version() { return "2.40.001"; }

void xb_SetStringType(int type) { stringType = type; }

int xb_Select(int area) { return engine().Select(area); }

int xb_WorkArea(const char* alias) {
    if (!alias)
        return engine().Selected();
    return engine().AreaOfAlias(alias);
}

const char* xb_Alias(int area) { return Keep(engine().Alias(area == 0 ? engine().Selected() : area)); }

const char* xb_BaseName() { return Keep(engine().BaseName(engine().Selected())); }

void xb_Close() { engine().Close(engine().Selected()); }

void xb_CloseAll() { engine().CloseAll(); }

int xb_ErrorLevel(int level) {
    int old = errorLevel;
    errorLevel = level;
    return old;
}

intptr_t xb_SysProp(int code, intptr_t value) {
    xb::Settings& s = engine().settings();
    switch (code) {
    case XB_SP_RECORD_BUFFER: return current() ? reinterpret_cast<intptr_t>(current()->buffer()) : 0;
    case XB_SP_AREA_IN_USE: return engine().InUse(static_cast<int>(value)) ? 1 : 0;
    case XB_SP_SOFTSEEK: return s.softSeek ? 1 : 0;
    case XB_SP_SET_SOFTSEEK: return Previous(s.softSeek, static_cast<int>(value));
    case XB_SP_EXACT: return s.exact ? 1 : 0;
    case XB_SP_SET_EXACT: return Previous(s.exact, static_cast<int>(value));
    case XB_SP_INDEX_KIND: return current() ? current()->driver() : 0;
    case XB_SP_TAG_COUNT: return indexes() ? indexes()->TagCount() : 0;
    case XB_SP_DESCENDING: return indexes() && indexes()->Descending(static_cast<int>(value)) ? 1 : 0;
    case XB_SP_SCOPE_ACTIVE: return indexes() && indexes()->ScopeActive() ? 1 : 0;
    case XB_SP_BLOB_WRITE: {
        intptr_t old = blobWriteFlag;
        blobWriteFlag = value;
        return old;
    }
    default: return 0;  // XB_SP_AT_EXIT, XB_SP_VARIABLE_FIELD (no variable-length fields) and unknown codes
    }
}

// Tables.

int xb_Use(const char* file, const char* alias, int mode, int driver) {
    std::string path = TablePath(file);
    if (path.empty() || mode < XB_SHARED || mode > XB_EXCLUSIVE)
        return 0;
    return engine().Use(path, Text(alias), static_cast<xb::OpenMode>(mode), driver);
}

int xb_CreateNew(const char* file, const char* alias, int driver, int fieldCount) {
    return engine().CreateNew(TablePath(file), Text(alias), driver, fieldCount);
}

int xb_CreateField(const char* name, const char* type, int width, int decimals) {
    if (!name || !type || !*type)
        return 0;
    return engine().CreateField(name, *type, width, decimals) ? 1 : 0;
}

int xb_CreateExec() { return engine().CreateExec() ? 1 : 0; }

int xb_AppendFrom(const char* file, int driver, const char* condition) {
    WorkArea* area = current();
    if (!area)
        return 0;
    indexes()->BeginBulk();
    bool done = area->AppendFrom(TablePath(file), driver, Text(condition));
    indexes()->EndBulk();
    return done ? 1 : 0;
}

int xb_Zap() { return current() && current()->Zap() ? 1 : 0; }

int xb_Commit() {
    if (!current())
        return 0;
    // Both, even when the first fails.
    bool table = current()->Commit();
    bool index = indexes()->Commit();
    return table && index ? 1 : 0;
}

void xb_BeginScope() { xb::beginDurableScope(); }

int xb_EndScope() { return xb::endDurableScope() ? 1 : 0; }

int xb_ScopeLock(int recNo) {
    WorkArea* area = current();
    if (!area || recNo <= 0 || !area->Rlock(static_cast<uint32_t>(recNo)))
        return 0;
    xb::JournalHold(area->table(), static_cast<uint32_t>(recNo));
    return 1;
}

// Fields.

int xb_FieldCount() { return current() ? static_cast<int>(current()->fields().size()) : 0; }

const char* xb_FieldName(int field) {
    const xb::FieldInfo* f = FieldByNumber(field);
    return Keep(f ? f->name : std::string());
}

const char* xb_FieldType(int field) {
    const xb::FieldInfo* f = FieldByNumber(field);
    return Keep(f ? std::string(1, f->type) : std::string());
}

int xb_FieldWidth(int field) {
    const xb::FieldInfo* f = FieldByNumber(field);
    return f ? f->width : 0;
}

int xb_FieldDecimals(int field) {
    const xb::FieldInfo* f = FieldByNumber(field);
    return f ? f->decimals : 0;
}

int xb_FieldOffset(int field) {
    const xb::FieldInfo* f = FieldByNumber(field);
    return f ? f->offset + 1 : 0;
}

int xb_FieldNum(const char* name) { return FieldIndex(name) + 1; }

int xb_RecSize() { return current() ? current()->recordSize() : 0; }

// Movement.

void xb_GoTop() {
    if (current())
        xb::GuardedMove([] { current()->GoTop(); });
}

void xb_GoBottom() {
    if (current())
        xb::GuardedMove([] { current()->GoBottom(); });
}

void xb_Go(int recNo) {
    if (current())
        current()->Go(recNo > 0 ? static_cast<uint32_t>(recNo) : 0);
}

void xb_Prefetch(int recNo) {
    if (current() && recNo > 0)
        current()->table().prefetchRecord(static_cast<uint32_t>(recNo));
}

void xb_Skip(int count) {
    if (current())
        xb::GuardedMove([count] { current()->Skip(count); });
}

int xb_Bof() { return current() && current()->Bof() ? 1 : 0; }

int xb_Eof() { return !current() || current()->Eof() ? 1 : 0; }

int xb_RecNo() { return current() ? static_cast<int>(current()->RecNo()) : 0; }

int xb_RecCount() { return current() ? static_cast<int>(current()->RecCount()) : 0; }

int xb_OrderRecNo() {
    return current() ? static_cast<int>(xb::GuardedMove([] { return current()->OrderRecNo(); })) : 0;
}

int xb_Count() { return current() ? static_cast<int>(xb::GuardedMove([] { return current()->Count(); })) : 0; }

int xb_Deleted() { return current() && current()->Deleted() ? 1 : 0; }

// Records.

int xb_GetHeldRecord(char* buffer) {
    if (!current() || !buffer)
        return 0;
    current()->CopyHeldRecord(buffer);
    return 1;
}

int xb_GetRecord(char* buffer) {
    if (!current() || !buffer)
        return 0;
    current()->CopyRecord(buffer);
    return 1;
}

int xb_PutRecord(const char* buffer) { return current() && buffer && current()->PutRecord(buffer) ? 1 : 0; }

int xb_AppendEx() { return current() ? current()->Append() : xb::AppendNoTable; }

int xb_AppendRecord(const char* buffer) {
    if (!current())
        return xb::AppendNoTable;
    return buffer ? current()->AppendFilled(buffer) : current()->Append();
}

int xb_Delete() { return current() && current()->Delete() ? 1 : 0; }

int xb_Rlock(int recNo) { return current() && recNo > 0 && current()->Rlock(recNo) ? 1 : 0; }

int xb_HoldRecord(int recNo) { return current() && recNo > 0 && current()->Hold(recNo) ? 1 : 0; }

int xb_ReleaseRecord(int recNo) {
    if (!current() || recNo <= 0)
        return 0;
    current()->Release(static_cast<uint32_t>(recNo));
    return 1;
}

int xb_Locked(int recNo) { return current() && recNo > 0 && current()->Locked(recNo) ? 1 : 0; }

int xb_Unlock(int recNo) {
    if (!current() || recNo < 0)
        return 0;
    current()->Unlock(static_cast<uint32_t>(recNo));
    return 1;
}

int xb_AppendLock() {
    return current() && current()->table().holdAppendLock(engine().settings().lockTimeoutMs) ? 1 : 0;
}

int xb_AppendUnlock() {
    if (!current() || !current()->table().holdsAppendLock())
        return 0;
    current()->table().releaseAppendLock();
    return 1;
}

// Values.

const char* xb_GetString(const char* field) { return Keep(FieldBytes(field)); }

const char* xb_GetTrimString(const char* field) {
    std::string text = FieldBytes(field);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return Keep(text);
}

const char* xb_GetDateString(const char* field) {
    return Keep(xb::DateToText(FieldBytes(field), engine().settings()));
}

int xb_GetLogical(const char* field) {
    std::string bytes = FieldBytes(field);
    return !bytes.empty() && xb::IsTrueLetter(bytes[0]) ? 1 : 0;
}

int xb_Empty(const char* field) {
    int i = FieldIndex(field);
    if (i < 0)
        return 1;
    const xb::FieldInfo& f = current()->fields()[i];
    if (xb::IsMemoField(f)) {
        std::string memo;
        current()->ReadMemo(i, &memo);
        return memo.empty() ? 1 : 0;
    }
    std::string text = xb::FieldValueText(f, current()->buffer() + f.offset);
    if (f.type == 'L')
        return text == "T" ? 0 : 1;
    if (f.type == 'N' || f.type == 'F' || f.type == 'I' || f.type == 'B') {
        double v = 0;
        return !xb::ParseNumber(text, &v) || v == 0 ? 1 : 0;
    }
    return text.find_first_not_of(' ') == std::string::npos ? 1 : 0;
}

int xb_Replace(const char* field, int type, const void* value) {
    int i = FieldIndex(field);
    if (i < 0 || !value)
        return 0;
    WorkArea* area = current();
    const xb::FieldInfo& f = area->fields()[i];
    if (xb::IsMemoField(f)) {
        if (type != XB_REPLACE_MEMO && type != XB_REPLACE_TEXT)
            return 0;
        return area->WriteMemo(i, static_cast<const char*>(value), xb::MemoText) ? 1 : 0;
    }
    std::string text;
    switch (type) {
    case XB_REPLACE_TEXT:
    case XB_REPLACE_MEMO: text = static_cast<const char*>(value); break;
    case XB_REPLACE_DATE_TEXT: {
        std::string given = static_cast<const char*>(value);
        text = xb::TextToDate(given, engine().settings());
        // Text that is not a date is refused rather than stored as a blank date.
        bool onlySeparators = given.find_first_not_of(" /.-") == std::string::npos;
        if (text.find_first_not_of(' ') == std::string::npos && !onlySeparators)
            return 0;
        break;
    }
    case XB_REPLACE_LOGICAL: text = *static_cast<const int*>(value) ? "T" : "F"; break;
    case XB_REPLACE_INT: text = std::to_string(*static_cast<const int*>(value)); break;
    case XB_REPLACE_DOUBLE: {
        std::string formatted;
        double v = *static_cast<const double*>(value);
        if (f.type == 'N' || f.type == 'F') {
            if (!xb::FormatNumber(v, f.width, f.decimals, &formatted))
                return 0;
            return area->WriteField(i, formatted) ? 1 : 0;
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", f.decimals, v);
        text = buf;
        break;
    }
    default: return 0;
    }
    std::string bytes;
    if (!xb::FieldBytesFromText(f, text, &bytes))
        return 0;
    return area->WriteField(i, bytes) ? 1 : 0;
}

// Memos.

char* xb_GetMemo(const char* field, int /*lineWidth*/) {
    std::string memo;
    int i = FieldIndex(field);
    if (i >= 0)
        current()->ReadMemo(i, &memo);
    char* copy = static_cast<char*>(std::malloc(memo.size() + 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, memo.data(), memo.size());
    copy[memo.size()] = '\0';
    return copy;
}

void xb_MemDealloc(void* memo) { std::free(memo); }

int xb_GetBlobLength(const char* field) {
    std::string memo;
    int i = FieldIndex(field);
    if (i < 0 || !current()->ReadMemo(i, &memo))
        return 0;
    return static_cast<int>(memo.size());
}

int xb_GetBlob(const char* field, void* dest) {
    std::string memo;
    int i = FieldIndex(field);
    if (i < 0 || !dest || !current()->ReadMemo(i, &memo))
        return 0;
    std::memcpy(dest, memo.data(), memo.size());
    return static_cast<int>(memo.size());
}

int xb_PutBlob(const char* field, const void* data, int length) {
    int i = FieldIndex(field);
    if (i < 0 || length < 0 || (length > 0 && !data) || !xb::IsMemoField(current()->fields()[i]))
        return 0;
    std::string bytes(static_cast<const char*>(data), static_cast<size_t>(length));
    current()->StageMemo(i, std::move(bytes), xb::MemoBinary);
    return 1;
}

int xb_IsEncrypted(int) { return 0; }

// Settings.

int xb_SetExact(int on) { return Previous(engine().settings().exact, on); }

int xb_SetSoftSeek(int on) { return Previous(engine().settings().softSeek, on); }

int xb_SetDeleted(int on) { return Previous(engine().settings().deleted, on); }

int xb_SetCentury(int on) { return Previous(engine().settings().century, on); }

int xb_SetEpoch(int year) {
    int old = engine().settings().epoch;
    engine().settings().epoch = year;
    return old;
}

int xb_SetDateFormat(int format) {
    int old = engine().settings().dateFormat;
    if ((format >= XB_DATE_AMERICAN && format <= XB_DATE_SPANISH) || format == XB_DATE_SYSTEM)
        engine().settings().dateFormat = format;
    return old;
}

int xb_SetLockTimeout(int milliseconds) {
    int old = engine().settings().lockTimeoutMs;
    engine().settings().lockTimeoutMs = milliseconds < 0 ? 0 : milliseconds;
    return old;
}

int xb_SetMemoBlockSize(int bytes) {
    int old = engine().settings().memoBlockSize;
    if (bytes >= 1 && bytes <= 0xFFFF)
        engine().settings().memoBlockSize = bytes;
    return old;
}

int xb_SetTurboRead(int on) { return Previous(engine().settings().turboRead, on); }
