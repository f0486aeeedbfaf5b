#pragma once
// The scan of one receipt's lines that the sales-by-date reports share: the
// lines are found through SALESDTL's numeric receipt tag, each line's item
// through ITEM's ID tag by its exact, upper-cased number; an "Adjustment"
// item's amount counts as an adjustment, any other line's negative amount
// (its item missing included) as a discount or return. Window messages are
// processed now and then while it reads.
#include <string>

#include "base/Currency.h"

class TTable;
class TXbase;

struct TLineFigures {
    Currency Adjustments;
    Currency Discounts;
};

struct TReceiptLineTables {
    TTable* Lines;      // SALESDTL on its "RECEIPT" tag
    TXbase* LinesXbase;
    TTable* Items;      // ITEM on its "ID" tag
    TXbase* ItemsXbase;
};

// The receipt number's text as the receipt tables hold it ("1001").
std::string receiptText(double Receipt);

// The adjustments and discounts of the receipt's lines.
TLineFigures scanReceiptLines(const TReceiptLineTables& Tables, const std::string& Receipt);
