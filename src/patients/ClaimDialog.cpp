// The claim dialog: its pages, the service rows' totals and the handlers
// that enable the boxes depending on others.
#include "patients/ClaimDialog.h"

#include <filesystem>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "base/SysUtils.h"
#include "controls/ControlKit.h"
#include "controls/DBKing.h"
#include "controls/KingPop.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "base/DateTime.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "data/Variant.h"
#include "patients/ClaimPages.h"
#include "patients/DiagnosisDlg.h"
#include "patients/EBillWriter.h"
#include "patients/HcfaPrint.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "reporting/RSPrinter.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

using namespace FormLayout;
using ClaimPages::TBoxKind;

namespace {

constexpr int ServiceRows = 6;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 27;

TQmTable* claim() { return DataModule1->InsTable; }
TQmTable* rows() { return DataModule1->InsDetailTable; }

void editClaim() {
    if (claim()->State() != dsEdit && claim()->State() != dsInsert)
        claim()->Edit();
}

void postIfEditing(TDataSet* Table) {
    if (Table->State() == dsEdit || Table->State() == dsInsert)
        Table->Post();
}

void enableWithColour(TWinControl* Control, bool Enabled) {
    Control->SetEnabled(Enabled);
    Control->SetColor(Enabled ? clWindow : clBtnFace);
}

// A logical field as a "Yes"/"No" radio group in two columns, storing
// "True" or "False".
TDBRadioGroup* yesNoGroup(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const char* Field,
                          const char* Caption) {
    auto* group = placeBound<TDBRadioGroup>(Parent, Left, Top, Width, 40, Source, Field);
    group->SetCaption(Caption);
    group->SetColumns(2);
    group->Items()->Add("Yes");
    group->Items()->Add("No");
    group->Values()->Add("True");
    group->Values()->Add("False");
    return group;
}

}  // namespace

TInsuranceClaimDlg::TInsuranceClaimDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName("InsuranceClaimDlg");
    SetCaption("Health Insurance Claim Form");
    SetBounds(0, 0, 680, 420);
    SetPosition(poScreenCenter);
    // The date boxes bind to the form's first pop-up calendar.
    new TKingPopup(this);

    PageControl1 = place<TPageControl>(this, 6, 6, ClientWidth() - 12, ClientHeight() - 50);
    for (int i = 0; i < 8; ++i) {
        Pages[size_t(i)] = new TTabSheet(this);
        Pages[size_t(i)]->SetCaption(ClaimPages::PageCaptions[i]);
        Pages[size_t(i)]->SetPageControl(PageControl1);
    }
    buildPages();

    const int top = ClientHeight() - ButtonHeight - 10;
    OKBitBtn = place<TBitBtn>(this, 8, top, ButtonWidth, ButtonHeight, "&OK");
    PrintBtn = place<TBitBtn>(this, 96, top, ButtonWidth, ButtonHeight, "&Print");
    BitBtn1 = place<TBitBtn>(this, 184, top, ButtonWidth, ButtonHeight, "E-Bill");
    EbilledLED = place<TShape>(this, 270, top + 8, 12, 12);
    EbilledLED->SetShape(stCircle);
    EbilledLED->Brush()->SetColor(clRed);
    CancelBitBtn = place<TBitBtn>(this, 290, top, ButtonWidth, ButtonHeight, "&Cancel");
    CancelBitBtn->SetVisible(false);
    bindEvent(CancelBitBtn->OnClick, this, &TInsuranceClaimDlg::CancelBitBtnClick);
    bindEvent(OKBitBtn->OnClick, this, &TInsuranceClaimDlg::OKBitBtnClick);
    bindEvent(BitBtn1->OnClick, this, &TInsuranceClaimDlg::BitBtn1Click);
    bindEvent(PrintBtn->OnClick, this, &TInsuranceClaimDlg::PrintBtnClick);
    DazedeVedodev1 = new TDazedeVedodev(this);
    DazedeVedodev1->SetName("DazedeVedodev1");
    DazedeVedodev1->SetUnits(unInch);
    bindEvent(DazedeVedodev1->OnPrint, this, &TInsuranceClaimDlg::DazedeVedodev1Print);
    bindEvent(OnShow, this, &TInsuranceClaimDlg::FormShow);
    bindEvent(OnClose, this, &TInsuranceClaimDlg::FormClose);
    // The Physician/Supplier page is entered by picking its tab.
    PageControl1->OnChange = [this](TObject* Sender) {
        if (PageControl1->ActivePage() == Pages[6])
            PhysicianTabEnter(Sender);
    };

    // FormCreate: the claim's own rows, at least six of them, and its totals.
    claimNo_ = Trim(claim()->FieldByName("ID")->AsString());
    rows()->SetIndexName("ID");
    DataModule1->InsDetailXbase->SetScope(AppUtils::PadLeft(claimNo_, 10), AppUtils::PadLeft(claimNo_, 10));
    PageControl1->SetActivePage(Pages[0]);
    ensureSixRows();
    DataModule1->PreviousCharge = Currency();
    DataModule1->CalcCharges = [this] { CalcCharges(); };
    editClaim();
    setTotals(sumOfCharges());
    if (!Trim(claim()->FieldByName("EBILLED")->AsString()).empty())
        EbilledLED->Brush()->SetColor(clLime);
    signer_ = Trim(claim()->FieldByName("BILLSIGRN")->AsString());
    showSignature(claim()->FieldByName("BILLSIGNAM")->AsString(), claim()->FieldByName("BILLSIGIMG")->AsString());
}

