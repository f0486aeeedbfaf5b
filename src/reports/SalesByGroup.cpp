#include "reports/SalesByGroup.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
#include "reports/ReportColumns.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* LinePicture = "###,###,##0.00;;0";
constexpr const char* TotalPicture = "###,###,##0.00";
constexpr const char* NoId = "<no id>";

}  // namespace

TSalesByGroupReport::TSalesByGroupReport(TComponent* AOwner, const std::string& Title, const char* IndexName,
                                         const char* KeyField, const char* KeyTitle)
    : TShellReport(AOwner, {"Sales.dbf", IndexName}, Title), title_(Title), keyField_(KeyField), keyTitle_(KeyTitle) {
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

std::string TSalesByGroupReport::recordKey() const { return Trim(Table1->FieldByName(keyField_)->AsString()); }

void TSalesByGroupReport::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    Table1->First();
    totalPage_ = false;
    startPages(*Report);
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

void TSalesByGroupReport::ReportShell1BodyBefore(TBaseReport*, TDetailShell*) {
    GroupSubtotal = GroupGrandTotal = Currency(0);
}

void TSalesByGroupReport::ReportShell1GroupBeforeFirst(TBaseReport*, TDetailShell*) {
    LastGroupKey = NoId;
    grouped_ = false;
}

void TSalesByGroupReport::ReportShell1GroupHeader(TBaseReport* Report, TDetailShell*) {
    if (Table1->Eof()) return;  // an empty range prints no row
    const std::string key = recordKey();
    if (grouped_ && key == LastGroupKey) {
        Report->PrintTab("");
        return;
    }
    grouped_ = true;
    GroupSubtotal = Currency(0);
    LastGroupKey = key;
    Report->NextLine();
    printGroupHeading(*Report, key.empty() ? std::string(NoId) : key, !key.empty());
}

void TSalesByGroupReport::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (Table1->Eof()) return;
    const Currency subtotal = Table1->FieldByName("SUBTOTAL")->AsCurrency();
    Report->PrintTab("");  // the row starts again at the first stop, under the key
    Report->PrintTab(receiptText(Table1->FieldByName("RECEIPT")->AsFloat()));
    Report->PrintTab(Table1->FieldByName("NAME")->AsString());
    Report->PrintTab(DateRange::Money(LinePicture, subtotal));
    GroupSubtotal += subtotal;
    GroupGrandTotal += subtotal;
}

void TSalesByGroupReport::ReportShell1RowAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    if (Table1->Eof()) {
        Valid = false;
        return;
    }
    const std::string key = recordKey();
    Table1->Next();
    if (!Table1->Eof() && recordKey() == key)
        Report->NextLine();
    else
        Report->PrintTab(DateRange::Money(TotalPicture, GroupSubtotal));
    Valid = !Table1->Eof();
}

void TSalesByGroupReport::ReportShell1DetailAfter(TBaseReport* Report, TDetailShell*) {
    if (Report->YPos() > 9.5) Report->NewPage();
}

void TSalesByGroupReport::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = !Table1->Eof();
    if (!grouped_) return;
    if (Table1->Eof())
        endGroup(*Report, true);
    else if (recordKey() != LastGroupKey)
        endGroup(*Report, false);
}

void TSalesByGroupReport::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    printGrandTotal(*Report, GroupGrandTotal);
}
