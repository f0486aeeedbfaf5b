#pragma once
// The shop fixture of the report tests: a small company whose documents
// were written into the real tables and posted through the program's one
// posting service, so the books checker passes on it. The clock stands at
// Friday 15 March 2024, 10:07 a.m.
//
// Items FR1 (Frames/Metal, "EA"), LN1 (Lenses/Single, "PR") and ADJ (type
// "Adjustment"); personnel 1 Ann, 2 Bob; patients 1 Adams, 2 Baker.
// Receipts: 1001 (3/14/2024, Adams, Ann) FR1 100.00 taxed + LN1 2 x 25.00,
// 5 %: 150.00 + 5.00; 1002 (3/14, Baker, Bob) FR1 80.00 taxed + ADJ -10.00,
// 5 %: 70.00 + 4.00; 1003 (3/15, Adams, Ann) LN1 60.00 taxed + "ZZZ" (no
// item) qty 0 -5.00, 7.25 %: 55.00 + 4.35. On 3/15: payment 1 CASH 100.00
// on 1001, 2 CHECK 74.00 on 1002, 3 "Charge" 20.00 on 1003, and deposit 1
// of all three (currency 100.00, checks 74.00, charges 20.00).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/DataModule.h"
#include "support/CompanyFixture.h"

namespace ShopFixture {

// Friday 15 March 2024, 10:07 a.m.
double FixtureNow();
// The fixture's rows, written straight into the company's tables.
void AddDocuments(const std::string& DataDirectory);
// The ledger rows and account balances of the documents, through the posting service.
void PostDocuments(TDataModule1& Module);

}  // namespace ShopFixture

// A data module open on the shop fixture, with the clock fixed.
class ShopTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Rows a test adds to the fixture's tables before the module opens them.
    virtual void addRows(const std::string& /*DataDirectory*/) {}
    // Ledger rows a test posts once the module is open, after the fixture's own.
    virtual void postRows(TDataModule1& /*Module*/) {}

    TestCompany company;
    std::unique_ptr<TDataModule1> module;
};
