#pragma once
// TReceiptClaimDlg: asked by the receipt window's "&Ins. Claim" button when
// the receipt already has a claim: edit that claim in the claim dialog, or
// rewrite it from the receipt. Its caption names the claim the claim table
// stands on.
#include "ui/Forms.h"

class TLabel;
class TRadioGroup;
class TButton;

class TReceiptClaimDlg : public TForm {
public:
    explicit TReceiptClaimDlg(TComponent* AOwner);

    TLabel* Label1;
    // "Edit existing claim." (0) or "Update existing claim." (1); none at first.
    TRadioGroup* RadioGroup1;
    TButton* OKBtn;
    TButton* CancelBtn;

    void FormCreate(TObject* Sender);
};
