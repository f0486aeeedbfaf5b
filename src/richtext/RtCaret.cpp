#include "richtext/RtCaret.h"

#include <algorithm>

#include "ui/Controls.h"

TCaret::TCaret(TWinControl* AControl) : Control(AControl) {}

TCaret::~TCaret() {
    if (Created) DestroyCaret();
}

bool TCaret::windowExists() const { return Handle && Handle->Handle() != nullptr; }

void TCaret::SetFocused(bool Value) {
    Focused = Value;
    if (Value) Handle = Control;
}

void TCaret::SetLocked(bool Value) {
    Locked = Value;
    if (Value) {
        if (Created) DestroyCaret();
        Created = false;
        Shown = false;
    }
}

void TCaret::CreateTheCaret() {
    if (!Focused || Locked) return;
    if (windowExists()) CreateCaret(Handle, CaretWidth, CaretHeight);
    Created = true;
}

void TCaret::UpdatePos() {
    if (Created && Focused && windowExists()) SetCaretPos(X, Y);
}

void TCaret::Show(bool Value) {
    if (Value) {
        if (!Focused) return;
        CreateTheCaret();
        UpdatePos();
        if (windowExists() && Created) ShowCaret(Handle);
        Shown = Created;
    } else {
        if (Created) DestroyCaret();
        Created = false;
        Shown = false;
    }
}

void TCaret::SetPosSize(int AX, int AY, int W, int H) {
    bool destroyed = false;
    if (Shown && H != CaretHeight) {
        H = std::max(H, 4);
        Show(false);
        destroyed = true;
    }
    if (Shown && W != CaretWidth) {
        W = std::max(W, 1);
        Show(false);
        destroyed = true;
    }
    X = AX;
    Y = AY;
    CaretWidth = W;
    CaretHeight = H;
    UpdatePos();
    if (destroyed) Show(true);
}

void TCaret::SetCaretWidth(int W) {
    if (W == CaretWidth) return;
    CaretWidth = W;
    if (Created) {
        bool wasShown = Shown;
        Show(false);
        CreateTheCaret();
        UpdatePos();
        if (wasShown) Show(true);
    }
}
