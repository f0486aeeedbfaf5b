#pragma once
// The audit log of new receipts, "log.txt" in the company's data folder: one
// line per receipt numbered on this or any other workstation, "S  ", the date
// in the short date format and the time as "h:nn:ss AM/PM", "  1  ", the
// engine's record number and record count of the receipt table at the
// insert, CR LF. Each line reaches the file in one append write, so lines of
// workstations logging at the same moment never mix.
#include <string>

#include "base/DateTime.h"

namespace ReceiptLog {

inline constexpr const char* FileName = "log.txt";

// The line for a receipt numbered at When, CR LF included. The time is
// always "h:nn:ss AM/PM", whatever the locale's time format.
std::string Line(TDateTime When, int RecNo, int RecCount);
// Appends Line to the log of DataFolder, making the file when missing; false
// when it cannot be written.
bool Append(const std::string& DataFolder, const std::string& Line);

}  // namespace ReceiptLog
