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
// The rows of the two layouts; the dialog's width, and its height beside
// its rows.
constexpr int FirstRowTop = 16;
constexpr int RowStep = 32;
constexpr int DialogWidth = 392;
constexpr int DialogFrame = 74;

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

// ---------------------------------------------------------------- the two layouts

TEditsComboInfoDlg::TEditsComboInfoDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source,
                                       const TRecordInfoRow (&Edits)[2], const TRecordInfoRow& Combo,
                                       const std::vector<std::string>& Items)
    : TRecordInfoDlg(AOwner, Caption, Source, DialogWidth, DialogFrame + 3 * RowStep) {
    TLabel** labels[] = {&Label1, &Label2};
    TDBEdit** edits[] = {&DBEdit1, &DBEdit2};
    for (int i = 0; i < 2; ++i)
        *edits[i] = addEdit(*labels[i], Edits[i].Caption, FirstRowTop + i * RowStep, Edits[i].Field,
                            Edits[i].MaxLength, Edits[i].Width);
    DBComboBox1 = addCombo(Label3, Combo.Caption, FirstRowTop + 2 * RowStep, Combo.Field, Items, Combo.Width);
}

TFourEditsInfoDlg::TFourEditsInfoDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source,
                                     const TRecordInfoRow (&Edits)[4])
    : TRecordInfoDlg(AOwner, Caption, Source, DialogWidth, DialogFrame + 4 * RowStep) {
    TLabel** labels[] = {&Label1, &Label2, &Label3, &Label4};
    TDBEdit** edits[] = {&DBEdit1, &DBEdit2, &DBEdit3, &DBEdit4};
    for (int i = 0; i < 4; ++i)
        *edits[i] = addEdit(*labels[i], Edits[i].Caption, FirstRowTop + i * RowStep, Edits[i].Field,
                            Edits[i].MaxLength, Edits[i].Width);
}

// ---------------------------------------------------------------- the six dialogs

TCPTCodeInfoDlg::TCPTCodeInfoDlg(TComponent* AOwner)
    : TEditsComboInfoDlg(AOwner, "CPT Code Information", DataModule1->CPTCodeSource,
                         {{"CPT Code", "ID", 5, 64}, {"Description", "DESC", 30, 225}},
                         {"Category", "CATEGORY", 0, 225}, {}) {}

TDiagCodeInfoDlg::TDiagCodeInfoDlg(TComponent* AOwner)
    : TEditsComboInfoDlg(AOwner, "Diagnosis Code Information", DataModule1->DiagCodeSource,
                         // The code's edit is as long as the field: five would cut the longer codes.
                         {{"Diagnosis Code", "ID", 6, 64}, {"Description", "DESC", 30, 225}},
                         {"Category", "CATEGORY", 0, 225}, {""}) {
    SetPosition(poScreenCenter);
}

TPersonnelInfoDlg::TPersonnelInfoDlg(TComponent* AOwner)
    : TFourEditsInfoDlg(AOwner, "Personnel Info", DataModule1->PersonnelSource,
                        {{"Name", "NAME", 30, 225}, {"ID", "ID", 0, 64}, {"Indexed as", "RECNAME", 30, 225},
                         {"Signature Filename", "SIGFILE", 30, 225}}) {
    Label4->SetVisible(false);
    DBEdit4->SetVisible(false);
}

TAccountInfoDlg::TAccountInfoDlg(TComponent* AOwner)
    : TEditsComboInfoDlg(AOwner, "Account Info", DataModule1->AccountSource,
                         {{"Account Name", "NAME", 25, 193}, {"Balance", "BALANCE", 0, 97}},
                         {"Account Type", "TYPE", 0, 193},
                         {"Accounts Receivable", "Sales", "Sales Tax Payable", "Undeposited Funds"}) {
    DBEdit1->SetReadOnly(true);
    DBEdit2->SetReadOnly(true);
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
    : TFourEditsInfoDlg(AOwner, "Pattern Information", DataModule1->PatternSource,
                        {{"ID", "ID", 0, 97}, {"Description", "DESC", 0, 225}, {"Manufacturer", "MANF", 0, 225},
                         {"Location", "LOC", 0, 225}}) {
    SetPosition(poScreenCenter);
}

void registerRecordInfoDialogs() {
    RegisterClasses<TCPTCodeInfoDlg, TDiagCodeInfoDlg, TPersonnelInfoDlg, TAccountInfoDlg, TInsCompInfoDlg,
                    TPatternInfoDlg>();
}
