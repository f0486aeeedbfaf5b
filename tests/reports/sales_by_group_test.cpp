// Sales by Patient and Sales by Personnel on the shop fixture: the groups
// with their subtotals in the "Total" column, the total, a salesperson per
// page and the total's own last page, blank and unknown keys, an empty
// range, and the printed PDFs.
#include <gtest/gtest.h>

#include "reports/ReportRun.h"
#include "reports/SalesByPatient.h"
#include "reports/SalesByPersonnel.h"
#include "support/CompanyFixture.h"

namespace {

const std::vector<ReportStop> Columns = {{0.5, 1.4}, {2.0, 0.9}, {3.0, 2.4}, {5.5, 0.9, true}, {6.5, 1.0, true}};
const std::vector<ReportStop> PatientFooter = {{5.0, 1.9}, {6.5, 1.0, true}};
const std::vector<ReportStop> PersonnelTotal = {{3.0, 1.9}, {4.5, 1.0, true}};

// The lines under the column headings of a page, down to Thru.
Rows body(const ReportPages& pages, int Page, double Thru = 11) {
    double headings = 0;
    for (const ReportTextItem& item : pages.On(Page))
        if (item.Text == "Receipt") headings = item.Baseline;
    return Cells(pages, Columns, headings, Thru, Page);
}

class SalesByGroupTest : public ReportFormTest {};

}  // namespace

TEST_F(SalesByGroupTest, SalesByPatientGroupsTheReceiptsByPatientNumber) {
    const ReportPages pages = run<TSalesByPatient>("03/14/2024", "03/15/2024");
    ASSERT_EQ(pages.PageCount, 1);
    const ReportTextItem* total = pages.FindLast("Total");
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(body(pages, 1, total->Baseline - 0.01), (Rows{{"1", "1001", "Adams", "150.00", ""},
                                                          {"", "1003", "Adams", "55.00", "205.00"},
                                                          {"2", "1002", "Baker", "70.00", "70.00"}}));
    EXPECT_EQ(Cells(pages, PatientFooter, total->Baseline - 0.01, 11, 1), (Rows{{"Total", "275.00"}}));
    EXPECT_NE(pages.Find("Patient ID"), nullptr);
}

TEST_F(SalesByGroupTest, SalesByPersonnelPutsEachPersonOnAPageAndTheTotalAlone) {
    const ReportPages pages = run<TSalesByPersonnel>("03/14/2024", "03/15/2024");
    ASSERT_EQ(pages.PageCount, 3);
    EXPECT_EQ(body(pages, 1), (Rows{{"1  Ann", "", "", "", ""},
                                    {"", "1001", "Adams", "150.00", ""},
                                    {"", "1003", "Adams", "55.00", "205.00"}}));
    EXPECT_EQ(body(pages, 2), (Rows{{"2  Bob", "", "", "", ""}, {"", "1002", "Baker", "70.00", "70.00"}}));
    EXPECT_EQ(pages.Texts(3), (std::vector<std::string>{"Total Sales", "275.00"}));
    const ReportTextItem* total = pages.Find("Total Sales");
    EXPECT_NEAR(total->Size, 12, 0.1);
    EXPECT_EQ(Cells(pages, PersonnelTotal, 5.5, 11, 3), (Rows{{"Total Sales", "275.00"}}));
}

TEST_F(SalesByGroupTest, AnEmptyRangePrintsNoPhantomGroup) {
    const ReportPages patients = run<TSalesByPatient>("03/20/2024", "03/21/2024");
    EXPECT_EQ(patients.Find("<no id>"), nullptr);
    EXPECT_EQ(Cells(patients, PatientFooter, patients.FindLast("Total")->Baseline - 0.01, 11, 1),
              (Rows{{"Total", "0.00"}}));
    const ReportPages personnel = run<TSalesByPersonnel>("03/20/2024", "03/21/2024");
    EXPECT_EQ(personnel.Find("<no id>"), nullptr);
    EXPECT_EQ(personnel.Texts(personnel.PageCount), (std::vector<std::string>{"Total Sales", "0.00"}));
}

namespace {

// Receipt 1004 on 3/15 without a salesperson, 1005 by a person no longer on
// file, and 1006 of patient number 0.
class KeylessReceiptTest : public SalesByGroupTest {
protected:
    void addRows(const std::string& Dir) override {
        CompanyFixture::AppendRows(
            Dir, "Sales.dbf",
            {{{"RECEIPT", "1004"}, {"DATE", "20240315"}, {"NAME", "Walk-in"}, {"SUBTOTAL", "12.00"}},
             {{"RECEIPT", "1005"}, {"DATE", "20240315"}, {"PATID", "2"}, {"NAME", "Baker"}, {"EMPLY", "9"},
              {"SUBTOTAL", "8.00"}},
             {{"RECEIPT", "1006"}, {"DATE", "20240315"}, {"PATID", "0"}, {"NAME", "Zero"}, {"EMPLY", "1"},
              {"SUBTOTAL", "1.00"}}});
    }
};

}  // namespace

TEST_F(KeylessReceiptTest, BlankKeysGroupUnderNoIdAndUnknownPeopleByTheirId) {
    const ReportPages personnel = run<TSalesByPersonnel>("03/15/2024", "03/15/2024");
    ASSERT_EQ(personnel.PageCount, 4);
    EXPECT_EQ(body(personnel, 1), (Rows{{"<no id>", "", "", "", ""}, {"", "1004", "Walk-in", "12.00", "12.00"}}));
    EXPECT_EQ(body(personnel, 2).front(), (std::vector<std::string>{"1  Ann", "", "", "", ""}));
    EXPECT_EQ(body(personnel, 3), (Rows{{"9", "", "", "", ""}, {"", "1005", "Baker", "8.00", "8.00"}}));
    EXPECT_EQ(personnel.Texts(4), (std::vector<std::string>{"Total Sales", "76.00"}));

    const ReportPages patients = run<TSalesByPatient>("03/15/2024", "03/15/2024");
    const Rows rows = body(patients, 1, patients.FindLast("Total")->Baseline - 0.01);
    EXPECT_NE(std::find(rows.begin(), rows.end(), std::vector<std::string>{"0", "1006", "Zero", "1.00", "1.00"}),
              rows.end());
}

TEST_F(SalesByGroupTest, PrintedToPdf) {
    for (const char* name : {"sales_by_patient.pdf", "sales_by_personnel.pdf"}) {
        const std::string pdf = ReportOutputFile(name);
        TDateRangeForm* f = name[9] == 'p' && name[10] == 'a' ? static_cast<TDateRangeForm*>(open<TSalesByPatient>())
                                                                : open<TSalesByPersonnel>();
        f->FromKingDateDialog->SetText("03/14/2024");
        f->ThruKingDateDialog->SetText("03/15/2024");
        PrintReportToPdf([f] { f->BitBtn1->Click(); }, pdf);
        EXPECT_NE(PdfText(pdf).find("275.00"), std::string::npos) << name;
    }
}
