#pragma once
// The OK and Cancel buttons of the program's small dialogs: 75 by 25 on one
// row, OK the default button and Cancel the cancel button, each bound to a
// click handler of its form.
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

template <class Form>
void placeOKCancel(Form* Dialog, int OKLeft, int CancelLeft, int Top, TButton*& OK, TButton*& Cancel,
                   void (Form::*OKClick)(TObject*), void (Form::*CancelClick)(TObject*)) {
    OK = place<TButton>(Dialog, OKLeft, Top, 75, 25, "OK");
    OK->SetDefault(true);
    bindEvent(OK->OnClick, Dialog, OKClick);
    Cancel = place<TButton>(Dialog, CancelLeft, Top, 75, 25, "Cancel");
    Cancel->SetCancel(true);
    bindEvent(Cancel->OnClick, Dialog, CancelClick);
}
