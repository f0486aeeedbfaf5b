#pragma once
// Helpers for the index tests: walks of the selected area in its current
// order, and the order a tag must give, worked out here by sorting the
// records' key texts in record order.
#include <algorithm>
#include <string>
#include <vector>

#include "xbengine/ExprCalls.h"
#include "StorageSupport.h"

using Recs = std::vector<int>;

// Record numbers from the top to the end.
inline std::vector<int> Walk() {
    std::vector<int> seen;
    for (xb_GoTop(); !xb_Eof() && seen.size() < 100000; xb_Skip(1))
        seen.push_back(xb_RecNo());
    return seen;
}

// Record numbers from the bottom back to the top, reversed, so that it equals Walk.
inline std::vector<int> WalkBack() {
    std::vector<int> seen;
    for (xb_GoBottom(); !xb_Eof() && seen.size() < 100000;) {
        seen.push_back(xb_RecNo());
        xb_Skip(-1);
        if (xb_Bof())
            break;
    }
    std::reverse(seen.begin(), seen.end());
    return seen;
}

// The records a tag on key (with an optional condition) lists, in its order:
// keys compared as numbers for numeric keys and byte-wise otherwise, ties by
// record number; unique keeps the first record of each key. Deleted records
// count as present. The area's order and position are left as they were.
inline std::vector<int> ExpectedOrder(const std::string& key, const std::string& condition = "",
                                      bool unique = false, bool descending = false) {
    struct Entry {
        std::string text;
        double number;
        int recNo;
    };
    const int previousOrder = xb_SetOrder(XB_RECORD_ORDER);
    const int previousRecNo = xb_RecNo();
    const bool numeric = xb_EvalTest(key.c_str()) == 2;
    std::vector<Entry> entries;
    for (int r = 1; r <= xb_RecCount(); ++r) {
        xb_Go(r);
        if (!condition.empty() && !xb_EvalLogical(condition.c_str()))
            continue;
        std::string text = Str(xb_EvalString(key.c_str()));
        entries.push_back({text, numeric ? std::stod(text) : 0.0, r});
    }
    auto before = [&](const Entry& a, const Entry& b) {
        if (numeric ? a.number != b.number : a.text != b.text) {
            bool less = numeric ? a.number < b.number : a.text < b.text;
            return descending ? !less : less;
        }
        return a.recNo < b.recNo;
    };
    std::stable_sort(entries.begin(), entries.end(), before);
    std::vector<int> order;
    for (size_t i = 0; i < entries.size(); ++i) {
        bool sameKey = i > 0 && (numeric ? entries[i].number == entries[i - 1].number
                                         : entries[i].text == entries[i - 1].text);
        if (unique && sameKey)
            continue;
        order.push_back(entries[i].recNo);
    }
    xb_SetOrder(previousOrder);
    xb_Go(previousRecNo);
    return order;
}
