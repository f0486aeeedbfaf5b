#pragma once
// TKingDateDialog: a plain edit with a calendar button inside its right
// edge. The button opens the form's date pop-up on whatever PopupDate the
// caller last set (not on the edit's text), and a pick writes the date into
// the text in the short date format; the text is the caller's to parse.
#include <string>

#include "controls/KingPop.h"
#include "ui/StdCtrls.h"

class TKingDateDialog : public TCustomEdit {
public:
    // Binds to the owner's first TKingPopup; the edit becomes its
    // AlignSource when it has none.
    explicit TKingDateDialog(TComponent* AOwner);

    TKingPopup* KingPopup() const { return kingPopup_; }
    void SetKingPopup(TKingPopup* Value);
    const std::string& About() const { return about_; }
    void SetAbout(const std::string& Value) { about_ = Value; }
    TSpeedButton* calendarButton() const { return button_; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Opens the pop-up; a pick becomes the text (unless the edit is read-only).
    virtual void ButtonClick();

protected:
    void Resize() override;

private:
    TSpeedButton* button_ = nullptr;
    TKingPopup* kingPopup_ = nullptr;
    std::string about_;
};
