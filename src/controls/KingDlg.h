#pragma once
// TKingDateDialog: a plain edit with a calendar button inside its right
// edge. The button opens the form's date pop-up on whatever PopupDate the
// caller last set (not on the edit's text), and a pick writes the date into
// the text in the short date format; the text is the caller's to parse.
#include "controls/CalendarButton.h"

class TKingDateDialog : public TCalendarEdit<TCustomEdit> {
public:
    // Binds to the owner's first TKingPopup; the edit becomes its
    // AlignSource when it has none.
    explicit TKingDateDialog(TComponent* AOwner);

    // Opens the pop-up; a pick becomes the text (unless the edit is read-only).
    void ButtonClick() override;

    // A typed date made the edit's own: the text parsed in the short date
    // format and rewritten "mm/dd/yyyy", and Popup (when given) set to it.
    // Raises the class library's conversion error, the text left as typed,
    // when it is no date.
    TDateTime commitTypedDate(TKingPopup* Popup);
    // Enter or Tab in Key commits the typed date as above and is consumed
    // (Key becomes 0); any other key is left alone. True when it committed.
    bool commitTypedDateOnKey(char& Key, TKingPopup* Popup);
};
