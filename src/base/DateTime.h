#pragma once
// Dates and times as the class library keeps them: a double counting days
// since 1899-12-30, the fraction being the time of day. Before that day the
// value is negative and the fraction still counts forward from midnight
// (-1.25 is 1899-12-29 06:00).
#include <string>

using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

bool IsLeapYear(int Year);
int DaysInAMonth(int Year, int Month);
int DaysInMonth(TDateTime Value);

// Years 1 to 9999. EConvertError "Invalid argument to date encode" /
// "Invalid argument to time encode" for values out of range.
TDateTime EncodeDate(int Year, int Month, int Day);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Value);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Value);
// A value outside years 1 to 9999 decodes to all zeros.
void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime Value);
// Moves by whole months, keeping the time; a day past the new month's end
// becomes its last day (January 31 + 1 month is February 28 or 29).
TDateTime IncMonth(TDateTime Value, int NumberOfMonths = 1);

// The clock. Tests fix it with setFixedNow so results do not depend on the
// day they run.
TDateTime Now();
TDateTime Date();
TDateTime Time();
void setFixedNow(TDateTime Value);
void clearFixedNow();

// Specifiers: c d dd ddd dddd ddddd dddddd m mm mmm mmmm (minutes right
// after h) yy yyyy h hh n nn s ss z zzz t tt am/pm a/p ampm, "/" the date
// separator, ":" the time separator, text in quotes as written.
std::string FormatDateTime(const std::string& Format, TDateTime Value);
std::string DateToStr(TDateTime Value);      // ShortDateFormat
std::string TimeToStr(TDateTime Value);      // LongTimeFormat
std::string DateTimeToStr(TDateTime Value);  // date, then the time unless it is midnight

// A year of 0 to 99 moved into the century window (TwoDigitYearCenturyWindow)
// around the current year; other years unchanged.
int ExpandTwoDigitYear(int Year);

// Text read by ShortDateFormat's order of day, month and year and the
// DateSeparator; two parts take the current year, a year written with one or
// two digits falls in the century window (ExpandTwoDigitYear).
// EConvertError "'%s' is not a valid date".
TDateTime StrToDate(const std::string& S);
bool TryStrToDate(const std::string& S, TDateTime& Value);
TDateTime StrToDateDef(const std::string& S, TDateTime Default);
// Hours, minutes, optional seconds, optional AM/PM (12-hour clock).
// EConvertError "'%s' is not a valid time".
TDateTime StrToTime(const std::string& S);
bool TryStrToTime(const std::string& S, TDateTime& Value);
// A date, optionally followed by a time.
// EConvertError "'%s' is not a valid date and time".
TDateTime StrToDateTime(const std::string& S);
bool TryStrToDateTime(const std::string& S, TDateTime& Value);
