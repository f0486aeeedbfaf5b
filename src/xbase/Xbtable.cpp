#include "xbase/Xbtable.h"

TXbTable::TXbTable(TComponent* AOwner)
    : TTable(AOwner), dataSource_(new TDataSource(this)), xbase_(new TXbase(this)) {
    dataSource_->SetDataSet(this);
    xbase_->SetDataSource(dataSource_);
}

TXbTable::~TXbTable() {
    // Freed before the table closes, so that neither follows a half-destroyed table.
    delete xbase_;
    delete dataSource_;
}

bool TXbTable::Seek(const std::string& Key) { return xbase_->Seek(Key); }

void TXbTable::SetTurboRead(bool Value) {
    turboRead_ = Value;
    if (Active()) xbase_->SetTurboRead(Value);
}

void TXbTable::SetXbaseFilter(const std::string& Value) {
    xbaseFilter_ = Value;
    xbase_->Query(Value);
}
