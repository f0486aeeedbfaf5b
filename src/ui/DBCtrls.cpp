#include "ui/DBCtrls.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QWidget>

#include <algorithm>

#include "base/SysUtils.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/Text1252.h"

namespace {

// Reading another buffered record through a link, put back afterwards.
class ActiveRecordSwitch {
public:
    ActiveRecordSwitch(TDataLink& Link, int Row) : link_(Link), saved_(Link.ActiveRecord()) {
        link_.SetActiveRecord(Row);
    }
    ~ActiveRecordSwitch() { link_.SetActiveRecord(saved_); }
    ActiveRecordSwitch(const ActiveRecordSwitch&) = delete;
    ActiveRecordSwitch& operator=(const ActiveRecordSwitch&) = delete;

private:
    TDataLink& link_;
    int saved_;
};

}  // namespace

// ---------------------------------------------------------------- TDBEdit

TDBEdit::TDBEdit(TComponent* AOwner) : TFieldBinding(AOwner) { editingChange(); }

void TDBEdit::dataChange() {
    TField* field = dataLink_.Field();
    if (!field) {
        if (!EditMask().empty()) SetEditMask("");
        if (!Text().empty()) SetEditText("");
        return;
    }
    if (EditMask() != field->EditMask()) SetEditMask(field->EditMask());
    if (field->DataType() == ftString && MaxLength() == 0) SetMaxLength(field->Size());
    // Set only when different, so a refresh while typing keeps the caret and selection.
    const std::string text = focused_ && dataLink_.CanModify() ? field->Text() : field->DisplayText();
    if (!hasText(text)) SetText(text);
}

void TDBEdit::editingChange() { TCustomEdit::SetReadOnly(!dataLink_.Editing()); }

void TDBEdit::updateData() {
    ValidateEdit();
    dataLink_.Field()->SetText(Text());
}

void TDBEdit::setFocused(bool Value) {
    if (focused_ == Value) return;
    focused_ = Value;
    dataLink_.Reset();
}

void TDBEdit::Change() {
    dataLink_.Modified();
    TMaskEdit::Change();
}

void TDBEdit::DoEnter() {
    setFocused(true);
    TMaskEdit::DoEnter();
}

void TDBEdit::DoExit() {
    updateRecordOnExit(this, dataLink_, [this] { SelectAll(); });
    setFocused(false);
    // The mask was checked by the update; the text shown now is the field's.
    TCustomEdit::DoExit();
}

void TDBEdit::KeyDown(Word& Key, TShiftState Shift) {
    TMaskEdit::KeyDown(Key, Shift);
    if (deletesOrPastes(Key, Shift)) dataLink_.Edit();
}

void TDBEdit::KeyPress(char& Key) {
    TMaskEdit::KeyPress(Key);
    refuseInvalidChar(dataLink_, Key);
    if (editFieldOnKey(dataLink_, Key)) {
        SelectAll();
        Key = 0;
    }
}

// ---------------------------------------------------------------- TDBText

TDBText::TDBText(TComponent* AOwner) : TFieldBinding(AOwner) { SetAutoSize(false); }

void TDBText::dataChange() { SetCaption(dataLink_.Field() ? dataLink_.Field()->DisplayText() : std::string()); }

// ---------------------------------------------------------------- TDBMemo

TDBMemo::TDBMemo(TComponent* AOwner) : TFieldBinding(AOwner) { editingChange(); }

void TDBMemo::SetAutoDisplay(bool Value) {
    if (autoDisplay_ == Value) return;
    autoDisplay_ = Value;
    if (Value) LoadMemo();
}

void TDBMemo::LoadMemo() {
    TField* field = dataLink_.Field();
    if (memoLoaded_ || !field || !field->IsBlob()) return;
    // Set only when different, so a reload while typing keeps the caret.
    std::string text = field->AsString();
    if (Text() != text) SetText(text);
    memoLoaded_ = true;
    editingChange();
}

void TDBMemo::dataChange() {
    TMemoFieldView view = memoFieldView(dataLink_, autoDisplay_, memoLoaded_, focused_);
    if (view.Load) {
        memoLoaded_ = false;
        LoadMemo();
    } else {
        // The field's value is set only when different, so a refresh while
        // typing keeps the caret.
        if (!view.Loaded || Text() != view.Text) SetText(view.Text);
        memoLoaded_ = view.Loaded;
    }
    editingChange();
}

