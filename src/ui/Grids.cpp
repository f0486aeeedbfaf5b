#include "ui/Grids.h"

#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

#include "base/FlagScope.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/MessageBeep.h"
#include "ui/Text1252.h"

namespace {
constexpr unsigned kSelectTimerMs = 60;
// How near a column border the mouse must be to drag it.
constexpr int kSizingMargin = 3;
inline const std::string SFixedColTooBig = "Fixed column count must be less than column count";
inline const std::string SFixedRowTooBig = "Fixed row count must be less than row count";
}  // namespace

// ---------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid* Grid) : TMaskEdit(Grid), grid_(Grid) {
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetVisible(false);
    SetParent(Grid);
}

void TInplaceEdit::UpdateContents() {
    TFlagScope busy(loading_);
    SetText("");
    SetEditMask(grid_->GetEditMask(grid_->Col(), grid_->Row()));
    SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    SetMaxLength(grid_->GetEditLimit());
    SetModified(false);
}

void TInplaceEdit::Move(const TRect& Rect) {
    SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    bool gridFocused = grid_->Focused();
    Show();
    BringToFront();
    if (gridFocused && CanFocus()) SetFocus();
}

void TInplaceEdit::Change() {
    TMaskEdit::Change();
    if (!loading_) grid_->SetEditText(grid_->Col(), grid_->Row(), Text());
}

void TInplaceEdit::DoEnter() {
    grid_->EditorEntered();
    TMaskEdit::DoEnter();
}

void TInplaceEdit::DoExit() {
    TMaskEdit::DoExit();
    grid_->EditorExited();
}

