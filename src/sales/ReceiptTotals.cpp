#include "sales/ReceiptTotals.h"

#include "base/SysUtils.h"

void TReceiptTotals::SetTaxed(int RecNo, bool Taxed) {
    if (auto line = lines_.find(RecNo); line != lines_.end())
        line->second.Taxed = Taxed;
}

Currency TReceiptTotals::SubTotal() const {
    Currency sum;
    for (const auto& [recNo, line] : lines_)
        sum += line.Cost;
    return sum;
}

Currency TReceiptTotals::Taxed() const {
    Currency sum;
    for (const auto& [recNo, line] : lines_)
        if (line.Taxed)
            sum += line.Cost;
    return sum;
}

std::string TReceiptTotals::MoneyText(Currency Value) { return Format("%8.2m", {Value}); }

std::string TReceiptTotals::RateCaption() const {
    // The percentage is the stored millionths over 10000; %g shows 8.25, not 8.250000.
    return "Tax " + Format("%0.6g", {static_cast<double>(rate_.Millionths) / 10000.0}) + "%";
}
