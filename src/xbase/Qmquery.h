#pragma once
// TQmQuery: an SQL query dataset with the lookup-aware lists. The xBase
// engine runs no SQL, so opening one fails after the engine has reported the
// call it lacks; the lists and the calculated-fields pass work as on TQmTable.
#include <string>

#include "base/Classes.h"
#include "data/DbTables.h"
#include "xbase/Qmqbe.h"

class TQmQuery : public TQmLookupDataSet<TDBDataSet> {
public:
    explicit TQmQuery(TComponent* AOwner);
    ~TQmQuery() override;

    // The SQL text lines.
    TStringList* SQL() { return &sql_; }
    void SetSQL(const TStrings* Value);

protected:
    hDBICur CreateHandle() override;

private:
    TStringList sql_;
};
