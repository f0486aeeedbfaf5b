#pragma once
// What a control is going through (TControlState), on its own so that code
// which only asks about a control's state need not see the controls.
#include "base/Classes.h"

// A grid sets csPaintCopy while it paints a control's image into a cell that
// is not being edited.
enum TControlStateItem {
    csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
    csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;
