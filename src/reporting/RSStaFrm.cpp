#include "reporting/RSStaFrm.h"

#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

TRSStatusForm::TRSStatusForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("RSStatusForm");
    SetBorderStyle(bsDialog);
    SetBorderIcons({});
    SetPosition(poScreenCenter);
    SetClientWidth(361);
    SetClientHeight(113);
    Font()->SetName("System");
    Font()->SetHeight(-13);

    StatusLabel = place<TLabel>(this, 8, 8, 345, 49);
    StatusLabel->SetAlignment(taCenter);
    StatusLabel->SetAutoSize(false);
    StatusLabel->SetWordWrap(true);
    CancelButton = place<TButton>(this, 143, 72, 75, 25, "Cancel");
    CancelButton->SetCancel(true);
    bindEvent(OnCreate, this, &TRSStatusForm::FormCreate);
    bindEvent(CancelButton->OnClick, this, &TRSStatusForm::CancelButtonClick);
}

void TRSStatusForm::MakeCancelButton() {
    cancelMode_ = true;
    CancelButton->SetCaption("Cancel");
    CancelButton->SetCancel(true);
    CancelButton->SetDefault(false);
}

void TRSStatusForm::MakeOKButton() {
    cancelMode_ = false;
    CancelButton->SetCaption("OK");
    CancelButton->SetDefault(true);
}

void TRSStatusForm::CancelButtonClick(TObject*) {
    if (!cancelMode_) {
        Done = true;
        return;
    }
    if (ReportSystem && ReportSystem->BaseReport()) ReportSystem->BaseReport()->Abort();
}
