#pragma once
// What the inventory labels print from the SKU label queue: one shelf label
// (item number, size and price right-aligned, the item number's UPC-A bar
// code on the left) and the listing's page header, column headings and rows.
//
// Positions are in inches on a report in inch units. A label prints in the
// label's own coordinates (the label shell moves the origin to its corner).
#include <string>

#include "base/DateTime.h"

class TBaseReport;

namespace SkuLabelPrint {

// The 11 UPC data digits of an item number: its digits only, left-padded
// with "0" to 11, or the first 11 when longer ("A56-78" gives "00000005678").
std::string upcDigits(const std::string& ItemNo);

// One label from a queue line (Arial 8; the caller sets the font per page).
void PrintLabel(TBaseReport* Report, const std::string& QueueLine);

// The listing: its page header for page Page printed at Now, with the
// column headings; the body's tab stops and font; one row per queue line.
void printListingHeader(TBaseReport* Report, int Page, TDateTime Now);
void startListingBody(TBaseReport* Report);
void printListingRow(TBaseReport* Report, const std::string& QueueLine);
// A row printed below this position ends the page.
constexpr double ListingPageEnd = 10.5;

}  // namespace SkuLabelPrint
