#include "reports/SalesByGroup.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
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
    runOnce([this] {
        TDateTime from = 0, thru = 0;
        normaliseDates(from, thru);
        Xbase1->SetFilter(DateRange::filterText(DateRange::Key(from), DateRange::Key(thru)));
        Table1->First();
        ReportSystem1->Execute();
    });
}

void TSalesByGroupReport::ReportSystem1Print(TObject* Sender) {
    ReportShell1->Execute(dynamic_cast<TBaseReport*>(Sender));
}

std::string TSalesByGroupReport::recordKey() const { return Trim(Table1->FieldByName(keyField_)->AsString()); }

void TSalesByGroupReport::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    Table1->First();
    PageNumber = 0;
    totalPage_ = false;
    Report->SetOriginX(0);
    Report->SetOriginY(0);
}

void TSalesByGroupReport::ReportShell1PageBefore(TBaseReport* Report, TDetailShell*) {
    ++PageNumber;
    Report->SetFont("Arial", 10);
}

void TSalesByGroupReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    if (totalPage_) return;
    DateRange::printPageHeader(*Report, title_, FromKingDateDialog->Text(), ThruKingDateDialog->Text(), PageNumber);
    auto columns = [Report](std::uint8_t BoxLines) {
        Report->ClearTabs();
        Report->SetTab(0.5, pjLeft, 1.4, 0, BoxLines, 0);
        Report->SetTab(2.0, pjLeft, 0.9, 0, BoxLines, 0);
        Report->SetTab(3.0, pjLeft, 2.4, 0, BoxLines, 0);
        Report->SetTab(5.5, pjRight, 0.9, 0, BoxLines, 0);
        Report->SetTab(6.5, pjRight, 1.0, 0, BoxLines, 0);
    };
    Report->SetFont("Arial", 10);
    columns(BOXLINEBOTTOM);
    Report->GotoXY(0, 1.5);
    for (const std::string& heading : {keyTitle_, std::string("Receipt"), std::string("Patient Name"),
                                       std::string("Amount"), std::string("Total")})
        Report->PrintTab(heading);
    columns(0);
    Report->GotoXY(0, 1.75);
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

void TSalesByGroupReport::ReportShell1PageAfter(TBaseReport* Report, TDetailShell*) { Report->NextLine(); }
