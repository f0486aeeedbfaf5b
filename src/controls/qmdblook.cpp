#include "controls/qmdblook.h"

#include <algorithm>

#include "base/FlagScope.h"
#include "base/SysUtils.h"
#include "controls/Qmdbgrid.h"
#include "data/Fields.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/EditFace.h"
#include "ui/FloatingWindow.h"
#include "ui/Forms.h"
#include "ui/MessageBeep.h"
#include "ui/SystemMetrics.h"
#include "xbase/Qmqbe.h"
#include "xbase/Qmutils.h"

namespace {

std::vector<std::string> splitList(const std::string& Text, char Separator) {
    TStringList parts;
    SplitToStrings(Text, Separator, parts);
    std::vector<std::string> result;
    for (int i = 0; i < parts.Count(); ++i) result.push_back(parts.Strings(i));
    return result;
}

std::string firstItem(const std::string& Line, char Separator) { return Line.substr(0, Line.find(Separator)); }

bool isPrintable(char Key) { return static_cast<unsigned char>(Key) >= 32; }

// Keys that change the text and so start a search: Backspace, Space,
// Delete, the digits, letters and numeric pad, and the keys above 145.
bool isSearchKey(Word Key) {
    return Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || (Key >= 48 && Key <= 111) || Key > 145;
}

bool editingState(TDataSet* DataSet) {
    return DataSet && (DataSet->State() == dsEdit || DataSet->State() == dsInsert);
}

// ---- the data grid's "LookupCombo" cells

class LookupComboKind : public TQmBoundCellEditorKind<TQmDBCustomLookupCombo> {
public:
    std::string Kind() const override { return "LookupCombo"; }
    // The combo shows the looked-up display text of the field's value.
    void ShowText(TWinControl* Control, const std::string&) const override {
        bound(Control)->showFieldValue();
    }
    void DropDown(TWinControl* Control, Word& Key, TShiftState Shift) const override {
        TQmDBCustomLookupCombo* combo = bound(Control);
        if (combo->CanFocus()) combo->SetFocus();
        combo->keyFromGrid(Key, Shift);
        Key = 0;
    }
    int RowHeightExtra() const override { return 6; }
    int TextTop() const override { return 4; }
};

void registerLookupComboKind() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    registerCellEditorKind(std::make_unique<LookupComboKind>());
}

}  // namespace

// ---------------------------------------------------------------- TQmDBLookupList

TQmDBLookupList::TQmDBLookupList(TComponent* AOwner)
    : TQmCustomDBGrid(AOwner), lookupSource_(std::make_unique<TDataSource>(nullptr)) {
    fieldLink_.SetControl(this);
    fieldLink_.OnDataChange = [this](TObject*) {
        if (TField* field = fieldLink_.Field()) SetValue(field->AsString());
    };
    fieldLink_.OnUpdateData = [this](TObject*) {
        if (TField* field = fieldLink_.Field()) field->SetAsString(value_);
    };
    TQmCustomDBGrid::SetOptions({dgRowSelect});
    SetBounds(0, 0, 121, 97);
    TQmCustomDBGrid::SetDataSource(lookupSource_.get());
}

TQmDBLookupList::~TQmDBLookupList() {
    fieldLink_.OnDataChange = nullptr;
    fieldLink_.OnUpdateData = nullptr;
    fieldLink_.SetDataSource(nullptr);
    DataLink()->SetDataSource(nullptr);
}

void TQmDBLookupList::SetSelected(const TStrings& Value) {
    selected_.Assign(&Value);
    resolveFields();
}

TQmTable* TQmDBLookupList::LookupTable() const { return dynamic_cast<TQmTable*>(lookupSource_->DataSet()); }

bool TQmDBLookupList::LookupActive() { return DataLink()->Active() && LookupTable(); }

void TQmDBLookupList::checkDuplicate(TDataSource* Data, TDataSet* Lookup) const {
    if (Data && Lookup && Data->DataSet() == Lookup) throw EInvalidOperation(SDuplicateDataSourceLookupSource);
}

void TQmDBLookupList::SetLookupTable(TQmTable* Value) {
    if (!lookupSource_) {
        MessageDlg(SLookupSourceNotCreated, mtWarning, {mbOK});
        return;
    }
    checkDuplicate(fieldLink_.DataSource(), Value);
    if (owningCombo_) checkDuplicate(owningCombo_->DataSource(), Value);
    lookupSource_->SetDataSet(Value);
    resolveFields();
}

void TQmDBLookupList::SetDataSource(TDataSource* Value) {
    checkDuplicate(Value, lookupSource_->DataSet());
    fieldLink_.SetDataSource(Value);
}

void TQmDBLookupList::SetLookupField(const std::string& Value) {
    if (Value == lookupFieldNames_) return;
    lookupFieldNames_ = Value;
    resolveFields();
}

void TQmDBLookupList::SetOptions(TQmDBLookupListOptions Value) {
    listOptions_ = Value;
    titleRows_ = Value.Contains(loTitles) ? 1 : 0;
    TQmDBGridOptions grid{dgRowSelect};
    if (Value.Contains(loColLines)) grid.Include(dgColLines);
    if (Value.Contains(loRowLines)) grid.Include(dgRowLines);
    if (Value.Contains(loTitles)) grid.Include(dgTitles);
    TQmCustomDBGrid::SetOptions(grid);
}

TField* TQmDBLookupList::dataField() const { return owningCombo_ ? owningCombo_->Field() : fieldLink_.Field(); }

TDataSet* TQmDBLookupList::dataRecordSet() const {
    TDataSource* source = owningCombo_ ? owningCombo_->DataSource() : fieldLink_.DataSource();
    return source ? source->DataSet() : nullptr;
}

bool TQmDBLookupList::isLookupLinkField() const {
    TField* field = dataField();
    if (!field || !field->Calculated()) return false;
    std::string links;
    Qmqbe::GetFieldLookupLinks(field->DataSet(), field->FieldName(), links);
    return !links.empty();
}

