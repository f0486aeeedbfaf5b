#pragma once
// The columns of a list report as a table of rows: each column's stop and
// title. One call sets them as the report's tab stops; another prints the
// heading line the list reports put under their page header.
#include <cstdint>
#include <span>

#include "reporting/RSDefine.h"

class TBaseReport;

struct TReportColumn {
    double Pos;  // the stop's left edge, inches
    TPrintJustify Justify;
    double Width;
    const char* Title = "";
};

// Clears Report's stops and sets one per column, each with BoxLines.
void setColumns(TBaseReport& Report, std::span<const TReportColumn> Columns, std::uint8_t BoxLines);

// The columns' titles at 1.5 inches over a rule; the stops are then set
// again without lines and the rows start at 1.75 inches.
void printColumnHeadings(TBaseReport& Report, std::span<const TReportColumn> Columns);