void TInplaceEdit::sendToGrid(Word& Key, TShiftState Shift) {
    grid_->KeyDown(Key, Shift);
    Key = 0;
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    auto atStart = [this] { return SelStart() == 0 && SelLength() == 0; };
    auto atEnd = [this] { return SelStart() >= static_cast<int>(Text().size()) && SelLength() == 0; };
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
    case VK_F2: sendToGrid(Key, Shift); return;
    case VK_INSERT:
        if (Shift.Empty()) sendToGrid(Key, Shift);
        break;
    case VK_LEFT:
        if (Shift.Contains(ssCtrl) || atStart()) sendToGrid(Key, Shift);
        break;
    case VK_RIGHT:
        if (Shift.Contains(ssCtrl) || atEnd()) sendToGrid(Key, Shift);
        break;
    case VK_HOME:
    case VK_END:
        if (Shift.Contains(ssCtrl)) sendToGrid(Key, Shift);
        break;
    case VK_DELETE:
        if (Shift.Contains(ssCtrl))
            sendToGrid(Key, Shift);
        else if (!grid_->CanEditModify())
            Key = 0;
        break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) sendToGrid(Key, Shift);
        break;
    default: break;
    }
    if (Key != 0) TMaskEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(char& Key) {
    grid_->KeyPress(Key);
    auto uch = static_cast<unsigned char>(Key);
    if (uch >= 32 && !grid_->CanEditAcceptKey(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    switch (Key) {
    case '\t':
    case '\x1b': Key = 0; break;
    case '\r':
        if (SelStart() == 0 && SelLength() == static_cast<int>(Text().size()))
            SetSelLength(0);
        else
            SelectAll();
        Key = 0;
        break;
    case '\b':
    case '\x16':
    case '\x18':
        if (!grid_->CanEditModify()) Key = 0;
        break;
    default:
        if (static_cast<unsigned char>(Key) >= 32 && !grid_->CanEditModify()) Key = 0;
        break;
    }
    if (Key != 0) TMaskEdit::KeyPress(Key);
}

bool TInplaceEdit::wantsKey(Word Key, TShiftState Shift) const {
    if (Key == VK_TAB && grid_->Options().Contains(goTabs)) return true;
    return TMaskEdit::wantsKey(Key, Shift);
}

// ---------------------------------------------------------------- TCustomGrid

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    colWidths_.assign(5, defaultColWidth_);
    tabStops_.assign(5, true);
    rowHeights_.assign(5, defaultRowHeight_);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
    updateScrollBars();
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::checkColumnIndex(int Index) const {
    if (Index < 0 || Index >= ColCount()) throw EInvalidGridOperation(SGridIndexOutOfRange);
}

void TCustomGrid::checkRowIndex(int Index) const {
    if (Index < 0 || Index >= RowCount()) throw EInvalidGridOperation(SGridIndexOutOfRange);
}

void TCustomGrid::SetColCount(int Value) {
    if (Value > MaxGridColumns) throw EInvalidGridOperation(SGridTooManyColumns);
    Value = std::max(Value, 1);
    if (Value == ColCount()) return;
    if (Value <= fixedCols_) fixedCols_ = Value - 1;
    colWidths_.resize(Value, defaultColWidth_);
    tabStops_.resize(Value, true);
    current_.X = std::clamp(current_.X, fixedCols_, Value - 1);
    layoutChanged();
}

void TCustomGrid::SetRowCount(int Value) {
    Value = std::max(Value, 1);
    if (Value == RowCount()) return;
    if (Value <= fixedRows_) fixedRows_ = Value - 1;
    rowHeights_.resize(Value, defaultRowHeight_);
    current_.Y = std::clamp(current_.Y, fixedRows_, Value - 1);
    layoutChanged();
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value == fixedCols_) return;
    if (Value < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (Value >= ColCount()) throw EInvalidGridOperation(SFixedColTooBig);
    // A grid scrolled to its start stays at its start.
    if (topLeft_.X == fixedCols_) topLeft_.X = Value;
    fixedCols_ = Value;
    current_.X = std::max(current_.X, fixedCols_);
    topLeft_.X = std::max(topLeft_.X, fixedCols_);
    layoutChanged();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value == fixedRows_) return;
    if (Value < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (Value >= RowCount()) throw EInvalidGridOperation(SFixedRowTooBig);
    if (topLeft_.Y == fixedRows_) topLeft_.Y = Value;
    fixedRows_ = Value;
    current_.Y = std::max(current_.Y, fixedRows_);
    topLeft_.Y = std::max(topLeft_.Y, fixedRows_);
    layoutChanged();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    defaultColWidth_ = Value;
    std::fill(colWidths_.begin(), colWidths_.end(), Value);
    layoutChanged(&TCustomGrid::ColWidthsChanged);
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    defaultRowHeight_ = Value;
    std::fill(rowHeights_.begin(), rowHeights_.end(), Value);
    layoutChanged(&TCustomGrid::RowHeightsChanged);
}

void TCustomGrid::layoutChanged(void (TCustomGrid::*Told)()) {
    clampTopLeft();
    updateScrollBars();
    if (Told) (this->*Told)();
    Invalidate();
}

void TCustomGrid::setSize(int& Size, int Value, void (TCustomGrid::*Told)()) {
    if (Size == Value) return;
    Size = Value;
    layoutChanged(Told);
}

int TCustomGrid::ColWidths(int Index) const {
    checkColumnIndex(Index);
    return colWidths_[Index];
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    checkColumnIndex(Index);
    setSize(colWidths_[Index], Value, &TCustomGrid::ColWidthsChanged);
}

int TCustomGrid::RowHeights(int Index) const {
    checkRowIndex(Index);
    return rowHeights_[Index];
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    checkRowIndex(Index);
    setSize(rowHeights_[Index], Value, &TCustomGrid::RowHeightsChanged);
}

bool TCustomGrid::TabStops(int Index) const {
    checkColumnIndex(Index);
    return tabStops_[Index];
}

void TCustomGrid::SetTabStops(int Index, bool Value) {
    checkColumnIndex(Index);
    tabStops_[Index] = Value;
}

void TCustomGrid::SetGridLineWidth(int Value) {
    gridLineWidth_ = std::max(Value, 0);
    layoutChanged();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == options_) return;
    options_ = Value;
    if (!options_.Contains(goEditing)) HideEditor();
    else if (options_.Contains(goAlwaysShowEditor)) ShowEditor();
    else if (!editorMode_) HideEdit();
    layoutChanged();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == scrollBars_) return;
    scrollBars_ = Value;
    if (Value != ssHorizontal && Value != ssBoth) ShowScrollBar(sbHorizontal, false);
    if (Value != ssVertical && Value != ssBoth) ShowScrollBar(sbVertical, false);
    updateScrollBars();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    fixedColor_ = Value;
    Invalidate();
}

void TCustomGrid::SetFixedLineColor(TColor Value) {
    fixedLineColor_ = Value;
    Invalidate();
}

void TCustomGrid::SetLineColor(TColor Value) {
    lineColor_ = Value;
    Invalidate();
}

void TCustomGrid::SetCtl3D(bool Value) {
    ctl3D_ = Value;
    Invalidate();
}

// ---- geometry

int TCustomGrid::colLineWidth(int ACol) const {
    bool line = options_.Contains(ACol < fixedCols_ ? goFixedVertLine : goVertLine);
    return line ? gridLineWidth_ : 0;
}

int TCustomGrid::rowLineWidth(int ARow) const {
    bool line = options_.Contains(ARow < fixedRows_ ? goFixedHorzLine : goHorzLine);
    return line ? gridLineWidth_ : 0;
}

int TCustomGrid::fixedWidth() const {
    int w = 0;
    for (int c = 0; c < fixedCols_; ++c) w += colWidths_[c] + colLineWidth(c);
    return w;
}

int TCustomGrid::fixedHeight() const {
    int h = 0;
    for (int r = 0; r < fixedRows_; ++r) h += rowHeights_[r] + rowLineWidth(r);
    return h;
}

