#pragma once
// Receipts the sales reports' tests add to the shop fixture, each set on
// dates of its own after the fixture's documents (March 2024), so the
// fixture's figures over 3/14-3/15 stay as they are.
#include <string>

namespace SalesMix {

// 3/20: receipts 2001-2006, one taxed FR1 line each, at six rates in this
// order: 5 % 100.00, 7.25 % 100.00, 6 % 100.00, 8.25 % 100.00, 9 % 10.00,
// 10 % 20.00; receipt 2007 at 5 % with tax 3.00 but no lines.
void AddSixRateReceipts(const std::string& DataDirectory);

// 3/21: receipts 3001-3003 of one taxed 10.00 line at 8.25 %, each
// charged 0.83 (0.825 rounded to cents).
void AddRoundedTaxReceipts(const std::string& DataDirectory);

// 3/22: items FR2 (Frames/Plastic, "EA") and FR3 (Frames/Metal, "EA"),
// whose numbers interleave the two categories of one type; receipt 4001
// without a salesperson: FR1 50.00, FR2 qty 1.5 x 20.00 = 30.00, FR3
// 20.00, all taxed at 5 %.
// 3/23: item BL1 of type "blank" and category "blank"; receipt 4002 by
// Ann: BL1 7.00, untaxed.
// 3/24: receipt 4003 at rate 0 with a taxed LN1 line of 40.00, then 4004
// at 5 % with a taxed LN1 line of 60.00.
void AddMixedItems(const std::string& DataDirectory);

}  // namespace SalesMix
