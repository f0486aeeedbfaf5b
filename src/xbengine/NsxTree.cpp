#include "xbengine/NsxTree.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "xbengine/NsxPage.h"

namespace xb {

using namespace nsxpage;

namespace {

uint8_t* entryAt(uint8_t* page, int size, int slot) { return page + nodeEntries + slot * size; }
const uint8_t* entryAt(const uint8_t* page, int size, int slot) { return page + nodeEntries + slot * size; }
int countOf(const uint8_t* page) { return get16(page + nodeCount); }

static_assert(std::endian::native == std::endian::little, "entries are compared as swapped words");

// memcmp's order of two short byte strings, eight bytes at a time as
// big-endian words: a search compares a dozen entries of a few bytes each,
// where a call per comparison costs more than the comparison.
int compareEntry(const uint8_t* a, const uint8_t* b, size_t n) {
    for (; n >= 8; a += 8, b += 8, n -= 8) {
        uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y) return __builtin_bswap64(x) < __builtin_bswap64(y) ? -1 : 1;
    }
    for (; n > 0; ++a, ++b, --n)
        if (*a != *b) return *a < *b ? -1 : 1;
    return 0;
}

bool satisfies(const uint8_t* entry, const NsxTree::Target& target) {
    int c = compareEntry(entry, target.bytes, target.size);
    return target.strict ? c > 0 : c >= 0;
}

void initNode(uint8_t* page, int level, uint32_t owner, int count) {
    page[0] = level == 0 ? typeLeaf : typeBranch;
    page[nodeLevel] = uint8_t(level);
    put16(page + nodeCount, uint16_t(count));
    put32(page + nodeOwner, owner);
}

}  // namespace

NsxTree::NsxTree(NsxFile& file, const NsxFile::TagState& tag)
    : file_(file),
      root_(tag.root),
      tagPage_(tag.tagPage),
      entryBytes_(tag.codec.entryBytes()),
      // Every page read checks its count against these: worked out once.
      leafCapacity_(int(NsxFile::pageSize - nodeEntries) / entryBytes_),
      branchCapacity_(int(NsxFile::pageSize - nodeEntries) / (entryBytes_ + 4)) {}

int NsxTree::capacity(int level) const { return level == 0 ? leafCapacity_ : branchCapacity_; }

// Reads a tree page and checks that it is what the way down expects; level
// -1 accepts the root at any level. Levels fall by one per step down, so no
// damaged file can lead a search in a circle.
const uint8_t* NsxTree::node(uint32_t no, int level) {
    const uint8_t* page = file_.readPage(no);
    const int actual = page[nodeLevel];
    const uint8_t type = actual == 0 ? typeLeaf : typeBranch;
    if (page[0] != type || actual >= maxLevels || (level >= 0 && actual != level))
        file_.damaged("a tree page is out of place");
    if (get32(page + nodeOwner) != tagPage_) file_.damaged("a tree page belongs to another tag");
    const int count = countOf(page);
    if (count > capacity(actual) || (count == 0 && no != root_)) file_.damaged("a tree page has a bad entry count");
    return page;
}

int NsxTree::rootLevel() { return node(root_, -1)[nodeLevel]; }

bool NsxTree::lowerBound(const Target& target, Path& path) {
    path.clear();
    uint32_t no = root_;
    const uint8_t* page = node(no, -1);
    for (int level = page[nodeLevel];; --level) {
        const int size = entrySize(level);
        int low = 0, high = countOf(page);
        while (low < high) {
            int mid = (low + high) / 2;
            if (satisfies(entryAt(page, size, mid), target))
                high = mid;
            else
                low = mid + 1;
        }
        if (low == countOf(page)) {
            // Only the root may hold nothing that qualifies; below it the
            // parent's entry promised an entry here.
            if (no != root_) file_.damaged("a branch entry does not match its child");
            path.clear();
            return false;
        }
        path.push_back({no, low});
        if (level == 0) return true;
        no = get32(entryAt(page, size, low) + entryBytes_);
        page = node(no, level - 1);
    }
}