int TCustomGrid::columnLeft(int ACol) const {
    if (ACol < fixedCols_) {
        int x = 0;
        for (int c = 0; c < ACol; ++c) x += colWidths_[c] + colLineWidth(c);
        return x;
    }
    if (ACol < topLeft_.X) return -1;
    int x = fixedWidth();
    for (int c = topLeft_.X; c < ACol; ++c) x += colWidths_[c] + colLineWidth(c);
    return x;
}

int TCustomGrid::rowTop(int ARow) const {
    if (ARow < fixedRows_) {
        int y = 0;
        for (int r = 0; r < ARow; ++r) y += rowHeights_[r] + rowLineWidth(r);
        return y;
    }
    if (ARow < topLeft_.Y) return -1;
    int y = fixedHeight();
    for (int r = topLeft_.Y; r < ARow && y < ClientHeight(); ++r) y += rowHeights_[r] + rowLineWidth(r);
    return y;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) return {};
    int left = columnLeft(ACol);
    int top = rowTop(ARow);
    if (left < 0 || top < 0 || left >= ClientWidth() || top >= ClientHeight()) return {};
    int right = std::min(left + colWidths_[ACol], ClientWidth());
    int bottom = std::min(top + rowHeights_[ARow], ClientHeight());
    return Rect(left, top, right, bottom);
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    TGridCoord none{-1, -1};
    if (X < 0 || Y < 0 || X >= ClientWidth() || Y >= ClientHeight()) return none;
    auto find = [](int P, int fixed, int first, int count, auto extent) {
        int pos = 0;
        for (int i = 0; i < fixed; ++i) {
            pos += extent(i);
            if (P < pos) return i;
        }
        for (int i = first; i < count; ++i) {
            pos += extent(i);
            if (P < pos) return i;
        }
        return -1;
    };
    int col = find(X, fixedCols_, topLeft_.X, ColCount(), [this](int c) { return colWidths_[c] + colLineWidth(c); });
    int row = find(Y, fixedRows_, topLeft_.Y, RowCount(), [this](int r) { return rowHeights_[r] + rowLineWidth(r); });
    if (col < 0 || row < 0) return none;
    return {col, row};
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

int TCustomGrid::VisibleColCount() const {
    int room = ClientWidth() - fixedWidth();
    int used = 0, count = 0;
    for (int c = topLeft_.X; c < ColCount(); ++c) {
        if (used + colWidths_[c] > room) break;
        used += colWidths_[c] + colLineWidth(c);
        ++count;
    }
    return std::max(count, 1);
}

int TCustomGrid::VisibleRowCount() const {
    int room = ClientHeight() - fixedHeight();
    int line = options_.Contains(goHorzLine) ? gridLineWidth_ : 0;
    int used = 0, count = 0;
    for (int r = topLeft_.Y;; ++r) {
        int h = r < RowCount() ? rowHeights_[r] : defaultRowHeight_;
        if (h <= 0 || used + h > room) break;
        used += h + line;
        ++count;
    }
    return std::max(count, 1);
}

int TCustomGrid::maxLeftCol() const {
    int room = ClientWidth() - fixedWidth();
    int left = ColCount() - 1;
    int used = colWidths_[left] + colLineWidth(left);
    while (left - 1 >= fixedCols_ && used + colWidths_[left - 1] <= room) {
        --left;
        used += colWidths_[left] + colLineWidth(left);
    }
    return std::max(left, fixedCols_);
}

int TCustomGrid::maxTopRow() const {
    int room = ClientHeight() - fixedHeight();
    int top = RowCount() - 1;
    int used = rowHeights_[top] + rowLineWidth(top);
    while (top - 1 >= fixedRows_ && used + rowHeights_[top - 1] <= room) {
        --top;
        used += rowHeights_[top] + rowLineWidth(top);
    }
    return std::max(top, fixedRows_);
}

void TCustomGrid::clampTopLeft() {
    TGridCoord old = topLeft_;
    topLeft_.X = std::clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, maxLeftCol()));
    topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, maxTopRow()));
    if (!(old == topLeft_)) TopLeftChanged();
}

TGridRect TCustomGrid::Selection() const {
    if (options_.Contains(goRowSelect)) return {fixedCols_, current_.Y, ColCount() - 1, current_.Y};
    return {current_.X, current_.Y, current_.X, current_.Y};
}

// ---- current cell and scrolling

void TCustomGrid::SetCol(int Value) {
    if (Value != current_.X) FocusCell(Value, current_.Y, true);
}

void TCustomGrid::SetRow(int Value) {
    if (Value != current_.Y) FocusCell(current_.X, Value, true);
}

void TCustomGrid::SetLeftCol(int Value) {
    if (Value != topLeft_.X) MoveTopLeft(Value, topLeft_.Y);
}

