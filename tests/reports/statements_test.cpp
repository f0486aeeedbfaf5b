// The monthly and carry-out statements on the shop fixture with the
// statement patients: who gets a page and in which order, the aging boxes
// of each page's own patient, the last ten receivable rows with the older
// rows carried in the balance, the stub's bill-to and letterhead, empty
// selections, the shared tables left as found, the entry points of the
// carry-out statement, and the figures that must agree across statements.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/AppUtils.h"
#include "app/FormOpener.h"
#include "app/LookupList.h"
#include "app/LookupListMembers.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "controls/Qmdbgrid.h"
#include "data/Fields.h"
#include "reports/ReportForms.h"
#include "reports/ReportTables.h"
#include "reports/StatementMonthly.h"
#include "reports/StatementWalkout.h"
#include "sales/PaymentForm.h"
#include "support/ReportPages.h"
#include "support/ShopFixture.h"
#include "support/StatementFixture.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/StdCtrls.h"
#include "ui/Forms.h"

#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;
using namespace StatementFixture;
using AppUtils::PadLeft;

const std::vector<ReportStop> RowStops = {{0.58, 1.4}, {2.0, 3.5}, {6.05, 0.9, true}, {7.05, 0.9, true}};

bool onPage(const ReportPages& Pages, int Page, const std::string& Text) {
    for (const ReportTextItem& item : Pages.On(Page))
        if (Trim(item.Text) == Text) return true;
    return false;
}

Currency amount(const std::string& Text) {
    std::string digits;
    for (char c : Text)
        if (c != ',') digits += c;
    return StrToCurr(digits);
}

// The statements as the menu and the statement buttons open them.
void openMonthly() {
    OpenForm(nullptr, {.ClassName = "TStatementMonthlyReport", .Caption = "&Monthly Statements", .Style = osHidden});
}
void openCarryOut() { OpenForm(nullptr, {.ClassName = "TStatementWalkoutReport", .Caption = "Statement", .Style = osHidden}); }

class StatementTest : public ShopTest {
protected:
    void SetUp() override {
        ShopTest::SetUp();
        registerReportForms();
    }
    void TearDown() override {
        Application->ProcessMessages();
        ShopTest::TearDown();
    }
    virtual std::vector<TStatementSet> sets() const { return {FxA(), FxL(), OddPatients()}; }
    void addRows(const std::string& Dir) override {
        for (const TStatementSet& set : sets()) Add(Dir, set);
    }
    void postRows(TDataModule1& Module) override {
        for (const TStatementSet& set : sets()) Post(Module, set);
    }

    ReportPages monthly() {
        return CaptureReport([] { openMonthly(); });
    }
    // The patient table put on the patient, then the carry-out statement.
    ReportPages carryOut(int PatientID) {
        standOn(PatientID);
        return CaptureReport([] { openCarryOut(); });
    }
    void standOn(int PatientID) {
        module->PatientTable->SetIndexName("ID");
        ASSERT_TRUE(module->Xbase1->Seek(PadLeft(std::to_string(PatientID), 10))) << PatientID;
    }
    std::string currentPatient() const { return Trim(module->PatientTable->FieldByName("ID")->AsString()); }
};

}  // namespace

TEST_F(StatementTest, EveryPatientWithABalanceGetsAPageInNameOrderWithItsOwnAging) {
    const ReportPages pages = monthly();
    // Baker and Evans owe nothing; Dunn's credit gets a statement.
    const std::vector<std::string> names = {"Adams", "Bartholomew Fairweather-Smythe", "Carter", "Dunn", "Long"};
    ASSERT_EQ(pages.PageCount, static_cast<int>(names.size()));
    const std::vector<std::vector<std::string>> boxes = {
        {"94.35", "0.00", "0.00", "0.00", "0.00", "94.35"},
        {"5.00", "0.00", "0.00", "0.00", "0.00", "5.00"},
        {"30.00", "30.00", "40.00", "0.00", "50.00", "150.00"},
        {"0.00", "-12.50", "0.00", "0.00", "0.00", "-12.50"},
        {"0.00", "0.00", "450.00", "0.00", "0.00", "450.00"}};
    for (int page = 1; page <= pages.PageCount; ++page) {
        SCOPED_TRACE(names[page - 1]);
        // The patient block of the stub and of the lower part.
        EXPECT_EQ(pages.LineAt(page, 2.1).back(), names[page - 1]);
        EXPECT_EQ(pages.LineAt(page, 10.3), boxes[page - 1]);
        EXPECT_EQ(pages.LineAt(page, 10.04),
                  (std::vector<std::string>{"Current", "Past Due", "Past Due", "Past Due", "Past Due", "Total Due"}));
    }
    // FX-A's statement date and account number, on the stub and below the tear line.
    EXPECT_EQ(pages.LineAt(3, 1.15), (std::vector<std::string>{"3/15/2024", "3"}));
    EXPECT_EQ(pages.LineAt(3, 4.65), (std::vector<std::string>{"3/15/2024", "3"}));
}

