#include "ui/Menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <algorithm>
#include <cctype>

#include "ui/Application.h"
#include "ui/KeyMapping.h"
#include "ui/Text1252.h"

// ---------------------------------------------------------------- shortcuts

namespace {
struct KeyName {
    Word key;
    const char* name;
};
const KeyName keyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},    {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},     {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && startsWithNoCase(a, b);
}

QKeySequence keySequenceOf(TShortCut shortCut) {
    if (shortCut == scNone) return {};
    Word key;
    TShiftState shift;
    ShortCutToKey(shortCut, key, shift);
    int qtKey = vkToQtKey(key).first;
    if (!qtKey) return {};
    Qt::KeyboardModifiers mods;
    if (shift.Contains(ssShift)) mods |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl)) mods |= Qt::ControlModifier;
    if (shift.Contains(ssAlt)) mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(qtKey)));
}
}  // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
    TShortCut sc = Key & 0xFF;
    if (Shift.Contains(ssShift)) sc |= scShift;
    if (Shift.Contains(ssCtrl)) sc |= scCtrl;
    if (Shift.Contains(ssAlt)) sc |= scAlt;
    return sc;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
    Key = ShortCut & 0xFF;
    Shift = {};
    if (ShortCut & scShift) Shift.Include(ssShift);
    if (ShortCut & scCtrl) Shift.Include(ssCtrl);
    if (ShortCut & scAlt) Shift.Include(ssAlt);
}

TShortCut TextToShortCut(const std::string& Text) {
    std::string rest = Text;
    TShiftState shift;
    for (bool found = true; found;) {
        found = false;
        for (auto [prefix, item] : {std::pair<const char*, TShiftStateItem>{"Shift+", ssShift},
                                    {"Ctrl+", ssCtrl}, {"Alt+", ssAlt}}) {
            if (startsWithNoCase(rest, prefix)) {
                shift.Include(item);
                rest.erase(0, std::string(prefix).size());
                found = true;
            }
        }
    }
    Word key = 0;
    if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
        key = static_cast<Word>(std::toupper(static_cast<unsigned char>(rest[0])));
    } else if (rest.size() >= 2 && (rest[0] == 'F' || rest[0] == 'f') && std::isdigit(static_cast<unsigned char>(rest[1]))) {
        int n = std::atoi(rest.c_str() + 1);
        if (n >= 1 && n <= 24) key = static_cast<Word>(VK_F1 + n - 1);
    } else {
        for (const KeyName& k : keyNames)
            if (equalsNoCase(rest, k.name)) key = k.key;
    }
    return key ? ShortCut(key, shift) : scNone;
}

std::string ShortCutToText(TShortCut ShortCut) {
    Word key;
    TShiftState shift;
    ShortCutToKey(ShortCut, key, shift);
    std::string name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        name = std::string(1, static_cast<char>(key));
    else if (key >= VK_F1 && key <= VK_F1 + 23)
        name = "F" + std::to_string(key - VK_F1 + 1);
    else
        for (const KeyName& k : keyNames)
            if (k.key == key) name = k.name;
    if (name.empty()) return {};
    std::string text;
    if (shift.Contains(ssShift)) text += "Shift+";
    if (shift.Contains(ssCtrl)) text += "Ctrl+";
    if (shift.Contains(ssAlt)) text += "Alt+";
    return text + name;
}

std::string stripHotkey(const std::string& Text) {
    std::string out;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '&') {
            if (i + 1 < Text.size() && Text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += Text[i];
    }
    return out;
}

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), action_(new QAction) {
    QObject::connect(action_, &QAction::triggered, action_, [this] {
        // Qt flips a checkable action itself; the item decides.
        action_->setChecked(checked_);
        try {
            Click();
        } catch (...) {
            Application->HandleException(this);
        }
    });
    QObject::connect(action_, &QAction::hovered, action_, [this] { Application->SetHint(GetLongHint(hint_)); });
}

TMenuItem::~TMenuItem() {
    while (!items_.empty()) delete items_.back();
    if (parent_) parent_->Remove(this);
    delete subMenu_;
    delete action_;
}

void TMenuItem::SetCaption(const std::string& Value) {
    caption_ = Value;
    updateAction();
}

void TMenuItem::SetShortCut(TShortCut Value) {
    shortCut_ = Value;
    updateAction();
}

void TMenuItem::SetVisible(bool Value) {
    visible_ = Value;
    updateAction();
}

void TMenuItem::SetEnabled(bool Value) {
    enabled_ = Value;
    updateAction();
}

void TMenuItem::SetChecked(bool Value) {
    checked_ = Value;
    if (Value && radioItem_ && parent_)
        for (TMenuItem* sibling : parent_->items_)
            if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_ && sibling->checked_) {
                sibling->checked_ = false;
                sibling->updateAction();
            }
    updateAction();
}

