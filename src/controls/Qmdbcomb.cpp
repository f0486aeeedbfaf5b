#include "controls/Qmdbcomb.h"

#include "controls/Qmdbigrd.h"

TQmDBComboBox::TQmDBComboBox(TComponent* AOwner) : TDBComboBox(AOwner) {}

TQmCustomDBGrid* TQmDBComboBox::grid() const { return dynamic_cast<TQmCustomDBGrid*>(Parent()); }

bool TQmDBComboBox::wantsKey(Word Key, TShiftState Shift) const {
    if (grid() && (Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE)) return true;
    return TDBComboBox::wantsKey(Key, Shift);
}

void TQmDBComboBox::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_TAB && DroppedDown()) SetDroppedDown(false);
    TQmCustomDBGrid* owner = grid();
    if ((Key == VK_TAB || Key == VK_RETURN) && !DroppedDown() && owner) {
        owner->SetFocus();
        owner->keyFromEditor(Key, Shift);
        Key = 0;
        return;
    }
    TDBComboBox::KeyDown(Key, Shift);
}

void TQmDBComboBox::KeyPress(char& Key) {
    if (Key == '\t') {
        Key = 0;
        return;
    }
    if (Key == '\r') {
        if (DroppedDown()) SetDroppedDown(false);
        Key = 0;
        return;
    }
    if (Key == '\x1b') {
        bool wasDropped = DroppedDown();
        if (wasDropped) SetDroppedDown(false);
        if (!wasDropped)
            if (TQmCustomDBGrid* owner = grid()) owner->SetFocus();
    }
    TDBComboBox::KeyPress(Key);
}

void TQmDBComboBox::DoEnter() {
    if (TQmCustomDBGrid* owner = grid()) owner->EditorEntered();
    TDBComboBox::DoEnter();
}

void TQmDBComboBox::DoExit() {
    TDBComboBox::DoExit();
    if (TQmCustomDBGrid* owner = grid()) owner->EditorExited();
}
