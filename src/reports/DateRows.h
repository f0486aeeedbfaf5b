#pragma once
// The date rows of a report's options window: the range choices combo and
// the "From" and "Thru" rows, each a caption and a date edit with a
// calendar popup of its own, placed the way every such window places them;
// and showing a range in them.
#include <string>
#include <tuple>

#include "base/DateTime.h"

class TComboBox;
class TForm;
class TKingDateDialog;
class TKingPopup;
class TLabel;

// The range choices at (52, Top), 145 wide, dropping down, showing Text.
TComboBox* placeRangeComboBox(TForm* Form, int Top, const std::string& Text);

// Where the date rows stand: the captions' left edge, the edits' left edge
// and width, and the From edit's top. The Thru row stands 36 pixels lower,
// each caption 4 pixels below its edit's top.
struct TDateRowsPlace {
    int CaptionLeft, EditLeft, EditWidth, Top;
};

// The popups named FromPopupName and ThruPopupName, then the captions and
// the edits, each edit on its popup. Returns the From and Thru captions,
// the From and Thru edits, and the From and Thru popups.
std::tuple<TLabel*, TLabel*, TKingDateDialog*, TKingDateDialog*, TKingPopup*, TKingPopup*> placeDateRows(
    TForm* Form, TDateRowsPlace Where, const char* FromPopupName, const char* ThruPopupName);

// Both edits to From and Thru in "mm/dd/yyyy", their popups to the dates
// they show.
void showDateRange(TKingDateDialog& FromEdit, TKingDateDialog& ThruEdit, TDateTime From, TDateTime Thru);
