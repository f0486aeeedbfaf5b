#pragma once
// Receipt numbers have one text: their decimal digits, without blanks or
// leading zeros ("124"). Every number the program is handed (the receipt
// list's padded choice, the scratch header's field, a typed number) is
// brought to that text here before it is used, and every key of a character
// field that holds a receipt number (payment rows, lab orders, claims, ledger
// references) is built here. Nothing else pads a receipt number.
#include <optional>
#include <string>

namespace ReceiptNumbers {

// The canonical text of Text, or nothing when Text (blanks around it aside)
// is not a whole number from 1 to 9999999999.
std::optional<std::string> canonical(const std::string& Text);

// The ten-character key of a receipt number in a character field: the
// canonical number padded with blanks on the right.
// REQUIRES: Number is canonical.
std::string fieldKey(const std::string& Number);

// The lab-order key of a receipt line: the field key followed by the line
// number right-aligned in two characters (the "ID" tag: receipt + str(item,2,0)).
std::string labRxKey(const std::string& Number, int Item);

}  // namespace ReceiptNumbers
