#include "reports/EndOfDayRpt.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/AccountSide.h"
#include "reports/DateRange.h"
#include "reports/MoneyTab.h"
#include "reports/ReportTables.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"

namespace {

constexpr int LabelLeft = 16;
constexpr int FirstColumn = 208;
constexpr int ColumnStep = 100;
constexpr int BoxWidth = 92;
constexpr int BoxHeight = 24;
constexpr int FirstRowTop = 112;
constexpr int RowStep = 34;
constexpr const char* ColumnTitles[4] = {"Cash", "Check", "Charge", "Total"};

}  // namespace

TEndOfDayReportDlg::TEndOfDayReportDlg(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "End of Day Report");
    Font()->SetName("Arial");
    Font()->SetHeight(-12);
    SetClientWidth(FirstColumn + 4 * ColumnStep + 8);
    SetClientHeight(FirstRowTop + 5 * RowStep + 56);

    KingPopup1 = new TKingPopup(this);
    KingPopup1->SetName("KingPopup1");
    Label1 = place<TLabel>(this, LabelLeft, 18, 90, 15, "Today's Date");
    EndOfDayDateDialog = place<TKingDateDialog>(this, 112, 14, 113, 22);
    EndOfDayDateDialog->SetKingPopup(KingPopup1);
    TrialBalanceLabel = place<TLabel>(this, FirstColumn + 2 * ColumnStep, 18, 190, 15, "TrialBalance");
    TrialBalanceLabel->SetHint("If there is a problem run the trial balance report and check.");
    TrialBalanceLabel->SetShowHint(true);

    Label2 = place<TLabel>(this, LabelLeft, 52, 90, 15, "Today's Sales");
    TodaysSalesEdit = makeBox(112, 48, false);
    TodaysSalesEdit->SetColor(clBtnFace);

    for (int column = 0; column < 4; ++column) {
        TLabel* title = place<TLabel>(this, FirstColumn + column * ColumnStep, FirstRowTop - 22, BoxWidth, 15,
                                      ColumnTitles[column]);
        title->SetAutoSize(false);
        title->SetWidth(BoxWidth - 4);
        title->SetAlignment(taRightJustify);
    }
    struct TRowBoxes {
        const char* Caption;
        TMemo** Boxes[4];
        bool Editable;
    };
    const TRowBoxes grid[] = {
        {"Opening Cash Drawer Amounts",
         {&OpenDrawerCashEdit, &OpenDrawerCheckEdit, &OpenDrawerChargeEdit, &OpenDrawerTotalEdit}, true},
        {"Payments Received",
         {&PaymentsReceivedCashEdit, &PaymentsReceivedCheckEdit, &PaymentsReceivedChargeEdit,
          &PaymentsReceivedTotalEdit},
         false},
        {"Deposits", {&DepositsCashEdit, &DepositsCheckEdit, &DepositsChargeEdit, &DepositsTotalEdit}, false},
        {"Closing Cash Drawer Amounts",
         {&CloseDrawerCashEdit, &CloseDrawerCheckEdit, &CloseDrawerChargeEdit, &CloseDrawerTotalEdit}, true},
        {"Discrepancy",
         {&DiscrepancyCashEdit, &DiscrepancyCheckEdit, &DiscrepancyChargeEdit, &DiscrepancyTotalEdit}, false},
    };
    for (int row = 0; row < 5; ++row) {
        const int top = FirstRowTop + row * RowStep;
        place<TLabel>(this, LabelLeft, top + 4, FirstColumn - LabelLeft - 8, 15, grid[row].Caption);
        for (int column = 0; column < 4; ++column) {
            const bool editable = grid[row].Editable && column < 3;
            TMemo* box = makeBox(FirstColumn + column * ColumnStep, top, editable);
            // Totals and discrepancies are figures of the dialog's own.
            if (column == 3 || row == 4) box->SetColor(clBtnFace);
            *grid[row].Boxes[column] = box;
        }
    }

    const int buttonsTop = FirstRowTop + 5 * RowStep + 16;
    PrintBtn = place<TBitBtn>(this, FirstColumn + ColumnStep, buttonsTop, 75, 25, "&Print");
    BitBtn1 = place<TBitBtn>(this, FirstColumn + 2 * ColumnStep, buttonsTop, 75, 25);
    BitBtn1->SetKind(bkOK);
    BitBtn1->SetModalResult(mrNone);
    BitBtn2 = place<TBitBtn>(this, FirstColumn + 3 * ColumnStep, buttonsTop, 75, 25);
    BitBtn2->SetKind(bkCancel);
    BitBtn2->SetModalResult(mrNone);
    BitBtn2->SetVisible(false);

    makeCompanyTable(this, Table1, DataSource1, Xbase1, "", "");
    DazedeVedodev1 = new TDazedeVedodev(this);
    DazedeVedodev1->SetName("DazedeVedodev1");
    DazedeVedodev1->SetStatusFormat("Printing page %p");
    DazedeVedodev1->SetUnits(unInch);
    DazedeVedodev1->SetUnitsFactor(1);
    DazedeVedodev1->SetTitle("DazedeVedodev Report");
    DazedeVedodev1->SetOrientation(TOrientation::poPortrait);
    DazedeVedodev1->SetScaleX(100);
    DazedeVedodev1->SetScaleY(100);

    using F = TEndOfDayReportDlg;
    bindEvent(OnCreate, this, &F::FormCreate);
    bindEvent(OnClose, this, &F::FormClose);
    bindEvent(EndOfDayDateDialog->OnChange, this, &F::EndOfDayDateDialogChange);
    bindEvent(EndOfDayDateDialog->OnKeyPress, this, &F::EndOfDayDateDialogKeyPress);
    bindEvent(EndOfDayDateDialog->OnExit, this, &F::EndOfDayDateDialogExit);
    bindEvent(PrintBtn->OnClick, this, &F::PrintBtnClick);
    bindEvent(BitBtn1->OnClick, this, &F::BitBtn1Click);
    bindEvent(BitBtn2->OnClick, this, &F::BitBtn2Click);
    bindEvent(DazedeVedodev1->OnPrint, this, &F::DazedeVedodev1Print);
    SetActiveControl(EndOfDayDateDialog);
}

