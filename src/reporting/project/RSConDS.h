#pragma once
// Report data connections over a dataset: TRSCustomDataSetConnection serves
// the fields and rows of the dataset GetDataSet gives, and
// TRSDataSetConnection serves its published DataSet. Between Open and
// Restore the dataset's controls are disabled and the report may filter
// it; Restore leaves it as the application had it (active or not, the same
// filter, the same record).
#include <string>

#include "data/DataSet.h"
#include "reporting/project/RSCon.h"

// The link's data type of a field type.
TRSDataType dataTypeOfField(TFieldType Type);

class TRSCustomDataSetConnection : public TRSCustomConnection {
public:
    using TRSCustomConnection::TRSCustomConnection;

protected:
    virtual TDataSet* GetDataSet() = 0;

    void DoFirst() override { dataSet()->First(); }
    void DoNext() override { dataSet()->Next(); }
    bool DoEOF() override { return dataSet()->Eof(); }
    void DoGetCols() override;
    void DoGetRow() override;
    // "[Name] op 'value'" joined by " and "; filtered when not empty.
    void DoSetFilter() override;
    void DoOpen() override;
    void DoRestore() override;

private:
    // The dataset; raises when there is none.
    TDataSet* dataSet();

    bool saved_ = false;
    bool wasActive_ = false;
    TBookmark bookmark_;
    std::string savedFilter_;
    bool savedFiltered_ = false;
    // The report's filter compares whole texts; the application's own may not.
    TFilterOptions savedFilterOptions_;
};

class TRSDataSetConnection : public TRSCustomDataSetConnection {
public:
    explicit TRSDataSetConnection(TComponent* AOwner) : TRSCustomDataSetConnection(AOwner) {}
    ~TRSDataSetConnection() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* Value);

protected:
    TDataSet* GetDataSet() override { return dataSet_; }

private:
    TComponentRef<TDataSet> dataSet_{this};
};
