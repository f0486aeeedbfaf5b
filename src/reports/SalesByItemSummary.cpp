#include "reports/SalesByItemSummary.h"

#include "reporting/RSBase.h"

TSalesByItemSummaryReport::TSalesByItemSummaryReport(TComponent* AOwner)
    : TSalesByItemReport(AOwner, "Sales by Item - Summary") {}

std::span<const TReportColumn> TSalesByItemSummaryReport::columns() const {
    static constexpr TReportColumn summary[] = {
        {0.5, pjLeft, 1.4, "Type/Category"}, {2.0, pjLeft, 0.9, "Item#"},       {3.0, pjLeft, 0.9, "Qty"},
        {4.0, pjLeft, 0.4, "UM"},            {4.5, pjLeft, 1.4, "Description"}, {6.0, pjRight, 0.9, "Amount"},
        {7.0, pjRight, 1.0, "Total"}};
    return summary;
}

Currency TSalesByItemSummaryReport::printItemLine(TBaseReport& Report) {
    // The item's lines follow one another in the scratch table's order; the
    // table is left on the last of them, so the row-after step reaches the
    // next item.
    const std::string type = scratchText("ItemType"), category = scratchText("Category");
    const std::string itemNo = scratchText("ItemNo");
    Currency qty, amount;
    for (;;) {
        qty += ReportTable->FieldByName("Qty")->AsCurrency();
        amount += ReportTable->FieldByName("Amount")->AsCurrency();
        ReportTable->Next();
        if (ReportTable->Eof()) break;
        if (scratchText("ItemNo") != itemNo || scratchText("Category") != category ||
            scratchText("ItemType") != type) {
            ReportTable->Prior();
            break;
        }
    }
    Report.PrintTab("");
    Report.PrintTab(itemNo);
    Report.PrintTab(qtyCell(qty));
    Report.PrintTab(scratchText("UM"));
    Report.PrintTab(scratchText("Desc"));
    Report.PrintTab(priceCell(ReportTable->FieldByName("Price")->AsCurrency()));
    Report.PrintTab(amountCell(amount));
    return amount;
}