void TDBMemo::editingChange() { TMemo::SetReadOnly(!(dataLink_.Editing() && memoLoaded_)); }

void TDBMemo::updateData() { dataLink_.Field()->SetAsString(Text()); }

void TDBMemo::setFocused(bool Value) {
    if (focused_ == Value) return;
    focused_ = Value;
    if (!dataLink_.Field() || !dataLink_.Field()->IsBlob()) dataLink_.Reset();
}

void TDBMemo::Change() {
    if (memoLoaded_) dataLink_.Modified();
    TMemo::Change();
}

void TDBMemo::DblClick() {
    if (!memoLoaded_)
        LoadMemo();
    else
        TMemo::DblClick();
}

void TDBMemo::DoEnter() {
    setFocused(true);
    TMemo::DoEnter();
}

void TDBMemo::DoExit() {
    updateRecordOnExit(this, dataLink_);
    setFocused(false);
    TMemo::DoExit();
}

void TDBMemo::KeyDown(Word& Key, TShiftState Shift) {
    TMemo::KeyDown(Key, Shift);
    if (memoLoaded_ && deletesOrPastes(Key, Shift)) dataLink_.Edit();
}

void TDBMemo::KeyPress(char& Key) {
    TMemo::KeyPress(Key);
    if (!memoLoaded_) {
        // Until the memo is shown the keys only load it.
        if (Key == '\r') LoadMemo();
        Key = 0;
        return;
    }
    refuseInvalidChar(dataLink_, Key);
    if (changesText(Key) || Key == '\t' || Key == '\n' || Key == '\r') {
        if (!dataLink_.Edit()) Key = 0;
    } else if (Key == VK_ESCAPE) {
        dataLink_.Reset();
        Key = 0;
    }
}

// ---------------------------------------------------------------- TDBCheckBox

namespace {
// Whether Text is one of the ";"-separated values, without regard to case.
bool valueMatch(const std::string& Values, const std::string& Text) {
    size_t start = 0;
    while (start <= Values.size()) {
        size_t end = Values.find(';', start);
        if (end == std::string::npos) end = Values.size();
        if (SameText(Trim(Values.substr(start, end - start)), Text)) return true;
        start = end + 1;
    }
    return false;
}

std::string firstValue(const std::string& Values) { return Trim(Values.substr(0, Values.find(';'))); }
}  // namespace

TDBCheckBox::TDBCheckBox(TComponent* AOwner) : TFieldBinding(AOwner) { showState(cbUnchecked); }

void TDBCheckBox::SetValueChecked(const std::string& Value) {
    valueChecked_ = Value;
    dataChange();
}

void TDBCheckBox::SetValueUnchecked(const std::string& Value) {
    valueUnchecked_ = Value;
    dataChange();
}

TCheckBoxState TDBCheckBox::fieldState() const {
    TField* field = dataLink_.Field();
    if (!field) return cbUnchecked;
    if (field->IsNull()) return cbGrayed;
    if (field->DataType() == ftBoolean) return field->AsBoolean() ? cbChecked : cbUnchecked;
    std::string text = field->Text();
    if (valueMatch(valueChecked_, text)) return cbChecked;
    if (valueMatch(valueUnchecked_, text)) return cbUnchecked;
    return cbGrayed;
}

// Shows a state without taking it as the user's toggle; a grayed state
// shown for the record does not let the user gray the box.
void TDBCheckBox::showState(TCheckBoxState Value) {
    bool was = showing_;
    showing_ = true;
    SetState(Value);
    if (Value != cbGrayed) SetAllowGrayed(AllowGrayed());
    showing_ = was;
}

void TDBCheckBox::dataChange() { showState(fieldState()); }

void TDBCheckBox::updateData() {
    TField* field = dataLink_.Field();
    if (State() == cbGrayed)
        field->Clear();
    else if (field->DataType() == ftBoolean)
        field->SetAsBoolean(Checked());
    else
        field->SetText(firstValue(Checked() ? valueChecked_ : valueUnchecked_));
}

void TDBCheckBox::Click() {
    if (showing_) {
        TCheckBox::Click();
        return;
    }
    TCheckBoxState wanted = State();
    // The platform's box steps through grayed once it showed a null field.
    if (wanted == cbGrayed && !AllowGrayed()) wanted = cbChecked;
    // Edit re-reads the record, which shows the stored state again.
    if (!editOrUndo(dataLink_, [this] { showState(fieldState()); })) return;
    if (State() != wanted) {
        showing_ = true;
        SetState(wanted);
        showing_ = false;
    }
    dataLink_.Modified();
    TCheckBox::Click();
}