TEST_F(StatementTest, TheStubIsBilledToTheBillToPartyOrElseThePatient) {
    const ReportPages pages = monthly();
    // Carter is billed to Carter Holdings, at the top of the stub and under "Bill to".
    EXPECT_EQ(pages.LineAt(3, 0.7).front(), "Carter Holdings");
    EXPECT_EQ(pages.LineAt(3, 6.1).front(), "Carter Holdings");
    EXPECT_EQ(pages.LineAt(3, 6.1).back(), "Carter");
    // Dunn has no bill-to and no address: the patient's own lines.
    EXPECT_EQ(pages.LineAt(4, 0.7).front(), "Dunn");
    EXPECT_EQ(pages.LineAt(4, 6.1), (std::vector<std::string>{"Dunn", "Dunn"}));
    EXPECT_FALSE(onPage(pages, 4, ",")) << "no lone comma for an empty address";
    // A 30-character name prints whole.
    EXPECT_TRUE(onPage(pages, 2, "Bartholomew Fairweather-Smythe"));
    EXPECT_TRUE(onPage(pages, 2, "Urbana,  61801"));
}

TEST_F(StatementTest, OnlyTheLastTenRowsPrintAndTheFirstBalanceCarriesTheOlderRows) {
    const ReportPages pages = monthly();
    const Rows rows = Cells(pages, RowStops, 7.3, 9.6, 5);
    ASSERT_EQ(rows.size(), 10u);
    // Rows 5 to 14: receipts 5-10, then the four payments.
    EXPECT_EQ(rows[0][2], "50.00");
    EXPECT_EQ(rows[0][3], "150.00");
    EXPECT_EQ(rows[5][2], "100.00");
    EXPECT_EQ(rows[5][3], "550.00");
    EXPECT_EQ(rows[6][2], "-25.00");
    EXPECT_EQ(rows.back()[3], "450.00");
    EXPECT_NE(rows[0][1].find("2305"), std::string::npos) << rows[0][1];
    // The statement's last balance is the patient's balance.
    EXPECT_EQ(amount(rows.back()[3]), StrToCurr("450.00"));
}

TEST_F(StatementTest, ThePagesOfTheFrameAreWhereTheLayoutPutsThem) {
    const ReportPages pages = monthly();
    // The dashed tear-off line across the page at 3.5 with its two notices.
    const auto tear = std::find_if(pages.Rules.begin(), pages.Rules.end(), [](const ReportRule& r) {
        return r.Page == 1 && !r.Rectangle && std::abs(r.Y1 - 3.5) < 1e-6 && std::abs(r.Y2 - 3.5) < 1e-6;
    });
    ASSERT_NE(tear, pages.Rules.end());
    EXPECT_DOUBLE_EQ(tear->X1, 0.5);
    EXPECT_DOUBLE_EQ(tear->X2, 8.0);
    const ReportTextItem* cut = pages.Find(
        "Cut or score and tear off this part of the statement and return it with your payment.");
    ASSERT_NE(cut, nullptr);
    EXPECT_TRUE(cut->Italic);
    EXPECT_NEAR((cut->Left + cut->Right) / 2, 4.25, 0.01);
    EXPECT_NEAR(cut->Baseline, 3.45, 0.01);
    const ReportTextItem* title = pages.Find("STATEMENT");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->Bold);
    EXPECT_NEAR(title->Size, 14, 0.1);
    // The column rules of the transaction table and the aging boxes.
    for (double x : {1.5, 6.0, 7.0, 3.0, 4.0, 5.0})
        EXPECT_TRUE(std::any_of(pages.Rules.begin(), pages.Rules.end(), [x](const ReportRule& r) {
            return r.Page == 1 && !r.Rectangle && std::abs(r.X1 - x) < 1e-6 && std::abs(r.X2 - x) < 1e-6;
        })) << x;
}

