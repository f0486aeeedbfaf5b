#pragma once
// The memo file of a table: memo text and blobs that do not fit in a record.
//
// Block format (.SMT, and .FPT written by other programs): a 512-byte header
// holding the next free block (big-endian, at 0) and the block size
// (big-endian, at 6); each memo starts on a block boundary with its type and
// length (big-endian) followed by its bytes. Freed runs of blocks are kept in
// a list in the otherwise unused rest of the header and reused, so a memo that
// is rewritten again and again does not grow the file.
//
// The dBASE format (.DBT) is read as other programs write it; new memos are
// added at its end.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace xb {

enum class MemoFormat { Block, Dbase };

// The type word of a memo in the block format.
enum MemoType : uint32_t { MemoPicture = 0, MemoText = 1, MemoBinary = 2 };

class MemoFile {
public:
    ~MemoFile();
    MemoFile(const MemoFile&) = delete;
    MemoFile& operator=(const MemoFile&) = delete;

    // exclusive: the table is open for exclusive use, so nobody else writes
    // the file; its header is then kept in memory and allocations take no lock.
    static std::unique_ptr<MemoFile> Open(const std::string& path, MemoFormat format, bool readOnly,
                                          bool exclusive = false);
    // Writes a new empty memo file; false when it cannot be written.
    static bool Create(const std::string& path, MemoFormat format, int blockSize);

    int blockSize() const { return blockSize_; }

    // Reads the memo starting at block; false (and nothing read) when the
    // block or the memo's length lies outside the file.
    bool Read(uint32_t block, std::string* data, uint32_t* type = nullptr);
    // Writes a new memo and returns its first block; 0 when it cannot be written.
    uint32_t Write(const std::string& data, uint32_t type, int lockTimeoutMs);
    // Gives the blocks of the memo at block back for reuse.
    void Free(uint32_t block, int lockTimeoutMs);
    // Empties the file (the table was zapped).
    bool Clear();
    bool Flush();

    // The free list as (first block, block count) runs, for tests and checks.
    std::vector<std::pair<uint32_t, uint32_t>> FreeRuns();

private:
    MemoFile() = default;
    struct Header;
    bool readHeader(Header* header);
    bool writeHeader(const Header& header);
    uint32_t firstBlock() const;
    uint64_t fileSize(bool refresh);
    bool lockAllocation(int timeoutMs);
    void unlockAllocation();
    bool readBlockMemo(uint32_t block, std::string* data, uint32_t* type);
    bool readDbaseMemo(uint32_t block, std::string* data);
    uint32_t writeDbase(const std::string& data, int lockTimeoutMs);

    int fd_ = -1;
    bool readOnly_ = false;
    bool unflushed_ = false;  // written since the last flush
    uint64_t deferredIn_ = 0;  // the document scope that flushes it at its end
    bool exclusive_ = false;
    std::unique_ptr<Header> kept_;  // exclusive use: the header as last read or written
    MemoFormat format_ = MemoFormat::Block;
    int blockSize_ = 64;
    uint64_t knownFileSize_ = 0;
};

}  // namespace xb
