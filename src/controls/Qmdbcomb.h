#pragma once
// TQmDBComboBox: the data-aware combo box the data grid places over a
// "Combo" cell (forms also place it alone). It changes only the keyboard:
// inside a grid, Tab and Enter on a closed list give the focus back to the
// grid and hand it the key; Tab closes a dropped list first; Escape closes
// the list, or on a closed one returns to the grid.
#include "ui/DBCtrls.h"

class TQmCustomDBGrid;

class TQmDBComboBox : public TDBComboBox {
public:
    explicit TQmDBComboBox(TComponent* AOwner);

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    bool wantsKey(Word Key, TShiftState Shift) const override;
    void DoEnter() override;
    void DoExit() override;

private:
    // The grid the combo sits in, or nullptr.
    TQmCustomDBGrid* grid() const;
};
