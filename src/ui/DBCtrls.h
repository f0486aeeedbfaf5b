#pragma once
// Data-aware controls: standard controls bound to one field of a dataset
// through the binding core (FieldBinding.h), and a browsing grid over a
// dataset's records.
//
// An edit control shows the field of the dataset's current record. Typing
// into it puts the dataset into edit (when the data source's AutoEdit
// allows); the typed value goes into the field when the control is left and
// when the dataset posts. A read-only link, field or dataset refuses typing.
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/DataSource.h"
#include "ui/ExtCtrls.h"
#include "ui/FieldBinding.h"
#include "ui/Grids.h"
#include "ui/Mask.h"
#include "ui/StdCtrls.h"

// ---------------------------------------------------------------- TDBEdit

// A masked edit over a field: the field's edit mask, its size as the input
// limit (when MaxLength is 0), its edit text while focused and its display
// text otherwise. Besides ReadOnly (the link's flag) the edit itself is
// read-only whenever the link is not editing.
class TDBEdit : public TFieldBinding<TMaskEdit> {
public:
    explicit TDBEdit(TComponent* AOwner);

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;

private:
    void dataChange() override;
    void editingChange() override;
    void updateData() override;
    void setFocused(bool Value);

    bool focused_ = false;
};

// ---------------------------------------------------------------- TDBText

// A label showing a field's display text.
class TDBText : public TFieldBinding<TLabel, fuShow> {
public:
    explicit TDBText(TComponent* AOwner);

private:
    void dataChange() override;
};

// ---------------------------------------------------------------- TDBMemo

// A memo over a memo field (loaded when the record changes while AutoDisplay
// is set, otherwise by a double click or Enter) or over any other field's text.
class TDBMemo : public TFieldBinding<TMemo> {
public:
    explicit TDBMemo(TComponent* AOwner);

    bool AutoDisplay() const { return autoDisplay_; }
    void SetAutoDisplay(bool Value);
    // Puts a memo field's text into the control.
    void LoadMemo();

protected:
    void Change() override;
    void DblClick() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;

private:
    void dataChange() override;
    void editingChange() override;
    void updateData() override;
    void setFocused(bool Value);

    bool autoDisplay_ = true;
    bool memoLoaded_ = false;
    bool focused_ = false;
};

// ---------------------------------------------------------------- TDBCheckBox

// A check box over a field: ticked when the field's text matches
// ValueChecked, clear when it matches ValueUnchecked, grayed otherwise.
// Each value may list several texts separated by ";" (the first is written).
// A Boolean field is read and written as such.
class TDBCheckBox : public TFieldBinding<TCheckBox> {
public:
    explicit TDBCheckBox(TComponent* AOwner);

    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& Value);
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& Value);

    // A toggle the link cannot edit is undone without a click.
    void Click() override;

protected:
    void DoExit() override;

private:
    TCheckBoxState fieldState() const;
    void showState(TCheckBoxState Value);
    void dataChange() override;
    void updateData() override;

    std::string valueChecked_ = "True";
    std::string valueUnchecked_ = "False";
    bool showing_ = false;
};

// ---------------------------------------------------------------- TDBComboBox

// A combo box over a field's text: the edit part of a drop-down combo, or
// the item of a drop-down list that matches the text.
class TDBComboBox : public TFieldBinding<TComboBox> {
public:
    explicit TDBComboBox(TComponent* AOwner);

    void SetStyle(TComboBoxStyle Value);

    // Choosing an item puts the dataset into edit; when it cannot, the
    // choice is undone.
    void Click() override;

protected:
    void Change() override;
    void DoExit() override;
    void KeyPress(char& Key) override;

private:
    void dataChange() override;
    void editingChange() override;
    void updateData() override;

    bool refused_ = false;
};

// ---------------------------------------------------------------- TDBRadioGroup

