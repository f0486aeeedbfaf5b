#pragma once
// The company tables' index tags: the fields of each table with one sample
// record, and every tag with its key expression and condition, and what
// they give for the sample record.
#include <map>
#include <string>
#include <vector>

struct Column {
    std::string name;
    char type;
    int width;
    int decimals;
    std::string value;  // as the user sees it; placed as the table stores it
};

struct CatalogueTag {
    const char* table;
    std::string key;
    const char* condition;  // null: none
    std::string expectedKey;
    bool expectedCondition;
    const char* name;
    bool unique;
};

inline const std::map<std::string, std::vector<Column>>& CatalogueTables() {
    static const std::map<std::string, std::vector<Column>> tables = {
        {"Patient", {{"ID", 'N', 10, 0, "42"}, {"RECNAME", 'C', 30, 0, "Smith, John"},
                     {"PHONE1", 'C', 20, 0, "(555)123-4567"}, {"PHONE2", 'C', 20, 0, ""},
                     {"BIRTHDATE", 'D', 8, 0, "19650704"}, {"BALANCE", 'N', 10, 2, "12.50"}}},
        {"Sales", {{"RECEIPT", 'N', 10, 0, "1001"}, {"DATE", 'D', 8, 0, "20030704"},
                   {"PATID", 'N', 10, 0, "42"}, {"EMPLY", 'C', 4, 0, "7"},
                   {"BALANCE", 'N', 10, 2, "0.00"}, {"INCIDENT", 'N', 4, 0, "3"},
                   {"DUEDATE", 'D', 8, 0, "20030803"}}},
        {"SalesDtl", {{"RECEIPT", 'N', 10, 0, "1001"}, {"ITEMNO", 'C', 10, 0, "FR-100"}}},
        {"Acct", {{"ID", 'N', 4, 0, "5"}, {"NAME", 'C', 25, 0, "Checking"}}},
        {"Personne", {{"ID", 'N', 4, 0, "7"}, {"RECNAME", 'C', 30, 0, "Lee, Ann"}}},
        {"Ledger", {{"ID", 'N', 10, 0, "300"}, {"ACCOUNT", 'N', 4, 0, "4"},
                    {"ACCTNO", 'C', 10, 0, "A-17"}, {"DATE", 'D', 8, 0, "20030704"}}},
        {"CptCode", {{"ID", 'C', 5, 0, "92004"}, {"CATEGORY", 'C', 20, 0, "Exam"},
                     {"DESC", 'C', 30, 0, "Eye exam"}}},
        {"DiagCode", {{"ID", 'C', 6, 0, "367.1"}, {"CATEGORY", 'C', 20, 0, "Refr"},
                      {"DESC", 'C', 30, 0, "Myopia"}}},
        {"Incident", {{"ID", 'N', 4, 0, "2"}, {"ACCOUNT", 'N', 10, 0, "42"}}},
        {"Item", {{"ID", 'C', 10, 0, "fr-100"}, {"CATEGORY", 'C', 20, 0, "Frames"},
                  {"DESC", 'C', 30, 0, "Metal frame"}, {"MANF", 'C', 30, 0, "Zeiss"},
                  {"VENDOR", 'C', 30, 0, "Acme"}, {"QTYONHAND", 'N', 6, 0, "3"},
                  {"REORDERPT", 'N', 6, 0, "5"}, {"CTRLITEM", 'L', 1, 0, "T"}}},
        {"Pymt", {{"ID", 'N', 10, 0, "55"}, {"DATE", 'D', 8, 0, "20030704"},
                  {"NAME", 'C', 30, 0, "Jones"}, {"DEPOSITED", 'L', 1, 0, "F"}}},
        {"PymtDtl", {{"PAYMENTID", 'N', 10, 0, "55"}, {"RECEIPT", 'C', 10, 0, "1001"}}},
        {"Deposit", {{"ID", 'N', 10, 0, "8"}, {"DATE", 'D', 8, 0, "20030705"}}},
        {"DeposDtl", {{"DEPOSITID", 'N', 10, 0, "8"}, {"PAYMENTID", 'N', 10, 0, "55"}}},
        {"Ins", {{"ID", 'N', 10, 0, "9"}, {"DATE", 'D', 8, 0, "20030704"},
                 {"PAT_NAME", 'C', 27, 0, "doe, jane"}, {"PRINTED", 'D', 8, 0, "20030705"},
                 {"EBILLED", 'D', 8, 0, ""}, {"RECEIPT", 'C', 10, 0, "1001"}}},
        {"InsDtl", {{"ID", 'N', 10, 0, "9"}}},
        {"InsComp", {{"ID", 'N', 5, 0, "3"}, {"NAME", 'C', 25, 0, "Vsp"},
                     {"CITY", 'C', 15, 0, "Fresno"}, {"STATE", 'C', 2, 0, "ca"}}},
        {"LabRx", {{"RECEIPT", 'C', 10, 0, "1001"}, {"ITEM", 'N', 2, 0, "1"}}},
        {"Recall", {{"PATIENTID", 'N', 10, 0, "42"}, {"DATE", 'D', 8, 0, "20040115"}}},
        {"Calendar", {{"DATE", 'D', 8, 0, "20031225"}}},
        {"Schedule", {{"DATE", 'D', 8, 0, "20030704"}, {"TIME", 'C', 6, 0, "12:30P"},
                      {"RESOURCE", 'C', 30, 0, "Dr. Lee"}}},
        {"Pattern", {{"ID", 'C', 12, 0, "p-12"}, {"MANF", 'C', 25, 0, "Hoya"},
                     {"DESC", 'C', 20, 0, "Oval"}, {"LOC", 'C', 12, 0, "b2"}}},
    };
    return tables;
}

