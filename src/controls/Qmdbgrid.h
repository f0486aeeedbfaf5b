#pragma once
// TQmDBGrid: the data grid the forms place, over the Qm datasets (TQmTable,
// TQmQuery, TQmQBE) only. Beyond the base grid it has:
// - a column list held as lines (Selected: field, TAB, width, TAB, title),
//   applied to the dataset when the link activates (at run time only when
//   no field is calculated);
// - editors embedded in cells, named by the dataset's ControlType lines:
//   check boxes drawn by the grid ("field;CheckBox;checked;unchecked") and
//   controls of the form placed over the current cell ("field;Combo;name").
//   Every embedded control goes through one path, TQmCellEditorKind, so
//   other kinds of control ("LookupCombo") join by registering a kind;
// - multi-line titles (TitleLines, "~" starts a line), TitleAlignment and
//   TitleColor; a per-cell colour hook (OnCalcCellColors);
// - memo cells showing "(Memo)" or the memo's first line (mGridShow), with
//   the memo dialog on F2 or a double click.
// TQmMemoDialog is the component that carries the memo dialog's settings.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/Qmdbigrd.h"
#include "controls/Qmmemo.h"

class TQmDBGrid;

// ---------------------------------------------------------------- TQmMemoDialog

class TQmMemoDialog : public TComponent {
public:
    explicit TQmMemoDialog(TComponent* AOwner);
    ~TQmMemoDialog() override;

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* Value) { dataLink_.SetDataSource(Value); }
    const std::string& DataField() const { return dataLink_.FieldName(); }
    void SetDataField(const std::string& Value) { dataLink_.SetFieldName(Value); }
    TFont* Font() { return &font_; }
    void SetFont(const TFont& Value) { font_.Assign(Value); }
    TQmMemoAttributes MemoAttributes() const { return memoAttributes_; }
    void SetMemoAttributes(TQmMemoAttributes Value) { memoAttributes_ = Value; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value) { caption_ = Value; }
    int DlgLeft() const { return dlgLeft_; }
    void SetDlgLeft(int Value) { dlgLeft_ = Value; }
    int DlgTop() const { return dlgTop_; }
    void SetDlgTop(int Value) { dlgTop_ = Value; }
    int DlgWidth() const { return dlgWidth_; }
    void SetDlgWidth(int Value) { dlgWidth_ = Value; }
    int DlgHeight() const { return dlgHeight_; }
    void SetDlgHeight(int Value) { dlgHeight_ = Value; }

    // Runs MemoView (mViewOnly) or MemoEdit; true when closed with OK.
    virtual bool Execute();

private:
    TFieldDataLink dataLink_;
    TFont font_;
    TQmMemoAttributes memoAttributes_{mSizeable, mWordWrap};
    std::string caption_;
    int dlgLeft_ = 0;
    int dlgTop_ = 0;
    int dlgWidth_ = 561;
    int dlgHeight_ = 396;
};

// ---------------------------------------------------------------- embedded editors

// One kind of form control a ControlType line can embed in a grid cell.
class TQmCellEditorKind {
public:
    virtual ~TQmCellEditorKind() = default;
    // The kind as ControlType lines name it ("Combo").
    virtual std::string Kind() const = 0;
    // The form's control of this kind with exactly this name, or nullptr.
    virtual TWinControl* FindControl(TComponent* Form, const std::string& Name) const = 0;
    // Binds the control to the field; the field it is bound to now.
    virtual void Bind(TWinControl* Control, TDataSource* Source, const std::string& FieldName) const = 0;
    virtual std::string BoundField(TWinControl* Control) const = 0;
    // Shows the field's display text in the control.
    virtual void ShowText(TWinControl* Control, const std::string& Text) const = 0;
    // Alt+Down on the cell.
    virtual void DropDown(TWinControl* Control, Word& Key, TShiftState Shift) const = 0;
    // Pixels the grid's data rows grow by for the control, and the text top
    // of the other cells.
    virtual int RowHeightExtra() const = 0;
    virtual int TextTop() const = 0;
};

// What every kind of data-aware control class TBound (with DataSource and
// DataField) does alike: found on the form by its name, bound by its link.
template <class TBound>
class TQmBoundCellEditorKind : public TQmCellEditorKind {
public:
    TWinControl* FindControl(TComponent* Form, const std::string& Name) const override {
        if (!Form) return nullptr;
        for (int i = 0; i < Form->ComponentCount(); ++i)
            if (auto* control = dynamic_cast<TBound*>(Form->Components(i)); control && control->Name() == Name)
                return control;
        return nullptr;
    }
    void Bind(TWinControl* Control, TDataSource* Source, const std::string& FieldName) const override {
        bound(Control)->SetDataSource(Source);
        bound(Control)->SetDataField(FieldName);
    }
    std::string BoundField(TWinControl* Control) const override { return bound(Control)->DataField(); }

protected:
    static TBound* bound(TWinControl* Control) { return static_cast<TBound*>(Control); }
};

