#pragma once
// The order in which a work area visits its records. Natural order is record
// number order; an index tag supplies another by implementing this interface
// and handing it to the work area.
#include <cstdint>

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
};

}  // namespace xb
