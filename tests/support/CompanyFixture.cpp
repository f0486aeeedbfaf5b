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
#include "xbase/Xbase.h"
#include "xbengine/XbEngine.h"

namespace {

void Fail(const std::string& what) { throw std::runtime_error(what); }

// Opens a table of the folder exclusively in a work area of its own and
// closes it again after the action, leaving the caller's area selected.
template <class Action>
void WithTable(const std::string& DataDirectory, const std::string& FileName, Action action) {
    int previous = xb_Select(0);
    std::string path = Schemas::TableFileName(DataDirectory, FileName);
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
    const TTableSchema* schema = Schemas::FindTable(FileName);
    if (!schema)
        Fail("no company table " + FileName);
    TXbase engine(nullptr);
    if (!Schemas::CreateTable(&engine, *schema, Schemas::TableFileName(DataDirectory, schema->FileName)))
        Fail("cannot create " + FileName);
}

void CreateTables(const std::string& DataDirectory) {
    if (!os::ForceDirectories(DataDirectory))
        Fail("cannot make " + DataDirectory);
    for (const TTableSchema& schema : Schemas::CompanyTables())
        CreateTable(DataDirectory, schema.FileName);
    RegisterEngineGlue();
    TTable accounts(nullptr);
    accounts.SetDatabaseName(DataDirectory);
    accounts.SetTableType(ttSXNSX);
    accounts.SetTableName("Acct");
    Schemas::AppendDefaultAccounts(&accounts);
}

void BuildIndex(const std::string& DataDirectory, const std::string& FileName) {
    const TIndexedTable* table = IndexCatalog::FindTable(FileName);
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

}  // namespace CompanyFixture

TestCompany::TestCompany(std::string Name) : name_(std::move(Name)) {
    static int made = 0;
    if (name_.empty())
        name_ = "Company" + std::to_string(++made);
    dataDirectory_ = InstallLayout::CompanyDataFolder(name_);
    if (os::DirectoryExists(dataDirectory_))
        Fail("company " + name_ + " exists already");
    for (const std::string& folder : {InstallLayout::CompanyFolder(), InstallLayout::DataFolder()})
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
    std::filesystem::remove(InstallLayout::CompanyRegistryFileName(name_), ignored);
    for (const std::string& folder : madeFolders_)
        std::filesystem::remove(folder, ignored);  // only when empty
}

std::string TestCompany::File(const std::string& FileName) const {
    return os::MapPath(os::IncludeTrailingPathDelimiter(dataDirectory_) + FileName);
}
