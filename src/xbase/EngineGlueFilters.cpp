// Filters: xBase expressions applied as one engine query, record callbacks
// consulted by the record reads, and locates as one-time searches.
#include "xbase/EngineGlue.h"
#include "xbase/GlueCursor.h"
#include "xbengine/ExprCalls.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr uint16_t LocatePriority = 2;

TFilterEntry* Entry(TDbiWorkArea& Area, hDBIFilter hFilter) {
    if (hFilter < 1 || static_cast<size_t>(hFilter) > Area.Filters.size())
        return nullptr;
    return &Area.Filters[static_cast<size_t>(hFilter) - 1];
}

// The active expressions, which the engine joins with .and.; each keeps
// its own way of comparing texts. A locate is a one-time search and never
// part of the standing filter.
std::vector<xb::FilterPart> StandingFilter(const TDbiWorkArea& Area) {
    std::vector<xb::FilterPart> parts;
    for (const TFilterEntry& e : Area.Filters)
        if (e.Active && e.Kind == 0 && !e.Expression.empty() && e.Priority != LocatePriority)
            parts.push_back({e.Expression, e.NoPartialCompare});
    return parts;
}

DBIResult ApplyFilter(const std::vector<xb::FilterPart>& Parts) {
    return xb::SetFilterParts(Parts) ? DBIERR_NONE : DBIERR_NA;
}

bool AnyCallback(const TDbiWorkArea& Area) {
    for (const TFilterEntry& e : Area.Filters)
        if (e.Kind == 1 && e.Callback)
            return true;
    return false;
}

}  // namespace

DBIResult TEngineGlue::AddFilter(hDBICur hCursor, uintptr_t iClientData, uint16_t iPriority, bool, const char* pExpr,
                                 pfGENFilter pfFilter, hDBIFilter& hFilter, bool bNoPartialCompare) {
    hFilter = -1;
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    std::vector<TFilterEntry>& filters = cursor->Filters;
    size_t slot = 0;
    while (slot < filters.size() && (!filters[slot].Expression.empty() || filters[slot].Callback))
        ++slot;
    if (slot == filters.size())
        filters.emplace_back();
    TFilterEntry& entry = filters[slot];
    entry = TFilterEntry{};
    entry.Priority = iPriority;
    if (pExpr) {
        entry.Expression = pExpr;
        entry.NoPartialCompare = bNoPartialCompare;
    } else {
        entry.Kind = 1;
        entry.Callback = pfFilter;
        entry.ClientData = iClientData;
        cursor->HasRecordCallback = true;
    }
    hFilter = static_cast<hDBIFilter>(slot + 1);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::ActivateFilter(hDBICur hCursor, hDBIFilter hFilter) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (hFilter == 0) {
        for (TFilterEntry& e : cursor->Filters)
            if (!e.Expression.empty() || e.Callback)
                e.Active = true;
        return ApplyFilter(StandingFilter(*cursor));
    }
    TFilterEntry* entry = Entry(*cursor, hFilter);
    if (!entry)
        return DBIERR_NA;
    if (entry->Active)
        return DBIERR_NONE;
    entry->Active = true;
    if (entry->Kind == 1)
        return DBIERR_NONE;
    if (entry->Priority != LocatePriority)
        return ApplyFilter(StandingFilter(*cursor));

    // A locate: find the first record of the standing filter that matches,
    // then stand just before it so that the next read lands on it.
    std::vector<xb::FilterPart> standing = StandingFilter(*cursor);
    std::vector<xb::FilterPart> search = standing;
    search.push_back({entry->Expression, entry->NoPartialCompare});
    if (!xb::SetFilterParts(search))
        return DBIERR_NA;
    xb_GoTop();
    int found = xb_RecNo();
    bool none = xb_Eof() != 0;
    xb::SetFilterParts(standing);
    restorePosition(found, none);
    xb_Skip(-1);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DeactivateFilter(hDBICur hCursor, hDBIFilter hFilter) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (hFilter == 0) {
        for (TFilterEntry& e : cursor->Filters)
            e.Active = false;
        return ApplyFilter({});
    }
    TFilterEntry* entry = Entry(*cursor, hFilter);
    if (!entry)
        return DBIERR_NA;
    if (!entry->Active)
        return DBIERR_NONE;
    entry->Active = false;
    if (entry->Kind == 0 && entry->Priority != LocatePriority)
        return ApplyFilter(StandingFilter(*cursor));
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DropFilter(hDBICur hCursor, hDBIFilter hFilter) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    TFilterEntry* entry = Entry(*cursor, hFilter);
    if (!entry)
        return DBIERR_NA;
    bool reapply = entry->Active && entry->Kind == 0 && entry->Priority != LocatePriority;
    // Cleared active or not, so dropped entries never pile up.
    *entry = TFilterEntry{};
    cursor->HasRecordCallback = AnyCallback(*cursor);
    return reapply ? ApplyFilter(StandingFilter(*cursor)) : DBIERR_NONE;
}
