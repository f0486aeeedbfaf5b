#pragma once
// The insurance claim of the receipt being edited, built without a window:
// the claim's patient, insured and carrier from the patient record, its
// diagnoses and conditions from the receipt's exam, the practice's billing
// settings from Company.ini, and six service rows from the first six
// receipt lines (a line of quantity 0 counts one unit), with the total and
// balance summed from the rows. An open claim dialog's recompute is held
// back meanwhile, and every index order it changes is put back.
#include <string>

class TDataModule1;

// Fills a new claim (NewClaim) or rewrites the one the claim table stands
// on, and returns the claim's number.
// REQUIRES: the module's Temp1Table holds the receipt and Temp2Table its
// lines; without NewClaim the claim table stands on the receipt's claim.
std::string claimFromReceipt(TDataModule1& Module, bool NewClaim);
