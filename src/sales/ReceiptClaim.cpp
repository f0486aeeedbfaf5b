// The receipt window's insurance claim: filling a claim and its six service
// rows from the receipt on screen, the patient, the exam and the practice's
// billing settings, and the "&Ins. Claim" button that creates, rewrites or
// opens the receipt's claim.
#include <functional>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/ReceiptNumbers.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "sales/ReceiptClaimDlg.h"
#include "sales/ReceiptForm.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

constexpr int ServiceRows = 6;

// The patient's fields copied into the claim under the same name.
constexpr const char* SameNamePatientFields[] = {
    "PAT_STATUS", "PAT_EMPLYD", "PAT_STUDNT", "PATSIGONFI", "REL_TO_INS", "PLAN_TYPE",  "INS_ID",
    "INS_NAME",   "INS_ADDRS",  "INS_CITY",   "INS_STATE",  "INS_ZIP",    "INS_PHONE",  "INS_SEX",
    "INS_EMPLR",  "INS_PLAN",   "INS_GROUP",  "INSSIGONFI", "OTHER_INS",  "OTH_POLICY", "OTH_NAME",
    "OTH_ADDRS",  "OTH_CITY",   "OTH_STATE",  "OTH_ZIP",    "OTH_PHONE",  "OTH_SEX",    "OTH_EMPLR",
    "OTH_PLAN",   "OTH_GROUP",  "CAR_NAME",   "CAR_ADDR1",  "CAR_ADDR2",  "CAR_CITY",   "CAR_STATE",
    "CAR_ZIP",    "CAR_PHONE"};

// Company.ini [Insurance] keys and the claim fields they fill.
const std::pair<const TTextKey*, const char*> BillingKeys[] = {
    {&CompanyIni::BillName, "BILL_NAME"},   {&CompanyIni::BillAddrs, "BILL_ADDRS"},
    {&CompanyIni::BillCity, "BILL_CITY"},   {&CompanyIni::BillState, "BILL_STATE"},
    {&CompanyIni::BillZip, "BILL_ZIP"},     {&CompanyIni::BillPhone, "BILL_PHONE"},
    {&CompanyIni::BillPin, "BILL_PIN"},     {&CompanyIni::BillGrp, "BILL_GRP"},
    {&CompanyIni::FedTaxID, "FEDTAXID"},    {&CompanyIni::FedIdType, "FEDIDTYPE"}};

std::string text(TDataSet* Table, const char* Field) { return Table->FieldByName(Field)->AsString(); }

void copy(TDataSet* From, const char* FromField, TDataSet* To, const char* ToField) {
    To->FieldByName(ToField)->SetAsString(text(From, FromField));
}

// Copies a date only when it is set.
void copyDate(TDataSet* From, const char* FromField, TDataSet* To, const char* ToField) {
    if (!Trim(text(From, FromField)).empty())
        To->FieldByName(ToField)->SetValue(From->FieldByName(FromField)->Value());
}

class TIndexOrder {
public:
    TIndexOrder(TTable* Table, const std::string& Tag) : table_(Table), previous_(Table->IndexName()) {
        table_->SetIndexName(Tag);
    }
    ~TIndexOrder() { table_->SetIndexName(previous_); }

private:
    TTable* table_;
    std::string previous_;
};

}  // namespace

