#pragma once
// Copies into and out of a shared file mapping that another program may cut
// short. Touching mapped pages past a file's new end raises SIGBUS, which
// would end the process; these turn it into a failed access instead, at the
// cost of a jump-buffer save on each call (no system call).
#include <cstddef>
#include <cstdint>

namespace os {

// Copies n bytes from src, which lies in a file mapping, to dest. False when
// part of the source is no longer backed by the file (dest then holds an
// unspecified part of it). Other faults reach whatever handled SIGBUS before.
bool CopyFromMapping(void* dest, const void* src, size_t n);
// A 64-bit value (8-byte aligned) read in one load, and one in a writable
// mapping added to in one atomic step, which other processes' additions
// never undo.
bool LoadFromMapping(const uint64_t* src, uint64_t* value);
bool AddToMapping(uint64_t* dest, uint64_t n);

}  // namespace os
