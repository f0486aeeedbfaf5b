#include "controls/Qmdbgrid.h"

#include <algorithm>

#include "base/FlagScope.h"
#include "base/SysUtils.h"
#include "controls/Qmdbcomb.h"
#include "data/Fields.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/RepaintingSetter.h"
#include "xbase/Qmquery.h"
#include "xbase/Qmtable.h"

namespace {
constexpr int kCheckBoxSize = 10;
constexpr int kMemoPeek = 255;
inline const std::string kMemoPlaceholder = "(Memo)";

std::vector<std::string> splitItems(const std::string& Line, char Separator) {
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        size_t at = Line.find(Separator, start);
        items.push_back(Line.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return items;
}

// ---- the "Combo" kind

class ComboKind : public TQmBoundCellEditorKind<TQmDBComboBox> {
public:
    std::string Kind() const override { return "Combo"; }
    void ShowText(TWinControl* Control, const std::string& Text) const override {
        TQmDBComboBox* combo = bound(Control);
        if (combo->Style() == csDropDownList)
            combo->SetItemIndex(combo->Items()->IndexOf(Text));
        else
            combo->SetText(Text);
    }
    void DropDown(TWinControl* Control, Word& Key, TShiftState) const override {
        TQmDBComboBox* combo = bound(Control);
        if (combo->CanFocus()) combo->SetFocus();
        combo->SetDroppedDown(true);
        Key = 0;
    }
    int RowHeightExtra() const override { return 5; }
    int TextTop() const override { return 3; }
};

std::vector<std::unique_ptr<TQmCellEditorKind>>& kinds() {
    static std::vector<std::unique_ptr<TQmCellEditorKind>> registered = [] {
        std::vector<std::unique_ptr<TQmCellEditorKind>> start;
        start.push_back(std::make_unique<ComboKind>());
        return start;
    }();
    return registered;
}
}  // namespace

void registerCellEditorKind(std::unique_ptr<TQmCellEditorKind> Kind) {
    for (auto& k : kinds())
        if (k->Kind() == Kind->Kind()) {
            k = std::move(Kind);
            return;
        }
    kinds().push_back(std::move(Kind));
}

const TQmCellEditorKind* findCellEditorKind(const std::string& Kind) {
    for (auto& k : kinds())
        if (k->Kind() == Kind) return k.get();
    return nullptr;
}

// ---------------------------------------------------------------- TQmMemoDialog

TQmMemoDialog::TQmMemoDialog(TComponent* AOwner) : TComponent(AOwner) { dataLink_.SetControl(this); }

TQmMemoDialog::~TQmMemoDialog() { dataLink_.SetDataSource(nullptr); }

bool TQmMemoDialog::Execute() {
    TRect bounds = Rect(dlgLeft_, dlgTop_, dlgLeft_ + dlgWidth_, dlgTop_ + dlgHeight_);
    TForm* owner = Screen->ActiveForm();
    if (memoAttributes_.Contains(mViewOnly))
        return MemoView(owner, DataSource(), DataField(), bounds, &font_, caption_, memoAttributes_);
    return MemoEdit(owner, DataSource(), DataField(), bounds, &font_, caption_, memoAttributes_);
}

// ---------------------------------------------------------------- TQmDBGrid

TQmDBGrid::TQmDBGrid(TComponent* AOwner) : TQmCustomDBGrid(AOwner) {}

TQmDBGrid::~TQmDBGrid() = default;

void TQmDBGrid::SetMemoAttributes(TQmMemoAttributes Value) {
    memoAttributes_ = Value;
    applySelected();
}

void TQmDBGrid::SetTitleAlignment(TAlignment Value) { repaintWith(this, titleAlignment_, Value); }

void TQmDBGrid::SetFixedCols(int Value) {
    if (Value < 0) {
        MessageDlg(SInvalidFixedCols, mtWarning, {mbOK});
        return;
    }
    fixedCols_ = Value;
    LayoutChanged();
}

void TQmDBGrid::SetTitleLines(int Value) {
    if (Value < 1) return;
    titleLines_ = Value;
    LayoutChanged();
}

bool TQmDBGrid::editingAllowed() const { return Options().Contains(dgEditing) && !ReadOnly(); }

// ---- column list and control types

void TQmDBGrid::LinkActive(bool Value) {
    if (Value) applySelected();
    TQmCustomDBGrid::LinkActive(Value);
}

void TQmDBGrid::applySelected() {
    if (applying_ || !DataSource() || !DataSource()->DataSet()) return;
    TDataSet* ds = DataSource()->DataSet();
    if (!Qmqbe::IsQmDataSet(ds)) {
        MessageDlg(SQmGridNeedsQmDataSet, mtError, {mbOK});
        SetDataSource(nullptr);
        return;
    }
    {
        TFlagScope busy(applying_);
        checkControlTypes();
        ds->DisableControls();
        try {
            if (auto* table = dynamic_cast<TQmTable*>(ds)) table->PurgeMissingFieldEntries();
            if (auto* query = dynamic_cast<TQmQuery*>(ds)) query->PurgeMissingFieldEntries();
            if (auto* qbe = dynamic_cast<TQmQBE*>(ds)) qbe->PurgeMissingFieldEntries();
            bool calculated = false;
            for (int i = 0; i < ds->FieldCount(); ++i) calculated = calculated || ds->Fields()[i]->Calculated();
            if (selected_.Count() > 0 && !calculated) Qmqbe::ApplySelectedFields(ds, selected_);
        } catch (...) {
            ds->EnableControls();
            throw;
        }
        ds->EnableControls();
    }
    appliedOnce_ = true;
}

void TQmDBGrid::checkControlTypes() {
    if (controlTypesChecked_) return;
    controlTypesChecked_ = true;
    hasCombo_ = hasLookupCombo_ = false;
    TStringList* lines = Qmqbe::GetDataSetControlType(DataSource()->DataSet());
    if (!lines) return;
    TComponent* form = GetParentForm(this);
    if (!form) form = Owner();
    for (int i = 0; i < lines->Count(); ++i) {
        std::vector<std::string> items = splitItems(lines->Strings(i), ';');
        // A combo line needs its control's name; a shorter one is ignored.
        if (items.size() < 3) continue;
        const TQmCellEditorKind* kind = findCellEditorKind(items[1]);
        if (!kind) continue;
        TWinControl* control = kind->FindControl(form, items[2]);
        if (!control) continue;
        (items[1] == "Combo" ? hasCombo_ : hasLookupCombo_) = true;
        auto known = std::find_if(attached_.begin(), attached_.end(),
                                  [&](const Attached& a) { return a.Control == control; });
        if (editingAllowed() && known != attached_.end() && known->FieldName != items[0])
            MessageDlg("Combobox " + control->Name() + " is attached twice to the grid " + Name() + " on field " +
                           items[0] + " and " + kind->BoundField(control) + ".",
                       mtWarning, {mbOK});
        control->Hide();
        kind->Bind(control, DataSource(), items[0]);
        control->SetFont(*Font());
        if (known != attached_.end())
            known->FieldName = items[0];
        else
            attached_.push_back({control, kind, items[0]});
    }
}

std::vector<std::string> TQmDBGrid::controlLine(int ACol, const std::string& Kind, size_t MinItems) const {
    TField* field = Fields(ACol - IndicatorOffset());
    if (!field) return {};
    TStringList* lines = Qmqbe::GetDataSetControlType(field->DataSet());
    if (!lines) return {};
    for (int i = 0; i < lines->Count(); ++i) {
        std::vector<std::string> items = splitItems(lines->Strings(i), ';');
        if (items.size() < 2 || items[0] != field->FieldName() || items[1] != Kind) continue;
        if (items.size() < MinItems) continue;
        return items;
    }
    return {};
}

bool TQmDBGrid::isDataCell(int ACol, int ARow) const {
    return ACol >= IndicatorOffset() && ARow >= TitleOffset() && DataSource() &&
           Qmqbe::IsQmDataSet(DataSource()->DataSet());
}

bool TQmDBGrid::isCheckBoxCell(int ACol, int ARow) const {
    return isDataCell(ACol, ARow) && !controlLine(ACol, "CheckBox", 4).empty();
}

bool TQmDBGrid::isMemoCell(int ACol, int ARow) const {
    if (ACol < IndicatorOffset() || ARow < TitleOffset()) return false;
    TField* field = Fields(ACol - IndicatorOffset());
    return field && (field->DataType() == ftMemo || field->DataType() == ftFmtMemo);
}

const TQmDBGrid::Attached* TQmDBGrid::embeddedOf(int ACol, int ARow) const {
    if (!isDataCell(ACol, ARow)) return nullptr;
    TField* field = Fields(ACol - IndicatorOffset());
    for (const Attached& a : attached_)
        if (a.FieldName == field->FieldName() && !controlLine(ACol, a.Kind->Kind(), 3).empty()) return &a;
    return nullptr;
}

bool TQmDBGrid::IsCustomEditCell(int ACol, int ARow) {
    return isCheckBoxCell(ACol, ARow) || isMemoCell(ACol, ARow) || embeddedOf(ACol, ARow);
}

bool TQmDBGrid::CanEditShow() {
    if (IsCustomEditCell(Col(), Row())) return false;
    if (Options().Contains(dgAlwaysShowEditor) && !GridOrEditorFocused()) return false;
    return TQmCustomDBGrid::CanEditShow();
}

// ---- geometry

int TQmDBGrid::dataRowHeight() {
    int extra = 2;
    for (const Attached& a : attached_) extra = std::max(extra, a.Kind->RowHeightExtra());
    int height = textHeight(*Font(), "W") + extra + (Options().Contains(dgRowLines) ? 1 : 0);
    return height * dataRowLines_;
}

int TQmDBGrid::titleRowHeight() {
    int height = titleLines_ * textHeight(*TitleFont(), "W") + 4;
    if (!Options().Contains(dgRowLines) && Ctl3D()) ++height;
    return height;
}

void TQmDBGrid::SetColumnAttributes() {
    int wanted = fixedCols_ + IndicatorOffset();
    if (DataSource() && DataSource()->DataSet() && DataSource()->DataSet()->Active() && wanted < ColCount() &&
        TCustomGrid::FixedCols() != wanted)
        TCustomGrid::SetFixedCols(wanted);
    TQmCustomDBGrid::SetColumnAttributes();
}

// ---- drawing

void TQmDBGrid::Paint() {
    if (!Enabled()) return;
    TQmCustomDBGrid::Paint();
    // The editor an always-editing grid hid while moving (a click on another
    // row and column, a pass over an embedded editor's cell) comes back.
    if (Focused() && !userChange() && Options().Contains(dgAlwaysShowEditor) && !IsCustomEditCell(Col(), Row()))
        ShowEditor();
}

void TQmDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (shown_ && !(shownCell_ == TGridCoord{Col(), Row()})) hideEmbedded();
    if (AState.Contains(gdFixed) && ARow < TitleOffset()) {
        drawTitle(ARect, ACol >= IndicatorOffset() ? Fields(ACol - IndicatorOffset()) : nullptr);
        return;
    }
    if (ACol < IndicatorOffset() || !DataLink()->Active() || ARow < TitleOffset()) {
        TQmCustomDBGrid::DrawCell(ACol, ARow, ARect, AState);
        return;
    }
    if (isDataCell(ACol, ARow)) {
        std::vector<std::string> box = controlLine(ACol, "CheckBox", 4);
        if (!box.empty()) {
            drawCheckBox(ACol, ARow, ARect, AState, box[2]);
            raisedLook(ARow, ARect);
            return;
        }
        if (const Attached* editor = embeddedOf(ACol, ARow); editor && ACol == Col() && ARow == Row()) {
            bool highlight = HighlightCell(ACol, ARow, "", AState);
            if (editingAllowed() && highlight && IsActiveControl()) {
                placeEmbedded(*editor, ARect);
                return;
            }
        }
    }
    drawDataText(ACol, ARow, ARect, AState);
}

