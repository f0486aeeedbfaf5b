#include "fts/KeyTable.h"

#include "fts/Results.h"

namespace fts {

namespace {

constexpr uint32_t EntrySize = 8;
constexpr uint32_t EntriesPerTable = (PageSize - PageHeaderSize) / EntrySize;
constexpr uint32_t RefsPerMap = (PageSize - PageHeaderSize) / 4;
constexpr uint64_t MaxPositions = uint64_t(MaxMapPages) * RefsPerMap * EntriesPerTable;
constexpr uint8_t LiveFlag = 1;
constexpr uint32_t KeyRecordHeader = 4;

}  // namespace

uint8_t* KeyTable::entry(uint32_t position, bool modify) {
    Header& h = file_.header();
    if (position < 1 || position > h.positionCount) throw Failure(FtsErrOutOfRange);
    const uint32_t index = position - 1;
    const uint32_t table = index / EntriesPerTable;
    const uint32_t mapIndex = table / RefsPerMap;
    if (mapIndex >= h.mapPageCount) throw Failure(FtsErrDamaged);
    const uint8_t* map = file_.Read(h.mapPages[mapIndex], PageType::Map);
    const uint32_t tablePage = Load32(map + PageHeaderSize + 4 * (table % RefsPerMap));
    uint8_t* page = modify ? file_.Modify(tablePage, PageType::Table)
                           : const_cast<uint8_t*>(file_.Read(tablePage, PageType::Table));
    return page + PageHeaderSize + EntrySize * (index % EntriesPerTable);
}

void KeyTable::storeKey(std::string_view key, uint32_t& page, uint16_t& offset) {
    Header& h = file_.header();
    const uint32_t need = KeyRecordHeader + static_cast<uint32_t>(key.size());
    uint8_t* bytes;
    if (h.keyPage == 0 || h.keyUsed < PageHeaderSize || h.keyUsed + need > PageSize) {
        bytes = file_.Allocate(PageType::Keys, h.keyPage);
        h.keyUsed = PageHeaderSize;
    } else {
        bytes = file_.Modify(h.keyPage, PageType::Keys);
    }
    page = h.keyPage;
    offset = static_cast<uint16_t>(h.keyUsed);
    Store16(bytes + offset, static_cast<uint16_t>(key.size()));
    Store16(bytes + offset + 2, static_cast<uint16_t>(key.size()));
    std::memcpy(bytes + offset + KeyRecordHeader, key.data(), key.size());
    h.keyUsed += need;
}

uint32_t KeyTable::Append(std::string_view key) {
    Header& h = file_.header();
    if (h.positionCount >= MaxPositions) throw Failure(FtsErrFull);
    const uint32_t index = h.positionCount;
    const uint32_t table = index / EntriesPerTable;
    if (index % EntriesPerTable == 0) {
        const uint32_t mapIndex = table / RefsPerMap;
        if (table % RefsPerMap == 0) {
            if (mapIndex != h.mapPageCount) throw Failure(FtsErrDamaged);
            file_.Allocate(PageType::Map, h.mapPages[mapIndex]);
            ++h.mapPageCount;
        }
        if (mapIndex >= h.mapPageCount) throw Failure(FtsErrDamaged);
        uint8_t* map = file_.Modify(h.mapPages[mapIndex], PageType::Map);
        uint32_t tablePage;
        file_.Allocate(PageType::Table, tablePage);
        Store32(map + PageHeaderSize + 4 * (table % RefsPerMap), tablePage);
    }
    uint32_t keyPage;
    uint16_t keyOffset;
    storeKey(key, keyPage, keyOffset);
    ++h.positionCount;
    uint8_t* e = entry(h.positionCount, true);
    Store32(e, keyPage);
    Store16(e + 4, keyOffset);
    e[6] = LiveFlag;
    e[7] = 0;
    ++h.liveCount;
    return h.positionCount;
}

std::string KeyTable::Key(uint32_t position) {
    const uint8_t* e = entry(position, false);
    const uint32_t offset = Load16(e + 4);
    const uint8_t* page = file_.Read(Load32(e), PageType::Keys);
    if (offset < PageHeaderSize || offset + KeyRecordHeader > PageSize) throw Failure(FtsErrDamaged);
    const uint32_t capacity = Load16(page + offset);
    const uint32_t length = Load16(page + offset + 2);
    if (length > capacity || offset + KeyRecordHeader + capacity > PageSize) throw Failure(FtsErrDamaged);
    return std::string(reinterpret_cast<const char*>(page + offset + KeyRecordHeader), length);
}

bool KeyTable::Live(uint32_t position) { return (entry(position, false)[6] & LiveFlag) != 0; }

void KeyTable::SetLive(uint32_t position, bool live) {
    uint8_t* e = entry(position, true);
    const bool was = (e[6] & LiveFlag) != 0;
    if (was == live) return;
    e[6] = live ? LiveFlag : 0;
    Header& h = file_.header();
    if (live) {
        ++h.liveCount;
    } else {
        if (h.liveCount == 0) throw Failure(FtsErrDamaged);
        --h.liveCount;
    }
}

void KeyTable::SetKey(uint32_t position, std::string_view key) {
    uint8_t* e = entry(position, true);
    const uint32_t offset = Load16(e + 4);
    uint8_t* page = file_.Modify(Load32(e), PageType::Keys);
    if (offset < PageHeaderSize || offset + KeyRecordHeader > PageSize) throw Failure(FtsErrDamaged);
    const uint32_t capacity = Load16(page + offset);
    if (offset + KeyRecordHeader + capacity > PageSize) throw Failure(FtsErrDamaged);
    if (key.size() <= capacity) {
        Store16(page + offset + 2, static_cast<uint16_t>(key.size()));
        std::memcpy(page + offset + KeyRecordHeader, key.data(), key.size());
        return;
    }
    // A longer text goes to fresh space; the old record is left unused.
    uint32_t keyPage;
    uint16_t keyOffset;
    storeKey(key, keyPage, keyOffset);
    e = entry(position, true);
    Store32(e, keyPage);
    Store16(e + 4, keyOffset);
}

}  // namespace fts
