// Figures that several reports print about the same books must agree. Each
// figure is read from a report's own output (its stream, or the text of its
// PDF); only the receipts' and patients' balances are read from the tables,
// as the books' own account of what is owed.
//
// Receivables: every statement ends on its patient's BALANCE; the carry-out
// statements' Total Due of all patients, the aging Total, the trial
// balance's Accounts Receivable and the receipts' open balances are one
// figure; each aging subtotal is the sum of the statements' matching box;
// the trial balance's debits equal its credits.
// The day: the end of day's payments are Payments By Day's total, its
// deposits are the day's debits of the checking account in Transactions by
// Date, and (without refunds) the cash received is the cash deposited.
// Sales: Sales by Date, by Item, by Patient and the sales tax report print
// one total.
// All of it on the shop fixture with the statement patients, and at the end
// of the money story of payments with credit applied, refunds and deposits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

#include "ReportRun.h"
#include "app/AppUtils.h"
#include "app/FormOpener.h"
#include "app/ProgramReportProject.h"
#include "app/RebuildAccountBalances.h"
#include "app/StoredProject.h"
#include "base/Currency.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "reporting/RSDevice.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/RSPrinter.h"
#include "reports/ARReport.h"
#include "reports/EndOfDayRpt.h"
#include "reports/PaymentsByDay.h"
#include "reports/ReportForms.h"
#include "reports/SalesByDay.h"
#include "reports/SalesByItem.h"
#include "reports/SalesByPatient.h"
#include "reports/SalesTax.h"
#include "reports/TransactionByDate.h"
#include "reports/TrialBalance.h"
#include "sales/DepositFixture.h"
#include "support/StatementFixture.h"
#include "ui/DialogResponder.h"
#include "ui/PrinterDrivers.h"
#include "xbase/Xbase.h"

// Amounts compared as text, so that a failure shows the figures.
#define EXPECT_AMOUNT(Actual, Expected) EXPECT_EQ(CurrToStr(Actual), CurrToStr(Expected))

namespace {

using AppUtils::PadLeft;

// A printed amount: thousands separators, blanks and a dollar sign dropped;
// an empty cell is zero.
Currency amount(const std::string& Text) {
    std::string digits;
    for (char c : Text)
        if (c != ',' && c != ' ' && c != '$') digits += c;
    return digits.empty() ? Currency(0) : StrToCurr(digits);
}

// The stops of the reports read here, as the reports set them.
const std::vector<ReportStop> StatementRows = {{0.58, 1.4}, {2.0, 3.5}, {6.05, 0.9, true}, {7.05, 0.9, true}};
const std::vector<ReportStop> AgingColumns = {{0.5, 1.75}, {2.5, 0.6}, {3.2, 0.8},
                                              {4.0, 0.6},  {4.7, 1.8}, {6.5, 1.0, true}};
const std::vector<ReportStop> TrialColumns = {{2.0, 2.0}, {4.75, 1.0, true}, {5.85, 1.0, true}};
const std::vector<ReportStop> LedgerColumns = {{0.5, 0.8, true}, {1.5, 0.6, true}, {2.2, 0.9}, {3.2, 0.7},
                                               {4.0, 1.4},       {5.5, 0.9, true}, {6.5, 0.9, true}};
// The carry-out statement's aging boxes (Current ... Over 90, Total Due),
// and the monthly statement's patient line and boxes.
constexpr double CarryOutBoxes = 4.8;
constexpr double MonthlyPatient = 2.1;
constexpr double MonthlyBoxes = 10.3;

// The aging report's group labels, in the statements' box order.
const std::vector<std::string> AgingLabels = {"Current", "1-30 Days Overdue", "30-60 Days Overdue",
                                              "61-90 Days Overdue", "Over 90 Days Overdue"};

// The report runs of these tests, on whatever company the data module has open.
class ReportRuns {
public:
    ~ReportRuns() { closeForm(); }
    // The last form closed; before the data module goes.
    void closeForm() {
        if (form_) form_->Close();
        form_ = nullptr;
        Application->ProcessMessages();
    }