void TCustomGrid::SetTopRow(int Value) {
    if (Value != topLeft_.Y) MoveTopLeft(topLeft_.X, Value);
}

void TCustomGrid::invalidateCurrent() {
    if (options_.Contains(goRowSelect))
        InvalidateRow(current_.Y);
    else
        InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    (void)MoveAnchor;  // one cell is the whole selection
    checkColumnIndex(ACol);
    checkRowIndex(ARow);
    if (!SelectCell(ACol, ARow)) return;
    if (ACol != current_.X || ARow != current_.Y) {
        invalidateCurrent();
        current_ = {ACol, ARow};
        invalidateCurrent();
    }
    if (Show) scrollIntoView(ACol, ARow);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveColRow(ACol, ARow, MoveAnchor, true);
    UpdateEdit();
    Click();
}

void TCustomGrid::scrollIntoView(int ACol, int ARow) {
    int left = topLeft_.X, top = topLeft_.Y;
    if (ACol >= fixedCols_ && !options_.Contains(goRowSelect)) {
        if (ACol < left) left = ACol;
        else
            while (left < ACol) {
                int x = fixedWidth();
                for (int c = left; c < ACol; ++c) x += colWidths_[c] + colLineWidth(c);
                if (x + colWidths_[ACol] <= ClientWidth()) break;
                ++left;
            }
    }
    if (ARow >= fixedRows_) {
        if (ARow < top) top = ARow;
        else
            while (top < ARow) {
                int y = fixedHeight();
                for (int r = top; r < ARow; ++r) y += rowHeights_[r] + rowLineWidth(r);
                if (y + rowHeights_[ARow] <= ClientHeight()) break;
                ++top;
            }
    }
    if (left != topLeft_.X || top != topLeft_.Y) MoveTopLeft(left, top);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    TGridCoord old = topLeft_;
    topLeft_.X = std::clamp(ALeft, fixedCols_, std::max(fixedCols_, maxLeftCol()));
    topLeft_.Y = std::clamp(ATop, fixedRows_, std::max(fixedRows_, maxTopRow()));
    if (old == topLeft_) return;
    updateScrollBars();
    Invalidate();
    TopLeftChanged();
    UpdateEdit();
}

void TCustomGrid::TopLeftChanged() {
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::ColWidthsChanged() {}

void TCustomGrid::RowHeightsChanged() {}

void TCustomGrid::ColumnMoved(int, int) {}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    checkColumnIndex(FromIndex);
    checkColumnIndex(ToIndex);
    if (FromIndex == ToIndex) return;
    int width = colWidths_[FromIndex];
    bool stop = tabStops_[FromIndex];
    colWidths_.erase(colWidths_.begin() + FromIndex);
    tabStops_.erase(tabStops_.begin() + FromIndex);
    colWidths_.insert(colWidths_.begin() + ToIndex, width);
    tabStops_.insert(tabStops_.begin() + ToIndex, stop);
    if (current_.X == FromIndex)
        current_.X = ToIndex;
    else if (FromIndex < current_.X && ToIndex >= current_.X)
        --current_.X;
    else if (FromIndex > current_.X && ToIndex <= current_.X)
        ++current_.X;
    ColumnMoved(FromIndex, ToIndex);
    Invalidate();
}

void TCustomGrid::updateScrollBars() {
    auto update = [this](TScrollBarKind kind, int first, int last, int pos) {
        bool needed = last > first;
        if (needed != ScrollBarVisible(kind)) ShowScrollBar(kind, needed);
        if (!needed) return;
        SetScrollRange(kind, 0, last - first);
        SetScrollPos(kind, pos - first);
    };
    // A bar that appears takes room from the other direction: two passes settle it.
    for (int pass = 0; pass < 2; ++pass) {
        if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
            update(sbHorizontal, fixedCols_, maxLeftCol(), topLeft_.X);
        if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
            update(sbVertical, fixedRows_, maxTopRow(), topLeft_.Y);
    }
}

void TCustomGrid::Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) {
    bool horizontal = Kind == sbHorizontal && (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth);
    bool vertical = Kind == sbVertical && (scrollBars_ == ssVertical || scrollBars_ == ssBoth);
    if (horizontal || vertical) {
        int first = horizontal ? fixedCols_ : fixedRows_;
        int at = horizontal ? topLeft_.X : topLeft_.Y;
        int page = horizontal ? VisibleColCount() : VisibleRowCount();
        int last = horizontal ? maxLeftCol() : maxTopRow();
        int to = at;
        switch (Code) {
        case scLineUp: to = at - 1; break;
        case scLineDown: to = at + 1; break;
        case scPageUp: to = at - page; break;
        case scPageDown: to = at + page; break;
        case scPosition: to = first + Pos; break;
        case scTrack:
            if (options_.Contains(goThumbTracking)) to = first + Pos;
            break;
        case scTop: to = first; break;
        case scBottom: to = last; break;
        default: break;
        }
        if (horizontal)
            MoveTopLeft(to, topLeft_.Y);
        else
            MoveTopLeft(topLeft_.X, to);
    }
    TCustomControl::Scroll(Kind, Code, Pos);
}