TEST_F(StatementTest, TheRunPutsThePatientAndSalesTablesBack) {
    TDataModule1& m = *module;
    m.PatientTable->SetIndexName("ID");
    m.Xbase1->SetScope(PadLeft("3", 10), PadLeft("9", 10));
    ASSERT_TRUE(m.Xbase1->Seek(PadLeft("6", 10)));
    m.SalesTable->SetIndexName("Receipt");
    ASSERT_TRUE(m.SalesXbase->Seek(PadLeft("1003", 10)));

    monthly();
    Application->ProcessMessages();
    EXPECT_EQ(m.PatientTable->IndexName(), "ID");
    EXPECT_EQ(currentPatient(), "6");
    std::string low, high;
    m.Xbase1->GetScope(XB_SCOPE_LOW, low);
    m.Xbase1->GetScope(XB_SCOPE_HIGH, high);
    EXPECT_EQ(low, PadLeft("3", 10));
    EXPECT_EQ(high, PadLeft("9", 10));
    EXPECT_EQ(m.SalesTable->IndexName(), "Receipt");
    EXPECT_EQ(Trim(m.SalesTable->FieldByName("RECEIPT")->AsString()), "1003");

    m.Xbase1->SetScope("", "");
    standOn(3);
    carryOut(3);
    EXPECT_EQ(currentPatient(), "3");
    EXPECT_EQ(m.PatientTable->IndexName(), "ID");
    EXPECT_EQ(m.SalesTable->IndexName(), "Receipt");
}

TEST_F(StatementTest, NobodyWithABalanceGetsAMessageAndNoRun) {
    // Every balance is settled.
    TTable* patients = module->PatientTable;
    for (patients->First(); !patients->Eof(); patients->Next()) {
        patients->Edit();
        patients->FieldByName("BALANCE")->SetAsFloat(0);
        patients->Post();
    }
    TDialogScript script;
    script.Answer(mrOk);
    openMonthly();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Kind, TDialogKind::ShowMessage);
    EXPECT_EQ(script.Shown()[0].Text, NoStatementsToPrint);
}

TEST_F(StatementTest, TheCarryOutStatementIsThePatientsWhateverTheBalance) {
    const ReportPages carter = carryOut(3);
    ASSERT_EQ(carter.PageCount, 1);
    EXPECT_EQ(carter.LineAt(1, 4.8), (std::vector<std::string>{"30.00", "30.00", "40.00", "0.00", "50.00", "150.00"}));
    const std::vector<std::string> dateLine = carter.LineAt(1, 1.15);
    EXPECT_EQ(std::vector<std::string>(dateLine.end() - 2, dateLine.end()),
              (std::vector<std::string>{"3/15/2024", "3"}));
    EXPECT_EQ(carter.LineAt(1, 0.9).front(), "Carter");
    EXPECT_FALSE(onPage(carter, 1, "Page 1"));
    const Rows rows = Cells(carter, RowStops, 1.8, 4.1, 1);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.back()[3], "150.00");

    // Evans paid everything: all boxes 0.00, the receipt and its payment listed.
    const ReportPages evans = carryOut(8);
    EXPECT_EQ(evans.LineAt(1, 4.8), (std::vector<std::string>{"0.00", "0.00", "0.00", "0.00", "0.00", "0.00"}));
    const Rows paid = Cells(evans, RowStops, 1.8, 4.1, 1);
    ASSERT_EQ(paid.size(), 2u);
    EXPECT_EQ(paid[1][2], "-20.00");
    EXPECT_EQ(paid[1][3], "0");
}

// A patient without receipts, and a record without a patient number.
class BarePatientTest : public StatementTest {
protected:
    void addRows(const std::string& Dir) override {
        StatementTest::addRows(Dir);
        CompanyFixture::AppendRows(Dir, "Patient.dbf",
                                   {{{"ID", "40"}, {"RECNAME", "GRAY"}, {"NAME", "Gray"}, {"BALANCE", "0"}}});
    }
};

TEST_F(BarePatientTest, APatientWithoutReceivableRowsGetsNoTransactionLine) {
    const ReportPages pages = carryOut(40);
    EXPECT_TRUE(Cells(pages, RowStops, 1.8, 4.1, 1).empty());
    EXPECT_EQ(pages.LineAt(1, 4.8), (std::vector<std::string>{"0.00", "0.00", "0.00", "0.00", "0.00", "0.00"}));
}

