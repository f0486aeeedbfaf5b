#pragma once
// The payment or refund as a document, without its window: the scratch
// header (temp3) and distribution (temp4) of the data module, and what the
// payment window does on them: start an empty payment, fill the distribution
// with a patient's open receipts, keep the header's figures in step, store
// the payment (payment record, detail rows, ledger, receipt and patient
// balances) in one document scope, open a stored payment and delete it with
// the reversal of all of that.
//
// The figures: P the payment applied (PYMTAPP, below zero for a refund), C
// the credit applied (CREDITAPP), T the total payment (AMOUNT) = P + C. The
// money received is P; the patient's balance moves by P.
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"

class TDataModule1;
class TRecordLocks;
class TTable;

class TPaymentDocument {
public:
    explicit TPaymentDocument(TDataModule1& Module);

    // Empty temp3 (one header dated Today) and temp4, every running total
    // zeroed. False after "Create Failed" when a table cannot be made.
    bool CreateTempFiles(TDateTime Today);

    // Starts the payment of patient PatID (named Name) over the patient's
    // receipts with a balance: positive ones add to the total due, negative
    // ones to the credit available.
    bool AddBalancesDue(const std::string& PatID, const std::string& Name, TDateTime Today);

    // The header's arithmetic: P takes the amount tendered when it is 0,
    // then T = P + C and the change = tendered - P.
    void TotalAmountPaid();
    // False, with "Credit applied cannot be larger than credit available."
    // and C set back to 0, when C exceeds the credit available; then
    // TotalAmountPaid either way.
    bool CheckCreditApplied();
    // The distribution flushed and the header recomputed.
    void CalcPayment();
    // False, with "Payment must be made against an open receipt." and the
    // amount set back to 0, when the current distribution row has no receipt.
    bool CheckRowHasReceipt();

    // Stores the payment. False with a message and nothing written when the
    // total payment and the total distribution differ, there is no patient,
    // both P and C are 0, C exceeds the credit available, an amount stands
    // on a row without a receipt, the date is empty, a receipt it applies to
    // was changed or deleted at another workstation since the distribution
    // was filled, or an amount or a balance it changes would not fit its field;
    // false with the error shown when writing failed part-way.
    bool SavePayment();
    // Loads stored payment PaymentID into the scratch tables. A payment whose
    // deposit detail is gone becomes undeposited again. False when no such
    // payment is stored (the form stays empty).
    bool OpenPayment(const std::string& PaymentID, TDateTime Today);
    // Deletes the opened payment after asking, with the reversal of its
    // postings and balances. False when it was deposited (said so), the
    // question was answered No, or nothing is stored under its number any
    // more: another workstation deleted it meanwhile (said so).
    bool DeletePayment();

    // The payment number stored or opened last ("" for a new payment).
    const std::string& PaymentID() const { return paymentID_; }
    // The deposit that holds the opened payment ("" when none).
    const std::string& DepositID() const { return depositID_; }

    // Header figures.
    Currency PaymentApplied() const;
    Currency CreditApplied() const;
    Currency TotalPayment() const;
    // The total of the amounts applied to receipts with a positive balance.
    Currency TotalDistribution() const;
    // The header is not empty of money owed or credit to use.
    bool HasBalancesDue() const;

private:
    // The tables a save or delete writes or finds its records by.
    std::vector<TTable*> documentTables() const;
    // Locks the receipts the distribution applies money to (with whatever
    // Locks already wants) and, for a save, reads each again: false, with
    // the receipt named and nothing written, when another workstation
    // changed its balance or deleted it since the distribution was filled,
    // or with the lock message when one is held.
    bool lockAppliedReceipts(TRecordLocks& Locks, bool Reversal);
    // False, with a message naming the field, when an amount of the payment
    // or a balance it changes would not fit its field.
    bool checkWidths();
    // "You cannot delete this payment because it has been deposited." and
    // the deposit that holds it.
    void refuseDeposited();
    void updateLedgerTable(bool Reversal);
    void updatePaymentTables();
    void updateReceiptBalance(bool Reversal);
    void updatePatientBalance(bool Reversal);
    Currency header(const char* Field) const;
    void setHeader(const char* Field, Currency Value);

    TDataModule1& module_;
    std::string paymentID_;
    std::string depositID_;
};