void TReceiptForm::CreateClaim(TObject*, bool NewClaim) {
    TDataModule1& m = module_;
    TQmTable* claim = m.InsTable;
    TQmTable* lines = m.InsDetailTable;
    TDataSet* temp1 = m.Temp1Table;
    TDataSet* temp2 = m.Temp2Table;
    const TCursor cursor = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
    // The claim's totals are set here from its rows; an open claim dialog's
    // recompute belongs to the claim it shows.
    std::function<void()> dialogRecompute = std::move(m.CalcCharges);
    m.CalcCharges = nullptr;
    {
        TIndexOrder claimOrder(claim, claim->IndexName());
        TIndexOrder patientOrder(m.PatientTable, "ID");
        TIndexOrder examOrder(m.IncidentTable, "ID");

        if (NewClaim)
            claim->Insert();
        if (claim->State() != dsEdit && claim->State() != dsInsert)
            claim->Edit();

        const std::string patID = Trim(text(temp1, "PatID"));
        TDataSet* patient = m.PatientTable;
        if (!patID.empty() && m.Xbase1->Seek(patID) && !patient->Eof()) {
            claim->FieldByName("PAT_ID")->SetAsString(Trim(text(patient, "ID")));
            const std::string hcfaName = Trim(text(patient, "HCFAPName"));
            claim->FieldByName("PAT_NAME")->SetAsString(hcfaName.empty() ? text(patient, "RecName") : hcfaName);
            copy(patient, "HCFAPAddr", claim, "PAT_ADDRS");
            copy(patient, "HCFAPCity", claim, "PAT_CITY");
            copy(patient, "HCFAPState", claim, "PAT_STATE");
            copy(patient, "HCFAPZip", claim, "PAT_ZIP");
            copy(patient, "Sex", claim, "PAT_SEX");
            copyDate(patient, "BirthDate", claim, "PAT_BIRTH");
            copy(patient, "Phone1", claim, "PAT_PHONE");
            copy(patient, "ACPTASSIGN", claim, "ACPTASSIGN");
            for (const char* field : SameNamePatientFields) {
                if (std::string(field).ends_with("_BIRTH"))
                    continue;
                copy(patient, field, claim, field);
            }
            copyDate(patient, "INS_BIRTH", claim, "INS_BIRTH");
            copyDate(patient, "OTH_BIRTH", claim, "OTH_BIRTH");
        }

        const auto receipt = ReceiptNumbers::canonical(text(temp1, "Receipt"));
        claim->FieldByName("RECEIPT")->SetAsString(receipt ? *receipt : Trim(text(temp1, "Receipt")));

        TDataSet* exam = m.IncidentTable;
        const std::string examKey =
            AppUtils::PadLeft(patID, 10) + AppUtils::PadLeft(Trim(text(temp1, "Incident")), 4);
        if (!patID.empty() && m.IncidentXbase->Seek(examKey) && !exam->Eof()) {
            for (const char* diag : {"DIAG1", "DIAG2", "DIAG3", "DIAG4"})
                copy(exam, diag, claim, diag);
            copyDate(exam, "IllDate", claim, "CURILLNESS");
            copyDate(exam, "SimSymFrom", claim, "SIMILLNESS");
            for (const char* field : {"COND_EMPL", "COND_AUTO", "COND_STATE", "COND_ACCID"})
                copy(exam, field, claim, field);
        }

        const TSettingsFile ini = CompanyIni::File(m.DataDirectory);
        const std::string posCode = ini.Read(CompanyIni::POSCode);
        for (const auto& [key, field] : BillingKeys)
            claim->FieldByName(field)->SetAsString(ini.Read(*key));

        claim->Post();
        claim->Edit();
        const std::string claimNo = Trim(text(claim, "ID"));

        // Six service rows: the first six receipt lines, the rest with the
        // claim's number only (new) or as they were (update).
        TIndexOrder lineOrder(lines, "ID");
        m.InsDetailXbase->SetScope(AppUtils::PadLeft(claimNo, 10), AppUtils::PadLeft(claimNo, 10));
        lines->First();
        temp2->First();
        TIndexOrder itemOrder(m.ItemTable, "ID");
        for (int row = 0; row < ServiceRows; ++row) {
            if (NewClaim || lines->Eof())
                lines->Append();
            else
                lines->Edit();
            lines->FieldByName("ID")->SetAsString(claimNo);
            if (!temp2->Eof()) {
                lines->FieldByName("DATEFROM")->SetValue(temp1->FieldByName("Date")->Value());
                lines->FieldByName("POS")->SetAsString(posCode);
                const std::string code = Trim(text(temp2, "Code"));
                if (!code.empty() && m.ItemXbase->Seek(AppUtils::PadRight(UpperCase(code), 10)) &&
                    !m.ItemTable->Eof())
                    copy(m.ItemTable, "CPTCode", lines, "CPTCODE");
                lines->FieldByName("CHARGE")->SetAsCurrency(temp2->FieldByName("Cost")->AsCurrency());
                // A line of quantity 0 sells one, as the receipt counts it.
                const double qty = temp2->FieldByName("qty")->AsFloat();
                lines->FieldByName("UNITS")->SetAsFloat(qty == 0 ? 1 : qty);
            }
            lines->Post();
            if (!NewClaim)
                lines->Next();
            temp2->Next();
        }

        Currency total;
        for (lines->First(); !lines->Eof(); lines->Next())
            total += lines->FieldByName("CHARGE")->AsCurrency();
        lines->First();
        m.InsDetailXbase->SetScope("", "");
        claim->FieldByName("TOTAL")->SetAsCurrency(total);
        claim->FieldByName("BALANCE")->SetAsCurrency(total - claim->FieldByName("PAID")->AsCurrency());
        claim->Post();

        MessageDlg("Insurance Claim " + claimNo +
                       (NewClaim ? " has been created for this receipt." : " has been updated for this receipt."),
                   mtInformation, {mbOK});
    }
    m.CalcCharges = std::move(dialogRecompute);
    Screen->SetCursor(cursor);
}

void TReceiptForm::InsClaimBitBtnClick(TObject*) {
    TDataModule1& m = module_;
    TQmTable* claim = m.InsTable;
    TIndexOrder claimOrder(claim, "Receipt");
    const auto receipt = ReceiptNumbers::canonical(m.Temp1Table->FieldByName("Receipt")->AsString());
    if (receipt && m.InsXbase->Seek(ReceiptNumbers::fieldKey(*receipt)) && !claim->Eof() &&
        ReceiptNumbers::canonical(text(claim, "RECEIPT")) == receipt) {
        TReceiptClaimDlg dlg(this);
        if (dlg.ShowModal() != mrOk)
            return;
        if (dlg.RadioGroup1->ItemIndex() == 0)
            OpenForm(this, {.ClassName = "TInsuranceClaimDlg", .Caption = "&Ins. Claim", .Style = osModal});
        else if (dlg.RadioGroup1->ItemIndex() == 1)
            CreateClaim(this, false);
        return;
    }
    if (MessageDlg("Create claim?", mtConfirmation, {mbYes, mbNo}) == mrYes)
        CreateClaim(this, true);
}
