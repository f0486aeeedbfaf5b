#include "controls/qmidlg.h"

#include <algorithm>

#include "base/SysUtils.h"
#include "data/Fields.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/SystemMetrics.h"
#include "xbase/Qmqbe.h"

namespace {
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
}  // namespace

TQmLookupDlg::TQmLookupDlg(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Lookup");
    SetKeyPreview(true);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    Font()->SetStyle({fsBold});
    SetClientWidth(344);
    SetClientHeight(344);

    SearchCharacterLabel = place<TLabel>(this, 8, 8, 120, 13, "&Search Characters");
    qmIncrementalSearch1 = place<TQmIncrementalSearch>(this, 8, 24, 329, 21);
    qmIncrementalSearch1->SetName("qmIncrementalSearch1");
    qmIncrementalSearch1->SetHint("Enter characters for incremental search");
    SearchCharacterLabel->SetFocusControl(qmIncrementalSearch1);
    SortByLabel = place<TLabel>(this, 8, 50, 60, 13, "Search &By");
    SortByLabel->Hide();
    qmKeyCombo1 = place<TQmKeyCombo>(this, 8, 66, 329, 21);
    qmKeyCombo1->SetName("qmKeyCombo1");
    qmKeyCombo1->SetHint("Incremental searching and sorting order");
    qmKeyCombo1->SetShowAllIndexes(false);
    qmKeyCombo1->SetPrimaryKeyName("PrimaryKey");
    qmKeyCombo1->Hide();
    SortByLabel->SetFocusControl(qmKeyCombo1);
    DataSource1 = new TQmDataSource(this);
    qmDBGrid1 = place<TQmDBGrid>(this, 8, 84, 329, 209);
    qmDBGrid1->SetName("qmDBGrid1");
    qmDBGrid1->SetTitleAlignment(taLeftJustify);
    qmDBGrid1->SetTitleLines(1);
    qmDBGrid1->SetShowHorzScrollBar(true);
    qmDBGrid1->SetDataSource(DataSource1);
    qmIncrementalSearch1->SetDataSource(DataSource1);
    StatusHeader = place<TPanel>(this, 8, 296, 329, 17);
    StatusHeader->SetHint("Table Name and current record position");
    StatusHeader->Hide();
    UserButtonPanel = place<TPanel>(this, 8, 300, 200, 33);
    UserButtonPanel->SetBevelOuter(bvNone);
    UserButtonPanel->Hide();
    UserButton1 = place<TButton>(UserButtonPanel, 10, 4, kButtonWidth, kButtonHeight, "");
    UserButton2 = place<TButton>(UserButtonPanel, 100, 4, kButtonWidth, kButtonHeight, "");
    UserButton1->Hide();
    UserButton2->Hide();
    OKBtn = place<TBitBtn>(this, 168, 310, kButtonWidth, kButtonHeight);
    OKBtn->SetKind(bkOK);
    CancelBtn = place<TBitBtn>(this, 256, 310, kButtonWidth, kButtonHeight);
    CancelBtn->SetKind(bkCancel);
    for (TBitBtn* button : {OKBtn, CancelBtn}) {
        button->Font()->SetHeight(-12);
        button->Font()->SetStyle({fsBold});
        button->SetTabStop(false);
    }
    SetActiveControl(qmIncrementalSearch1);

    UserButton1->OnClick = [this](TObject*) {
        if (OnUserButton1Click) OnUserButton1Click(this, table());
    };
    UserButton2->OnClick = [this](TObject*) {
        if (OnUserButton2Click) OnUserButton2Click(this, table());
    };
    qmKeyCombo1->OnChange = [this](TObject*) { keyComboChange(); };
    qmDBGrid1->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int X, int Y) {
        titleClick_ = qmDBGrid1->MouseCoord(X, Y).Y < qmDBGrid1->TitleOffset();
    };
    qmDBGrid1->OnDblClick = [this](TObject*) {
        if (!titleClick_) SetModalResult(mrOk);
    };
    OnCloseQuery = [this](TObject*, bool& CanClose) {
        // Not while the order list is open; a waiting search runs first.
        if (qmKeyCombo1->DroppedDown()) {
            CanClose = false;
            return;
        }
        qmIncrementalSearch1->SearchNow();
    };
}

