#pragma once
// TDiagnosisDlg: "Diagnosis", a small window beside the claim dialog that
// shows the claim's four diagnosis codes (box 21) with their descriptions
// while the services are worked on. It edits the same claim record (the
// data module's InsTable) as the dialog that opened it; the fourth code is
// shown, not typed into.
//
// Also the pieces both windows use for those codes: the lookup combo over
// the diagnosis-code table and the description of a code.
#include <array>
#include <string>

#include "ui/Forms.h"

class TLabel;
class TQmDBLookupCombo;
class TWinControl;

namespace ClaimDiagnosis {

// A lookup combo over the diagnosis codes, bound to the claim's DIAG<Index+1>.
TQmDBLookupCombo* placeCombo(TWinControl* Parent, int Left, int Top, int Width, int Index);

// The Desc of the code in the diagnosis-code table, empty for an empty or
// unknown code. The table's current record is left where it was.
std::string description(const std::string& Code);

}  // namespace ClaimDiagnosis

class TDiagnosisDlg : public TForm {
public:
    explicit TDiagnosisDlg(TComponent* AOwner);

    // DIAG1 to DIAG4 and the description beside each.
    std::array<TQmDBLookupCombo*, 4> Diagnosis{};
    std::array<TLabel*, 4> DiagnosisLabels{};

    // Diagnosis1Change to Diagnosis4Change: the label shows the code's Desc.
    void DiagnosisChange(int Index);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
};
