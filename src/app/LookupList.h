#pragma once
// The lookup lists: one form that shows a table of the data module in a grid
// with an incremental-search edit, a sort-order combo and the record buttons.
// What differs between the lists (caption, table, columns, sort choices,
// search beep, key and button actions, start and activation) is a
// descriptor held as data (LookupListMembers.h); the few behaviours that are
// code (patient, claim and item new and delete, the receipt "Account" sort,
// each Select copy) are named functions the descriptors refer to
// (LookupListActions.h). Every list frees itself when closed.
#include <string>
#include <vector>

#include "ui/Forms.h"

class TButton;
class TComboBox;
class TCustomGrid;
class TDataSource;
class TDBGrid;
class TEdit;
class TQmDBGrid;
class TTable;
class TXbase;
class TXbTable;
class TDataModule1;
class TLookupListForm;

// What Enter, a double click or the Edit button does.
enum class TListAction { Nothing, Info, Select, Print };
// What New and Delete do.
enum class TListNew { None, Patient, PatientSelect, Plain, Coded, Claim, Item };
enum class TListDelete { None, Patient, Plain, Claim, Item };
// What the form does each time it is activated.
enum class TListActivation { Refresh, AccountsToName, PatientsToName, RefreshPatients, Nothing };
enum class TListGrid { QmGrid, AccountGrid, PlainGrid };

struct TSortChoice {
    // Text in the combo and the index tag it sets.
    std::string Text;
    std::string Tag;
    // Goes to the last record instead of the first.
    bool Last = false;
    // The letter typed into the combo that picks it (upper case), 0 none.
    char Key = 0;
};

// A list's own handling of a sort choice; returns false when the choice is
// refused (the list then keeps its order).
using TSortHandler = bool (*)(TLookupListForm& List, const std::string& Text);
using TListHandler = void (*)(TLookupListForm& List);

struct TButtonShown {
    bool Visible = true;
    bool Enabled = true;
};

struct TListDescriptor {
    std::string Caption;
    // The data module's table, its engine component and its data source.
    TTable* (*Table)(TDataModule1& Module) = nullptr;
    TXbase* (*Engine)(TDataModule1& Module) = nullptr;
    TDataSource* (*Source)(TDataModule1& Module) = nullptr;
    TListGrid Grid = TListGrid::QmGrid;
    // Grid columns: field, TAB, width, TAB, title.
    std::vector<std::string> Columns;
    std::vector<TSortChoice> Sorts;
    // Beep when the search key is not found and the current tag is this one
    // (case-blind); empty: beep whenever it is not found.
    std::string BeepTag;
    // Payments: with tag "ID" the search text is trimmed and padded to 10;
    // otherwise used as typed.
    bool PaddedIdSearch = false;
    TListAction EnterInGrid = TListAction::Info;
    TListAction EnterInEdit = TListAction::Info;
    TListAction DoubleClick = TListAction::Info;
    TListNew New = TListNew::None;
    std::string NewTag;
    TButtonShown NewButton;
    TListDelete Delete = TListDelete::None;
    TButtonShown DeleteButton;
    TButtonShown EditButton;
    // The Select copy; null when the list selects nothing (no button).
    TListHandler Select = nullptr;
    // The patient lists' full-text search and the carry-out list's print.
    bool AdvancedButton = false;
    bool PrintButton = false;
    // Start: tag and first or last record; DepositsLastWhenShown moves to the
    // last record when the form is shown.
    std::string StartTag;
    bool StartLast = false;
    bool LastWhenShown = false;
    // A create-time handler replacing the start (receipts).
    TListHandler Start = nullptr;
    // Text put in the combo at the start, "" the first choice.
    std::string StartSortText;
    TListActivation Activation = TListActivation::Refresh;
    // Carriers: every sort choice empties the search edit and focuses it.
    bool SortClearsSearch = false;
    // A list's own sort handling (receipts), tried before the choices.
    TSortHandler Sort = nullptr;
    // Runs when the list closes (receipts clear their scope).
    TListHandler Closing = nullptr;
    // A blank first value of this field is repaired to "<new>" on create.
    std::string RepairBlankField;
    // The item lists' own read-only view of SALESDTL.DBF.
    bool SalesDetailView = false;
    // The info dialog's class and whether ShowInfo waits for it.
    std::string InfoClass;
    bool InfoModal = false;
    // After ShowInfo: tag "RecName" and combo text "Name" (patient lists).
    bool InfoBackToName = false;
};

class TLookupListForm : public TForm {
public:
    TLookupListForm(TComponent* AOwner, const TListDescriptor& Descriptor);
    ~TLookupListForm() override;

    const TListDescriptor& Descriptor() const { return descriptor_; }
    TTable* Table() const;
    TXbase* Engine() const;
    // The grid, whichever kind the list has.
    TCustomGrid* Grid() const;

    // Published handlers.
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void Edit1Change(TObject* Sender);
    void Edit1KeyPress(TObject* Sender, char& Key);
    void SortComboBoxChange(TObject* Sender);
    void SortComboBoxKeyPress(TObject* Sender, char& Key);
    void qmDBGrid1DblClick(TObject* Sender);
    void qmDBGrid1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void NewButtonClick(TObject* Sender);
    void EditButtonClick(TObject* Sender);
    void DeleteButtonClick(TObject* Sender);
    void SelectButtonClick(TObject* Sender);
    void AdvancedSearchButtonClick(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void ShowInfo();

    // Sets the tag and goes to the first or last record.
    void setOrder(const std::string& Tag, bool Last);
    // True when the table has no record to act on.
    bool empty() const;

    // At most one of the three grids is made.
    TQmDBGrid* qmDBGrid1 = nullptr;
    TQmDBGrid* AccountDBGrid = nullptr;
    TDBGrid* DBGrid1 = nullptr;
    TEdit* Edit1;
    TComboBox* SortComboBox;
    TButton* NewButton;
    TButton* EditButton;
    TButton* DeleteButton;
    TButton* SelectButton = nullptr;
    TButton* AdvancedSearchButton = nullptr;
    TButton* BitBtn1 = nullptr;
    // The item lists' read-only SALESDTL.DBF view (tag "ItemNo"), or null.
    TXbTable* SalesDetailView = nullptr;

private:
    void act(TListAction Action);
    void chooseSort(const std::string& Text);
    void printStatement();
    void repairBlankFirst();

    TListDescriptor descriptor_;
};