TInsuranceClaimDlg::~TInsuranceClaimDlg() {
    // The diagnosis window goes with the dialog; it must not reach back.
    if (DiagnosisDlg)
        DiagnosisDlg->OnDestroy = nullptr;
    if (DataModule1)
        DataModule1->CalcCharges = nullptr;
}

void TInsuranceClaimDlg::buildPages() {
    TDataSource* source = DataModule1->InsSource;
    for (const ClaimPages::TClaimBox& box : ClaimPages::Boxes()) {
        TWinControl* parent = Pages[size_t(box.Page)];
        if (box.Page == 3) {
            if (!OtherInsuredGroupBox) {
                OtherPlanDBRadioGroup = yesNoGroup(parent, 8, 4, 330, source, "OTHER_INS",
                                                   "11d. Is there another health benefit plan?");
                OtherPlanDBRadioGroup->OnChange = [this](TObject*) { OtherPlanGroupBoxActive(); };
                OtherInsuredGroupBox = place<TGroupBox>(parent, 8, 50, 640, 170, "Other Insured's Information");
            }
            parent = OtherInsuredGroupBox;
        }
        TWinControl* control = nullptr;
        switch (box.Kind) {
            case TBoxKind::Edit:
            case TBoxKind::ReadOnly: {
                TDBEdit* e = edit(parent, box.Left, box.Top, box.Width, source, box.Column, box.MaxLength);
                if (box.Kind == TBoxKind::ReadOnly) {
                    e->SetReadOnly(true);
                    e->SetTabStop(false);
                }
                control = e;
                break;
            }
            case TBoxKind::Upper:
                control = upperEdit(parent, box.Left, box.Top, box.Width, source, box.Column, box.MaxLength);
                break;
            case TBoxKind::Date:
                control = placeDateEdit(parent, box.Left, box.Top, source, box.Column);
                break;
            case TBoxKind::List: {
                TDBComboBox* combo = list(parent, box.Left, box.Top, box.Width, source, box.Column, {});
                for (const std::string& item : ClaimPages::Choices(box))
                    combo->Items()->Add(item);
                control = combo;
                break;
            }
            case TBoxKind::Check:
                control = checkBox(parent, box.Left, box.Top, box.Width, box.Caption, source, box.Column);
                break;
            case TBoxKind::Lookup:
                control = placeLookup(parent, box.Left, box.Top, box.Width, box.Column);
                break;
            case TBoxKind::YesNo:
                break;
        }
        TLabel* label = nullptr;
        if (box.Kind != TBoxKind::Check && *box.Caption)
            label = caption(parent,
                            box.CaptionLeft >= 0 ? box.CaptionLeft
                                                 : box.Left - (box.Page == 3 ? 90 : 100) + (box.Left >= 250 ? 50 : 0),
                            box.Top, box.Caption, control);
        const std::string column = box.Column;
        if (column == "PAID")
            DBEdit46 = static_cast<TDBEdit*>(control);
        else if (column == "COND_AUTO")
            CondAutoAccidentDBCheckBox = static_cast<TDBCheckBox*>(control);
        else if (column == "COND_STATE") {
            CondStateDBEdit = static_cast<TDBEdit*>(control);
            CondStateLabel = label;
        } else if (column.starts_with("DIAG")) {
            const int n = column.back() - '1';
            Diagnosis[size_t(n)] = static_cast<TQmDBLookupCombo*>(control);
            DiagnosisLabels[size_t(n)] = place<TLabel>(parent, box.Left + box.Width + 10, box.Top + 3, 300, 15, "");
            Diagnosis[size_t(n)]->OnChange = [this, n](TObject*) { DiagnosisChange(n); };
        } else if (column == "EBILLED") {
            DBKingDlg1 = static_cast<TDBKingDlg*>(control);
            bindEvent(DBKingDlg1->OnChange, this, &TInsuranceClaimDlg::DBKingDlg1Change);
        } else if (column == "TOTAL" || column == "BALANCE") {
            static_cast<TDBEdit*>(control)->SetReadOnly(true);
            static_cast<TDBEdit*>(control)->SetTabStop(false);
        }
    }
    bindEvent(DBEdit46->OnChange, this, &TInsuranceClaimDlg::DBEdit46Change);
    CondAutoAccidentDBCheckBox->OnMouseUp = [this](TObject* Sender, TMouseButton, TShiftState, int, int) {
        ChangeCondStateActive(Sender, true);
    };
    // A key press arrives before the box toggles.
    CondAutoAccidentDBCheckBox->OnKeyPress = [this](TObject* Sender, char&) { ChangeCondStateActive(Sender, false); };

    // Box 20, outside lab.
    TWinControl* facility = Pages[7];
    OutsideLabDBRadioGroup = yesNoGroup(facility, 8, 120, 200, source, "OUTSIDELAB", "20. Outside Lab");
    bindEvent(OutsideLabDBRadioGroup->OnChange, this, &TInsuranceClaimDlg::OutsideLabDBRadioGroupChange);
    OutsideLabChargesDBEdit = edit(facility, 110, 170, 90, source, "OUTLABCHGS");
    OutsideLabChargesLabel = caption(facility, 10, 170, "Charges", OutsideLabChargesDBEdit);

    // The lists that copy a patient or a carrier into the claim.
    BitBtn2 = place<TBitBtn>(Pages[0], 330, 37, 70, 23, "Lookup");
    bindEvent(BitBtn2->OnClick, this, &TInsuranceClaimDlg::BitBtn2Click);
    BitBtn3 = place<TBitBtn>(Pages[2], 380, 9, 70, 23, "Lookup");
    bindEvent(BitBtn3->OnClick, this, &TInsuranceClaimDlg::BitBtn3Click);

    // Box 31: the signer chosen from personnel fills the signature.
    bindEvent(qmDBLookupCombo2->OnChange, this, &TInsuranceClaimDlg::qmDBLookupCombo2Change);
    bindEvent(qmDBLookupCombo2->OnExit, this, &TInsuranceClaimDlg::qmDBLookupCombo2Change);
    qmDBLookupCombo2->OnCloseUp = [this](TObject* Sender, TQmTable*, TDataSet*, bool) {
        qmDBLookupCombo2Change(Sender);
    };
    bindEvent(qmDBLookupCombo2->OnEnter, this, &TInsuranceClaimDlg::PhysicianTabEnter);
    SignatureImage = place<TImage>(Pages[6], 110, 190, 200, 60);
    SignatureImage->SetStretch(true);
    SignatureImage->SetVisible(false);
    SignatureLabel = place<TLabel>(Pages[6], 110, 256, 200, 15, "");

    buildServicesGrid();
}

