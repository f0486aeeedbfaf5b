#include "reports/SalesByPersonnel.h"

#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReportTables.h"
#include "ui/FormKit.h"

TSalesByPersonnel::TSalesByPersonnel(TComponent* AOwner)
    : TSalesByGroupReport(AOwner, "Sales by Personnel", "Personnel", "EMPLY", "Personnel ID") {
    makeCompanyTable(this, Table2, DataSource2, Xbase2, "PERSONNE.DBF", "ID");
    bindFormHandlers(this);
}

void TSalesByPersonnel::FormCreate(TObject*) {
    Table1->Open();
    Table2->Open();
    DateRangeComboBoxChange(this);
}

void TSalesByPersonnel::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Table2->Close();
    Action = caFree;
}

void TSalesByPersonnel::printGroupHeading(TBaseReport& Report, const std::string& Shown, bool Known) {
    std::string heading = Shown;
    if (Known && Xbase2->Seek(Shown)) heading += "  " + Table2->FieldByName("NAME")->AsString();
    Report.PrintTab(heading);
    Report.NextLine();
}

void TSalesByPersonnel::endGroup(TBaseReport& Report, bool Last) {
    Report.NextLine();
    Report.NextLine();
    // The total's own page follows the last salesperson.
    if (!Last) Report.NewPage();
}

void TSalesByPersonnel::printGrandTotal(TBaseReport& Report, Currency Total) {
    Report.NextLine();
    Report.NextLine();
    totalPage_ = true;
    Report.NewPage();
    Report.ClearTabs();
    Report.SetTab(3.0, pjLeft, 1.9, 0, 0, 0);
    Report.SetTab(4.5, pjRight, 1.0, 0, 0, 0);
    Report.GotoXY(0, 5.5);
    Report.SetFont("Arial", 12);
    Report.NextLine();
    Report.PrintTab("Total Sales");
    Report.PrintTab(DateRange::Money("###,###,##0.00", Total));
}
