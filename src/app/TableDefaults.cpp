// Defaults the company tables give a new record after the insert, the claim's
// service-line cap, and the calculated fields of the chart of accounts, the
// claims and the payment header.
#include "app/DataModule.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

// A claim has at most this many service lines.
constexpr int MaxServiceLines = 6;

void SetFalse(TTable* Table, std::initializer_list<const char*> Fields) {
    for (const char* field : Fields)
        Table->FieldByName(field)->SetAsBoolean(false);
}

}  // namespace

void TDataModule1::PatientTableAfterInsert(TDataSet*) {
    PatientTable->FieldByName("PHONE1DESC")->SetAsString("Home");
    PatientTable->FieldByName("PHONE2DESC")->SetAsString("Work");
    PatientTable->FieldByName("PHONE3DESC")->SetAsString("Phone3");
    PatientTable->FieldByName("PHONE4DESC")->SetAsString("Phone4");
    commitAndEdit(PatientTable, Xbase1);
}

void TDataModule1::IncidentTableAfterInsert(TDataSet*) {
    SetFalse(IncidentTable, {"COND_EMPL", "COND_AUTO", "COND_ACCID"});
}

void TDataModule1::InsTableAfterInsert(TDataSet*) {
    SetFalse(InsTable, {"COND_EMPL", "COND_AUTO", "COND_ACCID", "PAT_EMPLYD", "PATSIGONFI", "INSSIGONFI"});
    InsTable->Post();
    InsTable->Edit();
}

void TDataModule1::ItemTableAfterInsert(TDataSet*) {
    SetFalse(ItemTable, {"CTRLITEM", "TAXED", "CONSIGN"});
    commitAndEdit(ItemTable, ItemXbase);
}

// The lines are counted in the scope the caller has set on the claim.
void TDataModule1::InsDetailTableAfterInsert(TDataSet*) {
    if (InsDetailXbase->Count() >= MaxServiceLines)
        InsDetailTable->Cancel();
}

void TDataModule1::AccountTableCalcFields(TDataSet*) {
    // Sales shows no balance in the chart of accounts.
    if (Trim(AccountTable->FieldByName("NAME")->AsString()) != "Sales")
        AccountTable->FieldByName("CalcBalance")->SetAsFloat(AccountTable->FieldByName("BALANCE")->AsFloat());
}

void TDataModule1::InsTableCalcFields(TDataSet*) {
    const std::string sex = InsTable->FieldByName("PAT_SEX")->AsString();
    if (sex == "Male")
        InsTable->FieldByName("PAT_SexMale")->SetAsString("X");
    if (sex == "Female")
        InsTable->FieldByName("PAT_SexFemale")->SetAsString("X");
    TField* birth = InsTable->FieldByName("PAT_BIRTH");
    if (!birth->IsNull()) {
        // The two-digit year of "mm/dd/yyyy".
        const std::string date = DateToStr(birth->AsDateTime());
        InsTable->FieldByName("Pat_BirthYear")->SetAsString(date.size() > 8 ? date.substr(8, 2) : "");
    }
}

void TDataModule1::Temp3TableCalcFields(TDataSet*) {
    Temp3Table->FieldByName("NetBalDue")->SetAsCurrency(Temp3Table->FieldByName("BALANCE")->AsCurrency() -
                                                          Temp3Table->FieldByName("CREDIT")->AsCurrency());
}
