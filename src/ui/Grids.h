#pragma once
// The custom grid: a cell matrix painted through TCanvas, with fixed rows and
// columns, a current cell, scrolling, column sizing and moving in the fixed
// rows, and an in-place editor. Descendants decide what a cell shows
// (DrawCell), which cells may become current (SelectCell) and what the
// editor edits (the Get/SetEditText family).
//
// The contract descendants rely on:
// - Geometry. Each column is ColWidths(i) pixels wide, each row
//   RowHeights(i) high, both excluding the grid line that follows the cell.
//   A line of GridLineWidth pixels follows each column where goFixedVertLine
//   (fixed columns) or goVertLine (the others) is set, and each row where
//   goFixedHorzLine or goHorzLine is. Fixed columns and rows stay in place;
//   the others scroll, starting at LeftCol and TopRow.
// - VisibleColCount and VisibleRowCount count the scrolling columns and rows
//   that fit wholly in the client area, measured from LeftCol and TopRow on
//   the client size (a row past RowCount counts as DefaultRowHeight high),
//   so a descendant can size a record buffer before it has rows. At least 1.
// - CellRect gives a cell's rectangle clipped to the client area; an empty
//   rectangle (all 0) for a cell not on view. MouseCoord gives the cell under
//   a point, or (-1, -1).
// - Painting fills each cell's background (FixedColor for fixed cells,
//   Color for the others, clHighlight for a selected one drawn as selected),
//   calls DrawCell with gdFixed, gdSelected and gdFocused as they apply,
//   draws the focus rectangle, then the grid lines: FixedLineColor in the
//   fixed area, LineColor elsewhere.
// - The current cell (Col, Row) moves only when SelectCell agrees. The user
//   moving it (keys, mouse) calls Click after every attempt, refused ones
//   too; Col/Row/FocusCell do the same; MoveColRow moves without Click.
//   Scrolling calls TopLeftChanged.
// - The in-place editor (TInplaceEdit, a masked edit) is shown over the
//   current cell while EditorMode is on and CanEditShow agrees. It takes its
//   text from GetEditText, its mask from GetEditMask, its length limit from
//   GetEditLimit; typed characters pass CanEditAcceptKey, and changing the
//   text asks CanEditModify first. The text goes back through SetEditText
//   when the editor is hidden or moved.
// - With goColSizing a drag on a column border in the fixed rows resizes the
//   column (ColWidthsChanged); with goColMoving a drag of a fixed-row cell
//   moves the column (ColumnMoved). While the mouse selects cells outside
//   the scrolling area, a 60 ms timer calls TimedScroll.
// - ScrollBars: the grid drives the horizontal bar (ssHorizontal, ssBoth) and
//   the vertical bar (ssVertical, ssBoth) by LeftCol and TopRow, showing each
//   only when the cells do not fit. A descendant that sets ScrollBars to
//   ssHorizontal may drive the vertical bar itself (SetScrollRange,
//   SetScrollPos, ShowScrollBar) and answers its codes in Scroll; the thumb
//   acts when it is released (scPosition).
#include <memory>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "ui/Controls.h"
#include "ui/Mask.h"

class TTimer;
class TCustomGrid;

QM_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

enum TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
    goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
    goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TGridScrollDirection { sdLeft, sdRight, sdUp, sdDown };
using TGridScrollDirections = TSet<TGridScrollDirection>;

struct TGridCoord {
    int X = 0;
    int Y = 0;
    bool operator==(const TGridCoord&) const = default;
};

// Left/Top to Right/Bottom, all inclusive (cell indexes).
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

using TDrawCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

// The most columns a grid holds; more raise EInvalidGridOperation.
constexpr int MaxGridColumns = 16380;
inline const std::string SGridTooManyColumns = "Grid requested to display more than 256 columns";
inline const std::string SGridIndexOutOfRange = "Grid index out of range";

// ---------------------------------------------------------------- TInplaceEdit

