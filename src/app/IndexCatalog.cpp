#include "app/IndexCatalog.h"

#include <strings.h>

namespace {

constexpr TIndexTagDef PatientTags[] = {
    {"RecName", "upper(RecName)", "", false},
    {"ID", "id", "", false},
    {"Birthday", "substr(dtoc(birthdate),1,5)", "", false},
    {"OpenBalance", "upper(RecName)", "(Balance <> 0.0)", false},
    {"Phone1", "phone1", "", false},
    {"Phone2", "phone2", "", false},
};

constexpr TIndexTagDef SalesTags[] = {
    {"Receipt", "receipt", "", false},
    {"PatID", "patid", "", false},
    {"Incident", "str(patid,10,0) + str(incident,4,0)", "", false},
    {"OpenBalance", "dtos(Date)", "(Balance <> 0.0)", false},
    {"DateDue", "descend(dtos(DueDate))", "(Balance <> 0.0)", false},
    {"Date", "dtos(Date)", "", false},
    {"Personnel", "Emply + dtos(date)", "", false},
};

constexpr TIndexTagDef SalesDtlTags[] = {
    {"Receipt", "receipt", "", false},
    {"ItemNo", "itemno", "", false},
};

constexpr TIndexTagDef AcctTags[] = {
    {"Name", "name", "", false},
    {"ID", "id", "", false},
};

constexpr TIndexTagDef PersonneTags[] = {
    {"RecName", "upper(recname)", "", false},
    {"ID", "id", "", false},
};

constexpr TIndexTagDef LedgerTags[] = {
    {"ID", "id", "", false},
    {"Account", "account", "", false},
    {"Date", "date", "", false},
    {"AcctNo", "acctno + str(account,10,0) + dtos(date)", "", false},
};

constexpr TIndexTagDef CptCodeTags[] = {
    {"ID", "id", "", false},
    {"Category", "upper(category) + upper(Desc)", "", false},
    {"Desc", "upper(desc)", "", false},
};

constexpr TIndexTagDef DiagCodeTags[] = {
    {"ID", "id", "", false},
    {"Category", "upper(category) + upper(Desc)", "", false},
    {"Desc", "upper(desc)", "", false},
};

constexpr TIndexTagDef IncidentTags[] = {
    {"ID", "str(account,10,0) + str(id,4,0)", "", false},
};

constexpr TIndexTagDef ItemTags[] = {
    {"ID", "upper(id)", "", false},
    {"Category", "category+upper(id)", "", false},
    {"Desc", "desc", "", false},
    {"UCategory", "category", "", true},
    {"Reorder", "upper(vendor) + upper(category) + upper(manf) + upper(id)",
     "CtrlItem .and. (QtyOnHand <= ReorderPt)", false},
    {"CtrlItem", "upper(vendor) + upper(category) + upper(manf) + upper(id)", "CtrlItem", false},
};

constexpr TIndexTagDef PymtTags[] = {
    {"ID", "id", "", false},
    {"Deposited", "dtos(Date)", "(.not. Deposited)", false},
    {"Date", "dtos(Date)+str(id,10,0)", "", false},
    {"Name", "upper(Name)", "", false},
};

constexpr TIndexTagDef PymtDtlTags[] = {
    {"PaymentID", "PaymentID", "", false},
    {"Receipt", "receipt", "", false},
};

constexpr TIndexTagDef DepositTags[] = {
    {"ID", "id", "", false},
    {"Date", "dtos(Date)+str(id,10,0)", "", false},
};

constexpr TIndexTagDef DeposDtlTags[] = {
    {"DepositID", "depositid", "", false},
    {"PaymentID", "paymentid", "", false},
};

constexpr TIndexTagDef InsTags[] = {
    {"ID", "id", "", false},
    {"Date", "dtos(Date)+str(id,10,0)", "", false},
    {"Name", "upper(Pat_Name)", "", false},
    {"NotSubmit", "id", "Empty(Ebilled) .and. Empty(Printed)", false},
    {"Receipt", "Receipt", "", false},
};

constexpr TIndexTagDef InsDtlTags[] = {
    {"ID", "id", "", false},
};

constexpr TIndexTagDef InsCompTags[] = {
    {"ID", "id", "", false},
    {"Name", "upper(name)+upper(state)+upper(city)", "", false},
    {"State", "upper(state)+upper(city)", "", false},
};

constexpr TIndexTagDef LabRxTags[] = {
    {"ID", "receipt + str(item,2,0)", "", false},
};

constexpr TIndexTagDef RecallTags[] = {
    {"PatientID", "str(patientid,10,0) + dtos(Date)", "", false},
    {"Date", "dtos(Date)", "", false},
};

constexpr TIndexTagDef CalendarTags[] = {
    {"Date", "date", "", false},
};

constexpr TIndexTagDef ScheduleTags[] = {
    // The AM/PM letter first, then the time with the 12 o'clock hour as 00.
    {"Date", "dtos(Date) + substr(time,6,1) + iif(substr(time,1,2) = \"12\", \"00\"+ substr(time,3,4),time)", "",
     false},
    {"Resource",
     "dtos(Date) + Resource + substr(time,6,1) + iif(substr(time,1,2) = \"12\", \"00\"+ substr(time,3,4),time)", "",
     false},
};

constexpr TIndexTagDef PatternTags[] = {
    {"ID", "upper(id)", "", false},
    {"Manf", "upper(manf)", "", false},
    {"Desc", "upper(desc)", "", false},
    {"Loc", "upper(loc)", "", false},
};

constexpr TIndexedTable Catalogue[] = {
    {"Patient.dbf", "Patients", PatientTags, 5, 0},
    {"Sales.dbf", "Sales", SalesTags, 10, 0},
    {"SalesDtl.dbf", "SalesDtl", SalesDtlTags, 17, 15},
    {"Acct.dbf", "Account", AcctTags, 20, 0},
    {"Personne.dbf", "Personnel", PersonneTags, 25, 0},
    {"Ledger.dbf", "Ledger", LedgerTags, 30, 0},
    {"CptCode.dbf", "CPTCode", CptCodeTags, 34, 0},
    {"DiagCode.dbf", "DiagCode", DiagCodeTags, 35, 0},
    {"Incident.dbf", "Incident", IncidentTags, 40, 0},
    {"Item.dbf", "Item", ItemTags, 45, 0},
    {"Pymt.dbf", "Pymt", PymtTags, 50, 0},
    {"PymtDtl.dbf", "PymtDtl", PymtDtlTags, 55, 0},
    {"Deposit.dbf", "Deposit", DepositTags, 60, 0},
    {"DeposDtl.dbf", "DeposDtl", DeposDtlTags, 65, 0},
    {"Ins.dbf", "Insurance Claim", InsTags, 70, 0},
    {"InsDtl.dbf", "Insurance Claim Detail", InsDtlTags, 75, 0},
    {"InsComp.dbf", "Insurance Companies", InsCompTags, 80, 0},
    {"LabRx.dbf", "Lab Rx", LabRxTags, 90, 0},
    {"Recall.dbf", "Recall", RecallTags, 92, 0},
    {"Calendar.dbf", "Calendar", CalendarTags, 93, 0},
    {"Schedule.dbf", "Schedule", ScheduleTags, 94, 0},
    {"Pattern.dbf", "Pattern", PatternTags, 95, 0},
};
bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

namespace IndexCatalog {

std::span<const TIndexedTable> Tables() { return Catalogue; }

const TIndexedTable* findTable(const std::string& FileName) {
    for (const TIndexedTable& table : Catalogue)
        if (SameText(FileName, table.FileName))
            return &table;
    return nullptr;
}

const TIndexTagDef* FindTag(const std::string& FileName, const std::string& TagName) {
    const TIndexedTable* table = findTable(FileName);
    if (!table)
        return nullptr;
    for (const TIndexTagDef& tag : table->Tags)
        if (SameText(TagName, tag.TagName))
            return &tag;
    return nullptr;
}

}  // namespace IndexCatalog
