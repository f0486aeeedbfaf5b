#pragma once
// TSalesByGroupReport: the receipts of a date range grouped by who they
// belong to, the base of Sales by Patient and Sales by Personnel. The range
// is an xBase filter on the receipts (their index is the group's, not the
// date); each group's subtotal stands in the "Total" column of its last
// receipt line. A blank key is grouped under "<no id>".
#include <string>

#include "base/Currency.h"
#include "data/DbTables.h"
#include "reports/DateRangeForm.h"
#include "reports/GroupedReport.h"
#include "xbase/Xbase.h"

class TSalesByGroupReport : public TGroupedReport<TDateRangeForm> {
public:
    void BitBtn1Click(TObject* Sender);
    using TShellReport::ReportSystem1Print;
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);

protected:
    // Title is the caption and the printed title; IndexName and KeyField
    // give the group; KeyTitle heads the key column.
    TSalesByGroupReport(TComponent* AOwner, const std::string& Title, const char* IndexName,
                        const char* KeyField, const char* KeyTitle);

    std::string groupKey() const override;
    Currency printRecord(TBaseReport& Report) override;

    // Set for a page that holds the grand total alone, without the page header.
    bool totalPage_ = false;

private:
    std::string title_, keyField_, keyTitle_;
};
