#pragma once
// TCaret: the edit window's hold on the program's one caret. It creates,
// moves, shows and destroys the caret through the class library's caret
// functions, only while its control has the focus and the caret is not
// locked (the edit window's "caret disabled" state).
#include "base/Classes.h"

class TWinControl;

class TCaret : public TObject {
public:
    explicit TCaret(TWinControl* AControl);
    ~TCaret() override;

    int X = 0, Y = 0;  // client pixels
    int CaretWidth = 3;
    int CaretHeight = 16;
    bool Shown = false;
    bool Created = false;
    bool Focused = false;
    bool Locked = false;
    // The control whose window holds the caret; taken when focus arrives.
    TWinControl* Handle = nullptr;
    TWinControl* Control = nullptr;

    void SetFocused(bool Value);
    // Locking destroys the caret; it is not shown again until unlocked.
    void SetLocked(bool Value);
    void SetPosSize(int AX, int AY, int W, int H);
    void SetCaretWidth(int W);
    void Show(bool Value);
    void CreateTheCaret();
    void UpdatePos();

private:
    bool windowExists() const;
};
