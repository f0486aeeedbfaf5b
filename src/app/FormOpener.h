#pragma once
// Opening a window by its class name. Menus, buttons and lists name the form
// class they open; the class registry (RegisterClass) supplies it, so a
// folder can open the forms of the folders above it. A subsystem registers
// its forms by an explicit call at the program's start-up.
//
// While a class is not registered a placeholder window stands in for it: it
// has the same owner, is captioned like the menu item or button, says "This
// window is not available yet." and is modal where the window would be. It
// counts as an open window like any other.
//
// A class registered as single-instance never has two windows: opening it
// again brings the open one forward.
#include <string>

#include "ui/Forms.h"

class TLabel;
class TButton;

enum TOpenStyle {
    osShow,          // shown, not modal
    osModal,         // shown modally; freed when it closes itself so
    osHidden,        // created, then hidden (it works on its own)
    osHiddenClosed,  // created, then hidden and closed at once
};

struct TFormTarget {
    std::string ClassName;
    // The menu item's or button's caption ("&" marks allowed).
    std::string Caption;
    TOpenStyle Style = osShow;
    // An open, visible window of this class with the same owner is shown
    // again instead of a new one being made.
    bool ReuseVisible = false;
};

// Marks the class as having at most one window in the program.
void registerSingleInstance(const std::string& ClassName);
bool isSingleInstance(const std::string& ClassName);

// Opens the target's window owned by Owner, or shows again the one it
// reuses, and returns it. A modal window has been closed when this returns;
// the pointer is then valid only until events are processed.
TForm* OpenForm(TComponent* Owner, const TFormTarget& Target);

// The form class a window stands for: its class name, or the class a
// placeholder stands in for.
std::string formClassName(const TForm* Form);

// The stand-in for a window whose class is not registered yet. Frees itself
// when closed.
class TPlaceholderForm : public TForm {
public:
    TPlaceholderForm(TComponent* AOwner, const std::string& TargetClassName, const std::string& Caption);

    const std::string& TargetClassName() const { return targetClassName_; }

    TLabel* MessageLabel;
    TButton* OKBtn;

private:
    std::string targetClassName_;
};
