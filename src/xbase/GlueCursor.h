#pragma once
// The work area behind a cursor handle, selected in the engine for the
// lifetime of the object; empty when the handle names no open table.
#include "xbase/EngineGlue.h"

class TEngineGlue::TCursor {
public:
    TCursor(const TEngineGlue& Glue, hDBICur hCursor)
        : guard_(static_cast<int>(hCursor & 0xFFFF)),
          area_(guard_.Selected() ? Glue.OpenWorkArea(hCursor & 0xFFFF) : nullptr) {}

    explicit operator bool() const { return area_ != nullptr; }
    TDbiWorkArea* operator->() const { return area_; }
    TDbiWorkArea& operator*() const { return *area_; }

private:
    TWA guard_;
    TDbiWorkArea* area_;
};
