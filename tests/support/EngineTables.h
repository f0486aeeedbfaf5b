#pragma once
// Test tables made through the engine's own calls: created, filled with rows
// of field texts, and given index tags. Each returns "" when all went well,
// otherwise what the engine refused, so a test can assert on it and show why.
#include <string>
#include <vector>

#include "xbengine/XbEngine.h"

struct FieldSpec {
    const char* name;
    const char* type;
    int width;
    int decimals;
};

struct TagSpec {
    const char* name;
    const char* expression;
};

// Creates the table and closes it again. Every field is offered even after a
// refusal, so the engine's own verdict on the whole definition is what counts.
inline std::string CreateTable(const std::string& path, const std::vector<FieldSpec>& fields,
                               int driver = XB_DRIVER_NSX) {
    if (xb_CreateNew(path.c_str(), "", driver, static_cast<int>(fields.size())) == 0)
        return "definition of " + path + " refused";
    std::string refused;
    for (const FieldSpec& f : fields)
        if (xb_CreateField(f.name, f.type, f.width, f.decimals) == 0 && refused.empty())
            refused = std::string("field ") + f.name + " refused";
    const bool written = xb_CreateExec() != 0;
    xb_Close();
    if (!refused.empty()) return refused;
    return written ? "" : path + " not written";
}

// Appends the rows in exclusive use; each row gives the text of its fields in
// order (memo fields take their text as the memo).
inline std::string FillTable(const std::string& path, const std::vector<std::vector<std::string>>& rows) {
    if (xb_Use(path.c_str(), "FILLING", XB_EXCLUSIVE, XB_DRIVER_NSX) == 0) return path + " did not open";
    std::string refused;
    for (size_t r = 0; r < rows.size() && refused.empty(); ++r) {
        if (xb_AppendEx() != XB_APPEND_DONE) {
            refused = "append of row " + std::to_string(r + 1) + " refused";
            break;
        }
        for (size_t i = 0; i < rows[r].size(); ++i) {
            const int field = static_cast<int>(i + 1);
            const int type = *xb_FieldType(field) == 'M' ? XB_REPLACE_MEMO : XB_REPLACE_TEXT;
            if (xb_Replace(xb_FieldName(field), type, rows[r][i].c_str()) == 0) {
                refused = std::string("row ") + std::to_string(r + 1) + " field " + xb_FieldName(field) + " refused";
                break;
            }
        }
    }
    xb_Commit();
    xb_Close();
    return refused;
}

// Adds the tags to the table's structural index.
inline std::string TagTable(const std::string& path, const std::vector<TagSpec>& tags) {
    if (xb_Use(path.c_str(), "TAGGING", XB_EXCLUSIVE, XB_DRIVER_NSX) == 0) return path + " did not open";
    std::string refused;
    for (const TagSpec& t : tags)
        if (xb_IndexTag("", t.name, t.expression, XB_INDEX_PLAIN, XB_ASCENDING, "") == 0 && refused.empty())
            refused = std::string("tag ") + t.name + " refused";
    xb_Close();
    return refused;
}
