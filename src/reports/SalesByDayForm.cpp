#include "reports/SalesByDayForm.h"

#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "ui/FormKit.h"

TSalesByDayForm::TSalesByDayForm(TComponent* AOwner, const std::string& Caption)
    : TShellReport(AOwner, {"Sales.dbf", "DATE"}, Caption) {
    companyTable(Table2, DataSource2, Xbase2, {"SALESDTL.DBF", "RECEIPT"});
    companyTable(Table3, DataSource3, Xbase3, {"ITEM.DBF", "ID"});

    bindEvent(OnCreate, this, &TSalesByDayForm::FormCreate);
    bindEvent(OnClose, this, &TSalesByDayForm::FormClose);
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

void TSalesByDayForm::BitBtn1Click(TObject*) {
    runOnce([this] {
        TDateTime from = 0, thru = 0;
        normaliseDates(from, thru);
        Xbase1->SetScope(DateRange::Key(from), DateRange::Key(thru));
        Table1->First();
        ReportSystem1->Execute();
    });
}

void TSalesByDayForm::ReportSystem1Print(TObject* Sender) {
    ReportShell1->Execute(dynamic_cast<TBaseReport*>(Sender));
}

void TSalesByDayForm::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    Table1->First();
    PageNumber = 0;
    Report->SetOriginX(0);
    Report->SetOriginY(0);
}

void TSalesByDayForm::ReportShell1PageBefore(TBaseReport* Report, TDetailShell*) {
    ++PageNumber;
    Report->SetFont("Arial", 10);
}