void TQmDBLookupList::resolveFields() {
    displayField_ = keyField_ = secondField_ = thirdField_ = nullptr;
    lookupFieldCount_ = 0;
    if (!LookupActive() || lookupFieldNames_.empty()) return;
    TQmTable* table = LookupTable();
    std::vector<std::string> names = splitList(lookupFieldNames_, ';');
    keyField_ = table->FindField(names[0]);
    if (!keyField_) throw EInvalidOperation("Field '" + names[0] + "' not found");
    if (names.size() > 1 && !names[1].empty()) secondField_ = table->FindField(names[1]);
    if (names.size() > 2 && !names[2].empty()) thirdField_ = table->FindField(names[2]);
    if (isLookupLinkField()) {
        // The dataset's lookup definition names the display field and, on
        // the lookup side of its link pairs, the key and linked fields.
        TField* field = dataField();
        std::string item4, links;
        Qmqbe::GetFieldLookupItem4(field->DataSet(), field->FieldName(), item4);
        Qmqbe::GetFieldLookupLinks(field->DataSet(), field->FieldName(), links);
        std::vector<std::string> pairs = splitList(links, ';');
        std::vector<TField*> lookupSide;
        for (size_t i = 0; i + 1 < pairs.size() && !pairs[i].empty() && !pairs[i + 1].empty(); i += 2)
            lookupSide.push_back(table->FindField(pairs[i + 1]));
        if (!lookupSide.empty() && lookupSide[0]) keyField_ = lookupSide[0];
        secondField_ = lookupSide.size() > 1 ? lookupSide[1] : nullptr;
        thirdField_ = lookupSide.size() > 2 ? lookupSide[2] : nullptr;
        displayField_ = table->FindField(item4);
    } else {
        std::string shown = selected_.Count() > 0 ? firstItem(selected_.Strings(0), '\t') : std::string();
        if (!shown.empty()) displayField_ = table->FindField(shown);
    }
    if (!displayField_) displayField_ = keyField_;
    lookupFieldCount_ = thirdField_ ? 3 : secondField_ ? 2 : 1;
}

void TQmDBLookupList::LinkActive(bool Value) {
    if (Value) resolveFields();
    TQmCustomDBGrid::LinkActive(Value);
}

void TQmDBLookupList::DefineFieldMap() {
    resolveFields();
    TQmCustomDBGrid::DefineFieldMap();
}

int TQmDBLookupList::columnLine() const { return listOptions_.Contains(loColLines) ? GridLineWidth() : 0; }

int TQmDBLookupList::rowLine() const { return listOptions_.Contains(loRowLines) ? GridLineWidth() : 0; }

void TQmDBLookupList::SetColumnAttributes() {
    TQmCustomDBGrid::SetColumnAttributes();
    int count = FieldCount();
    naturalWidth_ = 0;
    for (int i = 0; i < count; ++i) naturalWidth_ += ColWidths(i);
    if (count == 0) return;
    int used = 0;
    for (int i = 0; i < count - 1; ++i) used += ColWidths(i) + columnLine();
    int fill = ClientWidth() - used - columnLine();
    int last = count - 1;
    // One column fills the list; several leave no gap at the right.
    if (count == 1) {
        if (fill > 0) SetColWidths(last, fill);
    } else if (used < ClientWidth() - 15 && fill > ColWidths(last)) {
        SetColWidths(last, fill);
    }
}

int TQmDBLookupList::ColumnsFullWidth() const {
    int width = 0;
    for (int i = 0; i < FieldCount(); ++i) width += ColWidths(i) + columnLine();
    return width;
}

// The columns as wide as their fields' display widths made them (before the
// last one was widened to fill), each with a grid line, and a line more each.
int TQmDBLookupList::FieldColumnsWidth() const { return naturalWidth_ + 2 * GridLineWidth() * FieldCount(); }

int TQmDBLookupList::HeightForRows(int Rows, bool WithScrollBar) const {
    int adjust = listOptions_.Contains(loRowLines) ? -2 : 0;
    int height = (DefaultRowHeight() + rowLine()) * (titleRows_ + Rows) + 5 + adjust;
    return WithScrollBar ? height + GetSystemMetrics(SM_CYHSCROLL) : height;
}

// ---- finding the lookup record

void TQmDBLookupList::SetValue(const std::string& Value) {
    if (fieldLink_.Active() && LookupActive()) checkDuplicate(fieldLink_.DataSource(), LookupTable());
    bool hasRows = DataLink()->Active() && DataLink()->RecordCount() > 0;
    if (Value == value_ && hasRows) return;
    if (!LookupActive() || !keyField_) return;
    value_ = Value;
    chosenRow_ = -1;
    locateCurrent(false);
    if (keyField_ == displayField_)
        displayValue_ = value_;
    else
        displayValue_ = found_ && displayField_ ? displayField_->AsString() : std::string();
}

void TQmDBLookupList::locateCurrent(bool ForDropDown) {
    found_ = false;
    if (owningCombo_ && !owningCombo_->Visible()) return;
    TQmTable* table = LookupTable();
    if (!table || !table->Active() || !keyField_) return;
    TField* field = dataField();
    if (isLookupLinkField()) {
        found_ = Qmqbe::LocateLookupRecord(field->DataSet(), field->FieldName(), table);
        Qmtable::SelectIndexForFirstField(table, selected_);
        if (found_) {
            readValuesFromRecord();
        } else {
            table->First();
            clearValues();
            Invalidate();
        }
        return;
    }
    if (!lookupFieldNames_.empty()) Qmtable::SelectIndexForFields(table, lookupFieldNames_);
    if (table->State() != dsSetKey) {
        std::string key = field ? field->AsString() : value_;
        // The linked values are the data record's fields of the same names.
        TDataSet* data = dataRecordSet();
        auto linked = [&](TField* lookupField, std::string& value) {
            if (!lookupField || !data) return;
            if (TField* own = data->FindField(lookupField->FieldName())) value = own->AsString();
        };
        linked(secondField_, secondValue_);
        linked(thirdField_, thirdValue_);
        if (thirdField_)
            found_ = table->FindKey({Variant(key), Variant(secondValue_), Variant(thirdValue_)});
        else if (secondField_)
            found_ = table->FindKey({Variant(key), Variant(secondValue_)});
        else if (table->IndexFieldCount() > 0)
            found_ = table->FindKey({Variant(key)});
        else
            found_ = !table->IsEmpty() && keyField_->AsString() == key;
    }
    if (ForDropDown) {
        Qmtable::SelectIndexForFirstField(table, selected_);
        if (!found_) table->First();
    }
}

