#pragma once
// Posting lists: the positions holding a word, ascending, in a chain of
// blocks. Block pages are cut into blocks of one size class: small blocks
// for the many words held by few keys, large ones once a list has grown.
// Freed blocks go to a free list per class in the header.
#include <cstdint>
#include <vector>

#include "fts/PageFile.h"
#include "fts/WordDirectory.h"

namespace fts {

// Positions are read and written in place inside page bytes.
using AliasedU32 = uint32_t __attribute__((may_alias));

class PostingLists {
public:
    explicit PostingLists(PageFile& file) : file_(file) {}

    // Adds position in its place; nothing when the list holds it already.
    void Insert(PostingList& list, uint32_t position);
    // Takes position out; nothing when the list does not hold it.
    void Remove(PostingList& list, uint32_t position);
    // Appends the list's positions to out, ascending.
    void Collect(const PostingList& list, std::vector<uint32_t>& out);

private:
    struct Block {
        uint8_t* bytes;
        uint32_t sizeClass;
        uint32_t capacity;
        uint32_t count() const { return Load16(bytes + 4); }
        uint32_t next() const { return Load32(bytes); }
        AliasedU32* positions() const { return reinterpret_cast<AliasedU32*>(bytes + 8); }
    };
    Block block(uint32_t ref, bool modify);
    uint32_t allocate(uint32_t sizeClass);
    void release(uint32_t ref, const Block& b);

    PageFile& file_;
};

}  // namespace fts