TTable* TQmLookupDlg::table() const { return dynamic_cast<TTable*>(DataSource1->DataSet()); }

void TQmLookupDlg::DoShow() {
    reapplyColumns();
    LayOut(true);
    qmIncrementalSearch1->SetText(initialSearch_);
    qmIncrementalSearch1->SetSelStart(static_cast<int>(initialSearch_.size()));
    TForm::DoShow();
    if (OnInitDialog) OnInitDialog(this);
}

void TQmLookupDlg::Activate() {
    if (!activatedOnce_) {
        activatedOnce_ = true;
        if (qmIncrementalSearch1->CanFocus()) qmIncrementalSearch1->SetFocus();
        qmIncrementalSearch1->SetSelStart(static_cast<int>(qmIncrementalSearch1->Text().size()));
    }
    TForm::Activate();
}

void TQmLookupDlg::reapplyColumns() {
    TTable* lookup = table();
    qmIncrementalSearch1->SetSearchField("");
    if (!lookup || !lookup->Active()) return;
    withControlsDisabled(lookup, [&] {
        if (selected_.Count() > 0) Qmqbe::ApplySelectedFields(lookup, selected_);
        int front = 0;
        for (int i = 0; i < lookup->IndexFieldCount(); ++i) {
            TField* field = lookup->IndexFields(i);
            if (!field->Visible()) continue;
            if (front == 0) qmIncrementalSearch1->SetSearchField(field->FieldName());
            field->SetIndex(front++);
        }
    });
    qmDBGrid1->LayoutChanged();
}

void TQmLookupDlg::keyComboChange() {
    qmIncrementalSearch1->ClearSearch();
    reapplyColumns();
    LayOut(false);
    if (!qmKeyCombo1->DroppedDown() && qmIncrementalSearch1->CanFocus()) qmIncrementalSearch1->SetFocus();
}

