#pragma once
// Capturing a claim for electronic billing: the claim's 66-line block is
// built in memory from the claim record (INS.DBF) and its service rows
// (INSDTL.DBF), appended to EBill.dat in the company's data folder in one
// write, and only then is the claim marked as captured.
//
// The claim dialog's "E-Bill" button captures the claim the data module's
// InsTable stands on, with the rows of InsDetailTable:
//
//   SubmitEBill(DataModule1->InsTable, DataModule1->InsDetailTable, DataModule1->DataDirectory);
//   EbilledLED->SetColor(clLime);
#include <string>

#include "base/Currency.h"

class TDataSet;

// "####0.00;; " padded on the left with blanks to Width: blanks for zero,
// a leading minus for a negative amount, "." whatever the locale.
std::string eBillMoney(Currency Value, int Width);
// "###;; " padded on the left with blanks to 3.
std::string eBillUnits(double Value);

// The block of the claim on which Claim stands: 66 lines, each ended by CR
// LF. ServiceRows holds the claim's service rows (and no others); the
// first six are written, the last one again when there are fewer, blank
// lines when there is none. Moves ServiceRows.
std::string buildEBillBlock(TDataSet* Claim, TDataSet* ServiceRows);

// Appends the claim's block to EBill.dat in DataFolder, creating the file
// when it is missing, then puts the claim into edit state, sets EBILLED to
// today and says "Electronic claim stored for capture by claims processing
// software.". Raises EInOutError with the system's message when the file
// cannot be written; the file is then as it was and the claim unmarked.
void SubmitEBill(TDataSet* Claim, TDataSet* ServiceRows, const std::string& DataFolder);
