// Sales by Item, detail and summary, on the shop fixture: the type and
// category groups with their subtotals, the deleted item under "Other",
// the summary's one line per item, the "Sold by" choice, a second run of
// one form, the scratch table's life, and the printed PDFs.
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "SalesMix.h"
#include "base/SysUtils.h"
#include "support/CompanyFixture.h"
#include "os/Paths.h"
#include "reports/SalesByItem.h"
#include "reports/SalesByItemSummary.h"
#include "xbase/Qmtable.h"
#include "ui/DialogResponder.h"
#include "ui/OffscreenRender.h"

namespace {

const std::vector<ReportStop> DetailColumns = {{0.5, 1.4}, {2.0, 0.7}, {2.8, 0.6}, {3.5, 0.4},
                                               {4.0, 0.4}, {4.5, 1.4}, {6.0, 0.9, true}, {7.0, 1.0, true}};
const std::vector<ReportStop> SummaryColumns = {{0.5, 1.4}, {2.0, 0.9},       {3.0, 0.9},      {4.0, 0.4},
                                                {4.5, 1.4}, {6.0, 0.9, true}, {7.0, 1.0, true}};
const std::vector<ReportStop> TotalColumns = {{6.0, 0.5}, {6.5, 1.5, true}};

// The lines between the column headings and the "Total" line, every cell
// without its blanks, blank lines left out.
Rows body(const ReportPages& pages, const std::vector<ReportStop>& Columns) {
    const ReportTextItem* headings = pages.Find("Type/Category");
    const ReportTextItem* total = pages.FindLast("Total");
    if (!headings || !total) return {};
    Rows rows;
    for (std::vector<std::string> row : Cells(pages, Columns, headings->Baseline, total->Baseline - 0.01)) {
        bool blank = true;
        for (std::string& cell : row) {
            cell = Trim(cell);
            blank = blank && cell.empty();
        }
        if (!blank) rows.push_back(row);
    }
    return rows;
}

std::string total(const ReportPages& pages) {
    const ReportTextItem* total = pages.FindLast("Total");
    if (!total) return "";
    const Rows line = Cells(pages, TotalColumns, total->Baseline - 0.01, total->Baseline, total->Page);
    return line.size() == 1 ? line[0][1] : "";
}

class SalesByItemTest : public ReportFormTest {
protected:
    template <class Form>
    ReportPages runSoldBy(const std::string& SoldBy, const std::string& From = "03/14/2024",
                          const std::string& Thru = "03/15/2024") {
        Form* f = open<Form>();
        f->FromKingDateDialog->SetText(From);
        f->ThruKingDateDialog->SetText(Thru);
        f->SoldByComboBox->SetText(SoldBy);
        return CaptureReport([f] { f->BitBtn1->Click(); });
    }
};

}  // namespace

TEST_F(SalesByItemTest, DetailGroupsTheLinesByTypeAndCategory) {
    const ReportPages pages = run<TSalesByItemReport>("03/14/2024", "03/15/2024");
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_NE(pages.Find("Sales by Item - Detail"), nullptr);
    EXPECT_NE(pages.Find("<All Sales>"), nullptr);
    EXPECT_EQ(body(pages, DetailColumns),
              (Rows{{"Adjustment", "", "", "", "", "", "", ""},
                    {"", "ADJ", "1002", "1", "", "Adjustment", "-10.00", "-10.00"},
                    {"", "", "", "", "", "Adjustment", "Subtotal", "-10.00"},
                    {"Frames", "", "", "", "", "", "", ""},
                    {"Metal", "FR1", "1001", "1", "EA", "Metal frame", "100.00", "100.00"},
                    {"", "FR1", "1002", "1", "EA", "Metal frame", "80.00", "80.00"},
                    {"", "", "", "", "", "Metal", "Subtotal", "180.00"},
                    {"", "", "", "", "", "Frames", "Subtotal", "180.00"},
                    {"Lenses", "", "", "", "", "", "", ""},
                    {"Single", "LN1", "1001", "2", "PR", "Single vision", "25.00", "50.00"},
                    {"", "LN1", "1003", "1", "PR", "Single vision", "60.00", "60.00"},
                    {"", "", "", "", "", "Single", "Subtotal", "110.00"},
                    {"", "", "", "", "", "Lenses", "Subtotal", "110.00"},
                    {"Other", "", "", "", "", "", "", ""},
                    {"No Category", "ZZZ", "1003", "1", "", "Return", "-5.00", "-5.00"},
                    {"", "", "", "", "", "Other", "Subtotal", "-5.00"}}));
    EXPECT_EQ(total(pages), "275.00");
}