void TInsuranceClaimDlg::buildServicesGrid() {
    // Box 24: the grid's CPT cells take this combo as their editor (the
    // service-row table's ControlType names it).
    CPTCodeDBLookupCombo = placeLookupCombo(this, 0, 0, 80, DataModule1->CPTCodeTable, "ID",
                                            {"ID\t8\tCode", "CATEGORY\t20\tCategory", "DESC\t30\tDescription"});
    CPTCodeDBLookupCombo->SetName("CPTCodeDBLookupCombo");
    CPTCodeDBLookupCombo->SetVisible(false);

    qmDBGrid1 = place<TQmDBGrid>(Pages[5], 6, 6, 648, 232);
    qmDBGrid1->SetName("qmDBGrid1");
    for (const char* column :
         {"DATEFROM\t10\tFrom", "DATETO\t10\tTo", "POS\t3\tPOS", "TOS\t3\tTOS", "CPTCODE\t8\tCPT Code",
          "MODIFIER\t4\tMod", "DIAGCODES\t8\tDiagnosis", "CHARGE\t10\tCharges", "UNITS\t5\tUnits",
          "EPSDT\t5\tEPSDT", "EMG\t3\tEMG", "COB\t3\tCOB", "LOCAL\t10\tLocal"})
        qmDBGrid1->Selected()->Add(column);
    qmDBGrid1->SetOptions({dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                           dgConfirmDelete, dgCancelOnExit});
    qmDBGrid1->SetDataSource(DataModule1->InsDetailSource);

    Button1 = place<TButton>(Pages[5], 6, 280, 110, 25, "Show Diagnosis");
    bindEvent(Button1->OnClick, this, &TInsuranceClaimDlg::Button1Click);
}

