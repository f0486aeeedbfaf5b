#pragma once
// What the monthly and the carry-out statements print alike: the shop's
// letterhead from Company.ini [Receipt], the patient's address lines, the
// aging of the patient's open receipts, the patient's receivable rows with
// their running balance (only the last ten printed), the date and account
// boxes, the transaction table and the aging boxes with "Total Due".
// Positions are inches from the page's top-left corner.
#include <array>
#include <string>

#include "base/Currency.h"
#include "base/DateTime.h"
#include "reports/AgingBuckets.h"

class TBaseReport;
class TDataModule1;
class TDataSet;
class TTable;
class TXbase;
class TBitmap;

namespace Statement {

using TLines3 = std::array<std::string, 3>;
using TLines5 = std::array<std::string, 5>;

// Company.ini [Receipt] of the data folder: name, the two address lines,
// "City, State Zip" and the phone; empty lines when the file or a key is
// missing or cannot be read (the city line too when city, state and zip all are).
TLines5 Letterhead(const std::string& DataDirectory);
// The patient's name, street and "City, State Zip" (empty without all three).
TLines3 patientLines(TDataSet& Patient);
// The bill-to party's lines; the patient's own when BillName is empty.
TLines3 billToLines(TDataSet& Patient);
// The patient's number as text; "" when the record has none (blank or 0).
std::string patientNumber(TDataSet& Patient);
// The account number of the boxes and the ledger's key: the patient number
// padded with blanks on the right to 10 characters.
std::string accountNumber(const std::string& patientNumber);
// Today as the statements print it ("m/d/yyyy").
std::string statementDate();

// The patient's receipts aged by their due dates as of today. The sales
// table is put on its "PatID" order, scoped to the patient, read, and left
// on that order with the scope cleared.
TAgingTotals ageReceipts(TDataModule1& Module, const std::string& patientNumber);

// The receivable rows of one patient (account 4, in date order) on a
// statement's own ledger table, with the running balance; only the last
// ten rows print, the earlier ones only add to the balance.
class TReceivableRows {
public:
    TReceivableRows(TTable* Ledger, TXbase* Engine) : ledger_(Ledger), engine_(Engine) {}

    // Scopes the ledger to the account and goes to its first row; a blank
    // account scopes nothing and has no rows.
    void start(const std::string& accountNumber);
    // True when no row is left to print (or there never was one).
    bool done();
    // Adds the current row to the balance and prints it on the four
    // transaction stops when it is one of the last ten. Nothing without a row.
    void printRow(TBaseReport& Report);
    // Moves to the next row.
    void next();
    int rowCount() const { return rowCount_; }

private:
    TTable* ledger_;
    TXbase* engine_;
    bool scoped_ = false;
    int rowCount_ = 0;
    int rowNumber_ = 0;
    Currency balance_;
};

// The pair of scissors the tear-off line carries, 128 x 128 pixels, black on white.
void drawScissors(TBitmap& Picture);

// Grey $E8E8E8 and white filled rectangles with the black pen.
void greyRect(TBaseReport& Report, double X1, double Y1, double X2, double Y2);
void whiteRect(TBaseReport& Report, double X1, double Y1, double X2, double Y2);
void verticalLine(TBaseReport& Report, double X, double Y1, double Y2);

// The "Date" / "Account Number" heading from Top, its values below.
void dateAccountBox(TBaseReport& Report, double Top, const std::string& Date, const std::string& Account);
// The transaction table: heading bar from Top, the columns' rules, the
// Arial 12 headings.
void transactionTable(TBaseReport& Report, double Top);
// The four stops of the transaction lines.
void transactionStops(TBaseReport& Report);
// The aging boxes from Top: headings, the five buckets and "Total Due".
void agingBoxes(TBaseReport& Report, double Top, const TAgingTotals& Aging);

}  // namespace Statement
