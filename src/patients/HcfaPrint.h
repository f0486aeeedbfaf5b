#pragma once
// Printing a claim onto the pre-printed HCFA-1500 form: only the data, each
// item at its fixed place in inches from the sheet's top left corner
// (HcfaPrint.cpp keeps the places as a table), shifted by the company's
// HCFA1500XOffset/HCFA1500YOffset.
//
// Promises:
// - An offset that does not read as a number counts as 0, with one message
//   naming the key; the print goes on.
// - A signature file that is missing or unreadable is left out, with one
//   warning naming the file; the rest of the claim prints.
// - Exactly six service rows are printed, the first six of the rows given.
#include <string>

class TBaseReport;
class TDataSet;

namespace Hcfa1500 {

// Lays the claim Claim and its service rows Rows (already restricted to the
// claim) onto the current page of Report, whose units are inches.
void printClaim(TBaseReport& Report, TDataSet* Claim, TDataSet* Rows, const std::string& DataDirectory);

}  // namespace Hcfa1500
