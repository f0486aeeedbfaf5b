#pragma once
// The services shared by the lookup-aware datasets (TQmTable, TQmQuery,
// TQmQBE) and the grid and lookup controls: the LookupFields, LookupLinks and
// ControlType lists, the lookup fields filled on every calculated-fields
// pass, and positioning tables by key values. Also the query-by-example
// dataset, which the engine does not carry.
//
// List formats, one line per field, items separated by ";":
//   LookupFields  field; lookup DatabaseName; lookup TableName; result field; lookup IndexName
//   LookupLinks   master field; lookup field (1 to 6 pairs), parallel to LookupFields
//   ControlType   field; kind ("CheckBox", "LookupCombo", "Combo"); the kind's parameters
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "data/DbTables.h"
#include "ui/ControlState.h"

class TQmTable;

// The lookup tables a dataset opened for its lookup fields: each remembers
// the link line it was opened for, whether it was searched in the current
// pass and what that search found.
class TLookupCache {
public:
    struct Entry {
        std::unique_ptr<TQmTable> Table;
        std::string Links;
        bool LookedUp = false;
        bool Found = false;
    };

    TLookupCache();
    ~TLookupCache();
    TLookupCache(const TLookupCache&) = delete;
    TLookupCache& operator=(const TLookupCache&) = delete;

    int Count() const { return static_cast<int>(entries_.size()); }
    Entry& Items(int Index) { return *entries_.at(Index); }
    Entry& Add(std::unique_ptr<TQmTable> Table, const std::string& Links);
    void Clear();

private:
    std::vector<std::unique_ptr<Entry>> entries_;
};

namespace Qmqbe {

// True for a TQmTable, TQmQuery or TQmQBE.
bool IsQmDataSet(const TObject* Obj);

// True while a control is painted as a copy (into a grid cell): it then draws
// its text and check boxes without focus decoration.
bool IsPaintCopyState(TControlState ControlState);

// The dataset's list (testing TQmTable, TQmQuery, TQmQBE in that order);
// nullptr for any other dataset.
TStringList* GetDataSetControlType(TDataSet* DataSet);
TStringList* GetDataSetLookupFields(TDataSet* DataSet);
TStringList* GetDataSetLookupLinks(TDataSet* DataSet);

// The LookupLinks line whose parallel LookupFields line names FieldName
// (exact compare); "" when none.
void GetFieldLookupLinks(TDataSet* DataSet, const std::string& FieldName, std::string& Result);
// The result field (fourth item) of the LookupFields line naming FieldName; "" when none.
void GetFieldLookupItem4(TDataSet* DataSet, const std::string& FieldName, std::string& Result);

// True when a field's name equals Name without regard to case.
bool DataSetHasField(TDataSet* DataSet, const std::string& Name);

// Applies a grid's column lines (field, tab, display width, tab, title): every
// field is hidden, then the fields named are shown in line order with their
// width and title. A width that is no number raises; a line with fewer than
// three items raises the string list's index error.
void ApplySelectedFields(TDataSet* DataSet, const TStrings& Selected);

// Removes the LookupFields lines (with their LookupLinks lines) and the
// ControlType lines whose first item is no field of the dataset.
void PurgeMissingFieldEntries(TDataSet* DataSet, TStrings* LookupFields, TStrings* LookupLinks,
                              TStrings* ControlType);

// At design time only: removes the "Combo" and "LookupCombo" lines of the
// dataset's ControlType whose control (third item) is no component of the
// dataset's owner (names compared without case).
void RemoveMissingComboControls(TDataSet* DataSet);

// Fills the lookup fields of the dataset's current calculated record from
// the lookup tables, opening them into Cache as needed.
void CalcLookupFields(TDataSet* DataSet, const TStrings& LookupFields, const TStrings& LookupLinks,
                      TLookupCache& Cache);

// Puts LookupTable on the record that FieldName's link values name, on the
// index the lookup line names (or else one whose fields are the lookup side
// of the links); true when found. A missing master field hides the lookup field.
bool LocateLookupRecord(TDataSet* DataSet, const std::string& FieldName, TQmTable* LookupTable);

// Whether Text suits the field's type: integer fields a whole number, float
// and currency fields a number, date and time fields a date (and time);
// other types any text.
bool IsValidFieldText(const TField* Field, const std::string& Text);

// Moves Table to the nearest key made of the current record's values of the
// index fields before Position (0..3) followed by Text. True when the
// reached record's field at Position contains Text (without regard to case).
bool FindNearestText(TDataSet* Table, const std::string& Text, int Position);

// Makes IndexDef the table's index, staying on the same record.
void SwitchIndexKeepRecord(TTable* Table, const TIndexDef& IndexDef);

// The cursor of a query run by the engine; raises when the engine runs none
// (the xBase engine, which first reports the call it lacks).
hDBICur OpenQueryCursor(TDBDataSet* DataSet, const std::string& QueryText);

}  // namespace Qmqbe

// ---------------------------------------------------------------------------
// TQmLookupDataSet: the lookup-aware lists of TQmTable, TQmQuery and TQmQBE
// over the dataset class each extends. Every calculated-fields pass first
// drops the lines naming no field of the dataset, then fills the lookup
// fields, then runs the dataset's own pass.

template <class DataSetClass>
class TQmLookupDataSet : public DataSetClass {
public:
    using DataSetClass::DataSetClass;

    // Setting a list copies its lines.
    TStringList* LookupFields() { return &lookupFields_; }
    void SetLookupFields(const TStrings* Value) { lookupFields_.Assign(Value); }
    TStringList* LookupLinks() { return &lookupLinks_; }
    void SetLookupLinks(const TStrings* Value) { lookupLinks_.Assign(Value); }
    TStringList* ControlType() { return &controlType_; }
    TStringList* GetControlType() { return &controlType_; }
    void SetControlType(const TStrings* Value) { controlType_.Assign(Value); }
    void PurgeMissingFieldEntries() {
        Qmqbe::PurgeMissingFieldEntries(this, &lookupFields_, &lookupLinks_, &controlType_);
    }

protected:
    void DoOnCalcFields() override {
        PurgeMissingFieldEntries();
        Qmqbe::CalcLookupFields(this, lookupFields_, lookupLinks_, lookupCache_);
        DataSetClass::DoOnCalcFields();
    }

    TLookupCache lookupCache_;

private:
    TStringList lookupFields_;
    TStringList lookupLinks_;
    TStringList controlType_;
};

// ---------------------------------------------------------------------------
// TQmQBE: a query-by-example dataset. The xBase engine runs no queries, so
// opening one fails after the engine has reported the call it lacks.

class TQmQBE : public TQmLookupDataSet<TDBDataSet> {
public:
    explicit TQmQBE(TComponent* AOwner);
    ~TQmQBE() override;

    // The query-by-example lines.
    TStringList* QBE() { return &qbe_; }
    void SetQBE(const TStrings* Value);
    // The answer table's name, optionally "alias:name".
    const std::string& AnswerTable() const { return answerTable_; }
    void SetAnswerTable(const std::string& Value) { answerTable_ = Value; }

    // Runs the query lines; raises, as the engine carries no queries.
    virtual void ExecQBE();

protected:
    hDBICur CreateHandle() override;

private:
    TStringList qbe_;
    std::string answerTable_;
};