void TQmDBGrid::drawTitle(const TRect& ARect, TField* Field) {
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(*TitleFont());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(TitleColor());
    canvas->FillRect(ARect);
    std::string text = Field ? Field->DisplayLabel() : std::string();
    if (titleLines_ > 1 && text.find('~') != std::string::npos) {
        std::vector<std::string> parts = splitItems(text, '~');
        int band = ARect.Height() / titleLines_;
        for (int i = 0; i < static_cast<int>(parts.size()) && i < titleLines_; ++i) {
            TRect r = Rect(ARect.Left, ARect.Top + i * band, ARect.Right, ARect.Top + (i + 1) * band);
            writeText(r, 3, 1, parts[i], titleAlignment_);
        }
    } else {
        writeText(ARect, 3, 1, text, titleAlignment_);
    }
    canvas->Brush()->SetColor(clBtnHighlight);
    if (Options().Contains(dgRowLines)) canvas->FillRect(Rect(ARect.Left, ARect.Top, ARect.Right, ARect.Top + 1));
    if (Options().Contains(dgColLines)) canvas->FillRect(Rect(ARect.Left, ARect.Top, ARect.Left + 1, ARect.Bottom));
}

std::string TQmDBGrid::memoText(TField* Field) {
    TDataSet* ds = Field->DataSet();
    if (ds->Bof() && ds->Eof() && ds->State() != dsInsert) return {};
    if (!memoAttributes_.Contains(mGridShow)) return kMemoPlaceholder;
    // The record being inserted has no memo yet.
    if (ds->State() == dsInsert && drawnRow_ == Row()) return {};
    TQmMemoStream stream(Field);
    std::string text(kMemoPeek, '\0');
    text.resize(static_cast<size_t>(stream.Read(text.data(), kMemoPeek)));
    return text.substr(0, std::min(text.find('\r'), text.find('\n')));
}

