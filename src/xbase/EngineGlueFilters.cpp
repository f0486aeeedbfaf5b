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

// The active expressions joined with .and., each in parentheses so that an
// .or. inside one cannot take the others apart. A locate is a one-time
// search and never part of the standing filter.
std::string JoinedFilter(const TDbiWorkArea& Area) {
    std::vector<const std::string*> parts;
    for (const TFilterEntry& e : Area.Filters)
        if (e.Active && e.Kind == 0 && !e.Expression.empty() && e.Priority != LocatePriority)
            parts.push_back(&e.Expression);
    if (parts.size() == 1)
        return *parts[0];
    std::string joined;
    for (const std::string* part : parts)
        joined += (joined.empty() ? "(" : " .and. (") + *part + ")";
    return joined;
}

DBIResult ApplyFilter(const std::string& Text) { return xb_Query(Text.c_str()) ? DBIERR_NONE : DBIERR_NA; }

bool AnyCallback(const TDbiWorkArea& Area) {
    for (const TFilterEntry& e : Area.Filters)
        if (e.Kind == 1 && e.Callback)
            return true;
    return false;
}

}  // namespace

DBIResult TEngineGlue::AddFilter(hDBICur hCursor, uintptr_t iClientData, uint16_t iPriority, bool, const char* pExpr,
                                 pfGENFilter pfFilter, hDBIFilter& hFilter) {
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
        return ApplyFilter(JoinedFilter(*cursor));
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
        return ApplyFilter(JoinedFilter(*cursor));

    // A locate: find the first record of the standing filter that matches,
    // then stand just before it so that the next read lands on it.
    std::string standing = xb_DBFilter();
    std::string search = standing.empty() ? entry->Expression : "(" + standing + ") .and. (" + entry->Expression + ")";
    if (!xb_Query(search.c_str()))
        return DBIERR_NA;
    xb_GoTop();
    int found = xb_RecNo();
    bool none = xb_Eof() != 0;
    xb_Query(standing.c_str());
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
        return ApplyFilter("");
    }
    TFilterEntry* entry = Entry(*cursor, hFilter);
    if (!entry)
        return DBIERR_NA;
    if (!entry->Active)
        return DBIERR_NONE;
    entry->Active = false;
    if (entry->Kind == 0 && entry->Priority != LocatePriority)
        return ApplyFilter(JoinedFilter(*cursor));
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
    return reapply ? ApplyFilter(JoinedFilter(*cursor)) : DBIERR_NONE;
}