TMemo* TEndOfDayReportDlg::makeBox(int Left, int Top, bool Editable) {
    TMemo* box = place<TMemo>(this, Left, Top, BoxWidth, BoxHeight);
    box->SetAlignment(taRightJustify);
    box->SetMaxLength(15);
    box->SetWantReturns(false);
    box->SetWordWrap(false);
    box->SetText("0.00");
    box->SetReadOnly(!Editable);
    box->SetTabStop(Editable);
    bindEvent(box->OnEnter, this, &TEndOfDayReportDlg::OpenDrawerCashEditEnter);
    bindEvent(box->OnExit, this, &TEndOfDayReportDlg::OpenDrawerCashEditExit);
    return box;
}

std::array<TEndOfDayReportDlg::TGridRow, 5> TEndOfDayReportDlg::gridRows() const {
    return {{{"Opening Cash Drawer Amounts",
              {OpenDrawerCashEdit, OpenDrawerCheckEdit, OpenDrawerChargeEdit, OpenDrawerTotalEdit}},
             {"Payments Received",
              {PaymentsReceivedCashEdit, PaymentsReceivedCheckEdit, PaymentsReceivedChargeEdit,
               PaymentsReceivedTotalEdit}},
             {"Deposits", {DepositsCashEdit, DepositsCheckEdit, DepositsChargeEdit, DepositsTotalEdit}},
             {"Closing Cash Drawer Amounts",
              {CloseDrawerCashEdit, CloseDrawerCheckEdit, CloseDrawerChargeEdit, CloseDrawerTotalEdit}},
             {"Discrepancy",
              {DiscrepancyCashEdit, DiscrepancyCheckEdit, DiscrepancyChargeEdit, DiscrepancyTotalEdit}}}};
}

void TEndOfDayReportDlg::FormCreate(TObject*) {
    const TDateTime today = Date();
    KingPopup1->SetDate(today);
    EndOfDayDateDialog->SetText(DateToStr(today));
}

void TEndOfDayReportDlg::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Action = caFree;
}

// Only a whole date in the short date format is taken while the text
// changes: the calendar's pick, or a typed date once committed. A text
// half typed changes nothing, and the same day again keeps the counts.
void TEndOfDayReportDlg::EndOfDayDateDialogChange(TObject*) {
    const std::string text = Trim(EndOfDayDateDialog->Text());
    TDateTime day = 0;
    if (!TryStrToDate(text, day) || DateToStr(day) != text) return;
    if (day == shownDate_) return;
    showDay(day);
}

