#pragma once
// The drop-down lookup combo and its list.
//
// TQmDBLookupList is a grid over a lookup table that keeps one of its records
// as the chosen value of a data field: LookupField names the key field whose
// value goes into the data field and up to two linked fields ("key;link2;
// link3"); the first Selected line names the column shown as the display
// text. It finds the lookup record for a value or a display text, draws the
// chosen record's row highlighted and turns a click or an arrow key into a
// new value (OnClick).
//
// TQmPopupGrid is that list as the combo's drop-down: a bordered window
// floating over the form that is drawn as focused but never takes the
// focus, and closes its combo when the mouse button comes up on it.
//
// TQmDBCustomLookupCombo is an edit bound to a data field whose value must
// come from the lookup table. The user types (the list follows 166 ms after
// the last key, the text stays as typed) or drops the list down (button,
// Alt+Down, a press on the text of a csDropDownList combo) and picks a row;
// closing with a pick writes the key into the data field and copies the
// linked fields into the data record's fields of the same names. Escape
// gives the field's stored value back. While the list is open the combo
// keeps the focus and forwards the arrow keys to the list. Inside a data
// grid it is the editor of "LookupCombo" cells.
#include <functional>
#include <memory>
#include <string>

#include "controls/Qmdbigrd.h"
#include "ui/ExtCtrls.h"
#include "ui/FieldBinding.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

class TQmDBCustomLookupCombo;

// The combo's styles are the combo box's csDropDown and csDropDownList.
using TQmDBLookupComboStyle = TComboBoxStyle;
// taLeftJustify or taRightJustify.
using TLeftRight = TAlignment;

enum TQmDBLookupListOption { loColLines, loRowLines, loTitles };
using TQmDBLookupListOptions = TSet<TQmDBLookupListOption>;

using TNotifyCloseUpEvent =
    std::function<void(TObject* Sender, TQmTable* LookupTable, TDataSet* FillTable, bool modified)>;

inline const std::string SDuplicateDataSourceLookupSource = "Unable to use duplicate DataSource and LookupSource";
inline const std::string SLookupSourceNotTable = "LookupSource must be connected to TTable component";
inline const std::string SLookupSourceNotCreated = "Lookup Source is not created";
inline const std::string SNoLookupTable = "No lookup table specified!";
inline const std::string SLookupTableNotActive = "Lookup table is not active!";

// ---------------------------------------------------------------- TQmDBLookupList

class TQmDBLookupList : public TQmCustomDBGrid {
public:
    explicit TQmDBLookupList(TComponent* AOwner);
    ~TQmDBLookupList() override;

    // Column lines: field name, TAB, width, TAB, title.
    TStrings* Selected() { return &selected_; }
    void SetSelected(const TStrings& Value);
    TQmTable* LookupTable() const;
    // Raises EInvalidOperation for the data source's own dataset or for a
    // dataset that is no table.
    void SetLookupTable(TQmTable* Value);
    const std::string& LookupField() const { return lookupFieldNames_; }
    // Raises EInvalidOperation "Field 'X' not found" when the open lookup
    // table lacks the key field.
    void SetLookupField(const std::string& Value);
    TQmDBLookupListOptions Options() const { return listOptions_; }
    void SetOptions(TQmDBLookupListOptions Value);

    // The data field's side; the rows come from the lookup table. Raises
    // EInvalidOperation when the source is the lookup table's.
    TDataSource* DataSource() const { return fieldLink_.DataSource(); }
    void SetDataSource(TDataSource* Value);
    const std::string& DataField() const { return fieldLink_.FieldName(); }
    void SetDataField(const std::string& Value) { fieldLink_.SetFieldName(Value); }

    // The chosen key, its linked values and the display text.
    const std::string& Value() const { return value_; }
    // Finds the lookup record for the key.
    void SetValue(const std::string& Value);
    const std::string& SecondValue() const { return secondValue_; }
    const std::string& ThirdValue() const { return thirdValue_; }
    const std::string& DisplayValue() const { return displayValue_; }
    // Finds the lookup record whose display field holds the text.
    void SetDisplayValue(const std::string& Value);
    // The data row drawn as chosen, -1 when none.
    int ChosenRow() const { return chosenRow_; }
    // The last key search found its record.
    bool Found() const { return found_; }
    // 1, 2 or 3 once the fields are resolved (key, second, third link field).
    int LookupFieldCount() const { return lookupFieldCount_; }
    TField* KeyField() const { return keyField_; }
    TField* DisplayField() const { return displayField_; }
    TField* SecondField() const { return secondField_; }
    TField* ThirdField() const { return thirdField_; }

    // The lookup table's own source, which the rows show.
    TDataSource* LookupSource() const { return lookupSource_.get(); }
    // The lookup table is open and linked.
    bool LookupActive();

