#pragma once
// The one rounding rule of the money documents, on exact decimals: a line's
// amount is price times quantity (0 counts as 1), and a receipt's tax is the
// rate times the taxed amounts; each is rounded once to cents, halves away
// from zero. The receipt, its print, its save and its postings all take their
// figures from here, so screen, paper, tables and ledger agree to the cent.
#include <cstdint>
#include <optional>
#include <string>

#include "base/Currency.h"

class TField;

namespace Cents {

// A tax rate as a fraction held exactly to the six decimals the receipt
// table stores (0.0825 is 82500 millionths).
struct TaxRate {
    int64_t Millionths = 0;
    // From a percentage text ("8.25"); nothing when the text is not a number.
    static std::optional<TaxRate> fromPercentText(const std::string& Percent);
    // From a stored fraction text ("0.082500").
    static std::optional<TaxRate> fromFractionText(const std::string& Fraction);
    // The fraction as the receipt table's TAXRATE takes it ("0.082500").
    std::string fractionText() const;
    friend bool operator==(TaxRate, TaxRate) = default;
};

// Quantity 0 counts as one unit.
Currency effectiveQuantity(Currency Qty);
// Price x quantity, rounded to cents.
Currency lineCost(Currency Price, Currency Qty);
// Rate x taxed amount, rounded to cents.
Currency tax(Currency TaxedAmount, TaxRate Rate);
// Rounded to cents, halves away from zero.
Currency toCents(Currency Value);

// A number field's value read exactly from its stored text (blank is 0).
Currency read(const TField* Field);
// Writes Value exactly. It is a figure worked out, not typed: the rule for
// money typed as text does not apply to it.
void write(TField* Field, Currency Value);
// True when Value, rounded to Decimals, fits a numeric field of Width and Decimals.
bool fits(Currency Value, int Width, int Decimals);

}  // namespace Cents