void TQmLookupDlg::LayOut(bool Full) {
    TQmDBGrid* grid = qmDBGrid1;
    bool caption1 = !UserButton1->Caption().empty();
    bool caption2 = !UserButton2->Caption().empty();
    bool okCancel = options_.Contains(opShowOKCancel);
    // 1. The narrowest the dialog may be.
    int minWidth = SortByLabel->Left() + SortByLabel->Width() + 3;
    if (okCancel) {
        minWidth = OKBtn->Width() + CancelBtn->Width() + 18;
        if (caption1) minWidth += UserButton1->Width() + 30;
        if (caption2) minWidth += UserButton2->Width() + 30;
    } else if (caption1 && caption2) {
        minWidth = std::max(minWidth, UserButton1->Width() + UserButton2->Width() + 35);
    } else if (caption1 || caption2) {
        minWidth = std::max(minWidth, UserButton1->Width() + 35);
    }
    if (options_.Contains(opShowStatusBar)) minWidth = std::max(minWidth, StatusHeader->Width());
    // 2. and 3. The columns, the last one widened to the minimum.
    int columns = GetSystemMetrics(SM_CXHTHUMB) + 1;
    for (int c = 0; c < grid->ColCount(); ++c) columns += grid->ColWidths(c) + grid->GridLineWidth();
    bool narrow = columns < minWidth;
    if (narrow && grid->ColCount() > 0) {
        int last = grid->ColCount() - 1;
        grid->SetColWidths(last, grid->ColWidths(last) + minWidth - columns);
    }
    if (!Full) return;
    // 4. The grid within the maximum size; the form grows with it.
    if (narrow) grid->SetShowHorzScrollBar(false);
    int widest = Screen->Width() - 40;
    int highest = Screen->Height() - 200;
    maxWidth_ = maxWidth_ == 0 ? widest : std::min(maxWidth_, widest);
    maxHeight_ = maxHeight_ == 0 ? highest : std::min(maxHeight_, highest);
    int oldWidth = grid->Width();
    int width = std::max(minWidth, std::min(columns, maxWidth_));
    grid->SetBounds(grid->Left(), grid->Top(), width, maxHeight_);
    if (width >= columns) grid->SetShowHorzScrollBar(false);
    SetClientWidth(ClientWidth() + width - oldWidth);
    SetLeft((Screen->Width() - Width()) / 2);
    // 5. Label, search edit and grid one under the other.
    SearchCharacterLabel->SetTop(8);
    qmIncrementalSearch1->SetTop(SearchCharacterLabel->Top() + SearchCharacterLabel->Height() + 3);
    grid->SetTop(qmIncrementalSearch1->Top() + qmIncrementalSearch1->Height() + 8);
    int y = grid->Top() + grid->Height();
    // 6. The status header belongs to tables that number their records.
    auto* qmTable = dynamic_cast<TQmTable*>(table());
    bool status = options_.Contains(opShowStatusBar) && qmTable && qmTable->IsParadoxTable();
    StatusHeader->SetVisible(status);
    if (status) {
        bool noButtons = !okCancel && !caption1 && !caption2;
        StatusHeader->SetBounds(grid->Left(), y + (noButtons ? 10 : 1), grid->Width(), StatusHeader->Height());
        y = StatusHeader->Top() + StatusHeader->Height();
    }
    // 7. Search By: beside the search edit, or under the grid, or not at all.
    bool searchBy = options_.Contains(opShowSearchBy);
    if (searchBy && options_.Contains(opGroupControls)) {
        int half = (grid->Width() - 20) / 2;
        qmIncrementalSearch1->SetWidth(half);
        qmKeyCombo1->SetBounds(qmIncrementalSearch1->Left() + half + 20, qmIncrementalSearch1->Top(), half,
                               qmKeyCombo1->Height());
        SortByLabel->SetLeft(SearchCharacterLabel->Left() + half + 20);
        SortByLabel->SetTop(SearchCharacterLabel->Top());
        qmKeyCombo1->SetTabOrder(qmIncrementalSearch1->TabOrder() + 1);
    } else if (searchBy) {
        qmIncrementalSearch1->SetWidth(grid->Width());
        SortByLabel->SetLeft(SearchCharacterLabel->Left());
        SortByLabel->SetTop(y + 8);
        qmKeyCombo1->SetBounds(grid->Left(), SortByLabel->Top() + SortByLabel->Height() + 3, grid->Width(),
                               qmKeyCombo1->Height());
        y = qmKeyCombo1->Top() + qmKeyCombo1->Height();
    } else {
        qmIncrementalSearch1->SetWidth(grid->Width());
    }
    SortByLabel->SetVisible(searchBy);
    qmKeyCombo1->SetVisible(searchBy);
    // 8. User buttons.
    if (caption1 || caption2) {
        UserButtonPanel->Show();
        UserButtonPanel->SetTop(y + 5);
        UserButtonPanel->SetLeft(grid->Left());
        int right = 0;
        if (caption1) {
            UserButton1->SetLeft(10);
            UserButton1->Show();
            right = UserButton1->Left() + UserButton1->Width();
        }
        if (caption2) {
            UserButton2->SetLeft(right + 15);
            UserButton2->Show();
            right = UserButton2->Left() + UserButton2->Width();
        }
        UserButtonPanel->SetWidth(okCancel ? right + 10 : grid->Width());
    } else {
        UserButtonPanel->Hide();
    }
    // 9. OK and Cancel at the right, and the form's height.
    OKBtn->SetVisible(okCancel);
    CancelBtn->SetVisible(okCancel);
    if (okCancel) {
        int formWidth = ClientWidth() + 2 * GetSystemMetrics(SM_CXDLGFRAME);
        int step = OKBtn->Width() + 13;
        int shift = grid->Width() == minWidth ? 5 : 0;
        CancelBtn->SetBounds(formWidth - 10 - step + shift, y + 13, CancelBtn->Width(), CancelBtn->Height());
        OKBtn->SetBounds(CancelBtn->Left() - step, y + 13, OKBtn->Width(), OKBtn->Height());
        OKBtn->SetTabStop(true);
        CancelBtn->SetTabStop(true);
        SetClientHeight(OKBtn->Top() + OKBtn->Height() + 9);
    } else {
        int bottom = UserButtonPanel->Visible() ? UserButtonPanel->Top() + UserButtonPanel->Height() : y;
        SetClientHeight(bottom + 9);
    }
}

