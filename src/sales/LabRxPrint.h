#pragma once
// The printed lab orders: one landscape page for the lab, the spectacle or
// the contact-lens order of the current receipt line, drawn as a ruled form
// at fixed inch positions and then filled with the receipt, the patient's
// phones, the line's order, its notes, the shop's letterhead and a tear-off
// stub with the patient's name. Each layout is held as data (rectangles,
// rules, captions and value positions) drawn by one routine.
#include <string>

class TBaseReport;
class TDataModule1;

namespace LabRxPrint {

// The horizontal shift of the whole page in inches: 5.5 when the
// workstation's [LabRx] PrntOffset is true, otherwise 0.
double pageShift();

// Prints the spectacle order of the current temp2 line with Notes on R.
void printSpectacleOrder(TBaseReport& R, TDataModule1& Module, const std::string& Notes, double Shift);
// Prints the contact-lens order of the current temp2 line with Notes on R.
void printContactLensOrder(TBaseReport& R, TDataModule1& Module, const std::string& Notes, double Shift);

}  // namespace LabRxPrint