    // A family form's range typed, Prepare given the form, then OK.
    template <class Form>
    ReportPages range(const std::string& From, const std::string& Thru,
                      const std::function<void(Form&)>& Prepare = {}) {
        closeForm();
        Form* f = CreateForm<Form>(nullptr);
        form_ = f;
        f->FromKingDateDialog->SetText(From);
        f->ThruKingDateDialog->SetText(Thru);
        if (Prepare) Prepare(*f);
        return CaptureReport([f] { f->BitBtn1->Click(); });
    }
    // A form that runs its report when it is created (aging, trial balance).
    template <class Form>
    ReportPages created() {
        closeForm();
        return CaptureReport([this] { form_ = CreateForm<Form>(nullptr); });
    }
    // The carry-out statement of the patient, as the carry-out list prints it.
    ReportPages carryOut(TDataModule1& Module, int PatientID) {
        Module.PatientTable->SetIndexName("ID");
        EXPECT_TRUE(Module.Xbase1->Seek(PadLeft(std::to_string(PatientID), 10))) << PatientID;
        return CaptureReport([] {
            OpenForm(nullptr, {.ClassName = "TStatementWalkoutReport", .Caption = "Statement", .Style = osHidden});
        });
    }
    ReportPages monthly() {
        return CaptureReport([] {
            OpenForm(nullptr,
                     {.ClassName = "TStatementMonthlyReport", .Caption = "&Monthly Statements", .Style = osHidden});
        });
    }
    // Payments By Day printed by the program project to a PDF: the range's
    // running total, the last dollar figure of the page (0 when none).
    Currency paymentsByDay(const std::string& From, const std::string& Thru, const std::string& PdfName) {
        closeForm();
        TRSDevice device{{pdfPrinter()}, "PDF"};
        TDazedeVedodev engine{nullptr};
        TDuzuProject project{nullptr};
        loadStoredProject(project);
        engine.SetDevice(&device);
        project.SetEngine(&engine);
        setProgramReportProject(&project);
        const std::string pdf = ReportOutputFile(PdfName);
        engine.SetOutputFileName(pdf);
        auto* f = CreateForm<TPaymentsByDayReport>(nullptr);
        f->FromKingDateDialog->SetText(From);
        f->ThruKingDateDialog->SetText(Thru);
        f->BitBtn1->Click();
        f->Close();
        Application->ProcessMessages();
        setProgramReportProject(nullptr);
        std::istringstream words(PdfText(pdf));
        Currency total;
        for (std::string word; words >> word;)
            if (word.front() == '$') total = amount(word);
        return total;
    }

private:
    TForm* form_ = nullptr;
};

// The end-of-day dialog's figures for Day.
struct TDayFigures {
    Currency PaymentsCash, PaymentsTotal, DepositsCash, DepositsTotal;
};
TDayFigures endOfDay(TDateTime Day) {
    auto* dialog = CreateForm<TEndOfDayReportDlg>(nullptr);
    dialog->Show();
    Application->ProcessMessages();
    dialog->EndOfDayDateDialog->SetText(DateToStr(Day));
    EXPECT_EQ(dialog->ShownDate(), Day);
    const TDayFigures figures{StrToCurr(dialog->PaymentsReceivedCashEdit->Text()),
                              StrToCurr(dialog->PaymentsReceivedTotalEdit->Text()),
                              StrToCurr(dialog->DepositsCashEdit->Text()),
                              StrToCurr(dialog->DepositsTotalEdit->Text())};
    dialog->Close();
    Application->ProcessMessages();
    return figures;
}

// The debits of the checking account (account 5, printed by its type) in
// Transactions by Date, the sales account's credits less its debits, and
// the report's own debit and credit totals.
struct TLedgerFigures {
    Currency CheckingDebits, SalesCredits, TotalDebits, TotalCredits;
};
TLedgerFigures ledgerFigures(const ReportPages& Transactions) {
    const Rows rows = Cells(Transactions, LedgerColumns, 1.6, 11);
    TLedgerFigures figures;
    if (rows.empty()) {
        ADD_FAILURE() << "no total line in Transactions by Date";
        return figures;
    }
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        if (rows[i][4] == "Checking") figures.CheckingDebits += amount(rows[i][5]);
        if (rows[i][4] == "Sales") figures.SalesCredits += amount(rows[i][6]) - amount(rows[i][5]);
    }
    figures.TotalDebits = amount(rows.back()[5]);
    figures.TotalCredits = amount(rows.back()[6]);
    return figures;
}

