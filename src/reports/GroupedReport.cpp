#include "reports/GroupedReport.h"

#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/DateRangeForm.h"

namespace {

constexpr const char* TotalPicture = "###,###,##0.00";

}  // namespace

void printRuledTotal(TBaseReport& Report, const TReportColumn& Caption, const TReportColumn& Amount, Currency Total) {
    Report.NextLine();
    Report.ClearTabs();
    Report.SetTab(Caption.Pos, Caption.Justify, Caption.Width, 0, 0, 0);
    Report.SetTab(Amount.Pos, Amount.Justify, Amount.Width, 0, BOXLINETOP, 0);
    Report.NextLine();
    Report.PrintTab(Caption.Title);
    Report.PrintTab(DateRange::Money(TotalPicture, Total));
}

template <class Base>
void TGroupedReport<Base>::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    this->Table1->First();
    this->startPages(*Report);
}

template <class Base>
void TGroupedReport<Base>::ReportShell1BodyBefore(TBaseReport*, TDetailShell*) {
    GroupSubtotal = GroupGrandTotal = Currency(0);
}

template <class Base>
void TGroupedReport<Base>::ReportShell1GroupBeforeFirst(TBaseReport*, TDetailShell*) {
    LastGroupKey = blankLabel_;
    grouped_ = false;
}

template <class Base>
void TGroupedReport<Base>::ReportShell1GroupHeader(TBaseReport* Report, TDetailShell*) {
    // An empty list prints no line made from an empty record.
    if (this->Table1->Eof()) return;
    const std::string key = groupKey();
    // The first group is always headed, also when its key is blank.
    if (grouped_ && key == LastGroupKey) {
        Report->PrintTab("");
        return;
    }
    grouped_ = true;
    GroupSubtotal = Currency(0);
    LastGroupKey = key;
    Report->NextLine();
    printGroupHeading(*Report, key.empty() ? blankLabel_ : key, !key.empty());
}

template <class Base>
void TGroupedReport<Base>::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (this->Table1->Eof()) return;
    Report->PrintTab("");  // the row starts again at the first stop, under the key
    const Currency amount = printRecord(*Report);
    GroupSubtotal += amount;
    GroupGrandTotal += amount;
}

template <class Base>
void TGroupedReport<Base>::ReportShell1RowAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    TTable& table = *this->Table1;
    if (table.Eof()) {
        Valid = false;
        return;
    }
    const std::string key = groupKey();
    table.Next();
    if (!table.Eof() && groupKey() == key)
        Report->NextLine();
    else
        Report->PrintTab(DateRange::Money(TotalPicture, GroupSubtotal));
    Valid = !table.Eof();
}

template <class Base>
void TGroupedReport<Base>::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    const bool last = this->Table1->Eof();
    Valid = !last;
    if (!grouped_) return;
    if (last || groupKey() != LastGroupKey) endGroup(*Report, last);
}

template <class Base>
void TGroupedReport<Base>::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    printGrandTotal(*Report, GroupGrandTotal);
}

// The stock reports are plain forms, the sales groups date-range forms.
template class TGroupedReport<TForm>;
template class TGroupedReport<TDateRangeForm>;