void TEndOfDayReportDlg::EndOfDayDateDialogKeyPress(TObject*, char& Key) {
    if (Key != VK_RETURN) return;
    Key = 0;
    commitDate();
}

void TEndOfDayReportDlg::EndOfDayDateDialogExit(TObject*) { commitDate(); }

void TEndOfDayReportDlg::commitDate() {
    const TDateTime day = StrToDate(Trim(EndOfDayDateDialog->Text()));
    KingPopup1->SetDate(day);
    EndOfDayDateDialog->SetText(DateToStr(day));
    if (day != shownDate_) showDay(day);
}

void TEndOfDayReportDlg::showDay(TDateTime Day) {
    shownDate_ = Day;
    for (TMemo* box : {OpenDrawerCashEdit, OpenDrawerCheckEdit, OpenDrawerChargeEdit, CloseDrawerCashEdit,
                       CloseDrawerCheckEdit, CloseDrawerChargeEdit})
        box->SetText("0.00");
    UpdateTotals();
    TotalDrawers();
}

void TEndOfDayReportDlg::UpdateTotals() {
    CheckTrialBalance();
    TotalSales();
    TotalPayments();
    TotalDeposits();
}

Currency TEndOfDayReportDlg::boxValue(const TMemo* Box) { return StrToCurr(Trim(Box->Text())); }

void TEndOfDayReportDlg::setBoxValue(TMemo* Box, Currency Value) { Box->SetText(CurrToStrF(Value, ffFixed, 2)); }

void TEndOfDayReportDlg::writeColumns(TMemo* Cash, TMemo* Check, TMemo* Charge, TMemo* Total, Currency CashValue,
                                      Currency CheckValue, Currency ChargeValue) {
    setBoxValue(Cash, CashValue);
    setBoxValue(Check, CheckValue);
    setBoxValue(Charge, ChargeValue);
    setBoxValue(Total, boxValue(Cash) + boxValue(Check) + boxValue(Charge));
}

template <class Each>
void TEndOfDayReportDlg::forEachOfDay(const char* FileName, Each each) {
    const std::string key = DateRange::Key(shownDate_);
    Table1->Close();
    Table1->SetTableName(FileName);
    Table1->SetIndexName("DATE");
    Table1->Open();
    try {
        if (Xbase1->Seek(key) && Xbase1->Found()) {
            while (!Table1->Eof() && DateRange::Key(Table1->FieldByName("DATE")->AsDateTime()) == key) {
                each();
                Table1->Next();
            }
        }
    } catch (...) {
        Table1->Close();
        throw;
    }
    Table1->Close();
}

void TEndOfDayReportDlg::CheckTrialBalance() {
    TSideTotals totals;
    Table1->Close();
    Table1->SetTableName("ACCT.DBF");
    Table1->SetIndexName("ACCOUNT");
    Table1->Open();
    try {
        for (Table1->First(); !Table1->Eof(); Table1->Next())
            totals.Add(accountSide(Table1->FieldByName("DC")->AsString(),
                                   Table1->FieldByName("BALANCE")->AsCurrency()));
    } catch (...) {
        Table1->Close();
        throw;
    }
    Table1->Close();
    if (totals.Balanced()) {
        TrialBalanceLabel->SetCaption("Trial Balance: OK");
    } else {
        TrialBalanceLabel->SetCaption("Trial Balance: Problem!");
        ShowMessage("Trial Balance problem. Run Trial Balance report and check.");
    }
}

void TEndOfDayReportDlg::TotalSales() {
    Currency sales;
    forEachOfDay("SALES.DBF", [&] { sales += Table1->FieldByName("SUBTOTAL")->AsCurrency(); });
    setBoxValue(TodaysSalesEdit, sales);
}

// Each payment counts the money it brought in, its amount less the credit
// it applied (negative for a refund): what the deposits gather.
void TEndOfDayReportDlg::TotalPayments() {
    Currency cash, check, charge;
    forEachOfDay("PYMT.DBF", [&] {
        const Currency received =
            Table1->FieldByName("AMOUNT")->AsCurrency() - Table1->FieldByName("TOTALPAID")->AsCurrency();
        const std::string tender = UpperCase(Trim(Table1->FieldByName("PAIDWITH")->AsString()));
        if (tender == "CASH") cash += received;
        else if (tender == "CHECK") check += received;
        else if (tender == "CHARGE") charge += received;
    });
    writeColumns(PaymentsReceivedCashEdit, PaymentsReceivedCheckEdit, PaymentsReceivedChargeEdit,
                 PaymentsReceivedTotalEdit, cash, check, charge);
}

