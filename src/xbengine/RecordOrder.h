#pragma once
// The order in which a work area visits its records. Natural order is record
// number order; an index tag supplies another by implementing this interface
// and handing it to the work area.
#include <cstdint>
#include <string_view>

#include "xbengine/Types.h"

namespace xb {

class RecordOrder {
public:
    virtual ~RecordOrder() = default;
    // Record numbers in this order; 0 when there is none.
    virtual uint32_t First() = 0;
    virtual uint32_t Last() = 0;
    // The record after or before `current`, whose content the view shows.
    virtual uint32_t Next(const RecordView& current) = 0;
    virtual uint32_t Prior(const RecordView& current) = 0;

    // Key searches, for orders that have keys. SeekFirst gives the first
    // record at or after the text in this order (0 when none); KeyMatches
    // tells whether a record's key matches the text.
    virtual bool CanSeek() const { return false; }
    virtual uint32_t SeekFirst(std::string_view /*text*/, bool /*exact*/) { return 0; }
    virtual bool KeyMatches(const RecordView& /*record*/, std::string_view /*text*/, bool /*exact*/) { return false; }
    // The number of entries the order holds when that is every visible
    // record (no record needs reading); false when it cannot tell.
    virtual bool CountEntries(uint32_t* /*count*/) { return false; }
    // In the same way, the place of the current record among them (0 when
    // it is not among them).
    virtual bool EntryPosition(const RecordView& /*current*/, uint32_t* /*position*/) { return false; }
};

}  // namespace xb
