#pragma once
// TSalesByPersonnel ("Sales by Personnel"): the receipts of the chosen
// dates grouped by the salesperson recorded on them, each salesperson on a
// page of their own under their ID and name, and a last page holding only
// the total sales.
#include "reports/SalesByGroup.h"

class TSalesByPersonnel : public TSalesByGroupReport {
public:
    explicit TSalesByPersonnel(TComponent* AOwner);

    TTable* Table2 = nullptr;
    TDataSource* DataSource2 = nullptr;
    TXbase* Xbase2 = nullptr;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

protected:
    void printGroupHeading(TBaseReport& Report, const std::string& Shown, bool Known) override;
    void endGroup(TBaseReport& Report, bool Last) override;
    void printGrandTotal(TBaseReport& Report, Currency Total) override;
};
