#pragma once
// Copies out of a shared file mapping that another program may cut short.
// Touching mapped pages past a file's new end raises SIGBUS, which would end
// the process; this copy turns it into a failed read instead, at the cost of
// a jump-buffer save on each copy (no system call).
#include <cstddef>

namespace os {

// Copies n bytes from src, which lies in a file mapping, to dest. False when
// part of the source is no longer backed by the file (dest then holds an
// unspecified part of it). Other faults reach whatever handled SIGBUS before.
bool CopyFromMapping(void* dest, const void* src, size_t n);

}  // namespace os
