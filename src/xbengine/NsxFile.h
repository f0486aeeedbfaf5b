#pragma once
// The structural index file of a table: one file holding all of the table's
// tags, each an on-disk B+tree of (key, record number) entries.
//
// Layout: pages of 4 KiB. Page 0 is the header: magic, page size, page
// count, head of the free-page list, the change counter and the tag
// directory (name and page of each tag's description). A tag's description
// page holds its name, expressions, flags, key layout and the page of its
// root. Tree pages are leaves (key and record number) or branches (the
// largest entry below each child, and the child).
//
// Several processes may share the file. Writers call the write operations
// while they hold the table's lock; each update takes a short lock of its
// own on the file, raises the change counter to an odd value before its first
// page write and to the next even value with the header write that ends it.
// Every reading operation checks the counter first, drops its page cache when
// another process has written, and starts again when the counter moved while
// it read; an odd counter with no writer at work means an update was cut
// short, and the file is reported damaged.
//
// A table write and the tag changes that follow it are two steps; the marks
// at the end of the header page let later opens tell whether a writer died
// between them (see beginIntent).
#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "xbengine/NsxKey.h"

namespace xb {

class NsxUpdate;

class NsxFile {
public:
    static constexpr uint32_t pageSize = 4096;

    ~NsxFile();
    NsxFile(const NsxFile&) = delete;
    NsxFile& operator=(const NsxFile&) = delete;

    // A new file without tags; an existing file of that name is emptied.
    static std::unique_ptr<NsxFile> Create(const std::string& path);
    // As Create, for a file whose tags are built at once: it comes back
    // inside an update that the caller ends (endUpdate) once they are in.
    // Meanwhile other opens wait for the tags instead of finding the file
    // without them, and should this process stop first they find the file
    // damaged and build it again.
    static std::unique_ptr<NsxFile> CreateForBuild(const std::string& path);
    // Throws NsxError when the file is missing, not an index file or damaged.
    static std::unique_ptr<NsxFile> Open(const std::string& path, bool readOnly = false);
    // The tag descriptions of a file that may be damaged, as far as they can
    // be read, so that its tags can be built again; empty when none can.
    static std::vector<NsxTagInfo> Salvage(const std::string& path);
    // Leaves a mark in the file that no live writer holds (see beginIntent):
    // every later open or read then finds it damaged and builds it again from
    // the table. For a file whose tags could not be written (a full disk): it
    // is never served stale. The mark is one byte written in place in the
    // header, so it needs no free space. Nothing happens to a file that is
    // missing or no index file at all, since no open takes that for sound
    // either.
    static void MarkForRebuild(const std::string& path);

    const std::string& path() const { return path_; }
    bool readOnly() const { return readOnly_; }

    // Tags in the order they were added.
    std::vector<NsxTagInfo> tags();
    bool hasTag(std::string_view name);
    // Throws NsxError for an unknown name.
    NsxTagInfo tag(std::string_view name);

    // Creates the tag described by keys.info(), or replaces the tag of that
    // name, filled with the given entries. progress (optional) hears 0..100.
    void addTag(const NsxKeyList& keys, const std::function<void(int)>& progress = {});
    // False when there is no such tag.
    bool dropTag(std::string_view name);

    // Entry changes. insert is false when the entry is already there, remove
    // when it is not.
    bool insert(std::string_view tag, std::string_view keyText, uint32_t recNo);
    bool remove(std::string_view tag, std::string_view keyText, uint32_t recNo);
    void replace(std::string_view tag, std::string_view oldKeyText, std::string_view newKeyText,
                 uint32_t recNo);

    // Groups the changes made until the matching endUpdate into one change
    // that other processes see whole (all tags of one record, say). Nests.
    void beginUpdate();
    void endUpdate();
    // Drops the changes of an update that failed part-way (see NsxUpdate).
    // Within a nested update it drops the whole update, and the outermost
    // endUpdate reports that with NsxError.
    void abandonUpdate();

    // Marks, where every opener sees it, that the table is about to change
    // in a way these tags must follow; endIntent clears the mark once they
    // have. Nests. Each writing open holds a slot of its own, and the slot's
    // lock, for as long as it is open: a mark in a slot whose lock nobody
    // holds is a writer that died in between, and every later open or read
    // reports the file damaged, so that it is built again from the table.
    // The mark is one byte written in place in the header (a write of the
    // file, not a change of the index: it calls for no flush).
    void beginIntent();
    void endIntent();

    // Hands the file's writes to the disk.
    void flush();
    // The counter as it stands in the file now.
    uint64_t changeCounter() const;
    // Pages kept in memory: 1024 (4 MiB) at first, at least 16.
    void setCacheCapacity(size_t pages);

private:
    friend class NsxTree;
    friend class NsxCursor;

    struct TagState {
        NsxTagInfo info;
        NsxKeyCodec codec;
        uint32_t tagPage;
        uint32_t root;
    };
    // Cached pages lie each on one page of memory: a search through one
    // then needs one address translation, not two.
    struct PageFree {
        void operator()(uint8_t* bytes) const { ::operator delete[](bytes, std::align_val_t(pageSize)); }
    };
    struct CachedPage {
        uint32_t no;
        bool dirty;
        bool fresh;  // allocated in the current update: written before older pages
        std::unique_ptr<uint8_t[], PageFree> bytes;
        bool used = false;  // found again since it last reached the front
    };