std::string TQmDBGrid::textOf(int ACol, int ARow, TField* Field) {
    if (!Field) return {};
    drawnRow_ = ARow;
    return isMemoCell(ACol, ARow) ? memoText(Field) : Field->DisplayText();
}

std::string TQmDBGrid::cellText(int ACol, int ARow) {
    if (!DataLink()->Active() || ACol < IndicatorOffset() || ARow < TitleOffset() ||
        recordOfRow(ARow) >= DataLink()->RecordCount())
        return {};
    std::string text;
    withRecordOfRow(ARow, [&] { text = textOf(ACol, ARow, Fields(ACol - IndicatorOffset())); });
    return text;
}

void TQmDBGrid::drawDataText(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(*Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    int top = 2;
    for (const Attached& a : attached_) top = std::max(top, a.Kind->TextTop());
    withRecordOfRow(ARow, [&] {
        TField* field = Fields(ACol - IndicatorOffset());
        std::string text = textOf(ACol, ARow, field);
        bool highlight = HighlightCell(ACol, ARow, text, AState);
        if (highlight) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        }
        if (OnCalcCellColors) OnCalcCellColors(this, field, AState, highlight, canvas->Font(), canvas->Brush());
        if (DefaultDrawing()) writeText(ARect, 3, top, text, fieldAlignment(field));
        if (OnDrawDataCell) OnDrawDataCell(this, ARect, field, AState);
        if (DefaultDrawing() && highlight && !Options().Contains(dgRowSelect) && IsActiveControl())
            canvas->DrawFocusRect(ARect);
    });
    if (DefaultDrawing()) raisedLook(ARow, ARect);
}

