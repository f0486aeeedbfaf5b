#include "controls/Qmdbigrd.h"

#include <algorithm>

#include "base/FlagScope.h"
#include "data/Dbi.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/RepaintingSetter.h"
#include "xbase/Qmtable.h"

namespace {
constexpr int kIndicatorWidth = 11;
// Three-position bar: top, middle, bottom; thumb drops on 1 and 3 page.
constexpr int kBarTop = 0;
constexpr int kBarPageUp = 1;
constexpr int kBarMiddle = 2;
constexpr int kBarPageDown = 3;
constexpr int kBarBottom = 4;
// Record-number bar.
constexpr int kBarRecordRange = 200;
inline const std::string SDeleteRecordQuestion = "Delete record?";

// 'X' is the picture's black, '.' its white.
const std::vector<std::string> kArrowPicture = {
    "X.....", "XX....", "XXX...", "XXXX..", "XXXXX.", "XXXX..", "XXX...", "XX....", "X.....",
};
const std::vector<std::string> kEditPicture = {
    "XX.XX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X..", "..X..", "XX.XX",
};
const std::vector<std::string> kInsertPicture = {"X.X.X", ".XXX.", "XXXXX", ".XXX.", "X.X.X"};

std::unique_ptr<TBitmap> pictureOf(const std::vector<std::string>& rows) {
    auto bitmap = std::make_unique<TBitmap>(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            bitmap->Canvas()->SetPixels(x, y, rows[y][x] == 'X' ? clBlack : clWhite);
    return bitmap;
}
}  // namespace

// The indicator's pictures: made once by the first grid, freed with the last.
struct TIndicatorPictures {
    std::unique_ptr<TBitmap> arrow = pictureOf(kArrowPicture);
    std::unique_ptr<TBitmap> edit = pictureOf(kEditPicture);
    std::unique_ptr<TBitmap> insert = pictureOf(kInsertPicture);

