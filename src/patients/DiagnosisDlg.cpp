// The diagnosis window and the diagnosis-code combo it shares with the
// claim dialog.
#include "patients/DiagnosisDlg.h"

#include "app/DataModule.h"
#include "base/SysUtils.h"
#include "controls/ControlKit.h"
#include "data/Variant.h"
#include "controls/qmdblook.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace ClaimDiagnosis {

TQmDBLookupCombo* placeCombo(TWinControl* Parent, int Left, int Top, int Width, int Index) {
    auto* combo = placeLookupCombo(Parent, Left, Top, Width, DataModule1->DiagCodeTable, "ID",
                                   {"ID\t8\tCode", "DESC\t30\tDescription", "CATEGORY\t20\tCategory"},
                                   DataModule1->InsSource, "DIAG" + std::to_string(Index + 1));
    combo->SetName("Diagnosis" + std::to_string(Index + 1));
    return combo;
}

std::string description(const std::string& Code) {
    const std::string code = Trim(Code);
    TDataSet* codes = DataModule1 ? DataModule1->DiagCodeTable : nullptr;
    if (code.empty() || !codes || !codes->Active())
        return "";
    // The combos over this table stand on its current record.
    TBookmark at = codes->GetBookmark();
    std::string found;
    if (codes->Locate("ID", Variant(code), {}))
        found = Trim(codes->FieldByName("DESC")->AsString());
    codes->GotoBookmark(at);
    codes->FreeBookmark(at);
    return found;
}

}  // namespace ClaimDiagnosis

TDiagnosisDlg::TDiagnosisDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName("DiagnosisDlg");
    SetCaption("Diagnosis");
    SetBounds(0, 0, 380, 150);
    SetBorderStyle(bsToolWindow);
    for (int i = 0; i < 4; ++i) {
        const int top = 10 + 28 * i;
        FormLayout::caption(this, 10, top, std::to_string(i + 1) + ".");
        Diagnosis[size_t(i)] = ClaimDiagnosis::placeCombo(this, 30, top, 80, i);
        DiagnosisLabels[size_t(i)] = place<TLabel>(this, 120, top + 3, 250, 15, "");
        Diagnosis[size_t(i)]->OnChange = [this, i](TObject*) { DiagnosisChange(i); };
    }
    Diagnosis[3]->SetReadOnly(true);
    bindEvent(OnShow, this, &TDiagnosisDlg::FormShow);
    bindEvent(OnClose, this, &TDiagnosisDlg::FormClose);
}

void TDiagnosisDlg::DiagnosisChange(int Index) {
    DiagnosisLabels[size_t(Index)]->SetCaption(ClaimDiagnosis::description(Diagnosis[size_t(Index)]->Text()));
}

void TDiagnosisDlg::FormShow(TObject*) {
    for (int i = 0; i < 4; ++i)
        DiagnosisChange(i);
}

void TDiagnosisDlg::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }
