#pragma once
// A control's window floating over its form, as a drop-down list does: a
// frameless tool window kept in front of the form, shown without activating
// it and never taking the keyboard focus, which stays where it was. The
// control keeps its parent for the class library's bookkeeping; only its
// window leaves the parent's client area. Bounds of a floating control are
// screen coordinates.
#include "ui/Controls.h"

// Makes Control's window float over the window Anchor lies in. Calling it
// again follows the anchor to another form.
void floatOverForm(TWinControl* Control, const TControl* Anchor);
// Whether Control's window floats (floatOverForm was called on it).
bool isFloating(const TControl* Control);
// Keeps the floating window in front of every window (a form that stays on
// top), or only in front of its own form.
void setFloatingTopmost(TWinControl* Control, bool Topmost);
