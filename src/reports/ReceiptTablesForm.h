#pragma once
// TReceiptTablesForm: the base of a date-range report over the receipts and
// their lines. Besides the shell report's first table (the receipts, SALES
// on its date tag) it owns the receipt lines (Table2: SALESDTL on its
// receipt tag) and the items (Table3: ITEM on its ID tag).
#include <string>

#include "data/DbTables.h"
#include "reports/DateRangeForm.h"
#include "reports/ShellReport.h"
#include "xbase/Xbase.h"

class TReceiptTablesForm : public TShellReport<TDateRangeForm> {
public:
    TTable* Table2 = nullptr;
    TDataSource* DataSource2 = nullptr;
    TXbase* Xbase2 = nullptr;
    TTable* Table3 = nullptr;
    TDataSource* DataSource3 = nullptr;
    TXbase* Xbase3 = nullptr;

protected:
    // SalesFile: the receipts' file name as the member spells it.
    TReceiptTablesForm(TComponent* AOwner, const char* SalesFile, const std::string& Caption)
        : TShellReport(AOwner, {SalesFile, "DATE"}, Caption) {
        companyTable(Table2, DataSource2, Xbase2, {"SALESDTL.DBF", "RECEIPT"});
        companyTable(Table3, DataSource3, Xbase3, {"ITEM.DBF", "ID"});
    }
};
