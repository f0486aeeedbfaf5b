#pragma once
// TSalesByDayForm: what the detail and summary sales-by-date reports share:
// the receipts on SALES's date tag, their lines and the items, the runner
// and the shell, and the handlers that open and close the tables, scope the
// receipts to the chosen dates, start the run and count the pages. The
// receipts are grouped by date: a date's first receipt starts its line with
// the date, the others with an empty cell, and the date's closing figures
// follow its last receipt. The form keeps the run's sales, adjustment and
// discount totals. Each report adds the shell handlers that lay out its own
// lines and says how a date starts and ends.
#include <string>

#include "base/Currency.h"
#include "base/DateTime.h"
#include "reports/ReceiptLineScan.h"
#include "reports/ReceiptTablesForm.h"

class TSalesByDayForm : public TReceiptTablesForm {
public:
    void FormCreate(TObject* Sender);
    // The closed form frees itself.
    void FormClose(TObject* Sender, TCloseAction& Action);
    void BitBtn1Click(TObject* Sender);
    using TShellReport::ReportSystem1Print;
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageBefore;
    void ReportShell1BodyBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);

protected:
    TSalesByDayForm(TComponent* AOwner, const std::string& Caption);

    // A new date's figures start (before its line is fed) and its last
    // receipt has been read.
    virtual void startDate(TBaseReport& Report) = 0;
    virtual void endDate(TBaseReport& Report) = 0;
    // Adds the current receipt, whose number is Receipt, to the run's
    // totals; its lines' figures.
    TLineFigures countReceipt(const std::string& Receipt, Currency Subtotal);

    TDateTime LastDate = 0;
    Currency SalesTotal, AdjustmentTotal, DiscountTotal;
};