// The sum of a table's field over its live records, read from the file.
Currency columnSum(const std::string& DataDirectory, const std::string& File, const std::string& Field) {
    TTable table(nullptr);
    table.SetDatabaseName(DataDirectory);
    table.SetTableType(ttSXNSX);
    table.SetTableName(File);
    table.Open();
    Currency sum;
    for (table.First(); !table.Eof(); table.Next()) sum += table.FieldByName(Field)->AsCurrency();
    table.Close();
    return sum;
}

// The receivables invariants on the open company; Context names the books
// in failure messages.
void expectReceivablesAgree(ReportRuns& Runs, TDataModule1& Module, const std::string& Context) {
    SCOPED_TRACE(Context);
    struct TPatient {
        int ID;
        std::string Name;
        Currency Balance;
    };
    std::vector<TPatient> patients;
    TTable* table = Module.PatientTable;
    for (table->First(); !table->Eof(); table->Next())
        if (const int id = table->FieldByName("ID")->AsInteger(); id != 0)
            patients.push_back({id, Trim(table->FieldByName("NAME")->AsString()),
                                table->FieldByName("BALANCE")->AsCurrency()});
    ASSERT_FALSE(patients.empty());

    // Carry-out statements of all patients: the boxes summed, the last balance the patient's.
    std::vector<Currency> statementBuckets(AgingLabels.size());
    Currency totalDue;
    for (const TPatient& patient : patients) {
        SCOPED_TRACE("patient " + std::to_string(patient.ID));
        const ReportPages pages = Runs.carryOut(Module, patient.ID);
        ASSERT_EQ(pages.PageCount, 1);
        const std::vector<std::string> boxes = pages.LineAt(1, CarryOutBoxes);
        ASSERT_EQ(boxes.size(), AgingLabels.size() + 1);
        Currency buckets;
        for (std::size_t b = 0; b < AgingLabels.size(); ++b) {
            statementBuckets[b] += amount(boxes[b]);
            buckets += amount(boxes[b]);
        }
        EXPECT_AMOUNT(amount(boxes.back()), buckets) << "Total Due is the sum of the boxes";
        totalDue += amount(boxes.back());
        const Rows rows = Cells(pages, StatementRows, 1.8, 4.1, 1);
        const Currency lastBalance = rows.empty() ? Currency(0) : amount(rows.back()[3]);
        EXPECT_AMOUNT(lastBalance, patient.Balance) << "the statement's last balance";
        EXPECT_AMOUNT(amount(boxes.back()), patient.Balance) << "Total Due";
    }

    // Monthly statements: one page per patient owing or owed, ending on the balance.
    std::map<std::string, Currency> owing;
    for (const TPatient& patient : patients)
        if (patient.Balance != Currency(0)) owing[patient.Name] = patient.Balance;
    if (!owing.empty()) {
        const ReportPages pages = Runs.monthly();
        EXPECT_EQ(pages.PageCount, static_cast<int>(owing.size()));
        for (int page = 1; page <= pages.PageCount; ++page) {
            const std::vector<std::string> patientLine = pages.LineAt(page, MonthlyPatient);
            ASSERT_FALSE(patientLine.empty()) << "page " << page;
            const std::string& name = patientLine.back();
            SCOPED_TRACE("monthly statement of " + name);
            ASSERT_EQ(owing.count(name), 1u);
            const Rows rows = Cells(pages, StatementRows, 7.3, 9.6, page);
            ASSERT_FALSE(rows.empty());
            EXPECT_AMOUNT(amount(rows.back()[3]), owing[name]);
            const std::vector<std::string> boxes = pages.LineAt(page, MonthlyBoxes);
            ASSERT_FALSE(boxes.empty());
            EXPECT_AMOUNT(amount(boxes.back()), owing[name]);
        }
    }

    // The aging detail: its groups' subtotals against the statements' boxes.
    const Rows aging = Cells(Runs.created<TARReportForm>(), AgingColumns, 1.6, 11);
    std::map<std::string, Currency> subtotals, lineSums;
    std::string group;
    Currency agingTotal;
    bool totalSeen = false;
    for (const auto& row : aging) {
        if (!row[0].empty()) group = row[0];
        if (row[4] == "SubTotal") subtotals[group] = amount(row[5]);
        else if (row[4] == "Total") {
            agingTotal = amount(row[5]);
            totalSeen = true;
        } else lineSums[group] += amount(row[5]);
    }
    ASSERT_TRUE(totalSeen) << "no aging Total";
    for (const auto& [label, subtotal] : subtotals) {
        EXPECT_NE(std::find(AgingLabels.begin(), AgingLabels.end(), label), AgingLabels.end()) << label;
        EXPECT_AMOUNT(subtotal, lineSums[label]) << "the lines of " << label;
    }
    for (std::size_t b = 0; b < AgingLabels.size(); ++b)
        EXPECT_AMOUNT(subtotals.count(AgingLabels[b]) ? subtotals[AgingLabels[b]] : Currency(0), statementBuckets[b])
            << AgingLabels[b];

    // The trial balance.
    const Rows trial = Cells(Runs.created<TTrialBalanceForm>(), TrialColumns, 1.6, 11);
    ASSERT_FALSE(trial.empty());
    ASSERT_EQ(trial.back()[0], "Total");
    Currency debits, credits, receivable;
    int receivableLines = 0;
    for (std::size_t i = 0; i + 1 < trial.size(); ++i) {
        debits += amount(trial[i][1]);
        credits += amount(trial[i][2]);
        if (trial[i][0] == "Accounts Receivable") {
            receivable = amount(trial[i][1]) - amount(trial[i][2]);
            ++receivableLines;
        }
    }
    EXPECT_EQ(receivableLines, 1);
    EXPECT_AMOUNT(amount(trial.back()[1]), debits);
    EXPECT_AMOUNT(amount(trial.back()[2]), credits);
    EXPECT_AMOUNT(debits, credits) << "the trial balance balances";

    const Currency receipts = columnSum(Module.DataDirectory, "Sales.dbf", "BALANCE");
    EXPECT_AMOUNT(totalDue, receipts) << "carry-out Total Due against the receipts' balances";
    EXPECT_AMOUNT(agingTotal, receipts) << "aging Total";
    EXPECT_AMOUNT(receivable, receipts) << "trial balance Accounts Receivable";
}

