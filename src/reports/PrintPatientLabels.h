#pragma once
// TPrintPatientLabelsDlg ("Patient Labels"): an address label for every
// patient with a name, in name order, on the 30-up address sheet. Shown
// modally from the main menu; it frees itself when closed.
//
// Promises: patients without a name take no label, and the run ends at the
// last patient with a name (no sheet is started after it); the shared
// patient table is put back on its order, scope and record after the run.
#include "ui/Forms.h"

class TBaseReport;
class TButton;
class TLabel;
class TLabelShell;
class TReportSystem;

class TPrintPatientLabelsDlg : public TForm {
public:
    explicit TPrintPatientLabelsDlg(TComponent* AOwner);

    TLabel* Label1;
    TButton* OKBtn;
    TButton* CancelBtn;
    TReportSystem* ReportSystem1;
    TLabelShell* Labels;

    void OKBtnClick(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    void LabelsReportBefore(TBaseReport* Report, TLabelShell* Shell);
    void LabelsLabelBefore(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void LabelsLabelPrint(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void LabelsLabelAfter(TBaseReport* Report, TLabelShell* Shell, bool& Valid);

private:
    // Forward over patients without a name; false at the end of the table.
    bool skipToNamedPatient();
};