TWinControl* TInsuranceClaimDlg::placeLookup(TWinControl* Parent, int Left, int Top, int Width,
                                             const std::string& Column) {
    if (Column.starts_with("DIAG"))
        return ClaimDiagnosis::placeCombo(Parent, Left, Top, Width, Column.back() - '1');
    qmDBLookupCombo2 = placeLookupCombo(Parent, Left, Top, Width, DataModule1->PersonnelTable, "RECNAME",
                                        {"RECNAME\t30\tName"}, DataModule1->InsSource, Column);
    qmDBLookupCombo2->SetName("qmDBLookupCombo2");
    return qmDBLookupCombo2;
}

void TInsuranceClaimDlg::ensureSixRows() {
    int count = 0;
    for (rows()->First(); !rows()->Eof(); rows()->Next())
        ++count;
    for (; count < ServiceRows; ++count) {
        rows()->Append();
        rows()->FieldByName("ID")->SetAsString(claimNo_);
        rows()->Post();
    }
    rows()->First();
}

Currency TInsuranceClaimDlg::sumOfCharges() {
    Currency total;
    TBookmark at = rows()->GetBookmark();
    for (rows()->First(); !rows()->Eof(); rows()->Next())
        total += rows()->FieldByName("CHARGE")->AsCurrency();
    rows()->GotoBookmark(at);
    rows()->FreeBookmark(at);
    return total;
}