// Extends a path whose last step stands on a branch entry down to a leaf,
// along the first or the last entry of each page.
void NsxTree::descend(Path& path, bool rightmost) {
    const int top = rootLevel();
    for (;;) {
        const Step step = path.back();
        const int level = top - int(path.size()) + 1;
        if (level == 0) return;
        const uint8_t* page = node(step.page, level);
        const uint32_t child = get32(entryAt(page, entrySize(level), step.slot) + entryBytes_);
        const uint8_t* childPage = node(child, level - 1);
        path.push_back({child, rightmost ? countOf(childPage) - 1 : 0});
    }
}

bool NsxTree::first(Path& path) {
    path.clear();
    if (countOf(node(root_, -1)) == 0) return false;
    path.push_back({root_, 0});
    descend(path, false);
    return true;
}

bool NsxTree::last(Path& path) {
    path.clear();
    const int count = countOf(node(root_, -1));
    if (count == 0) return false;
    path.push_back({root_, count - 1});
    descend(path, true);
    return true;
}

bool NsxTree::next(Path& path) {
    const int top = rootLevel();
    for (int depth = int(path.size()) - 1; depth >= 0; --depth) {
        const uint8_t* page = node(path[depth].page, top - depth);
        if (path[depth].slot + 1 < countOf(page)) {
            path[depth].slot++;
            path.resize(depth + 1);
            descend(path, false);
            return true;
        }
    }
    path.clear();
    return false;
}

bool NsxTree::prev(Path& path) {
    const int top = rootLevel();
    for (int depth = int(path.size()) - 1; depth >= 0; --depth) {
        node(path[depth].page, top - depth);
        if (path[depth].slot > 0) {
            path[depth].slot--;
            path.resize(depth + 1);
            descend(path, true);
            return true;
        }
    }
    path.clear();
    return false;
}

const uint8_t* NsxTree::entry(const Path& path) {
    if (path.empty()) file_.damaged("a search lost its way");
    const Step& step = path.back();
    const uint8_t* page = node(step.page, 0);
    if (step.slot < 0 || step.slot >= countOf(page)) file_.damaged("a position lies outside its page");
    return entryAt(page, entryBytes_, step.slot);
}

// ---- Changes -----------------------------------------------------------------

bool NsxTree::insert(const uint8_t* newEntry) {
    Path path;
    const Target target{newEntry, size_t(entryBytes_), false};
    if (lowerBound(target, path)) {
        if (std::memcmp(entry(path), newEntry, entryBytes_) == 0) return false;
    } else if (last(path)) {
        path.back().slot++;  // after the last entry of all
    } else {
        path.push_back({root_, 0});  // the tree is empty
    }
    insertAt(path, int(path.size()) - 1, newEntry);
    return true;
}