void TDBCheckBox::DoExit() {
    updateRecordOnExit(this, dataLink_);
    TCheckBox::DoExit();
}

// ---------------------------------------------------------------- TDBComboBox

TDBComboBox::TDBComboBox(TComponent* AOwner) : TFieldBinding(AOwner) { editingChange(); }

void TDBComboBox::SetStyle(TComboBoxStyle Value) {
    TComboBox::SetStyle(Value);
    editingChange();
    dataChange();
}

void TDBComboBox::dataChange() {
    if (DroppedDown()) SetDroppedDown(false);
    SetText(dataLink_.Field() ? dataLink_.Field()->Text() : std::string());
}

void TDBComboBox::editingChange() {
    if (QLineEdit* edit = combo()->lineEdit()) edit->setReadOnly(!dataLink_.Editing());
}

void TDBComboBox::updateData() { dataLink_.Field()->SetText(Text()); }

void TDBComboBox::Click() {
    std::string wanted = Text();
    refused_ = !editOrUndo(dataLink_, [this] { dataChange(); });
    if (refused_) return;
    // Edit re-reads the record, which shows the stored text again.
    if (Text() != wanted) SetText(wanted);
    TComboBox::Click();
}

void TDBComboBox::Change() {
    // A choice the link refused was undone: nothing changed.
    if (std::exchange(refused_, false)) return;
    dataLink_.Modified();
    TComboBox::Change();
}

void TDBComboBox::DoExit() {
    updateRecordOnExit(this, dataLink_, [this] { SelectAll(); });
    TComboBox::DoExit();
}

void TDBComboBox::KeyPress(char& Key) {
    TComboBox::KeyPress(Key);
    refuseInvalidChar(dataLink_, Key);
    if (editFieldOnKey(dataLink_, Key)) SelectAll();
}

// ---------------------------------------------------------------- TDBRadioGroup

TDBRadioGroup::TDBRadioGroup(TComponent* AOwner) : TFieldBinding(AOwner) {
    // New items or values may match the record's text.
    // (The group keeps its items in a string list.)
    auto* items = static_cast<TStringList*>(Items());
    items->OnChange = [this, rebuild = items->OnChange](TObject* Sender) {
        if (rebuild) rebuild(Sender);
        dataChange();
    };
    values_.OnChange = [this](TObject*) { dataChange(); };
}

TDBRadioGroup::~TDBRadioGroup() { values_.OnChange = nullptr; }

std::string TDBRadioGroup::buttonValue(int Index) {
    if (Index < values_.Count() && !values_.Strings(Index).empty()) return values_.Strings(Index);
    if (Index < Items()->Count()) return Items()->Strings(Index);
    return "";
}

int TDBRadioGroup::indexOfValue(const std::string& Value) {
    for (int i = 0; i < Items()->Count(); ++i)
        if (buttonValue(i) == Value) return i;
    return -1;
}

void TDBRadioGroup::showButton(int Index) {
    if (ItemIndex() == Index) return;
    bool was = inSetValue_;
    inSetValue_ = true;
    SetItemIndex(Index);
    inSetValue_ = was;
}

void TDBRadioGroup::SetValue(const std::string& Value) {
    bool changed = value_ != Value;
    showButton(indexOfValue(Value));
    value_ = Value;
    if (changed) Change();
}

void TDBRadioGroup::Change() {
    if (OnChange) OnChange(this);
}

void TDBRadioGroup::dataChange() {
    SetValue(dataLink_.Field() ? dataLink_.Field()->Text() : std::string());
}

void TDBRadioGroup::updateData() { dataLink_.Field()->SetText(value_); }

void TDBRadioGroup::Click() {
    if (inSetValue_) return;
    int wanted = ItemIndex();
    // Edit re-reads the record, which shows the stored value again.
    if (!editOrUndo(dataLink_, [this] { showButton(indexOfValue(value_)); })) return;
    showButton(wanted);
    TRadioGroup::Click();
    if (ItemIndex() >= 0) SetValue(buttonValue(ItemIndex()));
    dataLink_.Modified();
}

void TDBRadioGroup::DoExit() {
    updateRecordOnExit(this, dataLink_);
    TRadioGroup::DoExit();
}

// ---------------------------------------------------------------- TDBGrid

