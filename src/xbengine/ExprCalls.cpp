#include "xbengine/ExprCalls.h"

#include <array>
#include <map>
#include <memory>

#include "xbengine/Engine.h"
#include "xbengine/Expr.h"
#include "xbengine/WorkArea.h"

using xb::Engine;
using xb::ExprStatus;
using xb::Expression;
using xb::WorkArea;

namespace {

ExprStatus lastStatus;

// Returned texts live in a small ring, so a few can be used side by side.
const char* Keep(std::string text) {
    static std::array<std::string, 8> ring;
    static size_t next = 0;
    std::string& slot = ring[next++ % ring.size()];
    slot = std::move(text);
    return slot.c_str();
}

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// A filter is owned by the visibility test it installs in its work area, so
// it goes away with the area or when the test is replaced. The table here
// only remembers it for xb_DBFilter, through a weak reference.
struct AreaFilter {
    std::string text;
    struct Part {
        std::unique_ptr<Expression> expression;
        bool exact = false;
    };
    std::vector<Part> parts;

    bool Visible(const xb::RecordView& record, const xb::Settings& settings) const {
        for (const Part& part : parts) {
            bool visible;
            if (part.exact && !settings.exact) {
                xb::Settings exact = settings;
                exact.exact = true;
                visible = part.expression->EvalLogical(record, exact);
            } else {
                visible = part.expression->EvalLogical(record, settings);
            }
            if (!visible)
                return false;
        }
        return true;
    }
};

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

std::map<const WorkArea*, std::weak_ptr<AreaFilter>>& filters() {
    static std::map<const WorkArea*, std::weak_ptr<AreaFilter>> table;
    return table;
}

std::shared_ptr<AreaFilter> FilterOf(const WorkArea& area) {
    auto it = filters().find(&area);
    if (it == filters().end())
        return nullptr;
    std::shared_ptr<AreaFilter> filter = it->second.lock();
    if (!filter)
        filters().erase(it);
    return filter;
}

// Compiles over the selected area's fields (none when no table is open).
std::unique_ptr<Expression> CompileForCurrent(const char* text) {
    static const std::vector<xb::FieldInfo> noFields;
    WorkArea* area = Engine::Instance().Current();
    auto expr = Expression::Compile(Text(text), area ? area->fields() : noFields,
                                    Engine::Instance().settings(), lastStatus);
    return expr;
}

// Installs (or clears, when every part is blank) the filter of a work area.
bool SetAreaFilter(WorkArea& area, const std::vector<xb::FilterPart>& parts, ExprStatus& status) {
    status = ExprStatus{};
    std::vector<const xb::FilterPart*> given;
    for (const xb::FilterPart& part : parts)
        if (!Blank(part.text))
            given.push_back(&part);
    if (given.empty()) {
        filters().erase(&area);
        area.SetVisibility(nullptr);
        return true;
    }
    const xb::Settings& settings = Engine::Instance().settings();
    auto filter = std::make_shared<AreaFilter>();
    for (const xb::FilterPart* part : given) {
        auto expression = Expression::Compile(part->text, area.fields(), settings, status);
        if (!expression)
            return false;
        if (expression->Type() != xb::ExprType::Logical) {
            status = {xb::ExprError::TypeMismatch, "A filter must be a logical expression", 0};
            return false;
        }
        filter->parts.push_back({std::move(expression), part->exact});
        if (given.size() == 1)
            filter->text = part->text;
        else
            filter->text += (filter->text.empty() ? "(" : " .and. (") + part->text + ")";
    }
    filters()[&area] = filter;
    area.SetVisibility([filter, &settings](const xb::RecordView& record) { return filter->Visible(record, settings); });
    return true;
}

std::string AreaFilterText(const WorkArea& area) {
    std::shared_ptr<AreaFilter> filter = FilterOf(area);
    return filter ? filter->text : std::string();
}

xb::RecordView CurrentRecord() {
    WorkArea* area = Engine::Instance().Current();
    return area ? area->view() : xb::RecordView{};
}

}  // namespace

int xb_EvalTest(const char* expression) {
    auto expr = CompileForCurrent(expression);
    if (!expr)
        return XB_EXPR_INVALID;
    switch (expr->Type()) {
    case xb::ExprType::Character: return XB_EXPR_CHARACTER;
    case xb::ExprType::Numeric: return XB_EXPR_NUMERIC;
    case xb::ExprType::Logical: return XB_EXPR_LOGICAL;
    case xb::ExprType::Date: return XB_EXPR_DATE;
    }
    return XB_EXPR_INVALID;
}

const char* xb_EvalString(const char* expression) {
    auto expr = CompileForCurrent(expression);
    if (!expr)
        return Keep(std::string());
    return Keep(expr->EvalString(CurrentRecord(), Engine::Instance().settings()));
}

int xb_EvalLogical(const char* expression) {
    auto expr = CompileForCurrent(expression);
    if (!expr)
        return 0;
    return expr->EvalLogical(CurrentRecord(), Engine::Instance().settings()) ? 1 : 0;
}

int xb_SetFilter(const char* expression) {
    WorkArea* area = Engine::Instance().Current();
    if (!area) {
        lastStatus = {xb::ExprError::NoTable, "No table is open", 0};
        return 0;
    }
    return SetAreaFilter(*area, {{Text(expression), false}}, lastStatus) ? 1 : 0;
}

int xb_Query(const char* expression) { return xb_SetFilter(expression); }

const char* xb_DBFilter() {
    WorkArea* area = Engine::Instance().Current();
    return Keep(area ? AreaFilterText(*area) : std::string());
}

int xb_QueryRecCount() {
    WorkArea* area = Engine::Instance().Current();
    return area ? static_cast<int>(xb::GuardedMove([area] { return area->Count(); })) : 0;
}

namespace xb {

const ExprStatus& LastExpressionStatus() { return lastStatus; }

bool SetFilterParts(const std::vector<FilterPart>& parts) {
    WorkArea* area = Engine::Instance().Current();
    if (!area) {
        lastStatus = {ExprError::NoTable, "No table is open", 0};
        return false;
    }
    return SetAreaFilter(*area, parts, lastStatus);
}

}  // namespace xb
