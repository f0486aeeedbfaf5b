#include "reports/SalesByPatient.h"

#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "ui/FormKit.h"

TSalesByPatient::TSalesByPatient(TComponent* AOwner)
    : TSalesByGroupReport(AOwner, "Sales by Patient", "PATID", "PATID", "Patient ID") {
    bindEvent(OnCreate, this, &TSalesByPatient::FormCreate);
    bindEvent(OnClose, this, &TSalesByPatient::FormClose);
}

void TSalesByPatient::FormCreate(TObject*) {
    Table1->Open();
    DateRangeComboBoxChange(this);
}

void TSalesByPatient::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Action = caFree;
}

void TSalesByPatient::printGroupHeading(TBaseReport& Report, const std::string& Shown, bool) {
    Report.PrintTab(Shown);
}

void TSalesByPatient::endGroup(TBaseReport& Report, bool) { Report.NextLine(); }

void TSalesByPatient::printGrandTotal(TBaseReport& Report, Currency Total) {
    Report.NextLine();
    Report.ClearTabs();
    Report.SetTab(5.0, pjLeft, 1.9, 0, 0, 0);
    Report.SetTab(6.5, pjRight, 1.0, 0, BOXLINETOP, 0);
    Report.NextLine();
    Report.PrintTab("Total");
    Report.PrintTab(DateRange::Money("###,###,##0.00", Total));
}
