#include "xbase/Qmquery.h"

TQmQuery::TQmQuery(TComponent* AOwner) : TDBDataSet(AOwner) {}

TQmQuery::~TQmQuery() {
    try {
        Close();
    } catch (...) {
    }
}

void TQmQuery::SetSQL(const TStrings* Value) { sql_.Assign(Value); }
void TQmQuery::SetControlType(const TStrings* Value) { controlType_.Assign(Value); }
void TQmQuery::SetLookupFields(const TStrings* Value) { lookupFields_.Assign(Value); }
void TQmQuery::SetLookupLinks(const TStrings* Value) { lookupLinks_.Assign(Value); }

void TQmQuery::PurgeMissingFieldEntries() {
    Qmqbe::PurgeMissingFieldEntries(this, &lookupFields_, &lookupLinks_, &controlType_);
}

hDBICur TQmQuery::CreateHandle() { return Qmqbe::OpenQueryCursor(this, sql_.Text()); }

void TQmQuery::DoOnCalcFields() {
    PurgeMissingFieldEntries();
    Qmqbe::CalcLookupFields(this, lookupFields_, lookupLinks_, lookupCache_);
    TDBDataSet::DoOnCalcFields();
}
