// The index calls of the engine's call set, on the selected work area.
#include <array>
#include <string>

#include "xbengine/Engine.h"
#include "xbengine/XbEngine.h"

using xb::AreaIndexes;
using xb::Engine;

namespace {

Engine& engine() { return Engine::Instance(); }
AreaIndexes* indexes() { return engine().CurrentIndexes(); }

// Returned texts live in a small ring, so a few can be used side by side.
const char* Keep(std::string text) {
    static std::array<std::string, 8> ring;
    static size_t next = 0;
    std::string& slot = ring[next++ % ring.size()];
    slot = std::move(text);
    return slot.c_str();
}

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

}  // namespace

int xb_IndexTag(const char* file, const char* tagName, const char* expression, int option, int descending,
                const char* condition) {
    AreaIndexes* area = indexes();
    if (!area)
        return 0;
    return area->IndexTag(Text(file), Text(tagName), Text(expression), option, descending != 0, Text(condition),
                          engine().GaugeHook());
}

int xb_Index(const char* file, const char* expression, int option, int descending, const char* condition) {
    AreaIndexes* area = indexes();
    if (!area)
        return 0;
    return area->Index(Text(file), Text(expression), option, descending != 0, Text(condition), engine().GaugeHook());
}

int xb_IndexOpen(const char* file) {
    AreaIndexes* area = indexes();
    return area && file && *file ? area->IndexOpen(file) : 0;
}

int xb_IndexError() {
    AreaIndexes* area = indexes();
    return area ? area->LastError() : XB_INDEX_OK;
}

void xb_SetGaugeHook(std::function<void(int percent)> hook) { engine().SetGaugeHook(std::move(hook)); }

int xb_SetOrder(int order) {
    AreaIndexes* area = indexes();
    return area ? area->SetOrder(order) : 0;
}

int xb_IndexOrd() {
    AreaIndexes* area = indexes();
    return area ? area->Order() : 0;
}

int xb_TagArea(const char* tagName) {
    AreaIndexes* area = indexes();
    return area && tagName ? area->OrderOfTag(tagName) : 0;
}

const char* xb_TagName(int order) {
    AreaIndexes* area = indexes();
    return Keep(area ? area->TagName(order) : std::string());
}

const char* xb_IndexName(int order) {
    AreaIndexes* area = indexes();
    return Keep(area ? area->IndexFileName(order) : std::string());
}

const char* xb_IndexKey() {
    AreaIndexes* area = indexes();
    return Keep(area ? area->KeyExpression(0) : std::string());
}

const char* xb_IndexKeyField() {
    AreaIndexes* area = indexes();
    return Keep(area ? area->KeyFields(0) : std::string());
}

const char* xb_IndexCondition() {
    AreaIndexes* area = indexes();
    return Keep(area ? area->Condition(0) : std::string());
}

int xb_IndexType() {
    AreaIndexes* area = indexes();
    if (!area || area->Order() == 0)
        return XB_ORDER_NONE;
    const bool unique = area->Unique(0);
    const bool subset = !area->Condition(0).empty();
    return unique && subset ? XB_ORDER_UNIQUE_CONDITIONAL
           : subset         ? XB_ORDER_CONDITIONAL
           : unique         ? XB_ORDER_UNIQUE
                            : XB_ORDER_PLAIN;
}

const char* xb_KeyData() {
    AreaIndexes* area = indexes();
    return Keep(area ? area->KeyData() : std::string());
}

int xb_Seek(const char* key) {
    xb::WorkArea* area = engine().Current();
    if (!area)
        return 0;
    std::string text = Text(key);
    return xb::GuardedMove([&] { return area->Seek(text); }) ? 1 : 0;
}

int xb_Found() {
    xb::WorkArea* area = engine().Current();
    return area && area->Found() ? 1 : 0;
}

int xb_SetScope(const char* low, const char* high) {
    AreaIndexes* area = indexes();
    return area && area->SetScope(Text(low), Text(high)) ? 1 : 0;
}

const char* xb_GetScope(int which) {
    AreaIndexes* area = indexes();
    return Keep(area ? area->Scope(which) : std::string());
}
