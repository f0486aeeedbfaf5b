#pragma once
// The receipt as a document, without its window: the scratch header (temp1)
// and lines (temp2) of the data module, the receipt's rate and the figures
// last posted, and the operations the receipt window runs on them: start a
// new receipt, open a stored one with its lab orders, compute the totals
// from the lines, save it into the company tables (sales record, detail
// rows, lab orders, stock, ledger, account and patient balances) and delete
// it with the reversal of all of that. Each save and delete is written in
// one document scope.
#include <functional>
#include <string>
#include <vector>

#include "app/Cents.h"
#include "app/LedgerPostings.h"

class TDataModule1;
class TDataSet;
class TRecordLocks;
class TTable;

class TReceiptDocument {
public:
    // DefaultRate: the company's sales tax rate, which new receipts take.
    TReceiptDocument(TDataModule1& Module, Cents::TaxRate DefaultRate);

    // Builds empty temp1 and temp2, each with one blank record. False after
    // "Create Failed" when a table cannot be made.
    bool CreateTempFiles();
    // A new, empty receipt dated Today.
    bool CreateNewReceipt(TDateTime Today);
    // Loads the stored receipt Receipt (any text that names a number: the
    // list's padded choice, a typed number) with its lines and lab orders.
    // A text that is not a number is refused with a message (false); a
    // number not stored opens an empty receipt under the default rate.
    bool OpenReceipt(const std::string& Receipt);
    // Copies the stored lab order of the current temp2 line into it.
    void LoadFromLabRxTable();

    // The figures of the lines now in temp2, by the cents rule.
    LedgerPostings::TReceiptFigures Totals() const;
    // The quantity the current line of Lines (temp2) is charged, counted in
    // stock, stored and printed for: its Qty, or 1 when that is blank or 0
    // on a line that sells an item or has a price. An empty line keeps 0.
    static Currency LineQuantity(TDataSet* Lines);

    // Stores the receipt. False, with a message and nothing written, when
    // the date is empty or its due date is off the calendar, an amount does
    // not fit its field, a controlled item has a fraction of a unit, the
    // receipt index points at another receipt, or another workstation
    // deleted the receipt meanwhile; false, with the error shown, when
    // writing failed part-way. The postings are the difference to the
    // figures stored when the save begins, whoever stored them.
    bool SaveReceipt();
    // Deletes the stored receipt on screen with its lines, lab orders,
    // stock and postings, then starts a new receipt. False, with the
    // payment named, while a payment still applies to it.
    bool DeleteReceipt(TDateTime Today);

    // Runs after a new receipt marked "Bill Insurance" was stored (the
    // claims side sets it), with the receipt's number.
    std::function<void(const std::string& Receipt)> CreateClaim;

    bool NewReceiptFlag() const { return newReceipt_; }
    const std::string& ReceiptNumber() const { return number_; }
    Cents::TaxRate ReceiptTaxRate() const { return rate_; }
    void SetReceiptTaxRate(Cents::TaxRate Rate) { rate_ = Rate; }
    const LedgerPostings::TReceiptFigures& Posted() const { return posted_; }

private:
    // Refuses figures that do not fit their fields (message naming them).
    bool checkWidths(const LedgerPostings::TReceiptFigures& Now);
    // Refuses an empty Date and a due date (Date + Terms) off the calendar.
    bool checkDates();
    // Locks the sales record the table stands on and reads it again; false,
    // with the receipt named, when another workstation deleted it meanwhile,
    // or with the lock message when it is held.
    bool lockStored(TRecordLocks& Locks, const std::string& Number);
    void updateSalesTables(const LedgerPostings::TReceiptFigures& Now);
    void updateSalesMasterRecord(const LedgerPostings::TReceiptFigures& Now);
    void updateItemTable();
    void updateSalesDetailTable();
    void updateLabRxTable(int Item);
    void deleteLabRx(int Item);
    void updatePatientBalance(Currency Change);
    // Adds Change to the stock of a controlled item; nothing for others.
    void moveStock(const std::string& Code, Currency Qty, int Sign);
    Currency paymentsApplied();
    void showError(const std::string& Message);
    // The tables a save or delete writes or finds its records by.
    std::vector<TTable*> documentTables() const;

    TDataModule1& module_;
    Cents::TaxRate defaultRate_;
    Cents::TaxRate rate_;
    bool newReceipt_ = true;
    std::string number_;
    LedgerPostings::TReceiptFigures posted_;
};