void TQmDBLookupList::SetDisplayValue(const std::string& Value) {
    if (!LookupActive() || !displayField_) return;
    chosenRow_ = -1;
    TQmTable* table = LookupTable();
    if (!secondField_) {
        if (table->IndexFieldCount() > 0)
            found_ = table->FindKey({Variant(Value)});
        else
            found_ = !table->IsEmpty() && displayField_->AsString() == Value;
    } else {
        std::vector<Variant> key{Variant(Value), Variant(secondValue_)};
        if (thirdField_) key.emplace_back(thirdValue_);
        found_ = table->FindKey(key);
    }
    displayValue_ = Value;
    if (keyField_ == displayField_) {
        value_ = Value;
    } else if (found_) {
        value_ = keyField_->AsString();
    } else {
        value_.clear();
        displayValue_.clear();
    }
}

void TQmDBLookupList::readValuesFromRecord() {
    if (!keyField_) return;
    if (displayField_) displayValue_ = displayField_->AsString();
    value_ = keyField_ == displayField_ ? displayValue_ : keyField_->AsString();
    secondValue_ = secondField_ ? secondField_->AsString() : std::string();
    thirdValue_ = thirdField_ ? thirdField_->AsString() : std::string();
}

void TQmDBLookupList::clearValues() {
    value_.clear();
    secondValue_.clear();
    thirdValue_.clear();
    displayValue_.clear();
}

// ---- choosing

bool TQmDBLookupList::CanChoose() { return !fieldLink_.DataSource() || fieldLink_.Editing(); }

void TQmDBLookupList::choose() {
    if (!CanChoose() || !displayField_ || !LookupActive() || LookupTable()->IsEmpty()) return;
    if (fieldLink_.Editing()) fieldLink_.Modified();
    readValuesFromRecord();
    chosenRow_ = Row();
    if (OnClick) OnClick(this);
}

void TQmDBLookupList::moveToRow(int ARow) {
    if (!DataLink()->Active() || ARow < TitleOffset()) return;
    int record = std::min(recordOfRow(ARow), DataLink()->RecordCount() - 1);
    int distance = record - DataLink()->ActiveRecord();
    if (distance != 0) DataLink()->DataSet()->MoveBy(distance);
}

// ---- drawing

bool TQmDBLookupList::HighlightCell(int ACol, int ARow, const std::string& Value, TGridDrawState AState) {
    if (!LookupActive() || !keyField_) return TQmCustomDBGrid::HighlightCell(ACol, ARow, Value, AState);
    if (recordOfRow(ARow) >= DataLink()->RecordCount()) return false;
    bool chosen = false;
    if ((selecting_ || inKeyDown_) && CanChoose()) {
        chosen = ARow == Row();
    } else {
        withRecordOfRow(ARow, [&] {
            chosen = keyField_->AsString() == value_ && (!secondField_ || secondField_->AsString() == secondValue_) &&
                     (!thirdField_ || thirdField_->AsString() == thirdValue_);
        });
    }
    if (chosen) {
        chosenRow_ = ARow;
        paintedChosenRow_ = ARow;
    }
    return chosen;
}

void TQmDBLookupList::Paint() {
    paintedChosenRow_ = -1;
    TQmCustomDBGrid::Paint();
    // The drop-down is always drawn as focused.
    bool focused = owningCombo_ || Focused();
    if (!focused || paintedChosenRow_ < TitleOffset() || FieldCount() == 0) return;
    TRect first = CellRect(0, paintedChosenRow_);
    TRect last = CellRect(FieldCount() - 1, paintedChosenRow_);
    if (first.IsEmpty()) return;
    Canvas()->Brush()->SetColor(clHighlight);
    Canvas()->Font()->SetColor(clHighlightText);
    Canvas()->DrawFocusRect(Rect(first.Left, first.Top, last.IsEmpty() ? ClientWidth() : last.Right, first.Bottom));
}

// ---- keys and mouse

void TQmDBLookupList::KeyDown(Word& Key, TShiftState Shift) {
    inKeyDown_ = true;
    TQmTable* table = LookupTable();
    try {
        withControlsDisabled(table, [&] { TQmCustomDBGrid::KeyDown(Key, Shift); });
        if (CanChoose()) {
            Invalidate();
            choose();
        }
    } catch (...) {
        inKeyDown_ = false;
        throw;
    }
    inKeyDown_ = false;
}

void TQmDBLookupList::KeyPress(char& Key) {
    TQmCustomDBGrid::KeyPress(Key);
    if (Key == VK_ESCAPE) {
        fieldLink_.Reset();
        Key = 0;
    }
}

void TQmDBLookupList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (TabStop() && CanFocus() && !Focused()) {
        SetFocus();
        if (!Focused()) {
            SetMouseCapture(false);
            return;
        }
    }
    TGridCoord cell = MouseCoord(X, Y);
    if (Button == mbLeft && !Shift.Contains(ssDouble) && cell.Y >= TitleOffset() && LookupActive() &&
        displayField_) {
        fieldLink_.Edit();
        selecting_ = true;
        beginSelecting();
        InvalidateRow(Row());
        moveToRow(cell.Y);
        InvalidateRow(cell.Y);
    }
    TControl::MouseDown(Button, Shift, X, Y);
}

void TQmDBLookupList::MouseMove(TShiftState Shift, int X, int Y) {
    if (selecting_) {
        TGridCoord cell = MouseCoord(X, Y);
        if (cell.Y >= TitleOffset()) moveToRow(cell.Y);
    }
    TControl::MouseMove(Shift, X, Y);
}

void TQmDBLookupList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!selecting_ || Button != mbLeft) {
        TCustomGrid::MouseUp(Button, Shift, X, Y);
        return;
    }
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.Y >= TitleOffset()) moveToRow(cell.Y);
    selecting_ = false;
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    choose();
}

void TQmDBLookupList::DoExit() {
    updateRecordOnExit(this, fieldLink_);
    TQmCustomDBGrid::DoExit();
}

// ---------------------------------------------------------------- TQmPopupGrid

TQmPopupGrid::TQmPopupGrid(TQmDBCustomLookupCombo* Combo) : TQmDBLookupList(Combo) {
    owningCombo_ = Combo;
    SetTabStop(false);
}

bool TQmPopupGrid::CanChoose() {
    TQmDBCustomLookupCombo* combo = owningCombo_;
    if (!combo) return TQmDBLookupList::CanChoose();
    if (!combo->DataSource() || combo->dataLink_.Editing()) return true;
    if (isLookupLinkField()) {
        TDataSource* source = combo->DataSource();
        return editingState(source->DataSet()) || source->AutoEdit();
    }
    return false;
}

void TQmPopupGrid::LinkActive(bool Value) {
    if (owningCombo_ && Value) checkDuplicate(owningCombo_->DataSource(), LookupTable());
    TQmDBLookupList::LinkActive(Value);
    if (Value && owningCombo_ && LookupActive() && KeyField()) owningCombo_->dataChange();
}

