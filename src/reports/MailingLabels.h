#pragma once
// What the mailing outputs (birthday, recall and patient labels, recall
// postcards) share: the patient's address block, the 30-up address label
// sheet and the report runner's settings.
//
// The address block is the name; the street only when there is one; then
// the city, ", " and the state when there is a state, and two blanks and
// the zip when there is a zip.
#include <string>

class TBaseReport;
class TDataSet;
class TLabelShell;
class TReportSystem;

struct TPostalAddress {
    std::string Name;
    std::string Addr;
    std::string City;
    std::string State;
    std::string Zip;
};

// The address of the patient record the table stands on, each field trimmed.
TPostalAddress patientAddress(TDataSet& Patients);

// The block's last line: the city, then the state and the zip when present.
std::string CityLine(const TPostalAddress& Address);

// Prints the block from the current position, a line each. AtTabStop starts
// every line at the report's first tab stop (the postcards' address).
void printAddressBlock(TBaseReport& Report, const TPostalAddress& Address, bool AtTabStop = false);

// The 30-up address stock: 3 x 10 labels of 2.625 x 1 in, columns 2.75 in
// apart, the first at 0.188 / 0.5 in, a 0.2 in inset, rounded outlines on
// the preview only.
void setAddressLabelSheet(TLabelShell& Shell);

// The runner of a mailing form: the date-range family's settings with a
// shadow of 2, without printer margins and without a stream mode of its own.
void presetMailingReportSystem(TReportSystem& Runner);
