#include "app/RecordInfoDialogs.h"

#include "app/DataModule.h"
#include "base/Classes.h"
#include "base/Exceptions.h"
#include "ui/Application.h"
#include "ui/DBCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

constexpr int LabelLeft = 16;
constexpr int EditLeft = 128;
constexpr int RowHeight = 21;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;

}  // namespace

// ---------------------------------------------------------------- TRecordInfoDlg

TRecordInfoDlg::TRecordInfoDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source, int Width,
                               int Height)
    : TForm(AOwner), source_(Source) {
    SetCaption(Caption);
    SetBorderStyle(bsDialog);
    SetBounds(0, 0, Width, Height);
    const int buttonTop = ClientHeight() - ButtonHeight - 12;
    BitBtn1 = place<TBitBtn>(this, (ClientWidth() - ButtonWidth) / 2, buttonTop, ButtonWidth, ButtonHeight);
    BitBtn1->SetKind(bkOK);
    // The dialog closes itself once the record is safely posted.
    BitBtn1->SetModalResult(mrNone);
    BitBtn2 = place<TBitBtn>(this, ClientWidth() - ButtonWidth - 16, buttonTop, ButtonWidth, ButtonHeight);
    BitBtn2->SetKind(bkCancel);
    BitBtn2->SetVisible(false);
    BitBtn2->SetEnabled(false);
    bindEvent(BitBtn1->OnClick, this, &TRecordInfoDlg::BitBtn1Click);
    bindEvent(BitBtn2->OnClick, this, &TRecordInfoDlg::BitBtn2Click);
    bindEvent(OnClose, this, &TRecordInfoDlg::FormClose);
}

TDataSet* TRecordInfoDlg::dataSet() const { return source_ ? source_->DataSet() : nullptr; }

TDBEdit* TRecordInfoDlg::addEdit(TLabel*& Label, const std::string& Caption, int Top, const std::string& Field,
                                 int MaxLength, int Width) {
    Label = place<TLabel>(this, LabelLeft, Top + 3, EditLeft - LabelLeft - 4, 13, Caption);
    auto* edit = placeBound<TDBEdit>(this, EditLeft, Top, Width, RowHeight, source_, Field);
    edit->SetMaxLength(MaxLength);
    Label->SetFocusControl(edit);
    return edit;
}

TDBComboBox* TRecordInfoDlg::addCombo(TLabel*& Label, const std::string& Caption, int Top, const std::string& Field,
                                      const std::vector<std::string>& Items, int Width) {
    Label = place<TLabel>(this, LabelLeft, Top + 3, EditLeft - LabelLeft - 4, 13, Caption);
    auto* combo = placeBound<TDBComboBox>(this, EditLeft, Top, Width, RowHeight, source_, Field);
    for (const std::string& item : Items)
        combo->Items()->Add(item);
    Label->SetFocusControl(combo);
    return combo;
}

void TRecordInfoDlg::BitBtn1Click(TObject*) {
    if (TDataSet* data = dataSet(); data && data->Active()) {
        try {
            // The edit that has the focus still holds what was typed.
            if (data->State() == dsEdit || data->State() == dsInsert)
                data->UpdateRecord();
            if ((data->State() == dsEdit || data->State() == dsInsert) && data->Modified())
                data->Post();
        } catch (const Exception& e) {
            Application->ShowException(e);
            return;
        }
    }
    Close();
}

void TRecordInfoDlg::BitBtn2Click(TObject*) { Close(); }

void TRecordInfoDlg::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

// ---------------------------------------------------------------- the six dialogs

TCPTCodeInfoDlg::TCPTCodeInfoDlg(TComponent* AOwner)
    : TRecordInfoDlg(AOwner, "CPT Code Information", DataModule1->CPTCodeSource, 392, 170) {
    DBEdit1 = addEdit(Label1, "CPT Code", 16, "ID", 5, 64);
    DBEdit2 = addEdit(Label2, "Description", 48, "DESC", 30, 225);
    DBComboBox1 = addCombo(Label3, "Category", 80, "CATEGORY", {}, 225);
}