// ---- invalidation

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    TRect r = CellRect(ACol, ARow);
    if (r.IsEmpty()) return;
    // With the grid lines, which belong to the cell.
    Handle()->update(r.Left, r.Top, r.Width() + gridLineWidth_, r.Height() + gridLineWidth_);
}

void TCustomGrid::InvalidateRow(int ARow) {
    TRect r = CellRect(0, ARow);
    if (r.IsEmpty()) return;
    Handle()->update(0, r.Top, ClientWidth(), r.Height() + gridLineWidth_);
}

void TCustomGrid::InvalidateCol(int ACol) {
    TRect r = CellRect(ACol, 0);
    if (r.IsEmpty()) return;
    Handle()->update(r.Left, 0, r.Width() + gridLineWidth_, ClientHeight());
}

// ---- painting

void TCustomGrid::Paint() {
    bool focusedGrid = IsActiveControl();
    int width = ClientWidth(), height = ClientHeight();
    auto rows = [&](auto each) {
        int y = 0;
        for (int r = 0; r < fixedRows_ && y < height; ++r) {
            each(r, y);
            y += rowHeights_[r] + rowLineWidth(r);
        }
        for (int r = topLeft_.Y; r < RowCount() && y < height; ++r) {
            each(r, y);
            y += rowHeights_[r] + rowLineWidth(r);
        }
    };
    rows([&](int r, int y) {
        int x = 0;
        auto cell = [&](int c) {
            TRect R = Bounds(x, y, colWidths_[c], rowHeights_[r]);
            paintCell(c, r, R, focusedGrid);
            paintLines(c, r, R);
            x += colWidths_[c] + colLineWidth(c);
        };
        for (int c = 0; c < fixedCols_ && x < width; ++c) cell(c);
        for (int c = topLeft_.X; c < ColCount() && x < width; ++c) cell(c);
    });
}

void TCustomGrid::paintCell(int ACol, int ARow, const TRect& R, bool focusedGrid) {
    TGridDrawState state;
    bool fixed = ACol < fixedCols_ || ARow < fixedRows_;
    if (fixed) {
        state.Include(gdFixed);
    } else {
        TGridRect sel = Selection();
        if (ACol >= sel.Left && ACol <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom)
            state.Include(gdSelected);
        if (focusedGrid && ACol == current_.X && ARow == current_.Y) state.Include(gdFocused);
    }
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(*Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fixed ? fixedColor_ : Color());
    if (defaultDrawing_) {
        bool drawSelected = state.Contains(gdSelected) &&
                            (!state.Contains(gdFocused) || options_.Contains(goDrawFocusSelected) ||
                             options_.Contains(goRowSelect));
        if (drawSelected) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        }
        canvas->FillRect(R);
    }
    DrawCell(ACol, ARow, R, state);
    bool editorOverCell = options_.Contains(goEditing) && options_.Contains(goAlwaysShowEditor);
    if (defaultDrawing_ && state.Contains(gdFocused) && !editorOverCell && !options_.Contains(goRowSelect)) {
        canvas->Brush()->SetColor(Color());
        canvas->Font()->SetColor(Font()->Color());
        canvas->DrawFocusRect(R);
    }
}

void TCustomGrid::paintLines(int ACol, int ARow, const TRect& R) {
    int vertical = colLineWidth(ACol);
    int horizontal = rowLineWidth(ARow);
    if (vertical == 0 && horizontal == 0) return;
    TCanvas* canvas = Canvas();
    bool fixed = ACol < fixedCols_ || ARow < fixedRows_;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fixed ? fixedLineColor_ : lineColor_);
    if (vertical > 0) canvas->FillRect(Rect(R.Right, R.Top, R.Right + vertical, R.Bottom + horizontal));
    if (horizontal > 0) canvas->FillRect(Rect(R.Left, R.Bottom, R.Right, R.Bottom + horizontal));
}

void TCustomGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

// ---- in-place editor

std::string TCustomGrid::GetEditText(int, int) { return {}; }
void TCustomGrid::SetEditText(int, int, const std::string&) {}
std::string TCustomGrid::GetEditMask(int, int) { return {}; }
int TCustomGrid::GetEditLimit() { return 0; }
bool TCustomGrid::CanEditAcceptKey(char) { return true; }
bool TCustomGrid::CanEditModify() { return true; }
bool TCustomGrid::CanGridAcceptKey(Word, TShiftState) { return true; }

