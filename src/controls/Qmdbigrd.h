#pragma once
// The data-aware grid every record list is built on: TQmCustomDBGrid shows
// the records a dataset buffers for it as rows and a list of its fields as
// columns, with an optional title row and an indicator column marking the
// current record and its editing state; TQmGridDataLink ties it to a data
// source.
//
// The grid holds no record data: it paints the link's record window, and
// every key, click and scroll-bar action becomes a dataset movement. The
// window holds VisibleRowCount records. Row movement appends at the end
// (Down, Tab past the last column) when the dataset can be modified and
// dgEditing is set; a fresh insert (nothing typed) is cancelled by Up and
// stays put on a second Down. The vertical bar of an xBase table has three
// positions: 0 at BOF, 4 at EOF, 2 between; dropping the thumb on 1 or 3
// pages by the visible row count.
//
// Descendants (the published grid, the lookup lists) answer the virtual
// operations LayoutChanged, Scroll(Distance), HighlightCell,
// DefineFieldMap, SetColumnAttributes, LinkActive and IsCustomEditCell.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/DataSource.h"
#include "ui/DBCtrls.h"
#include "ui/Grids.h"

class TQmCustomDBGrid;

// The grid's options have the names, order and bits of the class library's
// data grid options.
using TQmDBGridOption = TDBGridOption;
using TQmDBGridOptions = TDBGridOptions;

enum TIndicatorColorType { icBlack, icYellow };

using TQmDrawDataCellEvent =
    std::function<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;

// ---------------------------------------------------------------- TQmGridDataLink

class TQmGridDataLink : public TDataLink {
public:
    explicit TQmGridDataLink(TQmCustomDBGrid* Grid) : grid_(Grid) {}

    // Appends the named field to the column map. Raises EInvalidGridOperation
    // at MaxGridColumns entries and the dataset's "Field 'X' not found".
    void AddMapping(const std::string& FieldName);
    void ClearMapping() { fieldMap_.clear(); }
    int FieldCount() const { return static_cast<int>(fieldMap_.size()); }
    // Index into the dataset's field list of column Index.
    int FieldIndex(int Index) const { return fieldMap_.at(Index); }

    // The editor's text changed and is not yet in the field.
    bool IsModified() const { return modified_; }
    void Modified() { modified_ = true; }
    // Escape: the editor shows the field again when it was changed, else
    // the dataset cancels.
    void Reset();
    bool DefaultFields() const;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    TQmCustomDBGrid* grid_;
    std::vector<int> fieldMap_;
    bool modified_ = false;
    bool inUpdateData_ = false;
};

// ---------------------------------------------------------------- TQmCustomDBGrid

class TQmCustomDBGrid : public TCustomGrid {
public:
    explicit TQmCustomDBGrid(TComponent* AOwner);
    ~TQmCustomDBGrid() override;

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* Value);
    TQmGridDataLink* DataLink() { return &dataLink_; }

    int FieldCount() const { return dataLink_.FieldCount(); }
    // The mapped field; nullptr out of range or while the link is inactive.
    TField* Fields(int Index) const;
    int SelectedIndex() const { return Col() - indicatorOffset_; }
    // Moves to the column as the user would (MoveCol: OnColExit, OnColEnter).
    void SetSelectedIndex(int Value) { MoveCol(Value); }
    TField* SelectedField() const { return Fields(SelectedIndex()); }

    TQmDBGridOptions Options() const { return options_; }
    void SetOptions(TQmDBGridOptions Value);
    TFont* TitleFont() { return &titleFont_; }
    void SetTitleFont(const TFont& Value) { titleFont_.Assign(Value); }
    // Brush of the fixed cells.
    TColor TitleColor() const { return titleColor_; }
    void SetTitleColor(TColor Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool Value) { defaultDrawing_ = Value; }
    TIndicatorColorType IndicatorColor() const { return indicatorColor_; }
    void SetIndicatorColor(TIndicatorColorType Value);
    // Whether the grid shows and drives its vertical scroll bar.
    bool ShowVertScrollBar() const { return showVertScrollBar_; }
    void SetShowVertScrollBar(bool Value);

    int TitleOffset() const { return titleOffset_; }
    int IndicatorOffset() const { return indicatorOffset_; }

    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;
    TQmDrawDataCellEvent OnDrawDataCell;

    // Makes the grid match its dataset's fields and its options again.
    virtual void LayoutChanged();
    // A key an embedded editor hands back to the grid (Tab, Enter).
    void keyFromEditor(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }

