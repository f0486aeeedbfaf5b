#include "xbase/DbiWorkArea.h"

#include "xbengine/XbEngine.h"

int SelectWorkArea(int Area) {
    if (Area < 1 || Area > MaxWorkArea || xb_SysProp(XB_SP_AREA_IN_USE, Area) == 0)
        return -1;
    return xb_Select(Area);
}

TWA::TWA(int Area) {
    if (Area < 1 || Area > MaxWorkArea) {
        invalid_ = true;
        return;
    }
    if (xb_SysProp(XB_SP_AREA_IN_USE, Area) != 0) {
        previous_ = xb_Select(Area);
        selected_ = true;
        return;
    }
    int current = xb_WorkArea(nullptr);
    previous_ = current > MaxWorkArea ? 0 : current;
}

TWA::~TWA() {
    if (previous_ > 0 && *xb_Alias(previous_) != '\0')
        xb_Select(previous_);
}

const TGlueField* TDbiWorkArea::Field(uint16_t FieldNo) const {
    if (FieldNo < 1 || FieldNo > Fields.size())
        return nullptr;
    return &Fields[FieldNo - 1];
}

void TDbiWorkArea::DropPendingBlobs(const uint8_t* RecBuf) {
    for (auto it = PendingBlobs.begin(); it != PendingBlobs.end();)
        it = it->first.first == RecBuf ? PendingBlobs.erase(it) : std::next(it);
}

int TDbiWorkArea::ExpressionFilterCount() const {
    int count = 0;
    for (const TFilterEntry& entry : Filters)
        count += entry.Expression.empty() ? 0 : 1;
    return count;
}