void TQmDBGrid::drawCheckBox(int ACol, int ARow, const TRect& ARect, TGridDrawState AState,
                             const std::string& Checked) {
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(*Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(AState.Contains(gdFixed) ? TitleColor() : Color());
    std::string text;
    withRecordOfRow(ARow, [&] {
        TField* field = Fields(ACol - IndicatorOffset());
        text = field->DisplayText();
        bool highlight = HighlightCell(ACol, ARow, text, AState);
        if (highlight) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        }
        if (OnCalcCellColors) OnCalcCellColors(this, field, AState, highlight, canvas->Font(), canvas->Brush());
        canvas->FillRect(ARect);
        if (highlight && IsActiveControl()) canvas->DrawFocusRect(ARect);
    });
    TRect box = Bounds((ARect.Left + ARect.Right - kCheckBoxSize) / 2, (ARect.Top + ARect.Bottom - kCheckBoxSize) / 2,
                       kCheckBoxSize, kCheckBoxSize);
    canvas->Brush()->SetColor(clWindow);
    canvas->FillRect(box);
    if (Ctl3D() && ColorToRGB(Color()) != clWhite) {
        canvas->Brush()->SetColor(clBtnShadow);
        canvas->FillRect(Rect(box.Left, box.Top, box.Right, box.Top + 1));
        canvas->FillRect(Rect(box.Left, box.Top, box.Left + 1, box.Bottom));
        canvas->Brush()->SetColor(clBtnHighlight);
        canvas->FillRect(Rect(box.Left, box.Bottom - 1, box.Right, box.Bottom));
        canvas->FillRect(Rect(box.Right - 1, box.Top, box.Right, box.Bottom));
    } else {
        canvas->Brush()->SetColor(clBlack);
        canvas->FrameRect(box);
    }
    if (text == Checked) {
        // A check mark: down from the left, then up to the right.
        canvas->Pen()->SetColor(clBlack);
        canvas->Pen()->SetWidth(1);
        for (int dy = 0; dy < 2; ++dy) {
            canvas->MoveTo(box.Left + 2, box.Top + 4 + dy);
            canvas->LineTo(box.Left + 4, box.Top + 6 + dy);
            canvas->LineTo(box.Left + 8, box.Top + 2 + dy);
        }
    }
}

