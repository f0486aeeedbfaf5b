#pragma once
// The file calls the engine and the program's plain files go through: open,
// create, positioned reads and writes, flushes and truncation, each retried
// on EINTR. A failed call is kept (which call, which file, the system's
// error) so that a message can say in words what happened; the seam below
// lets tests make the Nth call of a kind fail with a chosen error, as a real
// full disk or failing device would.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace os {

enum class FileOp { Open, Create, Write, Flush };

// Opens path with open(2)'s flags; a call with O_CREAT counts as a create.
// The descriptor, or -1 with errno set.
int OpenFile(const std::string& path, int flags, int mode = 0666);
// A second descriptor on the same open file, known by the same name.
int DuplicateFile(int fd);
void CloseFile(int fd);

// Exactly n bytes at offset; false on a short transfer or an error.
bool ReadAt(int fd, void* buf, size_t n, uint64_t offset);
bool WriteAt(int fd, const void* buf, size_t n, uint64_t offset);
// Hands the file's data to the disk (fdatasync).
bool SyncFile(int fd);
// Sets the file's length; counts as a write.
bool TruncateFile(int fd, uint64_t length);

struct FileFailure {
    FileOp op;
    std::string path;
    int error;
};
// The first failure since the last ClearFileFailure, if any.
std::optional<FileFailure> FirstFileFailure();
void ClearFileFailure();
// The failure in words: "The disk holding Data/Shop is full: Pymt.dbf could
// not be written." Folders under the installation root are named from it.
std::string DescribeFileFailure(const FileFailure& failure);

// Test seam: the nth call of op from now on fails with error (ENOSPC, EIO,
// EACCES...) without reaching the system. One fault per kind at a time.
void FailFileCall(FileOp op, uint64_t nth, int error);
void ClearFileFaults();
// Calls of op made since the process started.
uint64_t FileCalls(FileOp op);

}  // namespace os
