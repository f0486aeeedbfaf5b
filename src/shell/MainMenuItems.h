#pragma once
// The main window's menu tree and speed buttons as data, and the three menu
// states. Each entry either runs a handler of the main form or opens a window
// by class name (FormOpener.h), owned by the main form.
#include <span>

#include "app/FormOpener.h"

class TLogoAppForm;
class TObject;

using TMainFormHandler = void (TLogoAppForm::*)(TObject* Sender);

struct TMenuEntry {
    // 0: a menu of the bar; 1: its items; 2 and 3: the items of submenus,
    // each under the nearest entry above it one level up.
    int Depth;
    // The item's component name.
    const char* Name;
    // "&" marks the underlined letter.
    const char* Caption;
    // The main form's own handler, or
    TMainFormHandler Handler = nullptr;
    // the window the item opens, and how.
    const char* TargetClass = nullptr;
    TOpenStyle Style = osShow;
    bool ReuseVisible = false;
    const char* Hint = "";
    const char* ShortCut = "";
    bool Visible = true;
    bool Enabled = true;
};

// The buttons act as the menu item they name; a button may reuse a visible
// window where the item makes a new one.
struct TSpeedButtonEntry {
    const char* Name;
    const char* Caption;
    const char* Hint;
    const char* MenuItem;
    bool ReuseVisible;
};

enum TItemState { isEnabled, isDisabled, isUnchanged };

// What one menu operation does to each part of the menu.
struct TMenuState {
    TItemState FileMenu;
    TItemState PrinterSetup;
    TItemState RebuildIndexes;
    TItemState Preferences;
    // The Activities, Lists, Reports and Utilities menus.
    TItemState WorkMenus;
    TItemState HelpMenu;
    TItemState SpeedButtons;
};

namespace MainMenuItems {

std::span<const TMenuEntry> Entries();
std::span<const TSpeedButtonEntry> SpeedButtons();
// The entry of that component name; nullptr when none.
const TMenuEntry* Find(const char* Name);

// Everything usable.
extern const TMenuState EnableMainMenu;
// Menus and buttons off; Printer Setup, Rebuild Indexes and Preferences keep their state.
extern const TMenuState DisableMainMenu;
// The File and Help menus only: no company is open.
extern const TMenuState EnableFilesOnlyMenu;

// Names of the top-level menus and of the File items the states treat apart.
inline constexpr const char* FileMenu = "FileMenu";
inline constexpr const char* HelpMenu = "HelpMenu";
inline constexpr const char* PrinterSetupItem = "PrinterSetupItem";
inline constexpr const char* RebuildIndexesItem = "RebuildIndexes1";
inline constexpr const char* PreferencesItem = "Preferences1";
inline constexpr const char* WorkMenus[] = {"ActivitiesMenu", "ListsMenu", "ReportsMenu", "UtilitiesMenu"};

}  // namespace MainMenuItems
