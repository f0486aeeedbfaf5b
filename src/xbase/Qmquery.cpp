#include "xbase/Qmquery.h"

TQmQuery::TQmQuery(TComponent* AOwner) : TQmLookupDataSet(AOwner) {}

TQmQuery::~TQmQuery() {
    try {
        Close();
    } catch (...) {
    }
}

void TQmQuery::SetSQL(const TStrings* Value) { sql_.Assign(Value); }

hDBICur TQmQuery::CreateHandle() { return Qmqbe::OpenQueryCursor(this, sql_.Text()); }
