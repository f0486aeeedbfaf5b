#pragma once
// Two controls a lookup dialog places over a table.
//
// TQmKeyCombo lists the table's sort orders and switches the table to the
// one the user picks, staying on the same record. Normally it lists one item
// per distinct first field of the indexes (its display label, " - Desc" for
// a descending index, indexes on hidden fields left out); with
// ShowAllIndexes one item per index name ("PrimaryKey" for the unnamed one).
// The list is built when its data link becomes active (or the source or
// ShowAllIndexes changes), before it is first seen.
//
// TQmIncrementalSearch is an edit that moves the table to the record nearest
// the typed text 166 ms after the last key that changed the text: one
// search however many keys came within the delay, no sound and no message
// when nothing matches.
//
// Both work on tables only and say so once, in a warning, when they are set
// up on anything else.
#include <string>

#include "data/DataSource.h"
#include "data/DbTables.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

class TQmKeyCombo;

inline const std::string SKeyComboNeedsTable = "DataSource must point to a TTable.";
inline const std::string SKeyComboNoDataSet = "DataSet not initialized for chosen DataSource.";
inline const std::string SSearchNoDataSet = "Dataset not defined for DataSource";

// The key combo's link: it asks for a new list when the table opens.
class qmKeyDataLink : public TDataLink {
public:
    explicit qmKeyDataLink(TQmKeyCombo* Combo) : combo_(Combo) {}

protected:
    void ActiveChanged() override;

private:
    TQmKeyCombo* combo_;
};

class TQmKeyCombo : public TComboBox {
public:
    explicit TQmKeyCombo(TComponent* AOwner);
    ~TQmKeyCombo() override;

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    // A source whose dataset is no table shows "DataSource must point to a
    // TTable." and is not taken.
    void SetDataSource(TDataSource* Value);
    bool ShowAllIndexes() const { return showAllIndexes_; }
    void SetShowAllIndexes(bool Value);
    const std::string& PrimaryKeyName() const { return primaryKeyName_; }
    void SetPrimaryKeyName(const std::string& Value) { primaryKeyName_ = Value; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    friend class qmKeyDataLink;
    // The user picked an item: the table takes its index.
    void Change() override;
    // Enter and Escape close an open list instead of the dialog.
    bool wantsKey(Word Key, TShiftState Shift) const override;

private:
    void refresh();
    // The item an index is listed as; empty when it is not listed.
    std::string labelOf(TTable* Table, const TIndexDef& Def) const;
    std::string primaryName() const { return primaryKeyName_.empty() ? "PrimaryKey" : primaryKeyName_; }

    qmKeyDataLink dataLink_{this};
    bool showAllIndexes_ = false;
    std::string primaryKeyName_ = "PrimaryKey";
};

class TQmIncrementalSearch : public TCustomEdit {
public:
    explicit TQmIncrementalSearch(TComponent* AOwner);
    ~TQmIncrementalSearch() override;

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* Value) { dataLink_.SetDataSource(Value); }
    // The field searched; empty: the first field of the table's index.
    const std::string& SearchField() const { return searchField_; }
    void SetSearchField(const std::string& Value) { searchField_ = Value; }
    // Empties the text and forgets what was searched.
    void ClearSearch();
    // Runs a waiting search now.
    void SearchNow();
    bool SearchPending() const { return timer_->Enabled(); }

protected:
    void KeyUp(Word& Key, TShiftState Shift) override;

private:
    void search(const std::string& Text);

    TDataLink dataLink_;
    unsigned searchDelay_ = 333;
    TTimer* timer_;
    std::string lastSearched_;
    std::string searchField_;
};