// Sales by Date, by Item, by Patient and the sales tax report over the
// range: one total of sales, the sales account's net credits in
// Transactions by Date, which balances.
void expectSalesAgree(ReportRuns& Runs, const std::string& From, const std::string& Thru, Currency Expected) {
    SCOPED_TRACE(From + " - " + Thru);
    const auto figureBeside = [](const ReportPages& Pages, const std::string& Caption,
                                 const std::vector<ReportStop>& Columns) {
        const ReportTextItem* item = Pages.FindLast(Caption);
        if (!item) {
            ADD_FAILURE() << "no " << Caption;
            return Currency(0);
        }
        const Rows line = Cells(Pages, Columns, item->Baseline - 0.01, item->Baseline, item->Page);
        EXPECT_EQ(line.size(), 1u) << Caption;
        return line.size() == 1 ? amount(line[0][1]) : Currency(0);
    };
    const Currency byDate =
        figureBeside(Runs.range<TSalesByDayReport>(From, Thru), "Total", {{4.5, 1.9}, {6.5, 1.0, true}});
    const Currency byItem = figureBeside(
        Runs.range<TSalesByItemReport>(From, Thru, [](TSalesByItemReport& f) { f.SoldByComboBox->SetText("<All Sales>"); }),
        "Total", {{6.0, 0.5}, {6.5, 1.5, true}});
    const Currency byPatient =
        figureBeside(Runs.range<TSalesByPatient>(From, Thru), "Total", {{5.0, 1.9}, {6.5, 1.0, true}});
    const Currency taxReport = figureBeside(Runs.range<TSalesTaxReport>(From, Thru), "Total Sales",
                                            {{1.7, 2.4}, {3.7, 1.5, true}, {5.3, 1.5, true}});
    EXPECT_AMOUNT(byDate, Expected) << "Sales by Date";
    EXPECT_AMOUNT(byItem, Expected) << "Sales by Item";
    EXPECT_AMOUNT(byPatient, Expected) << "Sales by Patient";
    EXPECT_AMOUNT(taxReport, Expected) << "Sales Tax";
    const TLedgerFigures ledger = ledgerFigures(Runs.range<TTransactionByDateReport>(From, Thru));
    EXPECT_AMOUNT(ledger.SalesCredits, Expected) << "the sales account in Transactions by Date";
    EXPECT_AMOUNT(ledger.TotalDebits, ledger.TotalCredits) << "Transactions by Date";
}

