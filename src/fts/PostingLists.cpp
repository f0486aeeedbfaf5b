#include "fts/PostingLists.h"

#include <algorithm>

#include "fts/Results.h"

namespace fts {

namespace {

constexpr uint32_t BlockHeader = 8;  // next block, count
constexpr uint32_t BlockSizes[2] = {64, 504};
constexpr uint32_t blocksPerPage(uint32_t sizeClass) { return (PageSize - PageHeaderSize) / BlockSizes[sizeClass]; }
constexpr uint32_t capacityOf(uint32_t sizeClass) { return (BlockSizes[sizeClass] - BlockHeader) / 4; }
// Lists longer than two small blocks grow in large ones.
constexpr uint32_t LargeFrom = 2 * capacityOf(0);

uint32_t refOf(uint32_t page, uint32_t slot) { return page << 6 | slot; }

}  // namespace

PostingLists::Block PostingLists::block(uint32_t ref, bool modify) {
    const uint32_t page = ref >> 6;
    const uint32_t slot = ref & 63;
    uint8_t* bytes = modify ? file_.Modify(page, PageType::Blocks)
                            : const_cast<uint8_t*>(file_.Read(page, PageType::Blocks));
    const uint32_t sizeClass = bytes[5];
    if (sizeClass > 1 || slot >= blocksPerPage(sizeClass)) throw Failure(FtsErrDamaged);
    Block b{bytes + PageHeaderSize + slot * BlockSizes[sizeClass], sizeClass, capacityOf(sizeClass)};
    if (b.count() > b.capacity) throw Failure(FtsErrDamaged);
    return b;
}

uint32_t PostingLists::allocate(uint32_t sizeClass) {
    Header& h = file_.header();
    uint32_t ref = h.freeBlocks[sizeClass];
    if (ref != 0) {
        Block b = block(ref, true);
        if (b.sizeClass != sizeClass) throw Failure(FtsErrDamaged);
        h.freeBlocks[sizeClass] = b.next();
        std::memset(b.bytes, 0, BlockHeader);
        return ref;
    }
    uint32_t page;
    uint8_t* bytes = file_.Allocate(PageType::Blocks, page);
    bytes[5] = static_cast<uint8_t>(sizeClass);
    const uint32_t perPage = blocksPerPage(sizeClass);
    // The page's other blocks become the free list.
    for (uint32_t slot = 1; slot < perPage; ++slot) {
        uint8_t* b = bytes + PageHeaderSize + slot * BlockSizes[sizeClass];
        Store32(b, slot + 1 < perPage ? refOf(page, slot + 1) : 0);
    }
    h.freeBlocks[sizeClass] = refOf(page, 1);
    return refOf(page, 0);
}

void PostingLists::release(uint32_t ref, const Block& b) {
    Header& h = file_.header();
    Store32(b.bytes, h.freeBlocks[b.sizeClass]);
    Store16(b.bytes + 4, 0);
    h.freeBlocks[b.sizeClass] = ref;
}

void PostingLists::Insert(PostingList& list, uint32_t position) {
    if (list.count == 0) {
        const uint32_t ref = allocate(0);
        Block b = block(ref, true);
        b.positions()[0] = position;
        Store16(b.bytes + 4, 1);
        list = {ref, ref, 1};
        return;
    }
    Block tail = block(list.tail, true);
    const uint32_t tailCount = tail.count();
    if (tailCount == 0) throw Failure(FtsErrDamaged);
    if (position > tail.positions()[tailCount - 1]) {
        // Keys are added in position order, so this is the common case.
        if (tailCount < tail.capacity) {
            tail.positions()[tailCount] = position;
            Store16(tail.bytes + 4, static_cast<uint16_t>(tailCount + 1));
        } else {
            const uint32_t ref = allocate(list.count >= LargeFrom ? 1 : 0);
            Block fresh = block(ref, true);
            fresh.positions()[0] = position;
            Store16(fresh.bytes + 4, 1);
            tail = block(list.tail, true);
            Store32(tail.bytes, ref);
            list.tail = ref;
        }
        ++list.count;
        return;
    }
    uint32_t ref = list.head;
    for (uint32_t steps = 0; steps < list.count; ++steps) {
        Block b = block(ref, true);
        const uint32_t n = b.count();
        if (n == 0) throw Failure(FtsErrDamaged);
        AliasedU32* p = b.positions();
        if (position > p[n - 1]) {
            ref = b.next();
            if (ref == 0) break;
            continue;
        }
        const uint32_t at = static_cast<uint32_t>(std::lower_bound(p, p + n, position) - p);
        if (p[at] == position) return;
        if (n < b.capacity) {
            std::memmove(p + at + 1, p + at, (n - at) * 4);
            p[at] = position;
            Store16(b.bytes + 4, static_cast<uint16_t>(n + 1));
        } else {
            // Split: the upper half moves to a new block after this one.
            const uint32_t newRef = allocate(b.sizeClass);
            Block upper = block(newRef, true);
            b = block(ref, true);
            p = b.positions();
            const uint32_t keep = n / 2;
            std::memcpy(upper.positions(), p + keep, (n - keep) * 4);
            Store16(upper.bytes + 4, static_cast<uint16_t>(n - keep));
            Store32(upper.bytes, b.next());
            Store32(b.bytes, newRef);
            Store16(b.bytes + 4, static_cast<uint16_t>(keep));
            if (list.tail == ref) list.tail = newRef;
            Block& into = at <= keep ? b : upper;
            const uint32_t into_at = at <= keep ? at : at - keep;
            AliasedU32* q = into.positions();
            const uint32_t m = into.count();
            std::memmove(q + into_at + 1, q + into_at, (m - into_at) * 4);
            q[into_at] = position;
            Store16(into.bytes + 4, static_cast<uint16_t>(m + 1));
        }
        ++list.count;
        return;
    }
    throw Failure(FtsErrDamaged);
}

void PostingLists::Remove(PostingList& list, uint32_t position) {
    uint32_t previous = 0;
    uint32_t ref = list.head;
    for (uint32_t steps = 0; steps < list.count && ref != 0; ++steps) {
        Block b = block(ref, true);
        const uint32_t n = b.count();
        if (n == 0) throw Failure(FtsErrDamaged);
        AliasedU32* p = b.positions();
        if (position > p[n - 1]) {
            previous = ref;
            ref = b.next();
            continue;
        }
        const uint32_t at = static_cast<uint32_t>(std::lower_bound(p, p + n, position) - p);
        if (p[at] != position) return;
        std::memmove(p + at, p + at + 1, (n - at - 1) * 4);
        Store16(b.bytes + 4, static_cast<uint16_t>(n - 1));
        if (n == 1) {
            const uint32_t next = b.next();
            if (previous == 0) {
                list.head = next;
            } else {
                Block before = block(previous, true);
                Store32(before.bytes, next);
            }
            if (list.tail == ref) list.tail = previous;
            release(ref, block(ref, true));
        }
        --list.count;
        if (list.count == 0) list = {};
        return;
    }
}

void PostingLists::Collect(const PostingList& list, std::vector<uint32_t>& out) {
    const uint32_t limit = file_.header().positionCount;
    uint32_t last = 0;
    uint32_t seen = 0;
    for (uint32_t ref = list.head; ref != 0;) {
        const Block b = block(ref, false);
        const uint32_t n = b.count();
        seen += n;
        if (n == 0 || seen > list.count) throw Failure(FtsErrDamaged);
        const AliasedU32* p = b.positions();
        for (uint32_t i = 0; i < n; ++i) {
            if (p[i] <= last || p[i] > limit) throw Failure(FtsErrDamaged);
            last = p[i];
        }
        out.insert(out.end(), p, p + n);
        ref = b.next();
    }
    if (seen != list.count) throw Failure(FtsErrDamaged);
}

}  // namespace fts
