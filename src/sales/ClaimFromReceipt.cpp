#include "sales/ClaimFromReceipt.h"

#include <functional>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "app/ReceiptNumbers.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "data/DataSet.h"
#include "data/Fields.h"
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

// An open claim dialog's recompute set aside while the claim is built, and
// given back however the building ends.
class TRecomputeHeld {
public:
    explicit TRecomputeHeld(TDataModule1& Module) : module_(Module), held_(std::move(Module.CalcCharges)) {
        module_.CalcCharges = nullptr;
    }
    ~TRecomputeHeld() { module_.CalcCharges = std::move(held_); }
    TRecomputeHeld(const TRecomputeHeld&) = delete;
    TRecomputeHeld& operator=(const TRecomputeHeld&) = delete;

private:
    TDataModule1& module_;
    std::function<void()> held_;
};

}  // namespace

std::string claimFromReceipt(TDataModule1& m, bool NewClaim) {
    TQmTable* claim = m.InsTable;
    TQmTable* lines = m.InsDetailTable;
    TDataSet* temp1 = m.Temp1Table;
    TDataSet* temp2 = m.Temp2Table;
    // The claim's totals are set here from its rows; an open claim dialog's
    // recompute belongs to the claim it shows.
    TRecomputeHeld held(m);
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
        return claimNo;
    }
}