// A radio group over a field's text: the button whose value (Values, or the
// item's caption where Values has none) equals the text is chosen.
class TDBRadioGroup : public TFieldBinding<TRadioGroup> {
public:
    explicit TDBRadioGroup(TComponent* AOwner);
    ~TDBRadioGroup() override;

    TStrings* Values() { return &values_; }
    // The value of the chosen button ("" when none is chosen).
    const std::string& Value() const { return value_; }
    void SetValue(const std::string& Value);

    // Fires after Value changed, by the user or by the record.
    TNotifyEvent OnChange;

    void Click() override;

protected:
    virtual void Change();
    void DoExit() override;

private:
    std::string buttonValue(int Index);
    int indexOfValue(const std::string& Value);
    // Checks a button without taking it as the user's choice.
    void showButton(int Index);
    void dataChange() override;
    void updateData() override;

    TStringList values_;
    std::string value_;
    bool inSetValue_ = false;
};

// ---------------------------------------------------------------- TDBGrid

// Option names and order as the grids of the program use them.
enum TDBGridOption {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit
};
using TDBGridOptions = TSet<TDBGridOption>;

// A grid browsing a dataset, drawn cell by cell on the custom grid: one
// column per visible field (display label as title, display width as width),
// one row per record buffered for it (as many as the rows that fit); the
// current record is the current row, marked in the indicator column. Keys,
// clicks and the vertical bar move the dataset; the bar has three positions
// (top, between, bottom). The cells are for reading: the grid edits nothing
// itself (dgEditing, dgAlwaysShowEditor and dgTabs have no effect), but
// dgColumnResize lets the user drag a column's width (kept until the fields'
// layout changes), Ctrl+Delete deletes the current record (asking first with
// dgConfirmDelete), and with dgCancelOnExit leaving the grid cancels an
// insert nobody filled in.
class TDBGrid : public TCustomGrid {
public:
    explicit TDBGrid(TComponent* AOwner);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* Value);
    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }

    // The fields shown as columns, in order.
    int FieldCount() const { return static_cast<int>(columns_.size()); }
    TField* Fields(int Index) const;
    // The column that has the selection (its field; nullptr without columns).
    int SelectedIndex() const { return Col() - indicatorOffset_; }
    void SetSelectedIndex(int Value);
    TField* SelectedField() const;

    // Data rows filled with records now, the row of the current record, and
    // the text drawn in a data row's cell.
    int rowCount() const { return dataLink_.RecordCount(); }
    int activeRow() const { return dataLink_.ActiveRecord(); }
    std::string cellText(int Row, int Column);
    // Column widths and row heights in pixels from one cell's start to the
    // next's (grid line included).
    int columnWidth(int Column) const;
    int rowHeight() const;
    int titleHeight() const;
    int indicatorWidth() const;

    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    void ExitGrid() override;
    void Resize() override;
    void afterFontChange(bool FromParent) override;

private:
    class TGridDataLink : public TDataLink {
    public:
        explicit TGridDataLink(TDBGrid* Grid) : grid_(Grid) {}

    protected:
        void ActiveChanged() override;
        void DataSetChanged() override;
        void DataSetScrolled(int Distance) override;
        void EditingChanged() override;
        void FocusControl(TField* Field) override;
        void LayoutChanged() override;
        void RecordChanged(TField* Field) override;

    private:
        TDBGrid* grid_;
    };

    void layoutChanged();
    void dataChanged();
    // Rows for the records the window holds, the window as long as the rows
    // that fit, and the current row on the current record.
    void updateRows();
    void updateScrollBar();
    void moveBy(int Distance);
    void deleteRecord();
    void drawTitle(int Column, const TRect& Rect);
    void drawIndicator(int Record, const TRect& Rect);
    void drawData(int Column, int Record, const TRect& Rect);

    TGridDataLink dataLink_{this};
    std::vector<TField*> columns_;
    TDBGridOptions options_{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                            dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
    bool readOnly_ = false;
    int titleOffset_ = 1;
    int indicatorOffset_ = 1;
};
