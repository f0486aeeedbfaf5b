#pragma once
// The date rows of a report's options window: the range choices combo and
// the "From" and "Thru" rows, each a caption and a date edit with a
// calendar popup of its own, placed the way every such window places them;
// showing a range in them; and TDateRowsPart, the rows and the OK button
// of the date-range family under the names it gives them.
#include <string>
#include <tuple>

#include "base/DateTime.h"

class TBitBtn;
class TComboBox;
class TForm;
class TKingDateDialog;
class TKingPopup;
class TLabel;
class TObject;

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

// The date-range family's From and Thru rows (captions at 52, edits at 84
// and 113 wide, From at 32) and its OK button under them, with the key
// handlers that take a typed date on Enter or Tab. A window that has them
// derives from this beside its form class.
class TDateRowsPart {
public:
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TKingDateDialog* FromKingDateDialog = nullptr;
    TKingDateDialog* ThruKingDateDialog = nullptr;
    TKingPopup* KingPopup1 = nullptr;
    TKingPopup* KingPopup2 = nullptr;
    TBitBtn* BitBtn1 = nullptr;

    void FromKingDateDialogKeyPress(TObject* Sender, char& Key);
    void ThruKingDateDialogKeyPress(TObject* Sender, char& Key);

protected:
    // Places the rows and OK on Form, this window, and binds the keys.
    void placeRows(TForm* Form);
};
