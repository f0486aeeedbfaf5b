#include "xbengine/MemoFile.h"
#include "xbengine/DurableScope.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "os/FileIo.h"
#include "os/FileLock.h"
#include "xbengine/DbfFile.h"

namespace xb {

namespace {

constexpr int HeaderSize = 512;
constexpr int DbaseBlockSize = 512;
constexpr int MemoPrefix = 8;  // type and length before the bytes of a block-format memo
constexpr char FreeListMagic[4] = {'Q', 'M', 'F', 'L'};
constexpr int FreeListAt = 16;
constexpr int FreeRunsAt = 24;
constexpr size_t MaxFreeRuns = (HeaderSize - FreeRunsAt) / 8;

uint32_t ReadBe32(const unsigned char* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
void WriteBe32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}
uint32_t ReadLe32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void WriteLe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

struct MemoFile::Header {
    unsigned char raw[HeaderSize] = {};  // the header as read, so writing it back keeps unknown bytes
    uint32_t nextFree = 0;
    std::vector<std::pair<uint32_t, uint32_t>> freeRuns;  // sorted by first block, never touching
};

MemoFile::~MemoFile() {
    if (fd_ >= 0)
        os::CloseFile(fd_);
}

std::unique_ptr<MemoFile> MemoFile::Open(const std::string& path, MemoFormat format, bool readOnly,
                                         bool exclusive) {
    std::unique_ptr<MemoFile> file(new MemoFile);
    file->format_ = format;
    file->readOnly_ = readOnly;
    file->exclusive_ = exclusive && !readOnly;
    file->fd_ = os::OpenFile(path, readOnly ? O_RDONLY : O_RDWR);
    if (file->fd_ < 0)
        return nullptr;
    unsigned char head[HeaderSize];
    if (file->fileSize(true) < HeaderSize || !ReadAt(file->fd_, head, HeaderSize, 0))
        return nullptr;
    if (format == MemoFormat::Block) {
        file->blockSize_ = (head[6] << 8) | head[7];
    } else {
        int size = head[20] | (head[21] << 8);  // dBASE IV keeps its block size here
        file->blockSize_ = size >= 32 ? size : DbaseBlockSize;
    }
    if (file->blockSize_ < 1)
        return nullptr;
    return file;
}

bool MemoFile::Create(const std::string& path, MemoFormat format, int blockSize) {
    unsigned char head[HeaderSize] = {};
    if (format == MemoFormat::Block) {
        if (blockSize < 1 || blockSize > 0xFFFF)
            return false;
        WriteBe32(head, static_cast<uint32_t>((HeaderSize + blockSize - 1) / blockSize));
        head[6] = static_cast<unsigned char>(blockSize >> 8);
        head[7] = static_cast<unsigned char>(blockSize);
        std::memcpy(head + FreeListAt, FreeListMagic, 4);
    } else {
        WriteLe32(head, 1);
        head[16] = 0x03;
    }
    int fd = os::OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0)
        return false;
    bool written = WriteAt(fd, head, HeaderSize, 0);
    os::CloseFile(fd);
    return written;
}

uint64_t MemoFile::fileSize(bool refresh) {
    if (refresh) {
        struct stat info;
        if (fstat(fd_, &info) == 0)
            knownFileSize_ = static_cast<uint64_t>(info.st_size);
    }
    return knownFileSize_;
}

uint32_t MemoFile::firstBlock() const {
    return static_cast<uint32_t>((HeaderSize + blockSize_ - 1) / blockSize_);
}

bool MemoFile::readHeader(Header* header) {
    if (kept_) {
        *header = *kept_;
        return true;
    }
    unsigned char* head = header->raw;
    if (!ReadAt(fd_, head, HeaderSize, 0))
        return false;
    header->freeRuns.clear();
    if (format_ == MemoFormat::Dbase) {
        header->nextFree = ReadLe32(head);
        return true;
    }
    header->nextFree = std::max(ReadBe32(head), firstBlock());
    if (std::memcmp(head + FreeListAt, FreeListMagic, 4) == 0) {
        uint32_t count = std::min<uint32_t>(ReadBe32(head + FreeListAt + 4), MaxFreeRuns);
        uint32_t lastEnd = firstBlock();
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t first = ReadBe32(head + FreeRunsAt + 8 * i);
            uint32_t blocks = ReadBe32(head + FreeRunsAt + 8 * i + 4);
            // A list that is out of order or points past the end is not trusted.
            if (first < lastEnd || blocks == 0 || first + static_cast<uint64_t>(blocks) > header->nextFree) {
                header->freeRuns.clear();
                break;
            }
            header->freeRuns.emplace_back(first, blocks);
            lastEnd = first + blocks;
        }
    }
    if (exclusive_)
        kept_ = std::make_unique<Header>(*header);
    return true;
}