    // Widths and heights the drop-down is sized by: the columns as laid out
    // (with their lines), the columns as their fields' display widths ask,
    // and the list's height for a number of rows.
    int ColumnsFullWidth() const;
    int FieldColumnsWidth() const;
    int HeightForRows(int Rows, bool WithScrollBar) const;

protected:
    friend class TQmDBCustomLookupCombo;

    // Whether a movement of the list may become the field's new value.
    virtual bool CanChoose();

    void LinkActive(bool Value) override;
    void DefineFieldMap() override;
    void SetColumnAttributes() override;
    bool HighlightCell(int ACol, int ARow, const std::string& Value, TGridDrawState AState) override;
    void Paint() override;
    void Click() override {}
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoExit() override;

    // The data field (the owning combo's, or this list's own), or nullptr.
    TField* dataField() const;
    TDataSet* dataRecordSet() const;
    // The owning combo's field is a lookup-link field of its dataset.
    bool isLookupLinkField() const;
    // Puts the lookup table on the record for the current value; with
    // ForDropDown the table then takes the index of the first column (and
    // goes to its first record when nothing was found).
    void locateCurrent(bool ForDropDown);
    // The current lookup record becomes the value (mouse up, key movement).
    void choose();
    // The value and its linked values from the current lookup record.
    void readValuesFromRecord();
    void clearValues();
    // Moves the lookup table to the record shown in a data row.
    void moveToRow(int ARow);
    void resolveFields();
    void checkDuplicate(TDataSource* Data, TDataSet* Lookup) const;
    int columnLine() const;
    int rowLine() const;

    TQmDBCustomLookupCombo* owningCombo_ = nullptr;

private:
    TStringList selected_;
    TFieldDataLink fieldLink_;
    std::unique_ptr<TDataSource> lookupSource_;
    std::string lookupFieldNames_;
    TField* displayField_ = nullptr;
    TField* keyField_ = nullptr;
    TField* secondField_ = nullptr;
    TField* thirdField_ = nullptr;
    std::string value_;
    std::string secondValue_;
    std::string thirdValue_;
    std::string displayValue_;
    int chosenRow_ = -1;
    int paintedChosenRow_ = -1;
    int naturalWidth_ = 0;
    TQmDBLookupListOptions listOptions_;
    int titleRows_ = 0;
    bool found_ = false;
    bool inKeyDown_ = false;
    bool selecting_ = false;
    int lookupFieldCount_ = 0;
};

// ---------------------------------------------------------------- TQmPopupGrid

class TQmPopupGrid : public TQmDBLookupList {
public:
    explicit TQmPopupGrid(TQmDBCustomLookupCombo* Combo);

    // A floating list never takes the focus.
    bool CanFocus() const override { return false; }
    // The combo hands a press-drag over to the list: the press happened at
    // the screen point, and the moves and the release that follow.
    void takeOverMouse(TPoint ScreenPoint);
    void mouseMovedAt(TPoint ScreenPoint);
    void mouseReleasedAt(TPoint ScreenPoint);
    bool containsScreenPoint(TPoint ScreenPoint) const;
    // The combo's keys while the list is open.
    void keyFromCombo(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }

protected:
    bool CanChoose() override;
    void LinkActive(bool Value) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// ---------------------------------------------------------------- TQmComboButton

// The combo's drop-down button, painted by its combo (DrawButton).
class TQmComboButton : public TGraphicControl {
public:
    TQmComboButton(TComponent* AOwner, TQmDBCustomLookupCombo* Combo);

    bool Down() const { return down_; }
    void SetDown(bool Value);
    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& Value);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TQmDBCustomLookupCombo* combo_;
    TBitmap glyph_;
    bool down_ = false;
};

// ---------------------------------------------------------------- TQmDBCustomLookupCombo

class TQmDBCustomLookupCombo : public TFieldBinding<TCustomEdit> {
public:
    explicit TQmDBCustomLookupCombo(TComponent* AOwner);
    ~TQmDBCustomLookupCombo() override;

    // Raises EInvalidOperation "Unable to use duplicate DataSource and
    // LookupSource" for the lookup table's own source.
    void SetDataSource(TDataSource* Value);
    TQmTable* LookupTable() const { return grid_->LookupTable(); }
    void SetLookupTable(TQmTable* Value) { grid_->SetLookupTable(Value); }
    const std::string& LookupField() const { return grid_->LookupField(); }
    void SetLookupField(const std::string& Value) { grid_->SetLookupField(Value); }
    TStrings* Selected() { return grid_->Selected(); }
    void SetSelected(const TStrings& Value) { grid_->SetSelected(Value); }
    TQmDBLookupListOptions Options() const { return grid_->Options(); }
    void SetOptions(TQmDBLookupListOptions Value) { grid_->SetOptions(Value); }