TEST_F(BarePatientTest, APatientRecordWithoutAnIDPrintsNoCarryOutStatement) {
    // Gray's number cleared behind the shared table's back.
    {
        TTable* table = nullptr;
        TDataSource* source = nullptr;
        TXbase* engine = nullptr;
        TComponent owner(nullptr);
        makeCompanyTable(&owner, table, source, engine, "PATIENT.DBF", "RecName");
        table->Open();
        ASSERT_TRUE(engine->Seek("GRAY"));
        table->Edit();
        table->FieldByName("ID")->Clear();
        table->Post();
        table->Close();
    }
    module->PatientTable->SetIndexName("RecName");
    ASSERT_TRUE(module->Xbase1->Seek("GRAY"));
    module->PatientTable->Refresh();
    ASSERT_EQ(module->PatientTable->FieldByName("ID")->AsInteger(), 0);
    TDialogScript script;  // any dialog would find the script empty and fail
    openCarryOut();
    EXPECT_TRUE(script.Shown().empty());
}

TEST_F(StatementTest, TheCarryOutListPrintsByButtonEnterAndDoubleClick) {
    registerLookupLists();
    auto* list = dynamic_cast<TLookupListForm*>(OpenForm(nullptr, {.ClassName = "TCarryOutStatementLookupList", .Caption = "&Carry-Out Statement"}));
    ASSERT_NE(list, nullptr);
    list->Edit1->SetText("CARTER");
    ASSERT_EQ(currentPatient(), "3");
    const std::vector<std::function<void()>> ways = {
        [list] { list->BitBtn1->Click(); },
        [list] {
            Word key = VK_RETURN;
            list->qmDBGrid1KeyDown(list, key, {});
        },
        [list] { list->qmDBGrid1DblClick(list); }};
    for (const auto& way : ways) {
        const ReportPages pages = CaptureReport(way);
        ASSERT_EQ(pages.PageCount, 1);
        EXPECT_EQ(pages.LineAt(1, 4.8).back(), "150.00");
        Application->ProcessMessages();
    }
    delete list;
}

TEST_F(StatementTest, ThePaymentFormsStatementButtonPrintsThePaymentsPatient) {
    auto form = std::make_unique<TPaymentForm>(nullptr);
    module->Temp3Table->Edit();
    module->Temp3Table->FieldByName("PATID")->SetAsString("6");
    module->Temp3Table->Post();
    const ReportPages pages = CaptureReport([&] { form->StatementBtn->Click(); });
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_EQ(pages.LineAt(1, 0.9).front(), "Long");
    EXPECT_EQ(pages.LineAt(1, 4.8).back(), "450.00");
    form.reset();
    Application->ProcessMessages();
}

TEST_F(StatementTest, TheLetterheadComesFromCompanyIniAndIsEmptyWithoutIt) {
    const std::string ini = module->DataDirectory + "/Company.ini";
    {
        std::ofstream out(ini);
        out << "[Receipt]\nReceiptName=Clear View Optical\nReceiptAddress1=1 Lens Way\nReceiptCity=Peoria\n"
               "ReceiptState=IL\nReceiptZip=61602\nReceiptPhone=(309) 555-0100\n";
    }
    const ReportPages withIni = carryOut(3);
    const ReportTextItem* name = withIni.Find("Clear View Optical");
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->Bold);
    EXPECT_NEAR((name->Left + name->Right) / 2, 4.25, 0.01);
    EXPECT_NE(withIni.Find("Peoria, IL 61602"), nullptr);
    EXPECT_NE(withIni.Find("(309) 555-0100"), nullptr);

    // A Company.ini that cannot be read as a file: the letterhead is empty, the statement prints.
    std::filesystem::remove(ini);
    std::filesystem::create_directory(ini);
    const ReportPages unreadable = carryOut(3);
    EXPECT_EQ(unreadable.PageCount, 1);
    EXPECT_EQ(unreadable.Find("Clear View Optical"), nullptr);
    EXPECT_FALSE(onPage(unreadable, 1, ","));
    EXPECT_EQ(unreadable.LineAt(1, 4.8).back(), "150.00");
}

