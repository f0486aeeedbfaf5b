// The file calls' fault seam: the Nth call of a kind fails with the error
// asked for, once, and the failure is kept and told in words naming the
// folder under the installation root and the file.
#include "os/FileIo.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "os/Paths.h"

namespace {

struct FaultCase {
    os::FileOp op;
    int error;
    const char* words;
};

// Runs the calls a save makes of one file: create, write twice, flush, then
// an open of it; false at the first that fails.
bool saveFile(const std::string& path) {
    const int fd = os::OpenFile(path, O_RDWR | O_CREAT);
    if (fd < 0)
        return false;
    const bool written = os::WriteAt(fd, "abc", 3, 0) && os::WriteAt(fd, "def", 3, 3) && os::SyncFile(fd);
    os::CloseFile(fd);
    if (!written)
        return false;
    const int again = os::OpenFile(path, O_RDONLY);
    os::CloseFile(again);
    return again >= 0;
}

TEST(FileIoTest, TheNthCallOfAKindFailsOnceWithTheErrorAskedForAndIsToldInWords) {
    const std::string folder = os::InstallRoot() + "/Data/Shop";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/Pymt.dbf";
    const FaultCase cases[] = {
        {os::FileOp::Write, ENOSPC, "The disk holding Data/Shop is full: Pymt.dbf could not be written."},
        {os::FileOp::Write, EIO,
         "The disk holding Data/Shop reported a read or write error: Pymt.dbf could not be written."},
        {os::FileOp::Flush, EIO,
         "The disk holding Data/Shop reported a read or write error: Pymt.dbf could not be saved to the disk."},
        {os::FileOp::Create, EACCES, "Permission was refused in Data/Shop: Pymt.dbf could not be created."},
        {os::FileOp::Open, EACCES, "Permission was refused in Data/Shop: Pymt.dbf could not be opened."},
    };
    for (const FaultCase& c : cases) {
        for (uint64_t nth : {uint64_t(1), uint64_t(2)}) {
            SCOPED_TRACE(std::string(c.words) + " at call " + std::to_string(nth));
            std::filesystem::remove(path);
            os::ClearFileFailure();
            os::FailFileCall(c.op, nth, c.error);
            const bool calledTwice = c.op == os::FileOp::Write;
            EXPECT_EQ(saveFile(path), nth == 2 && !calledTwice);
            const auto failure = os::FirstFileFailure();
            if (nth == 2 && !calledTwice) {
                EXPECT_FALSE(failure) << "the fault waits for a second call that never comes";
                os::ClearFileFaults();
                continue;
            }
            ASSERT_TRUE(failure);
            EXPECT_EQ(failure->error, c.error);
            EXPECT_EQ(os::DescribeFileFailure(*failure), c.words);
            os::ClearFileFailure();
            EXPECT_TRUE(saveFile(path)) << "the fault struck once";
        }
    }
    os::ClearFileFaults();
}

TEST(FileIoTest, AMissingFileAskedForIsAnAnswerNotAFailure) {
    os::ClearFileFailure();
    EXPECT_LT(os::OpenFile(os::InstallRoot() + "/no such file", O_RDONLY), 0);
    EXPECT_FALSE(os::FirstFileFailure());
}

}  // namespace
