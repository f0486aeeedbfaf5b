#pragma once
// TPaymentForm: the payments and refunds window. It takes one payment or
// refund from one patient and spreads it over the patient's receipts with a
// balance, opens a stored payment read-only and deletes it, prints the
// walk-out statement and opens the cash drawer. Its figures and the storing
// are the payment document's (PaymentDocument.h); the window keeps the
// controls' states and asks the user. One window at a time, modal, opened
// by class name from the menu and from the receipt's Payment button.
//
// The cash drawer's port is opened once, when the window is made, and is
// closed whichever way the window goes.
#include <memory>
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TCashDrawer;
class TDBComboBox;
class TDBEdit;
class TDBKingDlg;
class TEdit;
class TLabel;
class TPanel;
class TPaymentDocument;
class TQmDBGrid;
class TSerComPort;
class TWinControl;

class TPaymentForm : public TForm {
public:
    explicit TPaymentForm(TComponent* AOwner);
    ~TPaymentForm() override;

    TDBKingDlg* DBKingDlg1;
    TDBComboBox* PaidWithDBCombo;
    TLabel* CheckNumberLabel;
    TDBEdit* CheckNoDBEdit;
    TDBEdit* AccountDBEdit;
    TBitBtn* AccountBitBtn;
    TDBEdit* PatientDBEdit;
    TQmDBGrid* PaymentDBGrid;
    TLabel* BalanceLabel;
    TDBEdit* BalanceDBEdit;
    TLabel* CreditLabel;
    TDBEdit* CreditDBEdit;
    TLabel* NetBalanceDueLabel;
    TDBEdit* NetBalanceDueDBEdit;
    TDBEdit* TenderedDBEdit;
    TDBEdit* PaymentAppliedDBEdit;
    TDBEdit* CreditAppDBEdit;
    TDBEdit* AmountPaidDBEdit;
    TDBEdit* ChangeDBEdit;
    TDBEdit* DBEdit1;
    TEdit* TotalDistributionEdit;
    TPanel* ButtonPanel;
    TBitBtn* SaveBtn;
    TBitBtn* OpenBitBtn;
    TBitBtn* CashDrawerBtn;
    TBitBtn* DeleteBtn;
    TBitBtn* NewBtn;
    TBitBtn* StatementBtn;
    TSerComPort* SerComPort1;

    // Resets the window to an empty payment (the drawer's port stays).
    void FormCreate();
    void CreateTempFiles();
    void AccountBitBtnClick(TObject* Sender);
    // Fills the distribution: for the header's patient when Sender is this
    // window, else for the patient the patient table stands on.
    void AddBalancesDue(TObject* Sender);
    // Opens date, tender, check number, amounts and the distribution for
    // typing a new payment.
    void openForEntry();
    void PaidWithDBComboChange(TObject* Sender);
    void TotalAmountPaid(TObject* Sender);
    void CreditAppDBEditExit(TObject* Sender);
    void CalcPayment();
    void PaymentDBGridColEnter(TObject* Sender);
    void PaymentDBGridColExit(TObject* Sender);
    void PaymentDBGridEnter(TObject* Sender);
    void PaymentDBGridKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void NextRecord();
    void DBEdit1Change(TObject* Sender);
    void FormActivate(TObject* Sender);
    void CashDrawerBtnClick(TObject* Sender);
    void StatementBtnClick(TObject* Sender);
    void NewBtnClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void SaveBtnClick(TObject* Sender);
    void OpenBitBtnClick(TObject* Sender);
    void OpenPayment();
    void DeleteBtnClick(TObject* Sender);

    TPaymentDocument& Document() { return *document_; }
    // A payment was saved or opened (or New pressed): closing asks nothing.
    bool StoredPayment() const { return storedPayment_; }

private:
    void placeControls();
    // Money figures show their cents ("20.00").
    void showMoneyInCents();
    // The entry state after a patient is chosen: editable when anything is
    // due or in credit, read-only otherwise.
    void setEntryState();
    void showBalances(bool Visible);
    void showTotalDistribution();

    std::unique_ptr<TPaymentDocument> document_;
    std::unique_ptr<TCashDrawer> cashDrawer_;
    bool storedPayment_ = false;
};

// Makes TPaymentForm known by class name, as a single-instance window.
void registerPaymentForm();

