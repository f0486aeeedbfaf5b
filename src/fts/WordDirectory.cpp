#include "fts/WordDirectory.h"

#include <algorithm>

#include "fts/Results.h"
#include "fts/Words.h"

namespace fts {

namespace {

// Both page kinds: count at 6, first child or next leaf at 8, entries at 16.
constexpr uint32_t EntriesAt = 16;
constexpr uint32_t WordField = 1 + MaxWordLength;  // length byte and the bytes
constexpr uint32_t LeafEntrySize = WordField + 12;
constexpr uint32_t InnerEntrySize = WordField + 4;
constexpr uint32_t LeafCapacity = (PageSize - EntriesAt) / LeafEntrySize;
constexpr uint32_t InnerCapacity = (PageSize - EntriesAt) / InnerEntrySize;

uint32_t countOf(const uint8_t* page, uint32_t capacity) {
    const uint32_t count = Load16(page + 6);
    if (count > capacity) throw Failure(FtsErrDamaged);
    return count;
}

std::string_view wordAt(const uint8_t* field) {
    const uint32_t length = field[0];
    if (length == 0 || length > MaxWordLength) throw Failure(FtsErrDamaged);
    return std::string_view(reinterpret_cast<const char*>(field + 1), length);
}

void setWord(uint8_t* field, std::string_view word) {
    std::memset(field, 0, WordField);
    field[0] = static_cast<uint8_t>(word.size());
    std::memcpy(field + 1, word.data(), word.size());
}

// Byte-wise order (as unsigned), inline since words are short.
int compareWord(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

uint8_t* leafEntry(uint8_t* page, uint32_t i) { return page + EntriesAt + i * LeafEntrySize; }
const uint8_t* leafEntry(const uint8_t* page, uint32_t i) { return page + EntriesAt + i * LeafEntrySize; }
uint8_t* innerEntry(uint8_t* page, uint32_t i) { return page + EntriesAt + i * InnerEntrySize; }
const uint8_t* innerEntry(const uint8_t* page, uint32_t i) { return page + EntriesAt + i * InnerEntrySize; }

uint32_t innerChild(const uint8_t* page, uint32_t child) {
    return child == 0 ? Load32(page + 8) : Load32(innerEntry(page, child - 1) + WordField);
}

}  // namespace

uint32_t WordDirectory::descend(std::string_view word, std::vector<PathStep>* path, uint32_t& index,
                                bool& found) {
    const Header& h = file_.header();
    uint32_t page = h.dirRoot;
    for (uint32_t level = h.dirHeight; level > 1; --level) {
        const uint8_t* inner = file_.Read(page, PageType::Inner);
        const uint32_t count = countOf(inner, InnerCapacity);
        // The child after the last separator not above the word.
        uint32_t lo = 0, hi = count;
        while (lo < hi) {
            const uint32_t mid = (lo + hi) / 2;
            if (compareWord(wordAt(innerEntry(inner, mid)), word) <= 0) lo = mid + 1;
            else hi = mid;
        }
        if (path) path->push_back({page, lo});
        page = innerChild(inner, lo);
    }
    const uint8_t* leaf = file_.Read(page, PageType::Leaf);
    const uint32_t count = countOf(leaf, LeafCapacity);
    uint32_t lo = 0, hi = count;
    while (lo < hi) {
        const uint32_t mid = (lo + hi) / 2;
        if (compareWord(wordAt(leafEntry(leaf, mid)), word) < 0) lo = mid + 1;
        else hi = mid;
    }
    index = lo;
    found = lo < count && wordAt(leafEntry(leaf, lo)) == word;
    return page;
}

bool WordDirectory::Find(std::string_view word, WordSlot& slot) {
    if (file_.header().dirRoot == 0) return false;
    bool found;
    slot.page = descend(word, nullptr, slot.index, found);
    return found;
}

WordSlot WordDirectory::FindOrInsert(std::string_view word) {
    Header& h = file_.header();
    if (h.dirRoot == 0) {
        uint8_t* leaf = file_.Allocate(PageType::Leaf, h.dirRoot);
        h.dirHeight = 1;
        Store16(leaf + 6, 1);
        setWord(leafEntry(leaf, 0), word);
        ++h.wordCount;
        return {h.dirRoot, 0};
    }
    std::vector<PathStep> path;
    uint32_t index;
    bool found;
    const uint32_t page = descend(word, &path, index, found);
    if (found) return {page, index};

    uint8_t* leaf = file_.Modify(page, PageType::Leaf);
    const uint32_t count = countOf(leaf, LeafCapacity);
    ++h.wordCount;
    if (count < LeafCapacity) {
        std::memmove(leafEntry(leaf, index + 1), leafEntry(leaf, index), (count - index) * LeafEntrySize);
        setWord(leafEntry(leaf, index), word);
        std::memset(leafEntry(leaf, index) + WordField, 0, 12);
        Store16(leaf + 6, static_cast<uint16_t>(count + 1));
        return {page, index};
    }

    // Full: lay out all entries with the new one, then share them out.
    std::vector<uint8_t> all((count + 1) * LeafEntrySize, 0);
    std::memcpy(all.data(), leafEntry(leaf, 0), index * LeafEntrySize);
    setWord(all.data() + index * LeafEntrySize, word);
    std::memcpy(all.data() + (index + 1) * LeafEntrySize, leafEntry(leaf, index), (count - index) * LeafEntrySize);
    const uint32_t leftCount = (count + 1) / 2;
    const uint32_t rightCount = count + 1 - leftCount;
    uint32_t rightPage;
    uint8_t* right = file_.Allocate(PageType::Leaf, rightPage);
    std::memcpy(leafEntry(right, 0), all.data() + leftCount * LeafEntrySize, rightCount * LeafEntrySize);
    Store16(right + 6, static_cast<uint16_t>(rightCount));
    Store32(right + 8, Load32(leaf + 8));
    std::memcpy(leafEntry(leaf, 0), all.data(), leftCount * LeafEntrySize);
    std::memset(leafEntry(leaf, leftCount), 0, (LeafCapacity - leftCount) * LeafEntrySize);
    Store16(leaf + 6, static_cast<uint16_t>(leftCount));
    Store32(leaf + 8, rightPage);
    uint8_t separator[WordField];
    std::memcpy(separator, leafEntry(right, 0), WordField);
    insertInParent(path, separator, rightPage);
    return index < leftCount ? WordSlot{page, index} : WordSlot{rightPage, index - leftCount};
}

void WordDirectory::insertInParent(std::vector<PathStep>& path, const uint8_t* separator, uint32_t right) {
    Header& h = file_.header();
    if (path.empty()) {
        if (h.dirHeight >= 32) throw Failure(FtsErrFull);
        uint32_t rootPage;
        uint8_t* root = file_.Allocate(PageType::Inner, rootPage);
        Store16(root + 6, 1);
        Store32(root + 8, h.dirRoot);
        std::memcpy(innerEntry(root, 0), separator, WordField);
        Store32(innerEntry(root, 0) + WordField, right);
        h.dirRoot = rootPage;
        ++h.dirHeight;
        return;
    }
    const PathStep step = path.back();
    path.pop_back();
    uint8_t* inner = file_.Modify(step.page, PageType::Inner);
    const uint32_t count = countOf(inner, InnerCapacity);
    const uint32_t at = step.child;  // the new entry goes right after the child that split
    if (at > count) throw Failure(FtsErrDamaged);
    uint8_t entry[InnerEntrySize];
    std::memcpy(entry, separator, WordField);
    Store32(entry + WordField, right);
    if (count < InnerCapacity) {
        std::memmove(innerEntry(inner, at + 1), innerEntry(inner, at), (count - at) * InnerEntrySize);
        std::memcpy(innerEntry(inner, at), entry, InnerEntrySize);
        Store16(inner + 6, static_cast<uint16_t>(count + 1));
        return;
    }
    std::vector<uint8_t> all((count + 1) * InnerEntrySize);
    std::memcpy(all.data(), innerEntry(inner, 0), at * InnerEntrySize);
    std::memcpy(all.data() + at * InnerEntrySize, entry, InnerEntrySize);
    std::memcpy(all.data() + (at + 1) * InnerEntrySize, innerEntry(inner, at), (count - at) * InnerEntrySize);
    // The middle entry moves up: its word separates, its child starts the right page.
    const uint32_t middle = (count + 1) / 2;
    const uint8_t* up = all.data() + middle * InnerEntrySize;
    const uint32_t rightCount = count - middle;
    uint32_t newPage;
    uint8_t* newInner = file_.Allocate(PageType::Inner, newPage);
    Store16(newInner + 6, static_cast<uint16_t>(rightCount));
    Store32(newInner + 8, Load32(up + WordField));
    std::memcpy(innerEntry(newInner, 0), up + InnerEntrySize, rightCount * InnerEntrySize);
    std::memcpy(innerEntry(inner, 0), all.data(), middle * InnerEntrySize);
    std::memset(innerEntry(inner, middle), 0, (InnerCapacity - middle) * InnerEntrySize);
    Store16(inner + 6, static_cast<uint16_t>(middle));
    uint8_t upWord[WordField];
    std::memcpy(upWord, up, WordField);
    insertInParent(path, upWord, newPage);
}

WordDirectory::CachedList* WordDirectory::cacheSlot(std::string_view word) {
    // FNV-1a; words are short.
    uint64_t h = 0xCBF29CE484222325ull;
    for (char c : word) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    const size_t mask = cache_.size() - 1;
    for (size_t i = static_cast<size_t>(h ^ (h >> 32)) & mask;; i = (i + 1) & mask) {
        CachedList& slot = cache_[i];
        if (slot.length == 0 ||
            (slot.length == word.size() && std::memcmp(slot.word, word.data(), word.size()) == 0))
            return &slot;
    }
}

void WordDirectory::growCache() {
    std::vector<CachedList> old = std::move(cache_);
    cache_.assign(std::max<size_t>(1024, old.size() * 2), CachedList{});
    for (const CachedList& entry : old)
        if (entry.length != 0) *cacheSlot(std::string_view(entry.word, entry.length)) = entry;
}

WordDirectory::ListRef WordDirectory::WorkingList(std::string_view word, bool create) {
    if (cacheGeneration_ != file_.CacheGeneration()) ForgetWorkingLists();
    if ((cached_ + 1) * 2 > cache_.size()) growCache();
    CachedList* entry = cacheSlot(word);
    if (entry->length == 0) {
        WordSlot slot;
        if (create) slot = FindOrInsert(word);
        else if (!Find(word, slot)) return {nullptr, nullptr};
        entry->length = static_cast<uint8_t>(word.size());
        std::memcpy(entry->word, word.data(), word.size());
        entry->list = Get(slot);
        entry->changed = false;
        ++cached_;
    }
    return {&entry->list, &entry->changed};
}

void WordDirectory::WriteBack() {
    if (cacheGeneration_ != file_.CacheGeneration()) return;
    for (CachedList& entry : cache_) {
        if (entry.length == 0 || !entry.changed) continue;
        WordSlot slot;
        if (!Find(std::string_view(entry.word, entry.length), slot)) throw Failure(FtsErrDamaged);
        Put(slot, entry.list);
        entry.changed = false;
    }
}

void WordDirectory::ForgetWorkingLists() {
    cache_.clear();
    cached_ = 0;
    cacheGeneration_ = file_.CacheGeneration();
}

PostingList WordDirectory::Get(WordSlot slot) {
    const uint8_t* leaf = file_.Read(slot.page, PageType::Leaf);
    if (slot.index >= countOf(leaf, LeafCapacity)) throw Failure(FtsErrDamaged);
    const uint8_t* e = leafEntry(leaf, slot.index) + WordField;
    return {Load32(e), Load32(e + 4), Load32(e + 8)};
}

void WordDirectory::Put(WordSlot slot, const PostingList& list) {
    uint8_t* leaf = file_.Modify(slot.page, PageType::Leaf);
    if (slot.index >= countOf(leaf, LeafCapacity)) throw Failure(FtsErrDamaged);
    uint8_t* e = leafEntry(leaf, slot.index) + WordField;
    Store32(e, list.head);
    Store32(e + 4, list.tail);
    Store32(e + 8, list.count);
}

void WordDirectory::ForEachWithPrefix(std::string_view prefix,
                                      const std::function<void(const PostingList&)>& visit) {
    if (file_.header().dirRoot == 0) return;
    uint32_t index;
    bool found;
    uint32_t page = descend(prefix, nullptr, index, found);
    // Words with the prefix follow one another from the first not below it.
    for (uint32_t leaves = 0; page != 0; ++leaves) {
        if (leaves > file_.header().pageCount) throw Failure(FtsErrDamaged);
        const uint8_t* leaf = file_.Read(page, PageType::Leaf);
        const uint32_t count = countOf(leaf, LeafCapacity);
        for (; index < count; ++index) {
            const uint8_t* e = leafEntry(leaf, index);
            if (!wordAt(e).starts_with(prefix)) return;
            e += WordField;
            visit({Load32(e), Load32(e + 4), Load32(e + 8)});
        }
        page = Load32(leaf + 8);
        index = 0;
    }
}

}  // namespace fts
