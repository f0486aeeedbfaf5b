#pragma once
// A company with one claim (number 12) and its service rows on real tables,
// opened through the data module, and helpers that read a capture file's
// lines and columns.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "base/DateTime.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "data/DbTables.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace ebill_test {

using CompanyFixture::Row;

inline Row fixtureClaim() {
    return {{"ID", "12"},          {"DATE", "20260105"},        {"PAT_ID", "A100"},
            {"PAT_NAME", "Doe, Jane Q"}, {"PAT_ADDRS", "12 Elm St"}, {"PAT_CITY", "Springfield"},
            {"PAT_STATE", "IL"},   {"PAT_ZIP", "62701"},        {"PAT_PHONE", "(217)555-0100"},
            {"PAT_BIRTH", "19750314"}, {"PAT_SEX", "Female"},  {"PAT_STATUS", "Married"},
            {"PAT_EMPLYD", "T"},   {"REL_TO_INS", "Self"},      {"PLAN_TYPE", "Medicare"},
            {"COND_EMPL", "F"},    {"COND_AUTO", "F"},          {"COND_STATE", "ny"},
            {"COND_ACCID", "F"},   {"INS_ID", "123-45-6789A"},  {"INS_NAME", "Doe, Jane Q"},
            {"INS_SEX", "Female"}, {"OTHER_INS", "F"},          {"REFPHYS", "Dr. Bartholomew Featherstone"},
            {"REFPHYS_ID", "UPIN-0012345678"}, {"TOTAL", "12.50"}, {"PAID", "0"},
            {"BALANCE", "-3.25"},  {"FEDTAXID", "36-1234567"},  {"FEDIDTYPE", "EIN"},
            {"ACPTASSIGN", "T"},   {"FAC_NAME", "Eye Care Center"}, {"FAC_CITY", "Springfield"},
            {"FAC_STATE", "IL"},   {"BILL_NAME", "John Smith OD"}, {"BILLSIGDAT", "20260107"},
            {"BILLSIGNAM", "John Smith OD"}, {"OUTSIDELAB", "F"}, {"OUTLABCHGS", "40.00"},
            {"CAR_NAME", "Medicare Part B"}, {"CAR_ADDR1", "PO Box 1"}, {"CAR_CITY", "Chicago"},
            {"CAR_STATE", "IL"},   {"CAR_ZIP", "60601"},        {"PATSIGONFI", "T"},
            {"INSSIGONFI", "F"}};
}

// Rows 1 and 2 filled; the others carry only the claim's number.
inline std::vector<Row> fixtureRows(int count) {
    std::vector<Row> rows = {
        {{"ID", "12"}, {"DATEFROM", "20260105"}, {"DATETO", "20260105"}, {"POS", "11"}, {"CPTCODE", "92004"},
         {"CHARGE", "12.50"}, {"UNITS", "1"}},
        {{"ID", "12"}, {"DATEFROM", "20260106"}, {"CPTCODE", "v2020"}, {"MODIFIER", "rt"}, {"CHARGE", "-5.00"},
         {"UNITS", "2"}, {"LOCAL", "lens"}},
    };
    while (int(rows.size()) < count) rows.push_back({{"ID", "12"}});
    rows.resize(size_t(count));
    return rows;
}

class ClaimCompany : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        setFixedNow(EncodeDate(2026, 3, 9) + 0.5);
    }
    void TearDown() override {
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
        clearFixedNow();
    }
    // Writes the claim with Rows service rows and opens the company.
    void open(int Rows = 6) {
        CompanyFixture::AppendRows(company.DataDirectory(), "Ins.dbf", {fixtureClaim()});
        CompanyFixture::AppendRows(company.DataDirectory(), "InsDtl.dbf", fixtureRows(Rows));
        module = std::make_unique<TDataModule1>(nullptr, nullptr);
        DataModule1 = module.get();
        module->ChangeDataDirectory(company.DataDirectory());
        ASSERT_TRUE(module->InsTable->Active());
    }
    TDataSet* claim() const { return module->InsTable; }
    TDataSet* rows() const { return module->InsDetailTable; }
    std::string folder() const { return company.DataDirectory(); }

    TestCompany company;
    std::unique_ptr<TDataModule1> module;
};

// The lines of a file's bytes, each of which must end in CR LF.
inline std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF at byte " << start;
        if (end == std::string::npos) break;
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Width characters from 1-based Column of 1-based Line.
inline std::string at(const std::vector<std::string>& lines, int line, int column, int width) {
    const std::string& text = lines.at(size_t(line - 1));
    return size_t(column) > text.size() ? std::string() : text.substr(size_t(column - 1), size_t(width));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace ebill_test