// The editor a grid shows over its current cell. Keys that move between
// cells (Up, Down, PgUp, PgDn, Tab, Left at the start, Right at the end,
// Ctrl+Home/End, F2) go to the grid; Enter and characters pass the grid's
// KeyPress first.
class TInplaceEdit : public TMaskEdit {
public:
    explicit TInplaceEdit(TCustomGrid* Grid);

    TCustomGrid* Grid() const { return grid_; }
    // Loads the grid's edit text, mask and limit for the current cell.
    void UpdateContents();
    // Places the editor over Rect and shows it; takes the focus when the
    // grid has it.
    void Move(const TRect& Rect);

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    bool wantsKey(Word Key, TShiftState Shift) const override;

private:
    void sendToGrid(Word& Key, TShiftState Shift);
    TCustomGrid* grid_;
    bool loading_ = false;
};

// ---------------------------------------------------------------- TCustomGrid

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    int ColCount() const { return static_cast<int>(colWidths_.size()); }
    // Raises EInvalidGridOperation past MaxGridColumns.
    void SetColCount(int Value);
    int RowCount() const { return static_cast<int>(rowHeights_.size()); }
    void SetRowCount(int Value);
    int FixedCols() const { return fixedCols_; }
    // Raises EInvalidGridOperation "Fixed column count must be less than
    // column count" when Value is negative or not below ColCount.
    void SetFixedCols(int Value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return defaultColWidth_; }
    // Sets every column to the width.
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    // Sets every row to the height.
    void SetDefaultRowHeight(int Value);
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    // Whether Tab may stop on the column (true unless set).
    bool TabStops(int Index) const;
    void SetTabStops(int Index, bool Value);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int Value);
    TGridOptions Options() const { return options_; }
    virtual void SetOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool Value) { defaultDrawing_ = Value; }
    // Brush of the fixed cells.
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor Value);
    // Grid lines in the fixed area and in the scrolling area.
    TColor FixedLineColor() const { return fixedLineColor_; }
    void SetFixedLineColor(TColor Value);
    TColor LineColor() const { return lineColor_; }
    void SetLineColor(TColor Value);
    // Descendants give fixed cells a raised look when set.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool Value);

    // The current cell. Setting one moves there as the user would (SelectCell,
    // scrolling it into view, Click).
    int Col() const { return current_.X; }
    void SetCol(int Value);
    int Row() const { return current_.Y; }
    void SetRow(int Value);
    TGridRect Selection() const;
    int LeftCol() const { return topLeft_.X; }
    void SetLeftCol(int Value);
    int TopRow() const { return topLeft_.Y; }
    void SetTopRow(int Value);
    int VisibleColCount() const;
    int VisibleRowCount() const;

    TRect CellRect(int ACol, int ARow) const;
    TGridCoord MouseCoord(int X, int Y) const;
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;

    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool Value);
    // nullptr until the editor is first shown.
    TInplaceEdit* InplaceEditor() const { return inplaceEdit_; }

    TGridState GridState() const { return gridState_; }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;

    // Repaints one cell (any cell, fixed or not, on view or not).
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid() { Invalidate(); }

    // The editor calls these (REQUIRES: Sender is this grid's editor).
    void EditorEntered();
    void EditorExited();