// The invariants of the books: each statement ends on the patient's
// balance; the Total Due of every patient's carry-out statement adds up to
// the receipts' open balances and to Accounts Receivable.
TEST_F(StatementTest, StatementsAgreeWithBalancesReceiptsAndReceivables) {
    TDataModule1& m = *module;
    std::vector<std::pair<int, Currency>> patients;
    for (m.PatientTable->First(); !m.PatientTable->Eof(); m.PatientTable->Next())
        patients.push_back({m.PatientTable->FieldByName("ID")->AsInteger(),
                            m.PatientTable->FieldByName("BALANCE")->AsCurrency()});
    Currency totalDue;
    for (const auto& [id, balance] : patients) {
        SCOPED_TRACE(id);
        const ReportPages pages = carryOut(id);
        ASSERT_EQ(pages.PageCount, 1);
        totalDue += amount(pages.LineAt(1, 4.8).back());
        const Rows rows = Cells(pages, RowStops, 1.8, 4.1, 1);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(amount(rows.back()[3]), balance);
    }
    Currency receipts;
    for (m.SalesTable->First(); !m.SalesTable->Eof(); m.SalesTable->Next())
        receipts += m.SalesTable->FieldByName("BALANCE")->AsCurrency();
    m.AccountTable->First();
    Currency receivable;
    for (; !m.AccountTable->Eof(); m.AccountTable->Next())
        if (m.AccountTable->FieldByName("ID")->AsInteger() == 4)
            receivable = m.AccountTable->FieldByName("BALANCE")->AsCurrency();
    EXPECT_EQ(totalDue, receipts);
    EXPECT_EQ(totalDue, receivable);
}

// FX-B: one patient per receipt of 1.00, its statement's box by days
// overdue; FX-A2's receipts 10 and 35 days overdue.
class AgingEdgeTest : public StatementTest {
protected:
    std::vector<TStatementSet> sets() const override { return {FxB(), FxA2()}; }
};

TEST_F(AgingEdgeTest, EachDaysOverdueLandsInItsBucketOnItsOwnPage) {
    const ReportPages pages = monthly();
    const struct {
        int Days;
        int Box;  // 0 current ... 4 over 90
    } cases[] = {{-1, 0}, {0, 0}, {1, 1}, {30, 1}, {31, 2}, {60, 2}, {61, 3}, {90, 3}, {91, 4}};
    // Adams (94.35) comes first; "B 1" to "B 9" follow in name order, then Fisher.
    ASSERT_EQ(pages.PageCount, 11);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(cases[i].Days);
        const int page = i + 2;
        EXPECT_EQ(pages.LineAt(page, 2.1).back(), "B " + std::to_string(i + 1));
        std::vector<std::string> expected(6, "0.00");
        expected[cases[i].Box] = "1.00";
        expected[5] = "1.00";
        EXPECT_EQ(pages.LineAt(page, 10.3), expected);
    }
    EXPECT_EQ(pages.LineAt(11, 2.1).back(), "Fisher");
    EXPECT_EQ(pages.LineAt(11, 10.3), (std::vector<std::string>{"0.00", "30.00", "40.00", "0.00", "0.00", "70.00"}));
}

// Balances at the field's limit print whole.
class FieldLimitTest : public StatementTest {
protected:
    std::vector<TStatementSet> sets() const override { return {FieldLimit()}; }
};

TEST_F(FieldLimitTest, TheLargestBalancePrintsWhole) {
    const ReportPages pages = carryOut(10);
    EXPECT_EQ(pages.LineAt(1, 4.8), (std::vector<std::string>{"9,999,999.99", "0.00", "0.00", "0.00", "0.00",
                                                                "9,999,999.99"}));
    const Rows rows = Cells(pages, RowStops, 1.8, 4.1, 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], "9,999,999.99");
    EXPECT_EQ(rows[0][3], "9,999,999.99");
}

// Printed once to the PDF printer: page n's boxes are page n's patient's.
TEST_F(StatementTest, PrintedStatementsCarryEachPatientsTotalOnItsPage) {
    const std::string pdf = ReportOutputFile("monthly-statements.pdf");
    PrintReportToPdf([] { openMonthly(); }, pdf);
    const std::string text = PdfText(pdf);
    std::vector<std::string> pageTexts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find('\f', from)) != std::string::npos; from = at + 1)
        pageTexts.push_back(text.substr(from, at - from));
    ASSERT_EQ(pageTexts.size(), 5u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Adams", "94.35"}, {"Bartholomew Fairweather-Smythe", "5.00"}, {"Carter", "150.00"},
        {"Dunn", "-12.50"}, {"Long", "450.00"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NE(pageTexts[i].find(expected[i].first), std::string::npos) << i;
        // The Total Due closes the page's last line.
        const std::string page = pageTexts[i].substr(0, pageTexts[i].find_last_not_of(" \n") + 1);
        EXPECT_EQ(page.substr(page.size() - expected[i].second.size()), expected[i].second) << page;
    }
    const std::string walkout = ReportOutputFile("carry-out-statement.pdf");
    standOn(6);
    PrintReportToPdf([] { openCarryOut(); }, walkout);
    EXPECT_NE(PdfText(walkout).find("450.00"), std::string::npos);
}
