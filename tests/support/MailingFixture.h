#pragma once
// Patients and recalls for the mailing output tests (labels, postcards and
// the recall listing), added to the shop fixture before the data module
// opens it. Patient numbers start at 10 so they never meet the shop's.
//
// Birthdays: Carter (10, 05/08/1950, "12 Elm St", Springfield, IL 62701),
// Dixon (11, 05/08/1975, no street, Salem, OR 97301), Evans (12, 05/08/2001,
// "9 Oak Ave", Dover, no state, 19901), Foster (13, 05/09/1980) and Grant
// (14, no birth date); with Extra, that many more born 05/08/1990
// ("Mayfield 01", ...), and a patient without a name (15,
// filed as "ZULU", last in name order).
//
// Recalls, for the range 04/01/2024 - 04/30/2024: Carter 04/01 "Spectacles
// Exam", Evans 04/10 "Eye Exam", a cleared recall (PatientID 0) 04/15, the
// missing patient 99 04/20 "Eye Exam", Dixon 04/30 "Contact Lens Exam",
// Foster 05/01 "Eye Exam" (the day after), and the recall sentinel.
#include <string>

namespace MailingFixture {

inline constexpr const char* RangeFrom = "04/01/2024";
inline constexpr const char* RangeThru = "04/30/2024";

void AddPatients(const std::string& DataDirectory, int Extra = 0);
void AddRecalls(const std::string& DataDirectory);
// The shop's return address in Company.ini [Receipt].
void AddReturnAddress(const std::string& DataDirectory);

}  // namespace MailingFixture
