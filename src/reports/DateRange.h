#pragma once
// The date-range report family's shared rules, apart from any window: the
// range a combo choice stands for, the "mm/dd/yyyy" text of the date edits,
// the "yyyymmdd" keys of the date tags and the filter text built from them,
// the report runner's preset, the money pictures and the page header every
// shell-driven member prints.
#include <string>
#include <utility>

#include "base/Currency.h"
#include "base/DateTime.h"

class TBaseReport;
class TReportSystem;

namespace DateRange {

// The choices of the range combo, in their order.
extern const char* const Choices[6];

// From and Thru for a combo text compared exactly with the choices; any
// other text gives today to today.
std::pair<TDateTime, TDateTime> forChoice(const std::string& Text, TDateTime Today);

// The date edits' text.
std::string EditText(TDateTime Date);
// The key of a date tag ("yyyymmdd").
std::string Key(TDateTime Date);
// The xBase filter text of the members whose index is not the date.
std::string filterText(const std::string& FromKey, const std::string& ThruKey);

// Money by a picture ("###,###,##0.00"), on the exact value.
std::string Money(const std::string& Picture, Currency Value);

// The runner's settings shared by every shell-driven member.
void presetReportSystem(TReportSystem& Runner);

// Where a member's page header puts its lines.
struct THeaderPlace {
    double DateX = 0.3;   // the date and time
    double TopY = 0.5;    // baseline of the date, time and page number
    double TitleTop = 0.25;
};
// The date and time, "Page n", the Arial 20 title centred at 4.25 and the
// Arial 12 line of the two long dates joined by " thru ". FromText and
// ThruText are the edits' texts.
void printPageHeader(TBaseReport& Report, const std::string& Title, const std::string& FromText,
                     const std::string& ThruText, int PageNumber, const THeaderPlace& Place = {});

}  // namespace DateRange