// The floating window's border.
void TQmPopupGrid::Paint() {
    TQmDBLookupList::Paint();
    Canvas()->Brush()->SetColor(clWindowFrame);
    Canvas()->FrameRect(Rect(0, 0, Width(), Height()));
}

void TQmPopupGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (owningCombo_) owningCombo_->dataLink_.Edit();
    TQmDBLookupList::MouseDown(Button, Shift, X, Y);
}

void TQmPopupGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TQmDBLookupList::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && owningCombo_) owningCombo_->CloseUp(true);
}

void TQmPopupGrid::takeOverMouse(TPoint ScreenPoint) {
    TPoint p = ScreenToClient(ScreenPoint);
    MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
}

void TQmPopupGrid::mouseMovedAt(TPoint ScreenPoint) {
    TPoint p = ScreenToClient(ScreenPoint);
    MouseMove({ssLeft}, p.X, p.Y);
}

void TQmPopupGrid::mouseReleasedAt(TPoint ScreenPoint) {
    TPoint p = ScreenToClient(ScreenPoint);
    MouseUp(mbLeft, {}, p.X, p.Y);
}

bool TQmPopupGrid::containsScreenPoint(TPoint ScreenPoint) const {
    if (!Visible()) return false;
    TPoint p = ScreenToClient(ScreenPoint);
    return p.X >= 0 && p.Y >= 0 && p.X < ClientWidth() && p.Y < ClientHeight();
}

// ---------------------------------------------------------------- TQmComboButton

TQmComboButton::TQmComboButton(TComponent* AOwner, TQmDBCustomLookupCombo* Combo)
    : TGraphicControl(AOwner), combo_(Combo) {}

void TQmComboButton::SetDown(bool Value) {
    if (down_ == Value) return;
    down_ = Value;
    Invalidate();
}

void TQmComboButton::SetGlyph(const TBitmap& Value) {
    glyph_.Assign(Value);
    Invalidate();
}

void TQmComboButton::Paint() {
    TRect r = ClientRect();
    bool defaultPaint = true;
    combo_->DrawButton(Canvas(), r, defaultPaint, combo_->ControlState(), down_);
    if (!defaultPaint) return;
    // A plain speed button: the face, a raised edge and the glyph centred.
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    Frame3D(canvas, r, down_ ? clBtnShadow : clBtnHighlight, down_ ? clBtnHighlight : clBtnShadow, 1);
    if (!glyph_.Empty())
        canvas->Draw((Width() - glyph_.Width()) / 2 + (down_ ? 1 : 0), (Height() - glyph_.Height()) / 2 + (down_ ? 1 : 0),
                     &glyph_);
}

void TQmComboButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft) {
        TGraphicControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (!combo_->DroppedDown() && !combo_->Focused()) {
        if (combo_->CanFocus()) combo_->SetFocus();
        if (!combo_->Focused()) return;
    }
    SetDown(true);
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (combo_->DroppedDown()) {
        combo_->chooseFromList();
        combo_->CloseUp(true);
    } else {
        combo_->DropDown();
    }
}

void TQmComboButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.Contains(ssLeft)) combo_->dragOverList(ClientToScreen({X, Y}));
    TGraphicControl::MouseMove(Shift, X, Y);
}

void TQmComboButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    SetDown(false);
    if (Button == mbLeft) combo_->releaseOverList(ClientToScreen({X, Y}));
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

// ---------------------------------------------------------------- TQmDBCustomLookupCombo

TQmDBCustomLookupCombo::TQmDBCustomLookupCombo(TComponent* AOwner) : TFieldBinding(AOwner) {
    registerLookupComboKind();
    int buttonWidth = GetSystemMetrics(SM_CXVSCROLL);
    panel_ = new TPanel(this);
    panel_->SetBevelOuter(bvNone);
    panel_->SetBounds(0, 0, buttonWidth, 17);
    panel_->SetParent(this);
    button_ = new TQmComboButton(this, this);
    button_->SetBounds(0, 0, buttonWidth, 17);
    button_->SetGlyph(*GetGlyph());
    button_->SetParent(panel_);
    grid_ = new TQmPopupGrid(this);
    grid_->SetVisible(false);
    grid_->SetParent(this);
    grid_->OnClick = [this](TObject*) { chooseFromList(); };
    grid_->SetCtl3D(true);
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(searchDelay_);
    timer_->OnTimer = [this](TObject*) { searchStep(); };
    SetHeight(25);
    placeButton();
    editingChange();
}

TQmDBCustomLookupCombo::~TQmDBCustomLookupCombo() {
    // Nothing of the combo may outlive it: no timer, no capture, no
    // floating list.
    timer_->SetEnabled(false);
    timer_->OnTimer = nullptr;
    if (MouseCapture()) SetMouseCapture(false);
    dataLink_.OnDataChange = nullptr;
    dataLink_.OnEditingChange = nullptr;
    dataLink_.OnUpdateData = nullptr;
    dataLink_.SetDataSource(nullptr);
    grid_->OnClick = nullptr;
    grid_->owningCombo_ = nullptr;
    grid_->Hide();
    if (grid_->MouseCapture()) grid_->SetMouseCapture(false);
    delete grid_;
    grid_ = nullptr;
    delete button_;
    button_ = nullptr;
    delete timer_;
    timer_ = nullptr;
}

void TQmDBCustomLookupCombo::SetDataSource(TDataSource* Value) {
    if (Value && LookupTable() && Value->DataSet() == LookupTable())
        throw EInvalidOperation(SDuplicateDataSourceLookupSource);
    TFieldBinding::SetDataSource(Value);
    lookupLinkCache_ = 0;
}

void TQmDBCustomLookupCombo::SetStyle(TQmDBLookupComboStyle Value) {
    style_ = Value == csDropDownList ? csDropDownList : csDropDown;
    editingChange();
    Invalidate();
}

bool TQmDBCustomLookupCombo::ShowButton() const { return panel_->Visible(); }

void TQmDBCustomLookupCombo::SetShowButton(bool Value) {
    if (Value == panel_->Visible()) return;
    panel_->SetVisible(Value);
    placeButton();
    Invalidate();
}

void TQmDBCustomLookupCombo::SetReadOnly(bool Value) {
    dataLink_.SetReadOnly(Value);
    editingChange();
}

