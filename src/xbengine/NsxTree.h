#pragma once
// The B+tree of one tag inside an index file: searching, stepping, and
// keeping it right through inserts and removals.
//
// Tree page: type (1 leaf, 2 branch), level (0 for leaves), entry count, the
// page of the tag that owns it, then the entries. A leaf entry is the stored
// key and the record number; a branch entry is the largest leaf entry below
// a child, then the child's page. The root keeps its page for the life of the
// tag, so the tag's description never changes after it is built. Every page
// read is checked (type, level, owner, count), so a damaged file is reported
// and never followed in a loop or past a page's end.
#include <cstdint>
#include <functional>
#include <vector>

#include "xbengine/NsxFile.h"

namespace xb {

class NsxTree {
public:
    struct Step {
        uint32_t page;
        int slot;
    };
    // Root first; empty when on no entry.
    using Path = std::vector<Step>;

    // The first entry e with memcmp(e, bytes, size) >= 0, or > 0 when strict.
    struct Target {
        const uint8_t* bytes;
        size_t size;
        bool strict;
    };

    NsxTree(NsxFile& file, const NsxFile::TagState& tag);

    // Each returns false, with the path emptied, when there is no such entry.
    bool lowerBound(const Target& target, Path& path);
    bool first(Path& path);
    bool last(Path& path);
    bool next(Path& path);
    bool prev(Path& path);
    // The leaf entry the path stands on (entryBytes long).
    const uint8_t* entry(const Path& path);

    bool insert(const uint8_t* entry);
    bool remove(const uint8_t* entry);
    // Every page of the tree, root included; NsxError when they do not form a tree.
    std::vector<uint32_t> pages();

    // Writes a tree holding the sorted entries into new pages owned by
    // tagPage and returns its root. Pages are filled to nine tenths so that
    // later inserts do not split at once.
    static uint32_t build(NsxFile& file, uint32_t tagPage, int entryBytes, const std::vector<uint8_t>& sorted,
                          const std::function<void(double)>& progress);

private:
    const uint8_t* node(uint32_t no, int level);
    int rootLevel();
    int entrySize(int level) const { return level == 0 ? entryBytes_ : entryBytes_ + 4; }
    int capacity(int level) const;
    void descend(Path& path, bool rightmost);
    void insertAt(Path& path, int depth, const uint8_t* entry);
    void removeAt(Path& path, int depth);
    void propagateMax(const Path& path, int depth);
    void collapseRoot();

    NsxFile& file_;
    uint32_t root_;
    uint32_t tagPage_;
    int entryBytes_;
    int leafCapacity_;
    int branchCapacity_;
};

}  // namespace xb
