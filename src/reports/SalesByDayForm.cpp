#include "reports/SalesByDayForm.h"

#include "reporting/RSBase.h"
#include "ui/FormKit.h"

TSalesByDayForm::TSalesByDayForm(TComponent* AOwner, const std::string& Caption)
    : TReceiptTablesForm(AOwner, "Sales.dbf", Caption) {
    bindEvent(BitBtn1->OnClick, this, &TSalesByDayForm::BitBtn1Click);
    bindReportHandlers(this);
}

void TSalesByDayForm::FormCreate(TObject*) {
    Table1->Open();
    Table2->Open();
    Table3->Open();
    DateRangeComboBoxChange(this);
}

void TSalesByDayForm::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Table2->Close();
    Action = caFree;
}

void TSalesByDayForm::BitBtn1Click(TObject*) { runScopedOnRange(Xbase1, Table1, ReportSystem1); }

void TSalesByDayForm::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    Table1->First();
    startPages(*Report);
}

void TSalesByDayForm::ReportShell1BodyBefore(TBaseReport*, TDetailShell*) {
    SalesTotal = AdjustmentTotal = DiscountTotal = Currency(0);
}

void TSalesByDayForm::ReportShell1GroupBeforeFirst(TBaseReport*, TDetailShell*) { LastDate = 0; }

void TSalesByDayForm::ReportShell1GroupHeader(TBaseReport* Report, TDetailShell*) {
    if (Table1->Eof()) return;  // an empty range prints no row
    const TDateTime date = Table1->FieldByName("DATE")->AsDateTime();
    if (date == LastDate) {
        Report->PrintTab("");
        return;
    }
    LastDate = date;
    startDate(*Report);
    Report->NextLine();
    Report->PrintTab(FormatDateTime("ddd m/d/yy", date));
}

void TSalesByDayForm::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = !Table1->Eof();
    if (LastDate == 0) return;  // nothing printed: an empty range
    if (!Table1->Eof() && Table1->FieldByName("DATE")->AsDateTime() == LastDate) return;
    endDate(*Report);
}

TLineFigures TSalesByDayForm::countReceipt(const std::string& Receipt, Currency Subtotal) {
    SalesTotal += Subtotal;
    const TLineFigures lines = scanReceiptLines({Table2, Xbase2, Table3, Xbase3}, Receipt);
    AdjustmentTotal += lines.Adjustments;
    DiscountTotal += lines.Discounts;
    return lines;
}
