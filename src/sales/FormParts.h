#pragma once
// Layout pieces the payment and deposit windows share: a figure shown
// editable or read-only, and a column of named buttons down a panel.
#include "ui/Colors.h"

class TBitBtn;
class TWinControl;

// Editable on the window colour, or read-only on the scroll-bar colour.
template <class Control>
void setEditable(Control* C, bool Editable) {
    C->SetReadOnly(!Editable);
    C->SetColor(Editable ? clWindow : clScrollBar);
}

// Buttons 88 by 28 at Left on Panel, one every 40 pixels from the top down,
// each named as the form names it.
class TButtonColumn {
public:
    TButtonColumn(TWinControl* Panel, int Left) : panel_(Panel), left_(Left) {}
    // The next button.
    TBitBtn* operator()(const char* Name, const char* Caption);

private:
    TWinControl* panel_;
    int left_;
    int top_ = 12;
};