// Makes a kind known to every grid ("Combo" is known from the start).
void registerCellEditorKind(std::unique_ptr<TQmCellEditorKind> Kind);
const TQmCellEditorKind* findCellEditorKind(const std::string& Kind);

// ---------------------------------------------------------------- TQmDBGrid

using TCalcCellColorsEvent = std::function<void(TObject* Sender, TField* Field, TGridDrawState State,
                                                bool Highlight, TFont* AFont, TBrush* ABrush)>;
using TQmMemoOpenEvent = std::function<void(TQmDBGrid* Grid, TQmMemoDialog* MemoDialog)>;
using TQmMemoCloseEvent = std::function<void(TQmDBGrid* Grid, bool Cancel)>;

inline const std::string SQmGridNeedsQmDataSet = "qmGrid must use descendent of TQmTable, TQmQuery, or TQmQBE.";
inline const std::string SInvalidFixedCols = "Invalid value for FixedCols";
inline const std::string SDiscardChanges = "Discard changes to this record?";

class TQmDBGrid : public TQmCustomDBGrid {
public:
    explicit TQmDBGrid(TComponent* AOwner);
    ~TQmDBGrid() override;

    TStrings* Selected() { return &selected_; }
    void SetSelected(const TStrings& Value) { selected_.Assign(&Value); }
    TQmMemoAttributes MemoAttributes() const { return memoAttributes_; }
    void SetMemoAttributes(TQmMemoAttributes Value);
    TAlignment TitleAlignment() const { return titleAlignment_; }
    void SetTitleAlignment(TAlignment Value);
    // Frozen data columns, not counting the indicator. A negative value shows
    // "Invalid value for FixedCols" and is not stored.
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int Value);
    bool ShowHorzScrollBar() const { return ScrollBars() == ssHorizontal || ScrollBars() == ssBoth; }
    void SetShowHorzScrollBar(bool Value) { SetScrollBars(Value ? ssHorizontal : ssNone); }
    int TitleLines() const { return titleLines_; }
    void SetTitleLines(int Value);

    // The field of the current column, or nullptr.
    TField* GetSelectedField() const { return SelectedField(); }
    // The control placed over the current cell now, or nullptr.
    TWinControl* EmbeddedControl() const { return shown_; }
    // The text a data cell shows: the field's display text; for a memo
    // "(Memo)", or with mGridShow the memo's first line of at most 255 bytes.
    std::string cellText(int ACol, int ARow);

    TCalcCellColorsEvent OnCalcCellColors;
    TQmMemoOpenEvent OnMemoOpen;
    TQmMemoCloseEvent OnMemoClose;

protected:
    void Paint() override;
    bool CanEditShow() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void SetColumnAttributes() override;
    void LinkActive(bool Value) override;
    bool IsCustomEditCell(int ACol, int ARow) override;
    bool mayCancelOnExit() override { return !(shown_ && shown_->Visible()); }
    int dataRowHeight() override;
    int titleRowHeight() override;
    void ColExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void charInput(char Key) override;
    void TopLeftChanged() override;
    void KillFocus() override;

private:
    struct Attached {
        TWinControl* Control;
        const TQmCellEditorKind* Kind;
        std::string FieldName;
    };
    // The ControlType line of the column's field and kind (exact compare),
    // split at ";"; empty when there is none with at least MinItems items.
    std::vector<std::string> controlLine(int ACol, const std::string& Kind, size_t MinItems) const;
    bool isDataCell(int ACol, int ARow) const;
    bool isCheckBoxCell(int ACol, int ARow) const;
    bool isMemoCell(int ACol, int ARow) const;
    // The embedded control of the cell, or nullptr.
    const Attached* embeddedOf(int ACol, int ARow) const;
    bool editingAllowed() const;
    void applySelected();
    void checkControlTypes();
    void drawTitle(const TRect& ARect, TField* Field);
    void drawCheckBox(int ACol, int ARow, const TRect& ARect, TGridDrawState AState, const std::string& Checked);
    void drawDataText(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void placeEmbedded(const Attached& Editor, const TRect& ARect);
    void hideEmbedded();
    void raisedLook(int ARow, const TRect& ARect);
    // The cell's text while the row's record is the active one.
    std::string textOf(int ACol, int ARow, TField* Field);
    std::string memoText(TField* Field);
    void toggleCheckBox();
    void openMemo();

    TStringList selected_;
    TQmMemoAttributes memoAttributes_{mSizeable, mWordWrap};
    TAlignment titleAlignment_ = taLeftJustify;
    int fixedCols_ = 0;
    int titleLines_ = 1;
    int dataRowLines_ = 1;
    std::vector<Attached> attached_;
    TWinControl* shown_ = nullptr;  // placed over shownCell_
    TGridCoord shownCell_{-1, -1};
    // Bottom or right alignments of the grid and its parent, set aside while
    // a control shows over a cell.
    TAlign savedAlign_ = alNone;
    TAlign savedParentAlign_ = alNone;
    bool hasCombo_ = false;
    bool hasLookupCombo_ = false;
    bool applying_ = false;
    bool appliedOnce_ = false;
    bool controlTypesChecked_ = false;
    int drawnRow_ = -1;
};
