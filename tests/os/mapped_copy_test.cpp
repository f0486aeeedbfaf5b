// Copies into and out of a file mapping: they work as memcpy while the file
// is whole, and fail instead of killing the process once the file was cut
// short under the mapping.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

#include "os/MappedCopy.h"
#include "support/TempDir.h"

namespace {

constexpr size_t kPage = 4096;

// A file of three pages mapped for reading and writing.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644)) {
        std::string bytes(3 * kPage, 'a');
        if (pwrite(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()))
            map_ = static_cast<char*>(mmap(nullptr, bytes.size(), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0));
    }
    ~MappedFile() {
        if (map_ != MAP_FAILED)
            munmap(map_, 3 * kPage);
        close(fd_);
    }
    bool mapped() const { return map_ != MAP_FAILED; }
    char* at(size_t offset) const { return map_ + offset; }
    void cutTo(size_t size) const { ASSERT_EQ(ftruncate(fd_, static_cast<off_t>(size)), 0); }

private:
    int fd_;
    char* map_ = static_cast<char*>(MAP_FAILED);
};

}  // namespace

TEST(MappedCopy, WorksWhileTheFileIsWholeAndFailsPastItsNewEnd) {
    TempDir dir;
    struct Case {
        const char* name;
        std::function<bool(const MappedFile&, size_t offset)> access;
    };
    const Case cases[] = {
        {"copy out",
         [](const MappedFile& f, size_t offset) {
             char into[16] = {};
             return os::CopyFromMapping(into, f.at(offset), sizeof into) && std::string(into, 16) == std::string(16, 'a');
         }},
        {"add", [](const MappedFile& f, size_t offset) {
             return os::AddToMapping(reinterpret_cast<uint64_t*>(f.at(offset)), 7u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MappedFile file(dir.file("mapped"));
        ASSERT_TRUE(file.mapped());
        EXPECT_TRUE(c.access(file, 2 * kPage + 64));
        file.cutTo(kPage);
        EXPECT_FALSE(c.access(file, 2 * kPage + 64));
        EXPECT_FALSE(c.access(file, kPage + 64));
        // The page the file still reaches into works as before, time and again.
        EXPECT_TRUE(c.access(file, 64));
        EXPECT_FALSE(c.access(file, 2 * kPage + 64));
    }
}
