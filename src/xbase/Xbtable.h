#pragma once
// A table that brings its own engine component, so a form can seek on it
// without wiring a data source and a TXbase by hand.
#include <string>

#include "data/DataSource.h"
#include "data/DbTables.h"
#include "xbase/Xbase.h"

class TXbTable : public TTable {
public:
    explicit TXbTable(TComponent* AOwner);
    ~TXbTable() override;

    // Seeks Key in the table's current index; true when found (the table
    // then stands on the found record).
    bool Seek(const std::string& Key);

    // The engine's read-ahead mode; handed to the engine only when set while
    // the table is open.
    bool TurboRead() const { return turboRead_; }
    void SetTurboRead(bool Value);
    // A free label (the forms put the file name in it).
    const std::string& DisplayLabel() const { return displayLabel_; }
    void SetDisplayLabel(const std::string& Value) { displayLabel_ = Value; }
    // An engine filter expression, applied through the own TXbase's query.
    const std::string& XbaseFilter() const { return xbaseFilter_; }
    void SetXbaseFilter(const std::string& Value);

private:
    // Owned by this table (through the component model).
    TDataSource* dataSource_;
    TXbase* xbase_;
    bool turboRead_ = false;
    std::string displayLabel_;
    std::string xbaseFilter_;
};
