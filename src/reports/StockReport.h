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
#include "reports/GroupedReport.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbase.h"

class TStockReportForm : public TGroupedReport<TForm> {
public:
    void ReportSystem1Print(TObject* Sender);
    using TShellReport::ReportSystem1BeforePrint;
    using TShellReport::ReportSystem1AfterPrint;
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);

protected:
    // IndexName picks the items; Title is printed at the top of each page.
    TStockReportForm(TComponent* AOwner, const std::string& Caption, const char* IndexName,
                     const std::string& Title);

    // The current item's vendor, upper-cased.
    std::string groupKey() const override;
    void printGroupHeading(TBaseReport& Report, const std::string& Shown, bool Known) override;
    Currency printRecord(TBaseReport& Report) override;
    void endGroup(TBaseReport& Report, bool Last) override;
    void printGrandTotal(TBaseReport& Report, Currency Total) override;

private:
    std::string title_;
};
