// The end-of-day dialog on the shop fixture: the figures of the day it
// opens on, another day taken from the date box (and a half-typed or
// impossible date), the drawers' discrepancies with the tender rules as one
// table, drawer boxes that are no numbers, the trial-balance check, the
// dialog's picture and its page printed to the PDF printer.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <map>
#include <sstream>

#include "ReportRun.h"
#include "reporting/RSDevice.h"
#include "reports/EndOfDayRpt.h"
#include "reports/TransactionByDate.h"
#include "support/PageImages.h"
#include "ui/DialogResponder.h"
#include "ui/OffscreenRender.h"
#include "ui/PrinterDrivers.h"

namespace {

class EndOfDayTest : public ShopTest {
protected:
    void TearDown() override {
        if (form) form->Close();
        Application->ProcessMessages();
        ShopTest::TearDown();
    }
    TEndOfDayReportDlg* open() {
        form = CreateForm<TEndOfDayReportDlg>(nullptr);
        form->Show();
        Application->ProcessMessages();
        return form;
    }
    // The grid as text, row by row: cash, check, charge, total.
    std::vector<std::vector<std::string>> grid() const {
        std::vector<std::vector<std::string>> rows;
        const TEndOfDayReportDlg& f = *form;
        for (auto boxes : {std::array{f.OpenDrawerCashEdit, f.OpenDrawerCheckEdit, f.OpenDrawerChargeEdit,
                                      f.OpenDrawerTotalEdit},
                           std::array{f.PaymentsReceivedCashEdit, f.PaymentsReceivedCheckEdit,
                                      f.PaymentsReceivedChargeEdit, f.PaymentsReceivedTotalEdit},
                           std::array{f.DepositsCashEdit, f.DepositsCheckEdit, f.DepositsChargeEdit,
                                      f.DepositsTotalEdit},
                           std::array{f.CloseDrawerCashEdit, f.CloseDrawerCheckEdit, f.CloseDrawerChargeEdit,
                                      f.CloseDrawerTotalEdit},
                           std::array{f.DiscrepancyCashEdit, f.DiscrepancyCheckEdit, f.DiscrepancyChargeEdit,
                                      f.DiscrepancyTotalEdit}}) {
            std::vector<std::string> row;
            for (TMemo* box : boxes)
                row.push_back(box->Text());
            rows.push_back(row);
        }
        return rows;
    }
    // A drawer count typed and the box left.
    void type(TMemo* Box, const std::string& Text) {
        Box->SetText(Text);
        form->OpenDrawerCashEditExit(Box);
    }
    TEndOfDayReportDlg* form = nullptr;
};

using Grid = std::vector<std::vector<std::string>>;

}  // namespace

TEST_F(EndOfDayTest, OpensOnTodaysFiguresAndBalancesWithEqualDrawerCounts) {
    open();
    EXPECT_EQ(form->EndOfDayDateDialog->Text(), DateToStr(EncodeDate(2024, 3, 15)));
    EXPECT_EQ(form->KingPopup1->PopupDate(), EncodeDate(2024, 3, 15));
    EXPECT_EQ(form->ActiveControl(), form->EndOfDayDateDialog);
    EXPECT_EQ(form->TrialBalanceLabel->Caption(), "Trial Balance: OK");
    EXPECT_EQ(form->TodaysSalesEdit->Text(), "55.00") << "the subtotal, before tax";
    EXPECT_TRUE(form->TodaysSalesEdit->ReadOnly());
    EXPECT_EQ(grid(), (Grid{{"0.00", "0.00", "0.00", "0.00"},
                            {"100.00", "74.00", "20.00", "194.00"},
                            {"100.00", "74.00", "20.00", "194.00"},
                            {"0.00", "0.00", "0.00", "0.00"},
                            {"0.00", "0.00", "0.00", "0.00"}}));
    type(form->OpenDrawerCashEdit, "50");
    type(form->CloseDrawerCashEdit, " 50.00 ");
    type(form->OpenDrawerCheckEdit, "12.5");
    type(form->CloseDrawerCheckEdit, "12.50");
    EXPECT_EQ(grid()[0], (std::vector<std::string>{"50.00", "12.50", "0.00", "62.50"}));
    EXPECT_EQ(grid()[3], (std::vector<std::string>{"50.00", "12.50", "0.00", "62.50"}));
    EXPECT_EQ(grid()[4], (std::vector<std::string>{"0.00", "0.00", "0.00", "0.00"}));
    // Only the six drawer counts can be typed in, and only they take the Tab key.
    for (TMemo* box : {form->PaymentsReceivedCashEdit, form->DepositsTotalEdit, form->DiscrepancyCashEdit,
                       form->OpenDrawerTotalEdit, form->TodaysSalesEdit}) {
        EXPECT_TRUE(box->ReadOnly());
        EXPECT_FALSE(box->TabStop());
    }
    EXPECT_FALSE(form->CloseDrawerChargeEdit->ReadOnly());
    EXPECT_TRUE(form->CloseDrawerChargeEdit->TabStop());
    EXPECT_FALSE(form->BitBtn2->Visible());
}