bool MemoFile::writeHeader(const Header& header) {
    // Every write of the memo file ends with its header.
    unflushed_ = true;
    unsigned char head[HeaderSize];
    std::memcpy(head, header.raw, HeaderSize);
    if (format_ == MemoFormat::Dbase) {
        WriteLe32(head, header.nextFree);
    } else {
        WriteBe32(head, header.nextFree);
        std::memset(head + FreeListAt, 0, HeaderSize - FreeListAt);
        std::memcpy(head + FreeListAt, FreeListMagic, 4);
        WriteBe32(head + FreeListAt + 4, static_cast<uint32_t>(header.freeRuns.size()));
        for (size_t i = 0; i < header.freeRuns.size(); ++i) {
            WriteBe32(head + FreeRunsAt + 8 * i, header.freeRuns[i].first);
            WriteBe32(head + FreeRunsAt + 8 * i + 4, header.freeRuns[i].second);
        }
    }
    if (!WriteAt(fd_, head, HeaderSize, 0)) {
        kept_.reset();  // the file may hold part of it: read it again
        return false;
    }
    if (exclusive_)
        kept_ = std::make_unique<Header>(header);
    return true;
}

bool MemoFile::lockAllocation(int timeoutMs) {
    return exclusive_ || os::FileLock(fd_).Lock(MemoLockOffset, 1, os::LockKind::Exclusive, timeoutMs);
}

void MemoFile::unlockAllocation() {
    if (!exclusive_)
        os::FileLock(fd_).Unlock(MemoLockOffset, 1);
}

bool MemoFile::Read(uint32_t block, std::string* data, uint32_t* type) {
    data->clear();
    if (type)
        *type = MemoText;
    if (block < firstBlock())
        return false;
    if (format_ == MemoFormat::Dbase)
        return readDbaseMemo(block, data);
    return readBlockMemo(block, data, type);
}

bool MemoFile::readBlockMemo(uint32_t block, std::string* data, uint32_t* type) {
    uint64_t at = static_cast<uint64_t>(block) * blockSize_;
    unsigned char prefix[MemoPrefix];
    if (at + MemoPrefix > fileSize(false) && at + MemoPrefix > fileSize(true))
        return false;
    if (!ReadAt(fd_, prefix, MemoPrefix, at))
        return false;
    uint64_t length = ReadBe32(prefix + 4);
    uint64_t end = at + MemoPrefix + length;
    if (end > fileSize(false) && end > fileSize(true))
        return false;
    data->resize(length);
    if (length > 0 && !ReadAt(fd_, data->data(), length, at + MemoPrefix)) {
        data->clear();
        return false;
    }
    if (type)
        *type = ReadBe32(prefix);
    return true;
}

bool MemoFile::readDbaseMemo(uint32_t block, std::string* data) {
    uint64_t at = static_cast<uint64_t>(block) * blockSize_;
    uint64_t size = fileSize(true);
    if (at >= size)
        return false;
    unsigned char prefix[8];
    if (at + 8 <= size && ReadAt(fd_, prefix, 8, at) && prefix[0] == 0xFF && prefix[1] == 0xFF &&
        prefix[2] == 0x08 && prefix[3] == 0x00) {
        uint64_t length = ReadLe32(prefix + 4);  // counts the 8 bytes before the text
        if (length < 8 || at + length > size)
            return false;
        data->resize(length - 8);
        return length == 8 || ReadAt(fd_, data->data(), length - 8, at + 8);
    }
    // dBASE III: the text runs to the first end-of-file byte.
    std::string chunk(DbaseBlockSize, '\0');
    while (at < size) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - at));
        if (!ReadAt(fd_, chunk.data(), n, at))
            return false;
        size_t stop = std::string_view(chunk.data(), n).find('\x1A');
        data->append(chunk.data(), stop == std::string_view::npos ? n : stop);
        if (stop != std::string_view::npos)
            break;
        at += n;
    }
    return true;
}

uint32_t MemoFile::Write(const std::string& data, uint32_t type, int lockTimeoutMs) {
    if (readOnly_ || data.size() > 0xFFFFFFFFu - MemoPrefix)
        return 0;
    if (format_ == MemoFormat::Dbase)
        return writeDbase(data, lockTimeoutMs);
    uint64_t needed = (MemoPrefix + data.size() + blockSize_ - 1) / blockSize_;
    if (!lockAllocation(lockTimeoutMs))
        return 0;
    Header header;
    uint32_t first = 0;
    if (readHeader(&header)) {
        // Smallest free run that holds the memo; otherwise the end of the file.
        auto best = header.freeRuns.end();
        for (auto run = header.freeRuns.begin(); run != header.freeRuns.end(); ++run)
            if (run->second >= needed && (best == header.freeRuns.end() || run->second < best->second))
                best = run;
        if (best != header.freeRuns.end()) {
            first = best->first;
            best->first += static_cast<uint32_t>(needed);
            best->second -= static_cast<uint32_t>(needed);
            if (best->second == 0)
                header.freeRuns.erase(best);
        } else if (header.nextFree + needed <= 0xFFFFFFFFu) {
            first = header.nextFree;
            header.nextFree += static_cast<uint32_t>(needed);
        }
    }
    if (first != 0) {
        std::string image(MemoPrefix, '\0');
        WriteBe32(reinterpret_cast<unsigned char*>(image.data()), type);
        WriteBe32(reinterpret_cast<unsigned char*>(image.data()) + 4, static_cast<uint32_t>(data.size()));
        image += data;
        uint64_t at = static_cast<uint64_t>(first) * blockSize_;
        if (!WriteAt(fd_, image.data(), image.size(), at) || !writeHeader(header))
            first = 0;
        else
            knownFileSize_ = std::max(knownFileSize_, at + image.size());
    }
    unlockAllocation();
    return first;
}

