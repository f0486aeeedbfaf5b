#include "app/DataModuleFields.h"

#include <span>
#include <string>

#include "app/DataModule.h"
#include "app/ScratchTables.h"
#include "app/Schemas.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "xbase/Qmtable.h"

namespace {

// Display properties of one field; what is left out keeps the field's default.
struct TFieldLook {
    const char* Field;
    const char* Label = "";
    int Width = 0;
    const char* DisplayFormat = "";
    const char* EditMask = "";
    const char* EditFormat = "";
    bool Required = false;
    bool Currency = false;
};

struct TCalcField {
    const char* Name;
    TFieldType DataType;
    int Size;  // of a text field
    const char* Label = "";
    const char* DisplayFormat = "";
};

// "Visible in grids only ...": every field not listed here is hidden.
using TVisibleList = std::span<const char* const>;

// Phone numbers and the social security number keep their literals when saved (";1").
constexpr const char* PhoneWithExtension = "!\\(999\\)000-0000 9999;1; ";
constexpr const char* Phone = "!\\(999\\)000-0000;1; ";
constexpr const char* ClaimPhone = "!\\(999\\)999-9999;1; ";
constexpr const char* Money = "###,##0.00";
constexpr const char* MoneyBlankZero = "$#,##0.00;; ";

constexpr TFieldLook PatientLooks[] = {
    {"ID", "Account"},
    {"RECNAME", "NAME", 33},
    {"BALANCE", "Balance", 0, Money},
    {"PHONE1", "", 0, "", PhoneWithExtension},
    {"PHONE2", "", 0, "", PhoneWithExtension},
    {"PHONE3", "", 0, "", PhoneWithExtension},
    {"PHONE4", "", 0, "", PhoneWithExtension},
    {"SSN", "", 0, "", "000\\-00\\-0000;1;_"},
    {"INS_PHONE", "", 0, "", Phone},
    {"OTH_PHONE", "", 0, "", Phone},
    {"CAR_PHONE", "", 0, "", Phone},
};
constexpr const char* PatientVisible[] = {"RECNAME", "ID", "BALANCE"};

constexpr TFieldLook InsLooks[] = {
    {"ID", "Claim#"},
    {"DATE", "Date"},
    {.Field = "PAT_NAME", .Label = "Name", .Required = true},
    {"EBILLED", "EBilled"},
    {"PRINTED", "Printed"},
    {"PAT_PHONE", "", 0, "", ClaimPhone},
    {"INS_PHONE", "", 0, "", ClaimPhone},
    {"OTH_PHONE", "", 0, "", ClaimPhone},
    {"FAC_PHONE", "", 0, "", ClaimPhone},
    {"BILL_PHONE", "", 0, "", ClaimPhone},
    {"CAR_PHONE", "", 0, "", ClaimPhone},
    {"TOTAL", "", 0, Money},
    {"PAID", "", 0, Money},
    {"BALANCE", "", 0, Money},
    {"OUTLABCHGS", "", 0, Money},
};
constexpr TCalcField InsCalculated[] = {
    {"PAT_SexMale", ftString, 1},
    {"PAT_SexFemale", ftString, 1},
    {"Pat_BirthYear", ftString, 4},
};
constexpr const char* InsVisible[] = {"ID",          "DATE",          "PAT_NAME",     "EBILLED", "PRINTED",
                                      "ACPTASSIGN",  "PAT_SexMale",   "PAT_SexFemale", "Pat_BirthYear"};

constexpr TFieldLook InsDetailLooks[] = {
    {"DATEFROM", "From"},
    {"DATETO", "To"},
    {"CPTCODE", "CPT Code"},
    {"MODIFIER", "Mod"},
    {"DIAGCODES", "Diagnosis"},
    {"CHARGE", "Charges", 0, "###,##0.00;; "},
    {"UNITS", "Units", 0, "###;; "},
    {"LOCAL", "Local"},
};

constexpr TFieldLook PersonnelLooks[] = {
    {"RECNAME", "Name"},
    {"NAME", "Name"},
};
constexpr const char* PersonnelVisible[] = {"RECNAME"};

constexpr TFieldLook AccountLooks[] = {
    {"BALANCE", "", 0, Money},
};

constexpr TCalcField AccountCalculated[] = {
    {"CalcBalance", ftFloat, 0, "Balance", "###,##0.00;;0"},
};

constexpr TFieldLook ItemLooks[] = {
    {"ID", "Item"},
    {"CATEGORY", "Category"},
    {"DESC", "Description"},
    {"QTYONHAND", "Quantity", 0, "#####0"},
    {"COST", "", 0, Money},
    {"SELL", "", 0, Money},
    {"REORDERPT", "", 0, "#####0"},
};

constexpr TFieldLook PaymentLooks[] = {
    {"ID", "Payment#"},
    {"PATID", "Patient ID"},
    {"PAIDWITH", "Paid With"},
    {"AMOUNT", "Amount", 0, MoneyBlankZero},
    {"CHECKNO", "Number"},
};

constexpr TFieldLook PaymentDtlLooks[] = {
    {"PAYMENTID", "Payment No."},
    {"DATE", "Date"},
    {"PAYMENT", "Amount", 0, MoneyBlankZero},
    {"RECEIPT", "Receipt No."},
};

constexpr TFieldLook DepositLooks[] = {
    {"CURRENCY", "", 0, Money},
    {"COINS", "", 0, Money},
    {"CHECKS", "", 0, Money},
    {"CHARGES", "", 0, Money},
    {"TOTAL", "", 0, Money},
};

constexpr TFieldLook InsCompLooks[] = {
    {"NAME", "Name"},
    {"STATE", "State"},
    {"CITY", "City"},
    {"ID", "Acct#"},
    {"PHONE", "", 0, "", ClaimPhone},
};

constexpr TFieldLook Temp1Looks[] = {
    {"Receipt", "", 0, "", "9999999999;; "},
    {.Field = "Terms", .EditFormat = "999;; "},
};

// Money typed in the payment and deposit windows reads by the money rule.
constexpr TFieldLook Temp3Looks[] = {
    {.Field = "AMOUNT", .Currency = true},    {.Field = "BALANCE", .Currency = true},
    {.Field = "PYMTAPP", .Currency = true},   {.Field = "CREDITAPP", .Currency = true},
    {.Field = "TOTALPAID", .Currency = true}, {.Field = "CREDIT", .Currency = true},
    {.Field = "TENDERED", .Currency = true},  {.Field = "CHANGE", .Currency = true},
};

constexpr TFieldLook Temp4Looks[] = {
    {.Field = "AMOUNT", .Currency = true},
    {.Field = "BALANCE", .Currency = true},
    {.Field = "PAYMENT", .Currency = true},
};

constexpr TFieldLook Temp5Looks[] = {
    {.Field = "CoinTotal", .Currency = true},
};

constexpr TFieldLook Temp2Looks[] = {
    {"Qty", "", 0, "#,###.##"},
    {.Field = "Price", .DisplayFormat = "$#,##0.00;; ", .Currency = true},
    {.Field = "Cost", .DisplayFormat = "$##,##0.00;;", .Currency = true},
    {"Code", "", 0, "", "cccccccccc;1;_"},
};

constexpr TCalcField Temp3Calculated[] = {
    {"NetBalDue", ftCurrency, 0},
};

// The field class the engine glue gives an xBase field, so that the
// persistent field binds to it when the table opens.
TFieldType FieldTypeOf(const TFieldSchema& Field) {
    switch (Field.FieldType[0]) {
        case 'C': return ftString;
        case 'D': return ftDate;
        case 'L': return ftBoolean;
        case 'M': return ftMemo;
        default: return Field.Decimals == 0 && Field.Width < 5 ? ftSmallint : ftFloat;
    }
}

const TFieldLook* FindLook(std::span<const TFieldLook> Looks, const std::string& Field) {
    for (const TFieldLook& look : Looks)
        if (SameText(look.Field, Field))
            return &look;
    return nullptr;
}

bool Listed(TVisibleList Visible, const std::string& Field) {
    for (const char* name : Visible)
        if (SameText(name, Field))
            return true;
    return false;
}

void ApplyFormats(TField* Field, const char* DisplayFormat, const char* EditFormat) {
    if (auto* numeric = dynamic_cast<TNumericField*>(Field)) {
        if (*DisplayFormat)
            numeric->SetDisplayFormat(DisplayFormat);
        if (*EditFormat)
            numeric->SetEditFormat(EditFormat);
    } else if (auto* date = dynamic_cast<TDateField*>(Field); date && *DisplayFormat) {
        date->SetDisplayFormat(DisplayFormat);
    }
}

TField* NewField(TDataModule1* Module, TTable* Table, const std::string& Name, TFieldType Type) {
    TField* field = createFieldOfType(Type, Module);
    field->SetName(Table->Name() + Name);
    field->SetFieldName(Name);
    return field;
}

void CreateTableFields(TDataModule1* Module, TTable* Table, const TTableSchema& Layout,
                       std::span<const TFieldLook> Looks, TVisibleList Visible = {},
                       std::span<const TCalcField> Calculated = {}) {
    for (const TFieldSchema& schema : Layout.Fields) {
        TField* field = NewField(Module, Table, schema.Name, FieldTypeOf(schema));
        if (schema.FieldType[0] == 'C')
            field->SetSize(schema.Width);
        if (!Visible.empty())
            field->SetVisible(Listed(Visible, schema.Name));
        if (const TFieldLook* look = FindLook(Looks, schema.Name)) {
            if (*look->Label)
                field->SetDisplayLabel(look->Label);
            if (look->Width)
                field->SetDisplayWidth(look->Width);
            if (*look->EditMask)
                field->SetEditMask(look->EditMask);
            field->SetRequired(look->Required);
            if (auto* floating = dynamic_cast<TFloatField*>(field); floating && look->Currency)
                floating->SetCurrency(true);
            ApplyFormats(field, look->DisplayFormat, look->EditFormat);
        }
        field->SetDataSet(Table);
    }
    for (const TCalcField& calc : Calculated) {
        TField* field = NewField(Module, Table, calc.Name, calc.DataType);
        field->SetCalculated(true);
        if (calc.Size)
            field->SetSize(calc.Size);
        if (*calc.Label)
            field->SetDisplayLabel(calc.Label);
        ApplyFormats(field, calc.DisplayFormat, "");
        field->SetDataSet(Table);
    }
}

const TTableSchema& Company(const char* FileName) { return *Schemas::findTable(FileName); }

}  // namespace

