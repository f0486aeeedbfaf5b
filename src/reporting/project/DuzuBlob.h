#pragma once
// "DuzuBlob": how a TDuzuProject stores its copy of a report project among
// its own stream properties, in the class library's value encoding:
//   an integer (tag 2 int8, 3 int16 or 4 int32, little-endian): the byte
//   size of the project stream;
//   an extended (tag 5, 10 bytes): the date and time of the project file
//   the copy was taken from;
//   the project stream's bytes, untagged.
// Reading treats the bytes as untrusted: a wrong tag, a negative size or a
// size past the end of the stream raises EDuzuException and reads nothing.
#include <string>

#include "base/DateTime.h"
#include "base/Streams.h"

extern const char* const kDuzuBlobName;

void WriteDuzuBlob(TStream& Stream, const std::string& ProjectBytes, TDateTime Date);
void ReadDuzuBlob(TStream& Stream, std::string& ProjectBytes, TDateTime& Date);
