#pragma once
// TQmQuery: an SQL query dataset with the lookup-aware lists. The xBase
// engine runs no SQL, so opening one fails after the engine has reported the
// call it lacks; the lists and the calculated-fields pass work as on TQmTable.
#include <string>

#include "base/Classes.h"
#include "data/DbTables.h"
#include "xbase/Qmqbe.h"

class TQmQuery : public TDBDataSet {
public:
    explicit TQmQuery(TComponent* AOwner);
    ~TQmQuery() override;

    // The SQL text lines.
    TStringList* SQL() { return &sql_; }
    void SetSQL(const TStrings* Value);

    // Setting a list copies its lines.
    TStringList* ControlType() { return &controlType_; }
    TStringList* GetControlType() { return &controlType_; }
    void SetControlType(const TStrings* Value);
    TStringList* LookupFields() { return &lookupFields_; }
    void SetLookupFields(const TStrings* Value);
    TStringList* LookupLinks() { return &lookupLinks_; }
    void SetLookupLinks(const TStrings* Value);
    void PurgeMissingFieldEntries();

protected:
    hDBICur CreateHandle() override;
    void DoOnCalcFields() override;

private:
    TStringList sql_;
    TStringList controlType_;
    TStringList lookupFields_;
    TStringList lookupLinks_;
    TLookupCache lookupCache_;
};
