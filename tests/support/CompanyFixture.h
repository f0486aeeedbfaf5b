#pragma once
// Company folders for tests: the 22 company tables (with the default chart
// of accounts) and every index tag of the catalogue, made with the program's
// own table definitions and tag catalogue on real files.
//
// The functions raise std::runtime_error when a table or tag cannot be made.
#include <string>
#include <utility>
#include <vector>

namespace CompanyFixture {

// One record as field name and stored text ("yyyymmdd" for dates, "T"/"F"
// for logicals); fields left out stay blank.
using Row = std::vector<std::pair<std::string, std::string>>;

// Every company table, empty but for the default accounts in Acct.dbf.
void CreateTables(const std::string& DataDirectory);
// One company table, empty (Acct.dbf too).
void CreateTable(const std::string& DataDirectory, const std::string& FileName);
// Every tag of every table, into each table's own index file.
void BuildIndexes(const std::string& DataDirectory);
// The tags of one table.
void BuildIndex(const std::string& DataDirectory, const std::string& FileName);
// Appends the rows to a table; tags in its index file follow them.
void AppendRows(const std::string& DataDirectory, const std::string& FileName, const std::vector<Row>& Rows);
// Marks the records deleted.
void DeleteRecords(const std::string& DataDirectory, const std::string& FileName, const std::vector<int>& RecNos);

// The money fixture: patients 7 and 8, the items "FRAME1" (taxed), "EXAM"
// (untaxed) and "LENS1" (controlled, 10 on hand), and a sales tax rate of
// 5 % in the company's Company.ini.
void AddMoneyFixture(const std::string& DataDirectory);

// The patient fixture: "DOE, JANE" (ID 1) with exams 1, 2 and 7, "ROE,
// RICHARD" (ID 2) with exams 1, 2 and 5, "POE, EDGAR" (ID 3) without exams,
// the exam sentinel, three diagnosis codes, two doctors in the personnel
// table, two recalls of "DOE, JANE" (03/15/2026 "Eye Exam", 01/10/2027
// "Contact Lens Exam"), the schedule day 03/10/2026 with items at 12:30P,
// 09:00A, 12:15A and 01:00P (in that record order) and the day's note "Dr.
// Jones leaves at 3", and Patient.ia holding each patient's full-text key at its record.
void AddPatientFixture(const std::string& DataDirectory);

// The item fixture: one item of each of the eight item types, named by type
// ("DOCTOR", "OPTICIAN", "FRAME" (an inventory control item, 5 on hand),
// "SPECLENS", "CONTACT", "OTHERSVC", "OTHERINV", "ADJUST"), every text field
// filled, and a receipt line in SalesDtl.dbf that sells "FRAME".
void AddItemFixture(const std::string& DataDirectory);

}  // namespace CompanyFixture

// A company under the installation root: the registry file Company/<name>.ini
// at the program's build (so opening it runs no upgrade) and the data folder
// Data/<name> with all tables and tags. Removed again when the object goes,
// with the Company and Data folders when it made them.
class TestCompany {
public:
    // An empty name picks one no other TestCompany of the process uses.
    explicit TestCompany(std::string Name = "");
    ~TestCompany();
    TestCompany(const TestCompany&) = delete;
    TestCompany& operator=(const TestCompany&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& DataDirectory() const { return dataDirectory_; }
    // A file of the data folder.
    std::string File(const std::string& FileName) const;

private:
    std::string name_;
    std::string dataDirectory_;
    // The Company and Data folders this object made, removed again when empty.
    std::vector<std::string> madeFolders_;
};