TEST_F(SalesByItemTest, SummaryShowsOneLinePerItemWithItsLastPrice) {
    const ReportPages pages = run<TSalesByItemSummaryReport>("03/14/2024", "03/15/2024");
    EXPECT_NE(pages.Find("Sales by Item - Summary"), nullptr);
    EXPECT_EQ(body(pages, SummaryColumns),
              (Rows{{"Adjustment", "", "", "", "", "", ""},
                    {"", "ADJ", "1", "", "Adjustment", "-10.00", "-10.00"},
                    {"", "", "", "", "Adjustment", "Subtotal", "-10.00"},
                    {"Frames", "", "", "", "", "", ""},
                    {"Metal", "FR1", "2", "EA", "Metal frame", "80.00", "180.00"},
                    {"", "", "", "", "Frames", "Subtotal", "180.00"},
                    {"Lenses", "", "", "", "", "", ""},
                    {"Single", "LN1", "3", "PR", "Single vision", "60.00", "110.00"},
                    {"", "", "", "", "Lenses", "Subtotal", "110.00"},
                    {"Other", "", "", "", "", "", ""},
                    {"No Category", "ZZZ", "1", "", "Return", "-5.00", "-5.00"},
                    {"", "", "", "", "Other", "Subtotal", "-5.00"}}));
    EXPECT_EQ(total(pages), "275.00");
}

TEST_F(SalesByItemTest, SoldByListsThePeopleAndLimitsTheRunToOne) {
    auto* form = open<TSalesByItemReport>();
    std::vector<std::string> entries;
    for (int i = 0; i < form->SoldByComboBox->Items()->Count(); ++i)
        entries.push_back(form->SoldByComboBox->Items()->Strings(i));
    EXPECT_EQ(entries, (std::vector<std::string>{"<All Sales>", "1    Ann", "2    Bob"}));
    EXPECT_EQ(form->SoldByComboBox->Text(), "<All Sales>");
    EXPECT_EQ(form->Height(), 216);
    renderToPng(form, ReportOutputFile("sales_by_item_form.png"));
    auto* summary = open<TSalesByItemSummaryReport>();  // the detail form closes
    EXPECT_EQ(summary->Caption(), "Sales by Item - Summary");
    renderToPng(summary, ReportOutputFile("sales_by_item_summary_form.png"));

    const ReportPages ann = runSoldBy<TSalesByItemReport>("1    Ann");
    EXPECT_NE(ann.Find("1    Ann"), nullptr);
    EXPECT_EQ(total(ann), "205.00");
    EXPECT_EQ(total(runSoldBy<TSalesByItemSummaryReport>("2    Bob")), "70.00");
}

TEST_F(SalesByItemTest, ATypedSoldByTextLimitsTheRunToItsFirstFourCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"2   whoever", "70.00"}, {"2", "0.00"}, {"\"2\"", "0.00"}, {"'\"", "0.00"}, {"Bob", "0.00"}};
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(total(runSoldBy<TSalesByItemReport>(typed)), expected) << typed;
}

TEST_F(SalesByItemTest, TheSharedPersonnelTableIsPutBackAsFound) {
    TTable& personnel = *module->PersonnelTable;
    personnel.SetIndexName("ID");
    personnel.Last();
    const std::string lastName = personnel.FieldByName("RECNAME")->AsString();
    open<TSalesByItemReport>();
    EXPECT_EQ(personnel.IndexName(), "ID");
    EXPECT_EQ(personnel.FieldByName("RECNAME")->AsString(), lastName);

    personnel.Close();
    auto* form = open<TSalesByItemSummaryReport>();
    EXPECT_EQ(form->SoldByComboBox->Items()->Count(), 3);
    EXPECT_FALSE(personnel.Active());
    EXPECT_EQ(personnel.IndexName(), "ID");
}