namespace {
constexpr int kIndicatorWidth = 11;
constexpr int kScrollTop = 0;
constexpr int kScrollMiddle = 2;
constexpr int kScrollBottom = 4;
}  // namespace

void TDBGrid::TGridDataLink::ActiveChanged() {
    grid_->layoutChanged();
    grid_->dataChanged();
}

void TDBGrid::TGridDataLink::DataSetChanged() { grid_->dataChanged(); }

void TDBGrid::TGridDataLink::DataSetScrolled(int) { grid_->dataChanged(); }

void TDBGrid::TGridDataLink::EditingChanged() {
    if (grid_->indicatorOffset_ > 0) grid_->InvalidateCell(0, grid_->Row());
}

void TDBGrid::TGridDataLink::FocusControl(TField* Field) {
    auto it = std::find(grid_->columns_.begin(), grid_->columns_.end(), Field);
    if (!Field || it == grid_->columns_.end()) return;
    grid_->SetSelectedIndex(static_cast<int>(it - grid_->columns_.begin()));
    if (grid_->CanFocus()) grid_->SetFocus();
}

void TDBGrid::TGridDataLink::LayoutChanged() {
    grid_->layoutChanged();
    grid_->dataChanged();
}

void TDBGrid::TGridDataLink::RecordChanged(TField*) { grid_->InvalidateRow(grid_->Row()); }

TDBGrid::TDBGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
    // Every cell is drawn here, background included.
    TCustomGrid::SetDefaultDrawing(false);
    SetFixedLineColor(clBtnShadow);
    // The vertical bar follows the dataset, not the rows.
    SetScrollBars(ssNone);
    SetScrollRange(sbVertical, kScrollTop, kScrollBottom);
    SetScrollPage(sbVertical, 1);
    ShowScrollBar(sbVertical, true);
    TDBGridOptions start = options_;
    options_ = {};
    SetOptions(start);
}

TDBGrid::~TDBGrid() { dataLink_.SetDataSource(nullptr); }

void TDBGrid::SetDataSource(TDataSource* Value) {
    dataLink_.SetDataSource(Value);
    layoutChanged();
    dataChanged();
}

void TDBGrid::SetOptions(TDBGridOptions Value) {
    options_ = Value;
    // Titles and the indicator column are always set off by a line.
    TGridOptions grid{goFixedVertLine, goFixedHorzLine};
    if (Value.Contains(dgColLines)) grid.Include(goVertLine);
    if (Value.Contains(dgRowLines)) grid.Include(goHorzLine);
    if (Value.Contains(dgColumnResize)) grid.Include(goColSizing);
    if (Value.Contains(dgRowSelect)) grid.Include(goRowSelect);
    TCustomGrid::SetOptions(grid);
    layoutChanged();
    dataChanged();
}

TField* TDBGrid::Fields(int Index) const {
    if (Index < 0 || Index >= FieldCount()) return nullptr;
    return columns_[Index];
}

void TDBGrid::SetSelectedIndex(int Value) {
    Value = std::clamp(Value, 0, std::max(FieldCount() - 1, 0));
    if (Value == SelectedIndex()) return;
    if (OnColExit) OnColExit(this);
    MoveColRow(Value + indicatorOffset_, Row(), true, true);
    if (OnColEnter) OnColEnter(this);
}

TField* TDBGrid::SelectedField() const { return Fields(SelectedIndex()); }

int TDBGrid::rowHeight() const { return DefaultRowHeight() + rowLineWidth(RowCount() - 1); }

int TDBGrid::titleHeight() const { return titleOffset_ > 0 ? RowHeights(0) + rowLineWidth(0) : 0; }

int TDBGrid::indicatorWidth() const { return indicatorOffset_ > 0 ? ColWidths(0) + colLineWidth(0) : 0; }

int TDBGrid::columnWidth(int Column) const {
    if (!Fields(Column)) return 0;
    int col = Column + indicatorOffset_;
    return ColWidths(col) + colLineWidth(col);
}

std::string TDBGrid::cellText(int Row, int Column) {
    TField* field = Fields(Column);
    if (!field || Row < 0 || Row >= dataLink_.RecordCount()) return "";
    ActiveRecordSwitch at(dataLink_, Row);
    return field->DisplayText();
}