// Puts an entry at path[depth]; a full page splits and hands the new page's
// entry to its parent, and a full root moves its halves into two new pages.
void NsxTree::insertAt(Path& path, int depth, const uint8_t* newEntry) {
    const int level = rootLevel() - depth;
    const int size = entrySize(level);
    const uint32_t no = path[depth].page;
    const int slot = path[depth].slot;
    uint8_t* page = file_.writablePage(no);
    const int count = countOf(page);
    if (count < capacity(level)) {
        std::memmove(entryAt(page, size, slot + 1), entryAt(page, size, slot), size_t(count - slot) * size);
        std::memcpy(entryAt(page, size, slot), newEntry, size);
        put16(page + nodeCount, uint16_t(count + 1));
        if (slot == count) propagateMax(path, depth);
        return;
    }

    const int total = count + 1;
    std::vector<uint8_t> all(size_t(total) * size);
    std::memcpy(all.data(), entryAt(page, size, 0), size_t(slot) * size);
    std::memcpy(all.data() + size_t(slot) * size, newEntry, size);
    std::memcpy(all.data() + size_t(slot + 1) * size, entryAt(page, size, slot), size_t(count - slot) * size);
    // Appending at the very end (ascending record numbers, say) leaves the
    // old page full instead of two half-empty ones.
    const int leftCount = slot == count ? count : total / 2;
    const int rightCount = total - leftCount;
    const uint8_t* leftEntries = all.data();
    const uint8_t* rightEntries = all.data() + size_t(leftCount) * size;
    std::vector<uint8_t> leftMax(leftEntries + size_t(leftCount - 1) * size,
                                 leftEntries + size_t(leftCount - 1) * size + entryBytes_);
    std::vector<uint8_t> rightMax(rightEntries + size_t(rightCount - 1) * size,
                                  rightEntries + size_t(rightCount - 1) * size + entryBytes_);

    const uint32_t right = file_.allocPage();
    uint8_t* rightPage = file_.freshPage(right);
    initNode(rightPage, level, tagPage_, rightCount);
    std::memcpy(entryAt(rightPage, size, 0), rightEntries, size_t(rightCount) * size);

    if (depth == 0) {
        // The root keeps its page: its left half moves out as well.
        const uint32_t left = file_.allocPage();
        uint8_t* leftPage = file_.freshPage(left);
        initNode(leftPage, level, tagPage_, leftCount);
        std::memcpy(entryAt(leftPage, size, 0), leftEntries, size_t(leftCount) * size);
        uint8_t* rootPage = file_.writablePage(no);
        std::memset(rootPage, 0, NsxFile::pageSize);
        initNode(rootPage, level + 1, tagPage_, 2);
        const int branchSize = entrySize(level + 1);
        std::memcpy(entryAt(rootPage, branchSize, 0), leftMax.data(), entryBytes_);
        put32(entryAt(rootPage, branchSize, 0) + entryBytes_, left);
        std::memcpy(entryAt(rootPage, branchSize, 1), rightMax.data(), entryBytes_);
        put32(entryAt(rootPage, branchSize, 1) + entryBytes_, right);
        return;
    }

    page = file_.writablePage(no);
    put16(page + nodeCount, uint16_t(leftCount));
    std::memcpy(entryAt(page, size, 0), leftEntries, size_t(leftCount) * size);
    std::memset(entryAt(page, size, leftCount), 0, size_t(capacity(level) - leftCount) * size);

    const int parentSize = entrySize(level + 1);
    uint8_t* parent = file_.writablePage(path[depth - 1].page);
    std::memcpy(entryAt(parent, parentSize, path[depth - 1].slot), leftMax.data(), entryBytes_);
    std::vector<uint8_t> parentEntry(parentSize);
    std::memcpy(parentEntry.data(), rightMax.data(), entryBytes_);
    put32(parentEntry.data() + entryBytes_, right);
    path[depth - 1].slot++;
    insertAt(path, depth - 1, parentEntry.data());
}

// After the last entry of path[depth]'s page changed, the branch entries
// above that describe it take the new largest entry.
void NsxTree::propagateMax(const Path& path, int depth) {
    const int top = rootLevel();
    for (int d = depth; d > 0; --d) {
        const int level = top - d;
        const uint8_t* page = node(path[d].page, level);
        uint8_t largest[nsxMaxKeyLength + 4];
        std::memcpy(largest, entryAt(page, entrySize(level), countOf(page) - 1), entryBytes_);
        uint8_t* parent = file_.writablePage(path[d - 1].page);
        std::memcpy(entryAt(parent, entrySize(level + 1), path[d - 1].slot), largest, entryBytes_);
        if (path[d - 1].slot != countOf(parent) - 1) return;
    }
}

bool NsxTree::remove(const uint8_t* oldEntry) {
    Path path;
    const Target target{oldEntry, size_t(entryBytes_), false};
    if (!lowerBound(target, path) || std::memcmp(entry(path), oldEntry, entryBytes_) != 0) return false;
    removeAt(path, int(path.size()) - 1);
    collapseRoot();
    return true;
}