TEST_F(SalesByItemTest, ASecondRunOfOneFormStartsItsGroupsAfresh) {
    auto* form = open<TSalesByItemSummaryReport>();
    form->FromKingDateDialog->SetText("03/14/2024");
    form->ThruKingDateDialog->SetText("03/15/2024");
    const ReportPages first = CaptureReport([form] { form->BitBtn1->Click(); });
    form->SoldByComboBox->SetText("1    Ann");
    const ReportPages ann = CaptureReport([form] { form->BitBtn1->Click(); });
    form->SoldByComboBox->SetText("<All Sales>");
    const ReportPages again = CaptureReport([form] { form->BitBtn1->Click(); });
    EXPECT_EQ(body(again, SummaryColumns), body(first, SummaryColumns));
    EXPECT_EQ(total(again), "275.00");
    // Ann sold no adjustment: her report opens on her first type.
    EXPECT_EQ(body(ann, SummaryColumns).front(), (std::vector<std::string>{"Frames", "", "", "", "", "", ""}));
}

TEST_F(SalesByItemTest, EachFormHasItsOwnScratchTableRemovedOnClose) {
    auto* detail = CreateForm<TSalesByItemReport>(nullptr);
    TSalesByItemReport* summary = CreateForm<TSalesByItemSummaryReport>(nullptr);
    EXPECT_NE(detail->ScratchFileName(), summary->ScratchFileName());
    for (TSalesByItemReport* f : {detail, summary}) {
        f->FromKingDateDialog->SetText("03/14/2024");
        f->ThruKingDateDialog->SetText("03/15/2024");
        CaptureReport([f] { f->BitBtn1->Click(); });
    }
    const std::string detailFile = detail->ScratchFileName(), summaryFile = summary->ScratchFileName();
    EXPECT_TRUE(os::FileExists(detailFile));
    EXPECT_TRUE(os::FileExists(summaryFile));
    detail->Close();
    Application->ProcessMessages();
    EXPECT_FALSE(os::FileExists(detailFile));
    EXPECT_TRUE(os::FileExists(summaryFile));
    summary->Close();
    Application->ProcessMessages();
    EXPECT_FALSE(os::FileExists(summaryFile));
}

TEST_F(SalesByItemTest, AnEmptyRangePrintsHeadingsAndAZeroTotal) {
    const ReportPages pages = run<TSalesByItemReport>("03/01/2024", "03/02/2024");
    EXPECT_EQ(body(pages, DetailColumns), Rows{});
    EXPECT_EQ(total(pages), "0.00");
}

TEST_F(SalesByItemTest, AScratchFolderThatCannotBeWrittenStopsTheRun) {
    auto* form = open<TSalesByItemReport>();
    form->FromKingDateDialog->SetText("03/14/2024");
    form->ThruKingDateDialog->SetText("03/15/2024");
    // A file where the scratch table's folder should be.
    const std::string folder = os::TempFolder();
    ASSERT_EQ(system(("rm -rf '" + folder + "' && touch '" + folder + "'").c_str()), 0);
    TDialogScript script;
    script.Answer(mrOk);
    form->BitBtn1->Click();
    ASSERT_EQ(script.Shown().size(), 1u);  // the message, and no setup window
    EXPECT_EQ(script.Shown()[0].Text.substr(0, 15), "Create Failed! ");
    ASSERT_EQ(system(("rm -f '" + folder + "'").c_str()), 0);
    EXPECT_EQ(os::TempFolder(), folder);
}

namespace {

class MixedItemTest : public SalesByItemTest {
protected:
    void addRows(const std::string& Dir) override { SalesMix::AddMixedItems(Dir); }
};

}  // namespace

