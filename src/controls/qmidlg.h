#pragma once
// The lookup dialog: a modal form for picking one record of a lookup table.
// A search edit moves the table as the user types, an optional "Search By"
// key combo chooses the sort order searched, a data grid shows the table's
// chosen columns, optional user buttons act on the table, OK and Cancel
// close it. The dialog sizes itself to its columns within MaxWidth and
// MaxHeight (0: the screen's width less 40, its height less 200) and never
// narrower than its buttons.
//
// Keys: Enter is OK; PgUp, PgDn, Up and Down move the grid from any control
// but the key combo, where Down opens its list; the dialog does not close
// while that list is open, and a search still waiting runs before it
// closes. A double click on a record is OK.
#include <functional>
#include <string>

#include "controls/Qmdbgrid.h"
#include "controls/Qmkeycb.h"
#include "ui/Forms.h"
#include "xbase/Qmtable.h"

class TQmLookupDlg;

enum TQmDBLookupDlgOption { opShowOKCancel, opShowSearchBy, opGroupControls, opFixFirstColumn, opShowStatusBar };
using TQmDBLookupDlgOptions = TSet<TQmDBLookupDlgOption>;

using TQmUserButtonEvent = std::function<void(TObject* Sender, TTable* LookupTable)>;
using TQmOnInitDialogEvent = std::function<void(TQmLookupDlg* Dialog)>;

inline const std::string SLookupDataSetNotActive = "DataSet for this component must be active.";

class TQmLookupDlg : public TForm {
public:
    explicit TQmLookupDlg(TComponent* AOwner);

    TBitBtn* OKBtn;
    TBitBtn* CancelBtn;
    TLabel* SearchCharacterLabel;
    TQmKeyCombo* qmKeyCombo1;
    TLabel* SortByLabel;
    TQmDBGrid* qmDBGrid1;
    TQmIncrementalSearch* qmIncrementalSearch1;
    TQmDataSource* DataSource1;
    // Table name and record position; shown only for tables that number
    // their records (never an xBase table).
    TPanel* StatusHeader;
    TPanel* UserButtonPanel;
    TButton* UserButton1;
    TButton* UserButton2;

    TQmUserButtonEvent OnUserButton1Click;
    TQmUserButtonEvent OnUserButton2Click;
    TQmOnInitDialogEvent OnInitDialog;

    void SetInitialSearch(const std::string& Value) { initialSearch_ = Value; }
    void SetMaxWidth(int Value) { maxWidth_ = Value; }
    void SetMaxHeight(int Value) { maxHeight_ = Value; }
    TQmDBLookupDlgOptions DialogOptions() const { return options_; }
    void SetDialogOptions(TQmDBLookupDlgOptions Value) { options_ = Value; }
    // The column lines applied to the table.
    void SetSelected(const TStrings& Value) { selected_.Assign(&Value); }

    // Lays the dialog out for its columns and options; Full also places
    // every control and sizes the form (a change of order only re-fits the
    // columns).
    void LayOut(bool Full);

protected:
    void DoShow() override;
    void Activate() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;

private:
    TTable* table() const;
    // The columns again: the lines applied, the index fields first, the
    // first of them searched.
    void reapplyColumns();
    void keyComboChange();

    TStringList selected_;
    std::string initialSearch_;
    bool activatedOnce_ = false;
    int maxWidth_ = 0;
    int maxHeight_ = 0;
    TQmDBLookupDlgOptions options_{opShowOKCancel, opShowSearchBy};
    bool titleClick_ = false;
};

// What the lookup dialog is run with.
struct TQmLookupDialogSettings {
    std::string Caption = "Lookup";
    TForm* CallingForm = nullptr;
    TQmTable* LookupTable = nullptr;
    const TStrings* Selected = nullptr;
    std::string InitialSearch;
    TQmDBLookupDlgOptions Options{opShowOKCancel, opShowSearchBy};
    TQmDBGridOptions GridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                 dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete};
    TColor GridColor = clWhite;
    TAlignment TitleAlignment = taLeftJustify;
    int MaxWidth = 0;
    int MaxHeight = 209;
    TEditCharCase CharCase = ecNormal;
    TQmUserButtonEvent OnUserButton1Click;
    TQmUserButtonEvent OnUserButton2Click;
    std::string UserButton1Caption;
    std::string UserButton2Caption;
    TQmOnInitDialogEvent OnInitDialog;
};

// Shows the dialog modally over the lookup table. True when the user closed
// it with OK on a record; OK on an empty table counts as Cancel.
bool runLookupDialog(const TQmLookupDialogSettings& Settings);
