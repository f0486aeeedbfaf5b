#pragma once
// The claim dialog's box-to-field map: for each page, the captioned controls
// of the HCFA-1500 boxes it edits, kept as data so the layout reads as the
// form's list of boxes.
#include <string>
#include <vector>

namespace ClaimPages {

enum class TBoxKind {
    Edit,      // a text box
    Upper,     // a text box typed in capitals (state codes)
    ReadOnly,  // a text box shown, not typed into
    Date,      // a date box with its calendar
    List,      // a drop-down list of Items
    Check,     // a check box storing "True"/"False"
    YesNo,     // a radio group "Yes"/"No" storing "True"/"False"
    Lookup,    // a lookup combo over the table the column's codes come from
};

struct TClaimBox {
    int Page;  // 0 Patient .. 7 Facility
    TBoxKind Kind;
    int Left, Top, Width;
    const char* Caption;  // shown left of the control (the check box's own text)
    const char* Column;
    const char* Items = "";  // List: the choices, separated by '|'
    int MaxLength = 0;       // 0: the column's width
    int CaptionLeft = -1;    // -1: left of the control by the page's rule
};

extern const char* const PageCaptions[8];

// Every box of the map, page by page.
const std::vector<TClaimBox>& Boxes();

// The choices of a List box.
std::vector<std::string> Choices(const TClaimBox& Box);

}  // namespace ClaimPages