void TQmDBCustomLookupCombo::SetDisplayValue(const std::string& Value) {
    if (Value == grid_->DisplayValue() || !grid_->LookupActive()) return;
    grid_->SetDisplayValue(Value);
    SetText(grid_->DisplayValue());
}

bool TQmDBCustomLookupCombo::DroppedDown() const { return grid_ && grid_->Visible(); }

bool TQmDBCustomLookupCombo::SearchPending() const { return timer_ && timer_->Enabled(); }

TQmCustomDBGrid* TQmDBCustomLookupCombo::hostGrid() const { return dynamic_cast<TQmCustomDBGrid*>(Parent()); }

bool TQmDBCustomLookupCombo::isLookupLinkField() {
    if (lookupLinkCache_ == 0) {
        std::string links;
        if (TField* field = Field(); field && DataSource())
            Qmqbe::GetFieldLookupLinks(DataSource()->DataSet(), field->FieldName(), links);
        // Known only once the field is there.
        if (!Field()) return false;
        lookupLinkCache_ = links.empty() ? 2 : 1;
    }
    return lookupLinkCache_ == 1 && Field() && Field()->Calculated();
}

// ---- the two editing tests

bool TQmDBCustomLookupCombo::editable() const { return DroppedDown() || style_ == csDropDown || autoDropDown_; }

bool TQmDBCustomLookupCombo::CanEdit() {
    if (listStyle() && !DroppedDown()) return false;
    if (!DataSource() || DataField().empty()) return true;
    if (dataLink_.Editing() && editable()) return true;
    if (isLookupLinkField()) return editingState(DataSource()->DataSet()) || DataSource()->AutoEdit();
    return false;
}

// ---- value and text

void TQmDBCustomLookupCombo::setLookupValue(const std::string& Value) {
    if (grid_->LookupActive() && dataLink_.Active() && DataSource()->DataSet() == LookupTable())
        throw EInvalidOperation(SDuplicateDataSourceLookupSource);
    if (grid_->Value() == Value && Text() == Value) return;
    if (grid_->LookupActive()) {
        if (!writingValue_) grid_->SetValue(Value);
        SetText(grid_->DisplayValue());
    } else if (LookupField().empty() && !LookupTable()) {
        SetText(Value);
    }
}

void TQmDBCustomLookupCombo::dataChange() {
    if (recreating_ || !grid_) return;
    TField* field = Field();
    if (!field) {
        SetText("");
        return;
    }
    setLookupValue(field->AsString());
    TDataSet* data = field->DataSet();
    auto linked = [&](TField* lookupField, std::string& value) {
        if (!lookupField) return;
        if (TField* own = data->FindField(lookupField->FieldName())) value = own->AsString();
    };
    linked(grid_->SecondField(), grid_->secondValue_);
    linked(grid_->ThirdField(), grid_->thirdValue_);
}

void TQmDBCustomLookupCombo::editingChange() {
    if (grid_) TCustomEdit::SetReadOnly(!CanEdit());
}

void TQmDBCustomLookupCombo::updateData() {
    TField* field = Field();
    if (!field) return;
    if (isLookupLinkField()) {
        if (grid_->ChosenRow() >= 0) copyLinkValues();
        return;
    }
    if (grid_->KeyField() != grid_->DisplayField()) {
        if (field->AsString() != grid_->Value()) field->SetAsString(grid_->Value());
    } else if (field->AsString() != Text()) {
        field->SetAsString(Text());
    }
    if (grid_->ChosenRow() < 0) return;
    TDataSet* data = field->DataSet();
    for (TField* lookupField : {grid_->SecondField(), grid_->ThirdField()})
        if (lookupField)
            if (TField* own = data->FindField(lookupField->FieldName())) own->SetAsString(lookupField->AsString());
}

bool TQmDBCustomLookupCombo::copyLinkValues() {
    if (writingValue_ || !Field() || !LookupTable()) return false;
    writingValue_ = true;
    try {
        TDataSet* data = DataSource()->DataSet();
        std::string links;
        Qmqbe::GetFieldLookupLinks(data, Field()->FieldName(), links);
        std::vector<std::string> pairs = splitList(links, ';');
        std::vector<std::pair<TField*, TField*>> fields;
        for (size_t i = 0; i + 1 < pairs.size() && !pairs[i].empty() && !pairs[i + 1].empty(); i += 2) {
            TField* own = data->FindField(pairs[i]);
            TField* lookup = LookupTable()->FindField(pairs[i + 1]);
            if (own && lookup) fields.emplace_back(own, lookup);
        }
        bool modified = false;
        for (auto& [own, lookup] : fields) modified = modified || own->EditText() != lookup->EditText();
        auto* table = dynamic_cast<TTable*>(data);
        if (modified && !(table && table->ReadOnly())) {
            DataSource()->Edit();
            if (editingState(data))
                for (auto& [own, lookup] : fields) own->SetEditText(lookup->EditText());
            Invalidate();
        }
        writingValue_ = false;
        return modified;
    } catch (...) {
        writingValue_ = false;
        throw;
    }
}

void TQmDBCustomLookupCombo::chooseFromList() {
    dataLink_.Edit();
    if (DataSource() && !dataLink_.Editing() && !isLookupLinkField()) return;
    if (isLookupLinkField())
        if (auto* table = dynamic_cast<TTable*>(DataSource()->DataSet()); table && table->ReadOnly()) return;
    dataLink_.Modified();
    SetText(grid_->DisplayValue());
    SelectAll();
    lastSearched_ = Text();
}

// ---- the search step

unsigned TQmDBCustomLookupCombo::searchInterval() const {
    // The engine's databases are all local files, none SQL-based: the
    // search waits half the delay.
    return searchDelay_ / 2;
}

void TQmDBCustomLookupCombo::searchStep() {
    timer_->SetEnabled(false);
    std::string text = Text();
    if (text == lastSearched_) return;
    TQmTable* table = LookupTable();
    if (table && table->Active() && grid_->KeyField()) {
        if (table->IndexFieldCount() > 0) {
            // A text that does not suit the index field's type moves nothing.
            Qmtable::FindNearest(table, text, 0);
            grid_->displayValue_ = table->IndexFields(0)->AsString();
        } else {
            grid_->displayValue_ = grid_->KeyField()->AsString();
        }
        grid_->value_ = grid_->KeyField()->AsString();
        grid_->secondValue_ = grid_->SecondField() ? grid_->SecondField()->AsString() : std::string();
        grid_->thirdValue_ = grid_->ThirdField() ? grid_->ThirdField()->AsString() : std::string();
        if (!table->IsEmpty()) grid_->chosenRow_ = grid_->Row();
        grid_->Invalidate();
    }
    lastSearched_ = text;
}