void TInsuranceClaimDlg::setTotals(Currency Total) {
    runningTotal_ = Total;
    editClaim();
    claim()->FieldByName("TOTAL")->SetAsCurrency(Total);
    claim()->FieldByName("BALANCE")->SetAsCurrency(Total - claim()->FieldByName("PAID")->AsCurrency());
}

void TInsuranceClaimDlg::CalcCharges() {
    // The row's new charge replaces the one it held before the edit.
    setTotals(runningTotal_ + (rows()->FieldByName("CHARGE")->AsCurrency() - DataModule1->PreviousCharge));
    DataModule1->PreviousCharge = rows()->FieldByName("CHARGE")->AsCurrency();
}

void TInsuranceClaimDlg::DBEdit46Change(TObject*) {
    editClaim();
    claim()->FieldByName("BALANCE")->SetAsCurrency(claim()->FieldByName("TOTAL")->AsCurrency() -
                                                   claim()->FieldByName("PAID")->AsCurrency());
}

void TInsuranceClaimDlg::FormShow(TObject*) {
    ChangeCondStateActive(CondAutoAccidentDBCheckBox, true);
    OtherPlanGroupBoxActive();
    OutsideLabDBRadioGroupChange(OutsideLabDBRadioGroup);
    for (int i = 0; i < 4; ++i)
        DiagnosisChange(i);
}

void TInsuranceClaimDlg::FormClose(TObject*, TCloseAction& Action) {
    postIfEditing(rows());
    postIfEditing(claim());
    DataModule1->InsDetailXbase->SetScope("", "");
    DataModule1->CalcCharges = nullptr;
    Action = caFree;
}

void TInsuranceClaimDlg::OKBitBtnClick(TObject*) { Close(); }

void TInsuranceClaimDlg::BitBtn1Click(TObject*) {
    const std::string ebilled = Trim(claim()->FieldByName("EBILLED")->AsString());
    if (!ebilled.empty() &&
        MessageDlg("This claim was submitted for Electronic Billing on " + ebilled + ".  Submit again?",
                   mtInformation, {mbYes, mbNo}) != mrYes)
        return;
    postIfEditing(rows());
    SubmitEBill(claim(), rows(), DataModule1->DataDirectory);
    if (!Trim(claim()->FieldByName("EBILLED")->AsString()).empty())
        EbilledLED->Brush()->SetColor(clLime);
}

void TInsuranceClaimDlg::PrintBtnClick(TObject*) {
    const std::string printed = Trim(claim()->FieldByName("PRINTED")->AsString());
    if (printed.empty() ||
        MessageDlg("This claim was last printed on " + printed + ".  Print again?", mtInformation, {mbYes, mbNo}) ==
            mrYes) {
        postIfEditing(rows());
        DazedeVedodev1->Execute();
    }
    if (MessageDlg("Update the 'Submitted by Printed HCFA-1500 Form' date?", mtInformation, {mbYes, mbNo}) ==
        mrYes) {
        editClaim();
        claim()->FieldByName("PRINTED")->SetAsDateTime(Date());
    }
}

void TInsuranceClaimDlg::DazedeVedodev1Print(TObject*) {
    Hcfa1500::printClaim(*DazedeVedodev1, claim(), rows(), DataModule1->DataDirectory);
}

void TInsuranceClaimDlg::ChangeCondStateActive(TObject*, bool Expected) {
    const bool active = CondAutoAccidentDBCheckBox->Checked() == Expected;
    CondStateLabel->SetEnabled(active);
    enableWithColour(CondStateDBEdit, active);
}

void TInsuranceClaimDlg::OtherPlanGroupBoxActive() {
    const bool active = claim()->FieldByName("OTHER_INS")->AsString() == "True";
    OtherInsuredGroupBox->SetEnabled(active);
    OtherInsuredGroupBox->Font()->SetColor(active ? clWindowText : clInactiveCaption);
}