void TDBGrid::layoutChanged() {
    int selected = SelectedIndex();
    columns_.clear();
    if (dataLink_.Active()) {
        TDataSet* ds = dataLink_.DataSet();
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (ds->Fields()[i]->Visible()) columns_.push_back(ds->Fields()[i]);
    }
    titleOffset_ = options_.Contains(dgTitles) ? 1 : 0;
    indicatorOffset_ = options_.Contains(dgIndicator) ? 1 : 0;

    // A line, when drawn, takes the last pixel of a row's or column's pitch.
    QFontMetrics metrics(Handle()->font());
    int pitch = metrics.height() + 4;
    SetDefaultRowHeight(pitch - (options_.Contains(dgRowLines) ? GridLineWidth() : 0));
    SetColCount(indicatorOffset_ + std::max(FieldCount(), 1));
    SetFixedCols(indicatorOffset_);
    if (indicatorOffset_ > 0) SetColWidths(0, kIndicatorWidth - GridLineWidth());
    int lineWidth = options_.Contains(dgColLines) ? GridLineWidth() : 0;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = columns_[i];
        int data = metrics.horizontalAdvance(QLatin1Char('0')) * field->DisplayWidth();
        int title = titleOffset_ > 0 ? metrics.horizontalAdvance(ToQString(field->DisplayLabel())) : 0;
        SetColWidths(i + indicatorOffset_, std::max(data, title) + 4 - lineWidth);
    }
    updateRows();
    if (titleOffset_ > 0) SetRowHeights(0, pitch - GridLineWidth());
    selected = std::clamp(selected, 0, std::max(FieldCount() - 1, 0));
    MoveColRow(selected + indicatorOffset_, Row(), true, true);
}

void TDBGrid::dataChanged() {
    updateRows();
    updateScrollBar();
    Invalidate();
}

void TDBGrid::updateRows() {
    if (RowCount() <= titleOffset_) SetRowCount(titleOffset_ + 1);
    SetFixedRows(titleOffset_);
    int records = 1;
    if (dataLink_.Active()) {
        int visible = VisibleRowCount();
        if (dataLink_.BufferCount() != visible) dataLink_.SetBufferCount(visible);
        records = std::max(dataLink_.RecordCount(), 1);
    }
    SetRowCount(titleOffset_ + records);
    int active = dataLink_.Active() ? dataLink_.ActiveRecord() : 0;
    MoveColRow(Col(), std::min(titleOffset_ + active, RowCount() - 1), false, true);
}

// Without record numbers in order, the thumb tells only top, middle or bottom.
void TDBGrid::updateScrollBar() {
    int pos = kScrollTop;
    if (dataLink_.Active()) {
        TDataSet* ds = dataLink_.DataSet();
        pos = ds->Bof() ? kScrollTop : ds->Eof() ? kScrollBottom : kScrollMiddle;
    }
    SetScrollPos(sbVertical, pos);
}

void TDBGrid::moveBy(int Distance) {
    if (Distance != 0 && dataLink_.Active()) dataLink_.DataSet()->MoveBy(Distance);
}

void TDBGrid::deleteRecord() {
    TDataSet* ds = dataLink_.DataSet();
    if (readOnly_ || ds->IsEmpty() || !ds->CanModify()) return;
    if (options_.Contains(dgConfirmDelete) && MessageDlg("Delete record?", mtConfirmation, mbOKCancel) == mrCancel)
        return;
    ds->Delete();
}

// ---- cells

void TDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState) {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    if (ARow < titleOffset_)
        drawTitle(ACol - indicatorOffset_, ARect);
    else if (ACol < indicatorOffset_)
        drawIndicator(ARow - titleOffset_, ARect);
    else
        drawData(ACol - indicatorOffset_, ARow - titleOffset_, ARect);
}

void TDBGrid::drawTitle(int Column, const TRect& Rect) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FixedColor());
    c->Font()->SetColor(clBtnText);
    TField* field = Fields(Column);
    c->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, field ? field->DisplayLabel() : std::string());
}

// The indicator column: an arrow at the current record, or the mark of an
// edit ("I") or insert ("*") in progress.
void TDBGrid::drawIndicator(int Record, const TRect& Rect) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FixedColor());
    c->FillRect(Rect);
    if (!dataLink_.Active() || Record != dataLink_.ActiveRecord() || Record >= dataLink_.RecordCount()) return;
    TDataSetState state = dataLink_.DataSet()->State();
    c->Pen()->SetColor(clBlack);
    c->Font()->SetColor(clBlack);
    if (state == dsEdit || state == dsInsert) {
        c->Brush()->SetStyle(bsClear);
        c->TextOut(Rect.Left + 2, Rect.Top + 2, state == dsEdit ? "I" : "*");
    } else {
        int mid = Rect.Top + (Rect.Height() + 1) / 2;
        c->Brush()->SetColor(clBlack);
        c->Polygon({Point(Rect.Left + 3, mid - 4), Point(Rect.Left + 7, mid), Point(Rect.Left + 3, mid + 4)});
    }
}

