#include "reports/SalesByPatient.h"

#include "reporting/RSBase.h"
#include "ui/FormKit.h"

TSalesByPatient::TSalesByPatient(TComponent* AOwner)
    : TSalesByGroupReport(AOwner, "Sales by Patient", "PATID", "PATID", "Patient ID") {
    bindFormHandlers(this);
}

void TSalesByPatient::FormCreate(TObject*) {
    Table1->Open();
    DateRangeComboBoxChange(this);
}

void TSalesByPatient::printGroupHeading(TBaseReport& Report, const std::string& Shown, bool) {
    Report.PrintTab(Shown);
}

void TSalesByPatient::endGroup(TBaseReport& Report, bool) { Report.NextLine(); }

void TSalesByPatient::printGrandTotal(TBaseReport& Report, Currency Total) {
    printRuledTotal(Report, {5.0, pjLeft, 1.9, "Total"}, {6.5, pjRight, 1.0}, Total);
}
