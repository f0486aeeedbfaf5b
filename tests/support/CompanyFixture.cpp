#include "support/CompanyFixture.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/IndexCatalog.h"
#include "app/InstallLayout.h"
#include "app/ProgramBuild.h"
#include "app/Schemas.h"
#include "app/Settings.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "xbase/EngineGlue.h"
#include "xbase/FTS32.h"
#include "xbase/Xbase.h"
#include "xbengine/XbEngine.h"

namespace {

void Fail(const std::string& what) { throw std::runtime_error(what); }

// Opens a table of the folder exclusively in a work area of its own and
// closes it again after the action, leaving the caller's area selected.
template <class Action>
void WithTable(const std::string& DataDirectory, const std::string& FileName, Action action) {
    int previous = xb_Select(0);
    std::string path = Schemas::tableFileName(DataDirectory, FileName);
    if (xb_Use(path.c_str(), "FIXTURE", XB_EXCLUSIVE, XB_DRIVER_NSX) == 0) {
        xb_Select(previous);
        Fail("cannot open " + path);
    }
    try {
        action();
    } catch (...) {
        xb_Close();
        xb_Select(previous);
        throw;
    }
    xb_Close();
    xb_Select(previous);
}

}  // namespace

namespace CompanyFixture {

void CreateTable(const std::string& DataDirectory, const std::string& FileName) {
    const TTableSchema* schema = Schemas::findTable(FileName);
    if (!schema)
        Fail("no company table " + FileName);
    TXbase engine(nullptr);
    if (!Schemas::CreateTable(&engine, *schema, Schemas::tableFileName(DataDirectory, schema->FileName)))
        Fail("cannot create " + FileName);
}

void CreateTables(const std::string& DataDirectory) {
    if (!os::ForceDirectories(DataDirectory))
        Fail("cannot make " + DataDirectory);
    for (const TTableSchema& schema : Schemas::CompanyTables())
        CreateTable(DataDirectory, schema.FileName);
    registerEngineGlue();
    TTable accounts(nullptr);
    accounts.SetDatabaseName(DataDirectory);
    accounts.SetTableType(ttSXNSX);
    accounts.SetTableName("Acct");
    Schemas::appendDefaultAccounts(&accounts);
}

void BuildIndex(const std::string& DataDirectory, const std::string& FileName) {
    const TIndexedTable* table = IndexCatalog::findTable(FileName);
    if (!table)
        Fail("no tags for " + FileName);
    WithTable(DataDirectory, FileName, [&] {
        for (const TIndexTagDef& tag : table->Tags)
            if (xb_IndexTag("", tag.TagName, tag.Expression, tag.Unique ? 1 : 0, XB_ASCENDING, tag.Condition) == 0)
                Fail(FileName + ": tag " + tag.TagName + " refused, error " + std::to_string(xb_IndexError()));
    });
}

void BuildIndexes(const std::string& DataDirectory) {
    for (const TIndexedTable& table : IndexCatalog::Tables())
        BuildIndex(DataDirectory, table.FileName);
}

void AppendRows(const std::string& DataDirectory, const std::string& FileName, const std::vector<Row>& Rows) {
    WithTable(DataDirectory, FileName, [&] {
        for (const Row& row : Rows) {
            if (xb_AppendEx() != XB_APPEND_DONE)
                Fail("append refused in " + FileName);
            for (const auto& [field, value] : row)
                if (xb_Replace(field.c_str(), XB_REPLACE_TEXT, value.c_str()) == 0)
                    Fail(FileName + ": cannot store " + field + " = " + value);
        }
        xb_Commit();
    });
}

void DeleteRecords(const std::string& DataDirectory, const std::string& FileName, const std::vector<int>& RecNos) {
    WithTable(DataDirectory, FileName, [&] {
        for (int recNo : RecNos) {
            xb_Go(recNo);
            if (xb_RecNo() != recNo || xb_Delete() == 0)
                Fail(FileName + ": cannot delete record " + std::to_string(recNo));
        }
        xb_Commit();
    });
}

void AddMoneyFixture(const std::string& DataDirectory) {
    AppendRows(DataDirectory, "Patient.dbf",
               {{{"ID", "7"}, {"RECNAME", "SEVEN, PAT"}, {"NAME", "Pat Seven"}, {"BALANCE", "0"}, {"TERMS", "30"}},
                {{"ID", "8"}, {"RECNAME", "EIGHT, PAT"}, {"NAME", "Pat Eight"}, {"BALANCE", "0"}, {"TERMS", "30"}}});
    AppendRows(DataDirectory, "Item.dbf",
               {{{"ID", "FRAME1"}, {"DESC", "Frame"}, {"SELL", "100.00"}, {"TAXED", "T"}, {"CTRLITEM", "F"}},
                {{"ID", "EXAM"}, {"DESC", "Eye exam"}, {"SELL", "50.00"}, {"TAXED", "F"}, {"CTRLITEM", "F"}},
                {{"ID", "LENS1"}, {"DESC", "Lens"}, {"SELL", "40.00"}, {"TAXED", "T"}, {"CTRLITEM", "T"},
                 {"QTYONHAND", "10"}}});
    std::ofstream ini(DataDirectory + "/Company.ini", std::ios::app);
    ini << "[Configuration]\r\nSalesTaxRate=5\r\n";
}

namespace {

std::string Padded(const Row& Record, const std::string& Field, size_t Width) {
    std::string value;
    for (const auto& [name, text] : Record)
        if (name == Field)
            value = text;
    value.resize(Width, ' ');
    return value;
}

// The full-text key the program keeps for a patient record.
std::string PatientKey(const Row& Record) {
    std::string key = Padded(Record, "RECNAME", 30) + Padded(Record, "ADDR", 30) + Padded(Record, "PHONE1", 20) +
                      Padded(Record, "PHONE2", 20) + Padded(Record, "SSN", 11);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

Row Exam(const char* Account, const char* ID, const char* Date, const char* Complaint) {
    return {{"ACCOUNT", Account}, {"ID", ID}, {"FIRSTEXAM", Date}, {"COMPLAINT", Complaint},
            {"COND_EMPL", "F"}, {"COND_AUTO", "F"}, {"COND_ACCID", "F"}};
}

// Patient 1's last exam, filled in as an optician would.
Row AnnualExam() {
    Row exam = Exam("1", "7", "20260201", "Annual exam");
    const Row findings{{"DOCTOR", "SMITH, ANNA OD"}, {"DIAG1", "367.1"}, {"DIAG2", "367.4"}, {"VU_R", "40"},
                       {"VU_L", "50"}, {"VU_B", "40"}, {"IE_CD_R", "0.3"}, {"IE_CD_L", "0.3"}, {"IOP", "16/17"},
                       {"SR_SPHERE", "-1.25"}, {"SR_CYL", "-0.50"}, {"SR_AXIS", "180"}, {"SR_ADD", "+1.75"},
                       {"SL_SPHERE", "-1.50"}, {"SL_CYL", "-0.25"}, {"SL_AXIS", "175"}, {"SL_ADD", "+1.75"},
                       {"DPD_TOT", "63"}, {"DPD_R", "31.5"}, {"DPD_L", "31.5"}, {"NSE_R", "J1"}, {"NSE_VA_R", "20"},
                       {"DSE_R", "-1.25 -0.50 x180"}, {"DSE_VA_R", "20"}, {"EXT_EXAM", "Clear, quiet"}};
    exam.insert(exam.end(), findings.begin(), findings.end());
    return exam;
}

}  // namespace

void AddPatientFixture(const std::string& DataDirectory) {
    const std::vector<Row> patients{
        {{"ID", "1"}, {"INCIDENT", "0"}, {"RECNAME", "DOE, JANE"}, {"NAME", "Jane Doe"}, {"ADDR", "12 Elm Street"},
         {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}, {"PHONE1DESC", "Home"}, {"PHONE1", "(217)555-0101"},
         {"PHONE2DESC", "Work"}, {"PHONE2", "(217)555-0102"},
         {"PHONE3DESC", "Cell"}, {"PHONE3", "(217)555-0103"}, {"PHONE4DESC", "Phone4"}, {"SSN", "123-45-6789"}, {"SEX", "Female"},
         {"BIRTHDATE", "19700315"}, {"FIRSTVISIT", "20200110"}, {"BALANCE", "0"}, {"TERMS", "30"},
         {"BILLINSUR", "T"}, {"ACPTASSIGN", "T"}, {"PATSIGONFI", "F"}, {"PAT_EMPLYD", "F"}, {"INSSIGONFI", "F"},
         {"OTHER_INS", "F"}, {"REL_TO_INS", "Self"}, {"PAT_STATUS", "Married"}, {"PLAN_TYPE", "Group Plan"},
         {"HCFAPNAME", "Doe, Jane Q"}, {"HCFAPADDR", "12 Elm Street"}, {"HCFAPCITY", "Springfield"},
         {"HCFAPSTATE", "IL"}, {"HCFAPZIP", "62701"}, {"PAT_STUDNT", ""}, {"INS_NAME", "Doe, John"},
         {"INS_ADDRS", "12 Elm Street"}, {"INS_CITY", "Springfield"}, {"INS_STATE", "IL"}, {"INS_ZIP", "62701"},
         {"INS_PHONE", "(217)555-0101"}, {"INS_BIRTH", "19680920"}, {"INS_SEX", "Male"}, {"INS_ID", "XJ1234567"},
         {"INS_GROUP", "G-4471"}, {"INS_PLAN", "Acme Gold"}, {"INS_EMPLR", "Springfield Mills"},
         {"CAR_NAME", "Acme Health"}, {"CAR_ADDR1", "PO Box 100"}, {"CAR_CITY", "Chicago"}, {"CAR_STATE", "IL"},
         {"CAR_ZIP", "60601"}, {"CAR_PHONE", "(312)555-0199"}},
        {{"ID", "2"}, {"INCIDENT", "0"}, {"RECNAME", "ROE, RICHARD"}, {"NAME", "Richard Roe"},
         {"ADDR", "4 Oak Avenue"}, {"CITY", "Shelbyville"}, {"STATE", "IL"}, {"PHONE1", "(217)555-0201"},
         {"BIRTHDATE", "19850704"}, {"BALANCE", "0"}, {"BILLINSUR", "F"}, {"OTHER_INS", "T"},
         {"OTH_NAME", "Rita Roe"}},
        {{"ID", "3"}, {"INCIDENT", "0"}, {"RECNAME", "POE, EDGAR"}, {"NAME", "Edgar Poe"},
         {"ADDR", "9 Raven Lane"}, {"BALANCE", "0"}, {"BILLINSUR", "F"}},
    };
    AppendRows(DataDirectory, "Patient.dbf", patients);
    AppendRows(DataDirectory, "Incident.dbf",
               {Exam("1", "1", "20240105", "Blurred vision"), Exam("1", "2", "20250110", "Headaches"),
                AnnualExam(), Exam("2", "1", "20230303", "New glasses"),
                Exam("2", "2", "20240404", "Dry eyes"), Exam("2", "5", "20250505", "Contact lens fitting"),
                {{"ACCOUNT", "9999999999"}, {"ID", "9999"}}});
    AppendRows(DataDirectory, "DiagCode.dbf",
               {{{"ID", "367.1"}, {"CATEGORY", "Refraction"}, {"DESC", "Myopia"}},
                {{"ID", "367.4"}, {"CATEGORY", "Refraction"}, {"DESC", "Presbyopia"}},
                {{"ID", "375.15"}, {"CATEGORY", "Lacrimal"}, {"DESC", "Tear film insufficiency"}}});
    AppendRows(DataDirectory, "Personne.dbf",
               {{{"ID", "1"}, {"RECNAME", "SMITH, ANNA OD"}, {"NAME", "Dr. Anna Smith"}},
                {{"ID", "2"}, {"RECNAME", "JONES, BEN OD"}, {"NAME", "Dr. Ben Jones"}}});
    // Jane Doe is due back twice; the others have no recalls.
    AppendRows(DataDirectory, "Recall.dbf",
               {{{"PATIENTID", "1"}, {"NAME", "DOE, JANE"}, {"DATE", "20260315"}, {"REASON", "Eye Exam"}},
                {{"PATIENTID", "1"}, {"NAME", "DOE, JANE"}, {"DATE", "20270110"}, {"REASON", "Contact Lens Exam"}}});
    // One schedule day, 03/10/2026: four items entered out of clock order, and its note.
    auto item = [](const char* Time, const char* Resource, const char* ResourceID, const char* Client,
                   const char* ClientID, const char* Note) {
        return Row{{"DATE", "20260310"}, {"TIME", Time},       {"ALLOT", "00:30"},     {"RESOURCE", Resource},
                   {"RESOURCEID", ResourceID}, {"CLIENT", Client}, {"CLIENT_ID", ClientID}, {"NOTE", Note}};
    };
    AppendRows(DataDirectory, "Schedule.dbf",
               {item("12:30P", "SMITH, ANNA OD", "1", "DOE, JANE", "1", "Annual exam"),
                item("09:00A", "JONES, BEN OD", "2", "ROE, RICHARD", "2", "Contact lens check"),
                item("12:15A", "SMITH, ANNA OD", "1", "POE, EDGAR", "3", "Emergency"),
                item("01:00P", "JONES, BEN OD", "2", "DOE, JANE", "1", "Frame pick-up")});
    AppendRows(DataDirectory, "Calendar.dbf", {{{"DATE", "20260310"}, {"NOTE", "Dr. Jones leaves at 3"}}});
    TFts fts(nullptr);
    if (fts.CreateIndex(DataDirectory + "/Patient.ia", 20, 3, 1, 1) != 0)
        throw std::runtime_error("Patient.ia cannot be made");
    for (const Row& patient : patients)
        fts.Add(PatientKey(patient));
    fts.Close();
}

void AddItemFixture(const std::string& DataDirectory) {
    const std::pair<const char*, const char*> items[] = {
        {"DOCTOR", "Doctor Services"}, {"OPTICIAN", "Optician Services"},    {"FRAME", "Frame"},
        {"SPECLENS", "Spectacle Lens"}, {"CONTACT", "Contact Lens"},        {"OTHERSVC", "Other Services"},
        {"OTHERINV", "Other Inventory Item"}, {"ADJUST", "Adjustment"}};
    std::vector<Row> rows;
    for (const auto& [id, type] : items) {
        const bool frame = std::string(id) == "FRAME";
        rows.push_back({{"ID", id},
                        {"ITEMTYPE", type},
                        {"CATEGORY", frame ? "Frames" : "Other"},
                        {"DESC", std::string(type) + " item"},
                        {"COLOR", "Tortoise"},
                        {"SIZE", "52-18"},
                        {"MANF", "Acme Optical"},
                        {"VENDOR", "Lens Supply Co"},
                        {"DISPLYLOC", "Wall 2"},
                        {"STOCKLOC", "Drawer 7"},
                        {"COST", "40.00"},
                        {"SELL", "89.95"},
                        {"QTYONHAND", frame ? "5" : "0"},
                        {"REORDERPT", frame ? "2" : "0"},
                        {"UNITMEAS", "Each"},
                        {"CTRLITEM", frame ? "T" : "F"},
                        {"TAXED", "T"},
                        {"CONSIGN", "F"},
                        {"RESTOCKED", "20260302"}});
    }
    AppendRows(DataDirectory, "Item.dbf", rows);
    AppendRows(DataDirectory, "SalesDtl.dbf",
               {{{"RECEIPT", "101"}, {"ITEM", "1"}, {"ITEMNO", "FRAME"}, {"DESC", "Frame item"}, {"QTY", "1"},
                 {"PRICE", "89.95"}, {"AMOUNT", "89.95"}, {"TAXED", "T"}}});
}

}  // namespace CompanyFixture

TestCompany::TestCompany(std::string Name) : name_(std::move(Name)) {
    static int made = 0;
    if (name_.empty())
        name_ = "Company" + std::to_string(++made);
    dataDirectory_ = InstallLayout::companyDataFolder(name_);
    if (os::DirectoryExists(dataDirectory_))
        Fail("company " + name_ + " exists already");
    for (const std::string& folder : {InstallLayout::companyFolder(), InstallLayout::DataFolder()})
        if (!os::DirectoryExists(folder) && os::ForceDirectories(folder))
            madeFolders_.push_back(folder);
    TSettingsFile registry = CompanyRegistry::File(name_);
    registry.Write(CompanyRegistry::CompanyFileName, name_);
    registry.Write(CompanyRegistry::Build, ProgramBuild);
    CompanyFixture::CreateTables(dataDirectory_);
    CompanyFixture::BuildIndexes(dataDirectory_);
}

TestCompany::~TestCompany() {
    std::error_code ignored;
    std::filesystem::remove_all(dataDirectory_, ignored);
    std::filesystem::remove(InstallLayout::companyRegistryFileName(name_), ignored);
    for (const std::string& folder : madeFolders_)
        std::filesystem::remove(folder, ignored);  // only when empty
}

std::string TestCompany::File(const std::string& FileName) const {
    return os::MapPath(os::IncludeTrailingPathDelimiter(dataDirectory_) + FileName);
}
