#pragma once
// The one posting service of the books. It writes every ledger row of the
// program (through the data module's ledger table, which numbers it), moves
// the posted account's running balance by the account's normal side, builds
// reversals, and holds the row sets of the receipt, the payment and the
// deposit, so forms only gather figures and the balance rebuild reuses the
// same writer. Nothing else writes Ledger.dbf or Acct.dbf's BALANCE.
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"

class TDataModule1;

namespace LedgerPostings {

enum class Side { Debit, Credit };

// Account 3 is written with two spellings: "Undeposited Funds" by payments
// and the rebuild, "UnDeposited Funds" by deposits.
enum class Writer { Standard, Deposit };

// The TYPE text of an account as the given writer writes it ("" for 6 and unknown).
std::string accountType(int Account, Writer Who = Writer::Standard);
// Accounts 1, 2, 7 and 8 grow with credits; 3, 4, 5 and 6 with debits.
bool CreditNormal(int Account);

struct TLedgerRow {
    int Account = 0;
    std::string Type;
    std::string AcctNo;   // the patient number, or "" where the row has none
    std::string PostRef;  // the document's canonical number
    std::string Desc;
    TDateTime Date;
    ::LedgerPostings::Side Side = Side::Debit;
    Currency Amount;

    friend bool operator==(const TLedgerRow&, const TLedgerRow&) = default;
};

// Appends the row to the ledger and commits it, then moves its account's
// balance. An account that is not in the chart leaves the row written and
// no balance moved.
void postLedgerRow(TDataModule1& Module, const TLedgerRow& Row);
// Appends the row to the ledger and commits it, leaving every balance as it
// is: the balance rebuild moves the balances once, at its end.
void writeLedgerRow(TDataModule1& Module, const TLedgerRow& Row);
void postLedgerRows(TDataModule1& Module, const std::vector<TLedgerRow>& Rows);
// Adds Amount on Side to the account's BALANCE by its normal side; false,
// with nothing changed, when the account is not in the chart.
bool moveAccountBalance(TDataModule1& Module, int Account, Side OnSide, Currency Amount);

// The row undone: the same account, side and fields with the amount negated;
// "Reversal - " goes in front of a payment's or refund's description, a
// deposit keeps "Deposit".
TLedgerRow Reversal(const TLedgerRow& Row);

// A receipt's figures as posted: the row set posts the differences between
// two of these.
struct TReceiptFigures {
    Currency SubTotal;
    Currency Tax;
    Currency Total;
};

// The rows of a receipt save: sales credit, tax credit and receivable debit
// of the differences Now - Posted, each only when not zero.
std::vector<TLedgerRow> receiptRows(const TReceiptFigures& Now, const TReceiptFigures& Posted,
                                    const std::string& Receipt, const std::string& PatID, TDateTime Date);
// The rows of a receipt delete: the stored figures negated (sales and
// receivable always, tax when not zero), with the patient as the save writes it.
std::vector<TLedgerRow> receiptDeleteRows(const TReceiptFigures& Stored, const std::string& Receipt,
                                          const std::string& PatID, TDateTime Date);
// The rows of a payment: P the money received (negative for a refund), C
// the credit applied, T = P + C.
std::vector<TLedgerRow> PaymentRows(Currency P, Currency C, const std::string& Payment, const std::string& PatID,
                                    TDateTime Date);
// The two rows of a deposit: account 3 credited, account 5 debited.
std::vector<TLedgerRow> DepositRows(Currency Total, const std::string& Deposit, TDateTime Date);

}  // namespace LedgerPostings
