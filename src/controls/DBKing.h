#pragma once
// TDBKingDlg: a data-aware mask edit over one date field, with a calendar
// button inside its right edge.
//
// Promises:
// - It shows the field under the field's EditMask: its edit text while
//   focused and the field can be changed, its display text otherwise; it is
//   read-only except while the link edits, and wholly with ReadOnly.
// - Typing goes through the field's own text conversion when the record is
//   updated; text that is no date raises the conversion error, the focus
//   stays in the edit with all text selected, and nothing reaches the field.
//   Characters the field refuses beep and are dropped; Escape brings the
//   field's value back and selects all.
// - The button makes this edit the pop-up's AlignSource, opens it on the
//   field's date (now, when the field is empty) and writes a pick into the
//   field as AsDateTime. A pick that can't be written changes nothing: the
//   record is left as it was, not in edit.
#include "controls/CalendarButton.h"
#include "ui/FieldBinding.h"
#include "ui/Mask.h"

class TDBKingDlg : public TCalendarEdit<TFieldBinding<TMaskEdit>> {
public:
    // Binds to the owner's first TKingPopup; the edit becomes its
    // AlignSource when it has none.
    explicit TDBKingDlg(TComponent* AOwner);

    // Puts the link in edit; whether it could.
    bool EditCanModify();
    // The field's value comes back, all selected.
    void Reset();

    // Opens the pop-up on the field's date; a pick is written into the field.
    void ButtonClick() override;

protected:
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void Change() override;

private:
    void dataChange() override;
    void editingChange() override;
    void updateData() override;
    void setFocused(bool Value);
    void writePick(TDateTime Value);

    bool focused_ = false;
};