// The end of day for Day against Payments By Day and Transactions by Date.
TDayFigures expectDayAgrees(ReportRuns& Runs, TDateTime Day) {
    const std::string day = FormatDateTime("mm/dd/yyyy", Day);
    SCOPED_TRACE(day);
    const TDayFigures figures = endOfDay(Day);
    EXPECT_AMOUNT(figures.PaymentsTotal, Runs.paymentsByDay(day, day, "invariants-payments-" +
                                                                      FormatDateTime("yyyymmdd", Day) + ".pdf"))
        << "end of day's payments against Payments By Day";
    EXPECT_AMOUNT(figures.DepositsTotal, ledgerFigures(Runs.range<TTransactionByDateReport>(day, day)).CheckingDebits)
        << "end of day's deposits against the day's checking debits";
    return figures;
}

// The shop fixture with FX-A.
class ShopBooksTest : public ShopTest {
protected:
    void SetUp() override {
        ShopTest::SetUp();
        registerReportForms();
    }
    void TearDown() override {
        runs.closeForm();
        ShopTest::TearDown();
    }
    virtual std::vector<StatementFixture::TStatementSet> sets() const { return {StatementFixture::FxA()}; }
    void addRows(const std::string& Dir) override {
        for (const auto& set : sets()) StatementFixture::Add(Dir, set);
    }
    void postRows(TDataModule1& Module) override {
        for (const auto& set : sets()) StatementFixture::Post(Module, set);
    }
    ReportRuns runs;
};

// Every statement patient but the one at the field's limit (posted without
// its account balances): the aging buckets' edges, a credit, a settled
// patient, a long ledger.
class AllStatementPatientsTest : public ShopBooksTest {
protected:
    std::vector<StatementFixture::TStatementSet> sets() const override {
        using namespace StatementFixture;
        return {FxA(), FxA2(), FxB(), FxL(), OddPatients()};
    }
};

}  // namespace

TEST_F(ShopBooksTest, StatementsAgingAndTrialBalanceAgreeOnTheReceivables) {
    expectReceivablesAgree(runs, *module, "shop with FX-A");
    // The figure they agree on.
    EXPECT_AMOUNT(columnSum(module->DataDirectory, "Sales.dbf", "BALANCE"), StrToCurr("244.35"));
}

TEST_F(AllStatementPatientsTest, StatementsAgingAndTrialBalanceAgreeOnTheReceivables) {
    expectReceivablesAgree(runs, *module, "shop with every statement patient");
}

TEST_F(ShopBooksTest, TheEndOfDayAgreesWithPaymentsByDayAndTheLedger) {
    const TDayFigures day = expectDayAgrees(runs, EncodeDate(2024, 3, 15));
    EXPECT_AMOUNT(day.PaymentsTotal, StrToCurr("194"));
    EXPECT_AMOUNT(day.PaymentsCash, day.DepositsCash) << "the cash received is the cash deposited";
    // 3/14 had sales but no payment and no deposit.
    const TDayFigures before = expectDayAgrees(runs, EncodeDate(2024, 3, 14));
    EXPECT_AMOUNT(before.PaymentsTotal, Currency(0));
}