// ---- dropping down and closing

void TQmDBCustomLookupCombo::releaseButton() {
    button_->SetDown(false);
    button_->SetEnabled(false);
    button_->SetEnabled(true);
    button_->Repaint();
}

void TQmDBCustomLookupCombo::addLookupColumn() {
    TQmTable* table = LookupTable();
    if (Selected()->Count() > 0 || !table) return;
    TField* shown = nullptr;
    if (isLookupLinkField()) {
        shown = grid_->DisplayField();
    } else {
        for (const std::string& name : splitList(LookupField(), ';'))
            if ((shown = table->FindField(name))) break;
    }
    if (shown) Selected()->Add(shown->FieldName() + "\t" + IntToStr(shown->DisplayWidth()) + "\t" + shown->DisplayLabel());
    grid_->resolveFields();
}

void TQmDBCustomLookupCombo::DropDown() {
    TQmTable* table = LookupTable();
    if (!table) {
        MessageDlg(SNoLookupTable, mtWarning, {mbOK});
        releaseButton();
        return;
    }
    if (!table->Active()) {
        MessageDlg(SLookupTableNotActive, mtWarning, {mbOK});
        releaseButton();
        return;
    }
    if (DroppedDown() || Width() <= 20) return;
    addLookupColumn();
    if (!typingDropDown_) grid_->locateCurrent(true);
    Qmqbe::ApplySelectedFields(table, *Selected());
    if (OnDropDown) OnDropDown(this);
    rowsToShow_ = std::max(dropDownCount_, 1);
    floatOverForm(grid_, this);
    grid_->LayoutChanged();
    positionDropDown();
    grid_->updateRowCount();
    int buffered = grid_->DataLink()->RecordCount();
    if (buffered < rowsToShow_ && !table->NarrowSearch()) {
        rowsToShow_ = std::max(buffered, 1);
        std::string text = Text();
        positionDropDown();
        grid_->updateRowCount();
        SetText(text);
        SetSelStart(static_cast<int>(text.size()));
    }
    if (LookupField().empty()) grid_->displayValue_ = Text();
    grid_->LayoutChanged();
    grid_->updateRowCount();
    grid_->Show();
    setFloatingTopmost(grid_, GetParentForm(this) && GetParentForm(this)->FormStyle() == fsStayOnTop);
    Invalidate();
    lastSearched_ = grid_->DisplayValue();
    if (CanFocus() && !Focused()) SetFocus();
    TCustomEdit::SetReadOnly(!CanEdit());
    if (!typingDropDown_) SelectAll();
    {
        TFlagScope busy(recreating_);
        dataLink_.Edit();
    }
    editingChange();
}

void TQmDBCustomLookupCombo::positionDropDown() {
    if (Width() <= 20) return;
    TPoint origin = ClientToScreen({0, 0});
    int width = dropDownWidth_;
    if (width == 0) width = grid_->FieldColumnsWidth() + GetSystemMetrics(SM_CXVSCROLL);
    int screenWidth = Screen->Width();
    int left = origin.X;
    if (dropDownAlignment_ == taRightJustify) {
        width = std::max(Width() - 4, std::min(width, Width() + origin.X - 2));
        left = origin.X + 1 + Width() - width;
    } else {
        width = std::max(Width() - 4, std::min(width, screenWidth - origin.X - 2));
    }
    // A list narrower than its columns gets room for the horizontal bar.
    bool scrollBar = width <= grid_->ColumnsFullWidth() + 1 && rowsToShow_ > 0;
    int height = grid_->HeightForRows(rowsToShow_, scrollBar);
    int top = origin.Y + Height() - 1;
    if (top + height > Screen->Height()) {
        top = origin.Y - height + 1;
        if (top < 0) top = origin.Y + Height() - 1;
    }
    grid_->SetBounds(left, top, width, height);
}

void TQmDBCustomLookupCombo::fireCloseUp(TDataSet* DataSet, bool Modified) {
    if (OnCloseUp) withControlsDisabled(DataSet, [&] { OnCloseUp(this, LookupTable(), DataSet, Modified); });
}

void TQmDBCustomLookupCombo::CloseUp(bool Modified) {
    if (!DroppedDown()) return;
    listTookMouse_ = false;
    if (Modified && grid_->ChosenRow() >= 0) {
        if (!dataLink_.Editing() && !isLookupLinkField()) {
            // Nothing may be written.
        } else if (isLookupLinkField()) {
            dataLink_.UpdateRecord();
            grid_->Hide();
            Modified = copyLinkValues();
        } else {
            Modified = false;
            if (TField* field = Field()) {
                {
                    TFlagScope busy(writingValue_);
                    if (field->AsString() != grid_->Value()) {
                        field->SetAsString(grid_->Value());
                        Modified = true;
                    }
                }
                if (TDataSet* data = DataSource()->DataSet())
                    for (TField* lookupField : {grid_->SecondField(), grid_->ThirdField()}) {
                        if (!lookupField) continue;
                        TField* own = data->FindField(lookupField->FieldName());
                        if (own && own->AsString() != lookupField->AsString()) {
                            own->SetAsString(lookupField->AsString());
                            Modified = true;
                        }
                    }
            }
            Invalidate();
        }
    }
    grid_->Hide();
    Invalidate();
    editingChange();
    fireCloseUp(DataSource() ? DataSource()->DataSet() : nullptr, Modified);
}

// ---- keyboard

bool TQmDBCustomLookupCombo::wantsKey(Word Key, TShiftState Shift) const {
    bool dialogKey = Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE;
    if (dialogKey && (hostGrid() || DroppedDown())) return true;
    return TFieldBinding::wantsKey(Key, Shift);
}

