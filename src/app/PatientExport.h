#pragma once
// The patient address export "patient.sdf": one fixed-width line per patient,
// in name order, for mailing programs. Each line holds the name as filed, the
// patient number, the name, street, city, state and zip, each padded with
// blanks to its field's width (the number to 10) and never cut, then CR LF.
#include <string>

class TDataModule1;
class TProgressBar;

namespace PatientExport {

// Writes the open company's patients into "patient.sdf" in its data folder,
// moving Progress (shown white while it runs, then hidden again) one step per
// patient. The patient table is left on its name tag. On success it says
// "Patient addresses saved to " and the file's full path in upper case; when
// the file cannot be written it shows the error instead. True when written.
bool patientAddressesSDF(TDataModule1& Module, TProgressBar* Progress);

}  // namespace PatientExport
