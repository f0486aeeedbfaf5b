#pragma once
// What both date edits share: the small calendar button inside the edit's
// right edge, the edit's minimum height, and finding the form's pop-up.
//
// Promises: the button is 21 x 17 with its calendar glyph, sits at the
// edit's right edge over its full height, and the edit's text stops 2
// pixels short of it; an edit lower than its minimum height is raised to it.
#include "controls/KingPop.h"
#include "ui/StdCtrls.h"

constexpr int CalendarButtonWidth = 21;
constexpr int CalendarButtonHeight = 17;

// A calendar button made a child of Edit.
TSpeedButton* makeCalendarButton(TCustomEdit* Edit);
// Font height + (the smaller of the system font's height and the font's
// height) div 4 + 4 x the border height + 2.
int minimumEditHeight(TFont& Font);
// (the smaller of the system font's height and the font's height) div 4.
int editTextMargin(TFont& Font);
// The height Edit takes for a requested height: at least its minimum.
int allowedEditHeight(TCustomEdit* Edit, int Height);
// Puts the button at the edit's right edge and keeps the text clear of it.
void placeCalendarButton(TCustomEdit* Edit, TSpeedButton* Button);
// The first TKingPopup among Owner's components, or nullptr.
TKingPopup* firstPopupOf(TComponent* Owner);