void TQmDBCustomLookupCombo::KeyDown(Word& Key, TShiftState Shift) {
    if (keyIsDown(VK_MENU)) Shift.Include(ssAlt);
    bool alt = Shift.Contains(ssAlt);
    bool dropped = DroppedDown();
    if (TQmCustomDBGrid* grid = hostGrid(); grid && !dropped) {
        auto toGrid = [&] {
            grid->SetFocus();
            grid->keyFromEditor(Key, Shift);
            Key = 0;
        };
        int length = static_cast<int>(Text().size());
        int start = SelStart(), end = SelStart() + SelLength();
        bool alwaysEditor = grid->Options().Contains(dgAlwaysShowEditor);
        switch (Key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
            if (!alt) return toGrid();
            break;
        case VK_LEFT:
        case VK_HOME:
            if (alwaysEditor && (Shift.Contains(ssCtrl) || (start == 0 && (end == 0 || end == length)))) return toGrid();
            break;
        case VK_RIGHT:
        case VK_END:
            if (alwaysEditor && (Shift.Contains(ssCtrl) || ((start == 0 || start == end) && end == length)))
                return toGrid();
            break;
        case VK_TAB:
        case VK_RETURN:
            // The grid takes the key back: Tab moves to its next column.
            if (grid->CanFocus()) grid->SetFocus();
            if (Key == VK_TAB && grid->Focused()) grid->keyFromEditor(Key, Shift);
            Key = 0;
            return;
        case VK_F2:
            if (grid->OnKeyDown) grid->OnKeyDown(grid, Key, Shift);
            if (Key == VK_F2) {
                SetSelStart(1);
                SetSelLength(std::max(length - 1, 0));
                Key = 0;
            }
            return;
        default: break;
        }
        if (Key != 0 && Key != VK_ESCAPE && grid->OnKeyDown) grid->OnKeyDown(grid, Key, Shift);
        if (Key == 0) return;
    }
    TFieldBinding::KeyDown(Key, Shift);
    switch (Key) {
    case VK_BACK:
    case VK_INSERT:
    case VK_DELETE:
        if (editable()) dataLink_.Edit();
        if (!CanEdit()) Key = 0;
        break;
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_RIGHT:
        if (!editable() && !isLookupLinkField()) Key = 0;
        break;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
        if (!dropped) {
            if (alt) DropDown();
        } else {
            dataLink_.Edit();
            bool refused = DataSource() && !dataLink_.Editing() && !isLookupLinkField();
            if (!refused) grid_->keyFromCombo(Key, Shift);
        }
        Key = 0;
        break;
    case VK_TAB:
        if (dropped) {
            searchStep();
            chooseFromList();
            CloseUp(true);
            SelectAll();
            Key = 0;
            // Tab goes on to the next control, as the form moves it.
            if (TForm* form = GetParentForm(this))
                if (!hostGrid()) form->SelectNext(this, !Shift.Contains(ssShift), true);
        }
        break;
    default: break;
    }
}

void TQmDBCustomLookupCombo::KeyPress(char& Key) {
    TFieldBinding::KeyPress(Key);
    if (Key == 0) return;
    if (Key == '\r' && DroppedDown()) {
        searchStep();
        chooseFromList();
        CloseUp(true);
        SelectAll();
        Key = 0;
        return;
    }
    if (Key == VK_ESCAPE) {
        bool wasDropped = DroppedDown();
        if (wasDropped) CloseUp(false);
        if (Field()) {
            setLookupValue("");
            dataLink_.Reset();
            SelectAll();
        } else {
            SetText(savedText_);
            grid_->value_ = savedValue_;
            grid_->displayValue_ = savedText_;
        }
        Key = 0;
        if (!wasDropped)
            if (TQmCustomDBGrid* grid = hostGrid(); grid && grid->CanFocus()) grid->SetFocus();
        return;
    }
    if (!DroppedDown() && isPrintable(Key) && !autoDropDown_ && editable() && Field() && !Field()->IsValidChar(Key)) {
        MessageBeep(0);
        Key = 0;
        return;
    }
    if (isPrintable(Key) || Key == VK_BACK || Key == 22 || Key == 24) {
        if (editable()) dataLink_.Edit();
        if (!CanEdit()) Key = 0;
    } else if (Key == '\t' || Key == '\r') {
        Key = 0;
    }
}

void TQmDBCustomLookupCombo::KeyUp(Word& Key, TShiftState Shift) {
    TFieldBinding::KeyUp(Key, Shift);
    if (!isSearchKey(Key)) return;
    bool dropped = DroppedDown();
    if (Text() != lastSearched_) {
        if (dropped) {
            timer_->SetEnabled(false);
            timer_->SetInterval(searchInterval());
            timer_->SetEnabled(true);
        } else if (autoDropDown_ && !Text().empty() && LookupTable() && LookupTable()->Active()) {
            Qmtable::SelectIndexForFirstField(LookupTable(), *Selected());
            searchStep();
            TFlagScope busy(typingDropDown_);
            DropDown();
        }
    }
    // Only a record being edited may take the text on leaving.
    if (!dropped && dataLink_.Editing()) dataLink_.Modified();
}

void TQmDBCustomLookupCombo::Change() {
    if (dataLink_.Editing()) dataLink_.Modified();
    TFieldBinding::Change();
}

// ---- mouse

void TQmDBCustomLookupCombo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && listStyle()) {
        if (CanFocus() && !Focused()) SetFocus();
        pressedOnText_ = true;
        listTookMouse_ = false;
        if (DroppedDown())
            CloseUp(true);
        else
            DropDown();
    }
    TFieldBinding::MouseDown(Button, Shift, X, Y);
}

void TQmDBCustomLookupCombo::dragOverList(TPoint ScreenPoint) {
    if (!DroppedDown()) return;
    if (listTookMouse_) {
        grid_->mouseMovedAt(ScreenPoint);
    } else if (grid_->containsScreenPoint(ScreenPoint)) {
        // The list takes over the press: the drag picks a row there.
        listTookMouse_ = true;
        if (MouseCapture()) SetMouseCapture(false);
        grid_->takeOverMouse(ScreenPoint);
    }
}

void TQmDBCustomLookupCombo::releaseOverList(TPoint ScreenPoint) {
    if (!listTookMouse_) return;
    listTookMouse_ = false;
    grid_->mouseReleasedAt(ScreenPoint);
}

void TQmDBCustomLookupCombo::MouseMove(TShiftState Shift, int X, int Y) {
    if (pressedOnText_ && Shift.Contains(ssLeft)) dragOverList(ClientToScreen({X, Y}));
    TFieldBinding::MouseMove(Shift, X, Y);
}

void TQmDBCustomLookupCombo::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && pressedOnText_) {
        pressedOnText_ = false;
        releaseOverList(ClientToScreen({X, Y}));
        if (MouseCapture()) SetMouseCapture(false);
    }
    TFieldBinding::MouseUp(Button, Shift, X, Y);
}

// ---- focus

