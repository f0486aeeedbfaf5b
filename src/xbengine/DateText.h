#pragma once
// Dates as the engine stores and shows them: "yyyymmdd" in the record, a day
// number for arithmetic, and the text of the current date format for dtoc and
// ctod.
#include <string>
#include <string_view>

#include "xbengine/Types.h"

namespace xb {

// The stored form of an empty date.
inline constexpr std::string_view BlankDate = "        ";

// Day number of a date (the julian day count, 2451545 for 2000-01-01);
// 0 for a blank or invalid date, so 0 stands for "no date" in arithmetic.
long DateToJulian(int year, int month, int day);
long DateToJulian(std::string_view yyyymmdd);
// "yyyymmdd" of a day number; blanks for 0 or a day out of the years 1..9999.
std::string JulianToDate(long julian);

bool IsValidDate(int year, int month, int day);

// The year of a two-digit year in the hundred years starting at the epoch.
int ExpandYear(int twoDigitYear, int epoch);

// The date pattern of the settings, e.g. "mm/dd/yyyy" (century on) or "dd.mm.yy".
std::string DatePattern(const Settings& settings);
// Width of a dtoc text under the settings: 8, or 10 with the century on.
int DateTextWidth(const Settings& settings);

// dtoc: a stored "yyyymmdd" date as text of the date format; a blank or
// malformed date gives blanks with the separators, e.g. "  /  /    ".
std::string DateToText(std::string_view yyyymmdd, const Settings& settings);
// ctod: text of the date format back to "yyyymmdd". Two-digit years fall in
// the epoch window, three or four digits are taken as written. Empty, invalid
// or malformed text gives a blank date.
std::string TextToDate(std::string_view text, const Settings& settings);

}  // namespace xb