TDiagCodeInfoDlg::TDiagCodeInfoDlg(TComponent* AOwner)
    : TRecordInfoDlg(AOwner, "Diagnosis Code Information", DataModule1->DiagCodeSource, 392, 170) {
    SetPosition(poScreenCenter);
    // As long as the field holds: five would cut the longer codes.
    DBEdit1 = addEdit(Label1, "Diagnosis Code", 16, "ID", 6, 64);
    DBEdit2 = addEdit(Label2, "Description", 48, "DESC", 30, 225);
    DBComboBox1 = addCombo(Label3, "Category", 80, "CATEGORY", {""}, 225);
}

TPersonnelInfoDlg::TPersonnelInfoDlg(TComponent* AOwner)
    : TRecordInfoDlg(AOwner, "Personnel Info", DataModule1->PersonnelSource, 392, 202) {
    DBEdit1 = addEdit(Label1, "Name", 16, "NAME", 30, 225);
    DBEdit2 = addEdit(Label2, "ID", 48, "ID", 0, 64);
    DBEdit3 = addEdit(Label3, "Indexed as", 80, "RECNAME", 30, 225);
    DBEdit4 = addEdit(Label4, "Signature Filename", 112, "SIGFILE", 30, 225);
    Label4->SetVisible(false);
    DBEdit4->SetVisible(false);
}

TAccountInfoDlg::TAccountInfoDlg(TComponent* AOwner)
    : TRecordInfoDlg(AOwner, "Account Info", DataModule1->AccountSource, 392, 170) {
    DBEdit1 = addEdit(Label1, "Account Name", 16, "NAME", 25, 193);
    DBEdit1->SetReadOnly(true);
    DBEdit2 = addEdit(Label2, "Balance", 48, "BALANCE", 0, 97);
    DBEdit2->SetReadOnly(true);
    DBComboBox1 = addCombo(Label3, "Account Type", 80, "TYPE",
                           {"Accounts Receivable", "Sales", "Sales Tax Payable", "Undeposited Funds"}, 193);
    DBComboBox1->SetReadOnly(true);
}

TInsCompInfoDlg::TInsCompInfoDlg(TComponent* AOwner)
    : TRecordInfoDlg(AOwner, "Insurance Company Information", DataModule1->InsCompSource, 408, 298) {
    DBEdit1 = addEdit(Label1, "ID", 16, "ID", 0, 64);
    DBEdit1->SetReadOnly(true);
    DBEdit2 = addEdit(Label2, "Name", 48, "NAME", 25, 193);
    DBEdit3 = addEdit(Label3, "Address", 80, "ADDR", 25, 193);
    DBEdit4 = placeBound<TDBEdit>(this, EditLeft, 106, 193, RowHeight, source_, "ADDR2");
    DBEdit4->SetMaxLength(25);
    DBEdit5 = addEdit(Label4, "City/State/Zip", 138, "CITY", 15, 121);
    DBEdit6 = placeBound<TDBEdit>(this, EditLeft + 125, 138, 28, RowHeight, source_, "STATE");
    DBEdit6->SetMaxLength(2);
    DBEdit7 = placeBound<TDBEdit>(this, EditLeft + 157, 138, 88, RowHeight, source_, "ZIP");
    DBEdit7->SetMaxLength(10);
    DBEdit8 = addEdit(Label5, "Contact", 170, "CONTACT", 24, 193);
    DBEdit9 = addEdit(Label6, "Phone", 202, "PHONE", 13, 105);
}

TPatternInfoDlg::TPatternInfoDlg(TComponent* AOwner)
    : TRecordInfoDlg(AOwner, "Pattern Information", DataModule1->PatternSource, 392, 202) {
    SetPosition(poScreenCenter);
    DBEdit1 = addEdit(Label1, "ID", 16, "ID", 0, 97);
    DBEdit2 = addEdit(Label2, "Description", 48, "DESC", 0, 225);
    DBEdit3 = addEdit(Label3, "Manufacturer", 80, "MANF", 0, 225);
    DBEdit4 = addEdit(Label4, "Location", 112, "LOC", 0, 225);
}

void registerRecordInfoDialogs() {
    RegisterClasses<TCPTCodeInfoDlg, TDiagCodeInfoDlg, TPersonnelInfoDlg, TAccountInfoDlg, TInsCompInfoDlg,
                    TPatternInfoDlg>();
}