    NsxFile(std::string path, int fd, bool readOnly);

    // Runs a reading operation against a consistent state of the file,
    // repeating it when another process wrote meanwhile.
    template <class F>
    auto reading(F&& operation) -> decltype(operation());

    uint64_t stableCounter() const;
    void syncForRead();
    void loadState();
    void dropCache();
    bool writerActive() const;
    // Whether another open's slot holds a mark its writer left behind.
    bool deadIntent() const;
    void clearDeadIntents();
    void takeIntentSlot();
    void lockWriter();
    void unlockWriter();

    const TagState& tagState(std::string_view name) const;
    const TagState& existingTag(std::string_view name, NsxUpdate& update);
    TagState* findTag(std::string_view name);
    void freeTag(const TagState& tag);
    // Changes whenever the tree pages may have changed: cursor paths of an
    // older version are found again by key.
    uint64_t stateVersion() const { return stateVersion_; }

    const uint8_t* readPage(uint32_t no);
    uint8_t* writablePage(uint32_t no);
    // A page number for new content: from the free list, else the file grows.
    uint32_t allocPage();
    // A zeroed cached page for new content at a number from allocPage.
    uint8_t* freshPage(uint32_t no);
    void freePage(uint32_t no);
    void writeDirect(uint32_t no, const uint8_t* bytes);
    CachedPage& cachePage(uint32_t no, bool load);
    void evictIfFull();
    void writeCached(CachedPage& page);
    static std::unique_ptr<NsxFile> make(const std::string& path, bool building);
    void markWriting();
    void writeHeader(uint64_t counter);
    // The header page's body with the odd counter of an update under way.
    void writeHeaderBody(uint64_t oddCounter);
    void preadPage(uint32_t no, uint8_t* into) const;
    void pwriteAll(const void* bytes, size_t size, uint64_t offset);
    void requireUpdate() const;
    [[noreturn]] void damaged(const std::string& what) const;

    std::string path_;
    int fd_;
    bool readOnly_;
    bool unflushed_ = false;  // written since the last flush
    uint64_t deferredIn_ = 0;  // the document scope that flushes it at its end
    const uint8_t* header_ = nullptr;  // page 0 mapped shared, read-only: the counter and the marks
    int intentSlot_ = -1;              // this open's slot, taken at its first mark
    int intentDepth_ = 0;

    // State as of counter_.
    bool loaded_ = false;
    uint64_t counter_ = 0;
    uint64_t stateVersion_ = 0;  // rises on every reload and every own update
    uint32_t pageCount_ = 1;
    uint32_t freeHead_ = 0;
    std::vector<TagState> tags_;

    // Update in progress.
    int updateDepth_ = 0;
    bool headerDirty_ = false;
    bool marked_ = false;  // the odd counter is on disk
    bool freedInUpdate_ = false;
    bool abandoned_ = false;
    // (page, next) of each page taken from the free list in this update.
    std::vector<std::pair<uint32_t, uint32_t>> takenFromFreeList_;

    size_t capacity_ = 1024;
    std::list<CachedPage> lru_;
    std::unordered_map<uint32_t, std::list<CachedPage>::iterator> cached_;
    std::vector<uint32_t> dirty_;  // pages made dirty in this update, in order
    // The cached pages found last, by page number modulo the table's size
    // (that of the default cache): a search's pages are mostly found here,
    // without the hash lookup.
    struct RecentPage {
        uint32_t no = UINT32_MAX;  // no page has that number
        std::list<CachedPage>::iterator at;
    };
    std::array<RecentPage, 1024> recent_;
    void forgetRecent(uint32_t no);
};

// Holds an update open; an exception that leaves the scope before commit()
// abandons it.
class NsxUpdate {
public:
    explicit NsxUpdate(NsxFile& file) : file_(file) { file_.beginUpdate(); }
    ~NsxUpdate() {
        if (!done_) file_.abandonUpdate();
    }
    void commit() {
        done_ = true;
        file_.endUpdate();
    }
    NsxUpdate(const NsxUpdate&) = delete;
    NsxUpdate& operator=(const NsxUpdate&) = delete;

private:
    NsxFile& file_;
    bool done_ = false;
};

template <class F>
auto NsxFile::reading(F&& operation) -> decltype(operation()) {
    if (updateDepth_ > 0) return operation();  // our own update: the cache is the truth
    for (;;) {
        syncForRead();
        const uint64_t seen = counter_;
        try {
            if constexpr (std::is_void_v<decltype(operation())>) {
                operation();
                if (changeCounter() == seen) return;
            } else {
                auto result = operation();
                if (changeCounter() == seen) return result;
            }
        } catch (const NsxError&) {
            if (changeCounter() == seen) throw;
        }
        loaded_ = false;  // another process wrote while we read: read again
    }
}

}  // namespace xb