void TQmDBCustomLookupCombo::DoEnter() {
    if (TQmCustomDBGrid* grid = hostGrid()) grid->EditorEntered();
    if (!DroppedDown()) {
        savedText_ = Text();
        savedValue_ = grid_->Value();
    }
    if (AutoSelect() && !keyIsDown(VK_LBUTTON) && editable()) SelectAll();
    TWinControl::DoEnter();
    if (!editable()) Invalidate();
    lastSearched_ = Text();
}

void TQmDBCustomLookupCombo::DoExit() {
    if (DroppedDown()) CloseUp(true);
    timer_->SetEnabled(false);
    updateRecordOnExit(this, dataLink_, [this] { SelectAll(); });
    TWinControl::DoExit();
    Invalidate();
    if (TQmCustomDBGrid* grid = hostGrid()) grid->EditorExited();
}

// ---- size, button and face

int TQmDBCustomLookupCombo::MinimumHeight() {
    auto textHeight = [](const TFont& font) {
        TBitmap measure(1, 1);
        measure.Canvas()->Font()->Assign(font);
        return measure.Canvas()->TextHeight("W");
    };
    int own = textHeight(*Font());
    TFont systemFont;
    int system = textHeight(systemFont);
    minHeightExtra_ = std::min(own, system) / 4 + 1;
    int border = GetSystemMetrics(SM_CYEDGE);
    return 2 * border + own + minHeightExtra_ - 2 + (BorderStyle() == bsSingle ? 2 : 0);
}

void TQmDBCustomLookupCombo::Resize() {
    TFieldBinding::Resize();
    int minimum = MinimumHeight();
    if (Height() < minimum) {
        SetHeight(minimum);
        return;
    }
    placeButton();
}

void TQmDBCustomLookupCombo::placeButton() {
    if (!panel_ || !button_) return;
    int width = GetSystemMetrics(SM_CXVSCROLL);
    int edge = BorderStyle() == bsSingle ? GetSystemMetrics(SM_CXEDGE) : 0;
    int height = std::max(Height() - 2 * edge, 0);
    panel_->SetBounds(Width() - width - edge, edge, width, height);
    button_->SetBounds(0, 0, width, height);
    setEditMargins(this, 0, 0, panel_->Visible() ? width + 2 : 0, 0);
}

void TQmDBCustomLookupCombo::SetEnabled(bool Value) {
    TFieldBinding::SetEnabled(Value);
    if (button_) button_->SetEnabled(Value);
}

void TQmDBCustomLookupCombo::DrawButton(TCanvas* Canvas, const TRect& Rect, bool& DefaultPaint, TControlState State,
                                        bool Pressed) {
    const bool pushed = paintButtonFace(Canvas, Rect, State, Pressed);
    // The arrow: a small triangle pointing down, grey when disabled.
    int cx = (Rect.Left + Rect.Right) / 2 + (pushed ? 1 : 0);
    int cy = (Rect.Top + Rect.Bottom) / 2 + (pushed ? 1 : 0);
    TColor ink = Enabled() ? clBtnText : clGrayText;
    Canvas->Pen()->SetColor(ink);
    Canvas->Brush()->SetColor(ink);
    Canvas->Polygon({{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}});
    DefaultPaint = false;
}

bool TQmDBCustomLookupCombo::paintButtonFace(TCanvas* Canvas, const TRect& Rect, TControlState State, bool Pressed) {
    const bool pushed = Pressed && !Qmqbe::IsPaintCopyState(State);
    TRect r = Rect;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clBtnFace);
    Canvas->FillRect(r);
    if (pushed) {
        Canvas->Brush()->SetColor(clBtnShadow);
        Canvas->FrameRect(r);
    } else {
        Frame3D(Canvas, r, cl3DLight, cl3DDkShadow, 1);
        Frame3D(Canvas, r, clBtnHighlight, clBtnShadow, 1);
    }
    return pushed;
}

TBitmap* TQmDBCustomLookupCombo::GetGlyph() {
    static TBitmap* arrow = [] {
        auto* bitmap = new TBitmap(7, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x) bitmap->Canvas()->SetPixels(x, y, x >= y && x < 7 - y ? clBlack : clBtnFace);
        return bitmap;
    }();
    return arrow;
}

bool TQmDBCustomLookupCombo::paintsItself() const {
    if (!grid_) return false;
    if (Qmqbe::IsPaintCopyState(ControlState()) || !editable()) return true;
    auto* grid = dynamic_cast<TQmDBGrid*>(Parent());
    return grid && grid->Focused();
}

void TQmDBCustomLookupCombo::paintWidget(QWidget* target) {
    if (!paintCanvas_) paintCanvas_ = std::make_unique<TCanvas>();
    PaintThroughCanvas(target, paintCanvas_.get(), [this] { paintFace(); });
}

void TQmDBCustomLookupCombo::paintFace() {
    TCanvas* canvas = paintCanvas_.get();
    bool copy = Qmqbe::IsPaintCopyState(ControlState());
    auto* grid = dynamic_cast<TQmDBGrid*>(Parent());
    bool selected = !copy && ((style_ == csDropDownList && Focused()) || (grid && grid->Focused()));
    TRect r = Rect(0, 0, Width(), Height());
    canvas->Brush()->SetStyle(bsSolid);
    if (BorderStyle() == bsSingle) {
        Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
        Frame3D(canvas, r, cl3DDkShadow, cl3DLight, 1);
    }
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    TRect textArea = r;
    if (panel_->Visible()) textArea.Right = std::max(textArea.Left, panel_->Left() - 1);
    std::string text = Text();
    if (copy && Field()) {
        text = Field()->DisplayText();
        TQmTable* table = LookupTable();
        if (grid_->KeyField() != grid_->DisplayField() && table && table->Active() && grid_->DisplayField()) {
            Qmtable::SelectIndexForFields(table, LookupField());
            text = table->FindKey({Variant(Field()->AsString())}) ? grid_->DisplayField()->AsString() : std::string();
        }
    }
    canvas->Font()->Assign(*Font());
    if (selected) {
        canvas->Brush()->SetColor(clHighlight);
        canvas->Font()->SetColor(clHighlightText);
    }
    TRect band = Rect(textArea.Left + 1, textArea.Top + 1, textArea.Right - 1, textArea.Bottom - 1);
    int top = (band.Top + band.Bottom - canvas->TextHeight("W")) / 2;
    canvas->TextRect(band, band.Left + 2, top, text);
    if (selected && style_ == csDropDownList && Focused()) canvas->DrawFocusRect(band);
}
