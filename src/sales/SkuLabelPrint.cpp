#include "sales/SkuLabelPrint.h"

#include "base/SysUtils.h"
#include "reporting/RSBars.h"
#include "reporting/RSBase.h"
#include "sales/SkuLabelQueue.h"

namespace SkuLabelPrint {

namespace {

using SkuLabelQueue::ColumnText;

constexpr int UpcDataDigits = 11;
constexpr double TextRight = 1.64;
constexpr double BarLeft = 0.17;
constexpr double BarTop = 0.1;
constexpr double BarModule = 0.0075;
constexpr double BarHeight = 0.25;
constexpr double Centre = 4.25;

struct TListingColumn {
    const char* Heading;
    double Pos;
    TPrintJustify Justify;
    double Width;
};
constexpr TListingColumn ListingColumns[] = {
    {"Item", 0.5, pjLeft, 0.9},  {"Price", 1.5, pjRight, 0.9}, {"Description", 2.5, pjLeft, 1.9},
    {"Color", 4.5, pjLeft, 0.9}, {"Size", 5.5, pjLeft, 0.5},   {"Manufacturer", 6.1, pjLeft, 0.9},
    {"Vendor", 7.1, pjLeft, 0.9},
};

void setListingTabs(TBaseReport* Report, std::uint8_t BoxLines) {
    Report->ClearTabs();
    for (const TListingColumn& column : ListingColumns)
        Report->SetTab(column.Pos, column.Justify, column.Width, 0, BoxLines, 0);
}

}  // namespace

std::string upcDigits(const std::string& ItemNo) {
    std::string digits;
    for (char c : ItemNo)
        if (c >= '0' && c <= '9')
            digits += c;
    if (digits.size() >= UpcDataDigits)
        return digits.substr(0, UpcDataDigits);
    return std::string(UpcDataDigits - digits.size(), '0') + digits;
}

void PrintLabel(TBaseReport* Report, const std::string& QueueLine) {
    const std::string item = Trim(ColumnText(QueueLine, SkuLabelQueue::ItemColumn));
    const std::string price = Trim(ColumnText(QueueLine, SkuLabelQueue::PriceColumn));
    const std::string size = Trim(ColumnText(QueueLine, SkuLabelQueue::SizeColumn));
    Report->SetYPos(0.17);
    Report->PrintRight(item, TextRight);
    Report->SetYPos(0.27);
    Report->PrintRight(size, TextRight);
    Report->SetYPos(0.37);
    Report->PrintRight(price, TextRight);

    TRSBarsUPC upc(Report);
    upc.BarWidth = BarModule;
    upc.BarHeight = BarHeight;
    upc.SetXPosition(Report->MarginLeft() + BarLeft);
    upc.YPos = Report->MarginTop() + BarTop;
    upc.SetText(upcDigits(item));
    upc.Print();
}

void printListingHeader(TBaseReport* Report, int Page, TDateTime Now) {
    Report->SetFont("Arial", 10);
    Report->SetLineTop(0.25);
    Report->ClearTabs();
    Report->SetTab(0.5, pjLeft, 1.5, 0, BOXLINENONE, 0);
    Report->SetTab(6.5, pjRight, 1.5, 0, BOXLINENONE, 0);
    Report->PrintTab(FormatDateTime("m/d/yyyy h:mma/p", Now));
    Report->PrintTab("Page " + IntToStr(Page));
    Report->SetFont("Arial", 20);
    Report->SetLineTop(0.25);
    Report->PrintCenter("Inventory Labels", Centre);
    Report->SetBold(false);
    Report->NewLine();
    Report->SetFont("Arial", 12);
    Report->PrintCenter("Labels To Be Printed", Centre);
    Report->SetFont("Arial", 10);
    Report->SetLineTop(1.5);
    setListingTabs(Report, BOXLINEBOTTOM);
    for (const TListingColumn& column : ListingColumns)
        Report->PrintTab(column.Heading);
}

void startListingBody(TBaseReport* Report) {
    setListingTabs(Report, BOXLINENONE);
    Report->SetFont("Arial", 8);
    Report->SetLineTop(1.75);
}

void printListingRow(TBaseReport* Report, const std::string& QueueLine) {
    for (const SkuLabelQueue::TColumn& column : SkuLabelQueue::Columns)
        Report->PrintTab(ColumnText(QueueLine, column));
    Report->NewLine();
}

}  // namespace SkuLabelPrint