void TDBGrid::drawData(int Column, int Record, const TRect& Rect) {
    TCanvas* c = Canvas();
    TField* field = Fields(Column);
    if (!field || !dataLink_.Active() || Record >= dataLink_.RecordCount()) {
        c->Brush()->SetColor(Color());
        c->FillRect(Rect);
        return;
    }
    bool showSelection = Focused() || options_.Contains(dgAlwaysShowSelection);
    bool selected = showSelection && Record == dataLink_.ActiveRecord() &&
                    (options_.Contains(dgRowSelect) || Column == SelectedIndex());
    c->Brush()->SetColor(selected ? clHighlight : Color());
    c->Font()->SetColor(selected ? clHighlightText : Font()->Color());
    ActiveRecordSwitch at(dataLink_, Record);
    std::string text = field->DisplayText();
    int textX = dynamic_cast<TNumericField*>(field) ? Rect.Right - 2 - c->TextWidth(text) : Rect.Left + 2;
    c->TextRect(Rect, textX, Rect.Top + 2, text);
}

// ---- keys, mouse, scroll bar, focus

void TDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || !dataLink_.Active()) return;
    TDataSet* ds = dataLink_.DataSet();
    bool wholeRows = Shift.Contains(ssCtrl) || options_.Contains(dgRowSelect);
    switch (Key) {
    case VK_UP: ds->Prior(); break;
    case VK_DOWN: ds->Next(); break;
    case VK_PRIOR: ds->MoveBy(-VisibleRowCount()); break;
    case VK_NEXT: ds->MoveBy(VisibleRowCount()); break;
    case VK_HOME:
        if (wholeRows)
            ds->First();
        else
            SetSelectedIndex(0);
        break;
    case VK_END:
        if (wholeRows)
            ds->Last();
        else
            SetSelectedIndex(FieldCount() - 1);
        break;
    case VK_LEFT:
        if (!options_.Contains(dgRowSelect)) SetSelectedIndex(SelectedIndex() - 1);
        break;
    case VK_RIGHT:
        if (!options_.Contains(dgRowSelect)) SetSelectedIndex(SelectedIndex() + 1);
        break;
    case VK_DELETE:
        if (Shift.Contains(ssCtrl)) deleteRecord();
        break;
    default: break;
    }
}

void TDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Sizing(X, Y)) {
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (CanFocus() && !Focused()) SetFocus();
    TGridCoord cell = MouseCoord(X, Y);
    if (Button == mbLeft && dataLink_.Active() && cell.X >= 0) {
        int record = cell.Y - titleOffset_;
        if (record >= 0 && record < dataLink_.RecordCount()) moveBy(record - dataLink_.ActiveRecord());
        if (cell.X >= indicatorOffset_) SetSelectedIndex(cell.X - indicatorOffset_);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TDBGrid::Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) {
    if (Kind == sbVertical && dataLink_.Active()) {
        TDataSet* ds = dataLink_.DataSet();
        switch (Code) {
        case scLineUp: ds->Prior(); break;
        case scLineDown: ds->Next(); break;
        case scPageUp: ds->MoveBy(-VisibleRowCount()); break;
        case scPageDown: ds->MoveBy(VisibleRowCount()); break;
        case scTop: ds->First(); break;
        case scBottom: ds->Last(); break;
        case scPosition:
            if (Pos <= kScrollTop)
                ds->First();
            else if (Pos >= kScrollBottom)
                ds->Last();
            break;
        default: break;
        }
        updateScrollBar();
    }
    TCustomGrid::Scroll(Kind, Code, Pos);
}

void TDBGrid::ExitGrid() {
    if (options_.Contains(dgCancelOnExit) && dataLink_.Active()) {
        TDataSet* ds = dataLink_.DataSet();
        if (ds->State() == dsInsert && !ds->Modified()) ds->Cancel();
    }
}

void TDBGrid::Resize() {
    TCustomGrid::Resize();
    updateRows();
    Invalidate();
}

// Rows and columns are measured in the font.
void TDBGrid::afterFontChange(bool FromParent) {
    TCustomGrid::afterFontChange(FromParent);
    layoutChanged();
    dataChanged();
}