// A 3D grid of a colour other than white gives its data cells a raised edge.
void TQmDBGrid::raisedLook(int ARow, const TRect& ARect) {
    if (!Ctl3D() || ColorToRGB(Color()) == clWhite) return;
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clBtnHighlight);
    if (Options().Contains(dgColLines)) canvas->FillRect(Rect(ARect.Left, ARect.Top, ARect.Left + 1, ARect.Bottom));
    if (Options().Contains(dgRowLines)) {
        canvas->FillRect(Rect(ARect.Left, ARect.Top, ARect.Right, ARect.Top + 1));
    } else if (ARow == TitleOffset() && ARect.Top >= 2) {
        canvas->FillRect(Rect(ARect.Left, ARect.Top - 1, ARect.Right, ARect.Top));
        canvas->Brush()->SetColor(RGB(128, 128, 128));
        canvas->FillRect(Rect(ARect.Left, ARect.Top - 2, ARect.Right, ARect.Top - 1));
    }
}

// ---- embedded controls

void TQmDBGrid::placeEmbedded(const Attached& Editor, const TRect& ARect) {
    TWinControl* control = Editor.Control;
    bool first = shown_ != control || !control->Visible();
    if (control->Parent() != this) control->SetParent(this);
    if (TField* field = SelectedField()) Editor.Kind->ShowText(control, field->DisplayText());
    TRect wanted = Bounds(ARect.Left + 2, ARect.Top + 1 + (DefaultRowHeight() - control->Height()) / 2,
                          ARect.Width(), ARect.Height());
    if (first) {
        auto setAside = [](TControl* control, TAlign& saved) {
            if (!control || (control->Align() != alBottom && control->Align() != alRight)) return;
            saved = control->Align();
            control->SetAlign(alNone);
        };
        setAside(this, savedAlign_);
        setAside(Parent(), savedParentAlign_);
    }
    if (!(control->BoundsRect() == wanted)) control->SetBoundsRect(wanted);
    shown_ = control;
    shownCell_ = {Col(), Row()};
    control->Show();
    control->BringToFront();
}

void TQmDBGrid::hideEmbedded() {
    if (!shown_) return;
    shown_->Hide();
    if (savedAlign_ != alNone) {
        SetAlign(savedAlign_);
        savedAlign_ = alNone;
    }
    if (savedParentAlign_ != alNone && Parent()) {
        Parent()->SetAlign(savedParentAlign_);
        savedParentAlign_ = alNone;
    }
    shown_ = nullptr;
    shownCell_ = {-1, -1};
}

void TQmDBGrid::ColExit() {
    TQmCustomDBGrid::ColExit();
    if (IsActiveControl()) hideEmbedded();
}

void TQmDBGrid::KillFocus() {
    TForm* form = GetParentForm(this);
    if (shown_ && shown_->Visible() && (!form || form->ActiveControl() != shown_)) hideEmbedded();
}

void TQmDBGrid::TopLeftChanged() {
    TQmCustomDBGrid::TopLeftChanged();
    if (!shown_) return;
    TRect r = CellRect(Col(), Row());
    if (r.IsEmpty() || r.Left + 2 != shown_->Left()) {
        hideEmbedded();
        Invalidate();
    }
}