void TMenuItem::updateAction() {
    action_->setSeparator(IsSeparator());
    // Qt marks mnemonics with "&" too.
    action_->setText(ToQString(caption_));
    action_->setVisible(visible_);
    action_->setEnabled(enabled_);
    action_->setCheckable(checked_ || autoCheck_ || radioItem_);
    action_->setChecked(checked_);
    action_->setShortcut(keySequenceOf(shortCut_));
    action_->setShortcutContext(Qt::WindowShortcut);
    action_->setStatusTip(ToQString(GetLongHint(hint_)));
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(const_cast<TMenuItem*>(this)) : -1; }

int TMenuItem::IndexOf(TMenuItem* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->parent_) throw EInvalidOperation("Menu inserted twice");
    Index = std::clamp(Index, 0, Count());
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
    changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
    auto it = std::find(items_.begin(), items_.end(), Item);
    if (it == items_.end()) return;
    items_.erase(it);
    Item->parent_ = nullptr;
    changed();
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = items_.at(Index);
    Remove(item);
    delete item;
}

void TMenuItem::Clear() {
    while (!items_.empty()) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const std::string& Caption) const {
    std::string wanted = stripHotkey(Caption);
    for (TMenuItem* item : items_) {
        if (stripHotkey(item->caption_) == wanted) return item;
        if (TMenuItem* found = item->Find(Caption)) return found;
    }
    return nullptr;
}

void TMenuItem::Click() {
    if (!enabled_) return;
    if (autoCheck_) SetChecked(!checked_);
    if (OnClick) OnClick(this);
}

TMenu* TMenuItem::rootMenu() const {
    const TMenuItem* item = this;
    while (item->parent_) item = item->parent_;
    return item->menu_;
}

void TMenuItem::rebuild() {
    if (items_.empty()) {
        if (subMenu_) {
            action_->setMenu(nullptr);
            delete subMenu_;
            subMenu_ = nullptr;
        }
        return;
    }
    if (!subMenu_) {
        subMenu_ = new QMenu;
        action_->setMenu(subMenu_);
    }
    subMenu_->clear();
    for (TMenuItem* item : items_) subMenu_->addAction(item->action_);
}

void TMenuItem::changed() {
    rebuild();
    if (TMenu* menu = rootMenu(); menu && !menu->ComponentState().Contains(csDestroying)) menu->MenuChanged();
}

// ---------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(this)) { items_->menu_ = this; }

TMenu::~TMenu() {
    Destroying();
    delete items_;
}

TMenuItem* TMenu::FindShortCut(TShortCut ShortCut) const {
    std::vector<TMenuItem*> pending{items_};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        if (item != items_ && item->ShortCut() == ShortCut && ShortCut != scNone) return item;
        for (int i = 0; i < item->Count(); ++i) pending.push_back(item->Items(i));
    }
    return nullptr;
}

// ---------------------------------------------------------------- TMainMenu

struct TMainMenu::BarSlot {
    QPointer<QMenuBar> bar;
};

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner), bar_(std::make_unique<BarSlot>()) {
    if (auto* form = dynamic_cast<TForm*>(AOwner); form && !form->Menu()) form->SetMenu(this);
}

TMainMenu::~TMainMenu() {
    Destroying();
    if (form_) {
        TForm* form = form_;
        form_ = nullptr;
        form->SetMenu(nullptr);
    }
    delete bar_->bar.data();
}

QMenuBar* TMainMenu::menuBar() const { return bar_->bar; }

void TMainMenu::attachTo(TForm* Form) {
    form_ = Form;
    FreeNotification(Form);
    if (!bar_->bar) bar_->bar = new QMenuBar(Form->Handle());
    bar_->bar->setParent(Form->Handle());
    bar_->bar->show();
    MenuChanged();
}

void TMainMenu::detachFrom(TForm* Form) {
    if (form_ != Form) return;
    form_ = nullptr;
    delete bar_->bar.data();
}

void TMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == form_) form_ = nullptr;
}

void TMainMenu::MenuChanged() {
    QMenuBar* bar = menuBar();
    if (!bar) return;
    bar->clear();
    for (int i = 0; i < Items()->Count(); ++i) bar->addAction(Items()->Items(i)->Action());
    if (form_) form_->layoutClientArea();
}

// ---------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner), menu_(std::make_unique<QMenu>()) {}

TPopupMenu::~TPopupMenu() { Destroying(); }

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) OnPopup(this);
    MenuChanged();
    menu_->popup(QPoint(X, Y));
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (popupComponent_ != Value) popupComponent_.set(Value);
}

void TPopupMenu::MenuChanged() {
    menu_->clear();
    for (int i = 0; i < Items()->Count(); ++i) menu_->addAction(Items()->Items(i)->Action());
}
