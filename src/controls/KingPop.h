#pragma once
// The date pop-up: TKingPopup lets a date be picked in a small modal window,
// TkcPopup, that holds a calendar, its navigator (without the today button)
// and two buttons, "Select Date" and "Cancel Selection".
//
// Promises:
// - Execute opens the window on PopupDate with that day selected, under
//   AlignSource (or 2 pixels above it when there is no room below, and kept
//   on the screen sideways). A pick (double click in the calendar or "Select
//   Date") returns True with PopupDate set to the calendar's date: exactly
//   the PopupDate it opened on, time of day included, when nothing was moved,
//   a whole day once a day was clicked. The cancel button and the close box
//   return False and leave PopupDate alone.
// - The window's caption follows the calendar as "mmmm d, yyyy".
#include <optional>
#include <string>

#include "controls/KingTool.h"
#include "controls/TheKing.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

// The modal result the window closes with when nothing was picked.
constexpr TModalResult mrPopupCancelled = -1;

class TkcPopup : public TForm {
public:
    explicit TkcPopup(TComponent* AOwner);

    TKingCalendar* KingCalendar1;
    TSpeedButton* SpeedButton1;
    TSpeedButton* SpeedButton2;
    TKingNavigator* KingNavigator1;

    // Shows Value with its day selected and forgets any earlier pick.
    void startAt(TDateTime Value);
    // The date picked, if one was.
    std::optional<TDateTime> selectedDate() const { return selected_; }

private:
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void KingCalendar1Change(TObject* Sender);
    void KingCalendar1DblClick(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    void pick();

    std::optional<TDateTime> selected_;
};

class TKingPopup : public TComponent {
public:
    explicit TKingPopup(TComponent* AOwner);

    // Shows the pop-up modally; True when a date was picked (then PopupDate
    // holds it).
    bool Execute();

    TWinControl* AlignSource() const { return alignSource_; }
    void SetAlignSource(TWinControl* Value);
    const std::string& About() const { return about_; }
    void SetAbout(const std::string& Value) { about_ = Value; }
    // Passed to the navigator's hints.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool Value) { showHint_ = Value; }
    TDateTime PopupDate() const { return popupDate_; }
    void SetDate(TDateTime Value) { popupDate_ = Value; }

private:
    void placeUnder(TkcPopup* Form) const;

    TComponentRef<TWinControl> alignSource_{this};
    std::string about_;
    bool showHint_ = true;
    TDateTime popupDate_;
};