namespace DataModuleFields {

void CreateFields(TDataModule1* Module) {
    CreateTableFields(Module, Module->PatientTable, Company("Patient.dbf"), PatientLooks, PatientVisible);
    CreateTableFields(Module, Module->InsTable, Company("Ins.dbf"), InsLooks, InsVisible, InsCalculated);
    CreateTableFields(Module, Module->InsDetailTable, Company("InsDtl.dbf"), InsDetailLooks);
    CreateTableFields(Module, Module->PersonnelTable, Company("Personne.dbf"), PersonnelLooks, PersonnelVisible);
    CreateTableFields(Module, Module->AccountTable, Company("Acct.dbf"), AccountLooks, {}, AccountCalculated);
    CreateTableFields(Module, Module->ItemTable, Company("Item.dbf"), ItemLooks);
    CreateTableFields(Module, Module->PaymentTable, Company("Pymt.dbf"), PaymentLooks);
    CreateTableFields(Module, Module->PaymentDtlTable, Company("PymtDtl.dbf"), PaymentDtlLooks);
    CreateTableFields(Module, Module->DepositTable, Company("Deposit.dbf"), DepositLooks);
    CreateTableFields(Module, Module->InsCompTable, Company("InsComp.dbf"), InsCompLooks);
    CreateTableFields(Module, Module->PatternTable, Company("Pattern.dbf"), {});
    CreateTableFields(Module, Module->Temp1Table, ScratchTables::Temp1(), Temp1Looks);
    CreateTableFields(Module, Module->Temp2Table, ScratchTables::Temp2(), Temp2Looks);
    CreateTableFields(Module, Module->Temp3Table, ScratchTables::Temp3(), Temp3Looks, {}, Temp3Calculated);
    CreateTableFields(Module, Module->Temp4Table, ScratchTables::Temp4(), Temp4Looks);
    CreateTableFields(Module, Module->Temp5Table, ScratchTables::Temp5(), Temp5Looks);
}

}  // namespace DataModuleFields