TEST_F(EndOfDayTest, AnotherDayResetsTheDrawersAndOnlyAWholeDateIsTaken) {
    open();
    type(form->OpenDrawerCashEdit, "80");
    // Half typed: nothing changes yet.
    form->EndOfDayDateDialog->SetText("3/14/20");
    EXPECT_EQ(form->TodaysSalesEdit->Text(), "55.00");
    EXPECT_EQ(form->OpenDrawerCashEdit->Text(), "80.00");
    // Enter takes the typed date and writes it in the short date format.
    form->EndOfDayDateDialog->SetText("3/14/2024");
    char enter = VK_RETURN;
    form->EndOfDayDateDialogKeyPress(form->EndOfDayDateDialog, enter);
    EXPECT_EQ(form->EndOfDayDateDialog->Text(), DateToStr(EncodeDate(2024, 3, 14)));
    EXPECT_EQ(form->KingPopup1->PopupDate(), EncodeDate(2024, 3, 14));
    EXPECT_EQ(form->TodaysSalesEdit->Text(), "220.00");
    EXPECT_EQ(grid(), (Grid(5, {"0.00", "0.00", "0.00", "0.00"})));
    // The calendar's pick is a whole date: taken at once.
    type(form->CloseDrawerCashEdit, "3");
    form->EndOfDayDateDialog->SetText(DateToStr(EncodeDate(2024, 3, 16)));
    EXPECT_EQ(form->TodaysSalesEdit->Text(), "0.00");
    EXPECT_EQ(form->CloseDrawerCashEdit->Text(), "0.00");
    // The same day again keeps the counts.
    type(form->CloseDrawerCashEdit, "3");
    form->EndOfDayDateDialogExit(form->EndOfDayDateDialog);
    EXPECT_EQ(form->CloseDrawerCashEdit->Text(), "3.00");
    // No such day: the conversion error, and the figures stay.
    form->EndOfDayDateDialog->SetText("2/30/2024");
    EXPECT_THROW(form->EndOfDayDateDialogKeyPress(form->EndOfDayDateDialog, enter = VK_RETURN), EConvertError);
    EXPECT_EQ(form->ShownDate(), EncodeDate(2024, 3, 16));
    EXPECT_EQ(form->CloseDrawerCashEdit->Text(), "3.00");
}