    static std::shared_ptr<TIndicatorPictures> acquire() {
        static std::weak_ptr<TIndicatorPictures> shared;
        std::shared_ptr<TIndicatorPictures> pictures = shared.lock();
        if (!pictures) {
            pictures = std::make_shared<TIndicatorPictures>();
            shared = pictures;
        }
        return pictures;
    }
};

// ---------------------------------------------------------------- TQmGridDataLink

void TQmGridDataLink::AddMapping(const std::string& FieldName) {
    if (FieldCount() >= MaxGridColumns) throw EInvalidGridOperation(SGridTooManyColumns);
    TField* field = DataSet()->FieldByName(FieldName);
    // Grows as the class library's map does: 8 entries, then doubling.
    if (fieldMap_.size() == fieldMap_.capacity())
        fieldMap_.reserve(fieldMap_.empty() ? 8 : std::min<size_t>(fieldMap_.capacity() * 2, MaxGridColumns));
    fieldMap_.push_back(field->Index());
}

void TQmGridDataLink::Reset() {
    if (modified_)
        RecordChanged(nullptr);
    else
        DataSet()->Cancel();
}

bool TQmGridDataLink::DefaultFields() const { return !DataSet() || DataSet()->DefaultFields(); }

void TQmGridDataLink::ActiveChanged() { grid_->LinkActive(Active()); }

void TQmGridDataLink::DataSetChanged() {
    grid_->dataChanged();
    modified_ = false;
}

void TQmGridDataLink::DataSetScrolled(int Distance) { grid_->Scroll(Distance); }

void TQmGridDataLink::EditingChanged() { grid_->editingChanged(); }

void TQmGridDataLink::LayoutChanged() {
    grid_->LayoutChanged();
    DataSetChanged();
}

void TQmGridDataLink::RecordChanged(TField* Field) {
    if (inUpdateData_) return;
    grid_->recordChanged(Field);
    modified_ = false;
}

void TQmGridDataLink::UpdateData() {
    {
        TFlagScope busy(inUpdateData_);
        if (modified_)
            if (TField* field = grid_->SelectedField()) field->SetEditText(grid_->editText_);
    }
    modified_ = false;
}

// ---------------------------------------------------------------- TQmCustomDBGrid

TQmCustomDBGrid::TQmCustomDBGrid(TComponent* AOwner)
    : TCustomGrid(AOwner), pictures_(TIndicatorPictures::acquire()) {
    titleFont_.OnChange = [this](TGraphicsObject*) { titleFontChanged(); };
    SetScrollBars(ssHorizontal);
    TCustomGrid::SetDefaultDrawing(false);
    TQmDBGridOptions start = options_;
    options_ = {};
    SetOptions(start);
    SetRowCount(2);
    SetColCount(2);
    SetColor(clWindow);
    SetParentColor(false);
    SetScrollRange(sbVertical, kBarTop, kBarBottom);
    SetScrollPage(sbVertical, 1);
    ShowScrollBar(sbVertical, true);
}

TQmCustomDBGrid::~TQmCustomDBGrid() {
    titleFont_.OnChange = nullptr;
    dataLink_.SetDataSource(nullptr);
}

void TQmCustomDBGrid::SetDataSource(TDataSource* Value) {
    dataLink_.SetDataSource(Value);
    LinkActive(dataLink_.Active());
}

TField* TQmCustomDBGrid::Fields(int Index) const {
    if (!dataLink_.Active() || Index < 0 || Index >= FieldCount()) return nullptr;
    return dataLink_.DataSet()->Fields()[dataLink_.FieldIndex(Index)];
}

void TQmCustomDBGrid::SetOptions(TQmDBGridOptions Value) {
    if (Value.Contains(dgRowSelect)) Value.Exclude(dgAlwaysShowEditor);
    if (Value == options_) return;
    TQmDBGridOptions old = options_;
    options_ = Value;
    TGridOptions grid;
    if (Value.Contains(dgColLines)) {
        grid.Include(goFixedVertLine);
        grid.Include(goVertLine);
    }
    if (Value.Contains(dgRowLines)) {
        grid.Include(goFixedHorzLine);
        grid.Include(goHorzLine);
    }
    if (Value.Contains(dgColumnResize)) {
        grid.Include(goColSizing);
        grid.Include(goColMoving);
    }
    if (Value.Contains(dgTabs)) grid.Include(goTabs);
    if (Value.Contains(dgRowSelect)) grid.Include(goRowSelect);
    if (Value.Contains(dgEditing) && !Value.Contains(dgRowSelect)) grid.Include(goEditing);
    if (Value.Contains(dgAlwaysShowEditor)) grid.Include(goAlwaysShowEditor);
    TCustomGrid::SetOptions(grid);
    for (TQmDBGridOption o : {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines,
                              dgRowSelect, dgAlwaysShowSelection})
        if (old.Contains(o) != Value.Contains(o)) {
            LayoutChanged();
            break;
        }
}

void TQmCustomDBGrid::SetTitleColor(TColor Value) { repaintWith(this, titleColor_, Value); }

void TQmCustomDBGrid::SetIndicatorColor(TIndicatorColorType Value) { repaintWith(this, indicatorColor_, Value); }

void TQmCustomDBGrid::SetShowVertScrollBar(bool Value) {
    showVertScrollBar_ = Value;
    ShowScrollBar(sbVertical, Value);
    updateScrollBar();
    Invalidate();
}

// A title font of the grid's own is no longer overwritten by the parent's.
void TQmCustomDBGrid::titleFontChanged() {
    if (!selfChangingTitleFont_) SetParentFont(false);
    if (options_.Contains(dgTitles)) LayoutChanged();
}

void TQmCustomDBGrid::afterFontChange(bool FromParent) {
    TCustomGrid::afterFontChange(FromParent);
    if (FromParent && ParentFont()) {
        TFlagScope busy(selfChangingTitleFont_);
        titleFont_.Assign(*Font());
    }
    LayoutChanged();
}

// ---- text measuring and writing

int TQmCustomDBGrid::textHeight(const TFont& Font, const std::string& Text) {
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(Font);
    return measure.Canvas()->TextHeight(Text);
}

int TQmCustomDBGrid::textWidth(const TFont& Font, const std::string& Text) {
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(Font);
    return measure.Canvas()->TextWidth(Text);
}

TAlignment TQmCustomDBGrid::fieldAlignment(const TField* Field) {
    return dynamic_cast<const TNumericField*>(Field) ? taRightJustify : taLeftJustify;
}

void TQmCustomDBGrid::writeText(const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment) {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    int x = Rect.Left + DX;
    if (Alignment == taRightJustify)
        x = Rect.Right - canvas->TextWidth(Text) - 3;
    else if (Alignment == taCenter)
        x = Rect.Left + (Rect.Width() - canvas->TextWidth(Text)) / 2;
    canvas->TextRect(Rect, x, Rect.Top + DY, Text);
}

void TQmCustomDBGrid::drawIndicator(const TRect& Rect) {
    TDataSet* ds = dataLink_.DataSet();
    TBitmap* picture = pictures_->arrow.get();
    if (ds && ds->State() == dsEdit) picture = pictures_->edit.get();
    if (ds && ds->State() == dsInsert) picture = pictures_->insert.get();
    TCanvas* canvas = Canvas();
    TColor back = canvas->Brush()->Color();
    TColor mark = indicatorColor_ == icYellow ? clYellow : clBlack;
    int left = Rect.Right - 2 - picture->Width();
    int top = (Rect.Top + Rect.Bottom - picture->Height()) / 2;
    TBitmap recoloured(picture->Width(), picture->Height());
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x)
            recoloured.Canvas()->SetPixels(x, y, picture->Canvas()->Pixels(x, y) == clBlack ? mark : back);
    canvas->Draw(left, top, &recoloured);
}

