#include "reports/SalesByGroup.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
#include "reports/ReportColumns.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* LinePicture = "###,###,##0.00;;0";

}  // namespace

TSalesByGroupReport::TSalesByGroupReport(TComponent* AOwner, const std::string& Title, const char* IndexName,
                                         const char* KeyField, const char* KeyTitle)
    : TGroupedReport(AOwner, {"Sales.dbf", IndexName}, "<no id>", Title), title_(Title), keyField_(KeyField), keyTitle_(KeyTitle) {
    bindEvent(BitBtn1->OnClick, this, &TSalesByGroupReport::BitBtn1Click);
    bindReportHandlers(this);
}

void TSalesByGroupReport::BitBtn1Click(TObject*) {
    runOnRange([this](TDateTime From, TDateTime Thru) {
        Xbase1->SetFilter(DateRange::filterText(DateRange::Key(From), DateRange::Key(Thru)));
        Table1->First();
        ReportSystem1->Execute();
    });
}

std::string TSalesByGroupReport::groupKey() const { return Trim(Table1->FieldByName(keyField_)->AsString()); }

void TSalesByGroupReport::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell) {
    totalPage_ = false;
    TGroupedReport::ReportShell1ReportBefore(Report, Shell);
}

void TSalesByGroupReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    if (totalPage_) return;
    DateRange::printPageHeader(*Report, title_, FromKingDateDialog->Text(), ThruKingDateDialog->Text(), PageNumber);
    const TReportColumn columns[] = {{0.5, pjLeft, 1.4, keyTitle_.c_str()},
                                     {2.0, pjLeft, 0.9, "Receipt"},
                                     {3.0, pjLeft, 2.4, "Patient Name"},
                                     {5.5, pjRight, 0.9, "Amount"},
                                     {6.5, pjRight, 1.0, "Total"}};
    Report->SetFont("Arial", 10);
    printColumnHeadings(*Report, columns);
    Report->SetFont("Arial", 9);
}

Currency TSalesByGroupReport::printRecord(TBaseReport& Report) {
    const Currency subtotal = Table1->FieldByName("SUBTOTAL")->AsCurrency();
    Report.PrintTab(receiptText(Table1->FieldByName("RECEIPT")->AsFloat()));
    Report.PrintTab(Table1->FieldByName("NAME")->AsString());
    Report.PrintTab(DateRange::Money(LinePicture, subtotal));
    return subtotal;
}
