#pragma once
// TEndOfDayReportDlg ("End of Day Report"): the cash-drawer reconciliation
// of one business day. For the date in its date box the dialog shows the
// day's sales before tax, the money received by payments and the deposits,
// each split into cash, check and charge; the clerk types the opening and
// closing drawer counts, and each column's discrepancy is opening +
// payments - deposits - closing. The chart of accounts is checked to be in
// balance at every date change. "&Print" prints the boxes on one page
// straight to the printer.
//
// The figures are computed when the dialog opens and whenever another day
// is committed in the date box: a pick from the calendar, or a typed date
// taken by Enter or by leaving the box (a text that is no date gives the
// conversion message). A box's text that is no number gives the conversion
// message, keeps its text and leaves the totals as they were.
#include <array>
#include <string>

#include "base/Currency.h"
#include "base/DateTime.h"
#include "controls/KingDlg.h"
#include "controls/KingPop.h"
#include "data/DbTables.h"
#include "reporting/RSPrinter.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbase.h"

class TEndOfDayReportDlg : public TForm {
public:
    explicit TEndOfDayReportDlg(TComponent* AOwner);

    TLabel* Label1 = nullptr;  // "Today's Date"
    TKingDateDialog* EndOfDayDateDialog = nullptr;
    TKingPopup* KingPopup1 = nullptr;
    TLabel* TrialBalanceLabel = nullptr;
    TLabel* Label2 = nullptr;  // "Today's Sales"
    TMemo* TodaysSalesEdit = nullptr;

    TMemo* OpenDrawerCashEdit = nullptr;
    TMemo* OpenDrawerCheckEdit = nullptr;
    TMemo* OpenDrawerChargeEdit = nullptr;
    TMemo* OpenDrawerTotalEdit = nullptr;
    TMemo* PaymentsReceivedCashEdit = nullptr;
    TMemo* PaymentsReceivedCheckEdit = nullptr;
    TMemo* PaymentsReceivedChargeEdit = nullptr;
    TMemo* PaymentsReceivedTotalEdit = nullptr;
    TMemo* DepositsCashEdit = nullptr;
    TMemo* DepositsCheckEdit = nullptr;
    TMemo* DepositsChargeEdit = nullptr;
    TMemo* DepositsTotalEdit = nullptr;
    TMemo* CloseDrawerCashEdit = nullptr;
    TMemo* CloseDrawerCheckEdit = nullptr;
    TMemo* CloseDrawerChargeEdit = nullptr;
    TMemo* CloseDrawerTotalEdit = nullptr;
    TMemo* DiscrepancyCashEdit = nullptr;
    TMemo* DiscrepancyCheckEdit = nullptr;
    TMemo* DiscrepancyChargeEdit = nullptr;
    TMemo* DiscrepancyTotalEdit = nullptr;

    TBitBtn* BitBtn1 = nullptr;  // OK
    TBitBtn* BitBtn2 = nullptr;  // Cancel, hidden
    TBitBtn* PrintBtn = nullptr;

    TTable* Table1 = nullptr;
    TDataSource* DataSource1 = nullptr;
    TXbase* Xbase1 = nullptr;
    TDazedeVedodev* DazedeVedodev1 = nullptr;

    void FormCreate(TObject* Sender);
    void EndOfDayDateDialogChange(TObject* Sender);
    void EndOfDayDateDialogKeyPress(TObject* Sender, char& Key);
    void EndOfDayDateDialogExit(TObject* Sender);
    void UpdateTotals();
    void CheckTrialBalance();
    void TotalSales();
    void TotalPayments();
    void TotalDeposits();
    void TotalDrawers();
    void OpenDrawerCashEditEnter(TObject* Sender);
    void OpenDrawerCashEditExit(TObject* Sender);
    void PrintBtnClick(TObject* Sender);
    void DazedeVedodev1Print(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void BitBtn2Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // The day whose figures the boxes show.
    TDateTime ShownDate() const { return shownDate_; }

private:
    // One row of the grid: cash, check, charge and total.
    struct TGridRow {
        const char* Caption;
        TMemo* Boxes[4];
    };
    TMemo* makeBox(int Left, int Top, bool Editable);
    std::array<TGridRow, 5> gridRows() const;
    // Opens Table1 on FileName by its "Date" tag and calls Each for every
    // record of the shown day; the table is closed again afterwards.
    template <class Each>
    void forEachOfDay(const char* FileName, Each each);
    // The typed date taken: rewritten in the short date format (the
    // conversion error when it is no date), which recomputes a new day.
    void commitDate();
    // Recomputes everything for Day.
    void showDay(TDateTime Day);
    static Currency boxValue(const TMemo* Box);
    static void setBoxValue(TMemo* Box, Currency Value);
    void writeColumns(TMemo* Cash, TMemo* Check, TMemo* Charge, TMemo* Total, Currency CashValue,
                      Currency CheckValue, Currency ChargeValue);

    TDateTime shownDate_ = -1e9;
};