inline const std::vector<CatalogueTag>& Catalogue() {
    const std::string scheduleTime =
        "substr(time,6,1) + iif(substr(time,1,2) = \"12\", \"00\"+ substr(time,3,4),time)";
    auto pad = [](const std::string& s, size_t width) { return s + std::string(width - s.size(), ' '); };
    static const std::vector<CatalogueTag> catalogue = {
        {"Patient", "upper(RecName)", nullptr, pad("SMITH, JOHN", 30), true, "RecName", false},
        {"Patient", "id", nullptr, "        42", true, "ID", false},
        {"Patient", "substr(dtoc(birthdate),1,5)", nullptr, "07/04", true, "Birthday", false},
        {"Patient", "upper(RecName)", "(Balance <> 0.0)", pad("SMITH, JOHN", 30), true, "OpenBalance", false},
        {"Patient", "phone1", nullptr, pad("(555)123-4567", 20), true, "Phone1", false},
        {"Patient", "phone2", nullptr, std::string(20, ' '), true, "Phone2", false},
        {"Sales", "receipt", nullptr, "      1001", true, "Receipt", false},
        {"Sales", "patid", nullptr, "        42", true, "PatID", false},
        {"Sales", "str(patid,10,0) + str(incident,4,0)", nullptr, "        42   3", true, "Incident", false},
        {"Sales", "dtos(Date)", "(Balance <> 0.0)", "20030704", false, "OpenBalance", false},
        {"Sales", "descend(dtos(DueDate))", "(Balance <> 0.0)", "\xCD\xCF\xCF\xCC\xCF\xC7\xCF\xCC", false, "DateDue", false},
        {"Sales", "dtos(Date)", nullptr, "20030704", true, "Date", false},
        {"Sales", "Emply + dtos(date)", nullptr, "7   20030704", true, "Personnel", false},
        {"SalesDtl", "receipt", nullptr, "      1001", true, "Receipt", false},
        {"SalesDtl", "itemno", nullptr, "FR-100    ", true, "ItemNo", false},
        {"Acct", "name", nullptr, pad("Checking", 25), true, "Name", false},
        {"Acct", "id", nullptr, "   5", true, "ID", false},
        {"Personne", "upper(recname)", nullptr, pad("LEE, ANN", 30), true, "RecName", false},
        {"Personne", "id", nullptr, "   7", true, "ID", false},
        {"Ledger", "id", nullptr, "       300", true, "ID", false},
        {"Ledger", "account", nullptr, "   4", true, "Account", false},
        {"Ledger", "date", nullptr, "20030704", true, "Date", false},
        {"Ledger", "acctno + str(account,10,0) + dtos(date)", nullptr, "A-17               420030704", true, "AcctNo", false},
        {"CptCode", "id", nullptr, "92004", true, "ID", false},
        {"CptCode", "upper(category) + upper(Desc)", nullptr, pad("EXAM", 20) + pad("EYE EXAM", 30), true, "Category", false},
        {"CptCode", "upper(desc)", nullptr, pad("EYE EXAM", 30), true, "Desc", false},
        {"DiagCode", "id", nullptr, "367.1 ", true, "ID", false},
        {"DiagCode", "upper(category) + upper(Desc)", nullptr, pad("REFR", 20) + pad("MYOPIA", 30), true, "Category", false},
        {"DiagCode", "upper(desc)", nullptr, pad("MYOPIA", 30), true, "Desc", false},
        {"Incident", "str(account,10,0) + str(id,4,0)", nullptr, "        42   2", true, "ID", false},
        {"Item", "upper(id)", nullptr, "FR-100    ", true, "ID", false},
        {"Item", "category+upper(id)", nullptr, pad("Frames", 20) + "FR-100    ", true, "Category", false},
        {"Item", "desc", nullptr, pad("Metal frame", 30), true, "Desc", false},
        {"Item", "category", nullptr, pad("Frames", 20), true, "UCategory", true},
        {"Item", "upper(vendor) + upper(category) + upper(manf) + upper(id)",
         "CtrlItem .and. (QtyOnHand <= ReorderPt)",
         pad("ACME", 30) + pad("FRAMES", 20) + pad("ZEISS", 30) + "FR-100    ", true, "Reorder", false},
        {"Item", "upper(vendor) + upper(category) + upper(manf) + upper(id)", "CtrlItem",
         pad("ACME", 30) + pad("FRAMES", 20) + pad("ZEISS", 30) + "FR-100    ", true, "CtrlItem", false},
        {"Pymt", "id", nullptr, "        55", true, "ID", false},
        {"Pymt", "dtos(Date)", "(.not. Deposited)", "20030704", true, "Deposited", false},
        {"Pymt", "dtos(Date)+str(id,10,0)", nullptr, "20030704        55", true, "Date", false},
        {"Pymt", "upper(Name)", nullptr, pad("JONES", 30), true, "Name", false},
        {"PymtDtl", "PaymentID", nullptr, "        55", true, "PaymentID", false},
        {"PymtDtl", "receipt", nullptr, "1001      ", true, "Receipt", false},
        {"Deposit", "id", nullptr, "         8", true, "ID", false},
        {"Deposit", "dtos(Date)+str(id,10,0)", nullptr, "20030705         8", true, "Date", false},
        {"DeposDtl", "depositid", nullptr, "         8", true, "DepositID", false},
        {"DeposDtl", "paymentid", nullptr, "        55", true, "PaymentID", false},
        {"Ins", "id", nullptr, "         9", true, "ID", false},
        {"Ins", "dtos(Date)+str(id,10,0)", nullptr, "20030704         9", true, "Date", false},
        {"Ins", "upper(Pat_Name)", nullptr, pad("DOE, JANE", 27), true, "Name", false},
        {"Ins", "id", "Empty(Ebilled) .and. Empty(Printed)", "         9", false, "NotSubmit", false},
        {"Ins", "Receipt", nullptr, "1001      ", true, "Receipt", false},
        {"InsDtl", "id", nullptr, "         9", true, "ID", false},
        {"InsComp", "id", nullptr, "    3", true, "ID", false},
        {"InsComp", "upper(name)+upper(state)+upper(city)", nullptr, pad("VSP", 25) + "CA" + pad("FRESNO", 15), true, "Name", false},
        {"InsComp", "upper(state)+upper(city)", nullptr, "CA" + pad("FRESNO", 15), true, "State", false},
        {"LabRx", "receipt + str(item,2,0)", nullptr, "1001       1", true, "ID", false},
        {"Recall", "str(patientid,10,0) + dtos(Date)", nullptr, "        4220040115", true, "PatientID", false},
        {"Recall", "dtos(Date)", nullptr, "20040115", true, "Date", false},
        {"Calendar", "date", nullptr, "20031225", true, "Date", false},
        {"Schedule", "dtos(Date) + " + scheduleTime, nullptr, "20030704P00:30P", true, "Date", false},
        {"Schedule", "dtos(Date) + Resource + " + scheduleTime, nullptr,
         "20030704" + pad("Dr. Lee", 30) + "P00:30P", true, "Resource", false},
        {"Pattern", "upper(id)", nullptr, pad("P-12", 12), true, "ID", false},
        {"Pattern", "upper(manf)", nullptr, pad("HOYA", 25), true, "Manf", false},
        {"Pattern", "upper(desc)", nullptr, pad("OVAL", 20), true, "Desc", false},
        {"Pattern", "upper(loc)", nullptr, pad("B2", 12), true, "Loc", false},
    };
    return catalogue;
}
