#pragma once
// A report form's own company table: a TTable on the company's database
// alias with its data source and its TXbase, owned by the form.
class TComponent;
class TTable;
class TDataSource;
class TXbase;

void makeCompanyTable(TComponent* Owner, TTable*& Table, TDataSource*& Source, TXbase*& Engine,
                      const char* FileName, const char* IndexName);