namespace {

// The deposits' money story on the money fixture, replayed to its end:
// receipts, a cash payment, a payment with credit applied, the designed
// refund of a credit, a refund against a balance, a check, their deposit
// and its delete, two payment deletes, a second deposit, a receipt edited
// and deleted, and the balance rebuild.
class MoneyStoryBooksTest : public DepositTest {
protected:
    void SetUp() override {
        DepositTest::SetUp();
        registerReportForms();
    }
    void TearDown() override {
        runs.closeForm();
        clearFixedNow();
        DepositTest::TearDown();
    }
    void tellStory() {
        newReceipt("7", {{"FRAME1", "1", "100.00", true}});
        ASSERT_TRUE(receipt->SaveReceipt());
        const std::string exam = receiptOf("7", "50.00");
        receiptOf("8", "-20.00");
        receiptOf("8", "150.00");
        const std::string cash = pay("7", {"105", "0"}, "Cash");
        const std::string caseA = pay("8", {"-20", "120"}, "Check", "100", "555");
        receiptOf("7", "-30.00");
        pay("7", {"0", "-30"}, "Cash", "-30");
        const std::string caseB = pay("7", {"-20"}, "Cash", "-20");
        const std::string check = pay("7", {"70"}, "Check", "", "777");

        ASSERT_TRUE(deposit->NewDeposit(EncodeDate(Year, 3, 9)));
        for (const std::string& p : {cash, caseA, check}) tick(p);
        ASSERT_TRUE(deposit->SaveDeposit());
        {
            TDialogScript script;
            script.Answer(mrYes);
            ASSERT_TRUE(deposit->DeleteDeposit(EncodeDate(Year, 3, 10)));
        }
        for (const std::string& p : {check, caseB}) {
            ASSERT_TRUE(payment->OpenPayment(p, EncodeDate(Year, 3, 20)));
            TDialogScript script;
            script.Answer(mrYes);
            ASSERT_TRUE(payment->DeletePayment());
        }
        ASSERT_TRUE(deposit->NewDeposit(EncodeDate(Year, 3, 11)));
        tick(cash);
        tick(caseA);
        ASSERT_TRUE(deposit->SaveDeposit());

        ASSERT_TRUE(receipt->OpenReceipt(exam));
        goLine(1);
        setLine({"EXAM", "1", "60.00", false});
        ASSERT_TRUE(receipt->SaveReceipt());
        ASSERT_TRUE(receipt->OpenReceipt(exam));
        ASSERT_TRUE(receipt->DeleteReceipt(EncodeDate(Year, 3, 20)));

        setFixedNow(EncodeDate(Year, 12, 31));
        TDialogScript script;
        script.Answer(mrOk);
        TRebuildAccountBalances rebuild(nullptr);
        rebuild.Rebuild();
        ASSERT_EQ(broken(), std::vector<std::string>{}) << "the story's books";
    }
    ReportRuns runs;
};

}  // namespace

TEST_F(MoneyStoryBooksTest, EveryReportPartAgreesAtTheEndOfTheStory) {
    ASSERT_NO_FATAL_FAILURE(tellStory());
    // The reports run on 15 May: the receipts of 2 March are 44 days overdue.
    setFixedNow(EncodeDate(Year, 5, 15) + 10.0 / 24);

    // What is left: the frame 105.00, the credits -20.00 and -30.00, the 150.00.
    expectSalesAgree(runs, "03/01/2026", "03/31/2026", StrToCurr("200"));
    expectReceivablesAgree(runs, *module, "the money story");
    EXPECT_AMOUNT(columnSum(company.DataDirectory(), "Sales.dbf", "BALANCE"), StrToCurr("30"));

    // 3/5: the cash payment, case A (100.00 received, 20.00 of credit
    // applied) and the designed refund of 30.00 in cash; the check and case
    // B are deleted. 3/9: the first deposit and its delete. 3/11: the
    // second deposit, of the cash payment and case A.
    const TDayFigures paymentsDay = expectDayAgrees(runs, EncodeDate(Year, 3, 5));
    EXPECT_AMOUNT(paymentsDay.PaymentsTotal, StrToCurr("175"));
    EXPECT_AMOUNT(paymentsDay.PaymentsCash, StrToCurr("75"));
    EXPECT_AMOUNT(expectDayAgrees(runs, EncodeDate(Year, 3, 9)).DepositsTotal, Currency(0));
    const TDayFigures depositDay = expectDayAgrees(runs, EncodeDate(Year, 3, 11));
    EXPECT_AMOUNT(depositDay.DepositsTotal, StrToCurr("205"));
    // The cash deposited is the cash received; the refund was paid out of the drawer.
    EXPECT_AMOUNT(depositDay.DepositsCash, StrToCurr("105"));
}