// Takes the entry at path[depth] out; an emptied page is freed and its entry
// taken out of the parent in turn.
void NsxTree::removeAt(Path& path, int depth) {
    const int level = rootLevel() - depth;
    const int size = entrySize(level);
    const uint32_t no = path[depth].page;
    const int slot = path[depth].slot;
    uint8_t* page = file_.writablePage(no);
    const int count = countOf(page) - 1;
    std::memmove(entryAt(page, size, slot), entryAt(page, size, slot + 1), size_t(count - slot) * size);
    std::memset(entryAt(page, size, count), 0, size);
    put16(page + nodeCount, uint16_t(count));
    if (count > 0) {
        if (slot == count) propagateMax(path, depth);
        return;
    }
    if (depth == 0) {
        initNode(page, 0, tagPage_, 0);  // an empty tree is an empty leaf
        return;
    }
    file_.freePage(no);
    removeAt(path, depth - 1);
}

// A root branch with a single child takes that child's place.
void NsxTree::collapseRoot() {
    for (;;) {
        const uint8_t* rootPage = node(root_, -1);
        const int level = rootPage[nodeLevel];
        if (level == 0 || countOf(rootPage) != 1) return;
        const uint32_t child = get32(entryAt(rootPage, entrySize(level), 0) + entryBytes_);
        std::vector<uint8_t> copy(node(child, level - 1), node(child, level - 1) + NsxFile::pageSize);
        std::memcpy(file_.writablePage(root_), copy.data(), NsxFile::pageSize);
        file_.freePage(child);
    }
}

std::vector<uint32_t> NsxTree::pages() {
    std::vector<uint32_t> result;
    std::vector<bool> seen(file_.pageCount_, false);
    std::vector<std::pair<uint32_t, int>> pending{{root_, -1}};
    while (!pending.empty()) {
        auto [no, level] = pending.back();
        pending.pop_back();
        const uint8_t* page = node(no, level);
        if (seen[no]) file_.damaged("two branches lead to one page");
        seen[no] = true;
        result.push_back(no);
        const int actual = page[nodeLevel];
        if (actual == 0) continue;
        for (int i = 0; i < countOf(page); ++i)
            pending.push_back({get32(entryAt(page, entrySize(actual), i) + entryBytes_), actual - 1});
    }
    return result;
}

// ---- Bulk build --------------------------------------------------------------

uint32_t NsxTree::build(NsxFile& file, uint32_t tagPage, int entryBytes, const std::vector<uint8_t>& sorted,
                        const std::function<void(double)>& progress) {
    // Pages written so far against the leaves to write (branches add little).
    const int leafCapacity = int(NsxFile::pageSize - nodeEntries) / entryBytes;
    const double expectedPages = double(sorted.size() / entryBytes) / (leafCapacity - leafCapacity / 10) + 1;
    double written = 0;
    std::vector<uint8_t> page(NsxFile::pageSize);
    std::vector<uint8_t> levelEntries;  // entries of the level being written
    const std::vector<uint8_t>* current = &sorted;
    for (int level = 0;; ++level) {
        const int size = level == 0 ? entryBytes : entryBytes + 4;
        const int capacity = int(NsxFile::pageSize - nodeEntries) / size;
        const int fill = capacity - capacity / 10;
        const size_t count = current->size() / size;
        const size_t pageCount = count == 0 ? 1 : (count + fill - 1) / fill;
        std::vector<uint8_t> above;
        for (size_t p = 0; p < pageCount; ++p) {
            const size_t from = p * count / pageCount;
            const size_t to = (p + 1) * count / pageCount;
            std::fill(page.begin(), page.end(), 0);
            initNode(page.data(), level, tagPage, int(to - from));
            if (to > from)
                std::memcpy(entryAt(page.data(), size, 0), current->data() + from * size, (to - from) * size);
            const uint32_t no = file.allocPage();
            file.writeDirect(no, page.data());
            if (pageCount == 1) return no;
            const uint8_t* largest = current->data() + (to - 1) * size;
            above.insert(above.end(), largest, largest + entryBytes);
            uint8_t child[4];
            put32(child, no);
            above.insert(above.end(), child, child + 4);
            if (progress) progress(std::min(1.0, ++written / expectedPages));
        }
        levelEntries = std::move(above);
        current = &levelEntries;
    }
}

}  // namespace xb
