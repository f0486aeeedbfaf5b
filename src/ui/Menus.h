#pragma once
// Menus: the form's main menu, pop-up menus and their items, with "&"
// mnemonics, shortcuts, hints (shown through Application->Hint when an item
// is highlighted), visibility, enabling, check marks and submenus.
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"

class QAction;
class QMenu;
class QMenuBar;
class TMenu;

// Key plus scShift/scCtrl/scAlt.
using TShortCut = Word;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+S", "Alt+X", "F2", "Shift+Del"; scNone for text it does not know.
TShortCut TextToShortCut(const std::string& Text);
std::string ShortCutToText(TShortCut ShortCut);
// The caption without its "&" marks ("&&" stays as one "&").
std::string stripHotkey(const std::string& Text);

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    // "-" makes a separator.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value) { hint_ = Value; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    // Checked items of one group with RadioItem set exclude each other.
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool Value) { radioItem_ = Value; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value) { groupIndex_ = Value; }
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool Value) { autoCheck_ = Value; }

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int Index) const { return items_.at(Index); }
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const;
    int IndexOf(TMenuItem* Item) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out of this menu; it is not freed.
    void Remove(TMenuItem* Item);
    // Takes the item at Index out and frees it.
    void Delete(int Index);
    void Clear();
    // The item (at any depth) whose caption without "&" is Caption.
    TMenuItem* Find(const std::string& Caption) const;

    // As the user choosing the item: fires OnClick when enabled.
    virtual void Click();
    // Whether the item is shown on the screen now (its menu is open).
    bool IsSeparator() const { return caption_ == "-"; }

    TNotifyEvent OnClick;

    // For the menu classes.
    QAction* Action() const { return action_; }
    QMenu* SubMenu() const { return subMenu_; }

private:
    friend class TMenu;
    void rebuild();
    void updateAction();
    void changed();
    TMenu* rootMenu() const;

    std::string caption_;
    std::string hint_;
    TShortCut shortCut_ = scNone;
    bool visible_ = true;
    bool enabled_ = true;
    bool checked_ = false;
    bool radioItem_ = false;
    bool autoCheck_ = false;
    int groupIndex_ = 0;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on a menu's root item
    std::vector<TMenuItem*> items_;
    QAction* action_;
    QMenu* subMenu_ = nullptr;
};

class TMenu : public TComponent {
public:
    ~TMenu() override;
    // The root item whose children are the menu's items.
    TMenuItem* Items() const { return items_; }
    // The item (at any depth) with that caption, without regard to "&".
    TMenuItem* FindItem(const std::string& Caption) const { return items_->Find(Caption); }
    // The item whose shortcut this is, if any (enabled or not).
    TMenuItem* FindShortCut(TShortCut ShortCut) const;

protected:
    explicit TMenu(TComponent* AOwner);
    // The items changed: the Qt menus are built again.
    virtual void MenuChanged() = 0;

private:
    friend class TMenuItem;
    TMenuItem* items_;
};

class TMainMenu : public TMenu {
public:
    // A main menu owned by a form without one becomes the form's menu.
    explicit TMainMenu(TComponent* AOwner);
    ~TMainMenu() override;

    // For TForm.
    QMenuBar* menuBar() const;
    void attachTo(TForm* Form);
    void detachFrom(TForm* Form);

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void MenuChanged() override;

private:
    // The bar lives in the form's window, which may free it first.
    struct BarSlot;
    std::unique_ptr<BarSlot> bar_;
    TForm* form_ = nullptr;
};

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Opens the menu at a screen position; OnPopup fires first.
    void Popup(int X, int Y);
    // The control whose right click (or code) opened the menu.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* Value);
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool Value) { autoPopup_ = Value; }

    TNotifyEvent OnPopup;

protected:
    void MenuChanged() override;

private:
    std::unique_ptr<QMenu> menu_;
    TComponentRef<TComponent> popupComponent_{this};
    bool autoPopup_ = true;
};
