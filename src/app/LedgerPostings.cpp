#include "app/LedgerPostings.h"

#include "app/Cents.h"
#include "app/DataModule.h"
#include "data/Fields.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace LedgerPostings {

namespace {

struct AccountTypeText {
    int account;
    const char* standard;
    const char* deposit;
};

constexpr AccountTypeText TypeTexts[] = {
    {1, "Sales", "Sales"},
    {2, "Sales Tax Payable", "Sales Tax Payable"},
    {3, "Undeposited Funds", "UnDeposited Funds"},
    {4, "Accounts Receivable", "Accounts Receivable"},
    {5, "Checking", "Checking"},
    {7, "Retained Earnings", "Retained Earnings"},
    {8, "Refund", "Refund"},
};

TLedgerRow row(int Account, Side OnSide, Currency Amount, const std::string& AcctNo, const std::string& PostRef,
               const std::string& Desc, TDateTime Date, Writer Who = Writer::Standard) {
    return TLedgerRow{Account, accountType(Account, Who), AcctNo, PostRef, Desc, Date, OnSide, Amount};
}

}  // namespace

std::string accountType(int Account, Writer Who) {
    for (const AccountTypeText& t : TypeTexts)
        if (t.account == Account)
            return Who == Writer::Deposit ? t.deposit : t.standard;
    return "";
}

bool CreditNormal(int Account) { return Account == 1 || Account == 2 || Account == 7 || Account == 8; }

void postLedgerRow(TDataModule1& Module, const TLedgerRow& Row) {
    writeLedgerRow(Module, Row);
    moveAccountBalance(Module, Row.Account, Row.Side, Row.Amount);
}

void writeLedgerRow(TDataModule1& Module, const TLedgerRow& Row) {
    TQmTable* ledger = Module.LedgerTable;
    ledger->Append();
    ledger->FieldByName("ACCOUNT")->SetAsString(std::to_string(Row.Account));
    ledger->FieldByName("TYPE")->SetAsString(Row.Type);
    if (!Row.AcctNo.empty())
        ledger->FieldByName("ACCTNO")->SetAsString(Row.AcctNo);
    ledger->FieldByName("POSTREF")->SetAsString(Row.PostRef);
    ledger->FieldByName("DESC")->SetAsString(Row.Desc);
    ledger->FieldByName("DATE")->SetAsDateTime(Row.Date);
    Cents::write(ledger->FieldByName(Row.Side == Side::Debit ? "DEBIT" : "CREDIT"), Row.Amount);
    Module.LedgerXbase->Commit();
}

void postLedgerRows(TDataModule1& Module, const std::vector<TLedgerRow>& Rows) {
    for (const TLedgerRow& r : Rows)
        postLedgerRow(Module, r);
}

bool moveAccountBalance(TDataModule1& Module, int Account, Side OnSide, Currency Amount) {
    TQmTable* accounts = Module.AccountTable;
    accounts->SetIndexName("ID");
    if (!Module.AccountXbase->Seek(std::to_string(Account)) || accounts->Eof())
        return false;
    const bool grows = (OnSide == Side::Credit) == CreditNormal(Account);
    accounts->Edit();
    TField* balance = accounts->FieldByName("BALANCE");
    Cents::write(balance, Cents::read(balance) + (grows ? Amount : -Amount));
    Module.AccountXbase->Commit();
    return true;
}

TLedgerRow Reversal(const TLedgerRow& Row) {
    TLedgerRow undone = Row;
    undone.Amount = -Row.Amount;
    if (Row.Desc == "Payment" || Row.Desc == "Refund")
        undone.Desc = "Reversal - " + Row.Desc;
    return undone;
}

std::vector<TLedgerRow> receiptRows(const TReceiptFigures& Now, const TReceiptFigures& Posted,
                                    const std::string& Receipt, const std::string& PatID, TDateTime Date) {
    std::vector<TLedgerRow> rows;
    const Currency zero;
    if (Now.SubTotal - Posted.SubTotal != zero)
        rows.push_back(row(1, Side::Credit, Now.SubTotal - Posted.SubTotal, PatID, Receipt, "Receipt", Date));
    if (Now.Tax - Posted.Tax != zero)
        rows.push_back(row(2, Side::Credit, Now.Tax - Posted.Tax, "", Receipt, "Receipt", Date));
    if (Now.Total - Posted.Total != zero)
        rows.push_back(row(4, Side::Debit, Now.Total - Posted.Total, PatID, Receipt, "Receipt", Date));
    return rows;
}

std::vector<TLedgerRow> receiptDeleteRows(const TReceiptFigures& Stored, const std::string& Receipt,
                                          const std::string& PatID, TDateTime Date) {
    std::vector<TLedgerRow> rows;
    rows.push_back(row(1, Side::Credit, -Stored.SubTotal, PatID, Receipt, "Receipt", Date));
    if (Stored.Tax != Currency())
        rows.push_back(row(2, Side::Credit, -Stored.Tax, "", Receipt, "Receipt", Date));
    rows.push_back(row(4, Side::Debit, -Stored.Total, PatID, Receipt, "Receipt", Date));
    return rows;
}

std::vector<TLedgerRow> PaymentRows(Currency P, Currency C, const std::string& Payment, const std::string& PatID,
                                    TDateTime Date) {
    std::vector<TLedgerRow> rows;
    const Currency zero;
    const Currency T = P + C;
    if (T != zero)
        rows.push_back(row(4, Side::Credit, T, PatID, Payment, "Payment", Date));
    if (C != zero)
        rows.push_back(row(4, Side::Debit, C, PatID, Payment, "Payment", Date));
    if (P > zero)
        rows.push_back(row(3, Side::Debit, P, "", Payment, "Payment", Date));
    if (P < zero)
        rows.push_back(row(8, Side::Credit, -P, "", Payment, "Refund", Date));
    return rows;
}

std::vector<TLedgerRow> DepositRows(Currency Total, const std::string& Deposit, TDateTime Date) {
    return {row(3, Side::Credit, Total, "", Deposit, "Deposit", Date, Writer::Deposit),
            row(5, Side::Debit, Total, "", Deposit, "Deposit", Date, Writer::Deposit)};
}

}  // namespace LedgerPostings
