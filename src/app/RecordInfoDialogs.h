#pragma once
// The small dialogs that edit the current record of a simple table straight
// through the data module's data sources: procedure codes, diagnosis codes,
// personnel, chart-of-accounts entries, insurance carriers and frame
// patterns. Each is opened without waiting by its lookup list, found by
// class name once registerRecordInfoDialogs has run.
//
// All six share one behaviour (TRecordInfoDlg): OK posts the record only
// when it is being edited or inserted and was modified, then closes; a
// failure of the dataset layer (a record locked by another user, a required
// field left empty) is shown and the dialog stays open; the Cancel button
// is hidden and disabled; the dialog frees itself when closed.
#include <string>
#include <vector>

#include "ui/Forms.h"

class TBitBtn;
class TDataSource;
class TDataSet;
class TDBComboBox;
class TDBEdit;
class TLabel;

class TRecordInfoDlg : public TForm {
public:
    TRecordInfoDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source, int Width, int Height);

    TBitBtn* BitBtn1;  // OK
    TBitBtn* BitBtn2;  // Cancel, never shown

    void BitBtn1Click(TObject* Sender);
    void BitBtn2Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

protected:
    // A caption label and, beside it, an edit of the source's field; a
    // MaxLength of 0 leaves the field's size as the limit.
    TDBEdit* addEdit(TLabel*& Label, const std::string& Caption, int Top, const std::string& Field, int MaxLength,
                     int Width);
    TDBComboBox* addCombo(TLabel*& Label, const std::string& Caption, int Top, const std::string& Field,
                          const std::vector<std::string>& Items, int Width);

    TDataSource* source_;

private:
    TDataSet* dataSet() const;
};

// One captioned row of a record dialog: the field it edits, its length limit
// (0: the field's size) and the width of its control.
struct TRecordInfoRow {
    const char* Caption;
    const char* Field;
    int MaxLength;
    int Width;
};

// Two edits over a combo box, rows 32 pixels apart: the code and account
// dialogs.
class TEditsComboInfoDlg : public TRecordInfoDlg {
public:
    TLabel* Label1; TDBEdit* DBEdit1;
    TLabel* Label2; TDBEdit* DBEdit2;
    TLabel* Label3; TDBComboBox* DBComboBox1;

protected:
    TEditsComboInfoDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source,
                       const TRecordInfoRow (&Edits)[2], const TRecordInfoRow& Combo,
                       const std::vector<std::string>& Items);
};

// Four edits, rows 32 pixels apart: the personnel and pattern dialogs.
class TFourEditsInfoDlg : public TRecordInfoDlg {
public:
    TLabel* Label1; TDBEdit* DBEdit1;
    TLabel* Label2; TDBEdit* DBEdit2;
    TLabel* Label3; TDBEdit* DBEdit3;
    TLabel* Label4; TDBEdit* DBEdit4;

protected:
    TFourEditsInfoDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source,
                      const TRecordInfoRow (&Edits)[4]);
};

class TCPTCodeInfoDlg : public TEditsComboInfoDlg {
public:
    explicit TCPTCodeInfoDlg(TComponent* AOwner);  // "ID", "DESC", "CATEGORY"
};

class TDiagCodeInfoDlg : public TEditsComboInfoDlg {
public:
    explicit TDiagCodeInfoDlg(TComponent* AOwner);  // "ID", "DESC", "CATEGORY"
};

class TPersonnelInfoDlg : public TFourEditsInfoDlg {
public:
    explicit TPersonnelInfoDlg(TComponent* AOwner);  // "NAME", "ID", "RECNAME", "SIGFILE" hidden
};

class TAccountInfoDlg : public TEditsComboInfoDlg {
public:
    explicit TAccountInfoDlg(TComponent* AOwner);  // "NAME", "BALANCE", "TYPE"
};

class TInsCompInfoDlg : public TRecordInfoDlg {
public:
    explicit TInsCompInfoDlg(TComponent* AOwner);
    TLabel* Label1; TDBEdit* DBEdit1;  // "ID"
    TLabel* Label2; TDBEdit* DBEdit2;  // "NAME"
    TLabel* Label3; TDBEdit* DBEdit3;  // "ADDR"
    TDBEdit* DBEdit4;                  // "ADDR2"
    TLabel* Label4; TDBEdit* DBEdit5;  // "CITY"
    TDBEdit* DBEdit6;                  // "STATE"
    TDBEdit* DBEdit7;                  // "ZIP"
    TLabel* Label5; TDBEdit* DBEdit8;  // "CONTACT"
    TLabel* Label6; TDBEdit* DBEdit9;  // "PHONE"
};

class TPatternInfoDlg : public TFourEditsInfoDlg {
public:
    explicit TPatternInfoDlg(TComponent* AOwner);  // "ID", "DESC", "MANF", "LOC"
};

// Registers the six dialog classes so the lists open them by name.
void registerRecordInfoDialogs();