protected:
    // ---- what descendants answer
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    virtual bool SelectCell(int ACol, int ARow);
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void TimedScroll(TGridScrollDirections Direction);
    virtual std::string GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const std::string& Value);
    virtual std::string GetEditMask(int ACol, int ARow);
    // 0: no limit.
    virtual int GetEditLimit();
    virtual bool CanEditAcceptKey(char Key);
    virtual bool CanEditModify();
    virtual bool CanEditShow();
    virtual bool CanGridAcceptKey(Word Key, TShiftState Shift);
    virtual TInplaceEdit* CreateEditor();
    // A character that reached the grid itself (not its editor): with
    // goEditing it opens the editor and is typed into it.
    virtual void charInput(char Key);
    // Focus left the grid and its editor (and every control inside it).
    virtual void ExitGrid() {}
    // The grid's window lost the focus, to anything (its editor included).
    virtual void KillFocus() {}

    // ---- editor
    void ShowEditor();
    void HideEditor();
    // Reloads the editor's contents from the grid.
    void InvalidateEditor();
    // Shows, moves or reloads the editor as the current cell needs.
    void UpdateEdit();
    // Hides the editor window, handing its text back first.
    void HideEdit();
    // Hands the editor's text to SetEditText when the user changed it.
    void UpdateText();

    // ---- movement
    // Moves the current cell when SelectCell agrees; Show scrolls it into
    // view. No Click.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    // As the user moves: MoveColRow, editor update, Click.
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void MoveTopLeft(int ALeft, int ATop);
    // Starts selecting cells with the mouse (the timed scroll runs while the
    // mouse is outside the scrolling area) until the button is released.
    void beginSelecting();
    // Whether a point is on a column or row border that may be dragged.
    bool Sizing(int X, int Y) const;
    void MoveColumn(int FromIndex, int ToIndex);
    // The widest LeftCol and TopRow that still fill the client area.
    int maxLeftCol() const;
    int maxTopRow() const;

    // ---- the class library's control hooks
    void Paint() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    void Resize() override;
    void DoEnter() override;
    void DoExit() override;
    bool wantsKey(Word Key, TShiftState Shift) const override;
    bool clicksOnMouseUp() const override { return false; }
    bool handleEvent(QWidget* source, QEvent* event) override;

    // The grid is its form's active control (the focus rectangle shows).
    bool IsActiveControl() const;
    // The grid or its editor has the keyboard focus.
    bool GridOrEditorFocused() const;
    // Bounds of cells, in client pixels.
    int columnLeft(int ACol) const;
    int rowTop(int ARow) const;
    int colLineWidth(int ACol) const;
    int rowLineWidth(int ARow) const;
    // Keeps the scroll bars in step with LeftCol and TopRow.
    void updateScrollBars();

private:
    friend class TInplaceEdit;
    void checkColumnIndex(int Index) const;
    void checkRowIndex(int Index) const;
    void clampTopLeft();
    // The cells' sizes or counts changed: the top-left cell is kept in range,
    // the scroll bars follow, Told (when given) hears of it, the grid repaints.
    void layoutChanged(void (TCustomGrid::*Told)() = nullptr);
    // Size (a column's width or a row's height) becomes Value.
    void setSize(int& Size, int Value, void (TCustomGrid::*Told)());
    void scrollIntoView(int ACol, int ARow);
    void invalidateCurrent();
    void paintCell(int ACol, int ARow, const TRect& R, bool focusedGrid);
    void paintLines(int ACol, int ARow, const TRect& R);
    int fixedWidth() const;
    int fixedHeight() const;
    bool isInside(const TWinControl* Control) const;
    void startTimer();
    void stopTimer();
    void timerFired();
    void endSizing(int X, int Y);
    void endMoving(int X);

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    std::vector<bool> tabStops_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TScrollStyle scrollBars_ = ssBoth;
    bool defaultDrawing_ = true;
    TColor fixedColor_ = clBtnFace;
    TColor fixedLineColor_ = clBlack;
    TColor lineColor_ = clSilver;
    bool ctl3D_ = true;
    TGridCoord current_{1, 1};
    TGridCoord topLeft_{1, 1};
    bool editorMode_ = false;
    TInplaceEdit* inplaceEdit_ = nullptr;
    int inplaceCol_ = -1;
    int inplaceRow_ = -1;
    TGridState gridState_ = gsNormal;
    int sizingIndex_ = -1;
    int sizingStart_ = 0;
    int sizingOrigin_ = 0;
    int moveIndex_ = -1;
    TTimer* timer_ = nullptr;
    int lastMouseX_ = 0;
    int lastMouseY_ = 0;
    bool focusInside_ = false;
    // The focus is being taken from the editor HideEdit is hiding.
    bool hidingEditor_ = false;
};
