#pragma once
// TSalesByDayForm: what the detail and summary sales-by-date reports share:
// the receipts on SALES's date tag, their lines and the items, the runner
// and the shell, and the handlers that open and close the tables, scope the
// receipts to the chosen dates, start the run and count the pages. Each
// report adds the shell handlers that lay out its own lines.
#include "data/DbTables.h"
#include "reports/DateRangeForm.h"
#include "reports/ShellReport.h"
#include "xbase/Xbase.h"

class TSalesByDayForm : public TShellReport<TDateRangeForm> {
public:
    TTable* Table2 = nullptr;
    TDataSource* DataSource2 = nullptr;
    TXbase* Xbase2 = nullptr;
    TTable* Table3 = nullptr;
    TDataSource* DataSource3 = nullptr;
    TXbase* Xbase3 = nullptr;

    void FormCreate(TObject* Sender);
    // The closed form frees itself.
    void FormClose(TObject* Sender, TCloseAction& Action);
    void BitBtn1Click(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);

protected:
    TSalesByDayForm(TComponent* AOwner, const std::string& Caption);

    int PageNumber = 0;
};
