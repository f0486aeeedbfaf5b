#pragma once
// The printed deposit record: one page with the deposit's date, the bank
// account, the deposit number, the shop's letterhead, the category amounts
// (currency and coins, or the card batch) and one line per deposited check
// or charge item with their total and the deposit's total. The page is
// drawn on the running report of the deposit window's report runner.
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"

class TBaseReport;
class TDataModule1;
class TDepositDocument;

struct TDepositRecord {
    struct TItem {
        std::string Name;
        std::string Number;
        std::string Type;
        Currency Amount;
        bool Ticked = false;
    };
    TDateTime Date;
    std::string BatchNo;
    std::string DepositID;
    // 0 "Currency and Checks", 1 "Charges".
    int Type = 0;
    Currency CurrencyAmount;
    Currency Coins;
    std::vector<TItem> Items;
    // From the company's settings.
    std::string BankAccountNo;
    std::string ReceiptName, ReceiptAddress1, ReceiptAddress2, ReceiptCity, ReceiptState, ReceiptZip, ReceiptPhone;
};

// The deposit on screen: the scratch header and items in their order, the
// document's totals and number, and the company's settings.
TDepositRecord depositRecordOf(TDataModule1& Module, const TDepositDocument& Document);

// Draws the record on Report, which measures in inches.
void printDepositRecord(TBaseReport& Report, const TDepositRecord& Record);
