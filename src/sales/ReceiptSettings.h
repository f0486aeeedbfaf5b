#pragma once
// The company settings the receipt window reads: the sales tax rates, the
// number of printed copies, the receipt message and the letterhead. A rate
// or copy count stored as text that is not a number does not stop the
// window: it counts as 0 (one copy for the count) and one message names the
// key.
#include <string>

#include "app/Cents.h"

namespace ReceiptSettings {

// [Configuration] SalesTaxRate of the company in DataDirectory.
Cents::TaxRate SalesTaxRate(const std::string& DataDirectory);
// [Configuration] AltTaxRate.
Cents::TaxRate AltTaxRate(const std::string& DataDirectory);
// The two rate texts as stored (for the rate dialog's list), each replaced
// by "0" (after the message) when it is no number.
std::string salesTaxRateText(const std::string& DataDirectory);
std::string altTaxRateText(const std::string& DataDirectory);
// [Receipt] ReceiptCopies; 1 when it is no whole number of at least 1.
int ReceiptCopies(const std::string& DataDirectory);
// [Receipt] ReceiptMessage with its line breaks.
std::string ReceiptMessage(const std::string& DataDirectory);

// The letterhead lines of the printed receipt.
struct TLetterhead {
    std::string Name, Address1, Address2, CityLine, Phone;
};
TLetterhead Letterhead(const std::string& DataDirectory);

}  // namespace ReceiptSettings