    TLeftRight DropDownAlignment() const { return dropDownAlignment_; }
    void SetDropDownAlignment(TLeftRight Value) { dropDownAlignment_ = Value; }
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int Value) { dropDownCount_ = Value; }
    // 0: as wide as the list's columns need.
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int Value) { dropDownWidth_ = Value; }
    TQmDBLookupComboStyle Style() const { return style_; }
    void SetStyle(TQmDBLookupComboStyle Value);
    bool AutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool Value) { autoDropDown_ = Value; }
    bool ShowButton() const;
    void SetShowButton(bool Value);
    // The link's read-only flag; the text is then read-only too.
    void SetReadOnly(bool Value);

    // The chosen key and the display text.
    std::string LookupValue() const { return grid_->Value(); }
    std::string DisplayValue() const { return grid_->DisplayValue(); }
    void SetDisplayValue(const std::string& Value);

    bool DroppedDown() const;
    virtual void DropDown();
    virtual void CloseUp(bool Modified);

    // The drop-down list and button (their windows: for tests and pictures).
    TQmPopupGrid* PopupGrid() const { return grid_; }
    TQmComboButton* Button() const { return button_; }
    // Height below which the combo does not go.
    int MinimumHeight();

    // Paints the drop-down button into Rect; clears DefaultPaint when done.
    virtual void DrawButton(TCanvas* Canvas, const TRect& Rect, bool& DefaultPaint, TControlState State,
                            bool Pressed);
    virtual TBitmap* GetGlyph();
    // The button's face, raised or pushed, for DrawButton to draw its sign
    // on; true when pushed (the sign then moves down and right by one).
    static bool paintButtonFace(TCanvas* Canvas, const TRect& Rect, TControlState State, bool Pressed);

    TNotifyEvent OnDropDown;
    TNotifyCloseUpEvent OnCloseUp;

    // ---- what the data grid and the drop-down hand over
    // Shows the field's value, as when the record changes.
    void showFieldValue() { dataChange(); }
    // Keys the grid forwards (Alt+Down).
    void keyFromGrid(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
    // The list's choice becomes the text (list click, Enter, cancel mode).
    void chooseFromList();
    // The search step waits for its timer.
    bool SearchPending() const;
    // A press on the text or the button dragged to the screen point: once
    // over the list, the list takes the press over; the release there picks.
    void dragOverList(TPoint ScreenPoint);
    void releaseOverList(TPoint ScreenPoint);

protected:
    friend class TQmDBLookupList;
    friend class TQmPopupGrid;
    friend class TQmComboButton;

    // The text may be typed into now.
    bool editable() const;
    // The field may be changed through the combo now.
    bool CanEdit();
    // Sets the chosen key: finds its record and shows its display text.
    void setLookupValue(const std::string& Value);
    // Moves the list to the typed text now, when that was not done yet.
    void searchStep();
    // The drop-down window's place for the combo on the screen.
    void positionDropDown();
    // Writes the linked values of a lookup-link field into the data record.
    bool copyLinkValues();
    bool isLookupLinkField();
    // The combo is the editor of a data grid (its parent).
    TQmCustomDBGrid* hostGrid() const;
    // The button comes up again after a drop-down that did not happen.
    void releaseButton();
    // Runs OnCloseUp (when set) with DataSet's controls disabled meanwhile.
    void fireCloseUp(TDataSet* DataSet, bool Modified);
    // Without column lines, the list shows the lookup field alone.
    void addLookupColumn();
    // The lookup table's current record becomes the chosen value.
    void takeCurrentRecord() { grid_->readValuesFromRecord(); }

    void dataChange() override;
    void editingChange() override;
    void updateData() override;

    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    bool wantsKey(Word Key, TShiftState Shift) const override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void DoExit() override;
    void Change() override;
    void Resize() override;
    void SetEnabled(bool Value) override;
    bool paintsItself() const override;
    void paintWidget(QWidget* target) override;

    bool typingDropDown_ = false;

private:
    void placeButton();
    void paintFace();
    bool listStyle() const { return style_ == csDropDownList && !autoDropDown_; }
    // The search interval: half the delay, except on SQL-based databases.
    unsigned searchInterval() const;

    TLeftRight dropDownAlignment_ = taLeftJustify;
    std::unique_ptr<TCanvas> paintCanvas_;
    int dropDownCount_ = 8;
    int dropDownWidth_ = 0;
    int minHeightExtra_ = 0;
    TPanel* panel_ = nullptr;
    TQmDBLookupComboStyle style_ = csDropDown;
    bool writingValue_ = false;
    unsigned searchDelay_ = 333;
    bool autoDropDown_ = false;
    int rowsToShow_ = 8;
    bool recreating_ = false;
    TTimer* timer_ = nullptr;
    TQmPopupGrid* grid_ = nullptr;
    TQmComboButton* button_ = nullptr;
    std::string lastSearched_;
    std::string savedText_;
    std::string savedValue_;
    int lookupLinkCache_ = 0;
    bool listTookMouse_ = false;
    bool pressedOnText_ = false;
};

// The combo the forms place.
class TQmDBLookupCombo : public TQmDBCustomLookupCombo {
public:
    explicit TQmDBLookupCombo(TComponent* AOwner) : TQmDBCustomLookupCombo(AOwner) {}
};
