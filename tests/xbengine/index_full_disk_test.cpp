// An index that cannot be written because the disk is full: the open that
// fails to build it says so (xb_IndexError 2), and the file is left marked
// with the tags it must hold, so that the next open on a disk with room
// builds every tag again from the table instead of serving it stale or
// without its tags. The disk is a small tmpfs mounted for the test; where
// this process may not mount one, the test is skipped.
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "IndexSupport.h"
#include "xbengine/NsxPage.h"

namespace {

// A tmpfs of the given size on a folder, unmounted again when it goes.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, size_t bytes) : folder_(folder) {
        std::filesystem::create_directory(folder_);
        const std::string options = "size=" + std::to_string(bytes);
        mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (!mounted_)
            why_ = std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted_)
            umount2(folder_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }

    // Takes every free block of the disk into a file of its own.
    void Fill() {
        const int fd = open(filler().c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0666);
        std::vector<char> block(4096, 'x');
        while (write(fd, block.data(), block.size()) > 0) {
        }
        close(fd);
    }
    void Free() { std::filesystem::remove(filler()); }

private:
    std::string filler() const { return folder_ + "/filler"; }

    std::string folder_;
    bool mounted_ = false;
    std::string why_;
};

// Every tag lists the table's records in key order.
void ExpectTagsMatchTheTable(int Tags) {
    ASSERT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), Tags);
    for (int order = 1; order <= Tags; ++order) {
        xb_SetOrder(order);
        EXPECT_EQ(Walk(), ExpectedOrder(Str(xb_IndexKey()))) << Str(xb_TagName(0));
    }
    xb_SetOrder(XB_RECORD_ORDER);
}

}  // namespace

TEST(IndexFullDiskTest, AnIndexTheFullDiskCutShortIsBuiltWholeOnceThereIsRoom) {
    TempDir dir;
    SmallDisk disk(dir.file("disk"), 512 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << "no small file system can be mounted here: " << disk.Why();
    xb_CloseAll();
    const std::string table = dir.file("disk/full.dbf");
    const std::string index = dir.file("disk/full.nsx");
    ASSERT_EQ(CreateTable(table, {{"NAME", "C", 10, 0}, {"NUM", "N", 6, 0}}), "");
    ASSERT_EQ(FillTable(table, {{"first", "1"}}), "");
    ASSERT_EQ(TagTable(table, {{"NAME", "name"}, {"NUM", "num"}}), "");

    // The table grows behind its small index, which a write cut short left
    // to be built again: building it now takes far more room than it has.
    const std::string aside = dir.file("aside.nsx");
    std::filesystem::copy_file(index, aside);
    std::filesystem::remove(index);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 3000; ++i)
        rows.push_back({"name" + std::to_string(i * 7919 % 3000), std::to_string(i)});
    ASSERT_EQ(FillTable(table, rows), "");
    std::filesystem::copy_file(aside, index);
    {
        const int fd = open(index.c_str(), O_WRONLY | O_CLOEXEC);
        const uint8_t odd = 1;
        ASSERT_EQ(pwrite(fd, &odd, 1, xb::nsxpage::hdrCounter), 1);
        close(fd);
    }

    disk.Fill();
    ASSERT_NE(xb_Use(table.c_str(), "FULL", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_IndexError(), XB_INDEX_UNUSABLE);
    xb_Close();

    disk.Free();
    ASSERT_NE(xb_Use(table.c_str(), "FULL", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_IndexError(), XB_INDEX_REBUILT);
    ExpectTagsMatchTheTable(2);
    xb_Close();
}
