#pragma once
// The shelf-label queue "C:\TEMP\SkuLabel.dat": a text file of fixed-width
// lines, one label each, that the stock adjustment appends to and the label
// printing form reads and, on request, deletes.
//
// A line holds seven columns, each blank-padded on the right to its width
// and never cut: item number (10), price as "$##,##0.00" (10), description
// (30), colour (12), size (8), manufacturer (30) and vendor (30), 130
// characters in all, ended by CR LF. Reading is byte-safe: a line that is
// short or carries any bytes gives shorter (possibly empty) columns.
#include <string>
#include <vector>

namespace SkuLabelQueue {

// The queue's name as the program states it; mapped onto this machine's
// scratch folder.
inline const std::string FileName = "c:\\temp\\SkuLabel.dat";
constexpr int LineLength = 130;
// The widest price text the price column holds (99,999.99).
constexpr int PriceWidth = 10;
// The most labels one printing run takes: the queue is never let grow past it.
constexpr int MaxLabelsPerRun = 10000;

// One column of a queue line: 1-based first character and width.
struct TColumn {
    int First;
    int Width;
};
inline constexpr TColumn ItemColumn{1, 10};
inline constexpr TColumn PriceColumn{11, 10};
inline constexpr TColumn DescColumn{21, 30};
inline constexpr TColumn ColorColumn{51, 12};
inline constexpr TColumn SizeColumn{63, 8};
inline constexpr TColumn ManfColumn{71, 30};
inline constexpr TColumn VendorColumn{101, 30};
inline constexpr TColumn Columns[] = {ItemColumn,  PriceColumn, DescColumn,  ColorColumn,
                                      SizeColumn, ManfColumn,  VendorColumn};

// What one label shows of an item.
struct TLabelItem {
    std::string ItemNo;  // as typed in the adjustment
    double Sell = 0;
    std::string Desc, Color, Size, Manf, Vendor;
};

// The queue file's path on this machine.
std::string Path();
bool Exists();
// Deletes the queue; true when it is gone afterwards.
bool Reset();

// "$##,##0.00" with the system's separators.
std::string priceText(double Sell);
// The price text fits its column, so every later column stays in place.
bool priceFits(double Sell);
// The queue line of Item, without the line end.
std::string labelLine(const TLabelItem& Item);
// Appends Count copies of Line (each ended by CR LF) in one write, making the
// scratch folder when it is missing. Raises EInOutError when the file cannot
// be opened or written.
void Append(const std::string& Line, int Count);

// The number of labels queued (0 without a queue).
int QueuedCount();

// The queue's lines without their line ends; raises EInOutError when the file
// cannot be read.
std::vector<std::string> readLines();
// The column's text of Line, untrimmed; shorter (or empty) when Line is.
std::string ColumnText(const std::string& Line, TColumn Column);

}  // namespace SkuLabelQueue