TEST_F(MixedItemTest, CategoriesGroupInsideTheirTypeWhateverTheItemNumbers) {
    const ReportPages pages = run<TSalesByItemReport>("03/22/2024", "03/22/2024");
    EXPECT_EQ(body(pages, DetailColumns),
              (Rows{{"Frames", "", "", "", "", "", "", ""},
                    {"Metal", "FR1", "4001", "1", "EA", "FR1 sold", "50.00", "50.00"},
                    {"", "FR3", "4001", "1", "EA", "FR3 sold", "20.00", "20.00"},
                    {"", "", "", "", "", "Metal", "Subtotal", "70.00"},
                    {"Plastic", "FR2", "4001", "2", "EA", "FR2 sold", "20.00", "30.00"},
                    {"", "", "", "", "", "Frames", "Subtotal", "100.00"}}));
    // Receipt 4001 has no salesperson: it counts in "<All Sales>" only.
    EXPECT_EQ(total(pages), "100.00");
    EXPECT_EQ(total(runSoldBy<TSalesByItemReport>("1    Ann", "03/22/2024", "03/22/2024")), "0.00");
}

TEST_F(MixedItemTest, ATypeNamedBlankIsOrdinary) {
    const ReportPages detail = run<TSalesByItemReport>("03/23/2024", "03/23/2024");
    const ReportPages summary = run<TSalesByItemSummaryReport>("03/23/2024", "03/23/2024");
    for (const auto& [pages, columns] : {std::pair{&detail, &DetailColumns}, std::pair{&summary, &SummaryColumns}}) {
        const Rows rows = body(*pages, *columns);
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[0][0], "blank");
        EXPECT_EQ(rows[1][0], "blank");
        EXPECT_EQ(total(*pages), "7.00");
    }
}

namespace {

// Seventy receipts of one FR1 line of 10.00 each, in January 2023.
class SeventyLinesTest : public SalesByItemTest {
protected:
    void addRows(const std::string& Dir) override {
        std::vector<CompanyFixture::Row> receipts, lines;
        for (int i = 0; i < 70; ++i) {
            const std::string number = std::to_string(5000 + i);
            receipts.push_back({{"RECEIPT", number}, {"DATE", "20230110"}, {"NAME", "Baker"}, {"EMPLY", "2"}});
            lines.push_back({{"RECEIPT", number}, {"ITEMNO", "FR1"}, {"DESC", "Metal frame"}, {"QTY", "1"},
                             {"PRICE", "10.00"}, {"AMOUNT", "10.00"}});
        }
        CompanyFixture::AppendRows(Dir, "Sales.dbf", receipts);
        CompanyFixture::AppendRows(Dir, "SalesDtl.dbf", lines);
    }
};

}  // namespace

TEST_F(SeventyLinesTest, LongReportsBreakIntoPagesWithTheirHeadings) {
    const ReportPages pages = run<TSalesByItemReport>("01/01/2023", "01/31/2023");
    ASSERT_GT(pages.PageCount, 1);
    int lines = 0;
    for (int page = 1; page <= pages.PageCount; ++page) {
        EXPECT_NE(pages.Find("Page " + std::to_string(page)), nullptr) << page;
        int headings = 0;
        for (const ReportTextItem& item : pages.On(page)) {
            if (item.Text == "Type/Category") ++headings;
            if (item.Text == "FR1") {
                ++lines;
                EXPECT_LT(item.Baseline, 10.5) << page;
            }
        }
        EXPECT_EQ(headings, 1) << page;
    }
    EXPECT_EQ(lines, 70);
    EXPECT_EQ(total(pages), "700.00");
}

TEST_F(SalesByItemTest, PrintedToPdf) {
    for (const bool detail : {true, false}) {
        const std::string pdf = ReportOutputFile(detail ? "sales_by_item.pdf" : "sales_by_item_summary.pdf");
        TSalesByItemReport* f = detail ? open<TSalesByItemReport>() : open<TSalesByItemSummaryReport>();
        f->FromKingDateDialog->SetText("03/14/2024");
        f->ThruKingDateDialog->SetText("03/15/2024");
        PrintReportToPdf([f] { f->BitBtn1->Click(); }, pdf);
        const std::string text = PdfText(pdf);
        EXPECT_NE(text.find("275.00"), std::string::npos) << pdf;
        EXPECT_NE(text.find("Sales by Item"), std::string::npos) << pdf;
    }
}
