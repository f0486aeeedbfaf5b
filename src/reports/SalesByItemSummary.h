#pragma once
// TSalesByItemSummaryReport ("Sales by Item - Summary"): the sales-by-item
// report with one line per item instead of one per receipt line: the
// quantities and amounts of the item's lines summed, and the price of its
// last line. Everything else, the scratch table, the "Sold by" choice and
// the groups, is the detail report's; each form has its own table and its
// own run state.
#include "reports/SalesByItem.h"

class TSalesByItemSummaryReport : public TSalesByItemReport {
public:
    explicit TSalesByItemSummaryReport(TComponent* AOwner);

protected:
    std::span<const TReportColumn> columns() const override;
    Currency printItemLine(TBaseReport& Report) override;
};
