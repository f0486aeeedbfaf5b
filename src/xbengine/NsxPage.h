#pragma once
// Byte layout of the pages of an index file (see NsxFile.h and NsxTree.h).
#include <cstdint>
#include <cstring>

namespace xb::nsxpage {

// Page types, in the first byte of every page but the header.
constexpr uint8_t typeLeaf = 1;
constexpr uint8_t typeBranch = 2;
constexpr uint8_t typeTag = 3;
constexpr uint8_t typeFree = 4;

// Header page (page 0).
constexpr char magic[8] = {'Q', 'M', 'N', 'S', 'X', 0x1A, 1, 0};
constexpr int hdrPageSize = 8;
constexpr int hdrPageCount = 12;
constexpr int hdrFreeHead = 16;
constexpr int hdrTagCount = 20;
constexpr int hdrCounter = 24;
constexpr int hdrDirectory = 32;
constexpr int dirEntrySize = 16;  // name (12 bytes, zero padded) and tag page
constexpr int dirNameSize = 12;
// Writers' marks: the last bytes of the header page, one per writer slot
// (see NsxFile::beginIntent). The tag directory ends before them.
constexpr int intentSlots = 256;
constexpr int hdrIntents = 4096 - intentSlots;

// Tag description page.
constexpr int tagKeyType = 1;
constexpr int tagKeyLength = 2;
constexpr int tagRoot = 4;
constexpr int tagUnique = 8;
constexpr int tagDescending = 9;
constexpr int tagKeyBytes = 10;
constexpr int tagExprLength = 12;
constexpr int tagCondLength = 14;
constexpr int tagName = 16;
constexpr int tagTexts = 32;

// Tree page.
constexpr int nodeLevel = 1;
constexpr int nodeCount = 2;
constexpr int nodeOwner = 4;
constexpr int nodeEntries = 16;
constexpr int maxLevels = 40;

// Free page.
constexpr int freeNext = 4;

inline uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t get64(const uint8_t* p) { return uint64_t(get32(p)) | (uint64_t(get32(p + 4)) << 32); }
inline void put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void put64(uint8_t* p, uint64_t v) {
    put32(p, uint32_t(v));
    put32(p + 4, uint32_t(v >> 32));
}

}  // namespace xb::nsxpage
