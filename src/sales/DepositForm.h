#pragma once
// TDepositForm: the bank deposit window. It lists the payments not yet
// deposited, lets the user tick those that go to the bank together (a
// "Currency and Checks" deposit or a "Charges" deposit), keeps the totals by
// category, stores the deposit, opens a stored one read-only and deletes it.
// Its figures and the storing are the deposit document's
// (DepositDocument.h); the window keeps the controls' states and asks the
// user. One window at a time (the scratch tables temp5 and temp6 are one
// pair), opened by class name from the menu.
//
// TAddPaymentNumberForm, "Add Payment Number": gives a stored deposit's
// item that lost its payment number a payment of the same amount.
#include <memory>
#include <string>

#include "ui/Forms.h"

class TBevel;
class TBitBtn;
class TDBEdit;
class TDBKingDlg;
class TDepositDocument;
class TLabel;
class TPanel;
class TQmDBGrid;
class TQmDBLookupCombo;
class TRadioGroup;
class TReportSystem;

class TDepositForm : public TForm {
public:
    explicit TDepositForm(TComponent* AOwner);
    ~TDepositForm() override;

    TDBKingDlg* DateDBKingDlg;
    TRadioGroup* TypeDepositRadioGroup;
    TQmDBGrid* DepositDBGrid;
    TLabel* CurrencyCaption;
    TBevel* CurrencyBevel;
    TLabel* CurrencyLabel;
    TLabel* CoinsCaption;
    TDBEdit* CoinsDBEdit;
    TLabel* ChecksCaption;
    TBevel* ChecksBevel;
    TLabel* ChecksLabel;
    TLabel* BatchNoCaption;
    TDBEdit* BatchNoDBEdit;
    TLabel* TotalCaption;
    TBevel* TotalBevel;
    TLabel* TotalLabel;
    TPanel* ButtonPanel;
    TBitBtn* SaveBtn;
    TBitBtn* OpenBtn;
    TBitBtn* PrintBtn;
    TBitBtn* DeleteBtn;
    TBitBtn* NewBtn;
    // Prints the deposit record of the deposit on screen.
    TReportSystem* ReportSystem1;

    // A fresh deposit: every undeposited payment listed, nothing ticked.
    void FormCreate();
    void FormShow(TObject* Sender);
    void TypeDepositRadioGroupClick(TObject* Sender);
    void DepositDBGridDblClick(TObject* Sender);
    void DepositDBGridKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void DepositDBGridColEnter(TObject* Sender);
    // The type choice is open only while nothing is ticked.
    void DepositDBGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void DepositDBGridKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void DepositDBGridMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void NextRecord();
    // Leaving the coins or batch edit.
    void CalcDeposit2(TObject* Sender);
    void SaveBtnClick(TObject* Sender);
    void OpenBtnClick(TObject* Sender);
    void OpenDeposit();
    void DeleteBtnClick(TObject* Sender);
    void NewBtnClick(TObject* Sender);
    void PrintBtnClick(TObject* Sender);
    // Draws the deposit record on the running report (Sender).
    void ReportSystem1Print(TObject* Sender);
    void ReportSystem1BeforePrint(TObject* Sender);
    void ReportSystem1AfterPrint(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    TDepositDocument& Document() { return *document_; }
    // A deposit was saved in this window: closing asks nothing.
    bool Saved() const { return saved_; }

private:
    void placeControls();
    // Amounts and coins show their cents ("40.00"); the scratch tables'
    // fields are made anew with every deposit.
    void showMoneyInCents();
    void showTotals();
    // The controls of a currency-and-checks deposit, or of a charges one.
    void showTypeControls();
    // An opened deposit is read-only; only Open, Print, Delete and New act.
    void setOpenedState(bool Opened);

    std::unique_ptr<TDepositDocument> document_;
    bool saved_ = false;
    // The type choice is being set from a stored deposit, not by the user.
    bool settingType_ = false;
};

class TAddPaymentNumberForm : public TForm {
public:
    explicit TAddPaymentNumberForm(TComponent* AOwner);

    TDBEdit* NameDBEdit;
    TDBEdit* AmountDBEdit;
    TDBEdit* NumberDBEdit;
    TDBEdit* TypeDBEdit;
    TLabel* MessageLabel;
    TQmDBLookupCombo* PaymentIDEdit;
    TBitBtn* OKBtn;
    TBitBtn* CancelBtn;

    void FormCreate();
    void OKBtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

private:
    bool confirmed_ = false;
};

// Makes TDepositForm known by class name, as a single-instance window.
void registerDepositForm();