void TQmLookupDlg::KeyDown(Word& Key, TShiftState Shift) {
    TWinControl* active = ActiveControl();
    bool inKeyCombo = active == qmKeyCombo1;
    switch (Key) {
    case VK_RETURN:
        if (inKeyCombo && qmKeyCombo1->DroppedDown()) break;
        if (OKBtn->Visible() && OKBtn->CanFocus()) OKBtn->SetFocus();
        SetModalResult(mrOk);
        Key = 0;
        break;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
        if (inKeyCombo) {
            if (Key == VK_DOWN && !Shift.Contains(ssAlt)) {
                qmKeyCombo1->SetDroppedDown(true);
                Key = 0;
            }
            break;
        }
        if (active != qmDBGrid1) {
            qmDBGrid1->keyFromEditor(Key, Shift);
            Key = 0;
        }
        break;
    default: break;
    }
    TForm::KeyDown(Key, Shift);
}

void TQmLookupDlg::KeyUp(Word& Key, TShiftState Shift) {
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && ActiveControl() == qmKeyCombo1) {
        qmKeyCombo1->SetDroppedDown(false);
        if (qmIncrementalSearch1->CanFocus()) qmIncrementalSearch1->SetFocus();
    }
    TForm::KeyUp(Key, Shift);
}

// ---------------------------------------------------------------- running it

bool runLookupDialog(const TQmLookupDialogSettings& Settings) {
    TQmTable* lookup = Settings.LookupTable;
    auto dialog = std::make_unique<TQmLookupDlg>(nullptr);
    dialog->SetCaption(Settings.Caption);
    if (Settings.CallingForm && Settings.CallingForm->FormStyle() == fsStayOnTop) dialog->SetFormStyle(fsStayOnTop);
    TStringList selected;
    if (Settings.Selected) selected.Assign(Settings.Selected);
    if (selected.Count() == 0) {
        if (!lookup || !lookup->Active()) {
            MessageDlg(SLookupDataSetNotActive, mtWarning, {mbOK});
        } else {
            for (int i = 0; i < lookup->FieldCount(); ++i) {
                TField* field = lookup->Fields()[i];
                if (!field->Visible()) continue;
                selected.Add(field->FieldName() + "\t" + IntToStr(field->DisplayWidth()) + "\t" +
                             field->DisplayLabel() + "\t" + (field->Calculated() ? "Yes" : "No"));
            }
        }
    }
    TQmDBGrid* grid = dialog->qmDBGrid1;
    grid->SetOptions(Settings.GridOptions);
    grid->SetColor(Settings.GridColor);
    grid->SetTitleAlignment(Settings.TitleAlignment);
    dialog->SetSelected(selected);
    dialog->DataSource1->SetDataSet(lookup);
    if (lookup && lookup->Active() && selected.Count() > 0) Qmqbe::ApplySelectedFields(lookup, selected);
    dialog->qmKeyCombo1->SetDataSource(dialog->DataSource1);
    if (Settings.Options.Contains(opFixFirstColumn)) grid->SetFixedCols(1);
    dialog->UserButton1->SetCaption(Settings.UserButton1Caption);
    dialog->UserButton2->SetCaption(Settings.UserButton2Caption);
    dialog->OnUserButton1Click = Settings.OnUserButton1Click;
    dialog->OnUserButton2Click = Settings.OnUserButton2Click;
    dialog->OnInitDialog = Settings.OnInitDialog;
    dialog->SetInitialSearch(Settings.InitialSearch);
    dialog->SetMaxWidth(Settings.MaxWidth);
    dialog->SetMaxHeight(Settings.MaxHeight);
    dialog->SetDialogOptions(Settings.Options);
    dialog->qmIncrementalSearch1->SetCharCase(Settings.CharCase);
    int result = mrCancel;
    try {
        result = dialog->ShowModal();
    } catch (...) {
        dialog->DataSource1->SetDataSet(nullptr);
        throw;
    }
    dialog->DataSource1->SetDataSet(nullptr);
    // OK on an empty table, or with no record to stand on, picks nothing.
    bool onRecord = lookup && lookup->Active() && !lookup->IsEmpty() && !(lookup->Bof() && lookup->Eof());
    return result == mrOk && onRecord;
}
