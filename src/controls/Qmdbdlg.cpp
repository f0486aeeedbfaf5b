#include "controls/Qmdbdlg.h"

#include "base/SysUtils.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "xbase/Qmqbe.h"

TQmDBLookupComboDlg::TQmDBLookupComboDlg(TComponent* AOwner) : TQmDBCustomLookupCombo(AOwner) {
    Button()->SetGlyph(*GetGlyph());
}

void TQmDBLookupComboDlg::DrawButton(TCanvas* Canvas, const TRect& Rect, bool& DefaultPaint, TControlState State,
                                     bool Pressed) {
    const bool pushed = paintButtonFace(Canvas, Rect, State, Pressed);
    // Three black squares in a row, centred.
    int side = std::max(1, Rect.Width() / 8);
    int left = Rect.Left + (Rect.Width() - 5 * side) / 2 + (pushed ? 1 : 0);
    int top = Rect.Top + (Rect.Height() - side) / 2 + (pushed ? 1 : 0);
    Canvas->Brush()->SetColor(clBlack);
    for (int i = 0; i < 3; ++i) Canvas->FillRect(Bounds(left + 2 * i * side, top, side, side));
    DefaultPaint = false;
}

TBitmap* TQmDBLookupComboDlg::GetGlyph() {
    static TBitmap* dots = [] {
        auto* bitmap = new TBitmap(9, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 9; ++x) bitmap->Canvas()->SetPixels(x, y, (x % 4) < 2 ? clBlack : clBtnFace);
        return bitmap;
    }();
    return dots;
}

bool TQmDBLookupComboDlg::runDialog() {
    TQmLookupDialogSettings settings;
    settings.Caption = caption_;
    settings.CallingForm = GetParentForm(this);
    settings.LookupTable = LookupTable();
    settings.Selected = Selected();
    settings.InitialSearch = typingDropDown_ ? Text() : std::string();
    settings.Options = options_;
    settings.GridOptions = gridOptions_;
    settings.GridColor = gridColor_;
    settings.TitleAlignment = gridTitleAlignment_;
    settings.MaxWidth = maxWidth_;
    settings.MaxHeight = maxHeight_;
    settings.CharCase = CharCase();
    settings.OnUserButton1Click = OnUserButton1Click;
    settings.OnUserButton2Click = OnUserButton2Click;
    settings.UserButton1Caption = userButton1Caption_;
    settings.UserButton2Caption = userButton2Caption_;
    settings.OnInitDialog = OnInitDialog;
    return runLookupDialog(settings);
}

void TQmDBLookupComboDlg::DropDown() {
    TQmTable* table = LookupTable();
    if (!table || !table->Active()) {
        MessageDlg(table ? SLookupTableNotActive : SNoLookupTable, mtWarning, {mbOK});
        releaseButton();
        return;
    }
    if (OnDropDown) OnDropDown(this);
    TQmPopupGrid* grid = PopupGrid();
    addLookupColumn();
    TDataSet* data = DataSource() ? DataSource()->DataSet() : nullptr;
    if (isLookupLinkField()) {
        Qmqbe::LocateLookupRecord(Field()->DataSet(), Field()->FieldName(), table);
        Qmtable::SelectIndexForFirstField(table, *Selected());
        bool ok = runDialog();
        withControlsDisabled(data, [&] {
            if (ok) copyLinkValues();
        });
        fireCloseUp(data, ok);
    } else {
        TField* key = grid->KeyField();
        std::string value = LookupValue();
        if (!value.empty() && key && key->AsString() != value) {
            Qmtable::SelectIndexForFields(table, LookupField());
            std::vector<Variant> keys{Variant(value)};
            if (grid->LookupFieldCount() >= 2) keys.emplace_back(grid->SecondValue());
            if (grid->LookupFieldCount() >= 3) keys.emplace_back(grid->ThirdValue());
            table->FindKey(keys);
        }
        Qmtable::SelectIndexForFirstField(table, *Selected());
        bool ok = runDialog();
        if (ok && !LookupField().empty() && key) {
            std::string picked = key->EditText();
            dataLink_.Edit();
            // Only a field that may take the value gets it.
            if (!Field() || dataLink_.Editing()) {
                takeCurrentRecord();
                SetText(grid->DisplayValue());
                dataLink_.Modified();
                if (Field()) Field()->SetAsString(picked);
            }
        }
        fireCloseUp(data, ok);
    }
    if (Style() == csDropDownList || AutoDropDown()) SelectAll();
    releaseButton();
}
