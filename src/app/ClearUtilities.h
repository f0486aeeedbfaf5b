#pragma once
// Emptying the money tables of the open company: receipts, payments,
// deposits and the ledger are cleared whole (the table is opened for
// exclusive use, zapped, and opened for shared use again, so the company
// stays usable); patient and account balances are set to 0 record by record.
// The hidden Utilities > Clear menu runs them, and the account-balance
// rebuild uses the three that start it afresh.
//
// A table that another workstation has open is not cleared: "Could not open
// Table(s) exclusively!" is shown and the next table is tried.
class TDataModule1;

namespace ClearUtilities {

// SALES.DBF and SALESDTL.DBF.
void ClearReceipts(TDataModule1& Module);
// Pymt.dbf.
void ClearPayments(TDataModule1& Module);
// DEPOSIT.DBF and deposdtl.dbf.
void ClearDeposits(TDataModule1& Module);
// LEDGER.DBF.
void ClearLedger(TDataModule1& Module);
// Every patient's Balance := 0, each record posted.
void ClearPatientBalances(TDataModule1& Module);
// Every account's Balance := 0, each record posted.
void ClearChartofAccounts(TDataModule1& Module);
// Patient balances, account balances, then the receipt, ledger, payment and
// deposit tables, in that order.
void clearAll(TDataModule1& Module);

}  // namespace ClearUtilities