void TEndOfDayReportDlg::TotalDeposits() {
    Currency cash, check, charge;
    forEachOfDay("DEPOSIT.DBF", [&] {
        cash += Table1->FieldByName("CURRENCY")->AsCurrency() + Table1->FieldByName("COINS")->AsCurrency();
        check += Table1->FieldByName("CHECKS")->AsCurrency();
        charge += Table1->FieldByName("CHARGES")->AsCurrency();
    });
    writeColumns(DepositsCashEdit, DepositsCheckEdit, DepositsChargeEdit, DepositsTotalEdit, cash, check, charge);
}

// Every box is read before any is written, so a box that is no number
// leaves all figures as they were.
void TEndOfDayReportDlg::TotalDrawers() {
    const auto grid = gridRows();
    Currency value[4][3];
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            value[row][column] = boxValue(grid[row].Boxes[column]);
    const auto& [opening, payments, deposits, closing] = value;
    setBoxValue(OpenDrawerTotalEdit, opening[0] + opening[1] + opening[2]);
    setBoxValue(CloseDrawerTotalEdit, closing[0] + closing[1] + closing[2]);
    Currency discrepancyTotal;
    for (int column = 0; column < 3; ++column) {
        const Currency discrepancy = opening[column] + payments[column] - deposits[column] - closing[column];
        setBoxValue(grid[4].Boxes[column], discrepancy);
        discrepancyTotal += discrepancy;
    }
    setBoxValue(DiscrepancyTotalEdit, discrepancyTotal);
}

void TEndOfDayReportDlg::OpenDrawerCashEditEnter(TObject* Sender) {
    if (auto* box = dynamic_cast<TMemo*>(Sender)) box->SelectAll();
}

void TEndOfDayReportDlg::OpenDrawerCashEditExit(TObject* Sender) {
    auto* box = dynamic_cast<TMemo*>(Sender);
    if (!box) return;
    setBoxValue(box, boxValue(box));
    TotalDrawers();
}

void TEndOfDayReportDlg::PrintBtnClick(TObject*) {
    commitDate();
    DazedeVedodev1->Execute();
}

void TEndOfDayReportDlg::DazedeVedodev1Print(TObject*) {
    TDazedeVedodev& r = *DazedeVedodev1;
    r.SetFont("Arial", 10);
    r.PrintXY(0.3, 0.5, FormatDateTime("m/d/yyyy h:nna/p", Now()));
    r.SetFont("Arial", 20);
    r.SetFontTop(0.25);
    r.PrintCenter("End of Day Report", 4.25);
    r.NextLine();
    r.NextLine();
    r.SetFont("Arial", 12);
    r.PrintCenter("For " + FormatDateTime("mmmm d, yyyy", shownDate_), 4.25);
    for (int i = 0; i < 4; ++i) r.NextLine();
    r.PrintCenter("Today's Sales     " + TodaysSalesEdit->Text(), 4.25);
    r.NextLine();

    auto setColumns = [&r](std::uint8_t BoxLines) {
        r.ClearTabs();
        r.SetTab(0.5, pjLeft, 2.9, 0, 0, 0);
        for (double pos : {3.5, 4.5, 5.5, 6.5})
            r.SetTab(pos, pjRight, 0.9, 0, BoxLines, 0);
    };
    setColumns(BOXLINEBOTTOM);
    r.GotoXY(0, 2.5);
    r.PrintTab("");
    for (const char* title : ColumnTitles)
        r.PrintTab(title);
    setColumns(0);
    r.GotoXY(0, 3.0);
    for (const TGridRow& row : gridRows()) {
        r.PrintTab(row.Caption);
        for (TMemo* box : row.Boxes)
            printMoneyTab(r, Trim(box->Text()));
        const int newLines = row.Boxes[0] == CloseDrawerCashEdit ? 3 : 2;
        for (int i = 0; i < newLines; ++i) r.NextLine();
    }
}

void TEndOfDayReportDlg::BitBtn1Click(TObject*) { Close(); }

void TEndOfDayReportDlg::BitBtn2Click(TObject*) { Close(); }
