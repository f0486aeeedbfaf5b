#include "reports/TablePlace.h"

#include "data/DbTables.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

TTablePlace::TTablePlace(TTable* Table, TXbase* Engine) : table_(Table), engine_(Engine) {
    active_ = table_->Active();
    if (!active_) return;
    index_ = table_->IndexName();
    engine_->GetScope(XB_SCOPE_LOW, low_);
    engine_->GetScope(XB_SCOPE_HIGH, high_);
    eof_ = table_->Eof();
    recNo_ = engine_->RecNo();
}

TTablePlace::~TTablePlace() {
    try {
        restore();
    } catch (...) {
        // A table that cannot be put back must not hide the run's own error.
    }
}

void TTablePlace::restore() {
    if (!active_ || !table_->Active()) return;
    table_->SetIndexName(index_);
    engine_->SetScope(low_, high_);
    if (eof_) {
        table_->Last();
        table_->Next();
    } else if (recNo_ > 0) {
        engine_->Go(recNo_);
    }
}
