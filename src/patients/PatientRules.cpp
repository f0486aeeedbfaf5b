#include "patients/PatientRules.h"

#include "base/SysUtils.h"

namespace {

constexpr int AccountKeyWidth = 10;
constexpr size_t DateTextLength = 10;

}  // namespace

std::string PadLeft(const std::string& Text, int Width) {
    if (static_cast<int>(Text.size()) >= Width)
        return Text;
    return std::string(Width - Text.size(), ' ') + Text;
}

int ageOn(TDateTime Birth, TDateTime Today) {
    int birthYear, birthMonth, birthDay, year, month, day;
    DecodeDate(Birth, birthYear, birthMonth, birthDay);
    DecodeDate(Today, year, month, day);
    int age = year - birthYear;
    if (birthMonth > month || (birthMonth == month && birthDay > day))
        --age;
    return age;
}

bool ageFromText(const std::string& BirthDateText, TDateTime Today, int& Age) {
    if (BirthDateText.size() != DateTextLength)
        return false;
    TDateTime birth;
    // A full-length text that is no date (a blank mask) has no age.
    Age = TryStrToDate(BirthDateText, birth) ? ageOn(birth, Today) : 0;
    return true;
}

bool ageCaption(const std::string& BirthDateText, TDateTime Today, std::string& Caption) {
    int age = 0;
    if (!ageFromText(BirthDateText, Today, age))
        return false;
    Caption = age > 0 ? FormatFloat("Age:###", age) : "";
    return true;
}

std::string examScopeLow(const std::string& PatientID) { return PadLeft(PatientID, AccountKeyWidth) + "   0"; }

std::string examScopeHigh(const std::string& PatientID) { return PadLeft(PatientID, AccountKeyWidth) + "9999"; }
