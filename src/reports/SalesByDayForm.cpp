#include "reports/SalesByDayForm.h"

#include "reporting/RSBase.h"
#include "ui/FormKit.h"

TSalesByDayForm::TSalesByDayForm(TComponent* AOwner, const std::string& Caption)
    : TShellReport(AOwner, {"Sales.dbf", "DATE"}, Caption) {
    companyTable(Table2, DataSource2, Xbase2, {"SALESDTL.DBF", "RECEIPT"});
    companyTable(Table3, DataSource3, Xbase3, {"ITEM.DBF", "ID"});

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