namespace {

// A day of its own, 3/20/2024: payments under every kind of tender and a
// deposit with coins.
class TenderTest : public EndOfDayTest {
protected:
    struct TPayment {
        const char* PaidWith;
        const char* Amount;
        const char* CreditApplied;
    };
    static constexpr TPayment Payments[] = {
        {"Cash", "150.00", "0"},    // any letter case
        {"CASH", "130.00", "30.00"},  // 100.00 received, 30.00 of credit applied
        {"CREDIT", "33.00", "0"},   // no tender of the drawer: counted nowhere
        {"check", "40.00", "0"},    {"Charge", "25.00", "0"}, {"CHARGE", "-5.00", "0"},  // a refund
    };
    void addRows(const std::string& Dir) override {
        std::vector<CompanyFixture::Row> rows;
        int id = 10;
        for (const TPayment& p : Payments)
            rows.push_back({{"ID", std::to_string(id++)}, {"DATE", "20240320"}, {"PATID", "1"}, {"NAME", "Adams"},
                            {"PAIDWITH", p.PaidWith}, {"AMOUNT", p.Amount}, {"TOTALPAID", p.CreditApplied}});
        CompanyFixture::AppendRows(Dir, "Pymt.dbf", rows);
        CompanyFixture::AppendRows(Dir, "Deposit.dbf",
                                   {{{"ID", "10"}, {"TYPE", "1"}, {"DATE", "20240320"}, {"CURRENCY", "180.00"},
                                     {"COINS", "20.00"}, {"CHECKS", "40.00"}, {"CHARGES", "20.00"},
                                     {"TOTAL", "260.00"}}});
    }
};

}  // namespace

TEST_F(TenderTest, PaymentsByTenderDepositsWithCoinsAndTheDrawersDiscrepancy) {
    open();
    form->EndOfDayDateDialog->SetText(DateToStr(EncodeDate(2024, 3, 20)));
    type(form->OpenDrawerCashEdit, "100");
    type(form->CloseDrawerCashEdit, "149");
    EXPECT_EQ(grid(), (Grid{{"100.00", "0.00", "0.00", "100.00"},
                            {"250.00", "40.00", "20.00", "310.00"},
                            {"200.00", "40.00", "20.00", "260.00"},
                            {"149.00", "0.00", "0.00", "149.00"},
                            {"1.00", "0.00", "0.00", "1.00"}}));
}

TEST_F(EndOfDayTest, ADrawerCountThatIsNoNumberKeepsItsTextAndTheTotals) {
    open();
    type(form->OpenDrawerCashEdit, "10");
    const Grid before = grid();
    for (const char* text : {"abc", "1,000.00", "1.2.3"}) {
        form->OpenDrawerCashEdit->SetText(text);
        try {
            form->OpenDrawerCashEditExit(form->OpenDrawerCashEdit);
            ADD_FAILURE() << text << " was taken";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid floating point value");
        }
        EXPECT_EQ(form->OpenDrawerCashEdit->Text(), text);
        EXPECT_EQ(form->OpenDrawerTotalEdit->Text(), before[0][3]) << text;
        EXPECT_EQ(form->DiscrepancyCashEdit->Text(), before[4][0]) << text;
    }
    type(form->OpenDrawerCashEdit, "-5");
    EXPECT_EQ(grid()[0], (std::vector<std::string>{"-5.00", "0.00", "0.00", "-5.00"}));
    EXPECT_EQ(grid()[4][0], "-5.00");
}

TEST_F(EndOfDayTest, EnteringABoxSelectsItsTextAndLeavingItShowsTheConversionMessage) {
    open();
    form->OpenDrawerCashEdit->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(form->OpenDrawerCashEdit->SelText(), "0.00") << "entering a box selects its text";
    form->OpenDrawerCashEdit->SetText("abc");
    TDialogScript script;
    script.Answer(mrOk);
    form->CloseDrawerCashEdit->SetFocus();
    Application->ProcessMessages();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "'abc' is not a valid floating point value.");
    EXPECT_EQ(form->OpenDrawerCashEdit->Text(), "abc");
}

namespace {

// One account is off by a cent.
class OffByACentTest : public EndOfDayTest {
protected:
    void addRows(const std::string& Dir) override {
        CompanyFixture::AppendRows(Dir, "Acct.dbf",
                                   {{{"ID", "9"}, {"NAME", "Off"}, {"DC", "D"}, {"BALANCE", "0.01"}}});
    }
};

}  // namespace