void TQmCustomDBGrid::withRecordOfRow(int ARow, const std::function<void()>& Draw) {
    int old = dataLink_.ActiveRecord();
    dataLink_.SetActiveRecord(recordOfRow(ARow));
    try {
        Draw();
    } catch (...) {
        dataLink_.SetActiveRecord(old);
        throw;
    }
    dataLink_.SetActiveRecord(old);
}

// ---- layout

void TQmCustomDBGrid::DefineFieldMap() {
    TDataSet* ds = dataLink_.DataSet();
    for (int i = 0; i < ds->FieldCount(); ++i)
        if (ds->Fields()[i]->Visible()) dataLink_.AddMapping(ds->Fields()[i]->FieldName());
}

void TQmCustomDBGrid::SetColumnAttributes() {
    int digit = textWidth(*Font(), "0");
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields(i);
        int width = digit * field->DisplayWidth() + 4;
        if (options_.Contains(dgTitles)) {
            std::string label = field->DisplayLabel();
            size_t start = 0;
            while (true) {
                size_t tilde = label.find('~', start);
                std::string part = label.substr(start, tilde == std::string::npos ? std::string::npos : tilde - start);
                width = std::max(width, textWidth(titleFont_, part) + 4);
                if (tilde == std::string::npos) break;
                start = tilde + 1;
            }
        }
        SetColWidths(i + indicatorOffset_, width);
        SetTabStops(i + indicatorOffset_, !(field->ReadOnly() || field->Calculated()));
    }
}

void TQmCustomDBGrid::LayoutChanged() {
    if (updateLock_ != 0) return;
    ++updateLock_;
    layoutInProgress_ = true;
    try {
        titleOffset_ = options_.Contains(dgTitles) ? 1 : 0;
        SetDefaultRowHeight(dataRowHeight());
        if (titleOffset_ > 0) SetRowHeights(0, titleRowHeight());
        indicatorOffset_ = options_.Contains(dgIndicator) ? 1 : 0;
        dataLink_.ClearMapping();
        if (dataLink_.Active()) DefineFieldMap();
        SetColCount(indicatorOffset_ + std::max(FieldCount(), 1));
        SetFixedCols(indicatorOffset_);
        if (indicatorOffset_ > 0) {
            SetColWidths(0, kIndicatorWidth);
            if (Col() == 0) MoveColRow(1, Row(), false, false);
        }
        int visible = VisibleRowCount();
        updateRowCount();
        SetColumnAttributes();
        if (VisibleRowCount() != visible) updateRowCount();
    } catch (...) {
        layoutInProgress_ = false;
        --updateLock_;
        throw;
    }
    layoutInProgress_ = false;
    updateActive();
    Invalidate();
    --updateLock_;
}

int TQmCustomDBGrid::dataRowHeight() {
    return textHeight(*Font(), "W") + 2 + (options_.Contains(dgRowLines) ? 1 : 0);
}

int TQmCustomDBGrid::titleRowHeight() { return textHeight(titleFont_, "W") + 4; }

void TQmCustomDBGrid::ColExit() {
    if (OnColExit) OnColExit(this);
}

