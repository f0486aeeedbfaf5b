#include "reports/ReportColumns.h"

#include "reporting/RSBase.h"

void setColumns(TBaseReport& Report, std::span<const TReportColumn> Columns, std::uint8_t BoxLines) {
    Report.ClearTabs();
    for (const TReportColumn& column : Columns)
        Report.SetTab(column.Pos, column.Justify, column.Width, 0, BoxLines, 0);
}

void printColumnHeadings(TBaseReport& Report, std::span<const TReportColumn> Columns) {
    setColumns(Report, Columns, BOXLINEBOTTOM);
    Report.GotoXY(0, 1.5);
    for (const TReportColumn& column : Columns)
        Report.PrintTab(column.Title);
    setColumns(Report, Columns, 0);
    Report.GotoXY(0, 1.75);
}
