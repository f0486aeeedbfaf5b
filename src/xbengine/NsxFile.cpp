#include "xbengine/NsxFile.h"
#include "xbengine/DurableScope.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

#include "os/FileIo.h"
#include "os/FileLock.h"
#include "xbengine/NsxPage.h"
#include "xbengine/NsxTree.h"

namespace xb {

using namespace nsxpage;

static_assert(std::endian::native == std::endian::little, "the change counter is read in place");

namespace {

// An index entry: the encoded key followed by the record number, so that one
// byte comparison orders by key and then by record.
void encodeEntry(const NsxKeyCodec& codec, std::string_view keyText, uint32_t recNo, uint8_t* entry) {
    codec.encodeKey(keyText, entry);
    nsxPutRecNo(entry + codec.keyBytes(), recNo);
}

// The writer's lock lies far beyond any real file size, so it never meets a
// lock on the file's bytes.
constexpr uint64_t writerLockOffset = uint64_t(1) << 40;
// The lock of writer slot i is at intentLockBase + i.
constexpr uint64_t intentLockBase = writerLockOffset + 1;
constexpr size_t maxTags = (hdrIntents - hdrDirectory) / dirEntrySize;
static_assert(hdrIntents % 8 == 0 && hdrIntents + intentSlots == NsxFile::pageSize);

// The header page, mapped for reading only: the counter and the marks are
// read in place, and written with writes to the file. (A store through a
// writable mapping would make each write-back of the page clean it and flush
// its TLB entries, and the next store fault it in again.)
const uint8_t* MapHeader(int fd) {
    void* map = mmap(nullptr, NsxFile::pageSize, PROT_READ, MAP_SHARED, fd, 0);
    return map == MAP_FAILED ? nullptr : static_cast<const uint8_t*>(map);
}

uint8_t markOf(const uint8_t* marks, int slot) { return __atomic_load_n(marks + slot, __ATOMIC_ACQUIRE); }

// Sets or clears the mark of a writer's slot: one byte written in place, so
// it needs no free space, and a reader sees it whole. Not a change of the
// index: it is no reason to flush the file, and it bypasses the file layer's
// count of data writes (a mark that cannot be written fails no document).
bool putMark(int fd, int slot, uint8_t mark) {
    const off_t at = off_t(hdrIntents + slot);
    for (;;) {
        const ssize_t n = ::pwrite(fd, &mark, 1, at);
        if (n == 1) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

void report(const std::function<void(int)>& progress, int percent) {
    if (progress) progress(percent);
}

}  // namespace

NsxFile::NsxFile(std::string path, int fd, bool readOnly) : path_(std::move(path)), fd_(fd), readOnly_(readOnly) {}

NsxFile::~NsxFile() {
    if (updateDepth_ > 0) {
        updateDepth_ = 1;
        abandonUpdate();
    }
    // A mark still set stays: the tags did not follow the table, so the
    // next open builds them again. Closing releases the slot's lock.
    if (header_) munmap(const_cast<uint8_t*>(header_), pageSize);
    if (fd_ >= 0) os::CloseFile(fd_);
}

std::unique_ptr<NsxFile> NsxFile::Create(const std::string& path) { return make(path, false); }

std::unique_ptr<NsxFile> NsxFile::CreateForBuild(const std::string& path) { return make(path, true); }

std::unique_ptr<NsxFile> NsxFile::make(const std::string& path, bool building) {
    int fd = os::OpenFile(path, O_RDWR | O_CREAT);
    if (fd < 0) throw NsxError("Cannot create index file " + path + ": " + std::strerror(errno));
    std::unique_ptr<NsxFile> file(new NsxFile(path, fd, false));
    file->lockWriter();
    try {
        // An existing file is emptied in place, never truncated below its
        // header, and its counter goes on rising, so other opens notice.
        uint64_t base = 0;
        struct stat st {};
        uint8_t old[hdrDirectory];
        if (fstat(fd, &st) == 0 && st.st_size >= off_t(pageSize) &&
            ::pread(fd, old, sizeof old, 0) == ssize_t(sizeof old) && std::memcmp(old, magic, 8) == 0)
            base = (get64(old + hdrCounter) + 1) & ~uint64_t(1);
        file->pageCount_ = 1;
        file->freeHead_ = 0;
        if (building) {
            // The odd counter goes first and stays until the tags are in.
            file->counter_ = base;
            file->markWriting();
            file->writeHeaderBody(base + 1);
        } else {
            file->counter_ = base + 2;
            file->writeHeader(file->counter_);
        }
        if (!os::TruncateFile(fd, pageSize))
            throw NsxError("Cannot write index file " + path + ": " + std::strerror(errno));
        file->header_ = MapHeader(fd);
        if (!file->header_) throw NsxError("Cannot map index file " + path);
        // The tags are about to be built from the table as it is now, which
        // settles what dead writers left undone.
        file->clearDeadIntents();
        file->loaded_ = true;
    } catch (...) {
        file->unlockWriter();
        throw;
    }
    if (building) {
        file->updateDepth_ = 1;  // the writer's lock stays, as in beginUpdate
        file->headerDirty_ = true;
        return file;
    }
    file->unlockWriter();
    return file;
}

std::unique_ptr<NsxFile> NsxFile::Open(const std::string& path, bool readOnly) {
    int fd = os::OpenFile(path, readOnly ? O_RDONLY : O_RDWR);
    if (fd < 0) throw NsxError("Cannot open index file " + path + ": " + std::strerror(errno));
    std::unique_ptr<NsxFile> file(new NsxFile(path, fd, readOnly));
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size < off_t(pageSize)) file->damaged("it is not an index file");
    file->header_ = MapHeader(fd);
    if (!file->header_) throw NsxError("Cannot map index file " + path);
    if (std::memcmp(file->header_, magic, 8) != 0) file->damaged("it is not an index file");
    file->syncForRead();
    return file;
}

std::vector<NsxTagInfo> NsxFile::Salvage(const std::string& path) {
    int fd = os::OpenFile(path, O_RDONLY);
    if (fd < 0) return {};
    NsxFile file(path, fd, true);
    std::vector<NsxTagInfo> result;
    // The descriptions are read as they lie, whatever the counter says; a
    // description that cannot be read is passed over.
    uint8_t page[pageSize];
    try {
        file.preadPage(0, page);
    } catch (const NsxError&) {
        return result;
    }
    if (std::memcmp(page, magic, 8) != 0) return result;
    const uint32_t tagCount = std::min<uint32_t>(get32(page + hdrTagCount), maxTags);
    uint8_t tagBytes[pageSize];
    for (uint32_t i = 0; i < tagCount; ++i) {
        const uint32_t tagPage = get32(page + hdrDirectory + i * dirEntrySize + dirNameSize);
        try {
            if (tagPage == 0) continue;
            file.preadPage(tagPage, tagBytes);
        } catch (const NsxError&) {
            continue;
        }
        const int exprLength = get16(tagBytes + tagExprLength);
        const int condLength = get16(tagBytes + tagCondLength);
        if (tagBytes[0] != typeTag || tagTexts + exprLength + condLength > int(pageSize)) continue;
        NsxTagInfo info;
        info.name.assign(reinterpret_cast<const char*>(tagBytes + tagName),
                         strnlen(reinterpret_cast<const char*>(tagBytes + tagName), dirNameSize));
        info.keyExpression.assign(reinterpret_cast<const char*>(tagBytes + tagTexts), exprLength);
        info.condition.assign(reinterpret_cast<const char*>(tagBytes + tagTexts + exprLength), condLength);
        info.unique = tagBytes[tagUnique] != 0;
        info.descending = tagBytes[tagDescending] != 0;
        info.keyType = char(tagBytes[tagKeyType]);
        info.keyLength = get16(tagBytes + tagKeyLength);
        if (!info.name.empty() && !info.keyExpression.empty()) result.push_back(std::move(info));
    }
    return result;
}

void NsxFile::MarkForRebuild(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    NsxFile file(path, fd, false);
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size < off_t(pageSize)) return;
    file.header_ = MapHeader(fd);
    if (!file.header_ || std::memcmp(file.header_, magic, 8) != 0) return;
    const uint8_t* marks = file.header_ + hdrIntents;
    const os::FileLock lock(fd);
    for (int slot = 0; slot < intentSlots; ++slot) {
        const uint64_t at = intentLockBase + uint64_t(slot);
        // The slot's lock keeps a writer from taking it while the mark goes in;
        // let go at once, the mark is a dead writer's.
        if (!lock.Lock(at, 1, os::LockKind::Exclusive, 0)) continue;
        const bool marked = markOf(marks, slot) == 0 && putMark(fd, slot, 1);
        lock.Unlock(at, 1);
        if (marked) return;
    }
}

uint64_t NsxFile::changeCounter() const {
    return __atomic_load_n(reinterpret_cast<const uint64_t*>(header_ + hdrCounter), __ATOMIC_ACQUIRE);
}

// ---- Reading against a consistent state -------------------------------------

uint64_t NsxFile::stableCounter() const {
    uint64_t counter = changeCounter();
    // An odd counter means a writer is between its first page write and its
    // header write: wait for it, unless nobody is writing at all.
    for (int waits = 0; counter & 1; ++waits) {
        bool active = writerActive();
        counter = changeCounter();
        if (!(counter & 1)) break;
        if (!active) damaged("an update of it was cut short");
        if (waits > 100000) throw NsxError("Index file " + path_ + " stays busy");
        usleep(100);
        counter = changeCounter();
    }
    if (deadIntent()) damaged("a write to its table was cut short before its tags followed");
    return counter;
}

void NsxFile::syncForRead() {
    for (;;) {
        const uint64_t counter = stableCounter();
        if (loaded_ && counter == counter_) return;
        loaded_ = false;
        dropCache();
        try {
            loadState();
        } catch (const NsxError&) {
            if (changeCounter() == counter) throw;
            continue;
        }
        ++stateVersion_;
        if (counter_ == counter && changeCounter() == counter) {
            loaded_ = true;
            return;
        }
    }
}

void NsxFile::loadState() {
    uint8_t page[pageSize];
    preadPage(0, page);
    if (std::memcmp(page, magic, 8) != 0) damaged("it is not an index file");
    if (get32(page + hdrPageSize) != pageSize) damaged("unknown page size");
    const uint32_t pageCount = get32(page + hdrPageCount);
    const uint32_t freeHead = get32(page + hdrFreeHead);
    const uint32_t tagCount = get32(page + hdrTagCount);
    struct stat st {};
    if (pageCount < 1 || fstat(fd_, &st) != 0 || uint64_t(st.st_size) < uint64_t(pageCount) * pageSize)
        damaged("the page count does not match its size");
    if (freeHead >= pageCount) damaged("the free page list leads outside it");
    if (tagCount > maxTags) damaged("too many tags");

    std::vector<TagState> tags;
    uint8_t tagBytes[pageSize];
    for (uint32_t i = 0; i < tagCount; ++i) {
        const uint8_t* dir = page + hdrDirectory + i * dirEntrySize;
        const uint32_t tagPage = get32(dir + dirNameSize);
        if (tagPage == 0 || tagPage >= pageCount) damaged("a tag lies outside it");
        preadPage(tagPage, tagBytes);
        if (tagBytes[0] != typeTag) damaged("a tag description is missing");
        const uint32_t root = get32(tagBytes + tagRoot);
        const int exprLength = get16(tagBytes + tagExprLength);
        const int condLength = get16(tagBytes + tagCondLength);
        if (root == 0 || root >= pageCount) damaged("a tag's root lies outside it");
        if (tagTexts + exprLength + condLength > int(pageSize)) damaged("a tag description is too long");
        if (std::memcmp(dir, tagBytes + tagName, dirNameSize) != 0) damaged("a tag name does not match");

        NsxTagInfo info;
        info.name.assign(reinterpret_cast<const char*>(tagBytes + tagName),
                         strnlen(reinterpret_cast<const char*>(tagBytes + tagName), dirNameSize));
        info.keyExpression.assign(reinterpret_cast<const char*>(tagBytes + tagTexts), exprLength);
        info.condition.assign(reinterpret_cast<const char*>(tagBytes + tagTexts + exprLength), condLength);
        info.unique = tagBytes[tagUnique] != 0;
        info.descending = tagBytes[tagDescending] != 0;
        info.keyType = char(tagBytes[tagKeyType]);
        info.keyLength = get16(tagBytes + tagKeyLength);
        NsxKeyCodec codec = [&] {
            try {
                return NsxKeyCodec(info.keyType, info.keyLength, info.descending);
            } catch (const NsxError&) {
                damaged("a tag has an unknown key layout");
            }
        }();
        if (codec.keyBytes() != get16(tagBytes + tagKeyBytes)) damaged("a tag has an unknown key layout");
        tags.push_back(TagState{std::move(info), codec, tagPage, root});
    }
    pageCount_ = pageCount;
    freeHead_ = freeHead;
    tags_ = std::move(tags);
    counter_ = get64(page + hdrCounter);
}

bool NsxFile::writerActive() const {
    return os::FileLock(fd_).LockedByOther(writerLockOffset, 1, os::LockKind::Exclusive);
}

void NsxFile::lockWriter() {
    if (!os::FileLock(fd_).Lock(writerLockOffset, 1, os::LockKind::Exclusive, -1))
        throw NsxError("Cannot lock index file " + path_ + ": " + std::strerror(errno));
}

void NsxFile::unlockWriter() { os::FileLock(fd_).Unlock(writerLockOffset, 1); }

// ---- Writers' marks ------------------------------------------------------------

bool NsxFile::deadIntent() const {
    const uint8_t* marks = header_ + hdrIntents;
    // Read on every search: four words at a time.
    const auto* words = reinterpret_cast<const uint64_t*>(marks);
    uint64_t any = 0;
    for (int i = 0; i < intentSlots / 8; i += 4)
        any |= __atomic_load_n(words + i, __ATOMIC_ACQUIRE) | __atomic_load_n(words + i + 1, __ATOMIC_ACQUIRE) |
               __atomic_load_n(words + i + 2, __ATOMIC_ACQUIRE) | __atomic_load_n(words + i + 3, __ATOMIC_ACQUIRE);
    if (any == 0) return false;
    const os::FileLock lock(fd_);
    for (int slot = 0; slot < intentSlots; ++slot) {
        if (slot == intentSlot_ || markOf(marks, slot) == 0) continue;
        const uint64_t at = intentLockBase + uint64_t(slot);
        if (lock.LockedByOther(at, 1, os::LockKind::Shared)) continue;  // its writer is at work
        // Nobody seemed to hold the slot. A lock of our own makes sure: while
        // we hold it, nobody can take the slot and mark it.
        if (!lock.Lock(at, 1, os::LockKind::Shared, 0)) continue;
        const bool dead = markOf(marks, slot) != 0;
        lock.Unlock(at, 1);
        if (dead) return true;
    }
    return false;
}

void NsxFile::clearDeadIntents() {
    const os::FileLock lock(fd_);
    const uint8_t* marks = header_ + hdrIntents;
    for (int slot = 0; slot < intentSlots; ++slot) {
        if (markOf(marks, slot) == 0) continue;
        const uint64_t at = intentLockBase + uint64_t(slot);
        if (lock.LockedByOther(at, 1, os::LockKind::Shared)) continue;  // a live writer's
        // A reader making sure the slot is dead holds it only for a moment.
        if (!lock.Lock(at, 1, os::LockKind::Exclusive, 50)) continue;
        putMark(fd_, slot, 0);
        lock.Unlock(at, 1);
    }
}

void NsxFile::takeIntentSlot() {
    const os::FileLock lock(fd_);
    const int start = int(getpid() % intentSlots);
    for (int k = 0; k < intentSlots; ++k) {
        const int slot = (start + k) % intentSlots;
        const uint64_t at = intentLockBase + uint64_t(slot);
        if (!lock.Lock(at, 1, os::LockKind::Exclusive, 0)) continue;
        // A mark in a free slot is a dead writer's: it stays for the next
        // open or read to find.
        if (markOf(header_ + hdrIntents, slot) == 0) {
            intentSlot_ = slot;
            return;
        }
        lock.Unlock(at, 1);
    }
    throw NsxError("Index file " + path_ + " has no free writer's slot");
}

void NsxFile::beginIntent() {
    if (readOnly_) throw NsxError("Index file " + path_ + " is open read-only");
    if (intentDepth_++ > 0) return;
    if (intentSlot_ < 0) {
        try {
            takeIntentSlot();
        } catch (...) {
            intentDepth_ = 0;
            throw;
        }
    }
    if (!putMark(fd_, intentSlot_, 1)) {
        intentDepth_ = 0;
        throw NsxError("Cannot write index file " + path_ + ": " + std::strerror(errno));
    }
}

void NsxFile::endIntent() {
    if (intentDepth_ <= 0 || --intentDepth_ > 0) return;
    // Should it fail, the mark stays: the next open builds the tags again.
    putMark(fd_, intentSlot_, 0);
}

// ---- Tags --------------------------------------------------------------------

NsxFile::TagState* NsxFile::findTag(std::string_view name) {
    const std::string wanted = nsxTagName(name);
    for (TagState& tag : tags_)
        if (tag.info.name == wanted) return &tag;
    return nullptr;
}

// An unknown tag name changes nothing: the update goes on for the caller's
// other changes.
const NsxFile::TagState& NsxFile::existingTag(std::string_view name, NsxUpdate& update) {
    if (const TagState* tag = findTag(name)) return *tag;
    update.commit();
    return tagState(name);  // throws
}

const NsxFile::TagState& NsxFile::tagState(std::string_view name) const {
    const TagState* tag = const_cast<NsxFile*>(this)->findTag(name);
    if (!tag) throw NsxError("Index tag " + nsxTagName(name) + " not found in " + path_);
    return *tag;
}

std::vector<NsxTagInfo> NsxFile::tags() {
    return reading([&] {
        std::vector<NsxTagInfo> result;
        for (const TagState& tag : tags_) result.push_back(tag.info);
        return result;
    });
}

bool NsxFile::hasTag(std::string_view name) {
    return reading([&] { return findTag(name) != nullptr; });
}

NsxTagInfo NsxFile::tag(std::string_view name) {
    return reading([&] { return tagState(name).info; });
}

void NsxFile::addTag(const NsxKeyList& keys, const std::function<void(int)>& progress) {
    const NsxTagInfo& info = keys.info();
    if (info.name.empty()) throw NsxError("An index tag needs a name");
    if (tagTexts + info.keyExpression.size() + info.condition.size() > pageSize)
        throw NsxError("The expressions of index tag " + info.name + " are too long");
    report(progress, 0);
    const std::vector<uint8_t> sorted = keys.sortedEntries();
    report(progress, 10);

    NsxUpdate update(*this);
    TagState* existing = findTag(info.name);
    if (!existing && tags_.size() >= maxTags) throw NsxError("Index file " + path_ + " holds too many tags");
    const uint32_t tagPage = allocPage();
    int lastPercent = 10;
    const uint32_t root = NsxTree::build(*this, tagPage, keys.codec().entryBytes(), sorted, [&](double done) {
        int percent = 10 + int(done * 85);
        if (percent != lastPercent) report(progress, lastPercent = percent);
    });

    uint8_t* page = freshPage(tagPage);
    page[0] = typeTag;
    page[tagKeyType] = uint8_t(info.keyType);
    put16(page + tagKeyLength, uint16_t(info.keyLength));
    put32(page + tagRoot, root);
    page[tagUnique] = info.unique;
    page[tagDescending] = info.descending;
    put16(page + tagKeyBytes, uint16_t(keys.codec().keyBytes()));
    put16(page + tagExprLength, uint16_t(info.keyExpression.size()));
    put16(page + tagCondLength, uint16_t(info.condition.size()));
    std::memcpy(page + tagName, info.name.data(), info.name.size());
    std::memcpy(page + tagTexts, info.keyExpression.data(), info.keyExpression.size());
    std::memcpy(page + tagTexts + info.keyExpression.size(), info.condition.data(), info.condition.size());

    TagState state{info, keys.codec(), tagPage, root};
    if (existing) {
        // The old tree's pages are freed only now that nothing will lead to them.
        const TagState old = *existing;
        *existing = state;
        freeTag(old);
    } else {
        tags_.push_back(state);
    }
    headerDirty_ = true;
    ++stateVersion_;
    update.commit();
    report(progress, 100);
}

// Gives the pages of a tag no longer in the directory back to the free list.
void NsxFile::freeTag(const TagState& tag) {
    std::vector<uint32_t> pages;
    try {
        pages = NsxTree(*this, tag).pages();
    } catch (const NsxError&) {
        pages.clear();  // a damaged tree is left unused rather than stop a rebuild
    }
    for (uint32_t no : pages) freePage(no);
    freePage(tag.tagPage);
}

bool NsxFile::dropTag(std::string_view name) {
    NsxUpdate update(*this);
    TagState* tag = findTag(name);
    if (!tag) {
        update.commit();
        return false;
    }
    const TagState old = *tag;
    tags_.erase(tags_.begin() + (tag - tags_.data()));
    freeTag(old);
    headerDirty_ = true;
    ++stateVersion_;
    update.commit();
    return true;
}

// ---- Entries -----------------------------------------------------------------

bool NsxFile::insert(std::string_view tag, std::string_view keyText, uint32_t recNo) {
    NsxUpdate update(*this);
    const TagState& state = existingTag(tag, update);
    uint8_t entry[nsxMaxKeyLength + 4];
    encodeEntry(state.codec, keyText, recNo, entry);
    ++stateVersion_;
    const bool inserted = NsxTree(*this, state).insert(entry);
    update.commit();
    return inserted;
}

bool NsxFile::remove(std::string_view tag, std::string_view keyText, uint32_t recNo) {
    NsxUpdate update(*this);
    const TagState& state = existingTag(tag, update);
    uint8_t entry[nsxMaxKeyLength + 4];
    encodeEntry(state.codec, keyText, recNo, entry);
    ++stateVersion_;
    const bool removed = NsxTree(*this, state).remove(entry);
    update.commit();
    return removed;
}

void NsxFile::replace(std::string_view tag, std::string_view oldKeyText, std::string_view newKeyText,
                      uint32_t recNo) {
    NsxUpdate update(*this);
    const TagState& state = existingTag(tag, update);
    uint8_t oldEntry[nsxMaxKeyLength + 4];
    uint8_t newEntry[nsxMaxKeyLength + 4];
    encodeEntry(state.codec, oldKeyText, recNo, oldEntry);
    encodeEntry(state.codec, newKeyText, recNo, newEntry);
    if (std::memcmp(oldEntry, newEntry, state.codec.keyBytes()) != 0) {
        ++stateVersion_;
        NsxTree tree(*this, state);
        tree.remove(oldEntry);
        tree.insert(newEntry);
    }
    update.commit();
}

// ---- Updates -----------------------------------------------------------------

void NsxFile::requireUpdate() const {
    if (updateDepth_ <= 0) throw NsxError("Index file " + path_ + " changed outside an update");
}

void NsxFile::beginUpdate() {
    if (readOnly_) throw NsxError("Index file " + path_ + " is open read-only");
    if (updateDepth_++ > 0) return;
    try {
        lockWriter();
    } catch (...) {
        updateDepth_ = 0;
        throw;
    }
    try {
        const uint64_t counter = changeCounter();
        // We hold the writer's lock, so an odd counter is a writer that died.
        if (counter & 1) damaged("an update of it was cut short");
        if (deadIntent()) damaged("a write to its table was cut short before its tags followed");
        if (!loaded_ || counter != counter_) {
            loaded_ = false;
            dropCache();
            loadState();
            loaded_ = true;
            ++stateVersion_;
        }
    } catch (...) {
        updateDepth_ = 0;
        unlockWriter();
        throw;
    }
    headerDirty_ = false;
    marked_ = false;
    freedInUpdate_ = false;
    abandoned_ = false;
    takenFromFreeList_.clear();
}

void NsxFile::endUpdate() {
    if (updateDepth_ <= 0 || --updateDepth_ > 0) return;
    if (abandoned_) {
        updateDepth_ = 1;
        abandonUpdate();
        throw NsxError("An update of index file " + path_ + " failed part-way and was dropped");
    }
    try {
        if (headerDirty_ || marked_ || !dirty_.empty()) {
            // New pages first, then the pages that lead to them, then the header.
            for (bool freshPass : {true, false}) {
                for (uint32_t no : dirty_) {
                    auto found = cached_.find(no);
                    if (found == cached_.end()) continue;
                    CachedPage& page = *found->second;
                    if (page.dirty && (page.fresh || !freshPass)) writeCached(page);
                }
            }
            dirty_.clear();
            if (headerDirty_) {
                writeHeader(counter_ + 2);
            } else {
                // The directory, page count and free list are as on disk:
                // the even counter alone ends the update.
                markWriting();
                uint8_t even[8];
                put64(even, counter_ + 2);
                pwriteAll(even, sizeof even, hdrCounter);
            }
            counter_ += 2;
        }
        takenFromFreeList_.clear();
    } catch (...) {
        updateDepth_ = 1;
        abandonUpdate();
        throw;
    }
    marked_ = false;
    headerDirty_ = false;
    unlockWriter();
}

void NsxFile::abandonUpdate() {
    if (updateDepth_ <= 0) return;
    if (updateDepth_ > 1) {
        // An inner part failed: the outermost end drops the whole update.
        --updateDepth_;
        abandoned_ = true;
        return;
    }
    updateDepth_ = 0;
    abandoned_ = false;
    // Whatever was already written stays marked by the odd counter, so the
    // file reads as damaged rather than half changed. Unmarked, only free
    // pages were written (a tag being built): they go back to the free list
    // as they were, so the file stays sound.
    if (!marked_) {
        uint8_t page[pageSize] = {};
        page[0] = typeFree;
        try {
            for (const auto& [no, next] : takenFromFreeList_) {
                put32(page + freeNext, next);
                pwriteAll(page, pageSize, uint64_t(no) * pageSize);
            }
        } catch (const NsxError&) {
            // Nothing more can be done; the next use reports the free list.
        }
    }
    takenFromFreeList_.clear();
    loaded_ = false;
    ++stateVersion_;
    dropCache();
    marked_ = false;
    headerDirty_ = false;
    unlockWriter();
}

void NsxFile::markWriting() {
    if (marked_) return;
    uint8_t odd[8];
    put64(odd, counter_ + 1);
    pwriteAll(odd, sizeof odd, hdrCounter);
    marked_ = true;
}

void NsxFile::writeHeader(uint64_t counter) {
    // The body goes out under the odd counter and the new even counter in a
    // write of its own after it: a reader copying the page while it is being
    // written could otherwise see the new counter beside an old directory.
    writeHeaderBody(counter - 1);
    uint8_t even[8];
    put64(even, counter);
    pwriteAll(even, sizeof even, hdrCounter);
}

void NsxFile::writeHeaderBody(uint64_t oddCounter) {
    uint8_t page[pageSize];
    const size_t used = hdrDirectory + tags_.size() * dirEntrySize;
    std::memset(page, 0, used);
    std::memcpy(page, magic, 8);
    put32(page + hdrPageSize, pageSize);
    put32(page + hdrPageCount, pageCount_);
    put32(page + hdrFreeHead, freeHead_);
    put32(page + hdrTagCount, uint32_t(tags_.size()));
    put64(page + hdrCounter, oddCounter);
    for (size_t i = 0; i < tags_.size(); ++i) {
        uint8_t* dir = page + hdrDirectory + i * dirEntrySize;
        std::memcpy(dir, tags_[i].info.name.data(), tags_[i].info.name.size());
        put32(dir + dirNameSize, tags_[i].tagPage);
    }
    // Only the used part: the rest of the page stays as it was, unread.
    pwriteAll(page, used, 0);
}

void NsxFile::flush() {
    if (readOnly_ || !unflushed_)
        return;  // an unchanged file needs no trip to the disk
    if (!syncOrDefer(fd_, &deferredIn_))
        throw NsxError("Cannot write index file " + path_ + ": " + std::strerror(errno));
    unflushed_ = false;
}

// ---- Pages -------------------------------------------------------------------

void NsxFile::setCacheCapacity(size_t pages) {
    capacity_ = pages < 16 ? 16 : pages;
    while (cached_.size() > capacity_) evictIfFull();
}

void NsxFile::dropCache() {
    lru_.clear();
    cached_.clear();
    dirty_.clear();
    recent_.fill(RecentPage{});
}

void NsxFile::forgetRecent(uint32_t no) {
    RecentPage& slot = recent_[no % recent_.size()];
    if (slot.no == no) slot = RecentPage{};
}

// A page found again since it reached the front gets a second round
// instead of leaving: hits only set a flag, so a search through pages
// already cached moves no list nodes.
void NsxFile::evictIfFull() {
    while (!lru_.empty() && cached_.size() >= capacity_) {
        CachedPage& victim = lru_.back();
        if (victim.used) {
            victim.used = false;
            lru_.splice(lru_.begin(), lru_, std::prev(lru_.end()));
            continue;
        }
        if (victim.dirty) writeCached(victim);
        forgetRecent(victim.no);
        cached_.erase(victim.no);
        lru_.pop_back();
    }
}

NsxFile::CachedPage& NsxFile::cachePage(uint32_t no, bool load) {
    RecentPage& recent = recent_[no % recent_.size()];
    if (recent.no == no) {
        recent.at->used = true;
        return *recent.at;
    }
    auto found = cached_.find(no);
    if (found != cached_.end()) {
        found->second->used = true;
        recent = RecentPage{no, found->second};
        return *found->second;
    }
    evictIfFull();
    CachedPage page{no, false, false,
                    std::unique_ptr<uint8_t[], PageFree>(static_cast<uint8_t*>(
                        ::operator new[](pageSize, std::align_val_t(pageSize))))};
    if (load) preadPage(no, page.bytes.get());
    lru_.push_front(std::move(page));
    cached_[no] = lru_.begin();
    recent = RecentPage{no, lru_.begin()};
    return lru_.front();
}

const uint8_t* NsxFile::readPage(uint32_t no) {
    if (no == 0 || no >= pageCount_) damaged("a page number lies outside it");
    return cachePage(no, true).bytes.get();
}

uint8_t* NsxFile::writablePage(uint32_t no) {
    requireUpdate();
    if (no == 0 || no >= pageCount_) damaged("a page number lies outside it");
    CachedPage& page = cachePage(no, true);
    if (!page.dirty) dirty_.push_back(no);
    page.dirty = true;
    return page.bytes.get();
}

uint32_t NsxFile::allocPage() {
    requireUpdate();
    headerDirty_ = true;
    if (freeHead_ != 0) {
        const uint32_t no = freeHead_;
        const uint8_t* page = readPage(no);
        if (page[0] != typeFree) damaged("the free page list leads to a page in use");
        const uint32_t next = get32(page + freeNext);
        if (next >= pageCount_) damaged("the free page list leads outside it");
        freeHead_ = next;
        takenFromFreeList_.push_back({no, next});
        auto found = cached_.find(no);
        if (found != cached_.end()) {
            forgetRecent(no);
            lru_.erase(found->second);
            cached_.erase(found);
        }
        return no;
    }
    if (pageCount_ == UINT32_MAX) throw NsxError("Index file " + path_ + " is full");
    return pageCount_++;
}

uint8_t* NsxFile::freshPage(uint32_t no) {
    CachedPage& page = cachePage(no, false);
    std::memset(page.bytes.get(), 0, pageSize);
    if (!page.dirty) dirty_.push_back(no);
    page.dirty = true;
    page.fresh = true;
    return page.bytes.get();
}

void NsxFile::freePage(uint32_t no) {
    uint8_t* page = writablePage(no);
    std::memset(page, 0, pageSize);
    page[0] = typeFree;
    put32(page + freeNext, freeHead_);
    freeHead_ = no;
    headerDirty_ = true;
    freedInUpdate_ = true;
}

void NsxFile::writeDirect(uint32_t no, const uint8_t* bytes) {
    requireUpdate();
    // A page freed in this update may still be reachable in what other
    // processes read: overwrite it only under the odd counter.
    if (freedInUpdate_) markWriting();
    pwriteAll(bytes, pageSize, uint64_t(no) * pageSize);
}

void NsxFile::writeCached(CachedPage& page) {
    markWriting();
    pwriteAll(page.bytes.get(), pageSize, uint64_t(page.no) * pageSize);
    page.dirty = false;
    page.fresh = false;
}

void NsxFile::preadPage(uint32_t no, uint8_t* into) const {
    size_t done = 0;
    const uint64_t offset = uint64_t(no) * pageSize;
    while (done < pageSize) {
        ssize_t n = ::pread(fd_, into + done, pageSize - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw NsxError("Cannot read index file " + path_ + ": " + std::strerror(errno));
        if (n == 0) damaged("it is shorter than its header says");
        done += size_t(n);
    }
}

void NsxFile::pwriteAll(const void* bytes, size_t size, uint64_t offset) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    unflushed_ = true;
    if (!os::WriteAt(fd_, p, size, offset))
        throw NsxError("Cannot write index file " + path_ + ": " + std::strerror(errno));
}

void NsxFile::damaged(const std::string& what) const {
    throw NsxError("Index file " + path_ + " is damaged: " + what);
}

}  // namespace xb