void TQmCustomDBGrid::updateRowCount() {
    if (rowCountLock_) return;
    TFlagScope busy(rowCountLock_);
    if (RowCount() <= titleOffset_) SetRowCount(titleOffset_ + 1);
    SetFixedRows(titleOffset_);
    if (dataLink_.Active() && dataLink_.RecordCount() > 0) {
        int visible = VisibleRowCount();
        if (dataLink_.BufferCount() != visible) dataLink_.SetBufferCount(visible);
        SetRowCount(dataLink_.RecordCount() + titleOffset_);
        updateActive();
    } else {
        SetRowCount(titleOffset_ + 1);
    }
}

void TQmCustomDBGrid::updateActive() {
    if (!dataLink_.Active()) return;
    int row = dataLink_.ActiveRecord() + titleOffset_;
    if (row != Row()) {
        if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
        if (row > VisibleRowCount()) {
            updateRowCount();
            row = VisibleRowCount();
        }
        row = std::min(row, RowCount() - 1);
        MoveColRow(Col(), row, false, false);
    }
    TField* field = SelectedField();
    if (field && field->EditText() != editText_) InvalidateEditor();
}

void TQmCustomDBGrid::dataChanged() {
    updateRowCount();
    updateScrollBar();
    updateActive();
    InvalidateEditor();
    Invalidate();
}

void TQmCustomDBGrid::recordChanged(TField* Field) {
    InvalidateRow(Row());
    TField* selected = SelectedField();
    if ((!Field || Field == selected) && selected && selected->EditText() != editText_) {
        InvalidateEditor();
        if (InplaceEditor()) InplaceEditor()->SetSelLength(0);
    }
}

void TQmCustomDBGrid::editingChanged() {
    if (indicatorOffset_ > 0) InvalidateCell(0, Row());
}

void TQmCustomDBGrid::LinkActive(bool Value) {
    if (!Value) HideEditor();
    LayoutChanged();
    updateScrollBar();
}

bool TQmCustomDBGrid::IsCustomEditCell(int, int) { return false; }

void TQmCustomDBGrid::Scroll(int Distance) {
    // The indicator leaves the old row and is drawn on whichever row is now current.
    if (indicatorOffset_ > 0) InvalidateCol(0);
    updateScrollBar();
    updateActive();
    if (Distance == 0) return;
    HideEditor();
    Invalidate();
    if (options_.Contains(dgAlwaysShowEditor) && !IsCustomEditCell(Col(), Row())) ShowEditor();
}

void TQmCustomDBGrid::Resize() {
    TCustomGrid::Resize();
    if (!rowCountLock_) updateRowCount();
}

// ---- scroll bar

void TQmCustomDBGrid::updateScrollBar() {
    if (!showVertScrollBar_) {
        SetScrollRange(sbVertical, 0, 0);
        return;
    }
    if (!dataLink_.Active() || !Enabled()) return;
    TDataSet* ds = dataLink_.DataSet();
    auto* table = dynamic_cast<TQmTable*>(ds);
    if (table && table->IsParadoxTable()) {
        uint32_t seqNo = 0, count = 0;
        ds->UpdateCursorPos();
        bool known = DbiEngine()->GetSeqNo(table->Handle(), seqNo) == DBIERR_NONE &&
                     DbiEngine()->GetRecordCount(table->Handle(), count) == DBIERR_NONE;
        if (known) {
            int records = std::max<int>(static_cast<int>(count), 2);
            int pos = ds->Bof() ? 0
                      : ds->Eof() ? kBarRecordRange
                                  : (static_cast<int>(seqNo) - 1) * kBarRecordRange / (records - 1);
            SetScrollRange(sbVertical, 0, kBarRecordRange);
            if (ScrollPos(sbVertical) != pos) SetScrollPos(sbVertical, pos);
            return;
        }
    }
    SetScrollRange(sbVertical, kBarTop, kBarBottom);
    int pos = ds->Bof() ? kBarTop : ds->Eof() ? kBarBottom : kBarMiddle;
    if (ScrollPos(sbVertical) != pos) SetScrollPos(sbVertical, pos);
}

