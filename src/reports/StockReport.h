#pragma once
// TStockReportForm: the layout and handlers the two stock reports share.
// The items come from ITEM.DBF on a tag that both selects and orders them
// (upper-cased vendor, category, manufacturer, ID), so the report needs no
// filter of its own. Items are grouped by upper-cased vendor, an empty
// vendor under "<no vendor>"; each vendor's subtotal of unit costs stands in
// the "Total" column of its last line, and the grand total closes the report.
// The item table is open only while the report prints.
#include <string>

#include "base/Currency.h"
#include "data/DbTables.h"
#include "reports/ShellReport.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbase.h"

class TStockReportForm : public TShellReport<TForm> {
public:
    void ReportSystem1Print(TObject* Sender);
    void ReportSystem1BeforePrint(TObject* Sender);
    void ReportSystem1AfterPrint(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1BodyBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1DetailAfter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageAfter(TBaseReport* Report, TDetailShell* Shell);

protected:
    // IndexName picks the items; Title is printed at the top of each page.
    TStockReportForm(TComponent* AOwner, const std::string& Caption, const char* IndexName,
                     const std::string& Title);

private:
    // The eight column stops, with box-line flag BoxLines.
    static void setColumns(TBaseReport& Report, std::uint8_t BoxLines);
    // The current item's vendor, upper-cased.
    std::string itemVendor() const;

    std::string title_;
    int PageNumber = 0;
    std::string CurrentVendor;
    bool vendorPrinted_ = false;
    Currency VendorSubtotal, GrandTotal;
};