bool TCustomGrid::CanEditShow() {
    bool editing = options_.Contains(goEditing) && !options_.Contains(goRowSelect);
    return editing && editorMode_ && (options_.Contains(goAlwaysShowEditor) || IsActiveControl() ||
                                      GridOrEditorFocused());
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::SetEditorMode(bool Value) {
    if (Value)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::ShowEditor() {
    editorMode_ = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    editorMode_ = false;
    HideEdit();
}

void TCustomGrid::InvalidateEditor() {
    inplaceCol_ = -1;
    inplaceRow_ = -1;
    UpdateEdit();
}

void TCustomGrid::UpdateEdit() {
    if (!CanEditShow()) return;
    auto load = [this] {
        inplaceCol_ = current_.X;
        inplaceRow_ = current_.Y;
        inplaceEdit_->UpdateContents();
        inplaceEdit_->SelectAll();
    };
    if (!inplaceEdit_) {
        inplaceEdit_ = CreateEditor();
        load();
    } else if (current_.X != inplaceCol_ || current_.Y != inplaceRow_) {
        HideEdit();
        load();
    }
    if (CanEditShow()) {
        TRect r = CellRect(current_.X, current_.Y);
        if (r.IsEmpty())
            inplaceEdit_->Hide();
        else
            inplaceEdit_->Move(r);
    }
}

void TCustomGrid::UpdateText() {
    if (inplaceEdit_ && inplaceCol_ >= 0 && inplaceRow_ >= 0 && inplaceEdit_->Modified())
        SetEditText(inplaceCol_, inplaceRow_, inplaceEdit_->Text());
}

void TCustomGrid::HideEdit() {
    if (!inplaceEdit_) return;
    bool hadFocus = inplaceEdit_->Focused();
    try {
        UpdateText();
    } catch (...) {
        inplaceCol_ = inplaceRow_ = -1;
        inplaceEdit_->Hide();
        throw;
    }
    inplaceCol_ = inplaceRow_ = -1;
    // The grid takes the focus before its editor goes: hiding a focused
    // editor would hand the focus to the next control, and the grid would
    // hear Exit and Enter again. The editor is not shown again meanwhile.
    if (hadFocus && CanFocus()) {
        TFlagScope busy(hidingEditor_);
        SetFocus();
    }
    inplaceEdit_->Hide();
}

// ---- focus

bool TCustomGrid::isInside(const TWinControl* Control) const {
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

bool TCustomGrid::IsActiveControl() const {
    TForm* form = GetParentForm(this);
    return form && form->ActiveControl() == this;
}

bool TCustomGrid::GridOrEditorFocused() const {
    return Focused() || (inplaceEdit_ && inplaceEdit_->Focused());
}

void TCustomGrid::DoEnter() {
    invalidateCurrent();
    if (!focusInside_) {
        focusInside_ = true;
        TCustomControl::DoEnter();
    }
    if (!hidingEditor_) UpdateEdit();
}

void TCustomGrid::DoExit() {
    invalidateCurrent();
    KillFocus();
    TForm* form = GetParentForm(this);
    if (form && form->ActiveControl() != this && isInside(form->ActiveControl())) return;
    if (inplaceEdit_ && inplaceEdit_->Visible()) inplaceEdit_->Hide();
    focusInside_ = false;
    ExitGrid();
    TCustomControl::DoExit();
}

void TCustomGrid::EditorEntered() {
    if (focusInside_) return;
    focusInside_ = true;
    TCustomControl::DoEnter();
}

void TCustomGrid::EditorExited() {
    TForm* form = GetParentForm(this);
    if (form && isInside(form->ActiveControl())) return;
    if (!focusInside_) return;
    focusInside_ = false;
    ExitGrid();
    TCustomControl::DoExit();
}

// ---- keyboard

bool TCustomGrid::wantsKey(Word Key, TShiftState Shift) const {
    if (Key == VK_TAB) return options_.Contains(goTabs) && !options_.Contains(goRowSelect) && !Shift.Contains(ssCtrl);
    return TCustomControl::wantsKey(Key, Shift);
}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (!CanGridAcceptKey(Key, Shift)) {
        Key = 0;
        return;
    }
    bool rowSelect = options_.Contains(goRowSelect);
    TGridCoord cur = current_;
    TGridCoord topLeft = topLeft_;
    int pageHeight = VisibleRowCount();
    int pageWidth = VisibleColCount();
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_UP: --topLeft.Y; break;
        case VK_DOWN: ++topLeft.Y; break;
        case VK_LEFT:
            if (!rowSelect) {
                cur.X -= pageWidth;
                topLeft.X -= pageWidth;
            }
            break;
        case VK_RIGHT:
            if (!rowSelect) {
                cur.X += pageWidth;
                topLeft.X += pageWidth;
            }
            break;
        case VK_PRIOR: cur.Y = topLeft_.Y; break;
        case VK_NEXT: cur.Y = topLeft_.Y + pageHeight - 1; break;
        case VK_HOME:
            cur.X = fixedCols_;
            cur.Y = fixedRows_;
            break;
        case VK_END:
            cur.X = ColCount() - 1;
            cur.Y = RowCount() - 1;
            break;
        default: break;
        }
    } else {
        switch (Key) {
        case VK_UP: --cur.Y; break;
        case VK_DOWN: ++cur.Y; break;
        case VK_LEFT:
            if (rowSelect) --topLeft.X;
            else --cur.X;
            break;
        case VK_RIGHT:
            if (rowSelect) ++topLeft.X;
            else ++cur.X;
            break;
        case VK_NEXT:
            cur.Y += pageHeight;
            topLeft.Y += pageHeight;
            break;
        case VK_PRIOR:
            cur.Y -= pageHeight;
            topLeft.Y -= pageHeight;
            break;
        case VK_HOME:
            if (rowSelect) cur.Y = fixedRows_;
            else cur.X = fixedCols_;
            break;
        case VK_END:
            if (rowSelect) cur.Y = RowCount() - 1;
            else cur.X = ColCount() - 1;
            break;
        case VK_TAB:
            if (!Shift.Contains(ssAlt)) {
                bool back = Shift.Contains(ssShift);
                do {
                    if (back) {
                        if (--cur.X < fixedCols_) {
                            cur.X = ColCount() - 1;
                            if (--cur.Y < fixedRows_) cur.Y = RowCount() - 1;
                        }
                    } else if (++cur.X >= ColCount()) {
                        cur.X = fixedCols_;
                        if (++cur.Y >= RowCount()) cur.Y = fixedRows_;
                    }
                } while (!tabStops_[cur.X] && cur.X != current_.X);
            }
            break;
        case VK_F2: SetEditorMode(true); break;
        default: break;
        }
    }
    if (!(topLeft == topLeft_)) MoveTopLeft(topLeft.X, topLeft.Y);
    cur.X = std::clamp(cur.X, fixedCols_, ColCount() - 1);
    cur.Y = std::clamp(cur.Y, fixedRows_, RowCount() - 1);
    if (!(cur == current_)) FocusCell(cur.X, cur.Y, !Shift.Contains(ssShift));
}

