#include "controls/Qmmemo.h"

#include <memory>

#include "ui/Dialogs.h"
#include "ui/FormKit.h"

namespace {
constexpr int kDesignedWidth = 561;
constexpr int kDesignedHeight = 396;
constexpr int kMemoMargin = 6;
// Room under the memo for the buttons.
constexpr int kButtonBand = 53;
constexpr int kButtonGap = 17;
constexpr int kButtonSpacing = 20;

enum class TMemoMode { Edit, View };

bool runMemo(TMemoMode Mode, TForm* Owner, TDataSource* DataSource, const std::string& DataField,
             const TRect& Bounds, TFont* Font, const std::string& Caption, TQmMemoAttributes Attributes) {
    std::unique_ptr<TMemoDialog> dialog(new TMemoDialog(nullptr));
    if (Owner && Owner->FormStyle() == fsStayOnTop) dialog->SetFormStyle(fsStayOnTop);
    dialog->DBMemo->SetDataSource(DataSource);
    dialog->DBMemo->SetDataField(DataField);
    dialog->DBMemo->SetWordWrap(Attributes.Contains(mWordWrap));
    dialog->setRequest(Bounds, Font, Caption);
    dialog->SetBorderStyle(Attributes.Contains(mSizeable) ? bsSizeable : bsDialog);
    if (Mode == TMemoMode::Edit) {
        if (Bounds.Left > 0) dialog->SetPosition(poDefault);
    } else {
        dialog->CancelBtn->Hide();
        dialog->DBMemo->SetReadOnly(true);
    }
    return dialog->ShowModal() == mrOk;
}
}  // namespace

TMemoDialog::TMemoDialog(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Dialog");
    SetBounds(0, 0, kDesignedWidth, kDesignedHeight);
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-14);
    Font()->SetStyle({fsBold});
    Font()->SetColor(clBlack);
    DBMemo = place<TDBMemo>(this, kMemoMargin, kMemoMargin, 100, 100);
    DBMemo->SetScrollBars(ssVertical);
    DBMemo->SetWantTabs(true);
    OKBtn = place<TBitBtn>(this, 0, 0);
    OKBtn->SetKind(bkOK);
    OKBtn->Hide();
    CancelBtn = place<TBitBtn>(this, 0, 0);
    CancelBtn->SetKind(bkCancel);
    CancelBtn->Hide();
    bindEvent(OnCloseQuery, this, &TMemoDialog::FormCloseQuery);
    bindEvent(OnResize, this, &TMemoDialog::ResizeControls);
    bindEvent(OnShow, this, &TMemoDialog::FormShow);
    bindEvent(DBMemo->OnChange, this, &TMemoDialog::DBMemoChange);
    bindEvent(DBMemo->OnKeyDown, this, &TMemoDialog::DBMemoKeyDown);
    bindEvent(OKBtn->OnClick, this, &TMemoDialog::OKBtnClick);
}

void TMemoDialog::setRequest(const TRect& Bounds, TFont* Font, const std::string& Caption) {
    bounds_ = Bounds;
    font_ = Font;
    caption_ = Caption;
}

void TMemoDialog::FormShow(TObject*) {
    if (shownOnce_) return;
    shownOnce_ = true;
    modified_ = false;
    if (font_) DBMemo->SetFont(*font_);
    SetCaption(caption_);
    if (bounds_.Left == 0) {
        SetBounds(Left(), Top(), bounds_.Right - bounds_.Left, bounds_.Bottom - bounds_.Top);
    } else if (bounds_.Left > 0) {
        SetBounds(bounds_.Left, bounds_.Top, bounds_.Right - bounds_.Left, bounds_.Bottom - bounds_.Top);
    }
    ResizeControls(this);
}

// The memo fills the client area above a band for the buttons.
void TMemoDialog::ResizeControls(TObject*) {
    DBMemo->SetBounds(kMemoMargin, kMemoMargin, ClientWidth() - 2 * kMemoMargin, ClientHeight() - kButtonBand);
    int top = DBMemo->Height() + kButtonGap;
    int width = OKBtn->Width();
    OKBtn->SetTop(top);
    CancelBtn->SetTop(top);
    if (DBMemo->ReadOnly()) {
        OKBtn->SetLeft(DBMemo->Left() + DBMemo->Width() / 2 - width / 2);
    } else {
        OKBtn->SetLeft(DBMemo->Width() - 2 * (width + kButtonSpacing));
        CancelBtn->SetLeft(DBMemo->Width() - (width + kButtonSpacing));
        CancelBtn->Show();
    }
    OKBtn->Show();
}

void TMemoDialog::DBMemoChange(TObject*) { modified_ = true; }

void TMemoDialog::DBMemoKeyDown(TObject*, Word& Key, TShiftState Shift) {
    if (Key == VK_RETURN && Shift.Contains(ssCtrl)) {
        SetModalResult(mrOk);
        OKBtnClick(OKBtn);
        Key = 0;
    } else if (Key == VK_ESCAPE) {
        SetModalResult(mrCancel);
        Key = 0;
    }
}

void TMemoDialog::OKBtnClick(TObject*) {
    if (!DBMemo->ReadOnly() && modified_) {
        TDataSet* ds = DBMemo->DataSource() ? DBMemo->DataSource()->DataSet() : nullptr;
        try {
            if (ds) ds->Post();
        } catch (...) {
            // The text stays for the user to mend or cancel.
            SetModalResult(mrNone);
            throw;
        }
    }
    okPressed_ = true;
}

void TMemoDialog::FormCloseQuery(TObject*, bool& CanClose) {
    CanClose = true;
    if (modified_ && !okPressed_) {
        if (MessageDlg(SMemoCancelQuestion, mtConfirmation, {mbYes, mbNo}) == mrYes) {
            SetModalResult(mrCancel);
            if (!DBMemo->ReadOnly())
                if (TDataSet* ds = DBMemo->DataSource() ? DBMemo->DataSource()->DataSet() : nullptr) ds->Cancel();
        } else {
            CanClose = false;
        }
    }
    okPressed_ = false;
}

bool MemoEdit(TForm* Owner, TDataSource* DataSource, const std::string& DataField, const TRect& Bounds, TFont* Font,
              const std::string& Caption, TQmMemoAttributes Attributes) {
    return runMemo(TMemoMode::Edit, Owner, DataSource, DataField, Bounds, Font, Caption, Attributes);
}

bool MemoView(TForm* Owner, TDataSource* DataSource, const std::string& DataField, const TRect& Bounds, TFont* Font,
              const std::string& Caption, TQmMemoAttributes Attributes) {
    return runMemo(TMemoMode::View, Owner, DataSource, DataField, Bounds, Font, Caption, Attributes);
}
