#pragma once
// TRSStatusForm: the report runner's status window. Its label shows the
// running report's progress text; its button cancels the run while the
// report is made, and becomes an OK button when the runner waits for the
// user to acknowledge the end (the done flag).
#include "ui/Forms.h"

class TButton;
class TLabel;
class TReportSystem;

class TRSStatusForm : public TForm {
public:
    explicit TRSStatusForm(TComponent* AOwner);

    TLabel* StatusLabel;
    TButton* CancelButton;

    TReportSystem* ReportSystem = nullptr;
    // Set by the OK button; the runner waits for it.
    bool Done = false;

    // The button asks the running report to abort.
    void MakeCancelButton();
    // The button ends the runner's wait.
    void MakeOKButton();
    bool IsCancelButton() const { return cancelMode_; }

    void FormCreate(TObject* /*Sender*/) {}
    void CancelButtonClick(TObject* Sender);

private:
    bool cancelMode_ = true;
};
