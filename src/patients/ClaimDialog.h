#pragma once
// TInsuranceClaimDlg: "Health Insurance Claim Form", the editor of one
// HCFA-1500 claim (the data module's InsTable record it stands on) and its
// service rows (InsDetailTable), on eight pages laid out from the box map of
// ClaimPages.cpp.
//
// Promises:
// - Opening gives the claim at least six service rows, restricted to its
//   own, and sets TOTAL to the sum of their CHARGE and BALANCE to TOTAL less
//   PAID. Every change of a row's CHARGE and of PAID sets both again from the
//   rows, so no running figure outlives the dialog.
// - Closing stores the claim and its rows and lifts the rows' restriction.
// - One dialog at a time: it edits the shared claim cursor; opening another
//   brings the open one forward.
// - Choosing a signer fills the signer's name, signature file and today's
//   date; showing a claim only shows its stored signer.
// - The lists it opens (patient, carrier) and its diagnosis window close
//   with it.
#include <array>
#include <string>

#include "base/Currency.h"
#include "ui/Forms.h"

class TBitBtn;
class TButton;
class TDBRadioGroup;
class TDBCheckBox;
class TDBEdit;
class TGroupBox;
class TLabel;
class TPageControl;
class TQmDBGrid;
class TShape;
class TDazedeVedodev;
class TDBKingDlg;
class TDiagnosisDlg;
class TImage;
class TQmDBLookupCombo;
class TTabSheet;
class TWinControl;

class TInsuranceClaimDlg : public TForm {
public:
    explicit TInsuranceClaimDlg(TComponent* AOwner);
    ~TInsuranceClaimDlg() override;

    TPageControl* PageControl1 = nullptr;
    // In page order: Patient, Insured, Carrier, Other Insured, Diagnosis,
    // Services, Physician/Supplier, Facility.
    std::array<TTabSheet*, 8> Pages{};
    TQmDBGrid* qmDBGrid1 = nullptr;
    TShape* EbilledLED = nullptr;
    TDBEdit* DBEdit46 = nullptr;  // box 29, amount paid
    TDBCheckBox* CondAutoAccidentDBCheckBox = nullptr;
    TLabel* CondStateLabel = nullptr;
    TDBEdit* CondStateDBEdit = nullptr;
    TDBRadioGroup* OtherPlanDBRadioGroup = nullptr;
    TGroupBox* OtherInsuredGroupBox = nullptr;
    TDBRadioGroup* OutsideLabDBRadioGroup = nullptr;
    TLabel* OutsideLabChargesLabel = nullptr;
    TDBEdit* OutsideLabChargesDBEdit = nullptr;
    // Box 21, the diagnosis codes, and the description beside each.
    std::array<TQmDBLookupCombo*, 4> Diagnosis{};
    std::array<TLabel*, 4> DiagnosisLabels{};
    // Box 31: the signer, chosen from personnel, and the signature.
    TQmDBLookupCombo* qmDBLookupCombo2 = nullptr;
    TLabel* SignatureLabel = nullptr;
    TImage* SignatureImage = nullptr;
    // The services grid's CPT code editor.
    TQmDBLookupCombo* CPTCodeDBLookupCombo = nullptr;
    TDBKingDlg* DBKingDlg1 = nullptr;  // the e-billed date
    TBitBtn* BitBtn2 = nullptr;        // Patient page: the patient list
    TBitBtn* BitBtn3 = nullptr;        // Carrier page: the carrier list
    TButton* Button1 = nullptr;        // "Show Diagnosis"
    TBitBtn* CancelBitBtn = nullptr;   // hidden
    // The open diagnosis window, or nullptr.
    TDiagnosisDlg* DiagnosisDlg = nullptr;
    TBitBtn* OKBitBtn = nullptr;
    TBitBtn* PrintBtn = nullptr;
    TBitBtn* BitBtn1 = nullptr;  // E-Bill
    // Prints the claim onto the pre-printed form (HcfaPrint.h).
    TDazedeVedodev* DazedeVedodev1 = nullptr;

    // The claim number being edited.
    const std::string& ClaimNo() const { return claimNo_; }

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void OKBitBtnClick(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void PrintBtnClick(TObject* Sender);
    void DazedeVedodev1Print(TObject* Sender);
    void CalcCharges();
    void DBEdit46Change(TObject* Sender);
    void ChangeCondStateActive(TObject* Sender, bool Expected);
    void OtherPlanGroupBoxActive();
    void OutsideLabDBRadioGroupChange(TObject* Sender);
    void DiagnosisChange(int Index);
    void qmDBLookupCombo2Change(TObject* Sender);
    void PhysicianTabEnter(TObject* Sender);
    void BitBtn2Click(TObject* Sender);
    void BitBtn3Click(TObject* Sender);
    void DBKingDlg1Change(TObject* Sender);
    void CancelBitBtnClick(TObject* Sender);
    void Button1Click(TObject* Sender);

private:
    void buildPages();
    void buildServicesGrid();
    TWinControl* placeLookup(TWinControl* Parent, int Left, int Top, int Width, const std::string& Column);
    // Shows the signer's name and signature picture.
    void showSignature(const std::string& Name, const std::string& File);
    void ensureSixRows();
    void setTotals(Currency Total);
    Currency sumOfCharges();

    std::string claimNo_;
    Currency runningTotal_;
    // The signer last shown or chosen; a change to another one is a choice.
    std::string signer_;
};

// Registers the claim dialog by class name (single instance).
void registerClaimForms();
