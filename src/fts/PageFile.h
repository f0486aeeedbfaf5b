#pragma once
// The index file as fixed-size pages with a page cache in front of it.
//
// Page 0 is the header; every page carries a checksum of its own bytes and
// its type, so damage or truncation is met as a failure, never as data.
// Fields are stored little-endian.
//
// Sharing: readers take a shared lock on the commit byte while they look at
// the file. A writer takes the writer byte at its first change and keeps it
// until it commits, collecting its changes in the cache meanwhile; readers
// go on seeing the last committed state. The commit takes the commit byte
// exclusively, marks the header "updating", writes the changed pages, and
// marks it clean again with a new change count, which tells every other
// handle to drop its cache. A file left "updating" by a crash fails to open
// until it is created anew.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace fts {

constexpr uint32_t PageSize = 4096;
// How long a lock is waited for before the call gives up.
constexpr int LockTimeoutMs = 5000;

enum class PageType : uint8_t { Header = 1, Map = 2, Table = 3, Keys = 4, Inner = 5, Leaf = 6, Blocks = 7 };

inline uint16_t Load16(const uint8_t* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
inline uint32_t Load32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
inline uint64_t Load64(const uint8_t* p) { uint64_t v; std::memcpy(&v, p, 8); return v; }
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// Every page but the header starts with its checksum and type.
constexpr uint32_t PageHeaderSize = 8;

// The map pages of the key table are listed in the header.
constexpr uint32_t HeaderMapOffset = 128;
constexpr uint32_t MaxMapPages = (PageSize - HeaderMapOffset) / 4;

// Block references hold the page number above six bits of slot.
constexpr uint32_t MaxPages = 1u << 26;

struct Header {
    uint32_t pageCount = 1;
    uint64_t changeCount = 0;
    uint32_t positionCount = 0;      // keys added, deleted ones included
    uint32_t liveCount = 0;          // keys not deleted
    uint32_t dirRoot = 0;            // root page of the word directory, 0 while empty
    uint32_t dirHeight = 0;          // levels of the word directory
    uint32_t wordCount = 0;
    uint32_t freeBlocks[2] = {0, 0}; // free posting blocks of each size class
    uint32_t keyPage = 0;            // key text page being filled
    uint32_t keyUsed = 0;            // bytes used in it
    uint32_t mapPageCount = 0;
    std::array<uint32_t, MaxMapPages> mapPages{};
};

class PageFile {
public:
    // Opens an existing index; raises Failure when it is missing or damaged.
    static std::unique_ptr<PageFile> Open(const std::string& path);
    // Makes a new empty index that replaces whatever is at path. The new
    // file is already held for writing.
    static std::unique_ptr<PageFile> Create(const std::string& path);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    // Holds the shared commit lock and brings the cache up to date with the
    // file for the time of one read. Nothing to do while writing.
    class ReadScope {
    public:
        explicit ReadScope(PageFile& file);
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        PageFile& file_;
        bool locked_ = false;
    };

    // Takes the writer lock (once) and brings the cache up to date.
    void BeginWrite();
    // Writes what changed and lets go of the writer lock.
    void Commit();
    // Forgets what changed and lets go of the writer lock.
    void Abandon();
    bool Writing() const { return writing_; }
    // Changes whenever the cache is dropped, so what was read from pages
    // and kept elsewhere can be forgotten with it.
    uint64_t CacheGeneration() const { return cacheGeneration_; }

    Header& header() { return header_; }
    // A page of the given type, checked; raises Failure when it is not one.
    const uint8_t* Read(uint32_t page, PageType type);
    // The same, to be changed.
    uint8_t* Modify(uint32_t page, PageType type);
    // A new zeroed page of the given type, to be changed.
    uint8_t* Allocate(PageType type, uint32_t& page);

private:
    // A page held in memory; its bytes live in one of the slabs.
    struct CachedPage {
        uint8_t* bytes = nullptr;
        bool dirty = false;
    };
    // Memory for pages, many at a time: one allocation per page cost a new
    // index a third of its time in the allocator, and the large slabs may
    // be backed by huge pages, which saves a fault per page.
    struct FreeSlab {
        void operator()(uint8_t* memory) const { std::free(memory); }
    };

    PageFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    CachedPage& load(uint32_t page);
    uint8_t* newPage();
    void dropCache();
    void refresh();
    void writePage(uint32_t page, const uint8_t* bytes);
    void writeDirtyPages();
    void writeHeader(bool updating);
    void releaseWriter();

    int fd_;
    std::string path_;
    Header header_;
    bool writing_ = false;
    bool haveHeader_ = false;
    uint64_t cacheGeneration_ = 0;
    std::vector<CachedPage> cache_;  // by page number
    std::vector<std::unique_ptr<uint8_t, FreeSlab>> slabs_;
    size_t slabPages_ = 0, slabUsed_ = 0;
    std::vector<uint32_t> dirty_;
};

}  // namespace fts