uint32_t MemoFile::writeDbase(const std::string& data, int lockTimeoutMs) {
    if (!lockAllocation(lockTimeoutMs))
        return 0;
    Header header;
    uint32_t first = 0;
    if (readHeader(&header)) {
        first = std::max<uint32_t>(header.nextFree, 1);
        std::string image = data + "\x1A\x1A";
        uint64_t blocks = (image.size() + blockSize_ - 1) / blockSize_;
        header.nextFree = first + static_cast<uint32_t>(blocks);
        if (!WriteAt(fd_, image.data(), image.size(), static_cast<uint64_t>(first) * blockSize_) ||
            !writeHeader(header))
            first = 0;
    }
    unlockAllocation();
    return first;
}

void MemoFile::Free(uint32_t block, int lockTimeoutMs) {
    if (readOnly_ || format_ == MemoFormat::Dbase || block < firstBlock())
        return;
    uint64_t at = static_cast<uint64_t>(block) * blockSize_;
    unsigned char prefix[MemoPrefix];
    if (!ReadAt(fd_, prefix, MemoPrefix, at))
        return;
    uint64_t blocks = (MemoPrefix + static_cast<uint64_t>(ReadBe32(prefix + 4)) + blockSize_ - 1) / blockSize_;
    if (!lockAllocation(lockTimeoutMs))
        return;
    Header header;
    if (readHeader(&header) && block + blocks <= header.nextFree) {
        auto& runs = header.freeRuns;
        auto next = std::lower_bound(runs.begin(), runs.end(), std::make_pair(block, 0u));
        bool overlapsNext = next != runs.end() && block + blocks > next->first;
        bool overlapsPrior = next != runs.begin() && std::prev(next)->first + std::prev(next)->second > block;
        if (!overlapsNext && !overlapsPrior) {  // a block freed twice is left alone
            auto run = runs.insert(next, {block, static_cast<uint32_t>(blocks)});
            auto after = std::next(run);
            if (after != runs.end() && run->first + run->second == after->first) {
                run->second += after->second;
                runs.erase(after);
            }
            if (run != runs.begin()) {
                auto before = std::prev(run);
                if (before->first + before->second == run->first) {
                    before->second += run->second;
                    run = std::prev(runs.erase(run));
                }
            }
            // A free run at the end gives its blocks back to the file.
            if (run->first + run->second == header.nextFree) {
                header.nextFree = run->first;
                runs.erase(run);
                if (os::TruncateFile(fd_, static_cast<uint64_t>(header.nextFree) * blockSize_))
                    knownFileSize_ = static_cast<uint64_t>(header.nextFree) * blockSize_;
            }
            // The header holds a bounded list; the smallest runs are let go.
            while (runs.size() > MaxFreeRuns)
                runs.erase(std::min_element(runs.begin(), runs.end(),
                                            [](auto& a, auto& b) { return a.second < b.second; }));
            writeHeader(header);
        }
    }
    unlockAllocation();
}

bool MemoFile::Clear() {
    if (readOnly_)
        return false;
    Header header;
    if (!readHeader(&header))
        return false;
    header.freeRuns.clear();
    header.nextFree = format_ == MemoFormat::Dbase ? 1 : firstBlock();
    uint64_t size = std::max<uint64_t>(HeaderSize, static_cast<uint64_t>(header.nextFree) * blockSize_);
    if (!writeHeader(header) || !os::TruncateFile(fd_, size))
        return false;
    knownFileSize_ = size;
    return true;
}

bool MemoFile::Flush() {
    if (readOnly_ || !unflushed_)
        return true;  // an unchanged file needs no trip to the disk
    if (!syncOrDefer(fd_, &deferredIn_))
        return false;
    unflushed_ = false;
    return true;
}

std::vector<std::pair<uint32_t, uint32_t>> MemoFile::FreeRuns() {
    Header header;
    if (!readHeader(&header))
        return {};
    return header.freeRuns;
}

}  // namespace xb
