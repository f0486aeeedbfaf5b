#pragma once
// The engine's expression calls on the selected work area: evaluation of an
// expression over the current record, and the area's filter.
#include <string>
#include <vector>

#include "xbengine/ExprStatus.h"
#include "xbengine/XbCodes.h"

// The type of an expression over the selected area's fields: one of the
// XB_EXPR_ answers (XB_EXPR_INVALID when it does not compile).
int xb_EvalTest(const char* expression);
// The value over the current record as text (numbers by their str text, dates
// "yyyymmdd", logicals ".T."/".F."); "" when it does not compile.
const char* xb_EvalString(const char* expression);
// Non-zero when the logical expression is true for the current record.
int xb_EvalLogical(const char* expression);

// Filters: only records for which the logical expression is true are visible
// to movement and counts. An empty text clears the filter. A text that does
// not compile, or is not logical, is refused with 0 and the filter in force
// stays. Non-zero when the new filter (or none) is in force. The record
// pointer does not move.
int xb_SetFilter(const char* expression);
int xb_Query(const char* expression);
// The text of the filter in force; "" when none.
const char* xb_DBFilter();
// The records visible under the filter (and scope and deleted setting).
int xb_QueryRecCount();

namespace xb {

// Why the last expression call refused its text (code None after a success).
const ExprStatus& LastExpressionStatus();

// One part of a filter made of several. An exact part compares texts as
// with SET EXACT on (the whole value, trailing blanks aside) whatever the
// setting is, so "NAME = 'Sm'" does not match "Smith".
struct FilterPart {
    std::string text;
    bool exact = false;
};

// As xb_SetFilter, for the parts joined with .and.: a record is visible when
// every part is true. xb_DBFilter gives the one part's text, or each part in
// parentheses joined with " .and. ". No parts (or only blank ones) clears
// the filter; a part that is refused leaves the filter in force.
bool SetFilterParts(const std::vector<FilterPart>& parts);

}  // namespace xb