void TInsuranceClaimDlg::OutsideLabDBRadioGroupChange(TObject*) {
    const bool active = claim()->FieldByName("OUTSIDELAB")->AsString() == "True";
    OutsideLabChargesLabel->SetEnabled(active);
    enableWithColour(OutsideLabChargesDBEdit, active);
}

void TInsuranceClaimDlg::DiagnosisChange(int Index) {
    DiagnosisLabels[size_t(Index)]->SetCaption(ClaimDiagnosis::description(Diagnosis[size_t(Index)]->Text()));
}

void TInsuranceClaimDlg::qmDBLookupCombo2Change(TObject*) {
    const std::string signer = Trim(claim()->FieldByName("BILLSIGRN")->AsString());
    // Typing, or the claim's own signer shown again, chooses nothing.
    if (signer == signer_)
        return;
    signer_ = signer;
    TDataSet* people = DataModule1->PersonnelTable;
    if (signer.empty() || !people->Active() || !people->Locate("RECNAME", Variant(signer), {loCaseInsensitive})) {
        showSignature("", "");
        return;
    }
    editClaim();
    claim()->FieldByName("BILLSIGNAM")->SetAsString(people->FieldByName("NAME")->AsString());
    claim()->FieldByName("BILLSIGIMG")->SetAsString(people->FieldByName("SIGFILE")->AsString());
    claim()->FieldByName("BILLSIGDAT")->SetAsDateTime(Date());
    showSignature(people->FieldByName("NAME")->AsString(), people->FieldByName("SIGFILE")->AsString());
}

void TInsuranceClaimDlg::showSignature(const std::string& Name, const std::string& File) {
    SignatureLabel->SetCaption(Trim(Name));
    const std::string file = Trim(File);
    std::error_code error;
    bool shown = false;
    if (!file.empty() && std::filesystem::is_regular_file(file, error)) {
        try {
            SignatureImage->Picture()->LoadFromFile(file);
            shown = true;
        } catch (const std::exception&) {
            // A file that is no picture shows none.
        }
    }
    SignatureImage->SetVisible(shown);
}

void TInsuranceClaimDlg::PhysicianTabEnter(TObject*) { DataModule1->PersonnelTable->SetIndexName("RecName"); }

void TInsuranceClaimDlg::BitBtn2Click(TObject*) {
    OpenForm(this, {.ClassName = "TPatientLookupList4", .Caption = "Patient Lookup", .Style = osShow});
}

void TInsuranceClaimDlg::BitBtn3Click(TObject*) {
    OpenForm(this, {.ClassName = "TInsCompLookupList1", .Caption = "Insurance Companies", .Style = osShow});
}

void TInsuranceClaimDlg::DBKingDlg1Change(TObject*) {
    // The marker follows the e-billed date: red while the claim was never
    // captured, lime once it was.
    const bool ebilled = !Trim(claim()->FieldByName("EBILLED")->AsString()).empty();
    EbilledLED->Brush()->SetColor(ebilled ? clLime : clRed);
}

void TInsuranceClaimDlg::CancelBitBtnClick(TObject*) {
    claim()->Cancel();
    // The service rows are stored as they are edited; the claim's totals
    // stay those of its rows.
    const Currency total = sumOfCharges();
    if (claim()->FieldByName("TOTAL")->AsCurrency() != total ||
        claim()->FieldByName("BALANCE")->AsCurrency() != total - claim()->FieldByName("PAID")->AsCurrency())
        setTotals(total);
    Close();
}

void TInsuranceClaimDlg::Button1Click(TObject*) {
    if (!DiagnosisDlg) {
        DiagnosisDlg = new TDiagnosisDlg(this);
        DiagnosisDlg->OnDestroy = [this](TObject*) { DiagnosisDlg = nullptr; };
    }
    DiagnosisDlg->Show();
    DiagnosisDlg->BringToFront();
}

void registerClaimForms() {
    RegisterClass<TInsuranceClaimDlg>();
    registerSingleInstance("TInsuranceClaimDlg");
}
