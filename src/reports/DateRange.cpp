#include "reports/DateRange.h"

#include <cmath>

#include "app/AppUtils.h"
#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"

namespace DateRange {

const char* const Choices[6] = {"Today", "Yesterday", "This Month", "Last Month", "This Year", "Last Year"};

std::pair<TDateTime, TDateTime> forChoice(const std::string& Text, TDateTime Today) {
    using namespace AppUtils;
    const TDateTime t = std::floor(Today);
    if (Text == "Yesterday") return {t - 1, t - 1};
    if (Text == "This Month") return {FirstDayOfMonth(t), LastDayOfMonth(t)};
    if (Text == "Last Month") {
        const TDateTime previous = FirstDayOfMonth(t) - 1;
        return {FirstDayOfMonth(previous), LastDayOfMonth(previous)};
    }
    if (Text == "This Year") return {FirstDayOfYear(t), LastDayOfYear(t)};
    if (Text == "Last Year") {
        const TDateTime previous = FirstDayOfYear(t) - 1;
        return {FirstDayOfYear(previous), LastDayOfYear(previous)};
    }
    return {t, t};
}

std::string EditText(TDateTime Date) { return FormatDateTime("mm/dd/yyyy", Date); }

std::string Key(TDateTime Date) { return FormatDateTime("yyyymmdd", Date); }

std::string filterText(const std::string& FromKey, const std::string& ThruKey) {
    return "DTOS(date) >=\"" + FromKey + "\".and. DTOS(date) <=\"" + ThruKey + "\"";
}

std::string Money(const std::string& Picture, Currency Value) { return FormatFloatRec(Picture, CurrToDecimal(Value)); }

void presetReportSystem(TReportSystem& Runner) {
    Runner.SetTitleSetup("Report Setup");
    Runner.SetTitleStatus("Report Status");
    Runner.SetTitlePreview("Report Preview");
    Runner.SystemFiler()->SetStatusFormat("Generating page %p");
    Runner.SystemFiler()->SetStreamMode(smTempFile);
    Runner.SystemPreview()->SetMarginPercent(1.0);
    Runner.SystemPreview()->SetShadowDepth(1);
    Runner.SystemPreview()->SetZoomFactor(70);
    TSystemPrinter* printer = Runner.SystemPrinter();
    printer->SetMarginTop(0.5);
    printer->SetMarginBottom(0.5);
    printer->SetScaleX(100);
    printer->SetScaleY(100);
    printer->SetStatusFormat("Printing page %p");
    printer->SetTitle("DazedeVedodev Report");
    printer->SetUnitsFactor(1.0);
}

void printPageHeader(TBaseReport& Report, const std::string& Title, const std::string& FromText,
                     const std::string& ThruText, int PageNumber, const THeaderPlace& Place) {
    const std::string from = FormatDateTime("mmmm d, yyyy", StrToDate(FromText));
    const std::string thru = FormatDateTime("mmmm d, yyyy", StrToDate(ThruText));
    Report.SetFont("Arial", 10);
    Report.PrintXY(Place.DateX, Place.TopY, FormatDateTime("m/d/yyyy h:nna/p", Now()));
    Report.PrintXY(7.2, Place.TopY, "Page " + std::to_string(PageNumber));
    Report.SetFont("Arial", 20);
    Report.SetFontTop(Place.TitleTop);
    Report.PrintCenter(Title, 4.25);
    Report.NextLine();
    Report.SetFont("Arial", 12);
    Report.PrintCenter(from + " thru " + thru, 4.25);
}

}  // namespace DateRange
