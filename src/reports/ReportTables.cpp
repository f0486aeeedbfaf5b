#include "reports/ReportTables.h"

#include "data/DbTables.h"
#include "xbase/Xbase.h"

namespace {
constexpr const char* CompanyDatabase = "DODurodor";
}

void makeCompanyTable(TComponent* Owner, TTable*& Table, TDataSource*& Source, TXbase*& Engine,
                      const char* FileName, const char* IndexName) {
    Table = new TTable(Owner);
    Table->SetDatabaseName(CompanyDatabase);
    Table->SetTableType(ttSXNSX);
    Table->SetTableName(FileName);
    Table->SetIndexName(IndexName);
    Source = new TDataSource(Owner);
    Source->SetDataSet(Table);
    Engine = new TXbase(Owner);
    Engine->SetDataSource(Source);
}
