// Figures that the sales reports print must agree over one range of the
// shop fixture: the total of Sales by Item, the total sales of the sales
// tax report, the sum of the receipt lines, the totals of Sales by Patient,
// Sales by Personnel and Sales by Date; the "Sold by" runs add up to
// "<All Sales>", and the tax report's rate lines to its taxable sales.
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "base/Currency.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "base/Classes.h"
#include "reports/ReportForms.h"
#include "reports/SalesByDay.h"
#include "reports/SalesByItem.h"
#include "reports/SalesByPatient.h"
#include "reports/SalesByPersonnel.h"
#include "reports/SalesTax.h"

namespace {

const std::string From = "03/14/2024", Thru = "03/15/2024";

Currency amount(const std::string& Text) {
    std::string digits;
    for (char c : Text)
        if (c != ',' && c != ' ') digits += c;
    return digits.empty() ? Currency(0) : StrToCurr(digits);
}

// The figure right of the last Caption, on the stops Columns.
Currency figureBeside(const ReportPages& pages, const std::string& Caption, const std::vector<ReportStop>& Columns) {
    const ReportTextItem* item = pages.FindLast(Caption);
    if (!item) {
        ADD_FAILURE() << "no " << Caption;
        return Currency(0);
    }
    const Rows line = Cells(pages, Columns, item->Baseline - 0.01, item->Baseline, item->Page);
    return line.size() == 1 ? amount(line[0][1]) : Currency(0);
}

const std::vector<ReportStop> ItemTotal = {{6.0, 0.5}, {6.5, 1.5, true}};
const std::vector<ReportStop> TaxColumns = {{1.7, 2.4}, {3.7, 1.5, true}, {5.3, 1.5, true}};

class SalesInvariantTest : public ReportFormTest {
protected:
    Currency itemTotal(const std::string& SoldBy) {
        auto* f = open<TSalesByItemReport>();
        f->FromKingDateDialog->SetText(From);
        f->ThruKingDateDialog->SetText(Thru);
        f->SoldByComboBox->SetText(SoldBy);
        return figureBeside(CaptureReport([f] { f->BitBtn1->Click(); }), "Total", ItemTotal);
    }
    // Every receipt line of the fixture lies in the range.
    Currency lineAmounts() {
        TTable lines(nullptr);
        lines.SetDatabaseName(company.DataDirectory());
        lines.SetTableType(ttSXNSX);
        lines.SetTableName("SalesDtl.dbf");
        lines.Open();
        Currency sum;
        for (lines.First(); !lines.Eof(); lines.Next())
            sum += lines.FieldByName("AMOUNT")->AsCurrency();
        lines.Close();
        return sum;
    }
};

}  // namespace

TEST_F(SalesInvariantTest, EveryReportAgreesOnTheSalesOfTheRange) {
    const Currency allSales = itemTotal("<All Sales>");
    EXPECT_EQ(allSales, StrToCurr("275"));
    EXPECT_EQ(allSales, lineAmounts());

    const ReportPages tax = run<TSalesTaxReport>(From, Thru);
    EXPECT_EQ(figureBeside(tax, "Total Sales", TaxColumns), allSales);
    EXPECT_EQ(figureBeside(run<TSalesByPatient>(From, Thru), "Total", {{5.0, 1.9}, {6.5, 1.0, true}}), allSales);
    EXPECT_EQ(figureBeside(run<TSalesByPersonnel>(From, Thru), "Total Sales", {{3.0, 1.9}, {4.5, 1.0, true}}),
              allSales);
    EXPECT_EQ(figureBeside(run<TSalesByDayReport>(From, Thru), "Total", {{4.5, 1.9}, {6.5, 1.0, true}}), allSales);

    EXPECT_EQ(itemTotal("1    Ann") + itemTotal("2    Bob"), allSales);

    // The rate lines add up to the taxable sales and their tax.
    Currency slotSales, slotTax;
    Rows taxable;
    for (const auto& row : Cells(tax, TaxColumns, 2.1, 11, 1)) {
        if (row[0].rfind("Sales Taxed at ", 0) == 0 || row[0] == "Sales at Other Tax Rates") {
            slotSales += amount(row[1]);
            slotTax += amount(row[2]);
        }
        if (row[0] == "Total Taxable Sales" || row[0] == "Taxable Sales") taxable.push_back(row);
    }
    ASSERT_EQ(taxable.size(), 1u);
    EXPECT_EQ(slotSales, amount(taxable[0][1]));
    EXPECT_EQ(slotTax, amount(taxable[0][2]));
}

TEST_F(SalesInvariantTest, TheMenuFindsTheFormsByClassName) {
    registerReportForms();
    for (const char* name : {"TSalesByItemReport", "TSalesByItemSummaryReport", "TSalesTaxReport"})
        EXPECT_NE(GetClass(name), nullptr) << name;
}
