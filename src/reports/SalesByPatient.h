#pragma once
// TSalesByPatient ("Sales by Patient"): the receipts of the chosen dates
// grouped by patient number, each group's subtotal, and the total.
#include "reports/SalesByGroup.h"

class TSalesByPatient : public TSalesByGroupReport {
public:
    explicit TSalesByPatient(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    using TShellReport::FormClose;

protected:
    void printGroupHeading(TBaseReport& Report, const std::string& Shown, bool Known) override;
    void endGroup(TBaseReport& Report, bool Last) override;
    void printGrandTotal(TBaseReport& Report, Currency Total) override;
};