protected:
    friend class TQmGridDataLink;

    // ---- operations descendants answer
    // The window of records moved by Distance.
    virtual void Scroll(int Distance);
    virtual bool HighlightCell(int ACol, int ARow, const std::string& Value, TGridDrawState AState);
    virtual void DefineFieldMap();
    virtual void SetColumnAttributes();
    virtual void LinkActive(bool Value);
    // True where a cell has an editor of its own (no in-place editor there).
    virtual bool IsCustomEditCell(int ACol, int ARow);
    // Whether leaving the grid may cancel a fresh insert (dgCancelOnExit).
    virtual bool mayCancelOnExit() { return true; }
    // Heights of a data row and of the title row for the fonts and options.
    virtual int dataRowHeight();
    virtual int titleRowHeight();
    // The current column is being left: OnColExit.
    virtual void ColExit();

    // ---- the custom grid's hooks
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void ColWidthsChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void TimedScroll(TGridScrollDirections Direction) override;
    std::string GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::string& Value) override;
    std::string GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    bool CanEditAcceptKey(char Key) override;
    bool CanEditModify() override;
    bool CanEditShow() override;
    void ExitGrid() override;
    void Resize() override;
    // A new font re-lays the grid out; one taken from the parent is the
    // title font too.
    void afterFontChange(bool FromParent) override;

    // ---- shared with descendants
    // Moves to data column To (clamped), running OnColExit and OnColEnter.
    void MoveCol(int To);
    void updateRowCount();
    void updateActive();
    void updateScrollBar();
    // The row of the link's window a grid row shows.
    int recordOfRow(int ARow) const { return ARow - titleOffset_; }
    bool layoutInProgress() const { return layoutInProgress_; }
    bool inColumnExit() const { return inColExit_; }
    bool userChange() const { return userChange_; }
    void setAcquireFocus(bool Value) { acquireFocus_ = Value; }
    // Writes Text in Rect: left-aligned at (dx, dy), right-aligned 3 pixels
    // from the right edge, or centred; the rectangle is filled with the brush.
    void writeText(const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment);
    // The indicator picture for the dataset's state, drawn in the cell.
    void drawIndicator(const TRect& Rect);
    // The grid may take the focus (and takes it): true when it or its
    // editor has it afterwards, or when it may not take it at all.
    bool acquireFocus();
    // Runs Draw with the link's active record on the grid row's record; the
    // active record comes back however Draw ends.
    void withRecordOfRow(int ARow, const std::function<void()>& Draw);
    // The alignment a field's text is drawn with.
    static TAlignment fieldAlignment(const TField* Field);
    // Text height and width in a font, measured off screen.
    static int textHeight(const TFont& Font, const std::string& Text);
    static int textWidth(const TFont& Font, const std::string& Text);

    std::string editText_;

private:
    void dataChanged();
    void recordChanged(TField* Field);
    void editingChanged();
    void priorRow();
    void nextRow(bool MayAppend);
    void tab(bool GoForward);
    bool freshInsert() const;
    void deleteCurrent();
    void titleFontChanged();

    TQmGridDataLink dataLink_{this};
    TFont titleFont_;
    TColor titleColor_ = clBtnFace;
    bool readOnly_ = false;
    bool layoutInProgress_ = false;
    TQmDBGridOptions options_{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                              dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
    int titleOffset_ = 1;
    int indicatorOffset_ = 1;
    int updateLock_ = 0;
    bool inColExit_ = false;
    bool defaultDrawing_ = true;
    bool selfChangingTitleFont_ = false;
    int selectedRow_ = 0;
    TIndicatorColorType indicatorColor_ = icBlack;
    bool showVertScrollBar_ = true;
    bool rowCountLock_ = false;
    bool updateFieldWidths_ = true;
    bool acquireFocus_ = true;
    bool userChange_ = false;
    std::shared_ptr<struct TIndicatorPictures> pictures_;
};