// ---- check boxes and memos

void TQmDBGrid::toggleCheckBox() {
    std::vector<std::string> box = controlLine(Col(), "CheckBox", 4);
    TField* field = SelectedField();
    if (box.empty() || !field || field->ReadOnly()) return;
    TDataSet* ds = field->DataSet();
    bool editing = ds->State() == dsEdit || ds->State() == dsInsert;
    if (!DataSource()->AutoEdit() && !editing) return;
    if (!DataLink()->Edit()) return;
    field->SetAsString(field->DisplayText() == box[2] ? box[3] : box[2]);
    InvalidateCell(Col(), Row());
}

void TQmDBGrid::openMemo() {
    if (memoAttributes_.Contains(mDisableDialog)) return;
    TField* field = SelectedField();
    if (!field) return;
    TQmMemoDialog dialog(nullptr);
    dialog.SetDataSource(DataSource());
    dialog.SetDataField(field->FieldName());
    TQmMemoAttributes attributes = memoAttributes_;
    if (!editingAllowed() || field->ReadOnly()) attributes.Include(mViewOnly);
    dialog.SetMemoAttributes(attributes);
    std::string caption = field->DisplayLabel();
    std::replace(caption.begin(), caption.end(), '~', ' ');
    dialog.SetCaption(caption);
    dialog.SetFont(*Font());
    dialog.SetDlgLeft(-1);
    if (OnMemoOpen) OnMemoOpen(this, &dialog);
    bool ok = dialog.Execute();
    if (OnMemoClose) OnMemoClose(this, !ok);
    InvalidateCell(Col(), Row());
}

// ---- keyboard and mouse

void TQmDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (Key == VK_ESCAPE && ds && (ds->State() == dsEdit || ds->State() == dsInsert) && ds->Modified() &&
        MessageDlg(SDiscardChanges, mtConfirmation, {mbYes, mbNo}) == mrNo) {
        Key = 0;
        return;
    }
    const Attached* editor = embeddedOf(Col(), Row());
    if (Key == VK_DOWN && Shift.Contains(ssAlt) && editor) {
        if (!shown_) InvalidateCell(Col(), Row());
        editor->Kind->DropDown(editor->Control, Key, Shift);
        return;
    }
    Word key = Key;
    TQmCustomDBGrid::KeyDown(Key, Shift);
    if (!editingAllowed() || !DataLink()->Active() || Shift.Contains(ssCtrl)) return;
    if (key == VK_F2 && isMemoCell(Col(), Row())) openMemo();
    if (key == VK_SPACE && isCheckBoxCell(Col(), Row())) toggleCheckBox();
    if (key == VK_F2 && editor && editor->Control->Visible() && editor->Control->CanFocus()) editor->Control->SetFocus();
}

void TQmDBGrid::charInput(char Key) {
    bool typed = Key == '\b' || static_cast<unsigned char>(Key) >= 32;
    if (typed && IsCustomEditCell(Col(), Row())) {
        if (!editingAllowed() || !shown_ || !shown_->Visible() || !shown_->CanFocus()) return;
        shown_->SetFocus();
        TWinControl* target = shown_;
        // Handed over as the user's next key, after this one is done.
        queueOnMainThread([target, Key] { target->SendChar(Key); });
        return;
    }
    TQmCustomDBGrid::charInput(Key);
}

void TQmDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TQmCustomDBGrid::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !editingAllowed()) return;
    TGridCoord cell = MouseCoord(X, Y);
    if (!isDataCell(cell.X, cell.Y)) return;
    if (Shift.Contains(ssDouble) && isCheckBoxCell(cell.X, cell.Y)) toggleCheckBox();
    if (!Shift.Contains(ssDouble) && cell == (TGridCoord{Col(), Row()}) && embeddedOf(cell.X, cell.Y) && !shown_)
        InvalidateCell(cell.X, cell.Y);
}

void TQmDBGrid::DblClick() {
    TQmCustomDBGrid::DblClick();
    if (isMemoCell(Col(), Row()) && DataLink()->Active()) openMemo();
}