void TCustomGrid::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key == '\r' && !options_.Contains(goAlwaysShowEditor)) {
        SetEditorMode(!editorMode_);
        Key = 0;
    }
}

void TCustomGrid::charInput(char Key) {
    auto uch = static_cast<unsigned char>(Key);
    if (!options_.Contains(goEditing) || !(Key == '\b' || uch >= 32)) return;
    ShowEditor();
    if (inplaceEdit_ && inplaceEdit_->Visible()) inplaceEdit_->SendChar(Key);
}

bool TCustomGrid::handleEvent(QWidget* source, QEvent* event) {
    if (event->type() != QEvent::KeyPress || source != Handle()) return TCustomControl::handleEvent(source, event);
    // The class library's key path handles the raw key and hands what is
    // left back as a copy, which the control does not take: that copy is
    // the character reaching the grid itself.
    if (TCustomControl::handleEvent(source, event)) return true;
    std::string text = fromQString(static_cast<QKeyEvent*>(event)->text());
    if (text.size() == 1) charInput(text[0]);
    return true;
}

// ---- mouse

bool TCustomGrid::Sizing(int X, int Y) const {
    if (!options_.Contains(goColSizing) || Y < 0 || Y >= fixedHeight()) return false;
    int x = 0;
    auto border = [&](int c) {
        x += colWidths_[c];
        bool hit = X >= x - kSizingMargin && X <= x + colLineWidth(c) + kSizingMargin;
        x += colLineWidth(c);
        return hit;
    };
    for (int c = 0; c < fixedCols_; ++c) x += colWidths_[c] + colLineWidth(c);
    for (int c = topLeft_.X; c < ColCount() && x < ClientWidth(); ++c)
        if (border(c)) return true;
    return false;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (CanFocus() && !Focused()) SetFocus();
    lastMouseX_ = X;
    lastMouseY_ = Y;
    if (Button == mbLeft && !Shift.Contains(ssDouble)) {
        if (Sizing(X, Y)) {
            // The column whose right border is nearest the press.
            int x = fixedWidth();
            sizingIndex_ = -1;
            for (int c = topLeft_.X; c < ColCount(); ++c) {
                x += colWidths_[c];
                if (X >= x - kSizingMargin && X <= x + colLineWidth(c) + kSizingMargin) {
                    sizingIndex_ = c;
                    sizingOrigin_ = colWidths_[c];
                    break;
                }
                x += colLineWidth(c);
            }
            if (sizingIndex_ >= 0) {
                gridState_ = gsColSizing;
                sizingStart_ = X;
            }
        } else {
            TGridCoord hit = MouseCoord(X, Y);
            if (hit.X >= fixedCols_ && hit.Y >= fixedRows_) {
                if (options_.Contains(goEditing) && !options_.Contains(goRowSelect)) {
                    if (hit == current_) {
                        ShowEditor();
                    } else {
                        MoveColRow(hit.X, hit.Y, true, true);
                        UpdateEdit();
                    }
                    Click();
                } else {
                    beginSelecting();
                    MoveColRow(hit.X, hit.Y, true, true);
                }
            } else if (options_.Contains(goColMoving) && hit.Y >= 0 && hit.Y < fixedRows_ && hit.X >= fixedCols_) {
                gridState_ = gsColMoving;
                moveIndex_ = hit.X;
            }
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    lastMouseX_ = X;
    lastMouseY_ = Y;
    if (gridState_ == gsSelecting) {
        TGridCoord hit = MouseCoord(X, Y);
        if (hit.X >= fixedCols_ && hit.Y >= fixedRows_ && !(hit == current_)) MoveColRow(hit.X, hit.Y, false, false);
    } else if (gridState_ == gsNormal && options_.Contains(goColSizing)) {
        SetCursor(Sizing(X, Y) ? crHSplit : crDefault);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGridState state = gridState_;
    gridState_ = gsNormal;
    switch (state) {
    case gsSelecting:
        stopTimer();
        {
            TGridCoord hit = MouseCoord(X, Y);
            if (hit.X >= fixedCols_ && hit.Y >= fixedRows_ && !(hit == current_)) MoveColRow(hit.X, hit.Y, false, false);
        }
        UpdateEdit();
        Click();
        break;
    case gsColSizing: endSizing(X, Y); break;
    case gsColMoving: endMoving(X); break;
    default: break;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::endSizing(int X, int) {
    if (sizingIndex_ < 0 || sizingIndex_ >= ColCount()) return;
    SetColWidths(sizingIndex_, std::max(0, sizingOrigin_ + X - sizingStart_));
    sizingIndex_ = -1;
}

void TCustomGrid::endMoving(int X) {
    int y = fixedRows_ > 0 ? 0 : fixedHeight();
    TGridCoord hit = MouseCoord(std::clamp(X, 0, std::max(0, ClientWidth() - 1)), y);
    if (hit.X >= fixedCols_ && moveIndex_ >= fixedCols_ && hit.X != moveIndex_) MoveColumn(moveIndex_, hit.X);
    moveIndex_ = -1;
}

void TCustomGrid::beginSelecting() {
    gridState_ = gsSelecting;
    startTimer();
}

void TCustomGrid::startTimer() {
    if (!timer_) {
        timer_ = new TTimer(this);
        timer_->SetInterval(kSelectTimerMs);
        timer_->OnTimer = [this](TObject*) { timerFired(); };
    }
    timer_->SetEnabled(true);
}

void TCustomGrid::stopTimer() {
    if (timer_) timer_->SetEnabled(false);
}

void TCustomGrid::timerFired() {
    if (gridState_ != gsSelecting) {
        stopTimer();
        return;
    }
    TGridScrollDirections direction;
    if (lastMouseX_ < fixedWidth()) direction.Include(sdLeft);
    if (lastMouseX_ >= ClientWidth()) direction.Include(sdRight);
    if (lastMouseY_ < fixedHeight()) direction.Include(sdUp);
    if (lastMouseY_ >= ClientHeight()) direction.Include(sdDown);
    if (!direction.Empty()) TimedScroll(direction);
}

void TCustomGrid::TimedScroll(TGridScrollDirections Direction) {
    TGridCoord cur = current_;
    TGridCoord topLeft = topLeft_;
    if (Direction.Contains(sdLeft) && topLeft.X > fixedCols_) {
        --topLeft.X;
        cur.X = topLeft.X;
    }
    if (Direction.Contains(sdRight) && topLeft.X < maxLeftCol()) {
        cur.X = topLeft.X + VisibleColCount();
        ++topLeft.X;
    }
    if (Direction.Contains(sdUp) && topLeft.Y > fixedRows_) {
        --topLeft.Y;
        cur.Y = topLeft.Y;
    }
    if (Direction.Contains(sdDown) && topLeft.Y < maxTopRow()) {
        cur.Y = topLeft.Y + VisibleRowCount();
        ++topLeft.Y;
    }
    cur.X = std::clamp(cur.X, fixedCols_, ColCount() - 1);
    cur.Y = std::clamp(cur.Y, fixedRows_, RowCount() - 1);
    MoveTopLeft(topLeft.X, topLeft.Y);
    if (!(cur == current_)) MoveColRow(cur.X, cur.Y, false, false);
}

void TCustomGrid::Resize() {
    clampTopLeft();
    updateScrollBars();
    TCustomControl::Resize();
    UpdateEdit();
}
