#pragma once
// Patients with open receipts for the statement and aging tests, added to
// the shop fixture (whose clock stands at 15 March 2024). Each receipt is a
// Sales.dbf record without tax, due daysOverdue days before today (dated 30
// days before its due date), posted to the ledger on its date through the
// program's posting service; a paid part is posted as a cash payment the day
// after unless said otherwise. A patient's BALANCE is the sum of the balances of its receipts.
//
// FX-A   patient 3 "Carter" (billed to "Carter Holdings"): 10.00, 20.00,
//        30.00, 40.00 and 50.00 due 3/20, 3/15, 3/5, 1/30 and 12/6/2023.
// FX-A2  patient 4 "Fisher": 30.00 due 10 days ago, 40.00 due 35 days ago.
// FX-B   patients 21-29 "B 1" ... "B 9": 1.00 each, due -1, 0, 1, 30, 31,
//        60, 61, 90 and 91 days ago.
// FX-L   patient 6 "Long": receipts of 10.00, 20.00 ... 100.00 dated 1-10
//        January 2024 and four payments of 25.00 on 11-14 January: 14
//        receivable rows, balance 450.00.
// Odd    patient 7 "Dunn", no address and no bill-to, a credit of -12.50
//        (10.00 paid with 22.50); patient 8 "Evans" at 0.00 (20.00 paid);
//        patient 9 with a 30-character name owing 5.00.
// Limit  patient 10 "Max" owing 9,999,999.99 (the field's limit), posted
//        without moving the account balances.
#include <string>
#include <vector>

#include "base/Currency.h"
#include "support/CompanyFixture.h"

class TDataModule1;

namespace StatementFixture {

struct TOpenReceipt {
    int Receipt = 0;
    int Patient = 0;
    int daysOverdue = 0;
    Currency Total;
    Currency Paid;
    // Overrides the date 30 days before the due date (FX-L's January dates).
    std::string Date;
    // Overrides the day after the receipt's date for the payment.
    std::string PaidOn;
};

struct TStatementSet {
    std::vector<CompanyFixture::Row> Patients;  // BALANCE is filled in from the receipts
    std::vector<TOpenReceipt> Receipts;
    bool MoveBalances = true;
};

TStatementSet FxA();
TStatementSet FxA2();
TStatementSet FxB();
TStatementSet FxL();
TStatementSet OddPatients();
TStatementSet FieldLimit();

// The patients and their receipts, written into the company's tables.
void Add(const std::string& DataDirectory, const TStatementSet& Set);
// Their ledger rows, through the posting service.
void Post(TDataModule1& Module, const TStatementSet& Set);
// A receipt's due date as "yyyymmdd".
std::string DueDate(const TOpenReceipt& Receipt);

}  // namespace StatementFixture