void TQmCustomDBGrid::Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) {
    if (Kind != sbVertical) {
        TCustomGrid::Scroll(Kind, Code, Pos);
        return;
    }
    if (!dataLink_.Active() || !acquireFocus()) return;
    TDataSet* ds = dataLink_.DataSet();
    auto* table = dynamic_cast<TQmTable*>(ds);
    bool recordNumbers = table && table->IsParadoxTable();
    switch (Code) {
    case scLineUp: priorRow(); break;
    case scLineDown: nextRow(false); break;
    case scPageUp: ds->MoveBy(-VisibleRowCount()); break;
    case scPageDown: ds->MoveBy(VisibleRowCount()); break;
    case scTop: ds->First(); break;
    case scBottom: ds->Last(); break;
    case scPosition:
        if (recordNumbers) {
            if (Pos <= 0) {
                ds->First();
            } else if (Pos >= kBarRecordRange) {
                ds->Last();
            } else {
                uint32_t count = 0;
                if (DbiEngine()->GetRecordCount(table->Handle(), count) != DBIERR_NONE) break;
                int target = Pos * static_cast<int>(count) / kBarRecordRange;
                ds->CheckBrowseMode();
                if (DbiEngine()->SetToSeqNo(table->Handle(), static_cast<uint32_t>(target + 1)) == DBIERR_NONE)
                    ds->Resync({});
            }
        } else {
            switch (Pos) {
            case kBarTop: ds->First(); break;
            case kBarPageUp: ds->MoveBy(-VisibleRowCount()); break;
            case kBarPageDown: ds->MoveBy(VisibleRowCount()); break;
            case kBarBottom: ds->Last(); break;
            default: break;
            }
        }
        break;
    default: break;
    }
    updateScrollBar();
}

// ---- movement

bool TQmCustomDBGrid::freshInsert() const {
    TDataSet* ds = dataLink_.DataSet();
    return ds->State() == dsInsert && !ds->Modified() && !dataLink_.IsModified();
}

void TQmCustomDBGrid::priorRow() {
    TDataSet* ds = dataLink_.DataSet();
    if (freshInsert() && ds->Eof())
        ds->Cancel();
    else
        ds->Prior();
}

void TQmCustomDBGrid::nextRow(bool MayAppend) {
    TDataSet* ds = dataLink_.DataSet();
    if (freshInsert()) {
        if (ds->Eof()) return;
        ds->Cancel();
    } else {
        ds->Next();
    }
    if (MayAppend && ds->Eof() && ds->CanModify() && !readOnly_ && options_.Contains(dgEditing)) ds->Append();
}

void TQmCustomDBGrid::MoveCol(int To) {
    if (FieldCount() == 0) return;
    To = std::clamp(To, 0, FieldCount() - 1);
    int raw = To + indicatorOffset_;
    if (To == SelectedIndex()) {
        if (raw < LeftCol()) SetLeftCol(raw);
        return;
    }
    if (!inColExit_) {
        int before = Col();
        {
            TFlagScope busy(inColExit_);
            ColExit();
        }
        // The handler moved the column itself.
        if (Col() != before) return;
    }
    HideEditor();
    MoveColRow(raw, Row(), true, true);
    if (options_.Contains(dgAlwaysShowEditor) && !userChange_ && !IsCustomEditCell(Col(), Row())) ShowEditor();
    if (OnColEnter) OnColEnter(this);
}

void TQmCustomDBGrid::tab(bool GoForward) {
    int count = FieldCount();
    if (count == 0) return;
    int start = SelectedIndex();
    int at = start;
    while (true) {
        if (GoForward) {
            if (++at >= count) {
                nextRow(true);
                at = 0;
            }
        } else if (--at < 0) {
            priorRow();
            at = count - 1;
        }
        if (at == start) return;
        if (TabStops(at + indicatorOffset_)) {
            MoveCol(at);
            return;
        }
    }
}

void TQmCustomDBGrid::deleteCurrent() {
    TDataSet* ds = dataLink_.DataSet();
    if (readOnly_ || !ds->CanModify() || ds->IsEmpty()) return;
    if (options_.Contains(dgConfirmDelete) &&
        MessageDlg(SDeleteRecordQuestion, mtConfirmation, mbOKCancel) == mrCancel)
        return;
    ds->Delete();
}

// ---- keyboard

void TQmCustomDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || !dataLink_.Active() || !CanGridAcceptKey(Key, Shift)) return;
    TDataSet* ds = dataLink_.DataSet();
    bool rowSelect = options_.Contains(dgRowSelect);
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_UP:
        case VK_PRIOR: ds->MoveBy(-dataLink_.ActiveRecord()); break;
        case VK_DOWN:
        case VK_NEXT: ds->MoveBy(dataLink_.RecordCount() - dataLink_.ActiveRecord() - 1); break;
        case VK_LEFT: MoveCol(0); break;
        case VK_RIGHT: MoveCol(FieldCount() - 1); break;
        case VK_HOME: ds->First(); break;
        case VK_END: ds->Last(); break;
        case VK_DELETE: deleteCurrent(); break;
        default: break;
        }
        return;
    }
    bool wholeRows = rowSelect || ds->FieldCount() == 1;
    switch (Key) {
    case VK_UP: priorRow(); break;
    case VK_DOWN: nextRow(true); break;
    case VK_LEFT:
        if (rowSelect) priorRow();
        else MoveCol(SelectedIndex() - 1);
        break;
    case VK_RIGHT:
        if (rowSelect) nextRow(false);
        else MoveCol(SelectedIndex() + 1);
        break;
    case VK_HOME:
        if (wholeRows) ds->First();
        else MoveCol(0);
        break;
    case VK_END:
        if (wholeRows) ds->Last();
        else MoveCol(FieldCount() - 1);
        break;
    case VK_NEXT: ds->MoveBy(VisibleRowCount()); break;
    case VK_PRIOR: ds->MoveBy(-VisibleRowCount()); break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) tab(!Shift.Contains(ssShift));
        break;
    case VK_ESCAPE:
        dataLink_.Reset();
        if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
        break;
    case VK_INSERT:
        if (!readOnly_) ds->Insert();
        break;
    case VK_F2: SetEditorMode(true); break;
    default: break;
    }
}

void TQmCustomDBGrid::KeyPress(char& Key) {
    if (Key == '\r' && !options_.Contains(dgAlwaysShowEditor)) dataLink_.UpdateRecord();
    TCustomGrid::KeyPress(Key);
}

// ---- mouse

bool TQmCustomDBGrid::acquireFocus() {
    if (!acquireFocus_ || !CanFocus()) return true;
    if (!Focused()) SetFocus();
    return GridOrEditorFocused();
}

void TQmCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!acquireFocus()) return;
    if (Shift.Contains(ssDouble) && Button == mbLeft) return;  // DblClick has run
    if (Sizing(X, Y)) {
        dataLink_.UpdateRecord();
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    TGridCoord cell = MouseCoord(X, Y);
    if (options_.Contains(dgColumnResize) && cell.Y >= 0 && cell.Y < titleOffset_) {
        dataLink_.UpdateRecord();
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (dataLink_.Active() && cell.X >= 0 && cell.Y >= 0) {
        if (cell.X == Col() && cell.Y == Row()) {
            if (!IsCustomEditCell(cell.X, cell.Y)) ShowEditor();
        } else {
            bool otherRow = cell.Y >= titleOffset_ && cell.Y != Row();
            userChange_ = otherRow;
            try {
                if (cell.X >= FixedCols()) MoveCol(cell.X - indicatorOffset_);
            } catch (...) {
                userChange_ = false;
                throw;
            }
            userChange_ = false;
            if (otherRow) dataLink_.DataSet()->MoveBy(cell.Y - Row());
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TQmCustomDBGrid::TimedScroll(TGridScrollDirections Direction) {
    if (dataLink_.Active()) {
        TDataSet* ds = dataLink_.DataSet();
        if (Direction.Contains(sdUp)) ds->MoveBy(-1 - dataLink_.ActiveRecord());
        if (Direction.Contains(sdDown)) ds->MoveBy(dataLink_.RecordCount() - dataLink_.ActiveRecord());
    }
    Direction.Exclude(sdUp);
    Direction.Exclude(sdDown);
    if (!Direction.Empty()) TCustomGrid::TimedScroll(Direction);
}

// ---- column sizing and moving

void TQmCustomDBGrid::ColWidthsChanged() {
    if (layoutInProgress_ || !updateFieldWidths_ || !dataLink_.Active()) return;
    int digit = textWidth(*Font(), "0");
    if (digit <= 0) return;
    ++updateLock_;
    try {
        for (int i = 0; i < FieldCount(); ++i)
            Fields(i)->SetDisplayWidth((ColWidths(i + indicatorOffset_) + digit / 2 - 3) / digit);
    } catch (...) {
        --updateLock_;
        throw;
    }
    --updateLock_;
    LayoutChanged();
}

void TQmCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
    TField* from = Fields(FromIndex - indicatorOffset_);
    TField* to = Fields(ToIndex - indicatorOffset_);
    if (from && to) from->SetIndex(to->Index());
    LayoutChanged();
}

// ---- in-place editor

std::string TQmCustomDBGrid::GetEditText(int, int) {
    TField* field = SelectedField();
    editText_ = field ? field->EditText() : std::string();
    return editText_;
}

void TQmCustomDBGrid::SetEditText(int, int, const std::string& Value) {
    editText_ = Value;
    dataLink_.Modified();
}

std::string TQmCustomDBGrid::GetEditMask(int, int) {
    TField* field = SelectedField();
    return field ? field->EditMask() : std::string();
}

int TQmCustomDBGrid::GetEditLimit() {
    auto* field = dynamic_cast<TStringField*>(SelectedField());
    return field ? field->Size() : 0;
}

bool TQmCustomDBGrid::CanEditAcceptKey(char Key) {
    TField* field = SelectedField();
    return dataLink_.Active() && FieldCount() > 0 && field && field->IsValidChar(Key);
}

bool TQmCustomDBGrid::CanEditModify() {
    TField* field = SelectedField();
    if (readOnly_ || !dataLink_.Active() || dataLink_.ReadOnly() || !field || !field->CanModify()) return false;
    if (!dataLink_.Edit()) return false;
    dataLink_.Modified();
    return true;
}

bool TQmCustomDBGrid::CanEditShow() { return updateLock_ == 0 && TCustomGrid::CanEditShow(); }

void TQmCustomDBGrid::ExitGrid() {
    if (!dataLink_.Active()) return;
    TDataSet* ds = dataLink_.DataSet();
    try {
        if (options_.Contains(dgCancelOnExit) && freshInsert() && mayCancelOnExit())
            ds->Cancel();
        else
            dataLink_.UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
}

// ---- drawing

bool TQmCustomDBGrid::HighlightCell(int, int, const std::string&, TGridDrawState AState) {
    return AState.Contains(gdSelected) && (options_.Contains(dgAlwaysShowSelection) || Focused());
}

void TQmCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    bool fixed = AState.Contains(gdFixed);
    canvas->Font()->Assign(fixed ? titleFont_ : *Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fixed ? titleColor_ : Color());
    int column = ACol - indicatorOffset_;
    if (ARow < titleOffset_) {
        TField* field = column >= 0 ? Fields(column) : nullptr;
        writeText(ARect, 2, 2, field ? field->DisplayLabel() : std::string(), taLeftJustify);
    } else if (!dataLink_.Active()) {
        canvas->FillRect(ARect);
    } else if (ACol < indicatorOffset_) {
        canvas->FillRect(ARect);
        if (recordOfRow(ARow) == dataLink_.ActiveRecord()) {
            drawIndicator(ARect);
            selectedRow_ = ARow;
        }
    } else {
        withRecordOfRow(ARow, [&] {
            TField* field = Fields(column);
            std::string value = field ? field->DisplayText() : std::string();
            bool highlight = HighlightCell(ACol, ARow, value, AState);
            if (highlight) {
                canvas->Brush()->SetColor(clHighlight);
                canvas->Font()->SetColor(clHighlightText);
            }
            if (defaultDrawing_) writeText(ARect, 2, 2, value, fieldAlignment(field));
            if (OnDrawDataCell) OnDrawDataCell(this, ARect, field, AState);
            if (defaultDrawing_ && highlight && !options_.Contains(dgRowSelect) && IsActiveControl())
                canvas->DrawFocusRect(ARect);
        });
    }
    if (fixed && Ctl3D()) {
        canvas->Brush()->SetColor(clBtnHighlight);
        if (options_.Contains(dgRowLines)) canvas->FillRect(Rect(ARect.Left, ARect.Top, ARect.Right, ARect.Top + 1));
        if (options_.Contains(dgColLines)) canvas->FillRect(Rect(ARect.Left, ARect.Top, ARect.Left + 1, ARect.Bottom));
    }
}
