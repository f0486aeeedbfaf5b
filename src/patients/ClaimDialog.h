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
    std::array<TLabel*, 4> DiagnosisLabels{};
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

private:
    void buildPages();
    void ensureSixRows();
    void setTotals(Currency Total);
    Currency sumOfCharges();

    std::string claimNo_;
    Currency runningTotal_;
};

// Registers the claim dialog by class name (single instance).
void RegisterClaimForms();