TEST_F(OffByACentTest, TheTrialBalanceProblemIsShownAtEveryDateChange) {
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);
    open();
    EXPECT_EQ(form->TrialBalanceLabel->Caption(), "Trial Balance: Problem!");
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Trial Balance problem. Run Trial Balance report and check.");
    form->EndOfDayDateDialog->SetText(DateToStr(EncodeDate(2024, 3, 14)));
    EXPECT_EQ(script.Shown().size(), 2u);
}

TEST_F(EndOfDayTest, TheDialogsPictureAndItsPrintedPageShowTheBoxes) {
    open();
    type(form->OpenDrawerCashEdit, "50");
    type(form->CloseDrawerCashEdit, "49");
    type(form->OpenDrawerChargeEdit, "1234567.89");
    renderToPng(form, ReportOutputFile("end_of_day.png"));

    TRSDevice device{{pdfPrinter()}, "PDF"};
    const std::string pdf = ReportOutputFile("end_of_day.pdf");
    form->DazedeVedodev1->SetDevice(&device);
    form->DazedeVedodev1->SetOutputFileName(pdf);
    form->PrintBtn->Click();
    // The dialog goes before the device it prints on.
    form->Close();
    Application->ProcessMessages();
    form = nullptr;
    ASSERT_EQ(PdfPageCount(pdf), 1);
    RenderPdfPage(pdf, 1, 100).save(QString::fromStdString(ReportOutputFile("end_of_day_pdf.png")));

    // Each printed row is its label and its four boxes, in order.
    std::map<std::string, std::string> printed;
    std::istringstream lines(PdfText(pdf));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string word, label, figures;
        while (words >> word)
            (std::isdigit(static_cast<unsigned char>(word.back())) ? figures : label) += word + " ";
        printed[label] = figures;
    }
    EXPECT_EQ(printed["For March 15, "], "2024 ");
    EXPECT_EQ(printed["Today's Sales "], "55.00 ");
    EXPECT_EQ(printed["Cash Check Charge Total "], "");
    EXPECT_EQ(printed["Opening Cash Drawer Amounts "], "50.00 0.00 1234567.89 1234617.89 ");
    EXPECT_EQ(printed["Payments Received "], "100.00 74.00 20.00 194.00 ");
    EXPECT_EQ(printed["Deposits "], "100.00 74.00 20.00 194.00 ");
    EXPECT_EQ(printed["Closing Cash Drawer Amounts "], "49.00 0.00 0.00 49.00 ");
    EXPECT_EQ(printed["Discrepancy "], "1.00 0.00 1234567.89 1234568.89 ");
}

namespace {

class EndOfDayAgainstLedgerTest : public ReportFormTest {};

}  // namespace

TEST_F(EndOfDayAgainstLedgerTest, DepositsAreTheDaysCheckingDebitsAndCashInIsCashDeposited) {
    const ReportPages transactions = run<TTransactionByDateReport>("03/15/2024", "03/15/2024");
    const Rows ledger = Cells(transactions, {{0.5, 0.8, true}, {1.5, 0.6, true}, {2.2, 0.9}, {3.2, 0.7},
                                             {4.0, 1.4}, {5.5, 0.9, true}, {6.5, 0.9, true}},
                              1.6, 11);
    ASSERT_FALSE(ledger.empty());
    Currency checkingDebits;
    for (std::size_t i = 0; i + 1 < ledger.size(); ++i)
        if (ledger[i][4] == "Checking") checkingDebits += StrToCurr(ledger[i][5]);

    auto* dialog = CreateForm<TEndOfDayReportDlg>(nullptr);
    EXPECT_EQ(StrToCurr(dialog->DepositsTotalEdit->Text()), checkingDebits);
    EXPECT_EQ(dialog->DepositsTotalEdit->Text(), "194.00");
    EXPECT_EQ(dialog->PaymentsReceivedCashEdit->Text(), dialog->DepositsCashEdit->Text());
    dialog->Close();
    Application->ProcessMessages();
}
